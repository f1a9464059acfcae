#pragma once
// A program state with the main window's scanners and tool grid, for the
// toolpath tests.
#include <gtest/gtest.h>

#include <string>

#include "job/grid_cells.h"
#include "toolpath/context.h"
#include "toolpath/expressions.h"

class ToolpathTest : public ::testing::Test {
 protected:
  ToolpathTest() { fieldray::toolpath::ConnectEval(eval, state); }

  // The line as GcodeAwk holds it during a scan.
  void Line(const std::string& text) { awk.SetText(text); }

  // A sheet size is known, unit factor 1, no mirroring.
  void MetricSheet() {
    state.GcodeUnitFactor = 1;
    state.SheetLength = 1000;
    state.SheetHeight = 500;
  }

  fieldray::ProgramState state;
  winplat::TextScanner awk, parser, eval;
  winplat::SpreadGrid toolDat{40, 6};
  fieldray::toolpath::ToolpathContext ctx{state, awk, parser, eval, toolDat};
};
