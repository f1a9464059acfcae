// The general routine library.
#include "winplat/components/routines.h"
#include "winplat/text.h"

#include <cctype>
#include <functional>

namespace winplat {
std::int32_t QInstrB2(std::int32_t start, std::string_view text, std::string_view find) {
  if (find.empty() || text.size() < find.size()) return 0;
  if (start == -1) {
    std::size_t at = text.rfind(find);
    return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
  }
  if (start < 1 || static_cast<std::size_t>(start) > text.size()) return 0;
  std::size_t at = text.find(find, static_cast<std::size_t>(start - 1));
  return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at + 1);
}

std::string ReplaceString(std::string_view text, std::string_view find, std::string_view replacement,
                          std::int32_t flags) {
  if (find.empty()) return std::string(text);
  bool ignoreCase = (flags & 1) != 0;
  auto matchesAt = [&](std::size_t i) {
    const std::string_view here = text.substr(i, find.size());
    return ignoreCase ? AsciiEqualNoCase(here, find) : here == find;
  };
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + find.size() <= text.size() && matchesAt(i)) {
      out.append(replacement);
      i += find.size();
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}

void ReplaceChar(std::string& text, std::string_view find, std::string_view replacement) {
  if (find.empty() || replacement.empty()) return;
  std::replace(text.begin(), text.end(), find.front(), replacement.front());
}

std::string ParseString(std::int32_t& pos, std::string_view text, std::string_view delimiters) {
  auto isDelimiter = [&](char c) { return delimiters.find(c) != std::string_view::npos; };
  std::size_t i = pos < 1 ? 0 : static_cast<std::size_t>(pos - 1);
  while (i < text.size() && isDelimiter(text[i])) ++i;
  std::size_t begin = i;
  while (i < text.size() && !isDelimiter(text[i])) ++i;
  std::string piece(text.substr(std::min(begin, text.size()), i - std::min(begin, text.size())));
  // Past the delimiter that ends the piece, or just past the end of the text.
  pos = static_cast<std::int32_t>(i < text.size() ? i + 2 : text.size() + 1);
  return piece;
}

void InitLong(std::int32_t* first, std::int32_t value, std::int32_t count) {
  if (first == nullptr || count <= 0) return;
  std::fill(first, first + count, value);
}

void SortL(std::int32_t* first, std::int32_t count, std::int32_t direction) {
  if (first == nullptr || count <= 1) return;
  if (direction == 0)
    std::sort(first, first + count);
  else
    std::sort(first, first + count, std::greater<std::int32_t>());
}

}  // namespace winplat
