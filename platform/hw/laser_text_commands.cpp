// The board software's laser text: the stroke font the host loads (71), the
// text parameters (112), drawing a character into the working frame (113),
// a character's extent (114) and the line limits (68).
//
// Font file "VXFN": bytes 0-3 "VXFN", 4-7 the file's whole length, 8-11 the
// glyph count (big-endian), then glyphs: character code, advance, stroke count
// (a byte each), and per stroke its point count (a byte) and points as (x, y)
// signed bytes. Grid: baseline 0, capitals 12 high; a character's nominal
// width is 8 units, so with character width w and height h a grid point
// (x, y) lands at (x * w / 8, y * h / 12) from the pen.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "board_machine.h"
#include "board_software_parse.h"
#include "frame_file_format.h"

namespace winplat::hw::detail {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kGridWidth = 8;
constexpr std::int32_t kGridHeight = 12;
constexpr std::int32_t kDefaultCharWidth = 80;
constexpr std::int32_t kDefaultCharHeight = 120;

using Glyph = StrokeGlyph;
using Font = StrokeFont;

fs::path FontFile(const BoardContext& board) { return board.Folder() / "font.vxf"; }

Font LoadedFont(const BoardContext& board) {
  std::ifstream in(FontFile(board), std::ios::binary);
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Font font;
  if (!ParseStrokeFont(bytes, font)) font.clear();
  return font;
}

std::int32_t CharWidth(const BoardContext& board) {
  std::int32_t w = board.Value("ltext.p5");
  return w > 0 ? w : kDefaultCharWidth;
}
std::int32_t CharHeight(const BoardContext& board) {
  std::int32_t h = board.Value("ltext.p6");
  return h > 0 ? h : kDefaultCharHeight;
}

std::int32_t Scaled(std::int64_t grid, std::int32_t size, std::int32_t unit) {
  return static_cast<std::int32_t>(std::llround(static_cast<double>(grid) * size / unit));
}

// Values answered as Longs by PCI boards and as 16-bit values by ISA boards.
void PutValue(const BoardContext& board, BoardReply& reply, std::int32_t value) {
  if (board.Family() == BoardFamily::Isa) {
    reply.PutShort(static_cast<std::int16_t>(std::clamp(value, -32768, 32767)));
  } else {
    reply.PutLong(value);
  }
}

void SetLineLimitsCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 16, reply)) return;
  for (std::size_t i = 0; i < 4; ++i) board.SetValue("ltext.limit" + std::to_string(i), command.Long(4 * i));
}

// Command 112: p1..p9; ISA boards send p1..p8 as 16-bit values and p9 as a Long.
void SetLaserCharCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  bool isa = board.Family() == BoardFamily::Isa;
  if (!RequireOperands(command, isa ? 20 : 36, reply)) return;
  for (std::size_t i = 0; i < 8; ++i) {
    board.SetValue("ltext.p" + std::to_string(i + 1), isa ? command.Short(2 * i) : command.Long(4 * i));
  }
  board.SetValue("ltext.p9", isa ? command.Long(16) : command.Long(32));
}

// Command 113: code, x, y, n. Draws the glyph at (x, y) into the working frame
// from point n on; answers the pen after the glyph and the last point number.
void LaserCharCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 16, reply)) return;
  Font font = LoadedFont(board);
  if (font.empty()) {
    reply.error = kBoardDownloadBad;
    return;
  }
  auto code = static_cast<std::uint8_t>(command.Long(0));
  std::int32_t x = command.Long(4), y = command.Long(8), n = std::max(command.Long(12), 1);
  std::int32_t w = CharWidth(board), h = CharHeight(board);
  auto colour = static_cast<std::uint32_t>(board.Value("ltext.p9", 0xFFFFFF));
  FrameStore store(board);
  std::int32_t number = store.WorkingFrame();
  StoredFrame frame = store.Read(number);
  frame.exists = true;
  if (frame.points.size() > static_cast<std::size_t>(n - 1)) frame.points.resize(static_cast<std::size_t>(n - 1));
  FrameBoardState state = store.LoadState();
  auto found = font.find(code);
  Glyph blank;
  blank.advance = kGridWidth * 3 / 4;
  const Glyph& glyph = found != font.end() ? found->second : blank;
  std::size_t limit = static_cast<std::size_t>(std::max(store.FrameSize(), 1));
  // Each stroke: its start dark (the move there is blanked), its start again
  // lit, its points lit, its end again dark. The stroke is lit and the move
  // dark whether or not the host densifies the frame afterwards.
  auto put = [&](const std::pair<std::int8_t, std::int8_t>& at, std::uint32_t c) {
    if (frame.points.size() >= limit) return;
    StoredPoint p;
    p.x = ToDevice(state.scale[0], false, x + Scaled(at.first, w, kGridWidth));
    p.y = ToDevice(state.scale[1], false, y + Scaled(at.second, h, kGridHeight));
    p.colour = c;
    frame.points.push_back(p);
  };
  for (const auto& stroke : glyph.strokes) {
    if (stroke.empty()) continue;
    put(stroke.front(), 0);
    for (const auto& at : stroke) put(at, colour);
    put(stroke.back(), 0);
  }
  if (!store.Fits(number, frame.points.size())) {
    reply.error = kBoardLowMemory;
    return;
  }
  store.Write(number, frame);
  PutValue(board, reply, x + Scaled(glyph.advance, w, kGridWidth));
  PutValue(board, reply, y);
  PutValue(board, reply, static_cast<std::int32_t>(frame.points.size()));
}

// Command 114: the width and height of a character with the current parameters.
void ExtentCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  Font font = LoadedFont(board);
  auto found = font.find(static_cast<std::uint8_t>(command.Long(0)));
  std::int32_t advance = found != font.end() ? found->second.advance : kGridWidth * 3 / 4;
  std::int32_t h = CharHeight(board);
  PutValue(board, reply, std::max(Scaled(advance, CharWidth(board), kGridWidth), 1));
  PutValue(board, reply, std::max(h, 1));
}

}  // namespace

bool ParseStrokeFont(const std::vector<std::uint8_t>& bytes, StrokeFont& font) {
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "VXFN", 4) != 0) return false;
  auto big = [&](std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
  };
  if (big(4) != bytes.size()) return false;
  std::uint32_t count = big(8);
  std::size_t at = 12;
  auto has = [&](std::size_t n) { return bytes.size() - at >= n; };
  for (std::uint32_t g = 0; g < count; ++g) {
    if (!has(3)) return false;
    std::uint8_t code = bytes[at];
    StrokeGlyph glyph;
    glyph.advance = bytes[at + 1];
    std::size_t strokes = bytes[at + 2];
    at += 3;
    for (std::size_t s = 0; s < strokes; ++s) {
      if (!has(1)) return false;
      std::size_t points = bytes[at++];
      if (!has(2 * points)) return false;
      auto& stroke = glyph.strokes.emplace_back();
      for (std::size_t p = 0; p < points; ++p, at += 2) {
        stroke.emplace_back(static_cast<std::int8_t>(bytes[at]), static_cast<std::int8_t>(bytes[at + 1]));
      }
    }
    font[code] = std::move(glyph);
  }
  return at == bytes.size();
}

bool InstallFont(BoardContext& board, const std::vector<std::uint8_t>& bytes) {
  Font font;
  if (!ParseStrokeFont(bytes, font)) return false;
  std::ofstream(FontFile(board), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return true;
}

void RegisterLaserTextCommands() {
  AddBuiltinCommand(68, SetLineLimitsCommand, false);
  AddBuiltinCommand(112, SetLaserCharCommand, false);
  AddBuiltinCommand(113, LaserCharCommand, false);
  AddBuiltinCommand(114, ExtentCommand, false);
}

}  // namespace winplat::hw::detail
