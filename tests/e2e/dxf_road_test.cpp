// The main road end to end: the program's windows started against the
// emulated boards, a drawing picked in the file list, read by the real view
// control, built by the engine and projected by the real device library. The
// control's picture, the preview DispLaser and the scanners' picture are saved
// for a person to look at ("pictures" in the machine root).
// What a pick leaves is also checked against the record: the boards' command log
// byte for byte, and the windows' pictures whether painted at once or when looked at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "console/drawing_view.h"
#include "console/program.h"
#include "engine/drawing_import.h"
#include "engine/projection_output.h"
#include "engine/tests/board_machine.h"
#include "engine/tests/control_host.h"
#include "picture_pixels.h"
#include "test_support.h"
#include "winplat/classreg.h"
#include "winplat/clock.h"
#include "winplat/controls/operator.h"
#include "winplat/folders.h"
#include "winplat/hw/parport.h"
#include "winplat/hw/projection.h"
#include "winplat/msgbox.h"
#include "winplat/painting.h"
#include "winplat/paths.h"
#include "winplat/picture.h"
#include "winplat/text.h"
#include "winplat/window.h"

namespace fieldray {
namespace {

namespace fs = std::filesystem;

fs::path Template() { return fs::path(std::getenv("FIELDRAY_TEMPLATE")); }

using Box = testsupport::PixelBox;
using testsupport::PixelsWhere;

// The program as main puts it together, with its exits counted.
struct Program {
  int exits = 0;
  console::Program program{testsupport::BinDir(), [this] { ++exits; }};
  ProgramState& state = program.State;
  engine::Vexlib& vx = program.Vx;
  console::ConsoleForms& forms = program.Forms;
  engine::Engine& e = program.Engine;
  toolpath::GcodeInterpreter& interp = program.Interp;
  std::unique_ptr<console::DrawingView>& drawing = program.Drawing;

  Program() { program.Start(); }

  // The operator clicks the file's entry in the job list.
  bool Pick(const std::string& name) {
    auto& list = forms.Main.File1;
    list.Refresh();
    for (int i = 0; i < list.ListCount(); ++i) {
      if (list.List(i) == name) {
        winplat::controls::op::Pick(list, i);
        return true;
      }
    }
    return false;
  }

  // The view control's own picture, and how many of its pixels differ from its paper.
  winplat::Picture ControlPicture() const {
    return winplat::CaptureWindow(static_cast<winplat::HWND>(drawing->Host().Get(kelvane::dispid::hWnd).ToLong()));
  }
  static int DrawnPixels(const winplat::Picture& control) {
    const winplat::COLORREF paper = control.width > 0 ? control.At(1, 1) : 0;
    return PixelsWhere(control, [&](winplat::COLORREF c) { return c != paper; }).count;
  }
};

class DxfRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    enginetest::ResetBoardMachine();
    if (HasFatalFailure()) return;
    fs::remove(winplat::hw::ParallelPortConfigPath());
    fs::path c = testsupport::Root() / "C";
    std::error_code ec;
    fs::remove_all(c / "Fieldray", ec);
    fs::copy(Template() / "C" / "Fieldray", c / "Fieldray", fs::copy_options::recursive);
    winplat::SetExeName("C:\\Fieldray\\Fieldray.exe");
    ASSERT_EQ(winplat::RegisterServerLibrary(testsupport::ControlLibraryFile()), winplat::S_OK);
  }
  void TearDown() override { winplat::SetClock(nullptr); }

  winplat::ManualClock clock;
  winplat::MessageBoxScript boxes;
};

TEST_F(DxfRoad, APickedPlateIsProjectedAndPicturedAndARefusedFileChangesNothing) {
  Program p;
  ASSERT_EQ(p.exits, 0);
  ASSERT_TRUE(p.drawing);
  p.forms.Main.OnOff.SetValue(1);  // the operator switches the laser on

  ASSERT_TRUE(p.Pick("PLATE.DXF"));
  EXPECT_EQ(p.forms.Main.Msg.Caption(), "C:\\Fieldray\\Jobs\\PLATE.DXF");
  EXPECT_GT(p.state.PathElements.size(), 5u);
  EXPECT_EQ(p.state.LastShownFrame, 14);
  EXPECT_EQ(p.state.EngineBusy, 0);
  FrameStruct header{};
  ASSERT_EQ(p.vx.ReadFrameStruct(14, &header), 0);
  EXPECT_EQ(std::string(header.Name, 3), "DXF");
  EXPECT_GT(header.NumPoints, 20);
  FrameStruct shown{};
  ASSERT_EQ(p.vx.ReadFrameStruct(engine::DisplayFrameNumber, &shown), 0);
  EXPECT_EQ(shown.NumPoints, header.NumPoints);
  EXPECT_FALSE(p.forms.Main.LabStat.Caption().empty());

  const fs::path dir = testsupport::PictureFolder();
  std::string error;
  // The control's own picture: the plate drawn on its background.
  const auto control = p.ControlPicture();
  ASSERT_GT(control.width, 0);
  EXPECT_TRUE(winplat::SavePicturePng(control, dir / "road-plate-control.png", &error)) << error;
  EXPECT_GT(Program::DrawnPixels(control), 100);

  // The preview of the working frame: the small plate left of the centre of
  // the field's window, as the scanners show it.
  const auto preview = winplat::CaptureWindow(p.forms.Main.DispLaser.hWnd());
  ASSERT_GT(preview.width, 0);
  EXPECT_TRUE(winplat::SavePicturePng(preview, dir / "road-plate-displaser.png", &error)) << error;
  const Box shownBox = PixelsWhere(preview, [](winplat::COLORREF c) { return c != 0; });
  EXPECT_GT(shownBox.count, 3);
  EXPECT_LT(shownBox.right, preview.width / 2);
  EXPECT_LT(std::abs((shownBox.top + shownBox.bottom) / 2 - preview.height / 2), preview.height / 8);

  // The scanners' picture: field S's window (x from -200 to twice its X
  // scale, y from minus to plus its Y scale) spans the whole range, moved
  // right by the field's offset (a percentage of the half range, sent in
  // coordinate units of 16383 to 100 %, two device units each); the plate
  // (10..210 by 10..110, 5 board units each) lies where that puts it.
  const int size = 2048;
  const auto projected = winplat::hw::ProjectionPicture(0, size);
  ASSERT_EQ(projected.width, size);
  EXPECT_TRUE(winplat::SavePicturePng(projected, dir / "road-plate-projection.png", &error)) << error;
  const double xMin = -200, xMax = 2.0 * p.state.FieldCalibration[1].XScale;
  const double yHalf = p.state.FieldCalibration[1].YScale;
  ASSERT_GT(xMax, xMin);
  ASSERT_GT(yHalf, 0);
  const double shift = std::lround(p.state.FieldCalibration[1].FieldXPos * 16383.0 / 100.0) * (32767.0 / 16383.0);
  auto px = [&](double x) { return (x - xMin) / (xMax - xMin) * size + shift / 65536.0 * size; };
  auto py = [&](double y) { return size / 2.0 - y / (2 * yHalf) * size; };
  const Box lit = PixelsWhere(projected, winplat::hw::LitProjectionPixel);
  ASSERT_GT(lit.count, 40);
  EXPECT_NEAR(lit.left, px(50), 3);
  EXPECT_NEAR(lit.right, px(1050), 3);
  EXPECT_NEAR(lit.top, py(550), 3);
  EXPECT_NEAR(lit.bottom, py(50), 3);
  EXPECT_TRUE(winplat::controls::op::Screenshot(p.forms.Main, (dir / "road-plate-main.png").string(), &error)) << error;

  // A file refused next leaves the control cleared and the boards alone.
  ASSERT_TRUE(p.Pick("FLANGE.DXF"));
  const std::int32_t shownBefore = p.state.LastShownFrame;
  EXPECT_GT(Program::DrawnPixels(p.ControlPicture()), 100);
  std::string body = testsupport::ReadFile(testsupport::Root() / "C" / "Fieldray" / "Jobs" / "FLANGE.DXF");
  testsupport::WriteFile(testsupport::Root() / "C" / "Fieldray" / "Jobs" / "HUGE.DXF",
                         "999\n" + std::string(100000 - body.size() - 5, 'x') + "\n" + body);
  ASSERT_TRUE(p.Pick("HUGE.DXF"));
  EXPECT_EQ(p.forms.Main.Msg.Caption(), "File Too Large");
  EXPECT_EQ(p.state.LastShownFrame, shownBefore);
  EXPECT_EQ(Program::DrawnPixels(p.ControlPicture()), 0);
}

// A pick into a field whose window has no width or no height (its scale key
// missing, stored empty or 0) sends the boards nothing of the job and leaves
// no frame of the job picked before shown; Msg names the key until the next
// pick, and the start's note named what was missing or empty.
TEST_F(DxfRoad, APickIntoAFieldWithAScaleOf0ProjectsNothingAndNamesTheKey) {
  const fs::path ini = testsupport::Root() / "C" / "Fieldray" / "Fldry.INI";
  const std::string good = testsupport::ReadFile(ini);
  const struct {
    const char* name;
    const char* pattern;  // the lines of the template's settings replaced
    const char* by;
    const char* startNote;
    const char* msg;
  } cases[] = {
      {"every XScale removed", "XScale[A-Za-z]+=3000\r\n", "",
       "Fldry.INI lacks 8 settings, read as empty (0 for numbers): XScaleS, XScaleA",
       "Field S cannot project: XScaleS is 0 in Fldry.INI"},
      {"YScaleS stored empty", "YScaleS=3000", "YScaleS=",
       "Fldry.INI stores 1 settings empty, read as empty (0 for numbers): YScaleS",
       "Field S cannot project: YScaleS is 0 in Fldry.INI"},
      {"both typed 0", "([XY])ScaleS=3000", "$1ScaleS=0", nullptr,
       "Field S cannot project: XScaleS and YScaleS are 0 in Fldry.INI"},
      {"a word", "XScaleS=3000", "XScaleS=abc", nullptr,
       "Field S cannot project: XScaleS is not a number in Fldry.INI"},
      {"nan", "XScaleS=3000", "XScaleS=nan", nullptr, "Field S cannot project: XScaleS is not a number in Fldry.INI"},
      {"inf and 0", "XScaleS=3000\r\n(.*\r\n)*YScaleS=3000", "XScaleS=inf\r\n$1YScaleS=0", nullptr,
       "Field S cannot project: XScaleS is not a number and YScaleS is 0 in Fldry.INI"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::WriteFile(ini, good);
    {
      // The plate projected with the template's calibration stays on the boards.
      Program before;
      before.forms.Main.OnOff.SetValue(1);
      ASSERT_TRUE(before.Pick("PLATE.DXF"));
      ASSERT_EQ(before.state.LastShownFrame, 14);
    }
    ASSERT_GT(PixelsWhere(winplat::hw::ProjectionPicture(0, 512), winplat::hw::LitProjectionPixel).count, 40);
    const std::string edited = std::regex_replace(good, std::regex(c.pattern), c.by);
    ASSERT_NE(edited, good);
    testsupport::WriteFile(ini, edited);

    Program p;
    const std::string note = p.forms.Main.Msg.Caption();
    if (c.startNote) {
      EXPECT_NE(note.find(c.startNote), std::string::npos) << note;
    }
    p.forms.Main.OnOff.SetValue(1);
    ASSERT_TRUE(p.Pick("PLATE.DXF"));
    EXPECT_EQ(p.forms.Main.Msg.Caption(), c.msg);
    EXPECT_EQ(p.state.LastShownFrame, 0);
    EXPECT_EQ(p.state.EngineBusy, 0);
    for (std::int32_t frame = 1; frame <= engine::DisplayFrameNumber; ++frame) {
      FrameStruct header{};
      p.vx.ReadFrameStruct(frame, &header);
      EXPECT_LE(header.NumPoints, 0) << "frame " << frame;
    }
    EXPECT_EQ(PixelsWhere(winplat::hw::ProjectionPicture(0, 512), winplat::hw::LitProjectionPixel).count, 0);
    const auto preview = winplat::CaptureWindow(p.forms.Main.DispLaser.hWnd());
    ASSERT_GT(preview.width, 0);
    EXPECT_EQ(PixelsWhere(preview, [](winplat::COLORREF px) { return px != 0; }).count, 0);
    // The output switched off and on again shows nothing either, and Msg keeps the reason.
    p.forms.Main.OnOff.SetValue(0);
    p.forms.Main.OnOff.SetValue(1);
    EXPECT_EQ(PixelsWhere(winplat::hw::ProjectionPicture(0, 512), winplat::hw::LitProjectionPixel).count, 0);
    EXPECT_EQ(p.forms.Main.Msg.Caption(), c.msg);
  }
}

// A pick on a full disk (here: past the largest file the process may write):
// the plate's frames cannot be stored, and the caption the template shows
// after it for 2 s cannot be built; Msg names the path, the frames not
// written and the caption's failure.
TEST_F(DxfRoad, AFullDiskPickKeepsTheFramesFailureInMsg) {
  Program p;
  p.forms.Main.OnOff.SetValue(1);
  ASSERT_EQ(p.forms.Main.TdTxt.Text(), "2");
  const fs::path shown = testsupport::Root() / "full-disk-msg.txt";
  fs::remove(shown);
  EXPECT_TRUE(testsupport::InChildWithFileSizeLimit(2048, [&] {
    const bool picked = p.Pick("PLATE.DXF");
    testsupport::WriteFile(shown, p.forms.Main.Msg.Caption());
    return picked;
  }));
  EXPECT_EQ(testsupport::ReadFile(shown),
            "C:\\Fieldray\\Jobs\\PLATE.DXF; Frames 1 (234 points), 2 (234), 4 (234), 5 (234), 14 (317) not "
            "written: Disk is full. File will not be saved.; Caption font C:\\Fieldray\\stick.vxf could not be "
            "loaded");
}

// What Msg says after a pick (template root, output on, field S): the path,
// or the import's fixed text, and every note the pick met, in one line.
TEST_F(DxfRoad, APickSaysEverythingItFoundInOneLine) {
  const fs::path jobs = testsupport::Root() / "C" / "Fieldray" / "Jobs";
  const fs::path font = testsupport::Root() / "C" / "Fieldray" / "stick.vxf";
  // Line 10 holds the value "x"; the second line ends beyond the projection range.
  const std::string bad1 =
      "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\nx\n20\n0\n11\n100\n21\n50\n"
      "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n7000\n21\n0\n0\nENDSEC\n0\nEOF\n";
  const std::string fiveBad =
      "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n1a\n20\nb\n11\n200\n21\nc\n"
      "0\nLINE\n8\n0\n10\n0\n20\n0\n11\nd\n21\n1e\n0\nENDSEC\n0\nEOF\n";
  const struct {
    const char* name;
    const char* file;      // written under `name` in the job folder; nullptr: the template's
    bool damagedFont;      // stick.vxf holds rubbish
    bool fullDisk;         // picked past the largest file the process may write
    const char* msg;
  } cases[] = {
      {"BAD1.DXF", bad1.c_str(), false, false,
       "C:\\Fieldray\\Jobs\\BAD1.DXF; 1 value(s) are not numbers; line 10: group 10 value 'x' is not a number, "
       "read as 0; 2 point(s) beyond the projection range held at its edge."},
      {"FIVEBAD.DXF", fiveBad.c_str(), false, false,
       "C:\\Fieldray\\Jobs\\FIVEBAD.DXF; 5 value(s) are not numbers; line 10: group 10 value '1a' is not a "
       "number, read as 1"},
      {"JUNK.DXF", "this is no drawing\n", true, false,
       "Contains No Displayable Entities: C:\\Fieldray\\Jobs\\JUNK.DXF does not appear to be a DXF file.; Caption "
       "font "
       "C:\\Fieldray\\stick.vxf could not be loaded"},
      {"PLATE.NC", nullptr, false, true,
       "C:\\Fieldray\\Jobs\\PLATE.NC; Frames 1 (362 points), 2 (236), 3 (293), 4 (236), 5 (236) not written: "
       "Disk is full. File will not be saved.; Caption font C:\\Fieldray\\stick.vxf could not be loaded"},
      {"MIXED.NC", "G0 X0 Y0\ng1 x50 y0\nG1 X100 Y50\n", false, false,
       "C:\\Fieldray\\Jobs\\MIXED.NC; 1 problem(s) in MIXED.NC: line 2: lower-case words are not read"},
      {"LETTERS.NC", "G0 X0 Y0\nG1 X50 Y0\n\nG1 X12abc Y5\n", false, false,
       "C:\\Fieldray\\Jobs\\LETTERS.NC; 1 problem(s) in LETTERS.NC: line 4: X12abc read as 12"},
  };
  const std::string goodFont = testsupport::ReadFile(font);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.file) testsupport::WriteFile(jobs / c.name, c.file);
    testsupport::WriteFile(font, c.damagedFont ? std::string("rubbish") : goodFont);
    Program p;
    p.forms.Main.OnOff.SetValue(1);
    std::string msg;
    if (c.fullDisk) {
      const fs::path shown = testsupport::Root() / "full-disk-msg.txt";
      fs::remove(shown);
      EXPECT_TRUE(testsupport::InChildWithFileSizeLimit(2048, [&] {
        const bool picked = p.Pick(c.name);
        testsupport::WriteFile(shown, p.forms.Main.Msg.Caption());
        return picked;
      }));
      msg = testsupport::ReadFile(shown);
    } else {
      ASSERT_TRUE(p.Pick(c.name));
      msg = p.forms.Main.Msg.Caption();
    }
    EXPECT_EQ(msg, c.msg);
    EXPECT_EQ(p.state.EngineBusy, 0);
  }
  testsupport::WriteFile(font, goodFont);
}

// The template's caption takes a job name of 40 characters, any letters,
// whole into field S: not one stroke is held at the field's edge.
TEST_F(DxfRoad, AJobNameOf40CharactersFitsFieldS) {
  const fs::path jobs = testsupport::Root() / "C" / "Fieldray" / "Jobs";
  const std::string plate = testsupport::ReadFile(jobs / "PLATE.DXF");
  std::string wide;
  for (int i = 0; i < 36; ++i) wide += i % 2 ? 'M' : 'W';
  for (const std::string& name : {std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.DXF"), wide + ".DXF"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(name.size(), 40u);
    testsupport::WriteFile(jobs / name, plate);
    Program p;
    p.forms.Main.OnOff.SetValue(1);
    ASSERT_TRUE(p.Pick(name));
    EXPECT_EQ(p.forms.Main.Msg.Caption(), "C:\\Fieldray\\Jobs\\" + name);
    fs::remove(jobs / name);
  }
}

// The texts an open that projects nothing ends with.
constexpr const char* kRefusals[] = {"Contains No Displayable Entities", "Drawing frames not built", "File Too Large",
                                     "Frames "};

// Every shared drawing under the size limit, one source folder per case.
class CorpusRoad : public DxfRoad, public ::testing::WithParamInterface<const char*> {};

TEST_P(CorpusRoad, EveryDrawingOpensAndProjectsWithoutFault) {
  const fs::path corpus = testsupport::SharedDxfCorpus();
  if (corpus.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  if (!fs::is_directory(corpus / GetParam())) {
    std::fprintf(stderr, "shared drawings: no folder %s\n", (corpus / GetParam()).c_str());
    GTEST_SKIP() << "no folder " << (corpus / GetParam()).string();
  }
  Program p;
  p.forms.Main.OnOff.SetValue(1);
  const fs::path jobs = testsupport::Root() / "C" / "Fieldray" / "Jobs";
  const fs::path pictures = testsupport::PictureFolder() / "corpus";
  fs::create_directories(pictures);
  int opened = 0, projected = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus / GetParam())) {
    if (!entry.is_regular_file() || winplat::UCase(entry.path().extension().string()) != ".DXF" || entry.file_size() >= engine::MaxDrawingFileSize) continue;
    const std::string name = std::string(GetParam()) + "_" + entry.path().filename().string();
    SCOPED_TRACE(name);
    fs::copy_file(entry.path(), jobs / name, fs::copy_options::overwrite_existing);
    std::string path = "C:\\Fieldray\\Jobs\\" + name;
    p.state.LastShownFrame = 0;
    engine::OpenDrawingFile(p.e, p.drawing->Host(), p.interp, path);
    ++opened;
    EXPECT_EQ(p.state.EngineBusy, 0);
    EXPECT_EQ(p.exits, 0);
    const std::string msg = p.forms.Main.Msg.Caption();
    if (p.state.LastShownFrame == 14) {
      ++projected;
      winplat::hw::SaveProjectionPng(pictures / (name + ".png"), 0, 512);
    } else {
      // Not shown: one of the import's refusals (nothing displayable, frames
      // that could not be built or written, a file too large).
      const bool refused = std::any_of(std::begin(kRefusals), std::end(kRefusals),
                                       [&](const char* text) { return msg.rfind(text, 0) == 0; });
      EXPECT_TRUE(refused) << msg;
    }
    fs::remove(jobs / name);
  }
  // A folder of drawings the import does not project (splines, LWPOLYLINE only)
  // is no failure; what counts is that each open ended in one of the outcomes above.
  EXPECT_GT(opened, 0);
  std::printf("%s: %d of %d drawings projected\n", GetParam(), projected, opened);
}

INSTANTIATE_TEST_SUITE_P(SharedDrawings, CorpusRoad,
                         ::testing::Values("OSGeo-gdal", "gdsestimating-dxf-parser", "ixmilia-dxf",
                                           "joco-nz-dxf2gcode-plasma", "mozman-ezdxf", "skymakerolof-dxf"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                           std::string n;
                           for (const char* c = param.param; *c; ++c) n += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           return n;
                         });

// The log a start and a pick of the plate write, byte for byte the one
// recorded (FIELDRAY_UPDATE_GOLDEN set writes it instead).
TEST_F(DxfRoad, TheCommandLogOfAPickIsTheRecordedOne) {
  const fs::path log = winplat::MachineRoot() / "hw" / "commands.log";
  Program p;
  p.forms.Main.OnOff.SetValue(1);
  ASSERT_TRUE(p.Pick("PLATE.DXF"));
  ASSERT_GT(p.state.LastShownFrame, 0);
  const std::string written = testsupport::ReadFile(log);
  ASSERT_GT(written.size(), 1000u);
  const fs::path golden = fs::path(FIELDRAY_SOURCE_DIR) / "testdata" / "device" / "pick_commands.log";
  if (std::getenv("FIELDRAY_UPDATE_GOLDEN")) {
    testsupport::WriteFile(golden, written);
    return;
  }
  const std::string recorded = testsupport::ReadFile(golden);
  ASSERT_FALSE(recorded.empty()) << golden;
  EXPECT_EQ(written.size(), recorded.size());
  EXPECT_TRUE(written == recorded);
}

// The pictures a pick leaves, the main window with a job list of 30 files and
// the height presets dialog, by a plain capture of each window (which paints
// what was put off by itself) and by screenshot: the same whether the loop
// painted every window at once or left the forms until they were looked at.
TEST_F(DxfRoad, PicturesAfterAPickAreTheSameWhetherPaintedAtOnceOrWhenLookedAt) {
  const fs::path jobs = testsupport::Root() / "C" / "Fieldray" / "Jobs";
  const std::string plate = testsupport::ReadFile(jobs / "PLATE.DXF");
  for (int i = 1; i <= 26; ++i) testsupport::WriteFile(jobs / ("JOB" + std::to_string(100 + i) + ".DXF"), plate);
  const fs::path dir = testsupport::PictureFolder();
  auto take = [&](bool immediate) {
    winplat::SetImmediatePainting(immediate);
    std::vector<winplat::Picture> shots;
    {
      Program p;
      p.forms.Main.OnOff.SetValue(1);
      EXPECT_TRUE(p.Pick("PLATE.DXF"));
      EXPECT_EQ(p.forms.Main.File1.ListCount(), 30);
      EXPECT_GT(p.state.LastShownFrame, 0);
      auto& main = p.forms.Main;
      auto& phs = p.forms.PHS;
      if (!immediate) {
        EXPECT_TRUE(winplat::GetUpdateRect(main.hWnd(), nullptr));  // not painted yet
      }
      shots.push_back(winplat::CaptureWindow(main.hWnd()));
      phs.Show();
      shots.push_back(winplat::CaptureWindow(phs.hWnd()));
      std::string error;
      for (winplat::controls::Form* form : {static_cast<winplat::controls::Form*>(&main),
                                            static_cast<winplat::controls::Form*>(&phs)}) {
        const fs::path shot = dir / ("pick-" + form->Name() + (immediate ? "-at-once" : "-when-looked") + ".png");
        EXPECT_TRUE(winplat::controls::op::Screenshot(*form, shot.string(), &error)) << error;
        winplat::Picture picture;
        EXPECT_TRUE(winplat::LoadPicturePng(shot, &picture, &error)) << error;
        shots.push_back(picture);
      }
      phs.Hide();
    }
    winplat::SetImmediatePainting(false);
    return shots;
  };
  const std::vector<winplat::Picture> atOnce = take(true);
  enginetest::ResetBoardMachine();
  const std::vector<winplat::Picture> whenLooked = take(false);
  ASSERT_EQ(atOnce.size(), 4u);
  ASSERT_EQ(whenLooked.size(), 4u);
  for (std::size_t i = 0; i < atOnce.size(); ++i) {
    EXPECT_GT(atOnce[i].width, 0) << i;
    EXPECT_TRUE(atOnce[i].width == whenLooked[i].width && atOnce[i].height == whenLooked[i].height &&
                atOnce[i].pixels == whenLooked[i].pixels)
        << "picture " << i;
  }
}

}  // namespace
}  // namespace fieldray
