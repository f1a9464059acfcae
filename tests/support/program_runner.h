#pragma once
// Runs the operator program `fieldray` as its own process, the way the README's
// main job runs it: on a machine root of the caller's choosing, with an
// operator-command file. End-to-end tests of every area share it.
#include <filesystem>
#include <string>
#include <vector>

#include "picture_pixels.h"
#include "winplat/picture.h"

namespace testsupport {

struct ProgramRun {
  int status = -1;   // exit status; -1 when it could not start, was killed or timed out
  std::string log;   // everything it printed (standard output and error)
};

// A new, empty folder for a machine root inside this test process's root; the
// program fills it from the template at its first start.
std::filesystem::path NewMachineRoot(const std::string& name);

// Runs `fieldray commands` with FIELDRAY_ROOT set to `root`. A run still going
// after `timeoutSeconds` is killed and reported with status -1.
ProgramRun RunFieldray(const std::filesystem::path& root, const std::filesystem::path& commands,
                       int timeoutSeconds = 240);

// The caller's environment changed by `environment`: "NAME=VALUE" sets NAME,
// "NAME=" removes it.
std::vector<std::string> ChangedEnvironment(const std::vector<std::string>& environment);

// Runs `arguments` (the program's path first) with the caller's environment
// changed by `environment`: "NAME=VALUE" sets NAME, "NAME=" removes it. Unless
// changed, FIELDRAY_ROOT is this test process's own root (the test main put it
// there). Its output goes to `log`; timing out as above.
ProgramRun RunProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                      const std::filesystem::path& log, int timeoutSeconds = 240);

// Writes `commands` to "job.ops" in the root, then runs it as above.
ProgramRun RunFieldrayScript(const std::filesystem::path& root, const std::string& commands,
                             int timeoutSeconds = 240);

// A picture a run saved; one that cannot be read fails the test and is empty.
winplat::Picture LoadPicture(const std::filesystem::path& png);

// Lit pixels (neither black nor a blanked move) of a projection picture a run
// saved; a picture that cannot be read fails the test and counts none.
int LitProjectionPixels(const std::filesystem::path& png);
// The same pixels with the box they lie in.
PixelBox LitProjectionArea(const std::filesystem::path& png);

}  // namespace testsupport
