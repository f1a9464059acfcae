// Hit tests of the controls, on the geometry their drawing uses.
#include "hit_test.h"

#include <algorithm>
#include <cmath>

#include "controls_internal.h"
#include "winplat/controls/lists.h"
#include "winplat/controls/scroll.h"
#include "winplat/controls/standard.h"
#include "winplat/window.h"

namespace winplat::controls::hit {
namespace {

using geometry::Place;

bool TakesPointer(const Control& c) {
  switch (c.Kind()) {
    case ControlKind::Timer:
    case ControlKind::CommonDialog:
    case ControlKind::Line:
    case ControlKind::Shape:
      return false;
    default:
      return c.ShownOnScreen();
  }
}

// An outside component's window (not a control) under a point of `parent`'s
// client area, children before their parents, front to back.
HWND ForeignWindowAt(HWND parent, HWND form, POINT formPoint, POINT* local) {
  for (HWND child : WindowZOrder(parent)) {
    if (detail::ControlOf(child) || !IsWindowVisible(child)) continue;
    RECT r;
    if (!GetWindowRect(child, &r)) continue;
    POINT origin{r.left, r.top};
    ScreenToClient(form, &origin);
    RECT client;
    GetClientRect(child, &client);
    POINT inside{formPoint.x - origin.x, formPoint.y - origin.y};
    if (inside.x < 0 || inside.y < 0 || inside.x >= client.right || inside.y >= client.bottom) continue;
    if (HWND deeper = ForeignWindowAt(child, form, formPoint, local)) return deeper;
    *local = inside;
    return child;
  }
  // Controls may hold outside windows (a slot's component): look under them too.
  for (HWND child : WindowZOrder(parent)) {
    if (!detail::ControlOf(child) || !IsWindowVisible(child)) continue;
    if (HWND inner = ForeignWindowAt(child, form, formPoint, local)) return inner;
  }
  return 0;
}

}  // namespace

Area ScrollBarAreaAt(const ScrollBar& bar, const Place& p, int x, int y) {
  if (!p.Holds(x, y)) return Area::None;
  geometry::BarParts parts = geometry::ScrollBarParts(bar, p);
  if (parts.first.Holds(x, y)) return Area::ArrowToMin;
  if (parts.last.Holds(x, y)) return Area::ArrowToMax;
  if (parts.thumb.Holds(x, y)) return Area::Thumb;
  int along = parts.vertical ? y : x;
  int thumbStart = parts.vertical ? parts.thumb.y : parts.thumb.x;
  return along < thumbStart ? Area::TroughToMin : Area::TroughToMax;
}

int ScrollBarValueAt(const ScrollBar& bar, const Place& p, int x, int y) {
  geometry::BarParts parts = geometry::ScrollBarParts(bar, p);
  int arrow = parts.troughStart;
  // The thumb's middle follows the pointer.
  int along = (parts.vertical ? y - p.y : x - p.x) - arrow - arrow / 2;
  double at = parts.troughSpan > 0 ? std::clamp(static_cast<double>(along) / parts.troughSpan, 0.0, 1.0) : 0.0;
  return bar.Min() + static_cast<int>(std::lround(at * (bar.Max() - bar.Min())));
}

int ListEntryAt(const ListBox& list, const Place& p, int y) {
  int line = geometry::ListRowHeight(list);
  if (line <= 0) return -1;
  int offset = y - p.y - geometry::kListInset;
  if (offset < 0) return -1;
  int row = offset / line;
  if (row >= geometry::ListRowsShown(list, p)) return -1;
  int entry = list.TopIndex() + row;
  return entry < list.ListCount() ? entry : -1;
}

int TabAt(const TabStrip& strip, const Place& p, int x, int y) {
  for (int i = 0; i < strip.Tabs(); ++i)
    if (geometry::TabPlace(strip, p, i).Holds(x, y)) return i;
  return -1;
}

Area UpDownAreaAt(const Place& p, int y) {
  return geometry::UpDownHalf(p, true).Holds(p.x, y) ? Area::Up : Area::Down;
}

int CaretAt(const TextBox& box, const Place& p, int x) {
  const std::string& text = box.Text();
  // The position whose caret lies nearest the pointer.
  int best = 0, bestDistance = -1;
  for (int i = 0; i <= static_cast<int>(text.size()); ++i) {
    int at = p.x + geometry::kTextInset + geometry::TextWidthPx(text.substr(0, static_cast<std::size_t>(i)), box.FontSize());
    int distance = std::abs(at - x);
    if (bestDistance < 0 || distance < bestDistance) best = i, bestDistance = distance;
  }
  return best;
}

Hit At(Form& form, int x, int y) {
  Hit hit;
  if (form.hWnd()) {
    POINT local;
    if (HWND foreign = ForeignWindowAt(form.hWnd(), form.hWnd(), POINT{x, y}, &local)) {
      hit.foreign = foreign;
      hit.foreignPoint = local;
      return hit;
    }
  }
  const auto& controls = form.Controls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    Control& c = **it;
    if (!TakesPointer(c)) continue;
    Place p = geometry::PlaceOf(c);
    if (!p.Holds(x, y)) continue;
    hit.control = &c;
    hit.part = Area::Body;
    switch (c.Kind()) {
      case ControlKind::HScrollBar:
      case ControlKind::VScrollBar:
        hit.part = ScrollBarAreaAt(static_cast<ScrollBar&>(c), p, x, y);
        break;
      case ControlKind::ListBox:
      case ControlKind::FileListBox:
        hit.index = ListEntryAt(static_cast<ListBox&>(c), p, y);
        hit.part = Area::Row;
        break;
      case ControlKind::TabStrip:
        hit.index = TabAt(static_cast<TabStrip&>(c), p, x, y);
        // Below the tabs the strip's page shows the form: controls behind it take the click.
        if (hit.index < 0 && y >= p.y + geometry::TabRowHeight(static_cast<TabStrip&>(c))) continue;
        hit.part = Area::Tab;
        break;
      case ControlKind::UpDown:
        hit.part = UpDownAreaAt(p, y);
        break;
      case ControlKind::Frame:
        break;
      default:
        break;
    }
    return hit;
  }
  return hit;
}

}  // namespace winplat::controls::hit
