// The DXF reader from bytes: any input either reads or fails with an
// automation error, within the reader's row budget.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dxf/control/dxf_control.h"
#include "dxf/reader/dxf_reader.h"
#include "fuzz_root.h"
#include "winplat/variant.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::UseOwnMachineRoot("dxf");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto dxf = winplat::MakeObject<kelvane::DXF>();
  dxf->db.InitDB(true);
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    kelvane::LoadDXFText(*dxf, "C:\\fuzz\\INPUT.DXF", text, nullptr);
  } catch (const winplat::AutomationError&) {
    // A refused drawing is an answer, not a fault.
  }
  return 0;
}
