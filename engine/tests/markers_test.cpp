// Markers, the work-area outline and the pattern table's marks.
#include <gtest/gtest.h>

#include "engine/markers.h"
#include "engine_fakes.h"
#include "winplat/numeric.h"

namespace fieldray::engine {
namespace {

constexpr std::int32_t White = 0xFFFFFF;

class Markers : public ::testing::Test {
 protected:
  Markers() {
    s.HoldStart = 2;
    s.HoldVertex = 1;
    s.HoldEnd = 3;
  }
  const PointStruct& P(int i) const { return s.AssemblyPoints.at(static_cast<std::size_t>(i)); }
  // Points i..i+n-1 at drawing (x, y) in colour with class.
  void ExpectRun(int i, int n, std::int32_t x, std::int32_t y, std::int32_t colour, std::int32_t cls) {
    for (int k = i; k < i + n; ++k) {
      SCOPED_TRACE("point " + std::to_string(k));
      EXPECT_EQ(P(k).X, 5 * x);
      EXPECT_EQ(P(k).Y, -5 * y);
      EXPECT_EQ(P(k).Colour, colour);
      EXPECT_EQ(P(k).Value7, cls);
      EXPECT_EQ(P(k).F, 0);
    }
  }
  enginetest::EngineRig rig;
  ProgramState& s = rig.state;
};

TEST_F(Markers, AxesMarkerIsCopiedToTheFrameBuffer) {
  AddAxesMarker(rig.e);
  ASSERT_EQ(s.PointCount, 32 + 8 * 4);
  ExpectRun(1, 32, 0, 0, White, 0);
  ExpectRun(33, 4, 0, 500, White, 0);
  ExpectRun(37, 4, 50, 500, White, 0);
  ExpectRun(53, 4, 500, 50, White, 0);
  ExpectRun(61, 4, 0, 0, White, 0);
  ASSERT_EQ(s.FrameBuffer.size(), 65u);
  EXPECT_EQ(s.FrameBuffer[40].X, 250);
  EXPECT_TRUE(rig.board.CallsNamed("WriteFrame").empty());
}

TEST_F(Markers, ReferenceMarkerIsATee) {
  AddReferenceMarker(rig.e);
  ASSERT_EQ(s.PointCount, 32 + 5 * 4);
  ExpectRun(1, 32, 0, 1000, White, 0);
  ExpectRun(37, 4, -1500, 0, White, 0);
  ExpectRun(41, 4, 1500, 0, White, 0);
  ExpectRun(49, 4, 0, 1000, White, 0);
  EXPECT_EQ(s.FrameBuffer.size(), 1u);  // the caller sends it
}

TEST_F(Markers, OutlineOfTheSheetFromTheOrigin) {
  s.SheetLength = 0;
  s.SheetHeight = 500;
  AddWorkAreaOutline(rig.e);
  EXPECT_EQ(s.PointCount, 0);

  s.SheetLength = 1200.4f;
  s.OriginX = 10;
  s.OriginY = -20;
  AddWorkAreaOutline(rig.e);
  ASSERT_EQ(s.PointCount, 2 + 1 + 1 + 1 + 3 + 4);
  ExpectRun(1, 2, 10, -20, White, 2000);
  ExpectRun(3, 1, 10, 480, White, 2000);
  ExpectRun(4, 1, 1210, 480, White, 2000);
  ExpectRun(5, 1, 1210, -20, White, 2000);
  ExpectRun(6, 3, 10, -20, White, 2000);
  ExpectRun(9, 4, 10, -20, 0, 2000);
}

TEST_F(Markers, NegativeSheetIsDrawnTowardsNegativeCoordinates) {
  s.SheetLength = -100;
  s.SheetHeight = -50;
  AddWorkAreaOutline(rig.e);
  ASSERT_EQ(s.PointCount, 12);
  ExpectRun(4, 1, -100, -50, White, 2000);
}

TEST_F(Markers, PatternTableStrokesAndTicks) {
  s.OriginX = 1;
  s.OriginY = 2;
  auto& t = s.PatternTable;
  t[1][0] = 100;  // row 1: marks at 50 and 80
  t[1][1] = 50;
  t[1][2] = 80;
  t[2][0] = 0;  // no x: nothing drawn, dark points still added
  t[2][1] = 70;
  AddTablePattern(rig.e);
  EXPECT_EQ(s.OffsetPointClass, 1000);
  // Pass 1: row 1 then its dark end; row 2..12 only dark points.
  ExpectRun(1, 2, 101, 52, White, 1000);
  ExpectRun(3, 2, 101, 82, White, 1000);
  ExpectRun(5, 3, 101, 182, White, 1000);
  ExpectRun(8, 4, 101, 182, 0, 1000);
  ExpectRun(12, 4, 1, 182, 0, 1000);  // row 2, x 0
  int i = 8 + 12 * 4;
  // Pass 2, column 1: horizontal tick, then diagonal tick; column 2 likewise.
  ExpectRun(i, 1, 101, 52, White, 1000);
  ExpectRun(i + 1, 2, 201, 52, White, 1000);
  ExpectRun(i + 3, 4, 201, 52, 0, 1000);
  ExpectRun(i + 7, 1, 101, 52, White, 1000);
  ExpectRun(i + 8, 3, 151, 102, White, 1000);
  ExpectRun(i + 11, 4, 151, 102, 0, 1000);
  ExpectRun(i + 15, 1, 101, 82, White, 1000);
  EXPECT_EQ(s.PointCount, i - 1 + 2 * 15);
}

TEST_F(Markers, PatternRowFullToTheLastColumnEndsThere) {
  auto& t = s.PatternTable;
  t[3][0] = 10;
  for (std::size_t m = 1; m <= 12; ++m) t[3][m] = static_cast<std::int32_t>(m) * 10;
  AddTablePattern(rig.e);
  // Twelve starts and one end, 100 above the mark of column 12.
  ExpectRun(1, 8, 0, 0, 0, 1000);  // rows 1 and 2: dark points only
  ExpectRun(9, 2, 10, 10, White, 1000);
  ExpectRun(31, 2, 10, 120, White, 1000);
  ExpectRun(33, 3, 10, 220, White, 1000);
  ExpectRun(36, 4, 10, 220, 0, 1000);
}

TEST_F(Markers, OffsetPointOverflowIsRefused) {
  s.OriginX = 2147483000;
  s.OffsetPointClass = 77;
  std::int32_t x = 1000, y = 0, colour = 5, hold = 1;
  EXPECT_THROW(AddOffsetPoint(rig.e, x, y, colour, hold), winplat::NumericError);
  EXPECT_EQ(s.PointCount, 0);
  x = 5;
  s.OriginX = 1;
  AddOffsetPoint(rig.e, x, y, colour, hold);
  ASSERT_EQ(s.PointCount, 1);
  EXPECT_EQ(P(1).Value7, 77);
  EXPECT_EQ(P(1).X, 30);
}

}  // namespace
}  // namespace fieldray::engine
