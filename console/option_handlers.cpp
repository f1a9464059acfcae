// Handlers of the output switch's tab.
#include "console/option_handlers.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "console/flag_scope.h"
#include "engine/output_switches.h"
#include "engine/point_list.h"
#include "engine/projection_output.h"
#include "engine/settings_file.h"

namespace fieldray::console {
namespace {

std::int32_t Rounded(const std::string& text) {
  double v = std::nearbyint(engine::LenientVal(text));
  if (!(v == v)) return 0;
  return static_cast<std::int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
}

}  // namespace

bool BlankingSkew(std::int32_t rate, const std::string& blankText, std::int32_t& skew) {
  const std::int32_t blank = Rounded(blankText);
  if (blank <= 0) return false;
  // A rate at the top of the range over a blanking of 1 would pass the
  // 32-bit range by the 2 added.
  skew = static_cast<std::int32_t>(
      std::min<std::int64_t>(std::int64_t{rate} / blank + 2, std::numeric_limits<std::int32_t>::max()));
  return true;
}

OptionHandlers::OptionHandlers(engine::Engine& engine, MainForm& main, winplat::SpreadGrid* toolDat)
    : e_(engine), main_(main), toolDat_(toolDat) {
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
    box.Change = [this, &box, key] { Store(box, "CaptionProjection", key); };
  };
  text(main_.CapX, "XPosition");
  text(main_.CapY, "YPosition");
  text(main_.CharH, "CharHeight");
  text(main_.CharW, "CharWidth");
  text(main_.TdTxt, "CaptionTimeDelay");
  text(main_.TDMode, "ModeTimeDelay");

  auto rangedBox = [](wc::TextBox& box, wc::UpDown& range, const char* name) {
    return RangedValue{&box, &range, name, box.Text(), box.Text()};
  };
  upperLimit_ = rangedBox(main_.SRUL, main_.SRULUD, "Scan rate upper limit");
  lowerLimit_ = rangedBox(main_.SRLL, main_.SRLLUD, "Scan rate lower limit");
  multiplier_ = rangedBox(main_.ScnRt, main_.ScnRtUD, "Scan rate multiplier");
  blanking_ = rangedBox(main_.BlnkTm, main_.BlnkTmUD, "Blanking time");
  holdStart_ = rangedBox(main_.PtsST, main_.PtsStUD, "Segment start points");
  holdVertex_ = rangedBox(main_.PtsVtx, main_.PtsVtxUD, "Vertex points");
  holdEnd_ = rangedBox(main_.PtsEnd, main_.PtsEndUD, "Segment end points");
  for (RangedValue* value : {&upperLimit_, &lowerLimit_, &multiplier_, &blanking_, &holdStart_, &holdVertex_, &holdEnd_})
    value->Box->GotFocus = [value] { value->AtFocus = value->Box->Text(); };
  main_.SRLL.Change = [this] {
    if (!TakeTyped(lowerLimit_) || e_.State.LoadingSettings) return;
    Store(main_.SRLL, "Calibration", "ScanRateLL");
  };
  main_.SRUL.Change = [this] {
    if (!TakeTyped(upperLimit_)) return;
    Store(main_.SRUL, "Calibration", "ScanRateUL");
  };
  auto blankStore = [this] {
    RestoreTyped(blanking_);
    if (!blanking_.InRange(main_.BlnkTm.Text())) return;
    Store(main_.BlnkTm, "Calibration", "BlankTiming");
  };
  main_.BlnkTm.LostFocus = blankStore;
  main_.BlnkTmUD.Change = blankStore;
  main_.ScnRt.LostFocus = [this] {
    RestoreTyped(multiplier_);
    std::string value = std::to_string(e_.State.ScanRateCache);
    engine::WriteCalibrationValue(e_, "ScanRate", value);
  };
  main_.SRUL.LostFocus = [this] { RestoreTyped(upperLimit_); };
  main_.SRLL.LostFocus = [this] { RestoreTyped(lowerLimit_); };
  main_.ScnRt.Change = [this] { ScnRt_Change(); };
  main_.BlnkTm.Change = [this] { BlnkTm_Change(); };

  // A hold count takes a typed value only within its up-down's range.
  auto hold = [this](RangedValue& ranged, const char* key, std::int32_t ProgramState::*target) {
    ranged.Box->Change = [this, &ranged, key, target] {
      if (!TakeTyped(ranged)) return;
      if (!e_.State.LoadingSettings) Store(*ranged.Box, "Calibration", key);
      e_.State.*target = Rounded(ranged.Stored);
    };
    ranged.Box->LostFocus = [this, &ranged] { RestoreTyped(ranged); };
  };
  hold(holdStart_, "PointsStart", &ProgramState::HoldStart);
  hold(holdVertex_, "PointsVertex", &ProgramState::HoldVertex);
  hold(holdEnd_, "PointsEnd", &ProgramState::HoldEnd);

  // The output switches show the last frame again under their new state.
  main_.OnOff.Click = [this] { engine::OnOff_Click(e_); };
  main_.CapBtn.Click = [this] { engine::CapBtn_Click(e_); };
  for (auto& [index, option] : main_.OptFld.Elements()) {
    const auto i = static_cast<std::int16_t>(index);
    option->Click = [this, i] { engine::OptFld_Click(e_, i); };
  }
  // The tool table stores itself whenever the operator edits it.
  if (toolDat_) toolDat_->OnChange = [this] { ToolDat_Change(); };
  main_.DispLaser.PaintEvent = [this] { DispLaser_Paint(); };
}

void OptionHandlers::Store(wc::TextBox& box, const char* section, const char* key) {
  if (restoring_) return;  // the stored value shown again is not written again
  std::string value = box.Text();
  if (engine::WriteIniValue(e_, section, key, value) != engine::IniWrite::Refused) return;
  // A value the settings file cannot hold gives way to the one it holds.
  FlagScope restoring(restoring_);
  box.SetText(engine::ReadIniValue(e_, section, key));
}

bool OptionHandlers::RangedValue::InRange(const std::string& text) const {
  const double v = std::nearbyint(engine::LenientVal(text));
  return v >= Range->Min() && v <= Range->Max();
}

std::string OptionHandlers::RangedValue::RangeText() const {
  return std::string(Name) + ": " + std::to_string(Range->Min()) + " to " + std::to_string(Range->Max());
}

bool OptionHandlers::TakeTyped(RangedValue& value) {
  const std::string text = value.Box->Text();
  if (!e_.State.LoadingSettings && !value.InRange(text)) return false;
  value.Stored = text;
  // Set from elsewhere (start-up, its up-down): the box holds it from now on.
  if (!value.Box->HasFocus()) value.AtFocus = text;
  // A value within the range answers the range's message, while Msg still shows it.
  if (!e_.State.LoadingSettings) engine::ClearMsgIf(e_, value.RangeText());
  return true;
}

void OptionHandlers::RestoreTyped(RangedValue& value) {
  if (e_.State.LoadingSettings || value.InRange(value.Box->Text())) return;
  // Each keystroke of the refused text may have taken an in-range part of it
  // ("9999" on the way to "99999999"): the value from before the typing comes
  // back, and with it the setting and what follows from it.
  value.Box->SetText(value.InRange(value.AtFocus) ? value.AtFocus : value.Stored);
  e_.Console.SetMsg(value.RangeText());
}

bool OptionHandlers::RateAndSkew(std::int32_t points, std::int32_t& rate, std::int32_t& skew) const {
  // The product is taken in 64 bits and clamped by the limits; the upper
  // limit first, so the lower one wins when they cross.
  std::int64_t r = static_cast<std::int64_t>(e_.State.ScanRateCache) * points;
  double upper = engine::LenientVal(upperLimit_.Stored);
  double lower = engine::LenientVal(lowerLimit_.Stored);
  if (upper < static_cast<double>(r)) r = Rounded(upperLimit_.Stored);
  if (lower > static_cast<double>(r)) r = Rounded(lowerLimit_.Stored);
  r = std::clamp<std::int64_t>(r, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
  rate = static_cast<std::int32_t>(r);
  return BlankingSkew(rate, blanking_.Stored, skew);
}

bool OptionHandlers::SendRate(std::int32_t& skew) {
  FrameStruct header{};
  std::int32_t frame = engine::GetWorkingFrameNumber(e_);
  e_.Vx.ReadFrameStruct(frame, &header);
  if (header.NumPoints <= 0) return false;
  std::int32_t rate = 0;
  if (!RateAndSkew(header.NumPoints, rate, skew)) return false;
  std::int32_t sent1 = 0, sent2 = 0, sent3 = 0;
  e_.Vx.DisplayFreq3(rate, rate, rate, &sent1, &sent2, &sent3);
  e_.Vx.DisplaySkew(4, skew, 0);
  e_.Vx.DisplayUpdate();
  return true;
}

void OptionHandlers::ScnRt_Change() {
  if (!TakeTyped(multiplier_)) return;
  e_.State.ScanRateCache = Rounded(multiplier_.Stored);
  if (e_.State.LoadingSettings) return;
  std::int32_t skew = 0;
  SendRate(skew);
  std::string value = std::to_string(e_.State.ScanRateCache);
  engine::WriteCalibrationValue(e_, "ScanRate", value);
}

void OptionHandlers::BlnkTm_Change() {
  if (!TakeTyped(blanking_) || e_.State.LoadingSettings) return;
  e_.State.ScanRateCache = Rounded(multiplier_.Stored);
  std::int32_t skew = 0;
  if (SendRate(skew)) main_.BlnkSK.SetCaption((skew >= 0 ? " " : "") + std::to_string(skew));
}

void OptionHandlers::ToolDat_Change() {
  if (!toolDat_) return;
  toolDat_->SaveToFile(e_.State.ProgramDir + "Tool.Dat", false);
}

void OptionHandlers::DispLaser_Paint() {
  e_.Vx.SetWorkingFrame(engine::DisplayFrameNumber);
  e_.Vx.RedrawFrame(static_cast<std::int32_t>(main_.DispLaser.hWnd()), 1, 6000, 1, -1, 0, 0, 0);
}

}  // namespace fieldray::console
