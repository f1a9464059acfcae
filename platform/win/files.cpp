// Existence, counts and sizes of files, and handle-style binary files.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

#include "machine.h"
#include "winplat/files.h"
#include "winplat/code_page.h"
#include "winplat/folders.h"
#include "winplat/paths.h"

namespace fs = std::filesystem;

namespace winplat {
namespace {

using detail::HostFor;

bool IsRegular(const fs::path& host) {
  struct stat st{};
  return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Wildcard match without regard to letter case: '*' any run, '?' one character.
bool Match(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || detail::UpperAscii(pattern[p]) == detail::UpperAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Windows' reading of a file pattern: a trailing ".*" also takes names
// without any extension, so "*.*" matches every name.
bool MatchFileName(std::string_view pattern, const std::string& name) {
  if (Match(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" && name.find('.') == std::string::npos)
    return Match(pattern, name + ".");
  return false;
}

}  // namespace

std::uint32_t detail::OpenError(int err, const fs::path& host) {
  switch (err) {
    case ENOENT:
    case ENOTDIR: {
      std::error_code ec;
      return fs::is_directory(host.parent_path(), ec) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    default:
      return ERROR_ACCESS_DENIED;
  }
}

bool detail::HostFor(std::string_view path, fs::path* out) {
  try {
    *out = HostPath(path);
    return true;
  } catch (const PathError&) {
    return false;
  }
}

int detail::OpenLocked(const fs::path& host, int flags, int lockOp, std::uint32_t* error) {
  int fd = ::open(host.c_str(), flags | O_CLOEXEC);
  if (fd < 0) {
    *error = OpenError(errno, host);
    return -1;
  }
  // On failure errno keeps the system's reason past the close.
  auto fail = [fd](std::uint32_t code, int why) {
    ::close(fd);
    errno = why;
    return code;
  };
  struct stat st{};
  if (::fstat(fd, &st) != 0) {
    *error = fail(ERROR_ACCESS_DENIED, errno);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    *error = fail(ERROR_ACCESS_DENIED, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return -1;
  }
  if (::flock(fd, lockOp | LOCK_NB) != 0) {
    *error = fail(ERROR_SHARING_VIOLATION, errno);
    return -1;
  }
  return fd;
}

std::int32_t Exist(std::string_view path) {
  if (path.find_first_of("*?") != std::string_view::npos) return FCount(path) > 0 ? -1 : 0;
  fs::path host;
  return HostFor(path, &host) && IsRegular(host) ? -1 : 0;
}

std::int32_t FCount(std::string_view pattern) {
  std::string text(pattern);
  size_t slash = text.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? std::string(".") : text.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
  if (slash == std::string::npos && name.size() >= 2 && name[1] == ':') {  // "C:*.*"
    folder = name.substr(0, 2);
    name = name.substr(2);
  }
  if (name.empty()) return 0;
  fs::path host;
  if (!HostFor(folder, &host)) return 0;
  std::int32_t count = 0;
  std::error_code ec;
  for (auto it = fs::directory_iterator(host, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string entry = CodePageFromUtf8(it->path().filename().string());
    if (MatchFileName(name, entry) && !IsReplacingTemporary(entry)) ++count;
  }
  return count;
}

bool LiesInFolder(std::string_view path, std::string_view folder) {
  fs::path host, hostFolder;
  if (!HostFor(path, &host) || !HostFor(folder, &hostFolder)) return false;
  std::error_code ec;
  const fs::path real = fs::weakly_canonical(host, ec);
  if (ec) return false;
  const fs::path realFolder = fs::weakly_canonical(hostFolder, ec);
  if (ec) return false;
  const fs::path rel = real.lexically_relative(realFolder);
  return !rel.empty() && *rel.begin() != ".." && *rel.begin() != ".";
}

bool LiesOnMachineDrive(std::string_view path) {
  fs::path host;
  if (!HostFor(path, &host)) return false;
  std::error_code ec;
  const fs::path real = fs::weakly_canonical(host, ec);
  if (ec) return false;
  const fs::path root = fs::weakly_canonical(MachineRoot(), ec);
  if (ec) return false;
  // A drive is a folder of one letter directly in the root.
  const fs::path rel = real.lexically_relative(root);
  if (rel.empty()) return false;
  const std::string drive = rel.begin()->string();
  return drive.size() == 1 && std::isalpha(static_cast<unsigned char>(drive[0]));
}

std::int32_t FileSize(std::string_view path) {
  fs::path host;
  struct stat st{};
  if (!HostFor(path, &host) || ::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return st.st_size > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(st.st_size);
}

bool DeleteFile(std::string_view path) {
  fs::path host;
  return HostFor(path, &host) && IsRegular(host) && ::unlink(host.c_str()) == 0;
}

bool RemoveEmptyHostFolder(const fs::path& folder) {
  // The folder stays open while its name goes: the last close, which frees
  // its storage, is then left to a thread of its own.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  const bool removed = ::rmdir(folder.c_str()) == 0;
  if (fd < 0) return removed;
  if (!removed) {
    ::close(fd);
    return false;
  }
  try {
    std::thread([fd] { ::close(fd); }).detach();
  } catch (const std::system_error&) {
    ::close(fd);  // no thread to be had: the release happens here
  }
  return true;
}

// ---- MemoryFiles -----------------------------------------------------------

namespace {

struct MemoryStore {
  std::mutex mutex;
  std::unordered_map<std::string, std::string> files;  // by key
  std::uint64_t bytes = 0;
};

MemoryStore& Store() {
  static MemoryStore* store = new MemoryStore;  // lives to the process's very end
  return *store;
}

// One key for every spelling of a path: letters in upper case, '/' as '\'.
std::string MemoryKey(std::string_view path) {
  std::string key(path);
  for (char& c : key) c = c == '/' ? '\\' : detail::UpperAscii(c);
  return key;
}

}  // namespace

bool MemoryFiles::Create(std::string_view path) {
  MemoryStore& store = Store();
  std::lock_guard lock(store.mutex);
  return store.files.try_emplace(MemoryKey(path)).second;
}

bool MemoryFiles::Append(std::string_view path, const void* bytes, std::size_t count) {
  MemoryStore& store = Store();
  std::lock_guard lock(store.mutex);
  auto it = store.files.find(MemoryKey(path));
  if (it == store.files.end()) return false;
  it->second.append(static_cast<const char*>(bytes), count);
  store.bytes += count;
  return true;
}

bool MemoryFiles::Read(std::string_view path, std::string& out) {
  MemoryStore& store = Store();
  std::lock_guard lock(store.mutex);
  auto it = store.files.find(MemoryKey(path));
  if (it == store.files.end()) return false;
  out = it->second;
  return true;
}

bool MemoryFiles::Take(std::string_view path, std::string& out) {
  MemoryStore& store = Store();
  std::lock_guard lock(store.mutex);
  auto it = store.files.find(MemoryKey(path));
  if (it == store.files.end()) return false;
  store.bytes -= it->second.size();
  out = std::move(it->second);
  store.files.erase(it);
  return true;
}

bool MemoryFiles::Delete(std::string_view path) {
  MemoryStore& store = Store();
  std::lock_guard lock(store.mutex);
  auto it = store.files.find(MemoryKey(path));
  if (it == store.files.end()) return false;
  store.bytes -= it->second.size();
  store.files.erase(it);
  return true;
}

std::size_t MemoryFiles::Count() {
  MemoryStore& store = Store();
  std::lock_guard lock(store.mutex);
  return store.files.size();
}

std::uint64_t MemoryFiles::Bytes() {
  MemoryStore& store = Store();
  std::lock_guard lock(store.mutex);
  return store.bytes;
}

std::uint64_t MachineMemoryBytes() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

namespace {

// The first number in a file of the system's (0 when there is none), and
// whether it held "max", the word for no limit.
std::uint64_t ReadSystemNumber(const fs::path& file, bool* unlimited) {
  std::ifstream in(file);
  std::string word;
  *unlimited = false;
  if (!(in >> word)) return 0;
  if (word == "max") {
    *unlimited = true;
    return 0;
  }
  std::uint64_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9' || value > (UINT64_MAX - 9) / 10) return 0;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

// The memory limit of this process's control group and of the groups above
// it, the smallest of them (version 2 "memory.max", version 1
// "memory.limit_in_bytes"); UINT64_MAX when none is set.
std::uint64_t ControlGroupMemoryLimit() {
  const std::uint64_t machine = MachineMemoryBytes();
  std::uint64_t limit = UINT64_MAX;
  std::ifstream groups("/proc/self/cgroup");
  std::string line;
  while (std::getline(groups, line)) {
    // "HIERARCHY:CONTROLLERS:PATH"; version 2 lists no controllers.
    const std::size_t first = line.find(':');
    const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    const std::string controllers = "," + line.substr(first + 1, second - first - 1) + ",";
    fs::path base;
    const char* name = nullptr;
    if (controllers == ",,") {
      base = "/sys/fs/cgroup";
      name = "memory.max";
    } else if (controllers.find(",memory,") != std::string::npos) {
      base = "/sys/fs/cgroup/memory";
      name = "memory.limit_in_bytes";
    } else {
      continue;
    }
    for (fs::path group = fs::path(line.substr(second + 1)).relative_path();; group = group.parent_path()) {
      bool unlimited = false;
      const std::uint64_t value = ReadSystemNumber(base / group / name, &unlimited);
      // Version 1 writes "no limit" as a huge number.
      if (!unlimited && value > 0 && (machine == 0 || value < machine)) limit = std::min(limit, value);
      if (group.empty()) break;
    }
  }
  return limit;
}

// Bytes of address space the process has mapped.
std::uint64_t AddressSpaceInUse() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (!(statm >> pages) || pageSize <= 0) return 0;
  return pages * static_cast<std::uint64_t>(pageSize);
}

}  // namespace

std::uint64_t ProcessMemoryRoomBytes() {
  std::uint64_t room = UINT64_MAX;
  rlimit space{};
  if (::getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY) {
    const std::uint64_t used = AddressSpaceInUse();
    room = space.rlim_cur > used ? space.rlim_cur - used : 0;
  }
  return std::min(room, ControlGroupMemoryLimit());
}

// ---- Held folders ----------------------------------------------------------

namespace {

// The folder `fd` is still the one at `host` (not removed and made anew).
bool SameFolder(int fd, const fs::path& host) {
  struct stat open{}, named{};
  return ::fstat(fd, &open) == 0 && ::lstat(host.c_str(), &named) == 0 && S_ISDIR(named.st_mode) &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// A real folder (not a link) of this user.
bool OwnFolder(const fs::path& host) {
  struct stat st{};
  return ::lstat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// Where a link of an earlier build led: a folder in this user's memory
// folder of some machine root, on one of the memory file systems.
bool InRetiredMemoryFolder(const fs::path& target, std::string_view pattern) {
  if (!target.is_absolute() || !Match(pattern, target.filename().string())) return false;
  const fs::path memory = target.parent_path();
  const std::string owner = "fieldray-" + std::to_string(::getuid()) + "-";
  if (memory.filename().string().rfind(owner, 0) != 0) return false;
  for (const fs::path& retired : RetiredMemoryFolders())
    if (memory.parent_path() == retired.parent_path()) return true;
  return false;
}

}  // namespace

bool HeldFolder::Create(std::string_view windowsPath) {
  Remove();
  fs::path host;
  if (!detail::HostFor(windowsPath, &host) || ::mkdir(host.c_str(), 0700) != 0) return false;
  const int fd = ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    ::rmdir(host.c_str());
    return false;
  }
  // A sweep of another process may have taken the new folder before the hold
  // did: it is then gone (or going), and the caller picks another name.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !SameFolder(fd, host)) {
    ::close(fd);
    return false;
  }
  ::fchmod(fd, 0700);
  host_ = host;
  fd_ = fd;
  return true;
}

void HeldFolder::Remove() noexcept {
  if (fd_ < 0) return;
  std::error_code ec;
  try {
    if (SameFolder(fd_, host_)) fs::remove_all(host_, ec);
  } catch (const std::bad_alloc&) {
    // No memory to walk it: let go, and the next sweep removes it.
  }
  ::close(fd_);
  fd_ = -1;
  host_.clear();
}

namespace {

// The Windows error of a failed open beside a held folder.
std::uint32_t HeldOpenError(int err) {
  switch (err) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case EEXIST: return ERROR_FILE_EXISTS;
    default: return ERROR_ACCESS_DENIED;
  }
}

}  // namespace

File HeldFolder::OpenIn(std::string_view name, int flags, unsigned mode) const {
  File f;
  const std::string host = Utf8FromCodePage(name);
  if (fd_ < 0) {
    f.error_ = ERROR_PATH_NOT_FOUND;
    return f;
  }
  if (host.empty() || host.find('/') != std::string::npos || host == "." || host == "..") {
    f.error_ = ERROR_INVALID_NAME;
    return f;
  }
  const int fd = ::openat(fd_, host.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) {
    f.error_ = HeldOpenError(errno);
    return f;
  }
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    f.error_ = ERROR_ACCESS_DENIED;
    return f;
  }
  f.fd_ = fd;
  return f;
}

File HeldFolder::CreatePrivateFile(std::string_view name) const {
  return OpenIn(name, O_WRONLY | O_CREAT | O_EXCL, 0600);
}

File HeldFolder::OpenForAppending(std::string_view name) const { return OpenIn(name, O_WRONLY | O_APPEND, 0); }

File HeldFolder::OpenForReading(std::string_view name) const { return OpenIn(name, O_RDONLY, 0); }

int RemoveUnheldFolders(std::string_view windowsFolder, std::string_view pattern) {
  fs::path dir;
  if (!detail::HostFor(windowsFolder, &dir)) return 0;
  int removed = 0;
  std::error_code ec;
  std::vector<fs::path> names;
  for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    if (Match(pattern, it->path().filename().string())) names.push_back(it->path());
  for (const fs::path& entry : names) {
    std::error_code e;
    const fs::file_status st = fs::symlink_status(entry, e);
    if (e) continue;
    if (st.type() == fs::file_type::symlink) {
      // An earlier build's link to its files in memory.
      const fs::path target = fs::read_symlink(entry, e);
      if (!e && InRetiredMemoryFolder(target, pattern) && OwnFolder(target)) {
        fs::remove_all(target, e);
        ::rmdir(target.parent_path().c_str());  // the memory folder, once empty
      }
      if (::unlink(entry.c_str()) == 0) ++removed;
      continue;
    }
    if (st.type() != fs::file_type::directory || !OwnFolder(entry)) continue;
    const int fd = ::open(entry.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    // Free: the read that made it has ended (or died) without removing it.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFolder(fd, entry)) {
      fs::remove_all(entry, e);
      if (!e) ++removed;
    }
    ::close(fd);
  }
  for (const fs::path& retired : RetiredMemoryFolders()) {
    if (!OwnFolder(retired)) continue;
    std::error_code e;
    fs::remove_all(retired, e);
    if (!e) ++removed;
  }
  return removed;
}

// ---- File ------------------------------------------------------------------

File::~File() { Close(); }

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(std::exchange(other.error_, 0u)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    error_ = std::exchange(other.error_, 0u);
  }
  return *this;
}

File File::OpenAt(std::string_view path, int (*open)(const fs::path& host, std::uint32_t& error)) {
  File f;
  fs::path host;
  if (!HostFor(path, &host))
    f.error_ = ERROR_INVALID_NAME;
  else
    f.fd_ = open(host, f.error_);
  return f;
}

File File::OpenForReading(std::string_view path) {
  return OpenAt(path, [](const fs::path& host, std::uint32_t& error) {
    // Readers share; a writer that created the file without sharing keeps them out.
    return detail::OpenLocked(host, O_RDONLY, LOCK_SH, &error);
  });
}

File File::CreateNew(std::string_view path) {
  return OpenAt(path, [](const fs::path& host, std::uint32_t& error) {
    // Opened without truncation first: a file someone has open keeps its bytes.
    const int fd = ::open(host.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      error = detail::OpenError(errno, host);
      return -1;
    }
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (!locked || ::ftruncate(fd, 0) != 0) {
      error = locked ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION;
      ::close(fd);
      return -1;
    }
    return fd;
  });
}

File File::CreatePrivate(std::string_view path) {
  return OpenAt(path, [](const fs::path& host, std::uint32_t& error) {
    const int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) error = errno == EEXIST ? ERROR_FILE_EXISTS : detail::OpenError(errno, host);
    return fd;
  });
}

File File::OpenForAppending(std::string_view path) {
  return OpenAt(path, [](const fs::path& host, std::uint32_t& error) {
    const int fd = ::open(host.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      error = detail::OpenError(errno, host);
      return -1;
    }
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      error = ERROR_ACCESS_DENIED;
      return -1;
    }
    return fd;
  });
}

std::int64_t File::Read(void* buffer, std::size_t count) {
  if (fd_ < 0) return -1;
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, out + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error_ = ERROR_ACCESS_DENIED;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

std::int64_t File::Write(const void* buffer, std::size_t count) {
  if (fd_ < 0) return -1;
  const auto* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, in + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 && (errno == ENOSPC || errno == EDQUOT || errno == EFBIG) ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED;
      return done ? static_cast<std::int64_t>(done) : -1;
    }
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(done);
}

std::int64_t File::Skip(std::int64_t count) {
  if (fd_ < 0 || count < 0) return -1;
  std::int64_t target = Position() + count;
  int mode = ::fcntl(fd_, F_GETFL);
  if ((mode & O_ACCMODE) == O_RDONLY && target > Size()) target = Size();
  off_t at = ::lseek(fd_, static_cast<off_t>(target), SEEK_SET);
  return at < 0 ? -1 : static_cast<std::int64_t>(at);
}

std::int64_t File::Position() const {
  if (fd_ < 0) return -1;
  return static_cast<std::int64_t>(::lseek(fd_, 0, SEEK_CUR));
}

std::int64_t File::Size() const {
  struct stat st{};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace winplat
