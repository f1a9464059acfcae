// Pair reading of ASCII DXF text, the locale-independent number reader and the
// group table of one object.
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <fstream>
#include <limits>

#include "dxfpairs.h"

namespace kelvane {
namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }
bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

}  // namespace

double LeadingNumber(std::string_view text, bool& ok) {
  ok = true;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t start = i;
  std::size_t intDigits = 0;
  std::size_t fracDigits = 0;
  while (i < n && IsDigit(text[i])) ++i, ++intDigits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDigit(text[i])) ++i, ++fracDigits;
  }
  if (intDigits + fracDigits == 0) return 0.0;
  const std::size_t mantissaEnd = i;
  std::size_t end = i;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    std::size_t j = i + 1;
    if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < n && IsDigit(text[j])) {
      while (j < n && IsDigit(text[j])) ++j;
      end = j;
    }
  }
  // Most values are short decimals: with at most 15 digits the mantissa and the
  // power of ten are exact doubles, and one division or multiplication rounds
  // correctly (the same result as the general conversion below).
  if (intDigits + fracDigits <= 15) {
    std::int64_t mantissa = 0;
    for (std::size_t k = start; k < mantissaEnd; ++k)
      if (text[k] != '.') mantissa = mantissa * 10 + (text[k] - '0');
    long exponent = -static_cast<long>(fracDigits);
    bool plain = true;
    if (end > mantissaEnd) {  // an exponent follows: small ones stay on the fast path
      std::size_t j = mantissaEnd + 1;
      bool negativeExp = text[j] == '-';
      if (text[j] == '+' || text[j] == '-') ++j;
      long e = 0;
      for (; j < end && e < 1000; ++j) e = e * 10 + (text[j] - '0');
      if (j < end) plain = false;
      exponent += negativeExp ? -e : e;
    }
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (plain && exponent >= -22 && exponent <= 22) {
      double value = static_cast<double>(mantissa);
      value = exponent < 0 ? value / kPowers[-exponent] : value * kPowers[exponent];
      return negative ? -value : value;
    }
  }
  // from_chars takes no '+' in the exponent; copy the number when it has one.
  std::string_view number = text.substr(start, end - start);
  std::string buffer;
  if (number.find('+') != std::string_view::npos) {
    buffer.reserve(number.size());
    for (char ch : number)
      if (ch != '+') buffer += ch;
    number = buffer;
  }
  double value = 0.0;
  auto result = std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small reads 0; too large does not fit. Tell them apart by the decimal
    // exponent of the first significant digit.
    long long exponent = 0;
    std::size_t e = number.find_first_of("Ee");
    if (e != std::string_view::npos) {
      std::string_view digits = number.substr(e + 1);
      bool expNegative = !digits.empty() && digits.front() == '-';
      if (expNegative) digits.remove_prefix(1);
      for (char ch : digits) {
        exponent = exponent * 10 + (ch - '0');
        if (exponent > 1000000000LL) break;
      }
      if (expNegative) exponent = -exponent;
    }
    std::string_view mantissa = number.substr(0, e);
    std::size_t firstSignificant = mantissa.find_first_not_of("0.");
    std::size_t point = mantissa.find('.');
    if (point == std::string_view::npos) point = mantissa.size();
    if (firstSignificant == std::string_view::npos) return 0.0;
    long long position = firstSignificant < point ? static_cast<long long>(point - firstSignificant - 1)
                                                  : -static_cast<long long>(firstSignificant - point);
    if (exponent + position < 0) return 0.0;
    ok = false;
    return 0.0;
  }
  if (result.ec != std::errc()) return 0.0;
  return negative ? -value : value;
}

double LeadingDouble(std::string_view text) {
  bool ok = true;
  double value = LeadingNumber(text, ok);
  if (!ok) throw DxfFormatError("The number '" + std::string(text) + "' is too large.");
  return value;
}

float LeadingSingle(std::string_view text) {
  bool ok = true;
  double value = LeadingNumber(text, ok);
  float single = static_cast<float>(value);
  if (!ok || std::isinf(single))
    throw DxfFormatError("The number '" + std::string(text) + "' is beyond the range of a single-precision value.");
  return single;
}

bool WholeNumber(std::string_view text) {
  std::size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  while (n > i && IsBlank(text[n - 1])) --n;
  if (i == n) return true;
  if (text[i] == '+' || text[i] == '-') ++i;
  std::size_t digits = 0;
  while (i < n && IsDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    if (i == n || !IsDigit(text[i])) return false;
    while (i < n && IsDigit(text[i])) ++i;
  }
  return i == n;
}

bool ParseGroupCode(std::string_view line, std::int32_t& code) {
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (i < n && IsBlank(line[i])) ++i;
  bool negative = false;
  if (i < n && (line[i] == '+' || line[i] == '-')) {
    negative = line[i] == '-';
    ++i;
  }
  if (i >= n || !IsDigit(line[i])) return false;
  std::int64_t value = 0;
  while (i < n && IsDigit(line[i])) {
    if (value < 100000000000LL) value = value * 10 + (line[i] - '0');
    ++i;
  }
  while (i < n && IsBlank(line[i])) ++i;
  if (i != n) return false;
  if (negative) value = -value;
  // Codes far outside any use are kept out of range rather than wrapped.
  if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) value = std::numeric_limits<std::int32_t>::min();
  code = static_cast<std::int32_t>(value);
  return true;
}

// ---- DxfPairReader ----

bool DxfPairReader::Open(const std::filesystem::path& file) {
  Close();
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0 || !in) return false;
  in.seekg(0, std::ios::beg);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (size > 0 && !in.read(text.data(), size)) return false;
  OpenText(std::move(text));
  return true;
}

void DxfPairReader::OpenText(std::string text) {
  Close();
  text_ = std::move(text);
  // A UTF-8 byte order mark is not part of the first code line.
  if (text_.size() >= 3 && text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
  open_ = true;
}

void DxfPairReader::Close() {
  text_.clear();
  text_.shrink_to_fit();
  pos_ = 0;
  lines_ = 0;
  open_ = false;
  havePending_ = false;
  pendingValue_ = {};
}

std::uint64_t DxfPairReader::LineOf(const char* at) const {
  const char* base = text_.data();
  const std::less<const char*> before;
  if (before(at, base) || before(base + text_.size(), at)) return 0;
  // A line ends at a CR, at a CR LF, or at an LF.
  std::uint64_t line = 1;
  for (const char* p = base; p < at; ++p)
    if (*p == '\r' || (*p == '\n' && (p == base || p[-1] != '\r'))) ++line;
  return line;
}

bool DxfPairReader::ReadLine(std::string_view& line) {
  const std::size_t n = text_.size();
  if (pos_ >= n) return false;
  const char* base = text_.data();
  // The line ends at the first LF or CR: find the LF, then any CR before it.
  const char* start = base + pos_;
  const void* lf = std::memchr(start, '\n', n - pos_);
  std::size_t i = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : n;
  if (const void* cr = std::memchr(start, '\r', i - pos_)) i = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
  line = std::string_view(start, i - pos_);
  if (i < n) {
    if (base[i] == '\r' && i + 1 < n && base[i + 1] == '\n')
      i += 2;
    else
      i += 1;
  }
  pos_ = i;
  ++lines_;
  return true;
}

bool DxfPairReader::ReadPair(std::int32_t& code, std::string_view& value) {
  bool broken = false;
  return ReadPair(code, value, broken);
}

bool DxfPairReader::ReadPair(std::int32_t& code, std::string_view& value, bool& brokenAtEnd) {
  brokenAtEnd = false;
  if (havePending_) {
    havePending_ = false;
    code = pendingCode_;
    value = pendingValue_;
    return true;
  }
  for (;;) {
    std::string_view codeLine;
    if (!ReadLine(codeLine)) return false;
    std::string_view valueLine;
    if (!ReadLine(valueLine)) {
      brokenAtEnd = true;
      return false;
    }
    if (ParseGroupCode(codeLine, code)) {
      value = valueLine;
      return true;
    }
    // Not a code: this line and its value are skipped.
  }
}

void DxfPairReader::UnreadPair(std::int32_t code, std::string_view value) {
  havePending_ = true;
  pendingCode_ = code;
  pendingValue_ = value;
}

bool DxfPairReader::LooksBinary(std::string_view head) {
  return head.substr(0, 18) == "AutoCAD Binary DXF";
}

// ---- DxfGroupTable ----

void DxfGroupTable::Clear() {
  for (const Pair& p : pairs_) last_[static_cast<std::size_t>(p.code)] = 0;
  pairs_.clear();
}

void DxfGroupTable::Add(std::int32_t code, std::string_view value) {
  if (!InRange(code)) return;
  pairs_.push_back(Pair{code, value});
  last_[static_cast<std::size_t>(code)] = static_cast<std::uint32_t>(pairs_.size());
}

std::string_view DxfGroupTable::Value(std::int32_t code) const {
  if (!InRange(code)) return {};
  std::uint32_t at = last_[static_cast<std::size_t>(code)];
  return at == 0 ? std::string_view() : pairs_[at - 1].value;
}

std::vector<std::string_view> DxfGroupTable::Values(std::int32_t code) const {
  std::vector<std::string_view> out;
  if (!Has(code)) return out;
  for (const Pair& p : pairs_)
    if (p.code == code) out.push_back(p.value);
  return out;
}

void DxfGroupTable::Check(std::int32_t code, std::string_view text, double readAs, bool single) const {
  // The earliest in the file is kept: within one object the loaders read
  // the groups in their own order.
  if (WholeNumber(text)) return;
  faulty_.insert(text.data());
  if (fault_ && !std::less<const char*>()(text.data(), fault_->at)) return;
  char digits[32];
  const auto end = single ? std::to_chars(digits, digits + sizeof digits, static_cast<float>(readAs)).ptr
                          : std::to_chars(digits, digits + sizeof digits, readAs).ptr;
  fault_ = NumberFault{code, std::string(text), text.data(), std::string(digits, end)};
}

float DxfGroupTable::Single(std::int32_t code) const {
  std::string_view text = Value(code);
  if (text.empty()) return 0.0f;
  try {
    const float value = LeadingSingle(text);
    Check(code, text, value, true);
    return value;
  } catch (const DxfFormatError&) {
    throw DxfFormatError("The value '" + std::string(text) + "' of group " + std::to_string(code) +
                         " is beyond the range of a single-precision number.");
  }
}

double DxfGroupTable::Double(std::int32_t code) const {
  std::string_view text = Value(code);
  if (text.empty()) return 0.0;
  try {
    const double value = LeadingDouble(text);
    Check(code, text, value, false);
    return value;
  } catch (const DxfFormatError&) {
    throw DxfFormatError("The value '" + std::string(text) + "' of group " + std::to_string(code) +
                         " is too large.");
  }
}

}  // namespace kelvane
