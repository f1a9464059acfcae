#pragma once
// The operator's pointer and keys on the program's top-level windows, at client
// pixels: what a display turns its mouse and keyboard into. Points are hit-tested
// on the geometry the controls are drawn with; the controls then get the same
// operator actions the operator commands use.
#include "winplat/types.h"

namespace winplat::controls::hand {

enum class MouseAction { Down, Move, Up };

// A button pressed, the pointer moved (buttons: those held) or a button
// released, at (x, y) of `window`'s client area; button and shift as in the
// controls' mouse events. A press and release on one control is a click at the release.
// `clicks` 2 on the second press of a double click.
void Mouse(HWND window, MouseAction action, int x, int y, int button, int shift, int clicks = 1);
// The wheel turned `steps` notches at (x, y): positive away from the operator.
void Wheel(HWND window, int x, int y, int steps);
// A key pressed (virtual key code) on the window with the focus, then the
// character it typed, if any (Character).
void Key(HWND window, int keyCode, int shift);
void Character(HWND window, int code);
// The window's close box.
void CloseBox(HWND window);
// The pointer's shape over a point: vbHourglass, vbIBeam or vbArrow.
constexpr int vbIBeam = 3;
int PointerAt(HWND window, int x, int y);
// With `on`, the hand passes the window by: its clicks, keys and close box do
// nothing (a dialog shown while a command file answers it).
void PassBy(HWND window, bool on);
// Forgets a press in progress (the window lost the pointer).
void Release();

}  // namespace winplat::controls::hand
