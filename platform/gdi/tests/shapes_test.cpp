// Pixel probes for shapes, fills, regions, inverting modes, transfers and context state.
#include <gtest/gtest.h>

#include "gdi_test_util.h"

namespace {

using namespace gditest;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Bounding box of the pixels of one colour.
RECT BoxOf(const Canvas& c, COLORREF color) {
  RECT r{1 << 20, 1 << 20, -1, -1};
  Picture p = c.Snap();
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.At(x, y) == color) {
        r.left = std::min<int>(r.left, x);
        r.top = std::min<int>(r.top, y);
        r.right = std::max<int>(r.right, x + 1);
        r.bottom = std::max<int>(r.bottom, y + 1);
      }
  return r;
}

void ExpectBox(const RECT& r, int l, int t, int rr, int b) {
  EXPECT_EQ(r.left, l);
  EXPECT_EQ(r.top, t);
  EXPECT_EQ(r.right, rr);
  EXPECT_EQ(r.bottom, b);
}

TEST(GdiShapes, RectangleLeavesOutTheRightAndBottomEdges) {
  Canvas c(30, 30);
  PenScope pen(c.dc, PS_SOLID, 1, kRed);
  HBRUSH brush = CreateSolidBrush(kBlue);
  HGDIOBJ old = SelectObject(c.dc, brush);
  Rectangle(c.dc, 5, 6, 15, 20);
  SelectObject(c.dc, old);
  DeleteObject(brush);
  ExpectBox(BoxOf(c, kRed), 5, 6, 15, 20);
  ExpectBox(BoxOf(c, kBlue), 6, 7, 14, 19);
  EXPECT_EQ(c.Count(kRed), 2 * 10 + 2 * 12);
  // Corners given the other way round give the same figure.
  Canvas d(30, 30);
  PenScope pen2(d.dc, PS_SOLID, 1, kRed);
  Rectangle(d.dc, 15, 20, 5, 6);
  EXPECT_EQ(d.Count(kRed), 44);
}

TEST(GdiShapes, InsideFramePenStaysWithinTheBox) {
  Canvas c(40, 40);
  PenScope pen(c.dc, PS_INSIDEFRAME, 4, kRed);
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  Rectangle(c.dc, 10, 10, 30, 30);
  ExpectBox(BoxOf(c, kRed), 10, 10, 30, 30);
  EXPECT_EQ(c.At(13, 20), kRed);
  EXPECT_EQ(c.At(14, 20), kWhite);
  EXPECT_EQ(c.At(26, 20), kRed);
  EXPECT_EQ(c.At(25, 20), kWhite);
  Canvas e(40, 40);
  PenScope pen2(e.dc, PS_INSIDEFRAME, 5, kBlue);
  SelectObject(e.dc, GetStockObject(NULL_BRUSH));
  Ellipse(e.dc, 5, 5, 35, 35);
  ExpectBox(BoxOf(e, kBlue), 5, 5, 35, 35);
  int band = 0;
  for (int x = 5; x < 20; ++x) band += e.At(x, 20) == kBlue;
  EXPECT_EQ(band, 5);
}

TEST(GdiShapes, WideCentredPenStraddlesTheOutline) {
  Canvas c(40, 40);
  PenScope pen(c.dc, PS_SOLID, 5, kRed);
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  Rectangle(c.dc, 10, 10, 30, 30);
  ExpectBox(BoxOf(c, kRed), 8, 8, 32, 32);
}

TEST(GdiShapes, EllipseTouchesEveryEdgeOfItsBoxButNotTheRightAndBottom) {
  Canvas c(40, 40);
  PenScope pen(c.dc, PS_SOLID, 1, kRed);
  HBRUSH brush = CreateSolidBrush(kBlue);
  HGDIOBJ old = SelectObject(c.dc, brush);
  Ellipse(c.dc, 4, 6, 24, 36);
  SelectObject(c.dc, old);
  DeleteObject(brush);
  ExpectBox(BoxOf(c, kRed), 4, 6, 24, 36);
  EXPECT_EQ(c.At(14, 20), kBlue);  // the brush fills the inside
  EXPECT_EQ(c.At(4, 6), kWhite);  // corners stay clear
  // The outline is one pixel thin: across the middle row exactly two outline pixels.
  int across = 0;
  for (int x = 0; x < 40; ++x) across += c.At(x, 21) == kRed;
  EXPECT_EQ(across, 2);
}

TEST(GdiShapes, ArcRunsCounterClockwiseFromStartToEnd) {
  // From the right (3 o'clock) to the top (12 o'clock): the upper-right quarter only.
  Canvas c(41, 41);
  PenScope pen(c.dc, PS_SOLID, 1, kRed);
  Arc(c.dc, 0, 0, 41, 41, 40, 20, 20, 0);
  RECT box = BoxOf(c, kRed);
  EXPECT_GE(box.left, 19);
  EXPECT_LE(box.bottom, 22);
  EXPECT_EQ(c.At(40, 20), kRed);  // the start point on the circle
  EXPECT_EQ(c.At(20, 0), kRed);  // the end point
  EXPECT_EQ(c.At(0, 20), kWhite);
  // Swapping start and end gives the other three quarters.
  Canvas d(41, 41);
  PenScope pen2(d.dc, PS_SOLID, 1, kRed);
  Arc(d.dc, 0, 0, 41, 41, 20, 0, 40, 20);
  EXPECT_EQ(d.At(0, 20), kRed);
  EXPECT_EQ(d.At(20, 40), kRed);
  EXPECT_EQ(d.At(34, 5), kWhite);
  // Start and end on the same radial: the whole ellipse.
  Canvas e(41, 41);
  PenScope pen3(e.dc, PS_SOLID, 1, kRed);
  SelectObject(e.dc, GetStockObject(NULL_BRUSH));
  Arc(e.dc, 0, 0, 41, 41, 40, 20, 40, 20);
  Canvas f(41, 41);
  PenScope pen4(f.dc, PS_SOLID, 1, kRed);
  SelectObject(f.dc, GetStockObject(NULL_BRUSH));
  Ellipse(f.dc, 0, 0, 41, 41);
  EXPECT_EQ(e.Snap().pixels, f.Snap().pixels);
}

TEST(GdiShapes, DashedArcKeepsGapsAlongTheCurve) {
  Canvas c(60, 60);
  SetBkMode(c.dc, TRANSPARENT);
  PenScope pen(c.dc, PS_DOT, 1, kRed);
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  Ellipse(c.dc, 0, 0, 60, 60);
  Canvas solid(60, 60);
  PenScope pen2(solid.dc, PS_SOLID, 1, kRed);
  SelectObject(solid.dc, GetStockObject(NULL_BRUSH));
  Ellipse(solid.dc, 0, 0, 60, 60);
  int dotted = c.Count(kRed), full = solid.Count(kRed);
  EXPECT_GT(dotted, full * 4 / 10);
  EXPECT_LT(dotted, full * 6 / 10);
}

TEST(GdiShapes, PolygonFillsByTheAlternateRule) {
  Canvas c(40, 40);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  HBRUSH brush = CreateSolidBrush(kBlue);
  SelectObject(c.dc, brush);
  // A five-pointed star drawn in one stroke: the centre pentagon is crossed twice.
  const POINT star[5] = {{20, 2}, {31, 36}, {2, 14}, {38, 14}, {9, 36}};
  Polygon(c.dc, star, 5);
  EXPECT_EQ(c.At(20, 20), kWhite);
  EXPECT_EQ(c.At(20, 6), kBlue);
  EXPECT_EQ(c.At(6, 15), kBlue);
  SetPolyFillMode(c.dc, WINDING);
  Polygon(c.dc, star, 5);
  EXPECT_EQ(c.At(20, 20), kBlue);
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
  // A square polygon fills up to but not including its right and bottom edges.
  Canvas s(20, 20);
  SelectObject(s.dc, GetStockObject(NULL_PEN));
  SelectObject(s.dc, GetStockObject(BLACK_BRUSH));
  const POINT sq[4] = {{2, 3}, {12, 3}, {12, 9}, {2, 9}};
  Polygon(s.dc, sq, 4);
  ExpectBox(BoxOf(s, 0), 2, 3, 12, 9);
  EXPECT_EQ(s.Count(0), 60);
}

TEST(GdiShapes, RegionsFillHitTestAndIgnoreTheMixMode) {
  Canvas c(30, 30);
  const POINT quad[4] = {{5, 5}, {25, 5}, {25, 25}, {5, 25}};
  HRGN poly = CreatePolygonRgn(quad, 4, ALTERNATE);
  HRGN rect = CreateRectRgn(20, 20, 10, 10);  // corners in either order
  ASSERT_NE(poly, 0u);
  EXPECT_TRUE(PtInRegion(poly, 5, 5));
  EXPECT_TRUE(PtInRegion(poly, 24, 24));
  EXPECT_FALSE(PtInRegion(poly, 25, 24));
  EXPECT_FALSE(PtInRegion(poly, 24, 25));
  EXPECT_TRUE(PtInRegion(rect, 10, 10));
  EXPECT_FALSE(PtInRegion(rect, 20, 10));
  RECT inside{12, 12, 14, 14}, outside{0, 0, 10, 10}, flipped{30, 30, 19, 19};
  EXPECT_TRUE(RectInRegion(rect, &inside));
  EXPECT_FALSE(RectInRegion(rect, &outside));
  EXPECT_TRUE(RectInRegion(rect, &flipped));
  RECT box;
  EXPECT_EQ(GetRgnBox(rect, &box), SIMPLEREGION);
  ExpectBox(box, 10, 10, 20, 20);
  SetROP2(c.dc, R2_XORPEN);
  HBRUSH red = CreateSolidBrush(kRed);
  ASSERT_TRUE(FillRgn(c.dc, poly, red));
  ASSERT_TRUE(FillRgn(c.dc, poly, red));  // copied, not inverted back
  EXPECT_EQ(c.Count(kRed), 400);
  RECT r{0, 0, 3, 2};
  FillRect(c.dc, &r, red);
  EXPECT_EQ(c.Count(kRed), 406);
  DeleteObject(red);
  DeleteObject(poly);
  DeleteObject(rect);
  EXPECT_FALSE(PtInRegion(rect, 12, 12));
  EXPECT_EQ(CreatePolygonRgn(quad, 2, ALTERNATE), 0u);
}

TEST(GdiShapes, ClipRegionLimitsDrawing) {
  Canvas c(20, 20);
  HRGN clip = CreateRectRgn(5, 5, 10, 10);
  EXPECT_EQ(SelectClipRgn(c.dc, clip), SIMPLEREGION);
  DeleteObject(clip);
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc, 0, 0, 20, 20);
  EXPECT_EQ(c.Count(0), 25);
  SelectClipRgn(c.dc, 0);
  Rectangle(c.dc, 0, 0, 20, 20);
  EXPECT_EQ(c.Count(0), 400);
}

// Draws each figure twice in an inverting mode: the picture must come back unchanged.
void DrawFigures(HDC dc) {
  MoveToEx(dc, 3, 4, nullptr);
  LineTo(dc, 57, 33);
  Rectangle(dc, 10, 10, 40, 30);
  Ellipse(dc, 20, 5, 55, 38);
  const POINT poly[5] = {{30, 2}, {45, 37}, {5, 15}, {55, 15}, {15, 37}};
  Polygon(dc, poly, 5);
  Arc(dc, 2, 2, 50, 38, 50, 20, 2, 2);
  const POINT line[4] = {{1, 1}, {58, 3}, {30, 38}, {1, 1}};
  Polyline(dc, line, 4);
}

TEST(GdiShapes, DrawingTwiceInXorOrNotXorLeavesThePictureUnchanged) {
  for (int rop : {R2_XORPEN, R2_NOTXORPEN, R2_NOT}) {
    for (int width : {1, 4}) {
      for (int style : {PS_SOLID, PS_DASH}) {
        Canvas c(60, 40);
        // A busy background: stripes and a filled shape.
        for (int x = 0; x < 60; x += 3) {
          PenScope stripe(c.dc, PS_SOLID, 1, RGB(x * 4, 255 - x * 4, 90));
          MoveToEx(c.dc, x, 0, nullptr);
          LineTo(c.dc, x, 40);
        }
        const Picture before = c.Snap();
        SetROP2(c.dc, rop);
        PenScope pen(c.dc, style, width, RGB(200, 30, 70));
        HBRUSH brush = CreateSolidBrush(RGB(12, 200, 99));
        HGDIOBJ old = SelectObject(c.dc, brush);
        DrawFigures(c.dc);
        EXPECT_NE(c.Snap().pixels, before.pixels);
        DrawFigures(c.dc);
        EXPECT_EQ(c.Snap().pixels, before.pixels) << "rop " << rop << " width " << width << " style " << style;
        SelectObject(c.dc, old);
        DeleteObject(brush);
      }
    }
  }
}

TEST(GdiShapes, WildCoordinatesAndWidthsAreCutToTheSurface) {
  Canvas c(20, 20);
  SelectObject(c.dc, GetStockObject(BLACK_BRUSH));
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  Rectangle(c.dc, -1000000000, -1000000000, 1000000000, 1000000000);
  EXPECT_EQ(c.Count(0), 400);
  HBRUSH blue = CreateSolidBrush(kBlue);
  SelectObject(c.dc, blue);
  Ellipse(c.dc, -2000000, -2000000, 2000000, 2000000);  // the canvas lies near its centre
  EXPECT_EQ(c.Count(kBlue), 400);
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(blue);
  {
    PenScope pen(c.dc, PS_SOLID, 2000000000, kRed);
    MoveToEx(c.dc, 5, 5, nullptr);
    LineTo(c.dc, 10, 5);
  }
  EXPECT_EQ(c.Count(kRed), 400);
  {
    PenScope pen(c.dc, PS_SOLID, 3, kBlue);
    const POINT far[3] = {{-2000000000, 10}, {2000000000, 10}, {0, -2000000000}};
    Polygon(c.dc, far, 3);
    Arc(c.dc, -2000000000, -2000000000, 2000000000, 2000000000, 0, 0, 1, 1);
  }
  EXPECT_GT(c.Count(kBlue), 0);
  {
    // Ends at the far corners of the 32-bit range: the diagonal still crosses the canvas.
    Canvas d(20, 20);
    PenScope thin(d.dc, PS_SOLID, 1, kRed);
    MoveToEx(d.dc, INT32_MIN, INT32_MIN, nullptr);
    LineTo(d.dc, INT32_MAX, INT32_MAX);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(d.At(i, i), kRed) << i;
    EXPECT_EQ(d.Count(kRed), 20);
  }
  {
    // Extreme origins, boxes and offsets saturate instead of wrapping around.
    Canvas d(20, 20);
    PenScope wide(d.dc, PS_SOLID, 9, kRed);
    SelectObject(d.dc, GetStockObject(NULL_BRUSH));
    Rectangle(d.dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    Ellipse(d.dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    Arc(d.dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, 0, INT32_MIN, 0);
    EXPECT_EQ(d.Count(kRed), 0);  // every edge lies far outside
    SetWindowOrgEx(d.dc, INT32_MIN, INT32_MIN, nullptr);
    SetPixel(d.dc, INT32_MAX, INT32_MAX, kRed);
    EXPECT_EQ(d.Count(kRed), 0);
    HRGN r = CreateRectRgn(0, 0, 4, 4);
    OffsetRgn(r, INT32_MAX, INT32_MAX);
    EXPECT_FALSE(PtInRegion(r, 1, 1));
    OffsetRgn(r, INT32_MIN, INT32_MIN);
    DeleteObject(r);
  }
  HRGN big = CreateRectRgn(-2000000000, -2000000000, 2000000000, 2000000000);
  EXPECT_TRUE(PtInRegion(big, 100, 100));
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  EXPECT_TRUE(FillRgn(c.dc, big, black));
  EXPECT_EQ(c.Count(0), 400);
  DeleteObject(big);
}

TEST(GdiShapes, BitBltCopiesBetweenContexts) {
  Canvas src(10, 10, kBlue);
  SetPixel(src.dc, 2, 3, kRed);
  Canvas dst(20, 20);
  ASSERT_TRUE(BitBlt(dst.dc, 5, 6, 4, 4, src.dc, 1, 2, SRCCOPY));
  EXPECT_EQ(dst.At(6, 7), kRed);
  EXPECT_EQ(dst.At(5, 6), kBlue);
  EXPECT_EQ(dst.At(8, 9), kBlue);
  EXPECT_EQ(dst.At(9, 9), kWhite);
  EXPECT_EQ(dst.At(8, 10), kWhite);
  EXPECT_EQ(dst.Count(kBlue) + dst.Count(kRed), 16);
  // Overlapping copy within one context reads the old pixels.
  ASSERT_TRUE(BitBlt(dst.dc, 6, 6, 4, 4, dst.dc, 5, 6, SRCCOPY));
  EXPECT_EQ(dst.At(7, 7), kRed);
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 1, 1, 0xBAD, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 0x12345678));
  // Stretching doubles each source pixel; inverting needs no source.
  Canvas big(8, 8);
  ASSERT_TRUE(StretchBlt(big.dc, 0, 0, 4, 4, src.dc, 2, 3, 2, 2, SRCCOPY));
  EXPECT_EQ(big.At(0, 0), kRed);
  EXPECT_EQ(big.At(1, 1), kRed);
  EXPECT_EQ(big.At(2, 0), kBlue);
  EXPECT_EQ(big.At(0, 2), kBlue);
  EXPECT_EQ(big.At(4, 4), kWhite);
  ASSERT_TRUE(BitBlt(big.dc, 0, 0, 1, 1, 0, 0, 0, DSTINVERT));
  EXPECT_EQ(big.At(0, 0), RGB(0, 255, 255));
}

TEST(GdiShapes, FreshContextHasTheDefaultsAndRestoreBringsThemBack) {
  Canvas c(10, 10);
  EXPECT_EQ(GetROP2(c.dc), R2_COPYPEN);
  EXPECT_EQ(GetBkMode(c.dc), OPAQUE);
  EXPECT_EQ(GetBkColor(c.dc), kWhite);
  EXPECT_EQ(GetTextColor(c.dc), 0u);
  EXPECT_EQ(GetTextAlign(c.dc), TA_LEFT | TA_TOP);
  EXPECT_EQ(GetMapMode(c.dc), MM_TEXT);
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  int level = SaveDC(c.dc);
  EXPECT_EQ(level, 1);
  HPEN pen = CreatePen(PS_SOLID, 3, kRed);
  SelectObject(c.dc, pen);
  SetROP2(c.dc, R2_XORPEN);
  SetMapMode(c.dc, MM_ANISOTROPIC);
  SetViewportOrgEx(c.dc, 4, 4, nullptr);
  SaveDC(c.dc);
  SetBkMode(c.dc, TRANSPARENT);
  ASSERT_TRUE(RestoreDC(c.dc, level));
  EXPECT_EQ(GetROP2(c.dc), R2_COPYPEN);
  EXPECT_EQ(GetBkMode(c.dc), OPAQUE);
  EXPECT_EQ(GetMapMode(c.dc), MM_TEXT);
  EXPECT_EQ(GetCurrentObject(c.dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_FALSE(RestoreDC(c.dc, -1));  // nothing saved any more
  // The pen was deleted while selected: the context keeps drawing with its copy.
  SelectObject(c.dc, pen);
  DeleteObject(pen);
  MoveToEx(c.dc, 0, 5, nullptr);
  LineTo(c.dc, 9, 5);
  EXPECT_EQ(c.At(4, 5), kRed);
}

}  // namespace
