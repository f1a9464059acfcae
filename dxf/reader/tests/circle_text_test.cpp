// CIRCLE, ARC, ELLIPSE, TEXT, MTEXT and ATTRIB loaders, and the style mapping.
#include <gtest/gtest.h>

#include <cmath>

#include "../entity_loaders.h"
#include "drawing_text.h"
#include "reader_fixture.h"

using namespace readertest;

namespace {

class CircleTextTest : public ReaderTest {
 protected:
  bool Read(const std::string& entities, const std::string& blocks = "") {
    return Load(Put("ct.dxf", Drawing(blocks, entities)));
  }
  std::vector<float> Circle(std::int32_t r) {
    const auto& c = db().CircleTable(r);
    return {c.X, c.Y, c.Radius, c.StartAngle, c.EndAngle};
  }
  // One TEXT entity read; its row.
  const kelvane::TextRecord& OneText(std::initializer_list<std::string> groups, const std::string& kind = "TEXT") {
    std::string text = Pairs({"0", kind, "8", "0"});
    for (const std::string& g : groups) text += g + "\n";
    db().InitDB(true);
    EXPECT_TRUE(Read(text));
    EXPECT_EQ(db().TextCount, 1);
    return db().TextTable(1);
  }
  std::string Text(std::initializer_list<std::string> groups, const std::string& kind = "TEXT") {
    return OneText(groups, kind).Text.Trimmed();
  }
};

TEST_F(CircleTextTest, CirclesAndArcsWithTheirAnglesAndExtents) {
  auto arc = [](const std::string& x, const std::string& r, const std::string& a, const std::string& b) {
    return Pairs({"0", "ARC", "8", "0", "10", x, "20", "0", "40", r, "50", a, "51", b});
  };
  ASSERT_TRUE(Read(Pairs({"0", "CIRCLE", "8", "0", "10", "5", "20", "5", "40", "2"}) + arc("0", "1", "450", "720") +
                   arc("0", "1", "-90", "10") + arc("0", "1", "30", "30")));
  ASSERT_EQ(db().CircleCount, 4);
  EXPECT_EQ(Circle(1), (std::vector<float>{5, 5, 2, 0, 0}));
  EXPECT_EQ(Circle(2), (std::vector<float>{0, 0, 1, 90, 0}));
  EXPECT_EQ(Circle(3)[3], -90.0f);
  EXPECT_EQ(db().EntityIndex(4).EntityType, 4);
  EXPECT_EQ(db().DrawingExtents.Right, 7.0f);
  EXPECT_EQ(db().DrawingExtents.Top, 7.0f);
  EXPECT_EQ(db().DrawingExtents.Left, -1.0f);  // the equal-angle arc widens by its box

  db().InitDB(true);
  ASSERT_TRUE(Read(arc("0", "1", "0", "180")));
  // Only the end points: (1, 0) and (-1, ~0); the top at (0, 1) is not taken in.
  EXPECT_EQ(db().DrawingExtents.Right, 1.0f);
  EXPECT_NEAR(db().DrawingExtents.Left, -1.0f, 1e-5);
  EXPECT_LT(db().DrawingExtents.Top, 0.001f);
}

TEST_F(CircleTextTest, MirroredArcsAndCirclesTurnAboutTheYAxis) {
  std::string down = "210\n0\n220\n0\n230\n-1\n";
  ASSERT_TRUE(Read(Pairs({"0", "ARC", "8", "0", "10", "3", "20", "1", "40", "2", "50", "10", "51", "80"}) + down +
                   Pairs({"0", "CIRCLE", "8", "0", "10", "3", "20", "1", "40", "2"}) + down +
                   Pairs({"0", "LINE", "8", "0", "10", "3", "20", "1", "11", "4", "21", "1"}) + down));
  ASSERT_EQ(db().CircleCount, 2);
  EXPECT_EQ(Circle(1), (std::vector<float>{-3, 1, 2, 100, 170}));
  EXPECT_EQ(Circle(2), (std::vector<float>{-3, 1, 2, 0, 0}));
  EXPECT_EQ(db().LineTable(1).X1, 3.0f);  // lines are in world coordinates
}

TEST_F(CircleTextTest, EllipseKeepsItsAxisAndNeverWidens) {
  db().MergeOffsetX = 10;
  ASSERT_TRUE(Read(Pairs({"0", "ELLIPSE", "8", "0", "10", "1", "20", "2", "11", "3", "21", "0", "40", "0.5", "41", "0",
                          "42", "6.283"}) +
                   LineEntity("0", "0", "0", "1", "1")));
  ASSERT_EQ(db().EllipseCount, 1);
  const auto& e = db().EllipseTable(1);
  EXPECT_EQ(std::vector<float>({e.CenterX, e.CenterY, e.MajorX, e.MajorY, e.Ratio, e.EndParam}),
            std::vector<float>({11, 2, 3, 0, 0.5f, 6.283f}));
  EXPECT_EQ(db().DrawingExtents.Right, 11.0f);  // the line's end, not the ellipse
  EXPECT_EQ(db().DrawingExtents.Left, 10.0f);
}

TEST_F(CircleTextTest, CircleAndEllipseInsideABlockArePlacedByTheInsert) {
  std::string body = Pairs({"0", "CIRCLE", "8", "0", "10", "2", "20", "2", "40", "1"}) +
                     Pairs({"0", "ELLIPSE", "8", "0", "10", "2", "20", "2", "11", "2", "21", "0", "40", "0.5"});
  std::string ins = Pairs({"0", "INSERT", "8", "0", "2", "A", "10", "10", "20", "0", "41", "2", "42", "2", "50", "90"});
  ASSERT_TRUE(Read(ins, Block("A", "1", "1", body)));
  ASSERT_EQ(db().CircleCount, 1);
  EXPECT_NEAR(db().CircleTable(1).X, 8, 1e-4);
  EXPECT_NEAR(db().CircleTable(1).Y, 2, 1e-4);
  EXPECT_EQ(db().CircleTable(1).Radius, 2.0f);
  EXPECT_NEAR(db().CircleTable(1).StartAngle, 90, 1e-4);
  ASSERT_EQ(db().EllipseCount, 1);
  EXPECT_NEAR(db().EllipseTable(1).MajorX, 0, 1e-4);
  EXPECT_NEAR(db().EllipseTable(1).MajorY, 4, 1e-4);
}

TEST_F(CircleTextTest, ControlCodesQuotesAndHighCharacters) {
  const kelvane::TextRecord& u = OneText({"1", "%%uword"});
  EXPECT_EQ(u.Text.Trimmed(), "word");
  EXPECT_EQ(u.Underline, -1);
  EXPECT_EQ(Text({"1", "two%%uwords"}), "twowords");
  EXPECT_EQ(Text({"1", "%%c25"}), "\xD8" "25");
  EXPECT_EQ(Text({"1", "10%%d"}), "10\xB0");
  EXPECT_EQ(Text({"1", "%%P0.1"}), "\xB1" "0.1");
  EXPECT_EQ(Text({"1", "%%x"}), "");
  EXPECT_EQ(Text({"1", "caf\xE9"}), "caf?");
  EXPECT_EQ(Text({"1", "say \"hi\""}), "say ''hi''");
  // What used to end a read: a trailing "%%", and ";" in a short text.
  EXPECT_EQ(Text({"1", "50%%"}), "50%%");
  EXPECT_EQ(Text({"1", "50%%%"}), "50%");
  EXPECT_EQ(Text({"1", "a;b"}), "a;b");
  EXPECT_EQ(Text({"1", "a;"}, "MTEXT"), "a;");
  EXPECT_EQ(OneText({"1", "%%u"}).Underline, -1);
  EXPECT_EQ(OneText({"1", "plain"}).Underline, 0);
}

TEST_F(CircleTextTest, MTextFormattingChunksAndRotation) {
  EXPECT_EQ(Text({"1", "\\A1;word"}, "MTEXT"), "word");
  EXPECT_EQ(Text({"1", "{\\fArial|b0;Bold} and \\H2.5x;big\\Pnext"}, "MTEXT"), "Bold and big next");
  EXPECT_EQ(Text({"1", "1\\S1^2;\\\\path"}, "MTEXT"), "11/2\\path");
  // A paragraph and a column break both read as a blank; in TEXT they stay.
  EXPECT_EQ(Text({"1", "Line 1\\PLine 2\\NLine 3"}, "MTEXT"), "Line 1 Line 2 Line 3");
  EXPECT_EQ(Text({"1", "a\\N\\\\N"}, "MTEXT"), "a \\N");
  EXPECT_EQ(Text({"1", "Line 1\\NLine 2"}), "Line 1\\NLine 2");
  EXPECT_EQ(Text({"3", "first ", "3", "second ", "1", "last"}, "MTEXT"), "first second last");
  EXPECT_EQ(Text({"1", "keeps \\A1; in TEXT"}), "keeps \\A1; in TEXT");
  // Group 71 is the attachment; the direction vector or group 50 (radians) turns it.
  EXPECT_EQ(OneText({"1", "x", "71", "2", "50", "1"}, "MTEXT").Rotation, winplat::CSng(180.0 / M_PI));
  EXPECT_NEAR(OneText({"1", "x", "71", "5", "11", "0", "21", "1", "50", "1"}, "MTEXT").Rotation, 90, 1e-4);
  EXPECT_EQ(OneText({"1", "x", "10", "3", "20", "4"}, "MTEXT").X, 3.0f);
}

// The groups of an embedded object (from group 101 on) reuse the entity's
// codes and are not its values; before the 101 a repeated code keeps its last.
TEST_F(CircleTextTest, AnEmbeddedObjectLeavesTheEntitysOwnValues) {
  const kelvane::TextRecord& m =
      OneText({"10", "1", "10", "10", "20", "40", "40", "3", "41", "60", "1", "abc def", "101", "Embedded Object", "70",
               "1", "10", "1", "20", "0", "11", "0", "21", "4", "40", "53", "41", "0", "1", "column", "46", "2"},
              "MTEXT");
  EXPECT_EQ((std::vector<float>{m.X, m.Y, m.Height, m.Rotation}), (std::vector<float>{10, 40, 3, 0}));
  EXPECT_EQ(m.Text.Trimmed(), "abc def");
  // Any entity: a LINE's end is its own too; the next entity reads as usual.
  ASSERT_TRUE(Read(Pairs({"0", "LINE", "8", "0", "10", "1", "20", "2", "11", "3", "21", "4", "101", "Embedded Object",
                          "11", "99", "21", "99", "0", "LINE", "8", "0", "10", "5", "20", "6", "11", "7", "21", "8"})));
  ASSERT_EQ(db().LineCount, 2);
  EXPECT_EQ((std::vector<float>{db().LineTable(1).X2, db().LineTable(1).Y2, db().LineTable(2).X1}),
            (std::vector<float>{3, 4, 5}));
}

TEST_F(CircleTextTest, AnchorsAndRotations) {
  const kelvane::TextRecord& a = OneText({"1", "x", "10", "0", "20", "0", "11", "10", "21", "5", "72", "2"});
  EXPECT_EQ(a.X, 10.0f);
  EXPECT_EQ(a.Y, 0.0f);
  EXPECT_EQ(a.HorzAlign, 2);
  EXPECT_EQ(OneText({"1", "x", "10", "1", "20", "2", "11", "10", "21", "5", "72", "4"}).Y, 5.0f);
  EXPECT_EQ(OneText({"1", "x", "10", "1", "20", "2", "72", "7"}).X, 0.0f);
  EXPECT_NEAR(OneText({"1", "x", "11", "10", "21", "10", "72", "5", "50", "12"}).Rotation, 45, 1e-3);
  EXPECT_NEAR(OneText({"1", "x", "11", "-10", "21", "-10", "72", "5"}).Rotation, 45, 1e-3);
  EXPECT_EQ(OneText({"1", "x", "71", "2", "50", "30"}).Rotation, -150.0f);
  const kelvane::TextRecord& longText = OneText({"1", std::string(130, 'z')});
  EXPECT_EQ(longText.Text.Trimmed().size(), 100u);
}

TEST_F(CircleTextTest, RedlineTextHeightEndsAtTheTallestText) {
  dxf->RedlineTextHeight = 50;
  ASSERT_TRUE(Read(Pairs({"0", "TEXT", "8", "0", "40", "2.5", "1", "a", "0", "TEXT", "8", "0", "40", "5", "1", "b", "0",
                          "TEXT", "8", "0", "40", "3", "1", "c"})));
  EXPECT_EQ(dxf->RedlineTextHeight, 5.0f);
}

TEST_F(CircleTextTest, StylesMapToFacesAndWidthFactors) {
  dxf->MonoFontName = "Courier New";
  dxf->MonoFontScalar = 1.1f;
  dxf->PropFontName = "Arial";
  dxf->PropFontScalar = 0.9f;
  auto map = [&](const std::string& style) {
    std::string name = style;
    float factor = 0;
    kelvane::MapDXFFont(*dxf, name, factor);
    return std::make_pair(name, factor);
  };
  EXPECT_EQ(map(" romans "), std::make_pair(std::string("Arial"), 0.9f));
  EXPECT_EQ(map("Standard"), std::make_pair(std::string("Courier New"), 1.1f));
  EXPECT_EQ(map("WHATEVER"), std::make_pair(std::string("Courier New"), 1.1f));
  EXPECT_EQ(map(""), std::make_pair(std::string("Courier New"), 1.1f));
  dxf->UseDXFFonts = -1;
  EXPECT_EQ(map("CKSTANDARD"), std::make_pair(std::string("TXT"), 1.3f));
  EXPECT_EQ(map("monotxt"), std::make_pair(std::string("TXT"), 1.0f));
  EXPECT_EQ(map("GOTHICE"), std::make_pair(std::string("TXT"), 1.2f));
  EXPECT_EQ(map("1"), std::make_pair(std::string("TXT"), 1.4f));
  EXPECT_EQ(map(""), std::make_pair(std::string("TXT"), 2.0f));
  const kelvane::TextRecord& t = OneText({"1", "x", "7", "SIMPLEX"});
  EXPECT_EQ(t.FontName.Trimmed(), "TXT");
  EXPECT_EQ(t.WidthFactor, 1.4f);
}

TEST_F(CircleTextTest, TextInsideABlockKeepsItsWholeTextInTheRecord) {
  std::string longText(130, 'q');
  std::string body = Pairs({"0", "TEXT", "8", "0", "10", "1", "20", "1", "40", "1", "1", longText});
  ASSERT_TRUE(Read("", Block("A", "0", "0", body) + Block("B", "0", "0", "")));
  EXPECT_EQ(db().TextCount, 0);
  // Read again with an insert: the row is cut, so the record held it whole (the
  // record is read back field by field, and a cut record would end the replay early).
  db().InitDB(true);
  ASSERT_TRUE(Read(Pairs({"0", "INSERT", "8", "0", "2", "A", "10", "0", "20", "0"}) + LineEntity("0", "0", "0", "1", "0"),
                   Block("A", "0", "0", body + LineEntity("0", "0", "0", "9", "9"))));
  ASSERT_EQ(db().TextCount, 1);
  EXPECT_EQ(db().TextTable(1).Text.Trimmed(), std::string(100, 'q'));
  EXPECT_EQ(db().LineCount, 2);
}

}  // namespace
