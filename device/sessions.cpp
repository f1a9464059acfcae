// Sessions of the board operating software, and the board memory exports.
#include "export_frame.h"
#include "sessions.h"
#include "transport.h"
#include "vexlib/vexlib.h"

using namespace vexlib;

namespace {

// All boards working with logging and beep off, then a query to the first
// working board; the transport result.
std::int32_t QuietQuery(std::uint16_t code) {
  QuietScope quiet;
  SetWorkingScannersLocked(-1);
  CommandScope command(code);
  SelectFirstWorkingBoard();
  std::int32_t result = SendBoardCommand();
  RestoreWorkingBoards();
  return result;
}

// A memory command with at most one Long, answered by the reply long at byte 4.
std::int32_t MemoryQuery(std::uint16_t code, const std::int32_t* operand, std::int32_t* out) {
  CommandScope command(code);
  if (operand) command.PutLong(*operand);
  std::int32_t status = command.Query();
  if (status == 0 && out) *out = GetLongReply(4);
  return status;
}

}  // namespace

extern "C" {

std::int32_t BeginSession(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4, std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  Library& lib = Lib();
  LogExport("BeginSession %li %li %li %li", static_cast<long>(p1), static_cast<long>(p2), static_cast<long>(p3),
            static_cast<long>(p4));
  std::int32_t beep = lib.beepOnError;
  lib.maxFramePoints = VX_DEFAULT_MAX_FRAME_POINTS;
  std::int32_t result = DetectBoards();
  if (result == 0) {
    result = QuietQuery(35);
    if (result == 2) result = DownloadBootSoftware();
    if (result == 0 || result == VX_NO_SESSION) {
      {
        CommandScope begin(18);
        begin.PutLong(p1);
        begin.PutLong(p2);
        begin.PutLong(p3);
        begin.PutLong(p4);
        result = begin.Send();
      }
      // A failed begin leaves no limit in the reply: keep the default then.
      if (result == 0) lib.maxFramePoints = GetLongReply(8);
      lib.window.SetLogging(false);
      for (int j = 0; j < lib.boards.count && result == 0; ++j) {
        SetWorkingScannersLocked(1 << j);
        CommandScope number(23);
        number.PutLong(j + 1);
        result = number.Send();
      }
      SetWorkingScannersLocked(-1);
      lib.window.SetLogging(true);
    }
  }
  lib.beepOnError = beep;
  lib.lastStatus = result;
  if (status) *status = result;
  return result;
}

std::int32_t CheckSession(std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("CheckSession");
  std::int32_t result = DetectBoards();
  if (result == 0) {
    result = QuietQuery(35);
    if (result == 0) Lib().maxFramePoints = GetLongReply(8);
    if (result == 2) result = VX_NO_SESSION;
  }
  if (status) *status = result;
  return frame.Finish(result);
}

std::int32_t CheckSessionSettings(std::int32_t* p1, std::int32_t* p2, std::int32_t* p3, std::int32_t* p4,
                                  std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("CheckSessionSettings");
  std::int32_t result = DetectBoards();
  if (result == 0) {
    result = QuietQuery(92);
    if (result == 0) {
      std::int32_t* outs[4] = {p1, p2, p3, p4};
      for (int i = 0; i < 4; ++i) {
        if (outs[i]) *outs[i] = GetShortReply(8 + 2 * i);
      }
    }
    if (result == 2) result = VX_NO_SESSION;
  }
  if (status) *status = result;
  return frame.Finish(result);
}

std::int32_t EndSession() {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("EndSession");
  {
    QuietScope quiet(false);
    SetWorkingScannersLocked(-1);
  }
  CommandScope end(19);
  return frame.Finish(end.Send());
}

std::int32_t TB32AvailMemEx(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("TB32AvailMem");
  struct Figure {
    std::int32_t selector;
    std::int32_t* out;
  };
  const Figure figures[4] = {{0x00000007, b}, {0x00020007, c}, {0x00040000, d}, {0x00080000, a}};
  std::int32_t status = 0;
  for (const Figure& f : figures) {
    status = MemoryQuery(87, &f.selector, f.out);
    if (status != 0) break;
  }
  return frame.Finish(status);
}

std::int32_t TB32DefragmentMem(std::int32_t* out) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("TB32DefragmentMem");
  return frame.Finish(MemoryQuery(88, nullptr, out));
}

std::int32_t TB32StealMem(std::int32_t* inOut) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("TB32StealMem");
  std::int32_t amount = inOut ? *inOut : 0;
  return frame.Finish(MemoryQuery(209, &amount, inOut));
}

std::int32_t TB32MemoryWatch(std::int32_t* out) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("TB32MemoryWatch");
  return frame.Finish(MemoryQuery(89, nullptr, out));
}

}  // extern "C"
