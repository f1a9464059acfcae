// The G-code scanner: the input's lines one after another through the line
// interpreter, as a part program is read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_root.h"
#include "job/grid_cells.h"
#include "toolpath/context.h"
#include "toolpath/expressions.h"
#include "toolpath/interpreter.h"
#include "winplat/numeric.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::UseOwnMachineRoot("gcode");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fieldray::ProgramState state;
  winplat::TextScanner awk, parser, eval;
  winplat::SpreadGrid toolDat{40, 6};
  fieldray::toolpath::ConnectEval(eval, state);
  fieldray::toolpath::ToolpathContext ctx{state, awk, parser, eval, toolDat};
  fieldray::toolpath::GcodeInterpreter interp{ctx};
  fieldray::toolpath::ResetGcodeScan(interp);
  state.GcodeUnitFactor = 1;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    awk.SetText(text.substr(at, end - at));
    try {
      fieldray::toolpath::GcodeAwk_ScanLine(interp);
    } catch (const winplat::NumericError&) {
      // The interpreter's own arithmetic stop: the load driver reports it.
    }
    at = end + 1;
  }
  return 0;
}
