// Forms: loading, showing (modal with a nested loop), hiding, unloading, focus
// and the controls by name.
#include <algorithm>
#include <vector>

#include "controls_internal.h"
#include "winplat/controls/form.h"
#include "winplat/messages.h"
#include "winplat/painting.h"
#include "winplat/text.h"
#include "winplat/window.h"

namespace winplat::controls {
namespace {

std::vector<Form*>& Forms() {
  static std::vector<Form*> forms;
  return forms;
}
std::vector<Form*>& ModalStack() {
  static std::vector<Form*> stack;
  return stack;
}
InputSource& Source() {
  static InputSource source;
  return source;
}

}  // namespace

void SetInputSource(InputSource source) { Source() = std::move(source); }
InputSource CurrentInputSource() { return Source(); }

InputState PollInput() {
  if (!Source()) return InputState::Idle;
  InputSource source = Source();  // the source may replace itself
  return source();
}

Form::Form(std::string name, std::string caption) : Control(this, ControlKind::Form, std::move(name), -1, nullptr) {
  caption_ = std::move(caption);
  visible_ = false;
  width_ = 9600;
  height_ = 7200;
  backColor_ = 0xC0C0C0;
  Forms().push_back(this);
}

Form::~Form() {
  auto& stack = ModalStack();
  stack.erase(std::remove(stack.begin(), stack.end(), this), stack.end());
  auto& forms = Forms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  active_ = nullptr;
  // Controls go first (their windows are children of the form's window).
  order_.clear();
  byName_.clear();
  while (!owned_.empty()) owned_.pop_back();
}

Form* Form::Named(std::string_view name) {
  for (Form* f : Forms())
    if (AsciiEqualNoCase(f->Name(), name)) return f;
  return nullptr;
}

std::vector<Form*> Form::All() { return Forms(); }

void Form::Adopt(std::unique_ptr<Control> control) {
  Control* raw = control.get();
  owned_.push_back(std::move(control));
  order_.push_back(raw);
  byName_.emplace(raw->Name(), raw);
  if (raw->TabIndex() == 0) raw->SetTabIndex(static_cast<int>(order_.size()));
  if (loaded_) raw->CreateWindowNow();
}

void Form::Remove(Control* control) {
  if (!control || control == this) return;
  if (active_ == control) active_ = nullptr;
  // A windowless control is drawn in its container's picture: that picture
  // is drawn again without it.
  if (Control* box = control->Container(); box && box != this && box != control) box->Invalidate();
  order_.erase(std::remove(order_.begin(), order_.end(), control), order_.end());
  for (auto it = byName_.begin(); it != byName_.end();) it = it->second == control ? byName_.erase(it) : std::next(it);
  for (auto it = owned_.begin(); it != owned_.end(); ++it) {
    if (it->get() == control) {
      owned_.erase(it);
      break;
    }
  }
  Invalidate();
}

void Form::Reorder(Control* control, bool toFront) {
  auto it = std::find(order_.begin(), order_.end(), control);
  if (it == order_.end()) return;
  order_.erase(it);
  if (toFront) {
    order_.push_back(control);
  } else {
    // Behind its siblings, but still after its container (drawn over it).
    auto at = std::find(order_.begin(), order_.end(), control->Container());
    order_.insert(at == order_.end() ? order_.begin() : at + 1, control);
  }
  Invalidate();
}

Control* Form::Find(std::string_view name, int index) const {
  for (Control* c : order_) {
    if (c->Index() == index && AsciiEqualNoCase(c->Name(), name)) return c;
  }
  return nullptr;
}

void Form::CreateWindowNow() {
  if (hwnd_) return;
  hwnd_ = CreateWindowEx(0, detail::ControlClassName(), caption_, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                         detail::Px(left_), detail::Px(top_), detail::Px(width_), detail::Px(height_), 0, 0, 0, 0);
  if (hwnd_) SetWindowLongPtr(hwnd_, GWLP_USERDATA, reinterpret_cast<LRESULT>(this));
  // The form's paint composes its controls' pictures: done when someone looks.
  if (hwnd_) SetPaintWhenLooked(hwnd_, true);
}

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  CreateWindowNow();
  // Containers come before what they contain: controls are added in that order.
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i]->CreateWindowNow();
  OnLoad.Fire(*this, "Load");
}

void Form::Show(bool modal) {
  if (modal && visible_ && loaded_)
    throw ControlError(400, "Form already displayed; can't show modally");
  Load();
  if (!loaded_) return;
  bool wasVisible = visible_;
  visible_ = true;
  if (hwnd_) ShowWindow(hwnd_, SW_SHOW);
  if (!wasVisible || modal) {
    if (!active_) MoveFocus(NextInTabOrder(nullptr));
    Activate.Fire(*this, "Activate");
  }
  if (!modal) return;
  modal_ = true;
  ModalStack().push_back(this);
  RunModalLoop();
  auto& stack = ModalStack();
  stack.erase(std::remove(stack.begin(), stack.end(), this), stack.end());
  modal_ = false;
}

void Form::RunModalLoop() {
  while (loaded_ && visible_) {
    InputState state = PollInput();
    if (state == InputState::Ended) {
      // Nobody will answer the form: it goes away as if dismissed.
      Hide();
      break;
    }
    if (state == InputState::Idle) {
      WaitForInput();
    } else {
      DispatchPending();
    }
  }
}

void Form::Hide() {
  if (!visible_) return;
  visible_ = false;
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
  Deactivate.Fire(*this, "Deactivate");
}

bool Form::Unload(int mode) {
  if (!loaded_) return true;
  int cancel = 0;
  QueryUnload.Fire(*this, "QueryUnload", cancel, mode);
  if (cancel != 0) return false;
  OnUnload.Fire(*this, "Unload");
  Hide();
  active_ = nullptr;
  for (auto it = order_.rbegin(); it != order_.rend(); ++it) (*it)->DestroyWindowNow();
  DestroyWindowNow();
  loaded_ = false;
  return true;
}

bool Form::CoveredByModal() const {
  const auto& stack = ModalStack();
  return !stack.empty() && stack.back() != this;
}

void Form::OperatorClose() {
  if (!loaded_ || CoveredByModal()) return;
  Unload(vbFormControlMenu);
}

void Form::Move(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width < 0 ? 0 : width;
  height_ = height < 0 ? 0 : height;
  if (hwnd_) MoveWindow(hwnd_, detail::Px(left_), detail::Px(top_), detail::Px(width_), detail::Px(height_), true);
  Resize.Fire(*this, "Resize");
}

void Form::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (hwnd_) SetWindowText(hwnd_, caption_);
  Invalidate();
}

void Form::SetVisible(bool visible) {
  if (visible) {
    Show(false);
  } else {
    Hide();
  }
}

void Form::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (hwnd_) EnableWindow(hwnd_, enabled);
}

void Form::SetMousePointer(int pointer) {
  mousePointer_ = pointer;
}

void Form::MoveFocus(Control* to) {
  if (to == active_) return;
  Control* old = active_;
  active_ = to;
  if (old) old->LostFocus.Fire(*old, "LostFocus");
  // A LostFocus handler may have moved the focus elsewhere already.
  if (to && active_ == to) to->GotFocus.Fire(*to, "GotFocus");
  if (old) old->Invalidate();
  if (to) to->Invalidate();
}

Control* Form::NextInTabOrder(Control* from) const {
  std::vector<Control*> sorted(order_.begin(), order_.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Control* a, const Control* b) { return a->TabIndex() < b->TabIndex(); });
  auto start = std::find(sorted.begin(), sorted.end(), from);
  std::size_t n = sorted.size();
  std::size_t first = start == sorted.end() ? 0 : static_cast<std::size_t>(start - sorted.begin()) + 1;
  for (std::size_t k = 0; k < n; ++k) {
    Control* c = sorted[(first + k) % n];
    if (c != from && c->CanTakeFocus()) return c;
  }
  return nullptr;
}

}  // namespace winplat::controls
