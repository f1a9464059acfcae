// The main job end to end: the program started on a fresh machine root works
// through an operator's actions (output on, field S, a drawing from the job
// list, a projection mode and a part program) and leaves pictures of its
// window and of the boards' projection.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "program_runner.h"
#include "test_support.h"
#include "winplat/picture.h"

namespace {

namespace fs = std::filesystem;

// Pixels that are neither black nor the dark grey of blanked moves.
int LitPixels(const winplat::Picture& picture) {
  int lit = 0;
  for (winplat::COLORREF c : picture.pixels) {
    const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    if (r + g + b > 3 * 0x50) ++lit;
  }
  return lit;
}

TEST(MainJob, ProgramOpensADrawingAndAPartProgramAndLeavesPicturesOfThem) {
  const fs::path root = testsupport::NewMachineRoot("main-job");
  const testsupport::ProgramRun run = testsupport::RunFieldrayScript(
      root,
      "click Main.OnOff\n"
      "click Main.OptFld(1)\n"
      "pick Main.File1 \"PLATE.DXF\"\n"
      "wait 3000\n"
      "screenshot Main \"C:\\TEMP\\e2e\\main-drawing.png\"\n"
      "projection \"C:\\TEMP\\e2e\\projection-drawing.png\"\n"
      "click Main.PrjPos(1)\n"
      "pick Main.File1 \"PLATE.NC\"\n"
      "wait 3000\n"
      "screenshot Main \"C:\\TEMP\\e2e\\main-program.png\"\n"
      "projection \"C:\\TEMP\\e2e\\projection-program.png\"\n"
      "quit\n");
  ASSERT_EQ(run.status, 0) << run.log;

  const fs::path out = root / "C" / "TEMP" / "e2e";
  for (const char* name : {"main-drawing.png", "projection-drawing.png", "main-program.png"}) {
    winplat::Picture picture;
    std::string error;
    ASSERT_TRUE(winplat::LoadPicturePng(out / name, &picture, &error)) << name << ": " << error;
    EXPECT_GT(picture.width, 0) << name;
  }
  winplat::Picture window;
  ASSERT_TRUE(winplat::LoadPicturePng(out / "main-program.png", &window));
  EXPECT_GT(window.width, 600) << "the whole main window";

  winplat::Picture projection;
  std::string error;
  ASSERT_TRUE(winplat::LoadPicturePng(out / "projection-program.png", &projection, &error)) << error;
  EXPECT_GT(LitPixels(projection), 200) << "the part program is projected";
}

}  // namespace
