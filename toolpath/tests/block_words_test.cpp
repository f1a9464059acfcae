// Straight moves with their held-back corners, and arcs.
#include <gtest/gtest.h>

#include <cmath>

#include "toolpath/interpreter.h"
#include "toolpath/tests/interpreter_fixture.h"

using namespace fieldray::toolpath;

namespace {
double Dist(double x1, double y1, double x2, double y2) { return std::hypot(x2 - x1, y2 - y1); }
}  // namespace

TEST_F(InterpreterTest, ACornerRadiusRoundsTheCornerToTheNextLine) {
  // No sheet size: R is the corner radius and Y is negated.
  Feed({"G0 X0 Y0", "G1 X10 Y0 R2"});
  EXPECT_EQ(Count(), 1);
  Feed({"G1 X10 Y10"});
  ASSERT_EQ(Count(), 4);
  EXPECT_MOVE(El(2), 1, 8, 0);
  EXPECT_MOVE(El(3), 3, 10, -2);  // right turn in path coordinates
  // The centre comes through the radius routine's rounded chord.
  EXPECT_NEAR(El(3).CentreX, 8, 2e-3);
  EXPECT_NEAR(El(3).CentreY, -2, 2e-3);
  EXPECT_MOVE(El(4), 1, 10, -10);
  EXPECT_EQ(interp.Scan.PendingCornerRadius, 0);
}

TEST_F(InterpreterTest, ANegativeCornerRadiusChamfers) {
  Feed({"G0 X0 Y0", "G1 X10 Y0 R-2", "G1 X10 Y10"});
  ASSERT_EQ(Count(), 4);
  EXPECT_MOVE(El(2), 1, 8, 0);
  EXPECT_MOVE(El(3), 1, 10, -2);
  EXPECT_MOVE(El(4), 1, 10, -10);
}

TEST_F(InterpreterTest, ACollinearCornerIsAStraightPieceOnTheLine) {
  Feed({"G0 X0 Y0", "G1 X10 Y0 R2", "G1 X20 Y0"});
  ASSERT_EQ(Count(), 4);
  EXPECT_MOVE(El(2), 1, 8, 0);
  EXPECT_MOVE(El(3), 1, 12, 0);
  EXPECT_MOVE(El(4), 1, 20, 0);
}

TEST_F(InterpreterTest, AReversingCornerGetsNoFillet) {
  Feed({"G0 X0 Y0", "G1 X10 Y0 R2", "G1 X0 Y0"});
  ASSERT_EQ(Count(), 3);
  EXPECT_MOVE(El(2), 1, 10, 0);
  EXPECT_MOVE(El(3), 1, 0, 0);
}

TEST_F(InterpreterTest, AHeldBackCornerIsNeverLost) {
  // Before an arc.
  Feed({"G0 X0 Y0", "G1 X10 Y0 R2", "G2 X20 Y0 I5 J0"});
  ASSERT_EQ(Count(), 3);
  EXPECT_MOVE(El(2), 1, 10, 0);
  EXPECT_EQ(El(3).MoveCode, 2);
  // Before a contour start, and at the end of the scan.
  Feed({"G1 X30 Y0 R2", "G0 X50 Y50", "G1 X60 Y50 R1"});
  ASSERT_EQ(Count(), 5);
  EXPECT_MOVE(El(4), 1, 30, 0);
  EXPECT_MOVE(El(5), 88, 50, -50);
  FlushGcodeScan(interp);
  ASSERT_EQ(Count(), 6);
  EXPECT_MOVE(El(6), 1, 60, -50);
  FlushGcodeScan(interp);
  EXPECT_EQ(Count(), 6);
  // At the origin block and the sheet block.
  Feed({"G1 X70 Y50 R1", "G92 X0 Y0"});
  EXPECT_MOVE(El(7), 1, 70, -50);
  Feed({"G1 X80 Y50 R1", "G71 X1000 Y500 Z18", "G1 X90 Y50"});
  EXPECT_MOVE(El(8), 1, 80, -50);
  ASSERT_EQ(Count(), 9);
  EXPECT_MOVE(El(9), 1, 90, 50);  // no corner: plain line
}

TEST_F(InterpreterTest, TheCornerCarriesTheContoursEValue) {
  Feed({"G0 X0 Y0 E12", "G1 X10 Y0 R2 E34", "G1 X10 Y10 E56"});
  ASSERT_EQ(Count(), 4);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(El(i).UWord, 12) << i;
}

TEST_F(InterpreterTest, WithASheetTheCornerRadiusIsTheUWord) {
  Sheet();
  Feed({"G0 X0 Y0", "G1 X10 Y0 R2", "G1 X10 Y10 U2", "G1 X0 Y10"});
  ASSERT_EQ(Count(), 5);
  EXPECT_MOVE(El(2), 1, 10, 0);
  EXPECT_EQ(El(2).CompRadius, 2);  // R is the compensation radius
  EXPECT_MOVE(El(3), 1, 10, 8);
  EXPECT_MOVE(El(4), 2, 8, 10);  // left turn
  EXPECT_NEAR(El(4).CentreX, 8, 2e-3);
  EXPECT_NEAR(El(4).CentreY, 8, 2e-3);
}

TEST_F(InterpreterTest, ArcCentresFromOffsetsRadiusAndAngle) {
  Sheet();
  Feed({"G0 X10 Y10", "G2 G91 X10 Y0 I5 J3"});
  ASSERT_EQ(Count(), 2);
  EXPECT_MOVE(El(2), 2, 20, 10);
  EXPECT_NEAR(El(2).CentreX, 15, 1e-9);
  EXPECT_NEAR(El(2).CentreY, 13, 1e-9);
  // Radius form: the centre is 5 from both ends, right of the chord for G2.
  Feed({"G3 X30 Y10 U5"});
  EXPECT_MOVE(El(3), 3, 30, 10);
  EXPECT_NEAR(Dist(El(3).CentreX, El(3).CentreY, 20, 10), 5, 1e-3);
  EXPECT_NEAR(Dist(El(3).CentreX, El(3).CentreY, 30, 10), 5, 1e-3);
  // Angle form: the end lies 5 from (X, Y) at 90 degrees measured with Y negated.
  Feed({"G0 X0 Y0", "G3 X3 Y4 A90"});
  EXPECT_MOVE(El(5), 3, 3, -1);
  EXPECT_NEAR(El(5).CentreX, 3, 1e-9);
  EXPECT_NEAR(El(5).CentreY, 4, 1e-9);
}

TEST_F(InterpreterTest, WithoutASheetTheJOffsetFollowsTheNegatedY) {
  Feed({"G0 X0 Y0", "G2 X0 Y10 J5"});
  ASSERT_EQ(Count(), 2);
  EXPECT_MOVE(El(2), 2, 0, -10);
  EXPECT_NEAR(El(2).CentreY, -5, 1e-9);
}

TEST_F(InterpreterTest, AChordLongerThanTheDiameterIsReportedOnce) {
  Sheet();
  Feed({"G0 X0 Y0", "G2 X100 Y0 U5", "G2 X200 Y0 U5"});
  EXPECT_EQ(Count(), 3);
  GcodeScanReport report = CollectScanReport(interp);
  ASSERT_EQ(report.Messages.size(), 1u);
  EXPECT_EQ(report.Messages[0], ChordTooLongMessage);
}

TEST_F(InterpreterTest, DepthIsModalAndReachingTheThicknessIsAThroughCut) {
  Sheet();
  Feed({"G0 X0 Y0", "G1 X5 Y0 Z-3", "G1 X6 Y0"});
  EXPECT_EQ(El(3).ZDepth, -3);
  EXPECT_EQ(state.ThroughFlag, fieldray::BoolFalse);
  Feed({"G1 X7 Y0 Z18"});
  EXPECT_EQ(state.ThroughFlag, fieldray::BoolTrue);
  // Without a thickness nothing counts as through.
  state.ThroughFlag = fieldray::BoolFalse;
  state.SheetThickness = 0;
  Feed({"G1 X8 Y0 Z5"});
  EXPECT_EQ(state.ThroughFlag, fieldray::BoolFalse);
}

TEST_F(InterpreterTest, AContourStartTakesTheCompensationOfItsFirstLine) {
  Sheet();
  Feed({"G0 X0 Y0", "G1 G41 X10 Y0 R3", "G1 G40 X20 Y0"});
  ASSERT_EQ(Count(), 3);
  EXPECT_EQ(El(1).CompSide, 1);
  EXPECT_EQ(El(1).CompRadius, 3);
  EXPECT_EQ(El(2).CompSide, 1);
  EXPECT_EQ(El(3).CompSide, 1);  // the cancelling move keeps the side
}
