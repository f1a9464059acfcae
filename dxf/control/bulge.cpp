// Polyline segments with a bulge: the arc from the first point to the second
// whose included angle is 4 x arctangent(bulge), counterclockwise for a
// positive bulge.
#include <cmath>

#include "dxf_control.h"
#include "bulge.h"
#include "render_geometry.h"
#include "../reader/dxfengine.h"

namespace kelvane {

namespace {

int Sign(double v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }
}  // namespace

float BulgeCenterX(float dx, float dy, float X1, float ox, float Bulge) {
  return WithErrorTrail("BulgeCenterX", [&] {
    const bool minus = Sign(Bulge) == Sign(dx) || (dx == 0 && Sign(Bulge) == Sign(dy));
    return minus ? X1 - ox : X1 + ox;
  });
}

float BulgeCenterY(float dx, float dy, float Y1, float oy, float Bulge) {
  return WithErrorTrail("BulgeCenterY", [&] {
    if (dx == 0) return static_cast<float>(Y1 + dy / 2.0);
    return Sign(dx) == Sign(Bulge) ? Y1 + oy : Y1 - oy;
  });
}

float BulgeStartAngle(float dx, float dy, float g, float Bulge, float t) {
  return WithErrorTrail("BulgeStartAngle", [&]() -> float {
    const double pi = DrawingPi;
    if (Bulge > 0) {
      if (dx > 0) return -g;
      if (dx < 0) return static_cast<float>(pi - g);
      if (dy < 0) return static_cast<float>(-(t + pi - g));
      return static_cast<float>(-(t - g));
    }
    if (dx > 0) return static_cast<float>(t + pi - g);
    if (dx == 0) return dy >= 0 ? static_cast<float>(t + pi - g) : static_cast<float>(t - g);
    return static_cast<float>(t - g);
  });
}

float BulgeEndAngle(float Bulge, float, float, float start, float t) {
  return WithErrorTrail("BulgeEndAngle", [&] {
    return Bulge >= 0 ? static_cast<float>(start + t) : static_cast<float>(start - t);
  });
}

BulgeArc BulgeGeometry(float X1, float Y1, float X2, float Y2, float Bulge) {
  BulgeArc arc;
  const float dx = X2 - X1, dy = Y2 - Y1;
  const double chord = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
  const float t = static_cast<float>(4.0 * std::atan(static_cast<double>(Bulge)));
  const double half = std::sin(t / 2.0);
  arc.Radius = half == 0 ? 0.0f : static_cast<float>(std::fabs(chord / (2.0 * half)));
  const double h = (DrawingPi - t) / 2.0;
  const double b = dx == 0 ? DrawingPi / 2.0 : std::atan(static_cast<double>(dy) / dx);
  const float g = static_cast<float>(DrawingPi - h - b);
  const float ox = static_cast<float>(arc.Radius * std::cos(g)), oy = static_cast<float>(arc.Radius * std::sin(g));
  arc.CenterX = BulgeCenterX(dx, dy, X1, ox, Bulge);
  arc.CenterY = BulgeCenterY(dx, dy, Y1, oy, Bulge);
  arc.StartAngle = BulgeStartAngle(dx, dy, g, Bulge, t);
  arc.EndAngle = BulgeEndAngle(Bulge, dx, dy, arc.StartAngle, t);
  return arc;
}

winplat::Variant DXF::BulgeDraw(std::int32_t row, winplat::HDC hDC, bool printing) {
  return WithErrorTrail("BulgeDraw", [&] {
    const PolylineSegmentRecord& r = db.PolylineTable(row);
    const BulgeArc arc = BulgeGeometry(r.X1, r.Y1, r.X2, r.Y2, r.Bulge);
    const std::int32_t color = EntityDrawColor(r.Layer, r.Color, printing);
    if (arc.Radius == 0) return winplat::Variant();
    // Counterclockwise from the lesser angle through |t|.
    const double start = std::min(arc.StartAngle, arc.EndAngle);
    const double sweep = std::fabs(static_cast<double>(arc.EndAngle) - arc.StartAngle);
    const double scale = gsScaler;
    const double cx = (static_cast<double>(arc.CenterX) - DXFXMin) * scale;
    const double cy = ViewHeight - (static_cast<double>(arc.CenterY) - DXFYMin) * scale;
    const double radius = static_cast<double>(arc.Radius) * scale;
    PassSurface surface{hDC, ViewWidth, ViewHeight};
    DrawArc(surface, cx, cy, radius, radius, start, sweep, color, 0, 1.0f);
    return winplat::Variant();
  }, DrawingCleanup());
}

}  // namespace kelvane
