// Handlers of the geometric-correction tab and its calibration list.
#include "console/geometric_tab.h"

#include <string>

#include "engine/field_calibration.h"
#include "engine/geo_correction.h"
#include "engine/settings_file.h"
#include "engine/settings_keys.h"
#include "winplat/numeric.h"

namespace fieldray::console {

using engine::ApplyGeoCorrection;
using engine::BuildParabolaTable;
using engine::Engine;
using engine::GeoBox;
using engine::GeoBoxCount;
using engine::GeometricKey;
using engine::IniReal;
using engine::LenientVal;
using engine::LoadGeometricSettings;
using engine::ScaleBound;
using engine::WriteGeometricValue;

namespace {

// One correction: its boxes (the Y box only where `hasY`), the bar ranges and
// the small steps. Both bars step by 10 in large steps.
struct Correction {
  GeoBox x;
  bool hasY;
  GeoBox y;
  std::int16_t xMin, xMax, yMin, yMax;
  std::int16_t xSmall, ySmall;
};

// By CalOpt index; element 0 is no correction.
constexpr Correction kCorrections[11] = {
    {GeoBox::GeoRotate, false, GeoBox::GeoRotate, 0, 0, 0, 0, 1, 1},
    {GeoBox::GeoRotate, false, GeoBox::GeoRotate, -2000, 2000, 0, 0, 1, 1},
    {GeoBox::GeoPosX, true, GeoBox::GeoPosY, -1200, 1200, -1200, 1200, 1, 1},
    {GeoBox::GeoPinX, true, GeoBox::GeoPinY, -1000, 1000, -1000, 1000, 5, 1},
    {GeoBox::GeoPara, false, GeoBox::GeoPara, 0, 500, 0, 0, 1, 1},
    {GeoBox::GeoKeyX, true, GeoBox::GeoKeyY, -100, 100, -100, 100, 1, 1},
    {GeoBox::GeoLinX, true, GeoBox::GeoLinY, -100, 100, -100, 100, 1, 1},
    {GeoBox::GeoBowX, true, GeoBox::GeoBowY, -5000, 5000, -5000, 5000, 1, 1},
    {GeoBox::GeoShearX, true, GeoBox::GeoShearY, -100, 100, -100, 100, 1, 1},
    {GeoBox::GeoSizeX, true, GeoBox::GeoSizeY, -1000, 1000, -1000, 1000, 1, 1},
    {GeoBox::GeoBalX, true, GeoBox::GeoBalY, -1000, 1000, -1000, 1000, 1, 1},
};
constexpr std::int16_t kCorrectionCount = 10;
constexpr int kLargeStep = 10;

bool IsCorrection(std::int16_t index) { return index >= 1 && index <= kCorrectionCount; }

// The correction a box belongs to, and whether it is that correction's Y box.
struct BoxPlace {
  std::int16_t index = 0;
  bool isY = false;
};
BoxPlace PlaceOf(GeoBox box) {
  for (std::int16_t i = 1; i <= kCorrectionCount; ++i) {
    const Correction& c = kCorrections[i];
    if (c.x == box) return {i, false};
    if (c.hasY && c.y == box) return {i, true};
  }
  return {};
}

// The run field of the calibration window.
constexpr std::int16_t FieldS = 1;
// The neutral output of a calibration pattern.
constexpr std::int32_t PatternRate = 25000;

}  // namespace

GeometricTab::GeometricTab(Engine& engine, MainForm& main) : e_(engine), main_(main), boxes_(main, nullptr) {
  main_.CalOpt.OnClick([this](int index) { CalOpt_Click(static_cast<std::int16_t>(index)); });
  for (int b = 0; b < GeoBoxCount; ++b) {
    const GeoBox box = static_cast<GeoBox>(b);
    wc::TextBox& control = boxes_.GeoBoxControl(box);
    control.Change = [this, box] { BoxChange(box); };
    // Clicking a box lets the bars take up its correction.
    const std::int16_t index = PlaceOf(box).index;
    control.Click = [this, index] {
      if (main_.CalOpt.Exists(index)) main_.CalOpt(index).SetValue(true);
    };
  }
  main_.XGeoAdj.Change = [this] { XGeoAdj_Change(); };
  main_.YGeoAdj.Change = [this] { YGeoAdj_Change(); };
  main_.XGeoAdj.GotFocus = [this] { XGeoAdj_GotFocus(); };
  main_.YGeoAdj.GotFocus = [this] { YGeoAdj_GotFocus(); };
  main_.XGeoAdj.LostFocus = [this] { XGeoAdjFocus = false; };
  main_.YGeoAdj.LostFocus = [this] { YGeoAdjFocus = false; };
  main_.GeoPic.PaintEvent = [this] { GeoPic_Paint(); };
  main_.BtnSavGeo.Click = [this] { BtnSavGeo_Click(); };
  main_.BtnGeoRvt.Click = [this] { BtnGeoRvt_Click(); };
  main_.ListCal.Click = [this] { ListCal_Click(); };
}

void GeometricTab::CalOpt_Click(std::int16_t index) {
  GeoParameter = index;
  main_.YGeoAdj.SetVisible(true);
  if (!IsCorrection(index)) return;
  const Correction& c = kCorrections[index];
  if (!c.hasY) main_.YGeoAdj.SetVisible(false);
  auto take = [this](wc::ScrollBar& bar, int min, int max, GeoBox box, int small) {
    bar.SetMax(max);
    bar.SetMin(min);
    SliderLimit(boxes_.GeoBoxControl(box), bar);
    bar.SetLargeChange(kLargeStep);
    bar.SetSmallChange(small);
  };
  take(main_.XGeoAdj, c.xMin, c.xMax, c.x, c.xSmall);
  if (c.hasY) take(main_.YGeoAdj, c.yMin, c.yMax, c.y, c.ySmall);
}

void GeometricTab::SliderLimit(wc::TextBox& box, wc::ScrollBar& bar) {
  if (LenientVal(box.Text()) < bar.Min()) box.SetText(winplat::Str(static_cast<std::int32_t>(bar.Min())));
  if (LenientVal(box.Text()) > bar.Max()) box.SetText(winplat::Str(static_cast<std::int32_t>(bar.Max())));
  bar.SetValue(winplat::CInt(LenientVal(box.Text())));
}

void GeometricTab::CheckValue(GeoBox box) {
  const BoxPlace place = PlaceOf(box);
  if (!IsCorrection(place.index)) return;
  const Correction& c = kCorrections[place.index];
  const double v = LenientVal(boxes_.GeoText(box));
  const double lowest = place.isY ? c.yMin : c.xMin;
  const double highest = place.isY ? c.yMax : c.xMax;
  if (!(v >= lowest && v <= highest)) return;
  if (place.index == GeoParameter) {
    wc::ScrollBar& bar = place.isY ? main_.YGeoAdj : main_.XGeoAdj;
    try {
      bar.SetValue(winplat::CInt(v));
    } catch (const wc::ControlError&) {
      // A value between the bounds that rounds past them leaves the bar where it is.
    }
  }
  // While the settings fill the boxes the load applies the correction once at
  // its end; each box need not send and redraw it again.
  if (e_.State.GeoLoading != BoolFalse) return;
  // Field 0: no run field's shear is added to the projector's correction.
  ApplyGeoCorrection(e_, 0);
  PreviewRedraw();
}

void GeometricTab::BoxChange(GeoBox box) {
  if (box == GeoBox::GeoPara) {
    // The parabola table follows every keystroke, also one the range check refuses.
    BuildParabolaTable(e_, IniReal(boxes_.GeoText(box)));
  }
  CheckValue(box);
}

void GeometricTab::XGeoAdj_Change() {
  if (!XGeoAdjFocus || !IsCorrection(GeoParameter)) return;
  const std::int32_t value = main_.XGeoAdj.Value();
  boxes_.SetGeoText(kCorrections[GeoParameter].x, winplat::Str(value));
}

void GeometricTab::YGeoAdj_Change() {
  if (!YGeoAdjFocus || !IsCorrection(GeoParameter) || !kCorrections[GeoParameter].hasY) return;
  const std::int32_t value = main_.YGeoAdj.Value();
  boxes_.SetGeoText(kCorrections[GeoParameter].y, winplat::Str(value));
}

void GeometricTab::XGeoAdj_GotFocus() {
  XGeoAdjFocus = true;
  XGeoAdj_Change();
}

void GeometricTab::YGeoAdj_GotFocus() {
  YGeoAdjFocus = true;
  YGeoAdj_Change();
}

void GeometricTab::GeoPic_Paint() { PreviewRedraw(); }

void GeometricTab::BtnSavGeo_Click() {
  // The boxes in the order of their keys, each text as typed (the writer trims it).
  for (int b = 0; b < GeoBoxCount; ++b) {
    const GeoBox box = static_cast<GeoBox>(b);
    std::string text = boxes_.GeoText(box);
    WriteGeometricValue(e_, GeometricKey(box), text);
  }
}

void GeometricTab::BtnGeoRvt_Click() {
  LoadGeometricSettings(e_);
  PreviewRedraw();
}

void GeometricTab::PreviewRedraw() {
  e_.Vx.RedrawFrameFast(static_cast<std::int32_t>(main_.GeoPic.hWnd()), e_.State.CalibrationFrame, 0, -1, 0);
}

void GeometricTab::ListCal_Click() {
  const std::string name = main_.ListCal.Text();
  if (name.empty()) return;
  std::int32_t frame = 0;
  const std::int32_t status = e_.Vx.FindFrame(name.c_str(), &frame);
  if (status != 0 || frame < 1) {
    e_.Console.SetMsg("Calibration pattern " + name + " not found");
    return;
  }
  ProgramState& s = e_.State;
  s.CalibrationFrame = frame;
  e_.Vx.DisplayFrame(s.CalibrationFrame);
  // The window of field S, negated in 64 bits.
  const FieldCalibrationEntry& fieldS = s.FieldCalibration[FieldS];
  const std::int32_t left = ScaleBound(-static_cast<std::int64_t>(fieldS.XScale));
  const std::int32_t right = ScaleBound(fieldS.XScale);
  const std::int32_t bottom = ScaleBound(-static_cast<std::int64_t>(fieldS.YScale));
  const std::int32_t top = ScaleBound(fieldS.YScale);
  e_.Vx.SetWorkingScale(left, right, bottom, top, 0, 0);
  e_.Vx.SetLaserWindow(left, right, bottom, top, 0);
  e_.Vx.DisplayPostTrans(0, 0, 0);
  std::int32_t sent1 = 0, sent2 = 0, sent3 = 0;
  e_.Vx.DisplayFreq3(PatternRate, PatternRate, PatternRate, &sent1, &sent2, &sent3);
  e_.Vx.DisplaySkew(4, 4, 0);
  e_.Vx.DisplayUpdate();
  PreviewRedraw();
}

}  // namespace fieldray::console
