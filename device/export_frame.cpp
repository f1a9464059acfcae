// The export frame: lock, refusal of re-entry, log lines, staging, status.
#include "export_frame.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "transport.h"
#include "winplat/msgbox.h"

namespace vexlib {
namespace {

thread_local int commandWindowDepth = 0;

constexpr char kReentryText[] =
    "An internal DLL problem has allowed the VEXLIB.DLL to be accessed by more than one thread.";

}  // namespace

bool InCommandWindow() { return commandWindowDepth > 0; }

ExportFrame::ExportFrame() {
  Library& lib = Lib();
  if (!lib.loaded || !lib.mutex) {
    refused_ = true;
    return;
  }
  lib.mutex->Lock();
  locked_ = true;
  if (InCommandWindow()) {
    refused_ = true;
    StandardBeep();
    winplat::MessageBox(0, kReentryText, lib.logLine,
                        winplat::MB_OK | winplat::MB_ICONEXCLAMATION | winplat::MB_TASKMODAL |
                            winplat::MB_SETFOREGROUND);
    lib.lastStatus = -2;
    lib.stickyStatus = -2;
  }
}

ExportFrame::~ExportFrame() {
  if (locked_) Lib().mutex->Unlock();
}

std::int32_t ExportFrame::Finish(std::int32_t status) {
  Library& lib = Lib();
  lib.lastStatus = status;
  if (status != 0) lib.stickyStatus = status;
  return status;
}

CommandScope::CommandScope(std::uint16_t command) {
  ++commandWindowDepth;
  CommandStaging& s = Lib().staging;
  s.command = command;
  s.operandBytes = 0;
}

CommandScope::~CommandScope() { --commandWindowDepth; }

void CommandScope::PutLong(std::int32_t value) {
  CommandStaging& s = Lib().staging;
  PutLongOperand(s.operandBytes, value);
  s.operandBytes += 4;
}

void CommandScope::PutShort(std::int16_t value) {
  CommandStaging& s = Lib().staging;
  PutShortOperand(s.operandBytes, value);
  s.operandBytes += 2;
}

void CommandScope::PutBytes(const void* bytes, std::size_t count) {
  CommandStaging& s = Lib().staging;
  std::size_t room = kBufferBytes - static_cast<std::size_t>(s.operandBytes);
  count = std::min(count, room);
  std::memcpy(s.operands.data() + s.operandBytes, bytes, count);
  s.operandBytes += static_cast<std::int32_t>(count);
}

std::int32_t CommandScope::Send() { return SendBoardCommand(); }

std::int32_t CommandScope::Query() {
  SelectFirstWorkingBoard();
  SendBoardCommand();
  RestoreWorkingBoards();
  return Lib().reply.lastBoardError;
}

void WriteLogLine(const std::string& line) {
  Library& lib = Lib();
  if (lib.window.IsOpen() && lib.window.LoggingOn()) lib.window.WriteLine(line);
}

void LogExport(const char* format, ...) {
  Library& lib = Lib();
  va_list args;
  va_start(args, format);
  std::vsnprintf(lib.logLine, sizeof lib.logLine, format, args);
  va_end(args);
  WriteLogLine(lib.logLine);
}

void LogOther(const char* format, ...) {
  char line[kLogLineChars];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  WriteLogLine(line);
}

void StandardBeep() { winplat::MessageBeep(winplat::MB_OK); }

std::int32_t OpenCommWindowLocked() {
  Library& lib = Lib();
  if (lib.window.IsOpen()) return 0;
  if (lib.window.Open()) return 0;
  winplat::MessageBox(0, "Unable to create VEXLIB.DLL Communications window.", "VEXLIB.DLL: Internal Error",
                      winplat::MB_OK | winplat::MB_ICONEXCLAMATION | winplat::MB_TASKMODAL |
                          winplat::MB_SETFOREGROUND);
  lib.window.Close();
  lib.stickyStatus = -602;
  return -602;
}

std::int32_t CommandResultOutput() {
  const ReplyState& r = Lib().reply;
  return r.lastBoardError == 0 ? GetLongReply(4) : 0;
}

void SelectFirstWorkingBoard() {
  BoardTable& t = Lib().boards;
  if (t.count < 2) return;
  t.saved = t.working;
  bool found = false;
  for (int i = 0; i < kMaxBoards; ++i) {
    if (t.working[static_cast<std::size_t>(i)] == 0) continue;
    if (found) t.working[static_cast<std::size_t>(i)] = 0;
    found = true;
  }
}

void RestoreWorkingBoards() {
  BoardTable& t = Lib().boards;
  if (t.count < 2) return;
  t.working = t.saved;
}

std::int32_t ScaleToBoard(float value, double factor) {
  if (std::isnan(value)) return 0;
  double scaled = std::trunc(static_cast<double>(value) * factor);
  if (scaled >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (scaled <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(scaled);
}

}  // namespace vexlib
