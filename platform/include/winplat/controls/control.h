#pragma once
// The standard controls of the program's windows: a C++ object over a window of
// the window layer. Values set from code raise the control's events at once,
// before the assignment returns, and only when the value changes; handlers are
// plain functions the program attaches, and a fault inside a handler stops there.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "winplat/types.h"

namespace winplat::controls {

class Form;
class Control;

// Run-time error numbers raised by the controls.
constexpr int kErrInvalidProcedureCall = 5;
constexpr int kErrPathNotFound = 76;
constexpr int kErrArrayElementMissing = 340;
constexpr int kErrArrayElementLoaded = 360;
constexpr int kErrInvalidPropertyValue = 380;
constexpr int kErrCannotFocus = 5;
constexpr int kErrCancelSelected = 32755;

// A refusal of a control (a value out of range, a missing array element, a
// cancelled dialog): it reaches the code that made the call.
class ControlError : public std::runtime_error {
 public:
  ControlError(int number, const std::string& what) : std::runtime_error(what), number_(number) {}
  int Number() const { return number_; }

 private:
  int number_;
};
[[noreturn]] void RaiseInvalidValue();

// Mouse buttons and shift state of mouse events.
constexpr int vbLeftButton = 1;
constexpr int vbRightButton = 2;
constexpr int vbMiddleButton = 4;
constexpr int vbShiftMask = 1;
constexpr int vbCtrlMask = 2;
constexpr int vbAltMask = 4;

// Check box states.
constexpr int vbUnchecked = 0;
constexpr int vbChecked = 1;
constexpr int vbGrayed = 2;

// Runs one handler: a fault inside it (any exception) stops at the handler, is
// shown in a message box and the program goes on. `repeatKey`, when given,
// holds the text of the fault last shown for a repeating source (a timer): the
// same fault again is not shown again; a run without fault clears it. Returns
// false when the handler faulted.
bool RunHandler(std::string_view where, const std::function<void()>& body, std::string* repeatKey = nullptr);
// The text a fault is shown with.
std::string FaultText(std::string_view where, const std::exception* error);
// Every fault stopped at a handler, oldest first (tests and diagnostics).
std::vector<std::string> HandlerFaults();
void ClearHandlerFaults();

// One event of a control: at most one handler, attached by the program.
template <class... Args>
class Event {
 public:
  using Handler = std::function<void(Args...)>;
  Event& operator=(Handler handler) {
    handler_ = std::move(handler);
    return *this;
  }
  explicit operator bool() const { return static_cast<bool>(handler_); }
  const Handler& Get() const { return handler_; }
  // Runs the handler, if any; a fault stops inside (see RunHandler).
  bool Fire(const Control& source, std::string_view eventName, Args... args) const;

 private:
  Handler handler_;
};

enum class ControlKind {
  Form, Label, TextBox, CheckBox, OptionButton, CommandButton, Frame, HScrollBar, VScrollBar, ListBox,
  FileListBox, Timer, TabStrip, UpDown, CommonDialog, PictureBox, Line, Shape, Slot, ComboBox
};
const char* KindName(ControlKind kind);

// Every control: name (and index in a control array), window, container,
// Enabled, Visible, Tag, placement in twips, focus and the common events.
class Control {
 public:
  Control(Form* form, ControlKind kind, std::string name, int index, Control* container);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  // Index in its control array, -1 for a control of its own.
  int Index() const { return index_; }
  // "Name" or "Name(3)".
  std::string DisplayName() const;
  Form* ParentForm() const { return form_; }
  Control* Container() const { return container_; }
  // The control's window (0 for windowless lines and shapes, and before its form is loaded).
  HWND hWnd() const { return hwnd_; }

  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  const std::string& Tag() const { return tag_; }
  void SetTag(std::string tag) { tag_ = std::move(tag); }

  // Placement in twips, in the container's coordinates.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  virtual void Move(int left, int top, int width, int height);
  void SetLeft(int v) { Move(v, top_, width_, height_); }
  void SetTop(int v) { Move(left_, v, width_, height_); }

  // The text the control shows (caption or text; empty when it has none).
  virtual std::string ShownText() const { return caption_; }
  const std::string& Caption() const { return caption_; }
  virtual void SetCaption(std::string caption);
  COLORREF ForeColor() const { return foreColor_; }
  void SetForeColor(COLORREF color) { foreColor_ = color; Invalidate(); }
  COLORREF BackColor() const { return backColor_; }
  void SetBackColor(COLORREF color) { backColor_ = color; Invalidate(); }
  float FontSize() const { return fontSize_; }
  virtual void SetFontSize(float size) { fontSize_ = size; Invalidate(); }

  // Page of the tab strip that contains this control (-1: on every page).
  int TabPage() const { return tabPage_; }
  void SetTabPage(int page) { tabPage_ = page; }
  int TabIndex() const { return tabIndex_; }
  void SetTabIndex(int index) { tabIndex_ = index; }

  // Whether the control could take the focus now: one that takes focus, loaded,
  // visible and enabled along its containers.
  virtual bool CanTakeFocus() const;
  // Moves the focus here; does nothing (and never raises) when it cannot.
  void SetFocus();
  bool HasFocus() const;
  // Whether operator input reaches it: visible and enabled along its
  // containers, on a shown form that no modal form covers.
  bool AcceptsInput() const;
  // Visible along its containers (and its tab page is the chosen one).
  bool ShownOnScreen() const;
  bool EnabledAlongContainers() const;

  // Asks the window to be drawn again.
  void Invalidate();
  // 0 brings the control in front of its siblings, 1 sends it behind them.
  void ZOrder(int position = 0);

  Event<> Click;
  Event<> DblClick;
  Event<> GotFocus;
  Event<> LostFocus;
  Event<int, int, float, float> MouseDown;  // button, shift, x, y
  Event<int, int, float, float> MouseMove;
  Event<int, int, float, float> MouseUp;
  Event<int&> KeyPress;                     // character code; set 0 to drop it
  Event<int&, int> KeyDown;                 // key code, shift

  // Operator input; does nothing when AcceptsInput() is false. A click moves
  // the focus (when the control takes it), then MouseDown, the control's own
  // reaction (value change and Click), MouseUp.
  virtual void OperatorClick(int button = vbLeftButton, int shift = 0);
  virtual void OperatorDblClick();
  // A button pressed from the keyboard as its form's default or cancel button:
  // the click without the focus, which stays with the control that had it.
  void OperatorPress();

  // Creates the window under the container's window (the form's loading does it).
  virtual void CreateWindowNow();
  void DestroyWindowNow();
  // Copies the design values of another control of the same kind (array elements).
  virtual void CopyDesign(const Control& from);
  // Drawing of the control's plain look into its window (see look.h).
  virtual void Paint();

 protected:
  // What a left click does to the control itself, between MouseDown and MouseUp.
  virtual void ClickReaction() { Click.Fire(*this, "Click"); }
  virtual bool TakesFocus() const { return false; }
  virtual bool Windowless() const { return false; }
  friend class Form;

  Form* form_;
  ControlKind kind_;
  std::string name_;
  int index_;
  Control* container_;
  HWND hwnd_ = 0;
  bool enabled_ = true;
  bool visible_ = true;
  std::string tag_;
  int left_ = 0, top_ = 0, width_ = 1200, height_ = 375;
  std::string caption_;
  COLORREF foreColor_ = 0x000000;
  COLORREF backColor_ = 0xC0C0C0;
  float fontSize_ = 8.25f;
  int tabPage_ = -1;
  int tabIndex_ = 0;
};

template <class... Args>
bool Event<Args...>::Fire(const Control& source, std::string_view eventName, Args... args) const {
  if (!handler_) return true;
  Handler handler = handler_;  // the handler may replace itself
  std::string where = source.DisplayName() + "_" + std::string(eventName);
  return RunHandler(where, [&] { handler(args...); });
}

}  // namespace winplat::controls
