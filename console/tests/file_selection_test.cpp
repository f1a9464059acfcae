// The job folder's file list and the open-file dialog.
#include <gtest/gtest.h>

#include "console/component_slots.h"
#include "console/file_selection.h"
#include "console/form_console_view.h"
#include "engine/settings_file.h"
#include "test_support.h"
#include "winplat/clock.h"
#include "winplat/controls/operator.h"

namespace fieldray::console {
namespace {

class FileSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    testsupport::WriteFile(testsupport::Root() / "C" / "Jobs" / "A1.DXF", "0\nEOF\n");
    testsupport::WriteFile(testsupport::Root() / "C" / "Jobs" / "P1.NC", "G0 X0 Y0\n");
    testsupport::WriteFile(testsupport::Root() / "C" / "Parts" / "B2.DXF", "0\nEOF\n");
    engine::SetProgramDir(state, "C:\\Fieldray\\");
    std::filesystem::create_directories(testsupport::Root() / "C" / "Fieldray");
  }
  void TearDown() override { winplat::SetClock(nullptr); }

  winplat::ManualClock clock;
  ProgramState state;
  engine::Vexlib vx{testsupport::BinDir()};
  ConsoleForms forms;
  FormConsoleView view{forms.Main, nullptr};
  engine::Engine e{state, vx, view, [] {}};
  std::vector<std::string> opened;
};

TEST_F(FileSelectionTest, FixFilePathTrimsAndEndsWithOneBackslash) {
  FileSelection files(e, forms.Main, nullptr);
  forms.Main.File1.SetPath("C:\\Jobs");
  EXPECT_EQ(files.FixFilePath(), "C:\\Jobs\\");
  forms.Main.File1.SetPath("C:\\");
  EXPECT_EQ(files.FixFilePath(), "C:\\");
}

TEST_F(FileSelectionTest, ClickingAListedFileOpensItAndRestoresThePointer) {
  FileSelection files(e, forms.Main, [&](const std::string& p) {
    EXPECT_EQ(forms.Main.MousePointer(), 11);
    opened.push_back(p);
  });
  forms.Main.Show();
  forms.Main.File1.SetPath("C:\\Jobs\\");
  state.InversionState = BoolTrue;
  winplat::controls::op::Pick(forms.Main.File1, 0);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "C:\\Jobs\\" + forms.Main.File1.FileName());
  EXPECT_EQ(state.InversionState, BoolFalse);
  EXPECT_EQ(forms.Main.MousePointer(), 0);
}

TEST_F(FileSelectionTest, AFileGoneSinceTheListWasDrawnRefreshesTheListAndOpensNothing) {
  FileSelection files(e, forms.Main, [&](const std::string& p) { opened.push_back(p); });
  forms.Main.Show();
  forms.Main.File1.SetPath("C:\\Jobs\\");
  int before = forms.Main.File1.ListCount();
  std::filesystem::remove(testsupport::Root() / "C" / "Jobs" / "A1.DXF");
  winplat::controls::op::Pick(forms.Main.File1, 0);  // A1.DXF sorts first
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(forms.Main.Msg.Caption(), "File not found: C:\\Jobs\\A1.DXF");
  EXPECT_EQ(forms.Main.File1.ListCount(), before - 1);
  EXPECT_EQ(forms.Main.MousePointer(), 0);
}

TEST_F(FileSelectionTest, OpenerFaultStillRestoresThePointer) {
  FileSelection files(e, forms.Main, [&](const std::string&) { throw std::runtime_error("bad file"); });
  forms.Main.File1.SetPath("C:\\Jobs\\");
  forms.Main.File1.SetFileName("P1.NC");
  EXPECT_THROW(files.File1_Click(), std::runtime_error);
  EXPECT_EQ(forms.Main.MousePointer(), 0);
}

TEST_F(FileSelectionTest, BrowsingToAFileSwitchesTheListStoresTheFolderAndOpensIt) {
  FileSelection files(e, forms.Main, [&](const std::string& p) { opened.push_back(p); });
  forms.Main.File1.SetPath("C:\\Jobs\\");
  state.InversionState = BoolTrue;
  winplat::controls::ClearShownFileDialogs();
  winplat::controls::QueueFileDialogAnswer({false, "C:\\Parts\\B2.DXF"});
  files.Browse_Click();
  auto shown = winplat::controls::ShownFileDialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].fileName, "C:\\Jobs\\*.*");
  EXPECT_EQ(shown[0].filter, "All files (*.*)|*.*|DXF Files (*.DXF)|*.DXF");
  EXPECT_EQ(files.FixFilePath(), "C:\\Parts\\");
  EXPECT_EQ(engine::ReadIniValue(e, "System", "Path"), "C:\\Parts\\");
  EXPECT_EQ(opened, std::vector<std::string>{"C:\\Parts\\B2.DXF"});
  EXPECT_EQ(state.InversionState, BoolFalse);
}

TEST_F(FileSelectionTest, CancellingTheDialogChangesNothing) {
  FileSelection files(e, forms.Main, [&](const std::string& p) { opened.push_back(p); });
  forms.Main.File1.SetPath("C:\\Jobs\\");
  state.InversionState = BoolTrue;
  std::string folder = "C:\\Jobs\\";
  engine::WriteIniValue(e, "System", "Path", folder);
  winplat::controls::QueueFileDialogAnswer({true, ""});
  files.Browse_Click();
  EXPECT_EQ(files.FixFilePath(), "C:\\Jobs\\");
  EXPECT_EQ(engine::ReadIniValue(e, "System", "Path"), "C:\\Jobs\\");
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(state.InversionState, BoolTrue);
}

TEST_F(FileSelectionTest, AChosenNameThatDoesNotExistMovesTheListButOpensNothing) {
  FileSelection files(e, forms.Main, [&](const std::string& p) { opened.push_back(p); });
  forms.Main.File1.SetPath("C:\\Jobs\\");
  winplat::controls::QueueFileDialogAnswer({false, "C:\\Parts\\NONE.DXF"});
  files.Browse_Click();
  EXPECT_EQ(files.FixFilePath(), "C:\\Parts\\");
  EXPECT_EQ(engine::ReadIniValue(e, "System", "Path"), "C:\\Parts\\");
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(forms.Main.Msg.Caption(), "File not found: C:\\Parts\\NONE.DXF");
}

}  // namespace
}  // namespace fieldray::console
