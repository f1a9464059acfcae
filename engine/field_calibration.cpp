#include "engine/field_calibration.h"

#include <algorithm>
#include <limits>
#include <vector>

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

void ApplyFieldScale(Engine& e, const std::int16_t field) {
  std::int64_t sx = 0, sy = 0;
  if (IsField(field)) {
    sx = e.State.FieldCalibration[field].XScale;
    sy = e.State.FieldCalibration[field].YScale;
  }
  if (e.State.InversionState == BoolTrue) {
    e.Vx.SetWorkingScale(ScaleBound(-2 * sx), 200, ScaleBound(-sy), ScaleBound(sy), 0, 0);
  } else {
    e.Vx.SetWorkingScale(-200, ScaleBound(2 * sx), ScaleBound(-sy), ScaleBound(sy), 0, 0);
  }
  e.Console.SetLblXAdj(winplat::CStr(static_cast<std::int32_t>(sx)));
  e.Console.SetLblYAdj(winplat::CStr(static_cast<std::int32_t>(sy)));
}

void ApplyFieldOffset(Engine& e, const std::int16_t field) {
  if (!IsField(field)) return;
  const FieldCalibrationEntry& f = e.State.FieldCalibration[field];
  e.Vx.DisplayPostTrans(f.FieldXPos, f.FieldYPos, 0);
}

void SelectField(Engine& e, const std::int16_t field) {
  ApplyFieldOffset(e, field);
  if (!IsField(field)) return;
  std::int16_t state = FieldInverted(field) ? BoolTrue : BoolFalse;
  SetFieldInversion(e, state, field);
}

void SetFieldInversion(Engine& e, const std::int16_t state, const std::int16_t field) {
  if (state == e.State.InversionState) return;
  ResetWorkingScale(e);
  // One active flag per point of a full frame.
  std::vector<std::int32_t> active(6000, 1);
  e.Vx.InvertPointsActive(1, 6000, 0, 0, 0, 1, active.data());
  e.State.InversionState = state;
  ApplyFieldScale(e, field);
}

void ResetWorkingScale(Engine& e) { e.Vx.SetWorkingScale(0, 0, 0, 0, 0, 0); }

std::int32_t FieldTableValueA(Engine& e, const std::int16_t field) {
  return IsField(field) ? e.State.FieldCalibration[field].XShear : 0;
}

std::int32_t FieldTableValueB(Engine& e, const std::int16_t field) {
  return IsField(field) ? e.State.FieldCalibration[field].YShear : 0;
}

std::int32_t CheckedOptFld(Engine& e) {
  if (e.State.OptFldEnabled != BoolTrue) return 0;
  std::vector<std::int16_t> indices = e.Console.OptFldIndices();
  std::sort(indices.begin(), indices.end());
  for (std::int16_t index : indices) {
    if (e.Console.OptFldChecked(index)) return index;
  }
  return 0;
}

}  // namespace fieldray::engine
