// The diagnostic window's line log. The drawing side joins when the window
// and graphics layers are in place; until then lines are kept in the history.
#include "comm_window.h"

namespace vexlib {
namespace {
constexpr std::size_t kHistoryLines = 2000;
}

bool CommWindow::Open() {
  if (open_) return true;
  history_.clear();
  open_ = true;
  loggingOn_ = true;
  return true;
}

void CommWindow::Close() {
  open_ = false;
  loggingOn_ = false;
  hwnd_ = 0;
}

void CommWindow::WriteLine(std::string_view text) {
  if (!open_ || !loggingOn_) return;
  history_.emplace_back(text);
  if (history_.size() > kHistoryLines) history_.pop_front();
}

void CommWindow::Created(winplat::HWND hwnd) { hwnd_ = hwnd; }
void CommWindow::Sized(int width, int height) {
  clientWidth_ = static_cast<std::int16_t>(width);
  clientHeight_ = static_cast<std::int16_t>(height);
}
void CommWindow::Painted() { currentY_ = firstLineY_; }
void CommWindow::Destroyed() {
  open_ = false;
  loggingOn_ = false;
  hwnd_ = 0;
}

bool RegisterCommWindowClass() { return true; }
void UnregisterCommWindowClass() {}

}  // namespace vexlib
