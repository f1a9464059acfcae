// Loaders of POLYLINE with its VERTEX entities and SEQEND, and of polyface
// meshes. They read the entities that follow the header themselves.
#include <cstdint>

#include "entity_loaders.h"
#include "dxfengine.h"
#include "loader_points.h"

namespace kelvane {

using namespace loader;

namespace {

enum class Next { Vertex, SeqEnd, Other };

// Reads the name of the entity that follows. Another entity name (a missing
// SEQEND) or the end of the file ends the polyline: the name is put back for
// the scanner. Pairs other than entity names are passed over.
Next NextEntity(DXF& dxf) {
  ReaderState& r = dxf.reader;
  for (;;) {
    std::int32_t code = 0;
    std::string_view value;
    if (!r.DXFFileNum.ReadPair(code, value)) return Next::Other;
    if (code != 0) continue;
    if (value == "VERTEX") {
      r.CurrentLine.assign(value);
      return Next::Vertex;
    }
    if (value == "SEQEND") {
      r.CurrentLine.assign(value);
      return Next::SeqEnd;
    }
    r.DXFFileNum.UnreadPair(code, value);
    return Next::Other;
  }
}

struct Segment {
  Point2 a, b;
  float bulge;
};

struct PolyStyle {
  float width = 0;
  std::int32_t layer = 0;
  std::int32_t color = 0;
};

void EmitSegment(DXF& dxf, const Segment& s, const PolyStyle& style, bool widen) {
  if (!dxf.db.InBlock) {
    PolylineSegmentRecord row;
    row.X1 = s.a.X, row.Y1 = s.a.Y, row.X2 = s.b.X, row.Y2 = s.b.Y;
    row.Width = style.width;
    row.Layer = style.layer;
    row.Color = style.color;
    row.Bulge = s.bulge;
    dxf.db.AddPolylineSegment(row, Growth::Loader);
    if (widen && !dxf.reader.HeaderExtents) CheckExtents(dxf, row.X1, row.Y1, row.X2, row.Y2);
  } else {
    Point2 base = BlockBase(dxf);
    Point2 a = Relative(s.a, base);
    Point2 b = Relative(s.b, base);
    WriteBlockRecord(dxf, etPolyline,
                     {BlockField::S(a.X), BlockField::S(a.Y), BlockField::S(b.X), BlockField::S(b.Y),
                      BlockField::L(style.color), BlockField::L(style.layer), BlockField::S(style.width),
                      BlockField::S(s.bulge)});
  }
}

std::int32_t FlagsOf(const DxfGroupTable& t) { return winplat::CLng(t.Double(70)); }

}  // namespace

bool DXFPoly(DXF& dxf) {
  return WithErrorTrail("DXFPoly", [&] {
    LoadEntity(dxf);
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    PolyStyle style;
    style.layer = LoaderLayer(dxf);
    style.color = LoaderColor(dxf);
    const std::int32_t flags = FlagsOf(t);
    if (flags == 64) {
      DXFPolyFace(dxf, style.layer, style.color);
      return true;
    }
    style.width = t.Single(40);
    // A polyline drawn with the extrusion (0, 0, -1) is mirrored: its X is
    // negated before the merge offset is added, and its arcs turn the other way.
    const bool mirrored = MirroredExtrusion(t);
    const float sign = mirrored ? -1.0f : 1.0f;

    // A header without vertices (or followed by another entity) places nothing.
    if (NextEntity(dxf) != Next::Vertex) return true;
    LoadEntity(dxf);
    Point2 first = ReadPoint(dxf, 10, sign);
    Point2 p = first;
    float bulge = sign * t.Single(42);
    Next next;
    while ((next = NextEntity(dxf)) == Next::Vertex) {
      MaybeYield(dxf);
      LoadEntity(dxf);
      Point2 q = ReadPoint(dxf, 10, sign);
      // A spline frame control point ends no segment but starts the next one.
      if (!IsBitSet(FlagsOf(t), 4)) EmitSegment(dxf, Segment{p, q, bulge}, style, true);
      p = q;
      bulge = sign * t.Single(42);
    }
    if (next == Next::SeqEnd) LoadEntity(dxf);
    if (flags & 1) EmitSegment(dxf, Segment{p, first, bulge}, style, false);
    return true;
  }, dxf.DrawingCleanup());
}

bool DXFPolyFace(DXF& dxf, std::int32_t& Layer, std::int32_t& Color) {
  return WithErrorTrail("DXFPolyFace", [&] {
    EntityDB& db = dxf.db;
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    db.VertexCount = 0;  // face numbers count from this mesh's first vertex
    PolyStyle style;
    style.layer = Layer;
    style.color = Color;
    Next next;
    while ((next = NextEntity(dxf)) == Next::Vertex) {
      MaybeYield(dxf);
      LoadEntity(dxf);
      if (IsBitSet(FlagsOf(t), 6)) {
        Point2 v = ReadPoint(dxf, 10);
        db.AddVertex(VertexRecord{v.X, v.Y});
        continue;
      }
      // A face record: an edge per corner to the next corner. An invisible
      // edge (negative number), a missing corner or a number outside this
      // mesh's vertices gives no edge.
      auto corner = [&](std::int32_t code) -> std::int32_t {
        return t.Has(code) ? winplat::CLng(t.Double(code)) : 0;
      };
      for (std::int32_t n = 71; n <= 74; ++n) {
        std::int32_t from = corner(n);
        std::int32_t to = corner(n < 74 ? n + 1 : 71);
        if (to == 0) to = corner(71);
        if (to < 0) to = to == INT32_MIN ? 0 : -to;
        if (from <= 0 || to <= 0 || from > db.VertexCount || to > db.VertexCount) continue;
        const VertexRecord& a = db.VertexTable(from);
        const VertexRecord& b = db.VertexTable(to);
        EmitSegment(dxf, Segment{{a.X, a.Y}, {b.X, b.Y}, 0.0f}, style, true);
      }
    }
    if (next == Next::SeqEnd) LoadEntity(dxf);
    return true;
  }, dxf.DrawingCleanup());
}

}  // namespace kelvane
