// Loaders of LINE, POINT, SOLID and 3DFACE, the drawing extents, and the
// helpers every loader shares (layer, colour, block records).
#include <charconv>
#include <cstdio>

#include "block_spool.h"
#include "dxf_reader.h"
#include "dxfengine.h"
#include "winplat/numeric.h"

namespace kelvane {

namespace {

// A coordinate of the file plus the merge offset; overflow is an error.
float Offset(float value, float offset) { return winplat::CSng(static_cast<double>(value) + offset); }
float Minus(float value, float base) { return winplat::CSng(static_cast<double>(value) - base); }

struct Point2 {
  float X, Y;
};

Point2 ReadPoint(DXF& dxf, std::int32_t xCode) {
  const DxfGroupTable& t = dxf.reader.GroupValueTable;
  return Point2{Offset(t.Single(xCode), dxf.db.MergeOffsetX), Offset(t.Single(xCode + 10), dxf.db.MergeOffsetY)};
}

// The block being defined: its base point, when a BLOCK row exists.
Point2 BlockBase(DXF& dxf) {
  EntityDB& db = dxf.db;
  if (db.BlockCount >= 1 && db.BlockTable.InBounds(db.BlockCount)) {
    const BlockRecord& b = db.BlockTable(db.BlockCount);
    return Point2{b.X, b.Y};
  }
  return Point2{0, 0};
}

Point2 Relative(Point2 p, Point2 base) { return Point2{Minus(p.X, base.X), Minus(p.Y, base.Y)}; }

// Entities inside a block definition leave the extents to their placed copies.
bool Widens(DXF& dxf) { return !dxf.reader.HeaderExtents && !dxf.db.InBlock; }

}  // namespace

void CheckExtents(DXF& dxf, float X1, float Y1, float X2, float Y2) {
  ExtentsRect& e = dxf.db.DrawingExtents;
  if (X1 < e.Left) e.Left = X1;
  if (X2 < e.Left) e.Left = X2;
  if (X1 > e.Right) e.Right = X1;
  if (X2 > e.Right) e.Right = X2;
  if (Y1 < e.Bottom) e.Bottom = Y1;
  if (Y2 < e.Bottom) e.Bottom = Y2;
  if (Y1 > e.Top) e.Top = Y1;
  if (Y2 > e.Top) e.Top = Y2;
}

std::int16_t LoaderLayer(DXF& dxf) {
  std::string_view name = dxf.reader.GroupValueTable.Value(8);
  DXFLayers& layers = dxf.db.Layers();
  ReaderState::LayerCache& cache = dxf.reader.LastLayer;
  // Entities come on a handful of layers: an answer stands while the collection
  // is unchanged and its layer still has the name it had.
  if (cache.collection != &layers || cache.count != layers.Count()) {
    cache.entries.clear();
    cache.next = 0;
  }
  for (const ReaderState::LayerCache::Entry& e : cache.entries) {
    if (e.name == name && layers.Item(winplat::Variant(static_cast<std::int32_t>(e.id)))->LayerName == e.layerName)
      return e.id;
  }
  std::int16_t id = SetLayerID(layers, name);
  cache.collection = &layers;
  cache.count = layers.Count();
  ReaderState::LayerCache::Entry entry{std::string(name),
                                       layers.Item(winplat::Variant(static_cast<std::int32_t>(id)))->LayerName, id};
  if (cache.entries.size() < ReaderState::LayerCache::kNames) {
    cache.entries.push_back(std::move(entry));
  } else {
    cache.entries[cache.next] = std::move(entry);
    cache.next = (cache.next + 1) % ReaderState::LayerCache::kNames;
  }
  return id;
}

std::int32_t LoaderColor(DXF& dxf) {
  std::string_view text = dxf.reader.GroupValueTable.Value(62);
  if (text.empty()) return 0;
  std::int16_t index = winplat::CInt(dxf.reader.GroupValueTable.Double(62));
  if (index == 256) return 0;  // BYLAYER
  return AciToRgb(index);
}

void WriteBlockRecord(DXF& dxf, std::int32_t type, std::initializer_list<BlockField> fields) {
  std::ofstream* out = dxf.reader.BlockFileNum.get();
  if (!out) return;
  // A record the block file cannot take fails the read: never a partial block.
  if (!*out) Spool(dxf).ThrowIfNotStored();
  std::string line = std::to_string(type) + "\r\n";
  bool first = true;
  char buffer[32];
  for (const BlockField& f : fields) {
    if (!first) line += ',';
    first = false;
    switch (f.kind) {
      case BlockField::Single: {
        // Nine significant digits, exactly as printf's "%.9g" writes them.
        auto r = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(f.s), std::chars_format::general, 9);
        line.append(buffer, r.ptr);
        break;
      }
      case BlockField::Long:
      case BlockField::Integer:
        line += std::to_string(f.l);
        break;
      case BlockField::Text:
        line += '"';
        line += f.t;
        line += '"';
        break;
    }
  }
  line += "\r\n";
  out->write(line.data(), static_cast<std::streamsize>(line.size()));
  if (!*out) Spool(dxf).ThrowIfNotStored();
}

bool DXFLine(DXF& dxf) {
  return WithErrorTrail("DXFLine", [&] {
    LoadEntity(dxf);
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    LineRecord row;
    row.Layer = LoaderLayer(dxf);
    row.Color = LoaderColor(dxf);
    row.LineStyle = LineTypeStyle(t.Value(6));
    Point2 p1 = ReadPoint(dxf, 10);
    Point2 p2 = ReadPoint(dxf, 11);
    if (Widens(dxf)) CheckExtents(dxf, p1.X, p1.Y, p2.X, p2.Y);
    if (!dxf.db.InBlock) {
      row.X1 = p1.X, row.Y1 = p1.Y, row.X2 = p2.X, row.Y2 = p2.Y;
      dxf.db.AddLine(row, Growth::Loader);
    } else {
      Point2 base = BlockBase(dxf);
      p1 = Relative(p1, base);
      p2 = Relative(p2, base);
      WriteBlockRecord(dxf, etLine,
                       {BlockField::S(p1.X), BlockField::S(p1.Y), BlockField::S(p2.X), BlockField::S(p2.Y),
                        BlockField::L(row.Color), BlockField::L(row.Layer), BlockField::S(0),
                        BlockField::L(row.LineStyle)});
    }
    return true;
  }, dxf.DrawingCleanup());
}

bool DXFPoint(DXF& dxf) {
  return WithErrorTrail("DXFPoint", [&] {
    LoadEntity(dxf);
    PointRecord row;
    row.Layer = LoaderLayer(dxf);
    row.Color = LoaderColor(dxf);
    Point2 p = ReadPoint(dxf, 10);
    if (!dxf.db.InBlock) {
      row.X = p.X, row.Y = p.Y;
      dxf.db.AddPoint(row, Growth::Loader);
    } else {
      p = Relative(p, BlockBase(dxf));
      WriteBlockRecord(dxf, etPoint,
                       {BlockField::S(p.X), BlockField::S(p.Y), BlockField::L(row.Color), BlockField::L(row.Layer)});
    }
    return true;
  }, dxf.DrawingCleanup());
}

bool DXFSolid(DXF& dxf) {
  // The trail line of this loader has always read " ->  DXFSolid .".
  return WithErrorTrail("DXFSolid ", [&] {
    LoadEntity(dxf);
    SolidRecord row;
    row.Layer = LoaderLayer(dxf);
    row.Color = LoaderColor(dxf);
    Point2 p1 = ReadPoint(dxf, 10);
    Point2 p2 = ReadPoint(dxf, 11);
    if (Widens(dxf)) CheckExtents(dxf, p1.X, p1.Y, p2.X, p2.Y);
    // Outline order: the file's fourth corner is the row's third.
    Point2 p3 = ReadPoint(dxf, 13);
    Point2 p4 = ReadPoint(dxf, 12);
    if (!dxf.db.InBlock) {
      row.X1 = p1.X, row.Y1 = p1.Y, row.X2 = p2.X, row.Y2 = p2.Y;
      row.X3 = p3.X, row.Y3 = p3.Y, row.X4 = p4.X, row.Y4 = p4.Y;
      dxf.db.AddSolid(row, Growth::Loader);
      if (Widens(dxf)) CheckExtents(dxf, p3.X, p3.Y, p4.X, p4.Y);
    } else {
      Point2 base = BlockBase(dxf);
      p1 = Relative(p1, base), p2 = Relative(p2, base), p3 = Relative(p3, base), p4 = Relative(p4, base);
      WriteBlockRecord(dxf, etSolid,
                       {BlockField::S(p1.X), BlockField::S(p1.Y), BlockField::S(p2.X), BlockField::S(p2.Y),
                        BlockField::S(p3.X), BlockField::S(p3.Y), BlockField::S(p4.X), BlockField::S(p4.Y),
                        BlockField::L(row.Layer), BlockField::L(row.Color)});
    }
    return true;
  }, dxf.DrawingCleanup());
}

bool DXF3DFace(DXF& dxf) {
  return WithErrorTrail("DXF3DFace", [&] {
    if (!LoadEntity(dxf)) return false;
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    LineRecord row;
    row.Layer = LoaderLayer(dxf);
    row.Color = LoaderColor(dxf);
    row.LineStyle = LineTypeStyle(t.Value(6));
    Point2 c[4] = {ReadPoint(dxf, 10), ReadPoint(dxf, 11), ReadPoint(dxf, 12), ReadPoint(dxf, 13)};
    // The face widens the extents by all its corners.
    if (Widens(dxf)) {
      CheckExtents(dxf, c[0].X, c[0].Y, c[1].X, c[1].Y);
      CheckExtents(dxf, c[2].X, c[2].Y, c[3].X, c[3].Y);
    }
    if (dxf.db.InBlock) {
      Point2 base = BlockBase(dxf);
      for (Point2& p : c) p = Relative(p, base);
    }
    for (int i = 0; i < 4; ++i) {
      const Point2& a = c[i];
      const Point2& b = c[(i + 1) % 4];
      if (!dxf.db.InBlock) {
        row.X1 = a.X, row.Y1 = a.Y, row.X2 = b.X, row.Y2 = b.Y;
        dxf.db.AddLine(row, Growth::Loader);
      } else {
        WriteBlockRecord(dxf, etLine,
                         {BlockField::S(a.X), BlockField::S(a.Y), BlockField::S(b.X), BlockField::S(b.Y),
                          BlockField::L(row.Color), BlockField::L(row.Layer), BlockField::I(1),
                          BlockField::L(row.LineStyle)});
      }
    }
    return true;
  }, dxf.DrawingCleanup());
}

}  // namespace kelvane
