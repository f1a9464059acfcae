// The machine-wide clipboard: formats, another process on the same root, another root.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"
#include "ui_test_support.h"
#include "winplat/clipboard.h"
#include "winplat/paths.h"

extern char** environ;

namespace {

using namespace winplat;

// Runs fieldray-clip with the given arguments on a machine root; returns its exit status.
int RunClip(const std::vector<std::string>& args, const std::filesystem::path& root, std::string* out = nullptr) {
  std::string tool = (uitest::BinDir() / "fieldray-clip").string();
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("FIELDRAY_ROOT=", 0) != 0) envStrings.emplace_back(*e);
  envStrings.push_back("FIELDRAY_ROOT=" + root.string());
  std::vector<char*> env;
  for (auto& s : envStrings) env.push_back(s.data());
  env.push_back(nullptr);
  std::vector<std::string> argStrings{tool};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  std::string text;
  char buf[256];
  ssize_t n;
  while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  close(pipeFds[0]);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Clipboard, FormatsSetGetEmpty) {
  ASSERT_TRUE(OpenClipboard(0));
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_TRUE(SetClipboardData(CF_TEXT, "job.nc;x;T"));
  std::string metafile("\x01\x00\x00\x00 EMF", 8);
  EXPECT_TRUE(SetClipboardData(CF_ENHMETAFILE, metafile));
  EXPECT_EQ(GetClipboardData(CF_ENHMETAFILE).value_or(""), metafile);
  EXPECT_FALSE(GetClipboardData(2).has_value());
  ASSERT_TRUE(CloseClipboard());
  EXPECT_FALSE(SetClipboardData(CF_TEXT, "closed"));  // needs the clipboard open
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
  EXPECT_EQ(GetClipboardText(), "job.nc;x;T");
  EXPECT_TRUE(ClearClipboard());
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
  EXPECT_EQ(GetClipboardText(), "");
}

TEST(Clipboard, DamagedFileReadsEmptyAndCanBeReplaced) {
  testsupport::WriteFile(MachineRoot() / "clipboard.dat", "garbage without a header");
  EXPECT_EQ(GetClipboardText(), "");
  EXPECT_TRUE(SetClipboardText("fresh"));
  EXPECT_EQ(GetClipboardText(), "fresh");
  testsupport::WriteFile(MachineRoot() / "clipboard.dat", "FIELDRAY CLIPBOARD 1\n1 999\nshort");
  EXPECT_EQ(GetClipboardText(), "");
  ClearClipboard();
}

TEST(Clipboard, SharedWithAnotherProcessOnTheSameRootOnly) {
  std::filesystem::path root = MachineRoot();
  ASSERT_EQ(RunClip({"PART12.NC;;T;;1200"}, root), 0);
  EXPECT_EQ(GetClipboardText(), "PART12.NC;;T;;1200");
  ASSERT_TRUE(SetClipboardText("from the test"));
  std::string seen;
  ASSERT_EQ(RunClip({"--get"}, root, &seen), 0);
  EXPECT_EQ(seen, "from the test\n");

  std::filesystem::path other = std::filesystem::path(testsupport::Root()).parent_path() /
                                ("fieldray-clip-other-" + std::to_string(getpid()));
  std::filesystem::create_directories(other);
  EXPECT_EQ(RunClip({"other", "machine"}, other), 0);
  EXPECT_EQ(GetClipboardText(), "from the test");
  ASSERT_EQ(RunClip({"--get"}, other, &seen), 0);
  EXPECT_EQ(seen, "other machine\n");
  std::filesystem::remove_all(other);
  EXPECT_EQ(RunClip({}, root), 2);  // usage
}

TEST(Clipboard, HeldOpenByAnotherProgramReadsEmpty) {
  ASSERT_TRUE(SetClipboardText("waiting job"));
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(20);
    bool opened = OpenClipboard(0);
    char c = opened ? 'y' : 'n';
    if (write(ready[1], &c, 1) != 1) _exit(3);
    if (read(release[0], &c, 1) != 1) _exit(4);
    CloseClipboard();
    _exit(opened ? 0 : 1);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_EQ(c, 'y');
  EXPECT_EQ(GetClipboardText(), "");
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(OpenClipboard(0));
  EXPECT_FALSE(SetClipboardText("refused"));
  EXPECT_EQ(RunClip({"--get"}, MachineRoot()), 1);
  ASSERT_EQ(write(release[1], "x", 1), 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(GetClipboardText(), "waiting job");
  for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
  ClearClipboard();
}

}  // namespace
