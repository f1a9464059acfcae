// The marker editor: marker lines, their sets in the grid and frame 99.
#include "console/marker_editor.h"

#include <initializer_list>

#include "engine/field_calibration.h"
#include "engine/point_list.h"
#include "engine/settings_file.h"
#include "job/grid_cells.h"
#include "toolpath/geometry.h"
#include "winplat/msgbox.h"
#include "winplat/numeric.h"
#include "winplat/text.h"

namespace fieldray::console {
namespace {

constexpr std::int32_t kSetColumn = 5;
// Marker lines are projected at three quarters of their window coordinates.
constexpr double kProjectionScale = 0.75;
// Dark repeats at either end of a projected line.
constexpr std::int32_t kDarkHold = 16;
constexpr std::int16_t kKeyUp = 38;
constexpr std::int16_t kKeyDown = 40;

// Fields of a text split at `separator`, counted as the text scanner counts
// them: none for an empty text, else one more than the separators.
std::vector<std::string_view> Fields(std::string_view text, char separator) {
  if (text.empty()) return {};
  return winplat::Split(text, separator);
}

MarkerRecord ReadRecord(const std::vector<std::string_view>& fields) {
  auto field = [&fields](std::size_t i) { return i <= fields.size() ? std::string(fields[i - 1]) : std::string(); };
  MarkerRecord r;
  r.Tag = winplat::Trim(field(1));
  r.X1 = engine::IniReal(field(2));
  r.X2 = engine::IniReal(field(3));
  r.Y1 = engine::IniReal(field(4));
  r.Y2 = engine::IniReal(field(5));
  return r;
}

}  // namespace

std::string MarkerRecordText(const MarkerRecord& r) {
  return r.Tag + "," + winplat::Str(r.X1) + "," + winplat::Str(r.X2) + "," + winplat::Str(r.Y1) + "," +
         winplat::Str(r.Y2) + ";";
}

std::vector<MarkerRecord> SplitMarkerSet(std::string_view text) {
  std::vector<MarkerRecord> records;
  const std::string trimmed = winplat::Trim(text);
  const std::vector<std::string_view> parts = Fields(trimmed, ';');
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const std::vector<std::string_view> fields = Fields(parts[k], ',');
    // The part after the last ";" is a record only when it is whole.
    if (k + 1 == parts.size() && fields.size() < 5) break;
    records.push_back(ReadRecord(fields));
  }
  return records;
}

MarkerEditor::MarkerEditor(engine::Engine& engine, MainForm& main, winplat::SpreadGrid& markerData,
                           const std::int32_t& markerResolution)
    : e_(engine), main_(main), grid_(markerData), resolution_(markerResolution) {
  main_.BtnLine.OnClick([this](int index) { BtnLine_Click(index); });
  main_.MWDel.Click = [this] { MWDel_Click(); };
  main_.MWClr.Click = [this] { MWClr_Click(); };
  main_.BtnStMkr.Click = [this] { BtnStMkr_Click(); };
  main_.MarkerWin.MouseDown = [this](int b, int s, float x, float y) { MarkerWin_MouseDown(b, s, x, y); };
  main_.MarkerWin.MouseMove = [this](int b, int s, float x, float y) { MarkerWin_MouseMove(b, s, x, y); };
  main_.MarkerWin.MouseUp = [this](int b, int s, float x, float y) { MarkerWin_MouseUp(b, s, x, y); };
  main_.XPos.Change = [this] { Nudge(main_.XPos, PrevXPos, true, true); };
  main_.YPos.Change = [this] { Nudge(main_.YPos, PrevYPos, false, true); };
  main_.X2Move.Change = [this] { Nudge(main_.X2Move, PrevX2Move, true, false); };
  main_.Y2Move.Change = [this] { Nudge(main_.Y2Move, PrevY2Move, false, false); };
  grid_.OnClick = [this](std::int32_t col, std::int32_t row) { MarkerData_Click(col, row); };
  grid_.OnKeyDown = [this](std::int16_t key) { MarkerData_KeyDown(key); };
  grid_.OnChange = [this] { MarkerData_Change(); };
}

void MarkerEditor::LoadLine(double angle) {
  try {
    wc::LineControl& line = main_.MLine.Load(main_.MLine.UBound() + 1);
    line.SetVisible(true);
    line.SetTag("L");
    line.SetX1(200);
    line.SetY1(200);
    line.SetX2(static_cast<float>(300 * toolpath::CosDeg(angle) + line.X1()));
    line.SetY2(static_cast<float>(300 * toolpath::SinDeg(angle) + line.Y1()));
  } catch (const wc::ControlError&) {
    // A line that cannot be made is left out.
  }
}

void MarkerEditor::LoadRect() {
  try {
    wc::ShapeControl& rect = main_.MRec.Load(main_.MRec.UBound() + 1);
    rect.SetVisible(true);
    rect.SetTag("R");
    rect.Move(100, 100, 200, 200);
  } catch (const wc::ControlError&) {
    // A rectangle that cannot be made is left out.
  }
}

void MarkerEditor::LoadCross() { LoadLine(0); }

std::int32_t MarkerEditor::ControlType(wc::Control& control) {
  MarkerControl = &control;
  if (control.Tag() == "L") return 1;
  if (control.Tag() == "R") return 2;
  return 0;
}

void MarkerEditor::ShowMarkers() {
  ProgramState& s = e_.State;
  BeginSketchFrame(e_);
  auto add = [this](float x, float y, std::int32_t colour, std::int32_t hold) {
    PointStruct p{};
    p.X = Round32(x * kProjectionScale);
    p.Y = Round32(y * kProjectionScale);
    p.Colour = colour;
    engine::AddPoint(e_, p, hold);
  };
  // Hidden lines (Del) are projected too: Del only takes a line off the sketch.
  for (const auto& [index, line] : main_.MLine.Elements()) {
    if (index < 1) continue;
    add(line->X1(), line->Y1(), 0, kDarkHold);
    add(line->X1(), line->Y1(), s.CurrentColor, s.HoldStart);
    add(line->X2(), line->Y2(), s.CurrentColor, s.HoldEnd);
    add(line->X2(), line->Y2(), 0, kDarkHold);
  }
  if (s.PointCount > 0) {
    const FieldCalibrationEntry& fieldS = s.FieldCalibration[1];
    e_.Vx.SetWorkingScale(0, fieldS.XScale, engine::ScaleBound(-std::int64_t{fieldS.YScale}), 0, 0, 0);
  }
  ShowSketchFrame(e_, "Markers", 1);
}

void MarkerEditor::StoreMarkers() {
  const std::int32_t row = grid_.ActiveRow();
  if (row < 1) return;  // never into the headings
  std::string text;
  for (const auto& [index, line] : main_.MLine.Elements()) {
    if (index < 1 || !line->Visible()) continue;
    text += MarkerRecordText({line->Tag(), line->X1(), line->X2(), line->Y1(), line->Y2()});
  }
  SetGridCell(grid_, row, kSetColumn, text);
}

void MarkerEditor::ReturnMarkers() {
  if (main_.Merge.Value() == wc::vbUnchecked) UnloadLines();
  main_.Merge.SetValue(wc::vbUnchecked);
  const std::string text = GetGridCell(grid_, grid_.ActiveRow(), kSetColumn);
  for (const MarkerRecord& r : SplitMarkerSet(text)) {
    const int before = main_.MLine.UBound();
    LoadLine(0);
    if (main_.MLine.UBound() == before) continue;
    wc::LineControl& line = main_.MLine(main_.MLine.UBound());
    line.SetTag(r.Tag);
    line.SetX1(r.X1);
    line.SetX2(r.X2);
    line.SetY1(r.Y1);
    line.SetY2(r.Y2);
  }
}

wc::LineControl* MarkerEditor::Selected() const {
  const std::int32_t i = e_.State.SelectedMarker;
  if (i < 1 || !main_.MLine.Exists(i)) return nullptr;
  wc::LineControl& line = main_.MLine(i);
  return line.Visible() ? &line : nullptr;
}

void MarkerEditor::SetSelection(std::int32_t index) {
  e_.State.SelectedMarker = index;
  for (const auto& [i, line] : main_.MLine.Elements()) {
    if (i < 1) continue;
    ControlType(*line);
    line->SetBorderColor(i == index ? SelectedLineColour : LineColour);
  }
  for (wc::Control* c :
       std::initializer_list<wc::Control*>{&main_.XPos, &main_.YPos, &main_.X2Move, &main_.Y2Move, &main_.MWDel})
    c->SetEnabled(index >= 1);
}

void MarkerEditor::UnloadLines() {
  while (main_.MLine.UBound() >= 1) main_.MLine.Unload(main_.MLine.UBound());
  SetSelection(0);
}

void MarkerEditor::BtnLine_Click(int index) {
  switch (index) {
    case 0:
      LoadLine(90);
      break;
    case 1:
      LoadLine(0);
      break;
    case 2:
      LoadRect();
      break;
    case 3:
      LoadCross();
      break;
    default:
      break;
  }
}

void MarkerEditor::MWDel_Click() {
  wc::LineControl* line = Selected();
  if (!line) return;
  line->SetVisible(false);
  SetSelection(0);
  ShowMarkers();
}

void MarkerEditor::MWClr_Click() {
  UnloadLines();
  ShowMarkers();
}

void MarkerEditor::BtnStMkr_Click() {
  StoreMarkers();
  SaveGridFile(e_, grid_, "Marker.Dat");
}

void MarkerEditor::MarkerWin_MouseDown(int, int, float x, float y) {
  ProgramState& s = e_.State;
  s.SelectedMarker = 0;
  for (wc::ScrollBar* bar : {&main_.XPos, &main_.YPos, &main_.X2Move, &main_.Y2Move}) bar->SetValue(0);
  const std::int32_t hit = FirstLineHit(main_.MLine, x, y);
  if (hit >= 1) {
    const wc::LineControl& line = main_.MLine(hit);
    s.MarkerGrabX = x - line.X1();
    s.MarkerGrabY = y - line.Y1();
  }
  SetSelection(hit);
}

void MarkerEditor::MarkerWin_MouseMove(int button, int, float x, float y) {
  if (button != wc::vbLeftButton) return;
  if (!InDragBand(x, y, static_cast<float>(main_.MarkerWin.Width()), static_cast<float>(main_.MarkerWin.Height())))
    return;
  wc::LineControl* line = Selected();
  if (!line || ControlType(*line) != 1) return;
  const ProgramState& s = e_.State;
  const float dx = line->X2() - line->X1();
  const float dy = line->Y2() - line->Y1();
  line->SetX1(x - s.MarkerGrabX);
  line->SetX2(line->X1() + dx);
  line->SetY1(y - s.MarkerGrabY);
  line->SetY2(line->Y1() + dy);
  drag_.Move([this] { ShowMarkers(); });
}

void MarkerEditor::MarkerWin_MouseUp(int, int, float, float) { ShowMarkers(); }

void MarkerEditor::Nudge(wc::ScrollBar& bar, std::int16_t& previous, bool alongX, bool bothEnds) {
  const std::int16_t value = bar.Value();
  if (wc::LineControl* line = Selected()) {
    const auto step = static_cast<float>(NudgeStep(previous, value, resolution_));
    if (alongX) {
      if (bothEnds) line->SetX1(line->X1() + step);
      line->SetX2(line->X2() + step);
    } else {
      if (bothEnds) line->SetY1(line->Y1() + step);
      line->SetY2(line->Y2() + step);
    }
  }
  previous = value;
  ShowMarkers();
}

void MarkerEditor::MarkerData_Click(std::int32_t, std::int32_t) {
  int answer = winplat::IDNO;
  if (main_.Merge.Value() != wc::vbChecked && main_.MLine.UBound() >= 1)
    answer = winplat::MessageBox(main_.hWnd(), "Do you wish to Merge Markers?", "Alert", winplat::MB_YESNOCANCEL);
  if (answer == winplat::IDCANCEL) return;
  if (answer == winplat::IDYES) main_.Merge.SetValue(wc::vbChecked);
  ReturnMarkers();
  ShowMarkers();
}

void MarkerEditor::MarkerData_KeyDown(std::int16_t keyCode) {
  if (keyCode != kKeyUp && keyCode != kKeyDown) return;
  ReturnMarkers();
  ShowMarkers();
}

void MarkerEditor::MarkerData_Change() { SaveGridFile(e_, grid_, "Marker.Dat"); }

}  // namespace fieldray::console
