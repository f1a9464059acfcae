// Controls and placement of the two dialogs.
#include "console/dialog_forms.h"

namespace fieldray::console {

PHSForm::PHSForm() : wc::Form("PHS", design::kPHSCaption) {
  Move(0, 0, design::kDialogWidth, design::kDialogHeight);
  PHSdata.SetFocusable(true);
  PHSdata.Move(120, 120, 5640, 3000);
  OKButton.Design(0, nullptr, "OK").Move(120, 3300, 1200, 375);
  OKButton.Design(1, nullptr, "Apply").Move(1440, 3300, 1200, 375);
  CancelButton.Move(2760, 3300, 1200, 375);
  CancelButton.SetCancel(true);
  OKButton(0).SetDefault(true);
}

SwitchOptionsForm::SwitchOptionsForm() : wc::Form("SwOptForm", design::kSwOptCaption) {
  Move(0, 0, design::kDialogWidth + 3000, design::kDialogHeight + 1200);
  SwOptFrame.Move(120, 120, 8640, 5520);
  for (wc::HostSlot* grid : {&SSOptSw, &SSHt, &SPLabels}) grid->SetFocusable(true);
  SSOptSw.Move(120, 300, 8400, 3000);
  SSHt.Move(120, 3420, 8400, 600);
  SPChLab.Move(120, 4200, 1800, 375);
  OKButtonSO.Move(5400, 4200, 1200, 375);
  CancelButtonSO.Move(6720, 4200, 1200, 375);
  SPLabForm.Move(120, 300, 8400, 1800);
  SPLabels.Move(120, 300, 8160, 900);
  OKButtonLab.Move(120, 1320, 1200, 375);
  SPLClose.Move(1440, 1320, 1200, 375);
  SPLabForm.SetVisible(false);  // the label editor is hidden at first
  // Enter and Escape: OK and Cancel, or, while the label editor is open (the
  // dialog's own two are disabled then), the editor's.
  OKButtonSO.SetDefault(true);
  CancelButtonSO.SetCancel(true);
  OKButtonLab.SetDefault(true);
  SPLClose.SetCancel(true);
}

}  // namespace fieldray::console
