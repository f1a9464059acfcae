// Path elements into laser points: holds, dark jumps, arcs, marks and classes.
#include <gtest/gtest.h>

#include "engine/frame_assembly.h"
#include "engine/path_points.h"
#include "engine_fakes.h"
#include "job/grid_cells.h"
#include "test_support.h"

namespace fieldray::engine {
namespace {

constexpr std::int32_t White = 0xFFFFFF;

class PathPoints : public ::testing::Test {
 protected:
  PathPoints() {
    s.HoldStart = 2;
    s.HoldVertex = 1;
    s.HoldEnd = 3;
    rig.console.swOpt.SetMaxCols(0);  // no frames unless a test asks for them
  }
  PathElement& Add(std::int32_t code, double x, double y, double z = 0) {
    PathElement& el = AppendPathElement(s.PathElements);
    el.MoveCode = code;
    el.EndX = x;
    el.EndY = y;
    el.ZDepth = z;
    return el;
  }
  PathElement& Arc(std::int32_t code, double x, double y, double cx, double cy, double z = 0) {
    PathElement& el = Add(code, x, y, z);
    el.CentreX = cx;
    el.CentreY = cy;
    return el;
  }
  PathElement& Mark(std::int16_t cycle, double cx, double cy, double d, double z = 0) {
    PathElement& el = Add(0, 0, 0, z);
    el.CycleCode = cycle;
    el.CentreX = cx;
    el.CentreY = cy;
    el.ArcDiameter = d;
    return el;
  }
  const PointStruct& P(int i) const { return s.AssemblyPoints.at(static_cast<std::size_t>(i)); }
  // Expects points i..i+n-1 at drawing (x, y) with colour and F.
  void ExpectRun(int i, int n, std::int32_t x, std::int32_t y, std::int32_t colour, std::int32_t f = 0) {
    for (int k = i; k < i + n; ++k) {
      SCOPED_TRACE("point " + std::to_string(k));
      EXPECT_EQ(P(k).X, 5 * x);
      EXPECT_EQ(P(k).Y, -5 * y);
      EXPECT_EQ(P(k).Colour, colour);
      EXPECT_EQ(P(k).F, f);
    }
  }

  enginetest::EngineRig rig;
  ProgramState& s = rig.state;
};

TEST_F(PathPoints, OneLineHoldsItsStartAndEndsDark) {
  Add(88, 0, 0);
  Add(1, 10, 0);
  BuildPointsFromPath(rig.e);
  ASSERT_EQ(s.PointCount, 8);
  ExpectRun(1, 2, 0, 0, White);
  ExpectRun(3, 1, 10, 0, White);
  ExpectRun(4, 5, 10, 0, 0);
  EXPECT_EQ(P(1).Value7, 3010);
  EXPECT_EQ(s.CurrentColor, White);
  // A grid without columns writes nothing and says so.
  EXPECT_EQ(rig.console.msg, "No switch positions in SSOptSw: no frames written.");
  EXPECT_TRUE(rig.board.CallsNamed("WriteFrame").empty());
}

TEST_F(PathPoints, FramesAreBuiltForSwitchPositionsOneToSixOnly) {
  // A switch-option file of 14 columns: its later columns must not overwrite
  // the caption, drawing and calibration frames.
  testsupport::WriteFile(testsupport::Root() / "C" / "TEMP" / "SWPOS.DAT",
                         "FIELDRAY-GRID 1 DATA\nSIZE 8 14\nCELL 4 1 1\nCELL 5 1 1\nCELL 4 14 1\nCELL 5 14 1\nEND\n");
  ASSERT_TRUE(rig.console.swOpt.LoadFromFile("C:\\TEMP\\SWPOS.DAT"));
  ASSERT_EQ(rig.console.swOpt.MaxCols(), 14);
  for (std::int32_t col = 2; col <= 13; ++col) {
    SetGridCell(rig.console.swOpt, 4, col, "1");
    SetGridCell(rig.console.swOpt, 5, col, "1");
  }
  Add(88, 0, 0);
  Add(1, 10, 0);
  BuildPointsFromPath(rig.e);
  std::vector<std::int32_t> written;
  for (const auto& [frame, points] : rig.board.frames) written.push_back(frame);
  EXPECT_EQ(written, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(rig.console.swOpt.MaxCols(), 14) << "the grid keeps every column for its next save";

  const std::pair<std::int32_t, const char*> notes[] = {
      {0, ""}, {6, ""}, {7, "SWPOS.DAT has 7 switch positions; 6 are used"},
      {16384, "SWPOS.DAT has 16384 switch positions; 6 are used"}};
  for (const auto& [columns, note] : notes) EXPECT_EQ(SwitchPositionsNote(columns), note);
}

TEST_F(PathPoints, QuarterArcStepsThirtyDegreesAndHoldsItsEnd) {
  Add(88, 50, 0);
  Arc(2, 0, 50, 0, 0);
  s.HoldStart = 1;
  BuildPointsFromPath(rig.e);
  ASSERT_EQ(s.PointCount, 1 + 3 + 1 + 5);
  ExpectRun(2, 1, 50, 0, White);
  ExpectRun(3, 1, 43, 25, White);
  ExpectRun(4, 1, 25, 43, White);
  ExpectRun(5, 1, 0, 50, White);
}

TEST_F(PathPoints, ArcSweepFollowsItsCode) {
  // Start at 10 degrees, end at 350, radius 100 (25 steps of 14.4 degrees per turn).
  const double c10 = 98.48077530, s10 = 17.36481777;
  s.HoldStart = 1;
  Add(88, c10, s10);
  Arc(3, c10, -s10, 0, 0);
  BuildPointsFromPath(rig.e);
  // Clockwise through 0: about 20 degrees, one step and the end point.
  EXPECT_EQ(s.PointCount, 1 + 1 + 1 + 5);

  s.PathElements.resize(1);
  s.AssemblyPoints.resize(1);
  s.PointCount = 0;
  Add(88, c10, s10);
  Arc(2, c10, -s10, 0, 0);
  BuildPointsFromPath(rig.e);
  // Counter-clockwise through 180: 340 degrees in 24 steps.
  ASSERT_EQ(s.PointCount, 1 + 24 + 1 + 5);
  EXPECT_EQ(P(14).X, -500);  // half way round, at 180 degrees
  EXPECT_EQ(P(26).Y, 5 * 17);
}

TEST_F(PathPoints, HoleStepCountsFollowTheDiameter) {
  Mark(0, 0, 0, 100);
  BuildPointsFromPath(rig.e);
  // 12 steps plus one overlapping step, then the two dark jumps.
  ASSERT_EQ(s.PointCount, 13 + 5 + 5);
  ExpectRun(1, 1, 43, 25, White);
  ExpectRun(12, 1, 50, 0, White);
  ExpectRun(13, 1, 43, 25, White);
  ExpectRun(14, 10, 43, 25, 0);

  s.PathElements.resize(1);
  s.AssemblyPoints.resize(1);
  s.PointCount = 0;
  Mark(5, 0, 0, 20, -2.4);
  BuildPointsFromPath(rig.e);
  ASSERT_EQ(s.PointCount, 8 + 10);  // raised to 7 steps
  ExpectRun(7, 1, 10, 0, White, -2);
}

TEST_F(PathPoints, HoleOfDiameterZeroAddsOnlyDarkJumps) {
  Mark(0, 5, 5, 0);
  BuildPointsFromPath(rig.e);
  EXPECT_EQ(s.PointCount, 0);
  Add(88, 1, 1);
  Mark(0, 5, 5, 0);
  BuildPointsFromPath(rig.e);
  EXPECT_EQ(s.PointCount, 2 + 5 + 5 + 5);
}

TEST_F(PathPoints, DepthRampsEvenlyAndStopsAtTheTarget) {
  s.HoldStart = 1;
  // 0 to -4 over a closed arc of 4 steps... here a quarter of 3 steps.
  Add(88, 50, 0, 0);
  Arc(2, 0, 50, 0, 0, -4);
  BuildPointsFromPath(rig.e);
  EXPECT_EQ(P(2).F, 0);
  EXPECT_EQ(P(3).F, -1);  // -1.33
  EXPECT_EQ(P(4).F, -3);  // -2.67
  EXPECT_EQ(P(5).F, -4);

  // Same size at both ends, opposite signs: still a ramp.
  s.PathElements.resize(1);
  s.AssemblyPoints.resize(1);
  s.PointCount = 0;
  Add(88, 50, 0, -2);
  Arc(2, 0, 50, 0, 0, 2);
  BuildPointsFromPath(rig.e);
  EXPECT_EQ(P(2).F, -2);
  EXPECT_EQ(P(3).F, -1);
  EXPECT_EQ(P(4).F, 1);
  EXPECT_EQ(P(5).F, 2);

  // One sign: the ramp never passes the target.
  s.PathElements.resize(1);
  s.AssemblyPoints.resize(1);
  s.PointCount = 0;
  Add(88, 50, 0, -1);
  Arc(2, 50, 0, 0, 0, -4);  // closes on itself: 12 steps
  BuildPointsFromPath(rig.e);
  for (int i = 2; i <= 14; ++i) EXPECT_GE(P(i).F, -4) << i;
  EXPECT_EQ(P(13).F, -4);
}

TEST_F(PathPoints, EdgeNotchesHoldTheirInnerCornersLonger) {
  s.SheetHeight = 500;
  s.SheetLength = 800;
  Mark(1, 100, 30, 20, -5);
  BuildPointsFromPath(rig.e);
  ASSERT_EQ(s.PointCount, 2 + 4 + 4 + 3 + 5 + 5);
  ExpectRun(1, 2, 90, 0, White);
  ExpectRun(3, 4, 90, 30, White);
  ExpectRun(7, 4, 110, 30, White);
  ExpectRun(11, 3, 110, 0, White);
  ExpectRun(14, 10, 110, 0, 0);

  s.PathElements.resize(1);
  s.AssemblyPoints.resize(1);
  s.PointCount = 0;
  Mark(2, 100, 30, 20);
  Mark(4, 40, 200, 10);
  Mark(9, 40, 200, 10);  // no such mark: nothing more
  BuildPointsFromPath(rig.e);
  ExpectRun(1, 2, 90, 500, White);
  ExpectRun(3, 4, 90, 470, White);
  ExpectRun(11, 3, 110, 500, White);
  ExpectRun(14, 10, 110, 500, 0);  // its own dark jump and the next mark's
  ExpectRun(24, 2, 800, 195, White);
  ExpectRun(26, 4, 760, 195, White);
  ExpectRun(30, 4, 760, 205, White);
  ExpectRun(34, 3, 800, 205, White);
  // The unknown mark adds only its dark jump, then the final one.
  EXPECT_EQ(s.PointCount, 36 + 5 + 5 + 5);
}

TEST_F(PathPoints, MarkLinesAndTheOriginShift) {
  s.OriginX = 100;
  s.OriginY = 50;
  PathElement& h = Add(85, 60, 0, -3);
  h.CentreX = 10;
  h.CentreY = 20;
  PathElement& v = Add(86, 0, 80, 2);
  v.CentreX = 10;
  v.CentreY = 20;
  BuildPointsFromPath(rig.e);
  ASSERT_EQ(s.PointCount, 2 + 3 + 5 + 2 + 3 + 5 + 5);
  ExpectRun(1, 2, 110, 70, White, -3);
  ExpectRun(3, 3, 160, 70, White, -3);
  ExpectRun(6, 5, 160, 70, 0, -3);
  ExpectRun(11, 2, 110, 70, White, 2);
  ExpectRun(13, 3, 110, 130, White, 2);
  // The path keeps the shifted coordinates.
  EXPECT_EQ(s.PathElements[1].CentreX, 110);
  EXPECT_EQ(s.PathElements[1].EndX, 160);
  EXPECT_EQ(s.PathElements[2].EndY, 130);
  EXPECT_EQ(s.PathElements[0].CentreX, 100);
}

TEST(PathPointClass, TensFromTheSideUnitsFromTheUWord) {
  PathElement el;
  el.MoveCode = 1;
  el.CompSide = 1;
  el.UWord = 17;
  EXPECT_EQ(PathPointClass(el), 3027);
  el.MoveCode = 0;
  el.UWord = -3;
  EXPECT_EQ(PathPointClass(el), 3013);
  el.MoveCode = 88;
  el.CompSide = 0;
  el.UWord = 0;
  EXPECT_EQ(PathPointClass(el), 3010);
}

}  // namespace
}  // namespace fieldray::engine
