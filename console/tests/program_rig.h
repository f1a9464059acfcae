#pragma once
// The whole program started in the test process on a copy of the machine
// template, under a manual clock, with its message boxes scripted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "console/program.h"
#include "engine/settings_file.h"
#include "engine/tests/board_machine.h"
#include "engine/tests/control_host.h"
#include "test_support.h"
#include "winplat/classreg.h"
#include "winplat/clock.h"
#include "winplat/folders.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/parport.h"
#include "winplat/msgbox.h"

namespace fieldray::console {

class ProgramRig : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    winplat::SetClock(&clock);
    enginetest::ResetBoardMachine();
    if (HasFatalFailure()) return;
    fs::remove(winplat::hw::ParallelPortConfigPath());
    const fs::path c = testsupport::Root() / "C";
    std::error_code ec;
    fs::remove_all(c / "Fieldray", ec);
    fs::copy(fs::path(std::getenv("FIELDRAY_TEMPLATE")) / "C" / "Fieldray", c / "Fieldray",
             fs::copy_options::recursive);
    winplat::SetExeName("C:\\Fieldray\\Fieldray.exe");
    ASSERT_EQ(winplat::RegisterServerLibrary(testsupport::ControlLibraryFile()), winplat::S_OK);
  }
  void TearDown() override {
    program.reset();
    winplat::SetClock(nullptr);
  }

  // Starts the program; its remote-box timer is stopped when `boxTimer` is false.
  Program& Start(bool boxTimer = false) {
    program = std::make_unique<Program>(testsupport::BinDir(), [this] { ++exits; });
    EXPECT_TRUE(program->Start());
    program->Forms.Main.TimerCB.SetEnabled(boxTimer);
    return *program;
  }

  std::string Ini(const char* section, const char* key) { return engine::ReadIniValue(program->Engine, section, key); }
  static std::filesystem::path ProgramFile(const char* name) {
    return testsupport::Root() / "C" / "Fieldray" / name;
  }

  winplat::ManualClock clock;
  winplat::MessageBoxScript boxes;
  std::unique_ptr<Program> program;
  int exits = 0;
};

}  // namespace fieldray::console
