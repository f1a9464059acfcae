#pragma once
// The main window's controls over a recording board stand-in, an engine and an
// empty settings file in C:\Fieldray\: the rig of the tab handlers' tests.
#include <gtest/gtest.h>

#include <filesystem>

#include "console/form_console_view.h"
#include "console/main_form.h"
#include "engine/settings_file.h"
#include "engine/tests/engine_fakes.h"
#include "test_support.h"

namespace fieldray::console {

class TabRig : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::WriteFile(Ini(), "");
    engine::SetProgramDir(state, "C:\\Fieldray\\");
  }
  static std::filesystem::path Ini() { return testsupport::Root() / "C" / "Fieldray" / "Fldry.INI"; }

  ProgramState state;
  enginetest::FakeBoard board;
  engine::Vexlib vx{board.Table()};
  MainForm main;
  FormConsoleView view{main, nullptr};
  engine::Engine e{state, vx, view, [] {}};
};

}  // namespace fieldray::console
