// Set-up crosses: picking, dragging, nudging, projecting and applying.
#include "console/setup_points.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "console/alignment_points.h"
#include "console/option_handlers.h"
#include "engine/field_calibration.h"
#include "engine/point_list.h"
#include "engine/settings_file.h"
#include "job/grid_cells.h"
#include "winplat/msgbox.h"

namespace fieldray::console {
namespace {

constexpr std::int32_t kReachColumn = 3;
constexpr std::int32_t kNodeColumn = 4;
constexpr std::int32_t kNodeRowColumn = 5;
constexpr std::int32_t kNodeSpacing = 1024;
constexpr std::int32_t kRangeLow = -32768;
constexpr std::int32_t kRangeHigh = 32767;
// The point rate the cross is traced at.
constexpr std::int32_t kCrossRate = 12000;
// Half the projected arms, and half the arms of a dragged cross, in twips.
constexpr std::int32_t kArm = 50;
// Distances of the set-up window's hit test are held to 16 bits.
constexpr std::int32_t kDistanceHold = 32767;

// The part of a node spacing below the value, in -1023..0.
std::int32_t BelowNode(std::int32_t v) {
  std::int32_t r = v % kNodeSpacing;
  return r > 0 ? r - kNodeSpacing : r;
}

std::int32_t HeldToRange(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, kRangeLow, kRangeHigh));
}

}  // namespace

NodeSnap::NodeSnap(double side, std::int32_t x, std::int32_t y) : k_(65535.0 / side) {
  rx_ = BelowNode(Round32(x * k_ - 32768));
  ry_ = BelowNode(Round32(32768 - y * k_));
}

std::int32_t NodeSnap::X(double px) const { return HeldToRange(std::int64_t{Round32(px * k_ - 32768)} - rx_); }

std::int32_t NodeSnap::Y(double py) const { return HeldToRange(std::int64_t{Round32(32768 - py * k_)} - ry_); }

std::int32_t NodeSnap::Node(std::int32_t v) { return ((v == kRangeHigh ? 32768 : v) + 32768) / kNodeSpacing; }

SetupPoints::SetupPoints(engine::Engine& engine, MainForm& main, winplat::SpreadGrid& setupData)
    : e_(engine), main_(main), grid_(setupData) {
  main_.SetupWin.MouseDown = [this](int b, int s, float x, float y) { SetupWin_MouseDown(b, s, x, y); };
  main_.SetupWin.MouseMove = [this](int b, int s, float x, float y) { SetupWin_MouseMove(b, s, x, y); };
  main_.SetupWin.MouseUp = [this](int b, int s, float x, float y) { SetupWin_MouseUp(b, s, x, y); };
  main_.SetXPos.Change = [this] { SetXPos_Change(); };
  main_.SetYPos.Change = [this] { SetYPos_Change(); };
  main_.BtnCross.Click = [this] { BtnCross_Click(); };
  main_.DelPt.Click = [this] { DelPt_Click(); };
  main_.StartSetupCmd.Click = [this] { StartSetupCmd_Click(); };
  grid_.OnRowSelected = [this](std::int32_t row) { SetupData_RowSelected(row); };
}

bool SetupPoints::CrossSelected() const {
  const std::int32_t s = e_.State.SelectedSetupPoint;
  return s >= 1 && main_.SetLineX.Exists(s) && main_.SetLineY.Exists(s);
}

std::int32_t SetupPoints::ControlType2(std::int32_t index) {
  CrossLineV = &main_.SetLineY(index);
  CrossLineH = &main_.SetLineX(index);
  return 1;
}

void SetupPoints::ShowSetCross() {
  ProgramState& s = e_.State;
  BeginSketchFrame(e_);
  const double side = main_.SetupWin.Width();

  std::int32_t skew = 0;
  if (BlankingSkew(kCrossRate, main_.BlnkTm.Text(), skew)) {
    std::int32_t sent1 = 0, sent2 = 0, sent3 = 0;
    e_.Vx.DisplayFreq3(kCrossRate, kCrossRate, kCrossRate, &sent1, &sent2, &sent3);
    e_.Vx.DisplaySkew(4, skew, 0);
  }
  e_.Vx.SetWorkingScale(kRangeLow, kRangeHigh, kRangeLow, kRangeHigh, 0, 0);
  e_.Vx.DisplayPostTrans(0, 0, 0);

  if (CrossSelected()) {
    const std::int32_t sel = s.SelectedSetupPoint;
    const std::int32_t x = Round32(main_.SetLineY(sel).X1());
    const std::int32_t y = Round32(main_.SetLineX(sel).Y1());
    const NodeSnap snap(side, x, y);
    std::int32_t lastX = 0, lastY = 0;
    auto add = [&](double px, double py, std::int32_t colour) {
      PointStruct p{};
      p.X = lastX = snap.X(px);
      p.Y = lastY = snap.Y(py);
      p.Colour = colour;
      for (int copy = 0; copy < 2 && s.PointCount < engine::MaxAssemblyPoints; ++copy) {
        s.AssemblyPoints.push_back(p);
        ++s.PointCount;
      }
    };
    // The vertical arm from its top end, then the horizontal arm from its left.
    add(x, y - kArm, 0);
    add(x, y - kArm, s.CurrentColor);
    add(x, y + kArm, s.CurrentColor);
    add(x, y + kArm, 0);
    SetGridCell(grid_, sel, kNodeColumn, std::to_string(NodeSnap::Node(lastX)));
    add(x - kArm, y, 0);
    add(x - kArm, y, s.CurrentColor);
    add(x + kArm, y, s.CurrentColor);
    add(x + kArm, y, 0);
    SetGridCell(grid_, sel, kNodeRowColumn, std::to_string(NodeSnap::Node(lastY)));
  }
  ShowSketchFrame(e_, "Cal Points", 2);
}

void SetupPoints::ColourCrosses(std::int32_t selected) {
  for (const auto& [m, vertical] : main_.SetLineY.Elements()) {
    if (m < 1 || !main_.SetLineX.Exists(m)) continue;
    ControlType2(m);
    const winplat::COLORREF colour = m == selected ? SelectedLineColour : LineColour;
    CrossLineV->SetBorderColor(colour);
    CrossLineH->SetBorderColor(colour);
  }
}

void SetupPoints::EnableNudging(bool on) {
  for (wc::Control* c : std::initializer_list<wc::Control*>{&main_.SetXPos, &main_.SetYPos, &main_.DelPt})
    c->SetEnabled(on);
}

void SetupPoints::SetupData_RowSelected(std::int32_t newRow) {
  if (newRow < 1) return;
  e_.State.SelectedSetupPoint = newRow;
  ShowSetCross();
  ColourCrosses(newRow);
}

void SetupPoints::SetupWin_MouseDown(int, int, float x, float y) {
  ProgramState& s = e_.State;
  s.SelectedSetupPoint = 0;
  main_.SetXPos.SetValue(0);
  main_.SetYPos.SetValue(0);
  std::int32_t hit = 0;
  for (const auto& [k, vertical] : main_.SetLineY.Elements()) {
    if (k < 1 || !main_.SetLineX.Exists(k)) continue;
    const wc::LineControl& horizontal = main_.SetLineX(k);
    if ((vertical->Visible() && LineHit(*vertical, x, y, kDistanceHold)) ||
        (horizontal.Visible() && LineHit(horizontal, x, y, kDistanceHold))) {
      hit = k;
      break;
    }
  }
  if (hit < 1) {
    EnableNudging(false);
    ColourCrosses(0);
    return;
  }
  s.SelectedSetupPoint = hit;
  ColourCrosses(hit);
  EnableNudging(true);
  // The point's reach becomes the active cell; the grid reports the row.
  grid_.SetRow(hit);
  grid_.SetCol(kReachColumn);
  grid_.SetAction(winplat::GridActionActiveCell);
}

void SetupPoints::SetupWin_MouseMove(int button, int, float x, float y) {
  if (button != wc::vbLeftButton) return;
  const float width = static_cast<float>(main_.SetupWin.Width());
  if (!InDragBand(x, y, width, static_cast<float>(main_.SetupWin.Height()))) return;
  // The pointer snaps down to a whole drag cell.
  const std::int32_t cell = Round32(width) / 64 + 1;
  const auto xs = static_cast<float>(cell * (Round32(x) / cell));
  const auto ys = static_cast<float>(cell * (Round32(y) / cell));
  if (CrossSelected()) {
    ControlType2(e_.State.SelectedSetupPoint);
    CrossLineV->SetX1(xs);
    CrossLineV->SetX2(xs);
    CrossLineV->SetY1(ys - kArm);
    CrossLineV->SetY2(ys + kArm);
    CrossLineH->SetX1(xs - kArm);
    CrossLineH->SetX2(xs + kArm);
    CrossLineH->SetY1(ys);
    CrossLineH->SetY2(ys);
  }
  drag_.Move([this] { ShowSetCross(); });
}

void SetupPoints::SetupWin_MouseUp(int, int, float, float) { ShowSetCross(); }

void SetupPoints::Nudge(wc::ScrollBar& bar, std::int16_t& last, std::int32_t cell, bool alongX) {
  const std::int16_t value = bar.Value();
  if (CrossSelected()) {
    const auto step = static_cast<float>(NudgeStep(last, value, cell));
    ControlType2(e_.State.SelectedSetupPoint);
    for (wc::LineControl* line : {CrossLineV, CrossLineH}) {
      if (alongX) {
        line->SetX1(line->X1() + step);
        line->SetX2(line->X2() + step);
      } else {
        line->SetY1(line->Y1() + step);
        line->SetY2(line->Y2() + step);
      }
    }
  }
  last = value;
  ShowSetCross();
}

void SetupPoints::SetXPos_Change() { Nudge(main_.SetXPos, LastSetXPos, Round32(main_.SetupWin.Width()) / 64, true); }

void SetupPoints::SetYPos_Change() { Nudge(main_.SetYPos, LastSetYPos, Round32(main_.SetupWin.Height()) / 65, false); }

void SetupPoints::BtnCross_Click() {
  constexpr float kCentreX = 300, kCentreY = 200, kNewArm = 100;
  // The new cross takes its row at once, so the list of points has no gap.
  if (const std::int32_t k = LoadSetupCross(main_, kCentreX, kCentreY, kNewArm)) {
    const NodeSnap snap(main_.SetupWin.Width(), Round32(kCentreX), Round32(kCentreY));
    SetGridCell(grid_, k, kNodeColumn, std::to_string(NodeSnap::Node(snap.X(kCentreX))));
    SetGridCell(grid_, k, kNodeRowColumn, std::to_string(NodeSnap::Node(snap.Y(kCentreY))));
  }
  ShowSetCross();
}

void SetupPoints::DelPt_Click() {
  if (winplat::MessageBox(main_.hWnd(), "Are you sure you wish to DELETE this point?", "Warning", winplat::MB_YESNO) !=
      winplat::IDYES)
    return;
  ProgramState& s = e_.State;
  if (s.SelectedSetupPoint >= 1) {
    grid_.SetRow(s.SelectedSetupPoint);
    grid_.SetAction(winplat::GridActionDeleteRow);
    PlacePoints(main_, grid_);
  }
  // The deleted point's index would name the next one: nothing stays selected.
  s.SelectedSetupPoint = 0;
  EnableNudging(false);
  ShowSetCross();
}

void SetupPoints::StartSetupCmd_Click() {
  const std::string outside = ApplyPA(e_, grid_);
  if (!outside.empty()) e_.Console.SetMsg(outside);
  SaveGridFile(e_, grid_, "PtAlgn.Dat");
}

}  // namespace fieldray::console
