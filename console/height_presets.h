#pragma once
// The height presets and projection modes of the main window, and the
// height-preset dialog PHS: picking a preset (PrjHght, its mirror PrjHt),
// follow mode (MdHt: a mode picks its own preset), picking a projection mode
// (PrjPos), and editing the six named presets. The two dialogs are placed
// from their stored positions and shown modally.
#include <cstdint>
#include <string>

#include "console/component_slots.h"
#include "engine/engine.h"
#include "winplat/components/grid.h"

namespace fieldray::console {

// Captions of PrjHght and PrjHt and the cells of PHSdata from [HeightPresets].
void LoadHeightPresets(engine::Engine& engine, MainForm& main);

// Places a dialog from the Top and Left stored in `section`, then keeps it
// whole on the screen.
void PlaceDialog(engine::Engine& engine, wc::Form& dialog, const std::string& section);

// Stores a window's Top and Left in `section`.
void StoreWindowPosition(engine::Engine& engine, const wc::Form& window, const std::string& section);

// The preset follow mode picks for a mode: the SSHt number less 1, rounded,
// held to 0..5 (an empty cell gives 0).
std::int16_t FollowModePreset(const std::string& heightCell);

class HeightPresets {
 public:
  HeightPresets(engine::Engine& engine, ConsoleForms& forms, ComponentSlots& slots);

  // Main window.
  void PrjHght_Click(int index);
  void PrjHt_Click(int index);
  void PrjHght_MouseUp(int button);
  void MdHt_Click();
  void PrjPos_Click(int index);
  void PrjPos_MouseUp(int button);
  void ShowHeightPresets();

  // PHS.
  void SavePHSPosition();
  void OKButton_Click(int index);
  void CancelButton_Click();
  void PHSdata_Click(std::int32_t row);

 private:
  void ApplyCorrection();
  // The captions of PrjHght and PrjHt from the labels in PHSdata.
  void CaptionsFromGrid();

  engine::Engine& e_;
  MainForm& main_;
  PHSForm& phs_;
  SwitchOptionsForm& swOpt_;
  winplat::SpreadGrid& phsData_;
  winplat::SpreadGrid& ssHt_;
};

}  // namespace fieldray::console
