#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "winplat/paths.h"
#include "winplat/sync.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using winplat::NamedMutex;
using winplat::SharedBlock;

// The helper program started with exec, its standard input and output on pipes.
class Helper {
 public:
  explicit Helper(std::vector<std::string> args, const std::string& root = "") {
    // Built beside the test program.
    std::string exe = (fs::read_symlink("/proc/self/exe").parent_path() / "winplat_sync_helper").string();
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<char*> argv{exe.data()};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
      if (root.empty() || std::strncmp(*e, "FIELDRAY_ROOT=", 14) != 0) env.emplace_back(*e);
    if (!root.empty()) env.push_back("FIELDRAY_ROOT=" + root);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    int rc = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    toChild_ = in[1];
    fromChild_ = out[0];
    if (rc != 0) throw std::runtime_error("cannot start " + exe);
  }
  ~Helper() {
    if (toChild_ >= 0) ::close(toChild_);
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(fromChild_);
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

  // The next line of output; empty when none comes within `ms`.
  std::string ReadLine(int ms = 20000) {
    std::string line;
    for (;;) {
      pollfd p{fromChild_, POLLIN, 0};
      if (::poll(&p, 1, ms) <= 0) return std::string();
      char c;
      if (::read(fromChild_, &c, 1) != 1) return line;
      if (c == '\n') return line;
      line += c;
    }
  }
  // True when the helper says nothing for `ms` (it is blocked).
  bool SilentFor(int ms) {
    pollfd p{fromChild_, POLLIN, 0};
    return ::poll(&p, 1, ms) == 0;
  }
  void KillHard() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  // Closes its input (a holder then lets go) and returns its exit code.
  int Finish() {
    ::close(toChild_);
    toChild_ = -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
};

TEST(NamedMutex, OwnerTakesItAgainAndOtherThreadsWait) {
  NamedMutex m("VXDLLMutex");
  NamedMutex same("VXDLLMutex");  // a second open of one name shares the lock
  m.Lock();
  m.Lock();
  EXPECT_TRUE(same.TryLock());
  std::atomic<int> stage{0};
  std::thread other([&] {
    EXPECT_FALSE(same.TryLock());
    EXPECT_FALSE(m.Unlock());  // not the owner
    stage = 1;
    same.Lock();  // waits for all three releases
    stage = 2;
    EXPECT_TRUE(same.Unlock());
  });
  while (stage.load() < 1) std::this_thread::yield();
  EXPECT_TRUE(m.Unlock());
  EXPECT_TRUE(same.Unlock());
  EXPECT_EQ(stage.load(), 1);
  EXPECT_TRUE(m.Unlock());
  other.join();
  EXPECT_EQ(stage.load(), 2);
  EXPECT_FALSE(m.Unlock());  // more releases than takes
  EXPECT_TRUE(m.TryLock());
  EXPECT_TRUE(m.Unlock());
}

TEST(NamedMutex, SecondProcessWaitsForRelease) {
  NamedMutex m("VXDLLMutex");
  m.Lock();
  Helper other({"take-mutex", "VXDLLMutex"});
  ASSERT_EQ(other.ReadLine(), "waiting");
  EXPECT_TRUE(other.SilentFor(300));
  Helper tryer({"try-mutex", "VXDLLMutex"});
  EXPECT_EQ(tryer.ReadLine(), "0");
  m.Unlock();
  EXPECT_EQ(other.ReadLine(), "locked");
  EXPECT_EQ(other.Finish(), 0);
}

TEST(NamedMutex, KilledHolderFreesTheLock) {
  Helper holder({"hold-mutex", "VXDLLMutex"});
  ASSERT_EQ(holder.ReadLine(), "locked");
  NamedMutex m("VXDLLMutex");
  EXPECT_FALSE(m.TryLock());
  Helper waiter({"take-mutex", "VXDLLMutex"});
  ASSERT_EQ(waiter.ReadLine(), "waiting");
  EXPECT_TRUE(waiter.SilentFor(300));
  holder.KillHard();
  EXPECT_EQ(waiter.ReadLine(), "locked");
  EXPECT_EQ(waiter.Finish(), 0);
  EXPECT_TRUE(m.TryLock());
  m.Unlock();
}

// A child started by the holder, by fork or by exec, must not keep the lock
// alive once the holder is killed.
void ChildDoesNotInherit(const char* how) {
  Helper holder({"hold-mutex-child", "VXDLLMutex", how});
  std::string line = holder.ReadLine();
  ASSERT_EQ(line.rfind("locked ", 0), 0u) << line;
  pid_t child = std::stoi(line.substr(7));
  ASSERT_GT(child, 0);
  NamedMutex m("VXDLLMutex");
  EXPECT_FALSE(m.TryLock());
  holder.KillHard();
  EXPECT_EQ(::kill(child, 0), 0);  // the child still runs
  EXPECT_TRUE(m.TryLock());
  m.Unlock();
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);  // a forked grandchild is reaped by init; this is harmless
}

TEST(NamedMutex, NotInheritedAcrossFork) { ChildDoesNotInherit("fork"); }
TEST(NamedMutex, NotInheritedAcrossExec) { ChildDoesNotInherit("exec"); }

TEST(NamedMutex, OtherMachineRootIsAnotherMachine) {
  NamedMutex m("VXDLLMutex");
  m.Lock();
  fs::path other = testsupport::Root() / "other-machine";
  fs::create_directories(other);
  Helper elsewhere({"try-mutex", "VXDLLMutex"}, other.string());
  EXPECT_EQ(elsewhere.ReadLine(), "1");
  Helper here({"try-mutex", "VXDLLMutex"});
  EXPECT_EQ(here.ReadLine(), "0");
  NamedMutex differentName("OtherMutex");
  EXPECT_TRUE(differentName.TryLock());
  differentName.Unlock();
  m.Unlock();
}

TEST(SharedBlock, FieldsAreSharedAndInterlocked) {
  SharedBlock a("VXDLLShared", 4);
  SharedBlock b("VXDLLShared", 4);
  EXPECT_EQ(a.Get(0), 0);
  EXPECT_EQ(a.Increment(0), 1);
  EXPECT_EQ(b.Increment(0), 2);
  EXPECT_EQ(b.Decrement(0), 1);
  a.Set(3, 0x7FFFFFFF);
  EXPECT_EQ(b.Increment(3), INT32_MIN);  // wraps as the 32-bit operations do
  EXPECT_THROW(a.Get(4), std::out_of_range);
  EXPECT_THROW(a.Set(4, 1), std::out_of_range);

  constexpr int kThreads = 4, kEach = 10000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) (t % 2 ? a : b).Increment(1);
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(a.Get(1), kThreads * kEach);
}

TEST(SharedBlock, KeptWhileMappedZeroAfterEveryUserDied) {
  {
    SharedBlock mine("VXDLLShared", 4);
    EXPECT_EQ(mine.Increment(0), 1);
    Helper other({"block-add", "VXDLLShared"});
    EXPECT_EQ(other.ReadLine(), "2");
    EXPECT_EQ(mine.Get(0), 2);
    other.KillHard();
    EXPECT_EQ(mine.Get(0), 2);  // kept while this process maps it
  }
  // Nobody maps it now: the next first user finds it zero.
  {
    Helper first({"block-add", "VXDLLShared"});
    EXPECT_EQ(first.ReadLine(), "1");
    first.KillHard();
  }
  SharedBlock after("VXDLLShared", 4);
  EXPECT_EQ(after.Get(0), 0);

  fs::path other = testsupport::Root() / "other-machine";
  fs::create_directories(other);
  after.Set(0, 41);
  Helper elsewhere({"block-add", "VXDLLShared"}, other.string());
  EXPECT_EQ(elsewhere.ReadLine(), "1");  // another root, another block
}

}  // namespace
