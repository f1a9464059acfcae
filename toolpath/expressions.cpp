// Expression evaluation, word values, tool words and the variable look-up.
#include "toolpath/expressions.h"

#include <string_view>

#include "toolpath/standin_codes.h"
#include "winplat/components/routines.h"
#include "winplat/numeric.h"
#include "winplat/text.h"

namespace fieldray::toolpath {
namespace {

constexpr std::string_view Capitals = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view Operators = "+-*/<>=&|";

std::string Right(std::string_view text, std::size_t n) {
  return std::string(text.size() <= n ? text : text.substr(text.size() - n));
}

std::string Left(std::string_view text, std::size_t n) { return std::string(text.substr(0, n)); }

// Length of `text` up to and including the first blank that ends the
// expression: one with an operand on both sides. Blanks next to an operator or
// a parenthesis belong to the expression.
std::size_t ExpressionLength(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != ' ') continue;
    std::size_t next = text.find_first_not_of(' ', i);
    if (next == std::string_view::npos) return text.size();
    std::size_t last = text.find_last_not_of(' ', i);
    if (last == std::string_view::npos) {  // blanks in front of the expression
      i = next - 1;
      continue;
    }
    char before = text[last];
    char after = text[next];
    bool joined = Operators.find(before) != std::string_view::npos || before == '(' ||
                  Operators.find(after) != std::string_view::npos || after == ')';
    if (!joined) return i + 1;
    i = next - 1;
  }
  return text.size();
}

}  // namespace

void AddDiagnostic(ToolpathContext& ctx, const std::string& text) {
  if (ctx.GcodeAwk.Scanning())
    ctx.State.LoadDiagnostics.push_back("line " + std::to_string(ctx.GcodeAwk.LineNumber()) + ": " + text);
  else
    ctx.State.LoadDiagnostics.push_back(text);
}

float EvaluateExpression(ToolpathContext& ctx, std::string& text) {
  text = winplat::Trim(text);
  winplat::ReplaceChar(text, "D", StandIn(StandInD));
  winplat::ReplaceChar(text, "E", StandIn(StandInE));
  if (!text.empty() && text.front() == '=') text.erase(0, 1);
  text.resize(ExpressionLength(text));

  ctx.Eval.SetText(text);
  try {
    return winplat::CSng(ctx.Eval.Value());
  } catch (const winplat::ScannerError& e) {
    AddDiagnostic(ctx, e.what());
  } catch (const winplat::NumericError&) {
    AddDiagnostic(ctx, "expression \"" + text + "\": value out of range");
  }
  return 0;
}

std::string EvaluateWordValue(ToolpathContext& ctx, std::string& word) {
  if (word.empty()) return "";
  std::int32_t pos = 1;
  std::string expression = winplat::ParseString(pos, word, " ");
  std::string rest = static_cast<std::size_t>(pos - 1) < word.size() ? word.substr(static_cast<std::size_t>(pos - 1)) : "";
  return winplat::CStr(EvaluateExpression(ctx, expression)) + rest;
}

std::string ParseToolWord(ToolpathContext& ctx, std::string& text, std::int32_t& unused) {
  unused = 0;
  winplat::ReplaceChar(text, ",", "T");
  winplat::TextScanner& parser = ctx.Parser;
  parser.SetText(text);
  parser.SetFS("T");
  std::int32_t n = parser.FieldCount();
  std::string t = parser.Field(2);
  if (n == 2) {
    parser.SetText(t);
    parser.SetFS(Capitals);
    t = parser.Field(1);
    if (t.size() > 2) t.erase(0, 2);
  } else if (n > 2) {
    t.clear();
    for (std::int32_t j = 2; j <= n; ++j) t += Right("00" + winplat::LTrim(winplat::Str(winplat::Val(parser.Field(j)))), 2);
  }

  // Ranges: each "-" is filled in with the numbers between its neighbours.
  winplat::ReplaceChar(t, "-", "|");
  for (std::size_t p = t.find('|'); p != std::string::npos; p = t.find('|')) {
    std::string a = t.substr(0, p), b = t.substr(p + 1);
    int lo = winplat::CInt(winplat::Val(Right(a, 2)));
    int hi = winplat::CInt(winplat::Val(Left(b, 2)));
    int step = lo >= hi ? -1 : 1;
    std::string middle;
    for (int k = lo + step; step > 0 ? k <= hi - step : k >= hi - step; k += step)
      middle += Right("0" + winplat::Trim(winplat::Str(static_cast<std::int32_t>(k))), 2);
    t = a + middle + b;
  }
  return t;
}

void Eval_GetVariable(ProgramState& state, const std::string& name, double& value, std::int16_t& handled) {
  handled = BoolTrue;
  if (name.empty()) return;
  int k;
  if (name.front() == StandInD)
    k = 4;
  else if (name.front() == StandInE)
    k = 5;
  else
    k = winplat::Asc(winplat::UCase(name)) - 64;
  if (k > 0 && k < 20) value = state.VarTable[static_cast<std::size_t>(k)];
}

void ConnectEval(winplat::TextScanner& eval, ProgramState& state) {
  eval.OnGetVariable = [&state](const std::string& name, double& value, std::int16_t& handled) {
    Eval_GetVariable(state, name, value, handled);
  };
}

}  // namespace fieldray::toolpath
