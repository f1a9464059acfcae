// Timeline groups, scenes, effects, beats and live keys through the emulated
// boards, in ISA and PCI mode.
#include <cstring>
#include <vector>

#include "periphery_exports.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

class TimelineTest : public PeripheryTest {
 protected:
  static TimelineGroup Group(std::int16_t type) {
    TimelineGroup g{};
    g.Number = 3;
    g.Type = type;
    g.KeyLong = 0x01020304;
    std::memcpy(g.Name, "Opening", 7);
    std::memset(g.Text2, 'b', sizeof g.Text2);
    std::memset(g.Text3, 'c', sizeof g.Text3);
    g.Mode = 2;
    g.Flag14 = -1;
    return g;
  }
  static TimelineEvent Event(std::int32_t start, std::int32_t end, std::int16_t track) {
    TimelineEvent e{};
    e.KeyLong = 77;
    e.Type = 8;
    e.Number = 9;
    e.StartTime = start;
    e.EndTime = end;
    e.Track = track;
    return e;
  }
  static std::int32_t LongAt(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
                                     std::uint32_t{b[at + 2]} << 8 | b[at + 3]);
  }
};

TEST_P(TimelineTest, TimelineGroupIsWrittenByStartTimeWithTheCountItSentAndReadBack) {
  TimelineGroup g = Group(8);
  g.numTimelineEvents = 5;
  std::vector<TimelineEvent> events(VX_TIMELINE_EVENT_SLOTS);
  events[2] = Event(500, 900, 4);
  events[5] = Event(100, 300, 2);
  events[7] = Event(500, 2000, 6);  // ties with slot 2: goes after it
  events[9] = Event(2100000000, 2100000005, 1);  // never sent
  events[9].Flag = 1;
  events[11] = Event(50, 60, 0);  // not in use
  ASSERT_EQ(vp::WriteTimelineGroup()(&g, events.data()), 0);
  EXPECT_EQ(g.numTimelineEvents, 3);
  EXPECT_EQ(g.EndTime, 2100000005);
  EXPECT_TRUE(Logged("WriteTimelineGroup: NumTimelineEvents=4"));
  auto header = Commands(141);
  ASSERT_EQ(header.size(), 1u);
  ASSERT_EQ(header[0].operands.size(), 348u);
  EXPECT_EQ(header[0].operands[11], 3);                    // item count
  EXPECT_EQ(header[0].operands[8], 0x40);                  // bit 14
  EXPECT_EQ(header[0].operands[9], 0x04);                  // mode in bits 1-2
  auto sent = Commands(142);
  ASSERT_EQ(sent.size(), 3u);
  std::vector<std::int32_t> starts, durations, numbers;
  for (auto& c : sent) {
    ASSERT_EQ(c.operands.size(), 32u);
    numbers.push_back(LongAt(c.operands, 8));
    starts.push_back(LongAt(c.operands, 20));
    durations.push_back(LongAt(c.operands, 24));
  }
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(starts, (std::vector<std::int32_t>{100, 500, 500}));
  EXPECT_EQ(durations, (std::vector<std::int32_t>{200, 400, 1500}));
  for (int i : {2, 5, 7, 9}) EXPECT_GT(events[static_cast<std::size_t>(i)].Track, 0) << i;

  TimelineGroup back{};
  back.Number = 3;
  back.Type = 8;
  back.KeyLong = 0x01020304;
  std::vector<TimelineEvent> read(VX_TIMELINE_EVENT_SLOTS);
  read[40].Track = 5;
  ASSERT_EQ(vp::ReadTimelineGroup()(&back, read.data()), 0);
  EXPECT_EQ(back.numTimelineEvents, 3);
  EXPECT_EQ(std::memcmp(back.Name, g.Name, sizeof g.Name), 0);
  EXPECT_EQ(std::memcmp(back.Text2, g.Text2, sizeof g.Text2), 0);
  EXPECT_EQ(std::memcmp(back.Text3, g.Text3, sizeof g.Text3), 0);
  EXPECT_EQ(back.Mode, 2);
  EXPECT_EQ(back.Flag14, -1);
  EXPECT_EQ(back.Flag0, 0);
  EXPECT_EQ(read[1].StartTime, 100);
  EXPECT_EQ(read[1].EndTime, 300);
  EXPECT_EQ(read[1].Track, 2);
  EXPECT_EQ(read[2].Track, 4);
  EXPECT_EQ(read[3].EndTime, 2000);
  EXPECT_EQ(read[3].KeyLong, 77);
  EXPECT_EQ(read[3].Type, 8);
  EXPECT_EQ(read[3].Number, 9);
  EXPECT_EQ(read[40].Track, 0);  // cleared
  EXPECT_EQ(read[40].Value32, 1);
  EXPECT_EQ(read[0].KeyLong, 77);
  std::vector<TimelineEvent> direct(VX_TIMELINE_EVENT_SLOTS);
  ASSERT_EQ(vp::ReadTimelineEvents()(&back, direct.data()), 0);
  EXPECT_EQ(direct[2].StartTime, 500);
  EXPECT_EQ(direct[2].Track, 4);
}

TEST_P(TimelineTest, SceneOrdersByStartEndTrackAndCarriesItsValues) {
  TimelineGroup g = Group(5);  // forced to a scene
  std::vector<LaserEvent> events(VX_LASER_EVENT_SLOTS);
  events[1] = Event(10, 40, 3);
  events[2] = Event(10, 30, 9);
  events[3] = Event(10, 30, 2);
  events[450] = Event(5, 6, 1);
  events[450].Value20 = -7;
  events[450].Value22 = 8;
  events[450].Value24 = 9;
  events[450].Value28 = -100000;
  events[450].Value32 = 11;
  events[450].Value34 = 12;
  events[450].Flag = -1;
  ASSERT_EQ(vp::WriteScene()(&g, events.data()), 0);
  EXPECT_EQ(g.Type, 2);
  auto sent = Commands(139);
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[0].operands.size(), 46u);
  std::vector<std::int16_t> tracks;
  for (auto& c : sent) tracks.push_back(static_cast<std::int16_t>(c.operands[28] << 8 | c.operands[29]));
  EXPECT_EQ(tracks, (std::vector<std::int16_t>{1, 2, 9, 3}));

  std::vector<LaserEvent> read(VX_LASER_EVENT_SLOTS);
  ASSERT_EQ(vp::ReadSEFs()(&g, read.data()), 0);
  EXPECT_EQ(read[1].Value20, -7);
  EXPECT_EQ(read[1].Value22, 8);
  EXPECT_EQ(read[1].Value24, 9);
  EXPECT_EQ(read[1].Value28, -100000);
  EXPECT_EQ(read[1].Value32, 11);
  EXPECT_EQ(read[1].Value34, 12);
  EXPECT_EQ(read[1].Flag, -1);
  EXPECT_EQ(read[4].Track, 3);
  EXPECT_EQ(read[5].Value32, 1);
}

TEST_P(TimelineTest, EffectTransitionsTravelAsTicksAndScaledParts) {
  TimelineGroup g = Group(1);
  std::vector<Transition> t(VX_TRANSITION_SLOTS);
  t[4].StartTime = 2.0f;
  t[4].EndTime = 3.0f;
  t[4].Flag0 = -1;
  t[4].Parts[2] = TransitionPart{6, -1, 0, -1, 0, 5, 6, 3, 0, 10.0f, -20.0f, 1.0f};
  t[4].Parts[5] = TransitionPart{12, 0, 0, 0, 0, 1, 0, 0, 0, 7.0f, 8.0f, 9.0f};
  t[2].StartTime = 1.0f;
  t[2].EndTime = 1.5f;
  t[2].Parts[0] = TransitionPart{1, 0, 0, 0, 0, 1, 0, 0, 0, 100.0f, 0, 0};
  t[7].StartTime = 0;  // flagged only: in use
  t[7].Flag14 = -1;
  ASSERT_EQ(vp::WriteTimelineGroup()(&g, t.data()), 0);
  EXPECT_EQ(g.NumTransitions, 3);
  auto header = Commands(141);
  ASSERT_EQ(header.size(), 1u);
  EXPECT_EQ(header[0].operands[13], 3);  // total parts
  auto sent = Commands(137);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].operands[21], 7);  // order key: earliest start first
  EXPECT_EQ(sent[1].operands[21], 2);
  EXPECT_EQ(sent[2].operands[12] << 8 | sent[2].operands[13], 5);  // 2.0 s = 5 ticks
  auto parts = Commands(136);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(LongAt(parts[0].operands, 26), 16384);       // kind 1 at 163.84
  EXPECT_EQ(LongAt(parts[1].operands, 26), 1638);        // kind 6 at 163.83
  EXPECT_EQ(LongAt(parts[2].operands, 26), 7);           // kind 12 as it is
  EXPECT_EQ(parts[1].operands[19], 0x65);                // flags 0 and 2, mode 3
  for (int i = 1; i < VX_TRANSITION_SLOTS; ++i) EXPECT_GE(t[static_cast<std::size_t>(i)].OrderKey, 0);

  std::vector<Transition> read(VX_TRANSITION_SLOTS);
  TimelineGroup back = Group(1);
  ASSERT_EQ(vp::ReadTimelineGroup()(&back, read.data()), 0);
  EXPECT_EQ(read[4].OrderKey, 4);
  EXPECT_NEAR(read[4].StartTime, 5 / 2.56, 1e-5);
  EXPECT_EQ(read[4].Flag0, -1);
  EXPECT_EQ(read[4].NumParts, 2);
  EXPECT_EQ(read[4].Parts[2].Kind, 6);
  EXPECT_EQ(read[4].Parts[2].Flag0, 1);
  EXPECT_EQ(read[4].Parts[2].Flag2, -1);
  EXPECT_EQ(read[4].Parts[2].Mode, 3);
  EXPECT_NEAR(read[4].Parts[2].X, 10.0, 0.01);
  EXPECT_NEAR(read[4].Parts[2].Y, -20.0, 0.01);
  EXPECT_FLOAT_EQ(read[4].Parts[5].Z, 9.0f);
  EXPECT_EQ(read[4].Parts[0].Value26, 1);
  EXPECT_EQ(read[7].Flag14, -1);
  EXPECT_EQ(back.BoardFlag7, -1);  // a part with bit 0 in a transition with a duration
  EXPECT_NEAR(read[2].Parts[0].X, 100.0, 0.01);
  std::vector<Transition> direct(VX_TRANSITION_SLOTS);
  ASSERT_EQ(vp::ReadTransitions()(&back, direct.data()), 0);
  EXPECT_EQ(direct[2].NumParts, 1);
  EXPECT_EQ(direct[5].OrderKey, 0);
  EXPECT_EQ(direct[5].Parts[0].Value26, 1);  // cleared parts hold 1
}

TEST_P(TimelineTest, TransitionTicksAreHeldToSixteenBits) {
  TimelineGroup g = Group(1);
  std::vector<Transition> t(VX_TRANSITION_SLOTS);
  t[1].StartTime = 30000.0f;  // 76800 ticks
  t[1].EndTime = 30001.0f;
  ASSERT_EQ(vp::WriteEffect()(&g, t.data()), 0);
  auto sent = Commands(137);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].operands[12] << 8 | sent[0].operands[13], 65535);
  EXPECT_TRUE(Logged("WriteEffect ticks 76800 held to 65535"));
}

TEST_P(TimelineTest, UnknownTypesAndForeignLayoutsAnswerMinus519) {
  TimelineGroup g = Group(3);
  std::vector<TimelineEvent> events(VX_LASER_EVENT_SLOTS);
  EXPECT_EQ(vp::WriteTimelineGroup()(&g, events.data()), VX_UNKNOWN_GROUP_TYPE);
  EXPECT_TRUE(Commands(141).empty());
  std::int32_t sticky = 0;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, VX_UNKNOWN_GROUP_TYPE);

  g = Group(4);
  events[1] = Event(1, 2, 1);
  ASSERT_EQ(vp::WriteTLG()(&g, events.data()), 0);
  // A scene read of a timeline group touches none of the caller's items.
  TimelineGroup asScene = Group(2);
  std::vector<LaserEvent> read(VX_LASER_EVENT_SLOTS);
  read[1].Track = 33;
  EXPECT_EQ(vp::ReadTimelineGroup()(&asScene, read.data()), VX_UNKNOWN_GROUP_TYPE);
  EXPECT_EQ(read[1].Track, 33);
  EXPECT_TRUE(Commands(131).empty());
  // Types 4 and 8 share one layout.
  TimelineGroup as8 = Group(8);
  std::vector<TimelineEvent> same(VX_TIMELINE_EVENT_SLOTS);
  EXPECT_EQ(vp::ReadTimelineGroup()(&as8, same.data()), 0);
  EXPECT_EQ(same[1].Track, 1);
}

TEST_P(TimelineTest, MissingGroupResetsTheHeader) {
  TimelineGroup g = Group(4);
  g.KeyLong = 999;
  g.numTimelineEvents = 4;
  EXPECT_NE(vp::ReadTLGStruct()(&g), 0);
  EXPECT_EQ(g.Type, 0);
  EXPECT_EQ(g.KeyLong, 0);
  EXPECT_EQ(g.numTimelineEvents, 0);
  EXPECT_EQ(g.Name[49], ' ');
  EXPECT_EQ(g.Text3[0], ' ');
  EXPECT_TRUE(Logged("ReadTLGStruct 3 4"));
}

TEST_P(TimelineTest, BeatsAndLiveKeysAreKeptAndReadBack) {
  TimelineBeat beat{7, 0, 55, 1, -2, 3, {1, 2, 3, 4, 5, 6, 7, 8}};
  ASSERT_EQ(vp::WriteTimelineBeat()(&beat), 0);
  EXPECT_EQ(beat.Type, 16);
  TimelineBeat back{7, 0, 55, 0, 0, 0, {}};
  ASSERT_EQ(vp::ReadTimelineBeat()(&back), 0);
  EXPECT_EQ(back.Value12, -2);
  EXPECT_EQ(back.Value16, 3);
  EXPECT_EQ(back.Bytes20[7], 8);
  EXPECT_EQ(Commands(132).at(0).operands.size(), 20u);
  EXPECT_EQ(Commands(140).at(0).operands.size(), 28u);

  std::vector<std::uint8_t> key(VX_LIVE_KEY_BYTES);
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i * 7);
  ASSERT_EQ(vp::WriteLiveKey()(4, 5, key.data()), 0);
  std::vector<std::uint8_t> got(VX_LIVE_KEY_BYTES);
  ASSERT_EQ(vp::ReadLiveKey()(4, 5, got.data()), 0);
  EXPECT_EQ(got, key);
  EXPECT_TRUE(Logged("WriteLiveKey 4 5 "));
  // Another key was never written: the buffer is left as it was.
  std::vector<std::uint8_t> untouched(VX_LIVE_KEY_BYTES, 0xAA);
  EXPECT_NE(vp::ReadLiveKey()(4, 6, untouched.data()), 0);
  EXPECT_EQ(untouched[0], 0xAA);
}

INSTANTIATE_TEST_SUITE_P(Families, TimelineTest, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "Pci" : "Isa"; });

class TimelineFaultTest : public SessionTest {};

TEST_F(TimelineFaultTest, FailedWriteRestoresTheSignsAndShowsTheLowMemoryBox) {
  ConfigureBoards("[Board0]\nFault=error -702 on 142\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  TimelineGroup g{};
  g.Type = 4;
  std::vector<TimelineEvent> events(VX_TIMELINE_EVENT_SLOTS);
  events[1].Track = 3;
  events[1].StartTime = 9;
  events[2].Track = 4;
  events[3].Track = -6;  // not in use: the write leaves its sign alone
  EXPECT_EQ(vp::WriteTLG()(&g, events.data()), VX_LOW_MEMORY);
  EXPECT_EQ(events[1].Track, 3);
  EXPECT_EQ(events[2].Track, 4);
  EXPECT_EQ(events[3].Track, -6);
  EXPECT_EQ(Commands(142).size(), 1u);
  ASSERT_FALSE(boxes.shown.empty());
  EXPECT_NE(boxes.shown.back().text.find("low memory"), std::string::npos);

  std::int32_t sticky = 0;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, VX_LOW_MEMORY);
}

TEST_F(TimelineFaultTest, FailedEffectWriteRestoresTheOrderKeys) {
  ConfigureBoards("[Board0]\nFault=error 6 on 136\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  TimelineGroup g{};
  g.Type = 1;
  std::vector<Transition> t(VX_TRANSITION_SLOTS);
  t[3].Parts[0].Kind = 2;
  t[5].Parts[1].Kind = 2;
  EXPECT_EQ(vp::WriteEffect()(&g, t.data()), 6);
  EXPECT_EQ(t[3].OrderKey, 3);
  EXPECT_EQ(t[5].OrderKey, 5);
  EXPECT_EQ(Commands(137).size(), 1u);
}

TEST_F(TimelineFaultTest, BeatAndLiveKeyWritesLeaveTheStickyStatus) {
  ConfigureBoards("[Board0]\nFault=error 6 on *\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  TimelineBeat beat{};
  std::int32_t sticky = 0;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(vp::WriteTimelineBeat()(&beat), 6);
  std::uint8_t key[VX_LIVE_KEY_BYTES] = {};
  EXPECT_EQ(vp::WriteLiveKey()(1, 2, key), 6);
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, 0);
}

}  // namespace
