// The general routine library.
#include "winplat/components/routines.h"
#include "winplat/text.h"

#include <algorithm>
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

namespace {

// Where `find` next starts at or after `from`, npos when nowhere. Only the
// places where the first character matches are compared further.
std::size_t NextMatch(std::string_view text, std::string_view find, std::size_t from, bool ignoreCase) {
  if (!ignoreCase) return text.find(find, from);
  const unsigned char first = static_cast<unsigned char>(find.front());
  const bool letter = std::isalpha(first) && first < 0x80;
  const char lower = letter ? static_cast<char>(first | 0x20) : static_cast<char>(first);
  const char upper = letter ? static_cast<char>(first & ~0x20) : static_cast<char>(first);
  const char both[2] = {lower, upper};
  const std::string_view starts(both, letter ? 2 : 1);
  const std::string_view rest = find.substr(1);
  for (std::size_t at = text.find_first_of(starts, from); at != std::string_view::npos && at + find.size() <= text.size();
       at = text.find_first_of(starts, at + 1)) {
    if (AsciiEqualNoCase(text.substr(at + 1, rest.size()), rest)) return at;
  }
  return std::string_view::npos;
}

}  // namespace

std::string ReplaceString(std::string_view text, std::string_view find, std::string_view replacement,
                          std::int32_t flags) {
  if (find.empty() || find.size() > text.size()) return std::string(text);
  const bool ignoreCase = (flags & 1) != 0;
  std::size_t at = NextMatch(text, find, 0, ignoreCase);
  if (at == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size() + (replacement.size() > find.size() ? replacement.size() - find.size() : 0) * 4);
  std::size_t done = 0;
  while (at != std::string_view::npos) {
    out.append(text.substr(done, at - done));
    out.append(replacement);
    done = at + find.size();
    at = NextMatch(text, find, done, ignoreCase);
  }
  out.append(text.substr(done));
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
