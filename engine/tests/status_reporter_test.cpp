#include <gtest/gtest.h>

#include "engine/status_reporter.h"
#include "engine_fakes.h"
#include "winplat/msgbox.h"

namespace fieldray::engine {
namespace {

using enginetest::EngineRig;
using winplat::IDNO;
using winplat::IDYES;

const std::string L = "\n\r";
std::string Prefix(const std::string& code) { return "VX status/error number " + code + "." + L; }
const std::string kExitTail = L + L + "You can exit the program if you wish. Select 'Yes' to exit, 'No' to continue. " +
                              L + L + "Exit program?";
const std::string kBeepText =
    "Because of this problem, error beeps and messages will appear each time the TB is accessed. " + L + L +
    "Do you want to hear the beeps and see the messages?";

struct Row {
  std::int32_t code;
  const char* title;
  unsigned style;  // 0: prompts instead of a plain box
  bool gated;
  StatusPrompts prompts;
};

// Every row of the reporter's table.
const Row kRows[] = {
    {-1, "CheckStatus: TB2000 FIFO read error", 0, true, StatusPrompts::Exit},
    {-2, "CheckStatus: TB software error", 0, true, StatusPrompts::Exit},
    {-31, "CheckStatus: Already point-oriented", 64, false, StatusPrompts::None},
    {-101, "CheckStatus: CheckSession error", 48, true, StatusPrompts::None},
    {-401, "CheckStatus: File error", 48, false, StatusPrompts::None},
    {-402, "CheckStatus: File error", 48, false, StatusPrompts::None},
    {-403, "CheckStatus: File error", 48, false, StatusPrompts::None},
    {-404, "CheckStatus: File error", 48, false, StatusPrompts::None},
    {-405, "CheckStatus: File error", 48, false, StatusPrompts::None},
    {-406, "CheckStatus: File error", 48, false, StatusPrompts::None},
    {-407, "CheckStatus: File error", 48, false, StatusPrompts::None},
    {-511, "CheckStatus: Error in Cuetrack system", 48, true, StatusPrompts::None},
    {-512, "CheckStatus: Error in Cuetrack system", 48, true, StatusPrompts::None},
    {-513, "CheckStatus: Error in Cuetrack system", 48, true, StatusPrompts::None},
    {-514, "CheckStatus: Error in Cuetrack system", 48, true, StatusPrompts::None},
    {-515, "CheckStatus: Error in Cuetrack system", 48, true, StatusPrompts::None},
    {-516, "CheckStatus: Error in Cuetrack system", 48, true, StatusPrompts::None},
    {-519, "CheckStatus: Error in Cuetrack system", 48, true, StatusPrompts::None},
    {-540, "CheckStatus: Error in Cuetrack system", 48, true, StatusPrompts::None},
    {-549, "CheckStatus: Error in Cuetrack system", 48, true, StatusPrompts::None},
    {-601, "CheckStatus: Windows 'Out of memory' error", 16, false, StatusPrompts::None},
    {-602, "CheckStatus: Windows 'Out of memory' error", 16, false, StatusPrompts::None},
    {-702, "CheckStatus: TB 'Out of memory' error", 16, true, StatusPrompts::None},
    {-703, "CheckStatus: File too large error", 16, true, StatusPrompts::None},
    {-801, "CheckStatus: VX library error", 48, true, StatusPrompts::None},
    {-901, "CheckStatus: Timeout error", 48, true, StatusPrompts::None},
    {-1001, "CheckStatus: TB Not Present", 0, false, StatusPrompts::ExitBeepNoBoards},
    {-1002, "CheckStatus: TB Address Conflict", 0, false, StatusPrompts::ExitBeepNoBoards},
    {-1003, "CheckStatus:TB Address Conflict", 0, false, StatusPrompts::ExitBeepNoBoards},
    {1, "CheckStatus: Null Command Error", 0, true, StatusPrompts::ExitBeep},
    {2, "CheckStatus: Bad Command Error", 0, true, StatusPrompts::ExitBeep},
    {3, "CheckStatus: Bad Download Error", 0, true, StatusPrompts::ExitBeep},
    {4, "CheckStatus: Bad Checksum Error", 0, true, StatusPrompts::ExitBeep},
    {5, "CheckStatus: Insufficient Operand Error", 0, true, StatusPrompts::ExitBeep},
    {6, "CheckStatus: DRAM Test Failed.", 0, true, StatusPrompts::ExitBeep},
    {7, "CheckStatus: ROM Test Failed.", 0, true, StatusPrompts::ExitBeep},
    {8, "CheckStatus: Guru Meditation Error.", 0, true, StatusPrompts::ExitBeep},
    {42, "CheckStatus: Unknown Error Number", 0, false, StatusPrompts::ExitBeep},
    {VXBindingMissing, "CheckStatus: Unknown Error Number", 0, false, StatusPrompts::ExitBeep},
};

// No to both prompts; plain boxes take their only button.
std::vector<int> Answers(const Row& row) {
  return row.prompts == StatusPrompts::None ? std::vector<int>{} : std::vector<int>{IDNO, IDNO};
}

std::vector<winplat::ShownMessageBox> Report(EngineRig& rig, std::int32_t code, std::vector<int> answers) {
  winplat::MessageBoxScript script;
  for (int a : answers) script.Answer(a);
  rig.state.VXStatus = code;
  CheckStatus(rig.e);
  return script.Shown();
}

TEST(CheckStatus, EveryRowShowsItsTitleStyleAndPromptsWhenMessagesAreOn) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.code);
    EngineRig rig;
    auto shown = Report(rig, row.code, Answers(row));
    switch (row.prompts) {
      case StatusPrompts::None:
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].flags, row.style);
        EXPECT_TRUE(rig.board.CallsNamed("OpenVXCommWindow").empty());
        break;
      case StatusPrompts::Exit:
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].flags, 276u);
        EXPECT_EQ(shown[0].defaultButton, IDNO);
        EXPECT_EQ(rig.board.CallsNamed("OpenVXCommWindow").size(), 1u);
        break;
      case StatusPrompts::ExitBeep:
      case StatusPrompts::ExitBeepNoBoards:
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0].flags, 276u);
        EXPECT_EQ(shown[1].flags, 292u);
        EXPECT_EQ(shown[1].caption, row.title);
        EXPECT_EQ(shown[1].text, kBeepText);
        EXPECT_EQ(rig.state.ShowErrorMessages, 0);
        EXPECT_EQ(rig.board.CallsNamed("TB32BeepOnError"), std::vector<std::string>{"TB32BeepOnError 0"});
        break;
    }
    EXPECT_EQ(shown[0].caption, row.title);
    if (row.prompts != StatusPrompts::None) {
      EXPECT_TRUE(shown[0].text.ends_with(kExitTail));
    }
    EXPECT_EQ(rig.board.CallsNamed("SetWorkingScanners").size(),
              row.prompts == StatusPrompts::ExitBeepNoBoards ? 1u : 0u);
    EXPECT_EQ(rig.exits, 0);
  }
}

TEST(CheckStatus, GatedRowsAreSilentWhileMessagesAreOffAndTheOthersStillShow) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.code);
    EngineRig rig;
    rig.state.ShowErrorMessages = 0;
    auto shown = Report(rig, row.code, Answers(row));
    EXPECT_EQ(shown.empty(), row.gated);
  }
}

TEST(CheckStatus, SuccessAndQuietCodesShowNothing) {
  for (std::int32_t code : {0, -11, -13, -16, -201, -501, -502, -530, -531, -532, -533, -539}) {
    SCOPED_TRACE(code);
    EngineRig rig;
    EXPECT_TRUE(Report(rig, code, {}).empty());
    EXPECT_TRUE(rig.board.calls.empty());
  }
}

TEST(CheckStatus, TextsCarryThePrefixOrReplaceIt) {
  EngineRig rig;
  EXPECT_EQ(Report(rig, -402, {})[0].text, "Wrong type of file.");
  EXPECT_EQ(Report(rig, -407, {})[0].text, "Filename is too long. It must be 127 or fewer characters.");
  EXPECT_EQ(Report(rig, -31, {})[0].text, Prefix("-31") +
                                              "You are trying to create a point-oriented frame. But the existing "
                                              "frame is already point-oriented.");
  EXPECT_EQ(Report(rig, -101, {})[0].text,
            Prefix("-101") + "A session is not running. " + L + "You must first start a session.");
  EXPECT_EQ(Report(rig, -511, {})[0].text, Prefix("-511") + "Cuetrack TDC out of range." + L +
                                               "(TDC number higher than allowed.)" + L +
                                               "Current value of variable 'currentTDC': 0");
  EXPECT_EQ(Report(rig, -549, {})[0].text,
            Prefix("-549") + "This structure (effect, scene, module or show) is being used by Cuetrack. " + L +
                "It cannot be deleted." + L +
                "Cut or discard any structures which use or reference this, and try again." + L);
  EXPECT_EQ(Report(rig, -1003, {IDNO, IDYES})[0].text,
            Prefix("-1003") + "TB2000 initialization problem detected. " + kExitTail);
  // A positive code is the program's number text, with its leading blank.
  EXPECT_EQ(Report(rig, 42, {IDNO, IDYES})[0].text,
            Prefix(" 42") + "Unknown type of error in VX/CheckStatus." + kExitTail);
  EXPECT_EQ(Report(rig, 2, {IDNO, IDYES})[0].text,
            Prefix(" 2") +
                "Bad command reported. Could be TB hardware trouble, or that the files VEXLIB.DLL and VEXLIB.TBS "
                "are mismatched (from different releases)." +
                kExitTail);
}

TEST(CheckStatus, MemoryReportGroupsDigitsAndLeavesZeroEmpty) {
  EngineRig rig;
  rig.board.memory[0] = 99;
  rig.board.memory[1] = 0;
  rig.board.memory[2] = 1234567;
  rig.board.memory[3] = 12;
  auto shown = Report(rig, -702, {});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, Prefix("-702") + "Out of memory on TB2000. " + L + L + "Total free memory in TB is  bytes." +
                               L + "Largest free memory block in TB is 1,234,567 bytes." + L +
                               "There are 12 memory blocks currently in use." + L +
                               "Delete unneeded frames and defragment to gain more TB memory." + L + L +
                               "If you routinely work with large numbers of frames, you can also " +
                               "add more memory to the TB board (as much as 256MB)." + L +
                               "See the Tribank 32 Help file for more information. ");
  shown = Report(rig, -703, {});
  EXPECT_TRUE(shown[0].text.ends_with("you can also add more memory to the TB board (up to 256MB)." + L +
                                      "See the Tribank 32 Help file for more information. "));
}

TEST(CheckStatus, AnsweringYesEndsTheProgramWithoutTheBeepPrompt) {
  EngineRig rig;
  auto shown = Report(rig, -1002, {IDYES});
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_EQ(rig.exits, 1);
  EXPECT_TRUE(rig.board.CallsNamed("SetWorkingScanners").empty());
  EXPECT_EQ(rig.board.CallsNamed("OpenVXCommWindow").size(), 1u);
}

TEST(CheckStatus, KeepingTheBeepsLeavesMessagesOnButStillDeselectsTheBoards) {
  EngineRig rig;
  auto shown = Report(rig, -1001, {IDNO, IDYES});
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(rig.state.ShowErrorMessages, -1);
  EXPECT_TRUE(rig.board.CallsNamed("TB32BeepOnError").empty());
  EXPECT_EQ(rig.board.CallsNamed("SetWorkingScanners"), std::vector<std::string>{"SetWorkingScanners 0"});
  // Declining them once silences the gated codes from then on.
  Report(rig, 1, {IDNO, IDNO});
  EXPECT_EQ(rig.state.ShowErrorMessages, 0);
  EXPECT_TRUE(Report(rig, -101, {}).empty());
  EXPECT_EQ(Report(rig, -31, {}).size(), 1u);
}

TEST(StartSession, BeginsWithTheSessionArgsAndReturnsOnSuccess) {
  EngineRig rig;
  winplat::MessageBoxScript script;
  StartSession(rig.e);
  EXPECT_EQ(rig.board.CallsNamed("BeginSession"), std::vector<std::string>{"BeginSession 3000 6000 8192 5"});
  EXPECT_TRUE(script.Shown().empty());
  EXPECT_EQ(rig.exits, 0);
}

TEST(StartSession, MissingBootProgramShowsOnlyItsOwnMessage) {
  EngineRig rig;
  rig.board.beginStatus = -401;
  winplat::MessageBoxScript script;
  winplat::ClearBeepHistory();
  StartSession(rig.e);
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Shown()[0].text, "Tribank boot program 'VX.T32' not found. Ending Lumiroll.");
  EXPECT_EQ(script.Shown()[0].caption, "BeginSession unable to complete");
  EXPECT_EQ(script.Shown()[0].flags, 16u);
  EXPECT_EQ(winplat::BeepHistory().size(), 1u);
  EXPECT_EQ(rig.exits, 1);
}

TEST(StartSession, OtherFailuresAreReportedThenTheProgramEnds) {
  EngineRig rig;
  rig.board.beginStatus = -1001;
  winplat::MessageBoxScript script;
  script.Answer(IDNO).Answer(IDNO);
  StartSession(rig.e);
  ASSERT_EQ(script.Shown().size(), 3u);
  EXPECT_EQ(script.Shown()[0].caption, "CheckStatus: TB Not Present");
  EXPECT_EQ(script.Shown()[2].text,
            "Unrecoverable error; Lumiroll cannot continue. Check that you have correct, updated VX.DLL and VX.T32 "
            "files in Windows\\System directory.");
  EXPECT_EQ(rig.exits, 1);
}

TEST(StartSession, EndingFromTheExitPromptSkipsTheFinalMessage) {
  EngineRig rig;
  rig.board.beginStatus = -1002;
  winplat::MessageBoxScript script;
  script.Answer(IDYES);
  StartSession(rig.e);
  EXPECT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(rig.exits, 1);
}

TEST(StartSession, AMissingLibraryIsReportedAsAnUnknownCode) {
  ProgramState state;
  Vexlib vx(std::filesystem::path("/nonexistent-folder"));
  enginetest::FakeConsole console;
  int exits = 0;
  Engine e{state, vx, console, [&] { ++exits; }};
  winplat::MessageBoxScript script;
  script.Answer(IDNO).Answer(IDNO);
  StartSession(e);
  EXPECT_EQ(state.VXStatus, VXBindingMissing);
  ASSERT_EQ(script.Shown().size(), 3u);
  EXPECT_EQ(script.Shown()[0].caption, "CheckStatus: Unknown Error Number");
  EXPECT_EQ(script.Shown()[2].caption, "BeginSession unable to complete");
  EXPECT_NE(vx.LastBindingError().find("libvexlib.so"), std::string::npos);
  EXPECT_EQ(exits, 1);
}

TEST(VexlibBinding, AMissingExportOfASuppliedTableIsNeverSuccess) {
  VexlibTable table;  // nothing supplied
  Vexlib vx(table);
  std::int32_t status = 0;
  EXPECT_EQ(vx.CheckSession(&status), VXBindingMissing);
  EXPECT_EQ(status, VXBindingMissing);
  EXPECT_EQ(vx.WriteFrame(nullptr, nullptr), VXBindingMissing);
  EXPECT_NE(vx.LastBindingError().find("WriteFrame"), std::string::npos);
}

}  // namespace
}  // namespace fieldray::engine
