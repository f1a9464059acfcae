// What the operator sees of the grids and the job list: pictures of the
// windows, read back pixel by pixel.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "job/grid_cells.h"
#include "program_rig.h"
#include "winplat/controls/geometry.h"
#include "winplat/controls/operator.h"
#include "winplat/picture.h"

namespace fieldray::console {
namespace {

namespace fs = std::filesystem;
using wc::Box;

class ShownData : public ProgramRig {
 protected:
  winplat::Picture Shot(wc::Form& form, const std::string& name) {
    const fs::path file = testsupport::Root() / (name + ".png");
    std::string error;
    EXPECT_TRUE(wc::op::Screenshot(form, file.string(), &error)) << error;
    winplat::Picture picture;
    EXPECT_TRUE(winplat::LoadPicturePng(file, &picture, &error)) << error;
    return picture;
  }
};

bool Dark(winplat::COLORREF c) { return (c & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 && ((c >> 16) & 0xFF) < 0x60; }

int Count(const winplat::Picture& p, const Box& b, bool (*test)(winplat::COLORREF)) {
  int n = 0;
  for (int y = std::max(0, b.y); y < std::min(p.height, b.Bottom()); ++y)
    for (int x = std::max(0, b.x); x < std::min(p.width, b.Right()); ++x) n += test(p.At(x, y)) ? 1 : 0;
  return n;
}

// Each named cell holds text drawn inside it; cells that should be empty show
// none (so no text ran over into them); and inside the grid's place nothing
// dark lies outside the cells but the scroll bars' arrows.
TEST_F(ShownData, GridTextsStandInsideTheirCells) {
  Program& p = Start();
  MainForm& m = p.Forms.Main;
  // A marker set longer than its cell, and a long text in a narrow column.
  SetGridCell(p.Slots.MarkerData->Grid(), 3, 5, std::string(12, 'L') + ", 100, 700, 400, 400;L, 400, 400, 100, 700;");
  SetGridCell(p.Slots.MarkerData->Grid(), 3, 1, "WWWWWWWWWWWWWWWWWWWW");
  m.SSTab1.SetTab(design::kTabMarkers);
  struct Cell {
    std::int32_t row, col;
  };
  struct Case {
    const char* name;
    wc::Form& form;
    wc::HostSlot& slot;
    winplat::SpreadGrid& grid;
    std::vector<Cell> filled;
    std::vector<Cell> empty;
  };
  const Case cases[] = {
      {"presets", p.Forms.PHS, p.Forms.PHS.PHSdata, p.Slots.PHSdata->Grid(),
       {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {6, 2}}, {}},
      {"markers", m, m.MarkerData, p.Slots.MarkerData->Grid(), {{1, 5}, {2, 5}, {3, 5}, {3, 1}}, {{3, 2}, {1, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.form.Show();
    const winplat::Picture shot = Shot(c.form, std::string("grid-") + c.name);
    Box place = wc::PlaceOnForm(c.slot);
    place = Box{place.x + 1, place.y + 1, place.w - 2, place.h - 2};
    const wc::GridGeometry g = wc::GridLayout(c.grid, place);
    for (const Cell& cell : c.filled) {
      const Box b = g.Cell(cell.row, cell.col);
      ASSERT_GT(b.w, 0) << "row " << cell.row << " col " << cell.col << " is not shown";
      EXPECT_GT(Count(shot, b, Dark), 5) << "row " << cell.row << " col " << cell.col;
    }
    for (const Cell& cell : c.empty) {
      // The current cell's outline is dark: look inside it.
      const Box b = g.Cell(cell.row, cell.col);
      EXPECT_EQ(Count(shot, Box{b.x + 2, b.y + 2, b.w - 4, b.h - 4}, Dark), 0)
          << "row " << cell.row << " col " << cell.col;
    }
    int outside = 0;
    for (int y = place.y; y < place.Bottom(); ++y)
      for (int x = place.x; x < place.Right(); ++x) {
        std::int32_t row = 0, col = 0;
        if (g.CellAt(x, y, &row, &col) || (g.vScroll && g.vBar.whole.Contains(x, y)) ||
            (g.hScroll && g.hBar.whole.Contains(x, y)))
          continue;
        outside += Dark(shot.At(x, y)) ? 1 : 0;
      }
    EXPECT_EQ(outside, 0);
    if (&c.form != &m) c.form.Hide();
  }
}

// Thirty files in the job folder: the picked 25th entry is shown chosen in the
// list, whose scroll bar has its thumb in its lower half.
TEST_F(ShownData, AChosenJobFarDownTheListIsShownWithTheThumbBelowTheMiddle) {
  for (int i = 0; i < 26; ++i) {
    const std::string name = "JOB" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".NC";
    testsupport::WriteFile(ProgramFile("Jobs") / name, "G0 X10 Y10\nG1 X20 Y10\n");
  }
  Program& p = Start();
  wc::FileListBox& list = p.Forms.Main.File1;
  ASSERT_EQ(list.ListCount(), 30);
  wc::op::Pick(list, 25);
  p.Forms.Main.Show();
  const winplat::Picture shot = Shot(p.Forms.Main, "job-list");
  const wc::ListGeometry g = wc::ListLayout(list, wc::PlaceOnForm(list));
  ASSERT_TRUE(g.scrollBar);
  const Box entry = g.EntryBox(25);
  ASSERT_GT(entry.h, 0) << "entry 25 is out of sight, top " << list.TopIndex();
  EXPECT_GT(Count(shot, entry, [](winplat::COLORREF c) { return c == 0x800000u; }), entry.w * entry.h / 3);
  // The thumb: the raised face colour down the middle of the bar's track.
  const int x = g.bar.track.x + g.bar.track.w / 2;
  int first = -1, last = -1;
  for (int y = g.bar.track.y; y < g.bar.track.Bottom(); ++y)
    if (shot.At(x, y) == 0xC0C0C0u) {
      if (first < 0) first = y;
      last = y;
    }
  ASSERT_GE(first, 0) << "no thumb drawn";
  EXPECT_GT((first + last) / 2, g.bar.track.y + g.bar.track.h / 2);
}

}  // namespace
}  // namespace fieldray::console
