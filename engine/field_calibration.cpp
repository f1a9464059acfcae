#include "engine/field_calibration.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "engine/settings_file.h"
#include "winplat/numeric.h"
#include "winplat/text.h"

namespace fieldray::engine {

namespace {

bool IsField(std::int16_t field) { return field >= 1 && field <= 8; }

}  // namespace

std::int32_t ScaleBound(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

bool FieldInverted(std::int16_t field) { return IsField(field) && field % 2 == 0; }

void ApplyFieldScale(Engine& engine, const std::int16_t field) {
  std::int64_t sx = 0, sy = 0;
  if (IsField(field)) {
    sx = engine.State.FieldCalibration[field].XScale;
    sy = engine.State.FieldCalibration[field].YScale;
  }
  if (engine.State.InversionState == BoolTrue) {
    engine.Vx.SetWorkingScale(ScaleBound(-2 * sx), 200, ScaleBound(-sy), ScaleBound(sy), 0, 0);
  } else {
    engine.Vx.SetWorkingScale(-200, ScaleBound(2 * sx), ScaleBound(-sy), ScaleBound(sy), 0, 0);
  }
  engine.Console.SetLblXAdj(winplat::CStr(static_cast<std::int32_t>(sx)));
  engine.Console.SetLblYAdj(winplat::CStr(static_cast<std::int32_t>(sy)));
}

void ApplyFieldOffset(Engine& engine, const std::int16_t field) {
  if (!IsField(field)) return;
  const FieldCalibrationEntry& f = engine.State.FieldCalibration[field];
  engine.Vx.DisplayPostTrans(f.FieldXPos, f.FieldYPos, 0);
}

void SelectField(Engine& engine, const std::int16_t field) {
  ApplyFieldOffset(engine, field);
  if (!IsField(field)) return;
  std::int16_t state = FieldInverted(field) ? BoolTrue : BoolFalse;
  SetFieldInversion(engine, state, field);
}

void SetFieldInversion(Engine& engine, const std::int16_t state, const std::int16_t field) {
  if (state == engine.State.InversionState) return;
  ResetWorkingScale(engine);
  // One active flag per point of a full frame.
  std::vector<std::int32_t> active(6000, 1);
  engine.Vx.InvertPointsActive(1, 6000, 0, 0, 0, 1, active.data());
  engine.State.InversionState = state;
  ApplyFieldScale(engine, field);
}

void ResetWorkingScale(Engine& engine) { engine.Vx.SetWorkingScale(0, 0, 0, 0, 0, 0); }

std::int32_t FieldTableValueA(Engine& engine, const std::int16_t field) {
  return IsField(field) ? engine.State.FieldCalibration[field].XShear : 0;
}

std::int32_t FieldTableValueB(Engine& engine, const std::int16_t field) {
  return IsField(field) ? engine.State.FieldCalibration[field].YShear : 0;
}

std::int32_t CheckedOptFld(Engine& engine) {
  if (engine.State.OptFldEnabled != BoolTrue) return 0;
  return FirstCheckedOptFld(engine);
}

std::int32_t FirstCheckedOptFld(Engine& engine) {
  std::vector<std::int16_t> indices = engine.Console.OptFldIndices();
  std::sort(indices.begin(), indices.end());
  for (std::int16_t index : indices) {
    if (engine.Console.OptFldChecked(index)) return index;
  }
  return 0;
}

namespace {

// Whether a settings value is text that begins with no number ("abc", "nan",
// "inf"); an empty value is a missing one, not a wrong one.
bool IsNoNumber(const std::string& value) {
  const std::string text = winplat::Trim(value);
  if (text.empty()) return false;
  std::size_t i = text[0] == '+' || text[0] == '-' ? 1 : 0;
  if (text.compare(i, 2, "&H") == 0 || text.compare(i, 2, "&h") == 0 || text.compare(i, 2, "&O") == 0 ||
      text.compare(i, 2, "&o") == 0)
    return false;
  if (i < text.size() && text[i] == '.') ++i;
  return i >= text.size() || text[i] < '0' || text[i] > '9';
}

}  // namespace

std::string FieldScaleFault(Engine& engine, const std::int16_t field) {
  if (!IsField(field)) return {};
  const FieldCalibrationEntry& cal = engine.State.FieldCalibration[field];
  const std::string letter = FieldLetter(field);
  // A scale of 0 is read back: a value that is no number reads as 0 too.
  std::vector<std::pair<std::string, bool>> faults;  // key, and whether its value is no number
  for (const std::string& axis : {std::string("XScale"), std::string("YScale")}) {
    if ((axis == "XScale" ? cal.XScale : cal.YScale) != 0) continue;
    const std::string key = axis + letter;
    faults.emplace_back(key, IsNoNumber(ReadCalibrationValue(engine, key)));
  }
  if (faults.empty()) return {};
  auto what = [](bool noNumber, bool both) {
    return noNumber ? (both ? " are not numbers" : " is not a number") : (both ? " are 0" : " is 0");
  };
  std::string keys;
  if (faults.size() == 1)
    keys = faults[0].first + what(faults[0].second, false);
  else if (faults[0].second == faults[1].second)
    keys = faults[0].first + " and " + faults[1].first + what(faults[0].second, true);
  else
    keys = faults[0].first + what(faults[0].second, false) + " and " + faults[1].first + what(faults[1].second, false);
  return "Field " + letter + " cannot project: " + keys + " in " + kIniFile;
}

}  // namespace fieldray::engine
