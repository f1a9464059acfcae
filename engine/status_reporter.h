#pragma once
// The status reporter: turns VXStatus into the operator's message boxes, and
// the start of the board session at program start.
#include <cstdint>
#include <optional>
#include <string>

#include "engine/engine.h"

namespace fieldray::engine {

// The line break of the reporter's texts: line feed, then carriage return.
constexpr const char* LB = "\n\r";

// What the reporter does for one code.
enum class StatusPrompts { None, Exit, ExitBeep, ExitBeepNoBoards };

struct StatusReport {
  std::string title;
  std::string text;       // the text after the prefix (the whole message when it replaces it)
  unsigned style = 0;     // box style of a plain box; 0 with the prompts
  bool gated = false;     // silent while ShowErrorMessages is 0
  bool replacesPrefix = false;
  bool memoryReport = false;  // the board memory report and `tail` follow `text`
  std::string tail;
  StatusPrompts prompts = StatusPrompts::None;
};

// The row of the table for `code`; nothing for the codes that show nothing.
std::optional<StatusReport> StatusReportFor(std::int32_t code);

// Reports VXStatus.
void CheckStatus(Engine& engine);

// Begins the board session with SessionArgs; on failure a final message and
// the end of the program.
void StartSession(Engine& engine);

}  // namespace fieldray::engine
