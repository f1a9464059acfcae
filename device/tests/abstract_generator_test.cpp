// The abstract generator on the emulated boards: the oscillators' waves, the
// modulators that shape them, the two colour sources, the copies between the
// generator and the working frame, the projection of a generated frame, and
// what a reboot leaves of the generator, the ports and the timelines.
#include <cmath>
#include <cstring>
#include <numbers>

#include "display_fixture.h"
#include "periphery_exports.h"

namespace vxtest {
namespace {

namespace hw = winplat::hw;

constexpr int kCount = 48;
constexpr double kRadius = 8192;  // a size of 50

class Generator : public PeripheryTest {
 protected:
  // Oscillator 1 draws a circle: X and Y at one cycle a frame, Y a quarter turn ahead.
  static void Circle() {
    ASSERT_EQ(vp::InitAbstractOsc1()(0, 90, 0), 0);
    ASSERT_EQ(vp::SetAbstractOsc1()(1, 1, 0, 50, 50, 0, 0), 0);
  }
  static std::vector<PointStruct> Frame(std::int32_t frame) {
    vs::SetWorkingFrame()(frame);
    FrameStruct h{};
    std::vector<PointStruct> points(6001);
    EXPECT_EQ(vxf::ReadFrame()(&h, points.data()), 0);
    points.resize(static_cast<std::size_t>(std::max(h.NumPoints, 0)));
    return points;
  }
  static double Radius(const PointStruct& p) { return std::hypot(p.X, p.Y); }
  static double Angle(int k) { return 2.0 * std::numbers::pi * k / kCount; }
};

TEST_P(Generator, OscillatorsDrawTheirSinesWithPhaseFrequencyAndSize) {
  ASSERT_NO_FATAL_FAILURE(Circle());
  ASSERT_EQ(vp::SetAbstractOsc2()(0, 0, 3, 0, 0, 10, 0), 0);  // Z: three cycles of size 10
  ASSERT_EQ(vp::SetAbstractColor()(0x0000FF, 0x0000FF), 0);
  ASSERT_EQ(vp::GenerateAbstract()(30, kCount, 0), 0);
  auto points = Frame(30);
  ASSERT_EQ(points.size(), std::size_t{kCount});
  for (int k = 0; k < kCount; ++k) {
    SCOPED_TRACE(k);
    const PointStruct& p = points[static_cast<std::size_t>(k)];
    EXPECT_NEAR(p.X, kRadius * std::sin(Angle(k)), 1.5);
    EXPECT_NEAR(p.Y, kRadius * std::cos(Angle(k)), 1.5);
    EXPECT_NEAR(p.Z, 1638 * std::sin(3 * Angle(k)), 1.5);
    EXPECT_EQ(p.Colour, 0x0000FF);
  }
  // More points than a frame holds, or none: refused, the frame unchanged.
  EXPECT_EQ(vp::GenerateAbstract()(30, 6001, 0), VX_ACCESS_ERROR);
  EXPECT_EQ(vp::GenerateAbstract()(30, 0, 0), VX_ACCESS_ERROR);
  EXPECT_EQ(Frame(30).size(), std::size_t{kCount});
}

TEST_P(Generator, AmplitudeModulationSwingsTheSizeWithinItself) {
  ASSERT_NO_FATAL_FAILURE(Circle());
  ASSERT_EQ(vp::InitAbstractMod1()(90), 0);              // starts at its peak
  ASSERT_EQ(vp::SetAbstractMod1()(1, 100, 1), 0);        // one cycle, full depth, amplitude
  ASSERT_EQ(vp::GenerateAbstract()(31, kCount, 0), 0);
  auto points = Frame(31);
  ASSERT_EQ(points.size(), std::size_t{kCount});
  for (int k = 0; k < kCount; ++k) {
    SCOPED_TRACE(k);
    EXPECT_NEAR(Radius(points[static_cast<std::size_t>(k)]), kRadius * (1 + std::cos(Angle(k))) / 2, 2.5);
  }
  // Half depth: between half the size and the size.
  ASSERT_EQ(vp::SetAbstractMod1()(1, 50, 1), 0);
  ASSERT_EQ(vp::GenerateAbstract()(31, kCount, 0), 0);
  EXPECT_NEAR(Radius(Frame(31)[kCount / 2]), kRadius / 2, 2.5);
  // Depth 0 or kind 0: the plain circle.
  ASSERT_EQ(vp::SetAbstractMod1()(1, 100, 0), 0);
  ASSERT_EQ(vp::GenerateAbstract()(31, kCount, 0), 0);
  EXPECT_NEAR(Radius(Frame(31)[kCount / 2]), kRadius, 2.5);
}

TEST_P(Generator, FrequencyAndPhaseModulationMoveTheWave) {
  ASSERT_EQ(vp::SetAbstractOsc1()(1, 0, 0, 50, 0, 0, 0), 0);  // X only
  // Frequency: the wave runs at f (1 + sin 2 pi t); its angle at t is 2 pi t + 1 - cos 2 pi t.
  ASSERT_EQ(vp::SetAbstractMod2()(1, 100, 2), 0);
  ASSERT_EQ(vp::GenerateAbstract()(32, kCount, 0), 0);
  auto fm = Frame(32);
  ASSERT_EQ(fm.size(), std::size_t{kCount});
  for (int k : {0, 6, 12, 24, 36}) {
    double t = static_cast<double>(k) / kCount;
    double angle = 2 * std::numbers::pi * t + 1 - std::cos(2 * std::numbers::pi * t);
    EXPECT_NEAR(fm[static_cast<std::size_t>(k)].X, kRadius * std::sin(angle), 2.5) << k;
  }
  // Phase: a modulator standing at its peak (no frequency, started at 90
  // degrees) with half depth turns the wave a quarter turn ahead.
  ASSERT_EQ(vp::InitAbstractMod2()(90), 0);
  ASSERT_EQ(vp::SetAbstractMod2()(0, 50, 3), 0);
  ASSERT_EQ(vp::GenerateAbstract()(32, kCount, 0), 0);
  auto pm = Frame(32);
  for (int k : {0, 12, 24}) EXPECT_NEAR(pm[static_cast<std::size_t>(k)].X, kRadius * std::cos(Angle(k)), 1.5) << k;
}

TEST_P(Generator, ColourSourcesBlendAndTurnTheHueOverOneGeometry) {
  ASSERT_NO_FATAL_FAILURE(Circle());
  ASSERT_EQ(vp::InitAbstractColor()(1), 0);
  ASSERT_EQ(vp::SetAbstractColor()(0x0000FF, 0x00FF00), 0);  // red to green
  ASSERT_EQ(vp::InitAbstractColorNew()(120), 0);              // starts a third of a turn on: green
  ASSERT_EQ(vp::SetAbstractColorNew()(1, 0x0000FF), 0);       // one turn over the frame
  ASSERT_EQ(vp::GenerateAbstract()(33, kCount, 0), 0);
  ASSERT_EQ(vp::GenerateAbstractNew()(34, kCount, 0), 0);
  auto blend = Frame(33);
  auto hue = Frame(34);
  ASSERT_EQ(blend.size(), std::size_t{kCount});
  ASSERT_EQ(hue.size(), std::size_t{kCount});
  EXPECT_EQ(blend[0].Colour, 0x0000FF);
  EXPECT_EQ(blend[kCount / 2].Colour, 0x008080);
  EXPECT_EQ(blend[kCount - 1].Colour, 0x00FA05);  // 47/48 of the way
  EXPECT_EQ(hue[0].Colour, 0x00FF00);
  EXPECT_EQ(hue[kCount / 3].Colour, 0xFF0000);      // blue a third of a turn later
  EXPECT_EQ(hue[2 * kCount / 3].Colour, 0x0000FF);  // then red
  // Both generators draw the same waves.
  for (int k = 0; k < kCount; ++k) {
    const auto& a = blend[static_cast<std::size_t>(k)];
    const auto& b = hue[static_cast<std::size_t>(k)];
    EXPECT_EQ(std::tie(a.X, a.Y, a.Z), std::tie(b.X, b.Y, b.Z)) << k;
  }
  // Two runs of the blend: red again half way.
  ASSERT_EQ(vp::InitAbstractColor()(2), 0);
  ASSERT_EQ(vp::GenerateAbstract()(33, kCount, 0), 0);
  EXPECT_EQ(Frame(33)[kCount / 2].Colour, 0x0000FF);
}

TEST_P(Generator, FrameAndGeneratorCopiesRoundTrip) {
  // Nothing generated yet: the generator has no points to give.
  vs::SetWorkingFrame()(40);
  EXPECT_NE(vp::AbstractToFrame()(), 0);
  std::int32_t sticky = 0;
  vx::GetVXStatus()(&sticky);

  std::vector<PointStruct> written = {{-100, 200, 3, 4, 0x123456, 5, 6, 7, 8}, {300, -400, -5, 0, 0xFF, -1, 0, 2, 9}};
  FrameStruct h{};
  h.FlagA = 1;
  h.NumPoints = 2;
  std::memcpy(h.Name, "EDGES", 5);
  ASSERT_EQ(vxf::WriteFrame()(&h, written.data()), 0);
  ASSERT_EQ(vp::FrameToAbstract()(), 0);
  vs::SetWorkingFrame()(41);
  ASSERT_EQ(vp::AbstractToFrame()(), 0);
  auto copied = Frame(41);
  ASSERT_EQ(copied.size(), 2u);
  auto source = Frame(40);
  ASSERT_EQ(source.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto& a = copied[i];
    const auto& b = source[i];
    EXPECT_EQ(std::tie(a.X, a.Y, a.Z, a.F, a.Colour, a.Value5, a.Value6, a.Value7, a.Value8),
              std::tie(b.X, b.Y, b.Z, b.F, b.Colour, b.Value5, b.Value6, b.Value7, b.Value8)) << i;
  }
  EXPECT_EQ(source[1].X, 300);
  EXPECT_EQ(source[1].Value8, 9);

  // A generated frame is also the generator's points.
  ASSERT_NO_FATAL_FAILURE(Circle());
  ASSERT_EQ(vp::SetAbstractColor()(0xFF, 0xFF), 0);
  ASSERT_EQ(vp::GenerateAbstract()(42, kCount, 0), 0);
  vs::SetWorkingFrame()(43);
  ASSERT_EQ(vp::AbstractToFrame()(), 0);
  auto generated = Frame(42), again = Frame(43);
  ASSERT_EQ(again.size(), generated.size());
  EXPECT_EQ(std::memcmp(again.data(), generated.data(), again.size() * sizeof(PointStruct)), 0);
}

TEST_P(Generator, AGeneratedFrameShowsInTheProjectionWhereItsWaveIs) {
  ASSERT_NO_FATAL_FAILURE(Circle());
  ASSERT_EQ(vp::SetAbstractColor()(0x0000FF, 0x0000FF), 0);
  ASSERT_EQ(vp::GenerateAbstract()(15, 720, 0), 0);
  ASSERT_EQ(vxd::DisplayFrame()(15), 0);
  ASSERT_EQ(vxd::DisplayUpdate()(), 0);
  winplat::Picture picture = hw::ProjectionPicture(0, 512);
  ASSERT_EQ(picture.width, 512);
  // A radius of 8192 device units is 64 pixels about the centre (256, 256).
  int lit = 0, off = 0;
  int quadrants[4] = {};
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if ((picture.At(x, y) & 0xFFFFFF) != 0x0000FF) continue;
      ++lit;
      double r = std::hypot(x - 256.0, y - 256.0);
      if (std::abs(r - 64.0) > 2.5) ++off;
      quadrants[(x >= 256 ? 1 : 0) + (y >= 256 ? 2 : 0)]++;
    }
  }
  EXPECT_GT(lit, 300);  // about the circumference, 402 pixels
  EXPECT_EQ(off, 0);
  for (int q : quadrants) EXPECT_GT(q, 50);
  EXPECT_NE(picture.At(256, 256) & 0xFFFFFF, 0x0000FFu);
}

TEST_P(Generator, ARebootForgetsGeneratorPortsAndTimelines) {
  ASSERT_NO_FATAL_FAILURE(Circle());
  ASSERT_EQ(vp::GenerateAbstract()(30, kCount, 0), 0);
  ASSERT_EQ(vp::ParOn()(3, 0x81), 0);
  TimelineGroup g{};
  g.Number = 1;
  g.Type = 4;
  g.KeyLong = 9;
  std::vector<TimelineEvent> events(VX_TIMELINE_EVENT_SLOTS);
  events[1].Track = 1;
  ASSERT_EQ(vp::WriteTLG()(&g, events.data()), 0);
  std::vector<std::uint8_t> key(VX_LIVE_KEY_BYTES, 7);
  ASSERT_EQ(vp::WriteLiveKey()(1, 1, key.data()), 0);
  TimelineBeat beat{2, 0, 9, 1, 2, 3, {}};
  ASSERT_EQ(vp::WriteTimelineBeat()(&beat), 0);
  // An end of the session keeps them.
  ASSERT_EQ(vs::EndSession()(), 0);
  TimelineGroup back = g;
  EXPECT_EQ(vp::ReadTLGStruct()(&back), 0);

  ASSERT_EQ(vs::RebootTB32()(), 0);
  hw::ForceBoardProgram(hw::BoardProgram::Operating);  // the software downloaded again
  back = g;
  EXPECT_NE(vp::ReadTLGStruct()(&back), 0);
  EXPECT_NE(vp::ReadLiveKey()(1, 1, key.data()), 0);
  EXPECT_NE(vp::ReadTimelineBeat()(&beat), 0);
  std::int32_t bits = -1;
  EXPECT_EQ(vp::ParIn()(3, 0xFF, &bits), 0);
  EXPECT_EQ(bits, 0);
  float f[3] = {1, 1, 1}, s[3] = {1, 1, 1}, phase[3] = {1, 1, 1};
  std::int32_t wave = -1;
  EXPECT_EQ(vp::GetAbstractFreqSizeWave()(1, &f[0], &f[1], &f[2], &s[0], &s[1], &s[2], &wave), 0);
  EXPECT_EQ(f[0], 0.0f);
  EXPECT_EQ(s[0], 0.0f);
  EXPECT_EQ(vp::GetAbstractPhase()(1, &phase[0], &phase[1], &phase[2]), 0);
  EXPECT_EQ(phase[1], 0.0f);
  vs::SetWorkingFrame()(30);
  EXPECT_NE(vp::AbstractToFrame()(), 0);  // no generator points any more
}

INSTANTIATE_TEST_SUITE_P(Families, Generator, ::testing::Bool(), Family);

}  // namespace
}  // namespace vxtest
