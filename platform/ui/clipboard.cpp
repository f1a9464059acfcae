// The machine-wide clipboard: a file under the machine root, replaced
// atomically, guarded by a lock file with flock. Holding the clipboard open is
// holding the lock exclusively; readers that do not open it take it shared.
#include "winplat/clipboard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "winplat/files.h"
#include "winplat/paths.h"

namespace winplat {
namespace {

namespace fs = std::filesystem;
using Formats = std::map<unsigned, std::string>;

constexpr const char* kHeader = "FIELDRAY CLIPBOARD 1\n";

std::mutex clipMutex;
int heldFd = -1;  // lock file held exclusively while this process has the clipboard open
std::string writeError;  // why the last change failed, when no other program was the cause

fs::path DataPath() { return MachineRoot() / "clipboard.dat"; }
fs::path LockPath() { return MachineRoot() / "clipboard.lock"; }

int OpenLockFile() {
  std::error_code ec;
  fs::create_directories(MachineRoot(), ec);
  const int fd = ::open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) writeError = "cannot open " + LockPath().string() + ": " + std::strerror(errno);
  return fd;
}

bool damaged = false;         // the last read found the file damaged
std::string damageReported;  // the file's identity when standard error last said so

ClipboardFileInfo FileInfo() {
  ClipboardFileInfo info;
  struct stat st {};
  if (::stat(DataPath().c_str(), &st) != 0) return info;
  info.present = true;
  if (S_ISREG(st.st_mode)) info.size = static_cast<std::uintmax_t>(st.st_size);
  info.identity = std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' + std::to_string(st.st_mode) +
                  ':' + std::to_string(st.st_size) + ':' + std::to_string(st.st_mtim.tv_sec) + '.' +
                  std::to_string(st.st_mtim.tv_nsec);
  return info;
}

// A damaged file reads as empty; standard error says so once for each state of the file.
Formats Damaged() {
  damaged = true;
  const std::string identity = FileInfo().identity;
  if (identity != damageReported) {
    damageReported = identity;
    std::fprintf(stderr, "clipboard file %s is damaged; it reads as empty\n", DataPath().c_str());
  }
  return {};
}

// Reads every format; a damaged file reads as empty and is reported.
Formats ReadFormats() {
  Formats formats;
  damaged = false;
  std::error_code ec;
  if (fs::is_directory(DataPath(), ec)) return Damaged();
  std::ifstream in(DataPath(), std::ios::binary);
  if (!in) return formats;
  std::ostringstream all;
  all << in.rdbuf();
  std::string data = all.str();
  if (data.empty()) return formats;
  std::string header = kHeader;
  bool ok = data.compare(0, header.size(), header) == 0;
  std::size_t pos = header.size();
  while (ok && pos < data.size()) {
    std::size_t eol = data.find('\n', pos);
    unsigned format = 0;
    unsigned long long size = 0;
    if (eol == std::string::npos || std::sscanf(data.c_str() + pos, "%u %llu", &format, &size) != 2 ||
        size > data.size() - eol - 1) {
      ok = false;
      break;
    }
    formats[format] = data.substr(eol + 1, size);
    pos = eol + 1 + size;
  }
  if (!ok) return Damaged();
  return formats;
}

bool WriteFormats(const Formats& formats) {
  const fs::path target = DataPath();
  std::string bytes = kHeader;
  for (const auto& [format, data] : formats) bytes += std::to_string(format) + ' ' + std::to_string(data.size()) + '\n' + data;
  if (const int why = ReplacingWriter::ReplaceHost(target, bytes)) {
    writeError = "cannot write " + target.string() + ": " + std::strerror(why);
    return false;
  }
  return true;
}

// Runs `read` under a shared lock unless this process holds the clipboard;
// false when another process holds it open.
template <typename F>
bool WithReadAccess(F&& read) {
  if (heldFd >= 0) {
    read();
    return true;
  }
  int fd = OpenLockFile();
  if (fd < 0) return false;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  read();
  ::flock(fd, LOCK_UN);
  ::close(fd);
  return true;
}

}  // namespace

bool OpenClipboard(HWND) {
  std::lock_guard lock(clipMutex);
  if (heldFd >= 0) return true;
  int fd = OpenLockFile();
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  heldFd = fd;
  return true;
}

bool CloseClipboard() {
  std::lock_guard lock(clipMutex);
  if (heldFd < 0) return false;
  ::flock(heldFd, LOCK_UN);
  ::close(heldFd);
  heldFd = -1;
  return true;
}

bool EmptyClipboard() {
  std::lock_guard lock(clipMutex);
  if (heldFd < 0) return false;
  return WriteFormats({});
}

bool SetClipboardData(unsigned format, std::string_view bytes) {
  std::lock_guard lock(clipMutex);
  if (heldFd < 0 || format == 0) return false;
  Formats formats = ReadFormats();
  formats[format] = std::string(bytes);
  return WriteFormats(formats);
}

std::optional<std::string> GetClipboardData(unsigned format) {
  std::lock_guard lock(clipMutex);
  if (heldFd < 0) return std::nullopt;
  Formats formats = ReadFormats();
  auto it = formats.find(format);
  if (it == formats.end()) return std::nullopt;
  return it->second;
}

bool IsClipboardFormatAvailable(unsigned format) {
  std::lock_guard lock(clipMutex);
  bool has = false;
  WithReadAccess([&] { has = ReadFormats().count(format) > 0; });
  return has;
}

std::string GetClipboardText() {
  std::lock_guard lock(clipMutex);
  std::string text;
  WithReadAccess([&] {
    Formats formats = ReadFormats();
    auto it = formats.find(CF_TEXT);
    if (it != formats.end()) text = it->second.substr(0, it->second.find('\0'));
  });
  return text;
}

ClipboardFileInfo ClipboardFile() {
  std::lock_guard lock(clipMutex);
  return FileInfo();
}

bool ClipboardDamaged() {
  std::lock_guard lock(clipMutex);
  return damaged;
}

std::string ClipboardWriteError() {
  std::lock_guard lock(clipMutex);
  return writeError;
}

bool SetClipboardText(std::string_view text) {
  bool wasOpen = false;
  {
    std::lock_guard lock(clipMutex);
    wasOpen = heldFd >= 0;
    writeError.clear();
  }
  if (!wasOpen && !OpenClipboard(0)) return false;
  bool ok = false;
  {
    std::lock_guard lock(clipMutex);
    Formats formats;  // setting text replaces every format, as emptying first does
    formats[CF_TEXT] = std::string(text);
    ok = WriteFormats(formats);
  }
  if (!wasOpen) CloseClipboard();
  return ok;
}

bool ClearClipboard() {
  bool wasOpen = false;
  {
    std::lock_guard lock(clipMutex);
    wasOpen = heldFd >= 0;
    writeError.clear();
  }
  if (!wasOpen && !OpenClipboard(0)) return false;
  bool ok = EmptyClipboard();
  if (!wasOpen) CloseClipboard();
  return ok;
}

}  // namespace winplat
