// POLYLINE and polyface meshes, read whole from their header to SEQEND.
#include <gtest/gtest.h>

#include "drawing_text.h"
#include "reader_fixture.h"

using namespace readertest;

namespace {

std::string Vertex(const std::string& x, const std::string& y, const std::string& bulge = "",
                   const std::string& flags = "") {
  std::string text = Pairs({"0", "VERTEX", "8", "0", "10", x, "20", y});
  if (!bulge.empty()) text += Pairs({"42", bulge});
  if (!flags.empty()) text += Pairs({"70", flags});
  return text;
}

std::string Header(std::initializer_list<std::string> groups) {
  std::string text = Pairs({"0", "POLYLINE", "8", "P", "66", "1"});
  for (const std::string& g : groups) text += g + "\n";
  return text;
}

const std::string kSeqEnd = "0\nSEQEND\n8\n0\n";

class PolyTest : public ReaderTest {
 protected:
  bool Read(const std::string& entities, const std::string& blocks = "") {
    return Load(Put("poly.dxf", Drawing(blocks, entities)));
  }
  std::vector<float> Row(std::int32_t r) {
    const auto& s = db().PolylineTable(r);
    return {s.X1, s.Y1, s.X2, s.Y2, s.Bulge};
  }
};

TEST_F(PolyTest, OpenAndClosedPolylinesGiveASegmentPerVertexPair) {
  std::string open = Header({"40", "0.25", "62", "1"}) + Vertex("0", "0", "1") + Vertex("10", "0") + Vertex("10", "5", "0.5") +
                     kSeqEnd;
  std::string closed = Header({"70", "1"}) + Vertex("0", "0") + Vertex("4", "0") + Vertex("4", "4", "-1") + kSeqEnd;
  ASSERT_TRUE(Read(open + closed + LineEntity("0", "0", "0", "1", "1")));
  ASSERT_EQ(db().PolylineCount, 2 + 3);
  EXPECT_EQ(Row(1), (std::vector<float>{0, 0, 10, 0, 1}));  // the start vertex's bulge
  EXPECT_EQ(Row(2), (std::vector<float>{10, 0, 10, 5, 0}));
  EXPECT_EQ(db().PolylineTable(1).Width, 0.25f);
  EXPECT_EQ(db().PolylineTable(1).Color, 0x0010FF);
  EXPECT_EQ(LayerName(db().PolylineTable(1).Layer), "P");
  EXPECT_EQ(Row(5), (std::vector<float>{4, 4, 0, 0, -1}));  // closing, with the last bulge
  EXPECT_EQ(db().LineCount, 1);                             // the entity after SEQEND
  EXPECT_EQ(db().EntityCount, 6);
  EXPECT_EQ(db().DrawingExtents.Right, 10.0f);
}

TEST_F(PolyTest, MirroredPolylineNegatesXAndBulgesBeforeTheMergeOffset) {
  std::string poly = Header({"210", "0.0", "220", "0.0", "230", "-1.0"}) + Vertex("1", "0", "0.4") + Vertex("3", "2", "-1") +
                     Vertex("5", "0") + kSeqEnd;
  dxf->db.MergeOffsetX = 100;
  ASSERT_TRUE(Read(poly));
  ASSERT_EQ(db().PolylineCount, 2);
  EXPECT_EQ(Row(1), (std::vector<float>{99, 0, 97, 2, -0.4f}));
  EXPECT_EQ(Row(2), (std::vector<float>{97, 2, 95, 0, 1}));
  EXPECT_EQ(db().DrawingExtents.Left, 95.0f);
  EXPECT_EQ(db().DrawingExtents.Right, 99.0f);
}

TEST_F(PolyTest, ExtrusionOtherThanStraightDownIsNotAScale) {
  std::string poly = Header({"210", "0.6", "220", "0.0", "230", "-0.8"}) + Vertex("1", "0") + Vertex("3", "0") + kSeqEnd +
                     Header({"230", "-2"}) + Vertex("1", "0") + Vertex("3", "0") + kSeqEnd;
  ASSERT_TRUE(Read(poly));
  ASSERT_EQ(db().PolylineCount, 2);
  EXPECT_EQ(Row(1), (std::vector<float>{1, 0, 3, 0, 0}));
  EXPECT_EQ(Row(2), (std::vector<float>{1, 0, 3, 0, 0}));
}

TEST_F(PolyTest, SplineFrameVertexEndsNoSegmentButStartsTheNext) {
  ASSERT_TRUE(Read(Header({}) + Vertex("0", "0") + Vertex("1", "1", "", "16") + Vertex("2", "0") + kSeqEnd));
  ASSERT_EQ(db().PolylineCount, 1);
  EXPECT_EQ(Row(1), (std::vector<float>{1, 1, 2, 0, 0}));
}

TEST_F(PolyTest, EmptyOrUnendedPolylinesLoseNothingAfterThem) {
  std::string text = Header({}) + kSeqEnd + LineEntity("0", "0", "0", "1", "0") +  // no vertices
                     Header({}) + LineEntity("0", "0", "0", "2", "0") +              // nothing of its own
                     Header({"70", "1"}) + Vertex("0", "0") + Vertex("5", "0") + Vertex("5", "5") +
                     LineEntity("0", "0", "0", "3", "0");                             // no SEQEND
  ASSERT_TRUE(Read(text));
  EXPECT_EQ(db().LineCount, 3);
  ASSERT_EQ(db().PolylineCount, 3);
  EXPECT_EQ(Row(3), (std::vector<float>{5, 5, 0, 0, 0}));
}

TEST_F(PolyTest, FlagsSixtyFourAloneIsAPolyfaceMesh) {
  auto meshVertex = [](const std::string& x, const std::string& y) {
    return Pairs({"0", "VERTEX", "8", "0", "10", x, "20", y, "70", "192"});
  };
  auto face = [](std::initializer_list<std::string> corners) {
    std::string text = Pairs({"0", "VERTEX", "8", "0", "10", "0", "20", "0", "70", "128"});
    int code = 71;
    for (const std::string& c : corners) text += Pairs({std::to_string(code++), c});
    return text;
  };
  std::string mesh1 = Header({"70", "64", "62", "2"}) + meshVertex("0", "0") + meshVertex("4", "0") +
                      meshVertex("4", "3") + face({"1", "2", "3"}) + face({"1", "-2", "3", "9"}) + kSeqEnd;
  std::string mesh2 = Header({"70", "64"}) + meshVertex("10", "10") + meshVertex("12", "10") + face({"1", "2"}) + kSeqEnd;
  std::string notMesh = Header({"70", "65"}) + Vertex("0", "0") + Vertex("1", "0") + kSeqEnd;
  ASSERT_TRUE(Read(mesh1 + mesh2 + notMesh));
  // Triangle: 1-2, 2-3, 3-1. Second face: 1-2; 2-3 hidden (-2); 3-9 and 9-1 out of range.
  // Mesh 2: 1-2, 2-1 of its own vertices. Then the closed two-vertex polyline.
  ASSERT_EQ(db().PolylineCount, 3 + 1 + 2 + 2);
  EXPECT_EQ(Row(1), (std::vector<float>{0, 0, 4, 0, 0}));
  EXPECT_EQ(Row(3), (std::vector<float>{4, 3, 0, 0, 0}));
  EXPECT_EQ(Row(4), (std::vector<float>{0, 0, 4, 0, 0}));
  EXPECT_EQ(Row(5), (std::vector<float>{10, 10, 12, 10, 0}));
  EXPECT_EQ(Row(6), (std::vector<float>{12, 10, 10, 10, 0}));
  EXPECT_EQ(db().PolylineTable(1).Color, 0x00FFFF);
  for (std::int32_t r = 1; r <= 6; ++r) {
    const auto& s = db().PolylineTable(r);
    EXPECT_FALSE(s.X1 == s.X2 && s.Y1 == s.Y2) << "no zero-length edge, row " << r;
  }
  EXPECT_EQ(db().DrawingExtents.Top, 10.0f);
}

TEST_F(PolyTest, InsideABlockSegmentsKeepFractionalWidthsAndMirrorBeforeTheBase) {
  std::string body = Header({"40", "0.75", "230", "-1"}) + Vertex("-4", "1", "0.5") + Vertex("-6", "1") + kSeqEnd;
  std::string blocks = Block("A", "2", "1", body);
  ASSERT_TRUE(Read(Pairs({"0", "INSERT", "8", "0", "2", "A", "10", "0", "20", "0"}), blocks));
  ASSERT_EQ(db().PolylineCount, 1);
  // (-(-4), 1) - (2, 1) = (2, 0); (6, 1) - (2, 1) = (4, 0).
  EXPECT_EQ(Row(1), (std::vector<float>{2, 0, 4, 0, -0.5f}));
  EXPECT_EQ(db().PolylineTable(1).Width, 0.75f);
  EXPECT_EQ(db().PolylineTable(1).InsertID, 1);
}

}  // namespace
