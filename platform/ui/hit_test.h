#pragma once
// What lies under a point of a form: one test per control kind, each on the
// geometry its drawing uses (controls_geometry.h).
#include "controls_geometry.h"
#include "winplat/controls/form.h"
#include "winplat/types.h"

namespace winplat::controls::hit {

enum class Area { None, Body, ArrowToMin, ArrowToMax, TroughToMin, TroughToMax, Thumb, Row, Tab, Up, Down };

struct Hit {
  Control* control = nullptr;  // the control under the point (nullptr: the form itself)
  Area part = Area::None;
  int index = -1;              // the list entry or the tab
  HWND foreign = 0;            // an outside component's window under the point
  POINT foreignPoint;          // the point in that window's client pixels
};

// The frontmost thing under (x, y), in the form's client pixels.
Hit At(Form& form, int x, int y);

Area ScrollBarAreaAt(const ScrollBar& bar, const geometry::Place& p, int x, int y);
// The value a thumb dragged to (x, y) stands for (kept within the range).
int ScrollBarValueAt(const ScrollBar& bar, const geometry::Place& p, int x, int y);
// The entry of a list row under the point (-1: no entry there).
int ListEntryAt(const ListBox& list, const geometry::Place& p, int y);
int TabAt(const TabStrip& strip, const geometry::Place& p, int x, int y);
Area UpDownAreaAt(const geometry::Place& p, int y);
// The caret position a click at x puts in a text box.
int CaretAt(const TextBox& box, const geometry::Place& p, int x);

}  // namespace winplat::controls::hit
