#include <cmath>

#include "toolpath/cycle_words.h"
#include "toolpath/tests/interpreter_fixture.h"

using namespace fieldray;

namespace {

// Move code, centre, diameter, depth and mark kind of a hole or run.
void ExpectMark(const PathElement& e, std::int32_t code, double cx, double cy, double dia, double z,
                std::int16_t cycle) {
  EXPECT_EQ(e.MoveCode, code);
  EXPECT_NEAR(e.CentreX, cx, 1e-6);
  EXPECT_NEAR(e.CentreY, cy, 1e-6);
  EXPECT_NEAR(e.ArcDiameter, dia, 1e-6);
  EXPECT_NEAR(e.ZDepth, z, 1e-6);
  EXPECT_EQ(e.CycleCode, cycle);
  EXPECT_EQ(e.CompSide, 0);
}

std::vector<double> CentresX(const fieldray::PathArray& path, std::size_t from) {
  std::vector<double> xs;
  for (std::size_t i = from; i < path.size(); ++i) xs.push_back(path[i].CentreX);
  return xs;
}

}  // namespace

TEST_F(InterpreterTest, SingleHoleTakesItsOwnWords) {
  Sheet();
  Feed({"G81 X10 Y20 P2"});
  ASSERT_EQ(Count(), 1);
  ExpectMark(El(1), 0, 10, 20, 8.0, 0, 2);
  Feed({"G81 X5 Y6 Z-3 R54=4.5 E12"});
  ExpectMark(El(2), 0, 5, 6, 4.5, -3, 0);
  EXPECT_EQ(El(2).UWord, 12);
  EXPECT_EQ(interp.Scan.LastX, 5);
  EXPECT_EQ(interp.Scan.LastZ, 0);  // the hole's depth is not modal
}

TEST_F(InterpreterTest, SingleHoleWithoutSheetSizeBecomesKindFive) {
  Feed({"G81 X10 Y20 P2"});
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(El(1).CycleCode, 5);
  EXPECT_EQ(El(1).CentreY, -20);
}

TEST_F(InterpreterTest, RowsByPitchRunUpwardsWithTheEndTolerance) {
  Sheet();
  Feed({"G185 X0 Y3 I100 K25"});
  EXPECT_EQ(CentresX(state.PathElements, 1), (std::vector<double>{0, 25, 50, 75, 100}));
  EXPECT_EQ(El(1).ArcDiameter, 6.5);
  Feed({"G185 X100 Y3 I0 K25"});
  EXPECT_EQ(CentresX(state.PathElements, 6), (std::vector<double>{0, 25, 50, 75, 100}));
  Feed({"G185 X0 Y3 I100 K0", "G185 X0 Y3 I100 K-5"});
  EXPECT_EQ(Count(), 10);
  Feed({"G186 X4 Y10 J0 K5"});
  ASSERT_EQ(Count(), 13);
  EXPECT_EQ(El(11).CentreY, 0);
  EXPECT_EQ(El(13).CentreY, 10);
  EXPECT_EQ(El(13).CentreX, 4);
  // Steps that miss the end still reach it within the tolerance.
  Feed({"G185 X0 Y0 I1 K0.33333"});
  EXPECT_EQ(Count(), 13 + 4);
  EXPECT_EQ(interp.Scan.LastY, 0);
  EXPECT_NEAR(interp.Scan.LastX, 0.99999, 1e-9);
}

TEST_F(InterpreterTest, RowsByToolRangeUseThirtyTwoTimesTheToolSpan) {
  Sheet();
  Feed({"G183 X0 Y9 I200 T5,7"});
  EXPECT_EQ(CentresX(state.PathElements, 1), (std::vector<double>{0, 64, 128, 192}));
  EXPECT_EQ(interp.Scan.LastX, 192);
  Feed({"G183 X0 Y9 I200 T5,5", "G183 X300 Y9 I200 T5,7"});  // pitch 0, end below start
  EXPECT_EQ(Count(), 4);
  Feed({"G184 X1 Y0 J100 T7,5"});
  ASSERT_EQ(Count(), 6);
  EXPECT_EQ(El(6).CentreY, 64);
  EXPECT_EQ(El(6).CentreX, 1);
}

TEST_F(InterpreterTest, RowAlongALineEndsOnItsEndPoint) {
  Sheet();
  Feed({"G187 X0 Y0 I30 J40 K10"});
  ASSERT_EQ(Count(), 6);
  for (int k = 0; k < 6; ++k) {
    EXPECT_NEAR(El(k + 1).CentreX, 6.0 * k, 1e-9);
    EXPECT_NEAR(El(k + 1).CentreY, 8.0 * k, 1e-9);
  }
  Feed({"G187 X0 Y0 I30 J40 K0"});
  EXPECT_EQ(Count(), 6);
}

TEST_F(InterpreterTest, RowAlongALineWithoutSheetSizeNegatesJLikeY) {
  Feed({"G187 X0 Y0 I30 J40 K10"});
  ASSERT_EQ(Count(), 6);
  EXPECT_NEAR(El(6).CentreY, -40, 1e-9);
  for (int k = 1; k <= 5; ++k) EXPECT_EQ(El(k).CycleCode, 0);
  EXPECT_EQ(El(6).CycleCode, 5);
}

TEST_F(InterpreterTest, RunsToQStartAtTheLinePoint) {
  Sheet();
  Feed({"G85 X10 Y5 Q50 Z2 E7"});
  ASSERT_EQ(Count(), 1);
  ExpectMark(El(1), 85, 10, 5, 0, 2, 5);
  EXPECT_EQ(El(1).EndX, 50);
  EXPECT_EQ(El(1).UWord, 7);
  EXPECT_EQ(interp.Scan.LastX, 10);
  EXPECT_EQ(interp.Scan.LastZ, 2);
  Feed({"G86 X1 Y2 Q-30"});
  ExpectMark(El(2), 86, 1, 2, 0, 0, 5);
  EXPECT_EQ(El(2).EndY, -30);
}

TEST_F(InterpreterTest, MarksPerLineAreCapped) {
  Sheet();
  Feed({"G185 X0 Y0 I900000 K1"});
  EXPECT_EQ(Count(), toolpath::MaxMarksPerLine);
  EXPECT_FALSE(state.LoadDiagnostics.empty());
}

TEST_F(InterpreterTest, ParameterLinesSetOnlyTheirOwnLetters) {
  Sheet();
  Feed({"!A10 B=A+1 C=A*2"});
  EXPECT_EQ(state.VarTable[1], 10);
  EXPECT_EQ(state.VarTable[2], 11);
  EXPECT_EQ(state.VarTable[3], 20);
  Feed({"!B=A+5"});
  EXPECT_EQ(state.VarTable[1], 10);
  EXPECT_EQ(state.VarTable[2], 15);
  Feed({"!E3"});
  EXPECT_EQ(state.VarTable[5], 3);
  // A value the job supplied stays.
  state.VarSet[1] = BoolTrue;
  Feed({"!A99 D4"});
  EXPECT_EQ(state.VarTable[1], 10);
  EXPECT_EQ(state.VarTable[4], 4);
  EXPECT_EQ(awk.Text().find("G150"), 0u);  // the line's text as it was
}

TEST_F(InterpreterTest, ConditionsSwitchTheFollowingLines) {
  Sheet();
  Feed({"G151 X5 Y3 R50=1"});
  EXPECT_EQ(state.BlockCondition, BoolTrue);
  Feed({"G151 X5 Y3 R50=0", "G1 X10 Y10", "G81 X1 Y1"});
  EXPECT_EQ(state.BlockCondition, BoolFalse);
  EXPECT_EQ(Count(), 0);
  Feed({"G152", "G81 X1 Y1"});
  EXPECT_EQ(Count(), 1);
  // Joined: 5 > 3 and 2 < 1 is false; or is true.
  Feed({"G151 X5 Y3 I2 J1 R50=1 R51=0 R52=0"});
  EXPECT_EQ(state.BlockCondition, BoolFalse);
  Feed({"G152", "G151 X5 Y3 I2 J1 R50=1 R51=1 R52=0"});
  EXPECT_EQ(state.BlockCondition, BoolTrue);
  // Absent operands are 0; the readers' remembered X stays.
  Feed({"G1 X40 Y40", "G151 Y-1 R50=1"});
  EXPECT_EQ(state.BlockCondition, BoolTrue);
  EXPECT_EQ(state.GcodeReaders.LastX, 40);
}

TEST_F(InterpreterTest, ConditionWithAnUnknownOperatorIsFalse) {
  Sheet();
  Feed({"G151 X5 Y3 R50=6"});
  EXPECT_EQ(state.BlockCondition, BoolFalse);
  EXPECT_FALSE(state.LoadDiagnostics.empty());
  Feed({"G152", "G151 X5 Y3 I1 J1 R50=1 R51=2 R52=2"});
  EXPECT_EQ(state.BlockCondition, BoolFalse);
}

TEST_F(InterpreterTest, ProgramOfHolesRowsRunsParametersAndAConditionGivesItsPath) {
  Feed({
      "G71 X1000 Y500 Z18",
      "!A10 B=A+5",
      "G81 X=A Y=B*2 P2",
      "G185 X0 Y40 I50 K25 R54=5 P1 Z-2",
      "G187 X0 Y0 I30 J40 K10",
      "G85 X10 Y5 Q50 Z2",
      "G151 X=A Y5 R50=1",
      "G86 X0 Y0 Q20",
      "G151 X=A Y5 R50=0",
      "G81 X1 Y1",
      "G152",
      "G81 X2 Y2 R54=3",
      "G183 X0 Y7 I200 T5,7",
  });
  const std::vector<PathElement> golden = [] {
    std::vector<PathElement> g;
    auto mark = [&](std::int32_t code, double cx, double cy, double dia, double z, std::int16_t cycle,
                    double ex = 0, double ey = 0) {
      PathElement e;
      e.MoveCode = code;
      e.CentreX = cx;
      e.CentreY = cy;
      e.ArcDiameter = dia;
      e.ZDepth = z;
      e.CycleCode = cycle;
      e.EndX = ex;
      e.EndY = ey;
      g.push_back(e);
    };
    mark(0, 10, 30, 8, 0, 2);
    for (double x : {0, 25, 50}) mark(0, x, 40, 5, -2, 1);
    for (int k = 0; k < 6; ++k) mark(0, 6.0 * k, 8.0 * k, 6.5, -2, 0);
    mark(85, 10, 5, 0, 2, 5, 50, 0);
    mark(86, 0, 0, 0, 0, 5, 0, 20);
    mark(0, 2, 2, 3, 0, 0);
    for (double x : {0, 64, 128, 192}) mark(0, x, 7, 6.5, 0, 0);
    return g;
  }();
  ASSERT_EQ(Count(), static_cast<int>(golden.size()));
  for (std::size_t i = 0; i < golden.size(); ++i) {
    SCOPED_TRACE("element " + std::to_string(i + 1));
    const PathElement& e = El(static_cast<int>(i) + 1);
    ExpectMark(e, golden[i].MoveCode, golden[i].CentreX, golden[i].CentreY, golden[i].ArcDiameter, golden[i].ZDepth,
               golden[i].CycleCode);
    EXPECT_NEAR(e.EndX, golden[i].EndX, 1e-9);
    EXPECT_NEAR(e.EndY, golden[i].EndY, 1e-9);
  }
  EXPECT_EQ(state.BlockCondition, BoolTrue);
  EXPECT_TRUE(state.LoadDiagnostics.empty());
}
