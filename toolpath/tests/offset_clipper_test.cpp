// The offset copies of axis-parallel polygons against an independent
// polygon-offsetting library (Clipper, round joins): every vertex of a copy but
// those at its start corner lies on Clipper's outline, and every point of
// Clipper's outline away from the start corner lies on the copy.
#include <gtest/gtest.h>

#if defined(FIELDRAY_HAVE_CLIPPER)

#include <polyclipping/clipper.hpp>

#include <cmath>
#include <utility>
#include <vector>

#include "toolpath/offset_pass.h"
#include "toolpath/tests/offset_fixture.h"

using namespace fieldray;
using namespace fieldray::toolpath;

namespace {

constexpr double kScale = 1e6;
constexpr double kTolerance = 0.001;
const double kPi = 3.141592653589793;

struct Pt {
  double x, y;
};

double SegmentDistance(Pt p, Pt a, Pt b) {
  const double vx = b.x - a.x, vy = b.y - a.y;
  const double len2 = vx * vx + vy * vy;
  double t = len2 == 0 ? 0 : ((p.x - a.x) * vx + (p.y - a.y) * vy) / len2;
  t = std::fmax(0, std::fmin(1, t));
  return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

// Distance from p to an arc about c from s to e, counter-clockwise when ccw.
double ArcDistance(Pt p, Pt s, Pt e, Pt c, bool ccw) {
  const double rho = std::hypot(e.x - c.x, e.y - c.y);
  auto angle = [&](Pt q) { return std::atan2(q.y - c.y, q.x - c.x); };
  auto norm = [&](double a) {
    while (a < 0) a += 2 * kPi;
    while (a >= 2 * kPi) a -= 2 * kPi;
    return a;
  };
  double sweep = ccw ? norm(angle(e) - angle(s)) : norm(angle(s) - angle(e));
  if (sweep == 0) sweep = 2 * kPi;
  const double at = ccw ? norm(angle(p) - angle(s)) : norm(angle(s) - angle(p));
  if (at <= sweep) return std::fabs(std::hypot(p.x - c.x, p.y - c.y) - rho);
  return std::fmin(std::hypot(p.x - s.x, p.y - s.y), std::hypot(p.x - e.x, p.y - e.y));
}

// The copies in the output, each from its contour start to the next.
std::vector<std::vector<PathElement>> Copies(const RadiusOffset& ro) {
  std::vector<std::vector<PathElement>> copies;
  for (int i = 0; i <= ro.OutputCount; ++i) {
    const PathElement& e = ro.OffsetOutput[static_cast<std::size_t>(i)];
    if (e.MoveCode == 88) copies.emplace_back();
    copies.back().push_back(e);
  }
  return copies;
}

ClipperLib::Paths ClipperOffsetOf(const std::vector<Pt>& polygon, double d) {
  ClipperLib::Path path;
  for (const Pt& p : polygon)
    path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(p.x * kScale)),
                      static_cast<ClipperLib::cInt>(std::llround(p.y * kScale)));
  ClipperLib::ClipperOffset co;
  co.AddPath(path, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
  ClipperLib::Paths out;
  co.Execute(out, d * kScale);
  return out;
}

// Compares the copies of `polygon` (counter-clockwise, closed back to its
// first vertex, programmed on `side` with radius `radius`) with Clipper's.
void CompareWithClipper(const std::vector<Pt>& polygon, std::int16_t side, double radius,
                        const std::vector<double>& distances) {
  PathBuilder b;
  b.side = side;
  b.radius = radius;
  b.Start(polygon[0].x, polygon[0].y);
  for (std::size_t i = 1; i < polygon.size(); ++i) b.Line(polygon[i].x, polygon[i].y);
  b.Line(polygon[0].x, polygon[0].y);
  RadiusOffset ro;
  RadiusOffsetPass(ro, b.path);
  const auto copies = Copies(ro);
  ASSERT_EQ(copies.size(), distances.size());

  const Pt start = polygon[0];
  for (std::size_t k = 0; k < copies.size(); ++k) {
    const double d = distances[k];
    SCOPED_TRACE("offset " + std::to_string(d));
    const ClipperLib::Paths reference = ClipperOffsetOf(polygon, d);
    ASSERT_EQ(reference.size(), 1u);
    std::vector<Pt> outline;
    for (const auto& p : reference[0]) outline.push_back({p.X / kScale, p.Y / kScale});

    const auto& copy = copies[k];
    auto nearStart = [&](Pt p) { return std::hypot(p.x - start.x, p.y - start.y) <= std::fabs(d) * 1.5 + 0.01; };

    // Every vertex of the copy lies on Clipper's outline.
    for (std::size_t i = 0; i < copy.size(); ++i) {
      const Pt v{copy[i].EndX, copy[i].EndY};
      if (nearStart(v)) continue;
      double best = 1e300;
      for (std::size_t j = 0; j < outline.size(); ++j)
        best = std::fmin(best, SegmentDistance(v, outline[j], outline[(j + 1) % outline.size()]));
      EXPECT_LT(best, kTolerance) << "copy vertex " << i << " (" << v.x << ", " << v.y << ")";
    }

    // Every vertex of Clipper's outline lies on the copy.
    for (const Pt& p : outline) {
      if (nearStart(p)) continue;
      double best = 1e300;
      for (std::size_t i = 1; i < copy.size(); ++i) {
        const Pt s{copy[i - 1].EndX, copy[i - 1].EndY}, e{copy[i].EndX, copy[i].EndY};
        if (copy[i].MoveCode == 1)
          best = std::fmin(best, SegmentDistance(p, s, e));
        else
          best = std::fmin(best, ArcDistance(p, s, e, {copy[i].CentreX, copy[i].CentreY}, copy[i].MoveCode == 2));
      }
      EXPECT_LT(best, kTolerance) << "Clipper vertex (" << p.x << ", " << p.y << ")";
    }
  }
}

const std::vector<Pt> kRectangle{{0, 0}, {30, 0}, {30, 12}, {0, 12}};
const std::vector<Pt> kLShape{{0, 0}, {40, 0}, {40, 10}, {15, 10}, {15, 30}, {0, 30}};
const std::vector<Pt> kUShape{{0, 0}, {50, 0}, {50, 30}, {35, 30}, {35, 12}, {15, 12}, {15, 30}, {0, 30}};
const std::vector<Pt> kStep{{0, 0}, {20, 0}, {20, 8}, {32, 8}, {32, 20}, {-6, 20}, {-6, 9}, {0, 9}};

}  // namespace

TEST(OffsetAgainstClipper, RectangleOutwardAndInward) {
  ASSERT_NO_FATAL_FAILURE(CompareWithClipper(kRectangle, 1, 1.25, {1.25, 2.5}));
  ASSERT_NO_FATAL_FAILURE(CompareWithClipper(kRectangle, 2, 1.25, {-1.25, -2.5}));
}

TEST(OffsetAgainstClipper, LShapeOutwardAndInward) {
  ASSERT_NO_FATAL_FAILURE(CompareWithClipper(kLShape, 1, 1, {1, 2}));
  ASSERT_NO_FATAL_FAILURE(CompareWithClipper(kLShape, 2, 1.5, {-1.5, -3}));
}

TEST(OffsetAgainstClipper, UShapeOutwardAndInward) {
  ASSERT_NO_FATAL_FAILURE(CompareWithClipper(kUShape, 1, 2, {2, 4}));
  ASSERT_NO_FATAL_FAILURE(CompareWithClipper(kUShape, 2, 1, {-1, -2}));
}

TEST(OffsetAgainstClipper, StepsOnBothSides) {
  ASSERT_NO_FATAL_FAILURE(CompareWithClipper(kStep, 0, 1.5, {-1.5, 1.5}));
}

#else

TEST(OffsetAgainstClipper, SkippedWithoutClipper) { GTEST_SKIP() << "libpolyclipping-dev is not installed"; }

#endif
