// Conversions between the system's numeric types, checked integer arithmetic,
// integer division and the Latin-1 character functions.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "winplat/numeric.h"

namespace winplat {
namespace {

[[noreturn]] void Overflow() { throw NumericError(6, "Overflow"); }

// Nearest integer, halves to the even neighbour, independent of the FPU's
// rounding mode. The argument must be finite.
double RoundHalfEven(double value) {
  double lower = std::floor(value);
  double diff = value - lower;  // exact for every finite double
  if (diff > 0.5) return lower + 1.0;
  if (diff < 0.5) return lower;
  return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

template <typename Int>
Int RoundToInt(double value) {
  if (!std::isfinite(value)) Overflow();
  double rounded = RoundHalfEven(value);
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    Overflow();
  }
  return static_cast<Int>(rounded);
}

template <typename Int>
Int Checked(std::int64_t wide) {
  if (wide < std::numeric_limits<Int>::min() || wide > std::numeric_limits<Int>::max()) Overflow();
  return static_cast<Int>(wide);
}

std::string HexDigits(std::uint32_t bits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), kDigits[bits & 0xF]);
    bits >>= 4;
  } while (bits != 0);
  return out;
}

}  // namespace

std::int16_t CInt(double value) { return RoundToInt<std::int16_t>(value); }

std::int32_t CLng(double value) { return RoundToInt<std::int32_t>(value); }

float CSng(double value) {
  if (std::isnan(value)) Overflow();
  double magnitude = std::fabs(value);
  if (magnitude > static_cast<double>(FLT_MAX)) {
    // Values within half a unit of the largest float still round to it; the
    // exact half rounds to the even neighbour, which is out of range.
    const double limit = static_cast<double>(FLT_MAX) + std::ldexp(1.0, 103);
    if (magnitude >= limit) Overflow();
    return value < 0 ? -FLT_MAX : FLT_MAX;
  }
  return static_cast<float>(value);
}

std::int16_t AddInt(std::int16_t a, std::int16_t b) { return Checked<std::int16_t>(std::int64_t{a} + b); }
std::int16_t SubInt(std::int16_t a, std::int16_t b) { return Checked<std::int16_t>(std::int64_t{a} - b); }
std::int16_t MulInt(std::int16_t a, std::int16_t b) { return Checked<std::int16_t>(std::int64_t{a} * b); }
std::int32_t AddLng(std::int32_t a, std::int32_t b) { return Checked<std::int32_t>(std::int64_t{a} + b); }
std::int32_t SubLng(std::int32_t a, std::int32_t b) { return Checked<std::int32_t>(std::int64_t{a} - b); }
std::int32_t MulLng(std::int32_t a, std::int32_t b) { return Checked<std::int32_t>(std::int64_t{a} * b); }

std::int32_t IntDiv(double a, double b) {
  std::int32_t dividend = CLng(a);
  std::int32_t divisor = CLng(b);
  if (divisor == 0) throw NumericError(11, "Division by zero");
  return Checked<std::int32_t>(std::int64_t{dividend} / divisor);
}

std::int32_t Mod(double a, double b) {
  std::int32_t dividend = CLng(a);
  std::int32_t divisor = CLng(b);
  if (divisor == 0) throw NumericError(11, "Division by zero");
  return static_cast<std::int32_t>(std::int64_t{dividend} % divisor);
}

std::string Hex(std::int32_t value) { return HexDigits(static_cast<std::uint32_t>(value)); }

std::string Hex(std::int16_t value) { return HexDigits(static_cast<std::uint16_t>(value)); }

int Asc(std::string_view text) {
  if (text.empty()) throw NumericError(5, "Invalid procedure call or argument");
  return static_cast<unsigned char>(text.front());
}

std::string Chr(int code) {
  if (code < 0 || code > 255) throw NumericError(5, "Invalid procedure call or argument");
  return std::string(1, static_cast<char>(static_cast<unsigned char>(code)));
}

}  // namespace winplat
