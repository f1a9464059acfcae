#pragma once
// The program's own strings are in the Windows code page (CP1252); host file
// names, the terminal and operator-command files are UTF-8. These two convert
// at that boundary.
#include <optional>
#include <string>
#include <string_view>

namespace winplat {

// CP1252 text as UTF-8.
std::string Utf8FromCodePage(std::string_view text);

// UTF-8 text in CP1252: a character the code page lacks becomes "?". Text that
// is not valid UTF-8 is taken byte for byte, as it is.
std::string CodePageFromUtf8(std::string_view text);

// One CP1252 character's Unicode code point.
char32_t CodePointFromCodePage(unsigned char byte);

// The CP1252 character of a code point; nothing when the code page lacks it.
std::optional<unsigned char> CodePageFromCodePoint(char32_t codePoint);

}  // namespace winplat
