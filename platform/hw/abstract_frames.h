#pragma once
// Where the abstract generator puts the frames it makes and takes a frame back
// from: the board's frames, and its own working points (frame kBufferFrame).
#include <cstdint>
#include <optional>
#include <vector>

#include "winplat/hw/boards.h"

namespace winplat::hw::detail {

struct AbstractPoint {
  std::int32_t x;
  std::int32_t y;
  std::int32_t z;
  std::int32_t colour;
};

constexpr std::int32_t kBufferFrame = -1;

// Stores the points of a frame number; false when the board's memory cannot hold them.
bool StoreAbstractFrame(BoardContext& board, std::int32_t frame, const std::vector<AbstractPoint>& points);
// The points of a frame number, or nothing when the frame was never stored.
std::optional<std::vector<AbstractPoint>> LoadAbstractFrame(BoardContext& board, std::int32_t frame);

}  // namespace winplat::hw::detail
