// The board software's frames, working-scale maps, active arrays and palettes.
#include <gtest/gtest.h>


#include <cstdlib>
#include <fstream>

#include "../frame_file_format.h"
#include "../frame_store.h"
#include "board_test_util.h"
#include "test_support.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/palette.h"

using namespace winplat::hw;
using namespace boardtest;

namespace {

// A file of the machine-root template the build stages.
std::filesystem::path TemplateFile(const char* name) {
  return std::filesystem::path(std::getenv("FIELDRAY_TEMPLATE")) / "C" / "Fieldray" / name;
}

detail::AxisScale Scale(std::array<std::int32_t, 6> v) {
  detail::AxisScale s;
  s.v = v;
  return s;
}

TEST(WorkingScaleMap, DeviceRangeAndZeroSpansAreTheIdentity) {
  auto device = Scale({-32768, 32767, 0, -32768, 32767, 0});
  auto zeros = Scale({0, 0, 0, 0, 0, 0});
  auto reset = Scale({0, 0, 0, -32768, 32767, 0});  // SetWorkingScale with all zeros
  for (std::int32_t v : {-32768, -1, 0, 1, 12345, 32767}) {
    EXPECT_EQ(detail::ToDevice(device, false, v), v);
    EXPECT_EQ(detail::FromDevice(device, false, v), v);
    EXPECT_EQ(detail::ToDevice(zeros, false, v), v);
    EXPECT_EQ(detail::ToDevice(reset, false, v), v);
  }
}

TEST(WorkingScaleMap, RoundsHalvesToEvenSaturatesAndInverts) {
  auto half = Scale({0, 2, 1, 0, 1, 0});  // 0..2 onto 0..1
  EXPECT_EQ(detail::ToDevice(half, false, 1), 0);  // 0.5
  EXPECT_EQ(detail::ToDevice(half, false, 3), 2);  // 1.5
  EXPECT_EQ(detail::ToDevice(half, false, 5), 2);  // 2.5
  auto wide = Scale({-100, 100, 0, -32768, 32767, 0});
  EXPECT_EQ(detail::ToDevice(wide, false, 30000), 32767);
  EXPECT_EQ(detail::ToDevice(wide, false, -30000), -32768);
  // A reversed input range (window pixels growing downward) inverts exactly at its ends.
  auto pixels = Scale({300, 0, 150, -12000, 12000, 0});
  EXPECT_EQ(detail::FromDevice(pixels, false, -12000), 300);
  EXPECT_EQ(detail::FromDevice(pixels, false, 12000), 0);
  EXPECT_EQ(detail::ToDevice(pixels, false, 75), 6000);
  // F uses its four values: input minimum and maximum, output minimum and maximum.
  auto f = Scale({0, 100, 0, 255, 0, 0});
  EXPECT_EQ(detail::ToDevice(f, true, 50), 128);  // 127.5 to even
  EXPECT_EQ(detail::FromDevice(f, true, 255), 100);
}

class FrameBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBoardConfig("");
    ResetBoardState();
    ForceBoardProgram(BoardProgram::Operating);
    ClearCommandLog();
  }
  static std::vector<std::uint8_t> Header(std::int16_t count, const char* name) {
    std::vector<std::uint8_t> h = {0, 0, 0, 0, static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count),
                                   0, 0};
    std::string n(name);
    n.resize(24, ' ');
    h.insert(h.end(), n.begin(), n.end());
    return h;
  }
  static std::vector<std::uint8_t> Point(std::int16_t x, std::int16_t y) {
    return {static_cast<std::uint8_t>(x >> 8), static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y >> 8),
            static_cast<std::uint8_t>(y), 0, 0, 0, 0, 0, 0, 0, 0xFF};
  }
  static std::int16_t ShortAt(const std::vector<std::uint8_t>& b, std::size_t o) {
    return static_cast<std::int16_t>((b[o] << 8) | b[o + 1]);
  }
};

TEST_F(FrameBoard, FlagsMustFollowTheirCommandDirectly) {
  IsaCommand(0x300, 30, Longs({5}));
  ASSERT_EQ(LongAt(IsaCommand(0x300, 27, Header(2, "two")), 0), 0);
  auto points = Point(100, 200);
  auto second = Point(-300, 400);
  points.insert(points.end(), second.begin(), second.end());
  ASSERT_EQ(LongAt(IsaCommand(0x300, 74, points), 0), 0);
  // Invert X with an array: the board asks for 4 bytes ...
  auto invert = IsaCommand(0x300, 54, Longs({1, 6000, 0, 0, 0, 1, 1}));
  EXPECT_EQ(LongAt(invert, 4), 4);
  // ... but another command comes between: the flags that follow do nothing.
  IsaCommand(0x300, 30, Longs({5}));
  IsaCommand(0x300, 51, {0, 1, 0, 1});
  auto p = IsaCommand(0x300, 149, Longs({1}));
  EXPECT_EQ(ShortAt(p, 8), 100);
  // Directly after the command they apply, to the active points only.
  IsaCommand(0x300, 54, Longs({1, 6000, 0, 0, 0, 1, 1}));
  IsaCommand(0x300, 51, {0, 0, 0, 1});
  EXPECT_EQ(ShortAt(IsaCommand(0x300, 149, Longs({1})), 8), 100);
  EXPECT_EQ(ShortAt(IsaCommand(0x300, 149, Longs({2})), 8), 300);
}

TEST_F(FrameBoard, BatchesOfTheWrongSizeOrWithoutAHeaderAreRefused) {
  IsaCommand(0x300, 30, Longs({6}));
  EXPECT_EQ(LongAt(IsaCommand(0x300, 74, Point(1, 1)), 0), kBoardAccessError);  // no frame opened
  EXPECT_EQ(LongAt(IsaCommand(0x300, 73, {}), 0), kBoardAccessError);           // no read opened
  ASSERT_EQ(LongAt(IsaCommand(0x300, 27, Header(1, "one")), 0), 0);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 74, {1, 2, 3}), 0), kBoardInsufficientOperands);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 27, {1, 2}), 0), kBoardInsufficientOperands);
  // Points past the header's count are not kept.
  auto two = Point(1, 1);
  auto more = Point(2, 2);
  two.insert(two.end(), more.begin(), more.end());
  ASSERT_EQ(LongAt(IsaCommand(0x300, 74, two), 0), 0);
  EXPECT_EQ(ShortAt(IsaCommand(0x300, 49, Longs({6})), 10), 1);
}

TEST_F(FrameBoard, ADamagedFrameFileReadsAsFarAsItIsWhole) {
  IsaCommand(0x300, 30, Longs({8}));
  IsaCommand(0x300, 27, Header(2, "cut"));
  auto points = Point(7, 7);
  auto second = Point(8, 8);
  points.insert(points.end(), second.begin(), second.end());
  IsaCommand(0x300, 74, points);
  std::filesystem::path file = BoardConfigPath().parent_path() / "isa-0300" / "frames" / "8.frm";
  ASSERT_TRUE(std::filesystem::exists(file));
  std::filesystem::resize_file(file, std::filesystem::file_size(file) - 5);
  EXPECT_EQ(ShortAt(IsaCommand(0x300, 49, Longs({8})), 10), 1);
  std::ofstream(file, std::ios::trunc) << "garbage";
  auto header = IsaCommand(0x300, 49, Longs({8}));
  EXPECT_EQ(LongAt(header, 0), 0);
  EXPECT_EQ(ShortAt(header, 10), 0);
}

// A batch writes its points, then raises the frame's count: points written by a
// batch that never raised the count (its process killed) are not part of the
// frame, and the next batch writes over them.
TEST_F(FrameBoard, PointsPastTheStoredCountAreNotPartOfTheFrame) {
  IsaCommand(0x300, 30, Longs({9}));
  ASSERT_EQ(LongAt(IsaCommand(0x300, 27, Header(3, "three")), 0), 0);
  ASSERT_EQ(LongAt(IsaCommand(0x300, 74, Point(1, 10)), 0), 0);
  std::filesystem::path file = BoardConfigPath().parent_path() / "isa-0300" / "frames" / "9.frm";
  const auto whole = std::filesystem::file_size(file);
  std::ofstream(file, std::ios::binary | std::ios::app) << std::string(40, '\x7f');
  EXPECT_EQ(ShortAt(IsaCommand(0x300, 49, Longs({9})), 10), 1);
  auto rest = Point(2, 20);
  auto third = Point(3, 30);
  rest.insert(rest.end(), third.begin(), third.end());
  ASSERT_EQ(LongAt(IsaCommand(0x300, 74, rest), 0), 0);
  EXPECT_EQ(std::filesystem::file_size(file), whole + 40);
  EXPECT_EQ(ShortAt(IsaCommand(0x300, 49, Longs({9})), 10), 3);
  for (std::int32_t n = 1; n <= 3; ++n) {
    auto p = IsaCommand(0x300, 149, Longs({static_cast<std::uint32_t>(n)}));
    EXPECT_EQ(ShortAt(p, 8), n) << n;
    EXPECT_EQ(ShortAt(p, 10), 10 * n) << n;
  }
}

TEST_F(FrameBoard, ASessionStartsWithTheIdentityScaleAndARebootForgetsFramesAndPalette) {
  IsaCommand(0x300, 75, Longs({0, 400, 200, static_cast<std::uint32_t>(-16000), 16000, 0}));
  EXPECT_EQ(LongAt(IsaCommand(0x300, 78, {}), 8), 0);
  IsaCommand(0x300, 30, Longs({3}));
  IsaCommand(0x300, 27, Header(0, "kept"));
  IsaCommand(0x300, 25, {0, 9, 0, 1, 0, 2, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(LongAt(IsaCommand(0x300, 18, Longs({3000, 6000, 8192, 5})), 0), 0);
  auto x = IsaCommand(0x300, 78, {});
  EXPECT_EQ(LongAt(x, 8), -32768);
  EXPECT_EQ(LongAt(x, 20), -32768);
  auto name = [] {
    auto header = IsaCommand(0x300, 49, Longs({3}));
    return header.size() >= 18 ? std::string(header.begin() + 14, header.begin() + 18) : std::string();
  };
  EXPECT_EQ(name(), "kept");  // frames stay over a new session
  EXPECT_EQ(LongAt(IsaCommand(0x300, 111, {}), 4), 9);
  IsaCommand(0x300, 115, {});
  ForceBoardProgram(BoardProgram::Operating);
  EXPECT_EQ(ShortAt(IsaCommand(0x300, 49, Longs({3})), 10), 0);
  EXPECT_EQ(name(), std::string(4, '\0'));
  EXPECT_EQ(LongAt(IsaCommand(0x300, 111, {}), 4), 8);  // the default palette again
}

// A frame the board cannot store (its disk full: here past the largest file
// the process may write) answers the file status of a full disk, not success.
TEST_F(FrameBoard, AFrameTheStoreCannotKeepAnswersDiskFull) {
  IsaCommand(0x300, 30, Longs({5}));
  EXPECT_TRUE(testsupport::InChildWithFileSizeLimit(2048, [&] {
    const std::int32_t header = LongAt(IsaCommand(0x300, 27, Header(400, "big")), 4);
    std::vector<std::uint8_t> points;
    for (int i = 0; i < 400; ++i) {
      auto p = Point(static_cast<std::int16_t>(i), 0);
      points.insert(points.end(), p.begin(), p.end());
    }
    const std::int32_t batch = LongAt(IsaCommand(0x300, 74, points), 4);
    return header == 0 && batch == -403;
  }));
}

TEST(PaletteFile, TheTemplatesExampleParsesAndFormatsBack) {
  const std::filesystem::path example = TemplateFile("Default.vxp");
  std::string text = testsupport::ReadFile(example);
  ASSERT_FALSE(text.empty());
  Palette palette;
  std::string error;
  ASSERT_TRUE(ParsePalette(text, palette, error)) << error;
  ASSERT_EQ(palette.registers.size(), 8u);
  EXPECT_EQ(palette.Find(5)->fields[3], 255);
  EXPECT_EQ(FormatPalette(palette), FormatPalette(DefaultPalette()));
  Palette again;
  ASSERT_TRUE(ParsePalette(FormatPalette(palette), again, error));
  EXPECT_EQ(again.registers.size(), 8u);
}

TEST(PaletteFile, MalformedFilesAreRefusedAndLeaveThePaletteAlone) {
  Palette palette = DefaultPalette();
  std::string error;
  for (const char* text : {"", "# only a comment\n", "VXPALETTE 2\n", "PALETTE\n0 0 0 0 0 0 0 0 0 0 0 0\n",
                           "VXPALETTE 1\n0 0 0\n", "VXPALETTE 1\n256 0 0 0 0 0 0 0 0 0 0 0\n",
                           "VXPALETTE 1\n1 300 0 0 0 0 0 0 0 0 0 0\n", "VXPALETTE 1\n1 x 0 0 0 0 0 0 0 0 0 0\n"}) {
    error.clear();
    EXPECT_FALSE(ParsePalette(text, palette, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  EXPECT_EQ(palette.registers.size(), 8u);
  EXPECT_TRUE(ParsePalette("VXPALETTE 1\r\n3 1 2 3 4 5 6 7 8 9 10 11\r\n3 9 9 9 0 0 0 0 0 0 0 0\r\n", palette, error));
  ASSERT_EQ(palette.registers.size(), 1u);
  EXPECT_EQ(palette.registers[0].fields[1], 9);  // a later line replaces the earlier
}

}  // namespace

// Every calibration pattern the template ships draws lit lines: in each frame a
// lit point lies away from the point before it.
TEST(TemplateFiles, EveryCalibrationPatternLightsLines) {
  const std::string text = testsupport::ReadFile(TemplateFile("Calibration.VXS"));
  std::vector<detail::StoredFrame> frames;
  ASSERT_TRUE(detail::ParseFrameFile(detail::kFormatObject, std::vector<std::uint8_t>(text.begin(), text.end()), frames));
  ASSERT_FALSE(frames.empty());
  for (const detail::StoredFrame& frame : frames) {
    int litSegments = 0;
    for (std::size_t i = 1; i < frame.points.size(); ++i) {
      const auto& a = frame.points[i - 1];
      const auto& b = frame.points[i];
      if (b.colour != 0 && (a.x != b.x || a.y != b.y)) ++litSegments;
    }
    EXPECT_GT(litSegments, 0) << std::string(frame.name.data(), 24);
  }
}

// The settings file ends every line with CR LF, as the program writes it.
TEST(TemplateFiles, TheSettingsFileEndsEveryLineWithCrLf) {
  const std::string ini = testsupport::ReadFile(TemplateFile("Fldry.INI"));
  ASSERT_FALSE(ini.empty());
  int lines = 0;
  for (std::size_t at = ini.find('\n'); at != std::string::npos; at = ini.find('\n', at + 1), ++lines)
    EXPECT_TRUE(at > 0 && ini[at - 1] == '\r') << "line " << lines + 1;
  EXPECT_EQ(ini.back(), '\n');
}
