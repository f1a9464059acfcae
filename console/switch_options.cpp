// The switch-option dialog and the rebuilding of the switch frames.
#include "console/switch_options.h"

#include <algorithm>
#include <string>
#include <utility>

#include "console/file_selection.h"
#include "console/height_presets.h"
#include "console/sketch_lines.h"
#include "engine/frame_assembly.h"
#include "engine/point_list.h"
#include "engine/projection_output.h"
#include "engine/settings_file.h"
#include "job/grid_cells.h"
#include "winplat/messages.h"

namespace fieldray::console {

using engine::Engine;
using engine::LoadPrjPosCaptions;
using engine::PointsOnBoard;
using engine::SendFrame;
using engine::ShowProjection;
using engine::SwitchPositionsBuilt;

std::int32_t SwitchPositionCount(const winplat::SpreadGrid* grid) {
  return grid ? SwitchPositionsBuilt(grid->MaxCols()) : 0;
}

void ApplySwitchOptions(Engine& engine) {
  ProgramState& s = engine.State;
  UseCheckedRunField(engine);
  if (s.JobPoints.size() > 1) {
    // The frames come from the job's own points, whatever the point list
    // holds now (a marker, a field selection, a set-up cross); it is put back.
    std::vector<PointStruct> current = std::exchange(s.AssemblyPoints, s.JobPoints);
    const std::int16_t count = s.PointCount;
    // Only a position this apply emptied is worth a word: one that kept
    // nothing before kept nothing the operator could lose.
    std::int32_t empty = 0;
    for (std::int32_t n = 1; n <= SwitchPositionCount(engine.Console.SSOptSw()); ++n) {
      const bool had = PointsOnBoard(engine, n) > 0;
      engine.Vx.DeleteFrames(n, n);
      std::int32_t position = n;
      SendFrame(engine, position);
      if (empty == 0 && had && PointsOnBoard(engine, n) == 0) empty = n;
    }
    s.AssemblyPoints = std::move(current);
    s.PointCount = count;
    if (empty > 0) {
      engine.Console.SetMsg("Switch position " + std::to_string(empty) + " keeps no point of " + s.JobFileName +
                            ": check the switch options");
    }
  }
  std::int32_t last = -1;
  ShowProjection(engine, last);
}

SwitchOptions::SwitchOptions(Engine& engine, ConsoleForms& forms, ComponentSlots& slots)
    : e_(engine),
      form_(forms.SwOptForm),
      optSw_(slots.SSOptSw->Grid()),
      ht_(slots.SSHt->Grid()),
      labels_(slots.SPLabels->Grid()) {
  form_.Activate = [this] { form_.SSOptSw.SetFocus(); };
  form_.OKButtonSO.Click = [this] { OKButtonSO_Click(); };
  form_.CancelButtonSO.Click = [this] { CancelButtonSO_Click(); };
  form_.SPChLab.Click = [this] { SPChLab_Click(); };
  form_.OKButtonLab.Click = [this] { OKButtonLab_Click(); };
  form_.SPLClose.Click = [this] { SPLClose_Click(); };
  optSw_.OnEditChange = [this](std::int32_t, std::int32_t, bool) {
    wc::RunHandler("SSOptSw_EditChange", [this] { SSOptSw_EditChange(); });
  };
}

void SwitchOptions::SaveSwOptPosition() { StoreWindowPosition(e_, form_, "SwitchMode"); }

void SwitchOptions::OKButtonSO_Click() {
  form_.Hide();
  winplat::DoEvents();
  // Whole, headings included: row 0 of SSOptSw holds the mode labels. Msg
  // shows every file not saved.
  std::string failed = GridFileSaveFailure(e_, optSw_, "SWPOS.DAT");
  const std::string second = GridFileSaveFailure(e_, ht_, "SWHT.DAT");
  if (!second.empty()) failed += (failed.empty() ? "" : "; ") + second;
  if (!failed.empty()) e_.Console.SetMsg(failed);
  ApplySwitchOptions(e_);
  LoadPrjPosCaptions(e_);
}

void SwitchOptions::CancelButtonSO_Click() {
  form_.Hide();
  winplat::DoEvents();
  ProgramState& s = e_.State;
  s.LoadingSettings = BoolTrue;
  optSw_.LoadFromFile(s.ProgramDir + "SWPOS.DAT");
  ht_.LoadFromFile(s.ProgramDir + "SWHT.DAT");
  ApplySwitchOptions(e_);
  s.LoadingSettings = BoolFalse;
  SaveSwOptPosition();
}

void SwitchOptions::SSOptSw_EditChange() {
  if (e_.State.LoadingSettings) return;
  ApplySwitchOptions(e_);
}

void SwitchOptions::EnableOkCancel(bool enabled) {
  form_.OKButtonSO.SetEnabled(enabled);
  form_.CancelButtonSO.SetEnabled(enabled);
}

void SwitchOptions::SPChLab_Click() {
  const bool show = !form_.SPLabForm.Visible();
  form_.SPLabForm.SetVisible(show);
  if (show) {
    for (std::int32_t i = 1; i <= SwitchPositionCount(&optSw_); ++i)
      SetGridCell(labels_, 1, i, GetGridCell(optSw_, 0, i));
    form_.SPLabels.SetFocus();
  } else {
    form_.SSOptSw.SetFocus();
  }
  EnableOkCancel(!show);
}

void SwitchOptions::OKButtonLab_Click() {
  form_.SPLabForm.SetVisible(false);
  for (std::int32_t i = 1; i <= SwitchPositionCount(&optSw_); ++i)
    SetGridCell(optSw_, 0, i, GetGridCell(labels_, 1, i));
  EnableOkCancel(true);
}

void SwitchOptions::SPLClose_Click() {
  form_.SPLabForm.SetVisible(false);
  EnableOkCancel(true);
}

}  // namespace fieldray::console
