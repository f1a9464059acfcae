// What the programs tell the shell: the exit status of an operator-command run,
// the usage of each program, and a machine root a program cannot make, fill,
// use or share: a clear line and an exit status, never an abort.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "program_runner.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(ProgramStatus, AFailedLineMakesTheRunFailAfterItEnds) {
  struct Case {
    const char* name;
    const char* lines;  // nullptr: a command file that does not exist, or a folder
    int status;
    std::vector<std::string> logged;  // parts of the log: the failure's line, the help, the boxes
    bool folder = false;
  };
  const Case cases[] = {
      // A picture into folders not there yet makes them.
      {"clean", "click Main.OnOff\nexpect Main.OnOff \"1\"\nprojection \"C:\\new\\s\\p.png\"\nhelp\nquit\n", 0,
       {"screenshot F \"file.png\""}},
      {"unknown-command", "frobnicate Main.OnOff\nquit\n", 1, {"line 1:"}},
      {"unknown-control", "click Main.NoSuchControl\nquit\n", 1, {"line 1:"}},
      {"bad-number", "wait soon\nquit\n", 1, {"line 1:"}},
      {"failed-expect", "expect Main.OnOff \"7\"\nclick Main.OnOff\nquit\n", 1, {"line 1:"}},
      {"unreadable", nullptr, 2, {"missing.ops"}},
      {"folder", nullptr, 2, {"cannot read the operator commands in ", ": it is a folder"}, true},
      // A box the program raises is logged as it is answered, and does not fail the run.
      {"message-boxes",
       "clipboard \"PLATE.NC;;X\"\nwait 2500\nanswer OK\nclipboard \"PLATE.NC;;X\"\nwait 2500\nquit\n",
       0,
       {"[message box] Error: Proper Run Field Area Not Selected -> default (OK)\n",
        "[message box] Error: Proper Run Field Area Not Selected -> OK\n"}},
  };
  for (const Case& c : cases) {
    const fs::path root = testsupport::NewMachineRoot(std::string("status-") + c.name);
    const fs::path folder = testsupport::Root() / "runs" / (std::string("commands-") + c.name);
    if (c.folder) fs::create_directories(folder);
    const testsupport::ProgramRun run = c.lines    ? testsupport::RunFieldrayScript(root, c.lines)
                                        : c.folder ? testsupport::RunFieldray(root, folder)
                                                   : testsupport::RunFieldray(root, root / "missing.ops");
    EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.log;
    for (const std::string& part : c.logged) EXPECT_NE(run.log.find(part), std::string::npos) << c.name << "\n" << run.log;
    // An unreadable command file stops the program before the machine starts.
    if (!c.lines) {
      EXPECT_FALSE(fs::exists(root / "C")) << "the machine root was filled";
    }
  }
}

// The example of the operator-command description runs as written, every
// line reaching its control.
TEST(ProgramStatus, TheDocumentedExampleRunsAsWritten) {
  const std::string doc =
      testsupport::ReadFile(fs::path(FIELDRAY_SOURCE_DIR) / "platform" / "ui" / "OPERATOR_COMMANDS.md");
  const std::size_t heading = doc.find("## Example");
  ASSERT_NE(heading, std::string::npos);
  const std::size_t open = doc.find("```\n", heading);
  const std::size_t close = doc.find("```", open + 4);
  ASSERT_NE(close, std::string::npos);
  const std::string example = doc.substr(open + 4, close - open - 4);
  const fs::path root = testsupport::NewMachineRoot("status-example");
  const testsupport::ProgramRun run = testsupport::RunFieldrayScript(root, example);
  EXPECT_EQ(run.status, 0) << run.log;
  EXPECT_EQ(run.log.find("ignored"), std::string::npos) << run.log;
  EXPECT_TRUE(fs::exists(root / "C" / "shots" / "main.png")) << run.log;
  EXPECT_NE(testsupport::ReadFile(root / "C" / "Fieldray" / "Fldry.INI").find("32000"), std::string::npos);
}

// Runs a program of the build with one argument; its status and what it printed.
std::pair<int, std::string> RunTool(const std::string& tool, const std::string& argument,
                                    const std::vector<std::string>& environment = {}) {
  const fs::path log = testsupport::Root() / "runs" / (tool + ".log");
  fs::create_directories(log.parent_path());
  const auto run = testsupport::RunProgram({(testsupport::BinDir() / tool).string(), argument}, environment, log, 60);
  return {run.status, run.log};
}

// Each program says how it is used and which version it is, and ends with
// status 2 naming a machine root it cannot make or fill.
TEST(ProgramStatus, EveryProgramSaysHowItIsUsedAndNamesARootItCannotUse) {
  const fs::path runs = testsupport::Root() / "runs";
  // A root whose path is a file cannot be made; one whose drive C is a file cannot be filled.
  const fs::path uncreatable = testsupport::WriteFile(runs / "root-is-a-file", "x");
  const fs::path unfillable = runs / "root-drive-is-a-file";
  fs::remove_all(unfillable);
  testsupport::WriteFile(unfillable / "C", "x");
  const std::pair<const char*, const char*> programs[] = {
      {"fieldray", "-"}, {"fieldray-projection", "/dev/null"}, {"fieldray-clip", "--get"}};
  for (const auto& [tool, use] : programs) {
    auto [helpStatus, help] = RunTool(tool, "--help");
    EXPECT_EQ(helpStatus, 0) << tool << "\n" << help;
    EXPECT_NE(help.find(std::string("usage: ") + tool), std::string::npos) << help;
    EXPECT_NE(help.find("FIELDRAY_ROOT"), std::string::npos) << help;
    EXPECT_NE(help.find("Exit status"), std::string::npos) << help;
    EXPECT_NE(help.find("--version"), std::string::npos) << help;

    auto [versionStatus, version] = RunTool(tool, "--version");
    EXPECT_EQ(versionStatus, 0) << tool << "\n" << version;
    EXPECT_EQ(version, std::string(tool) + " " FIELDRAY_VERSION "\n");

    auto [badStatus, bad] = RunTool(tool, "--no-such-option");
    EXPECT_EQ(badStatus, 2) << tool << "\n" << bad;
    EXPECT_NE(bad.find("usage: "), std::string::npos) << bad;

    for (const fs::path& root : {uncreatable, unfillable}) {
      // The projection tool never fills a root: only one it cannot find is its fault.
      if (root == unfillable && std::string(tool) == "fieldray-projection") continue;
      auto [status, said] = RunTool(tool, use, {"FIELDRAY_ROOT=" + root.string()});
      EXPECT_EQ(status, 2) << tool << " " << root << "\n" << said;
      EXPECT_NE(said.find("Machine root " + root.string() + ": "), std::string::npos) << tool << said;
      EXPECT_EQ(said.find("terminate"), std::string::npos) << said;
    }
  }
}

// Every file under a folder with its size and time of change.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> Snapshot(const fs::path& dir) {
  std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) files[entry.path().string()] = {entry.file_size(), entry.last_write_time()};
  }
  return files;
}

TEST(ProgramStatus, TheProjectionToolLooksAtARootAndChangesNothingInIt) {
  const fs::path missing = testsupport::Root() / "runs" / "no-such-root";
  auto [status, said] = RunTool("fieldray-projection", missing.string() + "/p.png", {"FIELDRAY_ROOT=" + missing.string()});
  EXPECT_EQ(status, 2) << said;
  EXPECT_NE(said.find("Machine root " + missing.string() + ": no such folder"), std::string::npos) << said;
  EXPECT_FALSE(fs::exists(missing));

  // A root the program worked on: only the picture is new.
  const fs::path used = testsupport::NewMachineRoot("projection-used");
  ASSERT_EQ(testsupport::RunFieldrayScript(used, "click Main.OnOff\nquit\n").status, 0);
  auto before = Snapshot(used);
  std::tie(status, said) = RunTool("fieldray-projection", (used / "p.png").string(), {"FIELDRAY_ROOT=" + used.string()});
  EXPECT_EQ(status, 0) << said;
  auto after = Snapshot(used);
  EXPECT_EQ(after.erase((used / "p.png").string()), 1u);
  EXPECT_EQ(after, before);

  // An empty root: a dark picture and nothing else.
  const fs::path empty = testsupport::NewMachineRoot("projection-empty");
  std::tie(status, said) = RunTool("fieldray-projection", (empty / "p.png").string(), {"FIELDRAY_ROOT=" + empty.string()});
  EXPECT_EQ(status, 0) << said;
  EXPECT_EQ(Snapshot(empty).size(), 1u);
}

TEST(MachineRootFaults, DefaultRootInTheTemporaryFolderIsPrivateToItsUser) {
  const fs::path tmp = testsupport::Root() / "runs" / "tmpdir";
  fs::remove_all(tmp);
  fs::create_directories(tmp);
  const fs::path root = tmp / ("fieldray-root-" + std::to_string(::getuid()));
  const std::vector<std::string> env = {"FIELDRAY_ROOT=", "HOME=", "XDG_DATA_HOME=", "TMPDIR=" + tmp.string()};

  auto [status, said] = RunTool("fieldray-clip", "--get", env);
  EXPECT_EQ(status, 0) << said;
  struct stat st {};
  ASSERT_EQ(::stat(root.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(fs::exists(root / "C" / "Fieldray"));

  if (::getuid() != 0) GTEST_SKIP() << "handing the folder to another user needs root";
  ASSERT_EQ(::chown(root.c_str(), 65534, 65534), 0);
  std::tie(status, said) = RunTool("fieldray-clip", "--get", env);
  EXPECT_EQ(status, 2) << said;
  EXPECT_NE(said.find("Machine root " + root.string() + ": owned by another user"), std::string::npos) << said;
}

TEST(MachineRootFaults, SecondOperatorProgramOnOneRootEndsWithStatusThree) {
  const fs::path root = testsupport::NewMachineRoot("two-programs");
  testsupport::ProgramRun first;
  std::thread holder([&] { first = testsupport::RunFieldrayScript(root, "wait 6000\nquit\n", 120); });
  const fs::path lock = root / "machine" / "locks" / "Fieldray.lock";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!fs::exists(lock) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  const fs::path second = testsupport::WriteFile(root.parent_path() / "two-programs-second.ops", "quit\n");
  const auto [status, said] = RunTool("fieldray", second.string(), {"FIELDRAY_ROOT=" + root.string()});
  // The clipboard tool shares the root while the operator program runs.
  const auto [clipStatus, clipSaid] = RunTool("fieldray-clip", "job", {"FIELDRAY_ROOT=" + root.string()});
  holder.join();
  EXPECT_EQ(status, 3) << said;
  EXPECT_NE(said.find("Fieldray is already running on this machine."), std::string::npos) << said;
  EXPECT_EQ(clipStatus, 0) << clipSaid;
  EXPECT_EQ(first.status, 0) << first.log;

  // Once the first has ended the lock is free again.
  const auto after = testsupport::RunFieldray(root, second, 120);
  EXPECT_EQ(after.status, 0) << after.log;
}

}  // namespace
