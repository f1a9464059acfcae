// Redline entities added through the interface, drawn by band, moved,
// deleted whole as rectangles and restored; inserts recoloured.
#include "render_fixture.h"

using winplat::Variant;

namespace {

class RedlineTest : public rendertest::RenderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Place(400, 300));
    Line(0, 0, 100, 100);
    Extents(0, 100, 100, 0);
    ASSERT_TRUE(dxf->ZoomExtents());
  }
};

TEST_F(RedlineTest, AddedLineIsStoredReversedOnANewLayer) {
  const auto n = winplat::CallMethod(dxf.Get(), "DXFAddLine",
                                     {Variant(0.0f), Variant(0.0f), Variant(10.0f), Variant(5.0f), Variant("RL")});
  EXPECT_EQ(n.ToLong(), db().EntityCount);
  const auto& r = db().LineTable(db().LineCount);
  EXPECT_EQ(r.X1, 10.0f);
  EXPECT_EQ(r.Y1, 5.0f);
  EXPECT_EQ(r.X2, 0.0f);
  EXPECT_EQ(r.Redline, -1);
  EXPECT_EQ(db().Layers().Item(Variant(r.Layer))->LayerName, "RL");
  EXPECT_EQ(dxf->DXFAddCircle(0, 0, 3, 4, "RL"), db().EntityCount);
  EXPECT_EQ(db().CircleTable(db().CircleCount).Radius, 5.0f);
}

TEST_F(RedlineTest, RectangleByBandMovesAndDeletesWhole) {
  dxf->RedlineCurrentLayer = "RL";
  dxf->SetZoomFunction(kelvane::dxfRedLineRectangle);
  const auto lines = db().LineCount;
  dxf->ZoomInitiate(50, 50);
  dxf->ZoomFeedback(150, 120);
  EXPECT_EQ(dxf->ZoomEnd(), -1);
  ASSERT_EQ(db().LineCount, lines + 4);
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
  const auto group = db().LineTable(lines + 1).GroupID;
  EXPECT_NE(group, 0);

  // Move the rectangle by dragging its first line.
  dxf->RedlineEntitySelected = Variant(lines + 1);
  dxf->RedlineEntityType = 0;
  const float x0 = db().LineTable(lines + 3).X1;
  dxf->SetZoomFunction(kelvane::dxfRedlineMove);
  dxf->ZoomInitiate(60, 60);
  dxf->ZoomFeedback(70, 60);
  EXPECT_EQ(dxf->ZoomEnd(), -1);
  EXPECT_NEAR(db().LineTable(lines + 3).X1, x0 + 10 / dxf->gsScaler, 1e-3);
  EXPECT_EQ(db().LineTable(1).X1, 0.0f);  // not part of the group

  std::string err;
  EXPECT_TRUE(dxf->RedlineDeleteEntity(err)) << err;
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(db().LineTable(lines + i).Deleted, -1);
  EXPECT_EQ(db().LineTable(1).Deleted, 0);
  EXPECT_EQ(dxf->RedlineEntityType, -1);
  EXPECT_TRUE(dxf->RedlineUnDeleteEntity(err)) << err;
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(db().LineTable(lines + i).Deleted, 0);
}

TEST_F(RedlineTest, InsertColourNeedsAnInsert) {
  std::string err;
  EXPECT_FALSE(dxf->SetInsertColor(err, 0, 255));
  EXPECT_EQ(err, "DXF.SetInsertColor: Cannot change the color of inserted block '0'.");
  db().LineTable(1).InsertID = 2;
  EXPECT_TRUE(dxf->SetInsertColor(err, 2, 255));
  EXPECT_EQ(db().LineTable(1).Color, 255);
}

}  // namespace
