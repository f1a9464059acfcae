#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "winplat/paths.h"
#include "winplat/profile.h"

namespace {

namespace fs = std::filesystem;
using winplat::GetPrivateProfileIntA;
using winplat::GetPrivateProfileStringA;
using winplat::WritePrivateProfileStringA;

constexpr const char* kIni = "C:\\Fieldray\\Fldry.INI";

std::string Read(const char* section, const char* key, const char* def = "END.-", std::uint32_t size = 80,
                 const char* file = kIni) {
  char buf[300];
  std::uint32_t n = GetPrivateProfileStringA(section, key, def, buf, size, file);
  EXPECT_EQ(n, std::char_traits<char>::length(buf));
  return std::string(buf, n);
}

fs::path Host(const char* file = kIni) { return winplat::HostPath(file); }

TEST(Profile, ReadsAFileAsWindowsToolsWriteIt) {
  testsupport::WriteFile(Host(),
                         "; settings\r\n"
                         "[Main]\r\n"
                         "Top = 120 \r\n"
                         "  left=\t-35\r\n"
                         "Title=\"  Quoted Title  \"\r\n"
                         "Single='x'\r\n"
                         "Half=\"open\r\n"
                         "Empty=\r\n"
                         "\r\n"
                         "[ calibration ]\r\n"
                         "XPOSS=1.5\r\n"
                         "Latin=caf\xe9 \xb0\r\n");
  EXPECT_EQ(Read("Main", "Top"), "120");
  EXPECT_EQ(Read("MAIN", "LEFT"), "-35");
  EXPECT_EQ(Read("main", "title"), "  Quoted Title  ");
  EXPECT_EQ(Read("Main", "Single"), "x");
  EXPECT_EQ(Read("Main", "Half"), "\"open");
  EXPECT_EQ(Read("Main", "Empty"), "");  // present but empty: not the default
  EXPECT_EQ(Read("Calibration", "xposs"), "1.5");
  EXPECT_EQ(Read("Calibration", "Latin"), "caf\xe9 \xb0");
  EXPECT_EQ(Read("Calibration", "Top"), "END.-");  // keys belong to their own section
}

TEST(Profile, LineFeedFilesAndMissingThingsGiveTheDefault) {
  testsupport::WriteFile(Host(), "[Main]\nTop=1\nWidth=2");
  EXPECT_EQ(Read("Main", "Top"), "1");
  EXPECT_EQ(Read("Main", "Width"), "2");
  EXPECT_EQ(Read("Main", "Height"), "END.-");
  EXPECT_EQ(Read("Other", "Top"), "END.-");
  EXPECT_EQ(Read("Main", "Top", "d", 80, "C:\\Fieldray\\Missing.INI"), "d");
  EXPECT_EQ(Read("Main", "Height", "dflt   "), "dflt");  // trailing blanks of the default go
  EXPECT_EQ(Read("Main", "Height", nullptr), "");
}

TEST(Profile, AnswerIsCutToBufferSizeLessOne) {
  std::string longValue(100, 'v');
  ASSERT_NE(WritePrivateProfileStringA("Main", "Long", longValue.c_str(), kIni), 0);
  EXPECT_EQ(Read("Main", "Long", "", 80), std::string(79, 'v'));
  EXPECT_EQ(Read("Main", "Long", "", 1), "");
  char untouched[4] = "abc";
  EXPECT_EQ(GetPrivateProfileStringA("Main", "Long", "", untouched, 0, kIni), 0u);
  EXPECT_STREQ(untouched, "abc");
  EXPECT_EQ(Read("Main", "Missing", "defaultvalue", 5), "defa");
}

TEST(Profile, ReadsIntegers) {
  std::filesystem::remove(Host("C:\\WINDOWS\\VEXLIB.INI"));  // an earlier test's
  testsupport::WriteFile(Host("C:\\WINDOWS\\VX.INI"),
                         "[TB32]\r\nNumber of boards=2\r\nMaster Address=0x300\r\nSlave1 Address=0X3a8\r\n"
                         "Neg=-3\r\nJunk=abc\r\nLead=12abc\r\nEmpty=\r\n");
  EXPECT_EQ(GetPrivateProfileIntA("TB32", "Number of boards", 1, "VX.INI"), 2u);
  EXPECT_EQ(GetPrivateProfileIntA("tb32", "master address", 0, "VX.INI"), 0x300u);
  EXPECT_EQ(GetPrivateProfileIntA("TB32", "Slave1 Address", 0, "VX.INI"), 0x3A8u);
  EXPECT_EQ(static_cast<std::int32_t>(GetPrivateProfileIntA("TB32", "Neg", 0, "VX.INI")), -3);
  EXPECT_EQ(GetPrivateProfileIntA("TB32", "Junk", 7, "VX.INI"), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("TB32", "Lead", 7, "VX.INI"), 12u);
  EXPECT_EQ(GetPrivateProfileIntA("TB32", "Empty", 7, "VX.INI"), 7u);
  EXPECT_EQ(GetPrivateProfileIntA("TB32", "Slave2 Address", 0x308, "VX.INI"), 0x308u);
  EXPECT_EQ(GetPrivateProfileIntA("TB2000", "Number of boards", 0, "VEXLIB.INI"), 0u);  // no file
}

TEST(Profile, WritesInPlaceAndKeepsEverythingElse) {
  testsupport::WriteFile(Host(),
                         "; keep me\r\n"
                         "[Main]\r\n"
                         "Top=1\r\n"
                         "odd line without equals\r\n"
                         "Left=2\r\n"
                         "\r\n"
                         "[Geometric]\r\n"
                         "PincushionX=0\n");
  ASSERT_NE(WritePrivateProfileStringA("main", "TOP", "15", kIni), 0);     // replaced where it stands
  ASSERT_NE(WritePrivateProfileStringA("Main", "Width", "300", kIni), 0);  // new key after the last entry
  ASSERT_NE(WritePrivateProfileStringA("Heights", "H1", "2.5", kIni), 0);  // new section at the end
  ASSERT_NE(WritePrivateProfileStringA("Geometric", "PincushionX", "caf\xe9", kIni), 0);
  EXPECT_EQ(testsupport::ReadFile(Host()),
            "; keep me\r\n"
            "[Main]\r\n"
            "Top=15\r\n"
            "odd line without equals\r\n"
            "Left=2\r\n"
            "Width=300\r\n"
            "\r\n"
            "[Geometric]\r\n"
            "PincushionX=caf\xe9\r\n"
            "[Heights]\r\n"
            "H1=2.5\r\n");
  EXPECT_EQ(Read("Main", "Top"), "15");
}

// A write whose result is the file's present bytes leaves the file alone:
// same inode, same modification time. Any change of a byte replaces it.
TEST(Profile, AWriteThatChangesNoByteLeavesTheFileAsItIs) {
  const struct Case {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;  // null: delete the key
    const char* after;  // null: the file is left as it was
  } cases[] = {
      {"the same value", "[Main]\r\nTop=1\r\nLeft=2\r\n", "Main", "Top", "1", nullptr},
      {"the same value named in other letters", "[Main]\r\nTop=1\r\n", "MAIN", "top", "1", nullptr},
      {"a missing key deleted", "[Main]\r\nTop=1\r\n", "Main", "Gone", nullptr, nullptr},
      {"another value", "[Main]\r\nTop=1\r\n", "Main", "Top", "2", "[Main]\r\nTop=2\r\n"},
      {"the same value in a file of LF lines", "[Main]\nTop=1\n", "Main", "Top", "1", "[Main]\r\nTop=1\r\n"},
      {"the same value spaced otherwise", "[Main]\r\nTop = 1\r\n", "Main", "Top", "1", "[Main]\r\nTop=1\r\n"},
      {"a key deleted", "[Main]\r\nTop=1\r\n", "Main", "Top", nullptr, "[Main]\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::WriteFile(Host(), c.before);
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(Host(), past);
    struct stat before {};
    ASSERT_EQ(::stat(Host().c_str(), &before), 0);
    EXPECT_EQ(WritePrivateProfileStringA(c.section, c.key, c.value, kIni), 1);
    struct stat after {};
    ASSERT_EQ(::stat(Host().c_str(), &after), 0);
    EXPECT_EQ(testsupport::ReadFile(Host()), c.after ? c.after : c.before);
    EXPECT_EQ(after.st_ino == before.st_ino && fs::last_write_time(Host()) == past, c.after == nullptr);
  }
}

TEST(Profile, FirstWriteCreatesTheFileAndDeletesWork) {
  fs::remove(Host());
  ASSERT_NE(WritePrivateProfileStringA("Main", "Top", "1", kIni), 0);
  ASSERT_NE(WritePrivateProfileStringA("Main", "Left", "2", kIni), 0);
  ASSERT_NE(WritePrivateProfileStringA("Other", "X", "3", kIni), 0);
  EXPECT_EQ(testsupport::ReadFile(Host()), "[Main]\r\nTop=1\r\nLeft=2\r\n[Other]\r\nX=3\r\n");
  ASSERT_NE(WritePrivateProfileStringA("Main", "Top", nullptr, kIni), 0);
  ASSERT_NE(WritePrivateProfileStringA("Other", nullptr, nullptr, kIni), 0);
  EXPECT_EQ(testsupport::ReadFile(Host()), "[Main]\r\nLeft=2\r\n");
  // A file in the Windows directory by bare name.
  ASSERT_NE(WritePrivateProfileStringA("TB2000", "Number of boards", "1", "VEXLIB.INI"), 0);
  EXPECT_EQ(testsupport::ReadFile(winplat::HostPath("C:\\WINDOWS\\VEXLIB.INI")), "[TB2000]\r\nNumber of boards=1\r\n");
}

TEST(Profile, FailedWriteReportsAndLeavesNoFile) {
  EXPECT_EQ(WritePrivateProfileStringA("Main", "Top", "1", "C:\\NoFolder\\x.ini"), 0);
  EXPECT_FALSE(fs::exists(winplat::HostPath("C:\\NoFolder")));
  EXPECT_EQ(WritePrivateProfileStringA("Main", "Top", "1", "\\\\.\\PIPE"), 0);
  EXPECT_EQ(Read("Main", "Top", "d", 80, "\\\\.\\PIPE"), "d");
}

TEST(Profile, WritesThatWouldPlantOtherLinesAreRefused) {
  const std::string before = "[Calibration]\r\nXScaleS=3000\r\n[System]\r\nPath=C:\\Jobs\r\n";
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"System", "Path", "C:\\Jobs\r\n[Calibration]\r\nXScale=1"},
      {"System", "Path", "a\nb"},
      {"System", "Path", "a\rb"},
      {"Sys\ntem", "Path", "x"},
      {"System", "Pa\rth", "x"},
      {"System", "XScaleS=1", "x"},
      {"System", "[Calibration", "x"},
      {"System", ";Path", "x"},
      {"Sys]tem", "Path", "x"},
      {"Sys\r\ntem", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    testsupport::WriteFile(Host(), before);
    EXPECT_EQ(WritePrivateProfileStringA(c.section, c.key, c.value, kIni), 0) << c.section << "/" << (c.key ? c.key : "");
    EXPECT_EQ(testsupport::ReadFile(Host()), before);
  }
  // Characters that cannot change a line's kind stay allowed.
  ASSERT_NE(WritePrivateProfileStringA("System", "Path", "a=b;c[d]", kIni), 0);
  EXPECT_EQ(Read("System", "Path"), "a=b;c[d]");
  EXPECT_EQ(Read("Calibration", "XScaleS"), "3000");
}

TEST(Profile, WriteReplacesTheFileWithoutLeftovers) {
  testsupport::WriteFile(Host(), "[Main]\r\nTop=1\r\n");
  for (int i = 0; i < 20; ++i)
    ASSERT_NE(WritePrivateProfileStringA("Main", ("K" + std::to_string(i)).c_str(), "v", kIni), 0);
  int files = 0;
  for (const auto& e : fs::directory_iterator(Host().parent_path()))
    files += e.path().filename().string().find("Fldry.INI") == 0;
  EXPECT_EQ(files, 1);  // no temporary file stays beside it
  EXPECT_EQ(Read("Main", "K19"), "v");
}

TEST(Profile, ConcurrentWritersLoseNothing) {
  fs::remove(Host());
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([t] {
      for (int i = 0; i < 25; ++i) {
        std::string key = "T" + std::to_string(t) + "K" + std::to_string(i);
        WritePrivateProfileStringA("Main", key.c_str(), key.c_str(), kIni);
      }
    });
  for (auto& w : writers) w.join();
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < 25; ++i) {
      std::string key = "T" + std::to_string(t) + "K" + std::to_string(i);
      EXPECT_EQ(Read("Main", key.c_str()), key);
    }
}

TEST(Profile, ListsSectionsAndKeys) {
  testsupport::WriteFile(Host(), "[Main]\r\nTop=1\r\nLeft=2\r\n[Geo]\r\nA=1\r\n");
  char buf[64];
  std::uint32_t n = GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, kIni);
  EXPECT_EQ(std::string(buf, n + 1), std::string("Main\0Geo\0\0", 10));
  n = GetPrivateProfileStringA("main", nullptr, "", buf, sizeof buf, kIni);
  EXPECT_EQ(std::string(buf, n + 1), std::string("Top\0Left\0\0", 10));
  n = GetPrivateProfileStringA("Main", nullptr, "", buf, 6, kIni);  // cut: size - 2
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(std::string(buf, 6), std::string("Top\0\0\0", 6));
}

}  // namespace
