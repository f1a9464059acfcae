// The emulated boards at memory speed: a port access touches no file, a board
// command a small fixed number of them, counted by the emulator's file layer.
#include "frames_fixture.h"
#include "winplat/hw/ports.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

using BoardFileCalls = FramesTest;

constexpr std::uint64_t kCallsPerCommand = 10;

TEST_P(BoardFileCalls, AThousandPointFrameCostsAtMostTenCallsACommand) {
  struct Case {
    int points;
    std::size_t commands;  // header and batches
  };
  const Case cases[] = {{1000, Pci() ? 6u : 51u}, {450, Pci() ? 4u : 24u}, {20, 2u}};
  int frame = 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.points);
    std::vector<PointStruct> points = Points(c.points, frame);
    SetFrame(frame);
    hw::ClearCommandLog();
    std::uint64_t before = hw::BoardFileCalls();
    FrameStruct h = Header(c.points, "CALLS");
    ASSERT_EQ(vxf::WriteFrame()(&h, points.data()), 0);
    std::uint64_t calls = hw::BoardFileCalls() - before;
    std::size_t commands = hw::ReadCommandLog().size();
    EXPECT_EQ(commands, c.commands);
    EXPECT_LE(calls, kCallsPerCommand * c.commands);
    ++frame;
  }
}

TEST_P(BoardFileCalls, PortAccessesBetweenCommandsTouchNoFile) {
  if (Pci()) GTEST_SKIP() << "the PCI board has no ports";
  std::uint64_t before = hw::BoardFileCalls();
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(hw::Inp(0x304) & hw::kIsaReplyEmpty, hw::kIsaReplyEmpty);
    ASSERT_EQ(hw::Inp(0x300), 0xFF);
  }
  EXPECT_EQ(hw::BoardFileCalls(), before);
  // A change of the configuration is still seen at the next access.
  ConfigureBoards("[Board0]\nPort=0x308\n");
  EXPECT_EQ(hw::Inp(0x304), 0xFF);
  EXPECT_EQ(hw::Inp(0x30C) & hw::kIsaReplyEmpty, hw::kIsaReplyEmpty);
}

INSTANTIATE_TEST_SUITE_P(Boards, BoardFileCalls, ::testing::Bool(), Family);

}  // namespace
