#pragma once
// The field-offsets tab: choosing a run field projects its axes marker through
// the field's own position, scale and inversion and loads its calibration into
// six bars; moving a bar moves, scales or shears the field live, and leaving
// it stores that quantity for all eight fields. Option 10 writes the T-shaped
// reference marker to frame 1 instead.
#include <cstdint>

#include "console/main_form.h"
#include "engine/engine.h"

namespace fieldray::console {

class FieldOffsets {
 public:
  FieldOffsets(engine::Engine& engine, MainForm& main);

  void FldOpt_Click(std::int16_t index);
  void XFldPos_Change();
  void YFldPos_Change();
  void XFldScale_Change();
  void YFldScale_Change();
  void XFldShear_Change();
  void YFldShear_Change();

 private:
  enum class Axis { X, Y };
  // Runs one statement of the field selection: a refused bar value or a
  // number that does not fit skips only that statement.
  template <class F>
  void Statement(F&& statement);
  void SelectRunField(std::int16_t field);
  void WriteReferenceMarker(std::int32_t& rate);
  void PositionChange(Axis axis);
  void ScaleChange(Axis axis);
  void ShearChange(Axis axis);

  engine::Engine& e_;
  MainForm& main_;
};

}  // namespace fieldray::console
