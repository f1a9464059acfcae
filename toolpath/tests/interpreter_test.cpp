// Line preparation, pattern lines, modal words, the motion code and the common
// end of a line.
#include <gtest/gtest.h>

#include "toolpath/block_words.h"
#include "toolpath/interpreter.h"
#include "toolpath/standin_codes.h"
#include "toolpath/tests/interpreter_fixture.h"

using namespace fieldray::toolpath;

TEST_F(InterpreterTest, CommentsAreDroppedAndCommentLinesDoNothing) {
  Sheet();
  Feed({"G0 X0 Y0", "G1 X10 Y5 ; move", "; only a comment"});
  ASSERT_EQ(Count(), 2);
  EXPECT_MOVE(El(2), 1, 10, 5);
  EXPECT_EQ(awk.Text(), "");
  Feed({"G1 X10 Y5"});
  EXPECT_MOVE(El(3), 1, 10, 5);
}

TEST_F(InterpreterTest, LeadingZeroGWordsStartContours) {
  Sheet();
  Feed({"G01 X5 Y5"});
  ASSERT_EQ(Count(), 1);
  EXPECT_MOVE(El(1), 88, 5, 5);
  Feed({"G1 X6 Y5", "G02 X7 Y5 I1"});
  ASSERT_EQ(Count(), 3);
  EXPECT_MOVE(El(2), 1, 6, 5);
  EXPECT_MOVE(El(3), 88, 7, 5);
}

TEST_F(InterpreterTest, WordsWithoutCoordinatesAppendNothing) {
  Sheet();
  Feed({"G1 X5 Y5", "G0"});
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(interp.Scan.ModalMotionCode, 88);
  Feed({"", "   "});  // modal 88 without X or Y
  EXPECT_EQ(Count(), 1);
  Feed({"G1 X6 Y6", "G1"});  // G1 alone keeps the modal code
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(interp.Scan.ModalMotionCode, 1);
  Feed({"X7 Y7"});  // a line without G takes the modal code
  ASSERT_EQ(Count(), 3);
  EXPECT_MOVE(El(3), 1, 7, 7);
}

TEST_F(InterpreterTest, ModalArcsNeedAWordToActOn) {
  Sheet();
  Feed({"G0 X0 Y0", "G2 X10 Y0 I5 J0"});
  ASSERT_EQ(Count(), 2);
  EXPECT_EQ(interp.Scan.ModalMotionCode, 2);
  Feed({"", "; note", "M3", "*T1=5", "F1000"});
  EXPECT_EQ(Count(), 2);
  Feed({"X0 Y0 I-5"});  // a modal arc with words runs
  ASSERT_EQ(Count(), 3);
  EXPECT_MOVE(El(3), 2, 0, 0);
  EXPECT_NEAR(El(3).CentreX, 5, 1e-9);
}

TEST_F(InterpreterTest, ModalWordsRunFromLastToFirst) {
  Sheet();
  Feed({"G0 X0 Y0", "G1 G41 G40 X10 Y0"});
  EXPECT_EQ(El(2).CompSide, 1);
  EXPECT_EQ(interp.Scan.CutterCompMode, 1);
  Feed({"G40"});
  EXPECT_EQ(interp.Scan.CutterCompMode, 0);
}

TEST_F(InterpreterTest, IncrementalModeHoldsForItsLineOnly) {
  Sheet();
  Feed({"G0 X10 Y10", "G1 G91 X5", "G1 X5"});
  ASSERT_EQ(Count(), 3);
  EXPECT_MOVE(El(2), 1, 15, 10);  // no Y word: no move on Y
  EXPECT_MOVE(El(3), 1, 5, 10);
  // After an incremental move a line without X stays on the tool's X.
  Feed({"G1 G91 X20", "G1 Y30"});
  EXPECT_MOVE(El(5), 1, 25, 30);
}

TEST_F(InterpreterTest, OnlyTheFirstGWordSelectsTheMotion) {
  Sheet();
  Feed({"G0 X0 Y0", "G91 G1 X5", "G90 G1 X5 Y5"});
  EXPECT_EQ(Count(), 1);
}

TEST_F(InterpreterTest, M2EndsOnlyItsLine) {
  Sheet();
  Feed({"G0 X0 Y0", "G1 X5 Y0 M2", "G1 X6 Y0"});
  ASSERT_EQ(Count(), 2);
  EXPECT_MOVE(El(2), 1, 6, 0);
}

TEST_F(InterpreterTest, CornerWordsWithAndWithoutSlash) {
  state.OriginCorner = 2;
  Feed({"G54/"});
  EXPECT_EQ(state.AltOriginCorner, 0);
  EXPECT_EQ(state.OriginCorner, 2);
  Feed({"G57/", "G54"});
  EXPECT_EQ(state.AltOriginCorner, 3);
  EXPECT_EQ(state.OriginCorner, 0);
}

TEST_F(InterpreterTest, ProgramCallsAndExpressionsAreRewritten) {
  std::vector<std::string> seen;
  interp.CycleWords = [&](LineScan& line) { seen.push_back(line.Ctx.GcodeAwk.Text()); };
  Feed({"!ABC"});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "G150()  A B C");
  state.VarTable[12] = 40;
  Feed({"G150(1) X=L/2"});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1], " G150(1) X20");
}

TEST_F(InterpreterTest, ExpressionsAfterAnOperatorEvaluateWhole) {
  Sheet();
  state.VarTable[12] = 40;
  state.VarTable[8] = 8;
  Feed({"G0 X0 Y0", "G1 X=100-L Y=H*2+1"});
  ASSERT_EQ(Count(), 2);
  EXPECT_MOVE(El(2), 1, 60, 17);
  Feed({"G1 X= L/2 Y=(H-5)*2"});
  EXPECT_MOVE(El(3), 1, 20, 6);
  EXPECT_TRUE(state.LoadDiagnostics.empty());
}

TEST_F(InterpreterTest, SkippedBlocksEndAtG152) {
  Sheet();
  state.BlockCondition = fieldray::BoolFalse;
  Feed({"G0 X0 Y0", "G1 X5 Y0", "G41"});
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(interp.Scan.CutterCompMode, 0);
  Feed({"G152 X9 Y9"});  // turns execution on, but is no motion
  EXPECT_EQ(state.BlockCondition, fieldray::BoolTrue);
  EXPECT_EQ(Count(), 0);
  Feed({"G0 X1 Y1"});
  EXPECT_EQ(Count(), 1);
}

TEST_F(InterpreterTest, PatternLinesFillTheirRow) {
  Feed({"*T3=12.5 R0=4 R2=7"});
  EXPECT_EQ(state.PatternTable[3][0], 12);  // halves to even
  EXPECT_EQ(state.PatternTable[3][1], 4);
  EXPECT_EQ(state.PatternTable[3][3], 7);
  EXPECT_EQ(Count(), 0);
  state.GcodeUnitFactor = 25.4;
  Feed({"*T0=1 R5=9 R4=2"});
  EXPECT_EQ(state.PatternTable[0][0], 25);
  EXPECT_EQ(state.PatternTable[0][5], 51);
  EXPECT_EQ(state.PatternTable[0][6], 0);  // R5 ignored
  EXPECT_EQ(state.LoadDiagnostics.size(), 1u);
}

TEST_F(InterpreterTest, PatternLinesOutsideTheTableChangeNothing) {
  auto before = state.PatternTable;
  Feed({"*T12=5 R0=1", "*T-1=5", "*T2=5 R-1=7"});
  EXPECT_EQ(state.PatternTable[2][0], 5);
  state.PatternTable[2][0] = 0;
  EXPECT_EQ(state.PatternTable, before);
  EXPECT_EQ(state.LoadDiagnostics.size(), 3u);
}

TEST_F(InterpreterTest, UnknownParameterWordsAreNoRadius) {
  // No sheet size: R is the corner radius, but R53= is no R word.
  Feed({"G0 X0 Y0", "G1 X10 Y0 R53=5", "G1 X10 Y10"});
  ASSERT_EQ(Count(), 3);
  EXPECT_MOVE(El(2), 1, 10, 0);
  EXPECT_MOVE(El(3), 1, 10, -10);
  EXPECT_EQ(state.LoadDiagnostics.size(), 1u);
}

TEST_F(InterpreterTest, CommonEndMarksTheLastElementOfALineWithoutASheet) {
  Feed({"G0 X0 Y0 P3", "G1 X10 Y0", "G1", "G1 X20 Y0"});
  ASSERT_EQ(Count(), 3);
  EXPECT_EQ(El(1).CycleCode, 5);
  EXPECT_EQ(El(2).CycleCode, 5);
  EXPECT_EQ(El(0).CycleCode, 0);  // lines that append nothing leave slot 0 alone
  // A reused contour start counts as appended.
  Feed({"G0 X1 Y1", "G0 X2 Y2 P4"});
  EXPECT_EQ(El(4).CycleCode, 5);
  EXPECT_EQ(El(0).CycleCode, 0);
}

TEST_F(InterpreterTest, ResetStartsANewProgramFresh) {
  state.GcodeUnitFactor = 0;
  Feed({"G0 X0 Y0", "G1 G41 X10 Y0 R2", "G2 X20 Y0 I5"});
  interp.Scan.PendingCornerRadius = 3;
  ResetGcodeScan(interp);
  EXPECT_EQ(interp.Scan.ModalMotionCode, 0);
  EXPECT_EQ(interp.Scan.PendingCornerRadius, 0);
  EXPECT_EQ(interp.Scan.CutterCompMode, 0);
  EXPECT_EQ(interp.Scan.LastX, 0);
  EXPECT_EQ(state.GcodeReaders.LastX, 0);
  EXPECT_EQ(state.GcodeReaders.LastRadius, 0);
  EXPECT_TRUE(state.LoadDiagnostics.empty());
  EXPECT_EQ(state.GcodeUnitFactor, 1.0);
}

TEST_F(InterpreterTest, TheFirstProgramWithoutASheetBlockIsNotScaledToZero) {
  fieldray::ProgramState fresh;
  EXPECT_EQ(fresh.GcodeUnitFactor, 0);
  state.GcodeUnitFactor = 0;
  ResetGcodeScan(interp);
  Feed({"G0 X3 Y4"});
  EXPECT_MOVE(El(1), 88, 3, -4);
}
