#pragma once
// Rendered glyphs and their advances, kept per face, size and transform for
// the life of the process's faces: text drawn again (a picture redrawn, a
// zoom) renders each glyph once. Bounded: least recently used glyphs go first
// when the bitmaps pass the budget; a glyph larger than a sixteenth of the
// budget is never kept. Callers hold the GDI registry's lock.
#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

namespace winplat::gdi {

struct GlyphKey {
  const void* face = nullptr;
  int ppem = 0;
  long xx = 0, xy = 0, yx = 0, yy = 0;  // the transform, 16.16
  unsigned code = 0;
  bool operator==(const GlyphKey&) const = default;
};

struct GlyphKeyHash {
  std::size_t operator()(const GlyphKey& k) const noexcept;
};

// A one-bit-per-pixel glyph bitmap and where it sits from the pen position.
struct GlyphBitmap {
  bool ok = false;  // false: the face has no such glyph (nothing is drawn)
  int left = 0, top = 0;
  unsigned width = 0, rows = 0;
  int pitch = 0;
  std::vector<unsigned char> bits;
  std::size_t Bytes() const { return bits.size() + sizeof(GlyphBitmap); }
};

class GlyphCache {
 public:
  explicit GlyphCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

  // The glyph kept for the key, or nullptr (it is then the most recently used).
  const GlyphBitmap* Find(const GlyphKey& key);
  // Keeps a glyph (moved in); answers where it is kept, or nullptr, leaving
  // `glyph` as it was, when it is too large to keep.
  const GlyphBitmap* Keep(const GlyphKey& key, GlyphBitmap&& glyph);
  // Advances in whole pixels (code and transform of the unrotated text).
  bool FindAdvance(const GlyphKey& key, int* advance) const;
  void KeepAdvance(const GlyphKey& key, int advance);

  std::size_t Bytes() const { return bytes_; }
  std::size_t Count() const { return glyphs_.size(); }

 private:
  using Entry = std::pair<GlyphKey, GlyphBitmap>;
  std::size_t budget_;
  std::size_t bytes_ = 0;
  std::list<Entry> order_;  // most recently used first
  std::unordered_map<GlyphKey, std::list<Entry>::iterator, GlyphKeyHash> glyphs_;
  std::unordered_map<GlyphKey, int, GlyphKeyHash> advances_;
};

// The process's glyph cache (64 MB of bitmaps).
GlyphCache& Glyphs();

}  // namespace winplat::gdi
