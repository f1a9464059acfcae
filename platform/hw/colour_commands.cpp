// The board software's colour registers and palette housekeeping. The palette
// lies in the board's folder as "palette.vxp" in the palette file format; a
// board without one uses the default palette.
//
// Choices of this board software:
// - 24 answers register I when it is defined, else the register nearest in
//   colour to (R, G, B) (the lowest number on a tie).
// - 25 writes the register named by field 0 (0 to 255; others: ACCESS ERROR);
//   ISA boards send fields 0 to 9, fields 10 and 11 are kept.
// - 116 sets each register's drive levels (fields 4 to 6) to its R, G, B.
// - 109 (keep) removes the registers numbered keep and up whose colour no
//   point of any frame uses.
// - 72 copies the palette to the alternate palette ("palette.alt").
// - 155/156: packed HSV is hue (256 to the turn) in bits 0-7, saturation in
//   bits 8-15, value in bits 16-23; the top byte passes through.
// - Palette load: 20 (file size) opens it and the board asks for the file in
//   pieces (181, or 85 for a short last piece); 118 installs what came, a file
//   that is not a palette answering DOWNLOAD BAD with the palette unchanged.
//   Palette save: 22 hands the palette file back in chunks (182 for the next).
#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "board_machine.h"
#include "frame_store.h"
#include "winplat/hw/palette.h"

namespace winplat::hw::detail {
namespace {

std::filesystem::path PalettePath(const BoardContext& board) { return board.Folder() / "palette.vxp"; }

Palette LoadPalette(const BoardContext& board) {
  std::ifstream in(PalettePath(board), std::ios::binary);
  if (!in) return DefaultPalette();
  std::string text((std::istreambuf_iterator<char>(in)), {});
  Palette palette;
  std::string error;
  return ParsePalette(text, palette, error) ? palette : DefaultPalette();
}

void SavePalette(const BoardContext& board, const Palette& palette, const char* name = "palette.vxp") {
  std::ofstream out(board.Folder() / name, std::ios::binary | std::ios::trunc);
  out << FormatPalette(palette);
}

std::int32_t Clamp255(std::int32_t v) { return std::clamp(v, 0, 255); }

// Command 24: R, G, B, I; answers a register (12 longs on PCI, 10 shorts on ISA).
void ReadColourRegister(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 16, reply)) return;
  Palette palette = LoadPalette(board);
  std::int32_t r = command.Long(0), g = command.Long(4), b = command.Long(8), index = command.Long(12);
  const ColourRegister* found = palette.Find(index);
  if (!found) {
    std::int64_t best = -1;
    for (const ColourRegister& reg : palette.registers) {
      std::int64_t dr = reg.fields[1] - r, dg = reg.fields[2] - g, db = reg.fields[3] - b;
      std::int64_t d = dr * dr + dg * dg + db * db;
      if (best < 0 || d < best) {
        best = d;
        found = &reg;
      }
    }
  }
  ColourRegister none;
  const ColourRegister& reg = found ? *found : none;
  if (board.Family() == BoardFamily::Pci) {
    for (std::int32_t v : reg.fields) reply.PutLong(v);
  } else {
    for (std::size_t i = 0; i < 10; ++i) reply.PutShort(static_cast<std::int16_t>(reg.fields[i]));
  }
}

// Command 25: writes the register named by field 0.
void WriteColourRegister(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  bool pci = board.Family() == BoardFamily::Pci;
  if (!RequireOperands(command, pci ? 48 : 20, reply)) return;
  ColourRegister reg;
  for (std::size_t i = 0; i < (pci ? 12u : 10u); ++i) {
    reg.fields[i] = pci ? command.Long(4 * i) : command.Short(2 * i);
  }
  if (reg.fields[0] < 0 || reg.fields[0] >= kPaletteRegisters) {
    reply.error = kBoardAccessError;
    return;
  }
  Palette palette = LoadPalette(board);
  if (!pci) {
    if (const ColourRegister* old = palette.Find(reg.fields[0])) {
      reg.fields[10] = old->fields[10];
      reg.fields[11] = old->fields[11];
    }
  }
  for (std::size_t i = 1; i <= 3; ++i) reg.fields[i] = Clamp255(reg.fields[i]);
  palette.Put(reg);
  SavePalette(board, palette);
}

// Command 111: the number of registers as the command result.
void NumColours(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  reply.result = static_cast<std::int32_t>(LoadPalette(board).registers.size());
}

// Command 116: drive levels from the registers' colours.
void TrainColours(BoardContext& board, const BoardCommand&, BoardReply&) {
  Palette palette = LoadPalette(board);
  for (ColourRegister& reg : palette.registers) {
    for (std::size_t i = 1; i <= 3; ++i) reg.fields[i + 3] = reg.fields[i];
  }
  SavePalette(board, palette);
}

// Command 119: back to the default palette.
void DefaultColours(BoardContext& board, const BoardCommand&, BoardReply&) { SavePalette(board, DefaultPalette()); }

// Command 109: removes unused registers from `keep` on.
void EliminateUnused(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  std::int32_t keep = command.Long(0);
  std::set<std::uint32_t> used;
  FrameStore store(board);
  for (std::int32_t n : store.Numbers()) {
    for (const StoredPoint& p : store.Read(n).points) used.insert(p.colour & 0xFFFFFFu);
  }
  Palette palette = LoadPalette(board);
  std::erase_if(palette.registers, [&](const ColourRegister& reg) {
    auto packed = static_cast<std::uint32_t>(reg.fields[1] | (reg.fields[2] << 8) | (reg.fields[3] << 16));
    return reg.fields[0] >= keep && !used.count(packed);
  });
  SavePalette(board, palette);
}

// Command 72: the palette to the alternate palette.
void UpdateAlternates(BoardContext& board, const BoardCommand&, BoardReply&) {
  SavePalette(board, LoadPalette(board), "palette.alt");
}

std::int32_t RgbToHsv(std::int32_t packed) {
  auto u = static_cast<std::uint32_t>(packed);
  int r = static_cast<int>(u & 0xFF), g = static_cast<int>((u >> 8) & 0xFF), b = static_cast<int>((u >> 16) & 0xFF);
  int max = std::max({r, g, b}), min = std::min({r, g, b});
  int v = max, delta = max - min;
  int s = max == 0 ? 0 : (255 * delta + max / 2) / max;
  int h = 0;
  if (delta > 0) {
    // Hue in sixths of 256 to the turn.
    double sixth = max == r ? static_cast<double>(g - b) / delta
                 : max == g ? 2.0 + static_cast<double>(b - r) / delta
                            : 4.0 + static_cast<double>(r - g) / delta;
    if (sixth < 0) sixth += 6.0;
    h = static_cast<int>(sixth * 256.0 / 6.0 + 0.5) & 0xFF;
  }
  return static_cast<std::int32_t>((u & 0xFF000000u) | (static_cast<std::uint32_t>(v) << 16) |
                                   (static_cast<std::uint32_t>(s) << 8) | static_cast<std::uint32_t>(h));
}

std::int32_t HsvToRgb(std::int32_t packed) {
  auto u = static_cast<std::uint32_t>(packed);
  double h = static_cast<double>(u & 0xFF) * 6.0 / 256.0;
  double s = static_cast<double>((u >> 8) & 0xFF) / 255.0;
  double v = static_cast<double>((u >> 16) & 0xFF);
  int sector = static_cast<int>(h) % 6;
  double f = h - static_cast<int>(h);
  double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  double rgb[6][3] = {{v, t, p}, {q, v, p}, {p, v, t}, {p, q, v}, {t, p, v}, {v, p, q}};
  auto c = [&](int i) { return static_cast<std::uint32_t>(std::clamp(static_cast<int>(rgb[sector][i] + 0.5), 0, 255)); };
  return static_cast<std::int32_t>((u & 0xFF000000u) | (c(2) << 16) | (c(1) << 8) | c(0));
}

// Commands 155 and 156: colour conversions, answered as the command result.
void ConvertColour(BoardContext&, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  reply.result = command.code == 155 ? RgbToHsv(command.Long(0)) : HsvToRgb(command.Long(0));
}

enum PaletteDialogue : std::int32_t { kNoPaletteDialogue = 0, kPaletteLoad = 1, kPaletteSave = 2 };

std::filesystem::path Incoming(const BoardContext& board) { return board.Folder() / "palette.incoming"; }
std::filesystem::path Outgoing(const BoardContext& board) { return board.Folder() / "palette.outgoing"; }
std::int32_t PieceSize(const BoardContext& board) { return board.Family() == BoardFamily::Isa ? 256 : 4000; }

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void AskForMore(BoardContext& board, BoardReply& reply) {
  std::int32_t remaining = std::max(board.Value("palette.remaining"), 0);
  std::int32_t request = std::min(remaining, PieceSize(board));
  if (request == 0) board.SetValue("palette.dialogue", kNoPaletteDialogue);
  reply.PutLong(request);
}

// Command 20: a palette file of n bytes is coming.
void LoadPaletteOpen(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  std::ofstream(Incoming(board), std::ios::binary | std::ios::trunc);
  board.SetValue("palette.loaded", 1);
  board.SetValue("palette.remaining", std::max(command.Long(0), 0));
  board.SetValue("palette.dialogue", kPaletteLoad);
  AskForMore(board, reply);
}

void SendPaletteChunk(BoardContext& board, BoardReply& reply) {
  std::vector<std::uint8_t> data = ReadBytes(Outgoing(board));
  auto pos = static_cast<std::size_t>(std::max(board.Value("palette.pos"), 0));
  std::size_t size = std::min(data.size() - std::min(pos, data.size()), static_cast<std::size_t>(PieceSize(board)));
  reply.PutLong(static_cast<std::int32_t>(size));
  reply.data.insert(reply.data.end(), data.begin() + static_cast<std::ptrdiff_t>(std::min(pos, data.size())),
                    data.begin() + static_cast<std::ptrdiff_t>(std::min(pos, data.size()) + size));
  board.SetValue("palette.pos", static_cast<std::int32_t>(pos + size));
  if (size == 0) board.SetValue("palette.dialogue", kNoPaletteDialogue);
}

// Command 22: the palette file handed back a chunk at a time.
void SavePaletteOpen(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  std::ofstream(Outgoing(board), std::ios::binary | std::ios::trunc) << FormatPalette(LoadPalette(board));
  board.SetValue("palette.pos", 0);
  board.SetValue("palette.dialogue", kPaletteSave);
  SendPaletteChunk(board, reply);
}

// Command 118: the palette that came becomes the board's.
void InstallPalette(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  board.SetValue("palette.dialogue", kNoPaletteDialogue);
  if (!board.Value("palette.loaded")) {
    reply.error = kBoardDownloadBad;
    return;
  }
  board.SetValue("palette.loaded", 0);
  std::vector<std::uint8_t> bytes = ReadBytes(Incoming(board));
  Palette palette;
  std::string error;
  if (!ParsePalette(std::string(bytes.begin(), bytes.end()), palette, error)) {
    reply.error = kBoardDownloadBad;
    return;
  }
  SavePalette(board, palette);
}

}  // namespace

bool PaletteDialogueRuns(BoardContext& board) {
  std::int32_t stage = board.Value("palette.dialogue");
  if (stage == kNoPaletteDialogue) return false;
  // The dialogue's commands follow each other directly; anything else between ends it.
  std::uint16_t previous = board.PreviousCommand();
  bool direct = stage == kPaletteLoad ? (previous == 20 || previous == 181) : (previous == 22 || previous == 182);
  if (!direct) board.SetValue("palette.dialogue", kNoPaletteDialogue);
  return direct;
}

void PaletteDialogueStep(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  std::int32_t stage = board.Value("palette.dialogue");
  if (stage == kPaletteSave) {
    if (command.code == 182) {
      SendPaletteChunk(board, reply);
    } else {
      board.SetValue("palette.dialogue", kNoPaletteDialogue);  // the host could not write
    }
    return;
  }
  if (command.code == 182) {
    reply.error = kBoardNullCommand;
    return;
  }
  std::ofstream(Incoming(board), std::ios::binary | std::ios::app)
      .write(reinterpret_cast<const char*>(command.operands.data()), static_cast<std::streamsize>(command.operands.size()));
  std::int32_t remaining = board.Value("palette.remaining") - static_cast<std::int32_t>(command.operands.size());
  board.SetValue("palette.remaining", command.code == 85 ? 0 : std::max(remaining, 0));
  AskForMore(board, reply);
}

void RegisterColourCommands() {
  AddBuiltinCommand(20, LoadPaletteOpen, false);
  AddBuiltinCommand(22, SavePaletteOpen, false);
  AddBuiltinCommand(118, InstallPalette, false);
  AddBuiltinCommand(24, ReadColourRegister, false);
  AddBuiltinCommand(25, WriteColourRegister, false);
  AddBuiltinCommand(111, NumColours, false);
  AddBuiltinCommand(116, TrainColours, false);
  AddBuiltinCommand(119, DefaultColours, false);
  AddBuiltinCommand(109, EliminateUnused, false);
  AddBuiltinCommand(72, UpdateAlternates, false);
  AddBuiltinCommand(155, ConvertColour, false);
  AddBuiltinCommand(156, ConvertColour, false);
}

}  // namespace winplat::hw::detail
