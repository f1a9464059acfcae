// The transport over ISA boards, through the library's exports and injected faults.
#include "vexlib_fixture.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

constexpr char kMemoryFailure[] = "The TB board's internal check routines have detected a MEMORY FAILURE.";
constexpr char kHelp[] = "To solve this problem try the following:";

using IsaTransport = VexlibTest;

TEST_F(IsaTransport, CommandsGoOutBigEndianAndRepliesComeBack) {
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  EXPECT_EQ(vx::DisplayTrans2()(0x01020304, -2), 0);
  auto sent = Commands(210);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].operands, (std::vector<std::uint8_t>{1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0xFE}));
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  EXPECT_EQ(lib, 20000125);
  EXPECT_EQ(d1, 20000110);
  EXPECT_EQ(d2, 20000124);
  EXPECT_TRUE(Logged("GetDates"));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(winplat::BeepHistory().empty());
}

TEST_F(IsaTransport, BootProgramAnswersUndefinedCommand) {
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 2);
  EXPECT_TRUE(Logged("Board 1 TB32: UNDEFINED COMMAND ****"));
  EXPECT_EQ(winplat::BeepHistory().size(), 1u);
  EXPECT_TRUE(boxes.shown.empty());
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  EXPECT_EQ(d1, 19990614);  // the boot program's own dates
}

TEST_F(IsaTransport, EmptyAndOddRepliesAreFifoErrors) {
  for (int bytes : {0, 3}) {
    ConfigureBoards("[Board0]\nFault=reply bytes " + std::to_string(bytes) + "\n");
    std::int32_t lib = 0, d1 = -5, d2 = -5;
    EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), -1) << bytes;
    EXPECT_EQ(d1, 0);
    EXPECT_EQ(d2, 0);
    EXPECT_TRUE(Logged("Board 1 VXLIB: FIFO ERROR ****"));
  }
  ConfigureBoards("[Board0]\nFault=no answer\n");
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), -1);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(IsaTransport, Error6ShowsMemoryFailureAndError7ShowsNoBox) {
  ConfigureBoards("[Board0]\nFault=error 6 on 50\n");
  boxes.answers.push_back({winplat::IDOK, {}});
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 6);
  EXPECT_TRUE(Logged("Board 1 TB32: DRAM TEST FAILED ****"));
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].caption, "TB32 Diagnostics: Master board");
  EXPECT_EQ(boxes.shown[0].text.rfind(kMemoryFailure, 0), 0u);
  EXPECT_EQ(boxes.shown[0].flags & 0xF, winplat::MB_OKCANCEL);
  EXPECT_EQ(boxes.shown[1].text.rfind(kHelp, 0), 0u);
  EXPECT_EQ(boxes.shown[1].caption, "TB32 Diagnostics: Master board");

  boxes.shown.clear();
  ConfigureBoards("[Board0]\nFault=error 7 on 50\n");
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 7);
  EXPECT_TRUE(Logged("Board 1 TB32: ROM TEST FAILED ****"));
  EXPECT_TRUE(boxes.shown.empty());

  ConfigureBoards("[Board0]\nFault=error 8 on 50\n");
  boxes.answers.push_back({winplat::IDCANCEL, {}});
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 8);
  EXPECT_TRUE(Logged("Board 1 TB32: ACCESS ERROR ****"));
  ASSERT_EQ(boxes.shown.size(), 1u);  // Cancel: no help box
  EXPECT_NE(boxes.shown[0].text.find("GENERAL ACCESS ERROR"), std::string::npos);

  ConfigureBoards("[Board0]\nFault=error 12 on 50\n");
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 12);
  EXPECT_TRUE(Logged("Board 1 TB32: MISC ERROR 12 ****"));
}

TEST_F(IsaTransport, TwoBoardsReturnTheLastBoardsResult) {
  ConfigureBoards("[Boards]\nCount=2\n[Board0]\nFault=error 3 on 210\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  UseBoards(false, 2);
  EXPECT_EQ(vx::DisplayTrans2()(5, 6), 0);
  EXPECT_TRUE(Logged("Board 1 TB32: DOWNLOAD BAD ****"));
  ASSERT_EQ(boxes.Count("The TB board's internal check routines have detected a COMMUNICATIONS ERROR."), 1);
  EXPECT_EQ(boxes.shown[0].caption, "TB32 Diagnostics: Master board");
  EXPECT_EQ(Commands(210).size(), 2u);
  std::int32_t sticky = 0;
  EXPECT_EQ(vx::GetVXStatus()(&sticky), 0);  // the export's result was 0

  // Errors of a slave name it in the caption by its index.
  ConfigureBoards("[Boards]\nCount=2\n[Board1]\nFault=error 4 on 210\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  boxes.shown.clear();
  EXPECT_EQ(vx::DisplayTrans2()(5, 6), 4);
  EXPECT_TRUE(Logged("Board 2 TB32: CHECKSUM BAD ****"));
  ASSERT_EQ(boxes.shown.size(), 2u);  // the communications box, then (OK) the help box
  EXPECT_EQ(boxes.shown[0].caption, "TB32 Diagnostics: Slave1 board");
  EXPECT_EQ(boxes.shown[1].caption, "TB32 Diagnostics: Slave1 board");
}

TEST_F(IsaTransport, QueriesGoToTheFirstWorkingBoardOnly) {
  ConfigureBoards("[Boards]\nCount=2\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  UseBoards(false, 2);
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  auto dates = Commands(50);
  ASSERT_EQ(dates.size(), 1u);
  EXPECT_EQ(dates[0].board, 0);
  // The working boards are restored afterwards.
  EXPECT_EQ(vx::DisplayTrans2()(1, 1), 0);
  EXPECT_EQ(Commands(210).size(), 2u);
}

TEST_F(IsaTransport, BusyPortInsideFortyFiveSecondsShowsTheNoteAndSends) {
  ConfigureBoards("[Board0]\nFault=busy port\n");
  winplat::ManualClock clock(30'000);
  winplat::SetClock(&clock);
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text.rfind("The TB board requires 60 seconds", 0), 0u);
  EXPECT_EQ(boxes.shown[0].flags & 0xF, winplat::MB_OK);
  EXPECT_EQ(Commands(50).size(), 1u);
  EXPECT_TRUE(winplat::BeepHistory().empty());
}

TEST_F(IsaTransport, TheNoteFollowsTheMachinesUptime) {
  ConfigureBoards("[Board0]\nFault=busy port\n");
  ASSERT_TRUE(winplat::SetMachineUptime(10'000));  // the machine root started ten seconds ago
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  EXPECT_EQ(boxes.Count("The TB board requires 60 seconds"), 1);
  ASSERT_TRUE(winplat::SetMachineUptime(3'600'000));
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);  // now the port box, answered OK
  EXPECT_EQ(boxes.Count("The PC to TRIBANK32 communications port should be empty but is not."), 1);
}

TEST_F(IsaTransport, BusyPortLaterAsksAndCancelSkips) {
  ConfigureBoards("[Board0]\nFault=busy port\n");
  winplat::ManualClock clock(3'600'000);
  winplat::SetClock(&clock);
  boxes.answers.push_back({winplat::IDCANCEL, {}});
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), -2);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text.rfind("The PC to TRIBANK32 communications port should be empty but is not.", 0), 0u);
  EXPECT_TRUE(Commands(50).empty());
  EXPECT_EQ(winplat::BeepHistory().size(), 1u);
  // OK sends anyway.
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  EXPECT_EQ(Commands(50).size(), 1u);
}

TEST_F(IsaTransport, OverlongReplyIsDrainedAndEndlessReplyBreaksThePort) {
  ConfigureBoards("[Board0]\nFault=reply bytes 600\n");
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  EXPECT_EQ(d1, 19990614);
  EXPECT_TRUE(boxes.shown.empty());
  // The port is left empty for the next command.
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);

  ConfigureBoards("[Board0]\nFault=endless reply\n");
  boxes.answers.push_back({winplat::IDOK, {}});
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), -2);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text.rfind("The TRIBANK32 to PC communications port is not working.", 0), 0u);
  EXPECT_EQ(boxes.shown[1].text.rfind(kHelp, 0), 0u);
}

TEST_F(IsaTransport, BoardsThatNeverStartOrFinishTimeOut) {
  for (const char* fault : {"never starts", "never finishes"}) {
    ConfigureBoards(std::string("[Board0]\nFault=") + fault + "\n");
    std::int32_t lib = 0, d1 = 0, d2 = 0;
    EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), -901) << fault;
    EXPECT_TRUE(Logged("Board 1 VXLIB: FIFO ERROR ****"));
  }
  std::int32_t sticky = 0;
  EXPECT_EQ(vx::GetVXStatus()(&sticky), -901);
}

TEST_F(IsaTransport, BeepOffNeitherBeepsNorOpensTheWindow) {
  vx::CloseVXCommWindow()();
  vx::TB32BeepOnError()(0);
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 2);
  EXPECT_TRUE(winplat::BeepHistory().empty());
  EXPECT_TRUE(CommLog().empty());
  vx::TB32BeepOnError()(1);
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 2);  // the error opens the window, then logs
  EXPECT_TRUE(Logged("Board 1 TB32: UNDEFINED COMMAND ****"));
}

}  // namespace
