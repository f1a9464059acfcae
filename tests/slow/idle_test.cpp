// The program idle on the operator's terminal, watched for seconds: it sleeps
// from one timer to the next and wakes for nothing else.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

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
  std::FILE* terminal = nullptr;
  pid_t pid = -1;

  // The shell writes its process number, then becomes the program.
  bool Start(const fs::path& root, const fs::path& log) {
    const fs::path pidFile = root.parent_path() / (root.filename().string() + ".pid");
    const std::string command = "echo $$ > '" + pidFile.string() + "'; FIELDRAY_ROOT='" + root.string() +
                                "' exec '" + (testsupport::BinDir() / "fieldray").string() + "' - > '" +
                                log.string() + "' 2>&1";
    terminal = popen(command.c_str(), "w");
    if (!terminal) return false;
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (pid <= 0 && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      const std::string text = testsupport::ReadFile(pidFile);
      if (!text.empty() && text.back() == '\n') pid = std::stoi(text);
    }
    return pid > 0;
  }
  bool Type(const std::string& line) const {
    return std::fputs(line.c_str(), terminal) >= 0 && std::fflush(terminal) == 0;
  }
  // The exit status once it ended, or -1 when it was still running after `seconds`.
  int Wait(int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (!Ended() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const bool ended = Ended();
    if (!ended) kill(pid, SIGKILL);
    const int status = pclose(terminal);
    terminal = nullptr;
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  ~TerminalProgram() {
    if (!terminal) return;
    if (pid > 0) kill(pid, SIGKILL);
    pclose(terminal);
  }

 private:
  // Gone, or ended and not yet waited for (a zombie).
  bool Ended() const {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const std::size_t close = line.rfind(')');
    return close == std::string::npos || line.compare(close + 1, 3, " Z ") == 0;
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
