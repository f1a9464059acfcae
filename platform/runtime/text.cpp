#include "winplat/text.h"

namespace winplat {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

template <typename Drop>
std::string TrimEnds(std::string_view text, Drop drop, bool left, bool right) {
  std::size_t b = 0, e = text.size();
  while (left && b < e && drop(text[b])) ++b;
  while (right && e > b && drop(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

bool IsBlank(char c) { return c == ' '; }

// Upper-case partner of a Windows-1252 byte, or the byte itself.
unsigned char UpperByte(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
  }
}

unsigned char LowerByte(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

unsigned char AsciiLowerByte(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

template <typename Map>
std::string MapBytes(std::string_view text, Map map) {
  std::string out(text);
  for (char& ch : out) ch = static_cast<char>(map(static_cast<unsigned char>(ch)));
  return out;
}

}  // namespace

std::string Trim(std::string_view text) { return TrimEnds(text, IsBlank, true, true); }
std::string LTrim(std::string_view text) { return TrimEnds(text, IsBlank, true, false); }
std::string RTrim(std::string_view text) { return TrimEnds(text, IsBlank, false, true); }
std::string TrimSpace(std::string_view text) { return TrimEnds(text, IsSpace, true, true); }

std::string UCase(std::string_view text) { return MapBytes(text, UpperByte); }
std::string LCase(std::string_view text) { return MapBytes(text, LowerByte); }
std::string AsciiLower(std::string_view text) { return MapBytes(text, AsciiLowerByte); }

bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLowerByte(static_cast<unsigned char>(a[i])) != AsciiLowerByte(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string_view::npos; start = at + 1)
    fields.push_back(text.substr(start, at - start));
  fields.push_back(text.substr(start));
  return fields;
}

}  // namespace winplat
