#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"
#include "winplat/components/grid.h"
#include "winplat/paths.h"

using winplat::SpreadGrid;

namespace {

void Put(SpreadGrid& g, int row, int col, const std::string& text) {
  g.SetRow(row);
  g.SetCol(col);
  g.SetText(text);
}

std::string Get(SpreadGrid& g, int row, int col) {
  g.SetRow(row);
  g.SetCol(col);
  return g.Text();
}

}  // namespace

TEST(SpreadGrid, CellsHeadingsAndOutsideCells) {
  SpreadGrid g(5, 28);
  EXPECT_EQ(Get(g, 0, 1), "A");
  EXPECT_EQ(Get(g, 0, 27), "AA");
  EXPECT_EQ(Get(g, 0, 28), "AB");
  EXPECT_EQ(Get(g, 3, 0), "3");
  EXPECT_EQ(Get(g, 0, 0), "");
  Put(g, 0, 2, "Gr1  Dia");
  EXPECT_EQ(Get(g, 0, 2), "Gr1  Dia");
  Put(g, 2, 3, " 12.5 ");
  EXPECT_EQ(Get(g, 2, 3), " 12.5 ");
  g.SetValue("7");
  EXPECT_EQ(g.Value(), "7");
  // Outside the grid: reads "", writes ignored.
  Put(g, 6, 1, "lost");
  EXPECT_EQ(Get(g, 6, 1), "");
  Put(g, -1, 1, "lost");
  EXPECT_EQ(Get(g, -1, 1), "");
  EXPECT_EQ(Get(g, 1, 29), "");
  g.SetMaxRows(6);
  EXPECT_EQ(Get(g, 6, 1), "");
  // Shrinking drops cells for good.
  g.SetMaxRows(1);
  g.SetMaxRows(5);
  EXPECT_EQ(Get(g, 2, 3), "");
}

TEST(SpreadGrid, ActionsAndEvents) {
  SpreadGrid g(4, 3);
  for (int r = 1; r <= 4; ++r) Put(g, r, 1, "row" + std::to_string(r));
  Put(g, 0, 1, "Head");

  std::vector<int> selected;
  g.OnRowSelected = [&](int row) { selected.push_back(row); };
  g.SetRow(3);
  g.SetCol(2);
  g.SetAction(winplat::GridActionActiveCell);
  EXPECT_EQ(g.ActiveRow(), 3);
  g.SetAction(winplat::GridActionActiveCell);  // same row: no second event
  EXPECT_EQ(selected, std::vector<int>{3});

  g.SetRow(2);
  g.SetAction(winplat::GridActionDeleteRow);
  EXPECT_EQ(Get(g, 2, 1), "row3");
  EXPECT_EQ(Get(g, 3, 1), "row4");
  EXPECT_EQ(Get(g, 4, 1), "");
  EXPECT_EQ(Get(g, 0, 1), "Head");
  EXPECT_EQ(g.MaxRows(), 4);

  // The key event comes after the grid moved the active row.
  int activeSeenByKey = -1;
  g.OnKeyDown = [&](std::int16_t key) {
    EXPECT_EQ(key, 40);
    activeSeenByKey = g.ActiveRow();
  };
  g.PressKey(40);
  EXPECT_EQ(activeSeenByKey, 4);
  g.PressKey(40);  // already the last row
  EXPECT_EQ(g.ActiveRow(), 4);

  std::vector<std::string> log;
  g.OnClick = [&](int col, int row) { log.push_back("click " + std::to_string(col) + "," + std::to_string(row)); };
  g.OnEditChange = [&](int col, int row, bool changed) {
    log.push_back("edit " + std::to_string(col) + "," + std::to_string(row) + (changed ? " changed" : ""));
  };
  g.OnChange = [&] { log.push_back("change " + g.Text()); };
  g.TypeIntoCell(1, 2, "new");
  g.TypeIntoCell(1, 2, "new");  // same text: no change event
  EXPECT_EQ(log, (std::vector<std::string>{"click 2,1", "edit 2,1 changed", "change new", "click 2,1", "edit 2,1"}));
  // Programmatic writes raise nothing.
  log.clear();
  Put(g, 1, 2, "quiet");
  EXPECT_TRUE(log.empty());
}

TEST(SpreadGrid, SaveAndLoadRoundTrip) {
  SpreadGrid g(3, 6);
  Put(g, 0, 3, "Gr1  Dia");
  Put(g, 1, 3, " 8");
  Put(g, 2, 1, "back\\slash, tab\there");
  Put(g, 3, 6, std::string("cr\r\nlf \x01\xC9 nul\0 end ", 19));
  g.SetRow(2);
  g.SetCol(5);
  g.SetAction(0);
  ASSERT_TRUE(g.SaveToFile("C:\\Fieldray\\Tool.Dat", false)) << g.LastError();

  SpreadGrid back(1, 1);
  ASSERT_TRUE(back.LoadFromFile("c:\\fieldray\\tool.dat")) << back.LastError();
  EXPECT_EQ(back.MaxRows(), 3);
  EXPECT_EQ(back.MaxCols(), 6);
  EXPECT_EQ(back.ActiveRow(), 2);
  EXPECT_EQ(back.ActiveCol(), 5);
  for (int r = 0; r <= 3; ++r)
    for (int c = 0; c <= 6; ++c) EXPECT_EQ(Get(back, r, c), Get(g, r, c)) << r << "," << c;

  // Data only: headings and active cell of the loading grid stay.
  ASSERT_TRUE(g.SaveToFile("C:\\Fieldray\\SWPOS.DAT", true));
  SpreadGrid other(2, 2);
  Put(other, 0, 1, "Mine");
  ASSERT_TRUE(other.LoadFromFile("C:\\Fieldray\\SWPOS.DAT")) << other.LastError();
  EXPECT_EQ(Get(other, 0, 1), "Mine");
  EXPECT_EQ(Get(other, 0, 3), "C");
  EXPECT_EQ(Get(other, 1, 3), " 8");
  EXPECT_EQ(other.ActiveRow(), 1);

  // A CR LF copy of the file reads the same.
  std::string bytes = testsupport::ReadFile(winplat::HostPath("C:\\Fieldray\\Tool.Dat"));
  std::string crlf;
  for (char ch : bytes) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  testsupport::WriteFile(winplat::HostPath("C:\\Fieldray\\CRLF.Dat"), crlf);
  SpreadGrid fromCrlf;
  ASSERT_TRUE(fromCrlf.LoadFromFile("C:\\Fieldray\\CRLF.Dat")) << fromCrlf.LastError();
  EXPECT_EQ(Get(fromCrlf, 3, 6), Get(g, 3, 6));
}

TEST(SpreadGrid, BadFilesLeaveTheGridAsItWas) {
  const std::vector<std::string> bad = {
      "",
      "something else\n",
      "FIELDRAY-GRID 1 FULL\nCELL 1 1 x\nSIZE 2 2\nEND\n",
      "FIELDRAY-GRID 1 FULL\nSIZE 2 2\nCELL 3 1 x\nEND\n",
      "FIELDRAY-GRID 1 FULL\nSIZE 2 2\nCELL 1 1 x\nCELL 1 1 y\nEND\n",
      "FIELDRAY-GRID 1 FULL\nSIZE 2 2\nCELL 1 1 x\n",  // truncated
      "FIELDRAY-GRID 1 FULL\nSIZE 2 2\nCELL 1 1 bad\\q\nEND\n",
      "FIELDRAY-GRID 1 FULL\nSIZE -1 2\nEND\n",
      "FIELDRAY-GRID 1 FULL\nSIZE 99999999 2\nEND\n",
      "FIELDRAY-GRID 1 DATA\nSIZE 2 2\nCELL 0 1 head\nEND\n",
      "FIELDRAY-GRID 1 FULL\nSIZE 2 2\nACTIVE 5 1\nEND\n",
      "FIELDRAY-GRID 1 FULL\nSIZE 2 2\nEND\nCELL 1 1 x\n",
      "FIELDRAY-GRID 1 FULL\nSIZE 2 x\nEND\n",
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    SpreadGrid g(2, 2);
    Put(g, 1, 1, "keep");
    testsupport::WriteFile(winplat::HostPath("C:\\bad.dat"), bad[i]);
    EXPECT_FALSE(g.LoadFromFile("C:\\bad.dat")) << "case " << i;
    EXPECT_FALSE(g.LastError().empty());
    EXPECT_EQ(Get(g, 1, 1), "keep") << "case " << i;
    EXPECT_EQ(g.MaxRows(), 2);
  }
  SpreadGrid g;
  EXPECT_FALSE(g.LoadFromFile("C:\\missing\\none.dat"));
  EXPECT_NE(g.LastError().find("cannot open"), std::string::npos);
  EXPECT_FALSE(g.LoadFromFile("C:\\WINDOWS"));
  EXPECT_FALSE(g.SaveToFile("C:\\WINDOWS", false));  // a folder is not replaced
  EXPECT_TRUE(std::filesystem::is_directory(winplat::HostPath("C:\\WINDOWS")));
}
