#pragma once
// The temporary block files of one read: a private folder under the control's
// temporary folder, one file per block definition, and what is known of each
// block's nesting. Everything is closed and deleted when the read ends.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../control/dxf_control.h"
#include "block_records.h"

namespace kelvane {

struct SpooledBlock {
  std::string name;                // full length
  std::string file;                // Windows path
  std::filesystem::path hostFile;  // where it lives
  std::int32_t depth = 0;          // levels of inserts copied into it
  std::set<std::int32_t> contains; // blocks copied into it, at any depth
  // Its records as last read, while the file has not been written since.
  std::shared_ptr<const std::vector<SpooledRecord>> records;
};

struct SpooledDeferred {
  std::int32_t host = 0;  // the block row whose file receives the records
  std::string blockName;  // full length
};

class BlockSpool {
 public:
  BlockSpool() = default;
  BlockSpool(const BlockSpool&) = delete;
  BlockSpool& operator=(const BlockSpool&) = delete;
  ~BlockSpool() { Clear(); }

  // The block file for a new block definition: created exclusively (never
  // through a link) and readable by the owner only, in this read's private
  // folder, which is created on first use under `tempFolder`. PathError or
  // winplat::FileError(76) when the folder is missing; FileError(75) when the
  // file cannot be created.
  std::string CreateFile(const std::string& tempFolder, std::int32_t counter, std::filesystem::path& host);
  // Closes nothing (the reader owns the open stream); deletes every file
  // created and the private folder.
  void Clear();

  std::vector<SpooledBlock> blocks;      // by block row - 1
  std::vector<SpooledDeferred> deferred; // by deferred row - 1
  std::int32_t deferredDone = 0;
  bool lastInsertPlaced = false;
  std::uint64_t recordsCopied = 0;  // records nested inserts wrote into block files
  std::int32_t writing = 0;         // the block row whose file was last opened for appending

 private:
  std::string folder_;  // Windows path of the private folder, with its separator
  std::filesystem::path hostFolder_;
  std::vector<std::filesystem::path> files_;
};

// The spool of the running read (created on first use).
BlockSpool& Spool(DXF& dxf);
// True when the last INSERT read placed something.
bool LastInsertPlaced(DXF& dxf);

}  // namespace kelvane
