#pragma once
// Finding pixels in a picture: how many of an area's pixels pass a test, and
// the bounding box they lie in.
#include <algorithm>

#include "winplat/picture.h"

namespace testsupport {

struct PixelBox {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
  bool Holds(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// The pixels of [left, right) x [top, bottom) that `pred` accepts.
template <class Pred>
PixelBox PixelsWhere(const winplat::Picture& p, int left, int top, int right, int bottom, Pred pred) {
  PixelBox b;
  for (int y = std::max(top, 0); y < std::min(bottom, p.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, p.width); ++x) {
      if (!pred(p.At(x, y))) continue;
      ++b.count;
      b.left = std::min(b.left, x);
      b.right = std::max(b.right, x);
      b.top = std::min(b.top, y);
      b.bottom = std::max(b.bottom, y);
    }
  }
  return b;
}

// The same over the whole picture.
template <class Pred>
PixelBox PixelsWhere(const winplat::Picture& p, Pred pred) {
  return PixelsWhere(p, 0, 0, p.width, p.height, pred);
}

}  // namespace testsupport
