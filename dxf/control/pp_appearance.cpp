// The property page "Appearance".
#include "pp_appearance.h"

#include "error_trail.h"
#include "winplat/msgbox.h"

namespace kelvane {

using winplat::Variant;

ppAppearance::ppAppearance() : PropertyPage("ppAppearance", "Appearance") {
  Move(0, 0, 5895, 3600);
  Frame1.Move(120, 120, 5655, 1095);
  txtOnTheSpotZoomPct.Move(1800, 300, 735, 285);
  txtOnTheSpotRight.Move(1800, 660, 735, 285);
  lblOnTheSpotZoomPct.Move(120, 345, 1575, 255);
  Label2.Move(120, 705, 1575, 255);
  chkAttributeDisplay.Move(120, 1380, 2175, 255);
  Label1.Move(120, 1800, 1335, 255);
  cmbZoom.Move(1560, 1755, 2175, 315);
  lblFileName.Move(120, 2280, 1335, 255);
  txtFileName.Move(1560, 2235, 4215, 285);
  const char* items[] = {"Window", "Drill Down", "Pan"};
  for (int i = 0; i < 3; ++i) {
    cmbZoom.AddItem(items[i]);
    cmbZoom.SetItemData(i, i);
  }
  chkAttributeDisplay.Click = [this] { chkAttributeDisplay_Click(); };
  cmbZoom.Click = [this] { cmbZoom_Click(); };
  txtOnTheSpotRight.Change = [this] { txtOnTheSpotRight_Change(); };
  txtOnTheSpotZoomPct.Change = [this] { txtOnTheSpotZoomPct_Change(); };
  txtFileName.Change = [this] { txtFileName_Change(); };
  ApplyChanges = [this] { return PropertyPage_ApplyChanges(); };
  SelectionChanged = [this] { PropertyPage_SelectionChanged(); };
}

bool ppAppearance::PropertyPage_ApplyChanges() {
  if (SelectedControls().empty()) return true;
  winplat::IDispatch* control = SelectedControls().front().Get();
  const char* property = "";
  try {
    property = "OnTheSpotZoomPctLeft";
    winplat::PutProperty(control, property, Variant(txtOnTheSpotZoomPct.Text()));
    property = "OnTheSpotZoomPctRight";
    winplat::PutProperty(control, property, Variant(txtOnTheSpotRight.Text()));
    property = "Filename";
    winplat::PutProperty(control, property, Variant(txtFileName.Text()));
    property = "ZoomFunction";
    // With no entry chosen the control keeps its zoom function.
    if (cmbZoom.ListIndex() >= 0) winplat::PutProperty(control, property, Variant(cmbZoom.ItemData(cmbZoom.ListIndex())));
    property = "DisplayAttributes";
    winplat::PutProperty(control, property, Variant(static_cast<std::int16_t>(chkAttributeDisplay.Value())));
    return true;
  } catch (...) {
    winplat::MessageBox(hWnd(), std::string("The value of ") + property + " was not accepted: " + CurrentErrorText(),
                        Caption(), 0x30);
    return false;
  }
}

void ppAppearance::PropertyPage_SelectionChanged() {
  if (SelectedControls().empty()) return;
  winplat::IDispatch* control = SelectedControls().front().Get();
  txtOnTheSpotZoomPct.SetText(winplat::GetProperty(control, "OnTheSpotZoomPctLeft").ToString());
  txtOnTheSpotRight.SetText(winplat::GetProperty(control, "OnTheSpotZoomPctRight").ToString());
  txtFileName.SetText(winplat::GetProperty(control, "Filename").ToString());
  // A zoom function the list does not hold shows no entry.
  const std::int16_t zoom = winplat::GetProperty(control, "ZoomFunction").ToInteger();
  cmbZoom.SetListIndex(zoom >= 0 && zoom < cmbZoom.ListCount() ? zoom : -1);
  const std::int16_t attributes = winplat::GetProperty(control, "DisplayAttributes").ToInteger();
  chkAttributeDisplay.SetValue(attributes >= 0 && attributes <= 2 ? attributes : 1);
  // What was just read is no change.
  Changed = false;
}

ppAppearanceObject::ppAppearanceObject() : DispatchObject("ppAppearance") {
  AddMethod(1, "Apply", [this](winplat::Args&) { return Variant(Page.Apply()); }, 0);
  AddProperty(2, "Changed", [this](winplat::Args&) { return Variant(Page.Changed); }, {}, {});
}

}  // namespace kelvane
