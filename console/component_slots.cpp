// Grids and text scanners placed in their slots.
#include "console/component_slots.h"

#include <string>

#include "winplat/controls/operator.h"

namespace fieldray::console {

ComponentSlots::ComponentSlots(ConsoleForms& forms) {
  MainForm& m = forms.Main;
  Put(forms.SwOptForm.SSOptSw, SSOptSw, 8, 6);  // one column per switch position, rows 1..8 its options
  Put(forms.SwOptForm.SSHt, SSHt, 1, 6);
  Put(forms.SwOptForm.SPLabels, SPLabels, 1, 6);
  Put(forms.PHS.PHSdata, PHSdata, 6, 2);  // presets 0..5: label and height
  Put(m.MarkerData, MarkerData, 20, 5);
  // A marker set stands in column 5: it gets the room the four others need not.
  for (int c = 1; c <= 4; ++c) MarkerData->Grid().SetColWidth(c, 40);
  MarkerData->Grid().SetColWidth(5, 286);
  Put(m.SetupData, SetupData, 50, 5);
  Put(m.ToolDat, ToolDat, 100, 6);
  // The tool table's column headings.
  const char* headings[6] = {"Gr1   X", "Gr1   Y", "Gr1  Dia", "Gr2   X", "Gr2   Y", "Gr2  Dia"};
  winplat::SpreadGrid& tools = ToolDat->Grid();
  tools.SetRow(0);
  for (int c = 1; c <= 6; ++c) {
    tools.SetCol(c);
    tools.SetText(headings[c - 1]);
  }
  GcodeAwk = winplat::MakeObject<winplat::TextScannerControl>();
  Parser = winplat::MakeObject<winplat::TextScannerControl>();
  Eval = winplat::MakeObject<winplat::TextScannerControl>();
  m.GcodeAwk.SetObject(GcodeAwk.Get());
  m.Parser.SetObject(Parser.Get());
  m.Eval.SetObject(Eval.Get());
  slots_.insert(slots_.end(), {&m.GcodeAwk, &m.Parser, &m.Eval});

  wc::SetGridInputHandler([this](wc::HostSlot& slot, wc::GridAction action, int row, int col,
                                 const std::string& text, int keyCode) {
    winplat::SpreadGridControl* grid = GridIn(slot);
    if (!grid) return false;
    switch (action) {
      case wc::GridAction::Edit: grid->Grid().TypeIntoCell(row, col, text); break;
      case wc::GridAction::Click: grid->Grid().ClickCell(row, col); break;
      case wc::GridAction::Key: grid->Grid().PressKey(static_cast<std::int16_t>(keyCode)); break;
    }
    slot.Invalidate();
    return true;
  });
}

ComponentSlots::~ComponentSlots() {
  wc::SetGridInputHandler(nullptr);
  for (auto& placed : grids_) {
    placed.slot->SetPainter(nullptr);
    placed.slot->SetShownGrid(nullptr);
    placed.slot->SetObject(nullptr);
  }
  for (wc::HostSlot* slot : slots_) slot->SetObject(nullptr);
}

void ComponentSlots::Put(wc::HostSlot& slot, winplat::ComPtr<winplat::SpreadGridControl>& grid, int rows, int cols) {
  grid = winplat::MakeObject<winplat::SpreadGridControl>();
  grid->Grid().SetMaxRows(rows);
  grid->Grid().SetMaxCols(cols);
  slot.SetObject(grid.Get());
  winplat::SpreadGridControl* raw = grid.Get();
  slot.SetPainter([raw](winplat::HDC hdc, const winplat::RECT& area) { raw->Paint(hdc, area); });
  slot.SetShownGrid(&raw->Grid());
  grids_.push_back({&slot, raw});
}

winplat::SpreadGridControl* ComponentSlots::GridIn(const wc::HostSlot& slot) const {
  for (const auto& placed : grids_)
    if (placed.slot == &slot) return placed.grid;
  return nullptr;
}

}  // namespace fieldray::console
