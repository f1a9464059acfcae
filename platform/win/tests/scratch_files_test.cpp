// Files in the process's memory, and folders a process holds against sweeps.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "test_support.h"
#include "winplat/files.h"
#include "winplat/folders.h"
#include "winplat/paths.h"

namespace {

namespace fs = std::filesystem;
using winplat::MemoryFiles;

TEST(MemoryFiles, CreateAppendReadDeleteByAnySpellingOfThePath) {
  const std::size_t files = MemoryFiles::Count();
  const std::uint64_t bytes = MemoryFiles::Bytes();
  ASSERT_TRUE(MemoryFiles::Create("C:\\TEMP\\KLV1\\1.TMP"));
  EXPECT_FALSE(MemoryFiles::Create("c:/temp/klv1/1.tmp"));  // the same file: never made twice
  EXPECT_TRUE(MemoryFiles::Append("c:\\Temp\\Klv1\\1.tmp", "2\r\n", 3));
  EXPECT_TRUE(MemoryFiles::Append("C:\\TEMP\\KLV1\\1.TMP", std::string(100000, 'x').data(), 100000));
  EXPECT_FALSE(MemoryFiles::Append("C:\\TEMP\\KLV1\\2.TMP", "x", 1));  // no such file
  std::string text = "untouched";
  EXPECT_FALSE(MemoryFiles::Read("C:\\TEMP\\KLV1\\2.TMP", text));
  EXPECT_EQ(text, "untouched");
  ASSERT_TRUE(MemoryFiles::Read("C:/TEMP/KLV1/1.TMP", text));
  EXPECT_EQ(text, "2\r\n" + std::string(100000, 'x'));
  EXPECT_EQ(MemoryFiles::Count(), files + 1);
  EXPECT_EQ(MemoryFiles::Bytes(), bytes + 100003);
  // Nothing of it on disk.
  EXPECT_FALSE(fs::exists(winplat::HostPath("C:\\TEMP") / "KLV1"));
  EXPECT_TRUE(MemoryFiles::Delete("C:\\TEMP\\KLV1\\1.TMP"));
  EXPECT_FALSE(MemoryFiles::Delete("C:\\TEMP\\KLV1\\1.TMP"));
  EXPECT_EQ(MemoryFiles::Count(), files);
  EXPECT_EQ(MemoryFiles::Bytes(), bytes);
  EXPECT_GT(winplat::MachineMemoryBytes(), 0u);
}

TEST(HeldFolders, ASweepTakesOnlyFoldersNoProcessHolds) {
  const fs::path temp = winplat::HostPath("C:\\TEMP");
  fs::create_directories(temp);
  winplat::HeldFolder held;
  ASSERT_TRUE(held.Create("C:\\TEMP\\SCR1"));
  EXPECT_FALSE(winplat::HeldFolder().Create("C:\\TEMP\\SCR1"));  // the name is taken
  EXPECT_EQ(fs::status(temp / "SCR1").permissions(), fs::perms::owner_all);
  testsupport::WriteFile(temp / "SCR1" / "1.TMP", "x");
  // One a child held and that ended when killed: free.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    winplat::HeldFolder mine;
    const char ok = mine.Create("C:\\TEMP\\SCR2") ? 1 : 0;
    if (write(ready[1], &ok, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 1);
  EXPECT_EQ(winplat::RemoveUnheldFolders("C:\\TEMP", "SCR?"), 0);  // both held
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  fs::create_directory(temp / "SCR3");  // never held
  fs::create_directory(temp / "SCR44");  // another name
  EXPECT_EQ(winplat::RemoveUnheldFolders("C:\\TEMP", "scr?"), 2);
  EXPECT_TRUE(fs::is_regular_file(temp / "SCR1" / "1.TMP"));
  EXPECT_FALSE(fs::exists(temp / "SCR2"));
  EXPECT_FALSE(fs::exists(temp / "SCR3"));
  EXPECT_TRUE(fs::exists(temp / "SCR44"));
  held.Remove();
  EXPECT_FALSE(fs::exists(temp / "SCR1"));
  fs::remove(temp / "SCR44");
}

}  // namespace
