#pragma once
// Where the parts of a drawn control lie (arrows, thumb, list rows, grid
// cells), one function per control kind. The drawing uses them, and so can
// anything that must find what a point of the picture hits.
#include <cstdint>
#include <string>
#include <vector>

#include "winplat/components/grid.h"
#include "winplat/types.h"

namespace winplat::controls {

class Control;
class ListBox;
class ScrollBar;
class TabStrip;
class TextBox;

// A rectangle in pixels: x, y its top-left corner, w and h its size.
struct Box {
  int x = 0, y = 0, w = 0, h = 0;
  int Right() const { return x + w; }
  int Bottom() const { return y + h; }
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// Where a control lies in its form's picture, in pixels.
Box PlaceOnForm(const Control& control);
// Where a component in a slot paints: the slot's place less a one-pixel border.
Box SlotInside(Box place);

// Height of a line and width of a text in the controls' face at `points`.
int TextHeightPx(float points);
int TextWidthPx(const std::string& text, float points);

// Thickness of the scroll bars that lists and grids show.
constexpr int kScrollBarThickness = 16;

// A scroll bar: the arrow buttons at its two ends (toward Min, toward Max),
// the track between them and the thumb in the track.
enum class BarPart { None, Less, More, TroughLess, TroughMore, Thumb };
struct ScrollBarGeometry {
  bool vertical = true;
  int min = 0, max = 0;
  Box whole, less, more, track, thumb;
  // The part under a point (the trough on either side of the thumb).
  BarPart PartAt(int px, int py) const;
  // The value whose thumb is centred on the point (within Min..Max).
  int ValueAt(int px, int py) const;
};
// `page` > 0 gives a thumb as long as the page's share of the whole (lists,
// grids); 0 a square thumb (a scroll bar control). Min may exceed Max.
ScrollBarGeometry ScrollBarLayout(Box area, bool vertical, int min, int max, int value, int page = 0);
ScrollBarGeometry ScrollBarLayout(const ScrollBar& bar, Box area);

// A list box: entry rows from TopIndex down, and a vertical scroll bar at the
// right when the entries are more than the rows shown.
struct ListGeometry {
  Box area;
  int lineHeight = 0;
  int rows = 0;      // whole rows shown
  int first = 0;     // entry in the top row (TopIndex)
  int count = 0;     // entries
  bool scrollBar = false;
  ScrollBarGeometry bar;
  Box text;          // where the rows are drawn
  // The row of entry `item` (empty when it is not shown), and the entry under
  // a point (-1 for none).
  Box EntryBox(int item) const;
  int EntryAt(int px, int py) const;
};
// Rows a list of that height in pixels shows with lines of that height.
int ListRowsShown(int heightPx, int lineHeight);
ListGeometry ListLayout(Box area, int lineHeight, int count, int topIndex);
ListGeometry ListLayout(const ListBox& list, Box area);

// An up-down control: the up arrow over the down arrow.
struct UpDownGeometry {
  Box up, down;
};
UpDownGeometry UpDownLayout(Box area);

// A text box: its text starts kTextInset pixels in; the caret stands before
// character SelStart.
constexpr int kTextInset = 3;
int CaretX(const TextBox& box, Box area);
// The caret position nearest a point at x.
int CaretAt(const TextBox& box, Box area, int px);

// A tab strip: one tab per caption along the top, the page below.
struct TabGeometry {
  int tabHeight = 0;
  std::vector<Box> tabs;
  Box page;
  int TabAt(int px, int py) const;  // -1 for none
};
TabGeometry TabLayout(Box area, int tabs, int selected, float fontSize);
TabGeometry TabLayout(const TabStrip& strip, Box area);

// A spreadsheet grid: the header row and column, the data cells from TopRow
// and LeftCol on, and scroll bars when the rows or columns do not fit.
struct GridGeometry {
  Box area;
  Box cells;              // the area less the scroll bars
  int rowHeight = 0;
  int headerWidth = 0;    // column 0
  int headerHeight = 0;   // row 0
  std::vector<std::int32_t> rows;  // data rows shown, top down
  std::vector<std::int32_t> cols;  // data columns shown, left to right
  std::vector<Box> colBoxes;       // x and width of each shown column (y, h unused)
  int fullRows = 0;                // data rows shown whole
  int fullCols = 0;                // data columns shown whole
  std::int32_t lastTop = 1;        // the last TopRow that still fills the view
  std::int32_t lastLeft = 1;       // the last LeftCol that still fills the view
  bool vScroll = false, hScroll = false;
  ScrollBarGeometry vBar, hBar;
  // The rectangle of a cell (row or column 0 for the headers), clipped to the
  // cells area; empty when the cell is not shown.
  Box Cell(std::int32_t row, std::int32_t col) const;
  // The cell under a point: false when the point is on no cell.
  bool CellAt(int px, int py, std::int32_t* row, std::int32_t* col) const;
};
// Font size of the grid's cells, in points.
constexpr float kGridFontSize = 8.25f;
// Width of a data column that neither the program nor a saved grid sets, at
// least as wide as its heading needs.
int GridColumnWidth(const SpreadGrid& grid, std::int32_t col);
GridGeometry GridLayout(const SpreadGrid& grid, Box area);
// A cell edited by hand, drawn in the box `edited`: where its text starts (the
// text slides left when the caret would pass the cell's right edge), and the
// caret position nearest a point at x.
int CellEditTextX(Box edited, const GridCellEdit& edit);
std::size_t CellEditCaretAt(Box edited, const GridCellEdit& edit, int px);
// Moves TopRow and LeftCol so that the active cell is shown whole (as far as
// the area allows).
void ScrollGridToActiveCell(SpreadGrid& grid, Box area);
// Draws a grid into an area of a picture: shaded headings, cell texts clipped
// to their cells, grid lines, the active row marked, the active cell
// outlined, scroll bars when needed.
void DrawGrid(HDC hdc, const SpreadGrid& grid, Box area);

}  // namespace winplat::controls
