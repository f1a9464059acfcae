#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"
#include "winplat/folders.h"
#include "winplat/paths.h"

namespace {

namespace fs = std::filesystem;
using winplat::FullPath;
using winplat::HostPath;
using winplat::PathError;

// Restores the current folder and program name a test changed.
class PathsTest : public ::testing::Test {
 protected:
  void TearDown() override { winplat::SetExeName(""); }
  fs::path root = winplat::MachineRoot();
};

TEST_F(PathsTest, MapsDriveAndMatchesExistingCase) {
  testsupport::WriteFile(root / "C" / "Fieldray" / "Fldry.INI", "x");
  EXPECT_EQ(HostPath("c:\\FIELDRAY\\fldry.ini"), root / "C" / "Fieldray" / "Fldry.INI");
  EXPECT_EQ(HostPath("C:/Fieldray/FLDRY.ini"), root / "C" / "Fieldray" / "Fldry.INI");
  // Missing folders and files are taken as given, on their own drive.
  EXPECT_EQ(HostPath("d:\\new\\File.txt"), root / "D" / "new" / "File.txt");
  EXPECT_EQ(HostPath("C:\\Fieldray\\New Folder\\a.TXT"), root / "C" / "Fieldray" / "New Folder" / "a.TXT");
}

TEST_F(PathsTest, NamesDifferingOnlyInCase) {
  fs::path dir = root / "C" / "Cases";
  testsupport::WriteFile(dir / "data.txt", "lower");
  testsupport::WriteFile(dir / "DATA.txt", "upper");
  testsupport::WriteFile(dir / "Data.txt", "mixed");
  // The exact spelling wins; otherwise the first in sorted order ("DATA" < "Data" < "data").
  EXPECT_EQ(HostPath("C:\\Cases\\Data.txt"), dir / "Data.txt");
  EXPECT_EQ(HostPath("C:\\Cases\\data.txt"), dir / "data.txt");
  EXPECT_EQ(HostPath("C:\\Cases\\daTA.TXT"), dir / "DATA.txt");
  EXPECT_EQ(HostPath("C:\\cASES\\dATA.txt"), dir / "DATA.txt");
}

TEST_F(PathsTest, DotsAndTrailingBlanksAsWindowsReadsThem) {
  EXPECT_EQ(FullPath("C:\\A\\.\\B\\..\\C"), "C:\\A\\C");
  EXPECT_EQ(FullPath("c:\\a\\b.txt. "), "C:\\a\\b.txt");
  EXPECT_EQ(FullPath("C:\\"), "C:\\");
  EXPECT_EQ(FullPath("C:\\A\\..\\"), "C:\\");
}

TEST_F(PathsTest, RelativePathsUseTheCurrentFolder) {
  EXPECT_EQ(winplat::CurrentFolder(), "C:\\Fieldray");
  EXPECT_EQ(FullPath("Fldry.INI"), "C:\\Fieldray\\Fldry.INI");
  EXPECT_EQ(FullPath("..\\TEMP\\x"), "C:\\TEMP\\x");
  EXPECT_EQ(FullPath("\\TEMP\\x"), "C:\\TEMP\\x");
  EXPECT_EQ(FullPath("C:x"), "C:\\Fieldray\\x");
  EXPECT_EQ(FullPath("D:x"), "D:\\x");

  EXPECT_FALSE(winplat::SetCurrentFolder("C:\\NoSuchFolder"));
  EXPECT_EQ(winplat::CurrentFolder(), "C:\\Fieldray");
  EXPECT_TRUE(winplat::SetCurrentFolder("c:\\temp\\"));
  EXPECT_EQ(winplat::CurrentFolder(), "C:\\temp");
  EXPECT_EQ(HostPath("1.TMP"), root / "C" / "TEMP" / "1.TMP");
}

TEST_F(PathsTest, EscapesAndDevicesAreRefused) {
  for (const char* bad : {"C:\\..\\etc\\passwd", "C:\\Fieldray\\..\\..\\x", "..\\..\\..\\x", "\\\\.\\WRTdev0",
                          "\\\\?\\C:\\x", "\\\\server\\share\\x", "//./WRTdev0", "C:\\TEMP\\CON", "nul.txt",
                          "C:\\a\\LPT1", "C:\\a:b", "C:\\a\\b?c", "C:\\a*", "C:\\a<b", "", "C:\\a\x01"}) {
    EXPECT_THROW(HostPath(bad), PathError) << bad;
  }
  // Names that merely resemble devices are fine.
  EXPECT_NO_THROW(HostPath("C:\\TEMP\\CONSOLE.TXT"));
  EXPECT_NO_THROW(HostPath("C:\\TEMP\\COM10"));
}

// Host names are UTF-8, the program's are code page text (CP1252 bytes below).
TEST_F(PathsTest, HostNamesAreUtf8AndShowInTheCodePage) {
  const fs::path dir = root / "C" / "Names";
  testsupport::WriteFile(dir / "Pl\xC3\xA4tte \xC3\x98.DXF", "utf8");       // Plätte Ø
  testsupport::WriteFile(dir / "\xCE\xA9-part.DXF", "omega");                   // Ω: not in CP1252
  testsupport::WriteFile(dir / "Old\xE9.DXF", "raw");                           // stored raw by an earlier build
  testsupport::WriteFile(dir / "\xCE\xA8-one.DXF", "psi");                      // Ψ-one
  testsupport::WriteFile(dir / "\xCE\xA6-one.DXF", "phi");                      // Φ-one: shown alike
  struct Case {
    const char* windows;
    const char* host;  // "" when refused
  };
  const Case cases[] = {
      {"C:\\Names\\Pl\xE4tte \xD8.DXF", "Pl\xC3\xA4tte \xC3\x98.DXF"},
      {"C:\\Names\\PL\xE4TTE \xD8.dxf", "Pl\xC3\xA4tte \xC3\x98.DXF"},  // ASCII letters in any case
      {"C:\\Names\\?-part.DXF", "\xCE\xA9-part.DXF"},                     // "?" fits one entry
      {"C:\\Names\\Old\xE9.DXF", "Old\xE9.DXF"},                          // raw bytes still found
      {"C:\\Names\\Neu \xDF.txt", "Neu \xC3\x9F.txt"},                     // a new name is made UTF-8
      {"C:\\Names\\?-one.DXF", ""},                                         // fits two: refused
      {"C:\\Names\\?-none.DXF", ""},                                        // fits none: refused
  };
  for (const Case& c : cases) {
    if (*c.host) {
      EXPECT_EQ(HostPath(c.windows), dir / c.host) << c.windows;
    } else {
      EXPECT_THROW(HostPath(c.windows), PathError) << c.windows;
    }
  }
  EXPECT_EQ(winplat::WindowsPathOf(dir / "Pl\xC3\xA4tte \xC3\x98.DXF"), "C:\\Names\\Pl\xE4tte \xD8.DXF");
  EXPECT_EQ(winplat::WindowsPathOf(dir / "\xCE\xA9-part.DXF"), "C:\\Names\\?-part.DXF");
  EXPECT_EQ(winplat::WindowsPathOf(dir / "Old\xE9.DXF"), "C:\\Names\\Old\xE9.DXF");  // not UTF-8: byte for byte
}

TEST_F(PathsTest, HostPathsMapBack) {
  EXPECT_EQ(winplat::WindowsPathOf(root / "C" / "TEMP" / "a.txt"), "C:\\TEMP\\a.txt");
  EXPECT_EQ(winplat::WindowsPathOf(root / "D"), "D:\\");
  EXPECT_THROW(winplat::WindowsPathOf("/etc/passwd"), PathError);
  EXPECT_THROW(winplat::WindowsPathOf(root / "machine" / "x"), PathError);
}

TEST_F(PathsTest, KnownFoldersExistInTheRoot) {
  EXPECT_EQ(winplat::WindowsDirectory(), "C:\\WINDOWS");
  EXPECT_EQ(winplat::SystemDirectory(), "C:\\WINDOWS\\SYSTEM32");
  EXPECT_EQ(winplat::TempFolder(), "C:\\TEMP");
  EXPECT_EQ(winplat::ProgramFolder(), "C:\\Fieldray\\");
  EXPECT_EQ(winplat::ExeName(), "C:\\Fieldray\\Fieldray.exe");
  for (const auto& folder : {winplat::WindowsDirectory(), winplat::SystemDirectory(), winplat::TempFolder(),
                             winplat::ProgramFolder()})
    EXPECT_TRUE(fs::is_directory(HostPath(folder))) << folder;
}

TEST_F(PathsTest, ProgramElsewhereMovesProgramFolderAndCurrentFolder) {
  winplat::SetExeName("C:\\Program Files\\Tools\\Run.EXE");
  EXPECT_EQ(winplat::ProgramFolder(), "C:\\Program Files\\Tools\\");
  EXPECT_EQ(winplat::CurrentFolder(), "C:\\Program Files\\Tools");
  winplat::SetExeName("d:\\Tool.exe");
  EXPECT_EQ(winplat::ExeName(), "D:\\Tool.exe");
  EXPECT_EQ(winplat::ProgramFolder(), "D:\\");
  EXPECT_EQ(winplat::CurrentFolder(), "D:\\");
  EXPECT_EQ(FullPath("a.txt"), "D:\\a.txt");
  winplat::SetExeName("");
  EXPECT_EQ(winplat::ExeName(), "C:\\Fieldray\\Fieldray.exe");
}

TEST_F(PathsTest, ProfileFilesWithoutFolderLiveInTheWindowsDirectory) {
  EXPECT_EQ(winplat::ProfileFilePath("VX.INI"), "C:\\WINDOWS\\VX.INI");
  EXPECT_EQ(winplat::ProfileFilePath("C:\\Fieldray\\Fldry.INI"), "C:\\Fieldray\\Fldry.INI");
  EXPECT_EQ(winplat::ProfileFilePath(".\\Fldry.INI"), "C:\\Fieldray\\Fldry.INI");
}

TEST_F(PathsTest, DirectoryBuffersFollowWindowsShape) {
  char buf[64];
  EXPECT_EQ(winplat::GetSystemDirectoryA(buf, sizeof buf), 19u);
  EXPECT_STREQ(buf, "C:\\WINDOWS\\SYSTEM32");
  char small[5] = "abc";
  EXPECT_EQ(winplat::GetWindowsDirectoryA(small, sizeof small), 11u);  // the size needed, NUL included
  EXPECT_STREQ(small, "abc");
}

// A machine root of its own, filled from a template of its own.
class MachineRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = std::getenv("FIELDRAY_ROOT");
    if (const char* t = std::getenv("FIELDRAY_TEMPLATE")) savedTemplate = t;
    base = testsupport::Root() / "roots";
    tmpl = base / "template";
    testsupport::WriteFile(tmpl / "C" / "Fieldray" / "Fldry.INI", "[Main]\r\nTop=1\r\n");
    testsupport::WriteFile(tmpl / "C" / "WINDOWS" / "SYSTEM32" / "VX.T32", "S0\r\n");
    setenv("FIELDRAY_TEMPLATE", tmpl.c_str(), 1);
  }
  void TearDown() override {
    setenv("FIELDRAY_ROOT", saved.c_str(), 1);
    if (savedTemplate.empty()) unsetenv("FIELDRAY_TEMPLATE");
    else setenv("FIELDRAY_TEMPLATE", savedTemplate.c_str(), 1);
    winplat::ResetMachineRoot();
  }
  fs::path UseRoot(const fs::path& r) {
    setenv("FIELDRAY_ROOT", r.c_str(), 1);
    winplat::ResetMachineRoot();
    return winplat::MachineRoot();
  }
  std::string saved;
  std::string savedTemplate;
  fs::path base, tmpl;
};

TEST_F(MachineRootTest, MissingRootIsMadeAndFilled) {
  fs::path r = UseRoot(base / "fresh" / "root");
  EXPECT_EQ(testsupport::ReadFile(r / "C" / "Fieldray" / "Fldry.INI"), "[Main]\r\nTop=1\r\n");
  EXPECT_EQ(testsupport::ReadFile(r / "C" / "WINDOWS" / "SYSTEM32" / "VX.T32"), "S0\r\n");
  EXPECT_TRUE(fs::is_directory(r / "C" / "TEMP"));
  EXPECT_EQ(HostPath("C:\\Fieldray\\Fldry.INI"), r / "C" / "Fieldray" / "Fldry.INI");
}

TEST_F(MachineRootTest, FilledRootKeepsItsFilesAndGetsWhatItLacks) {
  fs::path r = base / "used";
  testsupport::WriteFile(r / "C" / "Fieldray" / "Fldry.INI", "[Main]\r\nTop=999\r\n");
  UseRoot(r);
  EXPECT_EQ(testsupport::ReadFile(r / "C" / "Fieldray" / "Fldry.INI"), "[Main]\r\nTop=999\r\n");
  EXPECT_EQ(testsupport::ReadFile(r / "C" / "WINDOWS" / "SYSTEM32" / "VX.T32"), "S0\r\n");
  // No temporary copies are left behind.
  for (const auto& e : fs::recursive_directory_iterator(r / "C"))
    EXPECT_EQ(e.path().filename().string().find(".fill-"), std::string::npos) << e.path();
}

TEST_F(MachineRootTest, ARootIsFilledOnceAndLaterGetsBackOnlyWhatItLacksOutsideTheKeptFolders) {
  testsupport::WriteFile(tmpl / "C" / "Fieldray" / "Jobs" / "EX.NC", "G0\n");
  const fs::path r = base / "once";
  fs::remove_all(r);
  UseRoot(r);
  ASSERT_TRUE(fs::exists(r / "C" / "Fieldray" / "Jobs" / "EX.NC"));
  fs::remove(r / "C" / "Fieldray" / "Jobs" / "EX.NC");
  fs::remove(r / "C" / "WINDOWS" / "SYSTEM32" / "VX.T32");
  UseRoot(r);
  EXPECT_FALSE(fs::exists(r / "C" / "Fieldray" / "Jobs" / "EX.NC")) << "a filled root is not filled again";
  EXPECT_FALSE(fs::exists(r / "C" / "WINDOWS" / "SYSTEM32" / "VX.T32"));
  EXPECT_EQ(winplat::RestoreFromTemplate({"C:\\fieldray\\jobs\\"}),
            std::vector<std::string>{"C:\\WINDOWS\\SYSTEM32\\VX.T32"});
  EXPECT_FALSE(fs::exists(r / "C" / "Fieldray" / "Jobs" / "EX.NC"));
  EXPECT_EQ(testsupport::ReadFile(r / "C" / "WINDOWS" / "SYSTEM32" / "VX.T32"), "S0\r\n");

  // Without its template a filled root still opens; a new one is not made.
  setenv("FIELDRAY_TEMPLATE", (base / "no-template").c_str(), 1);
  EXPECT_EQ(UseRoot(r), r);
  const fs::path fresh = base / "new-without-template";
  fs::remove_all(fresh);
  setenv("FIELDRAY_ROOT", fresh.c_str(), 1);
  winplat::ResetMachineRoot();
  EXPECT_THROW(winplat::MachineRoot(), winplat::MachineRootError);
  EXPECT_FALSE(fs::exists(fresh));
}

TEST_F(MachineRootTest, TwoRootsAreTwoMachines) {
  fs::path a = UseRoot(base / "a");
  testsupport::WriteFile(HostPath("C:\\TEMP\\only-a.txt"), "a");
  fs::path b = UseRoot(base / "b");
  EXPECT_NE(a, b);
  EXPECT_FALSE(fs::exists(HostPath("C:\\TEMP\\only-a.txt")));
}

}  // namespace
