// Bit-block transfers between contexts.
#include <algorithm>

#include "gdi_internal.h"

namespace winplat {

using namespace gdi;

namespace {

bool NeedsSource(std::uint32_t rop) { return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT; }

std::uint32_t Combine(std::uint32_t rop, std::uint32_t src, std::uint32_t dst, std::uint32_t pat) {
  switch (rop) {
    case SRCCOPY: return src;
    case SRCPAINT: return src | dst;
    case SRCAND: return src & dst;
    case SRCINVERT: return src ^ dst;
    case PATCOPY: return pat;
    case DSTINVERT: return ~dst & 0xFFFFFF;
    case BLACKNESS: return 0;
    default: return 0xFFFFFF;  // WHITENESS
  }
}

bool KnownRop(std::uint32_t rop) {
  return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT || rop == PATCOPY ||
         rop == DSTINVERT || rop == BLACKNESS || rop == WHITENESS;
}

bool Transfer(const char* name, HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
              int srcWidth, int srcHeight, std::uint32_t rop) {
  Lock lock(Reg().mu);
  Dc* d = FindDc(dest);
  if (!d || !KnownRop(rop)) return false;
  Dc* s = NeedsSource(rop) ? FindDc(src) : nullptr;
  if (NeedsSource(rop) && !s) return false;
  if (d->meta || (s && s->meta)) return false;  // a metafile neither takes nor gives pixels
  Record(*d, std::string(name) + "(" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(width) + ", " +
                 std::to_string(height) + ", " + std::to_string(xSrc) + ", " + std::to_string(ySrc) + ", " +
                 (std::string(name) == "StretchBlt" ? std::to_string(srcWidth) + ", " + std::to_string(srcHeight) + ", " : "") +
                 Hex6(rop) + ")");
  POINT a = ToDevice(d->st, x, y), b = ToDevice(d->st, x + width, y + height);
  RECT dr{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  RECT sr{};
  Surface copy(0, 0, 0);
  const Surface* from = nullptr;
  if (s) {
    POINT c = ToDevice(s->st, xSrc, ySrc), e = ToDevice(s->st, xSrc + srcWidth, ySrc + srcHeight);
    sr = RECT{std::min(c.x, e.x), std::min(c.y, e.y), std::max(c.x, e.x), std::max(c.y, e.y)};
    from = s->st.surface.get();
    if (from == d->st.surface.get()) {
      copy = *from;  // within one surface, read the old pixels of an overlapping area
      from = &copy;
    }
  }
  const std::uint32_t pat = d->st.brush ? d->st.brush->color : 0;
  Surface& ds = *d->st.surface;
  const int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
  const int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
  const int y0 = std::max(dr.top, 0), y1 = std::min(dr.bottom, ds.height);
  const int x0 = std::max(dr.left, 0), x1 = std::min(dr.right, ds.width);
  for (int py = y0; py < y1; ++py) {
    for (int px = x0; px < x1; ++px) {
      if (d->st.clip && !d->st.clip->Contains(px, py)) continue;
      std::uint32_t sv = 0;
      if (s) {
        int sx = sr.left + static_cast<int>(static_cast<long long>(px - dr.left) * sw / dw);
        int sy = sr.top + static_cast<int>(static_cast<long long>(py - dr.top) * sh / dh);
        if (!from->Inside(sx, sy)) continue;
        sv = from->px[static_cast<std::size_t>(sy) * from->width + sx];
      }
      std::uint32_t& dv = ds.At(px, py);
      dv = Combine(rop, sv, dv, pat);
    }
  }
  return true;
}

}  // namespace

bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, std::uint32_t rop) {
  return Transfer("StretchBlt", dest, x, y, width, height, src, xSrc, ySrc, srcWidth, srcHeight, rop);
}

bool BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, std::uint32_t rop) {
  return Transfer("BitBlt", dest, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

}  // namespace winplat
