// BLOCK definitions spooled to temporary block files, and their replay for
// INSERT (scaled, rotated, moved) and DIMENSION (moved), nested and deferred.
#include <cmath>
#include <fstream>
#include <set>

#include "block_records.h"
#include "block_spool.h"
#include "entity_loaders.h"
#include "dxfengine.h"
#include "loader_points.h"
#include "winplat/files.h"
#include "winplat/text.h"

namespace kelvane {

using namespace loader;

namespace {

// Levels of blocks inside blocks; a deeper insert is skipped.
constexpr std::int32_t kMaxNesting = 16;
// Records that nested inserts may copy into block files during one read: a
// drawing whose blocks insert blocks many times over is refused before it can
// fill the disk.
constexpr std::uint64_t kMaxCopiedRecords = 1'000'000;
// Entities one read may hold once its blocks are placed (its own top-level
// entities included): a small drawing whose inserts multiply is refused
// before it can fill the memory.
constexpr std::int64_t kMaxPlacedEntities = 200'000;

[[noreturn]] void TooComplex(const std::string& why) {
  throw winplat::AutomationError(kControlError, kLibraryName, "Drawing too complex: " + why);
}

std::string TempFolderOf(const DXF& dxf) {
  std::string folder = dxf.TmpFileNamePath.empty() ? std::string("C:\\TEMP") : dxf.TmpFileNamePath;
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

// The first block of that name (exact, case-sensitive); 0 when none.
std::int32_t FindBlock(BlockSpool& spool, const std::string& name) {
  for (std::size_t i = 0; i < spool.blocks.size(); ++i)
    if (spool.blocks[i].name == name) return static_cast<std::int32_t>(i + 1);
  return 0;
}

// May `block` be copied into `host`'s file? Not into itself, not into a block
// it holds (a cycle), not beyond the nesting cap.
bool MayNest(BlockSpool& spool, std::int32_t host, std::int32_t block) {
  if (host < 1 || host > static_cast<std::int32_t>(spool.blocks.size())) return false;
  const SpooledBlock& b = spool.blocks[static_cast<std::size_t>(block - 1)];
  if (block == host || b.contains.count(host)) return false;
  return b.depth + 1 <= kMaxNesting;
}

void NoteNested(BlockSpool& spool, std::int32_t host, std::int32_t block) {
  SpooledBlock& h = spool.blocks[static_cast<std::size_t>(host - 1)];
  const SpooledBlock& b = spool.blocks[static_cast<std::size_t>(block - 1)];
  h.depth = std::max(h.depth, b.depth + 1);
  h.contains.insert(block);
  h.contains.insert(b.contains.begin(), b.contains.end());
}

using Placement = BlockPlacement;

Point2 Place(const Placement& p, float x, float y) {
  if (p.scaled) {
    x = winplat::CSng(static_cast<double>(p.XScale) * x);
    y = winplat::CSng(static_cast<double>(p.YScale) * y);
    if (p.Rotation != 0) RotatePoint(x, y, p.Rotation);
  }
  return Point2{winplat::CSng(static_cast<double>(x) + p.X), winplat::CSng(static_cast<double>(y) + p.Y)};
}

// The records of block row `row`: read from its file once per read, and
// replayed from memory while the file is not written again. A file open for
// writing is read again each time (what was written so far).
std::shared_ptr<const std::vector<SpooledRecord>> BlockRecords(DXF& dxf, std::int32_t row) {
  BlockSpool& spool = Spool(dxf);
  SpooledBlock& block = spool.blocks.at(static_cast<std::size_t>(row - 1));
  const bool writing = dxf.reader.BlockFileNum && spool.writing == row;
  if (!writing && block.records) return block.records;
  if (std::ofstream* out = dxf.reader.BlockFileNum.get()) out->flush();
  SpooledRecordReader reader(spool.Read(row));
  auto records = std::make_shared<std::vector<SpooledRecord>>();
  SpooledRecord rec;
  while (reader.Next(rec)) records->push_back(rec);
  if (!writing) block.records = records;
  return records;
}

class Replay {
 public:
  Replay(DXF& dxf, const Placement& p) : dxf_(dxf), db_(dxf.db), p_(p) {}

  // Replays the block's records from record `from` on; answers the block's
  // record count.
  std::size_t Run(std::int32_t blockRow, std::size_t from = 0) {
    const std::shared_ptr<const std::vector<SpooledRecord>> records = BlockRecords(dxf_, blockRow);
    if (from >= records->size()) return records->size();
    // Each record makes at most one row or one copied record: the budgets are
    // checked for the whole block before any of it is made.
    const auto count = static_cast<std::uint64_t>(records->size() - from);
    if (db_.InBlock) {
      BlockSpool& spool = Spool(dxf_);
      if (spool.recordsCopied + count > kMaxCopiedRecords)
        TooComplex("its nested blocks copy more than " + std::to_string(kMaxCopiedRecords) + " records");
      spool.recordsCopied += count;
    } else {
      const std::int64_t placed = static_cast<std::int64_t>(db_.EntityCount) - dxf_.reader.EntityCountAtStart;
      if (placed + static_cast<std::int64_t>(count) > kMaxPlacedEntities)
        TooComplex("more than " + std::to_string(kMaxPlacedEntities) + " entities after its blocks are placed");
    }
    for (std::size_t i = from; i < records->size(); ++i) {
      const SpooledRecord& rec = (*records)[i];
      switch (rec.type) {
        case etLine: Line(rec); break;
        case etPolyline: Segment(rec); break;
        case etText: Text(rec); break;
        case etCircle: Circle(rec); break;
        case etSolid: Solid(rec); break;
        case etPoint: PointRec(rec); break;
        case etEllipse: Ellipse(rec); break;
        default: break;
      }
    }
    return records->size();
  }

 private:
  std::int32_t LayerOf(std::int32_t recordLayer) const {
    if (p_.dimension) return p_.layer;
    return recordLayer == 1 ? p_.layer : recordLayer;
  }

  // The insert box and the drawing extents take in two points.
  void Widen(float x1, float y1, float x2, float y2) {
    if (p_.insertRow >= 1) CheckInsertExtents(dxf_, p_.insertRow, x1, y1, x2, y2);
    if (!db_.InBlock && !dxf_.reader.HeaderExtents) CheckExtents(dxf_, x1, y1, x2, y2);
  }

  void Line(const SpooledRecord& r) {
    Point2 a = Place(p_, r.S(0), r.S(1)), b = Place(p_, r.S(2), r.S(3));
    std::int32_t color = r.L(4), layer = LayerOf(r.L(5)), style = r.L(7);
    float width = r.S(6);
    Widen(a.X, a.Y, b.X, b.Y);
    if (db_.InBlock) {
      WriteBlockRecord(dxf_, etLine,
                       {BlockField::S(a.X), BlockField::S(a.Y), BlockField::S(b.X), BlockField::S(b.Y),
                        BlockField::L(color), BlockField::L(layer), BlockField::I(1), BlockField::L(style)});
      return;
    }
    LineRecord row;
    row.X1 = a.X, row.Y1 = a.Y, row.X2 = b.X, row.Y2 = b.Y;
    row.Color = p_.color != 0 ? p_.color : color;
    row.Layer = layer;
    row.LineStyle = style;
    row.Width = std::trunc(width) == width ? width : static_cast<float>(winplat::CLng(width));
    row.InsertID = p_.insertRow;
    db_.AddLine(row, Growth::Insert);
  }

  void Segment(const SpooledRecord& r) {
    Point2 a = Place(p_, r.S(0), r.S(1)), b = Place(p_, r.S(2), r.S(3));
    std::int32_t color = r.L(4), layer = LayerOf(r.L(5));
    float width = r.S(6), bulge = r.S(7);
    // A mirroring insert turns the arcs of its segments the other way.
    if (p_.scaled && (p_.XScale < 0) != (p_.YScale < 0)) bulge = -bulge;
    Widen(a.X, a.Y, b.X, b.Y);
    if (db_.InBlock) {
      WriteBlockRecord(dxf_, etPolyline,
                       {BlockField::S(a.X), BlockField::S(a.Y), BlockField::S(b.X), BlockField::S(b.Y),
                        BlockField::L(color), BlockField::L(layer), BlockField::S(width), BlockField::S(bulge)});
      return;
    }
    PolylineSegmentRecord row;
    row.X1 = a.X, row.Y1 = a.Y, row.X2 = b.X, row.Y2 = b.Y;
    row.Color = p_.color != 0 ? p_.color : color;
    row.Layer = layer;
    row.Width = width;
    row.Bulge = bulge;
    row.InsertID = p_.insertRow;
    db_.AddPolylineSegment(row, Growth::Insert);
  }

  void Text(const SpooledRecord& r) {
    Point2 a = Place(p_, r.S(0), r.S(1));
    float height = r.S(3), rotation = r.S(4);
    if (p_.scaled) {
      // The text turns with the insert; its height follows the X scale's size.
      height = winplat::CSng(std::fabs(static_cast<double>(p_.XScale)) * height);
      rotation = winplat::CSng(static_cast<double>(rotation) + p_.Rotation);
    }
    std::int32_t horz = r.L(5), underline = r.L(6), layer = LayerOf(r.L(7)), color = r.L(8);
    float widthFactor = r.S(10);
    Widen(a.X, a.Y, a.X, a.Y);
    if (db_.InBlock) {
      WriteBlockRecord(dxf_, etText,
                       {BlockField::S(a.X), BlockField::S(a.Y), BlockField::T(r.T(2)), BlockField::S(height),
                        BlockField::S(rotation), BlockField::L(horz), BlockField::L(underline), BlockField::L(layer),
                        BlockField::L(color), BlockField::T(r.T(9)), BlockField::S(widthFactor)});
      return;
    }
    TextRecord row;
    row.X = a.X, row.Y = a.Y;
    row.Text = r.T(2);
    row.Height = height;
    row.Rotation = rotation;
    row.HorzAlign = horz;
    row.Underline = underline;
    row.Layer = layer;
    row.Color = color;
    row.FontName = winplat::RTrim(r.T(9));
    row.WidthFactor = widthFactor;
    row.InsertID = p_.insertRow;
    db_.AddText(row, Growth::Insert);
  }

  void Circle(const SpooledRecord& r) {
    Point2 c = Place(p_, r.S(0), r.S(1));
    float radius = r.S(2), start = r.S(3), end = r.S(4);
    if (p_.scaled) {
      radius = winplat::CSng(std::fabs(static_cast<double>(p_.XScale)) * radius);
      if (p_.XScale < 0) {
        float s = winplat::CSng(180.0 - end), e = winplat::CSng(180.0 - start);
        start = s, end = e;
      }
      if (p_.YScale < 0) {
        float s = -end, e = -start;
        start = s, end = e;
      }
      start = winplat::CSng(static_cast<double>(start) + p_.Rotation);
      end = winplat::CSng(static_cast<double>(end) + p_.Rotation);
    }
    std::int32_t layer = LayerOf(r.L(5)), color = r.L(6), style = r.L(7);
    float width = r.S(8);
    if (start == end) {
      Widen(winplat::CSng(static_cast<double>(c.X) - radius), winplat::CSng(static_cast<double>(c.Y) - radius),
            winplat::CSng(static_cast<double>(c.X) + radius), winplat::CSng(static_cast<double>(c.Y) + radius));
    } else {
      const double a = start * DrawingPi / 180.0, b = end * DrawingPi / 180.0;
      Widen(winplat::CSng(c.X + radius * std::cos(a)), winplat::CSng(c.Y + radius * std::sin(a)),
            winplat::CSng(c.X + radius * std::cos(b)), winplat::CSng(c.Y + radius * std::sin(b)));
    }
    if (db_.InBlock) {
      WriteBlockRecord(dxf_, etCircle,
                       {BlockField::S(c.X), BlockField::S(c.Y), BlockField::S(radius), BlockField::S(start),
                        BlockField::S(end), BlockField::L(layer), BlockField::L(color), BlockField::L(style),
                        BlockField::S(width)});
      return;
    }
    CircleRecord row;
    row.X = c.X, row.Y = c.Y;
    row.Radius = radius;
    row.StartAngle = start, row.EndAngle = end;
    row.Layer = layer, row.Color = color, row.LineStyle = style;
    row.Width = width;
    row.InsertID = p_.insertRow;
    db_.AddCircle(row, Growth::Insert);
  }

  void Solid(const SpooledRecord& r) {
    Point2 c[4] = {Place(p_, r.S(0), r.S(1)), Place(p_, r.S(2), r.S(3)), Place(p_, r.S(4), r.S(5)),
                   Place(p_, r.S(6), r.S(7))};
    std::int32_t layer = LayerOf(r.L(8)), color = r.L(9);
    Widen(c[0].X, c[0].Y, c[1].X, c[1].Y);
    Widen(c[2].X, c[2].Y, c[3].X, c[3].Y);
    if (db_.InBlock) {
      WriteBlockRecord(dxf_, etSolid,
                       {BlockField::S(c[0].X), BlockField::S(c[0].Y), BlockField::S(c[1].X), BlockField::S(c[1].Y),
                        BlockField::S(c[2].X), BlockField::S(c[2].Y), BlockField::S(c[3].X), BlockField::S(c[3].Y),
                        BlockField::L(layer), BlockField::L(color)});
      return;
    }
    SolidRecord row;
    row.X1 = c[0].X, row.Y1 = c[0].Y, row.X2 = c[1].X, row.Y2 = c[1].Y;
    row.X3 = c[2].X, row.Y3 = c[2].Y, row.X4 = c[3].X, row.Y4 = c[3].Y;
    row.Layer = layer, row.Color = color;
    row.InsertID = p_.insertRow;
    db_.AddSolid(row, Growth::Insert);
  }

  void PointRec(const SpooledRecord& r) {
    Point2 a = Place(p_, r.S(0), r.S(1));
    std::int32_t color = r.L(2), layer = LayerOf(r.L(3));
    Widen(a.X, a.Y, a.X, a.Y);
    if (db_.InBlock) {
      WriteBlockRecord(dxf_, etPoint,
                       {BlockField::S(a.X), BlockField::S(a.Y), BlockField::L(color), BlockField::L(layer)});
      return;
    }
    PointRecord row;
    row.X = a.X, row.Y = a.Y;
    row.Layer = layer, row.Color = color;
    db_.AddPoint(row, Growth::Insert);
  }

  // An ellipse is placed when the insert scales it the same in X and Y; any
  // other scale would make it something else, and it is left out.
  void Ellipse(const SpooledRecord& r) {
    if (p_.scaled && p_.XScale != p_.YScale) return;
    Point2 c = Place(p_, r.S(0), r.S(1));
    float mx = r.S(2), my = r.S(3);
    if (p_.scaled) {
      mx = winplat::CSng(static_cast<double>(p_.XScale) * mx);
      my = winplat::CSng(static_cast<double>(p_.YScale) * my);
      if (p_.Rotation != 0) RotatePoint(mx, my, p_.Rotation);
    }
    std::int32_t layer = LayerOf(r.L(7)), color = r.L(8), style = r.L(9);
    if (db_.InBlock) {
      WriteBlockRecord(dxf_, etEllipse,
                       {BlockField::S(c.X), BlockField::S(c.Y), BlockField::S(mx), BlockField::S(my),
                        BlockField::S(r.S(4)), BlockField::S(r.S(5)), BlockField::S(r.S(6)), BlockField::L(layer),
                        BlockField::L(color), BlockField::L(style)});
      return;
    }
    EllipseRecord row;
    row.CenterX = c.X, row.CenterY = c.Y;
    row.MajorX = mx, row.MajorY = my;
    row.Ratio = r.S(4), row.StartParam = r.S(5), row.EndParam = r.S(6);
    row.Layer = layer, row.Color = color, row.LineStyle = style;
    db_.AddEllipse(row, Growth::Insert);
  }

  DXF& dxf_;
  EntityDB& db_;
  Placement p_;
};

// Closes the block file being written: a record it could not take fails the read here.
void CloseBlockFile(DXF& dxf) {
  dxf.reader.BlockFileNum.reset();
  if (dxf.reader.BlockFiles) dxf.reader.BlockFiles->ThrowIfNotStored();
}

// Opens block row `row`'s file for appending; its records read so far are stale.
void OpenForAppend(DXF& dxf, std::int32_t row) {
  BlockSpool& spool = Spool(dxf);
  SpooledBlock& block = spool.blocks.at(static_cast<std::size_t>(row - 1));
  block.records.reset();
  spool.writing = row;
  dxf.reader.BlockFileNum = spool.OpenForAppend(row);
}

// Copies `block` into the file of `host`, open for writing, and remembers the
// copy: records `block` gains later follow it (FollowCopies).
void CopyIntoHost(DXF& dxf, std::int32_t host, std::int32_t block, const Placement& p) {
  const std::size_t copied = Replay(dxf, p).Run(block);
  NoteNested(Spool(dxf), host, block);
  BlockCopies& c = dxf.reader.Copies;
  c.copiesOf[block].push_back(c.copies.size());
  c.copies.push_back(BlockCopy{host, block, copied, p});
}

// Block `changed` gained records or nesting after blocks had copied it (a
// deferred row was resolved into it): what it gained is copied after the
// rest into every block that had copied it, and from those on into the
// blocks that had copied them, level by level.
void FollowCopies(DXF& dxf, std::int32_t changed) {
  BlockSpool& spool = Spool(dxf);
  BlockCopies& all = dxf.reader.Copies;
  std::set<std::int32_t> level{changed};
  // A copy always goes to a block that holds the copied one, never back, so
  // the levels end within the nesting cap.
  for (std::int32_t pass = 0; !level.empty() && pass <= kMaxNesting; ++pass) {
    std::set<std::int32_t> next;
    for (std::int32_t block : level) {
      const auto of = all.copiesOf.find(block);
      if (of == all.copiesOf.end()) continue;
      for (std::size_t index : of->second) {
        BlockCopy& c = all.copies[index];
        const SpooledBlock& copied = spool.blocks.at(static_cast<std::size_t>(c.block - 1));
        if (copied.depth + 1 > kMaxNesting) continue;  // grown past the cap: it stays as copied
        const SpooledBlock& host = spool.blocks.at(static_cast<std::size_t>(c.host - 1));
        const std::int32_t depth = host.depth;
        const std::size_t held = host.contains.size();
        NoteNested(spool, c.host, c.block);
        bool grew = host.depth != depth || host.contains.size() != held;
        if (BlockRecords(dxf, c.block)->size() > c.copied) {
          OpenForAppend(dxf, c.host);
          dxf.db.InBlock = true;
          c.copied = Replay(dxf, c.placement).Run(c.block, c.copied);
          CloseBlockFile(dxf);
          dxf.db.InBlock = false;
          grew = true;
        }
        if (grew) next.insert(c.host);
      }
    }
    level.swap(next);
  }
}

// A deferred row resolved: `block` is copied on into `host`'s file, and from
// there into every block that had copied `host` already.
void ReplayDeferred(DXF& dxf, std::int32_t host, std::int32_t block, const Placement& p) {
  OpenForAppend(dxf, host);
  dxf.db.InBlock = true;
  CopyIntoHost(dxf, host, block, p);
  dxf.db.InBlock = false;
  CloseBlockFile(dxf);
  FollowCopies(dxf, host);
}

[[noreturn]] void DimensionBlockMissing(const std::string& name) {
  throw ProcedureError("DXFDimension", name +
                                           " has been referenced in the DXF file but a definition of this block was "
                                           "not found in the header.");
}

// Replays deferred row `index`, a DIMENSION inside a block definition whose
// block was not defined then: moved only, on the dimension's layer, without
// an insert box, into its host block's file.
bool ReplayDeferredDimension(DXF& dxf, std::int32_t index) {
  return WithErrorTrail("DXFDimension", [&] {
    EntityDB& db = dxf.db;
    BlockSpool& spool = Spool(dxf);
    const DeferredInsert& d = db.DeferredInsertTable(index);
    const SpooledDeferred& sd = spool.deferred.at(static_cast<std::size_t>(index - 1));
    const std::int32_t block = FindBlock(spool, sd.blockName);
    if (block == 0) DimensionBlockMissing(sd.blockName);
    Placement p;
    p.scaled = false;
    p.dimension = true;
    p.layer = static_cast<std::int16_t>(d.Layer);
    p.X = d.X, p.Y = d.Y;
    if (MayNest(spool, sd.host, block)) ReplayDeferred(dxf, sd.host, block, p);
    return true;
  }, dxf.DrawingCleanup());
}

}  // namespace

void CheckInsertExtents(DXF& dxf, std::int32_t InsertRow, float X1, float Y1, float X2, float Y2) {
  try {
    InsertRecord& r = dxf.db.InsertTable(InsertRow);
    if (r.Left == 0 && r.Top == 0 && r.Right == 0 && r.Bottom == 0) {
      r.Left = X1, r.Top = Y2, r.Right = X2, r.Bottom = Y1;
    }
    r.Left = std::min({r.Left, X1, X2});
    r.Right = std::max({r.Right, X1, X2});
    r.Bottom = std::min({r.Bottom, Y1, Y2});
    r.Top = std::max({r.Top, Y1, Y2});
  } catch (...) {
    winplat::AutomationError e = TrailError("CheckInsertExtents");
    std::string d = e.Description();
    if (!d.empty() && d.back() == '.') d.pop_back();  // this trail line has no full stop
    throw winplat::AutomationError(e.Number(), e.Source(), d);
  }
}

bool DXFBlock(DXF& dxf) {
  return WithErrorTrail("DXFBlock", [&] {
    LoadEntity(dxf);
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    ReaderState& r = dxf.reader;
    BlockSpool& spool = Spool(dxf);
    const std::string name = winplat::RTrim(t.Value(2));
    Point2 base = ReadPoint(dxf, 10);
    r.BlockFileNum.reset();  // a block still open ends here
    r.TmpFileCounter = winplat::AddLng(r.TmpFileCounter, 1);
    std::string file;
    try {
      file = spool.CreateFile(TempFolderOf(dxf), r.TmpFileCounter);
    } catch (const winplat::FileError& e) {
      if (e.Number() != 76) throw;
      // No temporary folder: the root folder of drive C takes the files.
      dxf.SetTmpFileNamePath("C:\\");
      file = spool.CreateFile(TempFolderOf(dxf), r.TmpFileCounter);
    }
    BlockRecord row;
    row.X = base.X, row.Y = base.Y;
    row.BlockName = name;
    row.TempFile = file;
    dxf.db.AddBlock(row, Growth::Loader);
    SpooledBlock block;
    block.name = name;
    block.file = file;
    spool.blocks.push_back(std::move(block));
    OpenForAppend(dxf, static_cast<std::int32_t>(spool.blocks.size()));
    dxf.db.InBlock = true;
    return true;
  }, dxf.DrawingCleanup());
}

void EndBlock(DXF& dxf) {
  dxf.db.InBlock = false;
  WithErrorTrail("EndBlock", [&] { CloseBlockFile(dxf); });
}

bool DXFInsert(DXF& dxf, std::int32_t Index) {
  return WithErrorTrail("DXFInsert", [&] {
    EntityDB& db = dxf.db;
    BlockSpool& spool = Spool(dxf);
    if (Index > 0) {
      // A deferred insert: the block's records go into its host block's file.
      const DeferredInsert& d = db.DeferredInsertTable(Index);
      const SpooledDeferred& sd = spool.deferred.at(static_cast<std::size_t>(Index - 1));
      Placement p;
      p.X = d.X, p.Y = d.Y, p.Rotation = d.Rotation, p.XScale = d.ScaleX, p.YScale = d.ScaleY;
      p.layer = static_cast<std::int16_t>(d.Layer);
      db.InsertLayer = p.layer;
      // The deferred path has no insert row of its own: the last one, if any, takes the box.
      p.insertRow = db.InsertCount;
      const std::int32_t block = FindBlock(spool, sd.blockName);
      if (block != 0 && MayNest(spool, sd.host, block)) ReplayDeferred(dxf, sd.host, block, p);
      db.InBlock = false;
      dxf.reader.BlockFileNum.reset();
      return true;
    }

    LoadEntity(dxf);
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    const std::string name(t.Value(2));
    db.InsertLayer = LoaderLayer(dxf);
    // An insert drawn with the extrusion (0, 0, -1) is mirrored about the Y axis:
    // its X, its X scale and its turning are negated.
    const bool mirrored = MirroredExtrusion(t);
    Point2 at = ReadPoint(dxf, 10, mirrored ? -1.0f : 1.0f);
    Placement p;
    p.Rotation = t.Single(50);
    p.XScale = t.Single(41);
    p.YScale = t.Single(42);
    if (p.XScale == 0) p.XScale = 1;
    if (p.YScale == 0) p.YScale = 1;
    if (mirrored) p.XScale = -p.XScale, p.Rotation = -p.Rotation;
    p.layer = db.InsertLayer;
    p.color = t.Has(62) && t.Double(62) != 0 ? LoaderColor(dxf) : 0;
    spool.lastInsertPlaced = false;

    const std::int32_t block = FindBlock(spool, name);
    const std::int32_t host = db.InBlock ? static_cast<std::int32_t>(spool.blocks.size()) : 0;
    if (db.InBlock) at = Relative(at, BlockBase(dxf));
    if (block != 0) {
      if (db.InBlock && !MayNest(spool, host, block)) return true;  // itself, a cycle or too deep
      InsertRecord row;
      row.X = at.X, row.Y = at.Y;
      row.BlockName = name;
      row.Layer = db.InsertLayer;
      db.AddInsert(row);
      p.X = at.X, p.Y = at.Y;
      p.insertRow = db.InsertCount;
      if (db.InBlock)
        CopyIntoHost(dxf, host, block, p);
      else
        Replay(dxf, p).Run(block);
      spool.lastInsertPlaced = !db.InBlock;
      return true;
    }
    if (db.InBlock && host >= 1) {
      DeferredInsert row;
      row.HostFile = spool.blocks[static_cast<std::size_t>(host - 1)].file;
      row.BlockName = name;
      row.Layer = db.InsertLayer;
      row.X = at.X, row.Y = at.Y;
      row.Rotation = p.Rotation;
      row.ScaleX = p.XScale, row.ScaleY = p.YScale;
      db.AddDeferredInsert(row);
      spool.deferred.push_back(SpooledDeferred{host, name});
    }
    return true;
  }, dxf.DrawingCleanup());
}

bool ReplayDeferredInserts(DXF& dxf) {
  BlockSpool& spool = Spool(dxf);
  dxf.db.InBlock = false;
  dxf.reader.BlockFileNum.reset();
  while (spool.deferredDone < dxf.db.DeferredInsertCount) {
    const std::int32_t row = ++spool.deferredDone;
    const bool cont = dxf.reader.Copies.deferredDimensions.count(row) ? ReplayDeferredDimension(dxf, row)
                                                                       : DXFInsert(dxf, row);
    if (!cont) return false;
  }
  return true;
}

void CheckDeferredDimensions(DXF& dxf) {
  WithErrorTrail("DXFDimension", [&] {
    BlockSpool& spool = Spool(dxf);
    for (std::int32_t row : dxf.reader.Copies.deferredDimensions) {
      if (row <= spool.deferredDone) continue;
      const std::string& name = spool.deferred.at(static_cast<std::size_t>(row - 1)).blockName;
      if (FindBlock(spool, name) == 0) DimensionBlockMissing(name);
    }
  }, dxf.DrawingCleanup());
}

bool DXFDimension(DXF& dxf) {
  return WithErrorTrail("DXFDimension", [&] {
    LoadEntity(dxf);
    EntityDB& db = dxf.db;
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    BlockSpool& spool = Spool(dxf);
    const std::string name(t.Value(2));
    Placement p;
    p.scaled = false;
    p.dimension = true;
    p.layer = LoaderLayer(dxf);
    Point2 at = ReadPoint(dxf, 12);
    // A dimension that names no block has nothing to place.
    if (winplat::RTrim(name).empty()) return true;
    const std::int32_t block = FindBlock(spool, name);
    if (db.InBlock) {
      const std::int32_t host = static_cast<std::int32_t>(spool.blocks.size());
      at = Relative(at, BlockBase(dxf));
      p.X = at.X, p.Y = at.Y;
      if (block == 0 && host >= 1) {
        // Defined later, as CAD programs write them: replayed with the
        // deferred inserts, or the read fails then if it never is.
        DeferredInsert row;
        row.HostFile = spool.blocks[static_cast<std::size_t>(host - 1)].file;
        row.BlockName = name;
        row.Layer = p.layer;
        row.X = at.X, row.Y = at.Y;
        row.ScaleX = 1, row.ScaleY = 1;
        const std::int32_t index = db.AddDeferredInsert(row);
        spool.deferred.push_back(SpooledDeferred{host, name});
        dxf.reader.Copies.deferredDimensions.insert(index);
        return true;
      }
      if (block == 0) return true;  // no block open to hold it
      if (!MayNest(spool, host, block)) return true;
      CopyIntoHost(dxf, host, block, p);
      return true;
    }
    if (block == 0) DimensionBlockMissing(name);
    p.X = at.X, p.Y = at.Y;
    Replay(dxf, p).Run(block);
    return true;
  }, dxf.DrawingCleanup());
}

void EndBlockFiles(DXF& dxf) {
  ReaderState& r = dxf.reader;
  r.BlockFileNum.reset();
  r.Copies = {};
  if (r.BlockFiles) {
    r.BlockFiles->Clear();
    r.BlockFiles.reset();
  }
  EntityDB& db = dxf.db;
  for (std::int32_t i = 1; i <= db.BlockCount && db.BlockTable.InBounds(i); ++i) db.BlockTable(i).TempFile = "";
}

}  // namespace kelvane
