// The transport over PCI boards: mailbox, doorbell, replies, stale replies, faults.
#include "vexlib_fixture.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

class PciTransport : public VexlibTest {
 protected:
  // A PCI machine of `count` boards with the given board sections, in the library's table.
  void Pci(const std::string& boards, int count = 1, bool operating = true) {
    ConfigureBoards("[Boards]\nFamily=PCI\nCount=" + std::to_string(count) + "\n" + boards);
    if (operating) hw::ForceBoardProgram(hw::BoardProgram::Operating);
    ASSERT_EQ(UseBoards(true, count), count);
    boxes.shown.clear();
  }
  std::int32_t Dates() {
    std::int32_t lib = 0, d1 = 0, d2 = 0;
    return vx::GetDates()(&lib, &d1, &d2);
  }
};

TEST_F(PciTransport, MappingIsLoggedAndCommandsRoundTrip) {
  ASSERT_NO_FATAL_FAILURE(Pci(""));
  EXPECT_TRUE(Logged("WinRT Driver Version 2.2"));
  EXPECT_TRUE(Logged("PCI physical memory Start=E8000000, Length=8000"));
  EXPECT_TRUE(Logged("TB2OOO Mapped Base Address=40000000"));
  EXPECT_EQ(vx::DisplayTrans2()(7, -7), 0);
  auto sent = Commands(210);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].family, hw::BoardFamily::Pci);
  EXPECT_EQ(sent[0].operands, (std::vector<std::uint8_t>{0, 0, 0, 7, 0xFF, 0xFF, 0xFF, 0xF9}));
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  EXPECT_EQ(d1, 20000110);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PciTransport, ErrorRepliesUseTheBoardFamilysTexts) {
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=error 6 on 50\n"));
  EXPECT_EQ(Dates(), 6);
  EXPECT_TRUE(Logged("Board 1 TB2OOO: DRAM TEST FAILED ****"));
  ASSERT_FALSE(boxes.shown.empty());
  EXPECT_EQ(boxes.shown[0].caption, "TB2OOO Diagnostics: Master board");
  ASSERT_NO_FATAL_FAILURE(Pci("", 1, false));
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 2);
  EXPECT_TRUE(Logged("Board 1 TB2OOO: UNDEFINED COMMAND ****"));
}

TEST_F(PciTransport, MissingEmptyOddAndOverlongReplies) {
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=no answer\n"));
  EXPECT_EQ(Dates(), -1);
  EXPECT_TRUE(Logged("Board 1 VXLIB: FIFO ERROR ****"));
  for (int bytes : {0, 3}) {
    ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=reply bytes " + std::to_string(bytes) + "\n"));
    EXPECT_EQ(Dates(), -1) << bytes;
  }
  // A count past the reply buffer is bounded, and the reply still reads.
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=reply bytes 20000\n"));
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  EXPECT_EQ(d1, 20000110);
}

TEST_F(PciTransport, MemoryNotReadyAsksAndCancelSkips) {
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=memory not ready\n"));
  boxes.answers.push_back({winplat::IDCANCEL, {}});
  EXPECT_EQ(Dates(), -2);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text.rfind("The TB2OOO memory is not ready to be accessed.", 0), 0u);
  EXPECT_EQ(boxes.shown[0].caption, "TB2OOO Diagnostics: Master board");
  EXPECT_TRUE(Commands(50).empty());
  EXPECT_EQ(winplat::BeepHistory().size(), 1u);
  // OK sends anyway; the board then never reports ready and the wait runs out.
  EXPECT_EQ(Dates(), -901);
  EXPECT_EQ(Commands(50).size(), 1u);
}

TEST_F(PciTransport, DoorbellNeverTakenEndsInFifoError) {
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=doorbell stuck\n"));
  EXPECT_EQ(Dates(), -1);
  EXPECT_TRUE(Logged("Board 1 VXLIB: FIFO ERROR ****"));
  EXPECT_TRUE(Commands(50).empty());
}

TEST_F(PciTransport, BoardThatNeverFinishesTimesOut) {
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=never finishes\n"));
  EXPECT_EQ(Dates(), -901);
  EXPECT_TRUE(Logged("Board 1 VXLIB: FIFO ERROR ****"));
}

TEST_F(PciTransport, StaleRepliesAreReportedAndTheCommandStillGoesOut) {
  // Type 1: a normal leftover, nothing reported.
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=stale reply 1 8\n"));
  EXPECT_EQ(Dates(), 0);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Commands(50).size(), 1u);
  // Type 2 carrying code 6: the SDRAM line and the memory-failure box, then the command.
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=stale reply 2 4\n"));
  EXPECT_EQ(Dates(), 0);
  EXPECT_TRUE(Logged("Board 1 TB2OOO: SDRAM TEST FAILED ****"));
  EXPECT_EQ(boxes.Count("The TB board's internal check routines have detected a MEMORY FAILURE."), 1);
  EXPECT_EQ(Commands(50).size(), 1u);
  // Any other type is an error reply too.
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=stale reply 5 4\n"));
  EXPECT_EQ(Dates(), 0);
  EXPECT_TRUE(Logged("Board 1 TB2OOO: SDRAM TEST FAILED ****"));
  // An odd count is a memory read error.
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=stale reply 2 3\n"));
  EXPECT_EQ(Dates(), 0);
  EXPECT_TRUE(Logged("Board 1 VXLIB: MEMORY READ ERROR ****"));
  EXPECT_EQ(Commands(50).size(), 1u);
}

TEST_F(PciTransport, EveryFrameExportRunsInPciMode) {
  ASSERT_NO_FATAL_FAILURE(Pci("", 2));
  std::int32_t count = 0, status = 0, lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetVXDLLModuleUsage()(&count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(vx::OpenVXCommWindow()(), 0);
  EXPECT_EQ(vx::WriteToVXCommWindow()("pci"), 0);
  EXPECT_EQ(vx::TB32BeepOnError()(1), 0);
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 0);
  EXPECT_EQ(Commands(210).size(), 2u);
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  EXPECT_EQ(Commands(50).size(), 1u);
  EXPECT_EQ(vx::GetVXStatus()(&status), 0);
  EXPECT_EQ(vx::vxOutp()(0x2F0, 0x1FF), 0xFF);
  EXPECT_EQ(vx::vxInp()(0x2F0), -1);
  EXPECT_EQ(vx::vxInpw()(0x2F0), -1);
  vx::vxOutpw()(0x2F0, 0xFFFF);
  EXPECT_EQ(vx::CloseVXCommWindow()(), 0);
  EXPECT_TRUE(Logged("----- pci -----"));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PciTransport, TwoBoardsReturnTheLastBoardsResult) {
  ASSERT_NO_FATAL_FAILURE(Pci("[Board0]\nFault=error 3 on 210\n", 2));
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 0);
  EXPECT_TRUE(Logged("Board 1 TB2OOO: DOWNLOAD BAD ****"));
  EXPECT_EQ(Commands(210).size(), 2u);
  EXPECT_EQ(boxes.Count("The TB board's internal check routines have detected a COMMUNICATIONS ERROR."), 1);
}

}  // namespace
