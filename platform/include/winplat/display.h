#pragma once
// The screen: the program's top-level windows shown on a real display (SDL2,
// loaded at run time), their pictures taken from the windows' own bitmaps and
// the pointer and keys turned into the operator's hand (winplat/controls/hand.h).
// Without OpenDisplay nothing here does anything and no display library is loaded.
#include <cstdint>
#include <functional>
#include <string>

#include "winplat/picture.h"
#include "winplat/types.h"

namespace winplat {

// One frame of a window for the screen: what is pending for the window is
// painted first, then its pixels are taken. The screen reads windows only
// through this. `taken`, when given, gets the pixel count the frame was read at.
Picture WindowFrame(HWND hwnd, std::uint64_t* taken = nullptr);
// Whether the window's frame may differ from the one read at `taken`: the
// window or a shown window on it changed its pixels since, or has something
// to paint. False means WindowFrame would give the same pixels.
bool FrameChangedSince(HWND hwnd, std::uint64_t taken);

// Loads the display library and opens the display; false with the reason (no
// DISPLAY nor WAYLAND_DISPLAY, the library missing, the display refusing).
bool OpenDisplay(std::string* reason);
bool DisplayOpen();
// Takes the windows off the screen and closes the display.
void CloseDisplay();
// Called when the display goes away under the program (the X server ended),
// with the display's name; the program then ends with status 2 (the handler
// may run its unload first). No display call is made from then on.
void SetDisplayLostHandler(std::function<void(const std::string& display)> handler);
// Rings the display's bell (the program's beeps), when a display is open.
void RingDisplayBell();

// A window of its own on the screen, drawn by `draw` (a picture of the given
// size, asked for again when `changed` says so): the projection viewer. Returns
// 0 when the display is not open. The window's close box calls `closed`. It
// opens beside the program's main window where the screen has room, else
// where it covers none of that window's controls.
struct PictureWindow {
  std::string title;
  int width = 0;
  int height = 0;
  std::function<bool()> changed;         // checked at most 30 times a second
  std::function<Picture()> draw;
  std::function<void()> closed;
};
int ShowPictureWindow(PictureWindow window);
// Runs the screen's events and frames until `running` says stop, asleep
// between the display's events and the pictures' looks.
void RunPictureWindows(const std::function<bool()>& running);

// Called by the message loop at each pass: the screen, at most 60 times a
// second, takes its events and a frame of each window that changed.
void PumpDisplay();
// The display's side of PumpDisplay, installed by OpenDisplay.
void SetDisplayPump(std::function<void()> pump);

}  // namespace winplat
