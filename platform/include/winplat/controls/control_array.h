#pragma once
// Control arrays: elements by index, loaded from the lowest element (the
// template) and unloaded at run time; handlers receive the element's index.
#include <functional>
#include <map>
#include <string>

#include "winplat/controls/form.h"

namespace winplat::controls {

template <class T>
class ControlArray {
 public:
  ControlArray(Form& form, std::string name) : form_(&form), name_(std::move(name)) {}

  // Creates element `index` at design time.
  template <class... Args>
  T& Design(int index, Control* container, Args&&... args) {
    T& element = form_->AddElement<T>(name_, index, container, std::forward<Args>(args)...);
    elements_[index] = &element;
    Wire(element);
    return element;
  }
  // Loads a new element as a copy of the lowest element (hidden, same container,
  // same design values and handlers). Error 360 when it is loaded already, 340
  // when the array has no element to copy.
  T& Load(int index) {
    if (elements_.count(index)) throw ControlError(kErrArrayElementLoaded, "Object already loaded");
    if (elements_.empty()) throw ControlError(kErrArrayElementMissing, "Control array element doesn't exist");
    T& model = *elements_.begin()->second;
    T& element = form_->AddElement<T>(name_, index, model.Container());
    element.CopyDesign(model);
    element.SetVisible(false);
    elements_[index] = &element;
    Wire(element);
    if (form_->Loaded()) element.CreateWindowNow();
    return element;
  }
  // Unloads an element (error 340 when there is none).
  void Unload(int index) {
    T& element = (*this)(index);
    elements_.erase(index);
    form_->Remove(&element);
  }
  // Element `index`; error 340 when it does not exist.
  T& operator()(int index) const {
    auto it = elements_.find(index);
    if (it == elements_.end())
      throw ControlError(kErrArrayElementMissing,
                         "Control array element '" + std::to_string(index) + "' doesn't exist");
    return *it->second;
  }
  bool Exists(int index) const { return elements_.count(index) != 0; }
  int LBound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
  int UBound() const { return elements_.empty() ? -1 : elements_.rbegin()->first; }
  int Count() const { return static_cast<int>(elements_.size()); }
  const std::string& Name() const { return name_; }
  const std::map<int, T*>& Elements() const { return elements_; }

  // Handlers of the whole array, with the element's index first.
  void OnClick(std::function<void(int)> h) { click_ = std::move(h); Rewire(); }
  void OnDblClick(std::function<void(int)> h) { dblClick_ = std::move(h); Rewire(); }
  void OnGotFocus(std::function<void(int)> h) { gotFocus_ = std::move(h); Rewire(); }
  void OnLostFocus(std::function<void(int)> h) { lostFocus_ = std::move(h); Rewire(); }
  using Mouse = std::function<void(int, int, int, float, float)>;
  void OnMouseDown(Mouse h) { mouseDown_ = std::move(h); Rewire(); }
  void OnMouseMove(Mouse h) { mouseMove_ = std::move(h); Rewire(); }
  void OnMouseUp(Mouse h) { mouseUp_ = std::move(h); Rewire(); }
  // Change of text boxes and scroll bars in an array.
  void OnChange(std::function<void(int)> h) { change_ = std::move(h); Rewire(); }

 private:
  void Rewire() {
    for (auto& [index, element] : elements_) Wire(*element);
  }
  void Wire(T& e) {
    int i = e.Index();
    if (click_) e.Click = [h = click_, i] { h(i); };
    if (dblClick_) e.DblClick = [h = dblClick_, i] { h(i); };
    if (gotFocus_) e.GotFocus = [h = gotFocus_, i] { h(i); };
    if (lostFocus_) e.LostFocus = [h = lostFocus_, i] { h(i); };
    if (mouseDown_) e.MouseDown = [h = mouseDown_, i](int b, int s, float x, float y) { h(i, b, s, x, y); };
    if (mouseMove_) e.MouseMove = [h = mouseMove_, i](int b, int s, float x, float y) { h(i, b, s, x, y); };
    if (mouseUp_) e.MouseUp = [h = mouseUp_, i](int b, int s, float x, float y) { h(i, b, s, x, y); };
    if constexpr (requires { e.Change; }) {
      if (change_) e.Change = [h = change_, i] { h(i); };
    }
  }

  Form* form_;
  std::string name_;
  std::map<int, T*> elements_;
  std::function<void(int)> click_, dblClick_, gotFocus_, lostFocus_, change_;
  Mouse mouseDown_, mouseMove_, mouseUp_;
};

}  // namespace winplat::controls
