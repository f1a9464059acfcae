// The board software's display commands: parameters held pending until the
// display update, the correction grid rows, the DMX channels.
#include <algorithm>
#include <cstring>
#include <vector>

#include "board_files.h"
#include "board_machine.h"
#include "display_state.h"

namespace winplat::hw::detail {
namespace {

constexpr std::uint32_t kDisplayMagic = 0x56584450;  // "VXDP"

std::filesystem::path DisplayPath(const BoardContext& board) { return board.Folder() / "display.bin"; }

DisplayState Fresh() {
  DisplayState state;
  state.magic = kDisplayMagic;
  NeutralGrid(state.pending);
  NeutralGrid(state.shown);
  return state;
}

// Operand bytes of each parameter command (Long operands only).
constexpr std::pair<std::uint16_t, int> kParameters[] = {
    {39, 20}, {154, 8},  {193, 12}, {123, 12}, {124, 12}, {122, 4},  {103, 4},  {205, 4},  {179, 8},
    {57, 12}, {58, 12},  {60, 12},  {66, 12},  {61, 16},  {62, 24},  {151, 8},  {152, 8},  {153, 8},
    {95, 12}, {180, 20}, {195, 4},  {199, 12}, {44, 8},   {59, 28},  {117, 12}, {56, 4},   {202, 4},
    {194, 4}, {102, 8},  {204, 12}, {63, 8},   {192, 4},  {64, 4},   {67, 12},  {127, 4},  {178, 8},
    {206, 24}, {40, 4},  {107, 4},  {106, 4},  {98, 24},  {99, 12},  {97, 4}};

void Update(DisplayState& state) {
  state.shown = state.pending;
  ++state.updates;
}

// Loads the display state, lets `change` alter it and writes back only the
// bytes that changed.
template <class Change>
void ChangeDisplayState(const BoardContext& board, Change change) {
  const DisplayState before = LoadDisplayState(board);
  DisplayState state = before;
  change(state);
  SaveDisplayState(board, state, &before);
}

void Parameter(BoardContext& board, const BoardCommand& command, BoardReply& reply, int bytes) {
  if (!RequireOperands(command, static_cast<std::size_t>(bytes), reply)) return;
  ChangeDisplayState(board, [&](DisplayState& state) {
    DisplaySlot& slot = state.pending.slots[command.code];
    slot.count = bytes / 4;
    for (int i = 0; i < slot.count; ++i) slot.v[static_cast<std::size_t>(i)] = command.Long(4 * static_cast<std::size_t>(i));
  });
}

// Command 121: one row of the correction grid; a row outside 0..64 is refused.
void GridRow(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 8 + 2 * kGridRowValues, reply)) return;
  std::int32_t row = command.Long(4);
  if (row < 0 || row >= kGridNodes) {
    reply.error = kBoardAccessError;
    return;
  }
  ChangeDisplayState(board, [&](DisplayState& state) {
    state.pending.gridActive = command.Long(0);
    auto& values = state.pending.grid[static_cast<std::size_t>(row)];
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = command.Short(8 + 2 * i);
  });
}

// Command 34 (and 70): everything pending takes effect together.
void DisplayUpdateCommand(BoardContext& board, const BoardCommand&, BoardReply&) {
  ChangeDisplayState(board, Update);
}

// Command 191: display a frame and update.
void UpdateToFrame(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  ChangeDisplayState(board, [&](DisplayState& state) {
    state.pending.slots[64].count = 1;
    state.pending.slots[64].v[0] = command.Long(0);
    Update(state);
  });
}

// Command 120: 1 while something is pending that an update would show, else 0.
void UpdateTest(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  DisplayState state = LoadDisplayState(board);
  bool same = state.pending.gridActive == state.shown.gridActive && state.pending.grid == state.shown.grid;
  for (std::size_t c = 0; same && c < state.pending.slots.size(); ++c) {
    same = state.pending.slots[c].count == state.shown.slots[c].count &&
           state.pending.slots[c].v == state.shown.slots[c].v;
  }
  reply.result = same ? 0 : 1;
}

// Command 196: every parameter back to its default, the grid neutral, nothing displayed.
void Reset(BoardContext& board, const BoardCommand&, BoardReply&) {
  DisplayState state = LoadDisplayState(board);
  std::int32_t updates = state.updates;
  auto dmx = state.dmx;
  state = Fresh();
  state.updates = updates;
  state.dmx = dmx;
  SaveDisplayState(board, state);
}

// Commands 207 and 208: a DMX channel read and written; an input reads the
// value last output on its channel (the boards' DMX port loops back).
bool Channel(const BoardCommand& command, BoardReply& reply, std::size_t& channel) {
  std::int32_t c = command.Long(0);
  if (c < 0 || c >= kDmxChannels) {
    reply.error = kBoardAccessError;
    return false;
  }
  channel = static_cast<std::size_t>(c);
  return true;
}

void DmxInput(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  std::size_t channel = 0;
  if (!RequireOperands(command, 4, reply) || !Channel(command, reply, channel)) return;
  reply.result = LoadDisplayState(board).dmx[channel];
}

void DmxOutput(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  std::size_t channel = 0;
  if (!RequireOperands(command, 8, reply) || !Channel(command, reply, channel)) return;
  ChangeDisplayState(board, [&](DisplayState& state) { state.dmx[channel] = command.Long(4); });
}

}  // namespace

void NeutralGrid(DisplaySet& set) {
  for (int j = 0; j < kGridNodes; ++j) {
    for (int i = 0; i < kGridNodes; ++i) {
      auto& row = set.grid[static_cast<std::size_t>(j)];
      row[static_cast<std::size_t>(2 * i)] = static_cast<std::int16_t>(std::min(1024 * i - 32768, 32767));
      row[static_cast<std::size_t>(2 * i + 1)] = static_cast<std::int16_t>(std::min(1024 * j - 32768, 32767));
    }
  }
  set.gridActive = 0;
}

DisplayState LoadDisplayState(const BoardContext& board) {
  DisplayState state;
  if (ReadFileAt(DisplayPath(board), 0, &state, sizeof state) == sizeof state && state.magic == kDisplayMagic) {
    return state;
  }
  return Fresh();
}

void SaveDisplayState(const BoardContext& board, const DisplayState& state, const DisplayState* before) {
  const auto* bytes = reinterpret_cast<const char*>(&state);
  if (before && before->magic == kDisplayMagic) {
    // A command changes a parameter or a grid row: only those bytes are
    // written, in one write, into the file as it was read.
    const auto* old = reinterpret_cast<const char*>(before);
    std::vector<FilePatch> patches;
    constexpr std::size_t kBlock = 64;  // compared and written in blocks; neighbours join
    for (std::size_t at = 0; at < sizeof state && patches.size() <= 16; at += kBlock) {
      std::size_t n = std::min(kBlock, sizeof state - at);
      if (std::memcmp(bytes + at, old + at, n) == 0) continue;
      if (!patches.empty() && patches.back().offset + patches.back().size == at) {
        patches.back().size += n;
      } else {
        patches.push_back(FilePatch{at, n, bytes + at});
      }
    }
    if (patches.empty()) return;
    if (patches.size() <= 16) {
      if (PatchFile(DisplayPath(board), sizeof state, &kDisplayMagic, sizeof kDisplayMagic, patches)) return;
    }
  }
  ReplaceFile(DisplayPath(board), std::vector<char>(bytes, bytes + sizeof state));
}

void RegisterDisplayCommands() {
  for (auto [code, bytes] : kParameters) {
    int n = bytes;
    AddBuiltinCommand(code, [n](BoardContext& b, const BoardCommand& c, BoardReply& r) { Parameter(b, c, r, n); },
                      false);
  }
  AddBuiltinCommand(121, GridRow, false);
  AddBuiltinCommand(34, DisplayUpdateCommand, false);
  AddBuiltinCommand(70, DisplayUpdateCommand, false);
  AddBuiltinCommand(191, UpdateToFrame, false);
  AddBuiltinCommand(120, UpdateTest, false);
  AddBuiltinCommand(196, Reset, false);
  AddBuiltinCommand(207, DmxInput, false);
  AddBuiltinCommand(208, DmxOutput, false);
}

}  // namespace winplat::hw::detail
