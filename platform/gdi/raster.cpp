// Rasterisation: one-pixel and styled lines, wide strokes, ellipses, polygons.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gdi_internal.h"

namespace winplat::gdi {

namespace {

constexpr int kMaxPenWidth = 1 << 15;
constexpr long long kPatternCycle = 24;  // every dash pattern's length divides it

// Dash patterns of one-pixel styled pens: lengths of on and off runs, in pixels.
const std::vector<int>& Pattern(int style) {
  static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3}, solid{1};
  switch (style) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashDot;
    case PS_DASHDOTDOT: return dashDotDot;
    default: return solid;
  }
}

bool PatternOn(int style, long long step) {
  const auto& p = Pattern(style);
  int period = 0;
  for (int v : p) period += v;
  long long pos = ((step % period) + period) % period;
  for (std::size_t k = 0; k < p.size(); ++k) {
    if (pos < p[k]) return k % 2 == 0;
    pos -= p[k];
  }
  return true;
}

// Pixels of the line from a to b: pixel i lies i steps along the major axis, its
// minor offset the exact rounding of the ideal line (halves away from the start).
struct LineWalk {
  long long dMaj = 0, dMin = 0;
  int sMaj = 0, sMin = 0;
  bool xMajor = true;
  POINT a;
  LineWalk(POINT from, POINT to) : a(from) {
    long long dx = static_cast<long long>(to.x) - from.x, dy = static_cast<long long>(to.y) - from.y;
    xMajor = std::llabs(dx) >= std::llabs(dy);
    dMaj = xMajor ? std::llabs(dx) : std::llabs(dy);
    dMin = xMajor ? std::llabs(dy) : std::llabs(dx);
    sMaj = static_cast<int>(xMajor ? (dx > 0) - (dx < 0) : (dy > 0) - (dy < 0));
    sMin = static_cast<int>(xMajor ? (dy > 0) - (dy < 0) : (dx > 0) - (dx < 0));
  }
  POINT At(long long i) const {
    // 128 bits: with both ends anywhere in the 32-bit range the product overflows 64 bits.
    __extension__ using Wide = __int128;
    long long minor = dMaj == 0 ? 0 : static_cast<long long>((Wide{2} * i * dMin + dMaj) / (Wide{2} * dMaj));
    long long maj = i * sMaj, mn = minor * sMin;
    return xMajor ? POINT{static_cast<int>(a.x + maj), static_cast<int>(a.y + mn)}
                  : POINT{static_cast<int>(a.x + mn), static_cast<int>(a.y + maj)};
  }
  // Range of steps [lo, hi] whose major coordinate lies within [low, high].
  void Range(long long steps, long long low, long long high, long long* lo, long long* hi) const {
    long long m0 = xMajor ? a.x : a.y;
    long long l = 0, h = steps - 1;
    if (sMaj > 0) {
      l = std::max(l, low - m0);
      h = std::min(h, high - m0);
    } else if (sMaj < 0) {
      l = std::max(l, m0 - high);
      h = std::min(h, m0 - low);
    } else if (m0 < low || m0 > high) {
      h = -1;
    }
    *lo = l;
    *hi = h;
  }
};

// Rows of a round pen of width w about the pixel (0, 0): offsets dy with their x runs.
struct DiscRow {
  int dy, x0, x1;  // x0..x1 inclusive
};
std::vector<DiscRow> Disc(int w) {
  std::vector<DiscRow> rows;
  const double c = (w % 2 == 1) ? 0.0 : -0.5;
  const double r = w / 2.0;
  const int lo = -(w / 2), hi = (w - 1) / 2;
  for (int dy = lo; dy <= hi; ++dy) {
    const double e = std::sqrt(std::max(0.0, r * r - (dy - c) * (dy - c))) + 1e-9;
    const int x0 = std::max(lo, static_cast<int>(std::ceil(c - e)));
    const int x1 = std::min(hi, static_cast<int>(std::floor(c + e)));
    rows.push_back({dy, x0, x1});  // x0 > x1: an empty row
  }
  return rows;
}

}  // namespace

DevicePen ResolvePen(const DcState& st) {
  DevicePen p;
  const GdiObject& pen = *st.pen;
  p.color = pen.color;
  if (pen.penStyle == PS_NULL) {
    p.null = true;
    return p;
  }
  // Widths are capped far beyond any surface so that a wild width cannot stall drawing.
  p.width = pen.penWidth == 0 ? 1 : std::clamp(DeviceLengthX(st, pen.penWidth), 1, kMaxPenWidth);
  p.insideFrame = pen.penStyle == PS_INSIDEFRAME;
  // A styled pen wider than one pixel draws solid.
  p.style = (p.width == 1 && pen.penStyle >= PS_DASH && pen.penStyle <= PS_DASHDOTDOT) ? pen.penStyle : PS_SOLID;
  return p;
}

void StyledPixel(Dc& dc, int x, int y, const DevicePen& pen, int step) {
  if (pen.style == PS_SOLID || PatternOn(pen.style, step)) {
    PaintPixel(dc, x, y, pen.color, dc.st.rop2);
  } else if (dc.st.bkMode == OPAQUE) {
    PaintPixel(dc, x, y, dc.st.bkColor, dc.st.rop2);
  }
}

void ThinLine(Dc& dc, POINT a, POINT b, const DevicePen& pen, int& styleStep, bool includeLast) {
  LineWalk walk(a, b);
  const long long steps = walk.dMaj + (includeLast ? 1 : 0);
  const Surface& s = *dc.st.surface;
  long long lo = 0, hi = -1;
  walk.Range(steps, 0, (walk.xMajor ? s.width : s.height) - 1, &lo, &hi);
  for (long long i = lo; i <= hi; ++i) {
    POINT p = walk.At(i);
    StyledPixel(dc, p.x, p.y, pen, static_cast<int>((styleStep + i) % kPatternCycle));
  }
  styleStep = static_cast<int>((styleStep + walk.dMaj) % kPatternCycle);
}

void AddWideStroke(SpanSet& spans, const POINT* points, int count, bool closed, int width, const RECT& limit) {
  const std::vector<DiscRow> disc = Disc(width);  // one row per dy from -(width / 2) upwards
  const int lo = -(width / 2);
  const int margin = width + 2;
  const int rowTop = limit.top - 2, rowBottom = limit.bottom + 2;  // rows kept: [rowTop, rowBottom]
  const int segments = count == 1 ? 1 : (closed ? count : count - 1);
  std::vector<std::pair<int, int>> rows(static_cast<std::size_t>(rowBottom - rowTop + 1));
  for (int k = 0; k < segments; ++k) {
    const POINT a = points[k], b = points[(k + 1) % count];
    // One segment with round ends is convex: one run per row.
    for (auto& r : rows) r = {1, 0};  // empty
    LineWalk walk(a, b);
    long long first = 0, last = -1;
    walk.Range(walk.dMaj + 1, (walk.xMajor ? limit.left : limit.top) - margin,
               (walk.xMajor ? limit.right : limit.bottom) + margin, &first, &last);
    for (long long i = first; i <= last; ++i) {
      const POINT c = walk.At(i);
      const long long dyFrom = std::max<long long>(lo, static_cast<long long>(rowTop) - c.y);
      const long long dyTo = std::min<long long>(lo + static_cast<long long>(disc.size()) - 1,
                                                 static_cast<long long>(rowBottom) - c.y);
      for (long long dy = dyFrom; dy <= dyTo; ++dy) {
        const DiscRow& d = disc[static_cast<std::size_t>(dy - lo)];
        if (d.x0 > d.x1) continue;
        auto& r = rows[static_cast<std::size_t>(c.y + dy - rowTop)];
        const int x0 = static_cast<int>(std::clamp<long long>(static_cast<long long>(c.x) + d.x0, limit.left - margin, limit.right + margin));
        const int x1 = static_cast<int>(std::clamp<long long>(static_cast<long long>(c.x) + d.x1, limit.left - margin, limit.right + margin));
        if (r.first > r.second) {
          r = {x0, x1};
        } else {
          r.first = std::min(r.first, x0);
          r.second = std::max(r.second, x1);
        }
      }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const auto& r = rows[i];
      if (r.first > r.second) continue;
      spans.Add(rowTop + static_cast<int>(i), std::max(r.first, limit.left - 2), std::min(r.second + 1, limit.right + 2));
    }
  }
  spans.Normalize();
}

SpanSet EllipseSpans(int left, int top, int right, int bottom, const RECT& limit) {
  SpanSet out;
  if (right <= left || bottom <= top) return out;
  const double cx = (static_cast<double>(left) + right) / 2.0, cy = (static_cast<double>(top) + bottom) / 2.0;
  const double a = (static_cast<double>(right) - left) / 2.0, b = (static_cast<double>(bottom) - top) / 2.0;
  const int y0 = std::max(top, limit.top - 2), y1 = std::min(bottom, limit.bottom + 2);
  for (int y = y0; y < y1; ++y) {
    double dy = (y + 0.5 - cy) / b;
    double half = a * std::sqrt(std::max(0.0, 1.0 - dy * dy));
    double xa = std::ceil(cx - half - 0.5 - 1e-9), xb = std::floor(cx + half - 0.5 + 1e-9);
    if (xa > xb) {
      xa = std::floor(cx - 0.5);
      xb = std::ceil(cx - 0.5);
    }
    xa = std::max(xa, static_cast<double>(limit.left) - 3);
    xb = std::min(xb, static_cast<double>(limit.right) + 3);
    if (xa <= xb) out.Add(y, static_cast<int>(xa), static_cast<int>(xb) + 1);
  }
  out.Normalize();
  return out;
}

SpanSet OutlineOf(const SpanSet& filled) {
  // A pixel is inside when its four neighbours are all in the set.
  SpanSet shrunk, up = filled, down = filled;
  for (const auto& [y, runs] : filled.Rows())
    for (const auto& r : runs) shrunk.Add(y, r.first + 1, r.second - 1);
  shrunk.Normalize();
  up.Offset(0, 1);
  down.Offset(0, -1);
  SpanSet interior = shrunk.Intersect(up).Intersect(down);
  return filled.Minus(interior);
}

SpanSet PolygonSpans(const POINT* points, int count, int fillMode, const RECT& limit) {
  SpanSet out;
  if (count < 3) return out;
  int minY = points[0].y, maxY = points[0].y;
  for (int i = 1; i < count; ++i) {
    minY = std::min(minY, points[i].y);
    maxY = std::max(maxY, points[i].y);
  }
  minY = std::max(minY, limit.top - 1);
  maxY = std::min(maxY, limit.bottom + 1);
  std::vector<std::pair<long long, int>> xs;
  for (int y = minY; y < maxY; ++y) {
    xs.clear();
    for (int i = 0; i < count; ++i) {
      POINT p = points[i], q = points[(i + 1) % count];
      if (p.y == q.y) continue;
      int dir = q.y > p.y ? 1 : -1;
      if (p.y > q.y) std::swap(p, q);
      if (y < p.y || y >= q.y) continue;
      // First pixel at or right of the crossing: ceil(p.x + (y - p.y) * dx / dy).
      long long num = (static_cast<long long>(y) - p.y) * (static_cast<long long>(q.x) - p.x);
      long long den = static_cast<long long>(q.y) - p.y;
      long long fl = num >= 0 ? num / den : -((-num + den - 1) / den);
      long long ce = (fl * den == num) ? fl : fl + 1;
      xs.emplace_back(p.x + ce, dir);
    }
    std::sort(xs.begin(), xs.end());
    int wind = 0;
    for (std::size_t k = 0; k + 1 < xs.size(); ++k) {
      wind += xs[k].second;
      bool inside = fillMode == WINDING ? wind != 0 : (k % 2 == 0);
      if (!inside) continue;
      long long x0 = std::max<long long>(xs[k].first, limit.left - 2);
      long long x1 = std::min<long long>(xs[k + 1].first, limit.right + 2);
      if (x0 < x1) out.Add(y, static_cast<int>(x0), static_cast<int>(x1));
    }
  }
  out.Normalize();
  return out;
}

}  // namespace winplat::gdi
