// Scroll bars and up-down controls.
#include <cstdlib>

#include "winplat/controls/scroll.h"
#include "winplat/controls/standard.h"
#include "winplat/numeric.h"

namespace winplat::controls {

// ---- ScrollBar --------------------------------------------------------------
ScrollBar::ScrollBar(Form* form, std::string name, int index, Control* container, ControlKind kind)
    : Control(form, kind, std::move(name), index, container) {
  if (kind == ControlKind::VScrollBar) {
    width_ = 255;
    height_ = 1200;
  } else {
    width_ = 1200;
    height_ = 255;
  }
}

std::int16_t ScrollBar::Checked16(int value) {
  if (value < -32768 || value > 32767) throw NumericError(6, "Overflow");
  return static_cast<std::int16_t>(value);
}

void ScrollBar::Store(int value) {
  if (value == value_) return;
  value_ = static_cast<std::int16_t>(value);
  Invalidate();
  Change.Fire(*this, "Change");
}

void ScrollBar::SetValue(int value) {
  Checked16(value);
  if (value < Lowest() || value > Highest()) RaiseInvalidValue();
  Store(value);
}

void ScrollBar::SetMin(int value) {
  min_ = Checked16(value);
  if (value_ < Lowest()) Store(Lowest());
  else if (value_ > Highest()) Store(Highest());
  Invalidate();
}

void ScrollBar::SetMax(int value) {
  max_ = Checked16(value);
  if (value_ < Lowest()) Store(Lowest());
  else if (value_ > Highest()) Store(Highest());
  Invalidate();
}

void ScrollBar::SetSmallChange(int value) {
  if (value < 0) RaiseInvalidValue();
  small_ = Checked16(value);
}

void ScrollBar::SetLargeChange(int value) {
  if (value < 0) RaiseInvalidValue();
  large_ = Checked16(value);
}

void ScrollBar::OperatorScrollTo(int value) {
  if (!AcceptsInput()) return;
  SetFocus();
  if (!AcceptsInput()) return;
  int v = value < Lowest() ? Lowest() : value > Highest() ? Highest() : value;
  Store(v);
}

void ScrollBar::OperatorStep(int count, bool large) {
  if (!AcceptsInput()) return;
  SetFocus();
  if (!AcceptsInput()) return;
  int direction = max_ >= min_ ? 1 : -1;
  long next = static_cast<long>(value_) + static_cast<long>(direction) * count * (large ? large_ : small_);
  if (next < Lowest()) next = Lowest();
  if (next > Highest()) next = Highest();
  Store(static_cast<int>(next));
}

void ScrollBar::CopyDesign(const Control& from) {
  Control::CopyDesign(from);
  if (auto* s = dynamic_cast<const ScrollBar*>(&from)) {
    value_ = s->value_;
    min_ = s->min_;
    max_ = s->max_;
    small_ = s->small_;
    large_ = s->large_;
    Change = s->Change.Get();
  }
}

// ---- UpDown -----------------------------------------------------------------
UpDown::UpDown(Form* form, std::string name, int index, Control* container)
    : Control(form, ControlKind::UpDown, std::move(name), index, container) {
  width_ = 255;
  height_ = 285;
}

void UpDown::SetValue(std::int32_t value) {
  std::int32_t low = min_ < max_ ? min_ : max_;
  std::int32_t high = min_ < max_ ? max_ : min_;
  if (value < low || value > high) RaiseInvalidValue();
  if (buddy_) buddy_->SetText(std::to_string(value));
  if (value == value_) return;
  value_ = value;
  Change.Fire(*this, "Change");
}

void UpDown::SetMin(std::int32_t value) {
  min_ = value;
  if (value_ < (min_ < max_ ? min_ : max_) || value_ > (min_ < max_ ? max_ : min_)) value_ = min_;
}

void UpDown::SetMax(std::int32_t value) {
  max_ = value;
  if (value_ < (min_ < max_ ? min_ : max_) || value_ > (min_ < max_ ? max_ : min_)) value_ = min_;
}

void UpDown::SetIncrement(std::int32_t value) {
  if (value < 0) RaiseInvalidValue();
  increment_ = value;
}

void UpDown::OperatorArrow(bool up) {
  if (!AcceptsInput()) return;
  // The buddy's number is where the step starts from (the box may have been typed into).
  double current = value_;
  if (buddy_) {
    try {
      current = Val(buddy_->Text());
    } catch (const NumericError&) {
      current = value_;
    }
  }
  std::int32_t low = min_ < max_ ? min_ : max_;
  std::int32_t high = min_ < max_ ? max_ : min_;
  int direction = (max_ >= min_) == up ? 1 : -1;
  double next = current + static_cast<double>(direction) * increment_;
  if (next > high) next = wrap_ ? low : high;
  if (next < low) next = wrap_ ? high : low;
  auto stepped = static_cast<std::int32_t>(next);
  bool moved = buddy_ ? buddy_->Text() != std::to_string(stepped) : stepped != value_;
  if (!moved) return;
  (up ? UpClick : DownClick).Fire(*this, up ? "UpClick" : "DownClick");
  if (buddy_) buddy_->SetText(std::to_string(stepped));
  if (stepped != value_) {
    value_ = stepped;
    Invalidate();
  }
  Change.Fire(*this, "Change");
}

}  // namespace winplat::controls
