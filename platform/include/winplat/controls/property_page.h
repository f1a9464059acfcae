#pragma once
// A property page: a form that edits properties of the controls selected in a
// form designer. The designer hands it the selection (the selection hook
// reads their values into the page) and asks it to apply (the apply hook
// writes them back, only when something on the page changed).
#include <functional>
#include <string>
#include <vector>

#include "winplat/controls/form.h"
#include "winplat/dispatch.h"

namespace winplat::controls {

class PropertyPage : public Form {
 public:
  PropertyPage(std::string name, std::string caption);

  const std::vector<ComPtr<IDispatch>>& SelectedControls() const { return selected_; }
  // Sets the selection and runs the selection hook.
  void SetSelectedControls(std::vector<ComPtr<IDispatch>> selected);

  // Set by the page's handlers when a value on it changes.
  bool Changed = false;

  // Runs the apply hook when Changed, then clears Changed; a hook that answers
  // false (a value refused) leaves Changed set. True when nothing is left to apply.
  bool Apply();

  // The page's own procedures; the apply hook answers whether every value was taken.
  std::function<bool()> ApplyChanges;
  std::function<void()> SelectionChanged;

 private:
  std::vector<ComPtr<IDispatch>> selected_;
};

}  // namespace winplat::controls
