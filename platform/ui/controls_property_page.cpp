// Property pages: the selection handed in by the designer and the apply step.
#include "winplat/controls/property_page.h"

namespace winplat::controls {

PropertyPage::PropertyPage(std::string name, std::string caption) : Form(std::move(name), std::move(caption)) {}

void PropertyPage::SetSelectedControls(std::vector<ComPtr<IDispatch>> selected) {
  selected_ = std::move(selected);
  if (SelectionChanged) RunHandler(Name() + "_SelectionChanged", SelectionChanged);
}

bool PropertyPage::Apply() {
  if (!Changed) return true;
  bool applied = true;
  if (ApplyChanges && !RunHandler(Name() + "_ApplyChanges", [&] { applied = ApplyChanges(); })) applied = false;
  if (applied) Changed = false;
  return applied;
}

}  // namespace winplat::controls
