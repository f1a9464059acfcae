// Display parameters: board units, operand order, log lines; the display state
// that waits for the update; the projection picture.
#include <array>

#include "display_fixture.h"
#include "test_support.h"

namespace vxtest {
namespace {

using winplat::hw::ProjectionPicture;

TEST_P(DisplayTest, SinglesAreScaledByTheirFactorAndTruncatedTowardZero) {
  EXPECT_EQ(vxd::DisplaySize()(100, 100, 100, 100, 0), 0);
  EXPECT_EQ(LastLongs(Commands(39)), (std::vector<std::int32_t>{16384, 16384, 16384, 16384, 0}));
  EXPECT_TRUE(Logged("DisplaySize 100 100 100 100 0"));

  EXPECT_EQ(vxd::DisplayPostTrans()(-0.5f, 100, 0), 0);
  EXPECT_EQ(LastLongs(Commands(60)), (std::vector<std::int32_t>{-81, 16383, 0}));
  EXPECT_TRUE(Logged("DisplayPostTrans 0 100 0"));  // the caller's values, truncated, not scaled

  EXPECT_EQ(vxd::DisplayAngleDegrees()(360, 90, -0.9f), 0);
  EXPECT_EQ(LastLongs(Commands(123)), (std::vector<std::int32_t>{16384, 4096, -40}));

  EXPECT_EQ(vxd::DisplayAuxOutput()(5.0f), 0);
  EXPECT_EQ(LastLongs(Commands(195)), (std::vector<std::int32_t>{255}));

  EXPECT_EQ(vxd::DisplayStereoSettings()(1, 7, 1.0f, -1.0f, 0.5f), 0);
  EXPECT_EQ(LastLongs(Commands(180)), (std::vector<std::int32_t>{163, 7, 6553, -6553, 3276}));
  EXPECT_TRUE(Logged("DisplayStereoSettings 1 7l 1 -1 0"));
}

TEST_P(DisplayTest, OperandOrderAndOddMembers) {
  EXPECT_EQ(vxd::DisplayObjectSettings()(1, 2, 3, 4, 5, 6, 7), 0);
  EXPECT_EQ(LastLongs(Commands(59)), (std::vector<std::int32_t>{5, 7, 6, 1, 4, 2, 3}));
  EXPECT_TRUE(Logged("DisplayObjectSettings 5 7 6 1 4 2 3"));

  EXPECT_EQ(vxd::AutoRotateIncrement()(1, 2, 3, 1), 0);
  EXPECT_EQ(LastLongs(Commands(99)), (std::vector<std::int32_t>{16, 32, 49}));
  EXPECT_EQ(vxd::AutoRotateIncrement()(1, 2, 3, 0), 0);
  EXPECT_EQ(LastLongs(Commands(99)), (std::vector<std::int32_t>{163, 327, 491}));

  EXPECT_EQ(vxd::AutoRotatePlus()(0, 5, -1, 9), 0);
  EXPECT_EQ(LastLongs(Commands(97)), (std::vector<std::int32_t>{6}));
  EXPECT_TRUE(Logged("AutoRotatePlus 0 5 -1 9"));

  EXPECT_EQ(vxd::DisplayFlags()(0xA), 0);
  EXPECT_TRUE(Logged("DisplayFlags 0A"));

  // Three rate commands in order; a null output is skipped, the others get the values sent.
  std::int32_t o1 = 0, o3 = 0;
  EXPECT_EQ(vxd::DisplayFreq3()(5000, 6000, 7000, &o1, nullptr, &o3), 0);
  EXPECT_EQ(LastLongs(Commands(40)), (std::vector<std::int32_t>{5000}));
  EXPECT_EQ(LastLongs(Commands(107)), (std::vector<std::int32_t>{6000}));
  EXPECT_EQ(LastLongs(Commands(106)), (std::vector<std::int32_t>{7000}));
  EXPECT_EQ(o1, 5000);
  EXPECT_EQ(o3, 7000);
  auto log = winplat::hw::ReadCommandLog();
  std::vector<std::uint16_t> codes;
  for (const auto& c : log) {
    if (c.code == 40 || c.code == 107 || c.code == 106) codes.push_back(c.code);
  }
  EXPECT_EQ(codes, (std::vector<std::uint16_t>{40, 107, 106}));
  EXPECT_TRUE(Logged("DisplayFreq3 5000 6000 7000"));
}

TEST_P(DisplayTest, FreqStatusIsTheLastCommands) {
  ASSERT_NO_FATAL_FAILURE(Machine("[Board0]\nFault=error 6 on 107\n"));
  std::int32_t o2 = 0;
  EXPECT_EQ(vxd::DisplayFreq3()(1, 2, 3, nullptr, &o2, nullptr), 0);  // the failure of 107 is overwritten
  EXPECT_EQ(o2, 2);
  ASSERT_NO_FATAL_FAILURE(Machine("[Board0]\nFault=error 6 on 106\n"));
  EXPECT_EQ(vxd::DisplayFreq3()(1, 2, 3, nullptr, nullptr, nullptr), 6);
}

TEST_P(DisplayTest, CorrectionRowGoesAsBigEndianShorts) {
  std::array<std::int16_t, 130> row{};
  for (int i = 0; i < 130; ++i) row[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i * 257 - 20000);
  EXPECT_EQ(vxd::DisplayGeometricCorrection()(-1, 64, row.data()), 0);
  auto commands = Commands(121);
  ASSERT_EQ(commands.size(), 1u);
  const auto& ops = commands[0].operands;
  ASSERT_EQ(ops.size(), 268u);
  EXPECT_EQ(LastLongs(commands)[0], -1);
  EXPECT_EQ(LastLongs(commands)[1], 64);
  for (std::size_t i = 0; i < 130; ++i) {
    auto v = static_cast<std::int16_t>((ops[8 + 2 * i] << 8) | ops[9 + 2 * i]);
    ASSERT_EQ(v, row[i]) << i;
  }
  EXPECT_TRUE(Logged("DisplayGeometricCorrection -1 64"));
  // A row outside the grid is refused by the board.
  EXPECT_EQ(vxd::DisplayGeometricCorrection()(-1, 65, row.data()), 8);
}

TEST_P(DisplayTest, DmxInputReadsTheChannelAndIsWrittenWhateverTheStatus) {
  EXPECT_EQ(vxd::TBDMXOutput()(5, 77), 0);
  std::int32_t value = -1;
  EXPECT_EQ(vxd::TBDMXInput()(5, &value), 0);
  EXPECT_EQ(value, 77);
  value = -1;
  EXPECT_EQ(vxd::TBDMXInput()(100000, &value), 8);
  EXPECT_NE(value, -1);  // the reply field, whatever the board put there
}

TEST_P(DisplayTest, ParametersWaitForTheUpdateWhileFrameContentsAreLive) {
  ASSERT_EQ(WriteSquare(20, 8000), 0);
  vxd::DisplayFrame()(20);
  EXPECT_EQ(vxd::DisplayUpdateTest()(), 1);  // something waits for the update
  winplat::Picture before = ProjectionPicture(0, 256);
  EXPECT_EQ(Span(before, 128, 0x0000FF).first, -1);  // nothing displayed yet
  // The signature a live view checks changes exactly when the picture's sources do.
  const std::uint64_t pending = winplat::hw::ProjectionSignature(0);
  vxd::DisplayUpdate()();
  EXPECT_EQ(vxd::DisplayUpdateTest()(), 0);
  winplat::Picture shown = ProjectionPicture(0, 256);
  EXPECT_NE(Span(shown, 128, 0x0000FF).first, -1);
  const std::uint64_t updated = winplat::hw::ProjectionSignature(0);
  EXPECT_NE(updated, pending);
  EXPECT_EQ(winplat::hw::ProjectionSignature(0), updated);

  // A bigger square rewritten into the displayed frame shows at once.
  ASSERT_EQ(WriteSquare(20, 16000), 0);
  winplat::Picture rewritten = ProjectionPicture(0, 256);
  EXPECT_LT(Span(rewritten, 128, 0x0000FF).first, Span(shown, 128, 0x0000FF).first - 20);
  EXPECT_NE(winplat::hw::ProjectionSignature(0), updated);
}

TEST_P(DisplayTest, ProjectionMovesWithPostTranslationAtTheUpdate) {
  ASSERT_EQ(WriteSquare(15, 8000), 0);
  vxd::DisplayFrame()(15);
  vxd::DisplayUpdate()();
  winplat::Picture centred = ProjectionPicture(0, 512);
  auto row = Span(centred, 256, 0x0000FF);
  ASSERT_NE(row.first, -1);
  EXPECT_NEAR(row.first + row.second, 512, 4);  // symmetric about the centre
  EXPECT_TRUE(MatchesGolden(centred, "projection_square.png"));

  vxd::DisplayPostTrans()(25, 0, 0);  // a quarter of the half range: 8190 device units, 64 pixels
  EXPECT_EQ(Span(ProjectionPicture(0, 512), 256, 0x0000FF), row);
  vxd::DisplayUpdate()();
  auto moved = Span(ProjectionPicture(0, 512), 256, 0x0000FF);
  EXPECT_NEAR(moved.first - row.first, 64, 1);
  EXPECT_NEAR(moved.second - row.second, 64, 1);

  vxd::ResetVX()();  // everything back to its defaults, nothing displayed
  EXPECT_EQ(Span(ProjectionPicture(0, 512), 256, 0x0000FF).first, -1);
}

// Rows of a grid whose X is pulled outward by (j - 32)^2 * k: vertical lines bow.
std::array<std::int16_t, 130> BowedRow(int j, int k) {
  std::array<std::int16_t, 130> row{};
  for (int i = 0; i < 65; ++i) {
    int x = 1024 * i - 32768, y = 1024 * j - 32768;
    int pull = (i < 32 ? -1 : i > 32 ? 1 : 0) * (j - 32) * (j - 32) * k;
    row[static_cast<std::size_t>(2 * i)] = static_cast<std::int16_t>(std::clamp(x + pull, -32767, 32767));
    row[static_cast<std::size_t>(2 * i + 1)] = static_cast<std::int16_t>(std::min(y, 32767));
  }
  return row;
}

TEST_P(DisplayTest, ProjectionBendsWithTheCorrectionGridAtTheUpdate) {
  ASSERT_EQ(WriteSquare(15, 16000), 0);
  vxd::DisplayFrame()(15);
  for (int j = 0; j < 65; ++j) vxd::DisplayGeometricCorrection()(-1, j, BowedRow(j, 0).data());
  vxd::DisplayUpdate()();
  winplat::Picture neutral = ProjectionPicture(0, 512);
  // Near the bottom edge (device y = -15000) and on the middle row the square is as wide.
  int low = 256 + 15000 * 512 / 65536;
  auto middle = Span(neutral, 256, 0x0000FF);
  ASSERT_NE(middle.first, -1);
  EXPECT_NEAR(Span(neutral, low, 0x0000FF).first, middle.first, 1);

  for (int j = 0; j < 65; ++j) vxd::DisplayGeometricCorrection()(-1, j, BowedRow(j, 16).data());
  EXPECT_EQ(ProjectionPicture(0, 512).pixels, neutral.pixels);  // not before the update
  vxd::DisplayUpdate()();
  winplat::Picture bowed = ProjectionPicture(0, 512);
  EXPECT_NEAR(Span(bowed, 256, 0x0000FF).first, middle.first, 1);  // the middle row stays
  EXPECT_LT(Span(bowed, low, 0x0000FF).first, middle.first - 10);  // the corners spread
  EXPECT_TRUE(MatchesGolden(bowed, "projection_bowed.png"));

  // One changed row waits for the update as well, then moves only its part of the picture.
  auto row = BowedRow(48, 16);
  for (int i = 0; i < 65; ++i) row[static_cast<std::size_t>(2 * i)] = static_cast<std::int16_t>(std::clamp(1024 * i - 32768 + 6000, -32767, 32767));
  vxd::DisplayGeometricCorrection()(-1, 48, row.data());
  EXPECT_EQ(ProjectionPicture(0, 512).pixels, bowed.pixels);
  vxd::DisplayUpdate()();
  winplat::Picture changed = ProjectionPicture(0, 512);
  EXPECT_NE(changed.pixels, bowed.pixels);
  int topRow = 256 - 16000 * 512 / 65536;  // device y = 16000 lies between rows 47 and 48
  EXPECT_GT(Span(changed, topRow + 1, 0x0000FF).first, Span(bowed, topRow + 1, 0x0000FF).first + 10);
  EXPECT_EQ(Span(changed, low, 0x0000FF), Span(bowed, low, 0x0000FF));
}

TEST_P(DisplayTest, ProjectionOfAMissingBoardIsEmpty) {
  EXPECT_EQ(ProjectionPicture(3, 512).width, 0);
  EXPECT_EQ(ProjectionPicture(0, 4).width, 0);
  std::string error;
  EXPECT_FALSE(winplat::hw::SaveProjectionPng(testsupport::Root() / "p.png", 5, 512, &error));
  EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(Boards, DisplayTest, ::testing::Values(false, true), Family);

}  // namespace
}  // namespace vxtest
