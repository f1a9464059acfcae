// A compensated program through the interpreter and the offset pass.
#include "toolpath/offset_pass.h"
#include "toolpath/tests/interpreter_fixture.h"

using namespace fieldray;

TEST_F(InterpreterTest, CompensatedContourGetsItsCopiesAppendedFromTheFirst) {
  Feed({"G71 X1000 Y500 Z18", "G0 X0 Y0 P5 R1", "G1 G41 X10 Y0", "G1 X10 Y10", "G1 X0 Y10", "G1 X0 Y0",
        "G81 X50 Y50"});
  ASSERT_EQ(Count(), 6);
  ASSERT_EQ(El(1).CompSide, 1);
  toolpath::RadiusOffset ro;
  toolpath::AppendOffsetPath(state, ro);
  ASSERT_EQ(Count(), 6 + 16);
  // Side 0 copy at +1 right after the programmed path, its start included.
  EXPECT_MOVE(El(7), 88, 0, -1);
  EXPECT_EQ(El(7).CompSide, 0);
  EXPECT_EQ(El(8).MoveCode, 1);
  EXPECT_NEAR(El(8).EndX, 10, 1e-4);
  EXPECT_EQ(El(9).MoveCode, 2);
  EXPECT_NEAR(El(9).EndX, 11, 1e-4);
  EXPECT_NEAR(El(14).EndX, -1, 1e-4);
  // Side 2 copy at +2.
  EXPECT_MOVE(El(15), 88, 0, -2);
  EXPECT_EQ(El(15).CompSide, 2);
}

TEST_F(InterpreterTest, ContourWithoutCycleFiveGetsNoCopy) {
  Feed({"G71 X1000 Y500 Z18", "G0 X0 Y0 R1", "G1 G41 X10 Y0", "G1 X10 Y10"});
  ASSERT_EQ(El(1).CycleCode, 6);
  toolpath::RadiusOffset ro;
  toolpath::AppendOffsetPath(state, ro);
  ASSERT_EQ(Count(), 4);
  EXPECT_EQ(El(4).MoveCode, 0);
  EXPECT_EQ(El(4).EndX, 0);
}
