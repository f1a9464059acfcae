#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "toolpath/offset_pass.h"
#include "toolpath/tests/offset_fixture.h"

using namespace fieldray;
using namespace fieldray::toolpath;

namespace {

const PathElement& Out(const RadiusOffset& ro, int i) { return ro.OffsetOutput.at(static_cast<std::size_t>(i)); }

PathBuilder Square(std::int16_t side) {
  PathBuilder b;
  b.side = side;
  b.Start(0, 0).Line(10, 0).Line(10, 10).Line(0, 10).Line(0, 0);
  return b;
}

}  // namespace

TEST(OffsetQueue, SideDeltaFollowsTheSignedOffsets) {
  RadiusOffset ro;
  ro.CurrentBlock.CompRadius = 0.5;
  ro.CurrentBlock.CompSide = 1;
  EXPECT_EQ(OffsetModeDelta(ro, 1), 0);
  EXPECT_EQ(ro.CurrentBlock.CompSide, 1);
  EXPECT_EQ(OffsetModeDelta(ro, 2), 1.0);
  EXPECT_EQ(OffsetModeDelta(ro, 0), -0.5);
  EXPECT_EQ(OffsetModeDelta(ro, 1), -0.5);
  EXPECT_EQ(OffsetModeDelta(ro, 0), 0.5);
  ro.CurrentBlock.CompSide = 7;
  EXPECT_EQ(OffsetModeDelta(ro, 2), 0);
  EXPECT_EQ(ro.CurrentBlock.CompSide, 2);
}

TEST(OffsetQueue, ReadsBackFromTheStartAndReportsTheEnd) {
  RadiusOffset ro;
  ro.CurrentBlock.ZDepth = 4;
  PutOffsetInput(ro, 88, 1, 2, 3, 0, 0, 0);
  PutOffsetInput(ro, 1, 5, 6, 7, 0, 0, 0);
  ro.CurrentBlock.ZDepth = 9;
  PutOffsetInput(ro, 3, 8, 9, 10, 11, 12, 13);
  ASSERT_EQ(ro.Queue.size(), 3u);
  EXPECT_EQ(ro.Queue[2].Block.ZDepth, 9);

  std::int16_t code = 88;
  OffsetValues v;
  GetOffsetInput(ro, code, v);
  EXPECT_EQ(code, 88);
  EXPECT_EQ(v.F2, 2);
  code = 0;
  GetOffsetInput(ro, code, v);
  GetOffsetInput(ro, code, v);
  EXPECT_EQ(code, 3);
  EXPECT_EQ(v.F6, 13);
  GetOffsetInput(ro, code, v);
  EXPECT_EQ(code, 99);
  EXPECT_EQ(v.F6, 13);

  // A new start empties the queue.
  PutOffsetInput(ro, 88, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(ro.Queue.size(), 1u);
}

TEST(OffsetQueue, OutputSwapsArcCodesAndTakesAttributesInOrder) {
  RadiusOffset ro;
  ro.CurrentBlock.UWord = 10;
  PutOffsetInput(ro, 88, 0, 0, 0, 0, 0, 0);
  ro.CurrentBlock.UWord = 11;
  PutOffsetInput(ro, 1, 0, 0, 0, 0, 0, 0);
  ro.DefaultBlock.UWord = 77;

  std::int32_t code = 0;
  AddOffsetElement(ro, code, 0, 1, 2, 0, 0, 0);
  EXPECT_EQ(code, 88);
  code = 2;
  AddOffsetElement(ro, code, 0, 3, 4, 5, 6, 1.5);
  EXPECT_EQ(code, 3);
  code = 3;
  AddOffsetElement(ro, code, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(code, 2);
  code = 1;
  AddOffsetElement(ro, code, 9999, 0, 0, 0, 0, 0);

  ASSERT_EQ(ro.OutputCount, 3);
  EXPECT_EQ(Out(ro, 0).UWord, 10);
  EXPECT_EQ(Out(ro, 1).UWord, 11);
  EXPECT_EQ(Out(ro, 1).MoveCode, 3);
  EXPECT_EQ(Out(ro, 1).ArcDiameter, 3.0);
  EXPECT_CENTRE(Out(ro, 1), 5, 6);
  EXPECT_EQ(Out(ro, 2).UWord, 11);  // past the end: the last queued element
  EXPECT_EQ(Out(ro, 3).UWord, 77);
}

TEST(OffsetPass, NothingCompensatedLeavesTheOneZeroElement) {
  PathBuilder b;
  b.Start(0, 0, 2).Line(10, 0).Line(10, 10);
  RadiusOffset ro;
  RadiusOffsetPass(ro, b.path);
  EXPECT_EQ(ro.OutputCount, -1);
  ASSERT_EQ(ro.OffsetOutput.size(), 1u);

  // Appended from index 0: the zero element lands behind the path.
  ProgramState state;
  state.PathElements = b.path;
  AppendOffsetPath(state, ro);
  ASSERT_EQ(state.PathElements.size(), 5u);
  EXPECT_EQ(state.PathElements[4].MoveCode, 0);
  EXPECT_EQ(state.PathElements[4].ArcDiameter, 0);
}

TEST(OffsetPass, OuterSquareGetsCornerArcsButNotAtItsStart) {
  RadiusOffset ro;
  RadiusOffsetPass(ro, Square(1).path);  // side 1, R 1: copies at +1 (side 0) and +2 (side 2)
  ASSERT_EQ(ro.OutputCount, 15);
  for (int k = 0; k < 2; ++k) {
    const double d = k + 1;
    const int o = 8 * k;
    EXPECT_EL(Out(ro, o + 0), 88, 0, -d);
    EXPECT_EL(Out(ro, o + 1), 1, 10, -d);
    EXPECT_EL(Out(ro, o + 2), 2, 10 + d, 0);
    EXPECT_CENTRE(Out(ro, o + 2), 10, 0);
    EXPECT_NEAR(Out(ro, o + 2).ArcDiameter, 2 * d, 1e-9);
    EXPECT_EL(Out(ro, o + 3), 1, 10 + d, 10);
    EXPECT_EL(Out(ro, o + 4), 2, 10, 10 + d);
    EXPECT_CENTRE(Out(ro, o + 4), 10, 10);
    EXPECT_EL(Out(ro, o + 5), 1, 0, 10 + d);
    EXPECT_EL(Out(ro, o + 6), 2, -d, 10);
    EXPECT_CENTRE(Out(ro, o + 6), 0, 10);
    EXPECT_EL(Out(ro, o + 7), 1, -d, 0);  // ends at the start corner, no arc
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(Out(ro, o + i).CompSide, k == 0 ? 0 : 2);
      EXPECT_EQ(Out(ro, o + i).ZDepth, 3);
    }
  }
}

TEST(OffsetPass, InnerSquareTrimsCornersAtTheirIntersections) {
  RadiusOffset ro;
  RadiusOffsetPass(ro, Square(2).path);  // side 2, R 1: copies at -1 (side 0) and -2 (side 1)
  ASSERT_EQ(ro.OutputCount, 9);
  for (int k = 0; k < 2; ++k) {
    const double d = k + 1;
    const int o = 5 * k;
    EXPECT_EL(Out(ro, o + 0), 88, d, d);
    EXPECT_EL(Out(ro, o + 1), 1, 10 - d, d);
    EXPECT_EL(Out(ro, o + 2), 1, 10 - d, 10 - d);
    EXPECT_EL(Out(ro, o + 3), 1, d, 10 - d);
    EXPECT_EL(Out(ro, o + 4), 1, d, d);
  }
}

TEST(OffsetPass, ContourOnSideZeroGoesBothWays) {
  RadiusOffset ro;
  RadiusOffsetPass(ro, Square(0).path);  // -1 (side 1, inside) then +1 (side 2, outside)
  ASSERT_EQ(ro.OutputCount, 4 + 8);
  EXPECT_EL(Out(ro, 0), 88, 1, 1);
  EXPECT_EL(Out(ro, 5), 88, 0, -1);
  EXPECT_EQ(Out(ro, 5).CompSide, 2);
}

TEST(OffsetPass, SmallTurnGetsNoCornerArc) {
  PathBuilder b;
  // A 2-degree outer bend (to the left, away from the copy) in an open line.
  const double bend = 2 * 3.141592653589793 / 180;
  b.Start(0, 0).Line(10, 0).Line(10 + 10 * std::cos(bend), 10 * std::sin(bend));
  RadiusOffset ro;
  RadiusOffsetPass(ro, b.path);
  // Side 0 copy: start, line to Q, line on; no arc between.
  EXPECT_EL(Out(ro, 0), 88, 0, -1);
  EXPECT_EL(Out(ro, 1), 1, 10, -1);
  EXPECT_EQ(Out(ro, 2).MoveCode, 1);
  EXPECT_EQ(Out(ro, 3).MoveCode, 88);
}

TEST(OffsetPass, SingleFullCircleIsOffsetLikeAnOuterContour) {
  PathBuilder b;
  b.Start(0, 0).Arc(2, 0, 0, 10, 0);  // counter-clockwise full circle about (10, 0)
  RadiusOffset ro;
  RadiusOffsetPass(ro, b.path);
  ASSERT_EQ(ro.OutputCount, 3);
  EXPECT_EL(Out(ro, 0), 88, -1, 0);
  EXPECT_EL(Out(ro, 1), 2, -1, 0);
  EXPECT_CENTRE(Out(ro, 1), 10, 0);
  EXPECT_NEAR(Out(ro, 1).ArcDiameter, 22, 1e-9);
  EXPECT_EL(Out(ro, 2), 88, -2, 0);
  EXPECT_NEAR(Out(ro, 3).ArcDiameter, 24, 1e-9);
}

TEST(OffsetPass, CollapsingArcIsDroppedAndItsNeighboursJoin) {
  PathBuilder b;
  b.side = 2;  // copy at -1: inside, where the fillet of 0.5 collapses
  b.Start(0, 0).Line(9.5, 0).Arc(2, 10, 0.5, 9.5, 0.5).Line(10, 10).Line(0, 10).Line(0, 0);
  RadiusOffset ro;
  RadiusOffsetPass(ro, b.path);
  EXPECT_EL(Out(ro, 0), 88, 1, 1);
  EXPECT_EL(Out(ro, 1), 1, 9, 1);
  EXPECT_EL(Out(ro, 2), 1, 9, 9);
  EXPECT_EL(Out(ro, 3), 1, 1, 9);
  EXPECT_EL(Out(ro, 4), 1, 1, 1);
  EXPECT_EQ(Out(ro, 5).MoveCode, 88);
}

TEST(OffsetPass, SlotKeepsItsSemicircularEnds) {
  PathBuilder b;
  b.Start(0, 0).Line(20, 0).Arc(2, 20, 10, 20, 5).Line(0, 10).Arc(2, 0, 0, 0, 5);
  RadiusOffset ro;
  RadiusOffsetPass(ro, b.path);
  ASSERT_GE(ro.OutputCount, 4);
  EXPECT_EL(Out(ro, 0), 88, 0, -1);
  EXPECT_EL(Out(ro, 1), 1, 20, -1);
  EXPECT_EL(Out(ro, 2), 2, 20, 11);
  EXPECT_CENTRE(Out(ro, 2), 20, 5);
  EXPECT_NEAR(std::fabs(Out(ro, 2).ArcDiameter), 12, 1e-9);
  EXPECT_EL(Out(ro, 3), 1, 0, 11);
  EXPECT_EL(Out(ro, 4), 2, 0, -1);
  EXPECT_CENTRE(Out(ro, 4), 0, 5);
}

TEST(OffsetPass, LineRetracingItsPathTurnsRoundASemicircle) {
  PathBuilder b;
  // There and back: the far side of the copy is kept, joined by a half circle.
  b.Start(0, 0).Line(10, 0).Line(0, 0);
  RadiusOffset ro;
  RadiusOffsetPass(ro, b.path);
  EXPECT_EL(Out(ro, 0), 88, 0, -1);
  EXPECT_EL(Out(ro, 1), 1, 10, -1);
  EXPECT_EL(Out(ro, 2), 2, 10, 1);
  EXPECT_CENTRE(Out(ro, 2), 10, 0);
  EXPECT_EL(Out(ro, 3), 1, 0, 1);
}

TEST(OffsetPass, ZeroLengthLineIsSkipped) {
  PathBuilder a = Square(2), b;
  b.side = 2;
  b.Start(0, 0).Line(10, 0).Line(10, 0).Line(10, 10).Line(0, 10).Line(0, 0);
  RadiusOffset ra, rb;
  RadiusOffsetPass(ra, a.path);
  RadiusOffsetPass(rb, b.path);
  ASSERT_EQ(ra.OutputCount, rb.OutputCount);
  for (int i = 0; i <= ra.OutputCount; ++i) EXPECT_EL(Out(rb, i), Out(ra, i).MoveCode, Out(ra, i).EndX, Out(ra, i).EndY);
}

TEST(OffsetPass, OnlyContoursWithCycleFiveAreCollected) {
  PathBuilder b;
  b.side = 2;
  b.Start(0, 0).Line(10, 0).Line(10, 10).Line(0, 10).Line(0, 0);
  b.Start(50, 0, 2).Line(60, 0).Line(60, 10);
  b.Start(70, 0).Add(0, 70, 0);  // a hole mark ends a contour with nothing queued
  RadiusOffset ro;
  RadiusOffsetPass(ro, b.path);
  ASSERT_EQ(ro.OutputCount, 9);
  for (int i = 0; i <= ro.OutputCount; ++i) EXPECT_LT(Out(ro, i).EndX, 11);
}

TEST(OffsetPass, OpenContourEndsAtItsOwnOffsetEnd) {
  PathBuilder b;
  b.Start(0, 0).Line(10, 0).Line(10, 10);
  RadiusOffset ro;
  RadiusOffsetPass(ro, b.path);
  EXPECT_EL(Out(ro, 0), 88, 0, -1);
  EXPECT_EL(Out(ro, 1), 1, 10, -1);
  EXPECT_EL(Out(ro, 2), 2, 11, 0);
  EXPECT_EL(Out(ro, 3), 1, 11, 10);
}

TEST(IsOuterCorner, TurnsAndReversals) {
  const double pi = 3.141592653589793;
  double a1 = 3 * pi / 2, a2 = 2 * pi;
  EXPECT_TRUE(IsOuterCorner(1, a1, a2, 1, 1));
  EXPECT_NEAR(a2, 0, 1e-12);  // reduced by a full turn
  a1 = 3 * pi / 2, a2 = 2 * pi;
  EXPECT_FALSE(IsOuterCorner(-1, a1, a2, 1, 1));
  a1 = 0, a2 = 0.2 * pi / 180;  // under half a degree
  EXPECT_FALSE(IsOuterCorner(1, a1, a2, 1, 1));
  a1 = 0, a2 = 0.2 * pi / 180;
  EXPECT_TRUE(IsOuterCorner(0, a1, a2, 1, 1));
  a1 = 0, a2 = pi;  // reversal: lines turn round on the positive side only
  EXPECT_TRUE(IsOuterCorner(1, a1, a2, 1, 1));
  a1 = 0, a2 = pi;
  EXPECT_FALSE(IsOuterCorner(-1, a1, a2, 1, 1));
  a1 = 0, a2 = pi;  // with a counter-clockwise arc the sign turns over
  EXPECT_TRUE(IsOuterCorner(-1, a1, a2, 3, 1));
}

namespace {

// The extent of every copy: the end points and, for arcs, the whole circle.
struct Box {
  double left = 1e300, right = -1e300, bottom = 1e300, top = -1e300;
  void Take(double x, double y, double reach = 0) {
    left = std::fmin(left, x - reach);
    right = std::fmax(right, x + reach);
    bottom = std::fmin(bottom, y - reach);
    top = std::fmax(top, y + reach);
  }
};

Box CopiesBox(const RadiusOffset& ro) {
  Box box;
  for (int i = 0; i <= ro.OutputCount; ++i) {
    const PathElement& e = Out(ro, i);
    box.Take(e.EndX, e.EndY);
    if (e.MoveCode == 2 || e.MoveCode == 3) box.Take(e.CentreX, e.CentreY, std::fabs(e.ArcDiameter) / 2);
  }
  return box;
}

}  // namespace

// Paths whose offset lines would cross far beyond the part: on either side
// each copy turns round the corner instead, and keeps within its offsets.
// A line that turns back almost onto itself would trim ten lengths away: each
// copy ends at its own offset end beside (0, 2).
TEST(OffsetPass, CopiesTurnRoundCornersWhoseTrimWouldLieBeyondThePart) {
  const struct {
    const char* name;
    std::vector<std::pair<double, double>> lines;  // after the start at (0, 0)
    double bottom, top;                            // the copies' reach in Y
    bool endBesideTheLast;                         // each copy ends within 1 of the last X
  } cases[] = {
      {"near reversal", {{100, 0}, {0, 2}}, -20, 22, true},
  };
  for (const auto& c : cases) {
    for (std::int16_t side : {1, 2}) {
      SCOPED_TRACE(std::string(c.name) + ", side " + std::to_string(side));
      PathBuilder b;
      b.side = side;
      b.radius = 10;
      b.Start(0, 0);
      for (const auto& [x, y] : c.lines) b.Line(x, y);
      RadiusOffset ro;
      RadiusOffsetPass(ro, b.path);
      ASSERT_GE(ro.OutputCount, 5);
      const Box box = CopiesBox(ro);
      EXPECT_GE(box.left, -20 - 1e-6);
      EXPECT_LE(box.right, 120 + 1e-6);
      EXPECT_GE(box.bottom, c.bottom - 1e-6);
      EXPECT_LE(box.top, c.top + 1e-6);
      if (c.endBesideTheLast) {
        for (int i = 0; i <= ro.OutputCount; ++i) {
          if (i == ro.OutputCount || Out(ro, i + 1).MoveCode == 88) {
            EXPECT_NEAR(Out(ro, i).EndX, c.lines.back().first, 1);
          }
        }
      }
    }
  }
}

// A step shorter than the offset: the inner copies of its long lines cross
// beside the step, within their offset of the part, so they are trimmed there
// (the copy loops over the narrow step); the outer copies turn round its
// corners.
TEST(OffsetPass, StepShorterThanTheOffsetKeepsItsTrim) {
  for (std::int16_t side : {1, 2}) {
    SCOPED_TRACE("side " + std::to_string(side));
    PathBuilder b;
    b.side = side;
    b.radius = 10;
    b.Start(0, 0).Line(100, 0).Line(100, 2).Line(0, 2);
    RadiusOffset ro;
    RadiusOffsetPass(ro, b.path);
    if (side == 2) {
      ASSERT_EQ(ro.OutputCount, 7);
      for (int k = 0; k < 2; ++k) {
        const double d = 10.0 * (k + 1);
        EXPECT_EL(Out(ro, 4 * k), 88, 0, d);
        EXPECT_EL(Out(ro, 4 * k + 1), 1, 100 - d, d);
        EXPECT_EL(Out(ro, 4 * k + 2), 1, 100 - d, 2 - d);
        EXPECT_EL(Out(ro, 4 * k + 3), 1, 0, 2 - d);
      }
    } else {
      // Corner arcs end at angles kept as floats: within a thousandth.
      auto expect = [&](int i, int code, double x, double y) {
        EXPECT_EQ(Out(ro, i).MoveCode, code) << "element " << i;
        EXPECT_NEAR(Out(ro, i).EndX, x, 1e-3) << "element " << i;
        EXPECT_NEAR(Out(ro, i).EndY, y, 1e-3) << "element " << i;
      };
      ASSERT_EQ(ro.OutputCount, 11);
      for (int k = 0; k < 2; ++k) {
        const double d = 10.0 * (k + 1);
        expect(6 * k, 88, 0, -d);
        expect(6 * k + 1, 1, 100, -d);
        expect(6 * k + 2, 2, 100 + d, 0);
        EXPECT_CENTRE(Out(ro, 6 * k + 2), 100, 0);
        expect(6 * k + 3, 1, 100 + d, 2);
        expect(6 * k + 4, 2, 100, 2 + d);
        EXPECT_CENTRE(Out(ro, 6 * k + 4), 100, 2);
        expect(6 * k + 5, 1, 0, 2 + d);
      }
    }
  }
}

// Inner corners of a triangle with a 30-degree corner stay trimmed at the
// crossing of their offset lines, the copy one line per side.
TEST(OffsetPass, TriangleKeepsItsInnerTrims) {
  const double h = 100 * std::tan(3.141592653589793 / 6);
  PathBuilder b;
  b.side = 2;  // counter-clockwise: copies at -5 and -10, inside
  b.radius = 5;
  b.Start(0, 0).Line(100, 0).Line(0, h).Line(0, 0);
  RadiusOffset ro;
  RadiusOffsetPass(ro, b.path);
  ASSERT_EQ(ro.OutputCount, 7);
  const double corners[3][2] = {{0, 0}, {100, 0}, {0, h}};
  for (int k = 0; k < 2; ++k) {
    const double inset = 5.0 * (k + 1);
    // The offset corner: A + inset (n1 + n2) / (1 + n1.n2), n the inward normals.
    auto inner = [&](int c) {
      const double* a = corners[c];
      const double* p = corners[(c + 2) % 3];
      const double* q = corners[(c + 1) % 3];
      const double l1 = std::hypot(a[0] - p[0], a[1] - p[1]), l2 = std::hypot(q[0] - a[0], q[1] - a[1]);
      const double n1x = -(a[1] - p[1]) / l1, n1y = (a[0] - p[0]) / l1;
      const double n2x = -(q[1] - a[1]) / l2, n2y = (q[0] - a[0]) / l2;
      const double f = inset / (1 + n1x * n2x + n1y * n2y);
      return std::pair<double, double>{a[0] + f * (n1x + n2x), a[1] + f * (n1y + n2y)};
    };
    const int o = 4 * k;
    // Tangents are kept to two decimals: the trims lie within a few hundredths.
    for (int i = 0; i < 4; ++i) {
      const auto [x, y] = inner(i % 3);
      EXPECT_EQ(Out(ro, o + i).MoveCode, i == 0 ? 88 : 1) << "element " << o + i;
      EXPECT_NEAR(Out(ro, o + i).EndX, x, 0.3) << "element " << o + i;
      EXPECT_NEAR(Out(ro, o + i).EndY, y, 0.3) << "element " << o + i;
    }
  }
}
