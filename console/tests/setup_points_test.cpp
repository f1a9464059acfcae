// The set-up crosses: the node each is projected at and written back, the
// frame "Cal Points", the rate and skew, picking, dragging, nudging, adding,
// deleting and applying.
#include "console/setup_points.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "console/alignment_points.h"
#include "editor_rig.h"
#include "job/grid_cells.h"

namespace fieldray::console {
namespace {

// A node as its row holds it: column, row.
using Cells = std::pair<std::string, std::string>;

class SetupPointsTest : public EditorRig {
 protected:
  winplat::SpreadGrid& Grid() { return setupData; }
  void Row(std::int32_t r, const std::string& reach, std::int32_t i, std::int32_t j) {
    SetGridCell(Grid(), r, 3, reach);
    SetGridCell(Grid(), r, 4, std::to_string(i));
    SetGridCell(Grid(), r, 5, std::to_string(j));
  }
  // Rows 1.. at the nodes (i, j), each with reach 4, placed as crosses.
  void Crosses(std::initializer_list<std::pair<std::int32_t, std::int32_t>> nodes) {
    std::int32_t r = 0;
    for (auto [i, j] : nodes) Row(++r, "4", i, j);
    PlacePoints(main, Grid());
  }
  // The node written into row r.
  Cells Node(std::int32_t r) { return {GetGridCell(Grid(), r, 4), GetGridCell(Grid(), r, 5)}; }
  void Project(std::int32_t point) {
    state.SelectedSetupPoint = point;
    setup.ShowSetCross();
  }

  winplat::SpreadGrid setupData{50, 5};
  SetupPoints setup{e, main, setupData};
};

TEST_F(SetupPointsTest, ACrossPlacedOnANodeIsProjectedThereAndRowZeroBecomesRowOne) {
  for (std::int32_t n = 0; n <= 64; ++n) {
    Row(1, "1", n, 32);
    PlacePoints(main, Grid());
    Project(1);
    EXPECT_EQ(Node(1), Cells(std::to_string(n), "32")) << "column " << n;
    Row(1, "1", 32, n);
    PlacePoints(main, Grid());
    Project(1);
    EXPECT_EQ(Node(1), Cells("32", std::to_string(n == 0 ? 1 : n))) << "row " << n;
  }
}

TEST_F(SetupPointsTest, TheCrossIsSixteenPointsInCalPointsAtTheRateAndSkewOfItsBlanking) {
  Crosses({{40, 40}});  // centre (2240, 1375): node (8192, 8192)
  Project(1);
  EXPECT_EQ(FrameName(99), "Cal Points");
  const std::pair<int, int> armEnds[] = {{8192, 9099}, {8192, 7286}, {7286, 8192}, {9099, 8192}};
  for (auto [x, y] : armEnds) {
    EXPECT_EQ(std::pair(PointsAt(99, x, y, 0), PointsAt(99, x, y, kWhite)), std::pair(2, 2)) << x << ", " << y;
  }
  EXPECT_EQ(board.CallsNamed("DisplayFreq3").back(), "DisplayFreq3 12000 12000 12000");
  EXPECT_EQ(board.CallsNamed("DisplaySkew").back(), "DisplaySkew 4 3 0");
  EXPECT_EQ(board.CallsNamed("SetWorkingScale").back(), "SetWorkingScale -32768 32767 -32768 32767 0 0");
  EXPECT_EQ(board.CallsNamed("DisplayFrame"), (std::vector<std::string>{"DisplayFrame 99", "DisplayFrame 99"}));

  // No blanking time: no rate, no skew, the cross still projected.
  main.BlnkTm.SetText("0");
  board.calls.clear();
  Project(1);
  EXPECT_TRUE(board.CallsNamed("DisplaySkew").empty());
  EXPECT_TRUE(board.CallsNamed("DisplayFreq3").empty());
  EXPECT_EQ(board.CallsNamed("WriteFrame").size(), 1u);
  EXPECT_EQ(board.displayed, 99);

  // No cross selected, or one that is gone: frame 99 shown empty.
  board.calls.clear();
  Project(7);
  EXPECT_EQ(board.CallsNamed("MergeFrames"), std::vector<std::string>{"MergeFrames 0 0 99"});
  EXPECT_TRUE(board.CallsNamed("WriteFrame").empty());
}

TEST_F(SetupPointsTest, PickDragAndNudgeMoveTheCrossFromNodeToNode) {
  Crosses({{40, 40}, {10, 10}});
  setup.SetupWin_MouseDown(1, 0, 560, 3055);  // the centre of cross 2
  ASSERT_EQ(state.SelectedSetupPoint, 2);
  EXPECT_EQ(Grid().ActiveRow(), 2);
  EXPECT_EQ(Grid().ActiveCol(), 3);
  EXPECT_EQ(main.SetLineX(2).BorderColor(), 0x80FFFFu);
  EXPECT_EQ(main.SetLineY(1).BorderColor(), 0x404040u);
  EXPECT_TRUE(main.DelPt.Enabled());

  setup.SetupWin_MouseMove(1, 0, 3514, 1800);
  EXPECT_EQ(Node(2).first, "62") << "the rightmost drag";
  setup.SetupWin_MouseMove(1, 0, 60, 1800);
  EXPECT_EQ(Node(2).first, "2") << "57 twips is column 2: column 1 cannot be dragged to";
  setup.SetupWin_MouseMove(1, 0, 3600, 1800);
  EXPECT_EQ(Node(2).first, "2") << "outside the band nothing moves";

  state.SelectedSetupPoint = 1;
  main.SetXPos.SetValue(10);
  EXPECT_EQ(Node(1), Cells("41", "40")) << "one 56-twip step for a change of 10";
  main.SetYPos.SetValue(-5);
  EXPECT_EQ(Node(1).second, "41") << "a smaller value moves the cross up";

  // A press far outside the window hits nothing and ends the selection.
  setup.SetupWin_MouseDown(1, 0, 1e9f, -1e9f);
  EXPECT_EQ(state.SelectedSetupPoint, 0);
  EXPECT_FALSE(main.SetXPos.Enabled());
  const float x = main.SetLineY(1).X1();
  setup.SetupWin_MouseMove(1, 0, 1000, 1000);
  EXPECT_EQ(main.SetLineY(1).X1(), x);
  EXPECT_EQ(main.SetLineY(0).X1(), 0) << "the hidden template stays where it is";
  EXPECT_EQ(board.CallsNamed("MergeFrames").back(), "MergeFrames 0 0 99");
}

TEST_F(SetupPointsTest, ANewCrossTakesItsRowAtOnceAndApplyWithoutReachChangesNothing) {
  Crosses({{40, 40}});
  setup.BtnCross_Click();
  ASSERT_EQ(main.SetLineX.UBound(), 2);
  EXPECT_EQ(main.SetLineY(2).Y1(), 100);
  EXPECT_EQ(Node(2), Cells("6", "61"));
  EXPECT_EQ(GetGridCell(Grid(), 2, 3), "");
  setup.StartSetupCmd_Click();
  EXPECT_EQ(state.PtAlgnGrid[6 + 65 * 61].Set, BoolFalse);
  EXPECT_EQ(state.PtAlgnGrid[40 + 65 * 40].Set, BoolTrue);
  const std::string saved = testsupport::ReadFile(testsupport::Root() / "C" / "Fieldray" / "PtAlgn.Dat");
  EXPECT_NE(saved.find("CELL 2 4 6"), std::string::npos) << saved;
}

TEST_F(SetupPointsTest, ADeleteRemovesTheRowRebuildsTheCrossesAndClearsTheSelection) {
  Crosses({{40, 40}, {10, 10}, {20, 20}});
  setup.SetupWin_MouseDown(1, 0, 560, 3055);
  ASSERT_EQ(state.SelectedSetupPoint, 2);
  boxes.Answer(winplat::IDNO);
  setup.DelPt_Click();
  EXPECT_EQ(Shown(), std::vector<std::string>{"Warning: Are you sure you wish to DELETE this point?"});
  EXPECT_EQ(main.SetLineX.UBound(), 3);
  EXPECT_EQ(state.SelectedSetupPoint, 2);

  boxes.Answer(winplat::IDYES);
  setup.DelPt_Click();
  EXPECT_EQ(Node(2), Cells("20", "20"));
  EXPECT_EQ(main.SetLineX.UBound(), 2);
  EXPECT_EQ(state.SelectedSetupPoint, 0);
  EXPECT_FALSE(main.DelPt.Enabled());
  EXPECT_FALSE(main.SetYPos.Enabled());
  EXPECT_EQ(board.CallsNamed("MergeFrames").back(), "MergeFrames 0 0 99");
  main.SetXPos.SetValue(3);
  EXPECT_EQ(Node(2), Cells("20", "20")) << "no nudge reaches the next point";
}

}  // namespace
}  // namespace fieldray::console

namespace fieldray::console {
namespace {

// A row naming a node outside the grid is named at Apply and left out; the
// rows stay as typed.
TEST_F(SetupPointsTest, ApplyNamesAPointWhoseNodeLiesOutsideTheGrid) {
  Row(1, "4", 40, 40);
  Row(2, "4", 99, 10);
  Row(3, "4", 10, -1);
  Row(4, "4", 64, 0);
  setup.StartSetupCmd_Click();
  EXPECT_EQ(main.Msg.Caption(),
            "Set-up point 2: node column 99 is outside 0 to 64; not applied; "
            "Set-up point 3: node row -1 is outside 0 to 64; not applied");
  EXPECT_EQ(state.PtAlgnGrid[40 + 65 * 40].Set, BoolTrue);
  EXPECT_EQ(state.PtAlgnGrid[64].Set, BoolTrue);
  const std::string saved = testsupport::ReadFile(testsupport::Root() / "C" / "Fieldray" / "PtAlgn.Dat");
  EXPECT_NE(saved.find("CELL 2 4 99"), std::string::npos) << saved;
  EXPECT_NE(saved.find("CELL 3 5 -1"), std::string::npos) << saved;
}

}  // namespace
}  // namespace fieldray::console
