#pragma once
// The table of functions a display gives the screen: windows made, titled,
// moved, sized and shown a picture, and the display's events taken. The screen's
// logic (screen.cpp) knows nothing else of the display; SDL2 is one driver
// (display_sdl.cpp), a fake of the tests' own is another.
#include <climits>
#include <cstdint>
#include <functional>
#include <string>

#include "winplat/picture.h"

namespace winplat::screen {

using WindowId = std::uint32_t;  // 0: no window
// A place the window system chooses.
constexpr int kAnywhere = INT_MIN;

// One event of the display, already in the controls' terms.
struct Event {
  enum class Kind { Close, Exposed, Moved, Resized, Focus, Leave, MouseDown, MouseUp, MouseMove, Wheel, Key, Text };
  Kind kind = Kind::Exposed;
  WindowId window = 0;
  // Moved: the window's top-left on the screen; Resized: the new client size
  // (x wide, y high); pointer events: the point in client pixels.
  int x = 0, y = 0;
  int button = 0;   // MouseDown/Up: the button; MouseMove: the buttons held (vbLeftButton...)
  int shift = 0;    // vbShiftMask, vbCtrlMask, vbAltMask
  int clicks = 1;   // 2 on the second press of a double click
  int steps = 0;    // Wheel: notches, positive away from the operator
  int key = 0;      // Key: the virtual key code
  std::string text; // Text: the characters typed, in the program's code page
};

enum class Pointer { Arrow, IBeam, Hourglass };

struct Driver {
  std::string name;           // the display's name, for messages
  int width = 0, height = 0;  // the screen's size in pixels (0: not known)
  // A window showing `width` x `height` client pixels with its top-left at (x, y) (kAnywhere: the system's choice).
  std::function<WindowId(const std::string& title, int x, int y, int width, int height, bool resizable)> create;
  std::function<void(WindowId)> destroy;
  std::function<void(WindowId, const std::string& title)> title;
  std::function<void(WindowId, int x, int y)> move;
  std::function<void(WindowId, int width, int height)> size;
  // Shows the picture in the window; false when it could not.
  std::function<bool(WindowId, const Picture&)> present;
  // The next event, waiting for one up to `timeoutMs` (0: none waiting).
  std::function<bool(Event*, int timeoutMs)> poll;

  // Optional.
  std::function<void(WindowId)> raise;
  std::function<void(WindowId, bool above)> keepAbove;
  std::function<void(Pointer)> pointer;
  // A descriptor readable when events wait (-1: none; the screen then waits in poll).
  std::function<int()> descriptor;
  std::function<void()> bell;
  std::function<void()> close;  // the display closed (windows already destroyed)
};

}  // namespace winplat::screen
