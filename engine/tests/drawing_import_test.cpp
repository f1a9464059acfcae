// Opening files: drawings read by the real view control into the path, placed
// by the quadrant rule and written as frame 14 on a recording board; the size
// limit, the ".DXF" test and the hand-over to the G-code driver.
#include <gtest/gtest.h>

#include <optional>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>

#include "engine/drawing_import.h"
#include "engine/frame_assembly.h"
#include "engine/output_switches.h"
#include "engine/path_points.h"
#include "engine/tests/control_host.h"
#include "engine/tests/dxf_text.h"
#include "engine/tests/engine_fakes.h"
#include "test_support.h"
#include "toolpath/expressions.h"
#include "winplat/clock.h"
#include "winplat/screen.h"
#include "winplat/timer.h"

namespace {

using enginetest::DxfText;
using fieldray::PathElement;
using fieldray::engine::OutputCheck;
using fieldray::engine::OutputText;
namespace eng = fieldray::engine;

class DrawingImport : public ::testing::Test {
 protected:
  DrawingImport() {
    winplat::SetClock(&clock);
    fieldray::toolpath::ConnectEval(eval, rig.state);
    auto& c = rig.console;
    c.StandardOutput();
    c.CaptionBox("-9000", "-9000", "11", "20");
    c.optFld = {{1, false}, {3, true}};
    for (std::int16_t i = 1; i <= 6; ++i) c.prjPos[i] = i == 1;
    rig.state.FieldCalibration[1].XScale = 8000;
    rig.state.FieldCalibration[1].YScale = 6000;
    rig.state.FieldCalibration[3].XScale = 7000;
    rig.state.FieldCalibration[3].YScale = 5000;
    rig.state.HoldStart = 1;
    rig.state.HoldVertex = 1;
    rig.state.HoldEnd = 1;
    rig.e.Builders.BuildPointsFromPath = eng::BuildPointsFromPath;
    rig.e.Builders.DensifyFramePoints = eng::DensifyFramePoints;
    rig.e.Builders.AddWorkAreaOutline = [this](eng::Engine&) { gcodeBuilt = true; };
    c.onCheckClick = [this](OutputCheck box) {
      if (box == OutputCheck::CapBtn) eng::CapBtn_Click(rig.e);
    };
  }
  ~DrawingImport() override { winplat::SetClock(nullptr); }

  std::string Write(const std::string& name, const std::string& text) {
    testsupport::WriteFile(testsupport::Root() / "C" / "JOBS" / name, text);
    return "C:\\JOBS\\" + name;
  }
  void Open(std::string path) { eng::OpenDrawingFile(rig.e, control.Host(), interp, path); }
  void OpenDrawing(const DxfText& d) { Open(Write("PART.DXF", d.Str())); }

  const PathElement& El(std::size_t i) const { return rig.state.PathElements.at(i); }
  std::vector<std::int32_t> Codes() const {
    std::vector<std::int32_t> out;
    for (std::size_t i = 1; i < rig.state.PathElements.size(); ++i) out.push_back(El(i).MoveCode);
    return out;
  }
  bool Called(const std::string& call) const {
    const auto& calls = rig.board.calls;
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }
  std::ptrdiff_t IndexOf(const std::string& call) const {
    const auto& calls = rig.board.calls;
    return std::find(calls.begin(), calls.end(), call) - calls.begin();
  }

  winplat::ManualClock clock;
  enginetest::EngineRig rig;
  enginetest::ControlHost control;
  winplat::TextScanner awk, parser, eval;
  winplat::SpreadGrid toolDat{40, 6};
  fieldray::toolpath::ToolpathContext ctx{rig.state, awk, parser, eval, toolDat};
  fieldray::toolpath::GcodeInterpreter interp{ctx};
  bool gcodeBuilt = false;
};

void ExpectEnd(const PathElement& el, std::int32_t code, double x, double y) {
  EXPECT_EQ(el.MoveCode, code);
  EXPECT_NEAR(el.EndX, x, 1e-3);
  EXPECT_NEAR(el.EndY, y, 1e-3);
}

void ExpectCentre(const PathElement& el, double x, double y) {
  EXPECT_NEAR(el.CentreX, x, 1e-3);
  EXPECT_NEAR(el.CentreY, y, 1e-3);
}

TEST(DrawingUnits, SmallDrawingsAreTakenToBeInInches) {
  EXPECT_EQ(eng::DrawingUnitFactor(0, 80, 120, 0), 25.4);
  EXPECT_EQ(eng::DrawingUnitFactor(0, 10, 150, 0), 1.0);
  EXPECT_EQ(eng::DrawingUnitFactor(0, 100, 149.9f, 0), 1.0);
  EXPECT_EQ(eng::DrawingUnitFactor(-200, 5, -60, 0), 25.4);
}

TEST(BulgeCentres, EveryBulgeGivesTheCentreOfItsArc) {
  double cx = 0, cy = 0;
  // A half circle: the centre is the chord's middle.
  ASSERT_TRUE(eng::BulgeCentre(0, 0, 100, 0, 1, cx, cy));
  EXPECT_NEAR(cx, 50, 1e-9);
  EXPECT_NEAR(cy, 0, 1e-9);
  // Over half a turn (bulge 2, 253.7 degrees): radius 62.5, centre beyond the chord.
  ASSERT_TRUE(eng::BulgeCentre(0, 0, 100, 0, 2, cx, cy));
  EXPECT_NEAR(cx, 50, 1e-9);
  EXPECT_NEAR(cy, 37.5, 1e-9);
  // The other turning direction mirrors it.
  ASSERT_TRUE(eng::BulgeCentre(0, 0, 100, 0, -2, cx, cy));
  EXPECT_NEAR(cy, -37.5, 1e-9);
  ASSERT_TRUE(eng::BulgeCentre(0, 0, 100, 0, 0.5, cx, cy));
  EXPECT_NEAR(cy, -37.5, 1e-9);  // (1 - 0.25) / 2 x 100 on the near side
  EXPECT_NEAR(std::hypot(cx, cy), std::hypot(100 - cx, cy), 1e-9);
  // No chord, a sweep below a tenth of a degree, a bulge that is no number.
  EXPECT_FALSE(eng::BulgeCentre(5, 5, 5, 5, 1, cx, cy));
  EXPECT_FALSE(eng::BulgeCentre(0, 0, 100, 0, 0.0004, cx, cy));
  EXPECT_TRUE(eng::BulgeCentre(0, 0, 100, 0, 0.0005, cx, cy));
  EXPECT_FALSE(eng::BulgeCentre(0, 0, 100, 0, std::nan(""), cx, cy));
}

TEST_F(DrawingImport, LinesInOneQuadrantBecomeFrame14UnderTheSelectedField) {
  OpenDrawing(DxfText().Line(0, 0, 200, 0).Line(200, 0, 200, 100));
  ASSERT_EQ(Codes(), (std::vector<std::int32_t>{88, 1, 88, 1})) << rig.console.msg;
  // The drawing's y is negated in the path; the frame builder ran once.
  ExpectEnd(El(2), 1, 200, 0);
  ExpectEnd(El(4), 1, 200, -100);
  EXPECT_EQ(rig.console.msgHistory.front(), "C:\\JOBS\\PART.DXF");
  ASSERT_TRUE(rig.board.frames.count(14));
  EXPECT_EQ(std::string(rig.board.frames[14].first.Name, 3), "DXF");
  EXPECT_GT(rig.board.frames[14].first.NumPoints, 0);
  // Run-field placement with field T (the checked one); the group is enabled again.
  EXPECT_LT(IndexOf("SetWorkingScale -200 14000 -5000 5000 0 0"), IndexOf("SetWorkingFrame 14"));
  EXPECT_EQ(rig.state.OptFldEnabled, fieldray::BoolTrue);
  EXPECT_FALSE(Called("SetWorkingScale -8000 8000 -6000 6000 0 0"));
  // Shown through the display frame.
  EXPECT_TRUE(Called("MergeFrames 14 15 15"));
  EXPECT_EQ(rig.state.LastShownFrame, 14);
  EXPECT_EQ(rig.state.EngineBusy, 0);
  EXPECT_EQ(winplat::MousePointer(), winplat::vbDefault);
}

TEST_F(DrawingImport, ADrawingAcrossAnAxisIsShownAboutTheOriginInFieldS) {
  for (const auto& [x1, y1, x2, y2] : {std::array<double, 4>{-100, 0, 100, 50}, {0, -50, 200, 50}}) {
    rig.board.calls.clear();
    OpenDrawing(DxfText().Line(x1, y1, x2, y2));
    const auto window = IndexOf("SetWorkingScale -8000 8000 -6000 6000 0 0");
    ASSERT_LT(window, static_cast<std::ptrdiff_t>(rig.board.calls.size())) << testing::PrintToString(rig.board.calls);
    EXPECT_LT(window, IndexOf("SetWorkingFrame 14"));
    EXPECT_TRUE(Called("DisplayPostTrans 0.000000 0.000000 0.000000"));
    EXPECT_EQ(rig.state.OptFldEnabled, fieldray::BoolFalse);
    EXPECT_FALSE(rig.console.mfFrameEnabled);
    EXPECT_TRUE(Called("MergeFrames 14 15 15"));
  }
}

TEST_F(DrawingImport, AHandEditedFieldSScaleAtTheLongLimitIsHeldNotNegatedPastIt) {
  rig.state.FieldCalibration[1].XScale = std::numeric_limits<std::int32_t>::min();
  rig.state.FieldCalibration[1].YScale = 6000;
  OpenDrawing(DxfText().Line(-100, 0, 100, 50));
  EXPECT_TRUE(Called("SetWorkingScale 2147483647 -2147483648 -6000 6000 0 0"))
      << testing::PrintToString(rig.board.calls);
}

TEST_F(DrawingImport, ASmallDrawingIsScaledFromInches) {
  OpenDrawing(DxfText().Line(0, 0, 4, 2).Circle(2, 1, 0.5));
  ASSERT_EQ(Codes(), (std::vector<std::int32_t>{88, 3, 88, 1}));
  ExpectEnd(El(1), 88, 50.8, -25.4 - 12.7);
  ExpectEnd(El(2), 3, 50.8, -25.4 - 12.7);
  ExpectCentre(El(2), 50.8, -25.4);
  ExpectEnd(El(3), 88, 0, 0);
  ExpectEnd(El(4), 1, 101.6, -50.8);
}

TEST_F(DrawingImport, PolylineBulgesBecomeArcsOfTheRightCentreAndDirection) {
  // One contour: a line, a half circle (bulge 1), more than half a turn
  // (bulge 2), a clockwise arc (bulge -0.5) and a bulge too small to draw.
  // A second polyline starting 0.02 away starts a new contour; one whose start
  // lies within 0.01 of that end continues it.
  OpenDrawing(DxfText()
                  .Polyline({{0, 0, 0}, {200, 0, 1}, {200, 100, 2}, {100, 100, -0.5}, {0, 100, 0.0001}, {0, 50, 0}})
                  .Polyline({{0.02, 50, 0}, {0, 20, 0}})
                  .Polyline({{0.005, 20, 0}, {0, 0, 0}}));
  ASSERT_EQ(Codes(), (std::vector<std::int32_t>{88, 1, 3, 3, 2, 1, 88, 1, 1})) << rig.console.msg;
  ExpectEnd(El(3), 3, 200, -100);
  ExpectCentre(El(3), 200, -50);
  // Bulge 2 over the chord from (200, -100) to (100, -100): centre 37.5 beyond it.
  ExpectEnd(El(4), 3, 100, -100);
  ExpectCentre(El(4), 150, -100 - 37.5);
  // Bulge -0.5 (drawing clockwise): code 2, centre on the chord's near side.
  ExpectEnd(El(5), 2, 0, -100);
  ExpectCentre(El(5), 50, -100 - 37.5);
  ExpectEnd(El(6), 1, 0, -50);
  ExpectEnd(El(7), 88, 0.02, -50);
  EXPECT_EQ(rig.state.EngineBusy, 0);
}

TEST_F(DrawingImport, CirclesAndArcsStartAtTheirFirstPoint) {
  OpenDrawing(DxfText()
                  .Line(0, 0, 300, 0)
                  .Circle(5, 5, 10)
                  .Arc(0, 0, 10, 0, 90)
                  .Arc(100, 0, 50, 10, 10.05)
                  .Arc(100, 0, 50, 350, 20));
  ASSERT_EQ(Codes(), (std::vector<std::int32_t>{88, 3, 88, 3, 88, 1, 88, 3, 88, 1}));
  ExpectEnd(El(1), 88, 5, -15);
  ExpectEnd(El(2), 3, 5, -15);
  ExpectCentre(El(2), 5, -5);
  ExpectEnd(El(3), 88, 10, 0);
  ExpectEnd(El(4), 3, 0, -10);
  ExpectCentre(El(4), 0, 0);
  // A sweep of 0.05 degrees is drawn as its chord.
  ExpectEnd(El(6), 1, 100 + 50 * std::cos(10.05 * M_PI / 180), -50 * std::sin(10.05 * M_PI / 180));
  // An arc through 0 degrees is kept.
  ExpectEnd(El(8), 3, 100 + 50 * std::cos(20 * M_PI / 180), -50 * std::sin(20 * M_PI / 180));
}

TEST_F(DrawingImport, ATextOnlyDrawingIsNotDisplayable) {
  testsupport::WriteFile(testsupport::Root() / "C" / "Fieldray" / "stick.vxf", "font");
  rig.console.checks[OutputCheck::CapMsg] = 1;
  rig.console.checks[OutputCheck::OnOff] = 0;
  OpenDrawing(DxfText().Text(10, 10, "HELLO"));
  EXPECT_EQ(rig.console.msg, "Contains No Displayable Entities");
  EXPECT_TRUE(Called("DeleteFrames 1 15"));
  EXPECT_EQ(rig.board.frames.count(14), 0u);
  // With the output off nothing is projected, not even the message.
  EXPECT_FALSE(Called("SetWorkingFrame 101"));

  rig.console.checks[OutputCheck::OnOff] = 1;
  rig.board.calls.clear();
  OpenDrawing(DxfText().Text(10, 10, "HELLO"));
  EXPECT_TRUE(Called("SetWorkingFrame 101"));
  EXPECT_TRUE(Called("DisplayFrame 101"));
}

TEST_F(DrawingImport, TheSizeLimitIs100000Bytes) {
  auto padded = [](std::size_t size) {
    std::string body = DxfText().Line(0, 0, 200, 100).Str();
    std::string comment = "999\n" + std::string(size - body.size() - 5, 'x') + "\n";
    return comment + body;
  };
  rig.console.checks[OutputCheck::CapMsg] = 1;
  rig.console.checks[OutputCheck::OnOff] = 0;
  winplat::ClearMousePointerHistory();
  Open(Write("BIG.DXF", padded(100000)));
  EXPECT_EQ(rig.console.msg, "File Too Large");
  EXPECT_EQ(rig.console.msgHistory.size(), 1u);
  EXPECT_EQ(rig.state.PathElements.size(), 1u);
  EXPECT_TRUE(rig.board.calls.empty()) << testing::PrintToString(rig.board.calls);
  EXPECT_EQ(winplat::MousePointerHistory(), (std::vector<int>{winplat::vbHourglass, winplat::vbDefault}));

  Open(Write("FITS.DXF", padded(99999)));
  EXPECT_EQ(rig.console.msgHistory[1], "C:\\JOBS\\FITS.DXF");
  EXPECT_EQ(Codes(), (std::vector<std::int32_t>{88, 1}));
  EXPECT_TRUE(rig.board.frames.count(14));
}

TEST_F(DrawingImport, ANameThatLeadsOutOfTheMachineRootIsRefused) {
  const std::string drawing = DxfText().Line(0, 0, 200, 100).Str();
  // Beside the root, not in it; and on another drive of the root.
  const std::filesystem::path outside = testsupport::Root().string() + "-outside.DXF";
  testsupport::WriteFile(outside, drawing);
  testsupport::WriteFile(testsupport::Root() / "D" / "PARTS" / "INNER.DXF", drawing);
  Write("PART.DXF", drawing);  // the job folder
  std::filesystem::remove(testsupport::Root() / "C" / "JOBS" / "OUT.DXF");
  std::filesystem::remove(testsupport::Root() / "C" / "JOBS" / "IN.DXF");
  std::filesystem::create_symlink(outside, testsupport::Root() / "C" / "JOBS" / "OUT.DXF");
  std::filesystem::create_symlink("../../D/PARTS/INNER.DXF", testsupport::Root() / "C" / "JOBS" / "IN.DXF");
  rig.console.checks[OutputCheck::OnOff] = 1;

  Open("C:\\JOBS\\OUT.DXF");
  EXPECT_EQ(rig.console.msg, "Job refused: OUT.DXF is not a file of C:\\JOBS\\");
  EXPECT_EQ(rig.state.PathElements.size(), 1u);
  EXPECT_TRUE(rig.board.calls.empty()) << testing::PrintToString(rig.board.calls);

  Open("C:\\JOBS\\IN.DXF");
  const auto& said = rig.console.msgHistory;
  EXPECT_NE(std::find(said.begin(), said.end(), "C:\\JOBS\\IN.DXF"), said.end());
  EXPECT_EQ(Codes(), (std::vector<std::int32_t>{88, 1}));
  std::filesystem::remove(outside);
}

TEST_F(DrawingImport, OnlyADxfExtensionGoesToTheImport) {
  const std::string drawing = DxfText().Line(0, 0, 200, 100).Str();
  Open(Write("lower.dxf", drawing));
  EXPECT_EQ(Codes(), (std::vector<std::int32_t>{88, 1}));
  EXPECT_TRUE(control.Host().Visible());
  EXPECT_FALSE(gcodeBuilt);

  // Not ".DXF" at the end: read as a part program, with the view control hidden.
  for (const char* name : {"PART.NC", "drawing.dxf.txt"}) {
    SCOPED_TRACE(name);
    gcodeBuilt = false;
    Open(Write(name, "G00 X10 Y10\nG01 X50 Y10\n"));
    EXPECT_TRUE(gcodeBuilt);
    EXPECT_FALSE(control.Host().Visible());
    EXPECT_EQ(rig.console.prjPosEnabled[1], true);
  }
}

TEST_F(DrawingImport, AFaultWhileBuildingDeletesTheJobFramesInsteadOfShowingPartOfThem) {
  OpenDrawing(DxfText().Line(0, 0, 200, 100));
  ASSERT_TRUE(rig.board.frames.count(14));
  rig.board.calls.clear();
  rig.e.Builders.BuildPointsFromPath = [](eng::Engine&) { throw std::runtime_error("coordinate overflow"); };
  OpenDrawing(DxfText().Line(0, 0, 300, 100));
  EXPECT_EQ(rig.console.msg, "C:\\JOBS\\PART.DXF; Drawing frames not built: coordinate overflow");
  EXPECT_TRUE(Called("DeleteFrames 1 15"));
  EXPECT_TRUE(rig.board.CallsNamed("WriteFrame").empty());
  EXPECT_TRUE(rig.board.CallsNamed("MergeFrames").empty());
  EXPECT_EQ(rig.state.EngineBusy, 0);
}

TEST_F(DrawingImport, AMissingOrDamagedFileShowsNothingAndTheReadersSentence) {
  const std::string longName = std::string(130, 'L') + ".DXF";
  struct Case {
    std::string path;
    std::string msg;
  };
  const Case cases[] = {
      {"C:\\JOBS\\NOTHERE.DXF", "Contains No Displayable Entities: File not found: C:\\JOBS\\NOTHERE.DXF"},
      {Write("BROKEN.DXF", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nabc\n"),
       "Contains No Displayable Entities: Input past end of file. Error in LoadEntity."},
      {Write("X.DXF", "just some notes\n"), "Contains No Displayable Entities: C:\\JOBS\\X.DXF does not appear to be a DXF file."},
      {Write("N\xC3\xA9.DXF", "notes\n"), "Contains No Displayable Entities: C:\\JOBS\\N??.DXF does not appear to be a DXF file."},
      {Write(longName, "notes\n"),
       "Contains No Displayable Entities: " + ("C:\\JOBS\\" + longName).substr(0, 117) + "..."},
  };
  rig.console.checks[OutputCheck::CapMsg] = 1;
  rig.console.checks[OutputCheck::OnOff] = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    rig.board.calls.clear();
    rig.state.CaptionText.clear();
    Open(c.path);
    EXPECT_EQ(rig.console.msg, c.msg);
    EXPECT_TRUE(Called("DeleteFrames 1 15"));
    EXPECT_EQ(rig.board.frames.count(14), 0u);
    EXPECT_FALSE(rig.console.optFldEnabled[1]) << "the output options stay disabled";
    EXPECT_TRUE(Called("SetWorkingFrame 101")) << "the caption NDE is projected";
  }
}

// A value of a numeric group that is no number reads as its leading number
// (0 when none), the drawing projects as read, and the status line names the
// first such value with the line it stands on after their count; whole
// numbers, blanks around them and empty values say nothing but the path, as
// every drawing does.
TEST_F(DrawingImport, AValueThatIsNoNumberIsNamedWithItsLineAndTheDrawingStillShows) {
  auto drawing = [](const std::string& x2, const std::string& y2, const std::string& eol = "\n") {
    std::string text;
    for (const char* line : {"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "0", "10", "150", "20", "0",
                                    "11", x2.c_str(), "21", y2.c_str(), "0", "LINE", "8", "0", "10", "0", "20", "0",
                                    "11", "200", "21", "1,5", "0", "ENDSEC", "0", "EOF"})
      text += std::string(line) + eol;
    return text;
  };
  struct Case {
    std::string text;
    std::string msg;
  };
  const Case cases[] = {
      {drawing("abc", "50"),
       "C:\\JOBS\\PART.DXF; 2 value(s) are not numbers; line 14: group 11 value 'abc' is not a number, read as 0"},
      {drawing("12abc", "50"), "C:\\JOBS\\PART.DXF; 2 value(s) are not numbers; line 14: group 11 value '12abc' is "
                               "not a number, read as 12"},
      {drawing("300", " 7x ", "\r\n"),
       "C:\\JOBS\\PART.DXF; 2 value(s) are not numbers; line 16: group 21 value '7x' is not a number, read as 7"},
      // The first value that is none is named: the second line's "1,5".
      {drawing(" 300 ", "\t2.5E1"),
       "C:\\JOBS\\PART.DXF; 1 value(s) are not numbers; line 28: group 21 value '1,5' is not a number, read as 1"},
  };
  // The status line after the path; a later note of the frames would follow it.
  auto notes = [&] {
    std::vector<std::string> seen = rig.console.msgHistory;
    rig.console.msgHistory.clear();
    EXPECT_FALSE(seen.empty());
    if (!seen.empty()) {
      EXPECT_EQ(seen.front(), "C:\\JOBS\\PART.DXF");
    }
    return seen.size() > 1 ? seen[1] : std::string();
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    rig.board.frames.clear();
    rig.console.msgHistory.clear();
    Open(Write("PART.DXF", c.text));
    EXPECT_EQ(notes(), c.msg);
    EXPECT_TRUE(rig.board.frames.count(14)) << "the drawing projects as read";
  }
  // Every value a number, or empty: no note, as before.
  for (const std::string& y2 : {std::string("50"), std::string(" -5.5e1 "), std::string()}) {
    std::string text = drawing("300", y2);
    text.replace(text.find("1,5"), 3, "15");
    rig.console.msgHistory.clear();
    Open(Write("PART.DXF", text));
    EXPECT_EQ(notes().find("is not a number"), std::string::npos) << y2;
  }
}

TEST_F(DrawingImport, FramesLargerThanTheBoardHoldsAreNamedAndNotWritten) {
  DxfText big;
  for (int i = 0; i < 700; ++i) big.Line(i * 3.0, 0, i * 3.0 + 1, 400);  // about 8 points a line
  OpenDrawing(big);
  const std::string& msg = rig.console.msg;
  EXPECT_NE(msg.find("14 ("), std::string::npos) << msg;
  EXPECT_NE(msg.find(" not written: the board holds 6000 points a frame"), std::string::npos) << msg;
  EXPECT_EQ(rig.board.frames.count(14), 0u) << "not written";
  EXPECT_TRUE(Called("DeleteFrames 14 14")) << "the old frame is gone";

  // A drawing that fits is written again and the list starts anew.
  OpenDrawing(DxfText().Line(0, 0, 200, 100));
  EXPECT_TRUE(rig.board.frames.count(14));
  EXPECT_TRUE(rig.state.RefusedFrames.empty());
}

// Descriptions the import's own table does not reach (the skipped "At entity
// type" line, the procedure trail and the cut are shown through it).
TEST(ReaderSentences, OnlyTheReadersOwnLineIsShown) {
  const std::string longest(eng::MaxReaderSentence, 'w');
  const std::pair<std::string, std::string> cases[] = {
      {"At entity type 'X\x01'. \r\nBad\tvalue\x7F here.\r\n -> LoadDXF.", "Bad?value? here."},
      {" ->  LoadDXF.", ""},
      {"", ""},
      {longest, longest},  // at the limit: whole
      {longest + "x", longest.substr(0, eng::MaxReaderSentence - 3) + "..."},
  };
  for (const auto& [description, sentence] : cases) EXPECT_EQ(eng::ReaderSentence(description), sentence) << description;
}

TEST_F(DrawingImport, TheCaptionIsProjectedFirstForItsTimeWhileTheEngineIsBusy) {
  testsupport::WriteFile(testsupport::Root() / "C" / "Fieldray" / "stick.vxf", "font");
  rig.console.checks[OutputCheck::CapNam] = 1;
  rig.console.texts[OutputText::TdTxt] = "-4";
  std::vector<std::int16_t> capBtn;
  rig.console.onCheckClick = [&](OutputCheck box) {
    if (box != OutputCheck::CapBtn) return;
    capBtn.push_back(rig.console.checks[box]);
    eng::CapBtn_Click(rig.e);
  };
  std::optional<enginetest::BusyWatch> watch(std::in_place, rig.state, 1000);
  const double start = clock.SecondsSinceMidnight();
  OpenDrawing(DxfText().Line(0, 0, 200, 100));
  const std::vector<std::int32_t> busySeen = std::move(watch->seen);
  watch.reset();
  EXPECT_EQ(rig.state.CaptionText, "PART.DXF");
  EXPECT_EQ(capBtn, (std::vector<std::int16_t>{1, 0}));
  EXPECT_NEAR(clock.SecondsSinceMidnight() - start, 4.0, 1.5);
  EXPECT_FALSE(busySeen.empty());
  for (std::int32_t b : busySeen) EXPECT_GT(b, 0);
  EXPECT_EQ(std::string(rig.board.frames[101].first.Name, 4), "Text");
  EXPECT_EQ(rig.board.CallsNamed("MergeFrames").back(), "MergeFrames 14 15 15");
  EXPECT_EQ(rig.state.EngineBusy, 0);
}

}  // namespace
