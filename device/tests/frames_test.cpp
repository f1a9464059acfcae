// Frames through the loaded library and the emulated boards, ISA and PCI.
#include "frames_fixture.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

using Frames = FramesTest;

bool SamePoint(const PointStruct& a, const PointStruct& b) {
  return a.X == b.X && a.Y == b.Y && a.Z == b.Z && a.F == b.F && a.Colour == b.Colour && a.Value5 == b.Value5 &&
         a.Value6 == b.Value6 && a.Value7 == b.Value7 && a.Value8 == b.Value8;
}

TEST_P(Frames, FourHundredFiftyPointsGoOutInBatchesAndReadBackIdentical) {
  std::vector<PointStruct> points = Points(450);
  ASSERT_EQ(Write(14, points, "DXF"), 0);
  EXPECT_TRUE(Logged("WriteFrame 450 DXF" + std::string(20, ' ')));  // the name cut to 23
  auto batches = Commands(74);
  std::vector<std::size_t> sizes;
  for (const auto& b : batches) sizes.push_back(b.operands.size());
  if (Pci()) {
    EXPECT_EQ(sizes, (std::vector<std::size_t>{2400, 2400, 600}));
  } else {
    EXPECT_EQ(sizes.size(), 23u);  // 22 batches of 20 points, then 10
    EXPECT_EQ(sizes.front(), 240u);
    EXPECT_EQ(sizes.back(), 120u);
  }
  auto header = Commands(27);
  ASSERT_EQ(header.size(), 1u);
  ASSERT_EQ(header[0].operands.size(), 32u);
  EXPECT_EQ(header[0].operands[4], 0x01);  // point count 450 = 0x01C2
  EXPECT_EQ(header[0].operands[5], 0xC2);
  EXPECT_EQ(std::string(header[0].operands.begin() + 8, header[0].operands.begin() + 11), "DXF");

  FrameStruct h{};
  std::int32_t status = -1;
  std::vector<PointStruct> back = Read(14, h, &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(h.NumPoints, 450);
  EXPECT_EQ(h.FlagA, 0);
  EXPECT_EQ(std::string(h.Name, 24), "DXF" + std::string(21, ' '));
  for (std::size_t i = 0; i < 450; ++i) {
    PointStruct expected = points[i];
    expected.Value8 = 0;  // not carried without flag A
    ASSERT_TRUE(SamePoint(back[i], expected)) << "point " << i;
  }
  EXPECT_EQ(Commands(73).size(), Pci() ? 3u : 23u);
  // Nothing beyond the library's frame limit is written.
  EXPECT_EQ(back[6000].X, -1);
  EXPECT_EQ(back[5999].Value7, 1);
}

TEST_P(Frames, TailIsClearedWithTheLastPointsValue7PlusOne) {
  ASSERT_EQ(Write(3, Points(3), "three"), 0);
  PointStruct third = Points(3)[2];
  third.Value7 = 5;
  ASSERT_EQ(vxf::WritePoint()(3, &third), 0);
  FrameStruct h{};
  std::vector<PointStruct> back = Read(3, h);
  EXPECT_EQ(h.NumPoints, 3);
  EXPECT_EQ(back[2].Value7, 5);
  for (std::size_t i : {3u, 100u, 5999u}) {
    EXPECT_TRUE(SamePoint(back[i], PointStruct{0, 0, 0, 0, 0, 0, 0, 6, 0})) << i;
  }
  // An empty frame clears from element 0 with value 7 = 0 and reads no batch.
  hw::ClearCommandLog();
  ASSERT_EQ(Write(4, {}, "empty"), 0);
  EXPECT_EQ(Commands(27).size(), 1u);  // the header only
  EXPECT_TRUE(Commands(74).empty());
  hw::ClearCommandLog();
  back = Read(4, h);
  EXPECT_EQ(h.NumPoints, 0);
  EXPECT_TRUE(Commands(73).empty());
  EXPECT_TRUE(SamePoint(back[0], PointStruct{}));
  EXPECT_TRUE(SamePoint(back[5999], PointStruct{}));
}

TEST_P(Frames, FlagACarriesValue8) {
  std::vector<PointStruct> points = Points(25);
  ASSERT_EQ(Write(7, points, "wide", 1), 0);
  for (const auto& batch : Commands(74)) EXPECT_EQ(batch.operands.size() % 14, 0u);
  EXPECT_EQ(TotalOperandBytes(74), 25u * 14u);
  FrameStruct h{};
  std::vector<PointStruct> back = Read(7, h);
  EXPECT_EQ(h.FlagA, -1);
  EXPECT_EQ(h.FlagB, 0);
  for (std::size_t i = 0; i < points.size(); ++i) EXPECT_EQ(back[i].Value8, points[i].Value8) << i;
}

TEST_P(Frames, MissingFrameReadsAsAnEmptyHeader) {
  FrameStruct h{1, 2, 3, 4, {'x'}};
  EXPECT_EQ(vxf::ReadFrameStruct()(500, &h), 0);
  EXPECT_EQ(h.NumPoints, 0);
  EXPECT_EQ(h.FlagA, 0);
  EXPECT_EQ(h.FrameValue, 0);
  EXPECT_EQ(std::string(h.Name, 24), std::string(24, '\0'));
  EXPECT_TRUE(Logged("ReadFrameStruct"));
}

TEST_P(Frames, FindByShortNameTakesTheLowestFrameAndMissesWithZero) {
  ASSERT_EQ(Write(30, Points(2), "Cross"), 0);
  ASSERT_EQ(Write(20, Points(2), "Cross"), 0);
  ASSERT_EQ(Write(10, Points(2), "Crosshair"), 0);
  std::int32_t frame = -1;
  EXPECT_EQ(vxf::FindFrame()("Cross", &frame), 0);
  EXPECT_EQ(frame, 20);
  EXPECT_TRUE(Logged("FindFrame Cross"));
  auto sent = Commands(110);
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back().operands.size(), 24u);
  // A caller's 24-character blank-padded name finds the same frame.
  EXPECT_EQ(vxf::FindFrame()("Cross                   ", &frame), 0);
  EXPECT_EQ(frame, 20);
  frame = -1;
  EXPECT_EQ(vxf::FindFrame()("Nothing", &frame), 0);
  EXPECT_EQ(frame, 0);
  std::int32_t sticky = -1;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, 0);
}

TEST_P(Frames, MergeIntoTheDisplayFrameAndIntoItself) {
  std::vector<PointStruct> points = Points(40);
  ASSERT_EQ(Write(14, points, "DXF"), 0);
  ASSERT_EQ(vxf::DeleteFrames()(15, 15), 0);
  ASSERT_EQ(vxf::MergeFrames()(14, 15, 15), 0);
  EXPECT_TRUE(Logged("MergeFrames 14 15 15"));
  FrameStruct h{};
  std::vector<PointStruct> back = Read(15, h);
  EXPECT_EQ(h.NumPoints, 40);
  EXPECT_EQ(std::string(h.Name, 3), "DXF");
  EXPECT_EQ(back[39].X, points[39].X);
  // Into itself: the target holds its points twice.
  ASSERT_EQ(vxf::MergeFrames()(15, 15, 15), 0);
  back = Read(15, h);
  ASSERT_EQ(h.NumPoints, 80);
  EXPECT_EQ(back[40].X, points[0].X);
  EXPECT_EQ(back[79].Y, points[39].Y);
  // (0, n, 15): frame 0 was never written: n's points under frame 0's empty header.
  ASSERT_EQ(vxf::MergeFrames()(0, 14, 15), 0);
  back = Read(15, h);
  EXPECT_EQ(h.NumPoints, 40);
  EXPECT_EQ(std::string(h.Name, 24), std::string(24, '\0'));
  // (0, 0, 99) leaves frame 99 empty.
  ASSERT_EQ(Write(99, Points(5), "marker"), 0);
  ASSERT_EQ(vxf::MergeFrames()(0, 0, 99), 0);
  ASSERT_EQ(vxf::ReadFrameStruct()(99, &h), 0);
  EXPECT_EQ(h.NumPoints, 0);
  // DeleteFrames (1, 15) removes every frame of the range.
  ASSERT_EQ(vxf::DeleteFrames()(1, 15), 0);
  ASSERT_EQ(vxf::ReadFrameStruct()(14, &h), 0);
  EXPECT_EQ(h.NumPoints, 0);
  ASSERT_EQ(vxf::ReadFrameStruct()(99, &h), 0);
  EXPECT_EQ(std::string(h.Name, 6), std::string(6, '\0'));  // 99 stays (empty, merged)
}

TEST_P(Frames, FastReadRecordsAndFlags) {
  std::vector<PointStruct> points = Points(120);
  FrameStruct h = Header(120, "fast", 1);
  h.FrameValue = 33;
  SetFrame(9);
  ASSERT_EQ(vxf::WriteFrame()(&h, points.data()), 0);
  std::vector<FastRecordStruct> records(200, FastRecordStruct{-1, -1, -7, -1});
  std::int32_t count = 0, flags = 0;
  // The fixed 4096-unit space: device units / 16; widths from each point's value 8.
  ASSERT_EQ(vxf::ReadFrameFast()(9, 0x200 | 0x1000, &count, &flags, records.data()), 0);
  EXPECT_EQ(count, 120);
  EXPECT_EQ(flags & 0x6, 0x6);  // flag A and per-point widths
  EXPECT_EQ(Commands(82).size(), Pci() ? 1u : 3u);
  for (std::size_t i = 0; i < 120; ++i) {
    ASSERT_EQ(records[i].X, points[i].X >> 4) << i;
    ASSERT_EQ(records[i].Y, points[i].Y >> 4) << i;
    ASSERT_EQ(records[i].Width, points[i].Value8) << i;
    ASSERT_EQ(records[i].Colour, points[i].Colour) << i;
  }
  EXPECT_EQ(records[120].X, -1);
  // Without flag A the frame's own width comes with 8-byte records.
  h.FlagA = 0;
  ASSERT_EQ(vxf::WriteFrame()(&h, points.data()), 0);
  ASSERT_EQ(vxf::ReadFrameFast()(9, 0x200 | 0x1000, &count, &flags, records.data()), 0);
  EXPECT_EQ(flags & 0x6, 0);
  EXPECT_EQ(records[5].Width, 33);
  EXPECT_EQ(records[5].Colour, points[5].Colour);
  // Without 0x1000 the width field is left as it was; without 0x200 the working scale applies.
  records.assign(200, FastRecordStruct{-1, -1, -7, -1});
  ASSERT_EQ(vxf::ReadFrameFast()(9, 0, &count, &flags, records.data()), 0);
  EXPECT_EQ(records[5].Width, -7);
  EXPECT_EQ(records[5].X, points[5].X);
  // A missing frame: count 0, no batch.
  hw::ClearCommandLog();
  ASSERT_EQ(vxf::ReadFrameFast()(777, 0x200, &count, &flags, records.data()), 0);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(Commands(82).empty());
}

TEST_P(Frames, FullBoardMemoryAnswers702WithTheLowMemoryBox) {
  ASSERT_NO_FATAL_FAILURE(Machine("[Board0]\nMemory=6000\n"));
  ASSERT_EQ(Write(1, Points(200), "small"), 0);  // 36 + 200 x 20 bytes
  std::int32_t total = 0, free = 0, largest = 0, stolen = 0;
  ASSERT_EQ(vxf::TB32AvailMemEx()(&total, &free, &largest, &stolen), 0);
  EXPECT_EQ(total, 6000);
  EXPECT_EQ(free, 6000 - 4036);
  boxes.shown.clear();
  hw::ClearCommandLog();
  EXPECT_EQ(Write(2, Points(450), "big"), -702);
  EXPECT_EQ(boxes.Count("The TB board has detected a low memory condition."), 1);
  EXPECT_TRUE(Commands(74).empty());
  std::int32_t sticky = 0;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, -702);
  // The frames already there are untouched, and a copy that does not fit is refused too.
  FrameStruct h{};
  ASSERT_EQ(vxf::ReadFrameStruct()(1, &h), 0);
  EXPECT_EQ(h.NumPoints, 200);
  boxes.shown.clear();
  EXPECT_EQ(vxf::CopyFrameActive()(1, 3, nullptr), -702);
  EXPECT_EQ(boxes.Count("The TB board has detected a low memory condition."), 1);
  EXPECT_TRUE(Logged("CopyFrame 1 3"));
}

TEST_P(Frames, AFrameLargerThanTheFrameSizeIsRefused) {
  std::vector<PointStruct> points = Points(6001);
  std::int32_t status = Write(5, points, "huge");
  EXPECT_EQ(status, 8);
  EXPECT_TRUE(Commands(74).empty());
  FrameStruct h{};
  ASSERT_EQ(vxf::ReadFrameStruct()(5, &h), 0);
  EXPECT_EQ(h.NumPoints, 0);
  // 6000 points fit.
  points.resize(6000);
  EXPECT_EQ(Write(5, points, "full"), 0);
  std::vector<PointStruct> back = Read(5, h);
  EXPECT_EQ(h.NumPoints, 6000);
  EXPECT_EQ(back[5999].X, points[5999].X);
}

TEST_P(Frames, ABatchErrorStopsTheReadAndKeepsWhatCame) {
  ASSERT_NO_FATAL_FAILURE(Machine("[Board0]\nFault=error 7 on 73\n"));
  ASSERT_EQ(Write(6, Points(450), "stop"), 0);
  FrameStruct h{};
  std::int32_t status = 0;
  std::vector<PointStruct> back = Read(6, h, &status);
  EXPECT_EQ(status, 7);
  EXPECT_EQ(h.NumPoints, 0);  // never more than was read
  EXPECT_EQ(back[0].X, -1);   // the array is untouched
  EXPECT_EQ(Commands(73).size(), 1u);
}

TEST_P(Frames, WriteReadMergeAndFindAsTheProgramDoes) {
  std::vector<PointStruct> points = Points(450);
  for (auto& p : points) p.Value8 = 0;
  ASSERT_EQ(vxf::DeleteFrames()(3, 3), 0);
  ASSERT_EQ(Write(3, points, "Part 3"), 0);
  FrameStruct h{};
  std::vector<PointStruct> back = Read(3, h);
  ASSERT_EQ(h.NumPoints, 450);
  for (std::size_t i = 0; i < 450; ++i) ASSERT_TRUE(SamePoint(back[i], points[i])) << i;
  ASSERT_EQ(vxf::DeleteFrames()(15, 15), 0);
  ASSERT_EQ(vxf::MergeFrames()(3, 15, 15), 0);
  back = Read(15, h);
  ASSERT_EQ(h.NumPoints, 450);
  for (std::size_t i = 0; i < 450; ++i) ASSERT_TRUE(SamePoint(back[i], points[i])) << i;
  std::int32_t found = -1;
  ASSERT_EQ(vxf::FindFrame()("Part 3", &found), 0);
  EXPECT_EQ(found, 3);  // the lower of 3 and 15, which bear the same name
  std::int32_t sticky = -1;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, 0);
  EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Boards, Frames, ::testing::Bool(), Family);

}  // namespace
