// Drawings opened through the real view control and projected by the real
// device library on the emulated boards: the switch frame, frame 14, the
// display frame, the scan-rate label and the scanners' picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>

#include "board_machine.h"
#include "engine/drawing_import.h"
#include "engine/field_calibration.h"
#include "engine/frame_assembly.h"
#include "engine/path_points.h"
#include "engine/point_list.h"
#include "engine/projection_output.h"
#include "engine/status_reporter.h"
#include "engine/tests/control_host.h"
#include "engine/tests/dxf_text.h"
#include "engine/tests/engine_fakes.h"
#include "job/grid_cells.h"
#include "test_support.h"
#include "toolpath/expressions.h"
#include "winplat/clock.h"
#include "winplat/hw/projection.h"
#include "winplat/msgbox.h"
#include "winplat/numeric.h"

namespace fieldray::engine {
namespace {

namespace fs = std::filesystem;
using enginetest::DxfText;

class DrawingOnBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    enginetest::ResetBoardMachine();
    if (HasFatalFailure()) return;
    toolpath::ConnectEval(eval, state);
    console.StandardOutput();
    console.optFld = {{1, true}};
    for (std::int16_t i = 1; i <= 6; ++i) console.prjPos[i] = i == 1;
    // Switch position 1 keeps every path point at the sheet's depth or deeper.
    console.swOpt.SetMaxCols(1);
    SetGridCell(console.swOpt, 4, 1, "1");
    SetGridCell(console.swOpt, 5, 1, "1");
    state.FieldCalibration[1].XScale = 8000;
    state.FieldCalibration[1].YScale = 6000;
    state.HoldStart = 1;
    state.HoldVertex = 1;
    state.HoldEnd = 1;
    e.Builders.BuildPointsFromPath = BuildPointsFromPath;
    e.Builders.DensifyFramePoints = DensifyFramePoints;
    StartSession(e);
    ASSERT_EQ(state.VXStatus, 0) << vx.LastBindingError();
  }
  void TearDown() override { winplat::SetClock(nullptr); }

  void Open(const std::string& name, const DxfText& drawing) {
    testsupport::WriteFile(testsupport::Root() / "C" / "JOBS" / name, drawing.Str());
    std::string path = "C:\\JOBS\\" + name;
    // As the file selection does before it opens a file.
    std::int16_t field = 1;
    ApplyFieldScale(e, field);
    vx.DeleteFrames(1, 15);
    OpenDrawingFile(e, control.Host(), interp, path);
  }

  std::vector<PointStruct> BoardFrame(std::int32_t n) {
    vx.SetWorkingFrame(n);
    ReadWorkingFrame(e);
    std::vector<PointStruct> out(state.FrameBuffer.begin() + 1, state.FrameBuffer.end());
    state.FrameBuffer.assign(1, PointStruct{});
    return out;
  }
  std::string FrameName(std::int32_t n) {
    FrameStruct header{};
    vx.ReadFrameStruct(n, &header);
    return std::string(header.Name, 3);
  }

  winplat::ManualClock clock;
  ProgramState state;
  Vexlib vx{enginetest::BoardLibrary()};
  enginetest::FakeConsole console;
  int exits = 0;
  Engine e{state, vx, console, [this] { ++exits; }};
  winplat::MessageBoxScript boxes;
  enginetest::ControlHost control;
  winplat::TextScanner awk, parser, eval;
  winplat::SpreadGrid toolDat{40, 6};
  toolpath::ToolpathContext ctx{state, awk, parser, eval, toolDat};
  toolpath::GcodeInterpreter interp{ctx};
};

// Lit points of a frame as (x, y) board coordinates.
std::set<std::pair<std::int32_t, std::int32_t>> LitPoints(const std::vector<PointStruct>& frame) {
  std::set<std::pair<std::int32_t, std::int32_t>> out;
  for (const PointStruct& p : frame)
    if (p.Colour > 0) out.insert({p.X, p.Y});
  return out;
}

TEST_F(DrawingOnBoard, AnLShapeInOneQuadrantIsProjectedWhereItLies) {
  state.OriginX = 40;  // left by an earlier part program: a drawing has no origin
  state.OriginY = -25;
  Open("ANGLE.DXF", DxfText().Line(0, 0, 1200, 0).Line(1200, 0, 1200, 600));
  ASSERT_EQ(state.PathElements.size(), 5u) << console.msg;

  // Board units are 5 per drawing unit, and the board's y is the drawing's.
  for (std::int32_t n : {1, 14}) {
    SCOPED_TRACE("frame " + std::to_string(n));
    const auto lit = LitPoints(BoardFrame(n));
    ASSERT_FALSE(lit.empty());
    for (auto corner : {std::pair{0, 0}, std::pair{6000, 0}, std::pair{6000, 3000}}) {
      EXPECT_TRUE(lit.count(corner)) << corner.first << "," << corner.second;
    }
    for (auto [x, y] : lit) {
      EXPECT_TRUE((y == 0 && x >= 0 && x <= 6000) || (x == 6000 && y >= 0 && y <= 3000)) << x << "," << y;
    }
  }
  EXPECT_EQ(FrameName(14), "DXF");

  // The display frame holds frame 14, and the label tells its size.
  const auto frame14 = BoardFrame(14);
  const auto frame15 = BoardFrame(DisplayFrameNumber);
  ASSERT_EQ(frame15.size(), frame14.size());
  EXPECT_EQ(LitPoints(frame15), LitPoints(frame14));
  EXPECT_EQ(console.labStat.rfind(winplat::Str(static_cast<std::int32_t>(frame15.size())) + " ", 0), 0u)
      << console.labStat;
  EXPECT_EQ(state.EngineBusy, 0);

  // The scanners trace the L where field S's window puts it: frame x -200 to
  // 16000 and y -6000 to 6000 span the whole range (512 pixels here). The
  // frame runs in a loop, so the move back to its first point shows too.
  const winplat::Picture picture = winplat::hw::ProjectionPicture(0, 512);
  ASSERT_EQ(picture.width, 512);
  EXPECT_TRUE(winplat::SavePicturePng(picture, testsupport::PictureFolder() / "board-angle.png"));
  const double left = 200.0 / 16200 * 512, right = 6200.0 / 16200 * 512, top = 256 - 3000.0 / 12000 * 512;
  int bottomEdge = 0, rightEdge = 0, outside = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (!winplat::hw::LitProjectionPixel(picture.At(x, y))) continue;
      if (std::abs(y - 255) <= 1 && x > left + 3 && x < right - 3) ++bottomEdge;
      if (std::abs(x - right) <= 2 && y > top + 3 && y < 252) ++rightEdge;
      if (x < left - 2 || x > right + 2 || y < top - 2 || y > 258) ++outside;
    }
  }
  EXPECT_GT(bottomEdge, 170);
  EXPECT_GT(rightEdge, 115);
  EXPECT_EQ(outside, 0);
}

TEST_F(DrawingOnBoard, BulgedPolylinesAreTracedOnTheirCircles) {
  // A half circle below the chord from (0, 0) to (400, 0), and a clockwise arc
  // of more than half a turn from (400, 0) to (600, 0) above it.
  Open("BULGE.DXF", DxfText().Polyline({{0, 0, 1}, {400, 0, -2}, {600, 0, 0}}));
  ASSERT_EQ(state.PathElements.size(), 4u) << console.msg;
  const auto lit = LitPoints(BoardFrame(14));
  ASSERT_GT(lit.size(), 20u);
  int first = 0, second = 0;
  for (auto [bx, by] : lit) {
    const double x = bx / 5.0, y = by / 5.0;
    if (x <= 400 && y <= 0.5 && std::fabs(std::hypot(x - 200, y) - 200) < 3) {
      ++first;
    } else if (x >= 375 && std::fabs(std::hypot(x - 500, y - 75) - 125) < 3) {
      ++second;  // bulge -2 over a chord of 200: radius 125, centre 75 above
    } else {
      ADD_FAILURE() << "point off both arcs: " << x << "," << y;
    }
  }
  EXPECT_GT(first, 10);
  EXPECT_GT(second, 10);
}

TEST_F(DrawingOnBoard, AnInchDrawingIsProjectedAtItsMillimetreSize) {
  Open("INCH.DXF", DxfText().Line(0, 0, 4, 2));
  const auto lit = LitPoints(BoardFrame(14));
  EXPECT_TRUE(lit.count({0, 0}));
  // 101.6 by 50.8 millimetres, in whole drawing units of 5 board units each.
  EXPECT_TRUE(lit.count({510, 255})) << testing::PrintToString(lit);
}

}  // namespace
}  // namespace fieldray::engine
