#pragma once
// The common shape of every board export: the lock, the log line, the staged
// command, narrowing for queries, the transport, last and sticky status.
#include <cstdarg>
#include <cstdint>
#include <string>

#include "library_state.h"

namespace vexlib {

// Holds the library mutex for one export. An export entered on a thread whose
// outer export is between staging its command and unpacking the reply is
// refused: box, beep and -2, touching none of the outer call's state.
class ExportFrame {
 public:
  ExportFrame();
  ~ExportFrame();
  ExportFrame(const ExportFrame&) = delete;
  ExportFrame& operator=(const ExportFrame&) = delete;

  bool Refused() const { return refused_; }
  // Stores the status as the last status and, when nonzero, the sticky status.
  std::int32_t Finish(std::int32_t status);

 private:
  bool locked_ = false;
  bool refused_ = false;
};

// The span from staging a command to unpacking its reply: the thread's
// transport-busy window. Resets the staging on entry.
class CommandScope {
 public:
  explicit CommandScope(std::uint16_t command);
  ~CommandScope();
  CommandScope(const CommandScope&) = delete;
  CommandScope& operator=(const CommandScope&) = delete;

  void PutLong(std::int32_t value);
  void PutShort(std::int16_t value);
  void PutBytes(const void* bytes, std::size_t count);
  // Sends to every working board; the transport result.
  std::int32_t Send();
  // Sends to the first working board only (queries); the last board error code.
  std::int32_t Query();
};

// True while this thread is inside a command's busy window.
bool InCommandWindow();

// Formats the export's log line (bounded to 512 characters) and writes it to
// the diagnostic window when it is open and logging is on.
void LogExport(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Formats a line of its own (the log line buffer untouched) and writes it.
void LogOther(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes a line to the diagnostic window when it is open and logging is on.
void WriteLogLine(const std::string& line);

// The standard beep.
void StandardBeep();
// Opens the diagnostic window; 0 or -602 (the box is shown on failure).
std::int32_t OpenCommWindowLocked();

// The command-result field (reply bytes 4-7) as an export hands it out: 0 when
// the board reported an error, so an error code never passes for a value.
std::int32_t CommandResultOutput();

// Narrowing of the working boards for queries.
void SelectFirstWorkingBoard();
void RestoreWorkingBoards();

// A 32-bit float scaled for a board: multiplied in double, truncated toward
// zero, saturated to the 32-bit range; NaN gives 0.
std::int32_t ScaleToBoard(float value, double factor);

}  // namespace vexlib
