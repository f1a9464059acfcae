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
  void SetLblXAdj(const std::string& caption) override;
  void SetLblYAdj(const std::string& caption) override;
  std::vector<std::int16_t> OptFldIndices() const override;
  bool OptFldChecked(std::int16_t index) const override;
  std::vector<std::int16_t> PrjHghtIndices() const override;
  bool PrjHghtChecked(std::int16_t index) const override;
  winplat::SpreadGrid* PHSdata() override;
  std::string GeoText(engine::GeoBox box) const override;
  void SetGeoText(engine::GeoBox box, const std::string& text) override;

  // The text box of a correction value.
  wc::TextBox& GeoBoxControl(engine::GeoBox box) const;

 private:
  MainForm& main_;
  ComponentSlots* slots_;
};

}  // namespace fieldray::console
