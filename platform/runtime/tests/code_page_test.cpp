#include <gtest/gtest.h>

#include "winplat/code_page.h"

namespace {

TEST(CodePage, ConvertsBetweenTheCodePageAndUtf8) {
  const struct {
    const char* codePage;
    const char* utf8;
    bool back;  // the code page text gives the UTF-8 again
  } cases[] = {
      // Both ways: ASCII, Latin-1 letters, the 0x80..0x9F block, an undefined byte.
      {"PLATE.DXF", "PLATE.DXF", true},
      {"Pl\xE4tte \xD8.DXF", "Pl\xC3\xA4tte \xC3\x98.DXF", true},
      {"\x80 \x99 \x9F", "\xE2\x82\xAC \xE2\x84\xA2 \xC5\xB8", true},
      {"\x81", "\xC2\x81", true},
      {"\xFF", "\xC3\xBF", true},
      // From UTF-8 only: characters the code page lacks, and text that is not UTF-8.
      {"?-part", "\xCE\xA9-part", false},       // Greek omega
      {"a?b", "a\xF0\x9F\x98\x80" "b", false},  // four-byte sequence
      {"Old\xE9", "Old\xE9", false},            // Latin-1 bytes: not UTF-8, as they are
      {"\xC0\xAF", "\xC0\xAF", false},          // overlong form
      {"\xED\xA0\x80", "\xED\xA0\x80", false},  // surrogate
      {"x\xC3", "x\xC3", false},                // cut short
  };
  for (const auto& c : cases) {
    EXPECT_EQ(winplat::CodePageFromUtf8(c.utf8), c.codePage) << c.utf8;
    if (c.back) {
      EXPECT_EQ(winplat::Utf8FromCodePage(c.codePage), c.utf8) << c.codePage;
    }
  }
}

}  // namespace
