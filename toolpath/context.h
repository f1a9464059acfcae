#pragma once
// What the toolpath routines work on: the program state and the main window's
// three text scanners and tool grid.
#include "job/program_state.h"
#include "winplat/components/grid.h"
#include "winplat/components/scanner.h"

namespace fieldray::toolpath {

struct ToolpathContext {
  ProgramState& State;
  winplat::TextScanner& GcodeAwk;  // scans the part program; the readers split its line
  winplat::TextScanner& Parser;    // splits tool words
  winplat::TextScanner& Eval;      // evaluates expressions; its variables come from VarTable
  winplat::SpreadGrid& ToolDat;    // the tool grid ("Tool.Dat")
};

// Adds a diagnostic to the state's load diagnostics, naming the scanned line
// when GcodeAwk is scanning a file.
void AddDiagnostic(ToolpathContext& ctx, const std::string& text);

}  // namespace fieldray::toolpath
