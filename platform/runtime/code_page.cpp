// CP1252 <-> UTF-8.
#include "winplat/code_page.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace winplat {
namespace {

// Code points of bytes 0x80..0x9F; the five the code page leaves undefined keep
// their C1 control, as Windows maps them.
constexpr char32_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void PutUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The code points of valid UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF); nothing when the text is not valid UTF-8.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t cp = 0, least = 0;
    if (b < 0x80) {
      cp = b;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1, cp = b & 0x1F, least = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, cp = b & 0x0F, least = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, cp = b & 0x07, least = 0x10000;
    } else {
      return std::nullopt;
    }
    if (i + static_cast<std::size_t>(extra) >= text.size() && extra > 0) return std::nullopt;
    for (int k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    out.push_back(cp);
    i += 1 + static_cast<std::size_t>(extra);
  }
  return out;
}

}  // namespace

char32_t CodePointFromCodePage(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte; }

std::optional<unsigned char> CodePageFromCodePoint(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<unsigned char>(codePoint);
  for (unsigned i = 0; i < 32; ++i)
    if (kHigh[i] == codePoint) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

std::string Utf8FromCodePage(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) PutUtf8(out, CodePointFromCodePage(static_cast<unsigned char>(c)));
  return out;
}

std::string CodePageFromUtf8(std::string_view text) {
  const auto points = DecodeUtf8(text);
  if (!points) return std::string(text);
  std::string out;
  out.reserve(points->size());
  for (char32_t cp : *points) {
    const auto byte = CodePageFromCodePoint(cp);
    out += byte ? static_cast<char>(*byte) : '?';
  }
  return out;
}

}  // namespace winplat
