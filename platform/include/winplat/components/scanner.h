#pragma once
// The text scanner: splits a text into fields at separator characters, scans a
// file line by line raising a line event for each, and evaluates the text as an
// arithmetic expression whose variables it asks its host for. It changes no
// character of what it is given.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace winplat {

// Members of the scanner by dispatch identifier.
namespace ScannerDispId {
constexpr std::int32_t Text = 0;
constexpr std::int32_t FileName = 1;
constexpr std::int32_t FS = 3;
constexpr std::int32_t StopScan = 5;
constexpr std::int32_t FieldCount = 8;
constexpr std::int32_t LineNumber = 10;
constexpr std::int32_t Value = 14;
constexpr std::int32_t Field = 17;
}  // namespace ScannerDispId

// A file that cannot be scanned, a scan started inside a scan, or an
// expression that cannot be evaluated; what() says which and why.
class ScannerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TextScanner {
 public:
  TextScanner();

  // The current text; putting it splits it at once.
  const std::string& Text() const { return text_; }
  void SetText(std::string_view text);

  // Field separator: every character of it ends a field ("ABC" splits at A, B
  // and C). Fields are not merged: two separators in a row make an empty field.
  // Default one blank. An empty separator keeps the whole text as one field.
  const std::string& FS() const { return fs_; }
  void SetFS(std::string_view separators);

  // Fields of the current text: 0 for an empty text, else separators + 1.
  std::int32_t FieldCount() const { return static_cast<std::int32_t>(fields_.size()); }
  // Field i counted from 1; "" for a field that does not exist; 0 is the whole text.
  std::string Field(std::int32_t i) const;

  // Putting a file name (a Windows path) scans that file at once: for every
  // line, in order, the line becomes the current text, LineNumber counts it and
  // OnLine runs; the put returns after the last line. Lines end at LF, CR LF or
  // a lone CR; a last line without an end is a line; an empty file has none.
  // Throws ScannerError for a file that cannot be read or a scan inside a scan.
  // Whatever OnLine throws ends the scan and reaches the caller.
  const std::string& FileName() const { return fileName_; }
  void SetFileName(std::string_view windowsPath);
  void ScanHostFile(const std::string& hostPath);

  // Nonzero stops a running scan after the current line; cleared when a scan starts.
  std::int32_t StopScan() const { return stopScan_; }
  void SetStopScan(std::int32_t stop) { stopScan_ = stop; }
  // Number of the current line during a scan, the count of lines after it.
  std::int32_t LineNumber() const { return lineNumber_; }
  void SetLineNumber(std::int32_t line) { lineNumber_ = line; }
  bool Scanning() const { return scanning_; }

  // Value of the current text as an arithmetic expression (syntax in
  // FORMATS.md beside the code). Each variable raises OnGetVariable with its
  // one-character name, the value 0 and handled false; a variable left
  // unhandled is an error. Throws ScannerError for any error.
  double Value();

  std::function<void()> OnLine;
  std::function<void(const std::string& name, double& value, std::int16_t& handled)> OnGetVariable;

 private:
  void Split();

  std::string text_;
  std::string fs_ = " ";
  std::vector<std::pair<std::size_t, std::size_t>> fields_;  // (offset, length) in text_
  std::string fileName_;
  std::int32_t stopScan_ = 0;
  std::int32_t lineNumber_ = 0;
  bool scanning_ = false;
};

// Evaluates an expression of the scanner's syntax; `variable` answers a
// variable by its one-character name. Throws ScannerError.
double EvaluateScannerExpression(std::string_view text, const std::function<double(char name)>& variable);

}  // namespace winplat
