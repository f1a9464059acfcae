// Stroke drawing of the preview: records become lines and pixels by the two
// rules (frames with and without flag bit 2).
#include <algorithm>

#include "preview.h"

namespace vexlib {

using namespace winplat;

void PreviewBox::Add(std::int32_t x, std::int32_t y) {
  if (empty) {
    left = right = x;
    top = bottom = y;
    empty = false;
    return;
  }
  left = std::min(left, x);
  right = std::max(right, x);
  top = std::min(top, y);
  bottom = std::max(bottom, y);
}

PreviewBox PreviewBox::Whole() { return PreviewBox{false, -2048, -2048, 2047, 2047}; }

PreviewState& Preview() {
  static PreviewState state;
  return state;
}

void FillBlack(HDC dc, const RECT& rect) { FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }

namespace {

bool Blank(std::int32_t colour) { return colour == 0 || static_cast<std::uint32_t>(colour) == kBlankMove; }

// The width field of a fast record as a signed 21-bit value.
std::int32_t Width21(std::int32_t w) {
  std::uint32_t u = static_cast<std::uint32_t>(w) & 0x1FFFFFu;
  return (u & 0x100000u) ? static_cast<std::int32_t>(u) - 0x200000 : static_cast<std::int32_t>(u);
}

class Pens {
 public:
  Pens(HDC dc, const StrokeRules& rules) : dc_(dc), rules_(rules) {}
  ~Pens() {
    if (pen_) DeleteObject(SelectObject(dc_, original_));
  }

  // Selects the pen of a stroke when it differs from the current one.
  void Use(std::int32_t colour, bool active, std::int32_t width) {
    COLORREF c = active ? (static_cast<std::uint32_t>(colour) & 0xFFFFFFu) : kGrey;
    std::int32_t w = PenWidth(width);
    if (pen_ && c == colour_ && w == width_) return;
    HPEN pen = w > 0 ? CreatePen(PS_INSIDEFRAME, w, c) : CreatePen(PS_SOLID, 1, c);
    HGDIOBJ previous = SelectObject(dc_, pen);
    if (pen_) {
      DeleteObject(previous);
    } else {
      original_ = previous;
    }
    pen_ = pen;
    colour_ = c;
    width_ = w;
  }
  COLORREF Colour() const { return colour_; }
  std::int32_t Width() const { return width_; }

 private:
  // 0 for the one-pixel solid pen.
  std::int32_t PenWidth(std::int32_t width) const {
    if (!rules_.widths) return 0;
    if (rules_.fast) return Width21(width) * 8;
    return static_cast<std::int32_t>(static_cast<std::int64_t>(width) * rules_.penScale / 8 / 100);
  }

  HDC dc_;
  const StrokeRules& rules_;
  HPEN pen_ = 0;
  HGDIOBJ original_ = 0;
  COLORREF colour_ = 0;
  std::int32_t width_ = 0;
};

}  // namespace

void DrawStrokes(HDC dc, const FastRecordStruct* r, std::int32_t n, const StrokeRules& rules) {
  if (n <= 0) return;
  auto active = [&](std::int32_t i) { return !rules.active || rules.active(i); };
  auto drawn = [&](std::int32_t i) {
    if (rules.drawn) rules.drawn(r[i].X, r[i].Y);
  };
  auto same = [&](std::int32_t i, std::int32_t stroke) {
    return r[i].Colour == r[stroke].Colour && active(i) == active(stroke) &&
           (!rules.widths || r[i].Width == r[stroke].Width);
  };
  Pens pens(dc, rules);
  pens.Use(r[0].Colour, active(0), r[0].Width);
  if (rules.bit2) {
    // Every segment takes the colour of the point it ends at.
    POINT at{r[0].X, r[0].Y};
    std::int32_t i = 0;
    while (i < n) {
      if (Blank(r[i].Colour)) {
        MoveToEx(dc, r[i].X, r[i].Y, nullptr);
        at = {r[i].X, r[i].Y};
        ++i;
        continue;
      }
      std::int32_t stroke = i;
      POINT begin = at;
      pens.Use(r[i].Colour, active(i), r[i].Width);
      std::int32_t j = i;
      do {
        LineTo(dc, r[j].X, r[j].Y);
        drawn(j);
        at = {r[j].X, r[j].Y};
        ++j;
      } while (j < n && same(j, stroke));
      if (at.x == begin.x && at.y == begin.y) SetPixel(dc, at.x, at.y, pens.Colour());
      i = j;
    }
    return;
  }
  // Every segment takes the colour of the point it starts from.
  std::int32_t i = 0;
  while (i < n) {
    if (Blank(r[i].Colour)) {
      ++i;
      continue;
    }
    std::int32_t stroke = i;
    MoveToEx(dc, r[i].X, r[i].Y, nullptr);
    pens.Use(r[i].Colour, active(i), r[i].Width);
    POINT last{r[i].X, r[i].Y};
    bool drewLine = false;
    std::int32_t j = i + 1;
    for (; j < n; ++j) {
      if (static_cast<std::uint32_t>(r[j].Colour) == kBlankMove) break;
      bool repeated = r[j].X == last.x && r[j].Y == last.y;
      bool anyway = rules.widths && (rules.fast ? Width21(r[j].Width) > 20 : pens.Width() > 2);
      if (!repeated || anyway) {
        LineTo(dc, r[j].X, r[j].Y);
        if (rules.ray) {
          MoveToEx(dc, 0, 0, nullptr);
          LineTo(dc, r[j].X, r[j].Y);
          if (!drewLine) {
            MoveToEx(dc, 0, 0, nullptr);
            LineTo(dc, last.x, last.y);
          }
          MoveToEx(dc, r[j].X, r[j].Y, nullptr);
        }
        if (!drewLine) drawn(stroke);
        drawn(j);
        drewLine = true;
        last = {r[j].X, r[j].Y};
      }
      if (!same(j, stroke)) {
        if (!drewLine) SetPixel(dc, r[j].X, r[j].Y, pens.Colour());
        break;
      }
    }
    // A stroke that ended on a blanked record or the frame's end starts nothing further there.
    i = (j < n && static_cast<std::uint32_t>(r[j].Colour) != kBlankMove) ? j : j + 1;
  }
}

}  // namespace vexlib
