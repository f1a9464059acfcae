// The programs under a default machine root they may not use, and two
// operator programs on one root: a clear line and an exit status, never an
// abort. (A root that cannot be made or filled: program_status_test.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "program_runner.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::BinDir;
using testsupport::RunProgram;

TEST(MachineRootFaults, DefaultRootInTheTemporaryFolderIsPrivateToItsUser) {
  const fs::path tmp = testsupport::Root() / "runs" / "tmpdir";
  fs::remove_all(tmp);
  fs::create_directories(tmp);
  const fs::path root = tmp / ("fieldray-root-" + std::to_string(::getuid()));
  const std::vector<std::string> env = {"FIELDRAY_ROOT=", "HOME=", "XDG_DATA_HOME=", "TMPDIR=" + tmp.string()};
  const std::vector<std::string> argv = {(BinDir() / "fieldray-clip").string(), "--get"};

  auto run = RunProgram(argv, env, tmp.parent_path() / "tmpdir.log", 60);
  EXPECT_EQ(run.status, 0) << run.log;
  struct stat st {};
  ASSERT_EQ(::stat(root.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(fs::exists(root / "C" / "Fieldray"));

  if (::getuid() != 0) GTEST_SKIP() << "handing the folder to another user needs root";
  ASSERT_EQ(::chown(root.c_str(), 65534, 65534), 0);
  run = RunProgram(argv, env, tmp.parent_path() / "tmpdir.log", 60);
  EXPECT_EQ(run.status, 2) << run.log;
  EXPECT_NE(run.log.find("Machine root " + root.string() + ": owned by another user"), std::string::npos) << run.log;
}

TEST(MachineRootFaults, SecondOperatorProgramOnOneRootEndsWithStatusThree) {
  const fs::path root = testsupport::NewMachineRoot("two-programs");
  testsupport::ProgramRun first;
  std::thread holder([&] { first = testsupport::RunFieldrayScript(root, "wait 6000\nquit\n", 120); });
  const fs::path lock = root / "machine" / "locks" / "Fieldray.lock";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!fs::exists(lock) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  const fs::path second = testsupport::WriteFile(root.parent_path() / "two-programs-second.ops", "quit\n");
  const auto run = RunProgram({(BinDir() / "fieldray").string(), second.string()}, {"FIELDRAY_ROOT=" + root.string()},
                              root.parent_path() / "two-programs-second.log", 60);
  // The clipboard tool shares the root while the operator program runs.
  const auto clip = RunProgram({(BinDir() / "fieldray-clip").string(), "job"}, {"FIELDRAY_ROOT=" + root.string()},
                               root.parent_path() / "two-programs-clip.log", 60);
  holder.join();
  EXPECT_EQ(run.status, 3) << run.log;
  EXPECT_NE(run.log.find("Fieldray is already running on this machine."), std::string::npos) << run.log;
  EXPECT_EQ(clip.status, 0) << clip.log;
  EXPECT_EQ(first.status, 0) << first.log;

  // Once the first has ended the lock is free again.
  const auto after = testsupport::RunFieldray(root, second, 120);
  EXPECT_EQ(after.status, 0) << after.log;
}

}  // namespace
