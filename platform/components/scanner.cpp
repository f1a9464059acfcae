// The text scanner: fields, file scans and expression values.
#include "winplat/components/scanner.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "winplat/paths.h"

namespace winplat {

TextScanner::TextScanner() { Split(); }

void TextScanner::SetText(std::string_view text) {
  text_ = std::string(text);
  Split();
}

void TextScanner::SetFS(std::string_view separators) {
  fs_ = std::string(separators);
  Split();
}

void TextScanner::Split() {
  fields_.clear();
  if (text_.empty()) return;
  std::size_t begin = 0;
  if (!fs_.empty()) {
    // Straight to the next separator; one separator (the usual case) by a plain search.
    auto next = [this](std::size_t from) {
      return fs_.size() == 1 ? text_.find(fs_.front(), from) : text_.find_first_of(fs_, from);
    };
    for (std::size_t at = next(0); at != std::string::npos; at = next(begin)) {
      fields_.emplace_back(begin, at - begin);
      begin = at + 1;
    }
  }
  fields_.emplace_back(begin, text_.size() - begin);
}

std::string TextScanner::Field(std::int32_t i) const {
  if (i == 0) return text_;
  if (i < 1 || i > FieldCount()) return "";
  const auto& [offset, length] = fields_[static_cast<std::size_t>(i - 1)];
  return text_.substr(offset, length);
}

void TextScanner::SetFileName(std::string_view windowsPath) {
  if (scanning_) throw ScannerError("a file scan is already running");
  fileName_ = std::string(windowsPath);
  std::string host;
  try {
    host = HostPath(windowsPath).string();
  } catch (const PathError& e) {
    throw ScannerError(std::string("cannot scan ") + fileName_ + ": " + e.what());
  }
  ScanHostFile(host);
}

void TextScanner::ScanHostFile(const std::string& hostPath) {
  if (scanning_) throw ScannerError("a file scan is already running");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(hostPath, ec)) throw ScannerError("cannot open " + hostPath);
  std::ifstream file(hostPath, std::ios::binary);
  if (!file) throw ScannerError("cannot open " + hostPath);
  std::ostringstream whole;
  whole << file.rdbuf();
  if (file.bad()) throw ScannerError("cannot read " + hostPath);
  const std::string bytes = whole.str();

  struct Busy {
    bool& flag;
    explicit Busy(bool& f) : flag(f) { flag = true; }
    ~Busy() { flag = false; }
  } busy(scanning_);
  stopScan_ = 0;
  lineNumber_ = 0;
  std::size_t pos = 0;
  while (pos < bytes.size() && stopScan_ == 0) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    std::size_t next;
    if (end == std::string::npos) {
      end = bytes.size();
      next = end;
    } else if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
      next = end + 2;
    } else {
      next = end + 1;
    }
    SetText(std::string_view(bytes).substr(pos, end - pos));
    ++lineNumber_;
    if (OnLine) OnLine();
    pos = next;
  }
}

double TextScanner::Value() {
  return EvaluateScannerExpression(text_, [this](char name) {
    std::string n(1, name);
    double value = 0;
    std::int16_t handled = 0;
    if (OnGetVariable) OnGetVariable(n, value, handled);
    if (!handled) throw ScannerError("variable " + n + " has no value");
    return value;
  });
}

}  // namespace winplat
