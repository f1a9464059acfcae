// The auxiliary port and abstract generator exports: their scaling, their
// queries and what the emulated boards keep, in ISA and PCI mode.
#include <vector>

#include "periphery_exports.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

class AbstractTest : public PeripheryTest {
 protected:
  static std::vector<std::int32_t> Operands(std::uint16_t code) {
    auto sent = Commands(code);
    std::vector<std::int32_t> out;
    if (sent.empty()) return out;
    const auto& b = sent.back().operands;
    for (std::size_t i = 0; i + 4 <= b.size(); i += 4) {
      out.push_back(static_cast<std::int32_t>(std::uint32_t{b[i]} << 24 | std::uint32_t{b[i + 1]} << 16 |
                                              std::uint32_t{b[i + 2]} << 8 | b[i + 3]));
    }
    return out;
  }
};

TEST_P(AbstractTest, ValuesAreScaledAndTruncated) {
  ASSERT_EQ(vp::SetAbstractOsc1()(1, 0, 0, 100, 0, 0, 5), 0);
  EXPECT_EQ(Operands(164), (std::vector<std::int32_t>{16384, 0, 0, 16384, 0, 0, 5}));
  EXPECT_TRUE(Logged("SetAbstractOsc1 1 0 0 100 0 0 5"));
  ASSERT_EQ(vp::SetAbstractMod1()(0, 100, 0), 0);
  EXPECT_EQ(Operands(166), (std::vector<std::int32_t>{0, 8192, 0}));
  ASSERT_EQ(vp::InitAbstractMod1()(2.59f), 0);
  EXPECT_EQ(Operands(161), (std::vector<std::int32_t>{25}));
  EXPECT_TRUE(Logged("InitAbstractMod1 2"));
  ASSERT_EQ(vp::InitAbstractOsc3()(-1.5f, 2.0f, 0.26f), 0);
  EXPECT_EQ(Operands(170), (std::vector<std::int32_t>{-15, 20, 2}));
  ASSERT_EQ(vp::SetAbstractOsc3()(0.5f, 0, 0, -50, 0, 0, 1), 0);
  EXPECT_EQ(Operands(171), (std::vector<std::int32_t>{8192, 0, 0, -8192, 0, 0, 1}));
  ASSERT_EQ(vp::SetAbstractColorNew()(0.25f, 9), 0);
  EXPECT_EQ(Operands(173), (std::vector<std::int32_t>{4096, 9}));
  ASSERT_EQ(vp::InitAbstractColorNew()(3.3f), 0);
  EXPECT_EQ(Operands(172), (std::vector<std::int32_t>{32}));  // the Single 3.3 lies just under 3.3
}

TEST_P(AbstractTest, PhaseAndFrequencyQueriesReadWhatWasSet) {
  ASSERT_EQ(vp::InitAbstractOsc2()(-2.5f, 1.99f, 36.0f), 0);  // sends -25, 19, 360
  float p1 = 0, p2 = 0, p3 = 0;
  ASSERT_EQ(vp::GetAbstractPhase()(2, &p1, &p2, &p3), 0);
  EXPECT_EQ(p1, -2.0f);  // tenths divided as integers
  EXPECT_EQ(p2, 1.0f);
  EXPECT_EQ(p3, 36.0f);
  ASSERT_EQ(vp::SetAbstractOsc2()(2, 0.5f, 0, 100, 25, 0, 3), 0);
  float f[3] = {}, s[3] = {};
  std::int32_t wave = 0;
  ASSERT_EQ(vp::GetAbstractFreqSizeWave()(2, &f[0], &f[1], &f[2], &s[0], &s[1], &s[2], &wave), 0);
  EXPECT_FLOAT_EQ(f[0], 2.0f);
  EXPECT_FLOAT_EQ(f[1], 0.5f);
  EXPECT_FLOAT_EQ(s[0], 100.0f);
  EXPECT_FLOAT_EQ(s[1], 25.0f);
  EXPECT_EQ(wave, 3);
  ASSERT_EQ(vp::SwapWaves()(), 0);
  ASSERT_EQ(vp::GetAbstractFreqSizeWave()(1, &f[0], &f[1], &f[2], &s[0], &s[1], &s[2], &wave), 0);
  EXPECT_EQ(wave, 3);
  EXPECT_TRUE(Logged("GetAbstractFreqSizeWave 1"));
  // A board error: the outputs are still written from the reply.
  EXPECT_NE(vp::GetAbstractPhase()(9, &p1, &p2, &p3), 0);
}

TEST_P(AbstractTest, GeneratorFramesAndColourRunOnTheBoard) {
  EXPECT_EQ(vp::InitAbstractOsc1()(0, 0, 0), 0);
  EXPECT_EQ(vp::InitAbstractMod2()(1.0f), 0);
  EXPECT_EQ(vp::SetAbstractMod2()(1.0f, 50.0f, 2), 0);
  EXPECT_EQ(Operands(167), (std::vector<std::int32_t>{16384, 4096, 2}));
  EXPECT_EQ(vp::InitAbstractColor()(4), 0);
  EXPECT_EQ(vp::SetAbstractColor()(1, 255), 0);
  EXPECT_EQ(vp::GenerateAbstract()(3, 200, 0), 0);
  EXPECT_TRUE(Logged("GenerateAbstract"));
  EXPECT_EQ(vs::SetWorkingFrame()(3), 0);
  EXPECT_EQ(vp::FrameToAbstract()(), 0);
  EXPECT_EQ(vp::AbstractToFrame()(), 0);
  EXPECT_EQ(vp::GenerateAbstractNew()(3, 100, 1), 0);
  EXPECT_EQ(Operands(174), (std::vector<std::int32_t>{3, 100, 1}));
  EXPECT_NE(vp::GenerateAbstract()(3, 0, 0), 0);  // no points: refused by the board
}

TEST_P(AbstractTest, PortsAreSetClearedAndRead) {
  ASSERT_EQ(vp::ParOn()(1, 0x30), 0);
  ASSERT_EQ(vp::ParOff()(1, 0x10), 0);
  EXPECT_TRUE(Logged("ParOff 1 16"));
  std::int32_t value = -1;
  ASSERT_EQ(vp::ParIn()(1, 0xFF, &value), 0);
  EXPECT_EQ(value, 0x20);
  ASSERT_EQ(vp::DisplayPortLong()(2, 0xABCD, &value), 0);
  EXPECT_EQ(value, 0xABCD);
  EXPECT_TRUE(Logged("DisplayPort 00000002 0000ABCD"));
  // A port the board does not have: the board's error, and no value passes for one.
  value = -1;
  EXPECT_EQ(vp::ParIn()(40, 1, &value), VX_ACCESS_ERROR);
  EXPECT_EQ(value, 0);
}

INSTANTIATE_TEST_SUITE_P(Families, AbstractTest, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "Pci" : "Isa"; });

}  // namespace
