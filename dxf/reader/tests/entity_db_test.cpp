#include <gtest/gtest.h>

#include "../entity_db.h"

namespace {

using namespace kelvane;

LineRecord Line(float x) {
  LineRecord r;
  r.X1 = x;
  r.Y2 = -x;
  r.Layer = 1;
  return r;
}

TEST(EntityDB, StartSizesAfterInitDB) {
  EntityDB db;
  ASSERT_TRUE(db.InitDB(true));
  EXPECT_EQ(db.EntityIndex.UBound(), 100);
  EXPECT_EQ(db.LineTable.UBound(), 50);
  EXPECT_EQ(db.PolylineTable.UBound(), 50);
  EXPECT_EQ(db.TextTable.UBound(), 50);
  EXPECT_EQ(db.CircleTable.UBound(), 10);
  EXPECT_EQ(db.SolidTable.UBound(), 10);
  EXPECT_EQ(db.PointTable.UBound(), 0);
  EXPECT_EQ(db.EllipseTable.UBound(), 0);
  EXPECT_EQ(db.AttribTable.UBound(), 5);
  EXPECT_EQ(db.VertexTable.UBound(), 3000);
  EXPECT_EQ(db.InsertTable.UBound(), 10);
  EXPECT_EQ(db.BlockTable.UBound(), 5);
  EXPECT_EQ(db.DeferredInsertTable.UBound(), 1);
  EXPECT_EQ(db.DrawingExtents.Left, 0.0f);
  EXPECT_EQ(db.DrawingExtents.Top, 0.0f);
  EXPECT_EQ(db.DrawingExtents.Right, 0.0f);
  EXPECT_EQ(db.DrawingExtents.Bottom, 0.0f);
}

TEST(EntityDB, TheFiftyFirstLineGrowsByTheStepOfItsWriter) {
  for (auto [growth, bound] : {std::pair{Growth::Loader, 151}, {Growth::Insert, 56}, {Growth::Redline, 51}}) {
    EntityDB db;
    db.InitDB(true);
    for (int i = 1; i <= 50; ++i) db.AddLine(Line(static_cast<float>(i)), growth);
    EXPECT_EQ(db.LineTable.UBound(), 50);
    EXPECT_EQ(db.AddLine(Line(51), growth), 51);
    EXPECT_EQ(db.LineTable.UBound(), bound);
    for (int i = 1; i <= 51; ++i) {
      EXPECT_EQ(db.LineTable(i).X1, static_cast<float>(i));
      EXPECT_EQ(db.LineTable(i).Y2, -static_cast<float>(i));
    }
  }
}

TEST(EntityDB, TheHundredAndFirstEntityGrowsTheDisplayList) {
  EntityDB db;
  db.InitDB(true);
  for (int i = 1; i <= 100; ++i) {
    CircleRecord c;
    c.Radius = static_cast<float>(i);
    if (i % 2) db.AddLine(Line(static_cast<float>(i)), Growth::Loader);
    else db.AddCircle(c, Growth::Loader);
  }
  EXPECT_EQ(db.EntityIndex.UBound(), 100);
  EXPECT_EQ(db.CircleTable.UBound(), 54);  // 10, then count + 10 at each overflow: 21, 32, 43, 54
  db.AddLine(Line(101), Growth::Loader);
  EXPECT_EQ(db.EntityCount, 101);
  EXPECT_EQ(db.EntityIndex.UBound(), 201);
  for (int i = 1; i <= 100; ++i) {
    EXPECT_EQ(db.EntityIndex(i).EntityType, i % 2 ? etLine : etCircle);
    EXPECT_EQ(db.EntityIndex(i).Row, (i + 1) / 2);
  }
  EXPECT_EQ(db.EntityIndex(101).EntityType, etLine);
  EXPECT_EQ(db.EntityIndex(101).Row, 51);
  for (int i = 102; i <= 202; ++i) db.AddPoint(PointRecord{}, Growth::Loader);
  EXPECT_EQ(db.EntityIndex.UBound(), 302);
  EXPECT_EQ(db.PointTable.UBound(), 101);  // empty, then 1 + 100
}

TEST(EntityDB, RedlineAdditionsGrowByExactlyOneRow) {
  EntityDB db;
  db.InitDB(true);
  for (int i = 0; i < 10; ++i) db.AddSolid(SolidRecord{}, Growth::Loader);
  for (int i = 0; i < 90; ++i) db.AddPoint(PointRecord{}, Growth::Loader);
  for (int i = 11; i <= 13; ++i) {
    db.AddSolid(SolidRecord{}, Growth::Redline);
    EXPECT_EQ(db.SolidTable.UBound(), i);
  }
  EXPECT_EQ(db.EntityIndex.UBound(), 103);
}

TEST(EntityDB, InitDBWithAndWithoutClearing) {
  EntityDB db;
  db.InitDB(true);
  PointRecord p;
  p.X = 3;
  db.AddPoint(p, Growth::Loader);
  db.AddEllipse(EllipseRecord{}, Growth::Loader);
  BlockRecord block;
  block.BlockName = "B1";
  db.AddBlock(block, Growth::Loader);
  db.InBlock = true;
  SetLayerID(db.Layers(), "A");
  auto layersBefore = db.colLayers;

  ASSERT_TRUE(db.InitDB(false));
  EXPECT_EQ(db.PointRowCount, 1);
  EXPECT_EQ(db.EntityCount, 2);
  EXPECT_EQ(db.PointTable(1).X, 3.0f);
  EXPECT_FALSE(db.InBlock);
  EXPECT_EQ(db.BlockTable.UBound(), 5);
  EXPECT_EQ(db.BlockTable(1).BlockName.Trimmed(), "");  // re-created empty
  EXPECT_EQ(db.colLayers.Get(), layersBefore.Get());

  ASSERT_TRUE(db.InitDB(true));
  EXPECT_EQ(db.PointRowCount, 0);
  EXPECT_EQ(db.EllipseCount, 0);
  EXPECT_EQ(db.EntityCount, 0);
  EXPECT_EQ(db.PointTable.UBound(), 0);
  EXPECT_NE(db.colLayers.Get(), layersBefore.Get());
  EXPECT_EQ(db.colLayers->Count(), 0);
  EXPECT_EQ(db.AddPoint(p, Growth::Loader), 1);
  EXPECT_EQ(db.EntityIndex(1).EntityType, etPoint);
}

TEST(EntityDB, RowsOutsideTheBoundsAreSubscriptErrors) {
  EntityDB db;
  db.InitDB(true);
  try {
    db.LineTable(51);
    FAIL();
  } catch (const winplat::AutomationError& e) {
    EXPECT_EQ(e.Number(), 9);
  }
  EXPECT_THROW(db.LineTable(0), winplat::AutomationError);
}

// A drawing read after another one stores its rows in the pages the first
// one's tables used, and sees nothing of that drawing's rows.
TEST(RowPool, ANewDrawingsTablesReuseTheLastOnesStorageBlank) {
  const LineRecord* firstRows = nullptr;
  {
    EntityDB first;
    first.InitDB(true);
    for (int i = 1; i <= 2000; ++i) first.AddLine(Line(static_cast<float>(i)), Growth::Loader);
    firstRows = &first.LineTable(1);
  }
  EntityDB second;
  second.InitDB(true);
  for (int i = 1; i <= 1990; ++i) second.AddLine(Line(-1), Growth::Insert);
  if (RowPool::kKeeps) {
    EXPECT_EQ(&second.LineTable(1), firstRows);
  }
  EXPECT_EQ(second.LineTable(1990).X1, -1);
  // Above the count every row reads as a new one, whatever the pages held.
  for (int row = 1991; row <= second.LineTable.UBound(); ++row) {
    EXPECT_EQ(second.LineTable(row).X1, 0) << row;
    EXPECT_EQ(second.LineTable(row).Layer, 0) << row;
  }
  second.LineTable.RedimPreserve(10);
  second.LineTable.RedimPreserve(3000);
  EXPECT_EQ(second.LineTable(10).X1, -1);
  EXPECT_EQ(second.LineTable(11).X1, 0);
  EXPECT_EQ(second.LineTable(2000).X1, 0);
}

TEST(RowPool, KeepsLargeBlocksUpToItsLimitAndSmallOnesNever) {
  if (!RowPool::kKeeps) GTEST_SKIP() << "every block goes back to the heap under the address sanitizer";
  RowPool::ReleaseIdle();  // what earlier tables left idle
  ASSERT_EQ(RowPool::IdleBytes(), 0u);
  void* small = RowPool::Take(RowPool::kSmallest - 1);
  RowPool::Give(small, RowPool::kSmallest - 1);
  EXPECT_EQ(RowPool::IdleBytes(), 0u);

  // Half the limit each, rounded up to its power of two: two are kept, the
  // third goes back to the heap.
  const std::size_t half = RowPool::kIdleLimit / 2;
  void* blocks[3] = {RowPool::Take(half - 100), RowPool::Take(half - 100), RowPool::Take(half - 100)};
  for (void* b : blocks) RowPool::Give(b, half - 100);
  EXPECT_EQ(RowPool::IdleBytes(), 2 * half);
  // What was kept comes back for a request of the same size class.
  void* again = RowPool::Take(half);
  EXPECT_TRUE(again == blocks[0] || again == blocks[1] || again == blocks[2]);
  EXPECT_EQ(RowPool::IdleBytes(), half);
  RowPool::Give(again, half);
  RowPool::ReleaseIdle();
  EXPECT_EQ(RowPool::IdleBytes(), 0u);
}

TEST(FixedString, PadsCutsAndComparesTrimmed) {
  FixedString<5> s("ab");
  EXPECT_EQ(s.Padded(), "ab   ");
  EXPECT_EQ(s.Trimmed(), "ab");
  s = "abcdefg";
  EXPECT_EQ(s.Padded(), "abcde");
  EXPECT_TRUE(FixedString<5>("x") == FixedString<5>("x  "));
}

}  // namespace
