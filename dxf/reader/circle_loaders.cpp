// Loaders of CIRCLE, ARC and ELLIPSE.
#include <cmath>

#include "entity_loaders.h"
#include "dxfengine.h"
#include "loader_points.h"

namespace kelvane {

using namespace loader;

namespace {


// Near enough to 0 and to 1 to be the unit vector (0, 0, -1) as CAD writes it.
bool NearZero(double v) { return std::fabs(v) <= 1e-6; }

}  // namespace

bool MirroredExtrusion(const DxfGroupTable& t) {
  if (!t.Has(230)) return false;
  return NearZero(t.Double(210)) && NearZero(t.Double(220)) && NearZero(t.Double(230) + 1.0);
}

bool ReadCircle(DXF& dxf) {
  // These loaders put no name into the error trail.
  return WithErrorTrail("", [&] {
    LoadEntity(dxf);
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    CircleRecord row;
    row.LineStyle = LineTypeStyle(t.Value(6));
    row.Layer = LoaderLayer(dxf);
    row.Color = LoaderColor(dxf);
    const bool mirrored = MirroredExtrusion(t);
    // A mirrored circle's object X runs against the world's: X is negated
    // before the merge offset is added, and the arc turns the other way.
    Point2 c = ReadPoint(dxf, 10, mirrored ? -1.0f : 1.0f);
    row.Radius = t.Single(40);
    float start = t.Single(50);
    float end = t.Single(51);
    if (start >= 360.0f) NormalizeAngle(start);
    if (end >= 360.0f) NormalizeAngle(end);
    if (mirrored && start != end) {
      float s = winplat::CSng(180.0 - end);
      float e = winplat::CSng(180.0 - start);
      start = s;
      end = e;
    }
    row.StartAngle = start;
    row.EndAngle = end;
    if (Widens(dxf)) {
      const double r = row.Radius;
      if (start == end) {
        CheckExtents(dxf, winplat::CSng(c.X - r), winplat::CSng(c.Y - r), winplat::CSng(c.X + r),
                     winplat::CSng(c.Y + r));
      } else {
        const double a = start * DrawingPi / 180.0;
        const double b = end * DrawingPi / 180.0;
        CheckExtents(dxf, winplat::CSng(c.X + r * std::cos(a)), winplat::CSng(c.Y + r * std::sin(a)),
                     winplat::CSng(c.X + r * std::cos(b)), winplat::CSng(c.Y + r * std::sin(b)));
      }
    }
    if (!dxf.db.InBlock) {
      row.X = c.X, row.Y = c.Y;
      dxf.db.AddCircle(row, Growth::Loader);
    } else {
      c = Relative(c, BlockBase(dxf));
      WriteBlockRecord(dxf, etCircle,
                       {BlockField::S(c.X), BlockField::S(c.Y), BlockField::S(row.Radius),
                        BlockField::S(row.StartAngle), BlockField::S(row.EndAngle), BlockField::L(row.Layer),
                        BlockField::L(row.Color), BlockField::L(row.LineStyle), BlockField::S(0)});
    }
    return true;
  }, dxf.DrawingCleanup());
}

bool DXFEllipse(DXF& dxf) {
  return WithErrorTrail("", [&] {
    LoadEntity(dxf);
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    EllipseRecord row;
    row.LineStyle = LineTypeStyle(t.Value(6));
    row.Layer = LoaderLayer(dxf);
    row.Color = LoaderColor(dxf);
    Point2 c = ReadPoint(dxf, 10);
    row.MajorX = t.Single(11);
    row.MajorY = t.Single(21);
    row.Ratio = t.Single(40);
    row.StartParam = t.Single(41);
    row.EndParam = t.Single(42);
    if (row.EndParam >= 360.0f) NormalizeAngle(row.EndParam);
    // An ellipse never widens the extents.
    if (!dxf.db.InBlock) {
      row.CenterX = c.X, row.CenterY = c.Y;
      dxf.db.AddEllipse(row, Growth::Loader);
    } else {
      c = Relative(c, BlockBase(dxf));
      WriteBlockRecord(dxf, etEllipse,
                       {BlockField::S(c.X), BlockField::S(c.Y), BlockField::S(row.MajorX), BlockField::S(row.MajorY),
                        BlockField::S(row.Ratio), BlockField::S(row.StartParam), BlockField::S(row.EndParam),
                        BlockField::L(row.Layer), BlockField::L(row.Color), BlockField::L(row.LineStyle)});
    }
    return true;
  }, dxf.DrawingCleanup());
}

}  // namespace kelvane
