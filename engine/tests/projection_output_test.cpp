// The projection output: scan rate, the display frame, the caption frame, the
// calibration list, the option groups and Delay.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/caption_text.h"
#include "engine/output_switches.h"
#include "engine/projection_output.h"
#include "engine/tests/engine_fakes.h"
#include "job/grid_cells.h"
#include "winplat/clock.h"
#include "winplat/msgbox.h"
#include "winplat/timer.h"

namespace {

using fieldray::engine::OutputCheck;
using fieldray::engine::OutputText;
namespace eng = fieldray::engine;

// A board frame of `count` points at x = 1..count.
void PutFrame(enginetest::FakeBoard& b, std::int32_t frame, std::int32_t count) {
  auto& f = b.frames[frame];
  f.first = FrameStruct{};
  f.first.NumPoints = count;
  f.second.clear();
  for (std::int32_t i = 1; i <= count; ++i) {
    PointStruct p{};
    p.X = i;
    p.Y = 2 * i;
    f.second.push_back(p);
  }
}

class ProjectionTest : public ::testing::Test {
 protected:
  ProjectionTest() {
    winplat::SetClock(&clock);
    auto& c = rig.console;
    c.texts[OutputText::SRUL] = "15000";
    c.texts[OutputText::SRLL] = "5000";
    c.texts[OutputText::BlnkTm] = "2000";
    c.texts[OutputText::CapX] = "-9000";
    c.texts[OutputText::CapY] = "-9000";
    c.texts[OutputText::CharW] = "11";
    c.texts[OutputText::CharH] = "20";
    c.optFld = {{1, true}, {2, false}};
    for (std::int16_t i = 1; i <= 6; ++i) c.prjPos[i] = false;
    rig.state.FieldCalibration[1].XScale = 8000;
    rig.state.FieldCalibration[1].YScale = 6000;
    rig.state.FieldCalibration[2] = rig.state.FieldCalibration[1];
    // The console's handlers, as its check boxes raise them.
    c.onCheckClick = [this](OutputCheck box) {
      if (box == OutputCheck::CapBtn) eng::CapBtn_Click(rig.e);
      if (box == OutputCheck::OnOff) eng::OnOff_Click(rig.e);
    };
  }
  ~ProjectionTest() override { winplat::SetClock(nullptr); }

  void Show(std::int32_t frame) { eng::ShowProjection(rig.e, frame); }

  winplat::ManualClock clock;
  enginetest::EngineRig rig;
};

TEST_F(ProjectionTest, ScanRateIsHeldBetweenTheLimitsAndTheSkewFollowsTheBlanking) {
  rig.state.ScanRateCache = 20;
  PutFrame(rig.board, 7, 120);
  rig.board.workingFrame = 7;
  eng::SetScanRateForFrame(rig.e);
  EXPECT_EQ(rig.board.CallsNamed("DisplayFreq3").back(), "DisplayFreq3 5000 5000 5000");
  EXPECT_EQ(rig.board.CallsNamed("DisplaySkew").back(), "DisplaySkew 4 4 0");
  EXPECT_EQ(rig.console.labStat, " 120  5000  4");

  PutFrame(rig.board, 7, 900);
  eng::SetScanRateForFrame(rig.e);
  EXPECT_EQ(rig.board.CallsNamed("DisplayFreq3").back(), "DisplayFreq3 15000 15000 15000");
  EXPECT_EQ(rig.board.CallsNamed("DisplaySkew").back(), "DisplaySkew 4 9 0");
  EXPECT_EQ(rig.console.labStat, " 900  15000  9");
}

TEST_F(ProjectionTest, MultiplierAndBlankingAreBroughtIntoTheirUpDownRanges) {
  rig.state.ScanRateCache = 90;  // above 50
  rig.console.texts[OutputText::SRUL] = "100000";
  rig.console.texts[OutputText::BlnkTm] = "99999";
  PutFrame(rig.board, 7, 100);
  rig.board.workingFrame = 7;
  eng::SetScanRateForFrame(rig.e);
  EXPECT_EQ(rig.state.ScanRateCache, 50);
  EXPECT_EQ(rig.console.texts[OutputText::BlnkTm], " 15000");
  EXPECT_EQ(rig.board.CallsNamed("DisplayFreq3").back(), "DisplayFreq3 5000 5000 5000");
  rig.console.texts[OutputText::BlnkTm] = "abc";
  eng::SetScanRateForFrame(rig.e);
  EXPECT_EQ(rig.console.texts[OutputText::BlnkTm], " 2000");
  EXPECT_EQ(rig.board.CallsNamed("DisplaySkew").back(), "DisplaySkew 4 4 0");
}

TEST_F(ProjectionTest, OutputOffShowsAnEmptyDisplayFrameAndOnShowsTheLastFrame) {
  PutFrame(rig.board, 3, 10);
  rig.console.checks[OutputCheck::OnOff] = 0;
  Show(3);
  EXPECT_EQ(rig.board.CallsNamed("MergeFrames").back(), "MergeFrames 0 15 15");
  EXPECT_EQ(rig.board.frames[15].second.size(), 0u);
  EXPECT_EQ(rig.state.LastShownFrame, 3);
  EXPECT_EQ(rig.board.displayed, 15);
  EXPECT_EQ(rig.board.CallsNamed("RedrawFrame").back(), "RedrawFrame 4242 1 6000 1 -1 0 0 0");

  rig.console.SetCheckState(OutputCheck::OnOff, 1);  // its click shows frame -1
  EXPECT_EQ(rig.console.onOffCaption, "Laser ON");
  EXPECT_EQ(rig.console.tabFocus, 1);
  EXPECT_EQ(rig.board.CallsNamed("MergeFrames").back(), "MergeFrames 3 15 15");
  EXPECT_EQ(rig.board.frames[15].second.size(), 10u);
  EXPECT_EQ(rig.state.EngineBusy, 0);
}

TEST_F(ProjectionTest, FrameZeroWithOutputOnLeavesTheBoardsAlone) {
  rig.console.checks[OutputCheck::OnOff] = 1;
  rig.state.LastShownFrame = 4;
  Show(0);
  EXPECT_TRUE(rig.board.calls.empty());
  EXPECT_EQ(rig.state.LastShownFrame, 0);
}

TEST_F(ProjectionTest, AnInvertedFieldInvertsTheDisplayFrameOnceAndNotTheJobFrame) {
  PutFrame(rig.board, 3, 5);
  rig.console.checks[OutputCheck::OnOff] = 1;
  rig.console.optFld = {{1, false}, {2, true}};
  Show(3);
  EXPECT_EQ(rig.board.CallsNamed("InvertPointsActive").size(), 1u);
  EXPECT_EQ(rig.board.frames[15].second[0].X, -1);
  EXPECT_EQ(rig.board.frames[3].second[0].X, 1);
  EXPECT_EQ(rig.state.InversionState, fieldray::BoolTrue);
  // Shown again: merged afresh and inverted once more, never twice.
  Show(-1);
  EXPECT_EQ(rig.board.frames[15].second.size(), 5u);
  EXPECT_EQ(rig.board.frames[15].second[0].X, -1);
  EXPECT_EQ(rig.board.frames[3].second[0].X, 1);
}

TEST_F(ProjectionTest, ControlBoxBusyLeavesTheCorrectionAlone) {
  PutFrame(rig.board, 3, 5);
  rig.console.checks[OutputCheck::OnOff] = 1;
  Show(3);
  const auto rows = rig.board.geoRows.size();
  EXPECT_GT(rows, 0u);
  rig.state.ControlBoxBusy = fieldray::BoolTrue;
  Show(3);
  EXPECT_EQ(rig.board.geoRows.size(), rows);
}

TEST_F(ProjectionTest, APendingCaptionIsShownInsteadOfTheFrame) {
  PutFrame(rig.board, 3, 5);
  rig.console.checks[OutputCheck::OnOff] = 1;
  rig.console.checks[OutputCheck::CapBtn] = 1;
  rig.state.CaptionText = "AB\rC";
  Show(3);
  EXPECT_TRUE(rig.board.CallsNamed("MergeFrames").empty());
  EXPECT_EQ(rig.state.LastShownFrame, 0);
  EXPECT_EQ(rig.board.displayed, 101);
  const auto& f = rig.board.frames[101];
  EXPECT_EQ(std::string(f.first.Name, 4), "Text");
  ASSERT_EQ(f.second.size(), 3u);
  // Each character starts 100 right of the position; the next line 2.3 H lower.
  EXPECT_EQ(f.second[0].X, -8900);
  EXPECT_EQ(f.second[1].X, -8900 + 500 + 100);
  EXPECT_EQ(f.second[2].X, -8900);
  EXPECT_EQ(f.second[2].Y, -9000 - 2300);
  EXPECT_EQ(rig.board.CallsNamed("SetLaserChar").back(), "SetLaserChar 1 4 1 108 11 20 120 30 16777215");
  EXPECT_EQ(rig.board.CallsNamed("SetWorkingScale").back(), "SetWorkingScale -8000 8000 -6000 6000 0 0");
}

TEST_F(ProjectionTest, AMissingCaptionFontShowsNoCaptionFrame) {
  rig.board.fontStatus = -401;
  rig.console.checks[OutputCheck::OnOff] = 1;
  rig.console.checks[OutputCheck::CapBtn] = 1;
  rig.console.texts[OutputText::CharW] = "0";
  rig.state.CaptionText = "X";
  Show(3);
  EXPECT_EQ(rig.board.displayed, -1);
  EXPECT_TRUE(rig.board.CallsNamed("DisplayFreq3").empty());
  EXPECT_NE(rig.console.msg.find("stick.vxf"), std::string::npos);
  EXPECT_EQ(rig.console.texts[OutputText::CharW], "0");  // nothing was built
}

TEST_F(ProjectionTest, CaptionSizeBelowOneBecomesOne) {
  rig.console.texts[OutputText::CharW] = "abc";
  rig.console.texts[OutputText::CharH] = "0.4";
  std::string text = "n";
  std::int32_t x = 0, y = 0;
  rig.board.workingFrame = 101;
  EXPECT_TRUE(eng::BuildCaptionFrame(rig.e, text, x, y));
  EXPECT_EQ(rig.console.texts[OutputText::CharW], "1");
  EXPECT_EQ(rig.console.texts[OutputText::CharH], "1");
  EXPECT_EQ(rig.board.CallsNamed("SetLaserChar").back(), "SetLaserChar 1 4 1 108 1 1 120 30 16777215");
}

TEST_F(ProjectionTest, CaptionButtonLocksThePresetsWhileOn) {
  rig.console.SetCheckState(OutputCheck::CapBtn, 1);
  EXPECT_FALSE(rig.console.pmFrameEnabled);
  EXPECT_FALSE(rig.console.prjPosEnabled[6]);
  rig.console.SetCheckState(OutputCheck::CapBtn, 0);
  EXPECT_TRUE(rig.console.pmFrameEnabled);
  EXPECT_TRUE(rig.console.prjPosEnabled[1]);
}

TEST_F(ProjectionTest, CalibrationListEndsWithTheFirstEmptyName) {
  rig.board.calibrationNames = {"Cross", std::string("Grid\0 \0", 7), "  "};
  eng::ListCalibrationFrames(rig.e);
  EXPECT_EQ(rig.console.listCal, (std::vector<std::string>{"Cross", "Grid", ""}));
}

TEST_F(ProjectionTest, AMissingCalibrationFileIsReportedAndListsOneEmptyEntry) {
  winplat::MessageBoxScript boxes;
  rig.board.loadStatus = -401;
  eng::ListCalibrationFrames(rig.e);
  EXPECT_EQ(rig.state.VXStatus, -401);
  EXPECT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(rig.console.listCal, (std::vector<std::string>{""}));
}

TEST_F(ProjectionTest, OptionGroups) {
  rig.console.prjPos[4] = true;
  rig.console.prjPos[5] = true;
  EXPECT_EQ(eng::CheckedPrjPos(rig.e), 4);
  rig.console.swOpt.SetMaxCols(6);
  for (std::int32_t i = 1; i <= 6; ++i) fieldray::SetGridCell(rig.console.swOpt, 0, i, "P" + std::to_string(i));
  eng::LoadPrjPosCaptions(rig.e);
  EXPECT_EQ(rig.console.prjPosCaption[6], "P6");
  bool off = false;
  eng::EnableOptFld(rig.e, off);
  EXPECT_EQ(rig.state.OptFldEnabled, fieldray::BoolFalse);
  EXPECT_FALSE(rig.console.optFldEnabled[2]);
  EXPECT_FALSE(rig.console.mfFrameEnabled);
}

TEST_F(ProjectionTest, DelayRunsAcrossMidnight) {
  clock.SetSecondsSinceMidnight(86399.0);
  float two = 2;
  eng::Delay(two);
  // Two seconds later, to the precision of the single-precision timer.
  EXPECT_NEAR(clock.SecondsSinceMidnight(), 1.0, 0.05);
}

TEST_F(ProjectionTest, ZeroDelayReturnsAtOnce) {
  const double before = clock.SecondsSinceMidnight();
  float none = 0;
  eng::Delay(none);
  EXPECT_LT(clock.SecondsSinceMidnight() - before, 0.05);
}

}  // namespace
