#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "test_support.h"
#include "winplat/clock.h"
#include "winplat/paths.h"

namespace {

// Puts the host clock back in force whatever a test installed.
class ClockTest : public ::testing::Test {
 protected:
  void TearDown() override { winplat::SetClock(nullptr); }
};

TEST_F(ClockTest, ManualClockDrivesTickCountAndTimer) {
  winplat::ManualClock manual(5000, 86399.5);
  winplat::SetClock(&manual);
  EXPECT_EQ(winplat::GetTickCount(), 5000u);
  EXPECT_EQ(winplat::Timer(), 86399.5f);
  manual.Advance(250);
  EXPECT_EQ(winplat::GetTickCount(), 5250u);
  EXPECT_FLOAT_EQ(winplat::Timer(), 86399.75f);
  manual.Advance(500);  // past midnight the timer starts again from 0
  EXPECT_FLOAT_EQ(winplat::Timer(), 0.25f);
  manual.Advance(3u * 86'400'000u);  // whole days leave the time of day alone
  EXPECT_FLOAT_EQ(winplat::Timer(), 0.25f);
  EXPECT_EQ(winplat::CurrentClock().TickCount64(), 5000u + 750u + 3u * 86'400'000u);
}

TEST_F(ClockTest, TickCountIs32BitsOfA64BitCount) {
  winplat::ManualClock manual(0xFFFFFF00ull);
  winplat::SetClock(&manual);
  EXPECT_EQ(winplat::GetTickCount(), 0xFFFFFF00u);
  manual.Advance(0x200);  // 49.7 days: the 32-bit count wraps, the 64-bit one does not
  EXPECT_EQ(winplat::GetTickCount(), 0x100u);
  EXPECT_EQ(winplat::CurrentClock().TickCount64(), 0x100000100ull);
}

TEST_F(ClockTest, MachineUptimeSettingIsPerRoot) {
  ASSERT_TRUE(winplat::SetMachineUptime(0));  // the machine starts now
  std::uint64_t start = winplat::CurrentClock().TickCount64();
  EXPECT_LT(start, 60'000u);
  std::uint64_t later = winplat::CurrentClock().TickCount64();
  EXPECT_GE(later, start);  // never runs backwards

  ASSERT_TRUE(winplat::SetMachineUptime(0xFFFFFFFFull - 10'000u));  // ten seconds before the 32-bit wrap
  EXPECT_GE(winplat::CurrentClock().TickCount64(), 0xFFFFFFFFull - 10'000u);
  EXPECT_LT(winplat::CurrentClock().TickCount64(), 0xFFFFFFFFull + 50'000u);

  // The setting lives under this root: a fresh process on it (here: the cache
  // dropped) reads it back; another root has its own.
  winplat::ResetMachineRoot();
  EXPECT_GE(winplat::CurrentClock().TickCount64(), 0xFFFFFFFFull - 10'000u);

  std::string saved = std::getenv("FIELDRAY_ROOT");
  setenv("FIELDRAY_ROOT", (testsupport::Root() / "other-machine").c_str(), 1);
  winplat::ResetMachineRoot();
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  auto hostMs = static_cast<std::uint64_t>(ts.tv_sec) * 1000u;
  std::uint64_t other = winplat::CurrentClock().TickCount64();
  setenv("FIELDRAY_ROOT", saved.c_str(), 1);
  winplat::ResetMachineRoot();
  EXPECT_GE(other, hostMs);  // no setting there: the host's own uptime
  EXPECT_LT(other, hostMs + 60'000u);
}

// A setting that cannot be written is reported and changes nothing: the
// process does not run on a clock the other processes of the root lack.
TEST_F(ClockTest, AnUptimeSettingThatCannotBeWrittenIsReportedAndChangesNothing) {
  ASSERT_TRUE(winplat::SetMachineUptime(5'000));
  const std::uint64_t before = winplat::CurrentClock().TickCount64();
  const std::filesystem::path boot = winplat::MachineRoot() / "machine" / "clock" / "boot";
  ASSERT_TRUE(std::filesystem::remove(boot));
  std::filesystem::create_directory(boot);  // a folder where the setting goes, whoever runs the test
  std::string error;
  EXPECT_FALSE(winplat::SetMachineUptime(0xFFFFFFFFull - 10'000u, &error));
  EXPECT_NE(error.find("cannot write " + boot.string() + ": "), std::string::npos) << error;
  const std::uint64_t after = winplat::CurrentClock().TickCount64();
  EXPECT_GE(after, before);
  EXPECT_LT(after, before + 60'000u);
  std::filesystem::remove(boot);
  EXPECT_TRUE(winplat::SetMachineUptime(5'000, &error)) << error;
}

TEST_F(ClockTest, HostTimerIsTimeOfDay) {
  float t = winplat::Timer();
  EXPECT_GE(t, 0.0f);
  EXPECT_LT(t, 86400.0f);
}

}  // namespace
