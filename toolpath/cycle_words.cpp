// Canned cycles, rows and runs of holes, parameter lines and conditions.
#include "toolpath/cycle_words.h"

#include <cmath>
#include <string>

#include "toolpath/block_words.h"
#include "toolpath/expressions.h"
#include "toolpath/standin_codes.h"
#include "toolpath/word_readers.h"
#include "winplat/components/routines.h"
#include "winplat/numeric.h"

namespace fieldray::toolpath {
namespace {

constexpr double DefaultHoleDiameter = 8.0;
constexpr double DefaultRowDiameter = 6.5;
constexpr double ToolPitchFactor = 32;
constexpr double RowEndTolerance = 0.1;

double Scaled(LineScan& line, std::string_view letter) {
  const double v = WordValue(line, letter) * line.Ctx.State.GcodeUnitFactor;
  if (std::fabs(v) <= MaxCoordinate) return v;
  AddDiagnostic(line.Ctx, std::string(letter) + " beyond " + winplat::CStr(MaxCoordinate) + ": word ignored");
  return 0;
}

// The J and Q ends of rows and runs along Y follow the Y words: negated while
// no sheet size is known.
double YEnd(LineScan& line, double value) { return NoSheetSize(line.Ctx.State) ? -value : value; }

void SetPosition(LineScan& line, double x, double y) {
  line.S.LastX = x;
  line.S.LastY = y;
}

// Number of steps from `start` by `step` that stay at or below `end`; -1 when
// there is none or the step cannot advance.
double StepCount(double start, double end, double step) {
  if (!(step > 0) || !(end >= start)) return -1;
  return std::floor((end - start) / step);
}

// Appends `count` + 1 copies of the element being built, the k-th placed by
// `place`(k). Stops at the line's mark limit and the load's element cap.
template <typename Place>
void AppendMarks(LineScan& line, double count, Place place) {
  if (count < 0 || !std::isfinite(count)) return;
  std::int32_t n = MaxMarksPerLine;
  if (count + 1 <= MaxMarksPerLine) {
    n = static_cast<std::int32_t>(count) + 1;
  } else {
    AddDiagnostic(line.Ctx, "more than " + std::to_string(MaxMarksPerLine) + " holes on one line: the row is cut");
  }
  for (std::int32_t k = 0; k < n; ++k) {
    place(k);
    if (AppendImage(line, line.Image.EndX, line.Image.EndY, line.Image.UWord) == 0) return;
  }
}

void RowDiameter(LineScan& line) {
  if (line.Image.ArcDiameter == 0) line.Image.ArcDiameter = DefaultRowDiameter;
}

// Operator text of a condition code, or empty (with a diagnostic) outside its table.
std::string ConditionOperator(LineScan& line, double code, std::int32_t offset, std::int32_t count,
                              const char* word) {
  std::int32_t i = CheckedLong(line, code + offset, word);
  if (i < offset || i >= offset + count) {
    AddDiagnostic(line.Ctx, std::string(word) + " code " + winplat::CStr(code) + " unknown: condition false");
    return "";
  }
  return line.In.ConditionOperators[static_cast<std::size_t>(i)];
}

}  // namespace

void SingleHole(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  PathElement& e = line.Image;
  e = PathElement{};
  const double x = ReadLineX(line);
  const double y = ReadLineY(line);
  e.CentreX = x;
  e.CentreY = y;
  e.ZDepth = Scaled(line, "Z");
  e.ArcDiameter = Scaled(line, StandIn(StandInR54));
  if (e.ArcDiameter == 0) e.ArcDiameter = DefaultHoleDiameter;
  e.CycleCode = CheckedInt(line, WordValue(line, "P"), "P");
  ReadEWord(line);
  const std::int32_t n = AppendElement(line);
  if (n != 0) state.PathElements[static_cast<std::size_t>(n)] = e;
  line.S.ContourEWord = 0;
  SetPosition(line, x, y);
}

void RunToQ(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  const bool alongX = line.MotionCode == 85;
  ReadBlockWords(line);
  const double q = Scaled(line, "Q");
  const double z = Scaled(line, "Z");
  const std::int32_t n = AppendElement(line);
  if (n != 0) {
    PathElement& e = state.PathElements[static_cast<std::size_t>(n)];
    e.MoveCode = alongX ? 85 : 86;
    e.CentreX = line.X;
    e.CentreY = line.Y;
    if (alongX)
      e.EndX = q;
    else
      e.EndY = YEnd(line, q);
    e.ZDepth = z;
    e.CycleCode = 5;
    e.UWord = line.Image.UWord;
  }
  line.S.LastZ = z;
  line.S.ContourEWord = 0;
  SetPosition(line, line.X, line.Y);
}

void RowByToolRange(LineScan& line) {
  PathElement& e = line.Image;
  ReadBlockWords(line);
  std::string text = line.Ctx.GcodeAwk.Text();
  std::int32_t unused = 0;
  const std::string tool = ParseToolWord(line.Ctx, text, unused);
  const double a = winplat::Val(tool.substr(0, 2));
  const double b = tool.size() > 2 ? winplat::Val(tool.substr(2, 2)) : 0;
  const std::int16_t pitch = CheckedInt(line, std::fabs(b - a) * ToolPitchFactor, "tool range");
  RowDiameter(line);

  const bool alongX = line.MotionCode == 183;
  const double start = alongX ? line.X : line.Y;
  const double end = alongX ? line.I : YEnd(line, line.J);
  AppendMarks(line, StepCount(start, end, pitch), [&](std::int32_t k) {
    (alongX ? e.CentreX : e.CentreY) = start + k * static_cast<double>(pitch);
  });
  line.S.ContourEWord = 0;
  SetPosition(line, e.CentreX, e.CentreY);
}

void RowByPitch(LineScan& line) {
  PathElement& e = line.Image;
  ReadBlockWords(line);
  const bool alongX = line.MotionCode == 185;
  double start = alongX ? line.X : line.Y;
  double end = alongX ? line.I : YEnd(line, line.J);
  if (start > end) std::swap(start, end);
  RowDiameter(line);
  const double step = line.K;
  AppendMarks(line, StepCount(start, end + RowEndTolerance, step), [&](std::int32_t k) {
    (alongX ? e.CentreX : e.CentreY) = start + k * step;
  });
  line.S.ContourEWord = 0;
  SetPosition(line, e.CentreX, e.CentreY);
}

void RowAlongLine(LineScan& line) {
  PathElement& e = line.Image;
  ReadBlockWords(line);
  e.MoveCode = 0;
  const double x0 = line.X, y0 = line.Y;
  const double x1 = line.I, y1 = YEnd(line, line.J);
  const double direction = LineAngle(x0, y0, x1, y1);
  const double length = std::hypot(x1 - x0, y1 - y0) + RowEndTolerance;
  RowDiameter(line);
  const double step = line.K;
  AppendMarks(line, StepCount(0, length, step), [&](std::int32_t k) {
    const double d = k * step;
    e.CentreX = x0 + d * CosDeg(direction);
    e.CentreY = y0 + d * SinDeg(direction);
  });
  line.S.ContourEWord = 0;
  SetPosition(line, e.CentreX, e.CentreY);
}

void ParameterLine(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  std::string text = line.Ctx.GcodeAwk.Text();
  const std::size_t close = text.find(')');
  if (close != std::string::npos) text = text.substr(close + 1);
  text.erase(0, text.find_first_not_of(' ') == std::string::npos ? text.size() : text.find_first_not_of(' '));
  text = winplat::ReplaceString(text, StandIn(StandInE), "E", 0);

  for (std::size_t entry = 1; entry <= 9; ++entry) {
    const char letter = static_cast<char>('A' + entry - 1);
    // Only a word that starts with the letter names its parameter: in
    // "B=A+1" the A belongs to B's expression.
    std::size_t at = std::string::npos;
    for (std::size_t p = text.find(letter); p != std::string::npos; p = text.find(letter, p + 1)) {
      if (p == 0 || text[p - 1] == ' ') {
        at = p;
        break;
      }
    }
    if (at == std::string::npos) continue;
    const std::size_t next = text.find(letter, at + 1);
    std::string field = text.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
    if (state.VarSet[entry] != BoolFalse || field.empty()) continue;
    state.VarTable[entry] = EvaluateExpression(line.Ctx, field);
  }
}

void ConditionLine(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  winplat::TextScanner& awk = line.Ctx.GcodeAwk;
  // The operands are the plain word values: no unit factor, no mirror, and
  // the readers' remembered values stay as they are.
  auto operand = [&](std::string_view letter) {
    double v = WordValue(line, letter);
    if (!(std::fabs(v) <= 3.4e38)) v = 0;
    return winplat::Str(static_cast<float>(v));
  };
  line.S.ContourEWord = 0;

  std::string first = ConditionOperator(line, WordValue(line, StandIn(StandInR50)), 2, 6, "R50");
  std::string expression;
  bool known = !first.empty();
  awk.SetFS(StandIn(StandInR51));
  if (!awk.Field(2).empty()) {
    std::string join = ConditionOperator(line, WordValue(line, StandIn(StandInR51)), 0, 2, "R51");
    std::string second = ConditionOperator(line, WordValue(line, StandIn(StandInR52)), 2, 6, "R52");
    known = known && !join.empty() && !second.empty();
    expression = operand("X") + first + operand("Y") + join + operand("I") + second + operand("J");
  } else {
    expression = operand("X") + first + operand("Y");
  }
  if (!known) {
    state.BlockCondition = BoolFalse;
    return;
  }
  // Evaluated whole: the blanks of the operands and joins are taken out, so
  // no blank ends the expression early.
  std::string compact;
  for (char c : expression)
    if (c != ' ') compact += c;
  state.BlockCondition = EvaluateExpression(line.Ctx, compact) != 0 ? BoolTrue : BoolFalse;
}

void CannedCycleWords(LineScan& line) {
  switch (line.MotionCode) {
    case 81:
      SingleHole(line);
      break;
    case 85:
    case 86:
      RunToQ(line);
      break;
    case 183:
    case 184:
      RowByToolRange(line);
      break;
    case 185:
    case 186:
      RowByPitch(line);
      break;
    case 187:
      RowAlongLine(line);
      break;
    case 150:
      ParameterLine(line);
      break;
    case 151:
      ConditionLine(line);
      break;
    default:
      break;
  }
}

}  // namespace fieldray::toolpath
