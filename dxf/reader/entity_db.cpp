// The entity data base: start sizes, growth steps, InitDB and ExpandSeqArray.
#include "entity_db.h"

#include "../control/error_trail.h"
#include "winplat/numeric.h"

namespace kelvane {
namespace {

// Growth steps by table and by the code that stores; 0 means "exactly the
// count" (the redline editor), -1 a table that code never grows, for which
// the loaders' step is taken so that a store can never fail for want of room.
struct Steps {
  std::int32_t loader, insert, redline;
};
constexpr Steps kEntityIndexSteps{100, 100, 0};
constexpr Steps kLineSteps{100, 5, 0};
constexpr Steps kPolylineSteps{100, 5, -1};
constexpr Steps kTextSteps{50, 5, 0};
constexpr Steps kCircleSteps{10, 5, 0};
constexpr Steps kSolidSteps{5, 5, 0};
constexpr Steps kPointSteps{100, 5, -1};
constexpr Steps kEllipseSteps{10, -1, -1};
constexpr Steps kAttribSteps{10, -1, -1};
constexpr Steps kVertexSteps{50, -1, -1};
constexpr Steps kBlockSteps{5, 5, -1};
constexpr Steps kInsertSteps{10, 10, -1};
constexpr Steps kDeferredSteps{0, 0, 0};

std::int32_t StepFor(const Steps& steps, Growth growth) {
  std::int32_t step = growth == Growth::Loader ? steps.loader : growth == Growth::Insert ? steps.insert : steps.redline;
  return step < 0 ? steps.loader : step;
}

// Stores `row` at `count` (already raised), growing the table to count + step
// when the row lies above its bound.
template <class T>
void Store(DBTable<T>& table, std::int32_t count, const T& row, const Steps& steps, Growth growth) {
  if (!table.InBounds(count)) table.RedimPreserve(winplat::AddLng(count, StepFor(steps, growth)));
  table(count) = row;
}

template <class T>
std::int32_t Append(DBTable<T>& table, std::int32_t& count, const T& row, const Steps& steps, Growth growth) {
  count = winplat::AddLng(count, 1);
  Store(table, count, row, steps, growth);
  return count;
}

}  // namespace

EntityDB::EntityDB() {
  SizeTables();
  BlockTable.Redim(5);
}

DXFLayers& EntityDB::Layers() {
  if (!colLayers) colLayers = winplat::MakeObject<DXFLayers>();
  return *colLayers;
}

void EntityDB::SizeTables() {
  EntityIndex.Redim(100);
  LineTable.Redim(50);
  PolylineTable.Redim(50);
  VertexTable.Redim(3000);
  TextTable.Redim(50);
  CircleTable.Redim(10);
  SolidTable.Redim(10);
  PointTable.Redim(0);
  EllipseTable.Redim(0);
  InsertTable.Redim(10);
  AttribTable.Redim(5);
  DeferredInsertTable.Redim(1);
}

bool EntityDB::InitDB(bool clear) {
  return WithErrorTrail("InitDB", [&] {
    if (clear) {
      LineCount = PolylineCount = TextCount = CircleCount = EllipseCount = PointRowCount = SolidCount = 0;
      AttribCount = VertexCount = EntityCount = InsertCount = 0;
      SizeTables();
      colLayers = winplat::MakeObject<DXFLayers>();
    }
    BlockTable.Redim(5);
    InBlock = false;
    return true;
  });
}

bool EntityDB::ExpandSeqArray() {
  return WithErrorTrail("ExpandSeqArray", [&] {
    EntityIndex.RedimPreserve(winplat::AddLng(EntityCount, kEntityIndexSteps.loader));
    return true;
  });
}

void EntityDB::AppendIndex(std::int32_t type, std::int32_t row, Growth growth) {
  EntityCount = winplat::AddLng(EntityCount, 1);
  if (!EntityIndex.InBounds(EntityCount)) {
    if (growth == Growth::Redline) EntityIndex.RedimPreserve(EntityCount);
    else if (!ExpandSeqArray()) throw winplat::RuntimeError(9);
  }
  EntityIndex(EntityCount) = EntityRef{type, row};
}

std::int32_t EntityDB::AddLine(const LineRecord& row, Growth growth) {
  std::int32_t n = Append(LineTable, LineCount, row, kLineSteps, growth);
  AppendIndex(etLine, n, growth);
  return n;
}

std::int32_t EntityDB::AddPolylineSegment(const PolylineSegmentRecord& row, Growth growth) {
  std::int32_t n = Append(PolylineTable, PolylineCount, row, kPolylineSteps, growth);
  AppendIndex(etPolyline, n, growth);
  return n;
}

std::int32_t EntityDB::AddText(const TextRecord& row, Growth growth) {
  std::int32_t n = Append(TextTable, TextCount, row, kTextSteps, growth);
  AppendIndex(etText, n, growth);
  return n;
}

std::int32_t EntityDB::AddCircle(const CircleRecord& row, Growth growth) {
  std::int32_t n = Append(CircleTable, CircleCount, row, kCircleSteps, growth);
  AppendIndex(etCircle, n, growth);
  return n;
}

std::int32_t EntityDB::AddSolid(const SolidRecord& row, Growth growth) {
  std::int32_t n = Append(SolidTable, SolidCount, row, kSolidSteps, growth);
  AppendIndex(etSolid, n, growth);
  return n;
}

std::int32_t EntityDB::AddPoint(const PointRecord& row, Growth growth) {
  std::int32_t n = Append(PointTable, PointRowCount, row, kPointSteps, growth);
  AppendIndex(etPoint, n, growth);
  return n;
}

std::int32_t EntityDB::AddEllipse(const EllipseRecord& row, Growth growth) {
  std::int32_t n = Append(EllipseTable, EllipseCount, row, kEllipseSteps, growth);
  AppendIndex(etEllipse, n, growth);
  return n;
}

std::int32_t EntityDB::AddAttrib(const AttribRecord& row, Growth growth) {
  std::int32_t n = Append(AttribTable, AttribCount, row, kAttribSteps, growth);
  AppendIndex(etAttrib, n, growth);
  return n;
}

std::int32_t EntityDB::AddVertex(const VertexRecord& row) {
  return Append(VertexTable, VertexCount, row, kVertexSteps, Growth::Loader);
}

std::int32_t EntityDB::AddBlock(const BlockRecord& row, Growth growth) {
  return Append(BlockTable, BlockCount, row, kBlockSteps, growth);
}

std::int32_t EntityDB::AddInsert(const InsertRecord& row) {
  return Append(InsertTable, InsertCount, row, kInsertSteps, Growth::Insert);
}

std::int32_t EntityDB::AddDeferredInsert(const DeferredInsert& row) {
  return Append(DeferredInsertTable, DeferredInsertCount, row, kDeferredSteps, Growth::Insert);
}

}  // namespace kelvane
