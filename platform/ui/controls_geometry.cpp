// Where the parts of the drawn controls lie; the look draws from these and
// the pointer's hit tests find their parts with them.
#include "winplat/controls/geometry.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "controls_canvas.h"
#include "controls_internal.h"
#include "winplat/controls/form.h"
#include "winplat/controls/lists.h"
#include "winplat/controls/scroll.h"
#include "winplat/controls/standard.h"

namespace winplat::controls {
namespace {

constexpr int kDefaultColumnWidth = 64;
constexpr int kMinThumb = 8;

}  // namespace

Box PlaceOnForm(const Control& c) {
  Box b{detail::Px(c.Left()), detail::Px(c.Top()), detail::Px(c.Width()), detail::Px(c.Height())};
  for (const Control* k = c.Container(); k && k != k->ParentForm(); k = k->Container()) {
    b.x += detail::Px(k->Left());
    b.y += detail::Px(k->Top());
  }
  return b;
}

Box SlotInside(Box place) { return Box{place.x + 1, place.y + 1, std::max(0, place.w - 2), std::max(0, place.h - 2)}; }

int TextHeightPx(float points) {
  int w = 0, h = 0;
  canvas::TextSize("X", points, &w, &h);
  return h;
}

int TextWidthPx(const std::string& text, float points) {
  int w = 0, h = 0;
  canvas::TextSize(text, points, &w, &h);
  return w;
}

ScrollBarGeometry ScrollBarLayout(Box area, bool vertical, int min, int max, int value, int page) {
  ScrollBarGeometry g;
  g.vertical = vertical;
  g.min = min;
  g.max = max;
  g.whole = area;
  const int length = vertical ? area.h : area.w;
  const int across = vertical ? area.w : area.h;
  const int arrow = std::max(0, std::min(across, length / 3));
  auto along = [&](int from, int size) {
    return vertical ? Box{area.x, area.y + from, area.w, size} : Box{area.x + from, area.y, size, area.h};
  };
  g.less = along(0, arrow);
  g.more = along(length - arrow, arrow);
  const int trackLength = std::max(0, length - 2 * arrow);
  g.track = along(arrow, trackLength);
  const int low = std::min(min, max), range = std::abs(max - min);
  int thumb = arrow;
  if (page > 0) thumb = std::max(kMinThumb, static_cast<int>(static_cast<long long>(trackLength) * page / (range + page)));
  thumb = std::min(thumb, trackLength);
  // Min may exceed Max: the thumb still goes from Min's end to Max's.
  double at = range == 0 ? 0.0 : static_cast<double>(std::clamp(value, low, low + range) - low) / range;
  if (min > max) at = 1.0 - at;
  g.thumb = along(arrow + static_cast<int>(at * (trackLength - thumb) + 0.5), thumb);
  return g;
}

ScrollBarGeometry ScrollBarLayout(const ScrollBar& bar, Box area) {
  return ScrollBarLayout(area, bar.Kind() == ControlKind::VScrollBar, bar.Min(), bar.Max(), bar.Value());
}

BarPart ScrollBarGeometry::PartAt(int px, int py) const {
  if (!whole.Contains(px, py)) return BarPart::None;
  if (less.Contains(px, py)) return BarPart::Less;
  if (more.Contains(px, py)) return BarPart::More;
  if (thumb.Contains(px, py)) return BarPart::Thumb;
  return (vertical ? py < thumb.y : px < thumb.x) ? BarPart::TroughLess : BarPart::TroughMore;
}

int ScrollBarGeometry::ValueAt(int px, int py) const {
  const int thumbLength = vertical ? thumb.h : thumb.w;
  const int span = (vertical ? track.h : track.w) - thumbLength;
  const int from = (vertical ? py - track.y : px - track.x) - thumbLength / 2;
  const double at = span > 0 ? std::clamp(static_cast<double>(from) / span, 0.0, 1.0) : 0.0;
  return min + static_cast<int>(std::lround(at * (max - min)));
}

int ListRowsShown(int heightPx, int lineHeight) {
  if (lineHeight <= 0) return 1;
  return std::max(1, (heightPx - 4) / lineHeight);
}

ListGeometry ListLayout(Box area, int lineHeight, int count, int topIndex) {
  ListGeometry g;
  g.area = area;
  g.lineHeight = lineHeight;
  g.rows = ListRowsShown(area.h, lineHeight);
  g.count = count;
  g.first = std::max(0, topIndex);
  g.scrollBar = count > g.rows;
  int textRight = area.Right() - 2;
  if (g.scrollBar) {
    const int thick = std::min(kScrollBarThickness, area.w / 2);
    Box bar{area.Right() - 1 - thick, area.y + 1, thick, area.h - 2};
    g.bar = ScrollBarLayout(bar, true, 0, std::max(0, count - g.rows), g.first, g.rows);
    textRight = bar.x;
  }
  g.text = Box{area.x + 2, area.y + 2, std::max(0, textRight - area.x - 2), std::max(0, area.h - 4)};
  return g;
}

ListGeometry ListLayout(const ListBox& list, Box area) {
  return ListLayout(area, TextHeightPx(list.FontSize()), list.ListCount(), list.TopIndex());
}

Box ListGeometry::EntryBox(int item) const {
  const int i = item - first;
  if (item < 0 || item >= count || i < 0 || i >= rows) return {};
  return Box{text.x, text.y + i * lineHeight, text.w, lineHeight};
}

int ListGeometry::EntryAt(int px, int py) const {
  if (!text.Contains(px, py) || lineHeight <= 0) return -1;
  const int item = first + (py - text.y) / lineHeight;
  return item < count && item - first < rows ? item : -1;
}

UpDownGeometry UpDownLayout(Box area) {
  return UpDownGeometry{Box{area.x, area.y, area.w, area.h / 2},
                        Box{area.x, area.y + area.h / 2, area.w, area.h - area.h / 2}};
}

int CaretX(const TextBox& box, Box area) {
  const std::string shown = box.ShownText();
  const int at = std::clamp(box.SelStart(), 0, static_cast<int>(shown.size()));
  return area.x + kTextInset + TextWidthPx(shown.substr(0, static_cast<std::size_t>(at)), box.FontSize());
}

int CaretAt(const TextBox& box, Box area, int px) {
  const std::string shown = box.ShownText();
  int best = 0, bestDistance = -1;
  for (int i = 0; i <= static_cast<int>(shown.size()); ++i) {
    const int x = area.x + kTextInset + TextWidthPx(shown.substr(0, static_cast<std::size_t>(i)), box.FontSize());
    if (bestDistance < 0 || std::abs(x - px) < bestDistance) best = i, bestDistance = std::abs(x - px);
  }
  return best;
}

TabGeometry TabLayout(Box area, int tabs, int selected, float fontSize) {
  TabGeometry g;
  g.tabHeight = TextHeightPx(fontSize) + 6;
  g.page = Box{area.x, area.y + g.tabHeight, area.w, std::max(0, area.h - g.tabHeight)};
  const int width = tabs > 0 ? area.w / tabs : area.w;
  for (int i = 0; i < tabs; ++i) {
    const int lift = i == selected ? 0 : 2;
    g.tabs.push_back(Box{area.x + i * width, area.y + lift, width, g.tabHeight - lift});
  }
  return g;
}

TabGeometry TabLayout(const TabStrip& strip, Box area) {
  return TabLayout(area, strip.Tabs(), strip.Tab(), strip.FontSize());
}

int TabGeometry::TabAt(int px, int py) const {
  for (std::size_t i = 0; i < tabs.size(); ++i)
    if (tabs[i].Contains(px, py)) return static_cast<int>(i);
  return -1;
}

int GridColumnWidth(const SpreadGrid& grid, std::int32_t col) {
  if (std::int32_t set = grid.ColWidth(col); set > 0) return set;
  if (col == 0) {
    // Wide enough for the longest row heading in use.
    int widest = TextWidthPx(SpreadGrid::DefaultHeading(std::max(1, grid.MaxRows()), 0), kGridFontSize);
    for (std::int32_t r = 1; r <= std::min(grid.MaxRows(), 1000); ++r)
      if (std::string text = grid.CellText(r, 0); text != SpreadGrid::DefaultHeading(r, 0))
        widest = std::max(widest, TextWidthPx(text, kGridFontSize));
    return std::max(24, widest + 8);
  }
  return std::max(kDefaultColumnWidth, TextWidthPx(grid.CellText(0, col), kGridFontSize) + 8);
}

GridGeometry GridLayout(const SpreadGrid& grid, Box area) {
  GridGeometry g;
  g.area = area;
  g.rowHeight = TextHeightPx(kGridFontSize) + 4;
  g.headerHeight = g.rowHeight;
  g.headerWidth = GridColumnWidth(grid, 0);
  const std::int32_t maxRows = grid.MaxRows(), maxCols = grid.MaxCols();
  std::vector<int> widths(static_cast<std::size_t>(maxCols) + 1, 0);
  long long allWidth = g.headerWidth;
  for (std::int32_t c = 1; c <= maxCols; ++c) {
    widths[static_cast<std::size_t>(c)] = GridColumnWidth(grid, c);
    allWidth += widths[static_cast<std::size_t>(c)];
  }
  const long long allHeight = static_cast<long long>(g.rowHeight) * (maxRows + 1);
  // A bar along one side takes room from the other, so decide twice.
  for (int pass = 0; pass < 2; ++pass) {
    g.vScroll = allHeight > area.h - (g.hScroll ? kScrollBarThickness : 0);
    g.hScroll = allWidth > area.w - (g.vScroll ? kScrollBarThickness : 0);
  }
  g.cells = Box{area.x, area.y, std::max(0, area.w - (g.vScroll ? kScrollBarThickness : 0)),
                std::max(0, area.h - (g.hScroll ? kScrollBarThickness : 0))};

  g.fullRows = std::max(0, (g.cells.h - g.headerHeight) / std::max(1, g.rowHeight));
  const std::int32_t lastTop = std::max<std::int32_t>(1, maxRows - std::max(1, g.fullRows) + 1);
  g.lastTop = lastTop;
  const std::int32_t top = std::clamp(grid.TopRow(), 1, lastTop);
  for (std::int32_t r = top, y = g.cells.y + g.headerHeight; r <= maxRows && y < g.cells.Bottom(); ++r, y += g.rowHeight)
    g.rows.push_back(r);

  // The last left column that still fills the view toward the right.
  std::int32_t lastLeft = std::max(1, maxCols);
  if (maxCols >= 1) {
    const int room = g.cells.w - g.headerWidth;
    int used = widths[static_cast<std::size_t>(maxCols)];
    while (lastLeft > 1 && used + widths[static_cast<std::size_t>(lastLeft - 1)] <= room)
      used += widths[static_cast<std::size_t>(--lastLeft)];
  }
  g.lastLeft = lastLeft;
  const std::int32_t left = std::clamp(grid.LeftCol(), 1, lastLeft);
  int x = g.cells.x + g.headerWidth;
  for (std::int32_t c = left; c <= maxCols && x < g.cells.Right(); ++c) {
    const int w = widths[static_cast<std::size_t>(c)];
    g.cols.push_back(c);
    g.colBoxes.push_back(Box{x, 0, w, 0});
    if (x + w <= g.cells.Right()) ++g.fullCols;
    x += w;
  }

  if (g.vScroll)
    g.vBar = ScrollBarLayout(Box{g.cells.Right(), area.y, kScrollBarThickness, g.cells.h}, true, 1, lastTop, top,
                             std::max(1, g.fullRows));
  if (g.hScroll)
    g.hBar = ScrollBarLayout(Box{area.x, g.cells.Bottom(), g.cells.w, kScrollBarThickness}, false, 1, lastLeft, left,
                             std::max(1, g.fullCols));
  return g;
}

Box GridGeometry::Cell(std::int32_t row, std::int32_t col) const {
  Box b;
  if (row == 0) {
    b.y = cells.y;
    b.h = headerHeight;
  } else {
    auto it = std::find(rows.begin(), rows.end(), row);
    if (it == rows.end()) return {};
    b.y = cells.y + headerHeight + static_cast<int>(it - rows.begin()) * rowHeight;
    b.h = rowHeight;
  }
  if (col == 0) {
    b.x = cells.x;
    b.w = headerWidth;
  } else {
    auto it = std::find(cols.begin(), cols.end(), col);
    if (it == cols.end()) return {};
    const Box& c = colBoxes[static_cast<std::size_t>(it - cols.begin())];
    b.x = c.x;
    b.w = c.w;
  }
  // Clipped to the cells area.
  const int right = std::min(b.Right(), cells.Right()), bottom = std::min(b.Bottom(), cells.Bottom());
  b.w = std::max(0, right - b.x);
  b.h = std::max(0, bottom - b.y);
  return b;
}

bool GridGeometry::CellAt(int px, int py, std::int32_t* row, std::int32_t* col) const {
  if (!cells.Contains(px, py)) return false;
  std::int32_t r = -1, c = -1;
  if (py < cells.y + headerHeight) r = 0;
  else if (const int i = (py - cells.y - headerHeight) / std::max(1, rowHeight); i < static_cast<int>(rows.size()))
    r = rows[static_cast<std::size_t>(i)];
  if (px < cells.x + headerWidth) c = 0;
  else
    for (std::size_t i = 0; i < cols.size(); ++i)
      if (px >= colBoxes[i].x && px < colBoxes[i].Right()) c = cols[i];
  if (r < 0 || c < 0) return false;
  *row = r;
  *col = c;
  return true;
}

int CellEditTextX(Box edited, const GridCellEdit& edit) {
  const int before = TextWidthPx(edit.text.substr(0, std::min(edit.caret, edit.text.size())), kGridFontSize);
  const int room = std::max(0, edited.w - 6);
  return edited.x + 3 - std::max(0, before - room);
}

std::size_t CellEditCaretAt(Box edited, const GridCellEdit& edit, int px) {
  const int left = CellEditTextX(edited, edit);
  std::size_t best = 0;
  int bestDistance = -1;
  for (std::size_t i = 0; i <= edit.text.size(); ++i) {
    const int distance = std::abs(left + TextWidthPx(edit.text.substr(0, i), kGridFontSize) - px);
    if (bestDistance < 0 || distance < bestDistance) best = i, bestDistance = distance;
  }
  return best;
}

void ScrollGridToActiveCell(SpreadGrid& grid, Box area) {
  GridGeometry g = GridLayout(grid, area);
  const std::int32_t row = grid.ActiveRow(), col = grid.ActiveCol();
  if (row >= 1 && row <= grid.MaxRows() && !g.rows.empty()) {
    const std::int32_t top = g.rows.front();
    if (row < top) grid.SetTopRow(row);
    else if (row >= top + std::max(1, g.fullRows)) grid.SetTopRow(row - std::max(1, g.fullRows) + 1);
    else grid.SetTopRow(top);
  }
  if (col >= 1 && col <= grid.MaxCols() && !g.cols.empty()) {
    std::int32_t left = g.cols.front();
    if (col < left) {
      left = col;
    } else {
      // Move right one column at a time until the current one ends inside the view.
      const int room = g.cells.w - g.headerWidth;
      int used = 0;
      std::vector<int> widths;
      for (std::int32_t c = left; c <= col; ++c) {
        widths.push_back(GridColumnWidth(grid, c));
        used += widths.back();
      }
      for (std::size_t i = 0; left < col && used > room; ++i, ++left) used -= widths[i];
    }
    grid.SetLeftCol(left);
  }
}

}  // namespace winplat::controls
