#pragma once
// Shared by the control sources: the window class the controls live in.
#include <fstream>
#include <ostream>
#include <string>

#include "winplat/controls/control.h"
#include "winplat/window.h"

namespace winplat::controls::detail {

// Registers (once) and names the class of every control and form window.
const char* ControlClassName();
// The control a window belongs to (nullptr for another window).
Control* ControlOf(HWND hwnd);
// Twips to whole pixels.
int Px(int twips);
// Opens a file of operator commands; false, with the reason written to `log`,
// when it is a folder or cannot be read.
bool OpenCommandFile(const std::string& path, std::ifstream& in, std::ostream& log);

}  // namespace winplat::controls::detail
