#pragma once
// Reading an ASCII DXF file as group-code and value pairs.
//
// The whole file is held in memory; lines end in LF, CR LF or CR. A pair is a
// code line (an integer, blanks around it allowed) followed by a value line.
// Values are views into the file's text and stay valid while the reader lives.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kelvane {

// A fault in the file's text (a value beyond the float range, a file that ends
// inside an object); the reader turns it into its error trail.
class DxfFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The leading number of a text, read the same way whatever the locale: blanks
// and tabs, a sign, digits with at most one ".", an optional exponent ("E" or "e"
// with an optional sign and at least one digit). Reading stops at the first
// character that cannot continue the number; no number at all reads 0, so
// "inf", "nan" and "0x1F" read 0. `ok` is false when the number does not fit a
// double (the value is then 0).
double LeadingNumber(std::string_view text, bool& ok);
// As above; DxfFormatError when the value lies beyond the 32-bit float range.
float LeadingSingle(std::string_view text);
double LeadingDouble(std::string_view text);
// True when the text, blanks and tabs trimmed, is one number as above and
// nothing else, or nothing at all.
bool WholeNumber(std::string_view text);

// A whole line read as a group code: optional blanks, an optional sign, digits,
// optional blanks, and nothing else. False for any other text.
bool ParseGroupCode(std::string_view line, std::int32_t& code);

class DxfPairReader {
 public:
  DxfPairReader() = default;
  DxfPairReader(const DxfPairReader&) = delete;
  DxfPairReader& operator=(const DxfPairReader&) = delete;

  // Loads the whole file; false when it cannot be opened or read.
  bool Open(const std::filesystem::path& file);
  // Takes the text itself (tests, generated drawings).
  void OpenText(std::string text);
  void Close();
  bool IsOpen() const { return open_; }

  // The next line without its line end; false at the end of the text.
  bool ReadLine(std::string_view& line);
  bool AtEnd() const { return pos_ >= text_.size() && !havePending_; }
  std::size_t Position() const { return pos_; }
  std::size_t Length() const { return text_.size(); }
  // The whole text as loaded.
  std::string_view Text() const { return text_; }
  // Lines read so far (a pending pair's lines count when they were first read).
  std::uint64_t LinesRead() const { return lines_; }
  // The line (1 for the first) on which the text at `at` lies; 0 when `at`
  // is not in the text.
  std::uint64_t LineOf(const char* at) const;

  // The next pair. A code line that is not a number is skipped together with
  // its value line, and reading goes on. False when the text ends before a
  // whole pair; `brokenAtEnd` then tells whether a code line was left without value.
  bool ReadPair(std::int32_t& code, std::string_view& value);
  bool ReadPair(std::int32_t& code, std::string_view& value, bool& brokenAtEnd);
  // Puts the pair last read back; the next ReadPair returns it again.
  void UnreadPair(std::int32_t code, std::string_view value);

  // True for the binary form of DXF (its sentinel line).
  static bool LooksBinary(std::string_view head);

 private:
  std::string text_;
  std::size_t pos_ = 0;
  std::uint64_t lines_ = 0;
  bool open_ = false;
  bool havePending_ = false;
  std::int32_t pendingCode_ = 0;
  std::string_view pendingValue_;
};

// A value of a numeric group that is not wholly a number: its group, its
// text, where it lies in the reader's text, and the number it was read as.
struct NumberFault {
  std::int32_t code = 0;
  std::string value;
  const char* at = nullptr;
  std::string readAs;
};

// The group codes and values of one object: the last value of each code 0..1000
// for plain look-ups, and every pair in file order for codes that repeat (the
// text chunks of MTEXT, the vertices of newer polylines). Clearing touches only
// the codes that were used.
class DxfGroupTable {
 public:
  static constexpr std::int32_t kMaxCode = 1000;

  DxfGroupTable() { last_.fill(0); }

  void Clear();
  // Stores one pair; codes outside 0..kMaxCode are ignored.
  void Add(std::int32_t code, std::string_view value);

  bool Has(std::int32_t code) const { return InRange(code) && last_[static_cast<std::size_t>(code)] != 0; }
  // The last value of the code; empty when absent.
  std::string_view Value(std::int32_t code) const;
  // Every value of the code, in file order.
  std::vector<std::string_view> Values(std::int32_t code) const;
  // Leading-number readings of the last value (absent codes read 0).
  float Single(std::int32_t code) const;
  double Double(std::int32_t code) const;
  // The value earliest in the file that the readings above took and that is
  // not wholly a number; kept over Clear until forgotten.
  const std::optional<NumberFault>& FirstNumberFault() const { return fault_; }
  // How many values of the file those readings found not wholly a number.
  std::size_t NumberFaultCount() const { return faulty_.size(); }
  void ForgetNumberFault() {
    fault_.reset();
    faulty_.clear();
  }

  struct Pair {
    std::int32_t code;
    std::string_view value;
  };
  const std::vector<Pair>& Pairs() const { return pairs_; }

 private:
  static bool InRange(std::int32_t code) { return code >= 0 && code <= kMaxCode; }
  std::vector<Pair> pairs_;
  // Index + 1 into pairs_ of the last value of each code; 0 when absent.
  std::array<std::uint32_t, kMaxCode + 1> last_;
  mutable std::optional<NumberFault> fault_;
  // Where each such value lies in the reader's text: one read twice counts once.
  mutable std::unordered_set<const char*> faulty_;
  void Check(std::int32_t code, std::string_view text, double readAs, bool single) const;
};

}  // namespace kelvane
