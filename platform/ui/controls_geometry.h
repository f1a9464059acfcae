#pragma once
// Where the parts of a control lie on its form, in the form's client pixels:
// the one geometry the drawing and the pointer's hit tests both use.
#include <string>

#include "winplat/controls/control.h"

namespace winplat::controls {
class ScrollBar;
class ListBox;
class TabStrip;
class TextBox;
}  // namespace winplat::controls

namespace winplat::controls::geometry {

struct Place {
  int x = 0, y = 0, w = 0, h = 0;
  bool Holds(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// The control's rectangle on its form (containers' offsets added).
Place PlaceOf(const Control& c);

// Height and width of text in the controls' face at `points`.
int TextHeightPx(float points);
int TextWidthPx(const std::string& text, float points);

// A scroll bar: its two arrows, its thumb and the trough the thumb runs in
// (arrow-sized thumb; `first` is the arrow toward Min).
struct BarParts {
  bool vertical = false;
  Place first, last, thumb;
  int troughStart = 0;  // along the bar, from the bar's start
  int troughSpan = 0;   // how far the thumb's start can move
};
BarParts ScrollBarParts(const ScrollBar& bar, const Place& p);

// A list: the height of one row and the number of rows shown; row i (from the
// top, entry TopIndex + i) starts at p.y + kListInset + i * height.
constexpr int kListInset = 2;
int ListRowHeight(const ListBox& list);
int ListRowsShown(const ListBox& list, const Place& p);

// A tab strip: the height of the tabs' row and the rectangle of tab i.
int TabRowHeight(const TabStrip& strip);
Place TabPlace(const TabStrip& strip, const Place& p, int tab);

// An up-down control: its upper (up) and lower (down) half.
Place UpDownHalf(const Place& p, bool up);

// A text box: where its text starts and the caret's x.
constexpr int kTextInset = 3;
int CaretX(const TextBox& box, const Place& p);

}  // namespace winplat::controls::geometry
