// Load and save of a whole spreadsheet grid (format described in FORMATS.md).
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "winplat/components/grid.h"
#include "winplat/files.h"
#include "winplat/paths.h"

namespace fs = std::filesystem;

namespace winplat {
namespace {

constexpr std::string_view MagicFull = "FIELDRAY-GRID 1 FULL";
constexpr std::string_view MagicData = "FIELDRAY-GRID 1 DATA";

std::string Escape(std::string_view text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (u < 0x20 || u == 0x7F) {
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else if (i + 3 < text.size() && text[i + 1] == 'x' && HexDigit(text[i + 2]) >= 0 &&
               HexDigit(text[i + 3]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

// Reads a decimal integer from the front of `text`, leaving the rest.
bool TakeInt(std::string_view& text, std::int32_t& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end == text.data()) return false;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

bool TakeBlank(std::string_view& text) {
  if (text.empty() || text.front() != ' ') return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

namespace {
// An error about a host file, told with the Windows path the caller gave.
void ShowWindowsPath(std::string& error, const std::string& hostPath, std::string_view windowsPath) {
  for (std::size_t at = error.find(hostPath); at != std::string::npos; at = error.find(hostPath, at + windowsPath.size()))
    error.replace(at, hostPath.size(), windowsPath);
}
}  // namespace

bool SpreadGrid::SaveToFile(std::string_view windowsPath, bool dataOnly) {
  try {
    const std::string host = HostPath(windowsPath).string();
    if (SaveToHostFile(host, dataOnly)) return true;
    ShowWindowsPath(lastError_, host, windowsPath);
    return false;
  } catch (const PathError& e) {
    lastError_ = e.what();
    return false;
  }
}

bool SpreadGrid::LoadFromFile(std::string_view windowsPath) {
  try {
    const std::string host = HostPath(windowsPath).string();
    if (LoadFromHostFile(host)) return true;
    ShowWindowsPath(lastError_, host, windowsPath);
    return false;
  } catch (const PathError& e) {
    lastError_ = e.what();
    return false;
  }
}

bool SpreadGrid::SaveToHostFile(const std::string& hostPath, bool dataOnly) {
  std::ostringstream out;
  out << (dataOnly ? MagicData : MagicFull) << '\n';
  out << "SIZE " << maxRows_ << ' ' << maxCols_ << '\n';
  if (!dataOnly) out << "ACTIVE " << activeRow_ << ' ' << activeCol_ << '\n';
  for (const auto& [key, text] : cells_) {
    bool header = key.first == 0 || key.second == 0;
    if (header && dataOnly) continue;
    out << "CELL " << key.first << ' ' << key.second << ' ' << Escape(text) << '\n';
  }
  out << "END\n";
  std::string bytes = out.str();

  // Written beside the target and renamed over it, so a failed save leaves the
  // previous file whole.
  ReplacingWriter file = ReplacingWriter::OpenHost(fs::path(hostPath));
  if (!file.IsOpen()) {
    lastError_ = "cannot create " + hostPath + ": " + std::strerror(file.SystemError());
    return false;
  }
  if (!file.Write(bytes) || !file.Commit()) {
    lastError_ = "cannot write " + hostPath + ": " + std::strerror(file.SystemError());
    return false;
  }
  lastError_.clear();
  return true;
}

bool SpreadGrid::LoadFromHostFile(const std::string& hostPath) {
  std::error_code ec;
  std::ifstream file;
  if (fs::is_regular_file(hostPath, ec)) file.open(hostPath, std::ios::binary);
  if (!file.is_open()) {
    lastError_ = "cannot open " + hostPath;
    return false;
  }
  std::ostringstream whole;
  whole << file.rdbuf();
  std::string bytes = whole.str();

  std::vector<std::string_view> lines;
  std::string_view rest(bytes);
  while (!rest.empty()) {
    std::size_t lf = rest.find('\n');
    std::string_view line = rest.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // CR LF copies read the same
    lines.push_back(line);
    rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
  }

  auto fail = [&](std::size_t lineNo, const std::string& why) {
    lastError_ = hostPath + " line " + std::to_string(lineNo) + ": " + why;
    return false;
  };
  if (lines.empty() || (lines[0] != MagicFull && lines[0] != MagicData))
    return fail(1, "not a grid file");
  bool dataOnly = lines[0] == MagicData;

  std::int32_t rows = -1, cols = -1, activeRow = 1, activeCol = 1;
  std::map<Key, std::string> cells;
  bool ended = false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    std::size_t lineNo = i + 1;
    if (ended) {
      if (!line.empty()) return fail(lineNo, "text after END");
      continue;
    }
    if (line == "END") {
      ended = true;
    } else if (line.starts_with("SIZE ")) {
      line.remove_prefix(5);
      if (rows >= 0) return fail(lineNo, "second SIZE");
      if (!TakeInt(line, rows) || !TakeBlank(line) || !TakeInt(line, cols) || !line.empty())
        return fail(lineNo, "malformed SIZE");
      if (rows < 0 || cols < 0 || rows > GridRowLimit || cols > GridColLimit) return fail(lineNo, "size out of range");
    } else if (line.starts_with("ACTIVE ")) {
      line.remove_prefix(7);
      if (dataOnly) return fail(lineNo, "ACTIVE in a data-only file");
      if (!TakeInt(line, activeRow) || !TakeBlank(line) || !TakeInt(line, activeCol) || !line.empty())
        return fail(lineNo, "malformed ACTIVE");
    } else if (line.starts_with("CELL ")) {
      line.remove_prefix(5);
      std::int32_t r = 0, c = 0;
      if (rows < 0) return fail(lineNo, "CELL before SIZE");
      if (!TakeInt(line, r) || !TakeBlank(line) || !TakeInt(line, c) || !TakeBlank(line))
        return fail(lineNo, "malformed CELL");
      if (r < 0 || c < 0 || r > rows || c > cols) return fail(lineNo, "cell outside the grid");
      if (dataOnly && (r == 0 || c == 0)) return fail(lineNo, "heading in a data-only file");
      std::string text;
      if (!Unescape(line, text)) return fail(lineNo, "bad escape in cell text");
      if (!cells.emplace(Key{r, c}, std::move(text)).second) return fail(lineNo, "cell given twice");
    } else {
      return fail(lineNo, "unknown line");
    }
  }
  if (rows < 0) return fail(lines.size(), "no SIZE");
  if (!ended) return fail(lines.size(), "file ends without END");
  if (activeRow < 1 || activeCol < 1 || activeRow > std::max(rows, 1) || activeCol > std::max(cols, 1))
    return fail(lines.size(), "active cell outside the grid");

  // Accepted whole: replace the grid. A data-only file keeps the headings.
  if (dataOnly) {
    for (const auto& [key, text] : cells_)
      if ((key.first == 0 || key.second == 0) && key.first <= rows && key.second <= cols) cells.emplace(key, text);
  } else {
    activeRow_ = activeRow;
    activeCol_ = activeCol;
  }
  maxRows_ = rows;
  maxCols_ = cols;
  cells_ = std::move(cells);
  for (auto it = cells_.begin(); it != cells_.end();) {
    bool header = it->first.first == 0 || it->first.second == 0;
    if (!header && it->second.empty())
      it = cells_.erase(it);
    else
      ++it;
  }
  activeRow_ = std::min(activeRow_, std::max(maxRows_, 1));
  activeCol_ = std::min(activeCol_, std::max(maxCols_, 1));
  lastError_.clear();
  return true;
}

}  // namespace winplat
