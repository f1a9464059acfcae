#pragma once
// The switch-option dialog SwOptForm: which points each projection mode's
// frame keeps (SSOptSw), the follow-mode heights (SSHt) and the mode labels.
// Every edit is projected at once; OK stores both grids whole.
#include <cstdint>

#include "console/component_slots.h"
#include "engine/engine.h"
#include "winplat/components/grid.h"

namespace fieldray::console {

// Positions 1..this have their frame written and their label edited: the
// columns of `grid`, at most the positions that get a frame (0 without a grid).
std::int32_t SwitchPositionCount(const winplat::SpreadGrid* grid);

// Rebuilds the job's switch frames from the job's own point list under the
// options in SSOptSw (the field's scale set again first) and shows the last
// frame again. A position that keeps no point of the job loses its frame and
// Msg says so. Without a loaded job no frame is rebuilt.
void ApplySwitchOptions(engine::Engine& engine);

class SwitchOptions {
 public:
  SwitchOptions(engine::Engine& engine, ConsoleForms& forms, ComponentSlots& slots);

  void SaveSwOptPosition();
  void OKButtonSO_Click();
  void CancelButtonSO_Click();
  void SSOptSw_EditChange();
  void SPChLab_Click();
  void OKButtonLab_Click();
  void SPLClose_Click();

 private:
  void EnableOkCancel(bool enabled);

  engine::Engine& e_;
  SwitchOptionsForm& form_;
  winplat::SpreadGrid& optSw_;
  winplat::SpreadGrid& ht_;
  winplat::SpreadGrid& labels_;
};

}  // namespace fieldray::console
