// The program idle on the operator's terminal, watched for seconds: it sleeps
// from one timer to the next and wakes for nothing else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "program_runner.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The times a process has given up the processor of its own accord (each
// sleep is one); -1 when they cannot be read.
long VoluntarySwitches(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
  return -1;
}

// `fieldray -` on a machine root, its terminal a pipe held open by the test;
// killed if the test ends with it still running.
struct TerminalProgram {
  pid_t pid = -1;
  int terminal = -1;

  bool Start(const fs::path& root, const fs::path& log) {
    int in[2];
    if (pipe2(in, O_CLOEXEC) != 0) return false;
    std::vector<std::string> env = testsupport::ChangedEnvironment({"FIELDRAY_ROOT=" + root.string()});
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = (testsupport::BinDir() / "fieldray").string(), dash = "-";
    char* argv[] = {program.data(), dash.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    if (rc != 0) {
      close(in[1]);
      pid = -1;
      return false;
    }
    terminal = in[1];
    return true;
  }
  bool Type(const std::string& line) const {
    return write(terminal, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  }
  // The exit status, or -1 when it did not end within `seconds`.
  int Wait(int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
      if (Clock::now() > deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  ~TerminalProgram() {
    if (terminal >= 0) close(terminal);
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

TEST(Idle, HeadlessOnATerminalTheProgramWakesAtMostTwentyTimesASecond) {
  const fs::path root = testsupport::NewMachineRoot("idle");
  const fs::path log = root.parent_path() / "idle.log";
  TerminalProgram program;
  ASSERT_TRUE(program.Start(root, log));
  // Up once it has answered a line (a failed line's answer is written out at once).
  ASSERT_TRUE(program.Type("nosuchcommand\n"));
  const auto deadline = Clock::now() + std::chrono::seconds(120);
  while (testsupport::ReadFile(log).find("unknown command nosuchcommand") == std::string::npos) {
    ASSERT_LT(Clock::now(), deadline) << "no answer\n" << testsupport::ReadFile(log);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));  // what the start left to do

  const long before = VoluntarySwitches(program.pid);
  const auto start = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(5));
  const long after = VoluntarySwitches(program.pid);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ASSERT_GE(before, 0);
  ASSERT_GE(after, before);
  EXPECT_LE(static_cast<double>(after - before) / seconds, 20.0)
      << after - before << " wake-ups in " << seconds << " s";

  ASSERT_TRUE(program.Type("quit\n"));
  EXPECT_EQ(program.Wait(120), 1) << "one line failed\n" << testsupport::ReadFile(log);
}

}  // namespace
