#include <gtest/gtest.h>

#include "toolpath/tests/toolpath_fixture.h"
#include "toolpath/word_readers.h"

using namespace fieldray::toolpath;
using fieldray::SetGridCell;

TEST_F(ToolpathTest, CoordinatesAreModalScaledAndMirrored) {
  MetricSheet();
  Line(" G1 X100 Y20");
  EXPECT_FLOAT_EQ(GetGcodeX(ctx), 100);
  EXPECT_FLOAT_EQ(GetGcodeY(ctx), 20);
  // No word: the last value again, under the current factor and mirror.
  Line(" G1");
  state.GcodeUnitFactor = 25.4;
  EXPECT_FLOAT_EQ(GetGcodeX(ctx), 2540);
  state.GcodeUnitFactor = 1;
  state.OriginCorner = 3;
  state.VarTable[12] = 1000;
  state.VarTable[8] = 500;
  Line(" G1 X100 Y10");
  EXPECT_FLOAT_EQ(GetGcodeX(ctx), 900);
  EXPECT_FLOAT_EQ(GetGcodeY(ctx), 490);
  state.OriginCorner = 1;  // Y only
  EXPECT_FLOAT_EQ(GetGcodeX(ctx), 100);
  EXPECT_FLOAT_EQ(GetGcodeY(ctx), 490);
  state.OriginCorner = 2;  // X only
  EXPECT_FLOAT_EQ(GetGcodeX(ctx), 900);
  EXPECT_FLOAT_EQ(GetGcodeY(ctx), 10);
  // Without a sheet size Y is negated.
  state.OriginCorner = 0;
  state.SheetLength = state.SheetHeight = 0;
  EXPECT_FLOAT_EQ(GetGcodeY(ctx), -10);
  // The readers leave the separator at their letter.
  EXPECT_EQ(awk.FS(), "Y");
}

TEST_F(ToolpathTest, CentreWordsAreScaledBeforeTheMirror) {
  MetricSheet();
  state.GcodeUnitFactor = 2;
  Line(" G2 X1 Y1 I5 J-3");
  EXPECT_FLOAT_EQ(GetGcodeI(ctx), 10);
  EXPECT_FLOAT_EQ(GetGcodeJ(ctx), -6);
  state.GcodeUnitFactor = 3;
  Line(" G2");  // the last I and J are the scaled ones
  EXPECT_FLOAT_EQ(GetGcodeI(ctx), 10);
  state.OriginCorner = 3;
  state.VarTable[8] = 500;
  EXPECT_FLOAT_EQ(GetGcodeI(ctx), 490);
  EXPECT_FLOAT_EQ(GetGcodeJ(ctx), 506);
}

TEST_F(ToolpathTest, OutOfRangeNumbersReadAsZeroWithADiagnostic) {
  MetricSheet();
  Line(" G1 X1" + std::string(60, '0'));
  EXPECT_FLOAT_EQ(GetGcodeX(ctx), 0);
  ASSERT_EQ(state.LoadDiagnostics.size(), 1u);
}

TEST_F(ToolpathTest, RadiusIsModalAndComesFromTheToolGrid) {
  MetricSheet();
  SetGridCell(toolDat, 5, 3, " 4.5");
  SetGridCell(toolDat, 1, 3, "3");
  SetGridCell(toolDat, 15, 6, "-7");
  SetGridCell(toolDat, 2, 3, "0");
  SetGridCell(toolDat, 35, 3, "");
  std::int16_t start = fieldray::BoolTrue, plain = 0;

  Line(" G41 T0105 X0");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, start), 4.5);
  EXPECT_EQ(toolDat.Row(), 5);
  EXPECT_EQ(toolDat.Col(), 3);
  Line(" G1 X5");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, plain), 4.5);  // modal
  Line(" T01");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, start), 3);
  Line(" T0215");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, start), 7);  // row 15, column 6, made positive
  Line(" T0102");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, start), DefaultToolRadius);  // a zero cell
  Line(" G88 X0");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, start), DefaultToolRadius);  // no T word
  Line(" T03");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, start), DefaultToolRadius);  // group 3
  // An R word wins over the tool and is scaled.
  state.GcodeUnitFactor = 2;
  Line(" T0105 R-3");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, start), 6);
  // A radius word without the flag never looks a tool up.
  Line(" T0105");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, plain), 6);
}

TEST_F(ToolpathTest, ToolWordsThatNameNoRow) {
  MetricSheet();
  SetGridCell(toolDat, 0, 3, "12");  // a heading that reads as a number
  SetGridCell(toolDat, 1, 3, "3");
  std::int16_t start = fieldray::BoolTrue;
  for (const char* word : {" T01 5", " T01#5", " T01.5", " T01-5", " T0199", " T01z9", " T.5"}) {
    Line(word);
    EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, start), DefaultToolRadius) << word;
  }
  // A lower-case letter third counts as 10..35: a5 names row 105.
  toolDat.SetMaxRows(200);
  SetGridCell(toolDat, 105, 3, "2.5");
  Line(" T01a5");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, start), 2.5);
  // A letter fourth is not part of the row.
  SetGridCell(toolDat, 4, 3, "1.5");
  Line(" T014x");
  EXPECT_DOUBLE_EQ(GetGcodeRadius(ctx, start), 1.5);
  EXPECT_TRUE(state.LoadDiagnostics.empty());
}

TEST_F(ToolpathTest, WordValuesAtLettersAndStandIns) {
  Line(" G81 X10 Z-2.5 P2 \x04" "6.5 \x05" "12");
  EXPECT_DOUBLE_EQ(WordValue(ctx, "Z"), -2.5);
  EXPECT_DOUBLE_EQ(WordValue(ctx, "\x04"), 6.5);
  EXPECT_DOUBLE_EQ(WordValue(ctx, "Q"), 0);
  EXPECT_DOUBLE_EQ(WordValue(ctx, "\x05"), 12);
}

TEST(GetGcodeA, FindsTheAngleAfterA) {
  double angle = -1;
  EXPECT_FALSE(GetGcodeA(" G11 X10 U5", angle));
  EXPECT_EQ(angle, -1);
  EXPECT_TRUE(GetGcodeA(" G11 X10 U5 A90", angle));
  EXPECT_EQ(angle, 90);
  EXPECT_TRUE(GetGcodeA(" G11 A", angle));
  EXPECT_EQ(angle, 0);
  EXPECT_FALSE(GetGcodeA(" g11 a45", angle));
}
