// Numbers as text: Str and CStr, Val, and Format with digit patterns.
//
// Every decimal form starts from a correctly rounded conversion of the binary
// value to a fixed count of significant digits (7 for a float, 15 for a
// double), so texts never show binary noise and the same value always gives
// the same text.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <system_error>

#include "winplat/numeric.h"

namespace winplat {
namespace {

constexpr int kFloatDigits = 7;
constexpr int kDoubleDigits = 15;

// A finite value as `precision` significant digits: value = d0.d1d2... x 10^exponent.
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

Decimal ToDecimal(double value, int precision) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, value);
  Decimal d;
  const char* p = buffer;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  for (; *p != 'e'; ++p) {
    if (*p != '.') d.digits.push_back(*p);
  }
  d.exponent = std::atoi(p + 1);
  return d;
}

std::string NonFinite(double value) {
  if (std::isnan(value)) return "NaN";
  return value < 0 ? "-Inf" : "Inf";
}

// The general text form: fixed notation while the exponent lies in
// [-5, precision), otherwise one digit, the rest after the point and E+nn.
std::string GeneralText(double value, int precision, bool leadingBlank) {
  if (!std::isfinite(value)) return (leadingBlank && !(value < 0) ? " " : "") + NonFinite(value);
  if (value == 0.0) return leadingBlank ? " 0" : "0";  // also -0
  Decimal d = ToDecimal(value, precision);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();

  std::string body;
  const int x = d.exponent;
  if (x < -4 || x >= precision) {
    body = d.digits.substr(0, 1);
    if (d.digits.size() > 1) body += "." + d.digits.substr(1);
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%02d", x < 0 ? '-' : '+', x < 0 ? -x : x);
    body += exp;
  } else if (x >= 0) {
    const auto intLen = static_cast<std::size_t>(x) + 1;
    if (d.digits.size() <= intLen) {
      body = d.digits + std::string(intLen - d.digits.size(), '0');
    } else {
      body = d.digits.substr(0, intLen) + "." + d.digits.substr(intLen);
    }
  } else {
    body = "." + std::string(static_cast<std::size_t>(-x - 1), '0') + d.digits;
  }
  if (d.negative) return "-" + body;
  return leadingBlank ? " " + body : body;
}

// Val's reader: a cursor over the text that steps over blanks, tabs and line feeds.
class ValCursor {
 public:
  explicit ValCursor(std::string_view text) : text_(text) {}
  char Peek() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n')) ++pos_;
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  void Next() { ++pos_; }
  // Position, for undoing a partial read (an exponent letter without digits).
  std::size_t Mark() {
    Peek();
    return pos_;
  }
  void Reset(std::size_t mark) { pos_ = mark; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;
}

// &H and &O numbers: up to 16 bits they read as an Integer, up to 32 bits as
// a Long (so "&HFFFF" is -1 and "&H10000" is 65536).
double ValRadix(ValCursor& in, int radix) {
  std::uint64_t value = 0;
  while (DigitValue(in.Peek()) < radix) {
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(DigitValue(in.Peek()));
    if (value > 0xFFFFFFFFull) throw NumericError(6, "Overflow");
    in.Next();
  }
  if (value <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

double ValDecimal(ValCursor& in) {
  std::string number;
  if (in.Peek() == '-' || in.Peek() == '+') {
    if (in.Peek() == '-') number.push_back('-');
    in.Next();
  }
  std::string intDigits;
  std::string fracDigits;
  while (IsDigit(in.Peek())) {
    intDigits.push_back(in.Peek());
    in.Next();
  }
  if (in.Peek() == '.') {
    in.Next();
    while (IsDigit(in.Peek())) {
      fracDigits.push_back(in.Peek());
      in.Next();
    }
  }
  if (intDigits.empty() && fracDigits.empty()) return 0.0;

  long exponent = 0;
  const char e = in.Peek();
  if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
    const std::size_t mark = in.Mark();
    in.Next();
    bool negative = false;
    if (in.Peek() == '-' || in.Peek() == '+') {
      negative = in.Peek() == '-';
      in.Next();
    }
    if (IsDigit(in.Peek())) {
      while (IsDigit(in.Peek())) {
        if (exponent < 100000) exponent = exponent * 10 + (in.Peek() - '0');
        in.Next();
      }
      if (negative) exponent = -exponent;
    } else {
      in.Reset(mark);
    }
  }

  number += (intDigits.empty() ? "0" : intDigits) + "." + fracDigits + "e" + std::to_string(exponent);
  double result = 0.0;
  auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), result);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    // Too large is an overflow; too small is zero.
    const std::string all = intDigits + fracDigits;
    const auto first = all.find_first_not_of('0');
    if (first == std::string::npos) return 0.0;
    const long magnitude = static_cast<long>(intDigits.size()) - static_cast<long>(first) - 1 + exponent;
    if (magnitude > 0) throw NumericError(6, "Overflow");
    return number[0] == '-' ? -0.0 : 0.0;
  }
  return result;
}

// A digit pattern: '#' and '0' placeholders, ',' for digit grouping before
// the point, '.' for the decimal point.
struct Pattern {
  int decimals = 0;      // placeholders after the point
  int minFraction = 0;   // fraction digits always shown (up to the last '0')
  int minInteger = 0;    // integer digits always shown (count of '0')
  bool point = false;
  bool grouping = false;
};

Pattern ParsePattern(std::string_view text) {
  Pattern p;
  for (char c : text) {
    if (c == '.' && !p.point) {
      p.point = true;
    } else if (c == '#' || c == '0') {
      if (p.point) {
        ++p.decimals;
        if (c == '0') p.minFraction = p.decimals;
      } else if (c == '0') {
        ++p.minInteger;
      }
    } else if (c == ',' && !p.point) {
      p.grouping = true;
    } else {
      throw std::invalid_argument("Format: unsupported pattern \"" + std::string(text) + "\"");
    }
  }
  return p;
}

// |value| x 10^decimals rounded to a whole number, halves away from zero, as digits.
std::string ScaledDigits(const Decimal& d, int decimals) {
  const long keep = static_cast<long>(d.exponent) + decimals + 1;
  const auto size = static_cast<long>(d.digits.size());
  if (keep < 0) return "0";
  if (keep >= size) return d.digits + std::string(static_cast<std::size_t>(keep - size), '0');
  std::string kept = d.digits.substr(0, static_cast<std::size_t>(keep));
  if (d.digits[static_cast<std::size_t>(keep)] >= '5') {
    int i = static_cast<int>(kept.size()) - 1;
    for (; i >= 0 && kept[static_cast<std::size_t>(i)] == '9'; --i) kept[static_cast<std::size_t>(i)] = '0';
    if (i >= 0) {
      ++kept[static_cast<std::size_t>(i)];
    } else {
      kept.insert(kept.begin(), '1');
    }
  }
  return kept.empty() ? "0" : kept;
}

std::string FormatDigits(double value, int precision, std::string_view patternText) {
  const Pattern p = ParsePattern(patternText);
  if (!std::isfinite(value)) throw NumericError(6, "Overflow");
  const Decimal d = ToDecimal(value, precision);
  std::string scaled = ScaledDigits(d, p.decimals);
  const bool zero = scaled.find_first_not_of('0') == std::string::npos;

  const auto decimals = static_cast<std::size_t>(p.decimals);
  if (scaled.size() <= decimals) scaled.insert(0, decimals + 1 - scaled.size(), '0');
  std::string integer = scaled.substr(0, scaled.size() - decimals);
  std::string fraction = scaled.substr(scaled.size() - decimals);

  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
  if (integer.size() < static_cast<std::size_t>(p.minInteger)) {
    integer.insert(0, static_cast<std::size_t>(p.minInteger) - integer.size(), '0');
  }
  if (p.grouping) {
    for (auto i = static_cast<long>(integer.size()) - 3; i > 0; i -= 3) {
      integer.insert(static_cast<std::size_t>(i), 1, ',');
    }
  }
  while (fraction.size() > static_cast<std::size_t>(p.minFraction) && fraction.back() == '0') fraction.pop_back();

  std::string out = (d.negative && !zero) ? "-" : "";
  out += integer;
  if (p.point) out += "." + fraction;
  return out;
}

}  // namespace

std::string Str(float value) { return GeneralText(value, kFloatDigits, true); }
std::string Str(double value) { return GeneralText(value, kDoubleDigits, true); }
std::string Str(std::int32_t value) { return value < 0 ? std::to_string(value) : " " + std::to_string(value); }
std::string CStr(float value) { return GeneralText(value, kFloatDigits, false); }
std::string CStr(double value) { return GeneralText(value, kDoubleDigits, false); }
std::string CStr(std::int32_t value) { return std::to_string(value); }

double Val(std::string_view text) {
  ValCursor in(text);
  if (in.Peek() == '&') {
    in.Next();
    const char kind = in.Peek();
    in.Next();
    if (kind == 'H' || kind == 'h') return ValRadix(in, 16);
    if (kind == 'O' || kind == 'o') return ValRadix(in, 8);
    return 0.0;
  }
  return ValDecimal(in);
}

std::string Format(double value, std::string_view pattern) { return FormatDigits(value, kDoubleDigits, pattern); }
std::string Format(float value, std::string_view pattern) { return FormatDigits(value, kFloatDigits, pattern); }
std::string Format(std::int32_t value, std::string_view pattern) {
  return FormatDigits(static_cast<double>(value), kDoubleDigits, pattern);
}

}  // namespace winplat
