// Private-profile (INI) files.
#include "winplat/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "machine.h"
#include "winplat/files.h"
#include "winplat/paths.h"
#include "winplat/text.h"

namespace fs = std::filesystem;

namespace winplat {
namespace {

// One line of the file, classified once.
struct Line {
  enum Kind { Other, Section, Entry } kind = Other;
  std::string text;  // the line as it stands, without its line end
  std::string name;  // section name or key, trimmed
  std::string value; // entry value, trimmed, quotes removed
};

Line Classify(std::string text) {
  Line line;
  const std::string trimmed = winplat::TrimSpace(text);
  std::string_view t = trimmed;
  if (!t.empty() && t.front() == '[') {
    line.kind = Line::Section;
    t.remove_prefix(1);
    line.name = winplat::TrimSpace(t.substr(0, t.find(']')));
  } else if (auto eq = t.find('='); eq != std::string_view::npos) {
    line.kind = Line::Entry;
    line.name = winplat::TrimSpace(t.substr(0, eq));
    const std::string value = winplat::TrimSpace(t.substr(eq + 1));
    std::string_view v = value;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
    line.value = std::string(v);
  }
  line.text = std::move(text);
  return line;
}

std::optional<fs::path> ProfileHostPath(const char* fileName) {
  if (!fileName || !*fileName) return std::nullopt;
  try {
    return HostPath(ProfileFilePath(fileName));
  } catch (const PathError&) {
    return std::nullopt;
  }
}

// The file's lines; empty when the file is missing or unreadable. `read`,
// when given, receives the file's bytes.
std::vector<Line> ReadLines(const fs::path& path, bool* exists = nullptr, std::string* read = nullptr) {
  std::vector<Line> lines;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (exists) *exists = fd >= 0;
  if (fd < 0) return lines;
  std::string bytes;
  char chunk[8192];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  if (read) *read = bytes;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string text = bytes.substr(start, end - start);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    lines.push_back(Classify(std::move(text)));
    start = end + 1;
  }
  return lines;
}

// Index of the first header of `section`, or lines.size().
size_t FindSection(const std::vector<Line>& lines, std::string_view section) {
  const std::string wanted = winplat::TrimSpace(section);
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].kind == Line::Section && AsciiEqualNoCase(lines[i].name, wanted)) return i;
  return lines.size();
}

// One past the last line of the section that starts at `header`.
size_t SectionEnd(const std::vector<Line>& lines, size_t header) {
  size_t i = header + 1;
  while (i < lines.size() && lines[i].kind != Line::Section) ++i;
  return i;
}

size_t FindKey(const std::vector<Line>& lines, size_t header, size_t end, std::string_view key) {
  const std::string wanted = winplat::TrimSpace(key);
  for (size_t i = header + 1; i < end; ++i)
    if (lines[i].kind == Line::Entry && AsciiEqualNoCase(lines[i].name, wanted)) return i;
  return end;
}

// The value of a key, or nothing when the file, section or key is missing.
std::optional<std::string> Lookup(const fs::path& path, std::string_view section, std::string_view key) {
  auto lines = ReadLines(path);
  size_t header = FindSection(lines, section);
  if (header == lines.size()) return std::nullopt;
  size_t end = SectionEnd(lines, header);
  size_t at = FindKey(lines, header, end, key);
  if (at == end) return std::nullopt;
  return lines[at].value;
}

// Copies a list of NUL-terminated names followed by one more NUL.
std::uint32_t CopyList(const std::vector<std::string>& names, char* buffer, std::uint32_t size) {
  if (!buffer || size == 0) return 0;
  if (size == 1) {
    buffer[0] = '\0';
    return 0;
  }
  std::uint32_t pos = 0;
  for (const auto& name : names) {
    for (char c : name) {
      if (pos + 2 >= size) {  // room for this NUL and the final one only
        buffer[pos] = '\0';
        buffer[pos + 1] = '\0';
        return size - 2;
      }
      buffer[pos++] = c;
    }
    if (pos + 2 >= size) {
      buffer[pos] = '\0';
      buffer[pos + 1] = '\0';
      return size - 2;
    }
    buffer[pos++] = '\0';
  }
  buffer[pos] = '\0';
  return pos;
}

std::uint32_t CopyValue(std::string_view value, char* buffer, std::uint32_t size) {
  if (!buffer || size == 0) return 0;
  auto n = static_cast<std::uint32_t>(std::min<size_t>(value.size(), size - 1));
  std::copy_n(value.data(), n, buffer);
  buffer[n] = '\0';
  return n;
}

// Puts `bytes` in place of `path` at once; on any failure the old file stays as it was.
bool ReplaceAtomically(const fs::path& path, const std::string& bytes) {
  ReplacingWriter out = ReplacingWriter::OpenHost(path);
  return out.IsOpen() && out.Write(bytes) && out.Commit();
}

// Serialises read-modify-write of profile files among all processes of the machine.
class ProfileWriteLock {
 public:
  ProfileWriteLock() {
    fs::path lock = detail::MachineFolder("locks") / "profile.lock";
    fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0)
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~ProfileWriteLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  ProfileWriteLock(const ProfileWriteLock&) = delete;
  ProfileWriteLock& operator=(const ProfileWriteLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace

std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                       char* buffer, std::uint32_t size, const char* fileName) {
  std::string_view def = defaultValue ? std::string_view(defaultValue) : std::string_view();
  while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
  auto path = ProfileHostPath(fileName);

  if (!section) {
    std::vector<std::string> names;
    if (path)
      for (const auto& line : ReadLines(*path))
        if (line.kind == Line::Section) names.push_back(line.name);
    return CopyList(names, buffer, size);
  }
  if (!key) {
    std::vector<std::string> names;
    if (path) {
      auto lines = ReadLines(*path);
      size_t header = FindSection(lines, section);
      if (header < lines.size())
        for (size_t i = header + 1, end = SectionEnd(lines, header); i < end; ++i)
          if (lines[i].kind == Line::Entry) names.push_back(lines[i].name);
    }
    return CopyList(names, buffer, size);
  }
  std::optional<std::string> value = path ? Lookup(*path, section, key) : std::nullopt;
  return CopyValue(value ? std::string_view(*value) : def, buffer, size);
}

std::uint32_t GetPrivateProfileIntA(const char* section, const char* key, std::int32_t defaultValue,
                                    const char* fileName) {
  auto path = ProfileHostPath(fileName);
  if (!path || !section || !key) return static_cast<std::uint32_t>(defaultValue);
  auto value = Lookup(*path, section, key);
  if (!value || value->empty()) return static_cast<std::uint32_t>(defaultValue);

  std::string_view t = *value;
  bool negative = false;
  if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  unsigned base = 10;
  if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t.remove_prefix(2);
  }
  std::uint32_t result = 0;  // wraps like the 32-bit original
  for (char c : t) {
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else break;
    result = result * base + digit;
  }
  return negative ? 0u - result : result;
}

// A write that would plant a line of another kind is refused: a line break
// in any part, a key that reads back as a section, a comment or a split at
// its own "=", a section name closed early by "]".
std::string ProfileWriteRefusal(const char* section, const char* key, const char* value) {
  auto hasBreak = [](const char* t) { return t && std::strpbrk(t, "\r\n") != nullptr; };
  if (hasBreak(section) || hasBreak(key) || hasBreak(value)) return "line breaks cannot be stored";
  if (section && std::strchr(section, ']')) return "a section name cannot hold ]";
  if (key) {
    const std::string name = winplat::TrimSpace(key);
    if (name.find('=') != std::string_view::npos) return "a key cannot hold =";
    if (!name.empty() && (name[0] == '[' || name[0] == ';')) return "a key cannot begin with [ or ;";
  }
  return "";
}

std::vector<std::pair<std::string, std::string>> ProfileKeysWithValues(const std::filesystem::path& hostFile) {
  std::vector<std::pair<std::string, std::string>> keys;
  std::string section;
  for (const Line& line : ReadLines(hostFile)) {
    if (line.kind == Line::Section) section = line.name;
    if (line.kind == Line::Entry && !line.value.empty()) keys.emplace_back(section, line.name);
  }
  return keys;
}

std::int32_t WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                        const char* fileName) {
  if (!section) return 1;  // Windows: flush the cache; nothing is cached here
  if (!ProfileWriteRefusal(section, key, value).empty()) return 0;
  auto path = ProfileHostPath(fileName);
  if (!path) return 0;
  std::error_code ec;
  if (!fs::is_directory(path->parent_path(), ec)) return 0;

  ProfileWriteLock lock;
  bool exists = false;
  std::string present;
  auto lines = ReadLines(*path, &exists, &present);
  size_t header = FindSection(lines, section);
  if (header == lines.size()) {
    if (!key || !value) return 1;  // nothing to delete
    lines.push_back(Classify("[" + std::string(section) + "]"));
    lines.push_back(Classify(std::string(key) + "=" + value));
  } else {
    size_t end = SectionEnd(lines, header);
    if (!key) {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header), lines.begin() + static_cast<std::ptrdiff_t>(end));
    } else {
      size_t at = FindKey(lines, header, end, key);
      if (at < end) {
        if (value) lines[at] = Classify(lines[at].name + "=" + value);
        else lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
      } else if (value) {
        // After the section's last non-blank line, so blank lines before the next section stay there.
        size_t insert = end;
        while (insert > header + 1 && winplat::TrimSpace(lines[insert - 1].text).empty()) --insert;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), Classify(std::string(key) + "=" + value));
      } else {
        return 1;
      }
    }
  }
  std::string bytes;
  for (const auto& line : lines) {
    bytes += line.text;
    bytes += "\r\n";
  }
  // A write that changes nothing leaves the file as it is (its time, its inode).
  if (exists && bytes == present) return 1;
  return ReplaceAtomically(*path, bytes) ? 1 : 0;
}

}  // namespace winplat
