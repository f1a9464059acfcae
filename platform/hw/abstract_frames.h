#pragma once
// Where the abstract generator puts the frames it makes, and where it takes a
// frame back from: a small store of its own under the board's folder.
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

// Stores the points of a frame number; false when the file cannot be written.
bool StoreAbstractFrame(BoardContext& board, std::int32_t frame, const std::vector<AbstractPoint>& points);
// The points of a frame number, or nothing when the frame was never stored.
std::optional<std::vector<AbstractPoint>> LoadAbstractFrame(const BoardContext& board, std::int32_t frame);

}  // namespace winplat::hw::detail
