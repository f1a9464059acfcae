#include "engine/field_calibration.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "engine/settings_file.h"
#include "winplat/numeric.h"

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

std::string FieldScaleFault(Engine& engine, const std::int16_t field) {
  if (!IsField(field)) return {};
  const FieldCalibrationEntry& cal = engine.State.FieldCalibration[field];
  const std::string letter = FieldLetter(field);
  std::vector<std::string> zero;
  if (cal.XScale == 0) zero.push_back("XScale" + letter);
  if (cal.YScale == 0) zero.push_back("YScale" + letter);
  if (zero.empty()) return {};
  const std::string keys = zero.size() == 1 ? zero[0] + " is 0" : zero[0] + " and " + zero[1] + " are 0";
  return "Field " + letter + " cannot project: " + keys + " in " + kIniFile;
}

}  // namespace fieldray::engine
