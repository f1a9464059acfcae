#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "winplat/text.h"

namespace {

TEST(Text, TrimmingKeepsWhatEachKindLeaves) {
  struct Case {
    std::string text, trim, ltrim, rtrim, space;
  } cases[] = {
      {"", "", "", "", ""},
      {"   ", "", "", "", ""},
      {"  a b  ", "a b", "a b  ", "  a b", "a b"},
      {"\t a \r\n", "\t a \r\n", "\t a \r\n", "\t a \r\n", "a"},
      {" \v\fx\t ", "\v\fx\t", "\v\fx\t ", " \v\fx\t", "x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(winplat::Trim(c.text), c.trim) << c.text;
    EXPECT_EQ(winplat::LTrim(c.text), c.ltrim) << c.text;
    EXPECT_EQ(winplat::RTrim(c.text), c.rtrim) << c.text;
    EXPECT_EQ(winplat::TrimSpace(c.text), c.space) << c.text;
  }
}

TEST(Text, AsciiCaseLeavesOtherBytes) {
  EXPECT_EQ(winplat::AsciiLower("CmdOK\xC9"), "cmdok\xC9");
  EXPECT_TRUE(winplat::AsciiEqualNoCase("Form1", "fORM1"));
  EXPECT_FALSE(winplat::AsciiEqualNoCase("\xC9", "\xE9"));
  EXPECT_FALSE(winplat::AsciiEqualNoCase("ab", "abc"));
}

TEST(Text, SplittingCountsEveryField) {
  using Parts = std::vector<std::string_view>;
  EXPECT_EQ(winplat::Split("a,,b", ','), (Parts{"a", "", "b"}));
  EXPECT_EQ(winplat::Split("", ','), (Parts{""}));
  EXPECT_EQ(winplat::Split("a;", ';'), (Parts{"a", ""}));
  EXPECT_EQ(winplat::SplitLines("a\r\nb\rc\n\nd"), (Parts{"a", "b", "c", "", "d"}));
  EXPECT_EQ(winplat::SplitLines("a\n"), (Parts{"a"}));
  EXPECT_TRUE(winplat::SplitLines("").empty());
}

}  // namespace
