#pragma once
// Shared by the control sources: the window class the controls live in.
#include "winplat/controls/control.h"
#include "winplat/window.h"

namespace winplat::controls::detail {

// Registers (once) and names the class of every control and form window.
const char* ControlClassName();
// The control a window belongs to (nullptr for another window).
Control* ControlOf(HWND hwnd);
// Twips to whole pixels.
int Px(int twips);

}  // namespace winplat::controls::detail
