#pragma once
// The emulated boards' palette: colour registers and the palette file format
// that the board software reads and writes ("*.vxp", text).
//
//   # any comment line
//   VXPALETTE 1
//   0   0   0   0   0   0   0 255 0 0 0 0
//   1 255   0   0 255   0   0 255 0 0 0 0
//
// The first line that is not blank or a comment is the signature "VXPALETTE 1".
// Every further line is one colour register: twelve integers separated by
// blanks, the register's fields 0 to 11 in order: register number (0 to 255),
// red, green, blue (0 to 255 each), then eight further register values (the
// board software keeps 4 to 6 as the laser drive levels of red, green and blue
// and 7 as the intensity; the others are carried). A later line for the same
// register replaces the earlier one. Registers are kept in number order.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace winplat::hw {

struct ColourRegister {
  std::array<std::int32_t, 12> fields{};
};

struct Palette {
  std::vector<ColourRegister> registers;  // ascending register numbers
  const ColourRegister* Find(std::int32_t number) const;
  void Put(const ColourRegister& reg);
};

constexpr int kPaletteRegisters = 256;

// The palette a board starts with: black, red, green, yellow, blue, magenta,
// cyan and white in registers 0 to 7.
Palette DefaultPalette();
// Parses palette text; false with `error` naming the line when it is not a palette.
bool ParsePalette(const std::string& text, Palette& palette, std::string& error);
std::string FormatPalette(const Palette& palette);

}  // namespace winplat::hw
