// The board's display state through its ports: parameters wait for the update,
// short operands, a damaged state file, the DMX loop-back across a reset.
#include <gtest/gtest.h>

#include <fstream>

#include "board_test_util.h"
#include "test_support.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/projection.h"

using namespace winplat::hw;
using namespace boardtest;

namespace {

class DisplayBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBoardConfig("");
    ResetBoardState();
    ForceBoardProgram(BoardProgram::Operating);
  }
  static std::vector<std::uint8_t> Run(std::uint16_t code, const std::vector<std::uint8_t>& ops = {}) {
    return IsaCommand(0x300, code, ops);
  }
  static std::int32_t Error(const std::vector<std::uint8_t>& reply) { return LongAt(reply, 0); }
  static std::int32_t Result(const std::vector<std::uint8_t>& reply) { return LongAt(reply, 4); }
};

TEST_F(DisplayBoard, UpdatesTakeWhatIsPending) {
  EXPECT_EQ(Result(Run(120)), 0);
  EXPECT_EQ(Error(Run(64, Longs({7}))), 0);
  EXPECT_EQ(Result(Run(120)), 1);
  EXPECT_EQ(Error(Run(34)), 0);
  EXPECT_EQ(Result(Run(120)), 0);
  Run(60, Longs({100, 0, 0}));
  EXPECT_EQ(Result(Run(120)), 1);
  EXPECT_EQ(Error(Run(70, Longs({0}))), 0);  // the update with a value updates too
  EXPECT_EQ(Result(Run(120)), 0);
  EXPECT_EQ(Error(Run(191, Longs({9}))), 0);  // display a frame and update at once
  EXPECT_EQ(Result(Run(120)), 0);
}

TEST_F(DisplayBoard, ShortOperandsAreRefused) {
  EXPECT_EQ(Error(Run(39, Longs({1, 2, 3, 4}))), kBoardInsufficientOperands);
  EXPECT_EQ(Error(Run(121, Longs({0, 3}))), kBoardInsufficientOperands);
  EXPECT_EQ(Result(Run(120)), 0);  // nothing was kept
}

TEST_F(DisplayBoard, DamagedStateFileStartsAfresh) {
  Run(64, Longs({7}));
  Run(34);
  std::filesystem::path file = testsupport::Root() / "hw" / "isa-0300" / "display.bin";
  ASSERT_TRUE(std::filesystem::exists(file));
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "garbage";
  EXPECT_EQ(Result(Run(120)), 0);
  winplat::Picture picture = ProjectionPicture(0, 64);
  ASSERT_EQ(picture.width, 64);
  for (auto c : picture.pixels) ASSERT_EQ(c & 0xFFFFFF, 0u);
  EXPECT_EQ(Error(Run(64, Longs({7}))), 0);
}

TEST_F(DisplayBoard, DmxLoopsBackAndSurvivesAReset) {
  EXPECT_EQ(Error(Run(208, Longs({12, 200}))), 0);
  Run(39, Longs({1, 2, 3, 4, 5}));
  Run(34);
  EXPECT_EQ(Error(Run(196)), 0);
  EXPECT_EQ(Result(Run(207, Longs({12}))), 200);
  EXPECT_EQ(Result(Run(120)), 0);  // the reset leaves nothing pending
  EXPECT_EQ(Error(Run(208, Longs({512, 1}))), kBoardAccessError);
}

}  // namespace
