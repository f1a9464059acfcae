// Start-up and shutdown of the main window against the emulated boards.
#include <gtest/gtest.h>

#include <cstdlib>

#include "console/component_slots.h"
#include "console/form_console_view.h"
#include "console/startup.h"
#include "engine/settings_file.h"
#include "test_support.h"
#include "winplat/clock.h"
#include "winplat/folders.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/parport.h"
#include "winplat/msgbox.h"

namespace fieldray::console {
namespace {

namespace fs = std::filesystem;

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
  };


  winplat::ManualClock clock;
  winplat::MessageBoxScript boxes;
};

TEST_F(Startup, FreshMachineBeginsASessionFillsTheControlsAndOpensThePort) {
  {
    Program p;
    Form_Load(p.e, p.forms.Main, p.values, {});
    EXPECT_EQ(p.exits, 0);
    EXPECT_EQ(p.state.ProgramDir, "C:\\Fieldray\\");
    EXPECT_EQ(p.forms.Main.Top(), 1200);
    EXPECT_EQ(p.forms.Main.SRUL.Text(), "30000");
    EXPECT_EQ(p.forms.Main.SRLL.Text(), "10000");
    EXPECT_EQ(p.forms.Main.ScnRt.Text(), "20");
    EXPECT_EQ(p.values.ScanRateCache, 20);
    EXPECT_EQ(p.forms.Main.BlnkTm.Text(), "8000");
    EXPECT_EQ(p.values.HoldVertex, 3);
    EXPECT_EQ(p.forms.Main.CharW.Text(), "11");
    EXPECT_EQ(p.forms.Main.CapX.Text(), "-9000");
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
    Form_QueryUnload(p.e, p.forms.Main, p.values);
    EXPECT_EQ(p.values.PortDevice, 0);
    EXPECT_EQ(winplat::hw::ParallelPortData(), 0);
    EXPECT_EQ(winplat::hw::ParallelPortAcquired(), 0);
  }
  std::string ini = testsupport::ReadFile(testsupport::Root() / "C" / "Fieldray" / "Fldry.INI");
  EXPECT_NE(ini.find("Top=2400"), std::string::npos);
  // A second start keeps the settings.
  Program again;
  Form_Load(again.e, again.forms.Main, again.values, {});
  EXPECT_EQ(again.forms.Main.Top(), 2400);
  EXPECT_EQ(again.forms.Main.SRUL.Text(), "30000");
  Form_QueryUnload(again.e, again.forms.Main, again.values);
}

TEST_F(Startup, DamagedSettingsAndAMissingJobFolderDoNotStopStartUp) {
  testsupport::WriteFile(testsupport::Root() / "C" / "Fieldray" / "Fldry.INI",
                         "[Main]\r\nTop=99999999999999\r\nLeft=-5\r\n[System]\r\nPath=C:\\NoSuchFolder\\\r\n"
                         "[HeightPresets]\r\nIndex=77\r\nFollowMode=9\r\n[CaptionProjection]\r\nMessage=-4\r\n"
                         "CharWidth=12.50\r\n[Calibration]\r\nMarkerResolution=0\r\nBoxPos3=1e99\r\ngarbage\r\n");
  Program p;
  Form_Load(p.e, p.forms.Main, p.values, {});
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
  Form_QueryUnload(p.e, p.forms.Main, p.values);
}

TEST_F(Startup, MachineWithoutParallelPortStartsWithoutPortAndShutsDownWithoutPortCalls) {
  winplat::hw::SetParallelPortPresent(false);
  Program p;
  Form_Load(p.e, p.forms.Main, p.values, {});
  EXPECT_EQ(p.values.PortDevice, 0);
  EXPECT_EQ(winplat::hw::ParallelPortAcquired(), 0);
  Form_QueryUnload(p.e, p.forms.Main, p.values);
  EXPECT_EQ(p.exits, 0);
}

}  // namespace
}  // namespace fieldray::console
