#pragma once
// The general routine library: file tests (from files.h and folders.h), text
// searches and array work.
// Texts are byte strings in the Windows Latin-1 code page.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "winplat/files.h"    // Exist, FCount, FileSize
#include "winplat/folders.h"  // ExeName

namespace winplat {

// Position (1-based) of `find` in `text`. start > 0 searches forward from that
// position; start = -1 searches backward from the end, giving the last one.
// 0 when not found, for an empty `find`, or for a start outside the text.
std::int32_t QInstrB2(std::int32_t start, std::string_view text, std::string_view find);

// `text` with every occurrence of `find` replaced, scanning left to right and
// never rescanning a replacement. flags 0: letters compared exactly; 1: letter
// case ignored. An empty `find` leaves the text unchanged.
std::string ReplaceString(std::string_view text, std::string_view find, std::string_view replacement,
                          std::int32_t flags);

// Replaces every occurrence of the first character of `find` in `text` itself
// by the first character of `replacement`. Empty arguments change nothing.
void ReplaceChar(std::string& text, std::string_view find, std::string_view replacement);

// The next piece of `text` from the 1-based position `pos`: delimiters in front
// of it are skipped, the piece ends before the next delimiter (any character of
// `delimiters`), and `pos` moves past that delimiter (to length + 1 at the end).
// An empty result means no piece is left.
std::string ParseString(std::int32_t& pos, std::string_view text, std::string_view delimiters);

// Opens a gap of one zeroed element at `position` (0-based): the elements from
// there on move up by one and the array grows by one. A position past the end
// appends.
template <class T>
void InsertT(std::vector<T>& array, std::size_t position) {
  position = std::min(position, array.size());
  array.insert(array.begin() + static_cast<std::ptrdiff_t>(position), T{});
}

// Sets `count` elements starting at `first` to `value`.
void InitLong(std::int32_t* first, std::int32_t value, std::int32_t count);

// Sorts `count` values starting at `first` in place: direction 0 ascending,
// any other descending.
void SortL(std::int32_t* first, std::int32_t count, std::int32_t direction);

}  // namespace winplat
