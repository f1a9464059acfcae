// The PCI boards behind the driver stand-in: open, information block, mapping,
// mailbox and doorbell, replies, faults.
#include <gtest/gtest.h>

#include <cstring>

#include "board_test_util.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/pcidriver.h"

using namespace winplat::hw;
using namespace boardtest;

namespace {

class PciBoards : public ::testing::Test {
 protected:
  void Config(const std::string& text) {
    WriteBoardConfig("[Boards]\nFamily=PCI\nCount=2\n" + text);
    ResetBoardState();
    ClearCommandLog();
  }
};

TEST_F(PciBoards, DriverOpensBoardsByNumberAndReportsTheirWindow) {
  Config("");
  EXPECT_EQ(OpenDevice("\\\\.\\WRTdev2"), INVALID_DEVICE_HANDLE);
  EXPECT_EQ(OpenDevice("\\\\.\\WRTdevX"), INVALID_DEVICE_HANDLE);
  EXPECT_EQ(OpenDevice("WRTdev0"), INVALID_DEVICE_HANDLE);
  DeviceHandle h = OpenDevice("\\\\.\\WRTdev1");
  ASSERT_NE(h, INVALID_DEVICE_HANDLE);
  std::uint8_t info[kInfoBlockSize];
  std::uint32_t returned = 0;
  EXPECT_FALSE(DeviceIoControl(h, IOCTL_WRT_GET_INFO, nullptr, 0, info, 100, &returned));
  ASSERT_TRUE(DeviceIoControl(h, IOCTL_WRT_GET_INFO, nullptr, 0, info, sizeof info, &returned));
  EXPECT_EQ(returned, kInfoBlockSize);
  std::uint32_t start = 0, length = 0;
  std::memcpy(&start, info + kInfoMemoryStart, 4);
  std::memcpy(&length, info + kInfoMemoryLength, 4);
  EXPECT_EQ(length, kPciWindowLength);
  std::uint32_t wrong[2] = {start + 0x1000, length};
  std::uint32_t base = 0;
  EXPECT_FALSE(DeviceIoControl(h, IOCTL_WRT_MAP_MEMORY, wrong, 8, &base, 4, &returned));
  std::uint32_t in[2] = {start, length};
  ASSERT_TRUE(DeviceIoControl(h, IOCTL_WRT_MAP_MEMORY, in, 8, &base, 4, &returned));
  EXPECT_NE(base, MapPci(0));
  CloseDevice(h);
  EXPECT_FALSE(DeviceIoControl(h, IOCTL_WRT_GET_INFO, nullptr, 0, info, sizeof info, &returned));
  // Reading outside any window gives all ones.
  EXPECT_EQ(ReadMemory32(0x12345678, 0), 0xFFFFFFFFu);
  EXPECT_EQ(ReadMemory32(base, kPciWindowLength), 0xFFFFFFFFu);
}

TEST_F(PciBoards, DoorbellRunsTheCommandAndPostsTheReply) {
  Config("[Board0]\nIdentity=0x80012345\n");
  std::uint32_t base = MapPci(0);
  ASSERT_NE(base, 0u);
  PciReply w = PciCommand(base, 7, Longs({0xC000FEF0, 0xABCD1234}));
  ASSERT_TRUE(w.ready);
  EXPECT_EQ(w.type, 1u);
  EXPECT_EQ(w.count, 4u);
  EXPECT_EQ(static_cast<std::uint32_t>(LongAt(w.bytes, 0)), 0xABCD1234u);
  EXPECT_EQ(ReadMemory32(base, kPciDoorbell), 0u);
  EXPECT_EQ(ReadMemory32(base, kPciStatus) & (kPciBusy | kPciReplyReady), 0u);
  EXPECT_EQ(static_cast<std::uint32_t>(LongAt(PciCommand(base, 4, Longs({kPciIdentityAddress})).bytes, 0)),
            0x80012345u);
  PciReply dates = PciCommand(base, 50, {});
  EXPECT_EQ(dates.count, 12u);
  EXPECT_EQ(LongAt(dates.bytes, 4), 19990614);
  PciReply undefined = PciCommand(base, 210, Longs({1, 2}));
  EXPECT_EQ(undefined.type, 2u);
  EXPECT_EQ(LongAt(undefined.bytes, 0), kBoardUndefinedCommand);
  // The second board has its own memory.
  std::uint32_t base1 = MapPci(1);
  EXPECT_EQ(LongAt(PciCommand(base1, 4, Longs({0xC000FEF0})).bytes, 0), 0);
}

TEST_F(PciBoards, WordBlockChunksOf4000) {
  Config("");
  ForceBoardProgram(BoardProgram::Operating);
  std::uint32_t base = MapPci(0);
  std::vector<std::uint8_t> block(5000);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i);
  PciCommand(base, 51, {block.begin(), block.begin() + 4000});
  PciCommand(base, 51, {block.begin() + 4000, block.end()});
  EXPECT_EQ(LongAt(PciCommand(base, 52, {}).bytes, 0), 5000);
  PciReply a = PciCommand(base, 52, {});
  PciReply b = PciCommand(base, 52, {});
  EXPECT_EQ(a.count, 4000u);
  EXPECT_EQ(b.count, 1000u);
  a.bytes.insert(a.bytes.end(), b.bytes.begin(), b.bytes.end());
  EXPECT_EQ(a.bytes, block);
}

TEST_F(PciBoards, InjectedFaults) {
  Config("[Board0]\nFault=memory not ready\n[Board1]\nFault=doorbell stuck\n");
  std::uint32_t b0 = MapPci(0), b1 = MapPci(1);
  WriteMemory32(b0, kPciStatus, 0x10);
  EXPECT_NE(ReadMemory32(b0, kPciStatus) & kPciBusy, 0u);
  PciCommand(b1, 50, {});
  EXPECT_NE(ReadMemory32(b1, kPciDoorbell), 0u);

  Config("[Board0]\nFault=never finishes\n[Board1]\nFault=no answer\n");
  b0 = MapPci(0);
  b1 = MapPci(1);
  WriteMemory32(b0, kPciDoorbell, kPciDoorbellCommand | 50);
  EXPECT_EQ(ReadMemory32(b0, kPciDoorbell), 0u);
  WriteMemory32(b0, kPciStatus, 0x10);
  EXPECT_NE(ReadMemory32(b0, kPciStatus) & kPciBusy, 0u);
  EXPECT_FALSE(PciCommand(b1, 50, {}).ready);

  Config("[Board0]\nFault=stale reply 3 5\n[Board1]\nFault=reply bytes 0\n");
  b0 = MapPci(0);
  b1 = MapPci(1);
  WriteMemory32(b0, kPciStatus, 0x10);
  PciReply stale = PciTakeReply(b0);
  EXPECT_TRUE(stale.ready);
  EXPECT_EQ(stale.type, 3u);
  EXPECT_EQ(stale.count, 5u);
  EXPECT_EQ(LongAt(stale.bytes, 0), kBoardDramTestFailed);
  EXPECT_EQ(PciCommand(b1, 50, {}).count, 0u);

  Config("[Board0]\nFault=no driver\n[Board1]\nFault=no info\n");
  EXPECT_EQ(OpenDevice("\\\\.\\WRTdev0"), INVALID_DEVICE_HANDLE);
  EXPECT_EQ(MapPci(1), 0u);
  Config("[Board1]\nFault=no map\n");
  EXPECT_NE(MapPci(0), 0u);
  EXPECT_EQ(MapPci(1), 0u);
}

TEST_F(PciBoards, NoPciDeviceOnAnIsaMachine) {
  WriteBoardConfig("[Boards]\nFamily=ISA\n");
  EXPECT_EQ(OpenDevice("\\\\.\\WRTdev0"), INVALID_DEVICE_HANDLE);
}

}  // namespace
