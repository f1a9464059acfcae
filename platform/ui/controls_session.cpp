// The program's loop with operator input from a file or the terminal.
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "controls_internal.h"
#include "winplat/code_page.h"
#include "winplat/controls/operator.h"
#include "winplat/messages.h"

namespace winplat::controls {

namespace {

// What was read from a terminal but not yet taken, one per file descriptor, so
// the command reader and a dialog asking on the same terminal share the lines.
std::shared_ptr<std::string> BufferOf(int fd) {
  static std::map<int, std::shared_ptr<std::string>> buffers;
  auto& b = buffers[fd];
  if (!b) b = std::make_shared<std::string>();
  return b;
}

}  // namespace

OperatorScript::LineSource TerminalLines(int fd) {
  std::shared_ptr<std::string> buffer = BufferOf(fd);
  return [fd, buffer](std::string& line) -> int {
    for (;;) {
      auto newline = buffer->find('\n');
      if (newline != std::string::npos) {
        line = buffer->substr(0, newline);
        buffer->erase(0, newline + 1);
        return 1;
      }
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 0) <= 0) return 0;
      char chunk[512];
      ssize_t n = read(fd, chunk, sizeof chunk);
      if (n > 0) {
        buffer->append(chunk, static_cast<std::size_t>(n));
        continue;
      }
      // End of input: what is left is the last line.
      if (buffer->empty()) return -1;
      line = *buffer;
      buffer->clear();
      return 1;
    }
  };
}

namespace detail {

bool OpenCommandFile(const std::string& path, std::ifstream& in, std::ostream& log) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    log << "cannot read the operator commands in " << path << ": it is a folder\n";
    return false;
  }
  in.open(path);
  if (!in) {
    log << "cannot read the operator commands in " << path << "\n";
    return false;
  }
  return true;
}

}  // namespace detail

FileDialogHandler TerminalFileDialogHandler(int inputFd, int outputFd) {
  return [inputFd, outputFd](const FileDialogRequest& request) {
    std::string prompt = Utf8FromCodePage(request.title + " [" + request.fileName + "] (" + request.filter +
                                          ") file, or empty to cancel: ");
    if (write(outputFd, prompt.data(), prompt.size()) < 0) return FileDialogAnswer{};
    auto lines = TerminalLines(inputFd);
    std::string line;
    int got = 0;
    while ((got = lines(line)) == 0) WaitForInput(inputFd);  // timers keep running while the operator types
    if (got < 0 || line.empty()) return FileDialogAnswer{};
    if (line.back() == '\r') line.pop_back();
    return FileDialogAnswer{false, CodePageFromUtf8(line)};
  };
}

int RunOperatorInput(const std::string& path, std::ostream& log) {
  if (path.empty() || path == "-") {
    SetMessageBoxHandler(TerminalMessageBoxHandler(0, 2));
    SetFileDialogHandler(TerminalFileDialogHandler(0, 2));
    OperatorScript script(TerminalLines(0), log, nullptr);
    int failures = 0;
    for (;;) {
      bool loaded = false;
      for (Form* form : Form::All()) loaded = loaded || form->Loaded();
      if (!loaded || script.Quit()) break;
      InputState state = script.Step();
      if (state == InputState::Ended) break;
      if (state == InputState::Idle) WaitForInput(0);  // asleep until a line or a timer is due
    }
    failures = script.Failures();
    SetFileDialogHandler(nullptr);
    SetMessageBoxHandler(nullptr);
    return failures;
  }
  std::ifstream in;
  if (!detail::OpenCommandFile(path, in, log)) return -1;
  // What the program told the operator goes to the run's log as each box is answered.
  MessageBoxScript boxes;
  boxes.LogTo(&std::cerr);
  OperatorScript script(in, log, &boxes);
  auto anyLoaded = [] {
    for (Form* form : Form::All())
      if (form->Loaded()) return true;
    return false;
  };
  for (InputState state = script.Step(); state != InputState::Ended && !script.Quit() && anyLoaded();
       state = script.Step()) {
  }
  return script.Failures();
}

}  // namespace winplat::controls
