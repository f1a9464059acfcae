#include "program_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "picture_pixels.h"
#include "test_support.h"
#include "winplat/hw/projection.h"

extern char** environ;

namespace testsupport {

namespace fs = std::filesystem;

fs::path NewMachineRoot(const std::string& name) {
  fs::path root = Root() / "runs" / name;
  std::error_code ec;
  fs::remove_all(root, ec);
  fs::create_directories(root);
  return root;
}

std::vector<std::string> ChangedEnvironment(const std::vector<std::string>& environment) {
  auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=') + 1); };
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    bool replaced = false;
    for (const std::string& change : environment) replaced = replaced || nameOf(change) == nameOf(entry);
    if (!replaced) env.push_back(entry);
  }
  for (const std::string& change : environment)
    if (change != nameOf(change)) env.push_back(change);
  return env;
}

ProgramRun RunProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                      const fs::path& log, int timeoutSeconds) {
  ProgramRun run;
  std::vector<std::string> env = ChangedEnvironment(environment);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  std::vector<std::string> args = arguments;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string& program = args.front();

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) {
    run.log = "cannot start " + program + ": " + std::strerror(started);
    return run;
  }

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  int status = 0;
  bool ended = false;
  while (!ended) {
    const pid_t got = waitpid(pid, &status, WNOHANG);
    if (got == pid) {
      ended = true;
    } else if (got < 0 || std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      run.log = ReadFile(log) + "\n[killed after " + std::to_string(timeoutSeconds) + " s]";
      return run;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  run.log = ReadFile(log);
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  return run;
}

ProgramRun RunFieldray(const fs::path& root, const fs::path& commands, int timeoutSeconds) {
  const fs::path log = root.parent_path() / (root.filename().string() + ".log");
  return RunProgram({(BinDir() / "fieldray").string(), commands.string()}, {"FIELDRAY_ROOT=" + root.string()}, log,
                    timeoutSeconds);
}

ProgramRun RunFieldrayScript(const fs::path& root, const std::string& commands, int timeoutSeconds) {
  return RunFieldray(root, WriteFile(root / "job.ops", commands), timeoutSeconds);
}

winplat::Picture LoadPicture(const fs::path& png) {
  winplat::Picture picture;
  std::string error;
  EXPECT_TRUE(winplat::LoadPicturePng(png, &picture, &error)) << png << ": " << error;
  return picture;
}

int LitProjectionPixels(const fs::path& png) { return LitProjectionArea(png).count; }

PixelBox LitProjectionArea(const fs::path& png) {
  return PixelsWhere(LoadPicture(png), winplat::hw::LitProjectionPixel);
}

}  // namespace testsupport
