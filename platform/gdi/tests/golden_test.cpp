// Whole scenes compared with reviewed pictures, and PNG files written and read back.
#include <gtest/gtest.h>


#include <cstdlib>
#include <filesystem>

#include "gdi_test_util.h"
#include "test_support.h"

namespace {

using namespace gditest;

void DrawShapes(HDC dc) {
  {
    PenScope pen(dc, PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, GetStockObject(LTGRAY_BRUSH));
    Rectangle(dc, 2, 2, 22, 16);
    SelectObject(dc, old);
  }
  {
    PenScope pen(dc, PS_SOLID, 1, RGB(0, 0, 255));
    HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, 26, 2, 46, 22);
    SelectObject(dc, old);
  }
  {
    PenScope pen(dc, PS_SOLID, 3, RGB(0, 160, 0));
    Arc(dc, 48, 2, 62, 16, 62, 9, 48, 9);  // upper half, counter-clockwise from the right
  }
  {
    PenScope pen(dc, PS_DOT, 1, RGB(0, 0, 0));
    MoveToEx(dc, 2, 24, nullptr);
    LineTo(dc, 62, 30);
  }
  {
    PenScope pen(dc, PS_SOLID, 1, RGB(128, 0, 128));
    HBRUSH brush = CreateSolidBrush(RGB(255, 255, 0));
    HGDIOBJ old = SelectObject(dc, brush);
    const POINT star[5] = {{12, 46}, {18, 28}, {24, 46}, {8, 34}, {28, 34}};
    Polygon(dc, star, 5);
    SelectObject(dc, old);
    DeleteObject(brush);
  }
  {
    HRGN rgn = CreateRectRgn(34, 32, 60, 46);
    HRGN diamond = 0;
    const POINT d[4] = {{47, 33}, {58, 39}, {47, 45}, {36, 39}};
    diamond = CreatePolygonRgn(d, 4, ALTERNATE);
    HBRUSH grey = CreateSolidBrush(RGB(0, 128, 128));
    HBRUSH orange = CreateSolidBrush(RGB(255, 128, 0));
    FillRgn(dc, rgn, grey);
    FillRgn(dc, diamond, orange);
    DeleteObject(grey);
    DeleteObject(orange);
    DeleteObject(rgn);
    DeleteObject(diamond);
  }
}

// The preview's kind of drawing: a flipped anisotropic mapping on black, dashed
// grey axes, grid pixels, wide inside-frame strokes and an inverted rubber band.
void DrawPreview(HDC dc) {
  RECT all{0, 0, 64, 48};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SaveDC(dc);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 4096, 4096, nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetViewportExtEx(dc, 64, -48, nullptr);
  SetViewportOrgEx(dc, 32, 24, nullptr);
  SetBkMode(dc, TRANSPARENT);
  {
    PenScope pen(dc, PS_DASH, 1, 0x808080);
    MoveToEx(dc, 0, 2047, nullptr);
    LineTo(dc, 0, -2048);
    MoveToEx(dc, -2048, 0, nullptr);
    LineTo(dc, 2047, 0);
  }
  for (int x = -2048; x < 2048; x += 512)
    for (int y = -2048; y < 2048; y += 512) SetPixel(dc, x, y, 0xC0C0C0);
  {
    PenScope pen(dc, PS_INSIDEFRAME, 128, RGB(255, 0, 0));
    MoveToEx(dc, -1500, -1500, nullptr);
    LineTo(dc, 1500, 1000);
  }
  {
    PenScope pen(dc, PS_SOLID, 0, RGB(0, 255, 0));
    const POINT tri[4] = {{-1800, 1800}, {-600, 1800}, {-1200, 600}, {-1800, 1800}};
    Polyline(dc, tri, 4);
  }
  RestoreDC(dc, -1);
  SetROP2(dc, R2_NOT);
  HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 36, 28, 60, 44);
  SelectObject(dc, old);
  SetROP2(dc, R2_COPYPEN);
}

// Pens: styles in opaque mode over a coloured ground, wide and inside-frame figures.
void DrawPens(HDC dc) {
  RECT all{0, 0, 64, 48};
  HBRUSH ground = CreateSolidBrush(RGB(255, 240, 200));
  FillRect(dc, &all, ground);
  DeleteObject(ground);
  SetBkColor(dc, RGB(160, 200, 255));
  const int styles[4] = {PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
  for (int i = 0; i < 4; ++i) {
    PenScope pen(dc, styles[i], 1, RGB(0, 0, 128));
    MoveToEx(dc, 2, 2 + 3 * i, nullptr);
    LineTo(dc, 62, 2 + 3 * i);
  }
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  {
    PenScope pen(dc, PS_DASHDOT, 1, RGB(200, 0, 0));
    Rectangle(dc, 2, 16, 30, 46);
  }
  {
    PenScope pen(dc, PS_INSIDEFRAME, 3, RGB(0, 120, 0));
    Ellipse(dc, 6, 20, 26, 42);
  }
  {
    PenScope pen(dc, PS_SOLID, 4, RGB(90, 0, 160));
    const POINT zig[4] = {{36, 20}, {44, 40}, {52, 20}, {60, 40}};
    Polyline(dc, zig, 4);
  }
  SetBkMode(dc, TRANSPARENT);
  {
    PenScope pen(dc, PS_DOT, 1, RGB(0, 0, 0));
    Ellipse(dc, 34, 16, 62, 46);
  }
}

void CheckGolden(const char* name, void (*draw)(HDC)) {
  Canvas c(64, 48);
  draw(c.dc);
  const auto file = TestData() / (std::string(name) + ".png");
  if (std::getenv("FIELDRAY_WRITE_GOLDEN")) {
    std::string err;
    ASSERT_TRUE(SaveDCPng(c.dc, file, &err)) << err;
  }
  Picture expected;
  std::string err;
  ASSERT_TRUE(LoadPicturePng(file, &expected, &err)) << err;
  Picture got = c.Snap();
  ASSERT_EQ(expected.width, got.width);
  ASSERT_EQ(expected.height, got.height);
  int differing = 0;
  for (std::size_t i = 0; i < got.pixels.size(); ++i) differing += got.pixels[i] != expected.pixels[i];
  EXPECT_EQ(differing, 0) << name;
}

TEST(GdiGolden, ShapesScene) { CheckGolden("shapes", DrawShapes); }
TEST(GdiGolden, PreviewScene) { CheckGolden("preview", DrawPreview); }
TEST(GdiGolden, PensScene) { CheckGolden("pens", DrawPens); }

TEST(GdiPng, WritesAndReadsBackEveryPixel) {
  Canvas c(7, 5, RGB(1, 2, 3));
  SetPixel(c.dc, 6, 4, RGB(250, 128, 7));
  SetPixel(c.dc, 0, 0, RGB(0, 0, 255));
  const auto file = testsupport::Root() / "pic.png";
  ASSERT_TRUE(SaveDCPng(c.dc, file));
  Picture back;
  ASSERT_TRUE(LoadPicturePng(file, &back));
  EXPECT_EQ(back.width, 7);
  EXPECT_EQ(back.height, 5);
  EXPECT_EQ(back.pixels, c.Snap().pixels);
}

TEST(GdiPng, BadFilesGiveAClearError) {
  Picture p;
  std::string err;
  EXPECT_FALSE(LoadPicturePng(testsupport::Root() / "missing.png", &p, &err));
  EXPECT_NE(err.find("cannot open"), std::string::npos);
  const auto junk = testsupport::WriteFile(testsupport::Root() / "junk.png", "not a picture at all");
  EXPECT_FALSE(LoadPicturePng(junk, &p, &err));
  EXPECT_NE(err.find("not a PNG"), std::string::npos);
  // A real header cut short.
  Canvas c(20, 20);
  const auto good = testsupport::Root() / "good.png";
  ASSERT_TRUE(SaveDCPng(c.dc, good));
  std::string bytes = testsupport::ReadFile(good);
  const auto cut = testsupport::WriteFile(testsupport::Root() / "cut.png", bytes.substr(0, bytes.size() / 2));
  EXPECT_FALSE(LoadPicturePng(cut, &p, &err));
  EXPECT_EQ(p.width, 0);
  // Nothing to write and nowhere to write.
  EXPECT_FALSE(SavePicturePng(Picture{}, testsupport::Root() / "empty.png", &err));
  EXPECT_FALSE(SaveDCPng(c.dc, testsupport::Root() / "no" / "such" / "dir.png", &err));
  EXPECT_NE(err.find("cannot create"), std::string::npos);
}

// What libpng finds wrong in a file reaches the caller's message; nothing of
// it goes to standard error.
TEST(GdiPng, WhatIsWrongWithAFileIsTheCallersToSay) {
  Canvas c(16, 16, RGB(9, 8, 7));
  std::string bytes;
  ASSERT_TRUE(EncodePicturePng(c.Snap(), &bytes));
  const std::size_t idat = bytes.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  std::string badCrc = bytes;
  badCrc[29] = static_cast<char>(badCrc[29] ^ 0x5A);  // the header's check sum
  std::string badData = bytes;
  badData[idat + 6] = static_cast<char>(badData[idat + 6] ^ 0x5A);  // the compressed pixels
  struct Case {
    const char* name;
    std::string bytes;
    std::string said;
  };
  const Case cases[] = {
      {"check sum", badCrc, "is damaged: IHDR: CRC error"},
      {"pixel data", badData, "is damaged: IDAT: "},
      {"cut short", bytes.substr(0, idat + 10), "is damaged: the file ends early"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Picture p;
    std::string err;
    const auto file = testsupport::WriteFile(testsupport::Root() / "damaged.png", k.bytes);
    testing::internal::CaptureStderr();
    const bool read = LoadPicturePng(file, &p, &err);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(read);
    EXPECT_EQ(err.rfind(file.string() + " " + k.said, 0), 0u) << err;
    EXPECT_EQ(printed, "");
    EXPECT_EQ(p.width, 0);
  }
}

// A picture that cannot be written whole (here: past the largest file the
// process may write) leaves no file behind.
TEST(GdiPng, AWriteThatFailsLeavesNoFile) {
  const auto file = testsupport::Root() / "too-large.png";
  Picture noise;
  noise.width = noise.height = 300;
  std::uint32_t seed = 7;
  for (int i = 0; i < 300 * 300; ++i) noise.pixels.push_back((seed = seed * 1103515245u + 12345u) >> 8);
  EXPECT_TRUE(testsupport::InChildWithFileSizeLimit(4096, [&] {
    std::string error;
    return !SavePicturePng(noise, file, &error) && error.find("cannot write") != std::string::npos;
  }));
  EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
