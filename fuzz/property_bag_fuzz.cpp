// The property bag's text form: any bytes parse or are refused (error 5, the
// bag unchanged); a parsed bag serializes, parses again and serializes the
// same text, pictures included.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_root.h"
#include "winplat/control.h"
#include "winplat/dispatch.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::UseOwnMachineRoot("property-bag");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  winplat::PropertyBag bag;
  bag.Parse("Kept\tInteger\t7\n");
  try {
    bag.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const winplat::AutomationError& e) {
    if (e.Number() != 5 || bag.Serialize() != "Kept\tInteger\t7\n") {
      std::fprintf(stderr, "refused input changed the bag or raised %d\n", e.Number());
      std::abort();
    }
    return 0;
  }
  const std::string once = bag.Serialize();
  winplat::PropertyBag again;
  again.Parse(once);
  if (again.Serialize() != once) {
    std::fprintf(stderr, "serialized bag reads back differently\n");
    std::abort();
  }
  return 0;
}
