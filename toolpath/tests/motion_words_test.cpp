// Contour starts, polar lines, the origin block, the sheet block, and the
// corner mirror.
#include <gtest/gtest.h>

#include "toolpath/interpreter.h"
#include "toolpath/tests/interpreter_fixture.h"

using namespace fieldray::toolpath;

TEST_F(InterpreterTest, AContourStartReplacesTheOneBeforeIt) {
  Sheet();
  Feed({"G0 X1 Y2 Z3 P3 E12", "G0 X4 Y5"});
  ASSERT_EQ(Count(), 1);
  EXPECT_MOVE(El(1), 88, 4, 5);
  EXPECT_EQ(El(1).ZDepth, 0);
  EXPECT_EQ(El(1).CycleCode, 6);
  EXPECT_EQ(El(1).CentreX, 0);
  EXPECT_EQ(El(1).ArcDiameter, 0);
  EXPECT_EQ(El(1).CompRadius, 10);  // no R, no tool
  Feed({"G1 X9 Y5", "G0 X1 Y1 P3 Z-2"});
  EXPECT_EQ(El(3).CycleCode, 3);
  EXPECT_EQ(El(3).ZDepth, -2);
  EXPECT_EQ(interp.Scan.LastZ, -2);
}

TEST_F(InterpreterTest, G88CancelsCompensationAndG0KeepsIt) {
  Sheet();
  Feed({"G41", "G88 X1 Y1"});
  EXPECT_EQ(El(1).CompSide, 0);
  EXPECT_EQ(interp.Scan.CutterCompMode, 0);
  Feed({"G1 X2 Y1", "G41", "G0 X5 Y5"});
  EXPECT_EQ(El(3).CompSide, 1);
}

TEST_F(InterpreterTest, TheContoursEValueGoesToItsLinesAndArcs) {
  Sheet();
  Feed({"G0 X0 Y0 E123", "G1 X5 Y0", "G2 X10 Y0 I2.5", "G0 X20 Y0 E7", "G1 X30 Y0"});
  EXPECT_EQ(El(1).UWord, 12);
  EXPECT_EQ(El(2).UWord, 12);
  EXPECT_EQ(El(3).UWord, 12);
  EXPECT_EQ(El(4).UWord, 7);
  EXPECT_EQ(El(5).UWord, 7);
}

TEST_F(InterpreterTest, PolarLines) {
  Sheet();
  Feed({"G0 X0 Y0", "G11 X10 Y0 U5 A90"});
  EXPECT_MOVE(El(2), 1, 10, -5);
  Feed({"G0 X2 Y3", "G110 U5 A0"});
  EXPECT_MOVE(El(4), 1, 7, 3);
  EXPECT_EQ(interp.Scan.LastX, 7);
  EXPECT_EQ(interp.Scan.ModalMotionCode, 88);  // not changed by a polar line
}

TEST_F(InterpreterTest, TheOriginIsRoundedToWholeUnits) {
  Sheet();
  Feed({"G92 X12.5 Y-12.5 Z0.4"});
  EXPECT_EQ(state.OriginX, 13);
  EXPECT_EQ(state.OriginY, -13);
  EXPECT_EQ(state.OriginZ, 0);
  Feed({"G92 X0.4"});
  EXPECT_EQ(state.OriginX, 0);
  EXPECT_EQ(Count(), 0);
  // The origin leaves the readers' last X and Y alone.
  Feed({"G0 X5 Y6", "G92 X100 Y100", "G1 X7"});
  EXPECT_MOVE(El(2), 1, 7, 6);
}

TEST_F(InterpreterTest, TheSheetBlockSetsUnitsAndSize) {
  Feed({"G70 X10 Y5 Z1"});
  EXPECT_EQ(state.GcodeUnitFactor, 25.4);
  EXPECT_FLOAT_EQ(state.SheetLength, 254);
  EXPECT_FLOAT_EQ(state.SheetHeight, 127);
  EXPECT_FLOAT_EQ(state.SheetThickness, 25.4f);
  Feed({"G71 X10 Y5 Z1"});
  EXPECT_EQ(state.GcodeUnitFactor, 1.0);
  EXPECT_FLOAT_EQ(state.SheetLength, 10);
  EXPECT_FLOAT_EQ(state.SheetThickness, 1);
  // G70 and G71 act only in the sheet block.
  Feed({"G1 G70 X5 Y5"});
  EXPECT_EQ(state.GcodeUnitFactor, 1.0);
}

TEST_F(InterpreterTest, JobValuesOutliveTheSheetBlock) {
  state.HandOffFlag = fieldray::BoolTrue;
  state.VarTable[12] = 300;
  state.VarSet[12] = fieldray::BoolTrue;
  state.VarTable[1] = 7;
  Feed({"G70 X10 Y5 Z1"});
  EXPECT_FLOAT_EQ(state.SheetLength, 300 * 25.4f);
  EXPECT_FLOAT_EQ(state.VarTable[1], 7);
  // Without the hand-off the entry is erased first and stays erased.
  state.HandOffFlag = fieldray::BoolFalse;
  Feed({"G71 X10 Y5 Z1"});
  EXPECT_FLOAT_EQ(state.SheetLength, 0);
  EXPECT_FLOAT_EQ(state.VarTable[1], 0);
}

TEST_F(InterpreterTest, TheSheetBlockResetsTheContourValues) {
  Feed({"G0 X0 Y0 E5", "G41", "*T1=4"});
  Feed({"G71 X100 Y100 Z1"});
  EXPECT_EQ(interp.Scan.ContourEWord, 0);
  EXPECT_EQ(interp.Scan.CutterCompMode, 0);
  EXPECT_EQ(state.PatternTable[1][0], 0);
}

TEST_F(InterpreterTest, ArcCodesOfOneFamilyStayModalAsWritten) {
  Sheet();
  Feed({"G0 X0 Y0", "G12 X10 Y0 I5"});
  EXPECT_EQ(El(2).MoveCode, 2);
  EXPECT_EQ(interp.Scan.ModalMotionCode, 12);
  Feed({"G38 X20 Y0 I5"});
  EXPECT_EQ(El(3).MoveCode, 3);
  EXPECT_EQ(interp.Scan.ModalMotionCode, 38);
}

namespace {

// Every kind of move, written once for every corner.
const char* const MirrorProgram[] = {
    "G0 X100 Y50",        "G1 X200 Y50 U10", "G1 X200 Y150",     "G2 X250 Y200 I50 J0",
    "G3 X300 Y250 U50",   "G2 X300 Y300 A45", "G11 X320 Y300 U20 A30", "G110 U15 A120",
    "G1 G91 X-20 Y10",    "G1 X40",           "G3 G91 X10 Y10 I0 J10",
};

}  // namespace

class MirrorTest : public InterpreterTest, public ::testing::WithParamInterface<int> {};

TEST_P(MirrorTest, AMirroredProgramDrawsTheMirrorImage) {
  const int corner = GetParam();
  auto run = [&](int c) {
    state.PathElements.assign(1, fieldray::PathElement{});
    ResetGcodeScan(interp);
    Feed({"G71 X1000 Y500 Z18", "G5" + std::to_string(4 + c)});
    for (const char* l : MirrorProgram) Feed({l});
    FlushGcodeScan(interp);
    return state.PathElements;
  };
  auto plain = run(0);
  auto mirrored = run(corner);
  ASSERT_EQ(plain.size(), mirrored.size());
  ASSERT_GT(plain.size(), 10u);
  const bool mx = corner >= 2, my = corner % 2 == 1;
  auto fx = [&](double x) { return mx ? 1000 - x : x; };
  auto fy = [&](double y) { return my ? 500 - y : y; };
  for (std::size_t i = 1; i < plain.size(); ++i) {
    const auto &p = plain[i], &m = mirrored[i];
    int code = p.MoveCode;
    if (mx != my && (code == 2 || code == 3)) code = 5 - code;
    EXPECT_EQ(m.MoveCode, code) << i;
    EXPECT_NEAR(m.EndX, fx(p.EndX), 1e-3) << i;
    EXPECT_NEAR(m.EndY, fy(p.EndY), 1e-3) << i;
    if (p.MoveCode == 2 || p.MoveCode == 3) {
      EXPECT_NEAR(m.CentreX, fx(p.CentreX), 2e-2) << i;
      EXPECT_NEAR(m.CentreY, fy(p.CentreY), 2e-2) << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Corners, MirrorTest, ::testing::Values(1, 2, 3));
