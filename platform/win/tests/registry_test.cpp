#include <gtest/gtest.h>

#include "test_support.h"
#include "winplat/paths.h"
#include "winplat/registry.h"

namespace {

using namespace winplat;

TEST(Registry, StringsAndDwordsRoundTripWithoutRegardToCase) {
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Fieldray\\Setup", "Folder", "C:\\Fieldray\\"), ERROR_SUCCESS);
  ASSERT_EQ(RegWriteDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Fieldray\\Setup", "Runs", 0xFFFFFFFEu), ERROR_SUCCESS);
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, "software\\fieldray\\setup", "", "default \"quoted\"\nline"),
            ERROR_SUCCESS);
  std::string text;
  std::uint32_t dword = 0;
  EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, "Software\\FIELDRAY\\setup", "FOLDER", text), ERROR_SUCCESS);
  EXPECT_EQ(text, "C:\\Fieldray\\");
  EXPECT_EQ(RegReadDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Fieldray\\Setup", "runs", dword), ERROR_SUCCESS);
  EXPECT_EQ(dword, 0xFFFFFFFEu);
  EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Fieldray\\Setup", "", text), ERROR_SUCCESS);
  EXPECT_EQ(text, "default \"quoted\"\nline");
  // Wrong type, missing value, other root.
  EXPECT_EQ(RegReadDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Fieldray\\Setup", "Folder", dword), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Fieldray\\Setup", "Nope", text), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, "SOFTWARE\\Fieldray\\Setup", "Folder", text), ERROR_FILE_NOT_FOUND);
  // An overwrite keeps one value, under its first spelling.
  ASSERT_EQ(RegWriteDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Fieldray\\Setup", "RUNS", 3), ERROR_SUCCESS);
  EXPECT_EQ(RegReadDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Fieldray\\Setup", "Runs", dword), ERROR_SUCCESS);
  EXPECT_EQ(dword, 3u);
  std::string file = testsupport::ReadFile(MachineRoot() / "registry.reg");
  EXPECT_NE(file.find("\"Runs\"=dword:00000003"), std::string::npos);
  EXPECT_EQ(file.find("RUNS"), std::string::npos);
}

TEST(Registry, KeysListAndRemoveAsTrees) {
  ASSERT_EQ(RegWriteString(HKEY_CLASSES_ROOT, "T\\A.B\\CLSID", "", "{1}"), ERROR_SUCCESS);
  ASSERT_EQ(RegWriteString(HKEY_CLASSES_ROOT, "T\\CLSID\\{1}\\InprocServer32", "", "/x.so"), ERROR_SUCCESS);
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, "t\\clsid\\{1}"));
  EXPECT_EQ(RegSubKeys(HKEY_CLASSES_ROOT, "T"), (std::vector<std::string>{"A.B", "CLSID"}));
  EXPECT_EQ(RegRemoveTree(HKEY_CLASSES_ROOT, "T\\CLSID\\{1}"), ERROR_SUCCESS);
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "T\\CLSID\\{1}\\InprocServer32"));
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, "T\\A.B\\CLSID"));
  EXPECT_EQ(RegRemoveTree(HKEY_CLASSES_ROOT, "T\\CLSID\\{1}"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegRemoveTree(HKEY_CLASSES_ROOT, ""), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegRemoveValue(HKEY_CLASSES_ROOT, "T\\A.B\\CLSID", ""), ERROR_SUCCESS);
  std::string text;
  EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "T\\A.B\\CLSID", "", text), ERROR_FILE_NOT_FOUND);
}

TEST(Registry, HandleCallsQueryWithSizes) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tools", &key), ERROR_SUCCESS);
  const char path[] = "C:\\Tools\\info.exe";
  ASSERT_EQ(RegSetValueEx(key, "Path", 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(path), sizeof path),
            ERROR_SUCCESS);
  std::uint32_t n = 7;
  ASSERT_EQ(RegSetValueEx(key, "N", 0, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&n), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);

  HKEY missing = 0;
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nothing", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software\\tools", 0, KEY_READ, &key), ERROR_SUCCESS);
  std::uint32_t type = 0, size = 0;
  ASSERT_EQ(RegQueryValueEx(key, "path", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, sizeof path);
  char small[4];
  std::uint32_t smallSize = sizeof small;
  EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, &type, reinterpret_cast<std::uint8_t*>(small), &smallSize),
            ERROR_MORE_DATA);
  char buf[64];
  size = sizeof buf;
  ASSERT_EQ(RegQueryValueEx(key, "Path", nullptr, &type, reinterpret_cast<std::uint8_t*>(buf), &size), ERROR_SUCCESS);
  EXPECT_STREQ(buf, path);
  std::uint32_t got = 0;
  size = 4;
  ASSERT_EQ(RegQueryValueEx(key, "n", nullptr, &type, reinterpret_cast<std::uint8_t*>(&got), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(got, 7u);
  EXPECT_EQ(RegDeleteValue(key, "N"), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueEx(key, "N", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST(Registry, MalformedFileIsReportedAndNeverOverwritten) {
  std::string bad = "[HKEY_LOCAL_MACHINE\\X]\n\"A\"=dword:12\n";
  testsupport::WriteFile(MachineRoot() / "registry.reg", bad);
  std::string text;
  EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, "X", "A", text), ERROR_BADDB);
  EXPECT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, "X", "B", "v"), ERROR_BADDB);
  EXPECT_EQ(testsupport::ReadFile(MachineRoot() / "registry.reg"), bad);
  std::filesystem::remove(MachineRoot() / "registry.reg");
}

}  // namespace

#include <sys/wait.h>

#include <cstdio>
#include <vector>
#include <unistd.h>

namespace {

// Two processes on one machine root write at the same time: the file lock and
// the atomic replacement keep every value of both.
TEST(Registry, ConcurrentWritersLoseNothing) {
  using namespace winplat;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  const char* prefix = child == 0 ? "Child" : "Parent";
  bool ok = true;
  for (std::uint32_t i = 0; i < 40; ++i)
    ok = RegWriteDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Race", prefix + std::to_string(i), i) == ERROR_SUCCESS && ok;
  if (child == 0) _exit(ok ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(ok);
  for (std::uint32_t i = 0; i < 40; ++i) {
    for (const char* who : {"Child", "Parent"}) {
      std::uint32_t v = 99;
      EXPECT_EQ(RegReadDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Race", who + std::to_string(i), v), ERROR_SUCCESS);
      EXPECT_EQ(v, i);
    }
  }
}

}  // namespace

namespace {

// Eight processes write 200 values each into one root at once: every write
// succeeds and every value reads back. A child says why a write failed.
TEST(Registry, EightBusyWritersLoseNothing) {
  using namespace winplat;
  constexpr int kWriters = 8, kValues = 200;
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(gate[1]);
      char go;
      (void)!::read(gate[0], &go, 1);  // all start together when the gate closes
      for (int i = 0; i < kValues; ++i) {
        const std::string name = "W" + std::to_string(w) + "V" + std::to_string(i);
        if (RegWriteDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Busy", name, static_cast<std::uint32_t>(w * 1000 + i)) !=
            ERROR_SUCCESS) {
          std::fprintf(stderr, "%s: %s\n", name.c_str(), RegFailureText().c_str());
          _exit(1);
        }
      }
      _exit(0);
    }
    children.push_back(child);
  }
  ::close(gate[0]);
  ::close(gate[1]);
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed (its reason is above)";
  }
  int missing = 0;
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kValues; ++i) {
      std::uint32_t v = 0;
      const LONG rc = RegReadDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Busy", "W" + std::to_string(w) + "V" + std::to_string(i), v);
      missing += rc != ERROR_SUCCESS || v != static_cast<std::uint32_t>(w * 1000 + i);
    }
  EXPECT_EQ(missing, 0) << RegFailureText();
}

// A lock file that cannot be opened is an error naming it, and nothing is written.
TEST(Registry, ALockThatCannotBeOpenedIsAnErrorNotAnUnlockedWrite) {
  using namespace winplat;
  const std::filesystem::path lock = MachineRoot() / "registry.lock";
  std::filesystem::remove(lock);
  std::filesystem::create_directory(lock);  // a folder cannot be opened for writing
  const std::string before = testsupport::ReadFile(MachineRoot() / "registry.reg");
  EXPECT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Unlocked", "A", "x"), ERROR_CANTWRITE);
  EXPECT_NE(RegFailureText().find("lock " + lock.string()), std::string::npos) << RegFailureText();
  EXPECT_EQ(testsupport::ReadFile(MachineRoot() / "registry.reg"), before);
  std::filesystem::remove(lock);
  EXPECT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Unlocked", "A", "x"), ERROR_SUCCESS);
  EXPECT_EQ(RegFailureText(), "");
}

}  // namespace

#include <sys/stat.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A registry that cannot be read is named as the machine root's fault, with
// the line and what is wrong with it, and stays as it is for repair: no read
// takes it as empty and no write replaces it.
TEST(Registry, ADamagedRegistryIsNamedAndKeptAsItIs) {
  using namespace winplat;
  const fs::path file = MachineRoot() / "registry.reg";
  const std::string root = "Machine root " + MachineRoot().string() + ": registry.reg ";
  const std::string good = "; Fieldray machine registry\n\n[HKEY_CLASSES_ROOT\\A.B\\CLSID]\n@=sz:\"{1}\"\n";
  struct Case {
    const char* name;
    std::string text;  // the file's bytes; empty: `arrange` makes what is there
    void (*arrange)(const fs::path& file);
    std::string said;
  };
  const Case cases[] = {
      {"bad line", good + "Count=7\n", nullptr, "line 5: neither [key] nor name=value"},
      {"truncated", good.substr(0, good.size() - 4), nullptr, "line 4: text value not closed by \""},
      {"random", std::string("\x89\x01[\xfe\x00zz\n", 8), nullptr, "line 1: neither [key] nor name=value"},
      {"key cut short", "[HKEY_USERS\\X\n", nullptr, "line 1: key not closed by ]"},
      {"value before a key", "\"A\"=dword:00000001\n", nullptr, "line 1: value before any [key]"},
      {"bad dword", "[HKEY_USERS\\X]\n\"A\"=dword:12\n", nullptr, "line 2: dword value is not 8 hex digits"},
      {"unknown root", "[HKEY_NOWHERE\\X]\n", nullptr, "line 1: key not under a root key"},
      {"folder", "", [](const fs::path& f) { fs::create_directory(f); }, "cannot be read: Is a directory"},
      {"unreadable", "", [](const fs::path& f) { fs::create_symlink(f.filename(), f); },
       "cannot be read: Too many levels of symbolic links"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(file);
    if (c.arrange) c.arrange(file);
    else testsupport::WriteFile(file, c.text);
    std::string error;
    EXPECT_FALSE(CheckRegistry(&error));
    EXPECT_EQ(error, root + c.said);
    std::string text;
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "A.B\\CLSID", "", text), ERROR_BADDB);
    EXPECT_EQ(RegFailureText(), root + c.said);
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "A.B"));
    EXPECT_EQ(RegWriteString(HKEY_CLASSES_ROOT, "A.B\\CLSID", "", "{2}"), ERROR_BADDB);
    EXPECT_EQ(RegFailureText(), root + c.said);
    if (!c.arrange) {
      EXPECT_EQ(testsupport::ReadFile(file), c.text);
    } else {
      std::error_code ec;
      EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(file, ec))) << "replaced";
    }
  }
  fs::remove_all(file);
  std::string error;
  EXPECT_TRUE(CheckRegistry(&error)) << error;  // no registry yet is no fault
  testsupport::WriteFile(file, good);
  EXPECT_TRUE(CheckRegistry(&error)) << error;
  fs::remove(file);
}

// Reading needs no lock: a root where the lock file cannot be made (a folder
// in its place, or a root nobody may write to) reads as well as any; only a
// change is refused.
TEST(Registry, ReadsNeedNoLockFile) {
  using namespace winplat;
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ReadOnly", "Name", "kept"), ERROR_SUCCESS);
  const fs::path lock = MachineRoot() / "registry.lock";
  fs::remove(lock);
  fs::create_directory(lock);
  auto readsWork = [] {
    std::string text;
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ReadOnly", "Name", text), ERROR_SUCCESS)
        << RegFailureText();
    EXPECT_EQ(text, "kept");
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\ReadOnly"));
    EXPECT_EQ(RegSubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\ReadOnly").size(), 0u);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\ReadOnly", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
  };
  readsWork();
  EXPECT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ReadOnly", "Name", "changed"), ERROR_CANTWRITE);
  fs::remove(lock);
  if (::geteuid() != 0) {  // permissions bind everyone but the superuser
    fs::permissions(MachineRoot(), fs::perms::owner_write, fs::perm_options::remove);
    readsWork();
    EXPECT_FALSE(fs::exists(lock));
    fs::permissions(MachineRoot(), fs::perms::owner_write, fs::perm_options::add);
  }
  EXPECT_EQ(RegRemoveTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\ReadOnly"), ERROR_SUCCESS);
}

// What a writer killed in the middle of a write left beside the registry,
// in this form or the older "registry.reg.new.PID", goes with the next write;
// a running writer's file stays.
TEST(Registry, LeftoversOfDeadWritersGoWithTheNextWrite) {
  using namespace winplat;
  const pid_t dead = fork();
  ASSERT_GE(dead, 0);
  if (dead == 0) _exit(0);
  ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
  const fs::path root = MachineRoot();
  const fs::path leftovers[] = {root / ("registry.reg.new." + std::to_string(dead)),
                                root / ("registry.reg.~" + std::to_string(dead) + "-3")};
  const fs::path running = root / ("registry.reg.new." + std::to_string(::getpid()));
  for (const fs::path& f : leftovers) testsupport::WriteFile(f, "[HKEY_USERS\\Half");
  testsupport::WriteFile(running, "[HKEY_USERS\\Busy");
  ASSERT_EQ(RegWriteDword(HKEY_CURRENT_USER, "Leftovers", "N", 1), ERROR_SUCCESS) << RegFailureText();
  for (const fs::path& f : leftovers) EXPECT_FALSE(fs::exists(f)) << f;
  EXPECT_TRUE(fs::exists(running));
  fs::remove(running);
  // Nothing of this write stays beside the registry either.
  for (const auto& entry : fs::directory_iterator(root))
    EXPECT_EQ(entry.path().filename().string().rfind("registry.reg.", 0), std::string::npos) << entry.path();
}

}  // namespace
