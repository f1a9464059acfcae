#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"
#include "winplat/files.h"
#include "winplat/paths.h"

namespace {

namespace fs = std::filesystem;
using winplat::ReplacingWriter;

// An empty C:\Out, whatever earlier tests left in it.
void EmptyOut() { fs::remove_all(winplat::HostPath("C:\\Out")); }

fs::path Put(const std::string& windowsPath, const std::string& bytes) {
  return testsupport::WriteFile(winplat::HostPath(windowsPath), bytes);
}

// Names in a folder, so a test can see that no temporary file is left.
std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReplacingWriter, CommitPutsTheNewBytesInPlaceKeepingPermissionsAndLinks) {
  EmptyOut();
  fs::path host = Put("C:\\Out\\drawing.dxf", "old contents");
  fs::permissions(host, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ReplacingWriter out = ReplacingWriter::Open("c:\\out\\DRAWING.DXF");
  ASSERT_TRUE(out.IsOpen());
  EXPECT_TRUE(out.Write("new "));
  EXPECT_TRUE(out.Write(std::string(100000, 'x')));  // past the write chunk
  EXPECT_EQ(testsupport::ReadFile(host), "old contents");  // nothing shows before the commit
  ASSERT_TRUE(out.Commit());
  EXPECT_EQ(testsupport::ReadFile(host), "new " + std::string(100000, 'x'));
  EXPECT_EQ(fs::status(host).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Listing(host.parent_path()), std::vector<std::string>{"drawing.dxf"});
  EXPECT_FALSE(out.Write("late"));  // committed: nothing more goes anywhere

  // A link keeps pointing at the replaced file.
  fs::create_symlink(host, host.parent_path() / "link.dxf");
  ReplacingWriter viaLink = ReplacingWriter::Open("C:\\Out\\link.dxf");
  ASSERT_TRUE(viaLink.Write("new") && viaLink.Commit());
  EXPECT_TRUE(fs::is_symlink(host.parent_path() / "link.dxf"));
  EXPECT_EQ(testsupport::ReadFile(host), "new");
}

TEST(ReplacingWriter, DroppedOrAbandonedLeavesTheTargetAsItWas) {
  EmptyOut();
  fs::path host = Put("C:\\Out\\keep.dxf", "kept");
  {
    ReplacingWriter out = ReplacingWriter::Open("C:\\Out\\keep.dxf");
    ASSERT_TRUE(out.IsOpen());
    out.Write("half written");
  }
  ReplacingWriter again = ReplacingWriter::Open("C:\\Out\\keep.dxf");
  again.Write("also half");
  again.Abandon();
  EXPECT_FALSE(again.Commit());
  ReplacingWriter fresh = ReplacingWriter::Open("C:\\Out\\new.dxf");
  ReplacingWriter moved = std::move(fresh);
  moved.Write("never committed");
  moved = ReplacingWriter();
  EXPECT_EQ(testsupport::ReadFile(host), "kept");
  EXPECT_EQ(Listing(host.parent_path()), std::vector<std::string>{"keep.dxf"});
}

TEST(ReplacingWriter, RefusalsSayWhyAndWriteNothing) {
  EmptyOut();
  fs::path host = Put("C:\\Out\\open.dxf", "in use");
  winplat::File reader = winplat::File::OpenForReading("C:\\Out\\open.dxf");
  ASSERT_TRUE(reader.IsOpen());
  struct Case {
    const char* path;
    std::uint32_t error;
  } cases[] = {
      {"C:\\Out\\open.dxf", winplat::ERROR_SHARING_VIOLATION},
      {"C:\\NoFolder\\x.dxf", winplat::ERROR_PATH_NOT_FOUND},
      {"C:\\Out", winplat::ERROR_ACCESS_DENIED},
      {"\\\\.\\WRTdev0", winplat::ERROR_INVALID_NAME},
  };
  for (const auto& c : cases) {
    ReplacingWriter out = ReplacingWriter::Open(c.path);
    EXPECT_FALSE(out.IsOpen()) << c.path;
    EXPECT_EQ(out.Error(), c.error) << c.path;
    EXPECT_FALSE(out.Write("x")) << c.path;
    EXPECT_FALSE(out.Commit()) << c.path;
  }
  EXPECT_EQ(testsupport::ReadFile(host), "in use");
  EXPECT_EQ(Listing(host.parent_path()), std::vector<std::string>{"open.dxf"});
  // What stands in a target's place says what it is.
  EXPECT_EQ(ReplacingWriter::Open("C:\\Out").SystemError(), EISDIR);
  const fs::path pipe = host.parent_path() / "pipe.dxf";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(ReplacingWriter::Open("C:\\Out\\pipe.dxf").SystemError(), EINVAL);
  EXPECT_EQ(ReplacingWriter::ReplaceHost(pipe, "x"), EINVAL);
  fs::remove(pipe);
  reader.Close();
  ReplacingWriter out = ReplacingWriter::Open("C:\\Out\\open.dxf");
  ASSERT_TRUE(out.IsOpen());
  // While it is being replaced, the target is not open to others.
  EXPECT_EQ(winplat::File::OpenForReading("C:\\Out\\open.dxf").Error(), winplat::ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(out.Write("free") && out.Commit());
  EXPECT_EQ(testsupport::ReadFile(host), "free");
}

// Temporaries of writes a kill interrupted go when their target is next
// written (only a dead writer's, only that target's) or when a whole folder
// is swept; a live writer's temporary stays.
TEST(ReplacingWriter, LeftoversOfDeadWritersGoAndAreNeverCounted) {
  const fs::path folder = winplat::HostPath("C:\\Left");
  fs::remove_all(folder);
  const std::string live = ".~" + std::to_string(::getpid()) + "-77";
  Put("C:\\Left\\Fldry.INI", "old");
  for (const std::string& name :
       std::vector<std::string>{"Fldry.INI.~4194399-0", "Fldry.INI" + live, "Tool.Dat.~4194399-1", "Fldry.INI.~x-1"})
    Put("C:\\Left\\" + name, "part");
  EXPECT_EQ(winplat::FCount("C:\\Left\\*.*"), 2) << "only the target and a name that is no temporary";

  ReplacingWriter w = ReplacingWriter::Open("C:\\Left\\Fldry.INI");
  ASSERT_TRUE(w.Write("new", 3) && w.Commit());
  EXPECT_EQ(Listing(folder), (std::vector<std::string>{"Fldry.INI", "Fldry.INI" + live, "Fldry.INI.~x-1",
                                                       "Tool.Dat.~4194399-1"}));
  EXPECT_EQ(winplat::RemoveWriteLeftovers(winplat::HostPath("C:\\"), true), 1);
  EXPECT_EQ(Listing(folder), (std::vector<std::string>{"Fldry.INI", "Fldry.INI" + live, "Fldry.INI.~x-1"}));
  EXPECT_TRUE(winplat::IsReplacingTemporary("PLATE.DXF.~12-0"));
  for (const char* name : {"PLATE.DXF", ".~12-0", "PLATE.~12-", "PLATE.~-3", "PLATE.~12-0x"})
    EXPECT_FALSE(winplat::IsReplacingTemporary(name)) << name;
}

TEST(SameFile, AfterMappingCaseAndLinks) {
  fs::path a = Put("C:\\Fieldray\\Part.dxf", "a");
  Put("C:\\Fieldray\\Other.dxf", "b");
  fs::create_directories(winplat::HostPath("C:\\Links"));
  fs::create_symlink(a, winplat::HostPath("C:\\Links") / "alias.dxf");
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"C:\\Fieldray\\Part.dxf", "c:\\FIELDRAY\\part.DXF", true},
      {"C:\\Fieldray\\Part.dxf", "Part.dxf", true},  // relative to the current folder
      {"C:\\Fieldray\\Part.dxf", "C:\\Fieldray\\..\\Fieldray\\.\\Part.dxf", true},
      {"C:\\Links\\alias.dxf", "C:\\Fieldray\\Part.dxf", true},
      {"C:\\Fieldray\\Part.dxf", "C:\\Fieldray\\Other.dxf", false},
      {"C:\\Fieldray\\Part.dxf", "C:\\Fieldray\\Missing.dxf", false},
      {"C:\\Fieldray\\New.dxf", "c:\\fieldray\\NEW.DXF", true},  // neither exists yet
      {"C:\\Fieldray\\New.dxf", "C:\\Fieldray\\New2.dxf", false},
      {"\\\\.\\WRTdev0", "\\\\.\\WRTdev0", false},
  };
  for (const auto& c : cases) EXPECT_EQ(winplat::SameFile(c.a, c.b), c.same) << c.a << " | " << c.b;
}

}  // namespace
