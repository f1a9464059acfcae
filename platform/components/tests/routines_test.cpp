#include <gtest/gtest.h>

#include <vector>

#include "winplat/components/routines.h"

using namespace winplat;

TEST(Routines, TextSearchAndReplace) {
  EXPECT_EQ(QInstrB2(-1, "C:\\a\\b\\c.ini", "\\"), 7);
  EXPECT_EQ(QInstrB2(-1, "plain", "\\"), 0);
  EXPECT_EQ(QInstrB2(1, "abcabc", "c"), 3);
  EXPECT_EQ(QInstrB2(4, "abcabc", "c"), 6);
  EXPECT_EQ(QInstrB2(9, "abc", "c"), 0);
  EXPECT_EQ(QInstrB2(-1, "abc", ""), 0);

  EXPECT_EQ(ReplaceString("R50=1 R50=2", "R50=", "\x01", 0), "\x01" "1 \x01" "2");
  EXPECT_EQ(ReplaceString("aaa", "aa", "a", 0), "aa");  // no rescanning
  EXPECT_EQ(ReplaceString("xE", "E", "EE", 0), "xEE");
  EXPECT_EQ(ReplaceString("abc", "", "z", 0), "abc");
  EXPECT_EQ(ReplaceString("aBc", "b", "X", 0), "aBc");
  EXPECT_EQ(ReplaceString("aBc", "b", "X", 1), "aXc");
  EXPECT_EQ(ReplaceString("a\"b\"", "\"", "", 0), "ab");
  // Matches at the ends, none when the text is shorter, case folded for ASCII letters only.
  const struct {
    const char* text;
    const char* find;
    const char* replacement;
    std::int32_t flags;
    const char* result;
  } cases[] = {
      {"EabE", "E", "#", 0, "#ab#"},          {"ab", "abc", "x", 0, "ab"},
      {"ab", "ab", "", 0, ""},                {"r50=R50=", "R50=", "!", 1, "!!"},
      {"AAAA", "aa", "b", 1, "bb"},           {"xAaA", "aa", "b", 1, "xbA"},
      {"1=2", "=", "==", 1, "1==2"},          {"Éé", "é", "e", 1, "É" "e"},
      {"ab ab", "B ", "-", 1, "a-ab"},        {"zzz", "q", "x", 1, "zzz"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceString(c.text, c.find, c.replacement, c.flags), c.result) << c.text << " " << c.find;

  std::string t = "1,2,3";
  ReplaceChar(t, ",", "T");
  EXPECT_EQ(t, "1T2T3");
  ReplaceChar(t, "", "x");
  EXPECT_EQ(t, "1T2T3");
}

TEST(Routines, ParseStringSkipsLeadingDelimiters) {
  std::int32_t pos = 1;
  std::string text = "  L/2 Y5 Z";
  EXPECT_EQ(ParseString(pos, text, " "), "L/2");
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(text.substr(static_cast<std::size_t>(pos - 1)), "Y5 Z");
  EXPECT_EQ(ParseString(pos, text, " "), "Y5");
  EXPECT_EQ(ParseString(pos, text, " "), "Z");
  EXPECT_EQ(pos, 11);
  EXPECT_EQ(ParseString(pos, text, " "), "");
  EXPECT_EQ(pos, 11);
  pos = 1;
  EXPECT_EQ(ParseString(pos, "a;b,c", ",;"), "a");
  EXPECT_EQ(ParseString(pos, "a;b,c", ",;"), "b");
}

TEST(Routines, ArrayWork) {
  std::vector<int> v{1, 2, 3};
  InsertT(v, 1);
  EXPECT_EQ(v, (std::vector<int>{1, 0, 2, 3}));
  std::vector<std::int32_t> s{5, -3, 9, 0, -3};
  SortL(s.data(), 4, 0);  // only the count given
  EXPECT_EQ(s, (std::vector<std::int32_t>{-3, 0, 5, 9, -3}));
}
