// The plain drawn look of the controls: a form draws itself and every control
// shown on it into its own picture, picture boxes copied in from their own.
#include <algorithm>
#include <string>
#include <vector>

#include "controls_canvas.h"
#include "controls_internal.h"
#include "winplat/controls/form.h"
#include "winplat/controls/geometry.h"
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
constexpr COLORREF kFace = 0xC0C0C0;
constexpr COLORREF kGridLine = 0xC0C0C0;
constexpr COLORREF kActiveRow = 0xFFEBDC;  // light blue

using Place = Box;

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

// A caption that stays inside the control's own box: a long one is cut at the
// box's edge rather than drawn over its neighbours.
void BoxedCaption(HDC hdc, const Control& c, const Place& p, int x, int y) {
  canvas::ClippedText(hdc, p.x, p.y, p.x + p.w, p.y + p.h, x, y, c.Caption(),
                      c.EnabledAlongContainers() ? c.ForeColor() : kShadow, c.FontSize());
}

// A small filled triangle pointing up, down, left or right, centred in a box.
enum class Toward { Up, Down, Left, Right };
void ArrowMark(HDC hdc, const Box& b, Toward toward, COLORREF color) {
  const int size = std::max(2, std::min(b.w, b.h) / 4);  // half the triangle's base
  const int cx = b.x + b.w / 2, cy = b.y + b.h / 2;
  for (int i = 0; i < size; ++i) {
    // Row i from the tip: 2i+1 pixels wide.
    const int along = i - size / 2;
    switch (toward) {
      case Toward::Up: canvas::Fill(hdc, cx - i, cy + along, cx + i + 1, cy + along + 1, color); break;
      case Toward::Down: canvas::Fill(hdc, cx - i, cy - along, cx + i + 1, cy - along + 1, color); break;
      case Toward::Left: canvas::Fill(hdc, cx + along, cy - i, cx + along + 1, cy + i + 1, color); break;
      case Toward::Right: canvas::Fill(hdc, cx - along, cy - i, cx - along + 1, cy + i + 1, color); break;
    }
  }
}

void DrawBar(HDC hdc, const ScrollBarGeometry& g, bool enabled) {
  canvas::Fill(hdc, g.whole.x, g.whole.y, g.whole.Right(), g.whole.Bottom(), kLight);
  const COLORREF mark = enabled ? kBlack : kShadow;
  Raised(hdc, g.less, kFace);
  Raised(hdc, g.more, kFace);
  ArrowMark(hdc, g.less, g.vertical ? Toward::Up : Toward::Left, mark);
  ArrowMark(hdc, g.more, g.vertical ? Toward::Down : Toward::Right, mark);
  if (g.thumb.w > 0 && g.thumb.h > 0) Raised(hdc, g.thumb, kFace);
}

void DrawScrollBar(HDC hdc, const ScrollBar& bar, const Place& p) {
  DrawBar(hdc, ScrollBarLayout(bar, p), bar.EnabledAlongContainers());
}

void DrawList(HDC hdc, const ListBox& list, const Place& p) {
  Sunken(hdc, p, kWhite);
  const ListGeometry g = ListLayout(list, p);
  if (g.lineHeight <= 0) return;
  for (int item = g.first; item < g.count && item - g.first < g.rows; ++item) {
    const Box row = g.EntryBox(item);
    COLORREF color = list.ForeColor();
    if (item == list.ListIndex()) {
      canvas::Fill(hdc, row.x, row.y, row.Right(), row.Bottom(), kSelection);
      color = kWhite;
    }
    canvas::Text(hdc, row.x + 2, row.y, list.List(item), list.EnabledAlongContainers() ? color : kShadow,
                 list.FontSize());
  }
  if (g.scrollBar) DrawBar(hdc, g.bar, list.EnabledAlongContainers());
}

void DrawUpDown(HDC hdc, const Control& c, const Place& p) {
  const UpDownGeometry g = UpDownLayout(p);
  const COLORREF mark = c.EnabledAlongContainers() ? kBlack : kShadow;
  Raised(hdc, g.up, kFace);
  Raised(hdc, g.down, kFace);
  ArrowMark(hdc, g.up, Toward::Up, mark);
  ArrowMark(hdc, g.down, Toward::Down, mark);
}

void DrawTabs(HDC hdc, const TabStrip& strip, const Place& p) {
  const TabGeometry g = TabLayout(strip, p);
  canvas::Box(hdc, g.page.x, g.page.y, g.page.Right() - 1, g.page.Bottom() - 1, kDark, false, 0, 13);
  for (int i = 0; i < strip.Tabs(); ++i) {
    const Box& tab = g.tabs[static_cast<std::size_t>(i)];
    Raised(hdc, tab, i == strip.Tab() ? 0xD8D8D8 : kFace);
    canvas::Text(hdc, tab.x + 4, tab.y + 3, strip.TabCaption(i), strip.TabEnabled(i) ? kBlack : kShadow,
                 strip.FontSize());
  }
}

void DrawControl(HDC hdc, Control& c) {
  Place p = PlaceOnForm(c);
  int th = TextHeightPx(c.FontSize());
  switch (c.Kind()) {
    case ControlKind::Label:
      Caption(hdc, c, p.x, p.y, c.Caption());
      break;
    case ControlKind::TextBox: {
      Sunken(hdc, p, c.BackColor());
      Caption(hdc, c, p.x + kTextInset, p.y + std::max(1, (p.h - th) / 2), c.ShownText());
      if (c.HasFocus()) {
        int caret = CaretX(static_cast<TextBox&>(c), p);
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
      BoxedCaption(hdc, c, p, p.x + size + 5, p.y + std::max(0, (p.h - th) / 2));
      break;
    }
    case ControlKind::OptionButton: {
      auto& option = static_cast<OptionButton&>(c);
      int size = 12, y = p.y + std::max(0, (p.h - size) / 2);
      canvas::Ellipse(hdc, p.x, y, p.x + size, y + size, kShadow, 1, 13);
      if (option.Value()) canvas::Box(hdc, p.x + 4, y + 4, p.x + 7, y + 7, kBlack, true, kBlack, 13);
      BoxedCaption(hdc, c, p, p.x + size + 5, p.y + std::max(0, (p.h - th) / 2));
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
      DrawUpDown(hdc, c, p);
      break;
    case ControlKind::PictureBox:
      canvas::CopyWindow(c.hWnd(), hdc, p.x, p.y);
      canvas::Box(hdc, p.x - 1, p.y - 1, p.x + p.w, p.y + p.h, kShadow, false, 0, 13);
      break;
    case ControlKind::Slot: {
      // A slot holding a placed control shows only that control's own window
      // (copied in over the form while it is visible); hidden, the form shows.
      auto& slot = static_cast<HostSlot&>(c);
      if (slot.Object() && !slot.GetPainter()) {
        canvas::Fill(hdc, p.x, p.y, p.x + p.w, p.y + p.h, c.ParentForm()->BackColor());
        break;
      }
      Sunken(hdc, p, kWhite);
      if (slot.GetPainter()) {
        const Box inside = SlotInside(p);
        RECT area{inside.x, inside.y, inside.Right(), inside.Bottom()};
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

void DrawGrid(HDC hdc, const SpreadGrid& grid, Box area) {
  const GridGeometry g = GridLayout(grid, area);
  canvas::Fill(hdc, area.x, area.y, area.Right(), area.Bottom(), kLight);
  std::vector<std::int32_t> rows{0}, cols{0};
  rows.insert(rows.end(), g.rows.begin(), g.rows.end());
  cols.insert(cols.end(), g.cols.begin(), g.cols.end());
  for (std::int32_t r : rows) {
    for (std::int32_t c : cols) {
      const Box cell = g.Cell(r, c);
      if (cell.w <= 0 || cell.h <= 0) continue;
      const bool heading = r == 0 || c == 0;
      const bool activeRow = r == grid.ActiveRow() && r >= 1;
      COLORREF face = heading ? (activeRow && c == 0 ? 0xA8A8A8 : kFace) : (activeRow ? kActiveRow : kWhite);
      canvas::Fill(hdc, cell.x, cell.y, cell.Right(), cell.Bottom(), face);
      if (heading) {
        canvas::Line(hdc, cell.x, cell.y, cell.Right() - 1, cell.y, kWhite, 1, 13);
        canvas::Line(hdc, cell.x, cell.y, cell.x, cell.Bottom() - 1, kWhite, 1, 13);
        canvas::Line(hdc, cell.x, cell.Bottom() - 1, cell.Right() - 1, cell.Bottom() - 1, kShadow, 1, 13);
        canvas::Line(hdc, cell.Right() - 1, cell.y, cell.Right() - 1, cell.Bottom() - 1, kShadow, 1, 13);
      } else {
        canvas::Line(hdc, cell.x, cell.Bottom() - 1, cell.Right() - 1, cell.Bottom() - 1, kGridLine, 1, 13);
        canvas::Line(hdc, cell.Right() - 1, cell.y, cell.Right() - 1, cell.Bottom() - 1, kGridLine, 1, 13);
      }
      const std::string text = grid.CellText(r, c);
      if (text.empty()) continue;
      const int tw = TextWidthPx(text, kGridFontSize);
      const GridAlign align = grid.ColAlign(c);
      int x = cell.x + 3;
      if (align == GridAlign::Right) x = cell.Right() - 4 - tw;
      else if (align == GridAlign::Center) x = cell.x + (cell.w - tw) / 2;
      const Box inside{cell.x + 1, cell.y + 1, cell.w - 2, cell.h - 2};
      canvas::ClippedText(hdc, inside.x, inside.y, inside.Right(), inside.Bottom(), x, cell.y + 2, text, kBlack,
                          kGridFontSize);
    }
  }
  // The frame marks the active cell: the one typing reaches.
  const Box current = g.Cell(grid.ActiveRow(), grid.ActiveCol());
  if (grid.ActiveRow() >= 1 && grid.ActiveCol() >= 1 && current.w > 2 && current.h > 2)
    canvas::Box(hdc, current.x, current.y, current.Right() - 1, current.Bottom() - 1, kBlack, false, 0, 13);
  // A cell being edited by hand shows the text typed so far and the caret; the
  // text slides left when the caret would pass the cell's right edge.
  const GridCellEdit& edit = grid.CellEdit();
  const Box edited = edit.open ? g.Cell(edit.row, edit.col) : Box{};
  if (edited.w > 4 && edited.h > 4) {
    const Box inside{edited.x + 1, edited.y + 1, edited.w - 2, edited.h - 2};
    canvas::Fill(hdc, inside.x, inside.y, inside.Right(), inside.Bottom(), kWhite);
    canvas::Box(hdc, edited.x, edited.y, edited.Right() - 1, edited.Bottom() - 1, kBlack, false, 0, 13);
    const int before = TextWidthPx(edit.text.substr(0, std::min(edit.caret, edit.text.size())), kGridFontSize);
    const int x = CellEditTextX(edited, edit);
    if (!edit.text.empty())
      canvas::ClippedText(hdc, inside.x, inside.y, inside.Right(), inside.Bottom(), x, edited.y + 2, edit.text,
                          kBlack, kGridFontSize);
    canvas::Line(hdc, x + before, edited.y + 2, x + before, edited.Bottom() - 3, kBlack, 1, 13);
  }
  if (g.vScroll) DrawBar(hdc, g.vBar, true);
  if (g.hScroll) DrawBar(hdc, g.hBar, true);
  if (g.vScroll && g.hScroll)
    canvas::Fill(hdc, g.vBar.whole.x, g.hBar.whole.y, g.vBar.whole.Right(), g.hBar.whole.Bottom(), kFace);
}

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
