// The machine-wide clipboard: formats, another process on the same root, another root.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_holder.h"
#include "program_runner.h"
#include "test_support.h"
#include "ui_test_support.h"
#include "winplat/clipboard.h"
#include "winplat/paths.h"

namespace {

using namespace winplat;

// Runs fieldray-clip with the given arguments on a machine root; returns its exit status.
int RunClip(const std::vector<std::string>& args, const std::filesystem::path& root, std::string* out = nullptr) {
  std::vector<std::string> argv{(uitest::BinDir() / "fieldray-clip").string()};
  argv.insert(argv.end(), args.begin(), args.end());
  const testsupport::ProgramRun run =
      testsupport::RunProgram(argv, {"FIELDRAY_ROOT=" + root.string()}, testsupport::Root() / "clip.log", 60);
  if (out) *out = run.log;
  return run.status;
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
  testsupport::OtherProgramHoldsClipboard other;
  ASSERT_TRUE(other.Held());
  EXPECT_EQ(GetClipboardText(), "");
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(OpenClipboard(0));
  EXPECT_FALSE(SetClipboardText("refused"));
  EXPECT_EQ(RunClip({"--get"}, MachineRoot()), 1);
  EXPECT_TRUE(other.Release());
  EXPECT_EQ(GetClipboardText(), "waiting job");
  ClearClipboard();
}

}  // namespace
