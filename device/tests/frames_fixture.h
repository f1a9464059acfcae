#pragma once
// Frames, points, colour and working scale through the loaded library, on a
// machine of one ISA or one PCI board running its operating software.
#include <cstring>
#include <string>
#include <vector>

#include "vexlib_fixture.h"

namespace vxtest {

namespace vxf {
#define VXF_EXPORT(name) inline auto* name() { return Resolve<decltype(::name)>(#name); }
VXF_EXPORT(SetWorkingFrame)
VXF_EXPORT(TB32AvailMemEx)
VXF_EXPORT(LoadPalette)
VXF_EXPORT(SavePalette)
VXF_EXPORT(FindFrame)
VXF_EXPORT(ReadMaskData)
VXF_EXPORT(ReadFrameStruct)
VXF_EXPORT(ReadFrame)
VXF_EXPORT(ReadFrameFast)
VXF_EXPORT(WriteFrame)
VXF_EXPORT(CopyFrameActive)
VXF_EXPORT(CopyBlock)
VXF_EXPORT(ReverseBlock)
VXF_EXPORT(DeleteFrames)
VXF_EXPORT(MergeFrames)
VXF_EXPORT(FrameToUndoActive)
VXF_EXPORT(UndoToFrameActive)
VXF_EXPORT(ConvertToVectorFrame)
VXF_EXPORT(ConvertToPointFrame)
VXF_EXPORT(ReadNumPoints)
VXF_EXPORT(ReadPoint)
VXF_EXPORT(WritePoint)
VXF_EXPORT(SetInsertOnWrite)
VXF_EXPORT(DeletePoints)
VXF_EXPORT(InsertPoints)
VXF_EXPORT(InvertPointsActive)
VXF_EXPORT(MovePointsActive)
VXF_EXPORT(ResizePointsActive)
VXF_EXPORT(RotatePointsActive)
VXF_EXPORT(Set_XYZ_TO_3D_Track)
VXF_EXPORT(XYZ_TO_3D)
VXF_EXPORT(RGB4toRGB1)
VXF_EXPORT(RGB1toRGB4)
VXF_EXPORT(TrainColorSystem)
VXF_EXPORT(UseDefaultColors)
VXF_EXPORT(EliminateUnusedColors)
VXF_EXPORT(UpdateAlternatePalettes)
VXF_EXPORT(ReadColorReg)
VXF_EXPORT(ReadNumColors)
VXF_EXPORT(WriteColorReg)
VXF_EXPORT(RGBtoHSV)
VXF_EXPORT(HSVtoRGB)
VXF_EXPORT(SetWorkingScale)
VXF_EXPORT(SetWorkingScaleX)
VXF_EXPORT(SetWorkingScaleY)
VXF_EXPORT(SetWorkingScaleZ)
VXF_EXPORT(SetWorkingScaleF)
VXF_EXPORT(GetWorkingScaleX)
VXF_EXPORT(GetWorkingScaleY)
VXF_EXPORT(GetWorkingScaleZ)
VXF_EXPORT(GetWorkingScaleF)
#undef VXF_EXPORT
}  // namespace vxf

class FramesTest : public VexlibTest, public ::testing::WithParamInterface<bool> {
 protected:
  bool Pci() const { return GetParam(); }
  // A fresh machine of one board of the family under test, operating software running.
  void Machine(const std::string& boardSection = "") {
    ConfigureBoards(std::string("[Boards]\nFamily=") + (Pci() ? "PCI" : "ISA") + "\n" + boardSection);
    winplat::hw::ForceBoardProgram(winplat::hw::BoardProgram::Operating);
    ASSERT_EQ(UseBoards(Pci(), 1), 1);
    boxes.shown.clear();
    winplat::hw::ClearCommandLog();
  }
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(VexlibTest::SetUp());
    ASSERT_NO_FATAL_FAILURE(Machine());
  }
  static std::int32_t SetFrame(std::int32_t frame) { return vxf::SetWorkingFrame()(frame); }
  static FrameStruct Header(std::int32_t count, const std::string& name, std::int32_t flagA = 0) {
    FrameStruct h{};
    h.FlagA = flagA;
    h.NumPoints = count;
    std::memset(h.Name, ' ', sizeof h.Name);
    std::memcpy(h.Name, name.data(), std::min(name.size(), sizeof h.Name));
    return h;
  }
  // Points with distinct coordinates, colours and values 8.
  static std::vector<PointStruct> Points(int count, int seed = 0) {
    std::vector<PointStruct> points(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      points[static_cast<std::size_t>(i)] =
          PointStruct{(i * 37 + seed) % 30000 - 15000, 12000 - (i * 53 + seed) % 24000, i % 7, -i % 5,
                      0x00FFFFFF ^ (i * 0x10101), 0, 0, 0, i % 9};
    }
    return points;
  }
  std::int32_t Write(std::int32_t frame, const std::vector<PointStruct>& points, const std::string& name,
                     std::int32_t flagA = 0) {
    SetFrame(frame);
    FrameStruct h = Header(static_cast<std::int32_t>(points.size()), name, flagA);
    return vxf::WriteFrame()(&h, points.data());
  }
  // Reads frame n into an array of 6001 elements, as the program does.
  std::vector<PointStruct> Read(std::int32_t frame, FrameStruct& header, std::int32_t* status = nullptr) {
    SetFrame(frame);
    std::vector<PointStruct> points(6001, PointStruct{-1, -1, -1, -1, -1, -1, -1, -1, -1});
    std::int32_t s = vxf::ReadFrame()(&header, points.data());
    if (status) *status = s;
    return points;
  }
  static std::size_t TotalOperandBytes(std::uint16_t code) {
    std::size_t n = 0;
    for (const auto& c : Commands(code)) n += c.operands.size();
    return n;
  }
};

inline std::string Family(const ::testing::TestParamInfo<bool>& info) { return info.param ? "Pci" : "Isa"; }

}  // namespace vxtest
