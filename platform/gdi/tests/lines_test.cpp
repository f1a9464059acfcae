// Pixel probes for lines and pens: end pixels, dash patterns, widths under mappings.
#include <gtest/gtest.h>

#include "gdi_test_util.h"

namespace {

using namespace gditest;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(GdiLines, LineToLeavesOutTheEndPixelAndMovesThePosition) {
  Canvas c(20, 20);
  PenScope pen(c.dc, PS_SOLID, 1, kRed);
  MoveToEx(c.dc, 2, 5, nullptr);
  ASSERT_TRUE(LineTo(c.dc, 12, 5));
  for (int x = 2; x < 12; ++x) EXPECT_EQ(c.At(x, 5), kRed) << x;
  EXPECT_EQ(c.At(12, 5), kWhite);
  EXPECT_EQ(c.At(1, 5), kWhite);
  POINT p;
  GetCurrentPositionEx(c.dc, &p);
  EXPECT_EQ(p.x, 12);
  EXPECT_EQ(p.y, 5);
  // Going on from there closes the gap with no pixel drawn twice.
  LineTo(c.dc, 12, 15);
  EXPECT_EQ(c.At(12, 5), kRed);
  EXPECT_EQ(c.At(12, 14), kRed);
  EXPECT_EQ(c.At(12, 15), kWhite);
  EXPECT_EQ(c.Count(kRed), 20);
}

TEST(GdiLines, DiagonalAndSteepLinesStepOnePixelPerRowOrColumn) {
  Canvas c(20, 20);
  PenScope pen(c.dc, PS_SOLID, 0, kRed);
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 10, 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(c.At(i, i), kRed);
  EXPECT_EQ(c.At(10, 10), kWhite);
  MoveToEx(c.dc, 15, 19, nullptr);
  LineTo(c.dc, 17, 1);  // steep, upwards
  int lit = 0;
  for (int y = 2; y <= 19; ++y) {
    int inRow = 0;
    for (int x = 14; x <= 18; ++x) inRow += c.At(x, y) == kRed;
    EXPECT_EQ(inRow, 1) << y;
    lit += inRow;
  }
  EXPECT_EQ(lit, 18);
  EXPECT_EQ(c.At(17, 1), kWhite);
}

TEST(GdiLines, PointOutsideTheBitmapIsClippedNotWrapped) {
  Canvas c(10, 10);
  PenScope pen(c.dc, PS_SOLID, 1, kRed);
  MoveToEx(c.dc, -1000000, 5, nullptr);
  LineTo(c.dc, 1000000, 5);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(c.At(x, 5), kRed);
  EXPECT_EQ(c.Count(kRed), 10);
}

TEST(GdiLines, DashedPenPaintsGapsOnlyInOpaqueMode) {
  Canvas c(40, 4);
  SetBkColor(c.dc, RGB(0, 0, 255));
  PenScope pen(c.dc, PS_DASH, 1, kRed);
  MoveToEx(c.dc, 0, 1, nullptr);
  LineTo(c.dc, 40, 1);  // opaque by default: 18 on, 6 off in the background colour
  for (int x = 0; x < 18; ++x) EXPECT_EQ(c.At(x, 1), kRed) << x;
  for (int x = 18; x < 24; ++x) EXPECT_EQ(c.At(x, 1), RGB(0, 0, 255)) << x;
  for (int x = 24; x < 40; ++x) EXPECT_EQ(c.At(x, 1), kRed) << x;
  SetBkMode(c.dc, TRANSPARENT);
  MoveToEx(c.dc, 0, 2, nullptr);
  LineTo(c.dc, 40, 2);
  for (int x = 18; x < 24; ++x) EXPECT_EQ(c.At(x, 2), kWhite) << x;
  EXPECT_EQ(c.At(17, 2), kRed);
  EXPECT_EQ(c.At(24, 2), kRed);
}

TEST(GdiLines, DotAndDashDotPatterns) {
  Canvas c(40, 3);
  SetBkMode(c.dc, TRANSPARENT);
  {
    PenScope pen(c.dc, PS_DOT, 1, kRed);
    MoveToEx(c.dc, 0, 0, nullptr);
    LineTo(c.dc, 12, 0);
  }
  std::string dots;
  for (int x = 0; x < 12; ++x) dots += c.At(x, 0) == kRed ? '#' : '.';
  EXPECT_EQ(dots, "###...###...");
  {
    PenScope pen(c.dc, PS_DASHDOTDOT, 1, kRed);
    MoveToEx(c.dc, 0, 2, nullptr);
    LineTo(c.dc, 26, 2);
  }
  std::string dd;
  for (int x = 0; x < 26; ++x) dd += c.At(x, 2) == kRed ? '#' : '.';
  EXPECT_EQ(dd, "#########...###...###...##");
}

TEST(GdiLines, DashPatternCountsFromTheStartEvenWhenTheStartIsFarOutside) {
  Canvas c(60, 3);
  SetBkMode(c.dc, TRANSPARENT);
  PenScope pen(c.dc, PS_DASH, 1, kRed);
  MoveToEx(c.dc, -1000003, 1, nullptr);
  LineTo(c.dc, 60, 1);
  for (int x = 0; x < 60; ++x) EXPECT_EQ(c.At(x, 1) == kRed, (x + 1000003) % 24 < 18) << x;
}

TEST(GdiLines, StyledPenWiderThanOnePixelDrawsSolid) {
  Canvas c(40, 10);
  PenScope pen(c.dc, PS_DASH, 3, kRed);
  MoveToEx(c.dc, 2, 5, nullptr);
  LineTo(c.dc, 37, 5);
  for (int x = 2; x <= 37; ++x) EXPECT_EQ(c.At(x, 5), kRed) << x;  // no gap, round ends
  for (int y = 4; y <= 6; ++y) EXPECT_EQ(c.At(20, y), kRed);
  EXPECT_EQ(c.At(20, 3), kWhite);
  EXPECT_EQ(c.At(20, 7), kWhite);
}

TEST(GdiLines, PenWidthScalesWithAnAnisotropicMappingButWidthZeroStaysOnePixel) {
  Canvas c(100, 100);
  SetMapMode(c.dc, MM_ANISOTROPIC);
  SetWindowExtEx(c.dc, 1000, 1000, nullptr);
  SetViewportExtEx(c.dc, 100, 100, nullptr);
  {
    PenScope pen(c.dc, PS_SOLID, 50, kRed);  // 5 device pixels
    MoveToEx(c.dc, 100, 200, nullptr);
    LineTo(c.dc, 900, 200);
  }
  int thick = 0;
  for (int y = 10; y < 30; ++y) thick += c.At(50, y) == kRed;
  EXPECT_EQ(thick, 5);
  {
    PenScope pen(c.dc, PS_SOLID, 0, RGB(0, 0, 255));
    MoveToEx(c.dc, 100, 600, nullptr);
    LineTo(c.dc, 900, 600);
  }
  int thin = 0;
  for (int y = 50; y < 70; ++y) thin += c.At(50, y) == RGB(0, 0, 255);
  EXPECT_EQ(thin, 1);
  EXPECT_EQ(c.At(50, 60), RGB(0, 0, 255));
}

TEST(GdiLines, NegativeExtentFlipsTheAxis) {
  Canvas c(100, 80);
  SetMapMode(c.dc, MM_ANISOTROPIC);
  SetWindowExtEx(c.dc, 200, 160, nullptr);
  SetWindowOrgEx(c.dc, 0, 0, nullptr);
  SetViewportExtEx(c.dc, 100, -80, nullptr);
  SetViewportOrgEx(c.dc, 50, 40, nullptr);
  POINT pts[2] = {{0, 0}, {100, 80}};
  LPtoDP(c.dc, pts, 2);
  EXPECT_EQ(pts[0].x, 50);
  EXPECT_EQ(pts[0].y, 40);
  EXPECT_EQ(pts[1].x, 100);
  EXPECT_EQ(pts[1].y, 0);  // up is up
  DPtoLP(c.dc, pts, 2);
  EXPECT_EQ(pts[1].x, 100);
  EXPECT_EQ(pts[1].y, 80);
  SetPixel(c.dc, 20, 20, kRed);
  EXPECT_EQ(c.At(60, 30), kRed);
  EXPECT_EQ(GetPixel(c.dc, 20, 20), kRed);
}

TEST(GdiLines, IsotropicMappingKeepsOneScaleOnBothAxes) {
  Canvas c(10, 10);
  SetMapMode(c.dc, MM_ISOTROPIC);
  SetWindowExtEx(c.dc, 100, 100, nullptr);
  SetViewportExtEx(c.dc, 200, -50, nullptr);
  SIZE v;
  GetViewportExtEx(c.dc, &v);
  EXPECT_EQ(v.cx, 50);
  EXPECT_EQ(v.cy, -50);
  POINT p{100, 100};
  LPtoDP(c.dc, &p, 1);
  EXPECT_EQ(p.x, 50);
  EXPECT_EQ(p.y, -50);
}

TEST(GdiLines, ExtentsAreIgnoredInTheTextModeAndZeroExtentIsRefused) {
  Canvas c(10, 10);
  SetWindowExtEx(c.dc, 5, 5, nullptr);
  SetViewportOrgEx(c.dc, 2, 3, nullptr);
  SetPixel(c.dc, 1, 1, kRed);
  EXPECT_EQ(c.At(3, 4), kRed);
  SetMapMode(c.dc, MM_ANISOTROPIC);
  EXPECT_FALSE(SetWindowExtEx(c.dc, 0, 5, nullptr));
  SIZE s;
  GetWindowExtEx(c.dc, &s);
  EXPECT_EQ(s.cx, 1);
}

TEST(GdiLines, MixModesCombinePenAndDestination) {
  Canvas c(4, 16, RGB(0x0F, 0xF0, 0x55));
  const COLORREF dst = RGB(0x0F, 0xF0, 0x55), pen = RGB(0x33, 0x33, 0x33);
  PenScope p(c.dc, PS_SOLID, 1, pen);
  for (int rop = R2_BLACK; rop <= R2_WHITE; ++rop) {
    SetROP2(c.dc, rop);
    MoveToEx(c.dc, 0, rop - 1, nullptr);
    LineTo(c.dc, 1, rop - 1);
  }
  auto row = [&](int rop) { return c.At(0, rop - 1); };
  EXPECT_EQ(row(R2_BLACK), 0u);
  EXPECT_EQ(row(R2_WHITE), 0xFFFFFFu);
  EXPECT_EQ(row(R2_COPYPEN), pen);
  EXPECT_EQ(row(R2_NOTCOPYPEN), ~pen & 0xFFFFFF);
  EXPECT_EQ(row(R2_NOP), dst);
  EXPECT_EQ(row(R2_NOT), ~dst & 0xFFFFFF);
  EXPECT_EQ(row(R2_XORPEN), (pen ^ dst));
  EXPECT_EQ(row(R2_NOTXORPEN), ~(pen ^ dst) & 0xFFFFFF);
  EXPECT_EQ(row(R2_MERGEPEN), (pen | dst));
  EXPECT_EQ(row(R2_MASKPEN), (pen & dst));
  EXPECT_EQ(row(R2_NOTMERGEPEN), ~(pen | dst) & 0xFFFFFF);
  EXPECT_EQ(row(R2_NOTMASKPEN), ~(pen & dst) & 0xFFFFFF);
  EXPECT_EQ(row(R2_MASKPENNOT), (pen & ~dst) & 0xFFFFFF);
  EXPECT_EQ(row(R2_MASKNOTPEN), (~pen & dst) & 0xFFFFFF);
  EXPECT_EQ(row(R2_MERGEPENNOT), (pen | ~dst) & 0xFFFFFF);
  EXPECT_EQ(row(R2_MERGENOTPEN), (~pen | dst) & 0xFFFFFF);
  EXPECT_EQ(SetROP2(c.dc, 17), 0);
  EXPECT_EQ(GetROP2(c.dc), R2_WHITE);
}

TEST(GdiLines, PolylineCarriesTheDashPatternAcrossCorners) {
  Canvas c(30, 30);
  SetBkMode(c.dc, TRANSPARENT);
  PenScope pen(c.dc, PS_DOT, 1, kRed);
  const POINT pts[3] = {{0, 0}, {4, 0}, {4, 10}};
  Polyline(c.dc, pts, 3);
  // Steps 0-2 on, 3-5 off: pixels (0..2, 0) on, (3,0) off, (4,0..1) off, (4,2..4) on.
  EXPECT_EQ(c.At(2, 0), kRed);
  EXPECT_EQ(c.At(3, 0), kWhite);
  EXPECT_EQ(c.At(4, 0), kWhite);
  EXPECT_EQ(c.At(4, 1), kWhite);
  EXPECT_EQ(c.At(4, 2), kRed);
  EXPECT_EQ(c.At(4, 4), kRed);
  EXPECT_EQ(c.At(4, 5), kWhite);
}

TEST(GdiLines, NullPenDrawsNothingAndUnknownHandlesFail) {
  Canvas c(10, 10);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  MoveToEx(c.dc, 0, 0, nullptr);
  EXPECT_TRUE(LineTo(c.dc, 9, 9));
  EXPECT_EQ(c.Count(kWhite), 100);
  EXPECT_FALSE(LineTo(0xDEAD, 1, 1));
  EXPECT_EQ(SelectObject(c.dc, 0xDEAD), 0u);
  EXPECT_EQ(CreatePen(9, 1, 0), 0u);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock objects stay
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), OBJ_PEN);
}

}  // namespace
