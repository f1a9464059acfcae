// Files written whole and put in place at once, and whether two paths name one file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <utility>

#include "machine.h"
#include "winplat/files.h"
#include "winplat/text.h"

namespace fs = std::filesystem;

namespace winplat {
namespace {

// Writes all of `data`: 0, or the errno of the failure.
int WriteAll(int fd, const char* data, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd, data + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// The writing process of a temporary's name "TARGET.~PID-N"; 0 when the name
// is none. `targetLength` receives the length of TARGET.
pid_t TemporaryWriter(std::string_view name, std::size_t* targetLength = nullptr) {
  const std::size_t mark = name.rfind(".~");
  if (mark == std::string_view::npos || mark == 0) return 0;
  const std::string_view rest = name.substr(mark + 2);
  const std::size_t dash = rest.find('-');
  auto digits = [](std::string_view t) {
    return !t.empty() && t.size() <= 10 && t.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (dash == std::string_view::npos || !digits(rest.substr(0, dash)) || !digits(rest.substr(dash + 1))) return 0;
  const long pid = std::stol(std::string(rest.substr(0, dash)));
  if (pid <= 0 || pid > 0x7FFFFFFF) return 0;
  if (targetLength) *targetLength = mark;
  return static_cast<pid_t>(pid);
}

bool Running(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// Removes the leftovers in `folder` of writes whose process has ended; only
// those of `target` when it is given.
int RemoveLeftoversIn(const fs::path& folder, const std::string* target) {
  int removed = 0;
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::size_t length = 0;
    const pid_t pid = TemporaryWriter(name, &length);
    if (pid == 0 || (target && (length != target->size() || name.compare(0, length, *target) != 0))) continue;
    if (Running(pid) || !it->is_regular_file(ec)) continue;
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace

bool IsReplacingTemporary(std::string_view name) { return TemporaryWriter(name) != 0; }

int detail::RemoveDeadWriterFiles(const fs::path& folder, std::string_view prefix) {
  int removed = 0;
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const std::string digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const long long pid = std::stoll(digits);
    if (pid <= 0 || pid > 0x7FFFFFFF || Running(static_cast<pid_t>(pid)) || !it->is_regular_file(ec)) continue;
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

int RemoveWriteLeftovers(const fs::path& folder, bool recursive) {
  int removed = RemoveLeftoversIn(folder, nullptr);
  if (!recursive) return removed;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) removed += RemoveLeftoversIn(it->path(), nullptr);
  }
  return removed;
}

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
      error_(std::exchange(other.error_, 0u)),
      systemError_(std::exchange(other.systemError_, 0)) {}

ReplacingWriter& ReplacingWriter::operator=(ReplacingWriter&& other) noexcept {
  if (this != &other) {
    Abandon();
    target_ = std::move(other.target_);
    temp_ = std::move(other.temp_);
    pending_ = std::move(other.pending_);
    fd_ = std::exchange(other.fd_, -1);
    lockFd_ = std::exchange(other.lockFd_, -1);
    error_ = std::exchange(other.error_, 0u);
    systemError_ = std::exchange(other.systemError_, 0);
  }
  return *this;
}

ReplacingWriter ReplacingWriter::Open(std::string_view path) {
  fs::path host;
  if (!detail::HostFor(path, &host)) {
    ReplacingWriter w;
    w.error_ = ERROR_INVALID_NAME;
    w.systemError_ = EINVAL;
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
  // What interrupted writes of this target left behind goes now.
  const std::string targetName = target.filename().string();
  RemoveLeftoversIn(target.parent_path(), &targetName);
  // The target, when it exists, is taken exclusively: a file someone holds
  // open is refused before anything is written.
  std::uint32_t error = 0;
  const int lockFd = detail::OpenLocked(target, O_RDONLY | O_NONBLOCK, LOCK_EX, &error);
  if (lockFd < 0 && error != ERROR_FILE_NOT_FOUND) {
    w.error_ = error;
    w.systemError_ = errno;
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
      w.systemError_ = errno;
      w.error_ = detail::OpenError(w.systemError_, target);
      break;
    }
    if (keepMode && ::fchmod(fd, mode) != 0) {
      w.systemError_ = errno;
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
  if (w.error_ == 0) {
    w.error_ = ERROR_ACCESS_DENIED;
    w.systemError_ = EEXIST;
  }
  if (lockFd >= 0) ::close(lockFd);
  return w;
}

bool ReplacingWriter::Write(const void* buffer, std::size_t count) {
  if (fd_ < 0 || error_ != 0) return false;
  const auto* in = static_cast<const char*>(buffer);
  pending_.append(in, count);
  if (pending_.size() >= kWriteChunk) {
    if (const int why = WriteAll(fd_, pending_.data(), pending_.size()); why != 0) {
      error_ = ERROR_ACCESS_DENIED;
      systemError_ = why;
      return false;
    }
    pending_.clear();
  }
  return true;
}

bool ReplacingWriter::Commit() {
  if (fd_ < 0 || error_ != 0) {
    Abandon();
    if (error_ == 0) error_ = ERROR_ACCESS_DENIED;
    if (systemError_ == 0) systemError_ = EBADF;
    return false;
  }
  // Each step's result counts: the data reaches the disk before the new
  // file takes the target's name.
  int why = WriteAll(fd_, pending_.data(), pending_.size());
  pending_.clear();
  if (why == 0 && ::fsync(fd_) != 0) why = errno;
  if (::close(fd_) != 0 && why == 0) why = errno;
  fd_ = -1;
  if (why == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0) why = errno;
  const bool ok = why == 0;
  if (!ok) {
    ::unlink(temp_.c_str());
    error_ = ERROR_ACCESS_DENIED;
    systemError_ = why;
  }
  temp_.clear();
  if (lockFd_ >= 0) ::close(lockFd_);
  lockFd_ = -1;
  return ok;
}

int ReplacingWriter::ReplaceHost(const fs::path& target, std::string_view bytes) {
  ReplacingWriter out = OpenHost(target);
  if (!out.IsOpen() || !out.Write(bytes) || !out.Commit()) return out.SystemError() ? out.SystemError() : EIO;
  return 0;
}

int detail::ReplaceHostFile(const fs::path& target, std::string_view bytes) {
  return ReplacingWriter::ReplaceHost(target, bytes);
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
