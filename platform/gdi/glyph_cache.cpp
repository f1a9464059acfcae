// The process's cache of rendered glyphs, least recently used first out.
#include "glyph_cache.h"

#include <functional>

namespace winplat::gdi {
namespace {

constexpr std::size_t kGlyphBudget = 64u << 20;
// Advances are small: they are forgotten all at once past this many.
constexpr std::size_t kMaxAdvances = 1u << 18;

}  // namespace

std::size_t GlyphKeyHash::operator()(const GlyphKey& k) const noexcept {
  std::size_t h = std::hash<const void*>()(k.face);
  for (long v : {static_cast<long>(k.ppem), k.xx, k.xy, k.yx, k.yy, static_cast<long>(k.code)}) {
    h ^= std::hash<long>()(v) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
  }
  return h;
}

const GlyphBitmap* GlyphCache::Find(const GlyphKey& key) {
  auto it = glyphs_.find(key);
  if (it == glyphs_.end()) return nullptr;
  order_.splice(order_.begin(), order_, it->second);
  return &it->second->second;
}

const GlyphBitmap* GlyphCache::Keep(const GlyphKey& key, GlyphBitmap&& glyph) {
  const std::size_t size = glyph.Bytes();
  if (size > budget_ / 16) return nullptr;
  if (auto it = glyphs_.find(key); it != glyphs_.end()) {
    bytes_ -= it->second->second.Bytes();
    order_.erase(it->second);
    glyphs_.erase(it);
  }
  while (!order_.empty() && bytes_ + size > budget_) {
    bytes_ -= order_.back().second.Bytes();
    glyphs_.erase(order_.back().first);
    order_.pop_back();
  }
  order_.emplace_front(key, std::move(glyph));
  glyphs_[key] = order_.begin();
  bytes_ += size;
  return &order_.front().second;
}

bool GlyphCache::FindAdvance(const GlyphKey& key, int* advance) const {
  auto it = advances_.find(key);
  if (it == advances_.end()) return false;
  *advance = it->second;
  return true;
}

void GlyphCache::KeepAdvance(const GlyphKey& key, int advance) {
  if (advances_.size() >= kMaxAdvances) advances_.clear();
  advances_[key] = advance;
}

GlyphCache& Glyphs() {
  static GlyphCache cache(kGlyphBudget);
  return cache;
}

}  // namespace winplat::gdi
