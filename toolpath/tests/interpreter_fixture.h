#pragma once
// The line interpreter over the toolpath test state, fed line by line.
#include <initializer_list>
#include <string>

#include "toolpath/interpreter.h"
#include "toolpath/tests/toolpath_fixture.h"

class InterpreterTest : public ToolpathTest {
 protected:
  InterpreterTest() {
    fieldray::toolpath::ResetGcodeScan(interp);
    state.GcodeUnitFactor = 1;
  }

  // Each line as the scanner raises it.
  void Feed(std::initializer_list<std::string> lines) {
    for (const std::string& l : lines) {
      awk.SetText(l);
      fieldray::toolpath::GcodeAwk_ScanLine(interp);
    }
  }

  // The sheet block of most cases: metric, 1000 x 500 x 18.
  void Sheet() { Feed({"G71 X1000 Y500 Z18"}); }

  int Count() const { return static_cast<int>(state.PathElements.size()) - 1; }
  const fieldray::PathElement& El(int i) const { return state.PathElements.at(static_cast<std::size_t>(i)); }

  fieldray::toolpath::GcodeInterpreter interp{ctx};
};

// End point and move code of an element.
#define EXPECT_MOVE(el, code, x, y)         \
  do {                                      \
    EXPECT_EQ((el).MoveCode, code);         \
    EXPECT_NEAR((el).EndX, x, 1e-6);        \
    EXPECT_NEAR((el).EndY, y, 1e-6);        \
  } while (0)
