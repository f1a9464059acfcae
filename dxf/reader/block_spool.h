#pragma once
// The temporary block files of one read: a private folder under the control's
// temporary folder, one file per block definition, and what is known of each
// block's nesting. Everything is closed and deleted when the read ends. Where
// the host has a memory-backed file system the folder lives there, and the
// Windows folder holds a link to it of the folder's name.
#include <cstdint>
#include <filesystem>
#include <fstream>
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

class BlockSpool;

// The stream a block file is written through. Its bytes go out in large
// writes; when the memory file system holding the spool is full, the spool
// moves to the disk folder and the writing goes on there.
class BlockFileStream : public std::ofstream {
 public:
  BlockFileStream(std::shared_ptr<BlockSpool> spool, std::int32_t row);
  ~BlockFileStream() override;
  BlockFileStream(const BlockFileStream&) = delete;
  BlockFileStream& operator=(const BlockFileStream&) = delete;

 private:
  class Buffer : public std::streambuf {
   public:
    Buffer(std::shared_ptr<BlockSpool> spool, std::int32_t row);
    ~Buffer() override;
    bool Open();
    void Close();

   protected:
    int_type overflow(int_type c) override;
    int sync() override;

   private:
    bool WriteOut();
    std::shared_ptr<BlockSpool> spool_;  // kept while the file is open
    std::int32_t row_;
    int fd_ = -1;
    char data_[1 << 16];
  };
  Buffer buffer_;
};

class BlockSpool : public std::enable_shared_from_this<BlockSpool> {
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

  // Block row `row`'s file opened for appending (the spool must be held by a shared_ptr).
  std::unique_ptr<std::ofstream> OpenForAppend(std::int32_t row);
  // May `bytes` more go to the memory file system? Not when the spool is on
  // disk or the allowance would be passed.
  bool MayWriteInMemory(std::size_t bytes) const;
  void WroteInMemory(std::size_t bytes) { memoryBytes_ += bytes; }
  bool InMemory() const { return !memoryFolder_.empty(); }
  // Moves the private folder and every file in it to the disk folder (the
  // memory file system is full); false when the disk folder cannot be made.
  bool MoveToDisk();
  // Limits the bytes one spool puts on the memory file system (0: no limit
  // but the file system's own), to try a full one.
  static void SetMemoryAllowance(std::uint64_t bytes);

  std::vector<SpooledBlock> blocks;      // by block row - 1
  std::vector<SpooledDeferred> deferred; // by deferred row - 1
  std::int32_t deferredDone = 0;
  bool lastInsertPlaced = false;
  std::uint64_t recordsCopied = 0;  // records nested inserts wrote into block files
  std::int32_t writing = 0;         // the block row whose file was last opened for appending

 private:
  bool MakeFolder(const std::filesystem::path& base, const std::string& tempFolder);
  std::string folder_;  // Windows path of the private folder, with its separator
  std::filesystem::path hostFolder_;  // where its files are
  // On the memory file system: the folder there, and the link in the Windows
  // folder that stands for it (empty when the spool is on disk).
  std::filesystem::path memoryFolder_, link_;
  std::uint64_t memoryBytes_ = 0;
  std::vector<std::filesystem::path> files_;
};

// The spool of the running read (created on first use).
BlockSpool& Spool(DXF& dxf);
// True when the last INSERT read placed something.
bool LastInsertPlaced(DXF& dxf);

}  // namespace kelvane
