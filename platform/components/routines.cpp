// The general routine library.
#include "winplat/components/routines.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <system_error>

#include "winplat/paths.h"

namespace fs = std::filesystem;

namespace winplat {
namespace {

constexpr const char* DefaultExeName = "C:\\Fieldray\\Fieldray.exe";

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

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

std::int16_t Exist(std::string_view windowsPath) {
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

std::int32_t QInstrB2(std::int32_t start, std::string_view text, std::string_view find) {
  if (find.empty() || text.size() < find.size()) return 0;
  if (start == -1) {
    std::size_t at = text.rfind(find);
    return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
  }
  if (start < 1 || static_cast<std::size_t>(start) > text.size()) return 0;
  std::size_t at = text.find(find, static_cast<std::size_t>(start - 1));
  return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

std::string ReplaceString(std::string_view text, std::string_view find, std::string_view replacement,
                          std::int32_t flags) {
  if (find.empty()) return std::string(text);
  bool ignoreCase = (flags & 1) != 0;
  auto matchesAt = [&](std::size_t i) {
    for (std::size_t k = 0; k < find.size(); ++k) {
      char a = text[i + k], b = find[k];
      if (ignoreCase ? Lower(a) != Lower(b) : a != b) return false;
    }
    return true;
  };
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + find.size() <= text.size() && matchesAt(i)) {
      out.append(replacement);
      i += find.size();
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}

void ReplaceChar(std::string& text, std::string_view find, std::string_view replacement) {
  if (find.empty() || replacement.empty()) return;
  std::replace(text.begin(), text.end(), find.front(), replacement.front());
}

std::string ParseString(std::int32_t& pos, std::string_view text, std::string_view delimiters) {
  auto isDelimiter = [&](char c) { return delimiters.find(c) != std::string_view::npos; };
  std::size_t i = pos < 1 ? 0 : static_cast<std::size_t>(pos - 1);
  while (i < text.size() && isDelimiter(text[i])) ++i;
  std::size_t begin = i;
  while (i < text.size() && !isDelimiter(text[i])) ++i;
  std::string piece(text.substr(std::min(begin, text.size()), i - std::min(begin, text.size())));
  // Past the delimiter that ends the piece, or just past the end of the text.
  pos = static_cast<std::int32_t>(i < text.size() ? i + 2 : text.size() + 1);
  return piece;
}

void InitLong(std::int32_t* first, std::int32_t value, std::int32_t count) {
  if (first == nullptr || count <= 0) return;
  std::fill(first, first + count, value);
}

void SortL(std::int32_t* first, std::int32_t count, std::int32_t direction) {
  if (first == nullptr || count <= 1) return;
  if (direction == 0)
    std::sort(first, first + count);
  else
    std::sort(first, first + count, std::greater<std::int32_t>());
}

}  // namespace winplat
