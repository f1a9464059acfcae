#pragma once
// The numeric conventions of the system's language, one function each.
// Every subsystem converts through these and nowhere else.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace winplat {

// Overflow (error 6) or division by zero (error 11), as the caller sees it.
class NumericError : public std::runtime_error {
 public:
  NumericError(int number, const std::string& what) : std::runtime_error(what), number_(number) {}
  int Number() const { return number_; }

 private:
  int number_;
};

// Rounding halves to even; NumericError(6) when out of range.
std::int16_t CInt(double value);
std::int32_t CLng(double value);
float CSng(double value);

// Checked integer arithmetic; NumericError(6) on overflow.
std::int16_t AddInt(std::int16_t a, std::int16_t b);
std::int16_t SubInt(std::int16_t a, std::int16_t b);
std::int16_t MulInt(std::int16_t a, std::int16_t b);
std::int32_t AddLng(std::int32_t a, std::int32_t b);
std::int32_t SubLng(std::int32_t a, std::int32_t b);
std::int32_t MulLng(std::int32_t a, std::int32_t b);

// Integer division `\` and `Mod`: operands rounded to integers first; `\`
// truncates toward zero, `Mod` takes the dividend's sign. NumericError(11) on zero.
std::int32_t IntDiv(double a, double b);
std::int32_t Mod(double a, double b);

// Str: one leading blank when not negative, no zero before the point,
// 7 significant digits for a float and 15 for a double (correctly rounded, trailing
// zeros dropped); exponent form when the decimal exponent is below -4 or reaches
// the digit count (" 1E-05", " 1.234568E+07", "-1.5E+100"). -0 gives " 0".
std::string Str(float value);
std::string Str(double value);
std::string Str(std::int32_t value);
// CStr: as Str without the leading blank.
std::string CStr(float value);
std::string CStr(double value);
std::string CStr(std::int32_t value);

// Val: the number at the start of a text; blanks, tabs and line feeds skipped anywhere
// (" 1 2" reads 12). A sign, digits with one ".", an exponent with E or D; "&H" and
// "&O" numbers, read as a 16-bit Integer when they fit in 16 bits ("&HFFFF" is -1),
// else as a 32-bit Long. 0 when there is no number; NumericError(6) when too large.
double Val(std::string_view text);

// Hex: upper case, no leading zeros; a negative value in its two's complement
// of 32 bits (or 16 bits for an Integer).
std::string Hex(std::int32_t value);
std::string Hex(std::int16_t value);

// Windows Latin-1 character codes.
int Asc(std::string_view text);  // NumericError(5) on an empty text
std::string Chr(int code);

// Format with digit patterns such as "####", "#####.##", "######.000" and
// "###,###,###,###" ('#' and '0' placeholders, ',' grouping, '.' point; any other
// pattern character is std::invalid_argument). The value is first taken to 15
// significant digits (7 for a float), then rounded half away from zero to the
// pattern's decimals. Only '#' before the point gives no integer digits for a value
// below 1 ("####" turns 0.4 into ""); a value that rounds to zero has no sign.
// NumericError(6) for a value that is not finite.
std::string Format(double value, std::string_view pattern);
std::string Format(float value, std::string_view pattern);
std::string Format(std::int32_t value, std::string_view pattern);

}  // namespace winplat
