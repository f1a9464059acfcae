// Files written whole and put in place at once, and whether two paths name one file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "machine.h"
#include "winplat/files.h"
#include "winplat/text.h"

namespace fs = std::filesystem;

namespace winplat {
namespace {

bool WriteAll(int fd, const char* data, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd, data + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool SameFile(std::string_view a, std::string_view b) {
  fs::path hostA, hostB;
  if (!detail::HostFor(a, &hostA) || !detail::HostFor(b, &hostB)) return false;
  struct stat stA{}, stB{};
  bool existsA = ::stat(hostA.c_str(), &stA) == 0;
  bool existsB = ::stat(hostB.c_str(), &stB) == 0;
  if (existsA && existsB) return stA.st_dev == stB.st_dev && stA.st_ino == stB.st_ino;
  if (existsA != existsB) return false;
  // Neither exists yet: the same name once folders and links are resolved,
  // compared as Windows compares names.
  std::error_code ec;
  fs::path canonA = fs::weakly_canonical(hostA, ec);
  if (ec) canonA = hostA.lexically_normal();
  fs::path canonB = fs::weakly_canonical(hostB, ec);
  if (ec) canonB = hostB.lexically_normal();
  return AsciiEqualNoCase(canonA.string(), canonB.string());
}

// ---- ReplacingWriter -------------------------------------------------------

namespace {
constexpr std::size_t kWriteChunk = 64 * 1024;
}  // namespace

ReplacingWriter::~ReplacingWriter() { Abandon(); }

ReplacingWriter::ReplacingWriter(ReplacingWriter&& other) noexcept
    : target_(std::move(other.target_)),
      temp_(std::move(other.temp_)),
      pending_(std::move(other.pending_)),
      fd_(std::exchange(other.fd_, -1)),
      lockFd_(std::exchange(other.lockFd_, -1)),
      error_(std::exchange(other.error_, 0u)) {}

ReplacingWriter& ReplacingWriter::operator=(ReplacingWriter&& other) noexcept {
  if (this != &other) {
    Abandon();
    target_ = std::move(other.target_);
    temp_ = std::move(other.temp_);
    pending_ = std::move(other.pending_);
    fd_ = std::exchange(other.fd_, -1);
    lockFd_ = std::exchange(other.lockFd_, -1);
    error_ = std::exchange(other.error_, 0u);
  }
  return *this;
}

ReplacingWriter ReplacingWriter::Open(std::string_view path) {
  fs::path host;
  if (!detail::HostFor(path, &host)) {
    ReplacingWriter w;
    w.error_ = ERROR_INVALID_NAME;
    return w;
  }
  return OpenHost(host);
}

ReplacingWriter ReplacingWriter::OpenHost(const fs::path& link) {
  static std::atomic<unsigned> counter{0};
  ReplacingWriter w;
  // A link is followed: the file it names is replaced, the link stays.
  fs::path target = link;
  std::error_code ec;
  if (fs::is_symlink(link, ec)) {
    fs::path resolved = fs::canonical(link, ec);
    if (!ec) target = resolved;
  }
  w.target_ = target;
  // The target, when it exists, is taken exclusively: a file someone holds
  // open is refused before anything is written.
  std::uint32_t error = 0;
  const int lockFd = detail::OpenLocked(target, O_RDONLY | O_NONBLOCK, LOCK_EX, &error);
  if (lockFd < 0 && error != ERROR_FILE_NOT_FOUND) {
    w.error_ = error;
    return w;
  }
  const bool keepMode = lockFd >= 0;
  struct stat st{};
  const mode_t mode = keepMode && ::fstat(lockFd, &st) == 0 ? st.st_mode & 07777 : 0644;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path temp = target;
    temp += ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      w.error_ = detail::OpenError(errno, target);
      break;
    }
    if (keepMode && ::fchmod(fd, mode) != 0) {
      ::close(fd);
      ::unlink(temp.c_str());
      w.error_ = ERROR_ACCESS_DENIED;
      break;
    }
    w.fd_ = fd;
    w.temp_ = std::move(temp);
    w.lockFd_ = lockFd;
    return w;
  }
  if (w.error_ == 0) w.error_ = ERROR_ACCESS_DENIED;
  if (lockFd >= 0) ::close(lockFd);
  return w;
}

bool ReplacingWriter::Write(const void* buffer, std::size_t count) {
  if (fd_ < 0 || error_ != 0) return false;
  const auto* in = static_cast<const char*>(buffer);
  pending_.append(in, count);
  if (pending_.size() >= kWriteChunk) {
    if (!WriteAll(fd_, pending_.data(), pending_.size())) {
      error_ = ERROR_ACCESS_DENIED;
      return false;
    }
    pending_.clear();
  }
  return true;
}

bool ReplacingWriter::Commit() {
  if (fd_ < 0 || error_ != 0) {
    Abandon();
    return false;
  }
  bool ok = WriteAll(fd_, pending_.data(), pending_.size());
  pending_.clear();
  if (ok && ::fsync(fd_) != 0) ok = false;
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  if (ok && ::rename(temp_.c_str(), target_.c_str()) != 0) ok = false;
  if (!ok) {
    ::unlink(temp_.c_str());
    error_ = ERROR_ACCESS_DENIED;
  }
  temp_.clear();
  if (lockFd_ >= 0) ::close(lockFd_);
  lockFd_ = -1;
  return ok;
}

void ReplacingWriter::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temp_.c_str());
  }
  fd_ = -1;
  temp_.clear();
  pending_.clear();
  if (lockFd_ >= 0) ::close(lockFd_);
  lockFd_ = -1;
}

}  // namespace winplat
