// Temporary block files: in the reading process's memory, on disk past the
// allowance, who may read them there, and that nothing is left once a read has
// ended, whether it succeeded, failed or was killed; two reads at once, in one
// process or in two, never meet.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <regex>

#include "../block_spool.h"
#include "drawing_text.h"
#include "reader_fixture.h"
#include "winplat/files.h"
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

// The block files of these reads go to disk (no memory allowance), where
// their folder and its files can be looked at.
class BlockFilesTest : public ReaderTest {
 protected:
  void SetUp() override {
    ReaderTest::SetUp();
    kelvane::BlockSpool::SetMemoryAllowance(0);
  }
  void TearDown() override { kelvane::BlockSpool::SetMemoryAllowance(-1); }

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

// Every line of the drawing read, one a text line: two reads gave the same
// drawing when their dumps are equal.
std::string LineDump(kelvane::EntityDB& db) {
  std::string dump;
  char row[160];
  for (std::int32_t i = 1; i <= db.LineCount; ++i) {
    const kelvane::LineRecord& l = db.LineTable(i);
    std::snprintf(row, sizeof row, "%.9g %.9g %.9g %.9g %d %d %d %d\n", l.X1, l.Y1, l.X2, l.Y2, l.Layer, l.Color,
                  l.LineStyle, l.InsertID);
    dump += row;
  }
  return dump;
}

// Many blocks in chains of four, each inserting the one before it, the first
// of all inserting one defined last (deferred); every block placed twice.
std::string ManyBlockDrawing() {
  std::string defs, entities;
  for (int b = 0; b < 60; ++b) {
    std::string body;
    for (int i = 0; i < 20; ++i)
      body += LineEntity(std::to_string(b % 3), std::to_string(b), std::to_string(i), std::to_string(i + 1), "7");
    if (b % 4 != 0) body += Pairs({"0", "INSERT", "8", "0", "2", "B" + std::to_string(b - 1), "10", "3", "20", "1"});
    if (b == 0) body += Pairs({"0", "INSERT", "8", "0", "2", "LATE", "10", "5", "20", "5"});
    defs += Block("B" + std::to_string(b), "0", "0", body);
    for (int k = 0; k < 2; ++k)
      entities += Pairs({"0", "INSERT", "8", "0", "2", "B" + std::to_string(b), "10", std::to_string(k * 100), "20",
                         std::to_string(b), "50", k ? "30" : "0"});
  }
  defs += Block("LATE", "0", "0", LineEntity("0", "0", "0", "9", "9"));
  return Drawing(defs, entities);
}

// Nothing of a read anywhere: no block folder or file in the temporary folder
// or the root of C, no memory folder of an earlier build.
void ExpectNothingLeft(const std::string& when) {
  EXPECT_TRUE(Leftovers("C:\\TEMP").empty()) << when;
  EXPECT_TRUE(Leftovers("C:\\").empty()) << when;
  for (const fs::path& retired : winplat::RetiredMemoryFolders()) EXPECT_FALSE(fs::exists(retired)) << when;
}

// Reads `path` in a child process, over and over, and kills it with SIGKILL
// after `yields` of its reader's yields. True when the child was killed.
bool KillReadAfter(const std::string& path, int yields, bool onDisk) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return false;
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    close(pipeFds[0]);
    kelvane::BlockSpool::SetMemoryAllowance(onDisk ? 0 : -1);
    auto control = winplat::MakeObject<kelvane::DXF>();
    control->db.InitDB(true);
    control->reader.Yield = [&] {
      const char byte = 1;
      if (write(pipeFds[1], &byte, 1) != 1) _exit(3);
    };
    for (int i = 0; i < 20; ++i) {
      try {
        kelvane::LoadDXF(*control, path, nullptr, nullptr);
      } catch (...) {
        _exit(2);
      }
    }
    _exit(0);
  }
  close(pipeFds[1]);
  char byte = 0;
  for (int seen = 0; seen < yields && read(pipeFds[0], &byte, 1) == 1; ++seen) {
  }
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(pipeFds[0]);
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

TEST_F(BlockFilesTest, InMemoryNoFileOrFolderReachesTheDisk) {
  kelvane::BlockSpool::SetMemoryAllowance(-1);  // the default: memory
  const std::size_t before = winplat::MemoryFiles::Count();
  std::size_t during = 0;
  Seen seen = ReadAndLook(TwoBlockDrawing(), "C:\\TEMP");
  EXPECT_TRUE(seen.folders.empty());
  ASSERT_EQ(seen.tempFiles.size(), 2u);
  // The Windows names are those the disk folder would have.
  EXPECT_EQ(seen.tempFiles[0].rfind("C:\\TEMP\\KLV", 0), 0u) << seen.tempFiles[0];
  EXPECT_EQ(seen.tempFiles[0].size(), std::string("C:\\TEMP\\KLV0123456789ABCDEF\\1.TMP").size());
  EXPECT_EQ(seen.tempFiles[1].substr(0, seen.tempFiles[1].size() - 5),
            seen.tempFiles[0].substr(0, seen.tempFiles[0].size() - 5));
  EXPECT_FALSE(winplat::FolderExists(seen.tempFiles[0].substr(0, seen.tempFiles[0].rfind('\\'))));
  dxf->reader.Yield = [&] {
    if (db().BlockCount == 2 && !db().InBlock) during = winplat::MemoryFiles::Count();
  };
  db().InitDB(true);
  ASSERT_TRUE(Load(Put("two.dxf", TwoBlockDrawing())));
  dxf->reader.Yield = nullptr;
  EXPECT_EQ(during, before + 2);
  EXPECT_EQ(winplat::MemoryFiles::Count(), before);
  EXPECT_EQ(db().LineCount, 4);
  ExpectNothingLeft("after the read");

  // The root of C when the folder is missing, in memory too.
  dxf->SetTmpFileNamePath("C:\\NOWHERE\\");
  db().InitDB(true);
  seen = ReadAndLook(TwoBlockDrawing(), "C:\\");
  EXPECT_TRUE(seen.folders.empty());
  EXPECT_EQ(seen.tempFiles.at(0).rfind("C:\\KLV", 0), 0u) << seen.tempFiles[0];
  EXPECT_EQ(winplat::MemoryFiles::Count(), before);
}

TEST_F(BlockFilesTest, PastTheAllowanceTheRestGoesToDiskAndTheDrawingIsTheSame) {
  const std::string path = Put("many.dxf", ManyBlockDrawing());
  kelvane::BlockSpool::SetMemoryAllowance(-1);
  ASSERT_TRUE(Load(path));
  const std::string whole = LineDump(db());
  ASSERT_GT(db().LineCount, 5000);
  // The same drawing all in memory, moved to disk part way, and all on disk.
  for (std::int64_t allowance : {std::int64_t{1} << 30, std::int64_t{30000}, std::int64_t{0}}) {
    kelvane::BlockSpool::SetMemoryAllowance(allowance);
    bool sawFolder = false;
    dxf->reader.Yield = [&] { sawFolder = sawFolder || Leftovers("C:\\TEMP").size() == 1; };
    db().InitDB(true);
    ASSERT_TRUE(Load(path)) << allowance;
    dxf->reader.Yield = nullptr;
    EXPECT_EQ(LineDump(db()), whole) << allowance;
    EXPECT_EQ(sawFolder, allowance < (std::int64_t{1} << 30)) << allowance;
    ExpectNothingLeft("allowance " + std::to_string(allowance));
  }
}

// FIELDRAY_BLOCK_MEMORY, restored when the test ends.
class AllowanceVariable {
 public:
  AllowanceVariable() {
    const char* was = std::getenv("FIELDRAY_BLOCK_MEMORY");
    if (was) was_ = was;
    kelvane::BlockSpool::SetMemoryAllowance(-1);
  }
  ~AllowanceVariable() {
    if (was_)
      setenv("FIELDRAY_BLOCK_MEMORY", was_->c_str(), 1);
    else
      unsetenv("FIELDRAY_BLOCK_MEMORY");
  }
  // The allowance with the variable set to `text`, and what it said on standard error.
  std::uint64_t With(const char* text, std::string* said) {
    setenv("FIELDRAY_BLOCK_MEMORY", text, 1);
    testing::internal::CaptureStderr();
    const std::uint64_t bytes = kelvane::BlockSpool::MemoryAllowance();
    *said = testing::internal::GetCapturedStderr();
    return bytes;
  }

 private:
  std::optional<std::string> was_;
};

TEST_F(BlockFilesTest, TheAllowanceIsACountOfBytesAndABadOneIsNamedOnce) {
  AllowanceVariable variable;
  std::string said;
  // A good value: taken as it is, without a word; none or an empty one: a
  // quarter of the machine's memory at most (less under a limit).
  EXPECT_EQ(variable.With("0", &said), 0u);
  EXPECT_EQ(variable.With("123456", &said), 123456u);
  EXPECT_EQ(said, "");
  const std::uint64_t fallback = variable.With("", &said);
  EXPECT_EQ(said, "");
  EXPECT_GT(fallback, 0u);
  EXPECT_LE(fallback, winplat::MachineMemoryBytes() / 4);
  for (const char* bad : {"100k", "-1", "lots", "1e9", " 5", "99999999999999999999999"}) {
    SCOPED_TRACE(bad);
    const std::uint64_t used = variable.With(bad, &said);
    EXPECT_GT(used, 0u);
    EXPECT_LE(used, winplat::MachineMemoryBytes() / 4);
    EXPECT_EQ(said, "FIELDRAY_BLOCK_MEMORY=" + std::string(bad) + " is not a number of bytes; using " +
                        std::to_string(used) + "\n");
    // Named once while it stays; after a good value, named again.
    variable.With(bad, &said);
    EXPECT_EQ(said, "");
    variable.With("1000", &said);
    variable.With(bad, &said);
    EXPECT_NE(said, "");
  }
}

TEST_F(BlockFilesTest, KilledReadsLeaveNothingOnceTheNextReadOrStartHasRun) {
  const std::string path = Put("many.dxf", ManyBlockDrawing());
  kelvane::BlockSpool::SetMemoryAllowance(-1);
  ASSERT_TRUE(Load(path));
  const std::string whole = LineDump(db());
  const int yieldsPerRead = dxf->reader.YieldCount;
  ASSERT_GT(yieldsPerRead, 100);
  std::mt19937 random(5454);
  std::uniform_int_distribution<int> when(1, yieldsPerRead * 2);

  // In memory: a killed read leaves nothing anywhere (nothing reaches the
  // disk at all, so a few kills tell as much as many).
  for (int k = 0; k < 3; ++k) {
    ASSERT_TRUE(KillReadAfter(path, when(random), false)) << k;
    ExpectNothingLeft("memory, kill " + std::to_string(k));
  }
  // On disk: a killed read leaves its folder, free for the next read or start.
  int leftBehind = 0;
  for (int k = 0; k < 12; ++k) {
    ASSERT_TRUE(KillReadAfter(path, when(random), true)) << k;
    leftBehind += static_cast<int>(Leftovers("C:\\TEMP").size());
    if (k % 2 == 0) continue;
    if (k % 4 == 1) {
      // The program's start.
      winplat::RemoveUnheldFolders("C:\\TEMP", "KLV????????????????");
      winplat::RemoveUnheldFolders("C:\\", "KLV????????????????");
    } else {
      db().InitDB(true);
      ASSERT_TRUE(Load(path));
      EXPECT_EQ(LineDump(db()), whole);
    }
    ExpectNothingLeft("disk, kill " + std::to_string(k));
  }
  EXPECT_GT(leftBehind, 0);
  kelvane::BlockSpool::SetMemoryAllowance(-1);
  db().InitDB(true);
  ASSERT_TRUE(Load(path));
  EXPECT_EQ(LineDump(db()), whole);
  ExpectNothingLeft("after the last read");
}

TEST_F(BlockFilesTest, AHeldFolderStaysWhileFreeOnesAndEarlierLinksGo) {
  const std::string path = Put("many.dxf", ManyBlockDrawing());
  ASSERT_TRUE(Load(path));
  const std::string whole = LineDump(db());
  const fs::path temp = winplat::HostPath("C:\\TEMP"), rootC = winplat::HostPath("C:\\");
  // A folder no read holds, a file and a folder of other names that stay.
  fs::create_directory(temp / "KLV00000000000000AA");
  testsupport::WriteFile(temp / "KLV00000000000000AA" / "1.TMP", "2\r\n");
  fs::create_directory(rootC / "KLVJOBS");
  testsupport::WriteFile(temp / "KLV00000000000000AB", "a file");
  // An earlier build's links: one to its folder in memory, one dangling.
  fs::path memory;
  for (const fs::path& retired : winplat::RetiredMemoryFolders()) {
    std::error_code ec;
    if (memory.empty() && fs::create_directory(retired, ec)) memory = retired;
  }
  if (!memory.empty()) {
    fs::create_directory(memory / "KLV00000000000000BB");
    testsupport::WriteFile(memory / "KLV00000000000000BB" / "1.TMP", "2\r\n");
    fs::create_directory_symlink(memory / "KLV00000000000000BB", temp / "KLV00000000000000BB");
    fs::create_directory_symlink(memory / "KLV00000000000000CC", rootC / "KLV00000000000000CC");
  }
  // While a read runs, a sweep leaves its folder alone.
  bool swept = false;
  dxf->reader.Yield = [&] {
    if (swept || db().BlockCount < 10) return;
    swept = true;
    kelvane::RemoveBlockLeftovers("C:\\TEMP\\");
    EXPECT_EQ(Leftovers("C:\\TEMP").size(), 2u);  // this read's folder, and the file
  };
  db().InitDB(true);
  ASSERT_TRUE(Load(path));
  dxf->reader.Yield = nullptr;
  EXPECT_TRUE(swept);
  EXPECT_EQ(LineDump(db()), whole);
  EXPECT_FALSE(fs::exists(fs::symlink_status(temp / "KLV00000000000000AA")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(temp / "KLV00000000000000BB")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(rootC / "KLV00000000000000CC")));
  if (!memory.empty()) {
    EXPECT_FALSE(fs::exists(memory));
  }
  EXPECT_TRUE(fs::is_directory(rootC / "KLVJOBS"));
  EXPECT_TRUE(fs::is_regular_file(temp / "KLV00000000000000AB"));
  fs::remove(temp / "KLV00000000000000AB");
  fs::remove(rootC / "KLVJOBS");
  ExpectNothingLeft("after the sweeps");
}

TEST_F(BlockFilesTest, ARecordTheDiskCannotTakeFailsTheRead) {
  // Blocks of some 10 KB each: the first passes a 4 KB file-size limit.
  const std::string path = Put("big.dxf", LineBlocks(3, 400));
  ASSERT_TRUE(Load(path));
  ASSERT_EQ(db().LineCount, 3 * 400 * 2);
  // All on disk; moved to disk within the first block, the rest failing;
  // moved at the second block, copying the first one failing.
  for (std::int64_t allowance : {std::int64_t{0}, std::int64_t{3000}, std::int64_t{12000}}) {
    kelvane::BlockSpool::SetMemoryAllowance(allowance);
    std::string description;
    const bool failedAsItShould = testsupport::InChildWithFileSizeLimit(4096, [&] {
      dxf->SetFilename(path);
      try {
        dxf->Regen(kelvane::dxfMergeNew);
        return false;  // a drawing short of records answered as success
      } catch (const winplat::AutomationError& e) {
        description = e.Description();
      }
      // The first block's file, met when its block ends, and the trail up to Regen.
      static const std::regex expected(
          "At entity type 'ENDBLK'\\. \r\nDisk full: C:\\\\TEMP\\\\KLV[0-9A-F]{16}\\\\[0-9]+\\.TMP\r\n"
          " ->  EndBlock\\.\r\n ->  LoadDXF\\.\r\n ->  Regen\\.");
      if (!std::regex_match(description, expected)) std::fprintf(stderr, "%s\n", description.c_str());
      return std::regex_match(description, expected) && db().LineCount == 0 && winplat::MemoryFiles::Count() == 0;
    });
    EXPECT_TRUE(failedAsItShould) << "allowance " << allowance;
    // The child's folder is free once it has ended; the next read removes it.
    kelvane::BlockSpool::SetMemoryAllowance(-1);
    db().InitDB(true);
    ASSERT_TRUE(Load(path));
    EXPECT_EQ(db().LineCount, 3 * 400 * 2);
    ExpectNothingLeft("after the failed read");
  }
}

}  // namespace
