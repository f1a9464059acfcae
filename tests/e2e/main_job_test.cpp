// The main job end to end: the program started on a fresh machine root works
// through an operator's actions (output on, field S, a drawing from the job
// list, a projection mode and a part program) and leaves pictures of its
// window and of the boards' projection.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"
#include "winplat/picture.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs the program with one argument, its output into `log`; the exit status,
// -1 when it could not be started or did not end normally.
int RunProgram(const std::string& argument, const fs::path& log) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::string program = FIELDRAY_BIN;
  std::vector<char*> argv = {program.data(), const_cast<char*>(argument.c_str()), nullptr};
  pid_t pid = 0;
  int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

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
  const fs::path root = testsupport::Root();
  const fs::path ops = testsupport::WriteFile(root / "job.ops",
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
  const fs::path log = root / "fieldray.log";
  ASSERT_EQ(RunProgram(ops.string(), log), 0) << testsupport::ReadFile(log);

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
