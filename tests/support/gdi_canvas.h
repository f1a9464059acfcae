#pragma once
// A memory canvas for drawing tests, filled white unless told, with pixel probes
// in device pixels.
#include "picture_pixels.h"
#include "winplat/gdi.h"
#include "winplat/picture.h"

namespace testsupport {

struct Canvas {
  winplat::HDC dc = 0;
  winplat::HBITMAP bitmap = 0;
  winplat::HGDIOBJ oldBitmap = 0;
  int width, height;
  Canvas(int w, int h, winplat::COLORREF fill = 0xFFFFFF) : width(w), height(h) {
    dc = winplat::CreateCompatibleDC(0);
    bitmap = winplat::CreateCompatibleBitmap(dc, w, h);
    oldBitmap = winplat::SelectObject(dc, bitmap);
    winplat::HBRUSH b = winplat::CreateSolidBrush(fill);
    winplat::RECT r{0, 0, w, h};
    winplat::FillRect(dc, &r, b);
    winplat::DeleteObject(b);
  }
  ~Canvas() {
    winplat::SelectObject(dc, oldBitmap);
    winplat::DeleteObject(bitmap);
    winplat::DeleteDC(dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  // Device pixel, whatever the mapping.
  winplat::COLORREF At(int x, int y) const { return winplat::CaptureDC(dc).At(x, y); }
  winplat::Picture Snap() const { return winplat::CaptureDC(dc); }
  // Number of pixels of exactly this colour.
  int Count(winplat::COLORREF c) const { return Pixels(c).count; }
  // Bounding box of the pixels of one colour; false when there are none.
  bool BoxOf(winplat::COLORREF c, winplat::RECT& box) const {
    const PixelBox b = Pixels(c);
    if (b.count > 0) box = winplat::RECT{b.left, b.top, b.right, b.bottom};
    return b.count > 0;
  }

 private:
  PixelBox Pixels(winplat::COLORREF c) const {
    return PixelsWhere(Snap(), [c](winplat::COLORREF p) { return p == c; });
  }
};

}  // namespace testsupport
