// The emulated boards' abstract generator and auxiliary ports, driven through
// the ISA ports as a host would.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "board_test_util.h"
#include "test_support.h"
#include "winplat/hw/boards.h"

using namespace winplat::hw;
using namespace boardtest;

namespace {

constexpr std::uint16_t kPort = 0x300;

struct Point {
  std::int32_t x, y, z, colour;
};

class AbstractBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBoardConfig("");
    ResetBoardState();
    ForceBoardProgram(BoardProgram::Operating);
  }
  static std::int32_t Error(const std::vector<std::uint8_t>& reply) { return LongAt(reply, 0); }
  static std::int32_t Result(const std::vector<std::uint8_t>& reply) { return LongAt(reply, 4); }
  static std::vector<std::uint8_t> Run(std::uint16_t code, std::initializer_list<std::uint32_t> longs) {
    return IsaCommand(kPort, code, Longs(longs));
  }
  // The points of one of the board's frames, from its file.
  static std::vector<Point> Stored(std::int32_t frame) {
    std::string name = std::to_string(frame) + ".frm";
    for (const auto& e : std::filesystem::recursive_directory_iterator(testsupport::Root())) {
      if (e.path().filename() != name || e.path().parent_path().filename() != "frames") continue;
      std::ifstream in(e.path(), std::ios::binary);
      std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      std::vector<Point> points;
      for (std::size_t at = 36; at + 20 <= bytes.size(); at += 20) {
        std::int16_t v[3];
        std::uint32_t colour;
        std::memcpy(v, bytes.data() + at, sizeof v);
        std::memcpy(&colour, bytes.data() + at + 8, sizeof colour);
        points.push_back({v[0], v[1], v[2], static_cast<std::int32_t>(colour)});
      }
      return points;
    }
    return {};
  }
};

TEST_F(AbstractBoard, GeneratedFrameFollowsTheOscillatorsSines) {
  // Oscillator 1: x at 1 cycle, size 50; y at 2 cycles, size 25, a phase of 90 degrees.
  ASSERT_EQ(Error(Run(164, {16384, 32768, 0, 8192, 4096, 0, 0})), 0);
  ASSERT_EQ(Error(Run(159, {0, 900, 0})), 0);
  ASSERT_EQ(Error(Run(168, {0x00FF00, 0x00FF00})), 0);  // a blend of one colour
  ASSERT_EQ(Error(Run(169, {5, 100, 0})), 0);
  std::vector<Point> points = Stored(5);
  ASSERT_EQ(points.size(), 100u);
  for (std::size_t k = 0; k < points.size(); k += 7) {
    double t = static_cast<double>(k) / 100.0;
    EXPECT_NEAR(points[k].x, 8192 * std::sin(2 * std::numbers::pi * t), 1.0) << k;
    EXPECT_NEAR(points[k].y, 4096 * std::sin(4 * std::numbers::pi * t + std::numbers::pi / 2), 1.0) << k;
    EXPECT_EQ(points[k].z, 0);
    EXPECT_EQ(points[k].colour, 0x00FF00);
  }
  // A point count the board cannot hold is refused and nothing is stored.
  EXPECT_NE(Error(Run(169, {6, 0, 0})), 0);
  EXPECT_TRUE(Stored(6).empty());
}

TEST_F(AbstractBoard, FrameAndGeneratorCopiesAreConsistent) {
  ASSERT_EQ(Error(Run(165, {16384, 16384, 16384, 16384, 16384, 16384, 1})), 0);
  ASSERT_EQ(Error(Run(174, {2, 40, 0})), 0);
  std::vector<Point> generated = Stored(2);
  ASSERT_EQ(generated.size(), 40u);
  // The working frame taken into the generator and put back into another
  // working frame is the same frame.
  ASSERT_EQ(Error(Run(30, {2})), 0);
  ASSERT_EQ(Error(Run(105, {})), 0);
  ASSERT_EQ(Error(Run(30, {9})), 0);
  ASSERT_EQ(Error(Run(104, {})), 0);
  std::vector<Point> back = Stored(9);
  ASSERT_EQ(back.size(), generated.size());
  for (std::size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].x, generated[i].x);
    EXPECT_EQ(back[i].y, generated[i].y);
  }
  // A working frame never written cannot be taken into the generator.
  ASSERT_EQ(Error(Run(30, {30})), 0);
  EXPECT_NE(Result(Run(105, {})), 0);
}

TEST_F(AbstractBoard, SettingsAreAnsweredAsSetAndSwapped) {
  ASSERT_EQ(Error(Run(159, {static_cast<std::uint32_t>(-25), 30, 40})), 0);
  ASSERT_EQ(Error(Run(164, {1, 2, 3, 4, 5, 6, 7})), 0);
  auto phase = Run(176, {1});
  ASSERT_EQ(Error(phase), 0);
  ASSERT_GE(phase.size(), 14u);
  EXPECT_EQ(static_cast<std::int16_t>(phase[8] << 8 | phase[9]), -25);
  auto fsw = Run(177, {1});
  ASSERT_GE(fsw.size(), 28u);
  EXPECT_EQ(LongAt(fsw, 16), 3);
  EXPECT_EQ(fsw[27], 7);
  ASSERT_EQ(Error(Run(175, {})), 0);
  EXPECT_EQ(LongAt(Run(177, {2}), 8), 1);   // oscillator 1's settings are now oscillator 2's
  EXPECT_NE(Error(Run(177, {4})), 0);       // there are three oscillators
}

TEST_F(AbstractBoard, AuxiliaryPortBitsAreSetClearedAndRead) {
  ASSERT_EQ(Error(Run(146, {3, 0x0F})), 0);
  ASSERT_EQ(Error(Run(147, {3, 0x05})), 0);
  EXPECT_EQ(Result(Run(148, {3, 0xFF})), 0x0A);
  EXPECT_EQ(Result(Run(148, {3, 0x02})), 0x02);
  EXPECT_EQ(Result(Run(65, {3, 0x1234})), 0x1234);
  EXPECT_EQ(Result(Run(148, {3, 0xFFFF})), 0x1234);
  EXPECT_EQ(Result(Run(148, {2, 0xFFFF})), 0);
  EXPECT_NE(Error(Run(146, {16, 1})), 0);
}

}  // namespace
