// The private folder and the temporary block files of one read.
#include "block_spool.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "winplat/files.h"
#include "winplat/folders.h"
#include "winplat/paths.h"

namespace kelvane {

namespace fs = std::filesystem;

namespace {

std::atomic<std::uint64_t> memoryAllowance{0};

// A name for a private folder nobody can guess.
std::string RandomFolderName(std::random_device& random) {
  const std::uint64_t bits = (static_cast<std::uint64_t>(random()) << 32) ^ random();
  char name[32];
  std::snprintf(name, sizeof name, "KLV%016llX", static_cast<unsigned long long>(bits));
  return name;
}

// A new folder only the owner may use; false when the name is taken or the
// folder is not what it should be.
bool MakePrivateFolder(const fs::path& folder) {
  std::error_code ec;
  if (!fs::create_directory(folder, ec) || ec) return false;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
  if (ec || fs::symlink_status(folder, ec).type() != fs::file_type::directory) {
    fs::remove(folder, ec);
    return false;
  }
  return true;
}

bool NoRoom(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

}  // namespace

void BlockSpool::SetMemoryAllowance(std::uint64_t bytes) { memoryAllowance = bytes; }

bool BlockSpool::MayWriteInMemory(std::size_t bytes) const {
  const std::uint64_t allowance = memoryAllowance.load();
  return InMemory() && (allowance == 0 || memoryBytes_ + bytes <= allowance);
}

bool BlockSpool::MakeFolder(const fs::path& base, const std::string& tempFolder) {
  std::random_device random;
  fs::path memory = winplat::MemoryTempFolder();
  for (int attempt = 0; attempt < 20; ++attempt) {
    const std::string name = RandomFolderName(random);
    const fs::path here = base / name;
    // After ten failures in memory (another read may have just removed the
    // machine's memory folder) the disk folder is taken.
    if (attempt == 10) memory.clear();
    if (!memory.empty()) {
      // The files in memory; the Windows folder names them through a link.
      const fs::path inMemory = memory / name;
      if (!MakePrivateFolder(inMemory)) {
        memory = winplat::MemoryTempFolder();
        continue;
      }
      std::error_code ec;
      fs::create_directory_symlink(inMemory, here, ec);
      if (ec) {
        fs::remove(inMemory, ec);
        continue;
      }
      memoryFolder_ = hostFolder_ = inMemory;
      link_ = here;
    } else {
      if (!MakePrivateFolder(here)) continue;
      hostFolder_ = here;
    }
    folder_ = tempFolder + name + "\\";
    return true;
  }
  return false;
}

std::string BlockSpool::CreateFile(const std::string& tempFolder, std::int32_t counter, fs::path& host) {
  if (folder_.empty()) {
    const fs::path base = winplat::HostPath(tempFolder);
    std::error_code ec;
    if (!fs::is_directory(base, ec)) throw winplat::FileError(76, "Path not found");
    // A folder of this read's own, so that two controls or two processes never meet in it.
    if (!MakeFolder(base, tempFolder)) throw winplat::FileError(75, "Path/File access error");
  }
  const std::string leaf = std::to_string(counter) + ".TMP";
  // Created exclusively: an existing file or link of that name is an error.
  std::FILE* file = std::fopen((hostFolder_ / leaf).c_str(), "wx");
  if (!file && InMemory() && NoRoom(errno) && MoveToDisk()) file = std::fopen((hostFolder_ / leaf).c_str(), "wx");
  if (!file) throw winplat::FileError(75, "Path/File access error");
  std::fclose(file);
  host = hostFolder_ / leaf;
  files_.push_back(host);
  std::error_code ec;
  fs::permissions(host, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
  return folder_ + leaf;
}

bool BlockSpool::MoveToDisk() {
  if (!InMemory()) return false;
  std::error_code ec;
  // The link gives way to a real folder of the same name: the Windows names stay right.
  if (!fs::remove(link_, ec) || !MakePrivateFolder(link_)) return false;
  for (fs::path& file : files_) {
    const fs::path moved = link_ / file.filename();
    if (!fs::copy_file(file, moved, ec)) return false;
    fs::permissions(moved, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, ec);
    fs::remove(file, ec);
    for (SpooledBlock& block : blocks)
      if (block.hostFile == file) block.hostFile = moved;
    file = moved;
  }
  fs::remove_all(memoryFolder_, ec);
  hostFolder_ = link_;
  memoryFolder_.clear();
  link_.clear();
  return true;
}

std::unique_ptr<std::ofstream> BlockSpool::OpenForAppend(std::int32_t row) {
  return std::make_unique<BlockFileStream>(shared_from_this(), row);
}

void BlockSpool::Clear() {
  std::error_code ec;
  for (const fs::path& file : files_) fs::remove(file, ec);
  files_.clear();
  if (!memoryFolder_.empty()) {
    fs::remove_all(memoryFolder_, ec);
    fs::remove_all(link_, ec);  // the link, or the folder that took its place
    // The machine's memory folder goes too once no read uses it.
    ::rmdir(memoryFolder_.parent_path().c_str());
  } else if (!hostFolder_.empty()) {
    if (!winplat::RemoveEmptyHostFolder(hostFolder_) && fs::exists(fs::symlink_status(hostFolder_, ec)))
      fs::remove_all(hostFolder_, ec);
  }
  memoryFolder_.clear();
  link_.clear();
  memoryBytes_ = 0;
  hostFolder_.clear();
  folder_.clear();
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

bool BlockFileStream::Buffer::Open() {
  const fs::path& file = spool_->blocks.at(static_cast<std::size_t>(row_ - 1)).hostFile;
  fd_ = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
  return fd_ >= 0;
}

void BlockFileStream::Buffer::Close() {
  if (fd_ < 0) return;
  WriteOut();
  ::close(fd_);
  fd_ = -1;
}

bool BlockFileStream::Buffer::WriteOut() {
  const char* at = pbase();
  const char* end = pptr();
  while (at < end) {
    if (fd_ < 0) return false;
    const auto size = static_cast<std::size_t>(end - at);
    ssize_t n = -1;
    if (!spool_->InMemory() || spool_->MayWriteInMemory(size)) {
      n = ::write(fd_, at, size);
      if (n < 0 && errno == EINTR) continue;
      if (n > 0 && spool_->InMemory()) spool_->WroteInMemory(static_cast<std::size_t>(n));
    } else {
      errno = ENOSPC;  // the allowance is used up
    }
    if (n >= 0) {
      at += n;
      continue;
    }
    // The memory file system is full: the rest of the read goes on disk.
    if (!spool_->InMemory() || !NoRoom(errno)) return false;
    ::close(fd_);
    fd_ = -1;
    if (!spool_->MoveToDisk() || !Open()) return false;
  }
  setp(data_, data_ + sizeof data_);
  return true;
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
  if (!buffer_.Open()) setstate(std::ios::failbit);
}

BlockFileStream::~BlockFileStream() { buffer_.Close(); }

BlockSpool& Spool(DXF& dxf) {
  std::shared_ptr<BlockSpool>& spool = dxf.reader.BlockFiles;
  if (!spool) spool = std::make_shared<BlockSpool>();
  return *spool;
}

bool LastInsertPlaced(DXF& dxf) { return dxf.reader.BlockFiles && dxf.reader.BlockFiles->lastInsertPlaced; }

}  // namespace kelvane
