#pragma once
// A fixed-length text field of a table row: blank-padded on the right when
// stored (longer texts are cut), trimmed when compared.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvane {

template <std::size_t N>
class FixedString {
 public:
  FixedString() { std::fill(data_, data_ + N, ' '); }
  FixedString(std::string_view text) { Set(text); }  // NOLINT: stores like an assignment
  FixedString& operator=(std::string_view text) {
    Set(text);
    return *this;
  }
  void Set(std::string_view text) {
    std::size_t n = std::min(text.size(), N);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), data_);
    std::fill(data_ + n, data_ + N, ' ');
  }
  // All N characters, padding included.
  std::string Padded() const { return std::string(data_, N); }
  // Without the trailing blanks.
  std::string Trimmed() const {
    std::size_t n = N;
    while (n > 0 && data_[n - 1] == ' ') --n;
    return std::string(data_, n);
  }
  friend bool operator==(const FixedString& a, const FixedString& b) { return a.Trimmed() == b.Trimmed(); }

 private:
  char data_[N];
};

}  // namespace kelvane
