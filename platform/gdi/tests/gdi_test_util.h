#pragma once
// A white memory canvas for drawing tests, with pixel probes in device pixels.
#include <filesystem>

#include "winplat/gdi.h"
#include "winplat/picture.h"

namespace gditest {

using namespace winplat;

struct Canvas {
  HDC dc = 0;
  HBITMAP bitmap = 0;
  HGDIOBJ oldBitmap = 0;
  int width, height;
  Canvas(int w, int h, COLORREF fill = 0xFFFFFF) : width(w), height(h) {
    dc = CreateCompatibleDC(0);
    bitmap = CreateCompatibleBitmap(dc, w, h);
    oldBitmap = SelectObject(dc, bitmap);
    HBRUSH b = CreateSolidBrush(fill);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  ~Canvas() {
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  // Device pixel, whatever the mapping.
  COLORREF At(int x, int y) const { return CaptureDC(dc).At(x, y); }
  Picture Snap() const { return CaptureDC(dc); }
  // Number of pixels of exactly this colour.
  int Count(COLORREF c) const {
    int n = 0;
    for (COLORREF p : Snap().pixels) n += p == c;
    return n;
  }
};

// Selects a new pen for the scope and deletes it afterwards.
struct PenScope {
  HDC dc;
  HPEN pen;
  HGDIOBJ old;
  PenScope(HDC d, int style, int width, COLORREF color) : dc(d), pen(CreatePen(style, width, color)) {
    old = SelectObject(dc, pen);
  }
  ~PenScope() {
    SelectObject(dc, old);
    DeleteObject(pen);
  }
};

inline std::filesystem::path TestData() {
  return std::filesystem::path(__FILE__).parent_path() / ".." / ".." / ".." / "testdata" / "gdi";
}

}  // namespace gditest
