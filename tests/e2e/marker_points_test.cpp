// The marker editor and the set-up points end to end: the program started on
// a fresh machine root draws, drags, stores, clears and reloads a marker line,
// then adds, drags and applies a set-up cross; a second run shows that cross
// again. Pictures of the projection and the window are checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "picture_pixels.h"
#include "program_runner.h"
#include "test_support.h"
#include "winplat/picture.h"

namespace {

namespace fs = std::filesystem;

using Box = testsupport::PixelBox;
using testsupport::PixelsWhere;

Box Lit(const fs::path& file) { return testsupport::LitProjectionArea(file); }

// Pictures go where the tests leave them for a person to look at.
fs::path Picture(const std::string& name) { return testsupport::PictureFolder() / ("marker-points-" + name + ".png"); }
std::string Shot(const std::string& name) { return "\"" + Picture(name).string() + "\""; }

std::string Script(std::initializer_list<std::string> lines) {
  std::string script;
  for (const std::string& line : lines) script += line + "\n";
  return script;
}

TEST(MarkerAndPoints, MarkersAndSetUpCrossesProjectAsTheyAreEditedAndSurviveARestart) {
  const fs::path root = testsupport::NewMachineRoot("marker-points");
  const testsupport::ProgramRun run =
      testsupport::RunFieldrayScript(root, Script({"tab Main.SSTab1 \"Markers\"",
                                                   "click Main.BtnLine(1)",
                                                   "mouse down Main.MarkerWin 350 200",
                                                   "mouse move Main.MarkerWin 350 500 left",
                                                   "mouse up Main.MarkerWin 350 500",
                                                   "projection " + Shot("markers-moved"),
                                                   "answer Cancel",
                                                   "grid click Main.MarkerData 5 5",
                                                   "click Main.BtnStMkr",
                                                   "click Main.MWClr",
                                                   "projection " + Shot("markers-cleared"),
                                                   "grid click Main.MarkerData 5 1",
                                                   "projection " + Shot("markers-reloaded"),
                                                   "tab Main.SSTab1 \"Points\"",
                                                   "click Main.BtnCross",
                                                   "mouse down Main.SetupWin 300 200",
                                                   "mouse move Main.SetupWin 1800 1800 left",
                                                   "mouse up Main.SetupWin 1800 1800",
                                                   "projection " + Shot("cross-dragged"),
                                                   "grid edit Main.SetupData 4 1 \"2000\"",
                                                   "grid edit Main.SetupData 4 3 \"3\"",
                                                   "click Main.StartSetupCmd",
                                                   "projection " + Shot("cross-applied"),
                                                   "quit"}));
  ASSERT_EQ(run.status, 0) << run.log;
  const fs::path program = root / "C" / "Fieldray";

  // The line (200, 500)-(500, 500) of MarkerWin, projected at three quarters,
  // five board units a unit, in field S's window of 3000 by 3000 (0..3000
  // across, -3000..0 down) over the 512-pixel picture: (128, 320)-(320, 320).
  const Box moved = Lit(Picture("markers-moved"));
  EXPECT_GT(moved.count, 150);
  EXPECT_NEAR(moved.left, 128, 3);
  EXPECT_NEAR(moved.right, 320, 3);
  EXPECT_NEAR(moved.top, 320, 3);
  EXPECT_NEAR(moved.bottom, 320, 3);
  EXPECT_EQ(Lit(Picture("markers-cleared")).count, 0) << "Clear leaves frame 99 dark";
  const Box reloaded = Lit(Picture("markers-reloaded"));
  EXPECT_EQ(reloaded.count, moved.count) << "the stored set brings the line back";
  EXPECT_EQ(reloaded.left, moved.left);
  EXPECT_EQ(reloaded.top, moved.top);
  const std::string markers = testsupport::ReadFile(program / "Marker.Dat");
  EXPECT_NE(markers.find("CELL 5 5 L, 200, 500, 500, 500;\n"), std::string::npos) << markers;

  // The cross dragged to (1767, 1767) twips snaps to node (32, 33): the
  // centre of the picture, one node up.
  const Box dragged = Lit(Picture("cross-dragged"));
  EXPECT_GT(dragged.count, 20);
  EXPECT_NEAR((dragged.left + dragged.right) / 2, 256, 3);
  EXPECT_NEAR((dragged.top + dragged.bottom) / 2, 248, 3);
  // Applied with dX 2000 and reach 3 it is corrected to the right.
  const Box applied = Lit(Picture("cross-applied"));
  EXPECT_GT(applied.count, 20);
  EXPECT_GT((applied.left + applied.right) / 2, (dragged.left + dragged.right) / 2 + 5);
  EXPECT_NEAR((applied.top + applied.bottom) / 2, (dragged.top + dragged.bottom) / 2, 3);
  const std::string points = testsupport::ReadFile(program / "PtAlgn.Dat");
  for (const char* cell : {"CELL 4 1 2000\n", "CELL 4 3 3\n", "CELL 4 4 32\n", "CELL 4 5 33\n"})
    EXPECT_NE(points.find(cell), std::string::npos) << cell << points;

  // A second run shows the cross again in SetupWin, where the centre lines
  // (blue, at 1800 twips) cross: the node is 8 twips left of them and 33 up.
  const testsupport::ProgramRun again = testsupport::RunFieldrayScript(
      root, Script({"tab Main.SSTab1 \"Points\"", "screenshot Main " + Shot("points-window"), "quit"}));
  ASSERT_EQ(again.status, 0) << again.log;
  winplat::Picture window;
  ASSERT_TRUE(winplat::LoadPicturePng(Picture("points-window"), &window));
  auto blue = [](winplat::COLORREF c) { return c == 0xFF0000; };
  const Box centre = PixelsWhere(window, blue);
  ASSERT_GT(centre.count, 100) << "the centre lines are drawn";
  // Where they cross: the column and the row holding most of their pixels.
  int cx = 0, cy = 0;
  for (int x = centre.left, most = 0; x <= centre.right; ++x) {
    const int n = PixelsWhere(window, x, centre.top, x + 1, centre.bottom + 1, blue).count;
    if (n > most) most = n, cx = x;
  }
  for (int y = centre.top, most = 0; y <= centre.bottom; ++y) {
    const int n = PixelsWhere(window, centre.left, y, centre.right + 1, y + 1, blue).count;
    if (n > most) most = n, cy = y;
  }
  const Box cross =
      PixelsWhere(window, cx - 10, cy - 12, cx + 10, cy + 8, [](winplat::COLORREF c) { return c == 0x404040; });
  EXPECT_NEAR(cross.top + (cross.bottom - cross.top) / 2, cy - 2, 2);
}

}  // namespace
