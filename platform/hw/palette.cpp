// The palette file format of the emulated board software (see palette.h).
#include "winplat/hw/palette.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace winplat::hw {
namespace {

bool ParseInt(const std::string& word, std::int32_t& out) {
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (first != last && *first == '+') ++first;
  auto [end, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && end == last;
}

}  // namespace

const ColourRegister* Palette::Find(std::int32_t number) const {
  for (const ColourRegister& r : registers) {
    if (r.fields[0] == number) return &r;
  }
  return nullptr;
}

void Palette::Put(const ColourRegister& reg) {
  auto it = std::lower_bound(registers.begin(), registers.end(), reg.fields[0],
                             [](const ColourRegister& r, std::int32_t n) { return r.fields[0] < n; });
  if (it != registers.end() && it->fields[0] == reg.fields[0]) {
    *it = reg;
  } else {
    registers.insert(it, reg);
  }
}

Palette DefaultPalette() {
  Palette palette;
  static const std::int32_t colours[8][3] = {{0, 0, 0},     {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                             {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  for (std::int32_t i = 0; i < 8; ++i) {
    ColourRegister r;
    const std::int32_t* c = colours[i];
    r.fields = {i, c[0], c[1], c[2], c[0], c[1], c[2], 255, 0, 0, 0, 0};
    palette.Put(r);
  }
  return palette;
}

bool ParsePalette(const std::string& text, Palette& palette, std::string& error) {
  Palette parsed;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  bool signed_ = false;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty() || w[0][0] == '#') continue;
    if (!signed_) {
      if (w.size() != 2 || w[0] != "VXPALETTE" || w[1] != "1") {
        error = "line " + std::to_string(lineNo) + ": not a palette (expected \"VXPALETTE 1\")";
        return false;
      }
      signed_ = true;
      continue;
    }
    ColourRegister reg;
    bool ok = w.size() == reg.fields.size();
    for (std::size_t i = 0; ok && i < w.size(); ++i) ok = ParseInt(w[i], reg.fields[i]);
    if (ok) ok = reg.fields[0] >= 0 && reg.fields[0] < kPaletteRegisters;
    for (std::size_t i = 1; ok && i <= 3; ++i) ok = reg.fields[i] >= 0 && reg.fields[i] <= 255;
    if (!ok) {
      error = "line " + std::to_string(lineNo) + ": a register is twelve integers, number 0-255, colours 0-255";
      return false;
    }
    parsed.Put(reg);
  }
  if (!signed_) {
    error = "empty file: not a palette";
    return false;
  }
  palette = std::move(parsed);
  return true;
}

std::string FormatPalette(const Palette& palette) {
  std::string text = "VXPALETTE 1\n";
  for (const ColourRegister& r : palette.registers) {
    for (std::size_t i = 0; i < r.fields.size(); ++i) {
      if (i) text += ' ';
      text += std::to_string(r.fields[i]);
    }
    text += '\n';
  }
  return text;
}

}  // namespace winplat::hw
