// The board software's auxiliary ports and its abstract pattern generator:
// the settings of three oscillators, two modulators and two colour sources
// kept as set, and the frames the generator makes from them.
//
// The generator's settings live in "abstract/state.bin" of the board's folder
// (Longs in host order); its working points in "abstract/buffer.pts" (the
// frame flags word and value, then the board's stored point records). The
// frames it makes are the board's frames.
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "abstract_frames.h"
#include "board_machine.h"

namespace winplat::hw::detail {

namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kPorts = 16;

fs::path AbstractFolder(const BoardContext& board) {
  fs::path folder = board.Folder() / "abstract";
  std::error_code ec;
  fs::create_directories(folder, ec);
  return folder;
}

GeneratorState LoadState(const BoardContext& board) {
  GeneratorState state{};
  std::ifstream in(AbstractFolder(board) / "state.bin", std::ios::binary);
  if (in) in.read(reinterpret_cast<char*>(&state), sizeof state);
  if (!in || in.gcount() != sizeof state) state = GeneratorState{};
  return state;
}

void SaveState(const BoardContext& board, const GeneratorState& state) {
  std::ofstream out(AbstractFolder(board) / "state.bin", std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&state), sizeof state);
}

// Runs a change of the generator's settings with its operands checked.
BoardCommandHandler Change(std::size_t longs, void (*apply)(GeneratorState&, const BoardCommand&)) {
  return [longs, apply](BoardContext& board, const BoardCommand& command, BoardReply& reply) {
    if (!RequireOperands(command, 4 * longs, reply)) return;
    GeneratorState state = LoadState(board);
    apply(state, command);
    SaveState(board, state);
  };
}

template <int N>
void InitOsc(GeneratorState& s, const BoardCommand& c) {
  for (int i = 0; i < 3; ++i) s.osc[N].phase[i] = c.Long(4 * static_cast<std::size_t>(i));
}
template <int N>
void SetOsc(GeneratorState& s, const BoardCommand& c) {
  for (int i = 0; i < 3; ++i) {
    s.osc[N].freq[i] = c.Long(4 * static_cast<std::size_t>(i));
    s.osc[N].size[i] = c.Long(12 + 4 * static_cast<std::size_t>(i));
  }
  s.osc[N].wave = c.Long(24);
}
template <int N>
void InitMod(GeneratorState& s, const BoardCommand& c) {
  s.mod[N].phase = c.Long(0);
}
template <int N>
void SetMod(GeneratorState& s, const BoardCommand& c) {
  s.mod[N].freq = c.Long(0);
  s.mod[N].depth = c.Long(4);
  s.mod[N].kind = c.Long(8);
}
void InitColour(GeneratorState& s, const BoardCommand& c) { s.blendRuns = c.Long(0); }
void InitColourNew(GeneratorState& s, const BoardCommand& c) { s.hueStart = c.Long(0); }
void SetColour(GeneratorState& s, const BoardCommand& c) {
  s.blend[0] = c.Long(0);
  s.blend[1] = c.Long(4);
}
void SetColourNew(GeneratorState& s, const BoardCommand& c) {
  s.hueTurns = c.Long(0);
  s.hueColour = c.Long(4);
}
void Swap(GeneratorState& s, const BoardCommand&) { std::swap(s.osc[0], s.osc[1]); }

// Commands 169 and 174: frame number, point count (at most the frame size),
// third value (kept); 169 colours with the blend, 174 with the turning hue.
BoardCommandHandler GenerateCommand(bool hueSource) {
  return [hueSource](BoardContext& board, const BoardCommand& command, BoardReply& reply) {
    if (!RequireOperands(command, 12, reply)) return;
    std::int32_t frame = command.Long(0);
    std::int32_t count = command.Long(4);
    if (frame < 0 || count < 1 || count > FrameStore(board).FrameSize()) {
      reply.error = kBoardAccessError;
      return;
    }
    GeneratorState state = LoadState(board);
    StoredFrame generated;
    generated.points = GeneratePoints(state, count, hueSource);
    if (!StoreAbstractFrame(board, frame, generated) || !StoreAbstractFrame(board, kBufferFrame, generated)) {
      reply.error = kBoardLowMemory;
      return;
    }
    state.lastFrame = frame;
    SaveState(board, state);
  };
}

// Command 104: the generator's points become the working frame; 105: the
// working frame's points become the generator's.
BoardCommandHandler Copy(bool toFrame) {
  return [toFrame](BoardContext& board, const BoardCommand&, BoardReply& reply) {
    std::int32_t working = FrameStore(board).WorkingFrame();
    std::int32_t from = toFrame ? kBufferFrame : working;
    std::int32_t to = toFrame ? working : kBufferFrame;
    auto points = LoadAbstractFrame(board, from);
    if (!points) {
      reply.result = -300;
      return;
    }
    if (!StoreAbstractFrame(board, to, *points)) reply.error = kBoardLowMemory;
  };
}

void Phase(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  std::int32_t n = command.Long(0);
  if (n < 1 || n > 3) {
    reply.error = kBoardAccessError;
    return;
  }
  GeneratorState state = LoadState(board);
  for (std::int32_t v : state.osc[n - 1].phase) reply.PutShort(static_cast<std::int16_t>(v));
}

void FreqSizeWave(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  std::int32_t n = command.Long(0);
  if (n < 1 || n > 3) {
    reply.error = kBoardAccessError;
    return;
  }
  const Oscillator& o = LoadState(board).osc[n - 1];
  for (std::int32_t v : o.freq) reply.PutLong(v);
  for (std::int32_t v : o.size) reply.PutShort(static_cast<std::int16_t>(v));
  reply.PutShort(static_cast<std::int16_t>(o.wave));
}

// Auxiliary ports 0 to 15: set bits, clear bits, read bits, write the word.
BoardCommandHandler Port(std::uint16_t code) {
  return [code](BoardContext& board, const BoardCommand& command, BoardReply& reply) {
    if (!RequireOperands(command, 8, reply)) return;
    std::int32_t port = command.Long(0);
    std::int32_t bits = command.Long(4);
    if (port < 0 || port >= kPorts) {
      reply.error = kBoardAccessError;
      return;
    }
    std::string name = "aux." + std::to_string(port);
    auto value = static_cast<std::uint32_t>(board.Value(name));
    switch (code) {
      case 146: value |= static_cast<std::uint32_t>(bits); break;
      case 147: value &= ~static_cast<std::uint32_t>(bits); break;
      case 148: reply.result = static_cast<std::int32_t>(value & static_cast<std::uint32_t>(bits)); return;
      default: value = static_cast<std::uint32_t>(bits); reply.result = bits; break;
    }
    board.SetValue(name, static_cast<std::int32_t>(value));
  };
}

}  // namespace

bool StoreAbstractFrame(BoardContext& board, std::int32_t frame, const StoredFrame& source) {
  if (frame == kBufferFrame) {
    std::ofstream out(AbstractFolder(board) / "buffer.pts", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&source.flags), sizeof source.flags);
    out.write(reinterpret_cast<const char*>(&source.value), sizeof source.value);
    out.write(reinterpret_cast<const char*>(source.points.data()),
              static_cast<std::streamsize>(source.points.size() * sizeof(StoredPoint)));
    return static_cast<bool>(out);
  }
  FrameStore store(board);
  if (!store.Fits(frame, source.points.size())) return false;
  StoredFrame stored = store.Read(frame, true);
  stored.exists = true;
  stored.flags = source.flags;
  stored.value = source.value;
  stored.points = source.points;
  store.Write(frame, stored);
  return true;
}

std::optional<StoredFrame> LoadAbstractFrame(BoardContext& board, std::int32_t frame) {
  if (frame != kBufferFrame) {
    StoredFrame stored = FrameStore(board).Read(frame);
    if (!stored.exists) return std::nullopt;
    return stored;
  }
  std::ifstream in(AbstractFolder(board) / "buffer.pts", std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  auto size = static_cast<std::size_t>(in.tellg());
  constexpr std::size_t kHead = sizeof(std::uint16_t) + sizeof(std::int16_t);
  if (size < kHead) return std::nullopt;
  StoredFrame buffer;
  buffer.exists = true;
  in.seekg(0);
  in.read(reinterpret_cast<char*>(&buffer.flags), sizeof buffer.flags);
  in.read(reinterpret_cast<char*>(&buffer.value), sizeof buffer.value);
  buffer.points.resize((size - kHead) / sizeof(StoredPoint));
  in.read(reinterpret_cast<char*>(buffer.points.data()),
          static_cast<std::streamsize>(buffer.points.size() * sizeof(StoredPoint)));
  if (!in) return std::nullopt;
  return buffer;
}

void ForgetAbstractState(BoardContext& board) {
  std::error_code ec;
  fs::remove_all(board.Folder() / "abstract", ec);
  for (std::int32_t port = 0; port < kPorts; ++port) board.SetValue("aux." + std::to_string(port), 0);
}

void RegisterAbstractCommands() {
  for (std::uint16_t code : {146, 147, 148, 65}) AddBuiltinCommand(code, Port(code), false);
  AddBuiltinCommand(159, Change(3, InitOsc<0>), false);
  AddBuiltinCommand(160, Change(3, InitOsc<1>), false);
  AddBuiltinCommand(170, Change(3, InitOsc<2>), false);
  AddBuiltinCommand(164, Change(7, SetOsc<0>), false);
  AddBuiltinCommand(165, Change(7, SetOsc<1>), false);
  AddBuiltinCommand(171, Change(7, SetOsc<2>), false);
  AddBuiltinCommand(161, Change(1, InitMod<0>), false);
  AddBuiltinCommand(162, Change(1, InitMod<1>), false);
  AddBuiltinCommand(166, Change(3, SetMod<0>), false);
  AddBuiltinCommand(167, Change(3, SetMod<1>), false);
  AddBuiltinCommand(163, Change(1, InitColour), false);
  AddBuiltinCommand(172, Change(1, InitColourNew), false);
  AddBuiltinCommand(168, Change(2, SetColour), false);
  AddBuiltinCommand(173, Change(2, SetColourNew), false);
  AddBuiltinCommand(175, Change(0, Swap), false);
  AddBuiltinCommand(169, GenerateCommand(false), false);
  AddBuiltinCommand(174, GenerateCommand(true), false);
  AddBuiltinCommand(104, Copy(true), false);
  AddBuiltinCommand(105, Copy(false), false);
  AddBuiltinCommand(176, Phase, false);
  AddBuiltinCommand(177, FreqSizeWave, false);
}

}  // namespace winplat::hw::detail
