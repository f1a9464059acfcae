// DXFTransform: one drawing of the data base moved, rotated and scaled in
// place, with the running totals kept in its clsDrawing record; and
// SetMergeExtents: the drawing extents recomputed from the whole data base.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "../reader/dxf_reader.h"
#include "cls_drawing.h"
#include "../reader/dxfengine.h"
#include "winplat/numeric.h"

namespace kelvane {

using winplat::Args;
using winplat::CSng;
using winplat::Variant;

namespace {


struct Transform {
  float xRef, yRef, xMov, yMov, rotation, xScale, yScale;

  bool MirrorX() const { return xScale < 0; }
  bool MirrorY() const { return yScale < 0; }
  // Exactly one axis mirrored: the turning sense reverses.
  bool Reverses() const { return MirrorX() != MirrorY(); }
  float SizeScale() const { return std::fabs(xScale); }

  void Apply(float& x, float& y) const {
    float nx = 0, ny = 0;
    TransformPoint(xRef, yRef, x, y, xMov, yMov, rotation, xScale, yScale, nx, ny);
    x = nx;
    y = ny;
  }
  float Size(float value) const { return CSng(static_cast<double>(value) * SizeScale()); }
  float Turn(float angle) const { return CSng(static_cast<double>(angle) + rotation); }
  // An arc's angles (degrees) mirrored as its geometry is, then turned.
  void Arc(float& start, float& end) const {
    double s = start, e = end;
    if (MirrorX() && !MirrorY()) {
      s = 180.0 - end;
      e = 180.0 - start;
    } else if (MirrorY() && !MirrorX()) {
      s = -static_cast<double>(end);
      e = -static_cast<double>(start);
    } else if (MirrorX() && MirrorY()) {
      s += 180.0;
      e += 180.0;
    }
    start = CSng(s + rotation);
    end = CSng(e + rotation);
  }
};

// What a transform changes in a clsDrawing record.
struct Placement {
  float xRef, yRef, Left, Top, Right, Bottom, xMov, aggxMov, yMov, aggyMov, xScale, aggxScale, yScale, aggyScale,
      Rotation, aggRotation;

  static Placement Of(const clsDrawing& d) {
    return Placement{d.xRef,   d.yRef,    d.Left,   d.Top,       d.Right,  d.Bottom,    d.xMov,     d.aggxMov,
                     d.yMov,   d.aggyMov, d.xScale, d.aggxScale, d.yScale, d.aggyScale, d.Rotation, d.aggRotation};
  }
  void To(clsDrawing& d) const {
    d.xRef = xRef, d.yRef = yRef, d.Left = Left, d.Top = Top, d.Right = Right, d.Bottom = Bottom;
    d.xMov = xMov, d.aggxMov = aggxMov, d.yMov = yMov, d.aggyMov = aggyMov;
    d.xScale = xScale, d.aggxScale = aggxScale, d.yScale = yScale, d.aggyScale = aggyScale;
    d.Rotation = Rotation, d.aggRotation = aggRotation;
  }
};

// Rows of one table with their new values, committed only when all are computed.
template <class Row>
using Staged = std::vector<std::pair<std::int32_t, Row>>;

template <class Row>
bool RowInTable(const DBTable<Row>& table, std::int32_t count, std::int32_t row) {
  return row >= 1 && row <= count && table.InBounds(row);
}

// The row when it is in its table and not marked deleted (kinds without the
// mark always count); null otherwise.
template <class Row>
const Row* Counted(const DBTable<Row>& table, std::int32_t count, std::int32_t row) {
  if (!RowInTable(table, count, row)) return nullptr;
  const Row& r = table(row);
  if constexpr (requires { r.Deleted; }) {
    if (r.Deleted) return nullptr;
  }
  return &r;
}

// Stages the row as `change` leaves it; false when the row is not in its table.
template <class Row, class Change>
bool Stage(const DBTable<Row>& table, std::int32_t count, std::int32_t row, Staged<Row>& staged, Change change) {
  if (!RowInTable(table, count, row)) return false;
  Row r = table(row);
  change(r);
  staged.emplace_back(row, r);
  return true;
}

template <class Row>
void Commit(DBTable<Row>& table, const Staged<Row>& rows) {
  for (const auto& [row, value] : rows) table(row) = value;
}

}  // namespace

bool DXF::DXFTransform(std::int32_t DrawingID, float xRef, float yRef, float xMov, float yMov, float Rotation,
                       float xScale, float yScale) {
  try {
    if (ReadIsRunning(*this) || !colDrawings) return false;
    const std::int32_t count = winplat::GetProperty(colDrawings.Get(), "Count").ToLong();
    if (DrawingID < 1 || DrawingID > count) return false;
    auto drawing = winplat::QueryInterface<clsDrawing>(
        winplat::CallMethod(colDrawings.Get(), "Item", {Variant(DrawingID)}).ToObject().Get());
    if (!drawing) return false;
    const std::int32_t first = drawing->StartEntity, last = drawing->EndEntity;
    if (first < 1 || last > db.EntityCount || first > last + 1) return false;

    const Transform t{xRef, yRef, xMov, yMov, Rotation, xScale, yScale};

    // The record: the call's values, the sums, and the box from its four corners.
    Placement record = Placement::Of(*drawing);
    record.xRef = xRef;
    record.yRef = yRef;
    record.Rotation = Rotation;
    record.aggRotation = CSng(static_cast<double>(record.aggRotation) + Rotation);
    record.xMov = xMov;
    record.aggxMov = CSng(static_cast<double>(record.aggxMov) + xMov);
    record.yMov = yMov;
    record.aggyMov = CSng(static_cast<double>(record.aggyMov) + yMov);
    record.xScale = xScale;
    record.aggxScale = CSng(static_cast<double>(record.aggxScale) * xScale);
    record.yScale = yScale;
    record.aggyScale = CSng(static_cast<double>(record.aggyScale) * yScale);
    float cx[4] = {record.Left, record.Right, record.Right, record.Left};
    float cy[4] = {record.Top, record.Top, record.Bottom, record.Bottom};
    for (int i = 0; i < 4; ++i) t.Apply(cx[i], cy[i]);
    record.Left = *std::min_element(cx, cx + 4);
    record.Right = *std::max_element(cx, cx + 4);
    record.Bottom = *std::min_element(cy, cy + 4);
    record.Top = *std::max_element(cy, cy + 4);

    Staged<LineRecord> lines;
    Staged<PolylineSegmentRecord> segments;
    Staged<TextRecord> texts;
    Staged<CircleRecord> circles;
    Staged<SolidRecord> solids;
    Staged<PointRecord> points;
    Staged<AttribRecord> attribs;
    Staged<EllipseRecord> ellipses;
    // Texts and attributes: the insertion point moves, the angle turns, the height scales.
    const auto placeText = [&](auto& r) {
      t.Apply(r.X, r.Y);
      r.Rotation = t.Turn(r.Rotation);
      r.Height = t.Size(r.Height);
    };
    for (std::int32_t i = first; i <= last; ++i) {
      const EntityRef ref = db.EntityIndex(i);
      const std::int32_t row = ref.Row;
      bool staged = true;
      switch (ref.EntityType) {
        case etLine:
          staged = Stage(db.LineTable, db.LineCount, row, lines, [&](LineRecord& r) {
            t.Apply(r.X1, r.Y1);
            t.Apply(r.X2, r.Y2);
          });
          break;
        case etPolyline:
          staged = Stage(db.PolylineTable, db.PolylineCount, row, segments, [&](PolylineSegmentRecord& r) {
            t.Apply(r.X1, r.Y1);
            t.Apply(r.X2, r.Y2);
            r.Width = t.Size(r.Width);
            if (t.Reverses()) r.Bulge = -r.Bulge;
          });
          break;
        case etText:
          staged = Stage(db.TextTable, db.TextCount, row, texts, placeText);
          break;
        case etCircle:
          staged = Stage(db.CircleTable, db.CircleCount, row, circles, [&](CircleRecord& r) {
            t.Apply(r.X, r.Y);
            r.Radius = t.Size(r.Radius);
            t.Arc(r.StartAngle, r.EndAngle);
          });
          break;
        case etSolid:
          staged = Stage(db.SolidTable, db.SolidCount, row, solids, [&](SolidRecord& r) {
            t.Apply(r.X1, r.Y1);
            t.Apply(r.X2, r.Y2);
            t.Apply(r.X3, r.Y3);
            t.Apply(r.X4, r.Y4);
          });
          break;
        case etPoint:
          staged = Stage(db.PointTable, db.PointRowCount, row, points, [&](PointRecord& r) { t.Apply(r.X, r.Y); });
          break;
        case etAttrib:
          staged = Stage(db.AttribTable, db.AttribCount, row, attribs, placeText);
          break;
        case etEllipse:
          staged = Stage(db.EllipseTable, db.EllipseCount, row, ellipses, [&](EllipseRecord& r) {
            // The centre and the major axis' end move; the ratio stays.
            float ex = CSng(static_cast<double>(r.CenterX) + r.MajorX);
            float ey = CSng(static_cast<double>(r.CenterY) + r.MajorY);
            t.Apply(r.CenterX, r.CenterY);
            t.Apply(ex, ey);
            r.MajorX = CSng(static_cast<double>(ex) - r.CenterX);
            r.MajorY = CSng(static_cast<double>(ey) - r.CenterY);
            if (t.Reverses()) {
              const float start = r.StartParam;
              r.StartParam = -r.EndParam;
              r.EndParam = -start;
            }
          });
          break;
        default:
          break;
      }
      if (!staged) return false;
    }

    Commit(db.LineTable, lines);
    Commit(db.PolylineTable, segments);
    Commit(db.TextTable, texts);
    Commit(db.CircleTable, circles);
    Commit(db.SolidTable, solids);
    Commit(db.PointTable, points);
    Commit(db.AttribTable, attribs);
    Commit(db.EllipseTable, ellipses);
    record.To(*drawing);
  } catch (...) {
    return false;  // an overflow or a record that cannot be read: nothing has changed
  }
  std::string strError;
  Refresh(strError);
  return true;
}

void DXF::SetMergeExtents() {
  if (ReadIsRunning(*this)) return;
  db.DrawingExtents = ExtentsRect{1E30f, -1E30f, -1E30f, 1E30f};
  try {
    for (std::int32_t i = 1; i <= db.EntityCount; ++i) {
      const EntityRef ref = db.EntityIndex(i);
      const std::int32_t row = ref.Row;
      switch (ref.EntityType) {
        case etLine:
          if (const auto* r = Counted(db.LineTable, db.LineCount, row)) CheckExtents(*this, r->X1, r->Y1, r->X2, r->Y2);
          break;
        case etPolyline:
          if (const auto* r = Counted(db.PolylineTable, db.PolylineCount, row))
            CheckExtents(*this, r->X1, r->Y1, r->X2, r->Y2);
          break;
        case etText:
          if (const auto* r = Counted(db.TextTable, db.TextCount, row)) CheckExtents(*this, r->X, r->Y, r->X, r->Y);
          break;
        case etAttrib:
          if (const auto* r = Counted(db.AttribTable, db.AttribCount, row)) CheckExtents(*this, r->X, r->Y, r->X, r->Y);
          break;
        case etCircle:
          if (const auto* r = Counted(db.CircleTable, db.CircleCount, row)) {
            const double x = r->X, y = r->Y, radius = r->Radius;
            if (r->StartAngle == r->EndAngle) {
              CheckExtents(*this, CSng(x - radius), CSng(y - radius), CSng(x + radius), CSng(y + radius));
            } else {
              const double a = r->StartAngle * DrawingPi / 180.0, b = r->EndAngle * DrawingPi / 180.0;
              CheckExtents(*this, CSng(x + radius * std::cos(a)), CSng(y + radius * std::sin(a)),
                           CSng(x + radius * std::cos(b)), CSng(y + radius * std::sin(b)));
            }
          }
          break;
        case etSolid:
          if (const auto* r = Counted(db.SolidTable, db.SolidCount, row)) {
            CheckExtents(*this, r->X1, r->Y1, r->X2, r->Y2);
            CheckExtents(*this, r->X3, r->Y3, r->X4, r->Y4);
          }
          break;
        default:
          break;  // points and ellipses do not count
      }
    }
  } catch (...) {
    // An overflow ends the pass; the extents keep what was gathered.
  }
}

void DXF::RegisterTransform() {
  AddMethod(dispid::DXFTransform, "DXFTransform", [this](Args& a) {
    float v[7] = {0, 0, 0, 0, 0, 1, 1};
    std::int32_t id = 0;
    try {
      id = a.Long(0);
      for (std::size_t i = 0; i < 7; ++i) v[i] = a.Single(i + 1, v[i]);
    } catch (...) {
      return Variant(false);
    }
    return Variant(DXFTransform(id, v[0], v[1], v[2], v[3], v[4], v[5], v[6]));
  }, 8);
  AddMethod(dispid::SetMergeExtents, "SetMergeExtents", [this](Args&) {
    SetMergeExtents();
    return Variant();
  }, 0);
}

}  // namespace kelvane
