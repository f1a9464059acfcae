// Switch-position frames from the assembly list, and densification.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "engine/frame_assembly.h"
#include "engine/point_list.h"
#include "engine_fakes.h"
#include "job/grid_cells.h"
#include "toolpath/geometry.h"
#include "winplat/numeric.h"

namespace fieldray::engine {
namespace {

constexpr std::int32_t White = 0xFFFFFF;

class FrameAssembly : public ::testing::Test {
 protected:
  FrameAssembly() { grid().SetMaxCols(2); }
  winplat::SpreadGrid& grid() { return rig.console.swOpt; }
  void On(std::int32_t col, std::initializer_list<std::int32_t> rows) {
    for (std::int32_t r : rows) SetGridCell(grid(), r, col, "1");
  }
  // A point at board (x, y) straight into the assembly list.
  void Point(std::int32_t x, std::int32_t y, std::int32_t cls, std::int32_t colour = White, std::int32_t f = 0) {
    PointStruct p{};
    p.X = x;
    p.Y = y;
    p.Value7 = cls;
    p.Colour = colour;
    p.F = f;
    s.AssemblyPoints.push_back(p);
    ++s.PointCount;
  }
  const std::vector<PointStruct>& Frame(std::int32_t n) { return rig.board.frames.at(n).second; }
  std::int32_t Send(std::int32_t n) {
    SendFrame(rig.e, n);
    return n;
  }

  enginetest::EngineRig rig;
  ProgramState& s = rig.state;
};

TEST_F(FrameAssembly, KeptPointStartsItsRunWithDarkAndLitCopies) {
  Point(4, 0, 1000);
  Point(20, 0, 3010, 0x0000FF);
  Point(8, 0, 2000);
  On(1, {4, 5});
  Send(1);
  ASSERT_EQ(rig.board.frames.count(1), 1u);
  const auto& f = Frame(1);
  // Dark copies at the skipped point, and again at the frame's end.
  ASSERT_EQ(f.size(), 21u);
  EXPECT_EQ(f[0].Colour, 0x0000FF);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(f[i].Colour, 0) << i;
  for (int i = 6; i <= 10; ++i) EXPECT_EQ(f[i].Colour, White) << i;  // the largest colour
  for (int i = 11; i <= 20; ++i) EXPECT_EQ(f[i].Colour, 0) << i;
  for (const PointStruct& p : f) EXPECT_EQ(p.X, 20);
  EXPECT_EQ(std::string(rig.board.frames.at(1).first.Name, 24), std::string(24, ' '));
  // The assembly list stays for the next switch position.
  EXPECT_EQ(s.AssemblyPoints.size(), 4u);
}

TEST_F(FrameAssembly, RowsSelectPatternOutlineDepthAndClass) {
  s.SheetThickness = 3;
  Point(1, 0, 1000);
  Point(2, 0, 2000);
  Point(3, 0, 3010, White, 2);
  Point(4, 0, 3010, White, 3);  // at the thickness: row 4
  Point(5, 0, 3020, White, 1);
  Point(6, 0, 3018, White, 1);
  Point(7, 0, 0);  // a marker point: never kept
  const auto keptX = [this](std::int32_t col) {
    std::vector<std::int32_t> xs;
    std::int32_t last = -1;
    for (const PointStruct& p : Frame(col)) {
      if (p.Colour != 0 && p.X != last) xs.push_back(p.X);
      last = p.Colour != 0 ? p.X : last;
    }
    return xs;
  };
  grid().SetMaxCols(6);
  On(1, {1, 2});
  On(2, {3, 5});
  On(3, {4, 5, 6});
  On(4, {3, 6});
  On(5, {3, 4, 5, 6, 8});
  On(6, {3, 4, 5, 6, 7, 8});  // both class-digit rows: no path point
  SetGridCell(grid(), 1, 6, "1");
  for (std::int32_t n = 1; n <= 6; ++n) Send(n);
  EXPECT_EQ(keptX(1), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(keptX(2), (std::vector<std::int32_t>{3, 6}));
  EXPECT_EQ(keptX(3), (std::vector<std::int32_t>{4}));
  EXPECT_EQ(keptX(4), (std::vector<std::int32_t>{5}));
  EXPECT_EQ(keptX(5), (std::vector<std::int32_t>{6}));
  EXPECT_EQ(keptX(6), (std::vector<std::int32_t>{1}));
}

TEST_F(FrameAssembly, NothingKeptLeavesTheBoardFrameAsItWas) {
  rig.board.frames[2] = {FrameStruct{}, std::vector<PointStruct>(3)};
  Point(5, 5, 3010);
  On(2, {7, 8, 3, 4, 5, 6});
  SetGridCell(grid(), 1, 2, "abc");  // not a number: off
  SetGridCell(grid(), 2, 2, ".4");   // rounds to 0: off
  Send(2);
  EXPECT_EQ(Frame(2).size(), 3u);
  EXPECT_TRUE(rig.board.CallsNamed("WriteFrame").empty());
}

TEST_F(FrameAssembly, LargestColourComesFromTheFirstPosition) {
  Point(5, 0, 3010, 0x00FF00);
  On(1, {4, 5});
  On(2, {4, 5});
  Send(2);  // before any frame 1 since start-up
  EXPECT_EQ(Frame(2)[6].Colour, 0);
  Send(1);
  EXPECT_EQ(s.LargestColour, 0x00FF00);
  EXPECT_EQ(Frame(1)[6].Colour, 0x00FF00);
}

TEST_F(FrameAssembly, ShortGridReadsMissingRowsAsOff) {
  grid().SetMaxRows(3);
  Point(5, 0, 3008, White, -1);
  On(1, {3});
  Send(1);
  ASSERT_EQ(rig.board.frames.count(1), 1u);
  EXPECT_EQ(Frame(1).size(), 16u);
}

TEST_F(FrameAssembly, FrameZeroCopiesOrLeavesTheBuffer) {
  s.FrameBuffer.assign(4, PointStruct{});
  Send(0);
  EXPECT_EQ(s.FrameBuffer.size(), 4u);  // empty assembly list: unchanged
  Point(7, 8, 0);
  Point(9, 10, 0);
  Send(0);
  ASSERT_EQ(s.FrameBuffer.size(), 3u);
  EXPECT_EQ(s.FrameBuffer[2].X, 9);
  EXPECT_TRUE(rig.board.CallsNamed("WriteFrame").empty());
}

class Densify : public FrameAssembly {
 protected:
  // A frame of `points` points: point 1 at the origin, the rest at (x, y).
  void Fill(std::size_t points, std::int32_t x, std::int32_t y) {
    s.FrameBuffer.assign(points + 1, PointStruct{});
    for (std::size_t i = 2; i <= points; ++i) {
      s.FrameBuffer[i].X = x;
      s.FrameBuffer[i].Y = y;
      s.FrameBuffer[i].Colour = 7;
    }
    s.FrameBuffer[1].F = 4;
  }
  void ExpectAt(std::size_t i, std::int32_t x, std::int32_t y) {
    EXPECT_EQ(s.FrameBuffer.at(i).X, x) << i;
    EXPECT_EQ(s.FrameBuffer.at(i).Y, y) << i;
  }
};

TEST_F(Densify, StepsOfThirtyUpToAndOnTheNextPoint) {
  Fill(40, 100, 0);
  DensifyFramePoints(rig.e);
  ASSERT_EQ(s.FrameBuffer.size(), 44u);
  ExpectAt(2, 30, 0);
  ExpectAt(3, 60, 0);
  ExpectAt(4, 90, 0);
  ExpectAt(5, 100, 0);
  EXPECT_EQ(s.FrameBuffer[2].F, 4);  // the fields of the point before
  EXPECT_EQ(s.FrameBuffer[2].Colour, 0);

  Fill(40, 0, -90);
  DensifyFramePoints(rig.e);
  ASSERT_EQ(s.FrameBuffer.size(), 44u);
  ExpectAt(4, 0, -90);
  ExpectAt(5, 0, -90);

  Fill(40, 30, 40);  // 50 apart on a slant
  DensifyFramePoints(rig.e);
  ASSERT_EQ(s.FrameBuffer.size(), 42u);
  ExpectAt(2, 18, 24);
}

TEST_F(Densify, StepGrowsWithTheFrame) {
  Fill(120, 100, 0);
  DensifyFramePoints(rig.e);
  ASSERT_EQ(s.FrameBuffer.size(), 122u);
  ExpectAt(2, 60, 0);

  Fill(1000, 400, 0);
  DensifyFramePoints(rig.e);
  ASSERT_EQ(s.FrameBuffer.size(), 1003u);
  ExpectAt(2, 150, 0);
  ExpectAt(3, 300, 0);
}

TEST_F(Densify, StopsAtPositionSixThousand) {
  Fill(7000, 0, 0);
  s.FrameBuffer[7000].X = 10000;
  DensifyFramePoints(rig.e);
  EXPECT_EQ(s.FrameBuffer.size(), 7001u);
  ExpectAt(7000, 10000, 0);
}

// Densification as insertion into the middle of the frame, a pair at a time:
// the points the one-pass build must give.
std::vector<PointStruct> DensifiedByInsertion(std::vector<PointStruct> fb) {
  const auto upper = [&fb] { return static_cast<std::int32_t>(fb.size()) - 1; };
  const std::int32_t step = 30 * std::clamp(upper() / 50, 1, 5);
  std::int32_t i = 0;
  while (i < upper() && i < DensifyLimit) {
    const PointStruct p = fb[static_cast<std::size_t>(i)];
    const PointStruct q = fb[static_cast<std::size_t>(i) + 1];
    const double dx = static_cast<double>(q.X) - p.X, dy = static_cast<double>(q.Y) - p.Y;
    const std::int32_t d = winplat::CLng(std::sqrt(dx * dx + dy * dy));
    if (d <= step) {
      ++i;
      continue;
    }
    const double a = toolpath::LineAngle(p.X, p.Y, q.X, q.Y);
    for (std::int32_t k = step; k <= d && i < DensifyLimit; k += step) {
      PointStruct mid = p;
      mid.X = winplat::CLng(p.X + k * toolpath::CosDeg(a));
      mid.Y = winplat::CLng(p.Y + k * toolpath::SinDeg(a));
      fb.insert(fb.begin() + ++i, mid);
    }
    ++i;
  }
  return fb;
}

TEST_F(Densify, OnePassGivesThePointsOfInsertion) {
  std::mt19937 random(54);
  // Frames of every step size, short and long jumps, and ones that reach the
  // limit in the middle of a pair (the small frames of long jumps) or only
  // with their own points. Insertion moves the rest of the frame each time:
  // no large frame gets many points inserted.
  std::vector<std::pair<std::size_t, std::int32_t>> frames;  // points, spread
  for (std::size_t points : {1u, 2u, 3u, 49u, 51u, 120u, 260u, 700u})
    for (std::int32_t spread : {40, 400, 20000}) frames.emplace_back(points, spread);
  for (std::size_t points : {5990u, 6003u, 9000u}) frames.emplace_back(points, 40);
  int limitByInserts = 0, limitByOwnPoints = 0;
  for (const auto& [points, spread] : frames) {
    std::vector<PointStruct> frame(points + 1);
    std::uniform_int_distribution<std::int32_t> coord(-spread, spread);
    for (std::size_t i = 0; i < frame.size(); ++i) {
      frame[i].X = coord(random);
      frame[i].Y = coord(random);
      frame[i].Colour = static_cast<std::int32_t>(i % 3);
      frame[i].Value7 = static_cast<std::int32_t>(i);
    }
    const std::vector<PointStruct> expected = DensifiedByInsertion(frame);
    if (expected.size() > static_cast<std::size_t>(DensifyLimit))
      ++(expected.size() > frame.size() ? limitByInserts : limitByOwnPoints);
    s.FrameBuffer = frame;
    DensifyFramePoints(rig.e);
    ASSERT_EQ(s.FrameBuffer.size(), expected.size()) << points << " points, spread " << spread;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(s.FrameBuffer[i].X, expected[i].X) << i;
      ASSERT_EQ(s.FrameBuffer[i].Y, expected[i].Y) << i;
      ASSERT_EQ(s.FrameBuffer[i].Colour, expected[i].Colour) << i;
      ASSERT_EQ(s.FrameBuffer[i].Value7, expected[i].Value7) << i;
    }
  }
  EXPECT_GE(limitByInserts, 3);
  EXPECT_GE(limitByOwnPoints, 1);
  s.FrameBuffer.clear();
  DensifyFramePoints(rig.e);
  EXPECT_TRUE(s.FrameBuffer.empty());
}

}  // namespace
}  // namespace fieldray::engine
