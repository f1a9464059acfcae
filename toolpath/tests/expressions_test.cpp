#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"
#include "toolpath/standin_codes.h"
#include "winplat/paths.h"
#include "toolpath/tests/toolpath_fixture.h"

using namespace fieldray::toolpath;

TEST_F(ToolpathTest, ExpressionsReadJobVariables) {
  for (int k = 1; k <= 20; ++k) state.VarTable[static_cast<std::size_t>(k)] = static_cast<float>(k * 10);
  std::string text = " =L/2 X";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 60);
  EXPECT_EQ(text, "L/2 ");  // the caller's text is prepared in place
  text = "D+E";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 90);
  EXPECT_EQ(text, StandIn(StandInD) + "+" + StandIn(StandInE));
  text = "d*e";  // lower case reads the same letters, with no stand-ins
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 2000);
  // Every letter A to S, each by itself.
  for (char letter = 'A'; letter <= 'S'; ++letter) {
    text = std::string(1, letter);
    EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), (letter - 'A' + 1) * 10) << letter;
  }
  // T (20) and stand-ins of other words are not job variables: they read 0.
  text = "T+1";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 1);
  text = StandIn(StandInR50) + "+2";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 2);
  text = "-(A+B)*C/ -4 + 1";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 226);
  EXPECT_TRUE(state.LoadDiagnostics.empty());
}

TEST_F(ToolpathTest, ConditionsKeepTheirJoins) {
  // The condition text as the interpreter builds it from numbers with their
  // leading blanks: only the blank between two operands ends an expression.
  std::string text = " 5> 3";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), -1);
  text = " 5> 3 &  2< 1";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 0);
  EXPECT_EQ(text, "5> 3 &  2< 1");
  text = " 5> 3 |  2< 1";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), -1);
  text = " 2= 2 &  1<>-1";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), -1);
  text = " 2>= 3 |  1<=0";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 0);
  // A parameter line's field: the value, then later words.
  text = "= L/2";  // blanks in front of the expression do not end it
  state.VarTable[12] = 8;
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 4);
  text = "10 B20 C30";
  EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 10);
  EXPECT_EQ(text, "10 ");
}

TEST_F(ToolpathTest, MalformedExpressionsReadZeroWithADiagnostic) {
  awk.SetText("unrelated");
  for (std::string bad : std::vector<std::string>{"", "=", "1+", "(2", "2)", "4/0", "A/(B-B)", "#1", "\xC3\x84+1", "1e3", "9" + std::string(50, '9') + "*1"}) {
    std::string text = bad;
    EXPECT_FLOAT_EQ(EvaluateExpression(ctx, text), 0) << bad;
  }
  EXPECT_EQ(state.LoadDiagnostics.size(), 11u);
  EXPECT_EQ(awk.Text(), "unrelated");  // Eval is its own scanner

  // During a scan the diagnostic names the line.
  state.LoadDiagnostics.clear();
  std::string path = "C:\\Jobs\\bad.nc";
  testsupport::WriteFile(winplat::HostPath(path), "G1\n=1+\n");
  awk.OnLine = [&] {
    std::string t = awk.Text();
    if (t.starts_with("=")) EvaluateExpression(ctx, t);
  };
  awk.SetFileName(path);
  ASSERT_EQ(state.LoadDiagnostics.size(), 1u);
  EXPECT_EQ(state.LoadDiagnostics[0].rfind("line 2: ", 0), 0u) << state.LoadDiagnostics[0];
}

TEST_F(ToolpathTest, WordValues) {
  state.VarTable[12] = 100;
  std::string word = "L/2 Y5";
  EXPECT_EQ(EvaluateWordValue(ctx, word), "50Y5");
  word = " L/4";
  EXPECT_EQ(EvaluateWordValue(ctx, word), "25");
  word = "-L/8 Z1";
  EXPECT_EQ(EvaluateWordValue(ctx, word), "-12.5Z1");
  word = "";
  EXPECT_EQ(EvaluateWordValue(ctx, word), "");
  word = "0.5";
  EXPECT_EQ(EvaluateWordValue(ctx, word), ".5");
}

TEST_F(ToolpathTest, ToolWords) {
  std::int32_t unused = 99;
  std::string text = " G183 X0 I200 T0103-07";
  EXPECT_EQ(ParseToolWord(ctx, text, unused), "0304050607");
  EXPECT_EQ(unused, 0);
  text = " G183 T0107-03";
  EXPECT_EQ(ParseToolWord(ctx, text, unused), "0706050403");
  text = " G183 T0105-05";
  EXPECT_EQ(ParseToolWord(ctx, text, unused), "0505");
  text = " G183 T05";
  EXPECT_EQ(ParseToolWord(ctx, text, unused), "05");
  text = " G183 T0103-07 X0";  // a later word leaves its blank behind
  EXPECT_EQ(ParseToolWord(ctx, text, unused), "0304050607 ");
  text = " G183 T5,7,12";
  EXPECT_EQ(ParseToolWord(ctx, text, unused), "050712");
  EXPECT_EQ(text, " G183 T5T7T12");
  text = " G183 X0";
  EXPECT_EQ(ParseToolWord(ctx, text, unused), "");
}

TEST(StandInCodes, OutsideTextCannotHoldThem) {
  std::string dirty("G1\x01 X\x05" "5\0\tY\x06\x1F\xC3\x89", 14);
  EXPECT_EQ(RemoveUnholdableBytes(dirty), "G1 X5\tY\xC3\x89");
  for (char code : {StandInR50, StandInR51, StandInR52, StandInR54, StandInE, StandInD})
    EXPECT_EQ(RemoveUnholdableBytes(StandIn(code)), "");
}
