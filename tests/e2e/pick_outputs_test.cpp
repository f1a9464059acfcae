// What a pick leaves behind that someone can look at: the boards' command log,
// byte for byte as recorded, and the windows' pictures, the same whether the
// windows were painted at once or only when their pixels were read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "console/program.h"
#include "engine/tests/board_machine.h"
#include "test_support.h"
#include "winplat/classreg.h"
#include "winplat/clock.h"
#include "winplat/controls/operator.h"
#include "winplat/folders.h"
#include "winplat/hw/parport.h"
#include "winplat/msgbox.h"
#include "winplat/painting.h"
#include "winplat/paths.h"
#include "winplat/picture.h"
#include "winplat/window.h"

namespace fieldray {
namespace {

namespace fs = std::filesystem;

fs::path Template() { return fs::path(std::getenv("FIELDRAY_TEMPLATE")); }
fs::path OwnTestData() { return fs::path(FIELDRAY_SOURCE_DIR) / "testdata" / "device"; }

class PickOutputs : public ::testing::Test {
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

  // The program started, the laser on, and `name` picked in the job list.
  std::unique_ptr<console::Program> StartAndPick(const std::string& name) {
    auto program = std::make_unique<console::Program>(testsupport::BinDir(), [] {});
    program->Start();
    program->Forms.Main.OnOff.SetValue(1);
    auto& list = program->Forms.Main.File1;
    list.Refresh();
    for (int i = 0; i < list.ListCount(); ++i) {
      if (list.List(i) == name) {
        winplat::controls::op::Pick(list, i);
        return program;
      }
    }
    ADD_FAILURE() << name << " is not in the job list";
    return program;
  }

  winplat::ManualClock clock;
  winplat::MessageBoxScript boxes;
};

// The log a start and a pick of the plate write, against the one recorded
// (FIELDRAY_UPDATE_GOLDEN set writes it instead).
TEST_F(PickOutputs, TheCommandLogOfAPickIsTheRecordedOne) {
  const fs::path log = winplat::MachineRoot() / "hw" / "commands.log";
  auto program = StartAndPick("PLATE.DXF");
  ASSERT_GT(program->State.LastShownFrame, 0);
  const std::string written = testsupport::ReadFile(log);
  ASSERT_GT(written.size(), 1000u);
  const fs::path golden = OwnTestData() / "pick_commands.log";
  if (std::getenv("FIELDRAY_UPDATE_GOLDEN")) {
    testsupport::WriteFile(golden, written);
    return;
  }
  const std::string recorded = testsupport::ReadFile(golden);
  ASSERT_FALSE(recorded.empty()) << golden;
  EXPECT_EQ(written.size(), recorded.size());
  EXPECT_TRUE(written == recorded);
}

// The pictures a pick leaves: the main window with a job list of 30 files and
// the height presets dialog, by screenshot and by a plain capture of each
// window (which paints what was put off by itself).
struct PickPictures {
  std::vector<winplat::Picture> shots;
};

bool Same(const winplat::Picture& a, const winplat::Picture& b) {
  return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

TEST_F(PickOutputs, PicturesAfterAPickAreTheSameWhetherPaintedAtOnceOrWhenLookedAt) {
  const fs::path jobs = testsupport::Root() / "C" / "Fieldray" / "Jobs";
  const std::string plate = testsupport::ReadFile(jobs / "PLATE.DXF");
  for (int i = 1; i <= 26; ++i) testsupport::WriteFile(jobs / ("JOB" + std::to_string(100 + i) + ".DXF"), plate);
  const fs::path dir = testsupport::PictureFolder();
  auto take = [&](bool immediate) {
    winplat::SetImmediatePainting(immediate);
    PickPictures pictures;
    {
      auto program = StartAndPick("PLATE.DXF");
      EXPECT_EQ(program->Forms.Main.File1.ListCount(), 30);
      EXPECT_GT(program->State.LastShownFrame, 0);
      auto& main = program->Forms.Main;
      auto& phs = program->Forms.PHS;
      // A plain capture first: nothing but the capture paints the windows put off.
      if (!immediate) {
        EXPECT_TRUE(winplat::GetUpdateRect(main.hWnd(), nullptr));
      }
      pictures.shots.push_back(winplat::CaptureWindow(main.hWnd()));
      phs.Show();
      pictures.shots.push_back(winplat::CaptureWindow(phs.hWnd()));
      const std::string tag = immediate ? "-at-once" : "-when-looked";
      std::string error;
      for (auto* form : {static_cast<winplat::controls::Form*>(&main), static_cast<winplat::controls::Form*>(&phs)}) {
        const fs::path shot = dir / ("pick-" + form->Name() + tag + ".png");
        EXPECT_TRUE(winplat::controls::op::Screenshot(*form, shot.string(), &error)) << error;
        winplat::Picture picture;
        EXPECT_TRUE(winplat::LoadPicturePng(shot, &picture, &error)) << error;
        pictures.shots.push_back(picture);
      }
      phs.Hide();
    }
    winplat::SetImmediatePainting(false);
    return pictures;
  };
  const PickPictures atOnce = take(true);
  enginetest::ResetBoardMachine();
  const PickPictures whenLooked = take(false);
  ASSERT_EQ(atOnce.shots.size(), 4u);
  ASSERT_EQ(whenLooked.shots.size(), 4u);
  for (std::size_t i = 0; i < atOnce.shots.size(); ++i) {
    EXPECT_GT(atOnce.shots[i].width, 0) << i;
    EXPECT_TRUE(Same(atOnce.shots[i], whenLooked.shots[i])) << "picture " << i;
  }
}

}  // namespace
}  // namespace fieldray
