// The merged export: the number text, a small file checked by hand, and
// exports read back by the control, ezdxf and dxflib.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <tuple>

#include "../dxf_output.h"
#include "outside_readers.h"
#include "winplat/files.h"
#include "writer_fixture.h"

using namespace writertest;
using kelvane::DxfNumber;

namespace {

TEST(DxfNumber, TextOfEachValue) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.5f, "0.5"},     {-0.25f, "-0.25"},   {-2.0f, "-2"},       {0.0001f, "0.0001"},         {0.00001f, "1E-05"},
      {1.25E-07f, "1.25E-07"}, {12345678.0f, "1.234568E+07"}, {-0.0f, "0"}, {0.0f, "0"}, {90.0f, "90"},
      {1234567.0f, "1234567"}, {-0.5f, "-0.5"},  {3.14159265f, "3.141593"}, {1E30f, "1E+30"},
  };
  for (const auto& c : cases) EXPECT_EQ(DxfNumber(c.value), c.text) << c.value;
  for (float bad : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()}) {
    try {
      DxfNumber(bad, "the X of a LINE");
      ADD_FAILURE() << bad;
    } catch (const winplat::AutomationError& e) {
      EXPECT_EQ(e.Number(), 6);
      EXPECT_NE(e.Description().find("the X of a LINE"), std::string::npos);
    }
  }
}

TEST_F(WriterTest, SmallExportMatchesTheFileCheckedByHand) {
  Layer(" Walls ");
  Layer("WALLS");  // the same name but for case: one record, the first wins
  Layer("Doors\r\nX");  // a line end in a name becomes blanks
  db().Layers().Item(winplat::Variant(1))->LayerColor = 0x0000FF;
  std::int32_t line = AddLine(0, 0, 10, 0.5f, " Walls ");
  db().LineTable(line).Color = 0x00FF00;
  AddLine(1, 1, 2, 2, "WALLS");
  std::int32_t gone = AddLine(5, 5, 6, 6);
  db().LineTable(gone).Deleted = -1;
  AddSegment(0, 0, 10, 0, 0.5f, 0.25f);
  AddArc(5, 5, 2, 0, 90);
  AddArc(-5, 5, 1, 0, 0);
  AddSolid(0, 0, 1, 0, 1, 1, 0, 1);
  AddText(3, 4, "50\xD8 100%% \xB0\xB1 ", 2);
  AddPoint(7, -0.25f);
  AddEllipse(0, 0, 2, 0, 0.5f, 0, 6.283185f);
  db().LineTable(AddLine(9, 9, 9, 10, "Doors\r\nX")).Layer = 99;  // a layer that is not there
  const std::string path = "C:\\out\\small.dxf";
  std::filesystem::create_directories(Host("C:\\out\\"));
  EXPECT_TRUE(dxf->ExportMergedDXF(path).IsEmpty());
  const std::string golden = testsupport::ReadFile(readertest::OwnData() / "export_small.dxf");
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(testsupport::ReadFile(Host(path)), golden);
}

TEST_F(WriterTest, ExportReadsBackInTheControl) {
  AddLine(1.5f, 2.25f, -3.125f, 4);
  AddSegment(0, 0, 10, 0, 1);  // a half circle
  AddSegment(10, 0, 10, 10, -0.41421356f);
  AddArc(5, 5, 2, 30, 300);
  AddArc(-5, 5, 1, 0, 0);
  AddSolid(0, 0, 4, 0, 4, 3, 0, 2);  // outline order: the file's third point is the row's fourth corner
  for (std::int32_t align = 0; align <= 5; ++align) AddText(10.0f * align, 7.5f, "T" + std::to_string(align), align, 15);
  AddText(1, 1, "%%u", 0);
  db().TextTable(db().TextCount).Underline = -1;
  AddAttrib(20, 21, "ATT VALUE", 1);
  AddPoint(7, -0.25f);
  AddEllipse(0, 0, 2, 0, 0.5f, 0, 6.283185f);

  auto back = ExportAndReadBack("back.dxf");
  const kelvane::EntityDB& b = back->db;
  // Lines, polylines, circles, solids, texts (the attribute comes back as one), points, ellipses.
  EXPECT_EQ((std::array{b.LineCount, b.PolylineCount, b.CircleCount, b.SolidCount, b.TextCount, b.PointRowCount,
                        b.EllipseCount}),
            (std::array<std::int32_t, 7>{1, 2, 2, 1, 8, 1, 0}));
  // Line X1 and X2, the first bulge, the second segment's end Y, the arc's angles.
  EXPECT_EQ(std::tuple(b.LineTable(1).X1, b.LineTable(1).X2, b.PolylineTable(1).Bulge, b.PolylineTable(2).Y2,
                       b.CircleTable(1).StartAngle, b.CircleTable(1).EndAngle),
            std::tuple(1.5f, -3.125f, 1.0f, 10.0f, 30.0f, 300.0f));
  EXPECT_TRUE(Close(b.PolylineTable(2).Bulge, -0.41421356));
  EXPECT_EQ(b.CircleTable(2).StartAngle, b.CircleTable(2).EndAngle);
  const kelvane::SolidRecord& s = b.SolidTable(1);
  EXPECT_EQ((std::array<float, 8>{s.X1, s.Y1, s.X2, s.Y2, s.X3, s.Y3, s.X4, s.Y4}),
            (std::array<float, 8>{0, 0, 4, 0, 4, 3, 0, 2}));
  for (std::int32_t align = 0; align <= 5; ++align) {
    const kelvane::TextRecord& t = b.TextTable(align + 1);
    EXPECT_EQ(std::tuple(t.HorzAlign, t.X, t.Y, t.Rotation, t.Text.Trimmed()),
              std::tuple(align, 10.0f * align, 7.5f, 15.0f, "T" + std::to_string(align)));
  }
  EXPECT_EQ(std::tuple(b.TextTable(7).Text.Trimmed(), b.TextTable(7).Underline), std::tuple("%%u", -1));
  EXPECT_EQ(std::tuple(b.TextTable(8).Text.Trimmed(), b.TextTable(8).X), std::tuple("ATT VALUE", 20.0f));
  EXPECT_EQ(b.PointTable(1).Y, -0.25f);
  // The header carries the extents the export recomputed.
  EXPECT_EQ(back->db.DrawingExtents.Right, dxf->db.DrawingExtents.Right);
}

TEST_F(WriterTest, ExportReadsBackInEzdxfAndDxflib) {
  AddLine(1.5f, 2.25f, -3.125f, 4);
  AddSegment(0, 0, 10, 0, 1);
  AddSegment(10, 0, 10, 10, -0.5f);
  AddArc(5, 5, 2, 30, 300);
  AddArc(-5, 5, 1, 0, 0);
  AddSolid(0, 0, 4, 0, 4, 3, 0, 2);
  for (std::int32_t align = 0; align <= 5; ++align) AddText(10.0f * align, 7.5f, "T", align);
  AddAttrib(20, 21, "ATT", 2);
  AddPoint(7, -0.25f);
  AddLine(123456.7f, 0.001234567f, 1E-7f, -98765.43f);
  std::filesystem::create_directories(Host("C:\\out\\"));
  dxf->ExportMergedDXF("C:\\out\\outside.dxf");
  const std::map<std::string, int> counts = {{"LINE", 2}, {"POLYLINE", 2}, {"ARC", 1}, {"CIRCLE", 1},
                                             {"SOLID", 1}, {"TEXT", 7},     {"POINT", 1}};
  auto check = [&](const outside::Drawing& d, const char* reader) {
    ASSERT_TRUE(d.ok) << reader << ": " << d.error;
    EXPECT_EQ(d.Counts(), counts) << reader;
    const auto lines = d.OfKind("LINE");
    ASSERT_EQ(lines.size(), 2u);
    const double expected[] = {123456.7, 0.001234567, 1E-7, -98765.43};
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Close(lines[1].numbers[i], expected[i])) << reader << " " << i;
    const auto polylines = d.OfKind("POLYLINE");
    ASSERT_EQ(polylines.size(), 2u);
    EXPECT_EQ(polylines[1].numbers, (std::vector<double>{10, 0, -0.5, 10, 10, -0.5})) << reader;
    EXPECT_EQ(d.OfKind("SOLID")[0].numbers, (std::vector<double>{0, 0, 4, 0, 0, 2, 4, 3})) << reader;  // file order
    EXPECT_EQ(d.OfKind("ARC")[0].numbers, (std::vector<double>{5, 5, 2, 30, 300})) << reader;
    for (const auto& t : d.OfKind("TEXT")) EXPECT_EQ(t.numbers[1], t.text == "ATT" ? 21 : 7.5) << reader;
  };
  const std::filesystem::path file = Host("C:\\out\\outside.dxf");
  if (outside::EzdxfMissing().empty()) check(outside::ReadWithEzdxf({file})[0], "ezdxf");
  if (outside::DxflibMissing().empty()) check(outside::ReadWithDxflib(file), "dxflib");
  if (!outside::EzdxfMissing().empty() || !outside::DxflibMissing().empty())
    GTEST_SKIP() << outside::EzdxfMissing() << " " << outside::DxflibMissing();
}

TEST_F(WriterTest, RefusedWritesRaiseAndLeaveNothing) {
  AddLine(0, 0, 1, 1);
  const auto exportError = [&](const std::string& path) { return ErrorOf([&] { dxf->ExportMergedDXF(path); }); };
  // Neither writer runs while a read does.
  dxf->reader.Reading = true;
  std::filesystem::create_directories(Host("C:\\out\\"));
  EXPECT_NE(exportError("C:\\out\\r.dxf").second.find(kelvane::ReadRunningMessage("ExportMergedDXF")), std::string::npos);
  EXPECT_NE(ErrorOf([&] { dxf->Save("C:\\out\\s.dxf"); }).second.find(kelvane::ReadRunningMessage("Save")),
            std::string::npos);
  dxf->reader.Reading = false;
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\out\\r.dxf")));

  EXPECT_EQ(exportError("C:\\NoFolder\\x.dxf"),
            std::pair(76, std::string("Error 76 performing this action.  Path not found")));
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\NoFolder")));

  // A file someone holds open keeps its bytes, and no temporary file is left.
  const std::filesystem::path held = testsupport::WriteFile(Host("C:\\out\\held.dxf"), "old");
  const auto filesBefore = FilesIn(held.parent_path());
  winplat::File reader = winplat::File::OpenForReading("C:\\out\\held.dxf");
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_EQ(exportError("C:\\out\\held.dxf"),
            std::pair(70, std::string("Error 70 performing this action.  Permission denied")));
  EXPECT_EQ(testsupport::ReadFile(held), "old");
  EXPECT_EQ(FilesIn(held.parent_path()), filesBefore);

  // A value that is not finite fails the export; the earlier file stays.
  reader.Close();
  db().LineTable(1).X2 = std::numeric_limits<float>::infinity();
  EXPECT_THROW(dxf->ExportMergedDXF("C:\\out\\held.dxf"), winplat::AutomationError);
  EXPECT_EQ(testsupport::ReadFile(held), "old");
  EXPECT_EQ(FilesIn(held.parent_path()), filesBefore);
}

}  // namespace
