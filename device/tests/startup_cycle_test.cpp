// The program's start-up across separate processes on one machine root: the
// boards keep their software and session between program starts.
#include <sstream>
#include <string>
#include <vector>

#include "program_runner.h"
#include "session_fixture.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

struct StartResult {
  std::int32_t init = 99, check = 99, settings = 99, begin = 99;
  std::int32_t args[4] = {0, 0, 0, 0};
};

// One program start in a process of its own, on this test's machine root.
StartResult StartProgram(bool endAtClose) {
  const std::filesystem::path out = testsupport::Root() / "start-result.txt";
  std::filesystem::remove(out);
  std::vector<std::string> argv = {
      (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vexlib_start_helper").string(), out.string()};
  if (endAtClose) argv.push_back("end");
  const testsupport::ProgramRun run = testsupport::RunProgram(argv, {}, testsupport::Root() / "start.log", 60);
  EXPECT_EQ(run.status, 0) << run.log;
  StartResult r;
  std::istringstream in(testsupport::ReadFile(out));
  in >> r.init >> r.check >> r.settings >> r.begin >> r.args[0] >> r.args[1] >> r.args[2] >> r.args[3];
  return r;
}

class StartUpCycle : public SessionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StartUpCycle, DownloadOnceThenFindTheSessionThenBeginAgain) {
  if (GetParam()) {
    ConfigureBoards("[Boards]\nFamily=PCI\nCount=1\n");
    UsePci(1);
  }
  // First start: the boot program runs; the software is downloaded and a session begun.
  StartResult first = StartProgram(false);
  EXPECT_EQ(first.init, 0);
  EXPECT_EQ(first.check, VX_NO_SESSION);
  EXPECT_EQ(first.begin, 0);
  EXPECT_FALSE(Commands(1).empty());
  EXPECT_EQ(Commands(18).size(), 1u);

  // Second start: the session still runs and its values come back; closing ends it.
  hw::ClearCommandLog();
  StartResult second = StartProgram(true);
  EXPECT_EQ(second.check, 0);
  EXPECT_EQ(second.settings, 0);
  EXPECT_EQ(std::vector<std::int32_t>(second.args, second.args + 4),
            (std::vector<std::int32_t>{3000, 6000, 8192, 5}));
  EXPECT_TRUE(Commands(18).empty());
  EXPECT_EQ(Commands(19).size(), 1u);

  // Third start: no session, but the software runs: a new session without a download.
  hw::ClearCommandLog();
  StartResult third = StartProgram(false);
  EXPECT_EQ(third.check, VX_NO_SESSION);
  EXPECT_EQ(third.begin, 0);
  EXPECT_TRUE(Commands(1).empty());
  EXPECT_EQ(Commands(18).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Families, StartUpCycle, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "Pci" : "Isa"; });

}  // namespace
