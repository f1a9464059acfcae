// The geometry of the controls' parts, shared by their drawing and hit tests.
#include "controls_geometry.h"

#include <algorithm>

#include "controls_canvas.h"
#include "controls_internal.h"
#include "winplat/controls/form.h"
#include "winplat/controls/lists.h"
#include "winplat/controls/scroll.h"
#include "winplat/controls/standard.h"

namespace winplat::controls::geometry {

Place PlaceOf(const Control& c) {
  Place p{detail::Px(c.Left()), detail::Px(c.Top()), detail::Px(c.Width()), detail::Px(c.Height())};
  for (const Control* k = c.Container(); k && k != k->ParentForm(); k = k->Container()) {
    p.x += detail::Px(k->Left());
    p.y += detail::Px(k->Top());
  }
  return p;
}

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

BarParts ScrollBarParts(const ScrollBar& bar, const Place& p) {
  BarParts parts;
  parts.vertical = bar.Kind() == ControlKind::VScrollBar;
  bool v = parts.vertical;
  int arrow = v ? std::min(p.w, p.h / 3) : std::min(p.h, p.w / 3);
  parts.first = v ? Place{p.x, p.y, p.w, arrow} : Place{p.x, p.y, arrow, p.h};
  parts.last = v ? Place{p.x, p.y + p.h - arrow, p.w, arrow} : Place{p.x + p.w - arrow, p.y, arrow, p.h};
  int span = (v ? p.h : p.w) - 3 * arrow;
  parts.troughStart = arrow;
  parts.troughSpan = span > 0 ? span : 0;
  int range = bar.Max() - bar.Min();
  double at = range == 0 ? 0.0 : static_cast<double>(bar.Value() - bar.Min()) / range;
  int offset = arrow + static_cast<int>(at * parts.troughSpan);
  parts.thumb = v ? Place{p.x, p.y + offset, p.w, arrow} : Place{p.x + offset, p.y, arrow, p.h};
  return parts;
}

int ListRowHeight(const ListBox& list) { return TextHeightPx(list.FontSize()); }

int ListRowsShown(const ListBox& list, const Place& p) {
  int line = ListRowHeight(list);
  return line > 0 ? p.h / line : 0;
}

int TabRowHeight(const TabStrip& strip) { return TextHeightPx(strip.FontSize()) + 6; }

Place TabPlace(const TabStrip& strip, const Place& p, int tab) {
  int width = strip.Tabs() > 0 ? p.w / strip.Tabs() : p.w;
  bool current = tab == strip.Tab();
  int height = TabRowHeight(strip);
  return {p.x + tab * width, p.y + (current ? 0 : 2), width, height - (current ? 0 : 2)};
}

Place UpDownHalf(const Place& p, bool up) {
  return up ? Place{p.x, p.y, p.w, p.h / 2} : Place{p.x, p.y + p.h / 2, p.w, p.h - p.h / 2};
}

int CaretX(const TextBox& box, const Place& p) {
  int at = std::clamp(box.SelStart(), 0, static_cast<int>(box.Text().size()));
  return p.x + kTextInset + TextWidthPx(box.Text().substr(0, static_cast<std::size_t>(at)), box.FontSize());
}

}  // namespace winplat::controls::geometry
