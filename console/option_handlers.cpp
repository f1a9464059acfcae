// Handlers of the output switch's tab.
#include "console/option_handlers.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/point_list.h"
#include "engine/settings_file.h"

namespace fieldray::console {
namespace {

std::int32_t Rounded(const std::string& text) {
  double v = std::nearbyint(engine::LenientVal(text));
  if (!(v == v)) return 0;
  return static_cast<std::int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
}

}  // namespace

OptionHandlers::OptionHandlers(engine::Engine& e, MainForm& main, StartupValues& v, OutputSeams seams)
    : e_(e), main_(main), v_(v), seams_(std::move(seams)) {
  auto check = [this](wc::CheckBox& box, const char* section, const char* key) {
    box.Click = [this, &box, section, key] {
      std::string value = std::to_string(box.Value());
      engine::WriteIniValue(e_, section, key, value);
    };
  };
  check(main_.CapMsg, "CaptionProjection", "Message");
  check(main_.CapThr, "CaptionProjection", "Through");
  check(main_.CapNam, "CaptionProjection", "Name");
  check(main_.CapLen, "CaptionProjection", "Length");
  check(main_.CapHgt, "CaptionProjection", "Height");
  check(main_.CapThk, "CaptionProjection", "Thickness");
  check(main_.Cap2L, "CaptionProjection", "TwoLines");
  check(main_.LLMO, "MachineData", "Origin");

  auto text = [this](wc::TextBox& box, const char* key) {
    box.Change = [this, &box, key] {
      std::string value = box.Text();
      engine::WriteIniValue(e_, "CaptionProjection", key, value);
    };
  };
  text(main_.CapX, "XPosition");
  text(main_.CapY, "YPosition");
  text(main_.CharH, "CharHeight");
  text(main_.CharW, "CharWidth");
  text(main_.TdTxt, "CaptionTimeDelay");
  text(main_.TDMode, "ModeTimeDelay");

  main_.SRLL.Change = [this] {
    if (e_.State.LoadingSettings) return;
    std::string value = main_.SRLL.Text();
    engine::WriteCalibrationValue(e_, "ScanRateLL", value);
  };
  main_.SRUL.Change = [this] {
    std::string value = main_.SRUL.Text();
    engine::WriteCalibrationValue(e_, "ScanRateUL", value);
  };
  auto blankStore = [this] {
    std::string value = main_.BlnkTm.Text();
    engine::WriteCalibrationValue(e_, "BlankTiming", value);
  };
  main_.BlnkTm.LostFocus = blankStore;
  main_.BlnkTmUD.Change = blankStore;
  main_.ScnRt.LostFocus = [this] {
    std::string value = std::to_string(v_.ScanRateCache);
    engine::WriteCalibrationValue(e_, "ScanRate", value);
  };
  main_.ScnRt.Change = [this] { ScnRt_Change(); };
  main_.BlnkTm.Change = [this] { BlnkTm_Change(); };

  auto hold = [this](wc::TextBox& box, const char* key, std::int32_t StartupValues::*target) {
    box.Change = [this, &box, key, target] {
      if (!e_.State.LoadingSettings) {
        std::string value = box.Text();
        engine::WriteCalibrationValue(e_, key, value);
      }
      v_.*target = Rounded(box.Text());
    };
  };
  hold(main_.PtsST, "PointsStart", &StartupValues::HoldStart);
  hold(main_.PtsVtx, "PointsVertex", &StartupValues::HoldVertex);
  hold(main_.PtsEnd, "PointsEnd", &StartupValues::HoldEnd);
}

bool OptionHandlers::RateAndSkew(std::int32_t points, std::int32_t& rate, std::int32_t& skew) const {
  // The product is taken in 64 bits and clamped by the limits; the upper
  // limit first, so the lower one wins when they cross.
  std::int64_t r = static_cast<std::int64_t>(v_.ScanRateCache) * points;
  double upper = engine::LenientVal(main_.SRUL.Text());
  double lower = engine::LenientVal(main_.SRLL.Text());
  if (upper < static_cast<double>(r)) r = Rounded(main_.SRUL.Text());
  if (lower > static_cast<double>(r)) r = Rounded(main_.SRLL.Text());
  r = std::clamp<std::int64_t>(r, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
  rate = static_cast<std::int32_t>(r);
  std::int32_t blank = Rounded(main_.BlnkTm.Text());
  if (blank <= 0) return false;
  skew = rate / blank + 2;
  return true;
}

void OptionHandlers::SendRate() {
  FrameStruct header{};
  std::int32_t frame = engine::GetWorkingFrameNumber(e_);
  e_.Vx.ReadFrameStruct(frame, &header);
  if (header.NumPoints <= 0) return;
  std::int32_t rate = 0, skew = 0;
  if (!RateAndSkew(header.NumPoints, rate, skew)) return;
  if (seams_.DisplayFreq3) seams_.DisplayFreq3(rate);
  main_.BlnkSK.SetCaption((skew >= 0 ? " " : "") + std::to_string(skew));
  if (seams_.DisplaySkew) seams_.DisplaySkew(4, skew);
  e_.Vx.DisplayUpdate();
}

void OptionHandlers::ScnRt_Change() {
  v_.ScanRateCache = Rounded(main_.ScnRt.Text());
  if (e_.State.LoadingSettings) return;
  SendRate();
  std::string value = std::to_string(v_.ScanRateCache);
  engine::WriteCalibrationValue(e_, "ScanRate", value);
}

void OptionHandlers::BlnkTm_Change() {
  if (e_.State.LoadingSettings) return;
  v_.ScanRateCache = Rounded(main_.ScnRt.Text());
  SendRate();
}

}  // namespace fieldray::console
