// What a start and a quit do to the settings file: every value read at the
// start is written back by its control's handler, and a write that changes no
// byte leaves the file as it is. The file is replaced at most once, at the
// close, when the window's place changed.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>

#include "program_runner.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Counts the times a file of a folder is put in place or written and closed.
class FolderWatch {
 public:
  explicit FolderWatch(const fs::path& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0) watch_ = inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
  }
  ~FolderWatch() {
    if (fd_ >= 0) close(fd_);
  }
  bool Watching() const { return fd_ >= 0 && watch_ >= 0; }
  int Writes(const std::string& name) {
    int count = 0;
    alignas(inotify_event) char buffer[64 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
        if (e->len > 0 && name == e->name) ++count;
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
    return count;
  }

 private:
  int fd_ = -1;
  int watch_ = -1;
};

TEST(SettingsWrites, AStartAndQuitOnTheTemplatesSettingsReplacesThemAtMostOnce) {
  const fs::path root = testsupport::NewMachineRoot("settings-writes");
  // The first start fills the root from the template.
  auto run = testsupport::RunFieldrayScript(root, "quit\n");
  ASSERT_EQ(run.status, 0) << run.log;
  const fs::path settings = root / "C" / "Fieldray" / "Fldry.INI";
  const std::string fromTemplate = testsupport::ReadFile(testsupport::SourceDir() / "root-template" / "C" / "Fieldray" /
                                                      "Fldry.INI");
  ASSERT_EQ(testsupport::ReadFile(settings), fromTemplate);

  FolderWatch watch(settings.parent_path());
  ASSERT_TRUE(watch.Watching());
  run = testsupport::RunFieldrayScript(root, "quit\n");
  ASSERT_EQ(run.status, 0) << run.log;
  const int writes = watch.Writes("Fldry.INI");
  EXPECT_LE(writes, 1) << run.log;
  // The window stood where the settings put it: nothing to replace.
  EXPECT_EQ(testsupport::ReadFile(settings), fromTemplate);
  EXPECT_EQ(writes, 0);
}

}  // namespace
