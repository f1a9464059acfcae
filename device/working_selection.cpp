// Working boards, tracks and frame; sync, TTL and board events.
#include <algorithm>
#include <cstring>

#include "export_frame.h"
#include "sessions.h"
#include "transport.h"
#include "vexlib/vexlib.h"

using namespace vexlib;

namespace vexlib {
namespace {

std::int32_t workingFrame = 0;

// Reply data after byte 12 that the reply buffer can hold, in events.
constexpr std::int32_t kMaxEvents = static_cast<std::int32_t>((kBufferBytes - 12) / 4);

// A command with Long operands to every working board; the transport result.
std::int32_t SendLongs(std::uint16_t code, std::initializer_list<std::int32_t> values) {
  CommandScope command(code);
  for (std::int32_t v : values) command.PutLong(v);
  return command.Send();
}

// The event list of the last reply: its count and up to the buffer's worth of events.
void CopyEvents(std::int32_t* count, void* buffer) {
  std::int32_t n = GetLongReply(8);
  if (count) *count = n;
  if (buffer && n > 0) {
    std::memcpy(buffer, Lib().reply.bytes.data() + 12, static_cast<std::size_t>(std::min(n, kMaxEvents)) * 4);
  }
}

}  // namespace

std::int32_t WorkingFrame() { return workingFrame; }

}  // namespace vexlib

extern "C" {

std::int32_t SetWorkingScanners(std::int32_t mask) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  BoardTable& t = Lib().boards;
  LogExport("SetWorkingScanners %02X", static_cast<unsigned>(mask));
  for (int j = 0; j < t.count; ++j) t.working[static_cast<std::size_t>(j)] = (mask >> j) & 1;
  return Lib().lastStatus;
}

std::int32_t SetWorkingTracks(std::int32_t mask) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetWorkingTracks %08lX", static_cast<unsigned long>(static_cast<std::uint32_t>(mask)));
  return frame.Finish(SendLongs(38, {mask}));
}

std::int32_t SetWorkingFrame(std::int32_t frameNumber) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetWorkingFrame %li", static_cast<long>(frameNumber));
  workingFrame = frameNumber;
  return frame.Finish(SendLongs(30, {frameNumber}));
}

std::int32_t GetWorkingFrame(std::int32_t* frameNumber) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("GetWorkingFrame");
  CommandScope command(94);
  SelectFirstWorkingBoard();
  std::int32_t status = SendBoardCommand();
  RestoreWorkingBoards();
  if (frameNumber) *frameNumber = GetShortReply(8);
  return frame.Finish(status);
}

std::int32_t TB32MultiCommand(std::int32_t value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  return frame.Finish(SendLongs(183, {value}));
}

std::int32_t SetSyncParameters(std::int32_t a, std::int32_t b, std::int32_t c) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  return frame.Finish(SendLongs(185, {a, b, c}));
}

std::int32_t SendSync(std::int32_t value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  return frame.Finish(SendLongs(184, {value}));
}

std::int32_t SendMultiSync(std::int32_t value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  return frame.Finish(SendLongs(188, {value}));
}

std::int32_t GetCuetrackMilliseconds(std::int32_t* ms) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("GetCuetrackMilliseconds");
  CommandScope command(93);
  command.PutLong(0);
  SelectFirstWorkingBoard();
  std::int32_t status = SendBoardCommand();
  RestoreWorkingBoards();
  if (ms) *ms = GetLongReply(8);
  return frame.Finish(status);
}

std::int32_t GetTBEvents(std::int32_t* count, void* events) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  CommandScope command(197);
  command.PutLong(events ? -1 : 0);
  SelectFirstWorkingBoard();
  std::int32_t status = SendBoardCommand();
  RestoreWorkingBoards();
  if (status == 0) CopyEvents(count, events);
  return frame.Finish(status);
}

std::int32_t SendSyncGetTBEvents(std::int32_t value, std::int32_t* count, void* events) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  CommandScope command(200);
  command.PutLong(value);
  std::int32_t status = SendBoardCommand();
  if (status == 0) CopyEvents(count, events);
  return frame.Finish(status);
}

std::int32_t SetResetTTL(std::int32_t a, std::int32_t b) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  return frame.Finish(SendLongs(138, {a, b}));
}

}  // extern "C"
