#pragma once
// Expression evaluation for the G-code interpreter and the job intake, tool-word
// expansion, and the evaluator's variable look-up.
//
// Expressions use the text scanner's syntax (platform/components/FORMATS.md):
// numbers, single-letter variables A to S read from VarTable, + - * / with the
// usual precedence, unary minus, parentheses, the comparisons < > = <= >= <>
// and & and | as the logical and and or of a condition (true is -1). The
// letters D and E reach the evaluator as the stand-in codes StandInD and
// StandInE, so they are never taken for anything but variables 4 and 5.
#include <cstdint>
#include <string>

#include "toolpath/context.h"

namespace fieldray::toolpath {

// Prepares `text` in place and evaluates it with Eval: blanks trimmed, D and E
// replaced by their stand-ins, one leading "=" dropped, and the text cut after
// the first blank that ends the expression (a blank between two operands, as
// in "L/2 X": "L/2 " is evaluated; blanks around operators, as in "5> 3 & 2< 1",
// do not end it). An expression that cannot be evaluated, or whose value is out
// of range, reads as 0 and adds a diagnostic; nothing is thrown.
float EvaluateExpression(ToolpathContext& ctx, std::string& text);

// The word with its leading expression (its first blank-delimited piece)
// replaced by the expression's value, written without a leading blank: "L/2 Y5"
// with L = 100 gives "50Y5". An empty word gives "".
std::string EvaluateWordValue(ToolpathContext& ctx, std::string& word);

// The tool numbers of the line's T word as two-digit numbers run together:
// commas in `text` become "T" (in place); several T words give one number each;
// one T word gives its digits up to the next letter, less its first two when
// longer than two; ranges "a-b" are filled in ("03-07" gives 0304050607).
// `unused` is set to 0.
std::string ParseToolWord(ToolpathContext& ctx, std::string& text, std::int32_t& unused);

// Eval's variable event: letters A to S (either case, D and E also as their
// stand-ins) answer VarTable; other names keep the value Eval passed. Always
// handled.
void Eval_GetVariable(ProgramState& state, const std::string& name, double& value, std::int16_t& handled);

// Connects Eval's variable event to Eval_GetVariable over `state`.
void ConnectEval(winplat::TextScanner& eval, ProgramState& state);

}  // namespace fieldray::toolpath
