// Cleaning outside text of the bytes reserved for stand-in codes.
#include "toolpath/standin_codes.h"

namespace fieldray::toolpath {

std::string RemoveUnholdableBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 && c != '\t') continue;
    out.push_back(c);
  }
  return out;
}

}  // namespace fieldray::toolpath
