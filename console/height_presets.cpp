// Height presets, projection modes and the height-preset dialog.
#include "console/height_presets.h"

#include <algorithm>
#include <cmath>

#include "engine/field_calibration.h"
#include "engine/geo_correction.h"
#include "engine/projection_output.h"
#include "engine/settings_file.h"
#include "engine/settings_keys.h"
#include "job/grid_cells.h"
#include "winplat/messages.h"
#include "winplat/screen.h"

namespace fieldray::console {

using engine::ApplyGeoCorrection;
using engine::CheckedOptFld;
using engine::Engine;
using engine::LenientVal;
using engine::ReadDialogPosition;
using engine::ReadIniValue;
using engine::ShowProjection;
using engine::WindowPosition;
using engine::WriteIniValue;

namespace {

constexpr int kPresets = 6;

std::string Numbered(const char* word, int i) { return word + std::to_string(i); }

// Shows a preset's label on both rows of buttons.
void ShowPresetLabel(MainForm& main, int i, const std::string& label) {
  if (main.PrjHght.Exists(i)) main.PrjHght(i).SetCaption(label);
  if (main.PrjHt.Exists(i)) main.PrjHt(i).SetCaption(label);
}

// Shows a dialog modally at its stored place (not again while it is up).
void ShowPlaced(Engine& engine, wc::Form& dialog, const std::string& section) {
  if (dialog.Visible()) return;
  PlaceDialog(engine, dialog, section);
  dialog.Show(true);
}

}  // namespace

void LoadHeightPresets(Engine& engine, MainForm& main) {
  winplat::SpreadGrid* grid = engine.Console.PHSdata();
  for (int i = 0; i < kPresets; ++i) {
    const std::string label = ReadIniValue(engine, "HeightPresets", Numbered("Label", i));
    ShowPresetLabel(main, i, label);
    if (grid) {
      SetGridCell(*grid, i + 1, 1, label);
      SetGridCell(*grid, i + 1, 2, ReadIniValue(engine, "HeightPresets", Numbered("Value", i)));
    }
  }
}

void PlaceDialog(Engine& engine, wc::Form& dialog, const std::string& section) {
  WindowPosition p = ReadDialogPosition(engine, section);
  // The stored place may lie partly off the screen (a Left above 9000 is put
  // at 10000): the dialog is moved back so all of it shows.
  const winplat::ScreenMetrics screen = winplat::Screen();
  const int screenWidth = static_cast<int>(winplat::PixelsToTwips(screen.width));
  const int screenHeight = static_cast<int>(winplat::PixelsToTwips(screen.height));
  const int left = std::max(0, std::min(p.Left, screenWidth - dialog.Width()));
  const int top = std::max(0, std::min(p.Top, screenHeight - dialog.Height()));
  dialog.Move(left, top, dialog.Width(), dialog.Height());
}

void StoreWindowPosition(Engine& engine, const wc::Form& window, const std::string& section) {
  std::string top = std::to_string(window.Top());
  WriteIniValue(engine, section, "Top", top);
  std::string left = std::to_string(window.Left());
  WriteIniValue(engine, section, "Left", left);
}

std::int16_t FollowModePreset(const std::string& heightCell) {
  const double h = std::nearbyint(LenientVal(heightCell) - 1);
  return static_cast<std::int16_t>(std::clamp(h, 0.0, static_cast<double>(kPresets - 1)));
}

HeightPresets::HeightPresets(Engine& engine, ConsoleForms& forms, ComponentSlots& slots)
    : e_(engine),
      main_(forms.Main),
      phs_(forms.PHS),
      swOpt_(forms.SwOptForm),
      phsData_(slots.PHSdata->Grid()),
      ssHt_(slots.SSHt->Grid()) {
  main_.PrjHght.OnClick([this](int i) { PrjHght_Click(i); });
  main_.PrjHt.OnClick([this](int i) { PrjHt_Click(i); });
  main_.PrjHght.OnMouseUp([this](int, int button, int, float, float) { PrjHght_MouseUp(button); });
  main_.PrjHt.OnMouseUp([this](int, int button, int, float, float) { PrjHght_MouseUp(button); });
  main_.MdHt.Click = [this] { MdHt_Click(); };
  main_.PrjPos.OnClick([this](int i) { PrjPos_Click(i); });
  main_.PrjPos.OnMouseUp([this](int, int button, int, float, float) { PrjPos_MouseUp(button); });
  phs_.OKButton.OnClick([this](int i) { OKButton_Click(i); });
  phs_.CancelButton.Click = [this] { CancelButton_Click(); };
  phsData_.OnClick = [this](std::int32_t, std::int32_t row) {
    wc::RunHandler("PHSdata_Click", [this, row] { PHSdata_Click(row); });
  };
}

void HeightPresets::ApplyCorrection() {
  std::int16_t field = static_cast<std::int16_t>(CheckedOptFld(e_));
  ApplyGeoCorrection(e_, field);
}

void HeightPresets::PrjHght_Click(int index) {
  std::string value = std::to_string(index);
  WriteIniValue(e_, "HeightPresets", "Index", value);
  // Both rows of buttons show the preset in use.
  if (main_.PrjHt.Exists(index)) main_.PrjHt(index).SetValue(true);
}

void HeightPresets::PrjHt_Click(int index) {
  if (main_.PrjHght.Exists(index)) main_.PrjHght(index).SetValue(true);
}

void HeightPresets::PrjHght_MouseUp(int button) {
  if (button == wc::vbRightButton) {
    ShowHeightPresets();
  } else {
    ApplyCorrection();
  }
}

void HeightPresets::MdHt_Click() {
  std::string value = std::to_string(main_.MdHt.Value());
  WriteIniValue(e_, "HeightPresets", "FollowMode", value);
}

void HeightPresets::PrjPos_Click(int index) {
  if (main_.MdHt.Value() != wc::vbUnchecked) {
    const std::int16_t h = FollowModePreset(GetGridCell(ssHt_, 1, index));
    if (main_.PrjHght.Exists(h)) main_.PrjHght(h).SetValue(true);
    ApplyCorrection();
  }
  std::int32_t frame = index;
  ShowProjection(e_, frame);
}

void HeightPresets::PrjPos_MouseUp(int button) {
  if (button == wc::vbRightButton) ShowPlaced(e_, swOpt_, "SwitchMode");
}

void HeightPresets::ShowHeightPresets() { ShowPlaced(e_, phs_, "HeightPresets"); }

void HeightPresets::SavePHSPosition() { StoreWindowPosition(e_, phs_, "HeightPresets"); }

void HeightPresets::CaptionsFromGrid() {
  for (int i = 0; i < kPresets; ++i) ShowPresetLabel(main_, i, GetGridCell(phsData_, i + 1, 1));
}

void HeightPresets::OKButton_Click(int index) {
  CaptionsFromGrid();
  if (index == 0) {
    phs_.Hide();
    winplat::DoEvents();
    std::string refused;
    for (int i = 0; i < kPresets; ++i) {
      // A cell the settings file cannot hold is named, and shows the stored text again.
      auto store = [&](const char* word, const char* what, std::int32_t col) {
        const std::string key = Numbered(word, i);
        std::string text = GetGridCell(phsData_, i + 1, col);
        std::string why;
        if (WriteIniValue(e_, "HeightPresets", key, text, why) != engine::IniWrite::Refused) return;
        refused += (refused.empty() ? "" : "; ") + ("Height preset " + std::to_string(i) + " " + what +
                                                    " not saved: " + why);
        const std::string stored = ReadIniValue(e_, "HeightPresets", key);
        SetGridCell(phsData_, i + 1, col, stored);
        if (col == 1) ShowPresetLabel(main_, i, stored);
      };
      store("Label", "label", 1);
      store("Value", "value", 2);
    }
    if (!refused.empty()) e_.Console.SetMsg(refused);
  }
  ApplyCorrection();
  SavePHSPosition();
}

void HeightPresets::CancelButton_Click() {
  phs_.Hide();
  winplat::DoEvents();
  LoadHeightPresets(e_, main_);
  ApplyCorrection();
  SavePHSPosition();
}

void HeightPresets::PHSdata_Click(std::int32_t row) {
  // Rows 1..6 are the presets; the heading row and rows below name none.
  if (row >= 1 && row <= kPresets && main_.PrjHght.Exists(row - 1)) main_.PrjHght(row - 1).SetValue(true);
}

}  // namespace fieldray::console
