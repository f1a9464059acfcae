#pragma once
// The entity data base of one control: a table per entity kind, the display
// list EntityIndex in reading (and drawing) order, the row counts, the drawing
// extents and the merge offset.
//
// Every table has a logical upper bound (its visible size): a store above it
// grows the table by the step of its table and of the code storing (a loader,
// the INSERT/DIMENSION replay or the redline editor), to count + step. The
// storage under the bound grows geometrically, in pages the process keeps
// between drawings (row_pool.h), so large drawings stay fast.
#include <cstdint>
#include <vector>

#include "fixed_string.h"
#include "layers.h"
#include "row_pool.h"
#include "winplat/variant.h"

namespace kelvane {

// Entity type codes of EntityIndex and of the block files (there is no 8).
enum EntityType : std::int32_t {
  etLine = 1,
  etPolyline = 2,
  etText = 3,
  etCircle = 4,
  etSolid = 5,
  etPoint = 6,
  etAttrib = 7,
  etEllipse = 9,
};

struct EntityRef {
  std::int32_t EntityType = 0;
  std::int32_t Row = 0;
};

struct LineRecord {
  float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  std::int32_t Layer = 0;
  std::int32_t Color = 0;
  std::int32_t LineStyle = 0;
  float Width = 0;
  std::int16_t Redline = 0;
  std::int16_t Deleted = 0;
  std::int32_t GroupID = 0;
  std::int32_t InsertID = 0;
};

struct PolylineSegmentRecord {
  float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  float Width = 0;
  std::int32_t Layer = 0;
  std::int32_t Color = 0;
  float Bulge = 0;
  std::int32_t InsertID = 0;
};

struct TextRecord {
  float X = 0, Y = 0;
  FixedString<100> Text;
  float Height = 0;
  float Rotation = 0;
  std::int32_t HorzAlign = 0;
  std::int32_t Layer = 0;
  std::int32_t Underline = 0;
  std::int32_t Color = 0;
  FixedString<20> FontName;
  float WidthFactor = 0;
  std::int16_t Redline = 0;
  std::int16_t Deleted = 0;
  std::int32_t InsertID = 0;
};

struct CircleRecord {
  float X = 0, Y = 0;
  float Radius = 0;
  float StartAngle = 0, EndAngle = 0;
  std::int32_t Layer = 0;
  std::int32_t Color = 0;
  std::int32_t LineStyle = 0;
  float Width = 0;
  std::int16_t Redline = 0;
  std::int16_t Deleted = 0;
  std::int32_t InsertID = 0;
};

struct SolidRecord {
  float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0, X4 = 0, Y4 = 0;
  std::int32_t Layer = 0;
  std::int32_t Color = 0;
  std::int16_t Redline = 0;
  std::int16_t Deleted = 0;
  std::int32_t InsertID = 0;
};

struct PointRecord {
  float X = 0, Y = 0;
  std::int32_t Layer = 0;
  std::int32_t Color = 0;
};

struct EllipseRecord {
  float CenterX = 0, CenterY = 0;
  float MajorX = 0, MajorY = 0;
  float Ratio = 0;
  float StartParam = 0, EndParam = 0;
  std::int32_t Layer = 0;
  std::int32_t Color = 0;
  std::int32_t LineStyle = 0;
};

struct AttribRecord {
  std::int32_t BlockNumber = 0;
  float X = 0, Y = 0;
  FixedString<100> TagValue;
  FixedString<100> TagName;
  float Height = 0;
  float Rotation = 0;
  std::int32_t HorzAlign = 0;
  std::int32_t Layer = 0;
  std::int32_t Color = 0;
  FixedString<20> FontName;
  float WidthFactor = 0;
  std::int32_t ParentInsert = 0;
};

struct VertexRecord {
  float X = 0, Y = 0;
};

struct BlockRecord {
  float X = 0, Y = 0;
  FixedString<50> BlockName;
  FixedString<100> TempFile;
};

struct InsertRecord {
  float X = 0, Y = 0;
  FixedString<50> BlockName;
  std::int32_t Layer = 0;
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct DeferredInsert {
  FixedString<50> HostFile;
  FixedString<50> BlockName;
  std::int32_t Layer = 0;
  float X = 0, Y = 0;
  float Rotation = 0;
  float ScaleX = 0, ScaleY = 0;
};

// Left = least X, Top = greatest Y, Right = greatest X, Bottom = least Y.
struct ExtentsRect {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// A table with lower bound 1 and a logical upper bound.
template <class T>
class DBTable {
 public:
  std::int32_t UBound() const { return upper_; }
  // Re-dimensions keeping the rows up to the new bound.
  void RedimPreserve(std::int32_t upper) {
    upper_ = upper < 0 ? 0 : upper;
    rows_.resize(static_cast<std::size_t>(upper_));
  }
  // Re-creates the table empty at `upper` rows.
  void Redim(std::int32_t upper) {
    rows_.clear();
    RedimPreserve(upper);
  }
  bool InBounds(std::int32_t row) const { return row >= 1 && row <= upper_; }
  // Error 9 (subscript out of range) outside 1..UBound.
  T& operator()(std::int32_t row) {
    if (!InBounds(row)) throw winplat::RuntimeError(9);
    return rows_[static_cast<std::size_t>(row - 1)];
  }
  const T& operator()(std::int32_t row) const {
    if (!InBounds(row)) throw winplat::RuntimeError(9);
    return rows_[static_cast<std::size_t>(row - 1)];
  }

 private:
  std::vector<T, RowAllocator<T>> rows_;
  std::int32_t upper_ = 0;
};

// Which code stores a row: the growth step depends on it.
enum class Growth {
  Loader,   // the entity loaders and DXFBlock
  Insert,   // DXFInsert and DXFDimension replaying a block
  Redline,  // the redline editor: exactly one row more
};

class EntityDB {
 public:
  EntityDB();

  DBTable<EntityRef> EntityIndex;
  DBTable<LineRecord> LineTable;
  DBTable<PolylineSegmentRecord> PolylineTable;
  DBTable<TextRecord> TextTable;
  DBTable<CircleRecord> CircleTable;
  DBTable<SolidRecord> SolidTable;
  DBTable<PointRecord> PointTable;
  DBTable<EllipseRecord> EllipseTable;
  DBTable<AttribRecord> AttribTable;
  DBTable<VertexRecord> VertexTable;
  DBTable<BlockRecord> BlockTable;
  DBTable<InsertRecord> InsertTable;
  DBTable<DeferredInsert> DeferredInsertTable;

  std::int32_t LineCount = 0;
  std::int32_t PolylineCount = 0;
  std::int32_t TextCount = 0;
  std::int32_t CircleCount = 0;
  std::int32_t EllipseCount = 0;
  std::int32_t PointRowCount = 0;
  std::int32_t SolidCount = 0;
  std::int32_t AttribCount = 0;
  std::int32_t VertexCount = 0;
  std::int32_t EntityCount = 0;
  std::int32_t BlockCount = 0;
  std::int32_t DeferredInsertCount = 0;
  std::int32_t InsertCount = 0;

  ExtentsRect DrawingExtents;
  float MergeOffsetX = 0;
  float MergeOffsetY = 0;
  std::int16_t InsertLayer = 0;
  bool InBlock = false;

  // The layer collection; created empty on first use, replaced by InitDB(True).
  winplat::ComPtr<DXFLayers> colLayers;
  DXFLayers& Layers();

  // Clear: every count to 0, the tables re-created at their start sizes and a
  // new empty layer collection. Always: BlockTable re-created at 1..5 and
  // InBlock False. Returns True.
  bool InitDB(bool clear);
  // EntityIndex to 1..EntityCount + 100, keeping its rows.
  bool ExpandSeqArray();

  // Appending an entity: the table's count is raised, the row stored (the
  // table grown when needed), EntityCount raised and EntityIndex(EntityCount)
  // set to (type, row). Returns the new row number.
  std::int32_t AddLine(const LineRecord& row, Growth growth);
  std::int32_t AddPolylineSegment(const PolylineSegmentRecord& row, Growth growth);
  std::int32_t AddText(const TextRecord& row, Growth growth);
  std::int32_t AddCircle(const CircleRecord& row, Growth growth);
  std::int32_t AddSolid(const SolidRecord& row, Growth growth);
  std::int32_t AddPoint(const PointRecord& row, Growth growth);
  std::int32_t AddEllipse(const EllipseRecord& row, Growth growth);
  std::int32_t AddAttrib(const AttribRecord& row, Growth growth);
  // Rows that are not in the display list.
  std::int32_t AddVertex(const VertexRecord& row);
  std::int32_t AddBlock(const BlockRecord& row, Growth growth);
  std::int32_t AddInsert(const InsertRecord& row);
  std::int32_t AddDeferredInsert(const DeferredInsert& row);

 private:
  void SizeTables();
  void AppendIndex(std::int32_t type, std::int32_t row, Growth growth);
};

}  // namespace kelvane
