#pragma once
// Shared by the dialogs drawn on the screen (message boxes, the open-file dialog).
#include "winplat/controls/form.h"
#include "winplat/types.h"

namespace winplat::controls {

int Twips(int pixels);
// Sizes a loaded dialog form to the client area wanted, centres it over its
// owner (else the screen), focuses `focus` and shows it modally; operator lines
// wait while it is up.
void RunOnScreen(Form& dialog, int clientWidth, int clientHeight, HWND owner, Control* focus);
// The same shown without waiting (a dialog a command file answers), long
// enough for the screen to take a frame of it.
void ShowOnScreen(Form& dialog, int clientWidth, int clientHeight, HWND owner, Control* focus);

}  // namespace winplat::controls
