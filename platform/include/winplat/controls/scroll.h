#pragma once
// Scroll bars (signed 16-bit values, Min may exceed Max) and up-down controls
// bound to a buddy text box.
#include <cstdint>
#include <string>

#include "winplat/controls/control.h"

namespace winplat::controls {

class TextBox;

class ScrollBar : public Control {
 public:
  // kind: HScrollBar or VScrollBar.
  ScrollBar(Form* form, std::string name, int index, Control* container, ControlKind kind);
  std::int16_t Value() const { return value_; }
  std::int16_t Min() const { return min_; }
  std::int16_t Max() const { return max_; }
  std::int16_t SmallChange() const { return small_; }
  std::int16_t LargeChange() const { return large_; }
  // A value outside the range (between Min and Max, whichever is larger) is
  // refused with error 380 and changes nothing. Fires Change when it changes.
  void SetValue(int value);
  // Moves Value into the new range (firing Change when it moves).
  void SetMin(int value);
  void SetMax(int value);
  void SetSmallChange(int value);
  void SetLargeChange(int value);
  void CopyDesign(const Control& from) override;

  Event<> Change;
  Event<> Scroll;

  // Operator: drags the thumb to a value (clamped to the range), or clicks an
  // arrow (steps of SmallChange) or the trough (LargeChange); a positive count
  // moves toward Max. The bar takes the focus first.
  void OperatorScrollTo(int value);
  void OperatorStep(int count, bool large);

 protected:
  bool TakesFocus() const override { return true; }
  void ClickReaction() override {}

 private:
  static std::int16_t Checked16(int value);
  int Lowest() const { return min_ < max_ ? min_ : max_; }
  int Highest() const { return min_ < max_ ? max_ : min_; }
  void Store(int value);

  std::int16_t value_ = 0;
  std::int16_t min_ = 0;
  std::int16_t max_ = 32767;
  std::int16_t small_ = 1;
  std::int16_t large_ = 1;
};

class UpDown : public Control {
 public:
  UpDown(Form* form, std::string name, int index, Control* container);
  std::int32_t Value() const { return value_; }
  std::int32_t Min() const { return min_; }
  std::int32_t Max() const { return max_; }
  std::int32_t Increment() const { return increment_; }
  // Values outside Min..Max are refused with error 380. Sets the buddy's text.
  void SetValue(std::int32_t value);
  void SetMin(std::int32_t value);
  void SetMax(std::int32_t value);
  void SetIncrement(std::int32_t value);
  bool Wrap() const { return wrap_; }
  void SetWrap(bool wrap) { wrap_ = wrap; }
  TextBox* Buddy() const { return buddy_; }
  void SetBuddy(TextBox* buddy) { buddy_ = buddy; }

  Event<> Change;
  Event<> UpClick;
  Event<> DownClick;

  // Operator: an arrow click. Steps from the buddy's current number by the
  // increment (kept within Min..Max), sets the buddy's text (its Change), then
  // this control's Value and Change. Nothing happens at the end of the range.
  void OperatorArrow(bool up);

 protected:
  void ClickReaction() override {}

 private:
  std::int32_t value_ = 0;
  std::int32_t min_ = 0;
  std::int32_t max_ = 10;
  std::int32_t increment_ = 1;
  bool wrap_ = false;
  TextBox* buddy_ = nullptr;
};

}  // namespace winplat::controls
