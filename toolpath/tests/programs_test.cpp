// Whole programs: golden paths, loading twice, other people's programs and
// hostile lines.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"
#include "toolpath/interpreter.h"
#include "toolpath/offset_pass.h"
#include "toolpath/tests/interpreter_fixture.h"
#include "toolpath/tests/offset_measure.h"
#include "toolpath/word_readers.h"
#include "winplat/numeric.h"

using namespace fieldray::toolpath;
using fieldray::PathElement;
using fieldray::toolpath::RadiusOffset;
using fieldray::toolpath::RadiusOffsetPass;

namespace {

struct Golden {
  int MoveCode;
  double EndX, EndY, CentreX, CentreY;
  int CompSide, UWord, CycleCode;
};

void ExpectPath(const fieldray::PathArray& path, const std::vector<Golden>& golden, double centreTolerance) {
  ASSERT_EQ(path.size(), golden.size() + 1);
  for (std::size_t i = 0; i < golden.size(); ++i) {
    const PathElement& e = path[i + 1];
    const Golden& g = golden[i];
    SCOPED_TRACE("element " + std::to_string(i + 1));
    EXPECT_EQ(e.MoveCode, g.MoveCode);
    EXPECT_NEAR(e.EndX, g.EndX, 1e-6);
    EXPECT_NEAR(e.EndY, g.EndY, 1e-6);
    EXPECT_NEAR(e.CentreX, g.CentreX, centreTolerance);
    EXPECT_NEAR(e.CentreY, g.CentreY, centreTolerance);
    EXPECT_EQ(e.CompSide, g.CompSide);
    EXPECT_EQ(e.UWord, g.UWord);
    EXPECT_EQ(e.CycleCode, g.CycleCode);
  }
}

bool SameElement(const PathElement& a, const PathElement& b) {
  return a.MoveCode == b.MoveCode && a.CompSide == b.CompSide && a.CompRadius == b.CompRadius &&
         a.ArcDiameter == b.ArcDiameter && a.CentreX == b.CentreX && a.CentreY == b.CentreY &&
         a.ZDepth == b.ZDepth && a.EndX == b.EndX && a.EndY == b.EndY && a.CycleCode == b.CycleCode &&
         a.UWord == b.UWord;
}

void ExpectSamePath(const fieldray::PathArray& a, const fieldray::PathArray& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(SameElement(a[i], b[i])) << "element " << i;
}

// Every element finite and within the coordinate limit.
void ExpectSanePath(const fieldray::PathArray& path) {
  ASSERT_GE(path.size(), 1u);
  EXPECT_LE(path.size(), MaxPathElements + 1);
  for (const PathElement& e : path) {
    for (double v : {e.EndX, e.EndY, e.CentreX, e.CentreY, e.ZDepth, e.CompRadius, e.ArcDiameter}) {
      ASSERT_TRUE(std::isfinite(v));
      ASSERT_LE(std::fabs(v), 4 * MaxCoordinate);
    }
  }
}

}  // namespace

class ProgramTest : public InterpreterTest {
 protected:
  // What the load driver does around the scan.
  GcodeScanReport Load(const std::string& windowsPath) {
    state.PathElements.assign(1, PathElement{});
    state.BlockCondition = fieldray::BoolTrue;
    state.OriginCorner = state.OriginX = state.OriginY = state.OriginZ = 0;
    state.AltOriginCorner = -1;
    state.ThroughFlag = fieldray::BoolFalse;
    return ScanGcodeProgram(interp, windowsPath);
  }

  std::string Write(const std::string& name, const std::string& text) {
    testsupport::WriteFile(testsupport::Root() / "C" / name, text);
    return "C:\\" + name;
  }
};

TEST_F(ProgramTest, SheetContourWithAFilletAndAnArc) {
  Load(Write("SHEET.NC",
             "G71 X1000 Y500 Z18\r\n"
             "G0 X10 Y10 Z-2 P5 E7 R4 ; start\r\n"
             "G1 G41 X110 Y10 U10\r\n"
             "G1 X110 Y60\r\n"
             "G3 X60 Y110 I-50 J0\r\n"
             "G1 G40 X10 Y10\r\n"));
  ASSERT_NO_FATAL_FAILURE(ExpectPath(state.PathElements,
             {
                 {88, 10, 10, 0, 0, 1, 7, 5},
                 {1, 100, 10, 110, 60, 1, 7, 0},
                 {2, 110, 20, 100, 20, 1, 7, 0},
                 {1, 110, 60, 110, 60, 1, 7, 0},
                 {3, 60, 110, 60, 60, 1, 7, 0},
                 {1, 10, 10, 10, 10, 1, 7, 0},
             },
             2e-3));
  EXPECT_EQ(state.PathElements[1].ZDepth, -2);
  EXPECT_EQ(state.PathElements[1].CompRadius, 4);
  EXPECT_EQ(state.PathElements[6].ZDepth, -2);
}

TEST_F(ProgramTest, NoSheetProgramWithOriginIncrementsAndAPolarLine) {
  GcodeScanReport report = Load(Write("PLAIN.NC",
                                      "G92 X12.4 Y-7.6\n"
                                      "G0 X0 Y0\n"
                                      "G1 X20 Y10\n"
                                      "G1 G91 X5 Y5\n"
                                      "G110 R10 A90\n"
                                      "G1 X0 Y0\n"));
  EXPECT_TRUE(report.Diagnostics.empty());
  EXPECT_EQ(state.OriginX, 12);
  EXPECT_EQ(state.OriginY, 8);
  ASSERT_NO_FATAL_FAILURE(ExpectPath(state.PathElements,
             {
                 {88, 0, 0, 0, 0, 0, 0, 5},
                 {1, 20, -10, 20, -10, 0, 0, 5},
                 {1, 25, -15, 25, -15, 0, 0, 5},
                 {1, 25, -25, 25, -15, 0, 0, 5},
                 {1, 0, 0, 0, 0, 0, 0, 5},
             },
             1e-6));
  EXPECT_EQ(state.PathElements[1].CompRadius, 10);
}

TEST_F(ProgramTest, LoadingTheSameProgramTwiceGivesTheSamePath) {
  const std::string program = Write("TWICE.NC",
                                    "G71 X600 Y400 Z10\n"
                                    "G0 X10 Y10 E3\n"
                                    "G1 G41 X50 Y10 U5\n"
                                    "G1 X50 Y40\n"
                                    "G2 X70 Y60 U20\n"
                                    "X90 Y60 I10\n"
                                    "G1 G91 X10\n"
                                    "G1 X120 Y80 U4\n");  // ends on a held-back corner
  Load(program);
  fieldray::PathArray first = state.PathElements;
  EXPECT_EQ(first.back().EndX, 120);  // the held-back line is written
  Load(program);
  ASSERT_NO_FATAL_FAILURE(ExpectSamePath(first, state.PathElements));
}

TEST_F(ProgramTest, AProgramDoesNotInheritTheStateOfTheOneBefore) {
  const std::string second = Write("B.NC", "G0 X0 Y0\nX10 Y10\nG1 X20 Y0\n");
  Load(Write("A.NC", "G71 X100 Y100 Z5\nG0 X0 Y0\nG1 G42 X5 Y5 U2\nG2 X9 Y9 I2\n"));
  Load(second);
  fieldray::PathArray afterA = state.PathElements;

  fieldray::ProgramState freshState;
  freshState.GcodeUnitFactor = state.GcodeUnitFactor;
  freshState.SheetLength = state.SheetLength;
  freshState.SheetHeight = state.SheetHeight;
  freshState.SheetThickness = state.SheetThickness;
  freshState.VarTable = state.VarTable;
  ToolpathContext freshCtx{freshState, awk, parser, eval, toolDat};
  GcodeInterpreter fresh(freshCtx);
  ScanGcodeProgram(fresh, second);
  ASSERT_NO_FATAL_FAILURE(ExpectSamePath(afterA, freshState.PathElements));
  // The second program's first elements: a contour start and no modal arc.
  ASSERT_EQ(afterA.size(), 3u);
  EXPECT_EQ(afterA[2].MoveCode, 1);
  EXPECT_EQ(afterA[2].CompSide, 0);
}

TEST_F(ProgramTest, AMissingFileIsAClearError) {
  EXPECT_THROW(Load("C:\\NOWHERE\\MISSING.NC"), winplat::ScannerError);
}

TEST_F(ProgramTest, ProgramsFromElsewhereNeverBreakTheInterpreter) {
  const std::filesystem::path folder = testsupport::SharedTestData("gcode");
  if (folder.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("gcode");
  int programs = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || ext == ".txt" || ext == ".md") continue;
    SCOPED_TRACE(entry.path().string());
    for (int pass = 0; pass < 2; ++pass) {
      state.PathElements.assign(1, PathElement{});
      state.BlockCondition = fieldray::BoolTrue;
      ResetGcodeScan(interp);
      ConnectGcodeAwk(interp);
      ASSERT_NO_THROW(awk.ScanHostFile(entry.path().string()));
      FlushGcodeScan(interp);
      ASSERT_NO_FATAL_FAILURE(ExpectSanePath(state.PathElements));
      EXPECT_GT(awk.LineNumber(), 0);
    }
    ++programs;
  }
  EXPECT_GT(programs, 0);
}

TEST_F(InterpreterTest, HostileLinesAreRefusedWithDiagnostics) {
  const std::vector<std::string> hostile = {
      "G1 X1e308 Y-1e308",
      "G1 X" + std::string(400, '9'),
      "G0 X1" + std::string(50, '0') + " Y2",
      "G92 X99999999999 Z1e20",
      "G99999999999 X1",
      "G1 X5 Y5 P99999 E99999",
      "*T99999999999=1",
      "*T1=1e30 R2=1e30",
      "G1 X=0/0 Y=(((1",
      "G1 X=" + std::string(5000, '(') + "1",
      std::string(20000, 'G'),
      "=====",
      "!",
      "G150(",
      "R53=R54=R50=",
      "G2 X1 Y1 U0.0001",
      "G3 X1 Y1 A1e300",
      "G11 X1 Y1 U1e300 A5",
      "G110 R1e7 A5",
      "G71 X1e300 Y1e300 Z1e300",
      "G1 G91 X900000",
      "G1 G91 X900000",
      "G185 X0 I1e9 K0.000001",
  };
  for (const std::string& l : hostile) {
    SCOPED_TRACE(l.substr(0, 60));
    awk.SetText(l);
    EXPECT_NO_THROW(GcodeAwk_ScanLine(interp));
    ASSERT_NO_FATAL_FAILURE(ExpectSanePath(state.PathElements));
  }
  FlushGcodeScan(interp);
  ASSERT_NO_FATAL_FAILURE(ExpectSanePath(state.PathElements));
  EXPECT_GE(state.LoadDiagnostics.size(), 10u);
  EXPECT_LE(std::fabs(state.SheetLength), MaxCoordinate);
}

TEST_F(InterpreterTest, RandomBytesAndWordsNeverBreakTheInterpreter) {
  std::mt19937 random(20261209);
  const std::vector<std::string> pieces = {"G", "G0", "G1", "G2", "G3", "G11", "G41", "G57", "G91", "G92", "G70",
                                           "G71", "G88", "G152", "X", "Y", "I", "J", "A", "U", "R", "R54=", "E",
                                           "P", "Z", "M2", "=", "!", "*T", ";", "(", ")", "-", ".", "/", " ",
                                           "1", "99", "0.5", "-3", "1e9", "L", "+"};
  for (int n = 0; n < 3000; ++n) {
    std::string line;
    int parts = static_cast<int>(random() % 12);
    for (int k = 0; k < parts; ++k) {
      if (random() % 5 == 0)
        line += static_cast<char>(random() % 256);
      else
        line += pieces[random() % pieces.size()];
    }
    awk.SetText(line);
    ASSERT_NO_THROW(GcodeAwk_ScanLine(interp)) << line;
  }
  FlushGcodeScan(interp);
  ASSERT_NO_FATAL_FAILURE(ExpectSanePath(state.PathElements));
}

TEST_F(ProgramTest, DiagnosticsNameTheirLineAndTheLoadGoesOn) {
  GcodeScanReport report = Load(Write("BAD.NC", "G0 X0 Y0\nG1 X=(1 Y0\n*T40=1\nG1 X5 Y5\n"));
  ASSERT_EQ(report.Diagnostics.size(), 2u);
  EXPECT_EQ(report.Diagnostics[0].rfind("line 2: ", 0), 0u) << report.Diagnostics[0];
  EXPECT_EQ(report.Diagnostics[1].rfind("line 3: ", 0), 0u) << report.Diagnostics[1];
  EXPECT_EQ(PathUpperBound(state.PathElements), 3);
  EXPECT_EQ(state.PathElements.back().EndX, 5);
}

TEST_F(ProgramTest, ALoadAppendsAtMostTheElementCap) {
  std::string text = "G0 X0 Y0\n";
  for (std::size_t i = 0; i <= MaxPathElements; ++i) text += i % 2 ? "G1 X1 Y1\n" : "G1 X2 Y2\n";
  GcodeScanReport report = Load(Write("HUGE.NC", text));
  EXPECT_EQ(state.PathElements.size(), MaxPathElements + 1);
  ASSERT_EQ(report.Diagnostics.size(), 1u);
}

TEST_F(InterpreterTest, LongLinesOfOneWordStayCheap) {
  // Lines just under the length limit, made of one word letter each: every
  // step of a line walks them once, so a file of such lines still loads.
  for (char c : std::string("GRXT=E!")) {
    std::string line = c == 'R' ? "*T1" + std::string(MaxLineLength - 3, 'R') : std::string(MaxLineLength, c);
    awk.SetText(line);
    EXPECT_NO_THROW(GcodeAwk_ScanLine(interp));
  }
  ASSERT_NO_FATAL_FAILURE(ExpectSanePath(state.PathElements));
}

// Lettering cut from a drawing, offset both ways by the default tool radius:
// every end of every copy stays within its offset (and the tangents' rounding)
// of the programmed path, with no spike out to a far crossing.
TEST_F(ProgramTest, LetteringOffsetsWithoutSpikes) {
  const std::filesystem::path folder = testsupport::SharedTestData("gcode");
  if (folder.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("gcode");
  const std::filesystem::path file = folder / "dxf2gcode-plasma" / "erin7.ngc";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not in the corpus";
  const std::string text = testsupport::ReadFile(file);
  Load(Write("ERIN7.NGC", text));
  const fieldray::PathArray programmed = state.PathElements;
  ASSERT_GT(programmed.size(), 100u);
  fieldray::toolpath::RadiusOffset ro;
  fieldray::toolpath::RadiusOffsetPass(ro, programmed);
  ASSERT_GT(ro.OutputCount, 100);

  // Distance from a point to the programmed path, its arcs taken as chords
  // and circles both (the nearer counts).
  auto distance = [&](double x, double y) {
    double best = 1e300;
    for (std::size_t i = 2; i < programmed.size(); ++i) {
      const PathElement& a = programmed[i - 1];
      const PathElement& e = programmed[i];
      if (e.MoveCode == 88) continue;
      const double vx = e.EndX - a.EndX, vy = e.EndY - a.EndY, len2 = vx * vx + vy * vy;
      double t = len2 == 0 ? 0 : ((x - a.EndX) * vx + (y - a.EndY) * vy) / len2;
      t = std::fmax(0, std::fmin(1, t));
      best = std::fmin(best, std::hypot(x - a.EndX - t * vx, y - a.EndY - t * vy));
      if (e.MoveCode == 2 || e.MoveCode == 3) {
        const double r = std::hypot(e.EndX - e.CentreX, e.EndY - e.CentreY);
        best = std::fmin(best, std::fabs(std::hypot(x - e.CentreX, y - e.CentreY) - r));
      }
    }
    return best;
  };
  int far = 0;
  double worst = 0;
  for (int i = 0; i <= ro.OutputCount; ++i) {
    const PathElement& e = ro.OffsetOutput[static_cast<std::size_t>(i)];
    const double reach = std::fabs(e.CompRadius) * 2;
    const double d = distance(e.EndX, e.EndY);
    worst = std::fmax(worst, d - reach);
    if (d > reach + 1) ++far;
  }
  EXPECT_EQ(far, 0) << "worst end " << worst << " beyond its offset";
}

namespace {

// The whole-millimetre rounding the load driver gives the path before the
// offset pass.
void RoundAsTheLoaderDoes(fieldray::PathArray& path) {
  auto whole = [](double v) { return winplat::Val(winplat::Format(v, "####")); };
  for (std::size_t i = 1; i < path.size(); ++i) {
    PathElement& e = path[i];
    e.EndX = whole(e.EndX);
    e.EndY = whole(e.EndY);
    e.CentreX = whole(e.CentreX);
    e.CentreY = whole(e.CentreY);
  }
}

}  // namespace

// Small programs as an operator loads them (tool radius 10, so the side 0
// copy lies 10 from a G41 contour and the side 2 copy 20): no copy point lies
// farther from its contour than its offset and `reach`, the copies up to
// `crossFreeUpTo` cross no programmed element, and where given the first copy
// runs within `clipper` of Clipper's offset.
TEST_F(ProgramTest, OffsetCopiesStayOnTheirSideOfThePart) {
  const struct {
    const char* name;
    const char* program;
    std::vector<double> offsets;  // |d| of each copy, in order
    double reach, crossFreeUpTo, clipper;
  } cases[] = {
      {"short step before an acute turn",
       "G0 X0 Y0\nG41\nG1 X60 Y0\nG1 X60.5 Y0.4\nG1 X30 Y20\nG1 X61 Y40\nG1 X0 Y40\nG1 X0 Y0\n", {10, 20}, 1, 10,
       0.5},
      {"star with acute tips",
       "G0 X100 Y150\nG41\nG1 X91.183 Y112.135\nG1 X52.447 Y115.451\nG1 X85.734 Y95.365\nG1 X70.611 Y59.549\n"
       "G1 X100 Y85\nG1 X129.389 Y59.549\nG1 X114.266 Y95.365\nG1 X147.553 Y115.451\nG1 X108.817 Y112.135\n"
       "G1 X100 Y150\n",
       {10, 20}, 1, 10, -1},
      {"step in an edge",
       "G0 X0 Y0\nG41\nG1 X100 Y0\nG1 X100 Y60\nG1 X55 Y60\nG1 X55 Y56\nG1 X45 Y56\nG1 X45 Y60\nG1 X0 Y60\n"
       "G1 X0 Y0\n",
       {10, 20}, 1, 20, -1},
      {"half circle turning back at a corner",
       "G0 X0 Y0\nG41\nG1 X50 Y0\nG1 X50 Y30\nG2 X20 Y30 I-15 J0\nG1 X0 Y30\nG1 X0 Y0\n", {10, 20}, 1, 10, -1},
      {"side switch",
       "G0 X0 Y0\nG41\nG1 X50 Y0\nG42\nG1 X100 Y0\nG1 X100 Y40\nG41\nG1 X50 Y40\nG1 X0 Y40\nG1 X0 Y0\n",
       {10, 20, 20}, 1, 20, -1},
      {"arc after arc", "G0 X0 Y0\nG41\nG2 X20 Y0 I10 J0\nG3 X40 Y0 I10 J0\nG2 X60 Y0 I10 J0\nG1 X80 Y0\n", {20}, 1,
       20, 0.5},
      {"near reversal", "G0 X0 Y0\nG41\nG1 X100 Y0\nG1 X0 Y2\n", {10, 20}, 0.2, 20, -1},
      {"reversal at the first joint", "G0 X0 Y0\nG41\nG1 X100 Y0\nG1 X0 Y0\n", {10, 20}, 0.2, 20, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Load(Write("COPIES.NC", c.program));
    RoundAsTheLoaderDoes(state.PathElements);
    RadiusOffset ro;
    RadiusOffsetPass(ro, state.PathElements);
    const auto copies = offsetmeasure::CopyPoints(ro);
    ASSERT_EQ(copies.size(), c.offsets.size());
    const auto contour = offsetmeasure::ContourPoints(state.PathElements);
    for (std::size_t i = 0; i < copies.size(); ++i) {
      const double d = c.offsets[i];
      SCOPED_TRACE("copy " + std::to_string(i) + " at " + std::to_string(d) + ": " +
                   offsetmeasure::DescribeCopy(ro, i));
      EXPECT_LE(offsetmeasure::Farthest(copies[i], contour), d + c.reach);
      if (d <= c.crossFreeUpTo) {
        EXPECT_EQ(offsetmeasure::Crossings(copies[i], contour), 0);
      }
#if defined(FIELDRAY_HAVE_CLIPPER)
      if (i == 0 && c.clipper > 0) {
        const auto reference = offsetmeasure::ClipperOffset(contour, d);
        ASSERT_EQ(reference.size(), 1u);
        // An open contour is compared along its own reach only.
        EXPECT_LE(offsetmeasure::Farthest(copies[i], reference[0]), c.clipper);
        if (contour.front().x == contour.back().x && contour.front().y == contour.back().y) {
          EXPECT_LE(offsetmeasure::Farthest(reference[0], copies[i]), c.clipper);
        }
      }
#endif
    }
  }
}

// Where the copy's side changes the previous copy ends at its own offset end
// and steps at the programmed point; a run on the copy's own side ends the
// copy and the next offset element starts another. Arcs end on their own
// offset circles. (The loader turns Y over: the path runs below the X axis.)
TEST_F(ProgramTest, SideSwitchStepsAndArcsEndOnTheirCircles) {
  struct Expected {
    int code;
    double x, y;
  };
  auto expectCopies = [&](const RadiusOffset& ro, const std::vector<Expected>& expected) {
    ASSERT_EQ(ro.OutputCount + 1, static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const PathElement& e = ro.OffsetOutput[i];
      EXPECT_EQ(e.MoveCode, expected[i].code) << "element " << i;
      EXPECT_NEAR(e.EndX, expected[i].x, 1e-3) << "element " << i;
      EXPECT_NEAR(e.EndY, expected[i].y, 1e-3) << "element " << i;
    }
  };

  Load(Write("SWITCH.NC", "G0 X0 Y0\nG41\nG1 X50 Y0\nG42\nG1 X100 Y0\nG1 X100 Y40\nG41\nG1 X50 Y40\nG1 X0 Y40\n"
                          "G1 X0 Y0\n"));
  RoundAsTheLoaderDoes(state.PathElements);
  RadiusOffset sw;
  RadiusOffsetPass(sw, state.PathElements);
  ASSERT_NO_FATAL_FAILURE(expectCopies(sw, {
                                               // Side 0: 10 right of the G41 elements, 10 left of the G42 ones.
                                               {88, 10, -10},
                                               {1, 50, -10},
                                               {1, 50, 10},  // the step at (50, 0)
                                               {1, 100, 10},
                                               {3, 110, 0},
                                               {1, 110, -40},
                                               {1, 100, -30},  // the step at (100, -40)
                                               {1, 10, -30},
                                               {1, 10, -10},
                                               // Side 2: the G42 elements have no offset; each G41 run is a copy.
                                               {88, 0, -20},
                                               {1, 50, -20},
                                               {88, 100, -20},
                                               {1, 20, -20},
                                               {1, 20, 0},
                                           }));

  Load(Write("ARCS.NC", "G0 X0 Y0\nG41\nG2 X20 Y0 I10 J0\nG3 X40 Y0 I10 J0\nG2 X60 Y0 I10 J0\nG1 X80 Y0\n"));
  RoundAsTheLoaderDoes(state.PathElements);
  RadiusOffset arcs;
  RadiusOffsetPass(arcs, state.PathElements);
  // The middle arc's offset radius is 10 - 20: it is dropped, and the outer
  // arcs meet where their circles of radius 30 cross.
  ASSERT_NO_FATAL_FAILURE(expectCopies(arcs, {{88, -20, 0}, {2, 30, -22.3607}, {2, 72.3607, -20}, {1, 80, -20}}));
  for (int i = 1; i <= arcs.OutputCount; ++i) {
    const PathElement& e = arcs.OffsetOutput[static_cast<std::size_t>(i)];
    if (e.MoveCode != 2 && e.MoveCode != 3) continue;
    const PathElement& from = arcs.OffsetOutput[static_cast<std::size_t>(i - 1)];
    EXPECT_NEAR(std::hypot(from.EndX - e.CentreX, from.EndY - e.CentreY), 30, 1e-3) << "element " << i;
    EXPECT_NEAR(std::hypot(e.EndX - e.CentreX, e.EndY - e.CentreY), 30, 1e-3) << "element " << i;
    EXPECT_NEAR(std::fabs(e.ArcDiameter), 60, 1e-3) << "element " << i;
  }
}

// Words the reader takes other than written are named with their line: a
// line with lower-case words, a letter without a number, a number followed
// directly by a letter or a character that begins no word. Comments,
// expressions, block and program numbers and program calls are not looked
// into; what is read stays as it was.
TEST_F(ProgramTest, WordsReadOtherThanWrittenAreNamedWithTheirLine) {
  const struct {
    const char* program;
    std::vector<std::string> notes;
    int elements;  // path elements the program gives
  } cases[] = {
      {"G0 X0 Y0\ng1 x50 y0\nG1 X100 Y50\n", {"line 2: lower-case words are not read"}, 2},
      {"G0 X0 Y0\nG1 X50 y0\n", {"line 2: lower-case words are not read"}, 2},
      {"G0 X0 Y0\nG1 X12abc Y5\n", {"line 2: X12abc read as 12"}, 2},
      {"G0 X0 Y0\nG1 X1.5.2 Y-3# F3000\n", {"line 2: X1.5.2 read as 1.5"}, 2},
      {"G0 X0 Y0\nG1 X+.5q Y5\nG1 X7 Y\n", {"line 2: X+.5q read as +.5", "line 3: Y has no number, read as 0"}, 3},
      {"G0 X0 Y0\nG1 X12a5 Y5\n", {"line 2: lower-case words are not read", "line 2: X12a5 read as 12"}, 2},
      // Nothing to say: comments, block and program numbers, corners with a
      // slash, words run together, expressions, a pattern line, a tool list.
      {"%\nO1000abc (PART abc1)\nN10x G0 X0 Y0 ; move x1\nG54/ G1 X10Y5\nG1 X=5*2 Y3\n*T3=12.5 R0=4\nG1 X1(a1)\nG183 X0 Y7 I200 T1-3,6\n",
       {},
       5},
      {"*t3=12 R0=4\nG0 X0 Y0\n", {"line 1: lower-case words are not read"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    GcodeScanReport report = Load(Write("WORDS.NC", c.program));
    EXPECT_EQ(report.Diagnostics, c.notes);
    EXPECT_EQ(PathUpperBound(state.PathElements), c.elements);
  }
}
