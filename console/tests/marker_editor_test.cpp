// The marker editor: the frame it projects, its set texts, the merge prompt,
// the arrow keys, and what the mouse and the bars do to the lines.
#include "console/marker_editor.h"

#include <gtest/gtest.h>

#include <functional>

#include "editor_rig.h"
#include "job/grid_cells.h"
#include "winplat/messages.h"
#include "winplat/painting.h"
#include "winplat/picture.h"
#include "winplat/window.h"

namespace fieldray::console {
namespace {

class MarkerEditorTest : public EditorRig {
 protected:
  winplat::SpreadGrid& Grid() { return markerData; }
  wc::LineControl& Line(int i) { return main.MLine(i); }
  // Lines 1.. as set records.
  std::vector<MarkerRecord> Lines() {
    std::vector<MarkerRecord> out;
    for (const auto& [i, l] : main.MLine.Elements())
      if (i >= 1) out.push_back({l->Tag(), l->X1(), l->X2(), l->Y1(), l->Y2()});
    return out;
  }

  std::int32_t resolution = 5;
  winplat::SpreadGrid markerData{20, 5};
  MarkerEditor editor{e, main, markerData, resolution};
};

TEST(MarkerSets, RecordsRoundTripAndOnlyAWholeLastRecordLoadsWithoutItsSemicolon) {
  EXPECT_EQ(MarkerRecordText({"L", 200, 500, 200, 200}), "L, 200, 500, 200, 200;");
  EXPECT_EQ(MarkerRecordText({"L", -2.5f, .5f, 0, 1e7f}), "L,-2.5, .5, 0, 1E+07;");
  struct Case {
    const char* text;
    std::vector<MarkerRecord> records;
  } cases[] = {
      {"L, 200, 500, 200, 200;", {{"L", 200, 500, 200, 200}}},
      {"  L, 1, 2, 3, 4;L, 5, 6, 7, 8;  ", {{"L", 1, 2, 3, 4}, {"L", 5, 6, 7, 8}}},
      {"L, 1, 2, 3, 4;L, 5, 6, 7, 8", {{"L", 1, 2, 3, 4}, {"L", 5, 6, 7, 8}}},
      {"L, 1, 2, 3, 4;L, 5, 6", {{"L", 1, 2, 3, 4}}},
      {"L, x, 2;", {{"L", 0, 2, 0, 0}}},
      {"R,1.5,-2,3e2,&H10;", {{"R", 1.5f, -2, 300, 16}}},
      {"", {}},
      {"   ", {}},
      {";", {{"", 0, 0, 0, 0}}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitMarkerSet(c.text), c.records) << '"' << c.text << '"';
  for (const Case& c : cases) {
    std::string text;
    for (const MarkerRecord& r : c.records) text += MarkerRecordText(r);
    EXPECT_EQ(SplitMarkerSet(text), c.records) << text;
  }
}

TEST_F(MarkerEditorTest, ShowMarkersProjectsEachVisibleLineDarkLitLitDarkAtThreeQuartersRounded) {
  // A job's points still counted in the list must not reach the markers.
  state.AssemblyPoints.assign(6, PointStruct{7, 7, 0, 0, 0x123456});
  state.PointCount = 5;
  editor.LoadLine(0);
  Line(1).SetX1(206);  // 154.5 -> 154
  Line(1).SetY1(202);  // 151.5 -> 152
  Line(1).SetY2(202);
  editor.LoadLine(90);
  editor.ShowMarkers();
  EXPECT_EQ(FrameName(99), "Markers");
  EXPECT_EQ(PointsAt(99, 770, -760, 0), 16);
  EXPECT_EQ(PointsAt(99, 770, -760, kWhite), 3);
  EXPECT_EQ(PointsAt(99, 1875, -760, kWhite), 4);
  EXPECT_EQ(PointsAt(99, 1875, -760, 0), 16);
  EXPECT_EQ(PointsAt(99, 750, -1875, kWhite), 4) << "the second line";
  for (const PointStruct& p : board.frames[99].second) EXPECT_NE(p.Colour, 0x123456);
  EXPECT_EQ(board.CallsNamed("SetWorkingScale").back(), "SetWorkingScale 0 3000 -3000 0 0 0");
  EXPECT_EQ(board.displayed, 99);
  EXPECT_EQ(state.PointCount, 0);

  // A deleted line is no longer picked but still projected; with none left the frame is emptied.
  editor.MarkerWin_MouseDown(1, 0, 200, 350);
  ASSERT_EQ(state.SelectedMarker, 2);
  editor.MWDel_Click();
  EXPECT_EQ(PointsAt(99, 750, -1875, kWhite), 4);
  EXPECT_EQ(state.SelectedMarker, 0);
  editor.MarkerWin_MouseDown(1, 0, 200, 350);
  EXPECT_EQ(state.SelectedMarker, 0);
  editor.MWClr_Click();
  EXPECT_EQ(board.CallsNamed("MergeFrames").back(), "MergeFrames 0 0 99");
  EXPECT_EQ(board.CallsNamed("DisplayFrame").back(), "DisplayFrame 99");
}

TEST_F(MarkerEditorTest, PickDragAndNudgeMoveTheSelectedLineOnlyWhileItExists) {
  editor.BtnLine_Click(1);  // (200, 200)-(500, 200)
  editor.BtnLine_Click(2);  // a rectangle, never a marker line
  EXPECT_EQ(main.MRec.UBound(), 1);
  editor.MarkerWin_MouseDown(1, 0, 350, 210);
  ASSERT_EQ(state.SelectedMarker, 1);
  EXPECT_EQ(Line(1).BorderColor(), 0x80FFFFu);
  EXPECT_TRUE(main.XPos.Enabled());
  editor.MarkerWin_MouseMove(1, 0, 350, 510);
  EXPECT_EQ(Lines(), (std::vector<MarkerRecord>{{"L", 200, 500, 500, 500}}));
  editor.MarkerWin_MouseMove(1, 0, 3520, 900);  // outside the band
  editor.MarkerWin_MouseMove(2, 0, 400, 900);   // not the left button alone
  EXPECT_EQ(Lines(), (std::vector<MarkerRecord>{{"L", 200, 500, 500, 500}}));
  main.XPos.SetValue(10);
  main.Y2Move.SetValue(3);
  EXPECT_EQ(Lines(), (std::vector<MarkerRecord>{{"L", 205, 505, 500, 505}})) << "one step a change";
  EXPECT_EQ(PointsAt(99, 770, -1875, kWhite), 3) << "each change is projected: 205 x 0.75 rounds to 154";

  // Cleared lines leave no selection: bars and drags move nothing, and the
  // markers are shown again.
  editor.MWClr_Click();
  EXPECT_EQ(state.SelectedMarker, 0);
  EXPECT_FALSE(main.XPos.Enabled());
  EXPECT_FALSE(main.MWDel.Enabled());
  editor.LoadLine(0);
  const std::size_t merges = board.CallsNamed("WriteFrame").size();
  main.XPos.SetValue(2);
  editor.MarkerWin_MouseMove(1, 0, 400, 400);
  EXPECT_EQ(Lines(), (std::vector<MarkerRecord>{{"L", 200, 500, 200, 200}}));
  EXPECT_EQ(board.CallsNamed("WriteFrame").size(), merges + 1) << "the bar's change shows the markers";
  main.XPos.SetValue(0);
  EXPECT_EQ(main.MRec.UBound(), 1) << "Clear leaves rectangles";
}

TEST_F(MarkerEditorTest, StoreSavesTheVisibleLinesIntoTheActiveRowAndTheFile) {
  editor.LoadLine(0);
  editor.LoadCross();
  editor.MarkerWin_MouseDown(1, 0, 350, 200);
  editor.MWDel_Click();
  editor.LoadLine(90);
  boxes.Answer(winplat::IDCANCEL);
  Grid().ClickCell(3, 2);
  editor.BtnStMkr_Click();
  EXPECT_EQ(GetGridCell(Grid(), 3, 5), "L, 200, 500, 200, 200;L, 200, 200, 200, 500;");
  EXPECT_NE(testsupport::ReadFile(testsupport::Root() / "C" / "Fieldray" / "Marker.Dat").find("CELL 3 5 L, 200"),
            std::string::npos);
}

TEST_F(MarkerEditorTest, ACellClickAsksToMergeAndEachAnswerDoesItsOwnThing) {
  SetGridCell(Grid(), 2, 5, "L, 10, 20, 30, 40;L, 50, 60, 70, 80;");
  struct Case {
    int answer;
    std::size_t lines;
  } cases[] = {{winplat::IDYES, 3}, {winplat::IDNO, 2}, {winplat::IDCANCEL, 1}};
  for (const Case& c : cases) {
    editor.MWClr_Click();
    editor.LoadLine(0);
    boxes.Answer(c.answer);
    boxes.ClearShown();
    Grid().ClickCell(2, 1);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Alert: Do you wish to Merge Markers?"});
    EXPECT_EQ(Lines().size(), c.lines) << "answer " << c.answer;
    EXPECT_EQ(main.Merge.Value(), 0);
  }
  // Merge checked, or no lines: no question; the set is added, or loaded.
  main.Merge.SetValue(1);
  boxes.ClearShown();
  Grid().ClickCell(2, 3);
  EXPECT_EQ(Lines().size(), 3u);
  editor.MWClr_Click();
  Grid().ClickCell(2, 3);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Lines(), (std::vector<MarkerRecord>{{"L", 10, 20, 30, 40}, {"L", 50, 60, 70, 80}}));
}

// What the marker window shows is the visible lines, whichever way the lines
// came and went: its picture as it stands equals the picture drawn afresh,
// and holds as many drawn pixels as the lines it should show.
TEST_F(MarkerEditorTest, TheMarkerWindowShowsOnlyTheVisibleLinesAfterEachAnswerDelAndClear) {
  main.Show();
  const winplat::HWND window = main.MarkerWin.hWnd();
  ASSERT_NE(window, 0u);
  auto picture = [window] {
    while (winplat::DispatchPending() > 0) {
    }
    winplat::PaintPendingWindows();
    return winplat::CaptureWindow(window).pixels;
  };
  const auto blank = picture();
  auto drawn = [&blank](const std::vector<winplat::COLORREF>& pixels) {
    int n = 0;
    for (std::size_t i = 0; i < pixels.size() && i < blank.size(); ++i) n += pixels[i] != blank[i];
    return n;
  };
  SetGridCell(Grid(), 1, 5, "L, 1000, 1000, 300, 1700;L, 300, 1700, 1000, 1000;");  // a "+"
  SetGridCell(Grid(), 2, 5, "L, 2000, 3000, 2500, 2500;");                         // a "-" apart from it
  int plus = 0, both = 0;
  struct Step {
    const char* what;
    std::function<void()> act;
    std::size_t visible;
    std::function<int()> pixels;  // drawn pixels expected (-1: only fewer than before)
  } steps[] = {
      {"row 1 loaded", [&] { Grid().ClickCell(1, 1); }, 2, nullptr},
      {"row 2 answered Yes", [&] { boxes.Answer(winplat::IDYES); Grid().ClickCell(2, 1); }, 3, nullptr},
      {"row 2 answered No", [&] { boxes.Answer(winplat::IDNO); Grid().ClickCell(2, 1); }, 1,
       [&] { return both - plus; }},
      {"row 1 answered No", [&] { boxes.Answer(winplat::IDNO); Grid().ClickCell(1, 1); }, 2, [&] { return plus; }},
      {"a line deleted", [&] { editor.MarkerWin_MouseDown(1, 0, 1000, 500); editor.MWDel_Click(); }, 1,
       [] { return -1; }},
      {"cleared", [&] { editor.MWClr_Click(); }, 0, [] { return 0; }},
  };
  int before = 0;
  for (const Step& step : steps) {
    step.act();
    std::size_t visible = 0;
    for (const auto& [i, l] : main.MLine.Elements()) visible += i >= 1 && l->Visible();
    ASSERT_EQ(visible, step.visible) << step.what;
    const auto shown = picture();
    winplat::InvalidateRect(window, nullptr, true);
    EXPECT_TRUE(shown == picture()) << step.what << ": drawn afresh it differs";
    const int n = drawn(shown);
    if (!step.pixels) {
      (plus ? both : plus) = n;
      EXPECT_GT(n, before) << step.what;
    } else if (step.pixels() < 0) {
      EXPECT_GT(n, 0) << step.what;
      EXPECT_LT(n, before) << step.what;
    } else {
      EXPECT_EQ(n, step.pixels()) << step.what;
    }
    before = n;
  }
  main.Unload();
}

TEST_F(MarkerEditorTest, ArrowKeysReloadTheRowTheGridMovedTo) {
  SetGridCell(Grid(), 1, 5, "L, 100, 200, 300, 300;");
  SetGridCell(Grid(), 2, 5, "L, 400, 500, 600, 600;");
  Grid().PressKey(40);
  EXPECT_EQ(Lines(), (std::vector<MarkerRecord>{{"L", 400, 500, 600, 600}}));
  EXPECT_EQ(PointsAt(99, 1500, -2250, kWhite), 3);
  Grid().PressKey(38);
  EXPECT_EQ(Lines(), (std::vector<MarkerRecord>{{"L", 100, 200, 300, 300}}));
  Grid().PressKey(37);
  EXPECT_EQ(Lines().size(), 1u) << "other keys do nothing";
}

}  // namespace
}  // namespace fieldray::console
