// Pixel sets as runs per row, and the painting of pixels and runs with a mix mode.
#include <algorithm>

#include "gdi_internal.h"

namespace winplat::gdi {

void Surface::Limit(int* w, int* h) {
  *w = std::clamp(*w, 0, kMaxSide);
  *h = std::clamp(*h, 0, kMaxSide);
  if (static_cast<long long>(*w) * *h > kMaxArea) *h = static_cast<int>(kMaxArea / *w);
}

void Surface::Resize(int w, int h, std::uint32_t fill) {
  Limit(&w, &h);
  std::vector<std::uint32_t> next(static_cast<std::size_t>(w) * h, fill);
  for (int y = 0; y < std::min(h, height); ++y)
    for (int x = 0; x < std::min(w, width); ++x) next[static_cast<std::size_t>(y) * w + x] = At(x, y);
  px = std::move(next);
  width = w;
  height = h;
}

void SpanSet::Add(int y, int x0, int x1) {
  if (x0 < x1) rows_[y].emplace_back(x0, x1);
}

void SpanSet::AddRect(int left, int top, int right, int bottom) {
  for (int y = top; y < bottom; ++y) Add(y, left, right);
}

void SpanSet::Normalize() {
  for (auto it = rows_.begin(); it != rows_.end();) {
    auto& runs = it->second;
    std::sort(runs.begin(), runs.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& r : runs) {
      if (r.first >= r.second) continue;
      if (!merged.empty() && r.first <= merged.back().second)
        merged.back().second = std::max(merged.back().second, r.second);
      else
        merged.push_back(r);
    }
    if (merged.empty()) {
      it = rows_.erase(it);
    } else {
      runs = std::move(merged);
      ++it;
    }
  }
}

bool SpanSet::Contains(int x, int y) const {
  auto it = rows_.find(y);
  if (it == rows_.end()) return false;
  for (const auto& r : it->second)
    if (x >= r.first && x < r.second) return true;
  return false;
}

bool SpanSet::IntersectsRect(int left, int top, int right, int bottom) const {
  for (auto it = rows_.lower_bound(top); it != rows_.end() && it->first < bottom; ++it)
    for (const auto& r : it->second)
      if (r.first < right && r.second > left) return true;
  return false;
}

bool SpanSet::Empty() const { return rows_.empty(); }

int SpanSet::RunCount() const {
  int n = 0;
  for (const auto& row : rows_) n += static_cast<int>(row.second.size());
  return n;
}

bool SpanSet::Bounds(RECT* rect) const {
  if (rows_.empty()) {
    *rect = RECT{};
    return false;
  }
  RECT b{rows_.begin()->second.front().first, rows_.begin()->first, rows_.begin()->second.back().second,
         rows_.rbegin()->first + 1};
  for (const auto& row : rows_) {
    b.left = std::min(b.left, row.second.front().first);
    b.right = std::max(b.right, row.second.back().second);
  }
  *rect = b;
  return true;
}

void SpanSet::Offset(int dx, int dy) {
  // Coordinates saturate at +-2^30 rather than wrap.
  auto add = [](int v, int d) {
    return static_cast<int>(std::clamp<long long>(static_cast<long long>(v) + d, -(1LL << 30), 1LL << 30));
  };
  std::map<int, std::vector<std::pair<int, int>>> moved;
  for (auto& row : rows_) {
    for (auto& r : row.second) {
      r.first = add(r.first, dx);
      r.second = add(r.second, dx);
    }
    auto& dest = moved[add(row.first, dy)];
    dest.insert(dest.end(), row.second.begin(), row.second.end());
  }
  rows_ = std::move(moved);
  Normalize();
}

SpanSet SpanSet::Minus(const SpanSet& other) const {
  SpanSet out;
  for (const auto& row : rows_) {
    auto oit = other.rows_.find(row.first);
    for (auto r : row.second) {
      if (oit != other.rows_.end()) {
        for (const auto& o : oit->second) {
          if (o.second <= r.first || o.first >= r.second) continue;
          if (o.first > r.first) out.Add(row.first, r.first, o.first);
          r.first = std::max(r.first, o.second);
          if (r.first >= r.second) break;
        }
      }
      out.Add(row.first, r.first, r.second);
    }
  }
  out.Normalize();
  return out;
}

SpanSet SpanSet::Intersect(const SpanSet& other) const {
  SpanSet out;
  for (const auto& row : rows_) {
    auto oit = other.rows_.find(row.first);
    if (oit == other.rows_.end()) continue;
    for (const auto& r : row.second)
      for (const auto& o : oit->second) out.Add(row.first, std::max(r.first, o.first), std::min(r.second, o.second));
  }
  out.Normalize();
  return out;
}

std::uint32_t ApplyRop2(int rop2, std::uint32_t pen, std::uint32_t dest) {
  // The mix mode less one is a truth table over (pen bit, destination bit).
  const unsigned t = static_cast<unsigned>(rop2 - 1) & 15u;
  std::uint32_t r = 0;
  if (t & 8u) r |= pen & dest;
  if (t & 4u) r |= pen & ~dest;
  if (t & 2u) r |= ~pen & dest;
  if (t & 1u) r |= ~pen & ~dest;
  return r & 0xFFFFFFu;
}

void PaintPixel(Dc& dc, int x, int y, COLORREF color, int rop2) {
  Surface& s = *dc.st.surface;
  if (!s.Inside(x, y)) return;
  if (dc.st.clip && !dc.st.clip->Contains(x, y)) return;
  std::uint32_t& d = s.At(x, y);
  d = rop2 == R2_COPYPEN ? (color & 0xFFFFFF) : ApplyRop2(rop2, color & 0xFFFFFF, d);
}

void PaintSpans(Dc& dc, const SpanSet& spans, COLORREF color, int rop2) {
  Surface& s = *dc.st.surface;
  const SpanSet* clip = dc.st.clip.get();
  SpanSet clipped;
  if (clip) clipped = spans.Intersect(*clip);
  const SpanSet& use = clip ? clipped : spans;
  for (auto it = use.Rows().lower_bound(0); it != use.Rows().end() && it->first < s.height; ++it) {
    for (const auto& r : it->second) {
      int x0 = std::max(r.first, 0);
      int x1 = std::min(r.second, s.width);
      for (int x = x0; x < x1; ++x) {
        std::uint32_t& d = s.At(x, it->first);
        d = rop2 == R2_COPYPEN ? (color & 0xFFFFFF) : ApplyRop2(rop2, color & 0xFFFFFF, d);
      }
    }
  }
}

}  // namespace winplat::gdi
