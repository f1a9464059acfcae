// What the screen reads: a window's frame, painted on demand, and the hook the
// message loop calls so the screen takes its events and frames.
#include <algorithm>
#include <utility>

#include "../ui_state.h"
#include "winplat/display.h"
#include "winplat/painting.h"
#include "winplat/window.h"

namespace winplat {
namespace {

std::function<void()>& Pump() {
  static std::function<void()> pump;
  return pump;
}

// Whether the loop is to paint a window (one painted only when looked at is
// not: a form draws such controls itself).
bool LoopPaints(HWND hwnd) {
  auto lock = ui::Locked();
  const ui::Window* w = ui::Find(hwnd);
  return w && w->hasUpdate && !w->paintWhenLooked;
}

// The newest pixel change among the shown windows below `parent`, and whether
// one of them has something the loop paints.
void LookBelow(HWND parent, std::uint64_t* newest, bool* pending) {
  for (HWND child : WindowZOrder(parent)) {
    if (!IsWindowVisible(child)) continue;
    if (LoopPaints(child)) *pending = true;
    *newest = std::max(*newest, PixelsChangedAt(child));
    LookBelow(child, newest, pending);
  }
}

}  // namespace

Picture WindowFrame(HWND hwnd, std::uint64_t* taken) {
  // A window's picture holds its children's (a form copies them in): one of
  // them to paint, or painted since the window was (the loop paints picture
  // boxes and outside windows), repaints the window.
  std::uint64_t newest = 0;
  bool pending = false;
  LookBelow(hwnd, &newest, &pending);
  if (pending || newest > PixelsChangedAt(hwnd)) InvalidateRect(hwnd, nullptr, false);
  UpdateWindow(hwnd);
  // Counted before the pixels are read: a change from here on makes a new frame.
  if (taken) *taken = PixelCount();
  return CaptureWindow(hwnd);
}

bool FrameChangedSince(HWND hwnd, std::uint64_t taken) {
  RECT r;
  if (GetUpdateRect(hwnd, &r) || PixelsChangedAt(hwnd) > taken) return true;
  std::uint64_t newest = 0;
  bool pending = false;
  LookBelow(hwnd, &newest, &pending);
  return pending || newest > taken;
}

void SetDisplayPump(std::function<void()> pump) { Pump() = std::move(pump); }

void PumpDisplay() {
  if (Pump()) Pump()();
}

}  // namespace winplat
