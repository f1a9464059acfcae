// Jobs handed over on the clipboard, and the job list following its folder.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <string>
#include <vector>

#include "console/component_slots.h"
#include "console/file_selection.h"
#include "console/form_console_view.h"
#include "console/job_intake.h"
#include "test_support.h"
#include "toolpath/expressions.h"
#include "winplat/clipboard.h"
#include "winplat/clock.h"
#include "winplat/controls/operator.h"
#include "winplat/msgbox.h"
#include "winplat/window.h"

namespace fieldray::console {
namespace {

constexpr const char* kSet1 = "S  A  T  R  S/ A/ T/ R/ ";
constexpr const char* kSet2 = "S/ A/ T/ R/ S/1A/1T/1R/1";

struct RecordCase {
  const char* text;
  const char* newListCol;
  const char* set1;
  std::string name;
  bool usable;
  int runField;
  std::vector<std::pair<char, std::string>> expressions;  // the variables given, by letter
};

std::string ExpressionOf(const JobRecord& job, char letter) {
  for (std::size_t i = 0; i < JobVariableFields.size(); ++i)
    if (JobVariableFields[i].Letter == letter) return job.Expressions[i];
  return "?";
}

TEST(JobRecordTest, ParsesNameRunFieldAndExpressions) {
  const std::vector<RecordCase> cases = {
      {"P1.NC;;T", "", kSet1, "P1.NC", true, 3, {}},
      {"P1.NC\t\tT", "", kSet1, "P1.NC", true, 3, {}},
      {"P1.NC;a;T;b;400;300;6", "", kSet1, "P1.NC", true, 3, {{'L', "400"}, {'H', "300"}, {'S', "6"}}},
      // "B" skips raw column 2: the code is raw column 4, L raw column 6.
      {"P1.NC;skip;x;T;y;400", "B", kSet1, "P1.NC", true, 3, {{'L', "400"}}},
      {"P1.NC;;;;;;;;;;;1;2;3;4;5;6;7;9", "", kSet1, "P1.NC", true, 0,
       {{'A', "1"}, {'B', "2"}, {'C', "3"}, {'D', "4"}, {'E', "5"}, {'F', "6"}, {'G', "7"}, {'I', "9"}}},
      {"P1.NC;;A;;;;;;;;;L/2 ", "", kSet1, "P1.NC", true, 2, {{'A', "L/2"}}},
      // Run-field codes with the default sets.
      {"P1.NC;;N/", "", kSet1, "P1.NC", true, 5, {}},
      {"P1.NC;;M", "", kSet1, "P1.NC", true, 4, {}},
      {"P1.NC;;M/1", "", kSet1, "P1.NC", true, 8, {}},
      {"P1.NC;;t/", "", kSet1, "P1.NC", true, 7, {}},
      {"P1.NC;; T ", "", kSet1, "P1.NC", true, 3, {}},
      {"P1.NC;;/ A", "", kSet1, "P1.NC", true, 0, {}},  // not at a slot's start
      {"P1.NC;; T", "", kSet1, "P1.NC", true, 3, {}},
      {"P1.NC;;", "", kSet1, "P1.NC", true, 0, {}},
      {"P1.NC;;X", "", kSet1, "P1.NC", true, 0, {}},
      {"P1.NC;;Q", "", "S  A  T  R  S/ A/ T/ R/ Q  ", "P1.NC", true, 0, {}},  // no ninth slot
      // Only the first line counts, without its line break.
      {"P1.NC;;T\r\n", "", kSet1, "P1.NC", true, 3, {}},
      {"P1.NC\r\n", "", kSet1, "P1.NC", true, 0, {}},
      {"P1.NC;;T\r\nQ.NC;;A;;5", "", kSet1, "P1.NC", true, 3, {}},
      // Names that cannot name a file of the job folder.
      {"", "", kSet1, "", false, 0, {}},
      {";;T", "", kSet1, "", false, 3, {}},
      {".;;T", "", kSet1, ".", false, 3, {}},
      {"..;;T", "", kSet1, "..", false, 3, {}},
      {"..\\Fldry.INI;;T", "", kSet1, "..\\Fldry.INI", false, 3, {}},
      {"sub/P1.NC;;T", "", kSet1, "sub/P1.NC", false, 3, {}},
      {"C:P1.NC;;T", "", kSet1, "C:P1.NC", false, 3, {}},
      {"*.NC;;T", "", kSet1, "*.NC", false, 3, {}},
      {"P?.NC;;T", "", kSet1, "P?.NC", false, 3, {}},
  };
  for (const RecordCase& c : cases) {
    SCOPED_TRACE(std::string("record \"") + c.text + "\", NewListCol \"" + c.newListCol + "\"");
    JobRecord job = ParseJobRecord(c.text, c.newListCol, c.set1, kSet2);
    EXPECT_EQ(job.Name, c.name);
    EXPECT_EQ(job.NameUsable, c.usable);
    EXPECT_EQ(job.RunField, c.runField);
    for (const JobVariableField& v : JobVariableFields) {
      std::string expected;
      for (const auto& [letter, text] : c.expressions)
        if (letter == v.Letter) expected = text;
      EXPECT_EQ(ExpressionOf(job, v.Letter), expected) << v.Letter;
    }
  }
}

// A device that records the frame deletions and the working scale.
struct Device {
  static inline std::vector<std::string>* calls = nullptr;
  static engine::VexlibTable Table() {
    engine::VexlibTable t;
    t.DeleteFrames = [](std::int32_t from, std::int32_t to) {
      calls->push_back("DeleteFrames " + std::to_string(from) + " " + std::to_string(to));
      return 0;
    };
    t.SetWorkingScale = [](std::int32_t x0, std::int32_t x1, std::int32_t y0, std::int32_t y1, std::int32_t,
                           std::int32_t) {
      calls->push_back("SetWorkingScale " + std::to_string(x0) + " " + std::to_string(x1) + " " +
                       std::to_string(y0) + " " + std::to_string(y1));
      return 0;
    };
    return t;
  }
};

// Holds the clipboard open in another process while it lives.
class OtherProgramHoldsClipboard {
 public:
  OtherProgramHoldsClipboard() {
    if (pipe(ready_) != 0 || pipe(release_) != 0) return;
    child_ = fork();
    if (child_ == 0) {
      alarm(20);
      char c = winplat::OpenClipboard(0) ? 'y' : 'n';
      if (write(ready_[1], &c, 1) != 1 || read(release_[0], &c, 1) != 1) _exit(3);
      _exit(0);
    }
    char c = 0;
    held_ = child_ > 0 && read(ready_[0], &c, 1) == 1 && c == 'y';
  }
  ~OtherProgramHoldsClipboard() {
    if (child_ > 0) {
      if (write(release_[1], "x", 1) != 1) kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
    for (int fd : {ready_[0], ready_[1], release_[0], release_[1]})
      if (fd >= 0) close(fd);
  }
  bool Held() const { return held_; }

 private:
  int ready_[2] = {-1, -1};
  int release_[2] = {-1, -1};
  pid_t child_ = -1;
  bool held_ = false;
};

class JobIntakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    Device::calls = &calls;
    std::filesystem::remove_all(Jobs());
    for (const char* name : {"P1.NC", "A1.DXF"}) testsupport::WriteFile(Jobs() / name, "G0 X0 Y0\n");
    state.FieldSet1 = kSet1;
    state.FieldSet2 = kSet2;
    toolpath::ConnectEval(slots.Eval->Scanner(), state);
    forms.Main.OptFld(5).Click = [this] { calls.push_back("OptFld_Click 5"); };
    forms.Main.Show();
    forms.Main.File1.SetPath("C:\\Jobs\\");
    winplat::ClearClipboard();
  }
  void TearDown() override {
    winplat::ClearClipboard();
    Device::calls = nullptr;
    winplat::SetClock(nullptr);
  }
  static std::filesystem::path Jobs() { return testsupport::Root() / "C" / "Jobs"; }
  void Tick() { intake.Timer1_Timer(); }

  winplat::ManualClock clock;
  std::vector<std::string> calls;
  ProgramState state;
  engine::Vexlib vx{Device::Table()};
  ConsoleForms forms;
  ComponentSlots slots{forms};
  FormConsoleView view{forms.Main, &slots};
  engine::Engine e{state, vx, view, [] {}};
  toolpath::ToolpathContext ctx{state, slots.GcodeAwk->Scanner(), slots.Parser->Scanner(), slots.Eval->Scanner(),
                                slots.ToolDat->Grid()};
  FileSelection files{e, forms.Main, nullptr};
  // The open slot records the path with what the job set up before it.
  std::function<void(const std::string&)> onOpen;
  JobIntake intake{e, forms.Main, ctx, files, [this](const std::string& path) {
                     calls.push_back("open " + path);
                     if (onOpen) onOpen(path);
                   }};
  winplat::MessageBoxScript boxes;
};

TEST_F(JobIntakeTest, UntickedConnectLeavesTheClipboardAloneButTheListIsStillRefreshed) {
  forms.Main.CorvConn.SetValue(0);
  winplat::SetClipboardText("P1.NC;;T");
  testsupport::WriteFile(Jobs() / "NEW.NC", "");
  Tick();
  EXPECT_EQ(winplat::GetClipboardText(), "P1.NC;;T");
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(forms.Main.File1.ListCount(), 3);
}

TEST_F(JobIntakeTest, AMissingFileWaitsAndIsTakenAtTheTickAfterItAppears) {
  EXPECT_EQ(forms.Main.CorvConn.Value(), 1) << "ticked from the start";
  winplat::SetClipboardText("LATER.NC;;T");
  Tick();
  Tick();
  EXPECT_EQ(winplat::GetClipboardText(), "LATER.NC;;T");
  EXPECT_TRUE(calls.empty());
  testsupport::WriteFile(Jobs() / "LATER.NC", "G0 X0 Y0\n");
  Tick();
  EXPECT_EQ(winplat::GetClipboardText(), "");
  EXPECT_EQ(calls.back(), "open C:\\Jobs\\LATER.NC");
}

TEST_F(JobIntakeTest, ARefusedNameStaysOnTheClipboardAndOpensNothing) {
  testsupport::WriteFile(testsupport::Root() / "C" / "Outside.NC", "G0 X0 Y0\n");
  for (const char* record : {"..\\Outside.NC;;T", "C:\\Outside.NC;;T", "*.NC;;T", ".;;T"}) {
    winplat::SetClipboardText(record);
    Tick();
    EXPECT_EQ(winplat::GetClipboardText(), record);
  }
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(JobIntakeTest, AHeldClipboardOrABusyEngineLeavesTheRecord) {
  winplat::SetClipboardText("P1.NC;;T");
  {
    OtherProgramHoldsClipboard other;
    ASSERT_TRUE(other.Held());
    Tick();
  }
  EXPECT_EQ(winplat::GetClipboardText(), "P1.NC;;T");
  state.EngineBusy = 1;
  Tick();
  EXPECT_EQ(winplat::GetClipboardText(), "P1.NC;;T");
  EXPECT_TRUE(calls.empty());
  state.EngineBusy = 0;
  Tick();
  EXPECT_EQ(winplat::GetClipboardText(), "");
  EXPECT_EQ(calls.back(), "open C:\\Jobs\\P1.NC");
}

TEST_F(JobIntakeTest, TheJobOpensInItsOwnRunFieldLikeAPickInTheList) {
  forms.Main.OptFld(2).SetValue(true);
  state.InversionState = BoolTrue;
  state.FieldCalibration[5].XScale = 1000;
  state.FieldCalibration[5].YScale = 800;
  onOpen = [this](const std::string&) {
    EXPECT_EQ(state.InversionState, BoolFalse);
    EXPECT_TRUE(forms.Main.OptFld(5).Value());
    EXPECT_EQ(state.HandOffFlag, BoolTrue);
  };
  winplat::SetClipboardText("P1.NC;;S/");
  Tick();
  EXPECT_EQ(calls, (std::vector<std::string>{"DeleteFrames 1 15", "OptFld_Click 5", "SetWorkingScale -200 2000 -800 800",
                                             "open C:\\Jobs\\P1.NC"}));
  EXPECT_EQ(state.HandOffFlag, BoolFalse) << "cleared once the job has been read";
}

TEST_F(JobIntakeTest, JobVariablesUseEarlierOnesAndAFailedExpressionIsLeftUnsupplied) {
  std::array<std::int16_t, 21> supplied{};
  std::array<float, 21> values{};
  onOpen = [&](const std::string& path) {
    supplied = state.VarSet;
    values = state.VarTable;
    view.SetMsg(path);  // as the open shows its file
  };
  state.VarTable[4] = 77;  // a value from before the job
  winplat::SetClipboardText("P1.NC;;T;;400;L/2;(1+;;;;;H+1;;;;;;;2*A");
  Tick();
  EXPECT_FLOAT_EQ(values[12], 400);
  EXPECT_FLOAT_EQ(values[8], 200);
  EXPECT_FLOAT_EQ(values[1], 201);
  EXPECT_FLOAT_EQ(values[9], 402);
  EXPECT_FLOAT_EQ(values[4], 0) << "every variable starts at 0";
  EXPECT_EQ(supplied[12], BoolTrue);
  EXPECT_EQ(supplied[19], BoolFalse) << "the failed S is left to the program";
  EXPECT_FLOAT_EQ(values[19], 0);
  EXPECT_EQ(supplied[4], BoolFalse);
  EXPECT_EQ(forms.Main.Msg.Caption(), "Job variable S: expression (1+ not evaluated");
  EXPECT_EQ(state.VarSet, (std::array<std::int16_t, 21>{})) << "cleared once the job has been read";
  EXPECT_FLOAT_EQ(state.VarTable[12], 400) << "the values stay";
}

TEST_F(JobIntakeTest, AnUnknownRunFieldShowsTheBoxTopmostAndConsumesTheJob) {
  const winplat::HWND main = forms.Main.hWnd();
  bool topmostWhileUp = false;
  boxes.Answer(winplat::IDOK, [&] {
    topmostWhileUp = winplat::IsTopmost(main);
    // A tick while the box is up is skipped: this record stays.
    winplat::SetClipboardText("A1.DXF;;T");
    Tick();
  });
  winplat::SetClipboardText("P1.NC;;X");
  Tick();
  ASSERT_EQ(boxes.Shown().size(), 1u);
  const winplat::ShownMessageBox& box = boxes.Shown()[0];
  EXPECT_EQ(box.text, "Proper Run Field Area Not Selected");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.icon, winplat::MB_ICONEXCLAMATION);
  EXPECT_EQ(box.buttons, winplat::MB_OK);
  EXPECT_TRUE(topmostWhileUp);
  EXPECT_FALSE(winplat::IsTopmost(main));
  EXPECT_EQ(winplat::WindowZOrder().back(), main) << "at the bottom afterwards";
  EXPECT_TRUE(calls.empty()) << "nothing opened";
  EXPECT_EQ(winplat::GetClipboardText(), "A1.DXF;;T");
  EXPECT_EQ(state.HandOffFlag, BoolFalse);
}

TEST_F(JobIntakeTest, AListOfTwelveInAFolderOfThirteenIsReadAgainWithinASecond) {
  for (int i = 1; i <= 10; ++i) testsupport::WriteFile(Jobs() / ("J" + std::to_string(i) + ".NC"), "");
  forms.Main.File1.Refresh();
  ASSERT_EQ(forms.Main.File1.ListCount(), 12);
  testsupport::WriteFile(Jobs() / "J13.NC", "");
  winplat::controls::op::Wait(1000);
  EXPECT_EQ(forms.Main.File1.ListCount(), 13);
}

}  // namespace
}  // namespace fieldray::console
