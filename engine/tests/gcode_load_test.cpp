// A part program through the load driver: the scan, the tidied path, the
// builders in order, the caption and its wait, and the projection.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

#include "engine/gcode_load.h"
#include "engine/output_switches.h"
#include "engine/projection_output.h"
#include "engine/tests/engine_fakes.h"
#include "tests/support/test_support.h"
#include "toolpath/expressions.h"
#include "toolpath/geometry.h"
#include "winplat/clock.h"
#include "winplat/msgbox.h"
#include "winplat/timer.h"

namespace {

using fieldray::engine::OutputCheck;
using fieldray::engine::OutputText;
namespace eng = fieldray::engine;

class GcodeLoadTest : public ::testing::Test {
 protected:
  GcodeLoadTest() {
    winplat::SetClock(&clock);
    fieldray::toolpath::ConnectEval(eval, rig.state);
    auto& c = rig.console;
    c.StandardOutput();
    c.CaptionBox("-7000", "-5000", "11", "20");
    c.optFld = {{1, true}};
    for (std::int16_t i = 1; i <= 6; ++i) c.prjPos[i] = i == 2;
    rig.state.FieldCalibration[1].XScale = 8000;
    rig.state.FieldCalibration[1].YScale = 6000;
    c.onCheckClick = [this](OutputCheck box) {
      if (box == OutputCheck::CapBtn) eng::CapBtn_Click(rig.e);
    };
    auto step = [this](const char* name) { return [this, name](eng::Engine&) { order.push_back(name); }; };
    rig.e.Builders.AddWorkAreaOutline = step("outline");
    rig.e.Builders.AddTablePattern = step("pattern");
    rig.e.Builders.AppendOffsetPath = step("offset");
    // Stands in for the path-point builder: one switch frame per position.
    rig.e.Builders.BuildPointsFromPath = [this](eng::Engine&) {
      order.push_back("points");
      for (std::int32_t f = 1; f <= 2; ++f) {
        auto& fr = rig.board.frames[f];
        fr.first.NumPoints = static_cast<std::int32_t>(rig.state.PathElements.size()) - 1;
        fr.second.assign(static_cast<std::size_t>(fr.first.NumPoints), PointStruct{});
      }
    };
  }
  ~GcodeLoadTest() override {
    winplat::SetClock(nullptr);
  }

  std::string Write(const std::string& name, const std::string& text) {
    testsupport::WriteFile(testsupport::Root() / "C" / "JOBS" / name, text);
    return "C:\\JOBS\\" + name;
  }
  void Load(std::string path) { eng::LoadGcodeDrawing(rig.e, interp, path); }

  winplat::ManualClock clock;
  enginetest::EngineRig rig;
  winplat::TextScanner awk, parser, eval;
  winplat::SpreadGrid toolDat{40, 6};
  fieldray::toolpath::ToolpathContext ctx{rig.state, awk, parser, eval, toolDat};
  fieldray::toolpath::GcodeInterpreter interp{ctx};
  std::vector<std::string> order;
};

TEST(FourHashRounding, WholeNumbersAsThePatternWritesThem) {
  EXPECT_EQ(eng::RoundFourHash(12.5), 13);
  EXPECT_EQ(eng::RoundFourHash(13.5), 14);
  EXPECT_EQ(eng::RoundFourHash(0.4), 0);
  EXPECT_EQ(eng::RoundFourHash(-0.4), 0);
  EXPECT_EQ(eng::RoundFourHash(-7.6), -8);
}

TEST_F(GcodeLoadTest, AProgramIsBuiltCaptionedAndProjected) {
  rig.state.OriginX = 77;
  rig.console.checks[OutputCheck::CapNam] = 1;
  rig.console.checks[OutputCheck::CapLen] = 1;
  rig.console.checks[OutputCheck::CapThk] = 1;
  rig.console.texts[OutputText::TdTxt] = "45";
  std::optional<enginetest::BusyWatch> watch(std::in_place, rig.state, 1000);
  const double start = clock.SecondsSinceMidnight();

  Load(Write("PANEL7.NC",
             "G71 X1200 Y500 Z3\n"
             "G0 X10.4 Y12.5\n"
             "G1 X110.6 Y13.5\n"
             "G0 X200 Y200\n"));
  const std::vector<std::int32_t> busySeen = std::move(watch->seen);
  watch.reset();

  // The trailing contour start is gone and the ends are whole numbers.
  const auto& p = rig.state.PathElements;
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[1].MoveCode, 88);
  EXPECT_EQ(p[1].EndX, 10);
  EXPECT_EQ(p[2].EndX, 111);
  EXPECT_EQ(rig.state.OriginX, 0);
  EXPECT_EQ(order, (std::vector<std::string>{"outline", "pattern", "offset", "points"}));

  EXPECT_EQ(rig.state.CaptionText, "PANEL7.NC  L 1200  T 3  ");
  // The caption was shown for 30 seconds (45 is cut to 30), busy all along.
  EXPECT_NEAR(clock.SecondsSinceMidnight() - start, 30.0, 1.5);
  EXPECT_FALSE(busySeen.empty());
  for (std::int32_t b : busySeen) EXPECT_GT(b, 0);
  EXPECT_EQ(std::string(rig.board.frames[101].first.Name, 4), "Text");
  EXPECT_EQ(rig.board.frames[101].second.size(), rig.state.CaptionText.size());
  EXPECT_EQ(rig.console.checks[OutputCheck::CapBtn], 0);
  EXPECT_TRUE(rig.console.pmFrameEnabled);

  // Then the checked projection position is shown through frame 15.
  EXPECT_EQ(rig.board.CallsNamed("MergeFrames").back(), "MergeFrames 2 15 15");
  EXPECT_EQ(rig.board.displayed, 15);
  EXPECT_EQ(rig.state.LastShownFrame, 2);
  EXPECT_EQ(rig.board.frames[15].second.size(), 2u);
  EXPECT_EQ(rig.console.msg, "C:\\JOBS\\PANEL7.NC") << "the path and nothing met";
  EXPECT_EQ(rig.state.EngineBusy, 0);
}

// A program for a field whose window has no width or height is not built:
// nothing reaches the boards, the display frame is shown empty, Msg says why.
TEST_F(GcodeLoadTest, AFieldWithAScaleOf0GetsNothingOfTheProgram) {
  rig.console.checks[OutputCheck::CapNam] = 1;
  rig.state.FieldCalibration[1].YScale = 0;
  rig.state.LastShownFrame = 2;
  rig.board.frames[2] = {FrameStruct{}, std::vector<PointStruct>(5)};
  rig.board.frames[2].first.NumPoints = 5;
  Load(Write("PANEL8.NC", "G71 X1200 Y500 Z3\nG0 X10 Y12\nG1 X110 Y13\n"));
  EXPECT_EQ(rig.console.msg, "Field S cannot project: YScaleS is 0 in Fldry.INI");
  EXPECT_TRUE(order.empty()) << "no frame built";
  EXPECT_TRUE(rig.board.CallsNamed("WriteFrame").empty());
  EXPECT_FALSE(rig.board.frames.count(2)) << "the frame of the job before is gone";
  EXPECT_EQ(rig.board.displayed, eng::DisplayFrameNumber);
  EXPECT_EQ(rig.state.LastShownFrame, 0);
  EXPECT_TRUE(rig.state.CaptionText.empty());
}

TEST_F(GcodeLoadTest, NoCaptionBoxesGiveNoCaptionAndNoWait) {
  rig.console.texts[OutputText::TdTxt] = "0";
  const double start = clock.SecondsSinceMidnight();
  Load(Write("P.NC", "G71 X100 Y100 Z5\nG0 X1 Y1\nG1 X5 Y1\n"));
  EXPECT_EQ(rig.state.CaptionText, "");
  EXPECT_LT(clock.SecondsSinceMidnight() - start, 1.0);
  EXPECT_TRUE(rig.board.CallsNamed("LoadFont").empty());
}

TEST_F(GcodeLoadTest, AFaultWhileBuildingDeletesTheJobFrames) {
  rig.e.Builders.AppendOffsetPath = [](eng::Engine&) { throw std::runtime_error("offset pass failed"); };
  Load(Write("BAD.NC", "G71 X100 Y100 Z5\nG0 X1 Y1\nG1 X5 Y1\n"));
  EXPECT_EQ(rig.board.CallsNamed("DeleteFrames").back(), "DeleteFrames 1 15");
  EXPECT_NE(rig.console.msg.find("offset pass failed"), std::string::npos);
  EXPECT_TRUE(rig.board.CallsNamed("MergeFrames").empty());
  EXPECT_EQ(rig.state.EngineBusy, 0);
}

TEST_F(GcodeLoadTest, APositionThatKeepsNoPointIsReported) {
  rig.console.texts[OutputText::TdTxt] = "0";
  // The options of every position drop every point: no frame is written.
  rig.e.Builders.BuildPointsFromPath = [](eng::Engine&) {};
  Load(Write("DROP.NC", "G71 X100 Y100 Z5\nG0 X1 Y1\nG1 X5 Y1\n"));
  EXPECT_EQ(rig.console.msg, "C:\\JOBS\\DROP.NC; Switch position 2 keeps no point of DROP.NC: check the switch options");
  EXPECT_EQ(rig.state.LastShownFrame, 2);
}

TEST_F(GcodeLoadTest, AMissingProgramIsReportedAndNothingIsBuilt) {
  Load("C:\\JOBS\\NONE.NC");
  EXPECT_NE(rig.console.msg.find("not read"), std::string::npos);
  EXPECT_TRUE(order.empty());
  EXPECT_TRUE(rig.board.calls.empty());
}

TEST_F(GcodeLoadTest, ArcChordMessageIsShownOnceAfterTheScan) {
  winplat::MessageBoxScript boxes;
  Load(Write("ARC.NC",
             "G71 X1000 Y1000 Z5\n"
             "G0 X0 Y0\n"
             "G2 X100 Y0 U5\n"
             "G2 X200 Y0 U5\n"));
  int chord = 0;
  for (const auto& b : boxes.Shown())
    if (b.text == fieldray::toolpath::ChordTooLongMessage) ++chord;
  EXPECT_EQ(chord, 1);
}

}  // namespace
