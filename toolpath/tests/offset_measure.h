#pragma once
// Measuring offset copies: the copies as point lists, the programmed contour
// as elements, distances between them, crossings, and (with Clipper) the
// distance from a copy to an independent round-join offset of its contour.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "job/path_element.h"
#include "toolpath/offset_queue.h"

#if defined(FIELDRAY_HAVE_CLIPPER)
#include <polyclipping/clipper.hpp>
#endif

namespace offsetmeasure {

struct Pt {
  double x = 0, y = 0;
};

inline double Dist(Pt a, Pt b) { return std::hypot(a.x - b.x, a.y - b.y); }

inline double SegmentDistance(Pt p, Pt a, Pt b) {
  const double vx = b.x - a.x, vy = b.y - a.y;
  const double len2 = vx * vx + vy * vy;
  double t = len2 == 0 ? 0 : ((p.x - a.x) * vx + (p.y - a.y) * vy) / len2;
  t = std::fmax(0, std::fmin(1, t));
  return std::hypot(p.x - (a.x + t * vx), p.y - (a.y + t * vy));
}

// The points of a path element from `from`, arcs in steps of at most 3
// degrees. Path codes: 1 line, 2 counter-clockwise arc, 3 clockwise arc.
inline void AppendPoints(std::vector<Pt>& out, Pt from, const fieldray::PathElement& e) {
  const Pt to{e.EndX, e.EndY};
  if (e.MoveCode != 2 && e.MoveCode != 3) {
    out.push_back(to);
    return;
  }
  const Pt c{e.CentreX, e.CentreY};
  const double pi = 3.141592653589793;
  const double a0 = std::atan2(from.y - c.y, from.x - c.x), a1 = std::atan2(to.y - c.y, to.x - c.x);
  double sweep = e.MoveCode == 2 ? a1 - a0 : a0 - a1;
  while (sweep <= 1e-12) sweep += 2 * pi;
  while (sweep > 2 * pi + 1e-12) sweep -= 2 * pi;
  const double r0 = Dist(from, c), r1 = Dist(to, c);
  const int steps = std::max(1, static_cast<int>(std::ceil(sweep / (3 * pi / 180))));
  for (int i = 1; i <= steps; ++i) {
    const double f = static_cast<double>(i) / steps;
    const double a = a0 + (e.MoveCode == 2 ? 1 : -1) * sweep * f;
    const double r = r0 + (r1 - r0) * f;
    out.push_back(i == steps ? to : Pt{c.x + r * std::cos(a), c.y + r * std::sin(a)});
  }
}

// The copies in the pass's output, each as the points it runs through.
inline std::vector<std::vector<Pt>> CopyPoints(const fieldray::toolpath::RadiusOffset& ro) {
  std::vector<std::vector<Pt>> copies;
  for (int i = 0; i <= ro.OutputCount; ++i) {
    const fieldray::PathElement& e = ro.OffsetOutput[static_cast<std::size_t>(i)];
    if (e.MoveCode == 88 || copies.empty()) {
      copies.push_back({{e.EndX, e.EndY}});
      continue;
    }
    AppendPoints(copies.back(), copies.back().back(), e);
  }
  return copies;
}

// The first compensated contour of a path (from its start element to the
// element before the next start), as points.
inline std::vector<Pt> ContourPoints(const fieldray::PathArray& path) {
  std::vector<Pt> points;
  for (std::size_t i = 1; i < path.size(); ++i) {
    const fieldray::PathElement& e = path[i];
    if (e.MoveCode == 88) {
      if (!points.empty()) break;
      points.push_back({e.EndX, e.EndY});
    } else if (!points.empty()) {
      AppendPoints(points, points.back(), e);
    }
  }
  return points;
}

// Distance from p to a polyline.
inline double PolylineDistance(Pt p, const std::vector<Pt>& line) {
  double best = line.empty() ? 1e300 : Dist(p, line[0]);
  for (std::size_t i = 1; i < line.size(); ++i) best = std::fmin(best, SegmentDistance(p, line[i - 1], line[i]));
  return best;
}

// The farthest any point of `a` lies from `b`, a's segments taken in steps of
// at most `step`; points within `skip` of `start` are left out. The point is
// put in `where` when given.
inline double Farthest(const std::vector<Pt>& a, const std::vector<Pt>& b, double step = 0.5, Pt start = {},
                       double skip = -1, Pt* where = nullptr) {
  double worst = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const Pt from = i == 0 ? a[0] : a[i - 1];
    const int steps = std::max(1, static_cast<int>(std::ceil(Dist(from, a[i]) / step)));
    for (int k = 1; k <= steps; ++k) {
      const double f = static_cast<double>(k) / steps;
      const Pt p{from.x + (a[i].x - from.x) * f, from.y + (a[i].y - from.y) * f};
      if (skip >= 0 && Dist(p, start) <= skip) continue;
      const double d = PolylineDistance(p, b);
      if (d <= worst) continue;
      worst = d;
      if (where != nullptr) *where = p;
    }
  }
  return worst;
}

// Points where segment ab crosses cd properly (not at a shared end).
inline bool Crosses(Pt a, Pt b, Pt c, Pt d) {
  auto side = [](Pt p, Pt q, Pt r) { return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x); };
  const double d1 = side(c, d, a), d2 = side(c, d, b), d3 = side(a, b, c), d4 = side(a, b, d);
  const double eps = 1e-9;
  return ((d1 > eps && d2 < -eps) || (d1 < -eps && d2 > eps)) && ((d3 > eps && d4 < -eps) || (d3 < -eps && d4 > eps));
}

// How often the copy crosses the contour, leaving out segments of the copy
// that come nearer than `skip` to the point `start`.
inline int Crossings(const std::vector<Pt>& copy, const std::vector<Pt>& contour, Pt start = {}, double skip = -1) {
  int n = 0;
  for (std::size_t i = 1; i < copy.size(); ++i) {
    if (skip >= 0 && SegmentDistance(start, copy[i - 1], copy[i]) <= skip) continue;
    for (std::size_t j = 1; j < contour.size(); ++j)
      if (Crosses(copy[i - 1], copy[i], contour[j - 1], contour[j])) ++n;
  }
  return n;
}

// Twice the signed area: positive for a counter-clockwise contour.
inline double Area2(const std::vector<Pt>& contour) {
  double a = 0;
  for (std::size_t i = 0; i < contour.size(); ++i) {
    const Pt& p = contour[i];
    const Pt& q = contour[(i + 1) % contour.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return a;
}

// The elements of copy `index` in the pass's output.
inline std::string DescribeCopy(const fieldray::toolpath::RadiusOffset& ro, std::size_t index) {
  std::ostringstream out;
  std::size_t copy = 0;
  for (int i = 0; i <= ro.OutputCount; ++i) {
    const fieldray::PathElement& e = ro.OffsetOutput[static_cast<std::size_t>(i)];
    if (e.MoveCode == 88 && i > 0) ++copy;
    if (copy != index) continue;
    out << e.MoveCode << " (" << e.EndX << ", " << e.EndY << ")";
    if (e.MoveCode == 2 || e.MoveCode == 3) out << " about (" << e.CentreX << ", " << e.CentreY << ") r " << e.ArcDiameter / 2;
    out << "; ";
  }
  return out.str();
}

inline std::string Describe(const std::vector<Pt>& points) {
  std::ostringstream out;
  for (const Pt& p : points) out << "(" << p.x << ", " << p.y << ") ";
  return out.str();
}

#if defined(FIELDRAY_HAVE_CLIPPER)
// Clipper's round-join offset of a closed contour by `d` to the right of its
// travel (the pass's sign), each outline closed back to its first point.
inline std::vector<std::vector<Pt>> ClipperOffset(const std::vector<Pt>& contour, double d) {
  constexpr double kScale = 1e4;
  ClipperLib::Path path;
  for (const Pt& p : contour)
    path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(p.x * kScale)),
                      static_cast<ClipperLib::cInt>(std::llround(p.y * kScale)));
  ClipperLib::ClipperOffset co(2.0, 0.002 * kScale);
  co.AddPath(path, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
  ClipperLib::Paths out;
  co.Execute(out, (Area2(contour) > 0 ? d : -d) * kScale);
  std::vector<std::vector<Pt>> outlines;
  for (const auto& o : out) {
    outlines.emplace_back();
    for (const auto& p : o) outlines.back().push_back({p.X / kScale, p.Y / kScale});
    if (!outlines.back().empty()) outlines.back().push_back(outlines.back().front());
  }
  return outlines;
}
#endif

}  // namespace offsetmeasure
