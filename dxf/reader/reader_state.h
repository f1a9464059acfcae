#pragma once
// What the DXF reader keeps on the control: the open file, the group table of
// the object being read, the header-extents flags, progress and yield counters,
// and the temporary block file being written.
#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../control/view_rect.h"
#include "block_copies.h"
#include "dxfpairs.h"

namespace kelvane {

class BlockSpool;

struct ReaderState {
  DxfPairReader DXFFileNum;          // the open input file
  std::int64_t DXFFileLength = 0;
  std::string CurrentLine;           // the last keyword value the scanner read
  DxfGroupTable GroupValueTable;     // the object being read

  bool ExtMinRead = false;
  bool ExtMaxRead = false;
  bool HeaderExtents = false;

  // True from the start of a read to its end; members that would see half-filled
  // tables refuse to run meanwhile.
  bool Reading = false;

  // Lines read since the last yield to the host's message loop, and the yields.
  std::uint64_t LinesAtLastYield = 0;
  // The data base's entity count when this read began: the read's own rows
  // are counted against its budget from here.
  std::int32_t EntityCountAtStart = 0;
  std::uint64_t YieldCount = 0;
  // Called for every yield in place of the host's message loop (tests).
  std::function<void()> Yield;

  double ProgressThreshold = 0.05;
  double ProgressStep = 0.05;
  std::uint32_t ProgressSteps = 0;  // thresholds passed
  std::uint32_t ProgressDraws = 0;  // progress boxes drawn in the last read

  // Temporary block files: the counter goes on from read to read; the file being
  // written while a BLOCK definition is read (none: its records are dropped).
  std::int32_t TmpFileCounter = 0;
  std::unique_ptr<std::ofstream> BlockFileNum;
  // The block files of the running read, their private folder and what is
  // known of each block (none outside a read).
  std::shared_ptr<BlockSpool> BlockFiles;
  // The copies of blocks into blocks made during the running read, and its
  // deferred DIMENSIONs.
  BlockCopies Copies;

  // The layer names looked up lately and their numbers (valid while the layer
  // collection is the same object with the same count).
  struct LayerCache {
    static constexpr std::size_t kNames = 16;
    struct Entry {
      std::string name;       // as asked for
      std::string layerName;  // the found layer's name then
      std::int16_t id = 0;
    };
    const void* collection = nullptr;
    std::int32_t count = -1;
    std::vector<Entry> entries;  // at most kNames, the oldest replaced first
    std::size_t next = 0;
  } LastLayer;
};

}  // namespace kelvane
