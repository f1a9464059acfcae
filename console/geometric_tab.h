#pragma once
// The geometric-correction tab: eighteen boxes hold the ten corrections, two
// bars follow the correction chosen in CalOpt, every accepted value is applied
// at once and the chosen calibration pattern is redrawn in GeoPic; Save and
// Revert store or reload the boxes. The calibration list ListCal projects a
// pattern with neutral output settings to tune against.
#include <cstdint>

#include "console/form_console_view.h"
#include "console/main_form.h"
#include "engine/engine.h"

namespace fieldray::console {

class GeometricTab {
 public:
  GeometricTab(engine::Engine& engine, MainForm& main);

  void CalOpt_Click(std::int16_t index);
  // Forces the number in `box` into the bar's range and sets the bar to it.
  void SliderLimit(wc::TextBox& box, wc::ScrollBar& bar);
  // Accepts the box's number when it lies in its own correction's range
  // (bounds included): the bar follows when the box's correction is the chosen
  // one, the correction is applied and the preview redrawn. Anything else is
  // silently left in the box.
  void CheckValue(engine::GeoBox box);
  void XGeoAdj_Change();
  void YGeoAdj_Change();
  void XGeoAdj_GotFocus();
  void YGeoAdj_GotFocus();
  void GeoPic_Paint();
  void BtnSavGeo_Click();
  void BtnGeoRvt_Click();
  void ListCal_Click();

  // The correction the bars act on (0 before any choice).
  std::int16_t GeoParameter = 0;
  bool XGeoAdjFocus = false;
  bool YGeoAdjFocus = false;

 private:
  void BoxChange(engine::GeoBox box);
  void PreviewRedraw();

  engine::Engine& e_;
  MainForm& main_;
  FormConsoleView boxes_;
};

}  // namespace fieldray::console
