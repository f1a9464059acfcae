// Points, active arrays and the working scale through the loaded library, ISA and PCI.
#include "frames_fixture.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

using PointEdits = FramesTest;
using WorkingScale = FramesTest;

std::int32_t BE32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int32_t>((std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
                                   (std::uint32_t{b[at + 2]} << 8) | b[at + 3]);
}

TEST_P(PointEdits, OneInversionOfXOnTheWorkingFrameWithAnActiveArray) {
  std::vector<PointStruct> points = Points(450);
  ASSERT_EQ(Write(15, points, "display"), 0);
  std::vector<std::int32_t> active(6000, 1);
  active[10] = 0;  // point 11 stays as it is
  hw::ClearCommandLog();
  ASSERT_EQ(vxf::InvertPointsActive()(1, 6000, 0, 0, 0, 1, active.data()), 0);
  auto command = Commands(54);
  ASSERT_EQ(command.size(), 1u);
  ASSERT_EQ(command[0].operands.size(), 28u);
  EXPECT_EQ(BE32(command[0].operands, 20), 1);  // mask: X
  EXPECT_EQ(BE32(command[0].operands, 24), 1);  // an array follows
  EXPECT_EQ(command[0].result, 900);            // 2 bytes a point the frame holds
  EXPECT_EQ(TotalOperandBytes(51), 900u);
  EXPECT_EQ(Commands(51).size(), Pci() ? 1u : 4u);  // chunks of 4000 or 256 bytes
  FrameStruct h{};
  std::vector<PointStruct> back = Read(15, h);
  ASSERT_EQ(h.NumPoints, 450);
  for (std::size_t i = 0; i < 450; ++i) {
    std::int32_t x = i == 10 ? points[i].X : -points[i].X;
    ASSERT_EQ(back[i].X, x) << i;
    ASSERT_EQ(back[i].Y, points[i].Y) << i;
  }
  EXPECT_TRUE(Logged("InvertPointsActive 1 6000 0 0 0 1 " + [&] {
    char address[32];
    std::snprintf(address, sizeof address, "%08lX",
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(active.data())));
    return std::string(address);
  }()));
}

TEST_P(PointEdits, NullArraySendsZeroAndNoBlock) {
  std::vector<PointStruct> points = Points(30);
  ASSERT_EQ(Write(15, points, "display"), 0);
  hw::ClearCommandLog();
  ASSERT_EQ(vxf::InvertPointsActive()(1, 6000, 0, 0, 0, 3, nullptr), 0);
  EXPECT_TRUE(Logged("InvertPoints 1 6000 0 0 0 3"));
  auto command = Commands(54);
  ASSERT_EQ(command.size(), 1u);
  EXPECT_EQ(BE32(command[0].operands, 24), 0);
  EXPECT_TRUE(Commands(51).empty());
  PointStruct p{};
  ASSERT_EQ(vxf::ReadPoint()(30, &p), 0);
  EXPECT_EQ(p.X, -points[29].X);
  EXPECT_EQ(p.Y, -points[29].Y);
  // Move on the masked axes, inside the range only.
  ASSERT_EQ(vxf::MovePointsActive()(2, 3, 100, 200, 0, 2, nullptr), 0);
  ASSERT_EQ(vxf::ReadPoint()(2, &p), 0);
  EXPECT_EQ(p.X, -points[1].X);
  EXPECT_EQ(p.Y, -points[1].Y + 200);
  ASSERT_EQ(vxf::ReadPoint()(4, &p), 0);
  EXPECT_EQ(p.Y, -points[3].Y);
}

TEST_P(PointEdits, ResizeAndRotateScaleTheirSingles) {
  ASSERT_EQ(Write(15, Points(3), "display"), 0);
  hw::ClearCommandLog();
  vxf::ResizePointsActive()(1, 3, 1.5f, 100.0f, 0.0f, 0, 0, 0, 7, nullptr);
  vxf::RotatePointsActive()(1, 3, -1.5f, 0.0f, 0.0f, 0, 0, 0, 7, nullptr);
  auto resize = Commands(125), rotate = Commands(126);
  ASSERT_EQ(resize.size(), 1u);
  ASSERT_EQ(rotate.size(), 1u);
  ASSERT_EQ(resize[0].operands.size(), 40u);
  EXPECT_EQ(BE32(resize[0].operands, 8), 245);
  EXPECT_EQ(BE32(resize[0].operands, 12), 16383);
  EXPECT_EQ(BE32(rotate[0].operands, 8), -245);
  EXPECT_TRUE(Logged("ResizePoints 1 3 1 100 0 0 0 0 7"));
  EXPECT_TRUE(Logged("RotatePointsActive 1 3 -1 0 0 0 0 0 7 00000000"));
}

TEST_P(PointEdits, ConvertToPointFrameSendsItsOperandsInTheBoardsOrder) {
  hw::ClearCommandLog();
  vxf::ConvertToPointFrame()(1, 2, 3, 4, 5, 6, 7);
  auto sent = Commands(158);
  ASSERT_EQ(sent.size(), 1u);
  std::vector<std::int32_t> operands;
  for (std::size_t i = 0; i < 28; i += 4) operands.push_back(BE32(sent[0].operands, i));
  EXPECT_EQ(operands, (std::vector<std::int32_t>{5, 7, 6, 1, 4, 2, 3}));
  EXPECT_TRUE(Logged("ConvertToPointFrame 5 7 6 1 4 2 3"));
  // As the board takes them: source 5, target 7, step 6: a 30-unit line gets points 6 apart.
  SetFrame(5);
  FrameStruct h = Header(2, "line");
  PointStruct line[2] = {{0, 0, 0, 0, 0xFF, 0, 0, 0, 0}, {30, 0, 0, 0, 0xFF, 0, 0, 0, 0}};
  ASSERT_EQ(vxf::WriteFrame()(&h, line), 0);
  ASSERT_EQ(vxf::ConvertToPointFrame()(0, 0, 0, 0, 5, 6, 7), 0);
  std::vector<PointStruct> back = Read(7, h);
  ASSERT_EQ(h.NumPoints, 6);
  EXPECT_EQ(back[1].X, 6);
  EXPECT_EQ(back[5].X, 30);
  // And back to a vector frame: the points on the straight line go.
  ASSERT_EQ(vxf::ConvertToVectorFrame()(7, 8, 0, 0, 0), 0);
  back = Read(8, h);
  EXPECT_EQ(h.NumPoints, 2);
}

TEST_P(PointEdits, UndoRestoresTheFrameAndHandsBackTheSelection) {
  std::vector<PointStruct> points = Points(12);
  ASSERT_EQ(Write(15, points, "display"), 0);
  std::vector<std::int32_t> saved(6000, 0);
  saved[2] = 1;
  saved[5] = -1;
  ASSERT_EQ(vxf::FrameToUndoActive()(saved.data()), 0);
  EXPECT_EQ(TotalOperandBytes(51), 24u);
  ASSERT_EQ(vxf::DeletePoints()(1, 6), 0);
  std::int32_t count = 0;
  ASSERT_EQ(vxf::ReadNumPoints()(&count), 0);
  EXPECT_EQ(count, 6);
  std::vector<std::int32_t> selection(6000, 7);
  ASSERT_EQ(vxf::UndoToFrameActive()(selection.data()), 0);
  ASSERT_EQ(vxf::ReadNumPoints()(&count), 0);
  EXPECT_EQ(count, 12);
  EXPECT_EQ(selection[2], 1);
  EXPECT_EQ(selection[5], -1);
  EXPECT_EQ(selection[0], 0);
  EXPECT_EQ(selection[11], 0);
  EXPECT_EQ(selection[12], 7);  // beyond the frame: untouched
  // Without an array: the final operand 0 and no block.
  hw::ClearCommandLog();
  ASSERT_EQ(vxf::UndoToFrameActive()(nullptr), 0);
  EXPECT_TRUE(Logged("UndoToFrame"));
  EXPECT_TRUE(Commands(51).empty());
  EXPECT_TRUE(Commands(52).empty());
}

TEST_P(PointEdits, CopyFrameActiveCopiesTheActivePoints) {
  std::vector<PointStruct> points = Points(10);
  ASSERT_EQ(Write(1, points, "source"), 0);
  std::vector<std::int32_t> active(6000, 0);
  active[0] = active[9] = 1;
  ASSERT_EQ(vxf::CopyFrameActive()(1, 2, active.data()), 0);
  FrameStruct h{};
  std::vector<PointStruct> back = Read(2, h);
  ASSERT_EQ(h.NumPoints, 2);
  EXPECT_EQ(back[0].X, points[0].X);
  EXPECT_EQ(back[1].X, points[9].X);
}

TEST_P(PointEdits, SinglePointsInsertDeleteAndOutOfRange) {
  ASSERT_EQ(Write(15, Points(3), "display"), 0);
  PointStruct p{1, 2, 3, 4, 0x112233, 0, 0, 9, 10};
  ASSERT_EQ(vxf::SetInsertOnWrite()(1), 0);
  ASSERT_EQ(vxf::WritePoint()(1, &p), 0);
  std::int32_t count = 0;
  vxf::ReadNumPoints()(&count);
  EXPECT_EQ(count, 4);
  PointStruct back{};
  ASSERT_EQ(vxf::ReadPoint()(1, &back), 0);
  EXPECT_EQ(back.X, 1);
  EXPECT_EQ(back.Colour, 0x112233);
  EXPECT_EQ(back.Value7, 9);
  EXPECT_EQ(back.Value8, 10);
  ASSERT_EQ(vxf::InsertPoints()(2, 5), 0);
  vxf::ReadNumPoints()(&count);
  EXPECT_EQ(count, 9);
  ASSERT_EQ(vxf::DeletePoints()(2, 6), 0);
  vxf::ReadNumPoints()(&count);
  EXPECT_EQ(count, 4);
  // Beyond the frame: a board error, and the log names it.
  EXPECT_EQ(vxf::ReadPoint()(50, &back), 8);
}

TEST_P(WorkingScale, AFrameWrittenUnderOneScaleReadsBackUnderAnother) {
  ASSERT_EQ(vxf::SetWorkingScale()(-16000, 16000, -8000, 8000, 0, 0), 0);
  PointStruct pts[2] = {{1000, -1000, 0, 0, 0xFFFFFF, 0, 0, 0, 0}, {16000, 8000, 0, 0, 0xFFFFFF, 0, 0, 0, 0}};
  SetFrame(1);
  FrameStruct h = Header(2, "scaled");
  ASSERT_EQ(vxf::WriteFrame()(&h, pts), 0);
  // Read back in device units: -32768 + 17000 x 65535 / 32000 = 2047.47.
  ASSERT_EQ(vxf::SetWorkingScale()(-32768, 32767, -32768, 32767, 0, 0), 0);
  std::vector<PointStruct> back = Read(1, h);
  EXPECT_EQ(back[0].X, 2047);
  EXPECT_EQ(back[0].Y, -4096);  // -1000 of 16000: -32768 + 7000 x 65535 / 16000 = -4095.9
  EXPECT_EQ(back[1].X, 32767);
  EXPECT_EQ(back[1].Y, 32767);
  // And in the first scale again: the same values come back.
  ASSERT_EQ(vxf::SetWorkingScale()(-16000, 16000, -8000, 8000, 0, 0), 0);
  back = Read(1, h);
  EXPECT_EQ(back[0].X, 1000);
  EXPECT_EQ(back[0].Y, -1000);
  // All zeros is the identity.
  ASSERT_EQ(vxf::SetWorkingScale()(0, 0, 0, 0, 0, 0), 0);
  back = Read(1, h);
  EXPECT_EQ(back[0].X, 2047);
  auto sent = Commands(33);
  ASSERT_FALSE(sent.empty());
  ASSERT_EQ(sent.back().operands.size(), 28u);
  EXPECT_EQ(BE32(sent.back().operands, 24), 100);
  EXPECT_TRUE(Logged("SetWorkingScale -16000, 16000, -8000, 8000, 0, 0"));
}

TEST_P(WorkingScale, ThePreviewsPixelScalesMakeAFastReadComeBackInPixels) {
  PointStruct pts[2] = {{8000, 6000, 0, 0, 0xFF, 0, 0, 0, 0}, {-16000, -12000, 0, 0, 0xFF, 0, 0, 0, 0}};
  SetFrame(15);
  FrameStruct h = Header(2, "display");
  ASSERT_EQ(vxf::WriteFrame()(&h, pts), 0);
  // A 400 x 300 client onto the device window -16000..16000 by -12000..12000, Y down.
  ASSERT_EQ(vxf::SetWorkingScaleX()(0, 400, 200, -16000, 16000, 0), 0);
  ASSERT_EQ(vxf::SetWorkingScaleY()(300, 0, 150, -12000, 12000, 0), 0);
  std::int32_t v[6] = {};
  ASSERT_EQ(vxf::GetWorkingScaleY()(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0);
  EXPECT_EQ(std::vector<std::int32_t>(v, v + 6), (std::vector<std::int32_t>{300, 0, 150, -12000, 12000, 0}));
  std::vector<FastRecordStruct> records(4);
  std::int32_t count = 0, flags = 0;
  ASSERT_EQ(vxf::ReadFrameFast()(15, 1, &count, &flags, records.data()), 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(records[0].X, 300);
  EXPECT_EQ(records[0].Y, 75);
  EXPECT_EQ(records[1].X, 0);
  EXPECT_EQ(records[1].Y, 300);
  EXPECT_TRUE(Logged("SetWorkingScaleX 0, 400, 200, -16000, 16000, 0"));
}

TEST_P(WorkingScale, AFailedReadGivesTheDefaults) {
  ASSERT_NO_FATAL_FAILURE(Machine("[Board0]\nFault=error 7 on 79\nFault=error 7 on 84\nFault=error 7 on 33\n"));
  std::int32_t v[6] = {1, 1, 1, 1, 1, 1};
  EXPECT_EQ(vxf::GetWorkingScaleY()(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 7);
  EXPECT_EQ(std::vector<std::int32_t>(v, v + 6), (std::vector<std::int32_t>{-8000, 8000, 0, -32767, 32767, 0}));
  // A rejected SetWorkingScale still keeps its X range on the host.
  EXPECT_EQ(vxf::SetWorkingScale()(-100, 300, -5, 5, 0, 0), 7);
  EXPECT_EQ(vxf::GetWorkingScaleY()(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 7);
  EXPECT_EQ(v[0], -100);
  EXPECT_EQ(v[1], 300);
  std::int32_t f[4] = {};
  EXPECT_EQ(vxf::GetWorkingScaleF()(&f[0], &f[1], &f[2], &f[3]), 7);
  EXPECT_EQ(std::vector<std::int32_t>(f, f + 4), (std::vector<std::int32_t>{100, 0, 255, 0}));
  std::int32_t sticky = 0;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, 7);
}

TEST_P(WorkingScale, ReadsBackAsSetAndXyzTo3dMapsThroughIt) {
  ASSERT_EQ(vxf::SetWorkingScaleZ()(-10, 10, 0, -1000, 1000, 0), 0);
  ASSERT_EQ(vxf::SetWorkingScaleF()(0, 100, 0, 255), 0);
  std::int32_t v[6] = {};
  ASSERT_EQ(vxf::GetWorkingScaleZ()(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0);
  EXPECT_EQ(v[3], -1000);
  std::int32_t f[4] = {};
  ASSERT_EQ(vxf::GetWorkingScaleF()(&f[0], &f[1], &f[2], &f[3]), 0);
  EXPECT_EQ(f[3], 255);
  // Before any set, X reads back as the identity on the device range.
  ASSERT_EQ(vxf::GetWorkingScaleX()(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0);
  EXPECT_EQ(std::vector<std::int32_t>(v, v + 6), (std::vector<std::int32_t>{-32768, 32767, 0, -32768, 32767, 0}));
  std::int32_t o1 = 0, o2 = 0, o3 = 0;
  ASSERT_EQ(vxf::Set_XYZ_TO_3D_Track()(3), 0);
  ASSERT_EQ(vxf::XYZ_TO_3D()(5, -7, 5, &o1, &o2, &o3), 0);
  EXPECT_EQ(o1, 5);
  EXPECT_EQ(o2, -7);
  EXPECT_EQ(o3, 500);
}

INSTANTIATE_TEST_SUITE_P(Boards, PointEdits, ::testing::Bool(), Family);
INSTANTIATE_TEST_SUITE_P(Boards, WorkingScale, ::testing::Bool(), Family);

}  // namespace
