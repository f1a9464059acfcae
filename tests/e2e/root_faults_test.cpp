// Faults of the machine root met at a program's start: each is said in words
// with the status of a machine-root fault, and nothing is made or written.
// The faults are arranged so they hold for any user, root included: a file
// size limit (RLIMIT_FSIZE, SIGXFSZ ignored) stands for a read-only or full
// disk, a folder where a file should be for a file that cannot be read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "program_runner.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Every regular file under a folder with its size and time of change; lock
// files (made to be held, never written) are left out.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> Files(const fs::path& dir) {
  std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    std::error_code kind;  // a loop of links is no regular file, and no error here
    if (it->is_regular_file(kind) && it->path().extension() != ".lock")
      files[it->path().string()] = {it->file_size(), it->last_write_time()};
  }
  return files;
}

// Runs a program of the build on `root`; with `fileLimitKiB` >= 0 under that
// file size limit (output passes through a pipe, which the limit spares).
testsupport::ProgramRun RunTool(const std::string& tool, const std::vector<std::string>& args, const fs::path& root,
                            long fileLimitKiB, std::vector<std::string> env = {}) {
  std::vector<std::string> argv = {"/bin/bash", "-c",
                                   "set -o pipefail; (trap '' XFSZ; " +
                                       (fileLimitKiB >= 0 ? "ulimit -f " + std::to_string(fileLimitKiB) + "; " : "") +
                                       "exec \"$0\" \"$@\") 2>&1 | cat",
                                   (testsupport::BinDir() / tool).string()};
  argv.insert(argv.end(), args.begin(), args.end());
  env.push_back("FIELDRAY_ROOT=" + root.string());
  const fs::path log = root.parent_path() / (root.filename().string() + "-" + tool + ".log");
  return testsupport::RunProgram(argv, env, log, 120);
}

// A root filled from the template by the clipboard tool (which touches no board).
fs::path FilledRoot(const std::string& name) {
  const fs::path root = testsupport::NewMachineRoot(name);
  const auto run = RunTool("fieldray-clip", {"--get"}, root, -1);
  EXPECT_EQ(run.status, 0) << run.log;
  return root;
}

TEST(RootFaults, EveryStartUpFaultIsNamedWithStatusTwoAndNothingIsMade) {
  struct Case {
    const char* name;
    const char* tool;
    std::vector<std::string> args;
    std::function<void(const fs::path& root)> arrange;  // null: a root never made
    long fileLimitKiB;
    std::vector<std::string> env;
    std::string said;  // after "Machine root ROOT: "
  };
  const std::string noTemplate = (testsupport::Root() / "no-such-template").string();
  const fs::path ops = testsupport::WriteFile(testsupport::Root() / "root-faults.ops", "click Main.OnOff\nquit\n");
  const std::string longText(3000, 'x');
  auto filled = [](const fs::path&) {};
  const Case cases[] = {
      {"template-missing", "fieldray", {ops.string()}, nullptr, -1, {"FIELDRAY_TEMPLATE=" + noTemplate},
       "template not found: " + noTemplate},
      {"template-missing-clip", "fieldray-clip", {"job"}, nullptr, -1, {"FIELDRAY_TEMPLATE=" + noTemplate},
       "template not found: " + noTemplate},
      {"not-writable", "fieldray", {ops.string()}, filled, 0, {}, "not writable: File too large"},
      {"not-writable-clip", "fieldray-clip", {"job"}, filled, 0, {}, "not writable: File too large"},
      {"settings-unreadable", "fieldray", {ops.string()},
       [](const fs::path& root) {
         fs::remove(root / "C" / "Fieldray" / "Fldry.INI");
         fs::create_directories(root / "C" / "Fieldray" / "Fldry.INI");
       },
       -1, {}, "Fldry.INI cannot be read: Is a directory"},
      // Settings of 2 MB are no settings: refused before anything reads them.
      {"settings-too-big", "fieldray", {ops.string()},
       [](const fs::path& root) {
         const std::string head = "[Main]\r\nTop=1\r\n";
         testsupport::WriteFile(root / "C" / "Fieldray" / "Fldry.INI", head + std::string(2097152 - head.size(), 'j'));
       },
       -1, {}, "C:\\Fieldray\\Fldry.INI is 2097152 bytes, more than 1048576"},
      // 150 KiB hold the settings and every other write of a start, not a board's state.
      {"board-state-too-big", "fieldray", {ops.string()}, filled, 150, {}, "File too large"},
      {"clipboard-too-big", "fieldray-clip", {longText}, filled, 1, {}, "cannot write "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::path root;
    if (c.arrange) {
      root = FilledRoot(std::string("fault-") + c.name);
      c.arrange(root);
    } else {
      root = testsupport::Root() / "roots" / (std::string("fault-") + c.name);
      fs::remove_all(root);
      fs::create_directories(root.parent_path());
    }
    const auto before = c.arrange ? Files(root) : decltype(Files(root)){};
    const auto run = RunTool(c.tool, c.args, root, c.fileLimitKiB, c.env);
    EXPECT_EQ(run.status, 2) << run.log;
    EXPECT_NE(run.log.find("Machine root " + root.string() + ": " + c.said), std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("Fieldray machine root"), std::string::npos) << "the program started\n" << run.log;
    if (c.arrange) {
      EXPECT_EQ(Files(root), before) << run.log;
    } else {
      EXPECT_FALSE(fs::exists(root)) << run.log;
    }
  }
}

// A registry that cannot be read stops every program at its start with the
// line and what is wrong there (no control could be created on it, no class
// registered), and the file stays as it is for repair.
TEST(RootFaults, ADamagedRegistryStopsEveryProgramWithItsReason) {
  struct Case {
    const char* name;
    const char* tool;
    std::string text;  // the registry's bytes; empty: `arrange` makes what is there
    void (*arrange)(const fs::path& file);
    std::string said;  // after "Machine root ROOT: registry.reg "
  };
  const fs::path ops = testsupport::WriteFile(testsupport::Root() / "registry-faults.ops", "quit\n");
  const std::string good =
      "; Fieldray machine registry\n\n[HKEY_CLASSES_ROOT\\KelvaneEnt.DXF\\CLSID]\n@=sz:\"{4F1C-DXF}\"\n";
  const Case cases[] = {
      {"bad-line", "fieldray", good + "[HKEY_CLASSES_ROOT\\X]\nOnce=1\n", nullptr,
       "line 6: neither [key] nor name=value"},
      {"truncated", "fieldray-clip", good.substr(0, good.size() - 5), nullptr, "line 4: text value not closed by \""},
      {"random", "fieldray-projection", std::string("\x7f\x45\x4c\x46\x02\x01\x00\x00\x9c\n\x03", 11), nullptr,
       "line 1: neither [key] nor name=value"},
      {"folder", "fieldray", "", [](const fs::path& f) { fs::create_directory(f); }, "cannot be read: Is a directory"},
      {"unreadable", "fieldray-clip", "", [](const fs::path& f) { fs::create_symlink(f.filename(), f); },
       "cannot be read: Too many levels of symbolic links"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path root = FilledRoot(std::string("registry-") + c.name);
    const fs::path file = root / "registry.reg";
    if (c.arrange) c.arrange(file);
    else testsupport::WriteFile(file, c.text);
    const auto before = Files(root);
    const std::vector<std::string> args = std::string(c.tool) == "fieldray"        ? std::vector<std::string>{ops.string()}
                                          : std::string(c.tool) == "fieldray-clip" ? std::vector<std::string>{"job"}
                                                                                   : std::vector<std::string>{(root / "p.png").string()};
    const auto run = RunTool(c.tool, args, root, -1);
    EXPECT_EQ(run.status, 2) << run.log;
    EXPECT_NE(run.log.find("Machine root " + root.string() + ": registry.reg " + c.said), std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("Fieldray machine root"), std::string::npos) << "the program started\n" << run.log;
    EXPECT_EQ(Files(root), before) << run.log;
    std::error_code ec;
    if (!c.arrange) {
      EXPECT_EQ(testsupport::ReadFile(file), c.text);
    } else {
      EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(file, ec))) << "replaced";
    }
  }
}

TEST(RootFaults, TheProjectionToolNamesABoardStateItCannotOpen) {
  const fs::path root = testsupport::NewMachineRoot("fault-projection");
  ASSERT_EQ(testsupport::RunFieldrayScript(root, "click Main.OnOff\nquit\n").status, 0);
  const fs::path state = root / "hw" / "isa-0300.state";
  ASSERT_TRUE(fs::exists(state));
  fs::remove(state);
  fs::create_directories(state);
  const auto run = RunTool("fieldray-projection", {(root / "p.png").string()}, root, -1);
  EXPECT_EQ(run.status, 1) << run.log;
  EXPECT_NE(run.log.find("cannot open board state " + state.string() + ": Is a directory"), std::string::npos)
      << run.log;
  EXPECT_FALSE(fs::exists(root / "p.png"));
}

}  // namespace

// A start the device session ends (its boot program missing) runs none of
// the command lines and says so: a failed run, never a clean one.
TEST(RootFaults, AStartEndedByTheSessionEndsWithStatusOne) {
  const fs::path tmpl = testsupport::Root() / "template-without-boot";
  fs::remove_all(tmpl);
  fs::copy(std::getenv("FIELDRAY_TEMPLATE"), tmpl, fs::copy_options::recursive);
  ASSERT_TRUE(fs::remove(tmpl / "C" / "WINDOWS" / "SYSTEM32" / "VX.T32"));
  const fs::path root = testsupport::NewMachineRoot("fault-session");
  const fs::path ops =
      testsupport::WriteFile(root.parent_path() / "fault-session.ops", "click Main.OnOff\n# a note\n\nquit\n");
  const auto run = RunTool("fieldray", {ops.string()}, root, -1, {"FIELDRAY_TEMPLATE=" + tmpl.string()});
  EXPECT_EQ(run.status, 1) << run.log;
  EXPECT_NE(run.log.find("2 command lines not run"), std::string::npos) << run.log;
}

// A later start brings back only the template files the root lacks outside
// the job folder, and names each; a deleted example job stays deleted; what
// killed writes left behind is gone.
TEST(RootFaults, ALaterStartRestoresWhatIsMissingKeepsDeletedJobsAndClearsLeftovers) {
  const fs::path root = FilledRoot("later-start");
  const fs::path program = root / "C" / "Fieldray";
  ASSERT_TRUE(fs::remove(program / "Jobs" / "PLATE.NC"));
  ASSERT_TRUE(fs::remove(program / "Tool.Dat"));
  const fs::path leftovers[] = {program / "Fldry.INI.~4194399-0", program / "Jobs" / "PLATE.DXF.~4194399-0"};
  for (const fs::path& left : leftovers) testsupport::WriteFile(left, "part of a write");
  const auto run = RunTool("fieldray", {testsupport::WriteFile(root.parent_path() / "later.ops", "quit\n").string()},
                           root, -1);
  EXPECT_EQ(run.status, 0) << run.log;
  EXPECT_NE(run.log.find("Restored from the template: C:\\Fieldray\\Tool.Dat"), std::string::npos) << run.log;
  EXPECT_EQ(run.log.find("Restored from the template: C:\\Fieldray\\Jobs"), std::string::npos) << run.log;
  EXPECT_TRUE(fs::exists(program / "Tool.Dat"));
  EXPECT_FALSE(fs::exists(program / "Jobs" / "PLATE.NC"));
  for (const fs::path& left : leftovers) EXPECT_FALSE(fs::exists(left)) << left;
}
