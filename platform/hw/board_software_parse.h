#pragma once
// The parsers of what the host loads into the board software: the stroke font
// of the laser text (laser_text_commands.cpp) and the S-records of the
// operating software download (session_commands.cpp). Apart from the commands
// so they can be exercised on bytes alone.
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace winplat::hw::detail {

// A character of the stroke font: its advance and its strokes of grid points.
struct StrokeGlyph {
  std::int32_t advance = 0;
  std::vector<std::vector<std::pair<std::int8_t, std::int8_t>>> strokes;
  bool operator==(const StrokeGlyph&) const = default;
};

using StrokeFont = std::map<std::uint8_t, StrokeGlyph>;

// Parses a "VXFN" font file; false (the font partly filled) when the bytes are not one.
bool ParseStrokeFont(const std::vector<std::uint8_t>& bytes, StrokeFont& font);

enum class SRecordCheck { Good, Bad, ChecksumBad };

// One S3 (data) or S7 (end, with the entry address) record.
struct SRecord {
  char type = 0;
  std::uint32_t address = 0;
  std::vector<std::uint8_t> data;
};

// Checks one record's text: Bad when it is not S3 or S7 hex text of its own
// length, ChecksumBad when its checksum disagrees; Good fills `record`.
SRecordCheck ParseSRecord(const std::vector<std::uint8_t>& text, SRecord& record);

}  // namespace winplat::hw::detail
