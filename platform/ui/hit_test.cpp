// Hit tests of the controls, on the geometry their drawing uses.
#include "hit_test.h"

#include "controls_internal.h"
#include "winplat/controls/lists.h"
#include "winplat/controls/picture.h"
#include "winplat/controls/scroll.h"
#include "winplat/controls/standard.h"
#include "winplat/window.h"

namespace winplat::controls::hit {
namespace {

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

bool GridInSlot(const HostSlot& slot, SpreadGrid** grid, GridGeometry* layout) {
  SpreadGrid* shown = slot.ShownGrid();
  if (!shown) return false;
  *grid = shown;
  *layout = GridLayout(*shown, SlotInside(PlaceOnForm(slot)));
  return true;
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
    const Box p = PlaceOnForm(c);
    if (!p.Contains(x, y)) continue;
    hit.control = &c;
    hit.part = Area::Body;
    switch (c.Kind()) {
      case ControlKind::HScrollBar:
      case ControlKind::VScrollBar:
        hit.part = Area::Bar;
        hit.bar = ScrollBarLayout(static_cast<ScrollBar&>(c), p).PartAt(x, y);
        break;
      case ControlKind::ListBox:
      case ControlKind::FileListBox: {
        const ListGeometry g = ListLayout(static_cast<ListBox&>(c), p);
        if (g.scrollBar && g.bar.whole.Contains(x, y)) {
          hit.part = Area::Bar;
          hit.bar = g.bar.PartAt(x, y);
        } else {
          hit.part = Area::Row;
          hit.index = g.EntryAt(x, y);
        }
        break;
      }
      case ControlKind::TabStrip: {
        const TabGeometry g = TabLayout(static_cast<TabStrip&>(c), p);
        hit.index = g.TabAt(x, y);
        // Below the tabs the strip's page shows the form: controls behind it take the click.
        if (hit.index < 0 && y >= p.y + g.tabHeight) continue;
        hit.part = Area::Tab;
        break;
      }
      case ControlKind::UpDown:
        hit.part = UpDownLayout(p).up.Contains(x, y) ? Area::Up : Area::Down;
        break;
      case ControlKind::Slot: {
        SpreadGrid* grid = nullptr;
        GridGeometry g;
        if (!GridInSlot(static_cast<HostSlot&>(c), &grid, &g)) break;
        for (const ScrollBarGeometry* bar : {&g.vBar, &g.hBar}) {
          const bool shown = bar == &g.vBar ? g.vScroll : g.hScroll;
          if (shown && bar->whole.Contains(x, y)) {
            hit.part = Area::Bar;
            hit.bar = bar->PartAt(x, y);
            hit.horizontal = bar == &g.hBar;
          }
        }
        if (hit.part == Area::Body && g.CellAt(x, y, &hit.row, &hit.col)) hit.part = Area::Cell;
        break;
      }
      default:
        break;
    }
    return hit;
  }
  return hit;
}

}  // namespace winplat::controls::hit
