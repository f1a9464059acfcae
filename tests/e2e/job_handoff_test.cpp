// A job handed over on the clipboard end to end: the program started on a
// fresh machine root takes a part program with its sheet size from the
// clipboard, answers a record with an unknown run field with its box, and
// leaves a record whose file is missing where it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "program_runner.h"
#include "test_support.h"
#include "winplat/clipboard.h"
#include "winplat/paths.h"
#include "winplat/picture.h"

namespace {

namespace fs = std::filesystem;

// Left and right edge of the pixels that are neither black nor the dark grey
// of blanked moves; right < left when none is lit.
std::pair<int, int> LitColumns(const fs::path& png) {
  winplat::Picture picture;
  std::string error;
  EXPECT_TRUE(winplat::LoadPicturePng(png, &picture, &error)) << png << ": " << error;
  int left = picture.width, right = -1;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const winplat::COLORREF c = picture.At(x, y);
      if ((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF) <= 3 * 0x50) continue;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  return {left, right};
}

// The clipboard text of another machine root.
std::string ClipboardOf(const fs::path& root) {
  const char* own = std::getenv("FIELDRAY_ROOT");
  const std::string restore = own ? own : "";
  setenv("FIELDRAY_ROOT", root.c_str(), 1);
  winplat::ResetMachineRoot();
  std::string text = winplat::GetClipboardText();
  if (own) setenv("FIELDRAY_ROOT", restore.c_str(), 1);
  else unsetenv("FIELDRAY_ROOT");
  winplat::ResetMachineRoot();
  return text;
}

TEST(JobHandoff, AJobFromTheClipboardOpensInItsFieldWithItsSheetSize) {
  const fs::path root = testsupport::NewMachineRoot("job-handoff");
  // PLATE.NC with a sheet block of no words: its sheet size comes from the job.
  std::string program =
      testsupport::ReadFile(fs::path(FIELDRAY_SOURCE_DIR) / "root-template" / "C" / "Fieldray" / "Jobs" / "PLATE.NC");
  const std::size_t sheet = program.find("G90 G71");
  ASSERT_NE(sheet, std::string::npos);
  program.replace(sheet, 7, "G71");
  testsupport::WriteFile(root / "C" / "Fieldray" / "Jobs" / "HANDOFF.NC", program);
  const fs::path out = root / "C" / "TEMP" / "e2e";
  fs::create_directories(out);

  const testsupport::ProgramRun run = testsupport::RunFieldrayScript(
      root,
      "click Main.OnOff\n"
      "click Main.OptFld(7)\n"
      "pick Main.File1 \"HANDOFF.NC\"\n"
      "wait 2500\n"
      "projection \"C:\\TEMP\\e2e\\handoff-picked.png\"\n"
      "clipboard \"HANDOFF.NC;;T/;;400;300;6\"\n"
      "wait 4000\n"
      "expect Main.OptFld(7) \"True\"\n"
      "projection \"C:\\TEMP\\e2e\\handoff-job.png\"\n"
      "clipboard \"PLATE.NC;;X\"\n"
      "answer OK\n"
      "wait 1500\n"
      "expect Main.OptFld(7) \"True\"\n"
      "clipboard \"NOSUCH.NC;;S\"\n"
      "wait 1500\n"
      "quit\n");
  ASSERT_EQ(run.status, 0) << run.log;
  EXPECT_FALSE(std::regex_search(run.log, std::regex("line [0-9]+: "))) << run.log;

  const auto [pickedLeft, pickedRight] = LitColumns(out / "handoff-picked.png");
  const auto [jobLeft, jobRight] = LitColumns(out / "handoff-job.png");
  ASSERT_GT(pickedRight, pickedLeft) << "the picked program is projected\n" << run.log;
  EXPECT_GT(jobRight - jobLeft, pickedRight - pickedLeft) << "the job's 400 x 300 work area is outlined\n" << run.log;

  EXPECT_EQ(ClipboardOf(root), "NOSUCH.NC;;S") << run.log;
}

}  // namespace
