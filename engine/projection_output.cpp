#include "engine/projection_output.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "engine/caption_text.h"
#include "engine/field_calibration.h"
#include "engine/geo_correction.h"
#include "engine/point_list.h"
#include "engine/status_reporter.h"
#include "job/grid_cells.h"
#include "winplat/clock.h"
#include "winplat/messages.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

// A text box's value as the program reads it: its leading number, 0 without one.
double BoxValue(Engine& engine, OutputText box) {
  try {
    return winplat::Val(engine.Console.OutputTextOf(box));
  } catch (const winplat::NumericError&) {
    return 0;
  }
}

namespace {

std::int32_t RoundToLong(double v) {
  try {
    return winplat::CLng(v);
  } catch (const winplat::NumericError&) {
    return v < 0 ? INT32_MIN : INT32_MAX;
  }
}

std::vector<std::int16_t> Sorted(std::vector<std::int16_t> v) {
  std::sort(v.begin(), v.end());
  return v;
}

}  // namespace

void ShowProjection(Engine& engine, const std::int32_t frame) {
  BusyScope busy(engine);
  ProgramState& s = engine.State;
  // The caption takes the output while the caption switch is on.
  if (!s.CaptionText.empty() && engine.Console.CheckState(OutputCheck::CapBtn) == 1 &&
      engine.Console.CheckState(OutputCheck::OnOff) > 0) {
    std::string text = s.CaptionText;
    ShowCaption(engine, text);
    float none = 0;
    Delay(none);
    if (engine.Console.CheckState(OutputCheck::CapBtn) == 1) return;
  }
  std::int32_t shown = frame == -1 ? s.LastShownFrame : frame;
  const std::int16_t onOff = engine.Console.CheckState(OutputCheck::OnOff);
  if (shown > 0 || onOff == 0) {
    std::int16_t field = static_cast<std::int16_t>(CheckedOptFld(engine));
    // Only the offset here: the source frame is never inverted; the display
    // frame is inverted once below, after it has been merged.
    ApplyFieldOffset(engine, field);
    engine.Vx.DeleteFrames(DisplayFrameNumber, DisplayFrameNumber);
    engine.Vx.MergeFrames(onOff != 0 ? shown : 0, DisplayFrameNumber, DisplayFrameNumber);
    engine.Vx.SetWorkingFrame(DisplayFrameNumber);
    engine.Vx.DisplayFrame(DisplayFrameNumber);
    SetScanRateForFrame(engine);
    s.InversionState = BoolFalse;
    field = static_cast<std::int16_t>(CheckedOptFld(engine));
    SelectField(engine, field);
    engine.Vx.SetLaserWindow(-12000, 12000, -12000, 12000, 0);
    engine.Vx.RedrawFrame(engine.Console.DispLaserHandle(), 1, 6000, 1, -1, 0, 0, 0);
    if (s.ControlBoxBusy == BoolFalse) ApplyGeoCorrection(engine, field);
  }
  s.LastShownFrame = shown;
}

void DropJobFrames(Engine& engine) {
  engine.Vx.DeleteFrames(1, DisplayFrameNumber);
  engine.State.JobPoints.clear();
}

void BlankDisplay(Engine& engine) {
  ProgramState& s = engine.State;
  DropJobFrames(engine);
  s.CaptionText.clear();
  s.LastShownFrame = 0;
  // Whatever the boards showed (a caption among them) gives way to the empty display frame.
  engine.Vx.SetWorkingFrame(DisplayFrameNumber);
  engine.Vx.DisplayFrame(DisplayFrameNumber);
  engine.Vx.DisplayUpdate();
  engine.Vx.RedrawFrame(engine.Console.DispLaserHandle(), 1, 6000, 1, -1, 0, 0, 0);
}

bool RefuseUnprojectableField(Engine& engine, const std::int16_t field) {
  const std::string why = FieldScaleFault(engine, field);
  if (why.empty()) return false;
  BlankDisplay(engine);
  engine.Console.SetMsg(why);
  return true;
}

void SetScanRateForFrame(Engine& engine) {
  ProgramState& s = engine.State;
  FrameStruct header{};
  engine.Vx.ReadFrameStruct(GetWorkingFrameNumber(engine), &header);
  const std::int32_t count = header.NumPoints;
  s.ScanRateCache = std::clamp(
      s.ScanRateCache, engine.Console.UpDownMin(OutputUpDown::ScnRtUD),
      std::max(engine.Console.UpDownMin(OutputUpDown::ScnRtUD), engine.Console.UpDownMax(OutputUpDown::ScnRtUD)));
  std::int32_t rate = 0;
  try {
    rate = winplat::MulLng(count, s.ScanRateCache);
  } catch (const winplat::NumericError&) {
    rate = INT32_MAX;
  }
  const double upper = BoxValue(engine, OutputText::SRUL);
  const double lower = BoxValue(engine, OutputText::SRLL);
  if (rate > upper) rate = RoundToLong(upper);
  if (rate < lower) rate = RoundToLong(lower);
  std::int32_t o1 = 0, o2 = 0, o3 = 0;
  engine.Vx.DisplayFreq3(rate, rate, rate, &o1, &o2, &o3);

  const std::int32_t bMin = engine.Console.UpDownMin(OutputUpDown::BlnkTmUD);
  const std::int32_t bMax = engine.Console.UpDownMax(OutputUpDown::BlnkTmUD);
  double blank = BoxValue(engine, OutputText::BlnkTm);
  if (blank > bMax) {
    engine.Console.SetOutputText(OutputText::BlnkTm, winplat::Str(bMax));
  } else if (blank < bMin) {
    engine.Console.SetOutputText(OutputText::BlnkTm, winplat::Str(bMin));
  }
  blank = BoxValue(engine, OutputText::BlnkTm);
  std::int32_t skew = 2;
  try {
    skew = winplat::IntDiv(rate, blank) + 2;
  } catch (const winplat::NumericError&) {
    // A blanking time of 0 (an up-down minimum of 0) leaves the base skew.
  }
  engine.Vx.DisplaySkew(4, skew, 0);
  engine.Console.SetLabStat(winplat::Str(count) + " " + winplat::Str(rate) + " " + winplat::Str(skew));
}

void ListCalibrationFrames(Engine& engine) {
  std::string file = engine.State.ProgramDir + "Calibration.VXS";
  std::int32_t from = 100, to = 999, status = 0;
  engine.Vx.LoadLFile(file.c_str(), &from, &to, nullptr, &status);
  engine.State.VXStatus = status;
  CheckStatus(engine);
  for (std::int32_t n = 100; n <= 999; ++n) {
    FrameStruct header{};
    const std::int32_t read = engine.Vx.ReadFrameStruct(n, &header);
    std::string name;
    if (read == 0) {
      name.assign(header.Name, strnlen(header.Name, sizeof header.Name));
      // Blanks and NULs around the name do not count.
      const auto last = name.find_last_not_of(std::string(" \0", 2));
      name = last == std::string::npos ? std::string() : name.substr(0, last + 1);
    }
    engine.Console.AddListCal(name);
    if (read != 0 || name.empty()) break;
  }
}

void LoadPrjPosCaptions(Engine& engine) {
  winplat::SpreadGrid* grid = engine.Console.SSOptSw();
  for (std::int16_t i = 1; i <= 6; ++i) {
    engine.Console.SetPrjPosCaption(i, grid ? GetGridCell(*grid, 0, i) : std::string());
  }
}

void EnablePrjPos(Engine& engine, const bool enabled) {
  engine.Console.SetPMFrameEnabled(enabled);
  for (std::int16_t i : Sorted(engine.Console.PrjPosIndices())) engine.Console.SetPrjPosEnabled(i, enabled);
}

void EnableOptFld(Engine& engine, const bool enabled) {
  engine.Console.SetMFFrameEnabled(enabled);
  engine.State.OptFldEnabled = enabled ? BoolTrue : BoolFalse;
  for (std::int16_t i : Sorted(engine.Console.OptFldIndices())) engine.Console.SetOptFldEnabled(i, enabled);
}

std::int32_t CheckedPrjPos(Engine& engine) {
  for (std::int16_t i : Sorted(engine.Console.PrjPosIndices())) {
    if (engine.Console.PrjPosChecked(i)) return i;
  }
  return 0;
}

void Delay(const float seconds) {
  const float start = winplat::Timer();
  const float end = start + seconds;
  for (;;) {
    winplat::DoEvents();
    float t = winplat::Timer();
    if (t < start) t += 86400.0f;
    if (t >= end) return;
    // Sleeps between pumps rather than spinning: until a timer or a message, or the end.
    winplat::WaitForWork(static_cast<std::uint32_t>(std::ceil((end - t) * 1000.0f)));
  }
}

void CaptionWait(Engine& engine) {
  if (engine.Console.CheckState(OutputCheck::CapBtn) != 0) return;
  float t = 0;
  try {
    t = static_cast<float>(std::fabs(winplat::Val(engine.Console.OutputTextOf(OutputText::TdTxt))));
  } catch (const winplat::NumericError&) {
    t = 30;
  }
  if (t > 30) t = 30;
  if (t == 0) return;
  engine.Console.SetCheckState(OutputCheck::CapBtn, 1);
  Delay(t);
  engine.Console.SetCheckState(OutputCheck::CapBtn, 0);
}

}  // namespace fieldray::engine
