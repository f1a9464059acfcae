// What the screen reads: a window's frame, painted on demand, and the hook the
// message loop calls so the screen takes its events and frames.
#include <utility>

#include "winplat/display.h"
#include "winplat/window.h"

namespace winplat {
namespace {

std::function<void()>& Pump() {
  static std::function<void()> pump;
  return pump;
}

// Whether a window below `parent` has something to paint.
bool ChildHasUpdate(HWND parent) {
  for (HWND child : WindowZOrder(parent)) {
    RECT r;
    if (IsWindowVisible(child) && (GetUpdateRect(child, &r) || ChildHasUpdate(child))) return true;
  }
  return false;
}

}  // namespace

Picture WindowFrame(HWND hwnd) {
  // A window's picture holds its children's (a form copies them in): one of
  // them to paint repaints the window.
  if (ChildHasUpdate(hwnd)) InvalidateRect(hwnd, nullptr, false);
  UpdateWindow(hwnd);
  return CaptureWindow(hwnd);
}

void SetDisplayPump(std::function<void()> pump) { Pump() = std::move(pump); }

void PumpDisplay() {
  if (Pump()) Pump()();
}

}  // namespace winplat
