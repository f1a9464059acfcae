// The common part of every control: its window, placement, Enabled, Visible,
// focus and operator clicks.
#include <cmath>
#include <string>

#include "controls_internal.h"
#include "winplat/controls/form.h"
#include "winplat/controls/lists.h"
#include "winplat/controls/picture.h"
#include "winplat/painting.h"
#include "winplat/screen.h"
#include "winplat/window.h"

namespace winplat::controls {
namespace detail {
namespace {

LRESULT ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Control* control = ControlOf(hwnd);
  if (control) {
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        control->Paint();
        return 0;
      }
      case WM_TIMER:
        if (auto* timer = dynamic_cast<TimerControl*>(control)) timer->Tick();
        return 0;
      case WM_CLOSE:
        if (auto* form = dynamic_cast<Form*>(control)) form->OperatorClose();
        return 0;
      default:
        break;
    }
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

}  // namespace

const char* ControlClassName() {
  static const char* name = [] {
    WNDCLASS wc;
    wc.lpfnWndProc = ControlProc;
    wc.lpszClassName = "FieldrayControl";
    RegisterClass(wc);
    return "FieldrayControl";
  }();
  // A class dropped by an earlier test's clean-up is registered again.
  WNDCLASS info;
  if (!GetClassInfo(0, name, &info)) {
    WNDCLASS wc;
    wc.lpfnWndProc = ControlProc;
    wc.lpszClassName = name;
    RegisterClass(wc);
  }
  return name;
}

Control* ControlOf(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd) || GetClassName(hwnd) != "FieldrayControl") return nullptr;
  return reinterpret_cast<Control*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
}

int Px(int twips) { return static_cast<int>(std::lround(TwipsToPixels(twips))); }

}  // namespace detail

const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Form: return "Form";
    case ControlKind::Label: return "Label";
    case ControlKind::TextBox: return "TextBox";
    case ControlKind::CheckBox: return "CheckBox";
    case ControlKind::OptionButton: return "OptionButton";
    case ControlKind::CommandButton: return "CommandButton";
    case ControlKind::Frame: return "Frame";
    case ControlKind::HScrollBar: return "HScrollBar";
    case ControlKind::VScrollBar: return "VScrollBar";
    case ControlKind::ListBox: return "ListBox";
    case ControlKind::FileListBox: return "FileListBox";
    case ControlKind::Timer: return "Timer";
    case ControlKind::TabStrip: return "TabStrip";
    case ControlKind::UpDown: return "UpDown";
    case ControlKind::CommonDialog: return "CommonDialog";
    case ControlKind::PictureBox: return "PictureBox";
    case ControlKind::Line: return "Line";
    case ControlKind::Shape: return "Shape";
    case ControlKind::Slot: return "Slot";
    case ControlKind::ComboBox: return "ComboBox";
  }
  return "Control";
}

Control::Control(Form* form, ControlKind kind, std::string name, int index, Control* container)
    : form_(form), kind_(kind), name_(std::move(name)), index_(index), container_(container) {}

Control::~Control() { DestroyWindowNow(); }

std::string Control::DisplayName() const {
  return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

namespace {

// The focused control hidden or disabled, itself or with a container, passes
// the focus on to the next control in tab order that can take it.
void PassFocusOn(Form* form) {
  if (!form || !form->Loaded()) return;
  if (Control* active = form->ActiveControl(); active && active != form && !active->CanTakeFocus())
    form->MoveFocus(form->NextInTabOrder(active));
}

}  // namespace

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (hwnd_) EnableWindow(hwnd_, enabled);
  if (!enabled) PassFocusOn(form_);
  Invalidate();
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  if (!visible) PassFocusOn(form_);
  Invalidate();
}

void Control::Move(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width < 0 ? 0 : width;
  height_ = height < 0 ? 0 : height;
  if (hwnd_) MoveWindow(hwnd_, detail::Px(left_), detail::Px(top_), detail::Px(width_), detail::Px(height_), true);
  // Aligned picture boxes inside follow the new size.
  if (form_)
    for (Control* c : form_->Controls())
      if (auto* pic = dynamic_cast<PictureBox*>(c); pic && pic != this && pic->Container() == this && pic->Align())
        pic->Realign();
  Invalidate();
}

void Control::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  if (hwnd_) SetWindowText(hwnd_, caption_);
  Invalidate();
}

bool Control::EnabledAlongContainers() const {
  for (const Control* c = this; c; c = c->container_ == c ? nullptr : c->container_) {
    if (!c->enabled_) return false;
    if (c == form_) break;
  }
  return true;
}

bool Control::ShownOnScreen() const {
  for (const Control* c = this; c; c = c->container_ == c ? nullptr : c->container_) {
    if (!c->visible_) return false;
    // A control on a tab page of its tab strip shows only while that page is current.
    if (c->tabPage_ >= 0)
      if (auto* strip = dynamic_cast<const TabStrip*>(c->container_); strip && strip->Tab() != c->tabPage_) return false;
    if (c == form_) break;
  }
  return true;
}

bool Control::CanTakeFocus() const {
  if (!TakesFocus() || !form_ || !form_->Loaded()) return false;
  for (const Control* c = this; c; c = c->container_ == c ? nullptr : c->container_) {
    if (!c->visible_ || !c->enabled_) return false;
    if (c == form_) break;
  }
  return true;
}

void Control::SetFocus() {
  if (!CanTakeFocus()) return;
  form_->MoveFocus(this);
}

bool Control::HasFocus() const { return form_ && form_->ActiveControl() == this; }

bool Control::AcceptsInput() const {
  if (!form_ || !form_->Loaded() || !form_->Visible() || form_->CoveredByModal()) return false;
  return EnabledAlongContainers() && ShownOnScreen();
}

void Control::Invalidate() {
  if (hwnd_) {
    InvalidateRect(hwnd_, nullptr, true);
  } else if (container_ && container_ != this) {
    container_->Invalidate();
  }
  // The form's picture shows every control: it is drawn again too.
  if (form_ && form_ != this && form_->hWnd()) InvalidateRect(form_->hWnd(), nullptr, true);
}

void Control::ZOrder(int position) {
  if (position != 0 && position != 1) RaiseInvalidValue();
  if (hwnd_) SetWindowPos(hwnd_, position == 0 ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (form_ && form_ != this) form_->Reorder(this, position == 0);
}

void Control::OperatorClick(int button, int shift) {
  if (!AcceptsInput()) return;
  if (CanTakeFocus()) SetFocus();
  MouseDown.Fire(*this, "MouseDown", button, shift, 0.0f, 0.0f);
  if (button == vbLeftButton && AcceptsInput()) ClickReaction();
  MouseUp.Fire(*this, "MouseUp", button, shift, 0.0f, 0.0f);
}

void Control::OperatorPress() {
  if (AcceptsInput()) ClickReaction();
}

void Control::OperatorDblClick() {
  if (!AcceptsInput()) return;
  OperatorClick();
  if (AcceptsInput()) DblClick.Fire(*this, "DblClick");
}

void Control::CreateWindowNow() {
  if (hwnd_ || Windowless()) return;
  HWND parent = 0;
  for (Control* c = container_; c && !parent; c = c->container_ == c ? nullptr : c->container_) parent = c->hwnd_;
  std::uint32_t style = WS_CHILD | (visible_ ? WS_VISIBLE : 0u) | (enabled_ ? 0u : WS_DISABLED);
  hwnd_ = CreateWindowEx(0, detail::ControlClassName(), caption_, style, detail::Px(left_), detail::Px(top_),
                         detail::Px(width_), detail::Px(height_), parent, 0, 0, 0);
  if (hwnd_) SetWindowLongPtr(hwnd_, GWLP_USERDATA, reinterpret_cast<LRESULT>(this));
  // Only a picture box's paint does more than draw (its Paint event).
  if (hwnd_) SetPaintWhenLooked(hwnd_, Kind() != ControlKind::PictureBox);
}

void Control::DestroyWindowNow() {
  if (hwnd_) {
    // The window may be gone with its parent already (and its handle reused).
    if (detail::ControlOf(hwnd_) == this) {
      SetWindowLongPtr(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
    hwnd_ = 0;
  }
}

void Control::CopyDesign(const Control& from) {
  enabled_ = from.enabled_;
  visible_ = from.visible_;
  tag_ = from.tag_;
  left_ = from.left_;
  top_ = from.top_;
  width_ = from.width_;
  height_ = from.height_;
  caption_ = from.caption_;
  foreColor_ = from.foreColor_;
  backColor_ = from.backColor_;
  fontSize_ = from.fontSize_;
  tabPage_ = from.tabPage_;
  tabIndex_ = from.tabIndex_;
  Click = from.Click.Get();
  DblClick = from.DblClick.Get();
  GotFocus = from.GotFocus.Get();
  LostFocus = from.LostFocus.Get();
  MouseDown = from.MouseDown.Get();
  MouseMove = from.MouseMove.Get();
  MouseUp = from.MouseUp.Get();
}

}  // namespace winplat::controls
