// The operator's line language: one command a line, read from a file or the terminal.
#include <cctype>
#include <charconv>
#include <string>
#include <vector>

#include "controls_commands.h"
#include "winplat/code_page.h"
#include "winplat/controls/operator.h"
#include "winplat/messages.h"
#include "winplat/text.h"

namespace winplat::controls {
namespace {

using detail::Token;

// Words split on blanks; "..." holds blanks, "" inside it is one quote.
bool Tokenize(const std::string& line, std::vector<Token>* out, std::string* error) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (std::isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
      continue;
    }
    Token t;
    if (line[i] == '"') {
      t.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            t.text += '"';
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        t.text += line[i++];
      }
      if (!closed) {
        *error = "unclosed quote";
        return false;
      }
    } else {
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) t.text += line[i++];
    }
    out->push_back(std::move(t));
  }
  return true;
}

}  // namespace

OperatorScript::OperatorScript(std::istream& in, std::ostream& log, MessageBoxScript* boxes)
    : source_([&in](std::string& line) { return std::getline(in, line) ? 1 : -1; }), log_(log), boxes_(boxes) {
  if (!boxes_) {
    ownBoxes_ = std::make_unique<MessageBoxScript>();
    boxes_ = ownBoxes_.get();
  }
  SetInputSource([this] { return Step(); });
}

OperatorScript::OperatorScript(LineSource source, std::ostream& log, MessageBoxScript* boxes)
    : source_(std::move(source)), log_(log), boxes_(boxes) {
  SetInputSource([this] { return Step(); });
}

OperatorScript::~OperatorScript() { SetInputSource(nullptr); }

InputState OperatorScript::Step() {
  if (ended_) return InputState::Ended;
  std::string line;
  int got = source_(line);
  if (got == 0) return InputState::Idle;
  if (got < 0) {
    ended_ = true;
    return InputState::Ended;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  ++lineNumber_;
  std::string error;
  // Operator lines come in UTF-8; the program's strings are code page text.
  if (!RunLine(CodePageFromUtf8(line), &error)) {
    ++failures_;
    log_ << "line " << lineNumber_ << ": " << Utf8FromCodePage(error) << "\n";
    log_.flush();
  }
  return InputState::Ran;
}

int OperatorScript::Run() {
  for (InputState state = Step(); state != InputState::Ended && !quit_; state = Step())
    if (state == InputState::Idle) PumpFor(10);
  return failures_;
}

bool OperatorScript::RunLine(const std::string& line, std::string* error) {
  std::vector<Token> t;
  if (!Tokenize(line, &t, error)) return false;
  if (t.empty() || (!t[0].quoted && t[0].text[0] == '#')) return true;
  detail::CommandLine command{t, winplat::AsciiLower(t[0].text), error, boxes_, &quit_, log_, lineNumber_};
  for (const detail::OperatorCommand& c : detail::OperatorCommands())
    if (command.cmd == c.name) return c.run(command);
  *error = "unknown command " + t[0].text;
  return false;
}

}  // namespace winplat::controls
