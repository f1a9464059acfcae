// The LINE, POINT, SOLID and 3DFACE loaders and CheckExtents, called as the
// scanner calls them: right after their keyword pair.
#include <gtest/gtest.h>

#include "../dxfengine.h"
#include "reader_fixture.h"

using namespace readertest;

namespace {

class LoaderTest : public ReaderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReaderTest::SetUp());
    db().DrawingExtents = kelvane::ExtentsRect{1E30f, -1E30f, -1E30f, 1E30f};
  }
  // The group pairs of one object, then the next object's name.
  void Feed(const std::string& groups) { dxf->reader.DXFFileNum.OpenText(groups + "0\nEOF\n"); }
  // Starts a block definition with base point (bx, by) whose records go to a file.
  std::filesystem::path OpenBlock(float bx, float by) {
    db().BlockCount = 1;
    db().BlockTable(1).X = bx;
    db().BlockTable(1).Y = by;
    db().InBlock = true;
    auto path = testsupport::Root() / "block.tmp";
    dxf->reader.BlockFileNum = std::make_unique<std::ofstream>(path, std::ios::binary);
    return path;
  }
  std::string CloseBlock(const std::filesystem::path& path) {
    dxf->reader.BlockFileNum.reset();
    return testsupport::ReadFile(path);
  }
  const kelvane::ExtentsRect& Ext() { return db().DrawingExtents; }
};

const char* kFace = "8\nF\n10\n0\n20\n0\n11\n4\n21\n0\n12\n4\n22\n3\n13\n0\n23\n3\n";

}  // namespace

TEST_F(LoaderTest, LineColourAndLinetype) {
  Feed("8\nA\n10\n1\n20\n2\n11\n3\n21\n4\n");
  ASSERT_TRUE(kelvane::DXFLine(*dxf));
  Feed("8\nA\n62\n7\n6\nDASHDOT\n10\n1\n20\n2\n11\n3\n21\n4\n");
  ASSERT_TRUE(kelvane::DXFLine(*dxf));
  Feed("8\nA\n62\n256\n10\n1\n20\n2\n11\n3\n21\n4\n");
  ASSERT_TRUE(kelvane::DXFLine(*dxf));
  Feed("8\nA\n62\n\n10\n1\n20\n2\n11\n3\n21\n4\n");  // an empty value is no colour
  ASSERT_TRUE(kelvane::DXFLine(*dxf));
  ASSERT_EQ(db().LineCount, 4);
  EXPECT_EQ(db().LineTable(1).Color, 0);
  EXPECT_EQ(db().LineTable(1).LineStyle, 0);
  EXPECT_EQ(db().LineTable(2).Color, kelvane::AciToRgb(7));
  EXPECT_EQ(db().LineTable(2).LineStyle, 3);
  EXPECT_EQ(db().LineTable(3).Color, 0);
  EXPECT_EQ(db().LineTable(4).Color, 0);
  EXPECT_EQ(db().LineTable(4).Width, 0.0f);
  EXPECT_EQ(db().LineTable(4).Redline, 0);
  EXPECT_EQ(Ext().Left, 1.0f);
  EXPECT_EQ(Ext().Top, 4.0f);
  EXPECT_EQ(Ext().Right, 3.0f);
  EXPECT_EQ(Ext().Bottom, 2.0f);
  // The pair that ended the object is the scanner's next.
  std::int32_t code = -1;
  std::string_view value;
  ASSERT_TRUE(dxf->reader.DXFFileNum.ReadPair(code, value));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(value, "EOF");
}

TEST_F(LoaderTest, MissingGroupsReadAsZeroAndTheEmptyLayer) {
  Feed("");
  ASSERT_TRUE(kelvane::DXFLine(*dxf));
  const auto& l = db().LineTable(1);
  EXPECT_EQ(l.X1, 0.0f);
  EXPECT_EQ(l.Y2, 0.0f);
  EXPECT_EQ(LayerName(l.Layer), "");
}

TEST_F(LoaderTest, PointsNeverWidenTheExtents) {
  Feed("8\n0\n62\n1\n10\n5\n20\n6\n");
  ASSERT_TRUE(kelvane::DXFPoint(*dxf));
  EXPECT_EQ(db().PointRowCount, 1);
  EXPECT_EQ(db().PointTable(1).X, 5.0f);
  EXPECT_EQ(db().PointTable(1).Color, kelvane::AciToRgb(1));
  EXPECT_EQ(db().EntityIndex(1).EntityType, 6);
  EXPECT_EQ(Ext().Left, 1E30f);
  EXPECT_EQ(Ext().Top, -1E30f);
}

TEST_F(LoaderTest, SolidCornersInOutlineOrder) {
  Feed("8\n0\n10\n0\n20\n0\n11\n1\n21\n0\n12\n0\n22\n1\n13\n1\n23\n1\n");
  ASSERT_TRUE(kelvane::DXFSolid(*dxf));
  const auto& s = db().SolidTable(1);
  EXPECT_EQ(std::vector<float>({s.X1, s.Y1, s.X2, s.Y2, s.X3, s.Y3, s.X4, s.Y4}),
            std::vector<float>({0, 0, 1, 0, 1, 1, 0, 1}));
  EXPECT_EQ(db().EntityIndex(1).EntityType, 5);
  EXPECT_EQ(Ext().Top, 1.0f);
}

TEST_F(LoaderTest, FaceBecomesFourEdgesAndWidensByAllCorners) {
  // A triangle: the fourth corner repeats the third.
  Feed("8\nF\n10\n0\n20\n0\n11\n4\n21\n0\n12\n4\n22\n3\n13\n4\n23\n3\n");
  ASSERT_TRUE(kelvane::DXF3DFace(*dxf));
  ASSERT_EQ(db().LineCount, 4);
  ASSERT_EQ(db().EntityCount, 4);
  const float edges[4][4] = {{0, 0, 4, 0}, {4, 0, 4, 3}, {4, 3, 4, 3}, {4, 3, 0, 0}};
  for (int i = 0; i < 4; ++i) {
    const auto& l = db().LineTable(i + 1);
    EXPECT_EQ(std::vector<float>({l.X1, l.Y1, l.X2, l.Y2}), std::vector<float>(edges[i], edges[i] + 4)) << i;
    EXPECT_EQ(db().EntityIndex(i + 1).EntityType, 1);
    EXPECT_EQ(db().EntityIndex(i + 1).Row, i + 1);
  }
  EXPECT_EQ(Ext().Top, 3.0f);  // corner 3 counts
}

TEST_F(LoaderTest, MergeOffsetShiftsRowsAndExtents) {
  db().MergeOffsetX = 100;
  Feed(kFace);
  ASSERT_TRUE(kelvane::DXF3DFace(*dxf));
  EXPECT_EQ(db().LineTable(1).X1, 100.0f);
  EXPECT_EQ(db().LineTable(1).X2, 104.0f);
  EXPECT_EQ(Ext().Left, 100.0f);
  EXPECT_EQ(Ext().Right, 104.0f);
  EXPECT_EQ(Ext().Bottom, 0.0f);
}

TEST_F(LoaderTest, HeaderExtentsStandAgainstEveryLoader) {
  dxf->reader.HeaderExtents = true;
  Feed("10\n-50\n20\n-50\n11\n50\n21\n50\n");
  kelvane::DXFLine(*dxf);
  Feed("10\n-50\n20\n-50\n11\n50\n21\n50\n12\n60\n22\n60\n13\n70\n23\n70\n");
  kelvane::DXFSolid(*dxf);
  Feed(kFace);
  kelvane::DXF3DFace(*dxf);
  EXPECT_EQ(db().EntityCount, 6);
  EXPECT_EQ(Ext().Left, 1E30f);
  EXPECT_EQ(Ext().Right, -1E30f);
}

TEST_F(LoaderTest, InsideABlockRecordsGoToTheBlockFile) {
  auto path = OpenBlock(10, 20);
  Feed("8\nA\n62\n1\n6\nDASHED\n10\n11\n20\n22\n11\n13\n21\n24\n");
  ASSERT_TRUE(kelvane::DXFLine(*dxf));
  Feed("8\nA\n10\n10.5\n20\n20\n");
  ASSERT_TRUE(kelvane::DXFPoint(*dxf));
  Feed("8\nB\n10\n10\n20\n20\n11\n11\n21\n20\n12\n10\n22\n21\n13\n11\n23\n21\n");
  ASSERT_TRUE(kelvane::DXFSolid(*dxf));
  Feed(kFace);
  ASSERT_TRUE(kelvane::DXF3DFace(*dxf));
  std::string file = CloseBlock(path);
  EXPECT_EQ(db().EntityCount, 0);
  EXPECT_EQ(db().LineCount, 0);
  EXPECT_EQ(db().SolidCount, 0);
  EXPECT_EQ(Ext().Left, 1E30f);  // definitions do not widen the drawing
  std::string red = std::to_string(kelvane::AciToRgb(1));
  std::string expected = "1\r\n1,2,3,4," + red + ",1,0,1\r\n" +  // Color before Layer
                         "6\r\n0.5,0,0,1\r\n" +                   // X, Y, Color, Layer
                         "5\r\n0,0,1,0,1,1,0,1,2,0\r\n" +         // corners, Layer, Color
                         "1\r\n-10,-20,-6,-20,0,3,1,0\r\n" +      // face edges: Width 1
                         "1\r\n-6,-20,-6,-17,0,3,1,0\r\n" + "1\r\n-6,-17,-10,-17,0,3,1,0\r\n" +
                         "1\r\n-10,-17,-10,-20,0,3,1,0\r\n";
  EXPECT_EQ(file, expected);
}

TEST_F(LoaderTest, TablesGrowWithoutLosingRows) {
  for (int i = 1; i <= 51; ++i) {
    Feed("10\n" + std::to_string(i) + "\n");
    ASSERT_TRUE(kelvane::DXFLine(*dxf));
  }
  EXPECT_EQ(db().LineTable.UBound(), 151);
  for (int i = 1; i <= 51; ++i) EXPECT_EQ(db().LineTable(i).X1, float(i));
  Feed("10\n1\n");
  ASSERT_TRUE(kelvane::DXFPoint(*dxf));
  EXPECT_EQ(db().PointTable.UBound(), 101);
}

TEST_F(LoaderTest, CoordinateOverflowGoesThroughTheTrail) {
  db().MergeOffsetX = 3e38f;
  Feed("10\n3e38\n");
  try {
    kelvane::DXFLine(*dxf);
    FAIL() << "no error";
  } catch (const winplat::AutomationError& e) {
    EXPECT_EQ(e.Number(), kelvane::kControlError);
    EXPECT_EQ(e.Description(), "Overflow\r\n ->  DXFLine.");
  }
  EXPECT_EQ(db().LineCount, 0);
}

TEST(CheckExtents, WidensByBothPointsInAnyOrder) {
  auto dxf = winplat::MakeObject<kelvane::DXF>();
  dxf->db.DrawingExtents = kelvane::ExtentsRect{1E30f, -1E30f, -1E30f, 1E30f};
  kelvane::CheckExtents(*dxf, 5, 7, -3, 2);
  EXPECT_EQ(dxf->db.DrawingExtents.Left, -3.0f);
  EXPECT_EQ(dxf->db.DrawingExtents.Right, 5.0f);
  EXPECT_EQ(dxf->db.DrawingExtents.Top, 7.0f);
  EXPECT_EQ(dxf->db.DrawingExtents.Bottom, 2.0f);
  kelvane::CheckExtents(*dxf, 0, 0, 1, 1);
  EXPECT_EQ(dxf->db.DrawingExtents.Bottom, 0.0f);
  EXPECT_EQ(dxf->db.DrawingExtents.Left, -3.0f);
}
