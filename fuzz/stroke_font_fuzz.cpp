// The emulated board's stroke-font parser, and its round trip: a parsed font
// written back as a font file parses to the same glyphs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz_root.h"

#include "hw/board_software_parse.h"

using winplat::hw::detail::ParseStrokeFont;
using winplat::hw::detail::StrokeFont;

namespace {

void PutBig(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

std::vector<std::uint8_t> Written(const StrokeFont& font) {
  std::vector<std::uint8_t> out{'V', 'X', 'F', 'N', 0, 0, 0, 0, 0, 0, 0, 0};
  for (const auto& [code, glyph] : font) {
    out.push_back(code);
    out.push_back(static_cast<std::uint8_t>(glyph.advance));
    out.push_back(static_cast<std::uint8_t>(glyph.strokes.size()));
    for (const auto& stroke : glyph.strokes) {
      out.push_back(static_cast<std::uint8_t>(stroke.size()));
      for (const auto& [x, y] : stroke) {
        out.push_back(static_cast<std::uint8_t>(x));
        out.push_back(static_cast<std::uint8_t>(y));
      }
    }
  }
  PutBig(out, 4, static_cast<std::uint32_t>(out.size()));
  PutBig(out, 8, static_cast<std::uint32_t>(font.size()));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::UseOwnMachineRoot("stroke-font");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  StrokeFont first;
  if (!ParseStrokeFont(bytes, first)) return 0;
  StrokeFont second;
  if (!ParseStrokeFont(Written(first), second) || second != first) {
    std::fprintf(stderr, "a written font does not read back as the same glyphs\n");
    std::abort();
  }
  return 0;
}
