// The ISA boards behind the port bus: handshake, boot program, commands, faults.
#include <gtest/gtest.h>

#include <fstream>

#include "../board_machine.h"
#include "board_test_util.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/ports.h"

using namespace winplat::hw;
using namespace boardtest;

namespace {

class IsaBoards : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBoardConfig("");
    std::filesystem::remove(BoardConfigPath());
    ResetBoardState();
    ClearCommandLog();
  }
  void Config(const std::string& text) {
    WriteBoardConfig(text);
    ResetBoardState();
  }
};

TEST_F(IsaBoards, DefaultMachineAnswersMemoryWriteAndReadAt0x300) {
  EXPECT_EQ(Inp(0x304), kIsaReplyEmpty | kIsaHostFifoEmpty | kIsaReplyDone);
  auto w = IsaCommand(0x300, 7, Longs({0x0C00FEF0, 0xABCD1234}));
  ASSERT_EQ(w.size(), 8u);
  EXPECT_EQ(LongAt(w, 0), 0);
  EXPECT_EQ(static_cast<std::uint32_t>(LongAt(w, 4)), 0xABCD1234u);
  auto r = IsaCommand(0x300, 4, Longs({0x0C00FEF0}));
  EXPECT_EQ(static_cast<std::uint32_t>(LongAt(r, 4)), 0xABCD1234u);
  // Nothing answers on the next board's ports.
  EXPECT_EQ(Inp(0x30C), 0xFF);
  EXPECT_TRUE(IsaCommand(0x308, 4, Longs({0})).empty());
}

TEST_F(IsaBoards, BootProgramAnswersItsOwnCommandsOnly) {
  auto dates = IsaCommand(0x300, 50, {});
  ASSERT_EQ(dates.size(), 16u);
  EXPECT_EQ(LongAt(dates, 0), 0);
  EXPECT_EQ(LongAt(dates, 8), 19990614);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 35, {}), 0), kBoardUndefinedCommand);  // boot program only
  for (std::uint16_t code : {51, 52, 210, 18, 999}) {
    EXPECT_EQ(LongAt(IsaCommand(0x300, code, Longs({1, 2})), 0), kBoardUndefinedCommand) << code;
  }
  ForceBoardProgram(BoardProgram::Operating);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 210, Longs({1, 2})), 0), 0);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 50, {}), 8), 20000110);
  // A reboot returns to the boot program.
  EXPECT_EQ(LongAt(IsaCommand(0x300, 115, {}), 0), 0);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 210, Longs({1, 2})), 0), kBoardUndefinedCommand);
}

TEST_F(IsaBoards, DownloadThenStartRunsOperatingSoftware) {
  auto line = [](const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
  // Start without a complete download is refused.
  EXPECT_EQ(LongAt(IsaCommand(0x300, 8, Longs({kIsaSoftwareStart})), 0), kBoardDownloadBad);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 1, line("S30900000000AABBCCDDF1")), 0), kBoardChecksumBad);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 1, line("S30900000000AABBCCDDE8")), 0), 0);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 1, line("S3XX")), 0), kBoardDownloadBad);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 1, line("S70500000000FA")), 0), 0);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 8, {}), 0), kBoardInsufficientOperands);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 8, Longs({kIsaSoftwareStart})), 0), 0);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 210, Longs({1, 2})), 0), 0);
}

TEST_F(IsaBoards, TooFewOperandsIsError5) {
  EXPECT_EQ(LongAt(IsaCommand(0x300, 7, Longs({1})), 0), kBoardInsufficientOperands);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 4, {}), 0), kBoardInsufficientOperands);
}

TEST_F(IsaBoards, IdentityWordComesFromTheConfiguration) {
  Config("[Boards]\nFamily=ISA\nCount=2\n[Board1]\nPort=0x280\nIdentity=0x00012345\n");
  EXPECT_EQ(LongAt(IsaCommand(0x300, 4, Longs({kIsaIdentityAddress})), 4), 0);
  EXPECT_EQ(LongAt(IsaCommand(0x280, 4, Longs({kIsaIdentityAddress})), 4), 0x12345);
  EXPECT_TRUE(IsaCommand(0x308, 4, Longs({0})).empty());
}

TEST_F(IsaBoards, WordBlockRoundTripInChunks) {
  ForceBoardProgram(BoardProgram::Operating);
  std::vector<std::uint8_t> block;
  for (int i = 0; i < 300; ++i) block.push_back(static_cast<std::uint8_t>(i * 7));
  EXPECT_EQ(LongAt(IsaCommand(0x300, 51, {block.begin(), block.begin() + 256}), 0), 0);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 51, {block.begin() + 256, block.end()}), 0), 0);
  auto first = IsaCommand(0x300, 52, {});
  ASSERT_EQ(LongAt(first, 4), 300);
  std::vector<std::uint8_t> back;
  while (back.size() < 300) {
    auto chunk = IsaCommand(0x300, 52, {});
    ASSERT_EQ(LongAt(chunk, 0), 0);
    ASSERT_LE(chunk.size(), 8u + 124u);
    back.insert(back.end(), chunk.begin() + 4, chunk.end());
  }
  back.resize(300);
  EXPECT_EQ(back, block);
  // Read out: the next 52 starts over with the count.
  EXPECT_EQ(LongAt(IsaCommand(0x300, 52, {}), 4), 300);
}

TEST_F(IsaBoards, RepliesNeverExceed512Bytes) {
  ForceBoardProgram(BoardProgram::Operating);
  RegisterBoardCommand(3000, [](BoardContext&, const BoardCommand&, BoardReply& reply) {
    for (int i = 0; i < 300; ++i) reply.PutLong(i);
  });
  EXPECT_EQ(IsaCommand(0x300, 3000, {}).size(), kIsaReplyLimit);
}

TEST_F(IsaBoards, InjectedFaults) {
  Config("[Board0]\nFault=error 6 on 7\nFault=bad readback\n");
  EXPECT_EQ(LongAt(IsaCommand(0x300, 7, Longs({1, 2})), 0), 6);
  EXPECT_NE(static_cast<std::uint32_t>(LongAt(IsaCommand(0x300, 4, Longs({1})), 4)), 0u);
  Config("[Board0]\nFault=reply bytes 3\n");
  EXPECT_EQ(IsaCommand(0x300, 50, {}).size(), 3u);
  Config("[Board0]\nFault=reply bytes 600\n");
  EXPECT_EQ(IsaCommand(0x300, 50, {}).size(), 600u);
  Config("[Board0]\nFault=no answer\n");
  EXPECT_EQ(Inp(0x304), 0xFF);
  EXPECT_TRUE(IsaCommand(0x300, 50, {}).empty());
  Config("[Board0]\nFault=busy port\n");
  EXPECT_EQ(Inp(0x304) & (kIsaHostFifoEmpty | kIsaReplyDone), kIsaReplyDone);
  EXPECT_EQ(IsaCommand(0x300, 50, {}).size(), 16u);
  Config("[Board0]\nFault=endless reply\n");
  EXPECT_EQ(IsaCommand(0x300, 50, {}, 5000).size(), 2000u);
  Config("[Board0]\nFault=never starts\n");
  IsaCommand(0x300, 50, {}, 10);
  EXPECT_EQ(Inp(0x304) & kIsaHostFifoEmpty, 0);
  Config("[Board0]\nFault=never finishes\n");
  EXPECT_TRUE(IsaCommand(0x300, 50, {}, 100).empty());
  EXPECT_EQ(Inp(0x304) & (kIsaReplyDone | kIsaReplyEmpty), kIsaReplyEmpty);
  Config("[Board0]\nFault=error 9 on *\n");
  EXPECT_EQ(LongAt(IsaCommand(0x300, 4, Longs({1})), 0), 9);
  ForceBoardProgram(BoardProgram::Operating);
  Config("[Board0]\nFault=low memory\n");
  ForceBoardProgram(BoardProgram::Operating);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 51, Longs({1})), 0), kBoardLowMemory);
}

TEST_F(IsaBoards, CommandLogRecordsEveryCommandAndKeepsItsLastMegabyte) {
  IsaCommand(0x300, 7, Longs({0x10, 0x20}));
  IsaCommand(0x300, 210, Longs({1, 2}));
  auto log = ReadCommandLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].code, 7);
  EXPECT_EQ(log[0].operands, Longs({0x10, 0x20}));
  EXPECT_EQ(log[0].result, 0x20);
  EXPECT_EQ(log[1].code, 210);
  EXPECT_EQ(log[1].error, kBoardUndefinedCommand);

  // It keeps its last megabyte in two files. Each command's line carries 1,000
  // operand bytes as hex: about 2 KB.
  std::vector<std::uint8_t> operands(1000, 0xAB);
  for (int i = 0; i < 1200; ++i) {
    operands[0] = static_cast<std::uint8_t>(i);
    operands[1] = static_cast<std::uint8_t>(i >> 8);
    IsaCommand(0x300, 210, operands);
  }
  const auto folder = winplat::hw::detail::HardwareFolder();
  const auto now = std::filesystem::file_size(folder / "commands.log");
  const auto old = std::filesystem::file_size(folder / "commands.log.1");
  EXPECT_LE(now, 1024u * 1024u);
  EXPECT_GT(old, 1024u * 1024u);
  EXPECT_LE(old, 1024u * 1024u + 4096u);
  log = ReadCommandLog();
  ASSERT_GT(log.size(), 500u) << "the last megabyte at least";
  EXPECT_LT(log.size(), 1200u);
  EXPECT_EQ(log.back().operands[0] | (log.back().operands[1] << 8), 1199) << "the last command is there";
  ClearCommandLog();
  EXPECT_TRUE(ReadCommandLog().empty());
  EXPECT_FALSE(std::filesystem::exists(folder / "commands.log.1"));
}

TEST_F(IsaBoards, ABoardWhoseStateCannotBeKeptDoesNotAnswer) {
  // The state file's place is taken by a folder, as on a root that cannot be
  // written. The port is this test's own: a board another test opened keeps
  // the state it mapped for as long as the process lives.
  const std::filesystem::path state = winplat::hw::detail::HardwareFolder() / "isa-02c0.state";
  std::filesystem::create_directories(state / "taken");
  Config("[Boards]\nFamily=ISA\nCount=2\n[Board1]\nPort=0x2C0\n");
  EXPECT_EQ(Inp(0x2C4), 0xFF) << "no board on its ports";
  EXPECT_EQ(Inp(0x304), kIsaReplyEmpty | kIsaHostFifoEmpty | kIsaReplyDone) << "the other board answers";
  std::filesystem::remove_all(state);
}

TEST_F(IsaBoards, WordAccessOnThePortBus) {
  Outpw(0x300, 0x0700);  // low byte first: 0x00 then 0x07, command 7
  for (std::uint8_t b : Longs({0x40, 0x55})) Outp(0x300, b);
  Outp(0x304, 0);
  std::uint16_t first = Inpw(0x300);  // error code's first two bytes
  EXPECT_EQ(first, 0);
  EXPECT_EQ(Inpw(0x1234), 0xFFFF);
}

TEST_F(IsaBoards, MalformedConfigurationFileRunsTheDefaultBoard) {
  Config("[Boards]\nFamily=ISA\nCount=2\n[Board1]\nFault=melts\n");
  MachineBoards m = CurrentBoards();
  EXPECT_NE(m.error.find("unknown fault"), std::string::npos);
  ASSERT_EQ(m.boards.size(), 1u);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 7, Longs({8, 9})), 4), 9);
  EXPECT_TRUE(IsaCommand(0x308, 50, {}).empty());
  // The file is kept as it was written.
  std::ifstream in(BoardConfigPath());
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "[Boards]");
}

TEST(BoardConfigFile, MalformedFilesFallBackToTheDefaultWithAReason) {
  for (const char* text : {"[Boards]\nFamily=VME\n", "[Boards]\nCount=9\n", "[Board0]\nFault=explodes\n",
                           "[Board0]\nPort=banana\n", "[Nowhere]\nX=1\n", "just text\n", "[Board0\n"}) {
    MachineBoards m = ParseBoardConfig(text);
    EXPECT_FALSE(m.error.empty()) << text;
    ASSERT_EQ(m.boards.size(), 1u);
    EXPECT_EQ(m.family, BoardFamily::Isa);
    EXPECT_EQ(m.boards[0].port, 0x300);
  }
  MachineBoards ok = ParseBoardConfig(
      "; two PCI boards\n[Boards]\nfamily = pci\ncount=2\n[Board1]\nIdentity=42\nFault=Stale Reply 2 3\n"
      "Fault=error -702 on 51\n");
  EXPECT_TRUE(ok.error.empty()) << ok.error;
  EXPECT_EQ(ok.family, BoardFamily::Pci);
  ASSERT_EQ(ok.boards.size(), 2u);
  EXPECT_EQ(ok.boards[1].port, 0x308);
  ASSERT_EQ(ok.boards[1].faults.size(), 2u);
  EXPECT_EQ(ok.boards[1].faults[0].kind, BoardFault::StaleReply);
  EXPECT_EQ(ok.boards[1].faults[0].count, 3);
  EXPECT_EQ(ok.boards[1].faults[1].value, -702);
  EXPECT_EQ(ok.boards[1].faults[1].command, 51);
}

}  // namespace
