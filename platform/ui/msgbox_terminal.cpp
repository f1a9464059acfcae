// A message-box handler that asks on a terminal, with the message loop running
// while it waits for the answer.
#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <string>

#include "winplat/code_page.h"
#include "winplat/messages.h"
#include "winplat/msgbox.h"
#include "winplat/text.h"

namespace winplat {
namespace {

void WriteAll(int fd, const std::string& text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n <= 0) return;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

std::string IconName(unsigned flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONHAND:
      return "Stop";
    case MB_ICONQUESTION:
      return "Question";
    case MB_ICONEXCLAMATION:
      return "Exclamation";
    case MB_ICONASTERISK:
      return "Information";
    default:
      return {};
  }
}

// The button an answer names (full name, initial or 1-based number), 0 when none.
int Parse(const std::string& answer, const std::vector<int>& buttons) {
  if (answer.size() == 1 && answer[0] >= '1' && answer[0] <= '9') {
    std::size_t i = static_cast<std::size_t>(answer[0] - '1');
    return i < buttons.size() ? buttons[i] : 0;
  }
  const std::string lower = winplat::AsciiLower(answer);
  for (int b : buttons) {
    const std::string name = winplat::AsciiLower(ButtonName(b));
    if (lower == name || (lower.size() == 1 && lower[0] == name[0])) return b;
  }
  return 0;
}

// Reads one line, dispatching messages and timers while none is there.
// False at end of input.
bool ReadLine(int fd, std::string& line) {
  line.clear();
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    int ready = poll(&p, 1, 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return false;
    if (ready == 0) {
      WaitForInput(fd);  // timers run until the terminal has something
      continue;
    }
    char c = 0;
    ssize_t n = read(fd, &c, 1);
    if (n <= 0) return !line.empty();
    if (c == '\n') return true;
    line += c;
  }
}

}  // namespace

MessageBoxHandler TerminalMessageBoxHandler(int inputFd, int outputFd) {
  return [inputFd, outputFd](const MessageBoxRequest& request) {
    auto buttons = MessageBoxButtons(request.flags);
    int def = DefaultButton(request.flags);
    std::string box = "\n=== " + request.caption + " ===";
    std::string icon = IconName(request.flags);
    if (!icon.empty()) box += " (" + icon + ")";
    box += "\n" + request.text + "\n";
    std::string prompt;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      prompt += "[" + std::to_string(i + 1) + "] " + ButtonName(buttons[i]);
      if (buttons[i] == def) prompt += " (default)";
      prompt += "  ";
    }
    prompt += "> ";
    WriteAll(outputFd, Utf8FromCodePage(box));
    for (;;) {
      WriteAll(outputFd, prompt);
      std::string line;
      if (!ReadLine(inputFd, line)) {
        WriteAll(outputFd, "\n" + ButtonName(def) + "\n");
        return def;
      }
      line = winplat::TrimSpace(line);
      if (line.empty()) return def;
      if (int b = Parse(line, buttons)) return b;
      WriteAll(outputFd, "Not a button of this box: " + line + "\n");
    }
  };
}

}  // namespace winplat
