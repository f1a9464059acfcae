// The compensated copies appended behind the programmed path and drawn.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/frame_assembly.h"
#include "engine/path_points.h"
#include "engine_fakes.h"
#include "job/grid_cells.h"

namespace fieldray::engine {
namespace {

class OffsetPath : public ::testing::Test {
 protected:
  PathElement& Add(std::int32_t code, double x, double y, std::int16_t side) {
    PathElement& el = AppendPathElement(rig.state.PathElements);
    el.MoveCode = code;
    el.EndX = x;
    el.EndY = y;
    el.CompSide = side;
    el.CompRadius = 1;
    el.ZDepth = 3;
    return el;
  }
  // A 10 by 10 square; cycle 5 on its start asks for compensation.
  void Square(std::int16_t cycle) {
    Add(88, 0, 0, 1).CycleCode = cycle;
    Add(1, 10, 0, 1);
    Add(1, 10, 10, 1);
    Add(1, 0, 10, 1);
    Add(1, 0, 0, 1);
  }
  enginetest::EngineRig rig;
  ProgramState& s = rig.state;
};

TEST_F(OffsetPath, NothingCompensatedAppendsOneZeroElement) {
  Square(6);
  AppendOffsetPath(rig.e);
  ASSERT_EQ(s.PathElements.size(), 7u);
  EXPECT_EQ(s.PathElements[6].MoveCode, 0);
  EXPECT_NEAR(s.PathElements[6].EndX, 0, 1e-9);
  EXPECT_EQ(s.PathElements[6].ArcDiameter, 0);
}

TEST_F(OffsetPath, CompensatedSquareIsAppendedFromItsStartAndDrawn) {
  Square(5);
  AppendOffsetPath(rig.e);
  // Two copies of 8 elements (side 0 at distance 1, side 2 at distance 2),
  // each beginning with its own contour start.
  ASSERT_EQ(s.PathElements.size(), 6u + 16u);
  EXPECT_EQ(s.PathElements[6].MoveCode, 88);
  EXPECT_NEAR(s.PathElements[6].EndX, 0, 1e-9);
  EXPECT_NEAR(s.PathElements[6].EndY, -1, 1e-9);
  EXPECT_EQ(s.PathElements[6].CompSide, 0);
  EXPECT_EQ(s.PathElements[14].MoveCode, 88);
  EXPECT_NEAR(s.PathElements[14].EndY, -2, 1e-9);
  EXPECT_EQ(s.PathElements[14].CompSide, 2);

  s.HoldStart = 1;
  s.HoldVertex = 1;
  rig.console.swOpt.SetMaxCols(1);
  SetGridCell(rig.console.swOpt, 4, 1, "1");
  SetGridCell(rig.console.swOpt, 5, 1, "1");  // uncompensated class only: the side 0 copy
  BuildPointsFromPath(rig.e);

  // The copy's start is reached dark, not by a lit line from the square's end.
  const auto& pts = s.AssemblyPoints;
  const auto start = std::find_if(pts.begin(), pts.end(), [](const PointStruct& p) {
    return p.X == 0 && p.Y == 5 && p.Colour != 0;
  });
  ASSERT_NE(start, pts.end());
  EXPECT_EQ(start->Value7, 3010);
  EXPECT_EQ((start - 1)->Colour, 0);
  EXPECT_EQ((start - 1)->X, 0);
  EXPECT_EQ((start - 1)->Y, 0);

  ASSERT_EQ(rig.board.frames.count(1), 1u);
  const auto& frame = rig.board.frames.at(1).second;
  bool cornerArc = false;
  for (const PointStruct& p : frame) {
    if (p.Colour == 0) continue;
    EXPECT_EQ(p.Value7, 3010);
    EXPECT_EQ(p.F, 3);
    cornerArc = cornerArc || (p.X == 55 && p.Y == 0);  // the arc round (10, 0) ends at (11, 0)
  }
  EXPECT_TRUE(cornerArc);
}

}  // namespace
}  // namespace fieldray::engine
