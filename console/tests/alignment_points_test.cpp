// Alignment points: the grid they spread into and the crosses that show them.
#include <gtest/gtest.h>

#include <string>

#include "console/alignment_points.h"
#include "console/component_slots.h"
#include "console/form_console_view.h"
#include "engine/settings_file.h"
#include "test_support.h"

namespace fieldray::console {
namespace {

class AlignmentPoints : public ::testing::Test {
 protected:
  // Writes one row: dX, dY, reach, node column, node row.
  void Row(std::int32_t r, const std::string& dx, const std::string& dy, const std::string& reach,
           const std::string& i, const std::string& j) {
    const std::string cells[5] = {dx, dy, reach, i, j};
    for (int c = 1; c <= 5; ++c) {
      grid.SetRow(r);
      grid.SetCol(c);
      grid.SetText(cells[c - 1]);
    }
  }
  const PtAlgnNode& At(int i, int j) const { return state.PtAlgnGrid[static_cast<std::size_t>(i + 65 * j)]; }

  ProgramState state;
  winplat::SpreadGrid grid{50, 5};
};

TEST_F(AlignmentPoints, OffsetSpreadsLinearlyAlongItsAxisAndAcrossFromEachNodeReached) {
  Row(1, "400", "0", "4", "40", "40");
  EXPECT_EQ(BuildPtAlgnGrid(state, grid), 1);
  EXPECT_EQ(At(40, 40).dX, 400);
  EXPECT_EQ(At(40, 40).Set, BoolTrue);
  EXPECT_EQ(At(41, 40).dX, 300);
  EXPECT_EQ(At(42, 40).dX, 200);
  EXPECT_EQ(At(43, 40).dX, 100);
  EXPECT_EQ(At(44, 40).dX, 0);
  EXPECT_EQ(At(39, 40).dX, 300);
  EXPECT_EQ(At(41, 41).dX, 225) << "3/4 of the 300 its column holds";
  EXPECT_EQ(At(40, 38).dX, 200);
  EXPECT_EQ(At(41, 40).Set, BoolFalse) << "only the row's own node is marked";
  EXPECT_EQ(At(40, 41).dY, 0) << "a zero dY spreads nothing";
}

TEST_F(AlignmentPoints, SpreadStopsShortOfTheCentreColumnFromEitherSide) {
  Row(1, "800", "0", "6", "35", "10");
  Row(2, "800", "0", "6", "30", "50");
  BuildPtAlgnGrid(state, grid);
  // Right of the centre: reach toward the centre is 35 - 33 = 2.
  EXPECT_EQ(At(34, 10).dX, 400);
  EXPECT_EQ(At(33, 10).dX, 0);
  EXPECT_EQ(At(36, 10).dX, 667) << "the far side keeps the full reach of 6";
  // Left of the centre: reach toward it is 31 - 30 = 1, so nothing beyond the node.
  EXPECT_EQ(At(31, 50).dX, 0);
  EXPECT_EQ(At(29, 50).dX, 667);
}

TEST_F(AlignmentPoints, RowsOnOneNodeAddAndSpreadsKeepTheGreatestValue) {
  Row(1, "100", "0", "2", "20", "20");
  Row(2, "50", "0", "2", "20", "20");
  Row(3, "1000", "0", "3", "23", "20");
  Row(4, "0", "-40", "2", "10", "50");
  Row(5, "0", "-40", "2", "10", "50");
  BuildPtAlgnGrid(state, grid);
  EXPECT_EQ(At(20, 20).dX, 150);
  EXPECT_EQ(At(10, 50).dY, -80);
  EXPECT_EQ(At(10, 51).dY, 0) << "a negative offset changes only its own node";
  EXPECT_EQ(At(21, 20).dX, 333) << "row 3's spread (2/3 x 1000 at two nodes away) beats row 1's 75";
}

TEST_F(AlignmentPoints, HandEditedRowsAreSkippedSaturatedOrClampedAndTheListEndsAtAnEmptyNode) {
  Row(1, "500", "500", "3", "70", "10");       // node outside the grid: skipped
  Row(2, "500", "500", "3", "10", "-1");       // likewise
  Row(3, "99999", "-99999", "2", "5", "5");    // offsets held to 16 bits
  Row(4, "20000", "0", "1", "8", "8");
  Row(5, "20000", "0", "1", "8", "8");         // the sum too
  Row(6, "64", "0", "1000", "50", "50");       // reach counts as 64
  Row(7, "77", "77", "0", "12", "12");         // no reach: no effect, not even marked
  Row(8, "abc", "", "2x", "2", "2");           // text reads as its leading number
  Row(10, "900", "900", "3", "30", "30");      // after the empty row 9: ignored
  EXPECT_EQ(BuildPtAlgnGrid(state, grid), 5);
  EXPECT_EQ(At(64, 10).Set, BoolFalse) << "not taken as the nearest node inside";
  EXPECT_EQ(At(10, 0).Set, BoolFalse);
  EXPECT_EQ(At(5, 5).dX, 32767);
  EXPECT_EQ(At(5, 5).dY, -32768);
  EXPECT_EQ(At(6, 5).dX, 16384);
  EXPECT_EQ(At(8, 8).dX, 32767);
  EXPECT_EQ(At(64, 50).dX, 50) << "reach 64 reaches the grid's edge: (64 - 14) / 64 x 64";
  EXPECT_EQ(At(12, 12).Set, BoolFalse);
  EXPECT_EQ(At(2, 2).Set, BoolTrue);
  EXPECT_EQ(At(2, 2).dX, 0);
  EXPECT_EQ(At(30, 30).dX, 0);

  Row(11, "1", "1", "1", "1", "1");
  grid.SetRow(1);
  grid.SetCol(4);
  grid.SetText("");
  EXPECT_EQ(BuildPtAlgnGrid(state, grid), 0) << "an empty first node ends the list at once";
  EXPECT_EQ(At(5, 5).dX, 0) << "the grid is cleared on every build";
}

class AlignmentOnForm : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(testsupport::Root() / "C" / "Fieldray");
    testsupport::WriteFile(testsupport::Root() / "C" / "Fieldray" / "Fldry.INI", "");
    engine::SetProgramDir(state, "C:\\Fieldray\\");
  }
  std::filesystem::path File() const { return testsupport::Root() / "C" / "Fieldray" / "PtAlgn.Dat"; }

  ProgramState state;
  engine::Vexlib vx{engine::VexlibTable{}};
  ConsoleForms forms;
  ComponentSlots slots{forms};
  FormConsoleView view{forms.Main, &slots};
  engine::Engine e{state, vx, view, [] {}};
};

TEST_F(AlignmentOnForm, LoadPlacesOneCrossPerRowAndBuildsTheGrid) {
  testsupport::WriteFile(File(),
                         "FIELDRAY-GRID 1 DATA\nSIZE 50 5\nCELL 1 1 24\nCELL 1 3 2\nCELL 1 4 40\nCELL 1 5 40\n"
                         "CELL 2 1 10\nCELL 2 3 2\nCELL 2 4 90\nCELL 2 5 0\nEND\n");
  winplat::SpreadGrid& grid = slots.SetupData->Grid();
  LoadPtAlgn(e, forms.Main, grid);
  ASSERT_EQ(forms.Main.SetLineX.UBound(), 2);
  ASSERT_EQ(forms.Main.SetLineY.UBound(), 2);
  // Node (40, 40): 40 x 56 across, 3615 - 40 x 56 down.
  auto& h = forms.Main.SetLineX(1);
  auto& v = forms.Main.SetLineY(1);
  EXPECT_FLOAT_EQ(h.X1(), 2190);
  EXPECT_FLOAT_EQ(h.X2(), 2290);
  EXPECT_FLOAT_EQ(h.Y1(), 1375);
  EXPECT_FLOAT_EQ(v.X1(), 2240);
  EXPECT_FLOAT_EQ(v.Y1(), 1325);
  EXPECT_FLOAT_EQ(v.Y2(), 1425);
  EXPECT_TRUE(h.Visible());
  EXPECT_EQ(v.Tag(), "L");
  EXPECT_EQ(forms.Main.SetLineX(2).Y1(), 3615.0f) << "a node outside the grid is drawn at the edge";
  EXPECT_FLOAT_EQ(forms.Main.SetLineY(2).X1(), 64 * 56);
  EXPECT_EQ(state.PtAlgnGrid[40 + 65 * 40].dX, 24);

  // Loading again replaces the crosses.
  testsupport::WriteFile(File(), "FIELDRAY-GRID 1 DATA\nSIZE 50 5\nCELL 1 3 1\nCELL 1 4 3\nCELL 1 5 3\nEND\n");
  LoadPtAlgn(e, forms.Main, grid);
  EXPECT_EQ(forms.Main.SetLineX.UBound(), 1);
  EXPECT_EQ(forms.Main.SetLineY.UBound(), 1);
  EXPECT_EQ(state.PtAlgnGrid[40 + 65 * 40].dX, 0);
}

TEST_F(AlignmentOnForm, DamagedFileLeavesTheGridAsItWasAndStartUpGoesOn) {
  winplat::SpreadGrid& grid = slots.SetupData->Grid();
  grid.SetRow(1);
  grid.SetCol(3);
  grid.SetText("2");
  grid.SetCol(4);
  grid.SetText("10");
  grid.SetCol(5);
  grid.SetText("10");
  grid.SetCol(1);
  grid.SetText("-30");
  testsupport::WriteFile(File(), "FIELDRAY-GRID 1 DATA\nSIZE 50 5\nCELL 1 4 \\q\ngarbage\n");
  LoadPtAlgn(e, forms.Main, grid);
  EXPECT_EQ(forms.Main.SetLineX.UBound(), 1);
  EXPECT_EQ(state.PtAlgnGrid[10 + 65 * 10].dX, -30);
  std::filesystem::remove(File());
  LoadPtAlgn(e, forms.Main, grid);
  EXPECT_EQ(forms.Main.SetLineX.UBound(), 1) << "a missing file keeps the points in the grid";
}

}  // namespace
}  // namespace fieldray::console
