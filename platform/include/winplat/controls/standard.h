#pragma once
// Labels, text boxes, check boxes, option buttons, command buttons and frames.
#include <string>

#include "winplat/controls/control.h"

namespace winplat::controls {

class Label : public Control {
 public:
  Label(Form* form, std::string name, int index, Control* container, std::string caption = {});
  void CopyDesign(const Control& from) override;
  Event<> Change;
  void SetCaption(std::string caption) override;
};

class TextBox : public Control {
 public:
  TextBox(Form* form, std::string name, int index, Control* container, std::string text = {});
  const std::string& Text() const { return text_; }
  // Fires Change when the text changes (also when the box is disabled).
  void SetText(std::string text);
  std::string ShownText() const override { return text_; }
  int SelStart() const { return selStart_; }
  int SelLength() const { return selLength_; }
  void SetSelStart(int start);
  void SetSelLength(int length);
  // Replaces the selection (as typing or pasting does).
  void SetSelText(const std::string& text);
  bool Locked() const { return locked_; }
  void SetLocked(bool locked) { locked_ = locked; }
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int n) { maxLength_ = n; }
  void CopyDesign(const Control& from) override;

  Event<> Change;

  // Operator: types the characters one at a time at the caret (each gives
  // KeyPress and, when the text changes, one Change). "\b" deletes back, "\r" is Enter.
  void OperatorType(const std::string& characters);
  // Operator: selects the whole text and pastes `text` in its place (one Change).
  void OperatorReplace(const std::string& text);

 protected:
  bool TakesFocus() const override { return true; }
  void ClickReaction() override { Click.Fire(*this, "Click"); }

 private:
  std::string text_;
  int selStart_ = 0;
  int selLength_ = 0;
  bool locked_ = false;
  int maxLength_ = 0;
};

class CheckBox : public Control {
 public:
  CheckBox(Form* form, std::string name, int index, Control* container, std::string caption = {}, int value = 0);
  int Value() const { return value_; }
  // 0, 1 or 2; any other value is refused (error 380) and changes nothing.
  // Fires Click when the state changes.
  void SetValue(int value);
  void CopyDesign(const Control& from) override;

 protected:
  bool TakesFocus() const override { return true; }
  void ClickReaction() override;

 private:
  int value_ = 0;
};

class OptionButton : public Control {
 public:
  OptionButton(Form* form, std::string name, int index, Control* container, std::string caption = {},
               bool value = false);
  bool Value() const { return value_; }
  // Setting True clears the other options of the same container silently and
  // fires Click here when the value changes; setting False fires nothing.
  void SetValue(bool value);
  void CopyDesign(const Control& from) override;

 protected:
  bool TakesFocus() const override { return true; }
  void ClickReaction() override { SetValue(true); }

 private:
  bool value_ = false;
};

class CommandButton : public Control {
 public:
  CommandButton(Form* form, std::string name, int index, Control* container, std::string caption = {});
  // Setting Value True from code clicks the button.
  void SetValue(bool value);
  bool Default() const { return default_; }
  void SetDefault(bool d) { default_ = d; }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool c) { cancel_ = c; }
  void CopyDesign(const Control& from) override;

 protected:
  bool TakesFocus() const override { return true; }

 private:
  bool default_ = false;
  bool cancel_ = false;
};

// A group frame: a container with a caption. Disabling it takes operator input
// from everything inside; option buttons inside form one group.
class Frame : public Control {
 public:
  Frame(Form* form, std::string name, int index, Control* container, std::string caption = {});
  void CopyDesign(const Control& from) override;

 protected:
  void ClickReaction() override { Click.Fire(*this, "Click"); }
};

}  // namespace winplat::controls
