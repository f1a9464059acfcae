#pragma once
// What the replay of blocks needs beyond their files: how a replay places a
// block's records, which deferred rows are DIMENSIONs, and every copy of one
// block into another block's file, so that records a block gains after it was
// copied (a deferred row resolved) reach every block that had copied it.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace kelvane {

struct BlockPlacement {
  float X = 0, Y = 0;           // insertion point
  float Rotation = 0;           // degrees
  float XScale = 1, YScale = 1;
  bool scaled = true;           // INSERT: scale and rotate; DIMENSION: move only
  std::int16_t layer = 0;       // INSERT: for records on layer 1; DIMENSION: for all
  bool dimension = false;
  std::int32_t color = 0;       // INSERT colour for lines and segments (0: the record's)
  std::int32_t insertRow = 0;   // the insert box to widen (0: none); the rows' InsertID
};

struct BlockCopy {
  std::int32_t host = 0;   // the block row whose file took the records
  std::int32_t block = 0;  // the block row copied
  std::size_t copied = 0;  // records of `block` copied so far
  BlockPlacement placement;
};

struct BlockCopies {
  std::set<std::int32_t> deferredDimensions;  // deferred rows that are DIMENSIONs
  std::vector<BlockCopy> copies;              // in the order they were made
  std::map<std::int32_t, std::vector<std::size_t>> copiesOf;  // by block row copied: indexes into copies
};

}  // namespace kelvane
