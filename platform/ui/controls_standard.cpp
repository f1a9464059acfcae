// Labels, text boxes, check boxes, option buttons, command buttons and frames.
#include <algorithm>

#include "winplat/controls/form.h"
#include "winplat/controls/standard.h"

namespace winplat::controls {

// ---- Label ------------------------------------------------------------------
Label::Label(Form* form, std::string name, int index, Control* container, std::string caption)
    : Control(form, ControlKind::Label, std::move(name), index, container) {
  caption_ = std::move(caption);
}

void Label::SetCaption(std::string caption) {
  if (caption == caption_) return;
  Control::SetCaption(std::move(caption));
  Change.Fire(*this, "Change");
}

void Label::CopyDesign(const Control& from) {
  Control::CopyDesign(from);
  if (auto* l = dynamic_cast<const Label*>(&from)) Change = l->Change.Get();
}

// ---- TextBox ----------------------------------------------------------------
TextBox::TextBox(Form* form, std::string name, int index, Control* container, std::string text)
    : Control(form, ControlKind::TextBox, std::move(name), index, container), text_(std::move(text)) {
  backColor_ = 0xFFFFFF;
}

void TextBox::SetText(std::string text) {
  if (maxLength_ > 0 && static_cast<int>(text.size()) > maxLength_) text.resize(static_cast<std::size_t>(maxLength_));
  if (text == text_) return;
  text_ = std::move(text);
  selStart_ = std::min(selStart_, static_cast<int>(text_.size()));
  selLength_ = 0;
  Invalidate();
  Change.Fire(*this, "Change");
}

void TextBox::SetSelStart(int start) {
  if (start < 0) RaiseInvalidValue();
  selStart_ = std::min(start, static_cast<int>(text_.size()));
  selLength_ = 0;
}

void TextBox::SetSelLength(int length) {
  if (length < 0) RaiseInvalidValue();
  selLength_ = std::min(length, static_cast<int>(text_.size()) - selStart_);
}

void TextBox::SetSelText(const std::string& text) {
  std::string next = text_;
  next.replace(static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_), text);
  int caret = selStart_ + static_cast<int>(text.size());
  SetText(next);
  selStart_ = std::min(caret, static_cast<int>(text_.size()));
  selLength_ = 0;
}

void TextBox::OperatorType(const std::string& characters) {
  if (!AcceptsInput()) return;
  SetFocus();
  for (char ch : characters) {
    if (!AcceptsInput()) return;
    int code = static_cast<unsigned char>(ch);
    KeyPress.Fire(*this, "KeyPress", code);
    if (code == 0 || locked_) continue;
    if (code == '\b') {
      if (selLength_ == 0 && selStart_ > 0) {
        --selStart_;
        selLength_ = 1;
      }
      SetSelText("");
      continue;
    }
    // Every other control code (Enter, Escape, Tab, ...) is a key, never text.
    if (code < 32 || code == 127) continue;
    if (maxLength_ > 0 && static_cast<int>(text_.size()) - selLength_ >= maxLength_) continue;
    SetSelText(std::string(1, static_cast<char>(code)));
  }
}

void TextBox::OperatorReplace(const std::string& text) {
  if (!AcceptsInput() || locked_) return;
  SetFocus();
  selStart_ = 0;
  selLength_ = static_cast<int>(text_.size());
  SetSelText(text);
}

void TextBox::CopyDesign(const Control& from) {
  Control::CopyDesign(from);
  if (auto* t = dynamic_cast<const TextBox*>(&from)) {
    text_ = t->text_;
    locked_ = t->locked_;
    maxLength_ = t->maxLength_;
    Change = t->Change.Get();
  }
}

// ---- CheckBox ---------------------------------------------------------------
CheckBox::CheckBox(Form* form, std::string name, int index, Control* container, std::string caption, int value)
    : Control(form, ControlKind::CheckBox, std::move(name), index, container), value_(value) {
  caption_ = std::move(caption);
}

void CheckBox::SetValue(int value) {
  if (value < 0 || value > 2) RaiseInvalidValue();
  if (value == value_) return;
  value_ = value;
  Invalidate();
  Click.Fire(*this, "Click");
}

void CheckBox::ClickReaction() { SetValue(value_ == vbUnchecked ? vbChecked : vbUnchecked); }

void CheckBox::CopyDesign(const Control& from) {
  Control::CopyDesign(from);
  if (auto* c = dynamic_cast<const CheckBox*>(&from)) value_ = c->value_;
}

// ---- OptionButton -----------------------------------------------------------
OptionButton::OptionButton(Form* form, std::string name, int index, Control* container, std::string caption,
                           bool value)
    : Control(form, ControlKind::OptionButton, std::move(name), index, container), value_(value) {
  caption_ = std::move(caption);
}

void OptionButton::SetValue(bool value) {
  if (value == value_) return;
  value_ = value;
  Invalidate();
  if (!value) return;
  // The other options of the group (same container) are cleared without events.
  if (form_) {
    for (Control* c : form_->Controls()) {
      auto* other = dynamic_cast<OptionButton*>(c);
      if (other && other != this && other->container_ == container_ && other->value_) {
        other->value_ = false;
        other->Invalidate();
      }
    }
  }
  Click.Fire(*this, "Click");
}

void OptionButton::CopyDesign(const Control& from) {
  Control::CopyDesign(from);
  value_ = false;  // a loaded element never takes the group's choice
}

// ---- CommandButton ----------------------------------------------------------
CommandButton::CommandButton(Form* form, std::string name, int index, Control* container, std::string caption)
    : Control(form, ControlKind::CommandButton, std::move(name), index, container) {
  caption_ = std::move(caption);
}

void CommandButton::SetValue(bool value) {
  if (value) Click.Fire(*this, "Click");
}

void CommandButton::CopyDesign(const Control& from) { Control::CopyDesign(from); }

// ---- Frame ------------------------------------------------------------------
Frame::Frame(Form* form, std::string name, int index, Control* container, std::string caption)
    : Control(form, ControlKind::Frame, std::move(name), index, container) {
  caption_ = std::move(caption);
}

void Frame::CopyDesign(const Control& from) { Control::CopyDesign(from); }

}  // namespace winplat::controls
