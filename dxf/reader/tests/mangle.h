#pragma once
// Damaged copies of a drawing for robustness tests: lines dropped, doubled or
// replaced by awkward values at random.
#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace dxftest {

// The lines of a text split at `separator` (the separator itself dropped).
inline std::vector<std::string> SplitLines(const std::string& text, const std::string& separator) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(separator, at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + separator.size();
  }
  return lines;
}

// A copy of `lines` with 1 to `maxEdits` random edits; each edit drops a line,
// doubles it, or replaces it with one of `awkward`.
inline std::vector<std::string> MangleLines(const std::vector<std::string>& lines,
                                            const std::vector<std::string>& awkward, std::mt19937& random,
                                            int maxEdits) {
  std::vector<std::string> copy = lines;
  int edits = 1 + static_cast<int>(random() % static_cast<unsigned>(maxEdits));
  for (int e = 0; e < edits && !copy.empty(); ++e) {
    std::size_t i = random() % copy.size();
    switch (random() % 3) {
      case 0: copy.erase(copy.begin() + static_cast<std::ptrdiff_t>(i)); break;
      case 1: copy.insert(copy.begin() + static_cast<std::ptrdiff_t>(i), copy[i]); break;
      default: copy[i] = awkward[random() % awkward.size()]; break;
    }
  }
  return copy;
}

}  // namespace dxftest
