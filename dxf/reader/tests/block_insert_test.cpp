// Block definitions replayed for INSERT and DIMENSION: placement, layers,
// mirroring, nested, deferred and cyclic inserts, attributes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "drawing_text.h"
#include "reader_fixture.h"

using namespace readertest;

namespace {

std::string Insert(const std::string& name, const std::string& layer, const std::string& x, const std::string& y,
                   std::initializer_list<std::string> more = {}) {
  std::string text = Pairs({"0", "INSERT", "8", layer, "2", name, "10", x, "20", y});
  for (auto it = more.begin(); it != more.end(); ++it) text += *it + "\n";
  return text;
}

class BlockTest : public ReaderTest {
 protected:
  bool Read(const std::string& text) { return Load(Put("blocks.dxf", text)); }
};

TEST_F(BlockTest, InsertScalesRotatesAndMovesTheBlockAndKeepsItsTruePoint) {
  std::string blocks = Block("A", "1", "1", LineEntity("0", "1", "1", "2", "1"));
  ASSERT_TRUE(Read(Drawing(blocks, Insert("A", "0", "10", "10", {"41", "2", "42", "2", "50", "90"}))));
  ASSERT_EQ(db().LineCount, 1);
  const auto& l = db().LineTable(1);
  EXPECT_NEAR(l.X1, 10, 1e-4);
  EXPECT_NEAR(l.Y1, 10, 1e-4);
  EXPECT_NEAR(l.X2, 10, 1e-4);
  EXPECT_NEAR(l.Y2, 12, 1e-4);
  EXPECT_EQ(l.InsertID, 1);
  ASSERT_EQ(db().InsertCount, 1);
  const auto& ins = db().InsertTable(1);
  EXPECT_EQ(ins.X, 10.0f);  // the insertion point itself, not scaled
  EXPECT_EQ(ins.Y, 10.0f);
  EXPECT_EQ(ins.BlockName.Trimmed(), "A");
  EXPECT_NEAR(ins.Left, 10, 1e-4);
  EXPECT_NEAR(ins.Top, 12, 1e-4);
  EXPECT_NEAR(db().DrawingExtents.Top, 12, 1e-4);
  // The block's own definition drew nothing and widened nothing.
  EXPECT_EQ(db().EntityCount, 1);
  EXPECT_NEAR(db().DrawingExtents.Bottom, 10, 1e-4);
}

TEST_F(BlockTest, MissingOrZeroScalesReadAsOne) {
  std::string blocks = Block("A", "0", "0", LineEntity("0", "0", "0", "3", "4"));
  ASSERT_TRUE(Read(Drawing(blocks, Insert("A", "0", "1", "1") + Insert("A", "0", "1", "1", {"41", "0", "42", "0"}) +
                                       Insert("A", "0", "0", "0", {"41", "-2", "42", "3"}))));
  ASSERT_EQ(db().LineCount, 3);
  for (int r = 1; r <= 2; ++r) {
    EXPECT_EQ(db().LineTable(r).X2, 4.0f) << r;
    EXPECT_EQ(db().LineTable(r).Y2, 5.0f) << r;
  }
  EXPECT_EQ(db().LineTable(3).X2, -6.0f);
  EXPECT_EQ(db().LineTable(3).Y2, 12.0f);
}

TEST_F(BlockTest, EntitiesOnTheFirstLayerTakeTheInsertsLayerAndColour) {
  std::string body = LineEntity("0", "0", "0", "1", "0") + LineEntity("KEEP", "0", "0", "1", "1") +
                     Pairs({"0", "CIRCLE", "8", "0", "62", "3", "10", "0", "20", "0", "40", "1"});
  ASSERT_TRUE(Read(Drawing(Block("A", "0", "0", body), Insert("A", "INS", "0", "0", {"62", "1"}))));
  // Layer 1 is "0" (the first read), 2 is "KEEP", 3 the insert's.
  ASSERT_EQ(LayerName(3), "INS");
  ASSERT_EQ(db().LineCount, 2);
  EXPECT_EQ(db().LineTable(1).Layer, 3);
  EXPECT_EQ(db().LineTable(2).Layer, 2);
  EXPECT_EQ(db().LineTable(1).Color, 0x0010FF);  // the insert's colour 1 on lines
  ASSERT_EQ(db().CircleCount, 1);
  EXPECT_EQ(db().CircleTable(1).Layer, 3);
  EXPECT_EQ(db().CircleTable(1).Color, 0x00FF00);  // a circle keeps its own
}

TEST_F(BlockTest, MirroringInsertTurnsArcsAndBulges) {
  std::string body = Pairs({"0", "ARC", "8", "0", "10", "1", "20", "0", "40", "1", "50", "10", "51", "80"}) +
                     Pairs({"0", "POLYLINE", "8", "0", "66", "1", "10", "0", "20", "0", "0", "VERTEX", "8", "0", "10", "0",
                            "20", "0", "42", "0.5", "0", "VERTEX", "8", "0", "10", "2", "20", "0", "0", "SEQEND"});
  ASSERT_TRUE(Read(Drawing(Block("A", "0", "0", body), Insert("A", "0", "10", "0", {"41", "-1"}))));
  ASSERT_EQ(db().CircleCount, 1);
  const auto& c = db().CircleTable(1);
  EXPECT_EQ(c.X, 9.0f);
  EXPECT_EQ(c.StartAngle, 100.0f);
  EXPECT_EQ(c.EndAngle, 170.0f);
  ASSERT_EQ(db().PolylineCount, 1);
  const auto& s = db().PolylineTable(1);
  EXPECT_EQ(s.X1, 10.0f);
  EXPECT_EQ(s.X2, 8.0f);
  EXPECT_EQ(s.Bulge, -0.5f);  // the arc still bulges the same side in the world
}

TEST_F(BlockTest, TextsTurnWithTheInsertAndTakeTheSizeOfTheXScale) {
  std::string body = Pairs({"0", "TEXT", "8", "0", "10", "1", "20", "0", "40", "2", "50", "10", "1", "HI"});
  ASSERT_TRUE(Read(Drawing(Block("A", "0", "0", body), Insert("A", "0", "5", "5", {"41", "-3", "42", "3", "50", "30"}))));
  ASSERT_EQ(db().TextCount, 1);
  const auto& t = db().TextTable(1);
  EXPECT_EQ(t.Height, 6.0f);
  EXPECT_EQ(t.Rotation, 40.0f);
  EXPECT_EQ(t.Text.Trimmed(), "HI");
  EXPECT_EQ(t.InsertID, 1);
}

TEST_F(BlockTest, NestedInsertsArePlacedThroughTheirHost) {
  std::string blocks = Block("B", "0", "0", LineEntity("0", "0", "0", "1", "0")) +
                       Block("A", "10", "0", Insert("B", "0", "15", "0", {"41", "2"}) + LineEntity("0", "10", "0", "10", "1"));
  ASSERT_TRUE(Read(Drawing(blocks, Insert("A", "0", "100", "0"))));
  ASSERT_EQ(db().LineCount, 2);
  EXPECT_EQ(db().LineTable(1).X1, 105.0f);  // B at 5 within A, A at 100
  EXPECT_EQ(db().LineTable(1).X2, 107.0f);
  EXPECT_EQ(db().LineTable(2).X1, 100.0f);
  // The nested insert has its own row, relative to its host.
  ASSERT_EQ(db().InsertCount, 2);
  EXPECT_EQ(db().InsertTable(1).X, 5.0f);
  EXPECT_EQ(db().InsertTable(2).X, 100.0f);
}

TEST_F(BlockTest, InsertOfABlockDefinedLaterIsDeferredToTheEntities) {
  std::string blocks = Block("A", "0", "0", Insert("B", "0", "5", "0") + LineEntity("0", "0", "0", "0", "1")) +
                       Block("B", "0", "0", LineEntity("0", "0", "0", "1", "0"));
  ASSERT_TRUE(Read(Drawing(blocks, Insert("A", "0", "100", "0") + Insert("A", "0", "200", "0"))));
  EXPECT_EQ(db().DeferredInsertCount, 1);
  EXPECT_EQ(db().DeferredInsertTable(1).BlockName.Trimmed(), "B");
  // Each INSERT of A shows A's line and B's.
  ASSERT_EQ(db().LineCount, 4);
  EXPECT_EQ(db().LineTable(1).X1, 100.0f);
  EXPECT_EQ(db().LineTable(2).X1, 105.0f);
  EXPECT_EQ(db().LineTable(2).X2, 106.0f);
  EXPECT_EQ(db().LineTable(4).X1, 205.0f);
}

TEST_F(BlockTest, SelfInsertsAndCyclesAreSkipped) {
  std::string blocks = Block("S", "0", "0", LineEntity("0", "0", "0", "1", "0") + Insert("S", "0", "1", "0")) +
                       Block("A", "0", "0", LineEntity("0", "0", "0", "2", "0") + Insert("B", "0", "0", "1")) +
                       Block("B", "0", "0", LineEntity("0", "0", "0", "3", "0") + Insert("A", "0", "0", "1"));
  ASSERT_TRUE(Read(Drawing(blocks, Insert("S", "0", "0", "0") + Insert("A", "0", "0", "0") + Insert("B", "0", "0", "0"))));
  // S: its line once. B holds A (defined before it); A cannot then take B back.
  EXPECT_EQ(db().LineCount, 1 + 1 + 2);
}

TEST_F(BlockTest, NestingIsCapped) {
  std::string blocks = Block("B0", "0", "0", LineEntity("0", "0", "0", "1", "0"));
  for (int i = 1; i <= 18; ++i)
    blocks += Block("B" + std::to_string(i), "0", "0", Insert("B" + std::to_string(i - 1), "0", "0", "1"));
  ASSERT_TRUE(Read(Drawing(blocks, Insert("B16", "0", "0", "0"))));
  ASSERT_EQ(db().LineCount, 1);
  EXPECT_EQ(db().LineTable(1).Y1, 16.0f);
  db().InitDB(true);
  ASSERT_TRUE(Read(Drawing(blocks, Insert("B17", "0", "0", "0"))));
  EXPECT_EQ(db().LineCount, 0);
}

// Blocks that insert blocks many times over: the read holds to its budgets
// and fails, with the data base as before, when a drawing would exceed them.
TEST_F(BlockTest, MultiplyingInsertsAreRefusedBeforeTheyAreMade) {
  auto repeat = [](int n, const std::string& text) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
  };
  const std::string tenLines = repeat(10, LineEntity("0", "0", "0", "1", "1"));
  auto inserts = [&](int n, const std::string& name) { return repeat(n, Insert(name, "0", "0", "0")); };
  // Four levels of ten: a block of 10,000 lines from a drawing of a few KB.
  const std::string tenThousand = Block("A", "0", "0", tenLines) + Block("B", "0", "0", inserts(10, "A")) +
                                  Block("C", "0", "0", inserts(10, "B")) + Block("D", "0", "0", inserts(10, "C"));
  const std::string thousand = Block("T", "0", "0", repeat(100, tenLines));
  const std::string rows = "more than 200000 entities after its blocks are placed";
  const std::string copies = "its nested blocks copy more than 1000000 records";
  struct Case {
    const char* name;
    std::string text;
    std::string error;  // "" reads
    std::int32_t lines;
  };
  const Case cases[] = {
      {"nested blocks placed 30 times", Drawing(tenThousand, inserts(30, "D")), rows, 0},
      {"nested blocks placed 20 times: at the budget", Drawing(tenThousand, inserts(20, "D")), "", 200000},
      {"at the budget, then ten more placed",
       Drawing(thousand + Block("A", "0", "0", tenLines), inserts(200, "T") + inserts(1, "A")), rows, 0},
      {"a thousand placed 200 times: at the budget", Drawing(thousand, inserts(200, "T")), "", 200000},
      {"copies nested past the cap", Drawing(tenThousand + Block("E", "0", "0", inserts(101, "D")), inserts(1, "A")),
       copies, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    db().InitDB(true);
    const std::string error = LoadError(Put("budget.dxf", c.text));
    if (c.error.empty()) {
      EXPECT_EQ(error, "");
    } else {
      EXPECT_NE(error.find("\r\nDrawing too complex: " + c.error), std::string::npos) << error;
    }
    EXPECT_EQ(db().LineCount, c.lines);
  }
}

TEST_F(BlockTest, LongBlockNamesAreFoundWhole) {
  std::string a(60, 'x'), b = a;
  b.back() = 'y';  // differs only beyond the 50 characters the host sees
  std::string blocks = Block(a, "0", "0", LineEntity("0", "0", "0", "1", "0")) +
                       Block(b, "0", "0", LineEntity("0", "0", "0", "2", "0"));
  ASSERT_TRUE(Read(Drawing(blocks, Insert(b, "0", "0", "0"))));
  ASSERT_EQ(db().LineCount, 1);
  EXPECT_EQ(db().LineTable(1).X2, 2.0f);
}

TEST_F(BlockTest, DimensionPlacesItsBlockMovedOnItsLayer) {
  std::string body = LineEntity("0", "0", "0", "4", "0") +
                     Pairs({"0", "SOLID", "8", "0", "10", "0", "20", "0", "11", "1", "21", "0", "12", "0", "22", "1", "13",
                            "1", "23", "1"}) +
                     Pairs({"0", "MTEXT", "8", "0", "10", "2", "20", "1", "40", "0.5", "1", "4.00"}) +
                     Pairs({"0", "POINT", "8", "0", "10", "4", "20", "0"});
  // A dimension naming no block has nothing to place.
  std::string dims = Pairs({"0", "DIMENSION", "8", "DIM", "2", "*D1", "12", "10", "22", "20"}) +
                     Pairs({"0", "DIMENSION", "8", "DIM", "12", "5"});
  ASSERT_TRUE(Read(Drawing(Block("*D1", "0", "0", body), dims)));
  ASSERT_EQ(db().LineCount, 1);
  EXPECT_EQ(db().LineTable(1).X1, 10.0f);
  EXPECT_EQ(db().LineTable(1).Y1, 20.0f);
  EXPECT_EQ(LayerName(db().LineTable(1).Layer), "DIM");
  EXPECT_EQ(db().LineTable(1).InsertID, 0);
  ASSERT_EQ(db().SolidCount, 1);
  EXPECT_EQ(db().SolidTable(1).X4, 10.0f);
  ASSERT_EQ(db().TextCount, 1);
  EXPECT_EQ(db().TextTable(1).X, 12.0f);
  EXPECT_EQ(db().TextTable(1).Text.Trimmed(), "4.00");
  ASSERT_EQ(db().PointRowCount, 1);
  EXPECT_EQ(db().PointTable(1).X, 14.0f);
  EXPECT_EQ(db().InsertCount, 0);
  EXPECT_EQ(db().DrawingExtents.Right, 14.0f);
}

TEST_F(BlockTest, DimensionInsideABlockIsSpooledWithIt) {
  std::string blocks = Block("*D1", "0", "0", LineEntity("0", "0", "0", "4", "0")) +
                       Block("A", "1", "0", Pairs({"0", "DIMENSION", "8", "0", "2", "*D1", "12", "1", "22", "0"}));
  ASSERT_TRUE(Read(Drawing(blocks, Insert("A", "0", "10", "0"))));
  ASSERT_EQ(db().LineCount, 1);
  EXPECT_EQ(db().LineTable(1).X1, 10.0f);
  EXPECT_EQ(db().LineTable(1).X2, 14.0f);
}

// What a drawing places, whatever order its rows were made in: each row's
// kind, layer name and points (to the thousandth), sorted; and its extents.
struct Placed {
  std::vector<std::string> rows;
  std::array<float, 4> extents{};
  bool operator==(const Placed&) const = default;
};

void PrintTo(const Placed& p, std::ostream* out) {
  for (const std::string& row : p.rows) *out << "\n  " << row;
  *out << "\n  extents " << p.extents[0] << " " << p.extents[1] << " " << p.extents[2] << " " << p.extents[3];
}

class PlacedTest : public BlockTest {
 protected:
  Placed Rows() {
    Placed p;
    auto add = [&](const char* kind, std::int32_t layer, std::initializer_list<float> points) {
      std::string row = std::string(kind) + " " + LayerName(layer);
      for (float v : points) row += " " + std::to_string(std::lround(v * 1000));
      p.rows.push_back(row);
    };
    const kelvane::EntityDB& d = db();
    for (std::int32_t i = 1; i <= d.LineCount; ++i) {
      const auto& r = d.LineTable(i);
      add("line", r.Layer, {r.X1, r.Y1, r.X2, r.Y2});
    }
    for (std::int32_t i = 1; i <= d.PolylineCount; ++i) {
      const auto& r = d.PolylineTable(i);
      add("segment", r.Layer, {r.X1, r.Y1, r.X2, r.Y2});
    }
    for (std::int32_t i = 1; i <= d.TextCount; ++i) {
      const auto& r = d.TextTable(i);
      add(("text " + r.Text.Trimmed()).c_str(), r.Layer, {r.X, r.Y, r.Height});
    }
    for (std::int32_t i = 1; i <= d.CircleCount; ++i) {
      const auto& r = d.CircleTable(i);
      add("circle", r.Layer, {r.X, r.Y, r.Radius, r.StartAngle, r.EndAngle});
    }
    for (std::int32_t i = 1; i <= d.SolidCount; ++i) {
      const auto& r = d.SolidTable(i);
      add("solid", r.Layer, {r.X1, r.Y1, r.X2, r.Y2, r.X3, r.Y3, r.X4, r.Y4});
    }
    for (std::int32_t i = 1; i <= d.PointRowCount; ++i) {
      const auto& r = d.PointTable(i);
      add("point", r.Layer, {r.X, r.Y});
    }
    std::sort(p.rows.begin(), p.rows.end());
    const auto& e = d.DrawingExtents;
    p.extents = {e.Left, e.Top, e.Right, e.Bottom};
    return p;
  }
  Placed ReadRows(const std::string& text) {
    db().InitDB(true);
    EXPECT_TRUE(Read(text));
    return Rows();
  }
};

// A DIMENSION inside a block draws whichever of its block and the host comes
// first in the file, moved only and wholly on the dimension's layer; so does
// it through a block that copied its host before the dimension's block was
// defined, and through a block defined before the host.
TEST_F(PlacedTest, ADimensionInABlockDrawsWhicheverBlockComesFirst) {
  const std::string d1 = Block("*D1", "0", "0",
                               LineEntity("0", "0", "0", "4", "0") + LineEntity("KEEP", "0", "1", "4", "1") +
                                   Pairs({"0", "MTEXT", "8", "0", "10", "2", "20", "1", "40", "0.5", "1", "4.00"}) +
                                   Pairs({"0", "POINT", "8", "0", "10", "4", "20", "0"}));
  const std::string a = Block("A", "1", "0",
                              LineEntity("PART", "0", "0", "0", "9") +
                                  Pairs({"0", "DIMENSION", "8", "DIM", "2", "*D1", "12", "3", "22", "2"}) +
                                  LineEntity("PART", "1", "0", "1", "9"));
  const std::string b = Block("B", "0", "0", Insert("A", "0", "0", "0"));
  // Never inserted: its line makes layer "0" the first layer in every order,
  // the one whose records take the insert's layer.
  const std::string z = Block("Z", "0", "0", LineEntity("0", "0", "0", "1", "1"));
  const std::string placeA = Insert("A", "INS", "10", "20");
  const std::string placeB = Insert("B", "INS", "10", "20");
  const std::string copyOfB = Block("C", "0", "0", Insert("B", "0", "0", "0"));
  const std::string placeC = Insert("C", "INS", "10", "20");

  const Placed expected = ReadRows(Drawing(z + d1 + a, placeA));
  ASSERT_EQ(expected.rows.size(), 6u);
  EXPECT_EQ(expected.rows.front(), "line DIM 12000 22000 16000 22000") << "moved by the dimension, then the insert";
  EXPECT_EQ(std::count_if(expected.rows.begin(), expected.rows.end(),
                          [](const std::string& r) { return r.find(" DIM ") != std::string::npos; }),
            4) << "every record of the dimension on its layer";
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"host first", Drawing(z + a + d1, placeA)},
      {"host, its copy, the dimension's block", Drawing(z + a + b + d1, placeB)},
      {"the copy, the host, the dimension's block", Drawing(z + b + a + d1, placeB)},
      {"the dimension's block, the host, its copy", Drawing(z + d1 + a + b, placeB)},
      {"host, its copy, a copy of that, the dimension's block", Drawing(z + a + b + copyOfB + d1, placeC)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadRows(c.text), expected);
  }
  // The insert's box takes in the dimension in either order.
  auto box = [&](const std::string& text) {
    db().InitDB(true);
    EXPECT_TRUE(Read(text));
    EXPECT_EQ(db().InsertCount, 1);
    const auto& r = db().InsertTable(1);
    return std::array<float, 4>{r.Left, r.Top, r.Right, r.Bottom};
  };
  EXPECT_EQ(box(Drawing(z + a + d1, placeA)), box(Drawing(z + d1 + a, placeA)));
  EXPECT_EQ(box(Drawing(z + a + d1, placeA))[2], 16.0f);
}

// A DIMENSION whose block is never defined ends the read with the error that
// names the block, inside a block or not, with or without an ENTITIES
// section; the data base is left as it was.
TEST_F(BlockTest, ADimensionWhoseBlockIsNeverDefinedEndsTheRead) {
  const std::string dim = Pairs({"0", "DIMENSION", "8", "DIM", "2", "*D9", "12", "1", "22", "0"});
  const std::string host = Block("A", "0", "0", LineEntity("0", "0", "0", "1", "0") + dim);
  const std::string blocksOnly = Pairs({"0", "SECTION", "2", "BLOCKS"}) + host + Pairs({"0", "ENDSEC", "0", "EOF"});
  for (const std::string& text : {Drawing("", LineEntity("0", "0", "0", "1", "0") + dim),
                                  Drawing(host, Insert("A", "0", "0", "0")), blocksOnly}) {
    SCOPED_TRACE(text);
    db().InitDB(true);
    const std::string error = LoadError(Put("undefined_dimension.dxf", text));
    EXPECT_NE(error.find("\r\n*D9 has been referenced in the DXF file but a definition of this block was not found "
                         "in the header.\r\n ->  DXFDimension."),
              std::string::npos)
        << error;
    EXPECT_EQ(db().LineCount, 0);
    EXPECT_EQ(db().EntityCount, 0);
  }
  // A shared drawing whose dimensions name blocks it never defines.
  const auto shared = testsupport::SharedDxfCorpus();
  const auto file = shared / "mozman-ezdxf" / "duplicate_handles.dxf";
  if (shared.empty() || !std::filesystem::exists(file)) return;
  db().InitDB(true);
  const std::string error = LoadError(PutFile(file));
  EXPECT_NE(error.find("\r\n*D1 has been referenced in the DXF file"), std::string::npos) << error;
}

// The shared drawings with dimensions in blocks (one a chain of blocks whose
// innermost holds the dimension, its block defined last) read as they read
// with each dimension's block moved before the first block definition.
TEST_F(PlacedTest, SharedDrawingsWithDimensionsInBlocksDrawThem) {
  const auto shared = testsupport::SharedDxfCorpus();
  if (shared.empty()) GTEST_SKIP() << "no shared/testdata/dxf beside the source tree";
  for (const char* name : {"dimension_in_block.dxf", "dimension_in_nested_blocks.dxf"}) {
    SCOPED_TRACE(name);
    const auto file = shared / "mozman-ezdxf" / name;
    if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not in the corpus";
    const std::string text = testsupport::ReadFile(file);
    // The block definitions, each from its BLOCK to the next BLOCK or ENDSEC.
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    std::size_t at = text.find("\nBLOCKS");
    ASSERT_NE(at, std::string::npos);
    const std::size_t end = text.find("\nENDSEC", at);
    for (std::size_t b = text.find("\nBLOCK\n", at); b < end; b = text.find("\nBLOCK\n", b + 1)) {
      const std::size_t start = text.rfind('\n', b - 1) + 1;  // the line of its group code
      if (!spans.empty()) spans.back().second = start;
      spans.emplace_back(start, end);
    }
    spans.back().second = text.rfind('\n', end - 1) + 1;
    // A block's name: the value of its first group 2.
    auto nameOf = [](const std::string& block) {
      std::istringstream in(block);
      std::string code, value;
      while (std::getline(in, code) && std::getline(in, value))
        if (code.find_first_not_of(' ') != std::string::npos && code.substr(code.find_first_not_of(' ')) == "2")
          return value;
      return std::string();
    };
    std::string dimensionBlocks, others;
    for (const auto& [from, to] : spans) {
      const std::string block = text.substr(from, to - from);
      (nameOf(block).rfind("*D", 0) == 0 ? dimensionBlocks : others) += block;
    }
    ASSERT_FALSE(dimensionBlocks.empty());
    const std::string reordered =
        text.substr(0, spans.front().first) + dimensionBlocks + others + text.substr(spans.back().second);
    ASSERT_EQ(reordered.size(), text.size());
    const Placed asWritten = ReadRows(text), dimensionsFirst = ReadRows(reordered);
    EXPECT_GT(db().TextCount, 0) << "the dimensions' texts";
    EXPECT_EQ(asWritten, dimensionsFirst);
  }
}

TEST_F(BlockTest, AttributesBelongToThePlacedInsertBeforeThem) {
  auto attrib = [](const std::string& flags, const std::string& value) {
    return Pairs({"0", "ATTRIB", "8", "OWN", "10", "1", "20", "2", "40", "2", "1", value, "2", "TAG", "70", flags});
  };
  std::string blocks = Block("A", "0", "0", LineEntity("0", "0", "0", "1", "0"));
  std::string entities;
  for (int i = 0; i < 3; ++i) entities += Insert("A", "L" + std::to_string(i), "0", "0");
  entities += Insert("A", "FOURTH", "0", "0", {"66", "1"}) + attrib("0", "V1") + attrib("1", "HIDDEN") +
              attrib("3", "V3") + Pairs({"0", "SEQEND"}) + Insert("NONE", "0", "0", "0", {"66", "1"}) +
              attrib("0", "ORPHAN") + Pairs({"0", "SEQEND"});
  ASSERT_TRUE(Read(Drawing(blocks, entities)));
  ASSERT_EQ(db().AttribCount, 2);
  const auto& a = db().AttribTable(1);
  EXPECT_EQ(a.ParentInsert, 4);
  EXPECT_EQ(LayerName(a.Layer), "FOURTH");
  EXPECT_EQ(a.TagValue.Trimmed(), "V1");
  EXPECT_EQ(a.TagName.Trimmed(), "TAG");
  EXPECT_EQ(a.X, 1.0f);
  EXPECT_EQ(a.BlockNumber, 1);
  EXPECT_EQ(db().AttribTable(2).TagValue.Trimmed(), "V3");
}

TEST_F(BlockTest, DeferredInsertWithoutAnyInsertRowReadsOn) {
  // Nothing is ever inserted in the entities: the deferred replay has no box to widen.
  std::string blocks = Block("A", "0", "0", Insert("B", "0", "0", "0")) +
                       Block("B", "0", "0", LineEntity("0", "0", "0", "1", "0"));
  ASSERT_TRUE(Read(Drawing(blocks, LineEntity("0", "5", "5", "6", "6"))));
  EXPECT_EQ(db().InsertCount, 0);
  EXPECT_EQ(db().LineCount, 1);
}

// Later inserts of a block replay what the first one read; a block file
// appended to since (a deferred insert) is read again and shows what was
// appended, and so does every block that had copied it before.
TEST_F(BlockTest, RepeatedInsertsShowTheBlockAsItsFileHoldsItNow) {
  // A holds an insert of B, defined later; C copies A before B is appended to A.
  const std::string blocks =
      Block("A", "0", "0", Insert("B", "0", "5", "0") + LineEntity("0", "0", "0", "0", "1")) +
      Block("C", "0", "0", Insert("A", "0", "0", "0")) + Block("B", "0", "0", LineEntity("0", "0", "0", "1", "0"));
  struct Case {
    std::string entities;
    int lines;
  };
  const Case cases[] = {
      {Insert("A", "0", "100", "0"), 2},
      {Insert("A", "0", "100", "0") + Insert("A", "0", "200", "0") + Insert("A", "0", "300", "0"), 6},
      {Insert("C", "0", "100", "0") + Insert("C", "0", "200", "0"), 4},  // C shows B through A
      {Insert("C", "0", "100", "0") + Insert("A", "0", "200", "0") + Insert("C", "0", "300", "0"), 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entities);
    const int before = db().LineCount;  // reads add to the data base
    ASSERT_TRUE(Read(Drawing(blocks, c.entities)));
    EXPECT_EQ(db().LineCount - before, c.lines);
    // Every line of an insert at X lies at X or X + 5.
    for (int r = before + 1; r <= db().LineCount; ++r) {
      const float x = db().LineTable(r).X1;
      EXPECT_TRUE(std::fmod(x, 100.0f) == 0.0f || std::fmod(x, 100.0f) == 5.0f) << x;
    }
  }
}

}  // namespace
