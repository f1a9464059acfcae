// The operator's pointer and keys on the program's windows, turned into the
// controls' operator actions through the hit tests.
#include "winplat/controls/hand.h"

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "controls_internal.h"
#include "hit_test.h"
#include "winplat/controls/operator.h"
#include "winplat/messages.h"
#include "winplat/screen.h"
#include "winplat/window.h"

namespace winplat::controls::hand {
namespace {

// What the pressed button went down on, until it comes up.
struct Press {
  bool down = false;
  HWND window = 0;
  Control* control = nullptr;
  hit::Area part = hit::Area::None;
  BarPart bar = BarPart::None;
  bool horizontal = false;
  int index = -1;
  std::int32_t row = -1, col = -1;
  HWND foreign = 0;
  int button = 0;
  int clicks = 1;
  int grab = 0;  // a dragged thumb: the pointer's distance from its middle
};
Press& Pressed() {
  static Press press;
  return press;
}

Form* FormOf(HWND window) { return dynamic_cast<Form*>(detail::ControlOf(window)); }

std::set<HWND>& PassedBy() {
  static std::set<HWND> windows;
  return windows;
}
bool IsPassedBy(HWND window) { return PassedBy().count(window) != 0; }

// A control known at a press may be gone at the release (an array element unloaded).
bool Alive(Form* form, Control* control) {
  if (!form || !control) return false;
  const auto& all = form->Controls();
  return std::find(all.begin(), all.end(), control) != all.end();
}

WPARAM MouseKeys(int button, int shift) {
  WPARAM keys = 0;
  if (button & vbLeftButton) keys |= MK_LBUTTON;
  if (button & vbRightButton) keys |= MK_RBUTTON;
  if (button & vbMiddleButton) keys |= MK_MBUTTON;
  if (shift & vbShiftMask) keys |= MK_SHIFT;
  if (shift & vbCtrlMask) keys |= MK_CONTROL;
  return keys;
}

UINT ButtonMessage(int button, bool down) {
  if (button == vbRightButton) return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
  if (button == vbMiddleButton) return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
  return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
}

// An outside window gets the pointer as its own mouse messages.
void ToForeign(HWND window, UINT message, POINT at, int button, int shift) {
  SendMessage(window, message, MouseKeys(button, shift), MAKELPARAM(at.x, at.y));
}

POINT ForeignPoint(HWND form, HWND foreign, int x, int y) {
  POINT origin{0, 0};
  ClientToScreen(foreign, &origin);
  ScreenToClient(form, &origin);
  return POINT{x - origin.x, y - origin.y};
}

// The bar a list or a grid draws beside its rows: where it lies, the first
// row or column in view it stands for, and how that view moves.
struct ViewBar {
  ScrollBarGeometry geometry;
  int value = 0;
  int page = 1;
  std::function<void(int)> scrollTo;
};

bool ViewBarOf(Control& c, bool horizontal, ViewBar* view) {
  if (auto* list = dynamic_cast<ListBox*>(&c)) {
    const ListGeometry g = ListLayout(*list, PlaceOnForm(*list));
    if (horizontal || !g.scrollBar) return false;
    *view = ViewBar{g.bar, list->TopIndex(), std::max(1, g.rows), [list](int top) { op::ScrollList(*list, top); }};
    return true;
  }
  auto* slot = dynamic_cast<HostSlot*>(&c);
  SpreadGrid* grid = nullptr;
  GridGeometry g;
  if (!slot || !hit::GridInSlot(*slot, &grid, &g) || !(horizontal ? g.hScroll : g.vScroll)) return false;
  if (horizontal)
    *view = ViewBar{g.hBar, std::clamp(grid->LeftCol(), 1, g.lastLeft), std::max(1, g.fullCols),
                    [slot, grid, last = g.lastLeft](int left) {
                      grid->SetLeftCol(std::clamp(left, 1, last));
                      slot->Invalidate();
                    }};
  else
    *view = ViewBar{g.vBar, std::clamp(grid->TopRow(), 1, g.lastTop), std::max(1, g.fullRows),
                    [slot, grid, last = g.lastTop](int top) {
                      grid->SetTopRow(std::clamp(top, 1, last));
                      slot->Invalidate();
                    }};
  return true;
}

// Where the middle of a bar's thumb lies along the bar.
int ThumbMiddle(const ScrollBarGeometry& g) {
  return g.vertical ? g.thumb.y + g.thumb.h / 2 : g.thumb.x + g.thumb.w / 2;
}

void ShowEntry(ListBox& list, int entry) {
  int rows = std::max(1, list.RowsShown());
  if (entry < list.TopIndex()) list.SetTopIndex(entry);
  else if (entry >= list.TopIndex() + rows) list.SetTopIndex(entry - rows + 1);
}

// ---- A grid cell edited by hand ----------------------------------------------

// Opens an edit on the grid's active cell: with the cell's text and the caret
// at its end, or empty (`replace`) to take the characters typed next.
bool OpenCellEdit(HostSlot& slot, bool replace) {
  SpreadGrid* grid = slot.ShownGrid();
  if (!grid) return false;
  const std::int32_t row = grid->ActiveRow(), col = grid->ActiveCol();
  if (row < 1 || col < 1 || row > grid->MaxRows() || col > grid->MaxCols()) return false;
  GridCellEdit& edit = grid->CellEdit();
  edit.open = true;
  edit.row = row;
  edit.col = col;
  edit.text = replace ? std::string() : grid->CellText(row, col);
  edit.caret = edit.text.size();
  slot.Invalidate();
  return true;
}

void CloseCellEdit(HostSlot& slot) {
  if (SpreadGrid* grid = slot.ShownGrid()) grid->CellEdit() = GridCellEdit{};
  slot.Invalidate();
}

// The typed text goes to the cell as the operator command `grid edit` sends it,
// so the grid's click, edit and change events fire as they do for that command.
void CommitCellEdit(HostSlot& slot) {
  SpreadGrid* grid = slot.ShownGrid();
  if (!grid) return;
  const GridCellEdit edit = grid->CellEdit();
  CloseCellEdit(slot);
  if (edit.open) op::Grid(slot, GridAction::Edit, edit.row, edit.col, edit.text);
}

// The slot on the form whose grid has an edit open (nullptr: none).
HostSlot* EditingSlot(Form& form) {
  for (Control* c : form.Controls()) {
    auto* slot = dynamic_cast<HostSlot*>(c);
    if (slot && slot->ShownGrid() && slot->ShownGrid()->CellEdit().open) return slot;
  }
  return nullptr;
}

// An edit left open on a grid the operator has moved on from is committed
// before the input that moved on; the commit's events may hide the form, raise
// a modal form over it or disable `active`. Whether that input may go on.
bool CommitEditLeftOpen(Form& form, HostSlot& editing, const Control* active) {
  CommitCellEdit(editing);
  return form.Visible() && !form.CoveredByModal() && (!active || active->AcceptsInput());
}

bool EditsCell(const HostSlot& slot, std::int32_t row, std::int32_t col) {
  const SpreadGrid* grid = slot.ShownGrid();
  return grid && grid->CellEdit().open && grid->CellEdit().row == row && grid->CellEdit().col == col;
}

// A key on a focused grid: F2 opens an edit; while one is open the keys work
// on its text, Enter, Tab, Up and Down commit it (the last three then move the
// active cell as the grid's own keys do) and Escape drops it. False: the key
// is not the edit's, the form's keys take it.
bool CellEditKey(HostSlot& slot, int key, int shift) {
  SpreadGrid& grid = *slot.ShownGrid();
  GridCellEdit& edit = grid.CellEdit();
  if (!edit.open) return key == static_cast<int>(VK_F2) && OpenCellEdit(slot, false);
  switch (key) {
    case VK_LEFT: if (edit.caret > 0) --edit.caret; break;
    case VK_RIGHT: if (edit.caret < edit.text.size()) ++edit.caret; break;
    case VK_HOME: edit.caret = 0; break;
    case VK_END: edit.caret = edit.text.size(); break;
    case VK_BACK: if (edit.caret > 0) edit.text.erase(--edit.caret, 1); break;
    case VK_DELETE: if (edit.caret < edit.text.size()) edit.text.erase(edit.caret, 1); break;
    case VK_ESCAPE: CloseCellEdit(slot); return true;
    case VK_RETURN: CommitCellEdit(slot); return true;
    case VK_TAB:
      CommitCellEdit(slot);
      op::Grid(slot, GridAction::Key, 0, 0, {}, static_cast<int>((shift & vbShiftMask) ? VK_LEFT : VK_RIGHT));
      return true;
    case VK_UP:
    case VK_DOWN:
      CommitCellEdit(slot);
      op::Grid(slot, GridAction::Key, 0, 0, {}, key);
      return true;
    default: return true;  // nothing else while the edit is open
  }
  slot.Invalidate();
  return true;
}

void PressOn(const hit::Hit& h, Press& press, int x, int y, int button, int shift) {
  Control& c = *h.control;
  const Box p = PlaceOnForm(c);
  if (h.part == hit::Area::Bar && button == vbLeftButton) {
    if (auto* bar = dynamic_cast<ScrollBar*>(&c)) {
      switch (h.bar) {
        case BarPart::Less: bar->OperatorStep(-1, false); break;
        case BarPart::More: bar->OperatorStep(1, false); break;
        case BarPart::TroughLess: bar->OperatorStep(-1, true); break;
        case BarPart::TroughMore: bar->OperatorStep(1, true); break;
        default:
          bar->SetFocus();
          press.grab = (bar->Kind() == ControlKind::VScrollBar ? y : x) - ThumbMiddle(ScrollBarLayout(*bar, p));
          break;
      }
      return;
    }
    // A list's or grid's own bar: arrows step a row, the trough pages, the thumb drags.
    ViewBar view;
    if (!ViewBarOf(c, h.horizontal, &view)) return;
    switch (h.bar) {
      case BarPart::Less: view.scrollTo(view.value - 1); break;
      case BarPart::More: view.scrollTo(view.value + 1); break;
      case BarPart::TroughLess: view.scrollTo(view.value - view.page); break;
      case BarPart::TroughMore: view.scrollTo(view.value + view.page); break;
      default: press.grab = (view.geometry.vertical ? y : x) - ThumbMiddle(view.geometry); break;
    }
    return;
  }
  switch (c.Kind()) {
    case ControlKind::PictureBox:
      static_cast<PictureBox&>(c).OperatorMouse(kMouseDown, button, shift, static_cast<float>(x - p.x),
                                               static_cast<float>(y - p.y));
      return;
    case ControlKind::TextBox:
      if (c.AcceptsInput() && button == vbLeftButton) {
        c.SetFocus();
        static_cast<TextBox&>(c).SetSelStart(CaretAt(static_cast<TextBox&>(c), p, x));
        c.Invalidate();
      }
      return;
    case ControlKind::Slot: {
      // A press inside the cell being edited puts the caret at the character there.
      auto& slot = static_cast<HostSlot&>(c);
      SpreadGrid* grid = nullptr;
      GridGeometry g;
      if (h.part != hit::Area::Cell || button != vbLeftButton || !EditsCell(slot, h.row, h.col) ||
          !hit::GridInSlot(slot, &grid, &g))
        return;
      GridCellEdit& edit = grid->CellEdit();
      edit.caret = CellEditCaretAt(g.Cell(h.row, h.col), edit, x);
      slot.Invalidate();
      return;
    }
    default:
      return;
  }
}

// A thumb held since the press follows the pointer.
void DragThumb(const Press& press, int x, int y) {
  Control& c = *press.control;
  if (auto* bar = dynamic_cast<ScrollBar*>(&c)) {
    bar->OperatorScrollTo(ScrollBarLayout(*bar, PlaceOnForm(c)).ValueAt(x - press.grab, y - press.grab));
    return;
  }
  ViewBar view;
  if (ViewBarOf(c, press.horizontal, &view)) view.scrollTo(view.geometry.ValueAt(x - press.grab, y - press.grab));
}

// The click of a press and release on one control (one entry, tab or half).
void ClickOn(const hit::Hit& h, int button, int shift, int clicks) {
  Control& c = *h.control;
  if (button == vbRightButton) {
    c.OperatorClick(vbRightButton, shift);
    return;
  }
  if (button != vbLeftButton) return;
  switch (c.Kind()) {
    case ControlKind::ListBox:
    case ControlKind::FileListBox:
      if (h.part == hit::Area::Row && h.index >= 0) static_cast<ListBox&>(c).OperatorPick(h.index, clicks > 1);
      return;
    case ControlKind::TabStrip:
      if (h.index >= 0) static_cast<TabStrip&>(c).OperatorPick(h.index);
      return;
    case ControlKind::UpDown:
      static_cast<UpDown&>(c).OperatorArrow(h.part == hit::Area::Up);
      return;
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar:
    case ControlKind::PictureBox:
      return;  // acted on at the press and while dragged
    case ControlKind::Slot:
      if (h.part == hit::Area::Bar) return;
      if (h.part == hit::Area::Cell) {
        // The cell painted there, through the grid's own input; a click in
        // the cell being edited leaves the edit as it is, a double click opens
        // one with the caret at the end.
        auto& slot = static_cast<HostSlot&>(c);
        if (EditsCell(slot, h.row, h.col)) return;
        if (slot.Focusable()) c.SetFocus();
        op::Grid(slot, GridAction::Click, h.row, h.col);
        SpreadGrid* grid = slot.ShownGrid();
        if (clicks > 1 && grid && slot.HasFocus() && slot.AcceptsInput() && grid->ActiveRow() == h.row &&
            grid->ActiveCol() == h.col)
          OpenCellEdit(slot, false);
        return;
      }
      if (clicks > 1) c.OperatorDblClick();
      else c.OperatorClick(vbLeftButton, shift);
      return;
    case ControlKind::TextBox: {
      // The caret stays where the press put it.
      auto& box = static_cast<TextBox&>(c);
      int caret = box.SelStart();
      c.OperatorClick(vbLeftButton, shift);
      if (clicks > 1) c.OperatorDblClick();
      box.SetSelStart(caret);
      return;
    }
    default:
      if (clicks > 1) c.OperatorDblClick();
      else c.OperatorClick(vbLeftButton, shift);
      return;
  }
}

Control* PreviousInTabOrder(Form& form, Control* from) {
  Control* first = form.NextInTabOrder(from);
  Control* previous = first;
  for (Control* c = first; c && c != from;) {
    previous = c;
    Control* next = form.NextInTabOrder(c);
    if (next == first) break;
    c = next;
  }
  return previous;
}

CommandButton* ButtonWhere(Form& form, bool (CommandButton::*flag)() const) {
  for (Control* c : form.Controls())
    if (auto* b = dynamic_cast<CommandButton*>(c); b && (b->*flag)() && b->AcceptsInput()) return b;
  return nullptr;
}

bool TextBoxKey(TextBox& box, int key) {
  int length = static_cast<int>(box.Text().size());
  int caret = box.SelStart();
  switch (key) {
    case VK_LEFT: box.SetSelStart(std::max(0, caret - 1)); break;
    case VK_RIGHT: box.SetSelStart(std::min(length, caret + 1)); break;
    case VK_HOME: box.SetSelStart(0); break;
    case VK_END: box.SetSelStart(length); break;
    case VK_DELETE:
      if (box.Locked()) return true;
      if (box.SelLength() == 0 && caret < length) box.SetSelLength(1);
      box.SetSelText("");
      break;
    case VK_BACK: box.OperatorType("\b"); return true;
    default: return false;
  }
  box.Invalidate();
  return true;
}

bool ListKey(ListBox& list, int key) {
  int rows = std::max(1, list.RowsShown());
  int at = list.ListIndex();
  int to = at;
  switch (key) {
    case VK_UP: to = at - 1; break;
    case VK_DOWN: to = at + 1; break;
    case VK_PRIOR: to = at - rows; break;
    case VK_NEXT: to = at + rows; break;
    case VK_HOME: to = 0; break;
    case VK_END: to = list.ListCount() - 1; break;
    default: return false;
  }
  if (list.ListCount() == 0) return true;
  to = std::clamp(to, 0, list.ListCount() - 1);
  ShowEntry(list, to);
  if (to != at) list.OperatorPick(to);
  return true;
}

bool ScrollKey(ScrollBar& bar, int key) {
  switch (key) {
    case VK_UP: case VK_LEFT: bar.OperatorStep(-1, false); return true;
    case VK_DOWN: case VK_RIGHT: bar.OperatorStep(1, false); return true;
    case VK_PRIOR: bar.OperatorStep(-1, true); return true;
    case VK_NEXT: bar.OperatorStep(1, true); return true;
    default: return false;
  }
}

}  // namespace

void Release() { Pressed() = Press{}; }

void Mouse(HWND window, MouseAction action, int x, int y, int button, int shift, int clicks) {
  if (IsPassedBy(window)) return;
  Form* form = FormOf(window);
  Press& press = Pressed();
  if (!form) {
    // A window of its own (the device library's): its own mouse messages.
    POINT at{x, y};
    if (action == MouseAction::Move) ToForeign(window, WM_MOUSEMOVE, at, button, shift);
    else ToForeign(window, ButtonMessage(button, action == MouseAction::Down), at, button, shift);
    return;
  }
  switch (action) {
    case MouseAction::Down: {
      if (!form->Visible() || form->CoveredByModal()) return;
      // A press anywhere but in the cell being edited commits the edit first.
      if (HostSlot* editing = EditingSlot(*form)) {
        const hit::Hit on = hit::At(*form, x, y);
        if ((on.control != editing || on.part != hit::Area::Cell || !EditsCell(*editing, on.row, on.col)) &&
            !CommitEditLeftOpen(*form, *editing, nullptr))
          return;
      }
      hit::Hit h = hit::At(*form, x, y);
      press = Press{true, window, h.control, h.part, h.bar, h.horizontal, h.index, h.row, h.col, h.foreign, button,
                    clicks, 0};
      if (h.foreign) {
        ToForeign(h.foreign, ButtonMessage(button, true), h.foreignPoint, button, shift);
        return;
      }
      if (h.control && h.control->AcceptsInput()) PressOn(h, press, x, y, button, shift);
      return;
    }
    case MouseAction::Move: {
      if (press.down && press.window == window) {
        if (press.foreign && IsWindow(press.foreign)) {
          ToForeign(press.foreign, WM_MOUSEMOVE, ForeignPoint(window, press.foreign, x, y), button, shift);
          return;
        }
        if (!Alive(form, press.control)) return;
        const Box p = PlaceOnForm(*press.control);
        if (press.control->Kind() == ControlKind::PictureBox)
          static_cast<PictureBox*>(press.control)
              ->OperatorMouse(kMouseMove, button, shift, static_cast<float>(x - p.x), static_cast<float>(y - p.y));
        else if (press.part == hit::Area::Bar && press.bar == BarPart::Thumb && press.control->AcceptsInput())
          DragThumb(press, x, y);
        return;
      }
      if (form->CoveredByModal()) return;
      hit::Hit h = hit::At(*form, x, y);
      if (h.foreign) {
        ToForeign(h.foreign, WM_MOUSEMOVE, h.foreignPoint, button, shift);
      } else if (h.control && h.control->Kind() == ControlKind::PictureBox && h.control->AcceptsInput()) {
        const Box p = PlaceOnForm(*h.control);
        static_cast<PictureBox*>(h.control)
            ->OperatorMouse(kMouseMove, button, shift, static_cast<float>(x - p.x), static_cast<float>(y - p.y));
      }
      return;
    }
    case MouseAction::Up: {
      Press was = press;
      Release();
      if (!was.down || was.window != window || was.button != button) return;
      if (was.foreign) {
        if (IsWindow(was.foreign))
          ToForeign(was.foreign, ButtonMessage(button, false), ForeignPoint(window, was.foreign, x, y), button, shift);
        return;
      }
      if (!Alive(form, was.control)) return;
      if (was.control->Kind() == ControlKind::PictureBox) {
        const Box p = PlaceOnForm(*was.control);
        static_cast<PictureBox*>(was.control)
            ->OperatorMouse(kMouseUp, button, shift, static_cast<float>(x - p.x), static_cast<float>(y - p.y));
        return;
      }
      hit::Hit h = hit::At(*form, x, y);
      // A click needs the release on what the press went down on.
      if (h.control != was.control || h.index != was.index || h.row != was.row || h.col != was.col) return;
      if ((h.part == hit::Area::Up || h.part == hit::Area::Down) && h.part != was.part) return;
      if (h.control->AcceptsInput()) ClickOn(h, button, shift, was.clicks);
      return;
    }
  }
}

void Wheel(HWND window, int x, int y, int steps) {
  if (IsPassedBy(window)) return;
  Form* form = FormOf(window);
  if (!form || form->CoveredByModal() || steps == 0) return;
  hit::Hit h = hit::At(*form, x, y);
  if (!h.control || !h.control->AcceptsInput()) return;
  // Three rows a notch for lists and grids (over a grid's horizontal bar,
  // three columns); a scroll bar steps.
  if (auto* bar = dynamic_cast<ScrollBar*>(h.control)) {
    bar->OperatorStep(-steps, false);
    return;
  }
  ViewBar view;
  if (ViewBarOf(*h.control, h.part == hit::Area::Bar && h.horizontal, &view)) view.scrollTo(view.value - 3 * steps);
}

namespace {

// The form a key or character typed on `window` goes to: none when the window
// is passed by, hidden or covered by a modal one; a window that is no form
// gets it as MESSAGE instead.
Form* FormTyping(HWND window, UINT message, int code) {
  if (IsPassedBy(window)) return nullptr;
  Form* form = FormOf(window);
  if (!form) {
    SendMessage(window, message, static_cast<WPARAM>(code), 0);
    return nullptr;
  }
  return form->Visible() && !form->CoveredByModal() ? form : nullptr;
}

// A space clicks these kinds; it types nowhere.
bool ClickedBySpace(const Control& c) {
  return c.Kind() == ControlKind::CommandButton || c.Kind() == ControlKind::CheckBox ||
         c.Kind() == ControlKind::OptionButton;
}

}  // namespace

void Key(HWND window, int keyCode, int shift) {
  Form* form = FormTyping(window, WM_KEYDOWN, keyCode);
  if (!form) return;
  Control* active = form->ActiveControl();
  if (active && !active->AcceptsInput()) active = nullptr;
  // An edit left open on a grid that has lost the focus is committed first.
  if (HostSlot* editing = EditingSlot(*form); editing && editing != active && !CommitEditLeftOpen(*form, *editing, active))
    return;
  int key = keyCode;
  if (active) {
    active->KeyDown.Fire(*active, "KeyDown", key, shift);
    if (key == 0 || form->ActiveControl() != active || !active->AcceptsInput()) return;
  }
  if (auto* slot = dynamic_cast<HostSlot*>(active); slot && slot->ShownGrid() && CellEditKey(*slot, key, shift))
    return;
  if (key == static_cast<int>(VK_TAB)) {
    Control* to = (shift & vbShiftMask) ? PreviousInTabOrder(*form, active) : form->NextInTabOrder(active);
    if (to) to->SetFocus();
    return;
  }
  if (key == static_cast<int>(VK_RETURN) || key == static_cast<int>(VK_ESCAPE)) {
    CommandButton* button = nullptr;
    if (key == static_cast<int>(VK_RETURN)) {
      button = dynamic_cast<CommandButton*>(active);
      if (!button) button = ButtonWhere(*form, &CommandButton::Default);
    } else {
      button = ButtonWhere(*form, &CommandButton::Cancel);
    }
    if (button == active) {
      button->OperatorClick();
    } else if (button) {
      button->OperatorPress();
    } else if (auto* box = dynamic_cast<TextBox*>(active)) {
      box->OperatorType(std::string(1, static_cast<char>(key)));
    } else if (active) {
      active->KeyPress.Fire(*active, "KeyPress", key);
    }
    return;
  }
  if (!active) return;
  if (key == static_cast<int>(VK_SPACE) && ClickedBySpace(*active)) {
    active->OperatorClick();
    return;
  }
  if (auto* box = dynamic_cast<TextBox*>(active)) {
    TextBoxKey(*box, key);
  } else if (auto* list = dynamic_cast<ListBox*>(active)) {
    ListKey(*list, key);
  } else if (auto* bar = dynamic_cast<ScrollBar*>(active)) {
    ScrollKey(*bar, key);
  } else if (auto* slot = dynamic_cast<HostSlot*>(active)) {
    if (key >= static_cast<int>(VK_PRIOR) && key <= static_cast<int>(VK_DOWN))
      op::Grid(*slot, GridAction::Key, 0, 0, {}, key);
  }
}

void Character(HWND window, int code) {
  Form* form = FormTyping(window, WM_CHAR, code);
  if (!form) return;
  Control* active = form->ActiveControl();
  if (HostSlot* editing = EditingSlot(*form); editing && editing != active && !CommitEditLeftOpen(*form, *editing, active))
    return;
  // Control codes are keys (Key), never characters typed into anything.
  if (!active || !active->AcceptsInput() || code < 32 || code == 127) return;
  if (code == ' ' && ClickedBySpace(*active)) return;  // the space was its click (Key)
  if (auto* slot = dynamic_cast<HostSlot*>(active); slot && slot->ShownGrid()) {
    // A character on a grid types into the edit open on it, or opens one on
    // the active cell that replaces the cell's text.
    int key = code;
    active->KeyPress.Fire(*active, "KeyPress", key);
    if (key < 32 || key == 127 || !active->AcceptsInput() || !slot->ShownGrid()) return;
    GridCellEdit& edit = slot->ShownGrid()->CellEdit();
    if (!edit.open && !OpenCellEdit(*slot, true)) return;
    edit.text.insert(edit.caret++, 1, static_cast<char>(key));
    slot->Invalidate();
    return;
  }
  if (auto* box = dynamic_cast<TextBox*>(active)) {
    box->OperatorType(std::string(1, static_cast<char>(code)));
  } else {
    active->KeyPress.Fire(*active, "KeyPress", code);
  }
}

void CloseBox(HWND window) {
  if (IsPassedBy(window)) return;
  Release();
  // A window closed with a grid cell being edited drops the edit, as Escape would.
  if (Form* form = FormOf(window))
    if (HostSlot* editing = EditingSlot(*form)) CloseCellEdit(*editing);
  SendMessage(window, WM_CLOSE, 0, 0);
}

void PassBy(HWND window, bool on) {
  if (on) PassedBy().insert(window);
  else PassedBy().erase(window);
}

int PointerAt(HWND window, int x, int y) {
  Form* form = FormOf(window);
  if (MousePointer() == vbHourglass || (form && form->MousePointer() == vbHourglass)) return vbHourglass;
  if (!form) return vbArrow;
  hit::Hit h = hit::At(*form, x, y);
  if (h.control && h.control->Kind() == ControlKind::TextBox && h.control->AcceptsInput()) return vbIBeam;
  return vbArrow;
}

}  // namespace winplat::controls::hand
