// Two program starts on one machine root share the boards and the library mutex.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "test_support.h"
#include "vexlib_fixture.h"

extern char** environ;

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

std::filesystem::path HoldingMarker() { return testsupport::Root() / "helper-holding"; }

// The helper process: holds the library mutex inside a diagnostic box until killed.
TEST(DeviceHelper, HoldTheLockUntilKilled) {
  const char* mode = std::getenv("VEXLIB_HELPER");
  if (!mode) GTEST_SKIP() << "runs only as the helper process of TwoProcesses";
  winplat::SetMessageBoxHandler([](const winplat::MessageBoxRequest&) {
    testsupport::WriteFile(HoldingMarker(), "holding");
    for (;;) pause();
    return winplat::IDOK;
  });
  UseBoards(false, 1);
  vx::DisplayTrans2()(1, 2);
}

TEST(TwoProcesses, SerialiseOnTheMutexAndAKilledHolderFreesIt) {
  ConfigureBoards("[Board0]\nFault=error 6 on 210\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  UseBoards(false, 1);  // loads the library in this process first

  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string filter = "--gtest_filter=DeviceHelper.HoldTheLockUntilKilled";
  char* argv[] = {self.data(), filter.data(), nullptr};
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  env.emplace_back("VEXLIB_HELPER=hold");
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()), 0);

  // Real time: another process is on the other side.
  auto start = std::chrono::steady_clock::now();
  while (!std::filesystem::exists(HoldingMarker()) &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(std::filesystem::exists(HoldingMarker()));
  std::int32_t usage = 0;
  vx::GetVXDLLModuleUsage()(&usage);
  EXPECT_EQ(usage, 2);

  std::atomic<bool> done{false};
  std::int32_t status = -99, d1 = 0;
  std::thread caller([&] {
    std::int32_t lib = 0, d2 = 0;
    status = vx::GetDates()(&lib, &d1, &d2);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(done.load()) << "the export ran while the other process held the mutex";
  kill(pid, SIGKILL);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  caller.join();
  EXPECT_TRUE(done.load());
  EXPECT_EQ(status, 0);
  EXPECT_EQ(d1, 20000110);
  auto log = hw::ReadCommandLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].code, 210);  // the helper's command, seen by this process
  EXPECT_EQ(log[1].code, 50);
}

}  // namespace
