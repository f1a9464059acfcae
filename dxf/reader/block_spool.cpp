// The private folder and the temporary block files of one read.
#include "block_spool.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "dxf_output.h"
#include "winplat/folders.h"

namespace kelvane {

namespace {

// Names of block-file folders: "KLV" and sixteen hexadecimal digits.
constexpr const char* kFolderPattern = "KLV????????????????";

std::atomic<std::int64_t> allowanceSet{-1};

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
  if (ParseBytes(std::getenv("FIELDRAY_BLOCK_MEMORY"), bytes)) return bytes;
  const std::uint64_t machine = winplat::MachineMemoryBytes();
  return machine > 0 ? machine / 4 : std::uint64_t{256} << 20;
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
  }
  const std::string file = folder_ + std::to_string(counter) + ".TMP";
  if (onDisk_) {
    // Created exclusively: an existing file or link of that name is an error.
    if (!winplat::File::CreatePrivate(file).IsOpen()) throw winplat::FileError(75, "Path/File access error");
  } else if (!winplat::MemoryFiles::Create(file)) {
    throw winplat::FileError(75, "Path/File access error");
  }
  files_.push_back(file);
  return file;
}

bool BlockSpool::Fail(const std::string& file, std::uint32_t error) {
  if (failedFile_.empty()) {
    failedFile_ = file;
    failedError_ = error;
  }
  return false;
}

void BlockSpool::ThrowIfNotStored() const {
  if (!failedFile_.empty()) throw OutputFileError(failedError_, failedFile_);
}

bool BlockSpool::MoveToDisk(const std::string& appending) {
  const std::string folder = folder_.substr(0, folder_.size() - 1);
  // Another process's sweep may take the new folder before this read holds
  // it; the name is then free again a moment later.
  bool held = false;
  for (int attempt = 0; attempt < 20 && !held; ++attempt) held = held_.Create(folder);
  if (!held) return Fail(appending, winplat::ERROR_ACCESS_DENIED);
  std::string bytes;
  for (const std::string& file : files_) {
    bytes.clear();
    winplat::MemoryFiles::Read(file, bytes);
    winplat::File out = winplat::File::CreatePrivate(file);
    if (!out.IsOpen() ||
        (!bytes.empty() && out.Write(bytes.data(), bytes.size()) != static_cast<std::int64_t>(bytes.size())))
      return Fail(file, out.Error() ? out.Error() : winplat::ERROR_ACCESS_DENIED);
    winplat::MemoryFiles::Delete(file);
  }
  onDisk_ = true;
  memoryBytes_ = 0;
  return true;
}

bool BlockSpool::AppendOnDisk(std::int32_t row, const char* bytes, std::size_t count) {
  const std::string& file = blocks.at(static_cast<std::size_t>(row - 1)).file;
  if (appendRow_ != row || !appendFile_.IsOpen()) {
    appendFile_ = winplat::File::OpenForAppending(file);
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

bool BlockSpool::Append(std::int32_t row, const char* bytes, std::size_t count) {
  if (!failedFile_.empty()) return false;
  const std::string& file = blocks.at(static_cast<std::size_t>(row - 1)).file;
  if (!onDisk_) {
    if (memoryBytes_ + count <= allowance_) {
      if (!winplat::MemoryFiles::Append(file, bytes, count)) return Fail(file, winplat::ERROR_FILE_NOT_FOUND);
      memoryBytes_ += count;
      return true;
    }
    // The allowance is passed: this read's files, and the rest of it, go on disk.
    if (!MoveToDisk(file)) return false;
  }
  return AppendOnDisk(row, bytes, count);
}

std::string BlockSpool::Read(std::int32_t row) {
  ThrowIfNotStored();
  const std::string& file = blocks.at(static_cast<std::size_t>(row - 1)).file;
  std::string text;
  if (!onDisk_) {
    if (!winplat::MemoryFiles::Read(file, text)) throw winplat::FileError(53, "File not found");
    return text;
  }
  winplat::File in = winplat::File::OpenForReading(file);
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
  return std::make_unique<BlockFileStream>(shared_from_this(), row);
}

void BlockSpool::Clear() {
  appendFile_.Close();
  appendRow_ = 0;
  for (const std::string& file : files_) winplat::MemoryFiles::Delete(file);
  files_.clear();
  held_.Remove();
  onDisk_ = false;
  allowance_ = 0;
  memoryBytes_ = 0;
  folder_.clear();
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

void BlockFileStream::Buffer::Close() {
  if (spool_) WriteOut();
  spool_.reset();
}

bool BlockFileStream::Buffer::WriteOut() {
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
