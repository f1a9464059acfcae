// Grids and text scanners placed in their slots.
#include "console/component_slots.h"

#include <string>

#include "winplat/controls/operator.h"
#include "winplat/gdi.h"

namespace fieldray::console {

ComponentSlots::ComponentSlots(ConsoleForms& forms) {
  MainForm& m = forms.Main;
  Put(forms.SwOptForm.SSOptSw, SSOptSw, 8, 6);  // one column per switch position, rows 1..8 its options
  Put(forms.SwOptForm.SSHt, SSHt, 1, 6);
  Put(forms.SwOptForm.SPLabels, SPLabels, 1, 6);
  Put(forms.PHS.PHSdata, PHSdata, 6, 2);  // presets 0..5: label and height
  Put(m.MarkerData, MarkerData, 20, 5);
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
  slot.SetPainter([raw](winplat::HDC hdc, const winplat::RECT& area) { PaintGrid(raw->Grid(), hdc, area); });
  grids_.push_back({&slot, raw});
}

winplat::SpreadGridControl* ComponentSlots::GridIn(const wc::HostSlot& slot) const {
  for (const auto& placed : grids_)
    if (placed.slot == &slot) return placed.grid;
  return nullptr;
}

void PaintGrid(const winplat::SpreadGrid& grid, winplat::HDC hdc, const winplat::RECT& area) {
  constexpr int kRowHeight = 17;
  constexpr int kHeaderWidth = 32;
  int columns = grid.MaxCols();
  int cellWidth = columns > 0 ? (area.right - area.left - kHeaderWidth) / columns : 0;
  if (cellWidth < 30) cellWidth = 30;
  winplat::HFONT font = winplat::CreateFont(-11, 0, 0, 0, winplat::FW_NORMAL, 0, 0, 0, winplat::ANSI_CHARSET, 0, 0, 0,
                                            winplat::VARIABLE_PITCH | winplat::FF_SWISS, "Arial");
  winplat::HGDIOBJ oldFont = winplat::SelectObject(hdc, font);
  winplat::HPEN pen = winplat::CreatePen(winplat::PS_SOLID, 1, 0xC0C0C0);
  winplat::HGDIOBJ oldPen = winplat::SelectObject(hdc, pen);
  winplat::HBRUSH header = winplat::CreateSolidBrush(0xE0E0E0);
  winplat::SetBkMode(hdc, winplat::TRANSPARENT);
  winplat::SetTextColor(hdc, 0x000000);
  winplat::SpreadGrid copy = grid;  // reading moves the current cell: read a copy
  for (int r = 0; area.top + (r + 1) * kRowHeight <= area.bottom && r <= grid.MaxRows(); ++r) {
    int y = area.top + r * kRowHeight;
    for (int c = 0; c <= columns; ++c) {
      int x = c == 0 ? area.left : area.left + kHeaderWidth + (c - 1) * cellWidth;
      int w = c == 0 ? kHeaderWidth : cellWidth;
      if (x + w > area.right) break;
      winplat::RECT cell{x, y, x + w, y + kRowHeight};
      if (r == 0 || c == 0) winplat::FillRect(hdc, &cell, header);
      winplat::MoveToEx(hdc, x, y + kRowHeight - 1, nullptr);
      winplat::LineTo(hdc, x + w, y + kRowHeight - 1);
      winplat::MoveToEx(hdc, x + w - 1, y, nullptr);
      winplat::LineTo(hdc, x + w - 1, y + kRowHeight);
      copy.SetRow(r);
      copy.SetCol(c);
      std::string text = copy.Text();
      if (!text.empty()) winplat::TextOut(hdc, x + 3, y + 2, text.c_str(), static_cast<int>(text.size()));
    }
  }
  winplat::SelectObject(hdc, oldPen);
  winplat::SelectObject(hdc, oldFont);
  winplat::DeleteObject(pen);
  winplat::DeleteObject(font);
  winplat::DeleteObject(header);
}

}  // namespace fieldray::console
