#pragma once
// The engine's view of the main window, over the real controls: setting a
// control here raises its handlers exactly as the operator's change would.
#include "console/component_slots.h"
#include "console/main_form.h"
#include "engine/console_view.h"

namespace fieldray::console {

class FormConsoleView : public engine::ConsoleView {
 public:
  // `slots` may be null while the grids are not placed (PHSdata then reads as none).
  FormConsoleView(MainForm& main, ComponentSlots* slots) : main_(main), slots_(slots) {}

  void SetMsg(const std::string& text) override;
  std::string Msg() const override;
  void SetLblXAdj(const std::string& caption) override;
  void SetLblYAdj(const std::string& caption) override;
  std::vector<std::int16_t> OptFldIndices() const override;
  bool OptFldChecked(std::int16_t index) const override;
  std::vector<std::int16_t> PrjHghtIndices() const override;
  bool PrjHghtChecked(std::int16_t index) const override;
  winplat::SpreadGrid* PHSdata() override;
  std::string GeoText(engine::GeoBox box) const override;
  void SetGeoText(engine::GeoBox box, const std::string& text) override;
  winplat::SpreadGrid* SSOptSw() override;
  std::int16_t CheckState(engine::OutputCheck box) const override;
  void SetCheckState(engine::OutputCheck box, std::int16_t state) override;
  std::string OutputTextOf(engine::OutputText box) const override;
  void SetOutputText(engine::OutputText box, const std::string& text) override;
  std::int32_t UpDownMin(engine::OutputUpDown control) const override;
  std::int32_t UpDownMax(engine::OutputUpDown control) const override;
  void SetOnOffCaption(const std::string& caption) override;
  void FocusSSTab1() override;
  std::int32_t DispLaserHandle() const override;
  void SetLabStat(const std::string& caption) override;
  std::vector<std::int16_t> PrjPosIndices() const override;
  bool PrjPosChecked(std::int16_t index) const override;
  void SetPrjPosCaption(std::int16_t index, const std::string& caption) override;
  void SetPrjPosEnabled(std::int16_t index, bool enabled) override;
  void SetPMFrameEnabled(bool enabled) override;
  void SetOptFldEnabled(std::int16_t index, bool enabled) override;
  void SetMFFrameEnabled(bool enabled) override;
  void AddListCal(const std::string& entry) override;

  // The text box of a correction value.
  wc::TextBox& GeoBoxControl(engine::GeoBox box) const;
  wc::CheckBox& CheckControl(engine::OutputCheck box) const;
  wc::TextBox& TextControl(engine::OutputText box) const;

 private:
  MainForm& main_;
  ComponentSlots* slots_;
};

}  // namespace fieldray::console
