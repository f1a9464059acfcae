#pragma once
// A picture of what an emulated board projects: the displayed frame traced as
// the scanners draw it, after the display transform and the correction grid.
#include <cstdint>
#include <filesystem>
#include <string>

#include "winplat/picture.h"

namespace winplat::hw {

// The scanners' whole range (-32768..32767 on both axes, +Y up) drawn on a
// square of `size` pixels: blanked moves dark grey, lit moves in the colour of
// the point they end at, on black. Empty when the board is not installed or the
// size is out of range (8..4096).
Picture ProjectionPicture(int board = 0, int size = 512);
// A number that changes whenever what the picture is drawn from changes (the
// shown display state, the displayed frame's points): a cheap check for a new
// picture. The machine lock is held only while the board is read. 0 without the board.
std::uint64_t ProjectionSignature(int board = 0);
// The colour of blanked moves in the picture.
constexpr COLORREF kBlankedMoveColour = 0x404040;
// A pixel a lit move drew.
constexpr bool LitProjectionPixel(COLORREF c) { return c != 0 && c != kBlankedMoveColour; }
// The same, saved as PNG; false with a reason in *error.
bool SaveProjectionPng(const std::filesystem::path& path, int board = 0, int size = 512, std::string* error = nullptr);

}  // namespace winplat::hw
