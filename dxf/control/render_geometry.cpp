// Pixel geometry of the rendering pass: visibility rectangles, line clipping,
// and ellipses and arcs that are drawn by the primitives while they fit in
// whole pixels, or as a fine polyline of their visible part when they do not.
#include "render_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "gdiprims.h"
#include "winplat/gdi.h"

namespace kelvane {

using namespace winplat;

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Boxes within this distance of the surface go to the primitives as they are.
constexpr double kDirectLimit = 1 << 24;

std::int32_t Round(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

struct Band {
  double l, t, r, b;
  bool Inside(double x, double y) const { return x >= l && x <= r && y >= t && y <= b; }
};

Band GuardBand(const PassSurface& s) {
  const double g = s.Guard();
  return Band{-g, -g, s.width + g, s.height + g};
}

// Draws the points as one polyline with a pen of its own.
bool StrokePoints(HDC dc, const std::vector<POINT>& points, std::int32_t color, std::int32_t style, float width) {
  if (points.size() < 2) return true;
  HPEN pen = CreatePen(style, static_cast<int>(std::lround(width)), static_cast<COLORREF>(color));
  if (!pen) return false;
  HGDIOBJ old = SelectObject(dc, pen);
  bool ok = old != 0 && Polyline(dc, points.data(), static_cast<int>(points.size()));
  if (old) SelectObject(dc, old);
  DeleteObject(pen);
  return ok;
}

// The parts of [start, start + sweep] where the ellipse lies inside the band,
// each drawn as a polyline fine enough to be within a quarter pixel.
bool StrokeVisibleArc(const PassSurface& s, double cx, double cy, double a, double b, double start, double sweep,
                      std::int32_t color, std::int32_t style, float width) {
  const Band band = GuardBand(s);
  auto at = [&](double t) { return std::pair<double, double>{cx + a * std::cos(t), cy - b * std::sin(t)}; };
  std::vector<double> cuts{start, start + sweep};
  auto addAngle = [&](double t) {
    double d = std::fmod(t - start, kTwoPi);
    if (d < 0) d += kTwoPi;
    if (d > 0 && d < sweep) cuts.push_back(start + d);
  };
  auto crossX = [&](double x) {  // cos t = (x - cx) / a
    if (a <= 0) return;
    double c = (x - cx) / a;
    if (c < -1 || c > 1) return;
    double t = std::acos(c);
    addAngle(t);
    addAngle(-t);
  };
  auto crossY = [&](double y) {  // sin t = (cy - y) / b
    if (b <= 0) return;
    double v = (cy - y) / b;
    if (v < -1 || v > 1) return;
    double t = std::asin(v);
    addAngle(t);
    addAngle(std::numbers::pi - t);
  };
  crossX(band.l);
  crossX(band.r);
  crossY(band.t);
  crossY(band.b);
  std::sort(cuts.begin(), cuts.end());
  const double radius = std::max(a, b);
  const double step = std::min(0.05, 2.0 * std::sqrt(0.5 / std::max(radius, 1.0)));
  bool ok = true;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double t0 = cuts[i], t1 = cuts[i + 1];
    if (t1 - t0 <= 0) continue;
    auto mid = at((t0 + t1) / 2);
    if (!band.Inside(mid.first, mid.second)) continue;
    const auto n = static_cast<std::size_t>(std::min(1e6, std::ceil((t1 - t0) / step)));
    std::vector<POINT> points;
    points.reserve(n + 1);
    for (std::size_t k = 0; k <= n; ++k) {
      auto p = at(t0 + (t1 - t0) * static_cast<double>(k) / static_cast<double>(n));
      p.first = std::clamp(p.first, band.l - 1, band.r + 1);
      p.second = std::clamp(p.second, band.t - 1, band.b + 1);
      POINT q{Round(p.first), Round(p.second)};
      if (points.empty() || points.back().x != q.x || points.back().y != q.y) points.push_back(q);
    }
    if (points.size() == 1) points.push_back(points.front());
    ok = StrokePoints(s.dc, points, color, style, width) && ok;
  }
  return ok;
}

bool FitsDirectly(const PassSurface& s, double cx, double cy, double a, double b) {
  return cx - a > -kDirectLimit && cy - b > -kDirectLimit && cx + a < s.width + kDirectLimit &&
         cy + b < s.height + kDirectLimit;
}

}  // namespace

RECT MakeTestRect(const PixelBox& box) {
  auto clampL = [](double v) { return static_cast<std::int32_t>(std::clamp(v, -2e9, 2e9)); };
  const double l = std::min(box.x1, box.x2), r = std::max(box.x1, box.x2);
  const double t = std::min(box.y1, box.y2), b = std::max(box.y1, box.y2);
  return RECT{clampL(std::floor(l) - 100), clampL(std::floor(t) - 100), clampL(std::ceil(r) + 100),
              clampL(std::ceil(b) + 100)};
}

PixelBox TextBox(double x, double y, double w, double h, std::int32_t horzAlign, double rotation) {
  double left = 0;
  if (horzAlign == 2)
    left = -w;
  else if (horzAlign == 1 || horzAlign == 4)
    left = -w / 2;
  // Along the baseline from `left`, from the cell's top above it to a quarter below.
  const double corners[4][2] = {{left, -h}, {left + w, -h}, {left + w, h / 4}, {left, h / 4}};
  const double a = rotation * std::numbers::pi / 180.0;
  const double c = std::cos(a), sn = std::sin(a);
  PixelBox box{1e300, 1e300, -1e300, -1e300};
  for (const auto& k : corners) {
    // Counterclockwise on the screen: pixel y grows downwards.
    const double px = x + k[0] * c + k[1] * sn, py = y - k[0] * sn + k[1] * c;
    box.x1 = std::min(box.x1, px);
    box.y1 = std::min(box.y1, py);
    box.x2 = std::max(box.x2, px);
    box.y2 = std::max(box.y2, py);
  }
  return box;
}

double PassSurface::Guard() const { return static_cast<double>(std::max({width, height, 64})) + 128.0; }

std::int32_t PassSurface::MaxPen() const { return std::max({width, height, 1}); }

bool ClipLine(const PassSurface& s, double& x1, double& y1, double& x2, double& y2) {
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return false;
  const Band band = GuardBand(s);
  // Liang-Barsky.
  double t0 = 0, t1 = 1;
  const double dx = x2 - x1, dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - band.l, band.r - x1, y1 - band.t, band.b - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0) {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    } else {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    }
  }
  const double nx1 = x1 + t0 * dx, ny1 = y1 + t0 * dy, nx2 = x1 + t1 * dx, ny2 = y1 + t1 * dy;
  x1 = nx1;
  y1 = ny1;
  x2 = nx2;
  y2 = ny2;
  return true;
}

bool DrawEllipse(const PassSurface& s, double cx, double cy, double a, double b, std::int32_t color,
                 std::int32_t penStyle, float penWidth) {
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(a) || !std::isfinite(b)) return true;
  if (FitsDirectly(s, cx, cy, a, b))
    return GdiEllipse(s.dc, Round(cx - a), Round(cy + b), Round(cx + a), Round(cy - b), color, penStyle, penWidth);
  return StrokeVisibleArc(s, cx, cy, a, b, 0, kTwoPi, color, penStyle, penWidth);
}

bool DrawArc(const PassSurface& s, double cx, double cy, double a, double b, double start, double sweep,
             std::int32_t color, std::int32_t penStyle, float penWidth) {
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(a) || !std::isfinite(b) || !std::isfinite(start) ||
      !std::isfinite(sweep))
    return true;
  if (sweep <= 0) return true;
  if (sweep > kTwoPi) sweep = kTwoPi;
  if (sweep * std::max(a, b) < 1.0) return true;  // shorter than a pixel
  if (!FitsDirectly(s, cx, cy, a, b))
    return StrokeVisibleArc(s, cx, cy, a, b, start, sweep, color, penStyle, penWidth);
  // The radials are given by points well outside the box, so that arcs of a
  // few pixels keep distinct ends and almost full turns are not lost.
  const double reach = 4.0 * std::max(a, b) + 64.0;
  const double end = start + sweep;
  const std::int32_t sx = Round(cx + reach * std::cos(start)), sy = Round(cy - reach * std::sin(start));
  const std::int32_t ex = Round(cx + reach * std::cos(end)), ey = Round(cy - reach * std::sin(end));
  if (sx == ex && sy == ey && sweep < std::numbers::pi) return true;
  return GdiArc(s.dc, Round(cx - a), Round(cy + b), Round(cx + a), Round(cy - b), sx, ey, ex, sy, color, penStyle,
                penWidth);
}

}  // namespace kelvane
