// Message boxes: every box goes to one replaceable handler.
#include "winplat/msgbox.h"

#include <iostream>
#include <mutex>

namespace winplat {
namespace {

std::mutex handlerMutex;
MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}
std::string& Title() {
  static std::string title = "Fieldray";
  return title;
}

}  // namespace

int DefaultButton(unsigned flags) {
  static const int buttons[6][3] = {
      {IDOK, IDOK, IDOK},           {IDOK, IDCANCEL, IDCANCEL},     {IDABORT, IDRETRY, IDIGNORE},
      {IDYES, IDNO, IDCANCEL},      {IDYES, IDNO, IDNO},            {IDRETRY, IDCANCEL, IDCANCEL}};
  unsigned kind = flags & 0xFu;
  unsigned def = (flags >> 8) & 0xFu;
  if (kind > 5) kind = 0;
  if (def > 2) def = 0;
  return buttons[kind][def];
}

int MessageBox(HWND owner, std::string_view text, std::string_view caption, unsigned flags) {
  MessageBoxRequest request{owner, std::string(text),
                            caption.empty() ? ProgramTitle() : std::string(caption), flags};
  MessageBoxHandler handler;
  {
    std::lock_guard lock(handlerMutex);
    handler = Handler();
  }
  if (handler) return handler(request);
  std::cerr << "[message box] " << request.caption << ": " << request.text << '\n';
  return DefaultButton(flags);
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lock(handlerMutex);
  Handler() = std::move(handler);
}

void SetProgramTitle(std::string title) { Title() = std::move(title); }
const std::string& ProgramTitle() { return Title(); }

}  // namespace winplat
