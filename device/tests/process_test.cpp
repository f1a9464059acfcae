// Two program starts on one machine root share the boards and the library mutex.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "test_support.h"
#include "vexlib_fixture.h"

extern char** environ;

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

std::filesystem::path HoldingMarker() { return testsupport::Root() / "helper-holding"; }

TEST(TwoProcesses, SerialiseOnTheMutexAndAKilledHolderFreesIt) {
  ConfigureBoards("[Board0]\nFault=error 6 on 210\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  UseBoards(false, 1);  // loads the library in this process first

  // A separate program start on the same machine root (the environment carries it).
  std::string helper =
      (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vexlib_hold_helper").string();
  std::string marker = HoldingMarker().string();
  char* argv[] = {helper.data(), marker.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, helper.c_str(), nullptr, nullptr, argv, environ), 0);

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
