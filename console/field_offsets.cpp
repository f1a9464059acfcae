// Handlers of the field-offsets tab.
#include "console/field_offsets.h"

#include <string>

#include "engine/field_calibration.h"
#include "engine/frame_assembly.h"
#include "engine/geo_correction.h"
#include "engine/markers.h"
#include "engine/point_list.h"
#include "engine/settings_keys.h"
#include "winplat/numeric.h"

namespace fieldray::console {
namespace {

using engine::FieldKeyFamily;

// The frame-99 name, XFldPos range and mirroring of each run field 1..8; the
// second set of fields projects the names of the first.
struct RunFieldRow {
  const char* markerName;
  int posMin;
  int posMax;
  bool inverted;
};
constexpr RunFieldRow kRunFields[9] = {
    {"", 0, 0, false},
    {"S Field", 0, 1000, false},  {"A Field", -1500, 0, true}, {"T Field", 0, 1500, false},
    {"R Field", -1000, 0, true},  {"S Field", 0, 1000, false}, {"A Field", -1500, 0, true},
    {"T Field", 0, 1500, false},  {"R Field", -1000, 0, true},
};

bool IsRunField(std::int16_t f) { return f >= 1 && f <= 8; }

// The frame the scanners show while a field is chosen.
constexpr std::int32_t FieldMarkerFrame = 99;
// Frame 1 also carries the T-set reference marker.
constexpr std::int32_t ReferenceFrame = 1;
// Frames from here on are calibration patterns and the caption: the scale bars leave them alone.
constexpr std::int32_t FirstPatternFrame = 100;
// Scan rates of a field's marker and of the reference marker.
constexpr std::int32_t FieldRate = 15000;
constexpr std::int32_t ReferenceRate = 25000;
// The device's whole range: the reference marker keeps its shape whatever the field scales are.
constexpr std::int32_t DeviceMin = -32768;
constexpr std::int32_t DeviceMax = 32767;

}  // namespace

FieldOffsets::FieldOffsets(engine::Engine& engine, MainForm& main) : e_(engine), main_(main) {
  main_.FldOpt.OnClick([this](int index) { FldOpt_Click(static_cast<std::int16_t>(index)); });
  main_.XFldPos.Change = [this] { XFldPos_Change(); };
  main_.YFldPos.Change = [this] { YFldPos_Change(); };
  main_.XFldScale.Change = [this] { XFldScale_Change(); };
  main_.YFldScale.Change = [this] { YFldScale_Change(); };
  main_.XFldShear.Change = [this] { XFldShear_Change(); };
  main_.YFldShear.Change = [this] { YFldShear_Change(); };
  // Leaving a bar stores its quantity for all eight fields, from the stored values.
  auto store = [this](FieldKeyFamily family) { return [this, family] { engine::WriteFieldFamily(e_, family); }; };
  main_.XFldPos.LostFocus = store(FieldKeyFamily::XPOS);
  main_.YFldPos.LostFocus = store(FieldKeyFamily::YPOS);
  main_.XFldScale.LostFocus = store(FieldKeyFamily::XScale);
  main_.YFldScale.LostFocus = store(FieldKeyFamily::YScale);
  main_.XFldShear.LostFocus = store(FieldKeyFamily::XShear);
  main_.YFldShear.LostFocus = store(FieldKeyFamily::YShear);
}

template <class F>
void FieldOffsets::Statement(F&& statement) {
  try {
    statement();
  } catch (const wc::ControlError&) {
  } catch (const winplat::NumericError&) {
  }
}

void FieldOffsets::FldOpt_Click(std::int16_t index) {
  ProgramState& s = e_.State;
  s.FieldBusy = BoolTrue;
  std::int32_t rate = FieldRate;
  s.PointCount = 0;
  s.CurrentRunField = 0;
  s.InversionState = BoolFalse;

  Statement([&] { main_.XFldPos.SetSmallChange(1); });
  Statement([&] { main_.XFldPos.SetLargeChange(10); });
  for (wc::ScrollBar* bar : {&main_.XFldScale, &main_.YFldScale}) {
    Statement([&] { bar->SetMax(3000); });
    Statement([&] { bar->SetMin(24000); });
  }
  for (wc::ScrollBar* bar : {&main_.XFldShear, &main_.YFldShear}) {
    Statement([&] { bar->SetMax(100); });
    Statement([&] { bar->SetMin(-100); });
  }
  Statement([&] { engine::ApplyFieldScale(e_, index); });

  if (index == 0) {
    e_.Vx.DisplayPostTrans(0, 0, 0);
    main_.File1.SetEnabled(true);
  } else if (IsRunField(index)) {
    SelectRunField(index);
  } else if (index == 10) {
    WriteReferenceMarker(rate);
  }

  Statement([&] { engine::ApplyFieldOffset(e_, index); });
  std::int32_t sent1 = 0, sent2 = 0, sent3 = 0;
  e_.Vx.DisplayFreq3(rate, rate, rate, &sent1, &sent2, &sent3);
  e_.Vx.DisplaySkew(4, 3, 0);
  e_.Vx.DisplayFrame(FieldMarkerFrame);
  s.CurrentRunField = index;
  main_.LblXSh.SetCaption(winplat::Str(engine::FieldTableValueA(e_, s.CurrentRunField)));
  main_.LblYSh.SetCaption(winplat::Str(engine::FieldTableValueB(e_, s.CurrentRunField)));
  Statement([&] { engine::ApplyGeoCorrection(e_, s.CurrentRunField); });
  s.FieldBusy = BoolFalse;
}

void FieldOffsets::SelectRunField(std::int16_t field) {
  const RunFieldRow& row = kRunFields[field];
  const FieldCalibrationEntry& cal = e_.State.FieldCalibration[static_cast<std::size_t>(field)];
  Statement([&] {
    engine::AddAxesMarker(e_);
    engine::DensifyFramePoints(e_);
    std::int32_t frame = FieldMarkerFrame;
    std::string name = row.markerName;
    engine::WriteFrameToBoard(e_, frame, name);
  });
  if (row.inverted) {
    Statement([&] {
      std::int16_t state = BoolTrue;
      engine::SetFieldInversion(e_, state, field);
    });
  }
  Statement([&] { main_.XFldPos.SetMax(row.posMax); });
  Statement([&] { main_.XFldPos.SetMin(row.posMin); });
  // Each bar on its own: a value outside its range leaves that bar where its range put it.
  Statement([&] { main_.XFldPos.SetValue(winplat::CInt(10.0f * cal.FieldXPos)); });
  Statement([&] { main_.YFldPos.SetValue(winplat::CInt(-10.0f * cal.FieldYPos)); });
  Statement([&] { main_.XFldScale.SetValue(cal.XScale); });
  Statement([&] { main_.YFldScale.SetValue(cal.YScale); });
  Statement([&] { main_.XFldShear.SetValue(cal.XShear); });
  Statement([&] { main_.YFldShear.SetValue(cal.YShear); });
}

void FieldOffsets::WriteReferenceMarker(std::int32_t& rate) {
  Statement([&] {
    e_.Vx.SetWorkingScale(DeviceMin, DeviceMax, DeviceMin, DeviceMax, 0, 0);
    engine::AddReferenceMarker(e_);
    // The marker goes to the frame buffer before it is densified and written.
    std::int32_t copyOnly = 0;
    engine::SendFrame(e_, copyOnly);
  });
  rate = ReferenceRate;
  Statement([&] {
    engine::DensifyFramePoints(e_);
    std::int32_t frame = ReferenceFrame;
    std::string name = "T Set";
    engine::WriteFrameToBoard(e_, frame, name);
  });
  e_.Vx.DisplayPostTrans(0, 0, 0);
  e_.State.InversionState = BoolFalse;
}

void FieldOffsets::XFldPos_Change() { PositionChange(Axis::X); }
void FieldOffsets::YFldPos_Change() { PositionChange(Axis::Y); }

void FieldOffsets::PositionChange(Axis axis) {
  ProgramState& s = e_.State;
  const std::int16_t f = s.CurrentRunField;
  if (IsRunField(f)) {
    FieldCalibrationEntry& cal = s.FieldCalibration[static_cast<std::size_t>(f)];
    // One bar step is a tenth of the offset; the Y bar runs against Y.
    if (axis == Axis::X) {
      cal.FieldXPos = static_cast<float>(main_.XFldPos.Value()) / 10.0f;
    } else {
      cal.FieldYPos = static_cast<float>(-main_.YFldPos.Value()) / 10.0f;
    }
    e_.Vx.DisplayPostTrans(cal.FieldXPos, cal.FieldYPos, 0);
  }
  e_.Vx.DisplayUpdate();
}

void FieldOffsets::XFldScale_Change() { ScaleChange(Axis::X); }
void FieldOffsets::YFldScale_Change() { ScaleChange(Axis::Y); }

void FieldOffsets::ScaleChange(Axis axis) {
  ProgramState& s = e_.State;
  if (s.FieldBusy != BoolFalse) return;
  // Without a run field there is no window to scale the working frame by.
  std::int16_t f = s.CurrentRunField;
  if (!IsRunField(f)) return;
  FieldCalibrationEntry& cal = s.FieldCalibration[static_cast<std::size_t>(f)];
  std::int32_t& stored = axis == Axis::X ? cal.XScale : cal.YScale;
  const std::int32_t value = (axis == Axis::X ? main_.XFldScale : main_.YFldScale).Value();
  std::int32_t frame = engine::GetWorkingFrameNumber(e_);
  // Frame 0 is never written; patterns and the caption keep their own names and shape.
  const bool rewrite = frame >= 1 && frame < FirstPatternFrame;
  if (rewrite) {
    // Read under the field's window as it stands, whatever another tab set since.
    engine::ApplyFieldScale(e_, f);
    engine::ReadWorkingFrame(e_);
  }
  stored = value;
  if (rewrite) {
    engine::ApplyFieldScale(e_, f);
    std::string name = axis == Axis::X ? "Scale X" : "Scale y";
    engine::WriteFrameToBoard(e_, frame, name);
  }
  e_.Vx.DisplayUpdate();
}

void FieldOffsets::XFldShear_Change() { ShearChange(Axis::X); }
void FieldOffsets::YFldShear_Change() { ShearChange(Axis::Y); }

void FieldOffsets::ShearChange(Axis axis) {
  ProgramState& s = e_.State;
  if (s.FieldBusy != BoolFalse) return;
  const std::int16_t value = (axis == Axis::X ? main_.XFldShear : main_.YFldShear).Value();
  (axis == Axis::X ? main_.LblXSh : main_.LblYSh).SetCaption(winplat::Str(static_cast<std::int32_t>(value)));
  if (IsRunField(s.CurrentRunField)) {
    FieldCalibrationEntry& cal = s.FieldCalibration[static_cast<std::size_t>(s.CurrentRunField)];
    (axis == Axis::X ? cal.XShear : cal.YShear) = value;
  }
  engine::ApplyGeoCorrection(e_, s.CurrentRunField);
}

}  // namespace fieldray::console
