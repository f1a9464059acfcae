// Operator input from a file and from a terminal (a pipe here).
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "controls_test_support.h"
#include "test_support.h"
#include "winplat/controls/operator.h"

namespace ctltest {
namespace {

class Session : public ControlTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ControlTest::SetUp());
    ASSERT_EQ(pipe(fds), 0);
  }
  void TearDown() override {
    close(fds[0]);
    if (fds[1] >= 0) close(fds[1]);
    ControlTest::TearDown();
  }
  void Write(const std::string& s) { ASSERT_EQ(write(fds[1], s.data(), s.size()), static_cast<ssize_t>(s.size())); }
  int fds[2] = {-1, -1};
};

TEST_F(Session, TerminalLinesComeWholeWithoutBlocking) {
  auto lines = TerminalLines(fds[0]);
  std::string line;
  EXPECT_EQ(lines(line), 0);
  ASSERT_NO_FATAL_FAILURE(Write("click Main.OnOff\r\npart"));
  ASSERT_EQ(lines(line), 1);
  EXPECT_EQ(line, "click Main.OnOff\r");
  EXPECT_EQ(lines(line), 0);  // half a line waits for the rest
  ASSERT_NO_FATAL_FAILURE(Write("ial\n"));
  ASSERT_EQ(lines(line), 1);
  EXPECT_EQ(line, "partial");
  ASSERT_NO_FATAL_FAILURE(Write("last"));
  close(fds[1]);
  fds[1] = -1;
  ASSERT_EQ(lines(line), 1);
  EXPECT_EQ(line, "last");
  EXPECT_EQ(lines(line), -1);
}

TEST_F(Session, TerminalDialogAsksAndAnEmptyLineCancels) {
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  auto handler = TerminalFileDialogHandler(fds[0], out[1]);
  ASSERT_NO_FATAL_FAILURE(Write("C:\\Jobs\\a.dxf\n\n"));
  FileDialogAnswer a = handler({"Open", "*.*", "All files (*.*)|*.*", 1, ""});
  EXPECT_FALSE(a.cancelled);
  EXPECT_EQ(a.fileName, "C:\\Jobs\\a.dxf");
  EXPECT_TRUE(handler({"Open", "*.*", "", 1, ""}).cancelled);
  char buf[256] = {};
  ASSERT_GT(read(out[0], buf, sizeof buf - 1), 0);
  EXPECT_NE(std::string(buf).find("Open [*.*]"), std::string::npos);
  close(out[0]);
  close(out[1]);
}

TEST_F(Session, CommandFileRunsUntilTheFormsAreClosedAndAMissingFileIsReported) {
  Form form("Main", "Main");
  auto& check = form.Add<CheckBox>("OnOff", nullptr, "Laser On/Off");
  form.Show();
  auto file = testsupport::WriteFile(testsupport::Root() / "ops.txt",
                                     "click Main.OnOff\nclick Main.Missing\nclose Main\nclick Main.OnOff\n");
  std::ostringstream log;
  EXPECT_EQ(RunOperatorInput(file.string(), log), 1) << log.str();
  EXPECT_EQ(check.Value(), 1);  // the line after the close did not run
  EXPECT_FALSE(form.Loaded());
  EXPECT_EQ(RunOperatorInput((testsupport::Root() / "none.txt").string(), log), -1);
  EXPECT_NE(log.str().find("cannot read the operator commands"), std::string::npos);
}

}  // namespace
}  // namespace ctltest
