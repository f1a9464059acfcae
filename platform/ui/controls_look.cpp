// The plain drawn look of the controls: a form draws itself and every control
// shown on it into its own picture, picture boxes copied in from their own.
#include <algorithm>
#include <string>
#include <vector>

#include "controls_canvas.h"
#include "controls_geometry.h"
#include "controls_internal.h"
#include "winplat/controls/form.h"
#include "winplat/controls/lists.h"
#include "winplat/controls/picture.h"
#include "winplat/controls/scroll.h"
#include "winplat/controls/standard.h"
#include "winplat/window.h"

namespace winplat::controls {
namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kLight = 0xE0E0E0;
constexpr COLORREF kShadow = 0x808080;
constexpr COLORREF kDark = 0x404040;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kSelection = 0x800000;  // navy

using geometry::Place;
using geometry::PlaceOf;
using geometry::TextHeightPx;
using geometry::TextWidthPx;

void Raised(HDC hdc, const Place& p, COLORREF face) {
  canvas::Fill(hdc, p.x, p.y, p.x + p.w, p.y + p.h, face);
  canvas::Line(hdc, p.x, p.y, p.x + p.w - 1, p.y, kWhite, 1, 13);
  canvas::Line(hdc, p.x, p.y, p.x, p.y + p.h - 1, kWhite, 1, 13);
  canvas::Line(hdc, p.x, p.y + p.h - 1, p.x + p.w - 1, p.y + p.h - 1, kDark, 1, 13);
  canvas::Line(hdc, p.x + p.w - 1, p.y, p.x + p.w - 1, p.y + p.h - 1, kDark, 1, 13);
}

void Sunken(HDC hdc, const Place& p, COLORREF face) {
  canvas::Fill(hdc, p.x, p.y, p.x + p.w, p.y + p.h, face);
  canvas::Box(hdc, p.x, p.y, p.x + p.w - 1, p.y + p.h - 1, kShadow, false, 0, 13);
}

void Caption(HDC hdc, const Control& c, int x, int y, const std::string& text) {
  canvas::Text(hdc, x, y, text, c.EnabledAlongContainers() ? c.ForeColor() : kShadow, c.FontSize());
}

void DrawScrollBar(HDC hdc, const ScrollBar& bar, const Place& p) {
  canvas::Fill(hdc, p.x, p.y, p.x + p.w, p.y + p.h, kLight);
  geometry::BarParts parts = geometry::ScrollBarParts(bar, p);
  Raised(hdc, parts.first, 0xC0C0C0);
  Raised(hdc, parts.last, 0xC0C0C0);
  Raised(hdc, parts.thumb, 0xC0C0C0);
}

void DrawList(HDC hdc, const ListBox& list, const Place& p) {
  Sunken(hdc, p, kWhite);
  int line = geometry::ListRowHeight(list);
  if (line <= 0) return;
  int rows = geometry::ListRowsShown(list, p);
  for (int i = 0; i < rows && list.TopIndex() + i < list.ListCount(); ++i) {
    int item = list.TopIndex() + i;
    int y = p.y + geometry::kListInset + i * line;
    COLORREF color = list.ForeColor();
    if (item == list.ListIndex()) {
      canvas::Fill(hdc, p.x + 2, y, p.x + p.w - 2, y + line, kSelection);
      color = kWhite;
    }
    canvas::Text(hdc, p.x + 4, y, list.List(item), list.EnabledAlongContainers() ? color : kShadow, list.FontSize());
  }
}

void DrawTabs(HDC hdc, const TabStrip& strip, const Place& p) {
  int tabHeight = geometry::TabRowHeight(strip);
  canvas::Box(hdc, p.x, p.y + tabHeight, p.x + p.w - 1, p.y + p.h - 1, kDark, false, 0, 13);
  for (int i = 0; i < strip.Tabs(); ++i) {
    Place tab = geometry::TabPlace(strip, p, i);
    Raised(hdc, tab, i == strip.Tab() ? 0xD8D8D8 : 0xC0C0C0);
    canvas::Text(hdc, tab.x + 4, tab.y + 3, strip.TabCaption(i), strip.TabEnabled(i) ? kBlack : kShadow,
                 strip.FontSize());
  }
}

void DrawControl(HDC hdc, Control& c) {
  Place p = PlaceOf(c);
  int th = TextHeightPx(c.FontSize());
  switch (c.Kind()) {
    case ControlKind::Label:
      Caption(hdc, c, p.x, p.y, c.Caption());
      break;
    case ControlKind::TextBox: {
      Sunken(hdc, p, c.BackColor());
      Caption(hdc, c, p.x + geometry::kTextInset, p.y + std::max(1, (p.h - th) / 2), c.ShownText());
      if (c.HasFocus()) {
        int caret = geometry::CaretX(static_cast<TextBox&>(c), p);
        canvas::Line(hdc, caret, p.y + 3, caret, p.y + p.h - 4, kBlack, 1, 13);
      }
      break;
    }
    case ControlKind::CheckBox: {
      auto& box = static_cast<CheckBox&>(c);
      int size = 13, y = p.y + std::max(0, (p.h - size) / 2);
      Sunken(hdc, {p.x, y, size, size}, box.Value() == vbGrayed ? kLight : kWhite);
      if (box.Value() != vbUnchecked) {
        canvas::Line(hdc, p.x + 3, y + 6, p.x + 5, y + 9, kBlack, 2, 13);
        canvas::Line(hdc, p.x + 5, y + 9, p.x + 10, y + 3, kBlack, 2, 13);
      }
      Caption(hdc, c, p.x + size + 5, p.y + std::max(0, (p.h - th) / 2), c.Caption());
      break;
    }
    case ControlKind::OptionButton: {
      auto& option = static_cast<OptionButton&>(c);
      int size = 12, y = p.y + std::max(0, (p.h - size) / 2);
      canvas::Ellipse(hdc, p.x, y, p.x + size, y + size, kShadow, 1, 13);
      if (option.Value()) canvas::Box(hdc, p.x + 4, y + 4, p.x + 7, y + 7, kBlack, true, kBlack, 13);
      Caption(hdc, c, p.x + size + 5, p.y + std::max(0, (p.h - th) / 2), c.Caption());
      break;
    }
    case ControlKind::CommandButton: {
      Raised(hdc, p, 0xC0C0C0);
      int tw = TextWidthPx(c.Caption(), c.FontSize());
      Caption(hdc, c, p.x + (p.w - tw) / 2, p.y + (p.h - th) / 2, c.Caption());
      if (c.HasFocus()) canvas::Box(hdc, p.x + 3, p.y + 3, p.x + p.w - 4, p.y + p.h - 4, kDark, false, 0, 13);
      break;
    }
    case ControlKind::Frame:
      canvas::Box(hdc, p.x, p.y + th / 2, p.x + p.w - 1, p.y + p.h - 1, kShadow, false, 0, 13);
      if (!c.Caption().empty()) {
        int tw = TextWidthPx(c.Caption(), c.FontSize());
        canvas::Fill(hdc, p.x + 6, p.y, p.x + 10 + tw, p.y + th, c.ParentForm()->BackColor());
        Caption(hdc, c, p.x + 8, p.y, c.Caption());
      }
      break;
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar:
      DrawScrollBar(hdc, static_cast<ScrollBar&>(c), p);
      break;
    case ControlKind::ComboBox:
      Sunken(hdc, p, c.BackColor());
      Caption(hdc, c, p.x + 3, p.y + std::max(1, (p.h - th) / 2), c.ShownText());
      break;
    case ControlKind::ListBox:
    case ControlKind::FileListBox:
      DrawList(hdc, static_cast<ListBox&>(c), p);
      break;
    case ControlKind::TabStrip:
      DrawTabs(hdc, static_cast<TabStrip&>(c), p);
      break;
    case ControlKind::UpDown:
      Raised(hdc, geometry::UpDownHalf(p, true), 0xC0C0C0);
      Raised(hdc, geometry::UpDownHalf(p, false), 0xC0C0C0);
      break;
    case ControlKind::PictureBox:
      canvas::CopyWindow(c.hWnd(), hdc, p.x, p.y);
      canvas::Box(hdc, p.x - 1, p.y - 1, p.x + p.w, p.y + p.h, kShadow, false, 0, 13);
      break;
    case ControlKind::Slot: {
      // A slot holding a placed control shows only that control's own window
      // (copied in over the form while it is visible); hidden, the form shows.
      auto& slot = static_cast<HostSlot&>(c);
      if (slot.Object()) {
        canvas::Fill(hdc, p.x, p.y, p.x + p.w, p.y + p.h, c.ParentForm()->BackColor());
        break;
      }
      Sunken(hdc, p, kWhite);
      if (slot.GetPainter()) {
        RECT area{p.x + 1, p.y + 1, p.x + p.w - 1, p.y + p.h - 1};
        auto painter = slot.GetPainter();
        RunHandler(slot.DisplayName() + "_Paint", [&] { painter(hdc, area); });
      }
      break;
    }
    case ControlKind::Line: {
      auto& line = static_cast<LineControl&>(c);
      if (c.Container() == c.ParentForm())
        canvas::Line(hdc, detail::Px(static_cast<int>(line.X1())), detail::Px(static_cast<int>(line.Y1())),
                     detail::Px(static_cast<int>(line.X2())), detail::Px(static_cast<int>(line.Y2())),
                     line.BorderColor(), line.BorderWidth(), 13);
      break;
    }
    default:
      break;
  }
}

// Windows on the form that are not its controls (an outside component's own
// windows): their pictures are copied in, back to front, children over parents.
void CopyForeignWindows(HWND parent, HWND form, HDC hdc) {
  std::vector<HWND> children = WindowZOrder(parent);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    HWND child = *it;
    if (detail::ControlOf(child) || !IsWindowVisible(child)) continue;
    RECT r;
    if (!GetWindowRect(child, &r)) continue;
    POINT origin{r.left, r.top};
    ScreenToClient(form, &origin);
    UpdateWindow(child);
    canvas::CopyWindow(child, hdc, origin.x, origin.y);
    CopyForeignWindows(child, form, hdc);
  }
}

}  // namespace

void Control::Paint() {}

void Form::Paint() {
  if (!hwnd_) return;
  // Picture boxes bring their own pictures up to date first.
  for (Control* c : order_)
    if (c->Kind() == ControlKind::PictureBox && c->hWnd()) UpdateWindow(c->hWnd());
  HDC hdc = canvas::WindowDC(hwnd_);
  if (!hdc) return;
  canvas::Fill(hdc, 0, 0, detail::Px(width_), detail::Px(height_), backColor_);
  for (Control* c : order_)
    if (c->ShownOnScreen()) DrawControl(hdc, *c);
  CopyForeignWindows(hwnd_, hwnd_, hdc);
  canvas::Release(hwnd_, hdc);
}

}  // namespace winplat::controls
