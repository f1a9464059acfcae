// The G-code word readers and the tool look-up.
#include "toolpath/word_readers.h"

#include <cfloat>
#include <cmath>

#include "job/grid_cells.h"
#include "winplat/numeric.h"
#include "winplat/text.h"

namespace fieldray::toolpath {
namespace {

// A double as a 32-bit float; a value beyond its range is collected as a
// diagnostic and reads as 0, so one bad number never ends a load.
float ToSingle(ToolpathContext& ctx, double value, const char* what) {
  try {
    return winplat::CSng(value);
  } catch (const winplat::NumericError&) {
    AddDiagnostic(ctx, std::string(what) + " out of range");
    return 0;
  }
}

bool SingleIsZero(double value) { return std::fabs(value) <= FLT_MAX && static_cast<float>(value) == 0.0f; }

// Text of the word: the scanner's field 2 at the separator `letter`; present
// when the line holds the letter.
bool WordText(ToolpathContext& ctx, const char* letter, std::string& text) {
  ctx.GcodeAwk.SetFS(letter);
  text = ctx.GcodeAwk.Field(2);
  return ctx.GcodeAwk.FieldCount() >= 2;
}

// Val of a word's text; a number too large for any type is collected as a
// diagnostic and reads as 0.
double ReadNumber(ToolpathContext& ctx, const std::string& text, const char* what) {
  try {
    return winplat::Val(text);
  } catch (const winplat::NumericError&) {
    AddDiagnostic(ctx, std::string(what) + " out of range");
    return 0;
  }
}

// A word whose scaled value lies beyond MaxCoordinate is refused.
bool WithinLimit(ToolpathContext& ctx, double scaled, const char* what) {
  if (std::fabs(scaled) <= MaxCoordinate) return true;
  AddDiagnostic(ctx, std::string(what) + " beyond " + winplat::CStr(MaxCoordinate) + ": word ignored");
  return false;
}

// X and Y: the raw word value (or the last one), then mirror, then the factor.
float ReadCoordinate(ToolpathContext& ctx, const char* letter, float& last, bool remember) {
  std::string text;
  if (!WordText(ctx, letter, text)) return last;
  double v = ReadNumber(ctx, text, letter);
  if (!WithinLimit(ctx, v * ctx.State.GcodeUnitFactor, letter)) return last;
  float value = ToSingle(ctx, v, letter);
  if (remember) last = value;
  return value;
}

// I and J: scaled as read (the last value is the scaled one), then mirrored.
float ReadCentre(ToolpathContext& ctx, const char* letter, float& last, bool remember) {
  std::string text;
  float v = last;
  if (WordText(ctx, letter, text)) {
    double scaled = ReadNumber(ctx, text, letter) * ctx.State.GcodeUnitFactor;
    if (WithinLimit(ctx, scaled, letter)) {
      v = ToSingle(ctx, scaled, letter);
      if (remember) last = v;
    }
  }
  if (ctx.State.OriginCorner == 1 || ctx.State.OriginCorner == 3)
    return ToSingle(ctx, static_cast<double>(ctx.State.VarTable[8]) - v, letter);
  return v;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The tool grid's radius for the T word of the line; 0 when the word names no
// cell. The group (1 or 2) is the number in the word's first two characters;
// the row the third and fourth (a lower-case letter a..z third counts as
// 10..35), or the first two when those give 0, in column 3.
double ToolRadius(ToolpathContext& ctx) {
  std::string w;
  WordText(ctx, "T", w);
  double g = winplat::Val(w.substr(0, 2));
  if (g != 1 && g != 2) return 0;
  std::string c3 = winplat::Trim(w.size() > 2 ? w.substr(2, 1) : "");
  std::string c4 = winplat::Trim(w.size() > 3 ? w.substr(3, 1) : "");
  std::int32_t row = 0, col = 0;
  if (winplat::Val(c3) + winplat::Val(c4) > 0) {
    // Only a digit or a lower-case letter third, and a digit fourth, name a row.
    bool letter = c3.size() == 1 && c3[0] >= 'a' && c3[0] <= 'z';
    bool digit = c3.size() == 1 && IsDigit(c3[0]);
    if (!letter && !digit) return 0;
    if (c4.size() == 1 && !IsDigit(c4[0])) c4.clear();
    if (letter) c3 = winplat::Str(static_cast<std::int32_t>(winplat::Asc(c3) - 87));
    row = winplat::CLng(winplat::Val(c3 + c4));
    col = winplat::CLng(g * 3);
  } else {
    row = winplat::CLng(winplat::Val(w.substr(0, 2)));
    col = 3;
  }
  if (row < 1 || row > ctx.ToolDat.MaxRows()) return 0;
  return winplat::Val(GetGridCell(ctx.ToolDat, row, col));
}

}  // namespace

double WordValue(ToolpathContext& ctx, std::string_view separator) {
  ctx.GcodeAwk.SetFS(separator);
  return ReadNumber(ctx, ctx.GcodeAwk.Field(2), "word");
}

float GetGcodeX(ToolpathContext& ctx, bool remember) {
  ProgramState& s = ctx.State;
  float v = ReadCoordinate(ctx, "X", s.GcodeReaders.LastX, remember);
  if (s.OriginCorner == 2 || s.OriginCorner == 3) v = ToSingle(ctx, static_cast<double>(s.VarTable[12]) - v, "X");
  return ToSingle(ctx, v * s.GcodeUnitFactor, "X");
}

float GetGcodeY(ToolpathContext& ctx, bool remember) {
  ProgramState& s = ctx.State;
  float v = ReadCoordinate(ctx, "Y", s.GcodeReaders.LastY, remember);
  if (s.OriginCorner == 1 || s.OriginCorner == 3) v = ToSingle(ctx, static_cast<double>(s.VarTable[8]) - v, "Y");
  double result = v * s.GcodeUnitFactor;
  // Without a sheet size, Y is negated.
  if (SingleIsZero(static_cast<double>(s.SheetLength) + s.SheetHeight)) result = -result;
  return ToSingle(ctx, result, "Y");
}

float GetGcodeI(ToolpathContext& ctx, bool remember) {
  return ReadCentre(ctx, "I", ctx.State.GcodeReaders.LastI, remember);
}

float GetGcodeJ(ToolpathContext& ctx, bool remember) {
  return ReadCentre(ctx, "J", ctx.State.GcodeReaders.LastJ, remember);
}

double GetGcodeRadius(ToolpathContext& ctx, std::int16_t& flag) {
  GcodeReaderMemory& memory = ctx.State.GcodeReaders;
  if (flag != 0) memory.LastRadius = 0;
  std::string text;
  WordText(ctx, "R", text);
  double r = ReadNumber(ctx, text, "R") * ctx.State.GcodeUnitFactor;
  if (!std::isfinite(r) || std::fabs(r) > MaxCoordinate) {
    AddDiagnostic(ctx, "R out of range: word ignored");
    r = 0;
  }
  if (SingleIsZero(r)) r = 0;
  if (flag != 0 && r == 0) {
    r = ToolRadius(ctx);
    if (r == 0) r = DefaultToolRadius;
  }
  r = std::fabs(r);
  if (r != 0)
    memory.LastRadius = r;
  else
    r = memory.LastRadius;
  return r;
}

bool GetGcodeA(const std::string& text, double& angle) {
  std::size_t p = text.find('A');
  if (p == std::string::npos) return false;
  angle = winplat::Val(std::string_view(text).substr(p + 1));
  return true;
}

}  // namespace fieldray::toolpath
