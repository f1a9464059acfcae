// The word block senders on both families.
#include "vexlib_fixture.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

class WordBlocks : public VexlibTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(VexlibTest::SetUp());
    hw::ForceBoardProgram(hw::BoardProgram::Operating);
  }
};

TEST_F(WordBlocks, OddByteCountSendsTheLastWordsHighByteOnly) {
  std::int32_t words[3] = {0x1234, 0x7FFF5678, 0x9ABC};
  EXPECT_EQ(vx::SendWordBlock()(words, 5), 0);
  auto sent = Commands(51);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].operands, (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0x9A}));
  EXPECT_TRUE(Logged("CurrentByte=0, SendSize=5, NumBytes=5"));
}

TEST_F(WordBlocks, IsaChunksOf256AndTheBlockComesBackSignExtended) {
  std::vector<std::int32_t> words(300);
  for (std::size_t i = 0; i < words.size(); ++i) words[i] = static_cast<std::int32_t>(i * 331 - 40000);
  EXPECT_EQ(vx::SendWordBlock()(words.data(), 600), 0);
  EXPECT_EQ(Commands(51).size(), 3u);
  EXPECT_TRUE(Logged("CurrentByte=256, SendSize=256, NumBytes=600"));
  EXPECT_TRUE(Logged("CurrentByte=512, SendSize=88, NumBytes=600"));
  std::vector<std::int32_t> back(6000, 12345);
  hw::ClearCommandLog();
  EXPECT_EQ(vx::ReceiveWordBlock()(back.data()), 0);
  EXPECT_EQ(Commands(52).size(), 1u + 5u);  // the count, then 600 bytes in chunks of 128
  for (std::size_t i = 0; i < words.size(); ++i) {
    ASSERT_EQ(back[i], static_cast<std::int16_t>(words[i] & 0xFFFF)) << i;
  }
  EXPECT_EQ(back[300], 12345);  // nothing past the block is touched
}

TEST_F(WordBlocks, EmptyReceiveSendsOneCommand) {
  std::int32_t words[4] = {9, 9, 9, 9};
  EXPECT_EQ(vx::ReceiveWordBlock()(words), 0);
  EXPECT_EQ(Commands(52).size(), 1u);
  EXPECT_EQ(words[0], 9);
}

TEST_F(WordBlocks, LowMemoryStopsAndShowsItsBox) {
  ConfigureBoards("[Board0]\nFault=low memory\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  std::vector<std::int32_t> words(400, 1);
  EXPECT_EQ(vx::SendWordBlock()(words.data(), 800), -702);
  EXPECT_EQ(Commands(51).size(), 1u);
  ASSERT_EQ(boxes.Count("The TB board has detected a low memory condition.\nSave your work immediately to avoid loss."),
            1);
  for (const auto& box : boxes.shown) {
    if (box.text.rfind("The TB board has detected", 0) == 0) {
      EXPECT_EQ(box.caption, "TB32:Diagnostics");
    }
  }
  EXPECT_TRUE(Logged("Board 1 TB32: MISC ERROR -702 ****"));
}

TEST_F(WordBlocks, ReceiveStopsAtABoardError) {
  ConfigureBoards("[Board0]\nFault=error 8 on 52\n");
  std::int32_t words[2] = {};
  EXPECT_EQ(vx::ReceiveWordBlock()(words), 8);
}

TEST_F(WordBlocks, PciChunksOf4000) {
  ConfigureBoards("[Boards]\nFamily=PCI\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  ASSERT_EQ(UseBoards(true, 1), 1);
  std::vector<std::int32_t> words(5000);
  for (std::size_t i = 0; i < words.size(); ++i) words[i] = static_cast<std::int32_t>(i) - 2500;
  EXPECT_EQ(vx::SendWordBlock()(words.data(), 10000), 0);
  EXPECT_EQ(Commands(51).size(), 3u);
  std::vector<std::int32_t> back(6000, 0);
  EXPECT_EQ(vx::ReceiveWordBlock()(back.data()), 0);
  EXPECT_EQ(Commands(52).size(), 1u + 3u);
  EXPECT_TRUE(std::equal(words.begin(), words.end(), back.begin()));
}

}  // namespace
