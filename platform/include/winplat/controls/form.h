#pragma once
// Forms: the program's windows, holding their controls by name.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "winplat/controls/control.h"

namespace winplat::controls {

// Unload modes given to QueryUnload.
constexpr int vbFormControlMenu = 0;  // closed by the operator
constexpr int vbFormCode = 1;         // Unload from code
constexpr int vbAppWindows = 2;

class Form : public Control {
 public:
  Form(std::string name, std::string caption);
  ~Form() override;

  // Creates the window and the controls' windows and fires Load, once.
  void Load();
  bool Loaded() const { return loaded_; }
  // Shows the form (loading it first). Modal: runs a nested loop that ends
  // when the form is hidden or unloaded; other forms take no operator input meanwhile.
  void Show(bool modal = false);
  void Hide();
  // Asks QueryUnload (which may cancel); true when the form was unloaded.
  bool Unload(int mode = vbFormCode);
  bool IsModal() const { return modal_; }
  // The form modal forms cover (operator input to it does nothing).
  bool CoveredByModal() const;

  // Placement in twips on the screen.
  void Move(int left, int top, int width, int height) override;
  void SetCaption(std::string caption) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  int MousePointer() const { return mousePointer_; }
  void SetMousePointer(int pointer);

  Control* ActiveControl() const { return active_; }
  // Moves the focus (LostFocus on the old control, then GotFocus on the new one).
  void MoveFocus(Control* to);
  // The next control in tab order that can take the focus.
  Control* NextInTabOrder(Control* from) const;

  // Controls by name (index -1: a control of its own); nullptr when missing.
  Control* Find(std::string_view name, int index = -1) const;
  template <class T>
  T* FindAs(std::string_view name, int index = -1) const {
    return dynamic_cast<T*>(Find(name, index));
  }
  const std::vector<Control*>& Controls() const { return order_; }

  // Adds a control to the form (forms build their controls with it).
  template <class T, class... Args>
  T& Add(std::string name, Control* container, Args&&... args) {
    return AddElement<T>(std::move(name), -1, container, std::forward<Args>(args)...);
  }
  template <class T, class... Args>
  T& AddElement(std::string name, int index, Control* container, Args&&... args) {
    auto control = std::make_unique<T>(this, std::move(name), index, container ? container : this,
                                       std::forward<Args>(args)...);
    T& ref = *control;
    Adopt(std::move(control));
    return ref;
  }
  // Removes a control (array elements that are unloaded).
  void Remove(Control* control);
  // Drawing order: a control drawn last is in front.
  void Reorder(Control* control, bool toFront);

  Event<> OnLoad;
  Event<> Activate;
  Event<> Deactivate;
  Event<> OnUnload;
  Event<int&, int> QueryUnload;  // cancel, unload mode
  Event<> Resize;

  // Operator: close the window (query-unload with vbFormControlMenu).
  void OperatorClose();
  void CreateWindowNow() override;
  // Draws the form with every control shown on it into the form's picture.
  void Paint() override;

  // Every form alive, by name (operator commands find forms through it).
  static Form* Named(std::string_view name);
  static std::vector<Form*> All();

 protected:
  bool TakesFocus() const override { return false; }

 private:
  void Adopt(std::unique_ptr<Control> control);
  void RunModalLoop();

  bool loaded_ = false;
  bool modal_ = false;
  int mousePointer_ = 0;
  Control* active_ = nullptr;
  std::vector<std::unique_ptr<Control>> owned_;
  std::vector<Control*> order_;
  std::multimap<std::string, Control*, std::less<>> byName_;
};

// The loop a modal form runs asks the operator input source for the next
// action. Ran: an action ran; Idle: nothing yet (the loop lets 10 ms pass);
// Ended: no more input will come (the modal form is hidden so the program can go on).
enum class InputState { Ran, Idle, Ended };
using InputSource = std::function<InputState()>;
void SetInputSource(InputSource source);
InputSource CurrentInputSource();
// Polls the installed source (Idle when none).
InputState PollInput();

}  // namespace winplat::controls
