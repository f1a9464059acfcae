// The board software's parsers on bytes alone: S-records and the stroke font.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../board_software_parse.h"
#include "test_support.h"

using namespace winplat::hw::detail;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(SRecordParse, ChecksRecordsAndTakesTheirFields) {
  struct Case {
    const char* text;
    SRecordCheck check;
    char type;
    std::uint32_t address;
    std::size_t dataBytes;
  } cases[] = {
      {"S30900000000AABBCCDDE8", SRecordCheck::Good, '3', 0, 4},
      {"s30900000000aabbccdde8", SRecordCheck::Bad, 0, 0, 0},  // the type letter is upper case
      {"S30900000000aabbccdde8", SRecordCheck::Good, '3', 0, 4},
      {"S3050C080000E6", SRecordCheck::Good, '3', 0x0C080000, 0},
      {"S7050C080000E6", SRecordCheck::Good, '7', 0x0C080000, 0},
      {"S30900000000AABBCCDDE9", SRecordCheck::ChecksumBad, 0, 0, 0},
      {"S10900000000AABBCCDDE8", SRecordCheck::Bad, 0, 0, 0},
      {"S30A00000000AABBCCDDE8", SRecordCheck::Bad, 0, 0, 0},
      {"S3040C0800E6", SRecordCheck::Bad, 0, 0, 0},  // no room for an address
      {"S3000000", SRecordCheck::Bad, 0, 0, 0},
      {"S3", SRecordCheck::Bad, 0, 0, 0},
      {"", SRecordCheck::Bad, 0, 0, 0},
      {"S30900000000AABBCCDDE8\r", SRecordCheck::Bad, 0, 0, 0},
      {"S3090000000GAABBCCDDE8", SRecordCheck::Bad, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SRecord record;
    EXPECT_EQ(ParseSRecord(Bytes(c.text), record), c.check) << c.text;
    if (c.check != SRecordCheck::Good) continue;
    EXPECT_EQ(record.type, c.type) << c.text;
    EXPECT_EQ(record.address, c.address) << c.text;
    EXPECT_EQ(record.data.size(), c.dataBytes) << c.text;
  }
}

TEST(StrokeFontParse, ReadsWholeFontsAndRefusesDamagedOnes) {
  const std::vector<std::uint8_t> font =
      Bytes(testsupport::ReadFile(std::filesystem::path(std::getenv("FIELDRAY_TEMPLATE")) / "C/Fieldray/stick.vxf"));
  ASSERT_GT(font.size(), 12u);
  StrokeFont parsed;
  ASSERT_TRUE(ParseStrokeFont(font, parsed));
  EXPECT_TRUE(parsed.count('A') && !parsed['A'].strokes.empty());

  auto withLength = [](std::vector<std::uint8_t> b) {
    const auto n = static_cast<std::uint32_t>(b.size());
    for (int i = 0; i < 4; ++i) b[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (24 - 8 * i));
    return b;
  };
  std::vector<std::uint8_t> cut(font.begin(), font.end() - 1), longer(font);
  longer.push_back(0);
  std::vector<std::uint8_t> empty = Bytes(std::string("VXFN\0\0\0\x0c\0\0\0\0", 12));
  // One glyph whose stroke claims more points than the file holds.
  std::vector<std::uint8_t> shortStroke = withLength(Bytes(std::string("VXFN\0\0\0\0\0\0\0\x01" "A\x08\x01\x05\x01\x02", 18)));
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool good;
  } cases[] = {
      {"a font of no glyphs", empty, true},
      {"the last byte cut, its length unchanged", cut, false},
      {"the last byte cut, its length following", withLength(cut), false},
      {"a byte after the glyphs", withLength(longer), false},
      {"a stroke past the end", shortStroke, false},
      {"another mark", Bytes(std::string("VXFX\0\0\0\x0c\0\0\0\0", 12)), false},
      {"nothing", {}, false},
  };
  for (const Case& c : cases) {
    StrokeFont f;
    EXPECT_EQ(ParseStrokeFont(c.bytes, f), c.good) << c.name;
  }
}

}  // namespace
