// Degree and arc geometry. The literals below are the program's own
// approximations of pi and 2 pi; they are kept as they are so that centres and
// angles come out the same as the program has always computed them.
#include "toolpath/geometry.h"

#include <cmath>

#include "winplat/msgbox.h"
#include "winplat/numeric.h"

namespace fieldray::toolpath {
namespace {

constexpr double kHalfTurnLiteral = 3.14159265358979;
constexpr double kFullTurnLiteral = 6.28318530717958;

double Pi() { return 4.0 * std::atan(1.0); }

int Sgn(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

// Rounds to three decimals through the "######.000" pattern.
double Round3(double x) { return winplat::Val(winplat::Format(x, "######.000")); }

void ReportChordTooLong(GeometryReports* reports) {
  if (reports != nullptr) {
    reports->emplace_back(ChordTooLongMessage);
  } else {
    winplat::MessageBox(0, ChordTooLongMessage, "", winplat::MB_OK);
  }
}

// Bearing of a (near) unit direction, measured from +Y towards +X.
double Bearing(double ux, double uy, double fullTurn) {
  return ux >= 0 ? ArcCos(uy) : fullTurn - ArcCos(uy);
}

double PolarAngle(const Point2D& p, const Point2D& centre, double r) {
  const double a = ArcCos((p.X - centre.X) / std::fabs(r));
  return p.Y >= centre.Y ? a : 2.0 * Pi() - a;
}

}  // namespace

double LineAngle(double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double a = dx * dy != 0 ? std::atan(dy / dx) / DegreeFactor : 0.0;
  if (dx > 0 && dy > 0) return a;
  if (dy == 0 && dx >= 0) return 0.0;
  if (dy == 0 && dx < 0) return 180.0;
  if (dx < 0 && dy > 0) return a + 180.0;
  if (dx < 0 && dy < 0) return a + 180.0;
  if (dx > 0 && dy < 0) return a + 360.0;
  if (dx == 0 && dy < 0) return 270.0;
  if (dx == 0 && dy > 0) return 90.0;
  return 0.0;  // a NaN coordinate
}

int AngleSide(double a1, double a2) {
  const double opp = a1 > 180 ? a1 - 180 : a1 + 180;
  if (a2 == a1) return 0;
  const bool counterClockwise = a1 <= 180 ? (a1 <= a2 && a2 <= opp) : (a2 >= a1 || a2 <= opp);
  if (!counterClockwise) return 1;
  return a2 == opp ? 0 : -1;
}

double CosDeg(double degrees) { return std::cos(degrees * DegreeFactor); }

double SinDeg(double degrees) { return std::sin(degrees * DegreeFactor); }

double ArcCos(double x) {
  if (x >= 1) return 0.0;
  if (x <= -1) return 4.0 * std::atan(1.0);
  return std::atan(-x / std::sqrt(1 - x * x)) + 2.0 * std::atan(1.0);
}

double ArcSin(double x) {
  if (std::fabs(x) >= 1) return x * 2.0 * std::atan(1.0);
  return std::atan(x / std::sqrt(1 - x * x));
}

Point2D ArcFromRadius(double x1, double y1, double x2, double y2, double r, std::int32_t dir,
                      GeometryReports* reports) {
  const double chord = Round3(std::sqrt((x1 - x2) * (x1 - x2) + (y1 - y2) * (y1 - y2)));
  const Point2D mid{(x1 + x2) / 2, (y1 + y2) / 2};

  double h = 0.0;
  if (Round2(chord) > Round2(2 * std::fabs(r))) {
    ReportChordTooLong(reports);
  } else {
    const double rr = Round2(r);
    const double ll = Round2(chord);
    // The two roundings can leave the square a hair below zero for a chord
    // equal to the diameter: that is a half circle.
    h = std::sqrt(std::fmax(rr * rr - ll * ll / 4, 0.0));
  }

  double ux = 0.0;
  double uy = 0.0;
  if (chord > 0) {
    ux = (x2 - x1) / chord;
    uy = (y2 - y1) / chord;
  }
  const double theta = Bearing(ux, uy, kFullTurnLiteral);
  const double phi = theta + (kHalfTurnLiteral / 2) * dir * Sgn(r);
  return {mid.X + h * std::sin(phi), mid.Y + h * std::cos(phi)};
}

ArcSolution OffsetArcFromRadius(const Point2D& p1, const Point2D& p2, double r, double dir,
                                GeometryReports* reports) {
  const double pi = Pi();
  const double chord = PointDist(p1, p2);
  const Point2D mid{(p1.X + p2.X) / 2, (p1.Y + p2.Y) / 2};

  double h = 0.0;
  if (2 * std::fabs(r) < chord) {
    ReportChordTooLong(reports);
  } else {
    h = std::sqrt(r * r - chord * chord / 4);
  }

  double ux = 0.0;
  double uy = 0.0;
  if (chord != 0) {
    ux = (p2.X - p1.X) / chord;
    uy = (p2.Y - p1.Y) / chord;
  }
  const double theta = Bearing(ux, uy, 2 * pi);
  const double phi = theta + (pi / 2) * dir * Sgn(r);

  ArcSolution arc;
  arc.Centre = {mid.X + h * std::sin(phi), mid.Y + h * std::cos(phi)};
  if (r != 0) {
    arc.StartAngle = static_cast<float>(PolarAngle(p1, arc.Centre, r));
    arc.EndAngle = static_cast<float>(PolarAngle(p2, arc.Centre, r));
  }
  return arc;
}

AnglePair ArcAngles(const Point2D& p1, const Point2D& p2, const Point2D& centre, double r) {
  AnglePair angles;
  if (r == 0) return angles;
  angles.StartAngle = static_cast<float>(PolarAngle(p1, centre, r));
  angles.EndAngle = static_cast<float>(PolarAngle(p2, centre, r));
  return angles;
}

Point2D MakePoint(double x, double y) { return {x, y}; }

double PointDist(const Point2D& p1, const Point2D& p2) {
  return Round3(std::sqrt((p1.X - p2.X) * (p1.X - p2.X) + (p1.Y - p2.Y) * (p1.Y - p2.Y)));
}

double VarMax(double a, double b) { return a < b ? b : a; }

std::int16_t SgnNonNeg(double x) { return x >= 0 ? 1 : -1; }

double Round2(double x) { return winplat::Val(winplat::Format(x, "#####.##")); }

}  // namespace fieldray::toolpath
