// File tests of the routine library.
#include "winplat/components/file_routines.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "winplat/paths.h"

namespace fs = std::filesystem;

namespace winplat {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

constexpr const char* DefaultExeName = "C:\\Fieldray\\Fieldray.exe";

// Host path for a Windows path, empty when it cannot be mapped.
fs::path TryHostPath(std::string_view windowsPath) {
  if (windowsPath.empty()) return {};
  try {
    return HostPath(windowsPath);
  } catch (const PathError&) {
    return {};
  }
}

// "*" any run of characters, "?" one character; letter case ignored.
bool WildMatch(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
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

}  // namespace

std::string ExeName() {
  if (const char* exe = std::getenv("FIELDRAY_PROGRAM"); exe && *exe) return exe;
  return DefaultExeName;
}

std::int32_t Exist(std::string_view windowsPath) {
  fs::path host = TryHostPath(windowsPath);
  std::error_code ec;
  return (!host.empty() && fs::is_regular_file(host, ec)) ? -1 : 0;
}

std::int32_t FCount(std::string_view windowsPattern) {
  std::size_t slash = windowsPattern.find_last_of("\\/");
  std::string_view folder = slash == std::string_view::npos ? std::string_view() : windowsPattern.substr(0, slash + 1);
  std::string_view pattern = slash == std::string_view::npos ? windowsPattern : windowsPattern.substr(slash + 1);
  if (folder.empty()) return 0;
  fs::path dir = TryHostPath(folder);
  std::error_code ec;
  if (dir.empty() || !fs::is_directory(dir, ec)) return 0;
  // "*.*" also matches names without an extension, as it always has.
  bool all = pattern == "*.*" || pattern == "*";
  std::int32_t count = 0;
  for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code fileEc;
    if (!it->is_regular_file(fileEc)) continue;
    if (all || WildMatch(pattern, it->path().filename().string())) ++count;
  }
  return count;
}

std::int32_t FileSize(std::string_view windowsPath) {
  fs::path host = TryHostPath(windowsPath);
  std::error_code ec;
  if (host.empty() || !fs::is_regular_file(host, ec)) return -1;
  auto size = fs::file_size(host, ec);
  if (ec || size > 0x7FFFFFFFu) return -1;
  return static_cast<std::int32_t>(size);
}

}  // namespace winplat
