// The board emulation's file layer, counted call by call.
#include "board_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "winplat/hw/boards.h"

namespace winplat::hw {
namespace {

std::atomic<std::uint64_t> fileCalls{0};

int OpenRetrying(const char* path, int flags) {
  int fd = -1;
  do {
    fd = ::open(path, flags | O_CLOEXEC, 0644);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

std::filesystem::path TemporaryOf(const std::filesystem::path& path) {
  std::filesystem::path temp = path;
  temp += ".new";
  return temp;
}

// Opens for reading; a file caught between removal and rename is read from its temporary file.
int OpenForReading(const std::filesystem::path& path) {
  int fd = OpenRetrying(path.c_str(), O_RDONLY);
  if (fd < 0 && errno == ENOENT) fd = OpenRetrying(TemporaryOf(path).c_str(), O_RDONLY);
  return fd;
}

bool WriteFully(int fd, const char* data, std::size_t size, std::uint64_t offset, bool positioned) {
  while (size > 0) {
    ssize_t n = positioned ? ::pwrite(fd, data, size, static_cast<off_t>(offset)) : ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;  // nothing more goes in
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

// Opens for writing; a folder that is gone (a board reset removes it) is made again.
int OpenForWriting(const std::filesystem::path& path, int flags) {
  detail::CountFileCall();
  int fd = OpenRetrying(path.c_str(), flags);
  if (fd < 0 && errno == ENOENT) {
    std::error_code ec;
    detail::CountFileCall();
    std::filesystem::create_directories(path.parent_path(), ec);
    fd = OpenRetrying(path.c_str(), flags);
  }
  return fd;
}

}  // namespace

std::uint64_t BoardFileCalls() { return fileCalls.load(std::memory_order_relaxed); }

namespace detail {

void CountFileCall() { fileCalls.fetch_add(1, std::memory_order_relaxed); }

bool ReadWholeFile(const std::filesystem::path& path, std::vector<char>& bytes) {
  CountFileCall();
  bytes.clear();
  int fd = OpenForReading(path);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  ::close(fd);
  return ok;
}

std::size_t ReadFileAt(const std::filesystem::path& path, std::uint64_t offset, void* data, std::size_t size) {
  CountFileCall();
  int fd = OpenForReading(path);
  if (fd < 0) return 0;
  std::size_t got = 0;
  auto* out = static_cast<char*>(data);
  while (got < size) {
    ssize_t n = ::pread(fd, out + got, size - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return got;
}

bool ReplaceFile(const std::filesystem::path& path, const std::vector<char>& bytes) {
  std::filesystem::path temp = TemporaryOf(path);
  // The temporary file of the last replacement is written over in place (no
  // new file, no blocks freed), then the two files change places at once.
  int fd = OpenForWriting(temp, O_WRONLY | O_CREAT);
  if (fd < 0) return false;
  bool ok = WriteFully(fd, bytes.data(), bytes.size(), 0, true) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    const int why = errno;  // the caller tells a full disk from a refusal
    ::unlink(temp.c_str());
    errno = why;
    return false;
  }
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) return true;
  // The first replacement (nothing to exchange with), or a file system
  // without exchange: the old file goes, then the new one takes its name.
  ::unlink(path.c_str());
  return ::rename(temp.c_str(), path.c_str()) == 0;
}

bool PatchFile(const std::filesystem::path& path, std::size_t size, const void* magic, std::size_t magicBytes,
               const std::vector<FilePatch>& patches) {
  CountFileCall();
  int fd = OpenRetrying(path.c_str(), O_RDWR);
  if (fd < 0) return false;
  struct stat st {};
  std::vector<char> head(magicBytes);
  bool ok = ::fstat(fd, &st) == 0 && static_cast<std::size_t>(st.st_size) == size &&
            ::pread(fd, head.data(), magicBytes, 0) == static_cast<ssize_t>(magicBytes) &&
            std::memcmp(head.data(), magic, magicBytes) == 0;
  if (ok) {
    // One positioned write per patch would leave a part written if the
    // process died between them: the patches go out in one call.
    std::size_t first = patches.empty() ? 0 : patches.front().offset;
    std::size_t end = first;
    std::vector<char> joined;
    for (const FilePatch& p : patches) {
      if (p.offset < end || p.offset + p.size > size) {
        ok = false;
        break;
      }
      end = p.offset + p.size;
    }
    if (ok && !patches.empty()) {
      // The span from the first patch to the last, gaps filled from the file.
      joined.resize(end - first);
      ok = ::pread(fd, joined.data(), joined.size(), static_cast<off_t>(first)) ==
           static_cast<ssize_t>(joined.size());
      for (const FilePatch& p : patches) {
        std::memcpy(joined.data() + (p.offset - first), p.data, p.size);
      }
      if (ok) ok = WriteFully(fd, joined.data(), joined.size(), first, true);
    }
  }
  ::close(fd);
  return ok;
}

bool WriteFileAt(const std::filesystem::path& path, std::uint64_t offset, const void* data, std::size_t size) {
  int fd = OpenForWriting(path, O_WRONLY | O_CREAT);
  if (fd < 0) return false;
  bool ok = WriteFully(fd, static_cast<const char*>(data), size, offset, true);
  return ::close(fd) == 0 && ok;
}

bool RemoveFile(const std::filesystem::path& path) {
  CountFileCall();
  // The temporary file of its replacements goes first: it must not stand in for the file.
  ::unlink(TemporaryOf(path).c_str());
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::int64_t FileSize(const std::filesystem::path& path) {
  CountFileCall();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

AppendFile::~AppendFile() {
  if (fd_ >= 0) ::close(fd_);
}

void AppendFile::Append(const std::filesystem::path& path, std::string_view text) {
  if (fd_ < 0 || path != path_) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = OpenForWriting(path, O_WRONLY | O_CREAT | O_APPEND);
    path_ = path;
    if (fd_ < 0) return;
  }
  CountFileCall();
  WriteFully(fd_, text.data(), text.size(), 0, false);
}

std::uint64_t AppendFile::Size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

void AppendFile::Truncate(const std::filesystem::path& path) {
  CountFileCall();
  if (::truncate(path.c_str(), 0) != 0 && errno == ENOENT && fd_ >= 0 && path == path_) {
    // Removed behind our back: the next line starts a new file.
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace detail
}  // namespace winplat::hw
