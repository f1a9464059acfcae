// Contour starts, lines, arcs, polar lines, the origin and the sheet block.
#include "toolpath/motion_words.h"

#include <cmath>
#include <string>

#include "toolpath/block_words.h"
#include "toolpath/word_readers.h"
#include "winplat/numeric.h"

namespace fieldray::toolpath {
namespace {

// A sheet value as written; one beyond MaxCoordinate is refused and reads 0.
float SheetWord(LineScan& line, const char* letter) {
  double v = WordValue(line, letter);
  if (std::fabs(v) * 25.4 > MaxCoordinate) {
    AddDiagnostic(line.Ctx, std::string("sheet ") + letter + " out of range: word ignored");
    return 0;
  }
  return static_cast<float>(v);
}

}  // namespace

std::int32_t RoundThroughPattern(LineScan& line, double value, const char* what) {
  try {
    return winplat::CLng(winplat::Val(winplat::Format(winplat::CSng(value), "####")));
  } catch (const winplat::NumericError&) {
    AddDiagnostic(line.Ctx, std::string(what) + " out of range: word ignored");
    return 0;
  }
}

void ContourStart(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  ScanLineState& s = line.S;
  FlushPendingCorner(line);

  // A contour start right after another replaces it.
  auto& path = state.PathElements;
  std::int32_t n;
  if (path.size() > 1 && path.back().MoveCode == 88) {
    n = PathUpperBound(path);
    line.LastAppended = n;
  } else {
    n = AppendElement(line);
  }

  std::int16_t lookUp = BoolTrue;
  double radius = GetGcodeRadius(line.Ctx, lookUp);
  double x = ReadLineX(line);
  double y = ReadLineY(line);
  double z = WordValue(line, "Z") * state.GcodeUnitFactor;
  if (std::fabs(z) > MaxCoordinate) {
    AddDiagnostic(line.Ctx, "Z beyond " + winplat::CStr(MaxCoordinate) + ": word ignored");
    z = 0;
  }
  std::int16_t cycle = CheckedInt(line, WordValue(line, "P"), "P");
  if (cycle == 0) cycle = 6;
  ReadEWord(line);

  s.LastZ = z;
  s.ContourEWord = line.Image.UWord;
  s.LastX = x;
  s.LastY = y;
  s.ModalMotionCode = 88;
  if (n == 0) return;  // refused by the element cap

  PathElement& e = path[static_cast<std::size_t>(n)];
  e.MoveCode = 88;
  e.CompRadius = radius;
  e.CompSide = static_cast<std::int16_t>(s.CutterCompMode);
  e.EndX = x;
  e.EndY = y;
  e.ZDepth = z;
  e.CycleCode = cycle;
  e.UWord = line.Image.UWord;
}

void StraightLine(LineScan& line) {
  AppendLineMove(line);
  line.S.ModalMotionCode = line.MotionCode;
}

void ArcWord(LineScan& line, bool g2) {
  line.G2Flag = g2;
  AppendArcMove(line);
  line.S.ModalMotionCode = line.MotionCode;
}

void PolarLine(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  ScanLineState& s = line.S;
  FlushPendingCorner(line);
  ReadBlockWords(line);
  PathElement& e = line.Image;
  e.CompSide = static_cast<std::int16_t>(s.CutterCompMode);
  std::int16_t noLookUp = 0;
  e.CompRadius = GetGcodeRadius(line.Ctx, noLookUp);
  e.MoveCode = 1;

  double a = WordValue(line, "A");
  double startX = line.MotionCode == 11 ? line.X : s.LastX;
  double startY = line.MotionCode == 11 ? line.Y : s.LastY;
  // The angle turns clockwise from X; a mirrored corner mirrors it.
  double r = std::fabs(line.Rv);
  double endX = startX + r * MirrorSignX(state) * CosDeg(a);
  double endY = startY - r * MirrorSignY(state) * SinDeg(a);
  AppendImage(line, endX, endY, s.ContourEWord);
  s.LastX = endX;
  s.LastY = endY;
}

void OriginBlock(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  FlushPendingCorner(line);
  // The readers' remembered X and Y stay as they are: an origin is no move.
  state.OriginX = RoundThroughPattern(line, GetGcodeX(line.Ctx, false), "G92 X");
  state.OriginY = RoundThroughPattern(line, GetGcodeY(line.Ctx, false), "G92 Y");
  double z = WordValue(line, "Z") * state.GcodeUnitFactor;
  state.OriginZ = std::fabs(z) <= MaxCoordinate ? RoundThroughPattern(line, z, "G92 Z") : 0;
}

void SheetBlock(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  ScanLineState& s = line.S;
  FlushPendingCorner(line);
  if (state.HandOffFlag == 0) state.VarTable.fill(0);
  double factor = line.MotionCode == 70 ? 25.4 : 1.0;
  state.GcodeUnitFactor = factor;

  struct SheetEntry {
    std::size_t Index;
    const char* Letter;
  };
  for (SheetEntry entry : {SheetEntry{12, "X"}, SheetEntry{8, "Y"}, SheetEntry{19, "Z"}}) {
    if (state.VarSet[entry.Index] == BoolFalse) state.VarTable[entry.Index] = SheetWord(line, entry.Letter);
  }
  auto scaled = [&](std::size_t k) {
    double v = static_cast<double>(state.VarTable[k]) * factor;
    return std::fabs(v) <= MaxCoordinate ? static_cast<float>(v) : 0.0f;
  };
  state.SheetLength = scaled(12);
  state.SheetHeight = scaled(8);
  state.SheetThickness = scaled(19);

  for (auto& row : state.PatternTable) row.fill(0);
  s.ContourEWord = 0;
  s.PendingCornerRadius = 0;
  s.CutterCompMode = 0;
}

}  // namespace fieldray::toolpath
