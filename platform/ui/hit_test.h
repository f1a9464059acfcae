#pragma once
// What lies under a point of a form, found with the geometry its drawing uses
// (winplat/controls/geometry.h).
#include <cstdint>

#include "winplat/controls/form.h"
#include "winplat/controls/geometry.h"
#include "winplat/controls/picture.h"
#include "winplat/types.h"

namespace winplat::controls::hit {

// Bar: a scroll bar control, or the bar a list or grid draws; Row: a list's
// entry; Tab: a tab of a strip; Up/Down: an up-down's halves; Cell: a grid's.
enum class Area { None, Body, Bar, Row, Tab, Up, Down, Cell };

struct Hit {
  Control* control = nullptr;  // the control under the point (nullptr: the form itself)
  Area part = Area::None;
  BarPart bar = BarPart::None;  // the part of the bar hit
  bool horizontal = false;      // which of a grid's two bars
  int index = -1;               // the list entry or the tab
  std::int32_t row = -1, col = -1;  // the grid cell (0: a heading)
  HWND foreign = 0;             // an outside component's window under the point
  POINT foreignPoint;           // the point in that window's client pixels
};

// The frontmost thing under (x, y), in the form's client pixels.
Hit At(Form& form, int x, int y);

// The grid a slot shows, laid out where the slot paints it (false: none).
bool GridInSlot(const HostSlot& slot, SpreadGrid** grid, GridGeometry* layout);

}  // namespace winplat::controls::hit
