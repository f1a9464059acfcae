// Test support: one board command of 32-bit operands, as an export would send
// it, for tests that need a command whose export lives elsewhere (the working
// frame, for one).
#include "export_frame.h"

using namespace vexlib;

extern "C" {

std::int32_t vxTestBoardCommand(std::int32_t code, const std::int32_t* operands, std::int32_t count) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::int32_t status = 0;
  {
    CommandScope command(static_cast<std::uint16_t>(code));
    for (std::int32_t i = 0; i < count && operands; ++i) command.PutLong(operands[i]);
    status = command.Send();
  }
  return frame.Finish(status);
}

}  // extern "C"
