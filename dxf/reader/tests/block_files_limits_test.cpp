// Block files under limits: a read in a process whose address space is
// limited keeps its blocks on disk, or ends with its error, and the process
// goes on; a read with its blocks on disk costs system calls in step with its
// blocks.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "../block_spool.h"
#include "drawing_text.h"
#include "reader_fixture.h"
#include "winplat/paths.h"

using namespace readertest;
namespace fs = std::filesystem;

namespace {

// `blocks` blocks of sixteen texts of 90 characters, some 2 KB each; the
// first is placed.
std::string TextBlocks(int blocks) {
  const std::string words(90, 'w');
  std::string defs;
  for (int b = 0; b < blocks; ++b) {
    std::string body;
    for (int i = 0; i < 16; ++i) body += Pairs({"0", "TEXT", "8", "0", "10", std::to_string(i), "20", "0", "40", "1", "1", words});
    defs += Block("T" + std::to_string(b), "0", "0", body);
  }
  return Drawing(defs, Pairs({"0", "INSERT", "8", "0", "2", "T0", "10", "0", "20", "0"}));
}

// `blocks` blocks of five lines, each placed once.
std::string FiveLineBlocks(int blocks) {
  std::string defs, entities;
  for (int b = 0; b < blocks; ++b) {
    std::string body;
    for (int i = 0; i < 5; ++i) body += LineEntity("0", "0", std::to_string(i), "9", std::to_string(i + 1));
    defs += Block("B" + std::to_string(b), "0", "0", body);
    entities += Pairs({"0", "INSERT", "8", "0", "2", "B" + std::to_string(b), "10", std::to_string(b), "20", "0"});
  }
  return Drawing(defs, entities);
}

// Block-file folders in the temporary folder.
int BlockFolders() {
  int found = 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(winplat::HostPath("C:\\TEMP"), ec))
    if (e.path().filename().string().rfind("KLV", 0) == 0) ++found;
  return found;
}

// Bytes of address space this process has mapped.
std::uint64_t AddressSpaceInUse() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

// Runs this test binary's DISABLED_ReadInAProcessOfItsOwn in a process of
// its own, whose heap holds nothing of this one's, to read the drawing at
// host path `path` with `room` bytes of address space to spare and FIELDRAY_BLOCK_MEMORY
// as given (nullptr: unset): its exit status, or 128 + the signal that ended it.
int ReadInAProcessOfItsOwn(const fs::path& path, std::uint64_t room, const char* allowance) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("FIELDRAY_BLOCK_MEMORY=", 0) != 0 && entry.rfind("BLOCK_LIMITS_", 0) != 0) env.push_back(entry);
  }
  env.push_back("BLOCK_LIMITS_DRAWING=" + path.string());
  env.push_back("BLOCK_LIMITS_ROOM=" + std::to_string(room));
  if (allowance) env.push_back("FIELDRAY_BLOCK_MEMORY=" + std::string(allowance));
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string self = fs::read_symlink("/proc/self/exe").string();
  std::string also = "--gtest_also_run_disabled_tests";
  std::string filter = "--gtest_filter=BlockFilesUnderLimits.DISABLED_ReadInAProcessOfItsOwn";
  char* argv[] = {self.data(), also.data(), filter.data(), nullptr};
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) dup2(quiet, 1);
    execve(argv[0], argv, envp.data());
    _exit(91);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// What a read in a child came to.
enum ReadEnd { kOnDisk = 0, kInMemory = 1, kOutOfMemory = 2, kOtherError = 3 };

class BlockFilesUnderLimits : public ReaderTest {
 protected:
  void SetUp() override {
    ReaderTest::SetUp();
    kelvane::BlockSpool::SetMemoryAllowance(-1);
  }

  // Reads `path`: where its blocks were, or how it failed (`texts` texts placed, or it failed).
  ReadEnd Read(const std::string& path, std::int32_t texts) {
    bool onDisk = false;
    dxf->reader.Yield = [&] { onDisk = onDisk || (dxf->reader.BlockFiles && !dxf->reader.BlockFiles->InMemory()); };
    try {
      if (!Load(path) || db().TextCount != texts) return kOtherError;
    } catch (const winplat::AutomationError& e) {
      if (e.Description().find("Out of memory") != std::string::npos) return kOutOfMemory;
      std::fprintf(stderr, "%s\n", e.Description().c_str());
      return kOtherError;
    }
    return onDisk ? kOnDisk : kInMemory;
  }
};

// The read of the test below, in the process it starts.
TEST_F(BlockFilesUnderLimits, DISABLED_ReadInAProcessOfItsOwn) {
  const char* drawing = std::getenv("BLOCK_LIMITS_DRAWING");
  const char* room = std::getenv("BLOCK_LIMITS_ROOM");
  if (!drawing || !room) GTEST_SKIP() << "started by UnderAnAddressSpaceLimit...";
  // Into this process's own machine root, without passing through its memory.
  fs::create_directories(testsupport::Root() / "C" / "dxf");
  fs::copy_file(drawing, testsupport::Root() / "C" / "dxf" / "texts.dxf");
  const rlim_t limit = AddressSpaceInUse() + std::strtoull(room, nullptr, 10);
  const rlimit space{limit, limit};
  if (setrlimit(RLIMIT_AS, &space) != 0) _exit(90);
  _exit(Read("C:\\dxf\\texts.dxf", 16));
}

TEST_F(BlockFilesUnderLimits, UnderAnAddressSpaceLimitTheBlocksGoToDiskAndTheProcessGoesOn) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves far more address space than any limit here";
#endif
  // Some 10 MB of block files from a drawing of 8 MB.
  const fs::path path = testsupport::WriteFile(testsupport::Root() / "limits" / "texts.dxf", TextBlocks(4000));
  const std::uint64_t room = std::uint64_t{16} << 20;
  // The default allowance, a quarter of the room left: the blocks pass it.
  EXPECT_EQ(ReadInAProcessOfItsOwn(path, room, nullptr), kOnDisk);
  // An allowance above the limit: memory runs out, and the blocks go to disk
  // or the read ends with its error; never an abort.
  const int end = ReadInAProcessOfItsOwn(path, room, "1000000000");
  EXPECT_TRUE(end == kOnDisk || end == kOutOfMemory) << end;
  EXPECT_EQ(BlockFolders(), 0);
}

// The system calls a child made running `body`, and how many of them read a
// folder's entries; counted by tracing it.
struct SystemCalls {
  long all = 0;
  long listings = 0;
  bool traced = false;  // false when no process may trace its child here
  bool ok = false;      // `body` answered true
};

SystemCalls SystemCallsOf(const std::function<bool()>& body) {
  SystemCalls calls;
  const pid_t child = fork();
  if (child < 0) return calls;
  if (child == 0) {
    if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(3);
    raise(SIGSTOP);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return calls;
  if (!WIFSTOPPED(status)) return calls;
  ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
  calls.traced = true;
  int pass = 0;  // a signal to hand on
  for (;;) {
    if (ptrace(PTRACE_SYSCALL, child, nullptr, pass) != 0) break;
    pass = 0;
    if (waitpid(child, &status, 0) != child || WIFEXITED(status) || WIFSIGNALED(status)) break;
    if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
      pass = WSTOPSIG(status);
      continue;
    }
    __ptrace_syscall_info info{};
    if (ptrace(PTRACE_GET_SYSCALL_INFO, child, sizeof info, &info) <= 0 || info.op != PTRACE_SYSCALL_INFO_ENTRY)
      continue;
    ++calls.all;
    if (info.entry.nr == SYS_getdents64) ++calls.listings;
  }
  if (!WIFEXITED(status)) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  calls.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return calls;
}

TEST_F(BlockFilesUnderLimits, OnDiskTheSystemCallsGrowInStepWithTheBlocks) {
  const std::string small = Put("b1000.dxf", FiveLineBlocks(1000));
  const std::string large = Put("b4000.dxf", FiveLineBlocks(4000));
  auto calls = [&](const std::string& path) {
    return SystemCallsOf([&] {
      kelvane::BlockSpool::SetMemoryAllowance(0);
      dxf->reader.Yield = [] {};
      return Load(path) && BlockFolders() == 0;
    });
  };
  const SystemCalls few = calls(small);
  if (!few.traced) GTEST_SKIP() << "no process may trace its child here";
  const SystemCalls many = calls(large);
  ASSERT_TRUE(few.ok && many.ok);
  ASSERT_GT(few.all, 1000);
  EXPECT_LE(static_cast<double>(many.all), 4.4 * static_cast<double>(few.all)) << few.all << " and " << many.all;
  // No folder is listed per block file: four times the blocks, hardly more
  // listings (the read's folder is read through once, to be removed).
  EXPECT_LE(many.listings, few.listings + 20) << few.listings << " and " << many.listings;
}

}  // namespace
