#include "engine/path_points.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "engine/frame_assembly.h"
#include "engine/point_list.h"
#include "toolpath/geometry.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

namespace {

// Dark repeats where the beam jumps.
constexpr std::int32_t JumpRepeats = 5;
// Start and end angles closer than this close the arc on itself.
constexpr double FullCircleTolerance = 0.1;
// An angle this close to a full turn is taken as 0.
constexpr double TurnTolerance = 0.001;

enum class ArcMode { FullCircle, Partial };

// The state of one walk: the point being built, where the beam is and at
// which depth the next arc starts.
class PathWalker {
 public:
  explicit PathWalker(Engine& engine) : e_(engine), s_(engine.State) {}

  void Walk() {
    s_.CurrentColor = DeviceWhite(e_);
    for (PathElement& el : s_.PathElements) Element(el);
    DarkJump();
  }

 private:
  void Element(PathElement& el) {
    cur_.Value7 = PathPointClass(el);
    el.CentreX += s_.OriginX;
    el.EndX += s_.OriginX;
    el.CentreY += s_.OriginY;
    el.EndY += s_.OriginY;
    switch (el.MoveCode) {
      case 88:
        DarkJump();
        Lit(el.EndX, el.EndY, winplat::CLng(el.ZDepth), s_.HoldStart);
        prevX_ = cur_.X;
        prevY_ = cur_.Y;
        prevZ_ = el.ZDepth;
        break;
      case 1:
        Lit(el.EndX, el.EndY, winplat::CLng(el.ZDepth), s_.HoldVertex);
        prevX_ = cur_.X;
        prevY_ = cur_.Y;
        prevZ_ = el.ZDepth;
        break;
      case 2:
      case 3: {
        const double dx = el.EndX - el.CentreX;
        const double dy = el.EndY - el.CentreY;
        Arc(el.CentreX, el.CentreY, 2 * std::sqrt(dx * dx + dy * dy), prevX_, prevY_, el.EndX, el.EndY,
            el.MoveCode == 2 ? 1 : -1, prevZ_, el.ZDepth, ArcMode::Partial);
        prevX_ = el.EndX;
        prevY_ = el.EndY;
        prevZ_ = el.ZDepth;
        break;
      }
      case 0:
        Mark(el);
        break;
      case 85:
      case 86: {
        const std::int32_t f = winplat::CLng(el.ZDepth);
        Lit(el.CentreX, el.CentreY, f, s_.HoldStart);
        Lit(el.MoveCode == 85 ? el.EndX : el.CentreX, el.MoveCode == 85 ? el.CentreY : el.EndY, f, s_.HoldEnd);
        DarkJump();
        break;
      }
      default:
        break;
    }
  }

  void Mark(const PathElement& el) {
    DarkJump();
    cur_.F = 0;
    const double r = el.ArcDiameter / 2;
    const double cx = el.CentreX, cy = el.CentreY;
    const double h = s_.SheetHeight, l = s_.SheetLength;
    double corners[4][2];
    switch (el.CycleCode) {
      case 0:
      case 5: {
        const double z = winplat::CLng(el.ZDepth);
        prevZ_ = z;
        Arc(cx, cy, el.ArcDiameter, cx + r, cy, cx + r, cy, 1, z, z, ArcMode::FullCircle);
        DarkJump();
        return;
      }
      case 1:
        SetCorners(corners, cx - r, 0, cx - r, cy, cx + r, cy, cx + r, 0);
        break;
      case 2:
        SetCorners(corners, cx - r, h, cx - r, h - cy, cx + r, h - cy, cx + r, h);
        break;
      case 3:
        SetCorners(corners, 0, cy - r, cx, cy - r, cx, cy + r, 0, cy + r);
        break;
      case 4:
        SetCorners(corners, l, cy - r, l - cx, cy - r, l - cx, cy + r, l, cy + r);
        break;
      default:
        return;
    }
    const std::int32_t inner = s_.HoldVertex + NotchVertexExtra;
    Lit(corners[0][0], corners[0][1], 0, s_.HoldStart);
    Lit(corners[1][0], corners[1][1], 0, inner);
    Lit(corners[2][0], corners[2][1], 0, inner);
    Lit(corners[3][0], corners[3][1], 0, s_.HoldEnd);
    DarkJump();
  }

  static void SetCorners(double (&c)[4][2], double x0, double y0, double x1, double y1, double x2, double y2,
                         double x3, double y3) {
    c[0][0] = x0, c[0][1] = y0, c[1][0] = x1, c[1][1] = y1;
    c[2][0] = x2, c[2][1] = y2, c[3][0] = x3, c[3][1] = y3;
  }

  // Draws an arc about (cx, cy) of diameter d from S to E, stepping the depth
  // from z0 towards z1. A partial arc ends with its end point held.
  void Arc(double cx, double cy, double d, double sx, double sy, double ex, double ey, int dir, double z0,
           double z1, ArcMode mode) {
    if (d <= 0) return;
    std::int32_t n = winplat::CLng(d * std::numbers::pi) / static_cast<std::int32_t>(ArcSegmentLength);
    if (n < MinArcSteps) n = MinArcSteps;
    double step = 360.0 / n;
    const double as = toolpath::LineAngle(cx, cy, sx, sy);
    const double ae = toolpath::LineAngle(cx, cy, ex, ey);

    double a = 0;
    std::int32_t count = 0;
    if (std::fabs(as - ae) < FullCircleTolerance) {
      a = as + step * dir;
      count = n + (mode == ArcMode::FullCircle ? 1 : 0);
    } else {
      a = as;
      double s = as, t = ae;
      if (dir > 0 && t < s) t += 360;
      if (dir < 0 && t > s) s += 360;
      count = winplat::CLng(std::fabs(s - t) / step);
      if (count > 0) step = std::fabs(s - t) / count;
    }

    const double dz = count > 0 ? std::fabs(z1 - z0) / count : 0;
    double z = z0;
    const double radius = d / 2;
    std::int32_t once = 1;
    for (std::int32_t k = 0; k < count; ++k) {
      Lit(cx + radius * toolpath::CosDeg(a), cy + radius * toolpath::SinDeg(a), winplat::CLng(z), once);
      a += step * dir;
      if (a < 0) a += 360;
      if (a >= 360) a -= 360;
      if (std::fabs(a - 360) < TurnTolerance) a = 0;
      if (z1 > z) z = std::min(z + dz, z1);
      if (z1 < z) z = std::max(z - dz, z1);
    }
    if (mode == ArcMode::Partial) {
      Lit(cx + radius * toolpath::CosDeg(ae), cy + radius * toolpath::SinDeg(ae), winplat::CLng(z1),
          s_.HoldVertex);
    }
  }

  void Lit(double x, double y, std::int32_t f, std::int32_t hold) {
    cur_.X = winplat::CLng(x);
    cur_.Y = winplat::CLng(y);
    cur_.F = f;
    cur_.Colour = s_.CurrentColor;
    AddPoint(e_, cur_, hold);
  }

  // Dark copies where the beam last was, once any point exists.
  void DarkJump() {
    if (s_.PointCount <= 0) return;
    cur_.Colour = 0;
    std::int32_t repeats = JumpRepeats;
    AddPoint(e_, cur_, repeats);
  }

  Engine& e_;
  ProgramState& s_;
  PointStruct cur_{};
  double prevX_ = 0, prevY_ = 0, prevZ_ = 0;
};

}  // namespace

std::int32_t PathPointClass(const PathElement& el) {
  const bool drawn = el.MoveCode == 88 || el.MoveCode == 1 || el.MoveCode == 2 || el.MoveCode == 3;
  const std::int32_t side = el.CompSide + (drawn ? 1 : 0);
  return 3000 + 10 * side + std::abs(static_cast<std::int32_t>(el.UWord)) % 10;
}

void BuildPointsFromPath(Engine& engine) {
  PathWalker(engine).Walk();
  winplat::SpreadGrid* grid = engine.Console.SSOptSw();
  const std::int32_t positions = SwitchPositionsBuilt(grid ? grid->MaxCols() : 0);
  if (positions <= 0) {
    engine.Console.SetMsg("No switch positions in SSOptSw: no frames written.");
    return;
  }
  for (std::int32_t n = 1; n <= positions; ++n) SendFrame(engine, n);
  // The switch options rebuild the job's frames from this copy later.
  engine.State.JobPoints = engine.State.AssemblyPoints;
}

}  // namespace fieldray::engine
