#pragma once
// Degree and arc geometry shared by the G-code interpreter, the radius offset
// compensation, the DXF import and the console.
//
// Degree routines work with DegreeFactor, which is 3.14159265358979 / 180 and so
// slightly less than pi / 180; results depend on it. Several routines round
// through decimal text (formatted with a digit pattern and read back), exactly
// as the program's other numbers are rounded.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fieldray::toolpath {

// Radians per degree as the program uses it.
inline constexpr double DegreeFactor = 0.017453292519943278;

// The two-line report of a chord longer than the arc's diameter.
inline constexpr std::string_view ChordTooLongMessage =
    "Error: Distance between starting point and end point of arc\r\n"
    "is larger than 2 times the radius of the arc";

struct Point2D {
  double X = 0.0;
  double Y = 0.0;
};

// Radians, 0 up to 2 pi.
struct AnglePair {
  float StartAngle = 0.0f;
  float EndAngle = 0.0f;
};

struct ArcSolution {
  float StartAngle = 0.0f;
  float EndAngle = 0.0f;
  Point2D Centre;
};

// Reports of the arc routines. A routine given a list appends its report there
// and shows nothing, so a caller inside a file scan can show them once after the
// scan (a modal box during a scan would let timers start a nested load). Given
// no list, it shows the report in a message box at once.
using GeometryReports = std::vector<std::string>;

// Direction of travel from (x1, y1) to (x2, y2) in degrees, counter-clockwise
// from +X; 0 for identical points.
double LineAngle(double x1, double y1, double x2, double y2);

// -1 when a2 lies within the half turn counter-clockwise from a1, 1 within the
// half turn clockwise, 0 for the same or the exactly opposite direction (degrees).
int AngleSide(double a1, double a2);

double CosDeg(double degrees);
double SinDeg(double degrees);

// Radians; arguments beyond [-1, 1] do not fail: ArcCos gives 0 or pi, ArcSin
// gives x times pi/2.
double ArcCos(double x);
double ArcSin(double x);

// Centre of the arc of radius r through (x1, y1) and (x2, y2). dir * sgn(r) = +1
// puts the centre right of the chord direction, -1 left, 0 on the chord. Works
// with the chord rounded to three decimals and the radius to two. A chord longer
// than the diameter is reported (see GeometryReports) and gives the chord's
// midpoint.
Point2D ArcFromRadius(double x1, double y1, double x2, double y2, double r, std::int32_t dir,
                      GeometryReports* reports = nullptr);

// Centre and polar angles of the arc of radius r from p1 to p2 (unrounded radius,
// chord through PointDist). A chord longer than the diameter is reported as by
// ArcFromRadius. A zero chord leaves the chord direction as (0, 0) and a zero
// radius gives angles of 0, where a division would otherwise fail.
ArcSolution OffsetArcFromRadius(const Point2D& p1, const Point2D& p2, double r, double dir,
                                GeometryReports* reports = nullptr);

// Polar angles of p1 and p2 about centre, counter-clockwise from +X; both 0 when r is 0.
AnglePair ArcAngles(const Point2D& p1, const Point2D& p2, const Point2D& centre, double r);

Point2D MakePoint(double x, double y);

// Distance rounded to three decimals.
double PointDist(const Point2D& p1, const Point2D& p2);

double VarMax(double a, double b);

// 1 when x >= 0, else -1.
std::int16_t SgnNonNeg(double x);

// x rounded to at most two decimals, halves away from zero.
double Round2(double x);

}  // namespace fieldray::toolpath
