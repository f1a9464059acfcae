// Glyphs rendered once and kept: text drawn from the cache, cut by the surface
// or a clip, shows exactly the pixels it shows drawn whole; glyphs wholly
// outside are never rendered; the cache keeps to its budget.
#include <gtest/gtest.h>

#include <cstring>

#include "../glyph_cache.h"
#include "gdi_test_util.h"

namespace {

using namespace gditest;
using winplat::gdi::GlyphBitmap;
using winplat::gdi::GlyphCache;
using winplat::gdi::GlyphKey;

constexpr COLORREF kText = RGB(10, 120, 200);

// Draws `text` with its baseline start at (x, y) in a font of `height` pixels.
void Draw(Canvas& c, int x, int y, const char* text, int height, int escapement, HRGN clip = 0) {
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, kText);
  SetTextAlign(c.dc, TA_BASELINE | TA_LEFT);
  HFONT font = CreateFont(height, 0, escapement, 0, 300, 0, 0, 0, 0, 6, 0, 2, 32, "Arial");
  HGDIOBJ old = SelectObject(c.dc, font);
  if (clip) SelectClipRgn(c.dc, clip);
  TextOut(c.dc, x, y, text, static_cast<int>(std::strlen(text)));
  SelectClipRgn(c.dc, 0);
  SelectObject(c.dc, old);
  DeleteObject(font);
}

TEST(GlyphCacheText, CutTextShowsThePixelsOfTheWholeText) {
  struct Case {
    int height, escapement;
    int dx, dy;       // where the small canvas's corner lies on the large one
    bool clipped;     // a clip rectangle inside the small canvas as well
  };
  const Case cases[] = {
      {120, 0, 300, 250, false}, {120, 0, -40, 100, false}, {160, 450, 200, 0, false},
      {160, 900, 0, 100, true},   {90, 2700, 0, 300, true},  {300, 300, 650, 150, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.height << "/" << k.escapement << " at " << k.dx << "," << k.dy);
    Canvas whole(1600, 900);
    Draw(whole, 200, 450, "Glyphs kept WMQ", k.height, k.escapement);
    // Twice on the small canvas: the second from the cache.
    for (int pass = 0; pass < 2; ++pass) {
      Canvas part(400, 300);
      HRGN clip = k.clipped ? CreateRectRgn(40, 30, 330, 260) : 0;
      Draw(part, 200 - k.dx, 450 - k.dy, "Glyphs kept WMQ", k.height, k.escapement, clip);
      if (clip) DeleteObject(clip);
      const Picture a = whole.Snap(), b = part.Snap();
      int ink = 0;
      for (int y = 0; y < b.height; ++y) {
        for (int x = 0; x < b.width; ++x) {
          const bool inClip = !k.clipped || (x >= 40 && x < 330 && y >= 30 && y < 260);
          const int wx = x + k.dx, wy = y + k.dy;
          const bool wholeInk = wx >= 0 && wy >= 0 && wx < a.width && wy < a.height && a.At(wx, wy) == kText;
          ASSERT_EQ(b.At(x, y) == kText, wholeInk && inClip) << "pass " << pass << " pixel " << x << "," << y;
          ink += wholeInk && inClip;
        }
      }
      EXPECT_GT(ink, 0);
    }
  }
}

TEST(GlyphCacheText, GlyphsWhollyOutsideAreNeverRendered) {
  Canvas c(200, 100);
  const std::size_t before = winplat::gdi::Glyphs().Count();
  Draw(c, -200000, 50, "far to the left", 217, 0);
  Draw(c, 20, 5000, "far below", 217, 0);
  EXPECT_EQ(winplat::gdi::Glyphs().Count(), before);
  Draw(c, 20, 60, "in", 217, 0);
  EXPECT_GT(winplat::gdi::Glyphs().Count(), before);
}

TEST(GlyphCache, KeepsTheMostRecentlyUsedWithinItsBudget) {
  auto glyph = [](std::size_t bytes) {
    GlyphBitmap g;
    g.ok = true;
    g.bits.assign(bytes, 0xFF);
    return g;
  };
  const std::size_t unit = glyph(1000).Bytes();
  GlyphCache cache(16 * unit);  // room for sixteen such glyphs; none larger
  auto key = [](unsigned code) { return GlyphKey{nullptr, 20, 65536, 0, 0, 65536, code}; };
  for (unsigned code = 1; code <= 16; ++code) {
    GlyphBitmap g = glyph(1000);
    ASSERT_NE(cache.Keep(key(code), std::move(g)), nullptr);
  }
  ASSERT_NE(cache.Find(key(1)), nullptr);  // 1 is now the most recently used
  GlyphBitmap next = glyph(1000);
  ASSERT_NE(cache.Keep(key(17), std::move(next)), nullptr);
  EXPECT_EQ(cache.Find(key(2)), nullptr);  // the least recently used went
  EXPECT_NE(cache.Find(key(1)), nullptr);
  EXPECT_NE(cache.Find(key(17)), nullptr);
  EXPECT_EQ(cache.Count(), 16u);
  EXPECT_LE(cache.Bytes(), 16 * unit);
  // Too large to keep: refused, and the glyph is left to the caller.
  GlyphBitmap huge = glyph(2 * unit);
  EXPECT_EQ(cache.Keep(key(18), std::move(huge)), nullptr);
  EXPECT_EQ(huge.bits.size(), 2 * unit);
  EXPECT_EQ(cache.Count(), 16u);
}

}  // namespace
