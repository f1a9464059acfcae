#pragma once
// Basic Windows-shaped types used across the platform layer.
#include <cstdint>

namespace winplat {

// Window, device-context and GDI object handles: small integers that fit in 32 bits.
using HWND = std::uint32_t;
using HDC = std::uint32_t;
using HGDIOBJ = std::uint32_t;
using COLORREF = std::uint32_t;  // red in the low byte

struct POINT {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct RECT {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}

}  // namespace winplat
