#pragma once
// The screen's logic over a display driver (not a public header): which of the
// window layer's windows show, where, which form is active, when a frame is
// due, and what the display's events do. winplat/display.h is its public face.
#include <filesystem>
#include <string>
#include <vector>

#include "driver.h"
#include "winplat/types.h"

namespace winplat::screen {

// Puts the program's windows on the display the driver gives; false when a
// display is open already.
bool Open(Driver driver);
// Whether the driver's display is gone (nothing is asked of it any more).
bool IsLost();
// The display went away under the program: no driver call is made from here
// on, the program's lost handler runs (it normally ends the process), and
// without one the process ends with status 2.
[[noreturn]] void Lost();
// Sleeps until the display has an event, `fd` (when >= 0) is readable, the
// screen has a frame due or `timeoutMs` passed (-1: no limit but the screen's
// own); an event that came is dispatched. False when no display is open.
bool WaitForEvents(int timeoutMs, int fd);

// A window of the program as the screen shows it, in screen pixels.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Overlaps(const Rect& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};
struct Layout {
  Rect window;
  std::vector<Rect> controls;  // the controls on it the operator works
};
// Where the program's shown forms are: written by the program's screen, read
// by the projection viewer (another process on the same machine root).
std::filesystem::path LayoutFile();
std::vector<Layout> ReadLayout();
std::string LayoutText(const std::vector<Layout>& windows);
std::vector<Layout> ParseLayout(const std::string& text);
// Where a window of width x height goes: beside the first window where the
// screen has room, else where it covers none of the windows' controls (or
// the least of them) and the least of the windows; centred when nothing is
// known of them or it is larger than the screen.
POINT PlaceBeside(int screenWidth, int screenHeight, const std::vector<Layout>& windows, int width, int height);

}  // namespace winplat::screen
