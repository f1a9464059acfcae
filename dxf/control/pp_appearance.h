#pragma once
// The design-time property page "Appearance": five properties of the selected
// DXF control, read when the selection changes and written back on apply.
#include "winplat/controls/lists.h"
#include "winplat/controls/property_page.h"
#include "winplat/controls/standard.h"
#include "winplat/dispatch.h"

namespace kelvane {

constexpr const char* kPageProgID = "KelvaneEnt.ppAppearance";
constexpr const char* kCLSID_ppAppearance = "{6B1E2F44-7C1D-4E5A-9B3C-2D8F0A41C501}";

class ppAppearance : public winplat::controls::PropertyPage {
 public:
  ppAppearance();

  void chkAttributeDisplay_Click() { Changed = true; }
  void cmbZoom_Click() { Changed = true; }
  void txtOnTheSpotRight_Change() { Changed = true; }
  void txtOnTheSpotZoomPct_Change() { Changed = true; }
  void txtFileName_Change() { Changed = true; }
  // Writes the page's values into the first selected control; false (with a
  // message box naming the property) when the control refuses one.
  bool PropertyPage_ApplyChanges();
  void PropertyPage_SelectionChanged();

 private:
  winplat::controls::Control* const none_ = nullptr;

 public:
  winplat::controls::Frame& Frame1 = Add<winplat::controls::Frame>("Frame1", none_, "On the Spot Zoom Percents");
  winplat::controls::TextBox& txtOnTheSpotRight = Add<winplat::controls::TextBox>("txtOnTheSpotRight", &Frame1);
  winplat::controls::TextBox& txtOnTheSpotZoomPct = Add<winplat::controls::TextBox>("txtOnTheSpotZoomPct", &Frame1);
  winplat::controls::Label& Label2 = Add<winplat::controls::Label>("Label2", &Frame1, "Right Mouse Button");
  winplat::controls::Label& lblOnTheSpotZoomPct =
      Add<winplat::controls::Label>("lblOnTheSpotZoomPct", &Frame1, "Left Mouse Button");
  winplat::controls::CheckBox& chkAttributeDisplay =
      Add<winplat::controls::CheckBox>("chkAttributeDisplay", none_, "Display Attributes");
  winplat::controls::ComboBox& cmbZoom = Add<winplat::controls::ComboBox>("cmbZoom", none_);
  winplat::controls::TextBox& txtFileName = Add<winplat::controls::TextBox>("txtFileName", none_);
  winplat::controls::Label& Label1 = Add<winplat::controls::Label>("Label1", none_, "Zoom Function:");
  winplat::controls::Label& lblFileName = Add<winplat::controls::Label>("lblFileName", none_, "File Name:");
};

// The page as an object a form designer creates by its ProgID.
class ppAppearanceObject : public winplat::DispatchObject {
 public:
  ppAppearanceObject();
  ppAppearance Page;
};

}  // namespace kelvane
