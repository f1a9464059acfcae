#pragma once
// The console's three windows, made together: Main and its two dialogs.
#include "console/dialog_forms.h"
#include "console/main_form.h"

namespace fieldray::console {

struct ConsoleForms {
  MainForm Main;
  PHSForm PHS;
  SwitchOptionsForm SwOptForm;
};

}  // namespace fieldray::console
