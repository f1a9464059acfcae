// The field-offsets and geometric-correction tabs end to end: the program on a
// fresh machine root selects field A, moves it and stores the move, shows a
// calibration pattern, moves the projector's position correction and saves it;
// a second start on the same root finds both values again.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "program_runner.h"
#include "test_support.h"
#include "winplat/picture.h"

namespace {

namespace fs = std::filesystem;

double CentreX(const testsupport::PixelBox& b) { return (b.left + b.right) / 2.0; }

// Runs the program on `root`; every operator line must have run, none ignored.
void RunScript(const fs::path& root, const std::string& commands) {
  const testsupport::ProgramRun run = testsupport::RunFieldrayScript(root, commands);
  ASSERT_EQ(run.status, 0) << run.log;
  EXPECT_FALSE(std::regex_search(run.log, std::regex("line [0-9]+:"))) << run.log;
}

TEST(CalibrationTabs, FieldOffsetAndPositionCorrectionAreProjectedSavedAndFoundAgain) {
  const fs::path root = testsupport::NewMachineRoot("calibration-tabs");
  ASSERT_NO_FATAL_FAILURE(RunScript(root,
      "click Main.OnOff\n"
      "tab Main.SSTab1 \"Field Offsets\"\n"
      "click Main.FldOpt(2)\n"
      "scroll Main.XFldPos -600\n"
      "click Main.FldOpt(2)\n"
      "projection \"C:\\TEMP\\field.png\"\n"
      "tab Main.SSTab1 \"Geometric\"\n"
      "pick Main.ListCal 0\n"
      "projection \"C:\\TEMP\\pattern.png\"\n"
      "click Main.CalOpt(2)\n"
      "replace Main.GeoPosX \"400\"\n"
      "projection \"C:\\TEMP\\pattern-moved.png\"\n"
      "click Main.BtnSavGeo\n"
      "screenshot Main \"C:\\TEMP\\geometric.png\"\n"
      "quit\n"));
  if (HasFatalFailure()) return;

  std::string ini = testsupport::ReadFile(root / "C" / "Fieldray" / "Fldry.INI");
  std::erase(ini, '\r');
  EXPECT_NE(ini.find("\nXPOSA=-60\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\nPositionX=400\n"), std::string::npos) << ini;

  const fs::path temp = root / "C" / "TEMP";
  EXPECT_GT(testsupport::LitProjectionPixels(temp / "field.png"), 50) << "field A's axes marker";
  const testsupport::PixelBox pattern = testsupport::LitProjectionArea(temp / "pattern.png");
  const testsupport::PixelBox moved = testsupport::LitProjectionArea(temp / "pattern-moved.png");
  EXPECT_GT(pattern.count, 50) << "the calibration pattern";
  EXPECT_GT(moved.count, 50);
  EXPECT_GT(CentreX(moved) - CentreX(pattern), 10.0) << "the position correction moves the pattern";

  // The preview box of the tab shows the pattern: not all black.
  winplat::Picture window;
  ASSERT_TRUE(winplat::LoadPicturePng(temp / "geometric.png", &window));
  // The screenshot is the window's client area at 15 twips a pixel. GeoPic is
  // 3240 twips square at (4440, 480) on the tab strip at (7200, 120): its
  // corner is the black of the box, its middle half holds the pattern.
  const int boxLeft = (7200 + 4440) / 15, boxTop = (120 + 480) / 15;
  ASSERT_LT(boxLeft + 216, window.width);
  EXPECT_EQ(window.At(boxLeft + 4, boxTop + 4), 0u) << "GeoPic's black background";
  const int left = boxLeft + 54, top = boxTop + 54, size = 108;
  const auto notBlack = [](winplat::COLORREF c) { return c != 0; };
  EXPECT_GT(testsupport::PixelsWhere(window, left, top, left + size, top + size, notBlack).count, 10)
      << "GeoPic shows the pattern";

  // A second start on the same root finds both values again.
  ASSERT_NO_FATAL_FAILURE(RunScript(root, "click Main.FldOpt(2)\nexpect Main.XFldPos \"-600\"\nexpect Main.GeoPosX \"400\"\nquit\n"));
}

}  // namespace
