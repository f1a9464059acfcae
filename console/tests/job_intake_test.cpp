// Jobs handed over on the clipboard, and the job list following its folder.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <array>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "clipboard_holder.h"
#include "console/component_slots.h"
#include "console/file_selection.h"
#include "console/form_console_view.h"
#include "console/job_intake.h"
#include "engine/pick_message.h"
#include "engine/tests/engine_fakes.h"
#include "test_support.h"
#include "toolpath/expressions.h"
#include "winplat/clipboard.h"
#include "winplat/clock.h"
#include "winplat/files.h"
#include "winplat/controls/operator.h"
#include "winplat/msgbox.h"
#include "winplat/paths.h"
#include "winplat/window.h"

namespace fieldray::console {
namespace {

constexpr const char* kSet1 = "S  A  T  R  S/ A/ T/ R/ ";
constexpr const char* kSet2 = "S/ A/ T/ R/ S/1A/1T/1R/1";

struct RecordCase {
  const char* text;
  const char* newListCol;
  std::string name;
  bool usable;
  int runField;
  std::vector<std::pair<char, std::string>> expressions;  // the variables given, by letter
  const char* set1 = kSet1;
};

TEST(JobRecordTest, ParsesNameRunFieldAndExpressions) {
  const std::vector<RecordCase> cases = {
      {"P1.NC;;T", "", "P1.NC", true, 3, {}},
      {"P1.NC\t\tT", "", "P1.NC", true, 3, {}},
      {"P1.NC;a;T;b;400;300;6", "", "P1.NC", true, 3, {{'L', "400"}, {'H', "300"}, {'S', "6"}}},
      // "B" skips raw column 2: the code is raw column 4, L raw column 6.
      {"P1.NC;skip;x;T;y;400", "B", "P1.NC", true, 3, {{'L', "400"}}},
      {"P1.NC;;;;;;;;;;;1;2;3;4;5;6;7;9", "", "P1.NC", true, 0,
       {{'A', "1"}, {'B', "2"}, {'C', "3"}, {'D', "4"}, {'E', "5"}, {'F', "6"}, {'G', "7"}, {'I', "9"}}},
      {"P1.NC;;A;;;;;;;;;L/2 ", "", "P1.NC", true, 2, {{'A', "L/2"}}},
      // Run-field codes with the default sets.
      {"P1.NC;;N/", "", "P1.NC", true, 5, {}},
      {"P1.NC;;M", "", "P1.NC", true, 4, {}},
      {"P1.NC;;M/1", "", "P1.NC", true, 8, {}},
      {"P1.NC;;t/", "", "P1.NC", true, 7, {}},
      {"P1.NC;; T ", "", "P1.NC", true, 3, {}},
      {"P1.NC;;/ A", "", "P1.NC", true, 0, {}},  // not at a slot's start
      {"P1.NC;; T", "", "P1.NC", true, 3, {}},
      {"P1.NC;;", "", "P1.NC", true, 0, {}},
      {"P1.NC;;X", "", "P1.NC", true, 0, {}},
      {"P1.NC;;Q", "", "P1.NC", true, 0, {}, "S  A  T  R  S/ A/ T/ R/ Q  "},  // no ninth slot
      // Only the first line counts, without its line break.
      {"P1.NC;;T\r\n", "", "P1.NC", true, 3, {}},
      {"P1.NC\r\n", "", "P1.NC", true, 0, {}},
      {"P1.NC;;T\r\nQ.NC;;A;;5", "", "P1.NC", true, 3, {}},
      // Names that cannot name a file of the job folder.
      {"", "", "", false, 0, {}},
      {";;T", "", "", false, 3, {}},
      {".;;T", "", ".", false, 3, {}},
      {"..;;T", "", "..", false, 3, {}},
      {"..\\Fldry.INI;;T", "", "..\\Fldry.INI", false, 3, {}},
      {"sub/P1.NC;;T", "", "sub/P1.NC", false, 3, {}},
      {"C:P1.NC;;T", "", "C:P1.NC", false, 3, {}},
      {"*.NC;;T", "", "*.NC", false, 3, {}},
      {"P?.NC;;T", "", "P?.NC", false, 3, {}},
  };
  for (const RecordCase& c : cases) {
    SCOPED_TRACE(std::string("record \"") + c.text + "\", NewListCol \"" + c.newListCol + "\"");
    JobRecord job = ParseJobRecord(c.text, c.newListCol, c.set1, kSet2);
    EXPECT_EQ(job.Name, c.name);
    EXPECT_EQ(job.NameUsable, c.usable);
    EXPECT_EQ(job.RunField, c.runField);
    decltype(job.Expressions) expected{};
    for (const auto& [letter, text] : c.expressions)
      for (std::size_t i = 0; i < JobVariableFields.size(); ++i)
        if (JobVariableFields[i].Letter == letter) expected[i] = text;
    EXPECT_EQ(job.Expressions, expected);
  }
}

class JobIntakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
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
    winplat::SetClock(nullptr);
  }
  static std::filesystem::path Jobs() { return testsupport::Root() / "C" / "Jobs"; }
  void Tick() { intake.Timer1_Timer(); }

  winplat::ManualClock clock;
  ProgramState state;
  enginetest::FakeBoard board;  // the open and the field choice are logged with its calls
  std::vector<std::string>& calls = board.calls;
  engine::Vexlib vx{board.Table()};
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

TEST_F(JobIntakeTest, ARecordThatCannotBeTakenStaysOnTheClipboardUntilItCan) {
  testsupport::WriteFile(testsupport::Root() / "C" / "Outside.NC", "G0 X0 Y0\n");
  std::optional<testsupport::OtherProgramHoldsClipboard> other;
  const struct {
    const char* what;
    const char* record;
    std::function<void(bool)> block;  // none: the record is refused for good
  } cases[] = {
      {"CorvConn unticked", "P1.NC;;T", [this](bool on) { forms.Main.CorvConn.SetValue(on ? 0 : 1); }},
      {"file not there yet", "LATER.NC;;T",
       [](bool on) { if (!on) testsupport::WriteFile(Jobs() / "LATER.NC", "G0 X0 Y0\n"); }},
      {"clipboard held by another program", "P1.NC;;T",
       [&other](bool on) { on ? (void)other.emplace() : other.reset(); }},
      {"engine busy", "P1.NC;;T", [this](bool on) { state.EngineBusy = on ? 1 : 0; }},
      {"outside the folder", "..\\Outside.NC;;T", nullptr},
      {"a drive path", "C:\\Outside.NC;;T", nullptr},
      {"a wildcard", "*.NC;;T", nullptr},
      {"the folder itself", ".;;T", nullptr},
  };
  int added = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    calls.clear();
    winplat::SetClipboardText(c.record);
    if (c.block) c.block(true);
    ASSERT_TRUE(!other || other->Held());
    // The list follows its folder whatever holds the record back.
    testsupport::WriteFile(Jobs() / ("NEW" + std::to_string(++added) + ".NC"), "");
    Tick();
    Tick();
    EXPECT_EQ(forms.Main.File1.ListCount(), std::distance(std::filesystem::directory_iterator(Jobs()), {}));
    EXPECT_TRUE(calls.empty());
    if (c.block) c.block(false);
    EXPECT_EQ(winplat::GetClipboardText(), c.record);
    if (!c.block) continue;
    Tick();
    EXPECT_EQ(winplat::GetClipboardText(), "");
    const std::string record = c.record;
    EXPECT_EQ(calls.empty() ? "" : calls.back(), "open C:\\Jobs\\" + record.substr(0, record.find(';')));
  }
  EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(JobIntakeTest, WhatTheIntakeWaitsForOrRefusesIsSaidOncePerRecord) {
  testsupport::WriteFile(testsupport::Root() / "C" / "Outside.NC", "G0 X0 Y0\n");
  std::filesystem::create_symlink("../Outside.NC", Jobs() / "LINK.NC");
  std::filesystem::create_symlink("P1.NC", Jobs() / "INNER.NC");
  testsupport::WriteFile(Jobs() / "P1.NC.~4194399-0", "G0 X0 Y0\n");
  // A write's temporary is no job file: neither listed nor counted.
  forms.Main.File1.Refresh();
  EXPECT_EQ(forms.Main.File1.ListCount(), 4);
  EXPECT_EQ(winplat::FCount("C:\\Jobs\\*.*"), 4);
  const struct {
    const char* record;
    const char* said;
  } cases[] = {
      {"LATER.NC;;T", "Waiting for job file LATER.NC in C:\\Jobs\\"},
      {"..\\Outside.NC;;T", "Job refused: ..\\Outside.NC is not a file of C:\\Jobs\\"},
      {"C:\\Outside.NC;;T", "Job refused: C:\\Outside.NC is not a file of C:\\Jobs\\"},
      {"LINK.NC;;T", "Job refused: LINK.NC is not a file of C:\\Jobs\\"},
      {"P1.NC.~4194399-0;;T", "Job refused: P1.NC.~4194399-0 is not a file of C:\\Jobs\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    winplat::SetClipboardText(c.record);
    Tick();
    EXPECT_EQ(forms.Main.Msg.Caption(), c.said);
    e.Console.SetMsg("meanwhile");
    Tick();
    Tick();
    EXPECT_EQ(forms.Main.Msg.Caption(), "meanwhile") << "said once for one record";
    EXPECT_EQ(winplat::GetClipboardText(), c.record);
  }
  EXPECT_TRUE(calls.empty());
  // The same record again after another: said again.
  winplat::SetClipboardText("LATER.NC;;T");
  Tick();
  EXPECT_EQ(forms.Main.Msg.Caption(), "Waiting for job file LATER.NC in C:\\Jobs\\");
  // A link that stays in the job folder is a job file like any other.
  winplat::SetClipboardText("INNER.NC;;T");
  Tick();
  EXPECT_EQ(winplat::GetClipboardText(), "");
  EXPECT_EQ(calls.empty() ? "" : calls.back(), "open C:\\Jobs\\INNER.NC");
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
  EXPECT_EQ(calls, (std::vector<std::string>{"DeleteFrames 1 15", "OptFld_Click 5",
                                             "SetWorkingScale -200 2000 -800 800 0 0", "open C:\\Jobs\\P1.NC"}));
  EXPECT_EQ(state.HandOffFlag, BoolFalse) << "cleared once the job has been read";
}

TEST_F(JobIntakeTest, JobVariablesUseEarlierOnesAndAFailedExpressionIsLeftUnsupplied) {
  std::array<std::int16_t, 21> supplied{};
  std::array<float, 21> values{};
  onOpen = [&](const std::string& path) {
    supplied = state.VarSet;
    values = state.VarTable;
    engine::PickScope pick(e, path);  // as the open shows its file
  };
  state.VarTable[4] = 77;  // a value from before the job
  winplat::SetClipboardText("P1.NC;;T;;400;L/2;(1+;;;;;H+1;;;;;;;2*A");
  Tick();
  // L (12), H (8), A (1) and I (9) are supplied; every other variable, the
  // failed S (19) too, is 0 and left to the program.
  std::array<std::int16_t, 21> wantSupplied{};
  for (int var : {1, 8, 9, 12}) wantSupplied[var] = BoolTrue;
  EXPECT_EQ(supplied, wantSupplied);
  EXPECT_EQ(values, (std::array<float, 21>{0, 201, 0, 0, 0, 0, 0, 0, 200, 402, 0, 0, 400}));
  EXPECT_EQ(forms.Main.Msg.Caption(), "C:\\Jobs\\P1.NC; Job variable S: expression (1+ not evaluated");
  EXPECT_EQ(state.Pick.NextIntakeNotes, "") << "the notes belong to this job's open only";
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

namespace fieldray::console {
namespace {

std::filesystem::path ClipboardFile() { return winplat::MachineRoot() / "clipboard.dat"; }

// A damaged clipboard file, or a folder in its place, is named once until it
// changes, over any number of polls; nothing is taken.
TEST_F(JobIntakeTest, ADamagedClipboardFileIsNamedOnceUntilItChanges) {
  const std::string said = "Clipboard file clipboard.dat is damaged; it reads as empty";
  testsupport::WriteFile(ClipboardFile(), "garbage without a header");
  for (int poll = 0; poll < 10; ++poll) {
    Tick();
    if (poll == 0) {
      EXPECT_EQ(forms.Main.Msg.Caption(), said);
    }
    e.Console.SetMsg("meanwhile");
  }
  EXPECT_EQ(forms.Main.Msg.Caption(), "meanwhile") << "said once";
  // Changed, and still damaged: said again.
  testsupport::WriteFile(ClipboardFile(), "FIELDRAY CLIPBOARD 1\n1 999\nP1.NC;;T");
  Tick();
  EXPECT_EQ(forms.Main.Msg.Caption(), said);
  std::filesystem::remove(ClipboardFile());
  std::filesystem::create_directory(ClipboardFile());
  e.Console.SetMsg("meanwhile");
  Tick();
  EXPECT_EQ(forms.Main.Msg.Caption(), said);
  e.Console.SetMsg("meanwhile");
  Tick();
  EXPECT_EQ(forms.Main.Msg.Caption(), "meanwhile");
  EXPECT_TRUE(calls.empty());
  std::filesystem::remove(ClipboardFile());
}

// A record larger than any job needs is refused by the file's size without
// being read, said once, and stays on the clipboard as a waiting record does.
TEST_F(JobIntakeTest, ARecordOfAHundredMegabytesIsRefusedUnread) {
  constexpr std::uintmax_t size = 100u << 20;
  const std::string head = "FIELDRAY CLIPBOARD 1\n1 " + std::to_string(size - 32) + "\nP1.NC;;T";
  testsupport::WriteFile(ClipboardFile(), head);
  std::filesystem::resize_file(ClipboardFile(), size);  // the rest reads as zero bytes
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  Tick();
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  EXPECT_EQ(forms.Main.Msg.Caption(), "Job record of 104857600 bytes refused: more than 65536");
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 50L << 10) << "kilobytes: the record was read";
  e.Console.SetMsg("meanwhile");
  Tick();
  EXPECT_EQ(forms.Main.Msg.Caption(), "meanwhile") << "said once";
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(std::filesystem::file_size(ClipboardFile()), size);
  // At the limit it is read and taken.
  const std::string text = "P1.NC;;T" + std::string(65507 - 8, '\0');
  testsupport::WriteFile(ClipboardFile(), "FIELDRAY CLIPBOARD 1\n1 65507\n" + text);
  ASSERT_EQ(std::filesystem::file_size(ClipboardFile()), MaxJobRecordBytes);
  Tick();
  EXPECT_EQ(calls.empty() ? "" : calls.back(), "open C:\\Jobs\\P1.NC");
}

}  // namespace
}  // namespace fieldray::console
