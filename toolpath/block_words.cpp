// Block words of a line, and the line and arc records built from them.
#include "toolpath/block_words.h"

#include <cfloat>
#include <cmath>
#include <string>

#include "toolpath/standin_codes.h"
#include "toolpath/word_readers.h"
#include "winplat/numeric.h"

namespace fieldray::toolpath {
namespace {

bool SingleIsZero(double value) { return std::fabs(value) <= FLT_MAX && static_cast<float>(value) == 0.0f; }

// A scaled word value; beyond MaxCoordinate it is refused and reads as 0.
double ScaledWord(LineScan& line, std::string_view letter, const char* what) {
  double v = WordValue(line, letter) * line.Ctx.State.GcodeUnitFactor;
  if (std::fabs(v) <= MaxCoordinate) return v;
  AddDiagnostic(line.Ctx, std::string(what) + " beyond " + winplat::CStr(MaxCoordinate) + ": word ignored");
  return 0;
}

// A position may leave the limit by adding up incremental moves: such a move is
// refused on its axis.
double LimitPosition(LineScan& line, double value, double last, const char* what) {
  if (std::isfinite(value) && std::fabs(value) <= MaxCoordinate) return value;
  AddDiagnostic(line.Ctx, std::string(what) + " beyond " + winplat::CStr(MaxCoordinate) + ": move ignored");
  return last;
}

// After an incremental move the readers remember the position as the word an
// absolute line would have written for it, so that a later line without that
// word stays where the tool is.
float RememberedWord(double position, double factor, bool mirrored, double mirrorBase, bool negated) {
  if (factor == 0) return 0;
  double v = position / factor;
  if (negated) v = -v;
  if (mirrored) v = mirrorBase - v;
  if (!(std::fabs(v) <= FLT_MAX)) return 0;
  return static_cast<float>(v);
}

// Compensation after a straight move: a contour start without a side just
// before the line's elements takes the radius and side of the first of them
// (a rounded corner puts two elements in front of the line itself), and a move
// that cancels compensation still carries the side of the element before it.
void FixUpCompensation(LineScan& line) {
  auto& path = line.Ctx.State.PathElements;
  const auto size = static_cast<std::int32_t>(path.size());
  std::int32_t first = line.FirstAppended, n = line.LastAppended;
  if (first < 1 || n < first || n >= size) return;
  PathElement& start = path[static_cast<std::size_t>(first - 1)];
  if (start.MoveCode == 88 && start.CompSide == 0) {
    start.CompRadius = path[static_cast<std::size_t>(first)].CompRadius;
    start.CompSide = path[static_cast<std::size_t>(first)].CompSide;
  }
  if (line.S.CutterCompMode == 0) path[static_cast<std::size_t>(n)].CompSide = path[static_cast<std::size_t>(n - 1)].CompSide;
}

}  // namespace

double WordValue(LineScan& line, std::string_view letter) { return WordValue(line.Ctx, letter); }

bool HasWord(LineScan& line, std::string_view letter) {
  return line.Ctx.GcodeAwk.Text().find(letter) != std::string::npos;
}

std::int16_t CheckedInt(LineScan& line, double value, const char* what) {
  try {
    return winplat::CInt(value);
  } catch (const winplat::NumericError&) {
    AddDiagnostic(line.Ctx, std::string(what) + " out of range: word ignored");
    return 0;
  }
}

std::int32_t CheckedLong(LineScan& line, double value, const char* what) {
  try {
    return winplat::CLng(value);
  } catch (const winplat::NumericError&) {
    AddDiagnostic(line.Ctx, std::string(what) + " out of range: word ignored");
    return 0;
  }
}

bool NoSheetSize(const ProgramState& state) {
  return SingleIsZero(static_cast<double>(state.SheetLength) + state.SheetHeight);
}

double MirrorSignX(const ProgramState& state) { return state.OriginCorner == 2 || state.OriginCorner == 3 ? -1 : 1; }

double MirrorSignY(const ProgramState& state) { return state.OriginCorner == 1 || state.OriginCorner == 3 ? -1 : 1; }

double OffsetSignY(const ProgramState& state) { return MirrorSignY(state) * (NoSheetSize(state) ? -1 : 1); }

bool OneAxisMirror(const ProgramState& state) { return state.OriginCorner == 1 || state.OriginCorner == 2; }

double ReadLineX(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  if (line.IncrementalMode == 0) return LimitPosition(line, GetGcodeX(line.Ctx), line.S.LastX, "X");
  if (!HasWord(line, "X")) return line.S.LastX;
  double x = line.S.LastX + ScaledWord(line, "X", "X") * MirrorSignX(state);
  x = LimitPosition(line, x, line.S.LastX, "X");
  state.GcodeReaders.LastX =
      RememberedWord(x, state.GcodeUnitFactor, MirrorSignX(state) < 0, state.VarTable[12], false);
  return x;
}

double ReadLineY(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  if (line.IncrementalMode == 0) return LimitPosition(line, GetGcodeY(line.Ctx), line.S.LastY, "Y");
  if (!HasWord(line, "Y")) return line.S.LastY;
  double y = line.S.LastY + ScaledWord(line, "Y", "Y") * OffsetSignY(state);
  y = LimitPosition(line, y, line.S.LastY, "Y");
  state.GcodeReaders.LastY =
      RememberedWord(y, state.GcodeUnitFactor, MirrorSignY(state) < 0, state.VarTable[8], NoSheetSize(state));
  return y;
}

std::int32_t AppendElement(LineScan& line) {
  auto& path = line.Ctx.State.PathElements;
  if (path.empty()) path.emplace_back();
  if (path.size() > MaxPathElements) {
    if (!line.In.ElementCapReported) {
      AddDiagnostic(line.Ctx, "more than " + std::to_string(MaxPathElements) + " path elements: the rest is dropped");
      line.In.ElementCapReported = true;
    }
    return 0;
  }
  AppendPathElement(path);
  line.LastAppended = PathUpperBound(path);
  if (line.FirstAppended == 0) line.FirstAppended = line.LastAppended;
  return line.LastAppended;
}

std::int32_t AppendImage(LineScan& line, double endX, double endY, std::int16_t uWord) {
  std::int32_t n = AppendElement(line);
  if (n == 0) return 0;
  PathElement& e = line.Ctx.State.PathElements[static_cast<std::size_t>(n)];
  e = line.Image;
  e.EndX = endX;
  e.EndY = endY;
  e.UWord = uWord;
  return n;
}

void ReadBlockWords(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  ScanLineState& s = line.S;
  PathElement& e = line.Image;
  e.MoveCode = 0;

  line.X = ReadLineX(line);
  line.Y = ReadLineY(line);
  e.CentreX = line.X;
  e.CentreY = line.Y;

  // Z is modal: a line without a Z word keeps the depth.
  double z = s.LastZ;
  line.Ctx.GcodeAwk.SetFS("Z");
  if (!line.Ctx.GcodeAwk.Field(2).empty()) z = ScaledWord(line, "Z", "Z");
  s.LastZ = z;
  e.ZDepth = z;
  if (state.SheetThickness > 0 && static_cast<float>(z) >= state.SheetThickness) state.ThroughFlag = BoolTrue;

  e.ArcDiameter = ScaledWord(line, StandIn(StandInR54), "R54");
  e.CycleCode = CheckedInt(line, WordValue(line, "P"), "P");

  line.I = ScaledWord(line, "I", "I");
  line.J = ScaledWord(line, "J", "J");
  line.K = ScaledWord(line, "K", "K");
  line.Rv = NoSheetSize(state) ? ScaledWord(line, "R", "R") : ScaledWord(line, "U", "U");

  ReadEWord(line);
}

void ReadEWord(LineScan& line) {
  winplat::TextScanner& awk = line.Ctx.GcodeAwk;
  awk.SetFS(StandIn(StandInE));
  double v = 0;
  try {
    v = winplat::Val(awk.Field(2).substr(0, 2));
  } catch (const winplat::NumericError&) {
  }
  line.Image.UWord = CheckedInt(line, v, "E");
}

void FlushPendingCorner(LineScan& line) {
  ScanLineState& s = line.S;
  if (s.PendingCornerRadius == 0) return;
  s.PendingCornerRadius = 0;
  std::int32_t n = AppendElement(line);
  if (n == 0) return;
  PathElement& e = line.Ctx.State.PathElements[static_cast<std::size_t>(n)];
  e = s.PendingLine;
  e.MoveCode = 1;
  e.EndX = s.CornerX;
  e.EndY = s.CornerY;
  e.UWord = s.ContourEWord;
  FixUpCompensation(line);
}

void AppendLineMove(LineScan& line) {
  ScanLineState& s = line.S;
  PathElement& e = line.Image;
  ReadBlockWords(line);
  e.CompSide = static_cast<std::int16_t>(s.CutterCompMode);
  std::int16_t noLookUp = 0;
  e.CompRadius = GetGcodeRadius(line.Ctx, noLookUp);

  s.CurrentAngle = LineAngle(s.LastX, s.LastY, line.X, line.Y);

  if (s.PendingCornerRadius != 0) {
    double r = s.PendingCornerRadius;
    double a = std::fabs(r);
    s.PendingCornerRadius = 0;
    int side = AngleSide(s.PrevAngle, s.CurrentAngle);
    if (side == 0 && s.PrevAngle != s.CurrentAngle) {
      // The path reverses: a fillet would be a full circle, so the lines meet
      // at the corner.
      e.MoveCode = 1;
      AppendImage(line, s.CornerX, s.CornerY, s.ContourEWord);
    } else {
      Point2D p1{s.CornerX - a * CosDeg(s.PrevAngle), s.CornerY - a * SinDeg(s.PrevAngle)};
      Point2D p2{s.CornerX + a * CosDeg(s.CurrentAngle), s.CornerY + a * SinDeg(s.CurrentAngle)};
      e.MoveCode = 1;
      AppendImage(line, p1.X, p1.Y, s.ContourEWord);

      PathElement corner = e;
      if (r > 0 && s.PrevAngle != s.CurrentAngle) {
        std::int32_t dir = side == 1 ? 1 : -1;
        Point2D c = ArcFromRadius(p1.X, p1.Y, p2.X, p2.Y, r, dir, &line.In.ArcReports);
        e.MoveCode = side == 1 ? 3 : 2;
        e.CentreX = c.X;
        e.CentreY = c.Y;
      }
      AppendImage(line, p2.X, p2.Y, s.ContourEWord);
      e = corner;
    }
  }

  if (line.Rv != 0) {
    s.PrevAngle = s.CurrentAngle;
    s.PendingCornerRadius = line.Rv;
    s.CornerX = line.X;
    s.CornerY = line.Y;
    s.PendingLine = e;
    s.PendingLine.MoveCode = 1;
  } else {
    e.MoveCode = 1;
    AppendImage(line, line.X, line.Y, s.ContourEWord);
  }
  s.LastX = line.X;
  s.LastY = line.Y;
  FixUpCompensation(line);
}

void AppendArcMove(LineScan& line) {
  ProgramState& state = line.Ctx.State;
  ScanLineState& s = line.S;
  PathElement& e = line.Image;
  FlushPendingCorner(line);
  ReadBlockWords(line);
  e.CompSide = static_cast<std::int16_t>(s.CutterCompMode);
  std::int16_t noLookUp = 0;
  e.CompRadius = GetGcodeRadius(line.Ctx, noLookUp);

  // Under a one-axis corner mirror the arc turns the other way.
  bool g2 = OneAxisMirror(state) ? !line.G2Flag : line.G2Flag;
  double sx = MirrorSignX(state), sy = MirrorSignY(state);

  double a = 0;
  if (GetGcodeA(line.Ctx.GcodeAwk.Text(), a)) {
    e.CentreX = line.X;
    e.CentreY = line.Y;
    double rad = std::hypot(line.X - s.LastX, line.Y - s.LastY);
    line.X = line.X + rad * sx * CosDeg(a);
    line.Y = line.Y - rad * sy * SinDeg(a);
  } else if (line.Rv != 0) {
    Point2D c = ArcFromRadius(s.LastX, s.LastY, line.X, line.Y, line.Rv, g2 ? -1 : 1, &line.In.ArcReports);
    e.CentreX = c.X;
    e.CentreY = c.Y;
  } else {
    e.CentreX = s.LastX + line.I * sx;
    e.CentreY = s.LastY + line.J * OffsetSignY(state);
  }
  e.MoveCode = g2 ? 2 : 3;
  AppendImage(line, line.X, line.Y, s.ContourEWord);
  s.LastX = line.X;
  s.LastY = line.Y;
}

}  // namespace fieldray::toolpath
