#pragma once
// Display parameters, preview and projection through the loaded library.
#include <cstdlib>
#include <filesystem>

#include "frames_fixture.h"
#include "test_support.h"
#include "winplat/hw/projection.h"
#include "winplat/picture.h"

namespace vxtest {

namespace vxd {
#define VXD_EXPORT(name) inline auto* name() { return Resolve<decltype(::name)>(#name); }
VXD_EXPORT(ResetVX)
VXD_EXPORT(DisplaySize)
VXD_EXPORT(DisplayPostTrans)
VXD_EXPORT(DisplayAngleDegrees)
VXD_EXPORT(DisplayAuxOutput)
VXD_EXPORT(DisplayObjectSettings)
VXD_EXPORT(DisplayStereoSettings)
VXD_EXPORT(DisplayFlags)
VXD_EXPORT(DisplayFrame)
VXD_EXPORT(DisplayUpdate)
VXD_EXPORT(DisplayUpdateEx)
VXD_EXPORT(DisplayUpdateTest)
VXD_EXPORT(DisplayFreq3)
VXD_EXPORT(DisplayGeometricCorrection)
VXD_EXPORT(AutoRotateIncrement)
VXD_EXPORT(AutoRotatePlus)
VXD_EXPORT(TBDMXOutput)
VXD_EXPORT(TBDMXInput)
VXD_EXPORT(SetLaserWindow)
VXD_EXPORT(DrawGrid)
VXD_EXPORT(RedrawFrame)
VXD_EXPORT(RedrawFrameActive)
VXD_EXPORT(RedrawFrameActiveDC)
VXD_EXPORT(RedrawFrameFast)
VXD_EXPORT(RedrawFrameFastDC)
#undef VXD_EXPORT
}  // namespace vxd

// The Long operands of the last command of a code, as the board received them.
inline std::vector<std::int32_t> LastLongs(const std::vector<winplat::hw::LoggedCommand>& commands) {
  std::vector<std::int32_t> out;
  if (commands.empty()) return out;
  const auto& ops = commands.back().operands;
  for (std::size_t i = 0; i + 3 < ops.size(); i += 4) {
    out.push_back(static_cast<std::int32_t>((std::uint32_t{ops[i]} << 24) | (std::uint32_t{ops[i + 1]} << 16) |
                                            (std::uint32_t{ops[i + 2]} << 8) | ops[i + 3]));
  }
  return out;
}

inline std::filesystem::path DeviceTestData() {
  return testsupport::SourceDir() / "testdata" / "device";
}

// Compares a picture with its golden file under testdata/device; with
// FIELDRAY_UPDATE_GOLDEN set the golden file is written instead.
inline ::testing::AssertionResult MatchesGolden(const winplat::Picture& picture, const std::string& name) {
  std::filesystem::path path = DeviceTestData() / name;
  if (std::getenv("FIELDRAY_UPDATE_GOLDEN")) {
    std::filesystem::create_directories(path.parent_path());
    std::string error;
    if (!winplat::SavePicturePng(picture, path, &error)) return ::testing::AssertionFailure() << error;
    return ::testing::AssertionSuccess();
  }
  winplat::Picture golden;
  std::string error;
  if (!winplat::LoadPicturePng(path, &golden, &error)) return ::testing::AssertionFailure() << name << ": " << error;
  if (golden.width != picture.width || golden.height != picture.height) {
    return ::testing::AssertionFailure() << name << ": size differs";
  }
  for (std::size_t i = 0; i < golden.pixels.size(); ++i) {
    if ((golden.pixels[i] & 0xFFFFFF) != (picture.pixels[i] & 0xFFFFFF)) {
      return ::testing::AssertionFailure() << name << ": pixel " << i % golden.width << "," << i / golden.width
                                           << " differs";
    }
  }
  return ::testing::AssertionSuccess();
}

class DisplayTest : public FramesTest {
 protected:
  // A lit square of side 2s centred on the origin (device units under the
  // session's identity scale), starting with a blanked move to its first corner.
  std::int32_t WriteSquare(std::int32_t frame, std::int32_t s, std::int32_t colour = 0x0000FF) {
    std::vector<PointStruct> points = {
        {-s, -s, 0, 0, 0, 0, 0, 0, 0},      {s, -s, 0, 0, colour, 0, 0, 0, 0}, {s, s, 0, 0, colour, 0, 0, 0, 0},
        {-s, s, 0, 0, colour, 0, 0, 0, 0}, {-s, -s, 0, 0, colour, 0, 0, 0, 0}};
    return Write(frame, points, "SQUARE");
  }
  // The leftmost and rightmost x of a colour in a picture row; -1 when absent.
  static std::pair<int, int> Span(const winplat::Picture& p, int y, winplat::COLORREF colour) {
    int lo = -1, hi = -1;
    for (int x = 0; x < p.width; ++x) {
      if ((p.At(x, y) & 0xFFFFFF) == colour) {
        if (lo < 0) lo = x;
        hi = x;
      }
    }
    return {lo, hi};
  }
};

}  // namespace vxtest
