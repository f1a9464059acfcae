#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "winplat/numeric.h"
#include "winplat/text.h"

namespace {

using winplat::NumericError;

int ErrorNumber(auto&& call) {
  try {
    call();
  } catch (const NumericError& e) {
    return e.Number();
  }
  return 0;
}

TEST(NumericConvert, CIntAndCLngRoundHalvesToEven) {
  EXPECT_EQ(winplat::CInt(2.5), 2);
  EXPECT_EQ(winplat::CInt(3.5), 4);
  EXPECT_EQ(winplat::CInt(-0.5), 0);
  EXPECT_EQ(winplat::CInt(-1.5), -2);
  EXPECT_EQ(winplat::CInt(-2.5), -2);
  EXPECT_EQ(winplat::CInt(2.5000000001), 3);
  EXPECT_EQ(winplat::CInt(-32768.5), -32768);
  EXPECT_EQ(winplat::CLng(0.49999999999999994), 0);
  EXPECT_EQ(winplat::CLng(2147483647.4), 2147483647);
  EXPECT_EQ(winplat::CLng(-2147483648.5), -2147483647 - 1);
}

TEST(NumericConvert, OutOfRangeIsOverflow) {
  EXPECT_EQ(ErrorNumber([] { winplat::CInt(32767.5); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::CInt(-32769); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::CLng(2147483647.5); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::CLng(std::nan("")); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::CLng(-INFINITY); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::CSng(1e39); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::CSng(INFINITY); }), 6);
  // Just above the largest float still rounds to it.
  EXPECT_EQ(winplat::CSng(static_cast<double>(FLT_MAX) * (1 + 1e-9)), FLT_MAX);
  EXPECT_EQ(winplat::CSng(-static_cast<double>(FLT_MAX) * (1 + 1e-9)), -FLT_MAX);
  EXPECT_EQ(winplat::CSng(0.1), 0.1f);
}

TEST(NumericConvert, CheckedArithmetic) {
  EXPECT_EQ(winplat::AddInt(32000, 767), 32767);
  EXPECT_EQ(ErrorNumber([] { winplat::AddInt(32000, 768); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::SubInt(-32768, 1); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::MulInt(256, 128); }), 6);
  EXPECT_EQ(winplat::MulInt(-256, 128), -32768);
  EXPECT_EQ(ErrorNumber([] { winplat::AddLng(2147483647, 1); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::SubLng(-2147483647 - 1, 1); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::MulLng(65536, 32768); }), 6);
  EXPECT_EQ(winplat::MulLng(-65536, 32768), -2147483647 - 1);
}

TEST(NumericConvert, IntegerDivisionAndModRoundOperandsFirst) {
  EXPECT_EQ(winplat::IntDiv(7, 2), 3);
  EXPECT_EQ(winplat::IntDiv(-7, 2), -3);
  EXPECT_EQ(winplat::IntDiv(7.5, 2.5), 4);  // 8 \ 2
  EXPECT_EQ(winplat::IntDiv(6.5, 2.5), 3);  // 6 \ 2
  EXPECT_EQ(winplat::Mod(-7, 3), -1);
  EXPECT_EQ(winplat::Mod(7, -3), 1);
  EXPECT_EQ(winplat::Mod(10.5, 3), 1);      // 10 Mod 3
  EXPECT_EQ(winplat::Mod(-2147483648.0, -1), 0);
  EXPECT_EQ(ErrorNumber([] { winplat::IntDiv(1, 0.4); }), 11);
  EXPECT_EQ(ErrorNumber([] { winplat::Mod(1, 0); }), 11);
  EXPECT_EQ(ErrorNumber([] { winplat::IntDiv(-2147483648.0, -1); }), 6);
}

TEST(NumericText, StrOfFloats) {
  EXPECT_EQ(winplat::Str(0.5f), " .5");
  EXPECT_EQ(winplat::Str(-0.5f), "-.5");
  EXPECT_EQ(winplat::Str(100000.0f), " 100000");
  EXPECT_EQ(winplat::Str(1234567.0f), " 1234567");
  EXPECT_EQ(winplat::Str(1e7f), " 1E+07");
  EXPECT_EQ(winplat::Str(12345678.0f), " 1.234568E+07");
  EXPECT_EQ(winplat::Str(1.0f / 3.0f), " .3333333");
  EXPECT_EQ(winplat::Str(0.1f), " .1");
  EXPECT_EQ(winplat::Str(0.0001f), " .0001");
  EXPECT_EQ(winplat::Str(0.00001f), " 1E-05");
  EXPECT_EQ(winplat::Str(9999999.0f), " 9999999");
  EXPECT_EQ(winplat::Str(-2.5e-20f), "-2.5E-20");
  EXPECT_EQ(winplat::CStr(12.25f), "12.25");
}

TEST(NumericText, StrOfDoubles) {
  EXPECT_EQ(winplat::Str(0.5), " .5");
  EXPECT_EQ(winplat::Str(-0.5), "-.5");
  EXPECT_EQ(winplat::Str(1.5e-5), " 1.5E-05");
  EXPECT_EQ(winplat::Str(-0.0), " 0");
  EXPECT_EQ(winplat::CStr(-0.0), "0");
  EXPECT_EQ(winplat::Str(123456789.0), " 123456789");
  EXPECT_EQ(winplat::Str(0.1), " .1");  // 15 digits hide the binary error
  EXPECT_EQ(winplat::Str(1.0 / 3.0), " .333333333333333");
  EXPECT_EQ(winplat::Str(123456789012345.0), " 123456789012345");
  EXPECT_EQ(winplat::Str(1234567890123456.0), " 1.23456789012346E+15");
  EXPECT_EQ(winplat::Str(999999999999999.9), " 1E+15");  // rounding moves the exponent
  EXPECT_EQ(winplat::Str(-1e100), "-1E+100");
  EXPECT_EQ(winplat::Str(2.5e-300), " 2.5E-300");
  EXPECT_EQ(winplat::Str(-1234.5), "-1234.5");
  EXPECT_EQ(winplat::CStr(0.000123), ".000123");
}

TEST(NumericText, StrOfIntegers) {
  EXPECT_EQ(winplat::Str(0), " 0");
  EXPECT_EQ(winplat::Str(-7), "-7");
  EXPECT_EQ(winplat::Str(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(winplat::CStr(42), "42");
}

TEST(NumericText, ValReadsLeadingNumber) {
  EXPECT_EQ(winplat::Val("  -1.5e2x"), -150.0);
  EXPECT_EQ(winplat::Val(" 1 2"), 12.0);
  EXPECT_EQ(winplat::Val("\t1\n.\t5"), 1.5);
  EXPECT_EQ(winplat::Val(""), 0.0);
  EXPECT_EQ(winplat::Val("abc"), 0.0);
  EXPECT_EQ(winplat::Val("-"), 0.0);
  EXPECT_EQ(winplat::Val("."), 0.0);
  EXPECT_EQ(winplat::Val(".5"), 0.5);
  EXPECT_EQ(winplat::Val("+3"), 3.0);
  EXPECT_EQ(winplat::Val("1.2.3"), 1.2);
  EXPECT_EQ(winplat::Val("2D3"), 2000.0);
  EXPECT_EQ(winplat::Val("2e"), 2.0);
  EXPECT_EQ(winplat::Val("2e+x"), 2.0);
  EXPECT_EQ(winplat::Val("1E-400"), 0.0);
  EXPECT_EQ(winplat::Val("0.1"), 0.1);  // correctly rounded
  EXPECT_EQ(winplat::Val("\r5"), 0.0);  // only blanks, tabs and line feeds are skipped
  EXPECT_EQ(winplat::Val(winplat::Str(0.1f)), 0.1);
  EXPECT_EQ(ErrorNumber([] { winplat::Val("1E400"); }), 6);
  EXPECT_EQ(ErrorNumber([] { winplat::Val("0.00001e99999999999999"); }), 6);
}

TEST(NumericText, ValHexAndOctal) {
  EXPECT_EQ(winplat::Val("&HFF"), 255.0);
  EXPECT_EQ(winplat::Val("&h7fff"), 32767.0);
  EXPECT_EQ(winplat::Val("&HFFFF"), -1.0);
  EXPECT_EQ(winplat::Val("&H10000"), 65536.0);
  EXPECT_EQ(winplat::Val("&HFFFFFFFF"), -1.0);
  EXPECT_EQ(winplat::Val("&O17"), 15.0);
  EXPECT_EQ(winplat::Val("&O8"), 0.0);
  EXPECT_EQ(winplat::Val("&X1"), 0.0);
  EXPECT_EQ(ErrorNumber([] { winplat::Val("&H100000000"); }), 6);
}

TEST(NumericText, HexAndCharacters) {
  EXPECT_EQ(winplat::Hex(0), "0");
  EXPECT_EQ(winplat::Hex(255), "FF");
  EXPECT_EQ(winplat::Hex(-1), "FFFFFFFF");
  EXPECT_EQ(winplat::Hex(std::int16_t{-1}), "FFFF");
  EXPECT_EQ(winplat::Asc("A"), 65);
  EXPECT_EQ(winplat::Asc("\xE9t\xE9"), 0xE9);
  EXPECT_EQ(ErrorNumber([] { winplat::Asc(""); }), 5);
  EXPECT_EQ(winplat::Chr(0xC4), "\xC4");
  EXPECT_EQ(winplat::Chr(0).size(), 1u);
  EXPECT_EQ(ErrorNumber([] { winplat::Chr(256); }), 5);
  EXPECT_EQ(winplat::UCase("abz\xE9\xFF\x9A\xF7\xDF"), "ABZ\xC9\x9F\x8A\xF7\xDF");
  EXPECT_EQ(winplat::LCase("ABZ\xC9\x9F\x8A\xD7"), "abz\xE9\xFF\x9A\xD7");
}

TEST(NumericFormat, WholeNumbersRoundHalvesAwayFromZero) {
  EXPECT_EQ(winplat::Format(12.5, "####"), "13");
  EXPECT_EQ(winplat::Format(13.5, "####"), "14");
  EXPECT_EQ(winplat::Format(-12.5, "####"), "-13");
  EXPECT_EQ(winplat::Format(0.4, "####"), "");
  EXPECT_EQ(winplat::Format(-0.4, "####"), "");
  EXPECT_EQ(winplat::Format(0.5, "####"), "1");
  EXPECT_EQ(winplat::Format(123456.0, "####"), "123456");
  EXPECT_EQ(winplat::Format(9.5f, "####"), "10");
  EXPECT_EQ(winplat::Format(2.4999999999999996, "####"), "3");  // 15 digits read 2.5
}

TEST(NumericFormat, DecimalsAndGrouping) {
  EXPECT_EQ(winplat::Format(2.345678, "#####.##"), "2.35");
  EXPECT_EQ(winplat::Format(2.675, "#####.##"), "2.68");
  EXPECT_EQ(winplat::Format(1.005, "#####.##"), "1.01");
  EXPECT_EQ(winplat::Format(2.5, "#####.##"), "2.5");
  EXPECT_EQ(winplat::Format(2.0, "#####.##"), "2.");
  EXPECT_EQ(winplat::Format(0.001, "#####.##"), ".");
  EXPECT_EQ(winplat::Format(99.999, "#####.##"), "100.");
  EXPECT_EQ(winplat::Format(1.41421356, "######.000"), "1.414");
  EXPECT_EQ(winplat::Format(0.0005, "######.000"), ".001");
  EXPECT_EQ(winplat::Format(-0.0004, "######.000"), ".000");
  EXPECT_EQ(winplat::Format(-7.25, "######.000"), "-7.250");
  EXPECT_EQ(winplat::Format(1234567, "###,###,###,###"), "1,234,567");
  EXPECT_EQ(winplat::Format(999, "###,###,###,###"), "999");
  EXPECT_EQ(winplat::Format(0, "###,###,###,###"), "");
  EXPECT_EQ(winplat::Format(-1234, "###,###,###,###"), "-1,234");
  EXPECT_EQ(winplat::Format(0.25, "0.0"), "0.3");
  EXPECT_THROW(winplat::Format(1.0, "#x#"), std::invalid_argument);
  EXPECT_EQ(ErrorNumber([] { winplat::Format(INFINITY, "####"); }), 6);
}

}  // namespace
