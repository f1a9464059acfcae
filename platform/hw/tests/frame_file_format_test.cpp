// The board software's frame file formats: round trips and broken files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../frame_file_format.h"

using namespace winplat::hw::detail;

namespace {

std::vector<StoredFrame> TwoFrames() {
  std::vector<StoredFrame> frames(2);
  for (std::size_t f = 0; f < frames.size(); ++f) {
    frames[f].exists = true;
    std::memcpy(frames[f].name.data(), f == 0 ? "One" : "Two", 3);
    for (int i = 0; i < 5 + static_cast<int>(f); ++i) {
      StoredPoint p;
      p.x = static_cast<std::int16_t>(i * 1000 - 32768);
      p.y = static_cast<std::int16_t>(32767 - i * 7);
      p.z = static_cast<std::int16_t>(-i);
      p.colour = i % 2 ? 0 : 0x00A0B0C0u + static_cast<std::uint32_t>(i);
      frames[f].points.push_back(p);
    }
  }
  return frames;
}

TEST(FrameFileFormat, EveryFormatRoundTripsItsFrames) {
  for (std::int32_t format : {2, 3, 4, 5, 9, 13}) {
    SCOPED_TRACE(format);
    std::vector<StoredFrame> in = TwoFrames();
    std::vector<StoredFrame> out;
    ASSERT_TRUE(ParseFrameFile(format, FormatFrameFile(format, in, "A title"), out));
    ASSERT_EQ(out.size(), in.size());
    for (std::size_t f = 0; f < in.size(); ++f) {
      EXPECT_EQ(std::string(out[f].name.data(), 3), std::string(in[f].name.data(), 3));
      ASSERT_EQ(out[f].points.size(), in[f].points.size());
      for (std::size_t i = 0; i < in[f].points.size(); ++i) {
        EXPECT_EQ(out[f].points[i].x, in[f].points[i].x);
        EXPECT_EQ(out[f].points[i].y, in[f].points[i].y);
        EXPECT_EQ(out[f].points[i].z, in[f].points[i].z);
        EXPECT_EQ(out[f].points[i].colour, in[f].points[i].colour);
      }
    }
  }
}

TEST(FrameFileFormat, TextFramesKeepTheirNameOnItsLine) {
  std::vector<StoredFrame> in = TwoFrames();
  std::memcpy(in[0].name.data(), "Ab\r\rCD\nE", 9);
  const auto written = FormatFrameFile(9, in, "");
  std::vector<StoredFrame> out;
  ASSERT_TRUE(ParseFrameFile(9, written, out));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_STREQ(out[0].name.data(), "Ab");
  EXPECT_EQ(out[0].points.size(), in[0].points.size());
  EXPECT_EQ(FormatFrameFile(9, out, ""), written) << "written again, the same bytes";
}

TEST(FrameFileFormat, BrokenOrForeignFilesAreRefused) {
  std::vector<StoredFrame> frames;
  std::vector<std::uint8_t> object = FormatFrameFile(5, TwoFrames(), "T");
  // Another format's bytes, a cut file, trailing bytes, a lying frame count.
  EXPECT_FALSE(ParseFrameFile(2, object, frames));
  EXPECT_FALSE(ParseFrameFile(3, object, frames));
  EXPECT_FALSE(ParseFrameFile(9, object, frames));
  std::vector<std::uint8_t> cut(object.begin(), object.end() - 1);
  EXPECT_FALSE(ParseFrameFile(5, cut, frames));
  std::vector<std::uint8_t> longer = object;
  longer.push_back(0);
  EXPECT_FALSE(ParseFrameFile(5, longer, frames));
  std::vector<std::uint8_t> lying = object;
  lying[17] = 3;
  EXPECT_FALSE(ParseFrameFile(5, lying, frames));
  EXPECT_TRUE(frames.empty());
  EXPECT_FALSE(ParseFrameFile(5, std::vector<std::uint8_t>(10, 'M'), frames));
  EXPECT_FALSE(ParseFrameFile(1, object, frames));  // no such format

  std::vector<std::uint8_t> ilda = FormatFrameFile(3, TwoFrames(), "");
  std::vector<std::uint8_t> badFormat = ilda;
  badFormat[7] = 3;  // a point format that does not exist
  EXPECT_FALSE(ParseFrameFile(3, badFormat, frames));
  std::vector<std::uint8_t> shortIlda(ilda.begin(), ilda.begin() + 40);
  EXPECT_FALSE(ParseFrameFile(3, shortIlda, frames));

  for (std::string text : {"VXTEXTFRAMES\n1 2 3 4 FF\n", "VXTEXTFRAMES\nFRAME a\n1 2 3\n",
                           "VXTEXTFRAMES\nFRAME a\n1 2 3 4 FF junk\n", "VXTEXTFRAMES\nFRAME a\n99999 0 0 0 0\n",
                           "FRAME a\n1 2 3 4 0\n", "VXTEXTFRAMES\n"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(ParseFrameFile(4, {text.begin(), text.end()}, frames));
  }
}

TEST(FrameFileFormat, ObjectFilesCarryTheirTitleAndCount) {
  std::vector<std::uint8_t> bytes = FormatFrameFile(5, TwoFrames(), std::string(300, 't'));
  ASSERT_GE(bytes.size(), 20u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 15), "MORVANTEOBJECT1");
  EXPECT_EQ(bytes[15], 127);  // a long title is cut to what the header can say
  EXPECT_EQ(bytes[16] * 256 + bytes[17], 2);
}

}  // namespace
