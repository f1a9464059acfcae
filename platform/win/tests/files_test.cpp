#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "winplat/files.h"
#include "winplat/paths.h"

namespace {

namespace fs = std::filesystem;
using winplat::File;

fs::path Put(const std::string& windowsPath, const std::string& bytes) {
  return testsupport::WriteFile(winplat::HostPath(windowsPath), bytes);
}

TEST(FileQueries, ExistSizeAndDelete) {
  Put("C:\\Jobs\\Part.DXF", std::string(1234, 'x'));
  EXPECT_NE(winplat::Exist("c:\\jobs\\part.dxf"), 0);
  EXPECT_EQ(winplat::Exist("C:\\Jobs\\Other.DXF"), 0);
  EXPECT_EQ(winplat::Exist("C:\\Jobs"), 0);  // a folder is not a file
  EXPECT_EQ(winplat::Exist("\\\\.\\WRTdev0"), 0);
  EXPECT_NE(winplat::Exist("C:\\Jobs\\*.dxf"), 0);
  EXPECT_EQ(winplat::FileSize("C:\\JOBS\\PART.DXF"), 1234);
  EXPECT_EQ(winplat::FileSize("C:\\Jobs\\Missing"), -1);
  EXPECT_EQ(winplat::FileSize("C:\\Jobs"), -1);
  EXPECT_TRUE(winplat::DeleteFile("C:\\Jobs\\PART.dxf"));
  EXPECT_FALSE(winplat::DeleteFile("C:\\Jobs\\PART.dxf"));
  EXPECT_EQ(winplat::Exist("C:\\Jobs\\Part.DXF"), 0);
}

TEST(FileQueries, RemoveEmptyHostFolderTakesOnlyAnEmptyFolder) {
  const fs::path base = winplat::HostPath("C:\\Gone");
  fs::create_directories(base / "empty");
  Put("C:\\Gone\\full\\a.tmp", "x");
  Put("C:\\Gone\\file.tmp", "x");
  fs::create_directory_symlink(base / "empty2", base / "link");
  fs::create_directories(base / "empty2");
  struct Case {
    const char* name;
    bool removed;
    bool left;  // still there afterwards
  } cases[] = {{"empty", true, false}, {"full", false, true},  {"file.tmp", false, true},
               {"link", false, true},  {"missing", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(winplat::RemoveEmptyHostFolder(base / c.name), c.removed);
    std::error_code ec;
    EXPECT_EQ(fs::exists(fs::symlink_status(base / c.name, ec)), c.left);
  }
  EXPECT_TRUE(fs::is_directory(base / "empty2"));  // a link's target is left alone
  EXPECT_TRUE(fs::exists(base / "full" / "a.tmp"));
}

TEST(FileQueries, CountMatchesRegularFilesWithWildcards) {
  Put("C:\\Count\\a.dxf", "");
  Put("C:\\Count\\B.DXF", "");
  Put("C:\\Count\\c.nc", "");
  Put("C:\\Count\\README", "");
  Put("C:\\Count\\ab.txt", "");
  Put("C:\\Count\\Sub\\inner.dxf", "");  // neither the folder nor what is inside counts
  EXPECT_EQ(winplat::FCount("C:\\Count\\*.*"), 5);
  EXPECT_EQ(winplat::FCount("c:\\count\\*.DXF"), 2);
  EXPECT_EQ(winplat::FCount("C:\\Count\\?.*"), 3);
  EXPECT_EQ(winplat::FCount("C:\\Count\\a*"), 2);
  EXPECT_EQ(winplat::FCount("C:\\Count\\README.*"), 1);  // ".*" also takes a name without extension
  EXPECT_EQ(winplat::FCount("C:\\Count\\*.x"), 0);
  EXPECT_EQ(winplat::FCount("C:\\NoFolder\\*.*"), 0);
  EXPECT_EQ(winplat::FCount("C:\\..\\*.*"), 0);
}

TEST(HandleFiles, CreateWriteReadSkip) {
  {
    File out = File::CreateNew("C:\\TEMP\\frames.lzr");
    ASSERT_TRUE(out.IsOpen());
    EXPECT_EQ(out.Write("LAZR0123456789", 14), 14);
  }
  File in = File::OpenForReading("c:\\temp\\FRAMES.LZR");
  ASSERT_TRUE(in.IsOpen());
  EXPECT_EQ(in.Size(), 14);
  char buf[8] = {};
  EXPECT_EQ(in.Read(buf, 4), 4);
  EXPECT_EQ(std::string(buf, 4), "LAZR");
  EXPECT_EQ(in.Skip(6), 10);
  EXPECT_EQ(in.Read(buf, 8), 4);
  EXPECT_EQ(std::string(buf, 4), "6789");
  EXPECT_EQ(in.Read(buf, 8), 0);
  EXPECT_EQ(in.Skip(100), 14);  // stops at the end of a file being read
  // Created anew: an existing file is emptied.
  File again = File::CreateNew("C:\\TEMP\\other.bin");
  ASSERT_TRUE(again.IsOpen());
  EXPECT_EQ(again.Size(), 0);
}

TEST(HandleFiles, OpenFailuresSayWhy) {
  File missing = File::OpenForReading("C:\\TEMP\\none.lzr");
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.Error(), winplat::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(File::OpenForReading("C:\\NoFolder\\none.lzr").Error(), winplat::ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(File::CreateNew("C:\\NoFolder\\x.lzr").Error(), winplat::ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(File::OpenForReading("C:\\TEMP").Error(), winplat::ERROR_ACCESS_DENIED);
  EXPECT_EQ(File::CreateNew("\\\\.\\WRTdev0").Error(), winplat::ERROR_INVALID_NAME);
  char buf[4];
  EXPECT_EQ(missing.Read(buf, 4), -1);
}

TEST(HandleFiles, SharingAsWindowsKeepsIt) {
  Put("C:\\TEMP\\shared.bin", "abcdef");
  File reader1 = File::OpenForReading("C:\\TEMP\\shared.bin");
  File reader2 = File::OpenForReading("C:\\TEMP\\shared.bin");
  ASSERT_TRUE(reader1.IsOpen());
  ASSERT_TRUE(reader2.IsOpen());  // readers share
  File writer = File::CreateNew("C:\\TEMP\\shared.bin");
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(writer.Error(), winplat::ERROR_SHARING_VIOLATION);
  EXPECT_EQ(reader1.Size(), 6);  // the refused creation emptied nothing
  reader1.Close();
  reader2.Close();

  File creator = File::CreateNew("C:\\TEMP\\shared.bin");
  ASSERT_TRUE(creator.IsOpen());
  EXPECT_EQ(File::OpenForReading("C:\\TEMP\\shared.bin").Error(), winplat::ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(File::CreateNew("C:\\TEMP\\shared.bin").IsOpen());
  creator.Close();
  EXPECT_TRUE(File::OpenForReading("C:\\TEMP\\shared.bin").IsOpen());
}

TEST(HandleFiles, MovedFileKeepsItsHandle) {
  File a = File::CreateNew("C:\\TEMP\\moved.bin");
  File b = std::move(a);
  EXPECT_FALSE(a.IsOpen());  // NOLINT(bugprone-use-after-move): the moved-from state is defined
  EXPECT_EQ(b.Write("xy", 2), 2);
  b = File();
  EXPECT_EQ(winplat::FileSize("C:\\TEMP\\moved.bin"), 2);
}

}  // namespace
