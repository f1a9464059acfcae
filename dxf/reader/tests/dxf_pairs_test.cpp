// Pair reading, numbers and the group table.
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cstdlib>
#include <random>

#include "../dxfpairs.h"

using kelvane::DxfFormatError;
using kelvane::DxfPairReader;
using kelvane::DxfGroupTable;

namespace {

std::vector<std::pair<int, std::string>> AllPairs(const std::string& text) {
  DxfPairReader r;
  r.OpenText(text);
  std::vector<std::pair<int, std::string>> out;
  std::int32_t code = 0;
  std::string_view value;
  while (r.ReadPair(code, value)) out.emplace_back(code, std::string(value));
  return out;
}

}  // namespace

TEST(DxfNumbers, ReadsTheLeadingNumberWhateverTheLocale) {
  // A locale with a decimal comma must not change how "1.5" reads.
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("1.5"), 1.5);
  std::setlocale(LC_NUMERIC, saved.c_str());

  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("  -12.25"), -12.25);
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("+3"), 3.0);
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble(".5"), 0.5);
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("5."), 5.0);
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("1.5E+3"), 1500.0);
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("2e-2xyz"), 0.02);
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("7E"), 7.0);       // exponent without digits is not part of it
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("7E+"), 7.0);
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("12abc"), 12.0);
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("1,5"), 1.0);
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("1.2.3"), 1.2);
  for (const char* zero : {"", "abc", "inf", "-inf", "nan", "NaN", "Infinity", "0x1F", "&H10", ".", "-", "e5"})
    EXPECT_EQ(kelvane::LeadingDouble(zero), 0.0) << zero;
  EXPECT_EQ(kelvane::LeadingDouble("1e-400"), 0.0);  // too small reads 0
  EXPECT_EQ(kelvane::LeadingDouble("0.0000e-99999"), 0.0);
}

TEST(DxfNumbers, BeyondTheFloatRangeIsAnError) {
  EXPECT_FLOAT_EQ(kelvane::LeadingSingle("3.4e38"), 3.4e38f);
  EXPECT_THROW(kelvane::LeadingSingle("3.5e38"), DxfFormatError);
  EXPECT_THROW(kelvane::LeadingSingle("-1e39"), DxfFormatError);
  EXPECT_THROW(kelvane::LeadingSingle("1e400"), DxfFormatError);
  EXPECT_DOUBLE_EQ(kelvane::LeadingDouble("1e300"), 1e300);
  EXPECT_THROW(kelvane::LeadingDouble("1e400"), DxfFormatError);
  EXPECT_THROW(kelvane::LeadingDouble("123456789e99999"), DxfFormatError);
}

TEST(DxfNumbers, GroupCodeLines) {
  std::int32_t code = -7;
  EXPECT_TRUE(kelvane::ParseGroupCode("  10", code));
  EXPECT_EQ(code, 10);
  EXPECT_TRUE(kelvane::ParseGroupCode("0 ", code));
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(kelvane::ParseGroupCode("-5", code));
  EXPECT_EQ(code, -5);
  EXPECT_TRUE(kelvane::ParseGroupCode("99999999999999999999", code));
  EXPECT_EQ(code, INT32_MAX);
  for (const char* bad : {"", " ", "LINE", "10a", "1 0", "1.0", "+", "-"})
    EXPECT_FALSE(kelvane::ParseGroupCode(bad, code)) << bad;
}

TEST(DxfPairReader, EveryLineEndGivesTheSamePairs) {
  std::string lf = "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1.5\n0\nEOF\n";
  std::string crlf, cr;
  for (char ch : lf) {
    crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    cr += ch == '\n' ? '\r' : ch;
  }
  auto expected = AllPairs(lf);
  ASSERT_EQ(expected.size(), 5u);
  EXPECT_EQ(expected[2], std::make_pair(0, std::string("LINE")));
  EXPECT_EQ(AllPairs(crlf), expected);
  EXPECT_EQ(AllPairs(cr), expected);
  // Mixed ends, no end on the last line, and a byte order mark.
  EXPECT_EQ(AllPairs("\xEF\xBB\xBF" "0\r\nSECTION\r2\nENTITIES\n0\r\nLINE\n10\r1.5\n0\nEOF"), expected);
}

TEST(DxfPairReader, EmptyLinesAreValuesAndBlankLinesEndTheirValues) {
  // "\r\n\r\n" is two empty lines, not one.
  auto pairs = AllPairs("1\r\n\r\n2\r\nX\r\n");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0], std::make_pair(1, std::string()));
  EXPECT_EQ(pairs[1], std::make_pair(2, std::string("X")));
}

TEST(DxfPairReader, BrokenCodeLineIsSkippedWithItsValue) {
  auto pairs = AllPairs("0\nLINE\nxx\n0\n10\n5\n");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[1], std::make_pair(10, std::string("5")));

  DxfPairReader r;
  r.OpenText("0\nLINE\n10\n");
  std::int32_t code = 0;
  std::string_view value;
  bool broken = false;
  ASSERT_TRUE(r.ReadPair(code, value, broken));
  EXPECT_FALSE(r.ReadPair(code, value, broken));
  EXPECT_TRUE(broken);
  EXPECT_TRUE(r.AtEnd());
}

TEST(DxfPairReader, UnreadPairComesBackOnce) {
  DxfPairReader r;
  r.OpenText("0\nLINE\n8\nA\n");
  std::int32_t code = 0;
  std::string_view value;
  ASSERT_TRUE(r.ReadPair(code, value));
  r.UnreadPair(code, value);
  EXPECT_FALSE(r.AtEnd());
  ASSERT_TRUE(r.ReadPair(code, value));
  EXPECT_EQ(value, "LINE");
  ASSERT_TRUE(r.ReadPair(code, value));
  EXPECT_EQ(code, 8);
  EXPECT_FALSE(r.ReadPair(code, value));
  EXPECT_EQ(r.LinesRead(), 4u);
  EXPECT_EQ(r.Position(), r.Length());
}

TEST(DxfPairReader, BinaryAndMissingFiles) {
  EXPECT_TRUE(DxfPairReader::LooksBinary(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22)));
  EXPECT_FALSE(DxfPairReader::LooksBinary("  0\nSECTION\n"));
  DxfPairReader r;
  EXPECT_FALSE(r.Open("/nonexistent/folder/x.dxf"));
  EXPECT_FALSE(r.IsOpen());
}

TEST(DxfGroupTable, RepeatedCodesKeepTheirOrderAndTheLastAnswers) {
  DxfGroupTable t;
  t.Add(3, "first ");
  t.Add(1, "tail");
  t.Add(3, "second ");
  t.Add(1001, "ignored");
  t.Add(-1, "ignored");
  EXPECT_EQ(t.Value(3), "second ");
  auto chunks = t.Values(3);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0], "first ");
  EXPECT_EQ(chunks[1], "second ");
  EXPECT_EQ(t.Pairs().size(), 3u);
  EXPECT_FALSE(t.Has(1001));
  EXPECT_TRUE(t.Value(1001).empty());
  EXPECT_TRUE(t.Value(40).empty());
  EXPECT_EQ(t.Single(40), 0.0f);  // absent reads 0

  t.Clear();
  EXPECT_FALSE(t.Has(3));
  EXPECT_FALSE(t.Has(1));
  EXPECT_TRUE(t.Values(3).empty());
  t.Add(1, "again");
  EXPECT_EQ(t.Value(1), "again");
  EXPECT_FALSE(t.Has(3));
}

TEST(DxfGroupTable, NumbersOfValues) {
  DxfGroupTable t;
  t.Add(10, " 12.5");
  t.Add(20, "1e39");
  t.Add(62, "abc");
  EXPECT_FLOAT_EQ(t.Single(10), 12.5f);
  EXPECT_EQ(t.Single(62), 0.0f);
  try {
    (void)t.Single(20);
    FAIL() << "no error for a value beyond the float range";
  } catch (const DxfFormatError& e) {
    EXPECT_NE(std::string(e.what()).find("group 20"), std::string::npos) << e.what();
  }
  EXPECT_DOUBLE_EQ(t.Double(20), 1e39);
}

TEST(DxfNumbers, ShortDecimalsRoundExactlyAsTheGeneralConversion) {
  // The short-decimal path must give the correctly rounded double, as strtod does
  // in the C locale.
  std::mt19937 random(7);
  std::uniform_int_distribution<int> digit(0, 9), length(0, 9), exponent(-30, 30), coin(0, 3);
  for (int n = 0; n < 200000; ++n) {
    std::string text = coin(random) == 0 ? "-" : "";
    int whole = length(random), frac = length(random);
    for (int k = 0; k <= whole; ++k) text += static_cast<char>('0' + digit(random));
    if (frac > 0) text += '.';
    for (int k = 0; k < frac; ++k) text += static_cast<char>('0' + digit(random));
    if (coin(random) == 1) text += "E" + std::to_string(exponent(random));
    double expected = std::strtod(text.c_str(), nullptr);
    ASSERT_EQ(kelvane::LeadingDouble(text), expected) << text;
  }
}

TEST(DxfNumbers, WholeNumbersAndValuesThatAreMore) {
  for (const char* whole : {"", "  ", "0", "-12", "+1.5", " 7 ", "\t2.5E1", ".5", "5.", "1e-3", "-0.0e+0"})
    EXPECT_TRUE(kelvane::WholeNumber(whole)) << "'" << whole << "'";
  for (const char* more : {"abc", "12abc", "1,5", "1e", "1e+", "--1", ".", "+", "1.2.3", "0x1F", "inf", "1 2", "7x "})
    EXPECT_FALSE(kelvane::WholeNumber(more)) << "'" << more << "'";
}

// The group table keeps the value earliest in the file that was read as a
// number and was none, whatever order the groups are read in; the reader
// names its line, counting every line end the pairs are read with.
TEST(DxfGroupTable, TheEarliestValueThatIsNoNumberIsKeptWithItsLine) {
  DxfPairReader r;
  r.OpenText("10\r\n1.5\r\n20\n2,5\r11\nabc\n21\n \n40\n 3 \n");
  DxfGroupTable t;
  std::int32_t code = 0;
  std::string_view value;
  while (r.ReadPair(code, value)) t.Add(code, value);
  EXPECT_EQ(t.Single(40), 3.0f);
  EXPECT_EQ(t.Single(21), 0.0f);  // blank: no fault
  EXPECT_FALSE(t.FirstNumberFault());
  EXPECT_EQ(t.Single(11), 0.0f);
  ASSERT_TRUE(t.FirstNumberFault());
  EXPECT_EQ(t.FirstNumberFault()->value, "abc");
  EXPECT_EQ(t.Double(20), 2.0);  // earlier in the file: it takes the place
  EXPECT_EQ(t.Double(10), 1.5);
  const auto& fault = *t.FirstNumberFault();
  EXPECT_EQ(fault.code, 20);
  EXPECT_EQ(fault.value, "2,5");
  EXPECT_EQ(fault.readAs, "2");
  EXPECT_EQ(r.LineOf(fault.at), 4u);
  t.Clear();  // the next object: the fault stays until forgotten
  EXPECT_TRUE(t.FirstNumberFault());
  t.ForgetNumberFault();
  EXPECT_FALSE(t.FirstNumberFault());
  EXPECT_EQ(r.LineOf(r.Text().data()), 1u);
  EXPECT_EQ(r.LineOf("elsewhere"), 0u);
}
