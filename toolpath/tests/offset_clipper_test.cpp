// The offset copies of axis-parallel polygons against an independent
// polygon-offsetting library (Clipper, round joins): every vertex of a copy but
// those at its start corner lies on Clipper's outline, and every point of
// Clipper's outline away from the start corner lies on the copy.
#include <gtest/gtest.h>

#if defined(FIELDRAY_HAVE_CLIPPER)

#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "toolpath/offset_pass.h"
#include "toolpath/tests/offset_fixture.h"
#include "toolpath/tests/offset_measure.h"

using namespace fieldray;
using namespace fieldray::toolpath;

namespace {

constexpr double kScale = 1e6;
constexpr double kTolerance = 0.001;
const double kPi = 3.141592653589793;

using offsetmeasure::Pt;
using offsetmeasure::SegmentDistance;

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

namespace {

namespace om = offsetmeasure;

// A generated contour: its start and elements with whole-millimetre
// coordinates, as the loader gives them. Path codes: 1 line, 2
// counter-clockwise arc, 3 clockwise arc.
struct Element {
  int code;
  om::Pt end, centre;
};
struct Contour {
  std::string kind;
  om::Pt start;
  std::vector<Element> elements;
};

// Whole-millimetre random numbers from a fixed generator, the same on every
// standard library.
struct Dice {
  std::mt19937 rng{20261210};
  int Between(int low, int high) { return low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1)); }
};

om::Pt Whole(double x, double y) { return {std::round(x), std::round(y)}; }

Contour Polygon(const std::vector<om::Pt>& points, const std::string& kind) {
  Contour c{kind, points[0], {}};
  for (std::size_t i = 1; i <= points.size(); ++i) c.elements.push_back({1, points[i % points.size()], {}});
  return c;
}

// A star-shaped polygon about (100, 100), with a 1 mm step straight on after
// one of its corners now and then.
Contour RandomPolygon(Dice& dice) {
  const int n = dice.Between(4, 9);
  std::vector<double> angles;
  for (int i = 0; i < n; ++i) angles.push_back(dice.Between(0, 359) * kPi / 180);
  std::sort(angles.begin(), angles.end());
  angles.erase(std::unique(angles.begin(), angles.end()), angles.end());
  std::vector<om::Pt> points;
  for (double a : angles) {
    const double r = dice.Between(15, 70);
    points.push_back(Whole(100 + r * std::cos(a), 100 + r * std::sin(a)));
  }
  if (points.size() >= 3 && dice.Between(0, 1) == 1) {
    const std::size_t k = static_cast<std::size_t>(dice.Between(1, static_cast<int>(points.size()) - 1));
    const om::Pt a = points[k - 1], b = points[k];
    const double len = om::Dist(a, b);
    if (len > 0) points.insert(points.begin() + static_cast<std::ptrdiff_t>(k) + 1,
                               Whole(b.x + (b.x - a.x) / len, b.y + (b.y - a.y) / len));
  }
  return Polygon(points, "polygon");
}

// A rectangle with a notch in its right side, its bottom edge ending in a
// 1 mm step straight on as the loader's rounding makes it: the step's copy
// meets the notch's at an acute corner.
Contour NotchedRectangle(Dice& dice) {
  const double w = dice.Between(40, 90), h = 2 * dice.Between(15, 30);
  const double tip = w - dice.Between(10, static_cast<int>(w) / 2);
  return Polygon({{0, 0}, {w - 1, 0}, {w, 0}, {tip, h / 2}, {w, h}, {0, h}}, "notched rectangle");
}

// A star whose tips turn by 10 to 70 degrees.
Contour Star(Dice& dice) {
  const int n = dice.Between(3, 6);
  const double outer = dice.Between(40, 90);
  const double tip = dice.Between(10, 70) * kPi / 180;
  const double t = std::tan(tip / 2), half = kPi / n;
  const double inner = t * outer / (std::sin(half) + t * std::cos(half));
  std::vector<om::Pt> points;
  for (int i = 0; i < 2 * n; ++i) {
    const double r = i % 2 == 0 ? outer : inner, a = i * half;
    points.push_back(Whole(100 + r * std::cos(a), 100 + r * std::sin(a)));
  }
  return Polygon(points, "star");
}

// A rectangle whose corners are arcs tangent to its sides.
Contour RoundedRectangle(Dice& dice) {
  const double w = dice.Between(20, 100), h = dice.Between(20, 60);
  const double f = dice.Between(1, static_cast<int>(std::fmin(w, h)) / 2);
  Contour c{"rounded rectangle", {f, 0}, {}};
  auto side = [&](double x, double y) { c.elements.push_back({1, {x, y}, {}}); };
  auto corner = [&](double x, double y, double cx, double cy) { c.elements.push_back({2, {x, y}, {cx, cy}}); };
  side(w - f, 0);
  corner(w, f, w - f, f);
  side(w, h - f);
  corner(w - f, h, w - f, h - f);
  side(f, h);
  corner(0, h - f, f, h - f);
  side(0, f);
  corner(f, 0, f, f);
  // A fillet as large as the side leaves a line of no length: drop it.
  std::vector<Element> kept;
  om::Pt at = c.start;
  for (const Element& e : c.elements) {
    if (e.code == 1 && om::Dist(at, e.end) == 0) continue;
    kept.push_back(e);
    at = e.end;
  }
  c.elements = kept;
  return c;
}

// A rectangle with a half circle into its top edge: at the corner the edge
// and the arc meet in a cusp; elsewhere the arc meets the edge at right angles.
Contour CuspedRectangle(Dice& dice) {
  const double w = dice.Between(40, 100), h = dice.Between(30, 60);
  const double a = dice.Between(5, static_cast<int>(std::fmin(w / 3, h / 2)));
  const double from = dice.Between(0, 1) == 1 ? w : w - dice.Between(1, static_cast<int>(w - 2 * a - 1));
  Contour c{"cusped rectangle", {0, 0}, {}};
  c.elements.push_back({1, {w, 0}, {}});
  c.elements.push_back({1, {w, h}, {}});
  if (from < w) c.elements.push_back({1, {from, h}, {}});
  c.elements.push_back({3, {from - 2 * a, h}, {from - a, h}});
  c.elements.push_back({1, {0, h}, {}});
  c.elements.push_back({1, {0, 0}, {}});
  return c;
}

std::string Describe(const Contour& c) {
  std::ostringstream out;
  out << c.kind << ": start (" << c.start.x << ", " << c.start.y << ")";
  for (const Element& e : c.elements) {
    out << " " << (e.code == 1 ? "G1" : e.code == 2 ? "G3" : "G2") << " (" << e.end.x << ", " << e.end.y << ")";
    if (e.code != 1) out << " about (" << e.centre.x << ", " << e.centre.y << ")";
  }
  return out.str();
}

// Unit tangents at an element's start and end.
std::pair<om::Pt, om::Pt> Tangents(om::Pt from, const Element& e) {
  if (e.code == 1) {
    const double len = om::Dist(from, e.end);
    const om::Pt u{(e.end.x - from.x) / len, (e.end.y - from.y) / len};
    return {u, u};
  }
  const double s = e.code == 2 ? 1 : -1;
  auto at = [&](om::Pt p) {
    const double r = om::Dist(p, e.centre);
    return om::Pt{-s * (p.y - e.centre.y) / r, s * (p.x - e.centre.x) / r};
  };
  return {at(from), at(e.end)};
}

// Whether every feature is wider than twice the offset: the sides of each
// acute corner of angle t are longer than 2 |d| cot(t / 2), and no two
// elements that do not meet come nearer than 2 |d|; and no acute corner is so
// sharp that the pass's rounded tangents move its trim far.
bool Wide(const Contour& contour, double d) {
  // Lines that run straight on make one side.
  Contour c{contour.kind, contour.start, {}};
  om::Pt before = contour.start, after = contour.start;
  for (const Element& e : contour.elements) {
    if (e.code == 1 && !c.elements.empty() && c.elements.back().code == 1) {
      const double ux = after.x - before.x, uy = after.y - before.y, vx = e.end.x - after.x, vy = e.end.y - after.y;
      if (ux * vy - uy * vx == 0 && ux * vx + uy * vy > 0) {
        c.elements.back().end = after = e.end;
        continue;
      }
    }
    c.elements.push_back(e);
    before = after;
    after = e.end;
  }
  const std::size_t n = c.elements.size();
  std::vector<om::Pt> from(n);
  std::vector<std::vector<om::Pt>> points(n);
  om::Pt at = c.start;
  for (std::size_t i = 0; i < n; ++i) {
    from[i] = at;
    PathElement e;
    e.MoveCode = c.elements[i].code;
    e.EndX = c.elements[i].end.x;
    e.EndY = c.elements[i].end.y;
    e.CentreX = c.elements[i].centre.x;
    e.CentreY = c.elements[i].centre.y;
    points[i] = {at};
    om::AppendPoints(points[i], at, e);
    at = c.elements[i].end;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t j = (i + 1) % n;
    const om::Pt u = Tangents(from[i], c.elements[i]).second, v = Tangents(from[j], c.elements[j]).first;
    const double t = kPi - std::acos(std::fmax(-1.0, std::fmin(1.0, u.x * v.x + u.y * v.y)));
    if (t >= kPi / 2) continue;
    if (t < 1e-6) return false;
    // The pass keeps its tangents to two decimals, which moves the trim of
    // an acute corner by up to about |d| 0.01 / sin^2(t / 2): where that is
    // much of the tolerance the corner counts as narrow too.
    if (std::fabs(d) * 0.004 / std::pow(std::sin(t / 2), 2) > 0.4) return false;
    const double need = 2 * std::fabs(d) / std::tan(t / 2);
    if (om::Dist(from[i], from[j]) <= need || om::Dist(from[j], c.elements[j].end) <= need) return false;
  }
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;
      for (const om::Pt& p : points[i])
        if (om::PolylineDistance(p, points[j]) < 2 * std::fabs(d)) return false;
      for (const om::Pt& p : points[j])
        if (om::PolylineDistance(p, points[i]) < 2 * std::fabs(d)) return false;
    }
  return true;
}

}  // namespace

// Generated contours, each programmed on a random side with a random radius:
// every copy keeps within the reach of its trims of its contour; where
// every feature is wider than twice the offset, it runs within half a
// millimetre of Clipper's offset both ways and crosses no programmed element,
// away from its start corner.
TEST(OffsetAgainstClipper, GeneratedContoursWithStepsTipsAndArcs) {
  Dice dice;
  int wideCopies = 0, narrowCopies = 0;
  for (int k = 0; k < 60; ++k) {
    const int shape = k % 5;
    const Contour c = shape == 0   ? RandomPolygon(dice)
                      : shape == 1 ? Star(dice)
                      : shape == 2 ? RoundedRectangle(dice)
                      : shape == 3 ? NotchedRectangle(dice)
                                   : CuspedRectangle(dice);
    const std::int16_t side = static_cast<std::int16_t>(dice.Between(1, 2));
    const double radius = dice.Between(1, 3);
    SCOPED_TRACE("contour " + std::to_string(k) + ", side " + std::to_string(side) + ", radius " +
                 std::to_string(radius) + ": " + Describe(c));

    PathBuilder b;
    b.side = side;
    b.radius = radius;
    b.Start(c.start.x, c.start.y);
    for (const Element& e : c.elements) {
      if (e.code == 1)
        b.Line(e.end.x, e.end.y);
      else
        b.Arc(e.code, e.end.x, e.end.y, e.centre.x, e.centre.y);
    }
    RadiusOffset ro;
    RadiusOffsetPass(ro, b.path);
    const auto copies = om::CopyPoints(ro);
    ASSERT_EQ(copies.size(), 2u);
    const std::vector<om::Pt> contour = om::ContourPoints(b.path);

    for (std::size_t i = 0; i < copies.size(); ++i) {
      // Side 1 gives copies at +R and +2R, side 2 at -R and -2R.
      const double d = (side == 1 ? 1 : -1) * radius * static_cast<double>(i + 1);
      SCOPED_TRACE("offset " + std::to_string(d) + ", copy " + om::DescribeCopy(ro, i));
      // A trim is kept within one and a half offsets (and half a millimetre)
      // of the part, so no copy runs farther away.
      om::Pt at;
      EXPECT_LE(om::Farthest(copies[i], contour, 1, {}, -1, &at), 1.5 * std::fabs(d) + 0.5)
          << "at " << om::Describe({at});
      const auto reference = om::ClipperOffset(contour, d);
      if (!Wide(c, d) || reference.size() != 1) {
        ++narrowCopies;
        continue;
      }
      ++wideCopies;
      const double skip = 1.5 * std::fabs(d) + 0.01;
      EXPECT_LE(om::Farthest(copies[i], reference[0], 1, c.start, skip, &at), 0.5) << "at " << om::Describe({at});
      EXPECT_LE(om::Farthest(reference[0], copies[i], 1, c.start, skip, &at), 0.5) << "Clipper's at " << om::Describe({at});
      EXPECT_EQ(om::Crossings(copies[i], contour, c.start, skip), 0);
    }
  }
  // The generator gives both kinds in numbers.
  EXPECT_GE(wideCopies, 30);
  EXPECT_GE(narrowCopies, 10);
}

#else

TEST(OffsetAgainstClipper, SkippedWithoutClipper) { GTEST_SKIP() << "libpolyclipping-dev is not installed"; }

#endif
