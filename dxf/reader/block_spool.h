#pragma once
// The temporary block files of one read: one file per block definition, named
// in a private folder under the control's temporary folder, and what is known
// of each block's nesting. The files live in the reading process's memory up
// to an allowance per read; past it, or when memory runs short, the folder is
// made on disk, held while the read runs, and the files go there. Everything
// is deleted when the read ends.
#include <cstdint>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../control/dxf_control.h"
#include "block_records.h"
#include "winplat/files.h"

namespace kelvane {

struct SpooledBlock {
  std::string name;                // full length
  std::string file;                // Windows path
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

// The stream a block file is written through: its bytes go to the spool in
// large pieces. A piece the spool cannot store sets the stream bad.
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
    void Close() noexcept;

   protected:
    int_type overflow(int_type c) override;
    int sync() override;

   private:
    bool WriteOut() noexcept;
    std::shared_ptr<BlockSpool> spool_;  // kept while the file is open
    std::int32_t row_;
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

  // The block file for a new block definition, created empty in this read's
  // private folder under `tempFolder` (named on first use). FileError(76)
  // when the temporary folder is missing; FileError(75) when the file cannot
  // be made.
  std::string CreateFile(const std::string& tempFolder, std::int32_t counter);
  // Closes nothing (the reader owns the open stream); deletes every file
  // created and the private folder. Never throws.
  void Clear() noexcept;

  // Block row `row`'s file opened for appending (the spool must be held by a shared_ptr).
  std::unique_ptr<std::ofstream> OpenForAppend(std::int32_t row);
  // Adds bytes to block row `row`'s file; false when they could not be
  // stored (the allowance passed or memory short, and the disk failing): the
  // read has failed. Never throws: the failure is kept for ThrowIfNotStored.
  bool Append(std::int32_t row, const char* bytes, std::size_t count) noexcept;
  // The whole of block row `row`'s file as written so far.
  std::string Read(std::int32_t row);
  // The reader's file error, naming the block file, when a block record
  // could not be stored (std::bad_alloc when memory ran short); nothing otherwise.
  void ThrowIfNotStored() const;

  bool InMemory() const { return !onDisk_; }
  // Bytes a read may keep in memory: FIELDRAY_BLOCK_MEMORY when set (0 sends
  // everything to disk), else a quarter of the machine's memory or of what
  // the process's limits leave it, whichever is less; or what
  // SetMemoryAllowance set (a negative value goes back to those). A value of
  // FIELDRAY_BLOCK_MEMORY that is no count of bytes is named on standard
  // error, once while it stays.
  static std::uint64_t MemoryAllowance();
  static void SetMemoryAllowance(std::int64_t bytes);

  std::vector<SpooledBlock> blocks;      // by block row - 1
  std::vector<SpooledDeferred> deferred; // by deferred row - 1
  std::int32_t deferredDone = 0;
  bool lastInsertPlaced = false;
  std::uint64_t recordsCopied = 0;  // records nested inserts wrote into block files
  std::int32_t writing = 0;         // the block row whose file was last opened for appending

 private:
  // Moves this read's files to the disk folder; false, the failure recorded
  // (naming `appending` when the folder cannot be held), when it cannot.
  bool MoveToDisk(const std::string& appending);
  bool AppendOnDisk(std::int32_t row, const char* bytes, std::size_t count);
  // A block file's name in the folder ("12.TMP").
  std::string NameInFolder(const std::string& file) const { return file.substr(folder_.size()); }
  bool Fail(const std::string& file, std::uint32_t error) noexcept;
  bool FailForMemory() noexcept;

  std::string folder_;  // Windows path of the private folder, with its separator
  bool onDisk_ = false;
  winplat::HeldFolder held_;  // the folder on disk, once made
  std::unique_ptr<char[]> reserve_;  // given back when the files must move to disk
  std::uint64_t allowance_ = 0;
  std::uint64_t memoryBytes_ = 0;
  std::vector<std::string> files_;  // every block file created
  // The disk file last appended to, kept open for the next piece.
  std::int32_t appendRow_ = 0;
  winplat::File appendFile_;
  bool failed_ = false;
  bool failedForMemory_ = false;
  std::string failedFile_;  // the block file a record could not be stored in
  std::uint32_t failedError_ = 0;
};

// The spool of the running read (created on first use).
BlockSpool& Spool(DXF& dxf);
// True when the last INSERT read placed something.
bool LastInsertPlaced(DXF& dxf);
// Removes the block-file folders that reads which died left in the machine's
// temporary folder, in the root of C and in `tempFolder`, and what earlier
// builds left there.
void RemoveBlockLeftovers(const std::string& tempFolder);

}  // namespace kelvane
