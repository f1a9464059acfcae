// Start-up and shutdown of the main window against the emulated boards.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <vector>

#include "console/component_slots.h"
#include "console/form_console_view.h"
#include "console/option_handlers.h"
#include "console/startup.h"
#include "engine/caption_text.h"
#include "engine/projection_output.h"
#include "engine/settings_file.h"
#include "engine/tests/board_machine.h"
#include "job/grid_cells.h"
#include "test_support.h"
#include "winplat/clock.h"
#include "winplat/folders.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/parport.h"
#include "winplat/msgbox.h"

namespace fieldray::console {
namespace {

namespace fs = std::filesystem;
using enginetest::FirstCommand;
using enginetest::LoggedCommandCodes;

fs::path Template() { return fs::path(std::getenv("FIELDRAY_TEMPLATE")); }

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    winplat::hw::WriteBoardConfig("");
    winplat::hw::ResetBoardState();
    std::filesystem::remove(winplat::hw::ParallelPortConfigPath());
    fs::path root = testsupport::Root() / "C";
    std::error_code ec;
    fs::remove_all(root / "Fieldray", ec);
    fs::copy(Template() / "C" / "Fieldray", root / "Fieldray", fs::copy_options::recursive);
    fs::create_directories(root / "WINDOWS" / "SYSTEM32");
    fs::remove(root / "WINDOWS" / "VEXLIB.INI", ec);
    for (const char* name : {"VX.INI", "SYSTEM32/VX.T32", "SYSTEM32/VEXLIB.TBS"}) {
      if (fs::exists(Template() / "C" / "WINDOWS" / name))
        fs::copy_file(Template() / "C" / "WINDOWS" / name, root / "WINDOWS" / name,
                      fs::copy_options::overwrite_existing);
    }
    winplat::SetExeName("C:\\Fieldray\\Fieldray.exe");
  }
  void TearDown() override { winplat::SetClock(nullptr); }

  struct Program {
    ProgramState state;
    engine::Vexlib vx{testsupport::BinDir()};
    ConsoleForms forms;
    ComponentSlots slots{forms};
    FormConsoleView view{forms.Main, &slots};
    int exits = 0;
    engine::Engine e{state, vx, view, [this] { ++exits; }};
    StartupValues values;
    OptionHandlers options{e, forms.Main, &slots.ToolDat->Grid()};
    StartupSeams seams = StandardSeams(e, forms.Main, slots);
    void Load() { Form_Load(e, forms.Main, values, seams); }
    void Close() { Form_QueryUnload(e, forms.Main, values); }
  };

  static fs::path ProgramFile(const char* name) { return testsupport::Root() / "C" / "Fieldray" / name; }


  winplat::ManualClock clock;
  winplat::MessageBoxScript boxes;
};

TEST_F(Startup, FreshMachineBeginsASessionFillsTheControlsAndOpensThePort) {
  {
    Program p;
    winplat::hw::ClearCommandLog();
    p.Load();
    EXPECT_EQ(p.exits, 0);
    EXPECT_TRUE(boxes.Shown().empty());
    // The boot program is downloaded and started (8) before the session begins
    // (18); the display is reset (196) and sized (39) after it.
    std::vector<std::uint16_t> codes = LoggedCommandCodes();
    ASSERT_GE(FirstCommand(codes, 8), 0);
    EXPECT_LT(FirstCommand(codes, 8), FirstCommand(codes, 18));
    EXPECT_LT(FirstCommand(codes, 18), FirstCommand(codes, 196));
    EXPECT_LT(FirstCommand(codes, 196), FirstCommand(codes, 39));
    EXPECT_GE(FirstCommand(codes, 38), 0) << "one track chosen";
    // The grids, the mode captions, the calibration list and the alignment points.
    EXPECT_EQ(GetGridCell(p.slots.PHSdata->Grid(), 2, 1), "Table");
    EXPECT_EQ(GetGridCell(p.slots.PHSdata->Grid(), 2, 2), "100");
    EXPECT_EQ(p.forms.Main.PrjPos(1).Caption(), "All");
    EXPECT_EQ(p.forms.Main.PrjPos(6).Caption(), "Pattern");
    EXPECT_EQ(GetGridCell(p.slots.ToolDat->Grid(), 2, 3), "3");
    EXPECT_NE(GetGridCell(p.slots.MarkerData->Grid(), 1, 5), "");
    EXPECT_EQ(GetGridCell(p.slots.SSHt->Grid(), 1, 3), "2");
    EXPECT_GT(p.forms.Main.ListCal.ListCount(), 0);
    EXPECT_EQ(p.forms.Main.SetLineX.UBound(), 3);
    EXPECT_EQ(p.state.PtAlgnGrid[40 + 65 * 40].dX, 24);
    EXPECT_EQ(p.state.FieldSet1, "S  A  T  R  S/ A/ T/ R/ ");
    EXPECT_EQ(p.state.ProgramDir, "C:\\Fieldray\\");
    EXPECT_EQ(p.forms.Main.Top(), 1200);
    EXPECT_EQ(p.forms.Main.SRUL.Text(), "30000");
    EXPECT_EQ(p.forms.Main.SRLL.Text(), "10000");
    EXPECT_EQ(p.forms.Main.ScnRt.Text(), "20");
    EXPECT_EQ(p.state.ScanRateCache, 20);
    EXPECT_EQ(p.forms.Main.BlnkTm.Text(), "8000");
    EXPECT_EQ(p.state.HoldVertex, 3);
    EXPECT_EQ(p.forms.Main.CharW.Text(), "40");
    EXPECT_EQ(p.forms.Main.CharH.Text(), "100");
    EXPECT_EQ(p.forms.Main.CapX.Text(), "-2900");
    EXPECT_EQ(p.forms.Main.PrjHght(1).Caption(), "Table");
    EXPECT_TRUE(p.forms.Main.PrjHght(0).Value());
    ASSERT_EQ(p.values.BoxPositions.size(), 8u);
    EXPECT_EQ(p.values.BoxPositions[1], winplat::hw::RemoteBoxPositionReading(1));
    EXPECT_GT(p.values.PortDevice, 0);
    EXPECT_EQ(winplat::hw::ParallelPortData(), 255);
    EXPECT_EQ(winplat::hw::ParallelPortControl(), 3);
    EXPECT_TRUE(p.forms.Main.Timer1.Enabled());
    EXPECT_TRUE(p.forms.Main.TimerCB.Enabled());
    std::int32_t status = 1;
    p.vx.CheckSession(&status);
    EXPECT_EQ(status, 0) << "a session runs after start-up";

    p.forms.Main.SetTop(2400);
    p.Close();
    EXPECT_EQ(p.values.PortDevice, 0);
    EXPECT_EQ(winplat::hw::ParallelPortData(), 0);
    EXPECT_EQ(winplat::hw::ParallelPortAcquired(), 0);
  }
  std::string ini = testsupport::ReadFile(testsupport::Root() / "C" / "Fieldray" / "Fldry.INI");
  EXPECT_NE(ini.find("Top=2400"), std::string::npos);
  // A second start keeps the settings.
  Program again;
  again.Load();
  EXPECT_EQ(again.forms.Main.Top(), 2400);
  EXPECT_EQ(again.forms.Main.SRUL.Text(), "30000");
  again.Close();
}

TEST_F(Startup, DamagedSettingsAndAMissingJobFolderDoNotStopStartUp) {
  testsupport::WriteFile(testsupport::Root() / "C" / "Fieldray" / "Fldry.INI",
                         "[Main]\r\nTop=99999999999999\r\nLeft=-5\r\n[System]\r\nPath=C:\\NoSuchFolder\\\r\n"
                         "[HeightPresets]\r\nIndex=77\r\nFollowMode=9\r\n[CaptionProjection]\r\nMessage=-4\r\n"
                         "CharWidth=12.50\r\n[Calibration]\r\nMarkerResolution=0\r\nBoxPos3=1e99\r\ngarbage\r\n");
  Program p;
  p.Load();
  EXPECT_EQ(p.exits, 0);
  EXPECT_EQ(p.forms.Main.Top(), 12000);
  EXPECT_EQ(p.forms.Main.Left(), 0);
  EXPECT_TRUE(p.forms.Main.PrjHght(0).Value());
  EXPECT_EQ(p.forms.Main.MdHt.Value(), 0);
  EXPECT_EQ(p.forms.Main.CapMsg.Value(), 0);
  EXPECT_EQ(p.forms.Main.CharW.Text(), "12.5");
  EXPECT_EQ(p.values.MarkerResolution, 5);
  EXPECT_EQ(p.values.BoxPositions[3], 2147483647);
  EXPECT_NE(p.forms.Main.Msg.Caption().find("NoSuchFolder"), std::string::npos);
  p.Close();
}

TEST_F(Startup, SettingsWithoutAnyKeyAreTakenFromTheTemplate) {
  const fs::path ini = ProgramFile("Fldry.INI");
  struct Case {
    const char* name;
    const char* text;  // nullptr: no file
    bool filled;
  };
  const Case cases[] = {
      {"missing", nullptr, true},
      {"empty", "", true},
      {"sections only", "[Main]\r\n\r\n[Calibration]\r\n; a comment\r\n", true},
      {"one blank key", "[Calibration]\r\nPointsStart=\r\n", false},
  };
  for (const Case& c : cases) {
    std::error_code ec;
    fs::remove(ini, ec);
    if (c.text) testsupport::WriteFile(ini, c.text);
    Program p;
    p.Load();
    EXPECT_EQ(p.exits, 0) << c.name;
    if (c.filled) {
      EXPECT_EQ(p.forms.Main.Msg.Caption(), "Fldry.INI was empty: the template's settings were used") << c.name;
      EXPECT_EQ(p.forms.Main.SRUL.Text(), "30000") << c.name;
      EXPECT_NE(p.state.FieldCalibration[1].XScale, 0) << c.name;
    } else {
      EXPECT_EQ(p.forms.Main.Msg.Caption().find("template"), std::string::npos) << c.name;
      EXPECT_EQ(p.state.HoldStart, 0) << "a blank key reads as 0: " << c.name;
      EXPECT_EQ(p.state.FieldCalibration[1].XScale, 0) << "a missing key reads as 0: " << c.name;
    }
    p.Close();
    if (c.filled) {
      EXPECT_NE(testsupport::ReadFile(ini).find("XScaleS="), std::string::npos) << c.name;
    }
  }
}

TEST_F(Startup, TypedRatesAndHoldCountsOutsideTheirRangeAreNeitherUsedNorStored) {
  Program p;
  p.Load();
  auto& m = p.forms.Main;
  struct Case {
    wc::TextBox* box;
    const char* key;
    const char* typed;
    const char* message;
  };
  const Case cases[] = {
      {&m.SRUL, "ScanRateUL", "99999999999", "Scan rate upper limit: 15000 to 35000"},
      {&m.SRLL, "ScanRateLL", "-5", "Scan rate lower limit: 5000 to 15000"},
      {&m.ScnRt, "ScanRate", "500", "Scan rate multiplier: 10 to 50"},
      {&m.BlnkTm, "BlankTiming", "abc", "Blanking time: 2000 to 15000"},
      {&m.BlnkTm, "BlankTiming", "1e30", "Blanking time: 2000 to 15000"},
      {&m.PtsST, "PointsStart", "0", "Segment start points: 1 to 10"},
      {&m.PtsST, "PointsStart", "", "Segment start points: 1 to 10"},
      {&m.PtsVtx, "PointsVertex", "11", "Vertex points: 1 to 10"},
      {&m.PtsEnd, "PointsEnd", "-3", "Segment end points: 1 to 10"},
  };
  for (const Case& c : cases) {
    const std::string before = c.box->Text();
    const std::int32_t rate = p.state.ScanRateCache;
    const std::array<std::int32_t, 3> holds{p.state.HoldStart, p.state.HoldVertex, p.state.HoldEnd};
    c.box->SetText(c.typed);
    EXPECT_EQ(engine::ReadCalibrationValue(p.e, c.key), before) << c.typed;
    EXPECT_EQ(p.state.ScanRateCache, rate) << c.typed;
    EXPECT_EQ((std::array<std::int32_t, 3>{p.state.HoldStart, p.state.HoldVertex, p.state.HoldEnd}), holds) << c.typed;
    c.box->LostFocus.Fire(*c.box, "LostFocus");
    EXPECT_EQ(c.box->Text(), before) << c.typed;
    EXPECT_EQ(m.Msg.Caption(), c.message);
    EXPECT_EQ(engine::ReadCalibrationValue(p.e, c.key), before) << c.typed;
  }
  // A value inside the range is taken and stored; the range's message goes
  // with a value of its own box, not of another.
  ASSERT_EQ(m.Msg.Caption(), "Segment end points: 1 to 10");
  m.SRUL.SetText("32000");
  m.SRUL.LostFocus.Fire(m.SRUL, "LostFocus");
  EXPECT_EQ(engine::ReadCalibrationValue(p.e, "ScanRateUL"), "32000");
  m.PtsST.SetText("10");
  EXPECT_EQ(engine::ReadCalibrationValue(p.e, "PointsStart"), "10");
  EXPECT_EQ(p.state.HoldStart, 10);
  EXPECT_EQ(m.Msg.Caption(), "Segment end points: 1 to 10");
  m.PtsEnd.SetText("4");
  EXPECT_EQ(p.state.HoldEnd, 4);
  EXPECT_EQ(m.Msg.Caption(), "");
  p.Close();
}

TEST_F(Startup, StoredSettingsOutOfRangeOrMissingAreNamedAtStart) {
  const fs::path ini = ProgramFile("Fldry.INI");
  std::string text = testsupport::ReadFile(ini);
  auto set = [&](const std::string& key, const std::string& value) {
    const std::size_t at = text.find("\n" + key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    text.replace(at + 1, text.find('\n', at + 1) - at - 1, key + "=" + value);
  };
  auto drop = [&](const std::string& key) {
    const std::size_t at = text.find("\n" + key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    text.erase(at + 1, text.find('\n', at + 1) - at);
  };
  set("PointsStart", "0");
  set("ScanRate", "500");
  set("ScanRateLL", "-5");
  for (const char* f : {"S", "A", "T", "R", "Sf", "Af", "Tf", "Rf"}) drop(std::string("XScale") + f);
  set("YScaleS", "");
  testsupport::WriteFile(ini, text);

  Program p;
  p.Load();
  auto& m = p.forms.Main;
  EXPECT_EQ(m.PtsST.Text(), "1");
  EXPECT_EQ(p.state.HoldStart, 1);
  EXPECT_EQ(m.ScnRt.Text(), "50");
  EXPECT_EQ(p.state.ScanRateCache, 50);
  EXPECT_EQ(m.SRLL.Text(), "5000");
  EXPECT_EQ(p.state.FieldCalibration[1].XScale, 0) << "a missing key keeps the value the rules give it";
  EXPECT_EQ(m.Msg.Caption(),
            "Fldry.INI lacks 8 settings, read as empty (0 for numbers): XScaleS, XScaleA, XScaleT, XScaleR, "
            "XScaleSf, XScaleAf, XScaleTf, XScaleRf; stores 1 empty: YScaleS; Settings outside their range, the nearest bound "
            "used: PointsStart (1 to 10), ScanRateLL (5000 to 15000), ScanRate (10 to 50)");
  p.Close();
}

TEST_F(Startup, ACaptionTextTheSettingsCannotHoldIsNamedAndTheStoredOneShownAgain) {
  Program p;
  p.Load();
  auto& m = p.forms.Main;
  const std::string stored = m.CapX.Text();
  m.CapX.SetText("-8000\r\n12");
  EXPECT_EQ(m.Msg.Caption(), "XPosition not saved: line breaks cannot be stored");
  EXPECT_EQ(m.CapX.Text(), stored);
  EXPECT_EQ(engine::ReadIniValue(p.e, "CaptionProjection", "XPosition"), stored);
  EXPECT_EQ(p.state.SettingsFailureMsg, m.Msg.Caption());
  m.CapY.SetText("5000");
  EXPECT_EQ(p.state.SettingsFailureMsg, "");
  EXPECT_EQ(m.Msg.Caption(), "");
  p.Close();
}

TEST_F(Startup, TheTemplatesCaptionLiesInsideFieldS) {
  Program p;
  p.Load();
  std::string caption = "File Too Large";
  engine::ShowCaption(p.e, caption);
  FrameStruct header{};
  ASSERT_EQ(p.vx.ReadFrameStruct(engine::CaptionFrameNumber, &header), 0);
  ASSERT_GT(header.NumPoints, 0);
  std::vector<PointStruct> points(VX_DEFAULT_MAX_FRAME_POINTS + 1);  // the library fills its whole frame
  ASSERT_EQ(p.vx.ReadFrame(&header, points.data()), 0);
  std::set<std::pair<std::int32_t, std::int32_t>> lit;
  for (std::int32_t i = 0; i < header.NumPoints; ++i)
    if (points[static_cast<std::size_t>(i)].Colour != 0) lit.insert({points[static_cast<std::size_t>(i)].X, points[static_cast<std::size_t>(i)].Y});
  EXPECT_GT(lit.size(), 20u) << "the caption's strokes, not one corner";
  // No stroke is held at the edge of the board's range.
  for (const auto& [x, y] : lit) {
    EXPECT_LT(std::abs(x), 32767) << x;
    EXPECT_LT(std::abs(y), 32767) << y;
  }
  EXPECT_EQ(p.forms.Main.Msg.Caption().find("beyond the projection range"), std::string::npos) << p.forms.Main.Msg.Caption();
  p.Close();
}

TEST_F(Startup, MachineWithoutParallelPortStartsWithoutPortAndShutsDownWithoutPortCalls) {
  winplat::hw::SetParallelPortPresent(false);
  Program p;
  p.Load();
  EXPECT_EQ(p.values.PortDevice, 0);
  EXPECT_EQ(winplat::hw::ParallelPortAcquired(), 0);
  p.Close();
  EXPECT_EQ(p.exits, 0);
}

}  // namespace
}  // namespace fieldray::console

namespace fieldray::console {
namespace {

TEST_F(Startup, SecondStartFindsTheRunningSessionAndTakesItsValues) {
  Program first;
  first.Load();
  // Another program on the machine begins the session anew with its own values.
  std::int32_t status = 0;
  first.vx.BeginSession(1000, 2000, 4096, 3, &status);
  ASSERT_EQ(status, 0);
  winplat::hw::ClearCommandLog();
  Program second;
  second.Load();
  std::vector<std::uint16_t> codes = LoggedCommandCodes();
  EXPECT_EQ(FirstCommand(codes, 18), -1) << "no new session";
  EXPECT_EQ(FirstCommand(codes, 8), -1) << "no boot download";
  EXPECT_GE(FirstCommand(codes, 92), 0);
  EXPECT_EQ(second.state.SessionArgs.P1, 1000);
  EXPECT_EQ(second.state.SessionArgs.P2, 2000);
  EXPECT_EQ(second.state.SessionArgs.P3, 4096);
  EXPECT_EQ(second.state.SessionArgs.P4, 3);
  EXPECT_GE(FirstCommand(codes, 196), 0) << "the display is reset in every case";
  EXPECT_TRUE(boxes.Shown().empty());
  second.Close();
  first.Close();
}

TEST_F(Startup, NoBoardsAreReportedAndStartUpGoesOnWhenTheOperatorStays) {
  winplat::hw::WriteBoardConfig("[Board0]\nFault=no answer\n");
  Program p;
  // The library's own box, then the status reporter's: stay, and silence the beeps.
  boxes.Answer(0).Answer(winplat::IDNO).Answer(winplat::IDNO);
  p.Load();
  EXPECT_EQ(p.exits, 0);
  bool offered = false;
  for (const auto& box : boxes.Shown()) {
    if (box.caption.rfind("CheckStatus:", 0) == 0 && box.text.find("Exit program?") != std::string::npos) offered = true;
  }
  EXPECT_TRUE(offered);
  EXPECT_EQ(p.state.ShowErrorMessages, 0);
  EXPECT_GT(p.values.PortDevice, 0) << "start-up went on to the end";
  EXPECT_TRUE(p.forms.Main.Timer1.Enabled());
  EXPECT_EQ(p.forms.Main.SRUL.Text(), "30000");
  p.Close();
  EXPECT_EQ(winplat::hw::ParallelPortAcquired(), 0);
}

TEST_F(Startup, NoBoardsAndTheOperatorExitsEndsBeforeAnythingElseIsOpened) {
  winplat::hw::WriteBoardConfig("[Board0]\nFault=no answer\n");
  Program p;
  boxes.Answer(0).Answer(winplat::IDYES);
  p.Load();
  EXPECT_EQ(p.exits, 1);
  EXPECT_EQ(p.values.PortDevice, 0);
  EXPECT_EQ(winplat::hw::ParallelPortAcquired(), 0);
  EXPECT_FALSE(p.forms.Main.Timer1.Enabled()) << "no job is taken by a program that is ending";
}

TEST_F(Startup, DamagedAlignmentFileAndGridFilesDoNotStopStartUp) {
  testsupport::WriteFile(ProgramFile("PtAlgn.Dat"),
                         "FIELDRAY-GRID 1 DATA\nSIZE 50 5\n"
                         "CELL 1 1 99999\nCELL 1 2 -5\nCELL 1 3 900\nCELL 1 4 32\nCELL 1 5 32\n"
                         "CELL 2 1 50\nCELL 2 3 2\nCELL 2 4 65\nCELL 2 5 10\n"
                         "CELL 3 1 50\nCELL 3 3 2\nCELL 3 4 -3\nCELL 3 5 10\nEND\n");
  testsupport::WriteFile(ProgramFile("SWPOS.DAT"), "not a grid\n");
  std::filesystem::remove(ProgramFile("Tool.Dat"));
  Program p;
  p.Load();
  EXPECT_EQ(p.exits, 0);
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_EQ(p.state.PtAlgnGrid[32 + 65 * 32].dX, 32767);
  EXPECT_EQ(p.state.PtAlgnGrid[64 + 65 * 32].dX, 16384) << "the reach of 900 counts as 64";
  EXPECT_EQ(p.forms.Main.SetLineX.UBound(), 3) << "every row keeps its cross";
  EXPECT_EQ(p.forms.Main.PrjPos(1).Caption(), "A") << "an unreadable switch grid keeps its headings";
  EXPECT_GT(p.values.PortDevice, 0);
  p.Close();
}

TEST_F(Startup, ShutdownAndRestartKeepEverySetting) {
  {
    Program p;
    p.Load();
    MainForm& m = p.forms.Main;
    m.SetTop(3000);
    m.SetLeft(450);
    m.CapMsg.SetValue(0);
    m.CapThr.SetValue(1);
    m.CapLen.SetValue(2);
    m.Cap2L.SetValue(1);
    m.LLMO.SetValue(1);
    m.TdTxt.SetText("4");
    m.TDMode.SetText("2.5");
    m.CapX.SetText("-7000");
    m.CapY.SetText("6000");
    m.CharH.SetText("14");
    m.CharW.SetText("9.5");
    m.SRUL.SetText("28000");
    m.SRLL.SetText("12000");
    m.ScnRt.SetText("31");
    m.PtsST.SetText("2");
    m.PtsVtx.SetText("5");
    m.PtsEnd.SetText("6");
    m.Show();
    m.BlnkTm.SetFocus();
    m.BlnkTm.SetText("9000");  // still being edited when the window closes
    p.slots.ToolDat->Grid().TypeIntoCell(7, 3, "12.5");
    p.Close();
  }
  Program q;
  q.Load();
  MainForm& m = q.forms.Main;
  EXPECT_EQ(m.Top(), 3000);
  EXPECT_EQ(m.Left(), 450);
  EXPECT_EQ(m.CapMsg.Value(), 0);
  EXPECT_EQ(m.CapThr.Value(), 1);
  EXPECT_EQ(m.CapLen.Value(), 2);
  EXPECT_EQ(m.Cap2L.Value(), 1);
  EXPECT_EQ(m.LLMO.Value(), 1);
  EXPECT_EQ(m.TdTxt.Text(), "4");
  EXPECT_EQ(m.TDMode.Text(), "2.5");
  EXPECT_EQ(m.CapX.Text(), "-7000");
  EXPECT_EQ(m.CapY.Text(), "6000");
  EXPECT_EQ(m.CharH.Text(), "14");
  EXPECT_EQ(m.CharW.Text(), "9.5");
  EXPECT_EQ(m.SRUL.Text(), "28000");
  EXPECT_EQ(m.SRLL.Text(), "12000");
  EXPECT_EQ(m.ScnRt.Text(), "31");
  EXPECT_EQ(q.state.ScanRateCache, 31);
  EXPECT_EQ(m.BlnkTm.Text(), "9000");
  EXPECT_EQ(q.state.HoldStart, 2);
  EXPECT_EQ(q.state.HoldVertex, 5);
  EXPECT_EQ(q.state.HoldEnd, 6);
  EXPECT_EQ(GetGridCell(q.slots.ToolDat->Grid(), 7, 3), "12.5");
  q.Close();
}

}  // namespace
}  // namespace fieldray::console
