// The parallel-port driver and the remote control box behind it.
#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"
#include "winplat/hw/parport.h"

using namespace winplat::hw;

namespace {

// The box's register protocol as the program reads it.
std::int32_t ReadBox(std::int32_t device) {
  HwOutp(device, 2, 6);
  bool ready = false;
  for (int i = 0; i < 1000 && !ready; ++i) ready = (HwInp(device, 1) & 0xFF & 8) == 0;
  if (!ready) return -1;
  HwOutp(device, 2, 2);
  std::int32_t lo = (HwInp(device, 1) & 0xFF) >> 4;
  HwOutp(device, 2, 3);
  std::int32_t hi = HwInp(device, 1) & 0xF0;
  return (hi | lo) ^ 0x88;
}

class ParallelPort : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::remove(ParallelPortConfigPath()); }
  void TearDown() override {
    if (device_ > 0) {
      HwOutp(device_, 0, 0);
      HwReleaseParPort(device_);
      HwDeleteDevice(device_);
    }
  }
  // The start-up sequence: connect, acquire, power the box, control 2 then 3.
  bool Open() {
    device_ = HwNewDevice(0);
    if (device_ <= 0) return false;
    if (HwConnectParPort(device_, 0) == 0) return false;
    HwAcquireParPort(device_);
    HwOutp(device_, 0, 255);
    HwOutp(device_, 2, 2);
    HwOutp(device_, 2, 3);
    return true;
  }
  std::int32_t device_ = 0;
};

TEST_F(ParallelPort, DefaultBoxGivesTheLaserOnReadingNearZero) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(ParallelPortData(), 255);
  EXPECT_EQ(ParallelPortControl(), 3);
  std::int32_t r = ReadBox(device_);
  EXPECT_EQ(r, RemoteBoxPositionReading(kRemoteBoxDefaultPosition));
  // A first reading against a previous reading of 0 must not count as a move.
  EXPECT_LE(std::abs(r), 20);
}

TEST_F(ParallelPort, EveryPositionReadsBackThroughTheInvertedBusyLine) {
  ASSERT_TRUE(Open());
  std::int32_t previous = -100;
  for (int p = 0; p < kRemoteBoxPositions; ++p) {
    SetRemoteBoxPosition(p);
    std::int32_t r = ReadBox(device_);
    EXPECT_EQ(r, RemoteBoxPositionReading(p)) << "position " << p;
    EXPECT_GT(std::abs(r - previous), 20) << "positions must be told apart";
    previous = r;
  }
  // Raw readings that exercise both bits coming from status bit 7.
  for (std::int32_t raw : {0x00, 0x88, 0x80, 0x08, 0xFF, 0x5A}) {
    SetRemoteBoxReading(raw);
    EXPECT_EQ(ReadBox(device_), raw);
  }
  SetRemoteBoxReading(-1);
  SetRemoteBoxPosition(3);
  EXPECT_EQ(ReadBox(device_), RemoteBoxPositionReading(3));
}

TEST_F(ParallelPort, NoBoxUnpoweredOrBusyBoxIsNotReady) {
  ASSERT_TRUE(Open());
  SetRemoteBoxConnected(false);
  EXPECT_EQ(ReadBox(device_), -1);
  SetRemoteBoxConnected(true);
  SetRemoteBoxBusy(true);
  EXPECT_EQ(ReadBox(device_), -1);
  SetRemoteBoxBusy(false);
  EXPECT_GE(ReadBox(device_), 0);
  HwOutp(device_, 0, 0);  // data lines low: the box has no power
  EXPECT_EQ(ReadBox(device_), -1);
}

TEST_F(ParallelPort, MachineWithoutPortRefusesTheConnection) {
  // The data lines at a known value first (an earlier test may have left them high).
  ASSERT_TRUE(Open());
  HwOutp(device_, 0, 0x11);
  SetParallelPortPresent(false);
  std::int32_t d = HwNewDevice(0);
  ASSERT_GT(d, 0);
  EXPECT_EQ(HwConnectParPort(d, 0), 0);
  EXPECT_EQ(HwAcquireParPort(d), 0);
  HwOutp(d, 0, 255);
  EXPECT_EQ(ParallelPortData(), 0x11);
  EXPECT_EQ(HwInp(d, 1), 0xFF);
  EXPECT_EQ(HwDeleteDevice(d), 1);
}

TEST_F(ParallelPort, ReleaseAndDeleteEndTheDevice) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(ParallelPortAcquired(), 1);
  EXPECT_EQ(HwReleaseParPort(device_), 1);
  EXPECT_EQ(ParallelPortAcquired(), 0);
  EXPECT_EQ(HwInp(device_, 1), 0xFF);  // released: no access
  EXPECT_EQ(HwDeleteDevice(device_), 1);
  EXPECT_EQ(HwDeleteDevice(device_), 0);  // a handle is deleted once
  EXPECT_EQ(HwConnectParPort(device_, 0), 0);
  device_ = 0;
}

// Every access looks at the file; it is read again only when it changed,
// by a write of this process (as the remotebox command makes) or of another.
TEST_F(ParallelPort, TheConfigurationIsReadAgainOnlyWhenItChanged) {
  ASSERT_TRUE(Open());
  const std::uint64_t none = ParallelPortConfigReads();
  for (int i = 0; i < 20; ++i) EXPECT_EQ(ReadBox(device_), RemoteBoxPositionReading(kRemoteBoxDefaultPosition));
  EXPECT_EQ(ParallelPortConfigReads(), none) << "no file: nothing to read";
  SetRemoteBoxPosition(2);
  EXPECT_EQ(ReadBox(device_), RemoteBoxPositionReading(2));
  const std::uint64_t once = ParallelPortConfigReads();
  EXPECT_GT(once, none);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(ReadBox(device_), RemoteBoxPositionReading(2));
  EXPECT_EQ(ParallelPortConfigReads(), once) << "an unchanged file is not read again";
  // Written again at once, to the same size: seen at the next access.
  SetRemoteBoxPosition(3);
  EXPECT_EQ(ReadBox(device_), RemoteBoxPositionReading(3));
  // Another process's write, and the file gone.
  testsupport::WriteFile(ParallelPortConfigPath(), "[RemoteBox]\nPosition=5\nBusy=0\n");
  EXPECT_EQ(ReadBox(device_), RemoteBoxPositionReading(5));
  std::filesystem::remove(ParallelPortConfigPath());
  EXPECT_EQ(ReadBox(device_), RemoteBoxPositionReading(kRemoteBoxDefaultPosition));
}

TEST_F(ParallelPort, DamagedConfigurationFallsBackToDefaults) {
  testsupport::WriteFile(ParallelPortConfigPath(),
                         "[Port]\nPresent=yes please\n[RemoteBox]\nPosition=99\nReading=x\ngarbage line\n");
  ASSERT_TRUE(Open());
  EXPECT_EQ(ReadBox(device_), RemoteBoxPositionReading(kRemoteBoxDefaultPosition));
}

}  // namespace
