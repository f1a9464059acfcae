// The field-offsets and geometric-correction tabs end to end: the program on a
// fresh machine root selects field A, moves it and stores the move, shows a
// calibration pattern, moves the projector's position correction and saves it;
// a second start on the same root finds both values again.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>

#include "program_runner.h"
#include "test_support.h"
#include "winplat/hw/projection.h"
#include "winplat/picture.h"

namespace {

namespace fs = std::filesystem;

struct LitBox {
  int left = 1 << 30, right = -1, count = 0;
  double CentreX() const { return (left + right) / 2.0; }
};

// The lit pixels of a projection picture, and their horizontal extent.
LitBox Lit(const winplat::Picture& p) {
  LitBox b;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if (!winplat::hw::LitProjectionPixel(p.At(x, y))) continue;
      ++b.count;
      b.left = std::min(b.left, x);
      b.right = std::max(b.right, x);
    }
  }
  return b;
}

winplat::Picture Load(const fs::path& file) {
  winplat::Picture picture;
  std::string error;
  EXPECT_TRUE(winplat::LoadPicturePng(file, &picture, &error)) << file << ": " << error;
  return picture;
}

// Operator lines that failed ("line N: ...") in a run's log.
bool HasFailedLines(const std::string& log) { return std::regex_search(log, std::regex("line [0-9]+:")); }

TEST(CalibrationTabs, FieldOffsetAndPositionCorrectionAreProjectedSavedAndFoundAgain) {
  const fs::path root = testsupport::NewMachineRoot("calibration-tabs");
  const testsupport::ProgramRun run = testsupport::RunFieldrayScript(
      root,
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
      "quit\n");
  ASSERT_EQ(run.status, 0) << run.log;
  EXPECT_FALSE(HasFailedLines(run.log)) << run.log;

  std::string ini = testsupport::ReadFile(root / "C" / "Fieldray" / "Fldry.INI");
  std::erase(ini, '\r');
  EXPECT_NE(ini.find("\nXPOSA=-60\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\nPositionX=400\n"), std::string::npos) << ini;

  const fs::path temp = root / "C" / "TEMP";
  EXPECT_GT(Lit(Load(temp / "field.png")).count, 50) << "field A's axes marker";
  const LitBox pattern = Lit(Load(temp / "pattern.png"));
  const LitBox moved = Lit(Load(temp / "pattern-moved.png"));
  EXPECT_GT(pattern.count, 50) << "the calibration pattern";
  EXPECT_GT(moved.count, 50);
  EXPECT_GT(moved.CentreX() - pattern.CentreX(), 10.0) << "the position correction moves the pattern";

  // The preview box of the tab shows the pattern: not all black.
  const winplat::Picture window = Load(temp / "geometric.png");
  ASSERT_GT(window.width, 0);
  // The screenshot is the window's client area at 15 twips a pixel. GeoPic is
  // 3240 twips square at (4440, 480) on the tab strip at (7200, 120): its
  // corner is the black of the box, its middle half holds the pattern.
  const int boxLeft = (7200 + 4440) / 15, boxTop = (120 + 480) / 15;
  ASSERT_LT(boxLeft + 216, window.width);
  EXPECT_EQ(window.At(boxLeft + 4, boxTop + 4), 0u) << "GeoPic's black background";
  int lit = 0;
  const int left = boxLeft + 54, top = boxTop + 54, size = 108;
  for (int y = top; y < top + size && y < window.height; ++y) {
    for (int x = left; x < left + size && x < window.width; ++x) {
      if (window.At(x, y) != 0) ++lit;
    }
  }
  EXPECT_GT(lit, 10) << "GeoPic shows the pattern";

  // A second start on the same root finds both values again.
  const testsupport::ProgramRun again = testsupport::RunFieldrayScript(root,
                                                                       "click Main.FldOpt(2)\n"
                                                                       "expect Main.XFldPos \"-600\"\n"
                                                                       "expect Main.GeoPosX \"400\"\n"
                                                                       "quit\n");
  ASSERT_EQ(again.status, 0) << again.log;
  EXPECT_FALSE(HasFailedLines(again.log)) << again.log;
}

}  // namespace
