// The rules the timeline exports keep whatever the caller's records or the
// board's answers hold: the caller's sign marks survive a write, ties in start
// time keep slot order, an item layout that does not match is refused with
// -519, tick clamps are logged, and board counts and slot numbers never reach
// past the caller's arrays.
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "frames_fixture.h"
#include "periphery_exports.h"

namespace vxtest {
namespace {

namespace hw = winplat::hw;

class TimelineRules : public PeripheryTest {
 protected:
  static TimelineGroup Group(std::int16_t type, std::int32_t key = 9, std::int16_t number = 1) {
    TimelineGroup g{};
    g.Number = number;
    g.Type = type;
    g.KeyLong = key;
    return g;
  }
  static TimelineEvent Event(std::int32_t start, std::int32_t end, std::int16_t track, std::int16_t tag = 0) {
    TimelineEvent e{};
    e.StartTime = start;
    e.EndTime = end;
    e.Track = track;
    e.Value20 = tag;
    return e;
  }
  static std::int16_t ShortAt(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int16_t>(b[at] << 8 | b[at + 1]);
  }

  // The board's record of a group: "<key Long><number>.grp" in hex of the
  // wire bytes, records of code, length and operand bytes.
  struct Record {
    std::uint16_t code;
    std::string bytes;
  };
  static std::filesystem::path GroupFile(std::int32_t key, std::int16_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "%08x%04x.grp", static_cast<unsigned>(key),
                  static_cast<unsigned>(number & 0xFFFF));
    for (const auto& e : std::filesystem::recursive_directory_iterator(testsupport::Root())) {
      if (e.path().filename() == name) return e.path();
    }
    return {};
  }
  static std::vector<Record> Records(const std::filesystem::path& path) {
    std::string all = testsupport::ReadFile(path);
    std::vector<Record> out;
    for (std::size_t at = 0; at + 4 <= all.size();) {
      auto byte = [&all](std::size_t i) { return static_cast<std::uint8_t>(all[i]); };
      auto code = static_cast<std::uint16_t>(byte(at) << 8 | byte(at + 1));
      std::size_t length = static_cast<std::size_t>(byte(at + 2) << 8 | byte(at + 3));
      out.push_back({code, all.substr(at + 4, length)});
      at += 4 + length;
    }
    return out;
  }
  static void Store(const std::filesystem::path& path, const std::vector<Record>& records) {
    std::string all;
    for (const Record& r : records) {
      all.push_back(static_cast<char>(r.code >> 8));
      all.push_back(static_cast<char>(r.code & 0xFF));
      all.push_back(static_cast<char>(r.bytes.size() >> 8));
      all.push_back(static_cast<char>(r.bytes.size() & 0xFF));
      all += r.bytes;
    }
    testsupport::WriteFile(path, all);
  }
  static void PutShort(std::string& bytes, std::size_t at, std::int16_t v) {
    bytes[at] = static_cast<char>((v >> 8) & 0xFF);
    bytes[at + 1] = static_cast<char>(v & 0xFF);
  }
};

TEST_P(TimelineRules, WritesKeepTheCallersSignMarks) {
  TimelineGroup g = Group(4);
  std::vector<TimelineEvent> events(VX_TIMELINE_EVENT_SLOTS);
  events[1] = Event(10, 20, 3);
  events[2] = Event(5, 9, -6);  // marked unused by the caller
  events[3] = Event(2100000000, 2100000001, 4);  // in use, never sent
  ASSERT_EQ(vp::WriteTLG()(&g, events.data()), 0);
  EXPECT_EQ(events[1].Track, 3);
  EXPECT_EQ(events[2].Track, -6);
  EXPECT_EQ(events[3].Track, 4);
  EXPECT_EQ(Commands(142).size(), 1u);

  std::vector<LaserEvent> laser(VX_LASER_EVENT_SLOTS);
  laser[7] = Event(1, 2, 1);
  laser[8] = Event(1, 2, -2);
  TimelineGroup scene = Group(2, 9, 2);
  ASSERT_EQ(vp::WriteScene()(&scene, laser.data()), 0);
  EXPECT_EQ(laser[7].Track, 1);
  EXPECT_EQ(laser[8].Track, -2);
}

TEST_P(TimelineRules, TiesInStartTimeGoInSlotOrder) {
  TimelineGroup g = Group(8);
  std::vector<TimelineEvent> events(VX_TIMELINE_EVENT_SLOTS);
  events[9] = Event(100, 200, 9);
  events[2] = Event(100, 300, 2);
  events[5] = Event(100, 150, 5);
  events[1] = Event(400, 500, 1);
  ASSERT_EQ(vp::WriteTimelineGroup()(&g, events.data()), 0);
  std::vector<std::int16_t> order;
  for (const auto& c : Commands(142)) order.push_back(ShortAt(c.operands, 28));
  EXPECT_EQ(order, (std::vector<std::int16_t>{2, 5, 9, 1}));

  // A scene breaks ties by end, track and value 24; complete ties go in slot order.
  hw::ClearCommandLog();
  TimelineGroup scene = Group(2, 9, 2);
  std::vector<LaserEvent> laser(VX_LASER_EVENT_SLOTS);
  laser[300] = Event(10, 20, 4, 300);
  laser[3] = Event(10, 20, 4, 3);
  laser[100] = Event(10, 20, 4, 100);
  ASSERT_EQ(vp::WriteScene()(&scene, laser.data()), 0);
  std::vector<std::int16_t> tags;
  for (const auto& c : Commands(139)) tags.push_back(ShortAt(c.operands, 32));
  EXPECT_EQ(tags, (std::vector<std::int16_t>{3, 100, 300}));

  // Transitions starting together go in index order.
  hw::ClearCommandLog();
  TimelineGroup effect = Group(1, 9, 3);
  std::vector<Transition> t(VX_TRANSITION_SLOTS);
  for (int i : {6, 2, 4}) {
    t[static_cast<std::size_t>(i)].StartTime = 1.0f;
    t[static_cast<std::size_t>(i)].EndTime = 2.0f;
  }
  ASSERT_EQ(vp::WriteEffect()(&effect, t.data()), 0);
  std::vector<std::int16_t> keys;
  for (const auto& c : Commands(137)) keys.push_back(ShortAt(c.operands, 20));
  EXPECT_EQ(keys, (std::vector<std::int16_t>{2, 4, 6}));
}

TEST_P(TimelineRules, AnItemLayoutOtherThanTheBoardsIsRefused) {
  TimelineGroup effect = Group(1);
  std::vector<Transition> t(VX_TRANSITION_SLOTS);
  t[1].Parts[0].Kind = 2;
  ASSERT_EQ(vp::WriteEffect()(&effect, t.data()), 0);
  TimelineGroup scene = Group(2, 9, 2);
  std::vector<LaserEvent> laser(VX_LASER_EVENT_SLOTS);
  laser[1] = Event(1, 2, 1);
  ASSERT_EQ(vp::WriteScene()(&scene, laser.data()), 0);
  hw::ClearCommandLog();

  // The effect asked for as a timeline group: no event is read or touched.
  TimelineGroup asGroup = Group(4);
  std::vector<TimelineEvent> events(VX_TIMELINE_EVENT_SLOTS);
  events[1].Track = 55;
  EXPECT_EQ(vp::ReadTimelineGroup()(&asGroup, events.data()), VX_UNKNOWN_GROUP_TYPE);
  EXPECT_EQ(events[1].Track, 55);
  EXPECT_EQ(asGroup.Type, 1);  // the header says what the board holds
  EXPECT_TRUE(Commands(134).empty());
  std::int32_t sticky = 0;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, VX_UNKNOWN_GROUP_TYPE);

  // The scene asked for as an effect: the caller's transitions stay.
  TimelineGroup asEffect = Group(1, 9, 2);
  std::vector<Transition> read(VX_TRANSITION_SLOTS);
  read[1].OrderKey = 7;
  EXPECT_EQ(vp::ReadTimelineGroup()(&asEffect, read.data()), VX_UNKNOWN_GROUP_TYPE);
  EXPECT_EQ(read[1].OrderKey, 7);
  EXPECT_TRUE(Commands(129).empty());
  // Asked for as what it is, it reads.
  TimelineGroup asScene = Group(2, 9, 2);
  std::vector<LaserEvent> again(VX_LASER_EVENT_SLOTS);
  ASSERT_EQ(vp::ReadTimelineGroup()(&asScene, again.data()), 0);
  EXPECT_EQ(again[1].Track, 1);
}

TEST_P(TimelineRules, TickClampsAreLogged) {
  TimelineGroup g = Group(1);
  std::vector<Transition> t(VX_TRANSITION_SLOTS);
  t[1].StartTime = -1.0f;  // -2.56 ticks
  t[1].EndTime = -1.0f;
  t[2].StartTime = 1.0f;   // 2.56 ticks, ending before it starts
  t[2].EndTime = 0.5f;
  ASSERT_EQ(vp::WriteEffect()(&g, t.data()), 0);
  auto sent = Commands(137);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(ShortAt(sent[0].operands, 12), 0);
  EXPECT_TRUE(Logged("WriteEffect ticks -2 held to 0"));
  EXPECT_EQ(ShortAt(sent[1].operands, 12), 2);
  EXPECT_EQ(ShortAt(sent[1].operands, 14), 0);
  EXPECT_TRUE(Logged("WriteEffect ticks -1 held to 0"));
}

TEST_P(TimelineRules, BoardCountsStopAtTheCallersArray) {
  TimelineGroup g = Group(4);
  std::vector<TimelineEvent> events(VX_TIMELINE_EVENT_SLOTS);
  for (int i = 1; i < VX_TIMELINE_EVENT_SLOTS; ++i) events[static_cast<std::size_t>(i)] = Event(i, i + 1, 1);
  ASSERT_EQ(vp::WriteTLG()(&g, events.data()), 0);
  // The board's group now claims 70 events and holds them.
  std::filesystem::path file = GroupFile(9, 1);
  ASSERT_FALSE(file.empty());
  auto records = Records(file);
  ASSERT_EQ(records.front().code, 141);
  PutShort(records.front().bytes, 10, 70);
  for (int i = 0; i < 6; ++i) records.push_back(records.back());
  Store(file, records);

  std::vector<TimelineEvent> read(VX_TIMELINE_EVENT_SLOTS + 5);
  for (auto& e : read) e.Track = 777;
  TimelineGroup back = Group(4);
  ASSERT_EQ(vp::ReadTimelineEvents()(&back, read.data()), 0);
  EXPECT_EQ(read[64].StartTime, 64);
  for (std::size_t i = VX_TIMELINE_EVENT_SLOTS; i < read.size(); ++i) EXPECT_EQ(read[i].Track, 777) << i;
  EXPECT_EQ(Commands(134).size(), 64u);

  // A scene claiming 453 laser events fills the 450 slots and no more.
  TimelineGroup scene = Group(2, 9, 2);
  std::vector<LaserEvent> laser(VX_LASER_EVENT_SLOTS);
  for (int i = 1; i < VX_LASER_EVENT_SLOTS; ++i) laser[static_cast<std::size_t>(i)] = Event(i, i + 1, 1);
  ASSERT_EQ(vp::WriteScene()(&scene, laser.data()), 0);
  file = GroupFile(9, 2);
  ASSERT_FALSE(file.empty());
  records = Records(file);
  PutShort(records.front().bytes, 10, 453);
  for (int i = 0; i < 3; ++i) records.push_back(records.back());
  Store(file, records);
  std::vector<LaserEvent> readScene(VX_LASER_EVENT_SLOTS + 3);
  for (auto& e : readScene) e.Track = 777;
  ASSERT_EQ(vp::ReadSEFs()(&scene, readScene.data()), 0);
  EXPECT_EQ(readScene[450].StartTime, 450);
  for (std::size_t i = VX_LASER_EVENT_SLOTS; i < readScene.size(); ++i) EXPECT_EQ(readScene[i].Track, 777) << i;
}

TEST_P(TimelineRules, BoardSlotNumbersOutsideTheArrayAreSkipped) {
  TimelineGroup g = Group(1);
  std::vector<Transition> t(VX_TRANSITION_SLOTS);
  t[1].StartTime = 1.0f;
  t[1].Parts[0].Kind = 2;
  t[1].Parts[1].Kind = 3;
  t[2].StartTime = 2.0f;
  ASSERT_EQ(vp::WriteEffect()(&g, t.data()), 0);
  std::filesystem::path file = GroupFile(9, 1);
  ASSERT_FALSE(file.empty());
  auto records = Records(file);
  // The second transition says it is slot 9, the first part of the first says it is part 0.
  int transitions = 0;
  for (Record& r : records) {
    if (r.code == 137 && ++transitions == 2) PutShort(r.bytes, 20, 9);
    if (r.code == 136 && ShortAt(std::vector<std::uint8_t>(r.bytes.begin(), r.bytes.end()), 24) == 1) {
      PutShort(r.bytes, 24, 0);
    }
  }
  Store(file, records);

  std::vector<Transition> read(VX_TRANSITION_SLOTS + 1);
  read[VX_TRANSITION_SLOTS].OrderKey = 777;
  TimelineGroup back = Group(1);
  ASSERT_EQ(vp::ReadTransitions()(&back, read.data()), 0);
  EXPECT_EQ(read[1].OrderKey, 1);
  EXPECT_EQ(read[1].Parts[0].Kind, 0);  // the part numbered 0 went nowhere
  EXPECT_EQ(read[1].Parts[1].Kind, 3);
  EXPECT_EQ(read[2].OrderKey, 0);
  EXPECT_EQ(read[VX_TRANSITION_SLOTS].OrderKey, 777);
}

INSTANTIATE_TEST_SUITE_P(Families, TimelineRules, ::testing::Bool(), Family);

}  // namespace
}  // namespace vxtest
