// The private folder and the temporary block files of one read.
#include "block_spool.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <random>

#include "dxf_output.h"
#include "winplat/folders.h"

namespace kelvane {

namespace {

// Names of block-file folders: "KLV" and sixteen hexadecimal digits.
constexpr const char* kFolderPattern = "KLV????????????????";

std::atomic<std::int64_t> allowanceSet{-1};

// Bytes a read holds back for its move to disk (a folder to make and list).
constexpr std::size_t kMoveReserve = 256 << 10;

// The allowance without FIELDRAY_BLOCK_MEMORY: a quarter of the machine's
// memory, or of what the process's limits leave it when that is less.
std::uint64_t DefaultAllowance() {
  const std::uint64_t machine = winplat::MachineMemoryBytes();
  const std::uint64_t room = winplat::ProcessMemoryRoomBytes();
  const std::uint64_t bytes = machine > 0 ? machine / 4 : std::uint64_t{256} << 20;
  return room == UINT64_MAX ? bytes : std::min(bytes, room / 4);
}

// Says once that FIELDRAY_BLOCK_MEMORY is no count of bytes, for as long as
// it keeps that value; a good or no value lets the next bad one be said.
void NameBadAllowance(const char* text, std::uint64_t used) {
  static std::mutex mutex;
  static std::string named;
  std::lock_guard lock(mutex);
  if (!text) {
    named.clear();
    return;
  }
  if (named == text) return;
  named = text;
  std::fprintf(stderr, "FIELDRAY_BLOCK_MEMORY=%s is not a number of bytes; using %llu\n", text,
               static_cast<unsigned long long>(used));
}

// A name for a private folder nobody can guess.
std::string RandomFolderName(std::random_device& random) {
  const std::uint64_t bits = (static_cast<std::uint64_t>(random()) << 32) ^ random();
  char name[32];
  std::snprintf(name, sizeof name, "KLV%016llX", static_cast<unsigned long long>(bits));
  return name;
}

// The allowance a text gives: a count of bytes, digits only.
bool ParseBytes(const char* text, std::uint64_t& bytes) {
  if (!text || !*text) return false;
  std::uint64_t value = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9' || value > (UINT64_MAX - 9) / 10) return false;
    value = value * 10 + static_cast<std::uint64_t>(*c - '0');
  }
  bytes = value;
  return true;
}

}  // namespace

std::uint64_t BlockSpool::MemoryAllowance() {
  const std::int64_t set = allowanceSet.load();
  if (set >= 0) return static_cast<std::uint64_t>(set);
  std::uint64_t bytes = 0;
  const char* text = std::getenv("FIELDRAY_BLOCK_MEMORY");
  if (ParseBytes(text, bytes)) {
    NameBadAllowance(nullptr, 0);
    return bytes;
  }
  bytes = DefaultAllowance();
  NameBadAllowance(text && *text ? text : nullptr, bytes);
  return bytes;
}

void BlockSpool::SetMemoryAllowance(std::int64_t bytes) { allowanceSet = bytes < 0 ? -1 : bytes; }

std::string BlockSpool::CreateFile(const std::string& tempFolder, std::int32_t counter) {
  ThrowIfNotStored();
  if (folder_.empty()) {
    if (!winplat::FolderExists(tempFolder)) throw winplat::FileError(76, "Path not found");
    allowance_ = MemoryAllowance();
    // A folder of this read's own, so that two controls or two processes never
    // meet in it. In memory its name is only kept free on disk, where the
    // files go should the allowance be passed; with no allowance the folder
    // is made and held at once.
    std::random_device random;
    for (int attempt = 0; attempt < 20 && folder_.empty(); ++attempt) {
      const std::string folder = tempFolder + RandomFolderName(random);
      if (allowance_ == 0) {
        if (!held_.Create(folder)) continue;
        onDisk_ = true;
      } else if (winplat::FolderExists(folder) || winplat::Exist(folder)) {
        continue;
      }
      folder_ = folder + "\\";
    }
    if (folder_.empty()) throw winplat::FileError(75, "Path/File access error");
    // Memory kept back while the files are in memory: should memory run out,
    // it is given back so that the move to disk has what it needs.
    if (!onDisk_) reserve_.reset(new (std::nothrow) char[kMoveReserve]);
  }
  const std::string file = folder_ + std::to_string(counter) + ".TMP";
  bool created = false;
  if (!onDisk_) {
    try {
      if (!winplat::MemoryFiles::Create(file)) throw winplat::FileError(75, "Path/File access error");
      created = true;
    } catch (const std::bad_alloc&) {
      // No memory for it: this read's files go to disk, as past the allowance.
      if (!MoveToDisk(file)) ThrowIfNotStored();
    }
  }
  // Created exclusively, by its name in the read's own folder: an existing
  // file or link of that name is an error.
  if (!created && !held_.CreatePrivateFile(NameInFolder(file)).IsOpen())
    throw winplat::FileError(75, "Path/File access error");
  try {
    files_.push_back(file);
  } catch (...) {
    if (created) winplat::MemoryFiles::Delete(file);
    throw;
  }
  return file;
}

bool BlockSpool::Fail(const std::string& file, std::uint32_t error) noexcept {
  if (failed_) return false;
  failed_ = true;
  failedError_ = error;
  try {
    failedFile_ = file;
  } catch (const std::bad_alloc&) {
    failedForMemory_ = true;  // not even the name could be kept
  }
  return false;
}

bool BlockSpool::FailForMemory() noexcept {
  if (!failed_) failed_ = failedForMemory_ = true;
  return false;
}

void BlockSpool::ThrowIfNotStored() const {
  if (!failed_) return;
  if (failedForMemory_) throw std::bad_alloc();
  throw OutputFileError(failedError_, failedFile_);
}

bool BlockSpool::MoveToDisk(const std::string& appending) {
  reserve_.reset();
  const std::string folder = folder_.substr(0, folder_.size() - 1);
  // Another process's sweep may take the new folder before this read holds
  // it; the name is then free again a moment later.
  bool held = false;
  for (int attempt = 0; attempt < 20 && !held; ++attempt) held = held_.Create(folder);
  if (!held) return Fail(appending, winplat::ERROR_ACCESS_DENIED);
  // Each file's bytes leave memory as they go, so the move needs no more memory than one file had.
  std::string bytes;
  for (const std::string& file : files_) {
    bytes.clear();
    winplat::MemoryFiles::Take(file, bytes);
    winplat::File out = held_.CreatePrivateFile(NameInFolder(file));
    if (!out.IsOpen() ||
        (!bytes.empty() && out.Write(bytes.data(), bytes.size()) != static_cast<std::int64_t>(bytes.size())))
      return Fail(file, out.Error() ? out.Error() : winplat::ERROR_ACCESS_DENIED);
  }
  onDisk_ = true;
  memoryBytes_ = 0;
  return true;
}

bool BlockSpool::AppendOnDisk(std::int32_t row, const char* bytes, std::size_t count) {
  const std::string& file = blocks.at(static_cast<std::size_t>(row - 1)).file;
  if (appendRow_ != row || !appendFile_.IsOpen()) {
    appendFile_ = held_.OpenForAppending(NameInFolder(file));
    appendRow_ = row;
    if (!appendFile_.IsOpen()) return Fail(file, appendFile_.Error());
  }
  if (appendFile_.Write(bytes, count) != static_cast<std::int64_t>(count)) {
    const std::uint32_t error = appendFile_.Error();
    appendFile_.Close();
    return Fail(file, error);
  }
  return true;
}

bool BlockSpool::Append(std::int32_t row, const char* bytes, std::size_t count) noexcept {
  if (failed_) return false;
  try {
    const std::string& file = blocks.at(static_cast<std::size_t>(row - 1)).file;
    if (!onDisk_) {
      if (memoryBytes_ + count <= allowance_) {
        try {
          if (!winplat::MemoryFiles::Append(file, bytes, count)) return Fail(file, winplat::ERROR_FILE_NOT_FOUND);
          memoryBytes_ += count;
          return true;
        } catch (const std::bad_alloc&) {
          // No memory for them: to disk, as past the allowance.
        }
      }
      // This read's files, and the rest of it, go on disk.
      if (!MoveToDisk(file)) return false;
    }
    return AppendOnDisk(row, bytes, count);
  } catch (const std::bad_alloc&) {
    return FailForMemory();
  } catch (const std::exception&) {
    return Fail({}, winplat::ERROR_ACCESS_DENIED);
  }
}

std::string BlockSpool::Read(std::int32_t row) {
  ThrowIfNotStored();
  const std::string& file = blocks.at(static_cast<std::size_t>(row - 1)).file;
  std::string text;
  if (!onDisk_) {
    try {
      if (!winplat::MemoryFiles::Read(file, text)) throw winplat::FileError(53, "File not found");
      return text;
    } catch (const std::bad_alloc&) {
      // No memory for a copy: the files go to disk, which frees theirs.
      if (!MoveToDisk(file)) ThrowIfNotStored();
    }
  }
  winplat::File in = held_.OpenForReading(NameInFolder(file));
  if (!in.IsOpen()) throw winplat::FileError(53, "File not found");
  const std::int64_t size = in.Size();
  text.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
  const std::int64_t n = text.empty() ? 0 : in.Read(text.data(), text.size());
  if (n < 0) throw OutputFileError(in.Error(), file);
  text.resize(static_cast<std::size_t>(n));
  return text;
}

std::unique_ptr<std::ofstream> BlockSpool::OpenForAppend(std::int32_t row) {
  ThrowIfNotStored();
  try {
    return std::make_unique<BlockFileStream>(shared_from_this(), row);
  } catch (const std::bad_alloc&) {
    // No memory for the stream's buffer: the files in memory go to disk,
    // which frees theirs, and the stream is tried once more.
    if (onDisk_) throw;
    if (!MoveToDisk(blocks.at(static_cast<std::size_t>(row - 1)).file)) ThrowIfNotStored();
  }
  return std::make_unique<BlockFileStream>(shared_from_this(), row);
}

void BlockSpool::Clear() noexcept {
  appendFile_.Close();
  appendRow_ = 0;
  // Taking a file out needs a little memory for its key: should even that be
  // short, the file goes with the process.
  for (const std::string& file : files_) {
    try {
      winplat::MemoryFiles::Delete(file);
    } catch (const std::bad_alloc&) {
    }
  }
  files_.clear();
  held_.Remove();
  reserve_.reset();
  onDisk_ = false;
  allowance_ = 0;
  memoryBytes_ = 0;
  folder_.clear();
  failed_ = failedForMemory_ = false;
  failedFile_.clear();
  failedError_ = 0;
  blocks.clear();
  deferred.clear();
  deferredDone = 0;
  lastInsertPlaced = false;
  recordsCopied = 0;
}

BlockFileStream::Buffer::Buffer(std::shared_ptr<BlockSpool> spool, std::int32_t row)
    : spool_(std::move(spool)), row_(row) {
  setp(data_, data_ + sizeof data_);
}

BlockFileStream::Buffer::~Buffer() { Close(); }

void BlockFileStream::Buffer::Close() noexcept {
  // A piece that cannot be stored is kept by the spool as the read's failure.
  if (spool_) WriteOut();
  spool_.reset();
}

bool BlockFileStream::Buffer::WriteOut() noexcept {
  if (!spool_) return false;
  const auto size = static_cast<std::size_t>(pptr() - pbase());
  const bool stored = size == 0 || spool_->Append(row_, pbase(), size);
  setp(data_, data_ + sizeof data_);
  return stored;
}

BlockFileStream::Buffer::int_type BlockFileStream::Buffer::overflow(int_type c) {
  if (!WriteOut()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int BlockFileStream::Buffer::sync() { return WriteOut() ? 0 : -1; }

BlockFileStream::BlockFileStream(std::shared_ptr<BlockSpool> spool, std::int32_t row) : buffer_(std::move(spool), row) {
  std::ios::rdbuf(&buffer_);
}

BlockFileStream::~BlockFileStream() { buffer_.Close(); }

BlockSpool& Spool(DXF& dxf) {
  std::shared_ptr<BlockSpool>& spool = dxf.reader.BlockFiles;
  if (!spool) spool = std::make_shared<BlockSpool>();
  return *spool;
}

bool LastInsertPlaced(DXF& dxf) { return dxf.reader.BlockFiles && dxf.reader.BlockFiles->lastInsertPlaced; }

void RemoveBlockLeftovers(const std::string& tempFolder) {
  std::vector<std::string> folders = {winplat::TempFolder(), "C:\\"};
  if (!tempFolder.empty()) {
    std::string own = tempFolder;
    if (own.back() == '\\' && own.size() > 3) own.pop_back();
    bool known = false;
    for (const std::string& f : folders) known = known || winplat::SameFile(f, own) || f == own;
    if (!known) folders.push_back(own);
  }
  for (const std::string& folder : folders) winplat::RemoveUnheldFolders(folder, kFolderPattern);
}

}  // namespace kelvane
