// The main job end to end, as the README runs it: the program started on a
// fresh machine root works through app/demo.ops (output on, field S, a
// drawing from the job list, a projection mode and a part program) and leaves
// pictures of its window and of the boards' projection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>

#include "picture_pixels.h"
#include "program_runner.h"
#include "test_support.h"
#include "winplat/hw/projection.h"
#include "winplat/picture.h"

namespace {

namespace fs = std::filesystem;

using Box = testsupport::PixelBox;
using testsupport::PixelsWhere;

// A number of the settings file's [Calibration] section.
double CalibrationValue(const std::string& ini, const std::string& key) {
  std::istringstream in(ini);
  std::string line;
  bool inSection = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') inSection = line == "[Calibration]";
    if (inSection && line.rfind(key + "=", 0) == 0) return std::stod(line.substr(key.size() + 1));
  }
  ADD_FAILURE() << "no " << key << " in [Calibration]";
  return 0;
}

TEST(MainJob, TheReadmesJobProjectsTheDrawingAndThePartProgramWhereTheyLie) {
  const fs::path root = testsupport::NewMachineRoot("main-job");
  const testsupport::ProgramRun run =
      testsupport::RunFieldray(root, fs::path(FIELDRAY_SOURCE_DIR) / "app" / "demo.ops");
  ASSERT_EQ(run.status, 0) << run.log;
  const fs::path out = root / "C" / "TEMP" / "demo";

  // Where field S puts the plate (10..210 by 10..110, five board units each) in
  // the 512-pixel projection: the field's window runs from -200 to twice its X
  // scale and from minus to plus its Y scale, moved right by its offset (a
  // percentage of the half range).
  const std::string ini = testsupport::ReadFile(root / "C" / "Fieldray" / "Fldry.INI");
  const double size = 512, xMin = -200, xMax = 2 * CalibrationValue(ini, "XScaleS");
  const double yHalf = CalibrationValue(ini, "YScaleS");
  const double shift = std::lround(CalibrationValue(ini, "XPOSS") * 16383.0 / 100.0) * (32767.0 / 16383.0);
  auto px = [&](double x) { return (x - xMin) / (xMax - xMin) * size + shift / 65536.0 * size; };
  auto py = [&](double y) { return size / 2.0 - y / (2 * yHalf) * size; };
  Box plate;
  plate.left = static_cast<int>(px(50)), plate.right = static_cast<int>(px(1050));
  plate.top = static_cast<int>(py(550)), plate.bottom = static_cast<int>(py(50));

  for (const char* name : {"projection-drawing.png", "projection-program.png"}) {
    SCOPED_TRACE(name);
    const winplat::Picture picture = testsupport::LoadPicture(out / name);
    ASSERT_EQ(picture.width, 512);
    const Box lit = PixelsWhere(picture, winplat::hw::LitProjectionPixel);
    EXPECT_GT(lit.count, 200);
    // Lit along the plate's outline (the part program adds its kerf outside
    // it), dark everywhere else.
    EXPECT_LE(lit.left, plate.left + 2);
    EXPECT_GE(lit.right, plate.right - 2);
    EXPECT_LE(lit.top, plate.top + 2);
    EXPECT_GE(lit.bottom, plate.bottom - 2);
    const int margin = 12;
    Box around{plate.left - margin, plate.top - margin, plate.right + margin, plate.bottom + margin};
    EXPECT_TRUE(around.Holds(lit.left, lit.top) && around.Holds(lit.right, lit.bottom))
        << "lit " << lit.left << "," << lit.top << " - " << lit.right << "," << lit.bottom;
  }

  // The main window shows the drawing in the view control (placed at 120, 7740
  // twips, 6900 x 2550): lines of another colour on its paper.
  const winplat::Picture window = testsupport::LoadPicture(out / "main-drawing.png");
  ASSERT_GT(window.width, 600);
  const int left = 120 / 15, top = 7740 / 15, right = left + 6900 / 15, bottom = top + 2550 / 15;
  const winplat::COLORREF paper = window.At(left + 3, top + 3);
  const Box drawn = PixelsWhere(window, left + 2, top + 2, right - 2, bottom - 2,
                                [&](winplat::COLORREF c) { return c != paper; });
  EXPECT_GT(drawn.count, 300) << "the plate drawn in the view control";
  EXPECT_GT(drawn.right - drawn.left, 100);

  // With the part program shown the view control is hidden: its place shows
  // the window's own background, nothing of the control.
  const winplat::Picture programWindow = testsupport::LoadPicture(out / "main-program.png");
  const winplat::COLORREF back = programWindow.At(2, programWindow.height - 2);
  const Box other = PixelsWhere(programWindow, left, top, right, bottom,
                                [&](winplat::COLORREF c) { return c != back; });
  EXPECT_EQ(other.count, 0);
}

}  // namespace
