#include <gtest/gtest.h>

#include "winplat/code_page.h"

namespace {

TEST(CodePage, ConvertsBetweenTheCodePageAndUtf8) {
  struct Case {
    const char* codePage;
    const char* utf8;
  };
  // Both ways: ASCII, Latin-1 letters, the 0x80..0x9F block, an undefined byte.
  const Case both[] = {
      {"PLATE.DXF", "PLATE.DXF"},
      {"Pl\xE4tte \xD8.DXF", "Pl\xC3\xA4tte \xC3\x98.DXF"},
      {"\x80 \x99 \x9F", "\xE2\x82\xAC \xE2\x84\xA2 \xC5\xB8"},
      {"\x81", "\xC2\x81"},
      {"\xFF", "\xC3\xBF"},
  };
  for (const Case& c : both) {
    EXPECT_EQ(winplat::Utf8FromCodePage(c.codePage), c.utf8) << c.codePage;
    EXPECT_EQ(winplat::CodePageFromUtf8(c.utf8), c.codePage) << c.utf8;
  }
  // From UTF-8 only: characters the code page lacks, and text that is not UTF-8.
  const Case oneWay[] = {
      {"?-part", "\xCE\xA9-part"},             // Greek omega
      {"a?b", "a\xF0\x9F\x98\x80" "b"},        // four-byte sequence
      {"Old\xE9", "Old\xE9"},                  // Latin-1 bytes: not UTF-8, as they are
      {"\xC0\xAF", "\xC0\xAF"},                // overlong form
      {"\xED\xA0\x80", "\xED\xA0\x80"},        // surrogate
      {"x\xC3", "x\xC3"},                      // cut short
  };
  for (const Case& c : oneWay) EXPECT_EQ(winplat::CodePageFromUtf8(c.utf8), c.codePage) << c.utf8;
}

}  // namespace
