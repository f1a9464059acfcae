// Temporary block files: where they are written, who may read them, and that
// nothing is left once a read has ended, whether it succeeded or failed; two
// reads at once, in one process or in two, never meet.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "../block_spool.h"
#include "drawing_text.h"
#include "reader_fixture.h"
#include "winplat/folders.h"
#include "winplat/paths.h"

using namespace readertest;
namespace fs = std::filesystem;

namespace {

// Private block-file folders (and stray .TMP files) in a folder of the root.
std::vector<fs::path> Leftovers(const std::string& windowsFolder) {
  std::vector<fs::path> found;
  fs::path dir = winplat::HostPath(windowsFolder);
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    std::string name = e.path().filename().string();
    if (name.rfind("KLV", 0) == 0 || e.path().extension() == ".TMP") found.push_back(e.path());
  }
  return found;
}

// Two blocks, then enough entities for the reader to yield a few times while
// the block files exist.
std::string TwoBlockDrawing(const std::string& tail = "") {
  std::string blocks = Block("A", "0", "0", LineEntity("0", "0", "0", "1", "0")) +
                       Block("B", "0", "0", LineEntity("0", "0", "0", "2", "0"));
  std::string entities;
  for (int i = 0; i < 4; ++i) entities += Pairs({"0", "INSERT", "8", "0", "2", i % 2 ? "A" : "B", "10", "0", "20", "0"});
  return Drawing(blocks, entities + tail);
}

struct Seen {
  std::vector<std::string> tempFiles;  // TempFile of each block row
  std::vector<fs::path> folders;       // private folders found
  fs::perms folderPerms{}, filePerms{};
  int files = 0;
};

class BlockFilesTest : public ReaderTest {
 protected:
  // Reads `text`, looking at the block files at the first yield after both blocks exist.
  Seen ReadAndLook(const std::string& text, const std::string& folder) {
    Seen seen;
    bool looked = false;
    dxf->reader.Yield = [&] {
      if (looked || db().BlockCount < 2 || db().InBlock) return;
      looked = true;
      for (int i = 1; i <= db().BlockCount; ++i) seen.tempFiles.push_back(db().BlockTable(i).TempFile.Trimmed());
      seen.folders = Leftovers(folder);
      if (seen.folders.empty()) return;
      seen.folderPerms = fs::status(seen.folders[0]).permissions();
      for (const auto& f : fs::directory_iterator(seen.folders[0])) {
        ++seen.files;
        seen.filePerms = fs::symlink_status(f.path()).permissions();
      }
    };
    EXPECT_TRUE(Load(Put("two.dxf", text)));
    EXPECT_TRUE(looked);
    dxf->reader.Yield = nullptr;
    return seen;
  }
};

TEST_F(BlockFilesTest, FilesLiveInAPrivateFolderOfTheReadAndGoWithIt) {
  ASSERT_TRUE(dxf->TmpFileNamePath.empty());  // a new instance: the default folder
  Seen seen = ReadAndLook(TwoBlockDrawing(), "C:\\TEMP");
  ASSERT_EQ(seen.folders.size(), 1u);
  EXPECT_EQ(seen.folderPerms, fs::perms::owner_all);
  EXPECT_EQ(seen.files, 2);
  EXPECT_EQ(seen.filePerms, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(seen.tempFiles.size(), 2u);
  std::string folder = "C:\\TEMP\\" + seen.folders[0].filename().string() + "\\";
  EXPECT_EQ(seen.tempFiles[0], folder + "1.TMP");
  EXPECT_EQ(seen.tempFiles[1], folder + "2.TMP");
  EXPECT_EQ(db().LineCount, 4);
  // Afterwards: nothing left, the rows' file names blank.
  EXPECT_TRUE(Leftovers("C:\\TEMP").empty());
  EXPECT_EQ(db().BlockTable(1).TempFile.Trimmed(), "");

  // The next read numbers on, in a folder of its own.
  db().InitDB(true);
  Seen again = ReadAndLook(TwoBlockDrawing(), "C:\\TEMP");
  ASSERT_EQ(again.tempFiles.size(), 2u);
  EXPECT_NE(again.tempFiles[0].find("\\3.TMP"), std::string::npos) << again.tempFiles[0];
  EXPECT_NE(again.folders[0], seen.folders[0]);
  EXPECT_TRUE(Leftovers("C:\\TEMP").empty());
}

TEST_F(BlockFilesTest, AFolderWithoutItsSeparatorIsTheFolderItself) {
  dxf->TmpFileNamePath = "C:\\TEMP";
  Seen seen = ReadAndLook(TwoBlockDrawing(), "C:\\TEMP");
  EXPECT_EQ(seen.folders.size(), 1u);
  EXPECT_TRUE(Leftovers("C:\\").empty());  // no "C:\TEMP1.TMP" beside it
  EXPECT_EQ(dxf->TmpFileNamePath, "C:\\TEMP");
}

TEST_F(BlockFilesTest, AMissingFolderFallsBackToTheRootOfC) {
  dxf->SetTmpFileNamePath("C:\\NOWHERE\\");
  Seen seen = ReadAndLook(TwoBlockDrawing(), "C:\\");
  EXPECT_EQ(seen.folders.size(), 1u);
  EXPECT_EQ(seen.tempFiles[0].rfind("C:\\KLV", 0), 0u) << seen.tempFiles[0];
  EXPECT_EQ(dxf->TmpFileNamePath, "C:\\");
  EXPECT_TRUE(Leftovers("C:\\").empty());
  EXPECT_FALSE(fs::exists(testsupport::Root() / "C" / "NOWHERE"));
}

TEST_F(BlockFilesTest, AFailedReadLeavesNoFileBehind) {
  std::string bad = Pairs({"0", "LINE", "8", "0", "10", "1e39", "20", "0"});
  std::string error = LoadError(Put("bad.dxf", TwoBlockDrawing(bad)));
  ASSERT_FALSE(error.empty());
  EXPECT_NE(error.find("DXFLine"), std::string::npos) << error;
  EXPECT_TRUE(Leftovers("C:\\TEMP").empty());
  EXPECT_EQ(db().EntityCount, 0);
  // A failure inside a block definition too.
  std::string inBlock = Drawing(Block("A", "0", "0", Pairs({"0", "CIRCLE", "8", "0", "10", "0", "20", "0", "40", "1e40"})), "");
  EXPECT_FALSE(LoadError(Put("bad2.dxf", inBlock)).empty());
  EXPECT_TRUE(Leftovers("C:\\TEMP").empty());
}

TEST_F(BlockFilesTest, TwoControlsReadingAtOnceKeepApart) {
  auto other = winplat::MakeObject<kelvane::DXF>();
  other->db.InitDB(true);
  std::string path = Put("two.dxf", TwoBlockDrawing());
  std::size_t foldersDuringBoth = 0;
  bool started = false;
  dxf->reader.Yield = [&] {
    if (started || db().BlockCount < 2 || db().InBlock) return;
    started = true;
    other->reader.Yield = [&] {
      if (other->db.BlockCount >= 2 && !other->db.InBlock && foldersDuringBoth == 0)
        foldersDuringBoth = Leftovers("C:\\TEMP").size();
    };
    EXPECT_TRUE(kelvane::LoadDXF(*other, path, nullptr, nullptr));
  };
  ASSERT_TRUE(Load(path));
  EXPECT_EQ(foldersDuringBoth, 2u);
  EXPECT_EQ(db().LineCount, 4);
  EXPECT_EQ(other->db.LineCount, 4);
  EXPECT_TRUE(Leftovers("C:\\TEMP").empty());
}

TEST_F(BlockFilesTest, TwoProcessesReadingAtOnceOnOneMachineRoot) {
  std::string path = Put("two.dxf", TwoBlockDrawing());
  // Each child, once its block files exist, tells the other and waits for it:
  // both reads are then mid-way at the same moment.
  int toFirst[2], toSecond[2];
  ASSERT_EQ(pipe(toFirst), 0);
  ASSERT_EQ(pipe(toSecond), 0);
  auto child = [&](int tell, int wait) -> int {
    auto control = winplat::MakeObject<kelvane::DXF>();
    control->db.InitDB(true);
    std::size_t folders = 0;
    bool met = false;
    control->reader.Yield = [&] {
      if (met || control->db.BlockCount < 2 || control->db.InBlock) return;
      met = true;
      char byte = 1;
      if (write(tell, &byte, 1) != 1 || read(wait, &byte, 1) != 1) return;
      folders = Leftovers("C:\\TEMP").size();
      byte = 2;  // let the other go on only after both have looked
      if (write(tell, &byte, 1) != 1 || read(wait, &byte, 1) != 1) folders = 0;
    };
    try {
      if (!kelvane::LoadDXF(*control, path, nullptr, nullptr)) return 2;
    } catch (...) {
      return 3;
    }
    if (!met || folders != 2) return 4;
    if (control->db.LineCount != 4) return 5;
    return 0;
  };
  pid_t first = fork();
  ASSERT_GE(first, 0);
  if (first == 0) _exit(child(toSecond[1], toFirst[0]));
  pid_t second = fork();
  ASSERT_GE(second, 0);
  if (second == 0) _exit(child(toFirst[1], toSecond[0]));
  int status1 = 0, status2 = 0;
  waitpid(first, &status1, 0);
  waitpid(second, &status2, 0);
  for (int fd : {toFirst[0], toFirst[1], toSecond[0], toSecond[1]}) close(fd);
  ASSERT_TRUE(WIFEXITED(status1));
  ASSERT_TRUE(WIFEXITED(status2));
  EXPECT_EQ(WEXITSTATUS(status1), 0);
  EXPECT_EQ(WEXITSTATUS(status2), 0);
  EXPECT_TRUE(Leftovers("C:\\TEMP").empty());
}

// Blocks of `lines` lines each, every one inserted twice.
std::string LineBlocks(int blocks, int lines) {
  std::string defs, entities;
  for (int b = 0; b < blocks; ++b) {
    std::string body;
    for (int i = 0; i < lines; ++i) body += LineEntity("0", std::to_string(i), "0", std::to_string(i + 1), "0");
    defs += Block("B" + std::to_string(b), "0", "0", body);
    for (int k = 0; k < 2; ++k)
      entities += Pairs({"0", "INSERT", "8", "0", "2", "B" + std::to_string(b), "10", std::to_string(k), "20", "0"});
  }
  return Drawing(defs, entities);
}

TEST_F(BlockFilesTest, OnAMemoryFileSystemTheWindowsFolderLinksToTheFiles) {
  if (winplat::MemoryTempFolder().empty()) GTEST_SKIP() << "no memory-backed file system here";
  bool looked = false;
  dxf->reader.Yield = [&] {
    if (looked || db().BlockCount < 2 || db().InBlock) return;
    looked = true;
    const std::vector<fs::path> folders = Leftovers("C:\\TEMP");
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(fs::symlink_status(folders[0]).type(), fs::file_type::symlink);
    // The Windows name of each block file reaches it, and nobody else may look.
    const fs::path first = winplat::HostPath(db().BlockTable(1).TempFile.Trimmed());
    EXPECT_EQ(fs::canonical(first).parent_path().parent_path(), winplat::MemoryTempFolder());
    EXPECT_EQ(fs::status(first).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(winplat::MemoryTempFolder()).permissions(), fs::perms::owner_all);
  };
  ASSERT_TRUE(Load(Put("two.dxf", TwoBlockDrawing())));
  dxf->reader.Yield = nullptr;
  EXPECT_TRUE(looked);
  EXPECT_EQ(db().LineCount, 4);
  EXPECT_TRUE(Leftovers("C:\\TEMP").empty());
  fs::remove(winplat::MemoryTempFolder());  // the machine's memory folder, empty again
}

TEST_F(BlockFilesTest, AFullMemoryFileSystemSendsTheRestOfTheReadToDisk) {
  if (winplat::MemoryTempFolder().empty()) GTEST_SKIP() << "no memory-backed file system here";
  const std::string text = LineBlocks(6, 300);
  ASSERT_TRUE(Load(Put("blocks.dxf", text)));
  const std::int32_t lines = db().LineCount;
  ASSERT_EQ(lines, 6 * 300 * 2);
  // About two blocks' worth of records fit; the third block's file fills the memory.
  kelvane::BlockSpool::SetMemoryAllowance(30000);
  std::vector<std::string> names;
  bool onDisk = false;
  dxf->reader.Yield = [&] {
    if (db().BlockCount < 6 || db().InBlock || onDisk) return;
    const std::vector<fs::path> folders = Leftovers("C:\\TEMP");
    onDisk = folders.size() == 1 && fs::symlink_status(folders[0]).type() == fs::file_type::directory;
    for (int i = 1; i <= db().BlockCount; ++i) {
      names.push_back(db().BlockTable(i).TempFile.Trimmed());
      EXPECT_TRUE(fs::is_regular_file(winplat::HostPath(names.back()))) << names.back();
    }
  };
  db().InitDB(true);
  const bool loaded = Load(Put("blocks.dxf", text));
  kelvane::BlockSpool::SetMemoryAllowance(0);
  dxf->reader.Yield = nullptr;
  ASSERT_TRUE(loaded);
  EXPECT_EQ(db().LineCount, lines);  // nothing lost on the way
  EXPECT_TRUE(onDisk);
  ASSERT_EQ(names.size(), 6u);
  for (std::size_t i = 1; i < names.size(); ++i) EXPECT_NE(names[i], names[i - 1]);
  EXPECT_TRUE(Leftovers("C:\\TEMP").empty());
  fs::remove(winplat::MemoryTempFolder());
}

}  // namespace
