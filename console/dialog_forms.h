#pragma once
// The dialogs `PHS` (height presets) and `SwOptForm` (switch options).
#include "console/design_values.h"
#include "winplat/controls/control_array.h"
#include "winplat/controls/form.h"
#include "winplat/controls/picture.h"
#include "winplat/controls/standard.h"

namespace fieldray::console {

namespace wc = winplat::controls;

class PHSForm : public wc::Form {
 public:
  PHSForm();

 private:
  wc::Control* const none_ = nullptr;

 public:
  wc::HostSlot& PHSdata = Add<wc::HostSlot>("PHSdata", none_, design::kGridProgId);
  wc::ControlArray<wc::CommandButton> OKButton{*this, "OKButton"};
  wc::CommandButton& CancelButton = Add<wc::CommandButton>("CancelButton", none_, "Cancel");
};

class SwitchOptionsForm : public wc::Form {
 public:
  SwitchOptionsForm();

 private:
  wc::Control* const none_ = nullptr;

 public:
  wc::Frame& SwOptFrame = Add<wc::Frame>("SwOptFrame", none_, "Options for Projection Mode Switch Positions");
  wc::HostSlot& SSOptSw = Add<wc::HostSlot>("SSOptSw", &SwOptFrame, design::kGridProgId);
  wc::HostSlot& SSHt = Add<wc::HostSlot>("SSHt", &SwOptFrame, design::kGridProgId);
  wc::CommandButton& SPChLab = Add<wc::CommandButton>("SPChLab", &SwOptFrame, "Change Labels");
  wc::Frame& SPLabForm = Add<wc::Frame>("SPLabForm", &SwOptFrame, "Make Switch Position Labels");
  wc::HostSlot& SPLabels = Add<wc::HostSlot>("SPLabels", &SPLabForm, design::kGridProgId);
  wc::CommandButton& OKButtonLab = Add<wc::CommandButton>("OKButtonLab", &SPLabForm, "OK");
  wc::CommandButton& SPLClose = Add<wc::CommandButton>("SPLClose", &SPLabForm, "Cancel");
  wc::CommandButton& OKButtonSO = Add<wc::CommandButton>("OKButtonSO", &SwOptFrame, "OK");
  wc::CommandButton& CancelButtonSO = Add<wc::CommandButton>("CancelButtonSO", &SwOptFrame, "Cancel");
};

}  // namespace fieldray::console
