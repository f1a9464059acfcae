// Drawing primitives on a memory surface.
#include <gtest/gtest.h>

#include "gdi_canvas.h"
#include "../gdiprims.h"
#include "winplat/gdi.h"
#include "winplat/picture.h"

using namespace winplat;
using namespace kelvane;

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;

using testsupport::Canvas;

// The objects selected before a primitive are selected after it.
struct Selected {
  HGDIOBJ pen, brush, font;
  explicit Selected(HDC dc)
      : pen(GetCurrentObject(dc, OBJ_PEN)), brush(GetCurrentObject(dc, OBJ_BRUSH)), font(GetCurrentObject(dc, OBJ_FONT)) {}
  bool operator==(const Selected&) const = default;
};

}  // namespace

TEST(GdiPrimitives, LinePointAndSelectionRestored) {
  Canvas c(40, 20);
  Selected before(c.dc);
  auto r = GdiLine(c.dc, 2, 5, 30, 5, 1, 0x0000FF, 0);
  ASSERT_TRUE(r.has_value());
  EXPECT_TRUE(*r);
  EXPECT_EQ(c.At(10, 5), 0x0000FFu);
  EXPECT_EQ(c.At(10, 6), kWhite);
  EXPECT_TRUE(Selected(c.dc) == before);

  EXPECT_TRUE(GdiPoint(c.dc, 3, 15, 0x00FF00));
  EXPECT_EQ(c.At(3, 15), 0x00FF00u);
  EXPECT_EQ(c.At(4, 15), kWhite);
}

TEST(GdiPrimitives, ArcRunsCounterclockwiseFromStartToEnd) {
  Canvas c(60, 60);
  // Circle box 10..50; start (chord x1, chord y2) on the right, end (chord x2,
  // chord y1) at the top: the upper right quarter.
  EXPECT_TRUE(GdiArc(c.dc, 10, 50, 50, 10, 60, 0, 30, 30, 0xFF0000, 0, 1.0f));
  RECT box{};
  ASSERT_TRUE(c.BoxOf(0xFF0000, box));
  EXPECT_GE(box.left, 28);
  EXPECT_LE(box.bottom, 32);
  EXPECT_GE(box.right, 47);
  EXPECT_LE(box.top, 12);
}

TEST(GdiPrimitives, EllipseOfNoSizeIsGrownAroundThePoint) {
  Canvas c(30, 30);
  Selected before(c.dc);
  EXPECT_TRUE(GdiEllipse(c.dc, 15, 15, 15, 15, 0xFF0000, 0, 1.0f));
  RECT box{};
  ASSERT_TRUE(c.BoxOf(0xFF0000, box));
  EXPECT_GE(box.left, 13);
  EXPECT_LE(box.right, 16);
  EXPECT_GE(box.top, 13);
  EXPECT_LE(box.bottom, 16);
  EXPECT_TRUE(Selected(c.dc) == before);
  // A box at the edge of the Long range cannot grow: a failure, nothing drawn.
  EXPECT_FALSE(GdiEllipse(c.dc, INT32_MIN, 5, INT32_MIN, 5, 0x00FF00, 0, 1.0f));
  EXPECT_FALSE(c.BoxOf(0x00FF00, box));
}

TEST(GdiPrimitives, SolidIsFilledWithItsColour) {
  Canvas c(30, 30);
  EXPECT_TRUE(GdiSolid(c.dc, 5, 5, 25, 5, 25, 25, 5, 25, 0xFF0000));
  EXPECT_EQ(c.At(15, 15), 0xFF0000u);
  EXPECT_EQ(c.At(2, 2), kWhite);
}

TEST(GdiPrimitives, TextSitsOnItsBaselineAndAligns) {
  for (int align : {0, 2, 1}) {
    Canvas c(200, 80);
    Selected before(c.dc);
    ASSERT_TRUE(GdiText(c.dc, "HHHH", 100, 50, 24, 0.0f, align, 0x0000FF, "Arial"));
    RECT box{};
    ASSERT_TRUE(c.BoxOf(0x0000FF, box)) << align;
    EXPECT_LT(box.bottom, 52) << align;  // above the baseline
    EXPECT_GT(box.top, 20) << align;
    if (align == 0) {
      EXPECT_GE(box.left, 99);
    } else if (align == 2) {
      EXPECT_LE(box.right, 101);
    } else {
      EXPECT_TRUE(box.left < 100 && box.right > 100);
    }
    EXPECT_TRUE(Selected(c.dc) == before);
  }
}

TEST(GdiPrimitives, TextRotationIsRoundedToWholeDegreesHalvesToEven) {
  auto draw = [](float rotation) {
    Canvas c(200, 200);
    EXPECT_TRUE(GdiText(c.dc, "HHHHHHHH", 60, 150, 20, rotation, 0, 0x0000FF, "Arial"));
    return CaptureDC(c.dc).pixels;
  };
  EXPECT_EQ(draw(44.5f), draw(44.0f));
  EXPECT_EQ(draw(45.5f), draw(46.0f));
  EXPECT_NE(draw(45.5f), draw(45.0f));
  EXPECT_NE(draw(0.0f), draw(90.0f));
  Canvas c(20, 20);
  EXPECT_FALSE(GdiText(c.dc, "H", 10, 10, 10, 1e30f, 0, 0, "Arial"));
}
