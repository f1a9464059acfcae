// Fonts and text: face mapping, metrics, extents, alignment, rotation, colours.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "gdi_test_util.h"

namespace {

using namespace gditest;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kText = RGB(200, 20, 40);

struct FontScope {
  HDC dc;
  HFONT font;
  HGDIOBJ old;
  FontScope(HDC d, int height, int escapement, const char* face = "Arial", int width = 0)
      : dc(d), font(CreateFont(height, width, escapement, 0, 300, 0, 0, 0, 0, 6, 0, 2, 32, face)) {
    old = SelectObject(dc, font);
  }
  ~FontScope() {
    SelectObject(dc, old);
    DeleteObject(font);
  }
};

struct Ink {
  int count = 0, others = 0;
  double sx = 0, sy = 0;
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

// Pixels of the text colour, and pixels of any colour but background and text.
Ink InkOf(const Canvas& c, COLORREF background = kWhite) {
  Ink ink;
  Picture p = c.Snap();
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      COLORREF v = p.At(x, y);
      if (v == kText) {
        ++ink.count;
        ink.sx += x;
        ink.sy += y;
        ink.left = std::min(ink.left, x);
        ink.top = std::min(ink.top, y);
        ink.right = std::max(ink.right, x + 1);
        ink.bottom = std::max(ink.bottom, y + 1);
      } else if (v != background) {
        ++ink.others;
      }
    }
  return ink;
}

TEST(GdiText, FixedPitchNamesMapToTheMonoFaceAndOthersToTheSansFace) {
  EXPECT_NE(FontFileForFace("Courier New", FW_NORMAL, false, 0).find("DejaVuSansMono"), std::string::npos);
  EXPECT_NE(FontFileForFace("courier", FW_NORMAL, false, 0).find("DejaVuSansMono"), std::string::npos);
  EXPECT_NE(FontFileForFace("Arial", FW_NORMAL, false, 32).find("DejaVuSans.ttf"), std::string::npos);
  EXPECT_NE(FontFileForFace("", FW_NORMAL, false, FIXED_PITCH).find("DejaVuSansMono"), std::string::npos);
  EXPECT_NE(FontFileForFace("Arial", FW_BOLD, false, 0).find("Bold"), std::string::npos);
}

TEST(GdiText, PositiveHeightIsTheCellAndNegativeTheCharacterHeight) {
  Canvas c(10, 10);
  TEXTMETRIC tm;
  {
    FontScope f(c.dc, 20, 0);
    ASSERT_TRUE(GetTextMetrics(c.dc, &tm));
    EXPECT_NEAR(tm.tmHeight, 20, 1);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GT(tm.tmInternalLeading, 0);
    EXPECT_EQ(tm.tmWeight, 300);
  }
  {
    FontScope f(c.dc, -20, 0);
    ASSERT_TRUE(GetTextMetrics(c.dc, &tm));
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);
    EXPECT_GT(tm.tmHeight, 21);
  }
  // The system font of a fresh context is one fixed face and size.
  ASSERT_TRUE(GetTextMetrics(c.dc, &tm));
  EXPECT_EQ(tm.tmHeight, 16);
}

TEST(GdiText, ExtentsFollowTheFaceAndTheMapping) {
  Canvas c(10, 10);
  SIZE narrow, wide, one, two;
  {
    FontScope f(c.dc, 24, 0, "Courier New");
    GetTextExtentPoint32(c.dc, "iii", 3, &narrow);
    GetTextExtentPoint32(c.dc, "WWW", 3, &wide);
    EXPECT_EQ(narrow.cx, wide.cx);  // fixed pitch
    EXPECT_NEAR(narrow.cy, 24, 1);
  }
  {
    FontScope f(c.dc, 24, 0, "Arial");
    GetTextExtentPoint32(c.dc, "iii", 3, &narrow);
    GetTextExtentPoint32(c.dc, "WWW", 3, &wide);
    EXPECT_LT(narrow.cx * 2, wide.cx);
    GetTextExtentPoint32(c.dc, "Ab", 2, &one);
    GetTextExtentPoint32(c.dc, "AbAb", 4, &two);
    EXPECT_EQ(two.cx, 2 * one.cx);
    SIZE empty;
    ASSERT_TRUE(GetTextExtentPoint32(c.dc, "", 0, &empty));
    EXPECT_EQ(empty.cx, 0);
    EXPECT_FALSE(GetTextExtentPoint32(c.dc, nullptr, 3, &empty));
  }
  {
    // Ten logical units per pixel: a 200-unit font is about 20 pixels, reported in logical units.
    SetMapMode(c.dc, MM_ANISOTROPIC);
    SetWindowExtEx(c.dc, 1000, 1000, nullptr);
    SetViewportExtEx(c.dc, 100, -100, nullptr);
    FontScope f(c.dc, 200, 0, "Arial");
    TEXTMETRIC tm;
    GetTextMetrics(c.dc, &tm);
    EXPECT_NEAR(tm.tmHeight, 200, 10);
  }
  {
    // A given width scales the characters horizontally.
    SetMapMode(c.dc, MM_TEXT);
    FontScope f(c.dc, 24, 0, "Arial", 20);
    TEXTMETRIC tm;
    GetTextMetrics(c.dc, &tm);
    EXPECT_NEAR(tm.tmAveCharWidth, 20, 1);
  }
}

TEST(GdiText, HorizontalTextLandsInItsCellAndHoldsOnlyTheTextColour) {
  Canvas c(200, 60);
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, kText);
  FontScope f(c.dc, 24, 0);
  SIZE ext;
  GetTextExtentPoint32(c.dc, "Bremen", 6, &ext);
  TEXTMETRIC tm;
  GetTextMetrics(c.dc, &tm);
  ASSERT_TRUE(TextOut(c.dc, 20, 10, "Bremen", 6));
  Ink ink = InkOf(c);
  EXPECT_GT(ink.count, 100);
  EXPECT_EQ(ink.others, 0);
  EXPECT_GE(ink.left, 20);
  EXPECT_LE(ink.right, 20 + ext.cx + 1);
  EXPECT_GE(ink.top, 10);
  EXPECT_LE(ink.bottom, 10 + ext.cy);
  EXPECT_LE(ink.bottom, 10 + tm.tmAscent);  // no descender in "Bremen"
  EXPECT_GE(ink.bottom, 10 + tm.tmAscent - 1);
}

TEST(GdiText, BaselineRightAndCentreAlignment) {
  Canvas c(300, 80);
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, kText);
  FontScope f(c.dc, 30, 0);
  SIZE ext;
  GetTextExtentPoint32(c.dc, "HELLO", 5, &ext);
  SetTextAlign(c.dc, TA_BASELINE | TA_RIGHT);
  TextOut(c.dc, 250, 50, "HELLO", 5);
  Ink ink = InkOf(c);
  EXPECT_EQ(ink.bottom, 50);  // capitals sit on the baseline
  EXPECT_LE(ink.right, 250);
  EXPECT_GE(ink.right, 247);
  EXPECT_NEAR(ink.left, 250 - ext.cx, 4);
  Canvas d(300, 80);
  SetBkMode(d.dc, TRANSPARENT);
  SetTextColor(d.dc, kText);
  FontScope g(d.dc, 30, 0);
  SetTextAlign(d.dc, TA_BASELINE | TA_CENTER);
  TextOut(d.dc, 150, 50, "HELLO", 5);
  Ink centred = InkOf(d);
  EXPECT_NEAR((centred.left + centred.right) / 2.0, 150, 3);
  EXPECT_EQ(centred.bottom, 50);
}

TEST(GdiText, RotatedTextHoldsOnlyTheTextColourAndRunsAlongItsEscapement) {
  for (int escapement : {900, 450, 1800, 2700, 300}) {
    Canvas c(300, 300);
    SetBkMode(c.dc, TRANSPARENT);
    SetTextColor(c.dc, kText);
    FontScope f(c.dc, 24, escapement);
    SIZE ext;
    GetTextExtentPoint32(c.dc, "EEEEEEEE", 8, &ext);
    SetTextAlign(c.dc, TA_BASELINE | TA_LEFT);
    TextOut(c.dc, 150, 150, "EEEEEEEE", 8);
    Ink ink = InkOf(c);
    ASSERT_GT(ink.count, 100) << escapement;
    EXPECT_EQ(ink.others, 0) << escapement;
    // The ink's centre lies half the text's width along the baseline direction,
    // and a little above it (capitals sit on the baseline).
    const double a = escapement / 10.0 * 3.14159265358979 / 180.0;
    const double ux = std::cos(a), uy = -std::sin(a), vx = std::sin(a), vy = std::cos(a);
    const double cx = ink.sx / ink.count - 150, cy = ink.sy / ink.count - 150;
    const double along = cx * ux + cy * uy, down = cx * vx + cy * vy;
    EXPECT_NEAR(along, ext.cx / 2.0, 3.0) << escapement;
    EXPECT_LT(down, -3.0) << escapement;
    EXPECT_GT(down, -14.0) << escapement;
  }
}

TEST(GdiText, OpaqueModeFillsTheCellAndTheMixModeDoesNotApply) {
  Canvas c(200, 60);
  SetBkColor(c.dc, RGB(0, 0, 255));
  SetTextColor(c.dc, kText);
  SetROP2(c.dc, R2_XORPEN);
  FontScope f(c.dc, 20, 0);
  SIZE ext;
  GetTextExtentPoint32(c.dc, "Mix", 3, &ext);
  TextOut(c.dc, 10, 10, "Mix", 3);
  Picture p = c.Snap();
  int cell = 0;
  for (int y = 10; y < 10 + ext.cy; ++y)
    for (int x = 10; x < 10 + ext.cx; ++x) {
      COLORREF v = p.At(x, y);
      EXPECT_TRUE(v == kText || v == RGB(0, 0, 255)) << x << "," << y;
      cell += v == kText;
    }
  EXPECT_GT(cell, 20);
  EXPECT_EQ(p.At(9, 10), kWhite);
  EXPECT_EQ(p.At(10 + ext.cx, 10), kWhite);
  EXPECT_EQ(p.At(10, 10 + ext.cy), kWhite);
}

TEST(GdiText, LatinOneSignsAreDrawn) {
  auto draw = [](unsigned char ch) {
    Canvas c(40, 40);
    SetTextColor(c.dc, kText);
    SetBkMode(c.dc, TRANSPARENT);
    FontScope f(c.dc, 30, 0);
    char s[2] = {static_cast<char>(ch), 0};
    TextOut(c.dc, 5, 2, s, 1);
    return c.Snap().pixels;
  };
  const auto degree = draw(176), plusMinus = draw(177), diameter = draw(216);
  for (const auto* pic : {&degree, &plusMinus, &diameter}) {
    int n = 0;
    for (COLORREF v : *pic) n += v == kText;
    EXPECT_GT(n, 10);
  }
  EXPECT_NE(degree, plusMinus);
  EXPECT_NE(plusMinus, diameter);
}

TEST(GdiText, UnderlineRunsBelowTheBaselineAndStrikeOutThroughTheLetters) {
  auto draw = [](unsigned underline, unsigned strike) {
    Canvas c(120, 40);
    SetBkMode(c.dc, TRANSPARENT);
    SetTextColor(c.dc, kText);
    SetTextAlign(c.dc, TA_BASELINE);
    HFONT f = CreateFont(24, 0, 0, 0, 400, 0, underline, strike, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(c.dc, f);
    TextOut(c.dc, 10, 30, "oooo", 4);
    SIZE ext;
    GetTextExtentPoint32(c.dc, "oooo", 4, &ext);
    SelectObject(c.dc, old);
    DeleteObject(f);
    std::vector<int> rows;  // text pixels per row
    Picture p = c.Snap();
    for (int y = 0; y < p.height; ++y) {
      int n = 0;
      for (int x = 0; x < p.width; ++x) n += p.At(x, y) == kText;
      rows.push_back(n);
    }
    return std::make_pair(rows, static_cast<int>(ext.cx));
  };
  const auto [plain, width] = draw(0, 0);
  const auto [under, w1] = draw(1, 0);
  const auto [struck, w2] = draw(0, 1);
  int fullBelow = 0, fullThrough = 0;
  for (int y = 0; y < 40; ++y) {
    if (under[y] == width && plain[y] == 0) fullBelow += y >= 30;
    if (struck[y] == width && plain[y] < width) fullThrough += y < 30;
  }
  EXPECT_GE(fullBelow, 1);
  EXPECT_GE(fullThrough, 1);
  EXPECT_EQ(w1, width);
  EXPECT_EQ(w2, width);
}

TEST(GdiText, UpdateCurrentPositionMovesAlongTheText) {
  Canvas c(200, 40);
  FontScope f(c.dc, 20, 0);
  SIZE ext;
  GetTextExtentPoint32(c.dc, "abc", 3, &ext);
  SetTextAlign(c.dc, TA_UPDATECP);
  MoveToEx(c.dc, 7, 5, nullptr);
  TextOut(c.dc, 0, 0, "abc", 3);
  POINT p;
  GetCurrentPositionEx(c.dc, &p);
  EXPECT_EQ(p.x, 7 + ext.cx);
  EXPECT_EQ(p.y, 5);
}

}  // namespace
