#pragma once
// The board software's display state, as the emulated boards keep it in the file
// "display.bin" of their own folder under the machine root.
//
// Every display parameter, the displayed frame (command 64) and the 65 x 65
// correction grid (command 121, a row at a time) are held PENDING and take effect
// together at the display update (command 34; also 70 and 191). The host program
// relies on this: it changes several parameters and then updates once, and it
// skips the update while the remote box is busy, so the projection must not
// change until the update comes. The frame CONTENTS are live: a frame rewritten
// while it is displayed shows its new points at once.
#include <array>
#include <cstdint>

#include "winplat/hw/boards.h"

namespace winplat::hw::detail {

constexpr int kGridNodes = 65;
constexpr int kGridRowValues = 2 * kGridNodes;
constexpr int kDmxChannels = 512;

// One parameter as its command gave it: the Long operands, at most seven.
struct DisplaySlot {
  std::int32_t count = 0;  // 0: never set (the default applies)
  std::array<std::int32_t, 7> v{};
};

struct DisplaySet {
  std::array<DisplaySlot, 256> slots{};  // by command code
  std::array<std::array<std::int16_t, kGridRowValues>, kGridNodes> grid{};
  std::int32_t gridActive = 0;  // the active flag of the last row loaded
};

struct DisplayState {
  std::uint32_t magic = 0;
  std::int32_t updates = 0;  // display updates since the last reset
  DisplaySet pending;
  DisplaySet shown;
  std::array<std::int32_t, kDmxChannels> dmx{};
};

// A neutral grid: every node at its nominal position (32768 clamped to 32767).
void NeutralGrid(DisplaySet& set);
DisplayState LoadDisplayState(const BoardContext& board);
// With `before` (the state as loaded) only the bytes that changed are written.
void SaveDisplayState(const BoardContext& board, const DisplayState& state, const DisplayState* before = nullptr);

void RegisterDisplayCommands();

}  // namespace winplat::hw::detail
