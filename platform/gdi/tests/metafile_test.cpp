// Metafile contexts: every drawing recorded into an enhanced or old-style
// metafile and played back one to one gives the pixels of drawing it directly.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>

#include "gdi_test_util.h"
#include "test_support.h"
#include "winplat/metafile.h"
#include "winplat/paths.h"
#include "winplat/screen.h"

namespace {

using namespace gditest;

constexpr int kW = 120, kH = 90;

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::int32_t I32(const std::vector<std::uint8_t>& b, std::size_t at) { return static_cast<std::int32_t>(U32(b, at)); }

std::vector<std::uint8_t> EnhancedBytes(HENHMETAFILE m) {
  std::vector<std::uint8_t> b(GetEnhMetaFileBits(m, 0, nullptr));
  EXPECT_EQ(GetEnhMetaFileBits(m, static_cast<unsigned>(b.size()), b.data()), b.size());
  return b;
}

std::vector<std::uint8_t> OldStyleBytes(HMETAFILE m) {
  std::vector<std::uint8_t> b(GetMetaFileBitsEx(m, 0, nullptr));
  EXPECT_EQ(GetMetaFileBitsEx(m, static_cast<unsigned>(b.size()), b.data()), b.size());
  return b;
}

using Drawing = std::function<void(HDC)>;

// A line from (x1, y1) to (x2, y2) in a pen of its own.
void PenLine(HDC dc, int style, int width, COLORREF color, int x1, int y1, int x2, int y2) {
  PenScope pen(dc, style, width, color);
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void WithBrush(HDC dc, HGDIOBJ brush, const std::function<void()>& draw) {
  HGDIOBJ old = SelectObject(dc, brush);
  draw();
  SelectObject(dc, old);
}

void Text(HDC dc, int x, int y, const char* s, int height, int escapement, unsigned align, COLORREF color) {
  HFONT f = CreateFont(height, 0, escapement, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FF_SWISS, "Arial");
  HGDIOBJ old = SelectObject(dc, f);
  SetTextAlign(dc, align);
  SetTextColor(dc, color);
  TextOut(dc, x, y, s, static_cast<int>(std::strlen(s)));
  SelectObject(dc, old);
  DeleteObject(f);
}

struct Case {
  const char* name;
  Drawing draw;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"thin and styled lines",
       [](HDC dc) {
         PenLine(dc, PS_SOLID, 0, RGB(255, 0, 0), 3, 4, 110, 80);
         PenLine(dc, PS_DASH, 1, RGB(0, 0, 255), 5, 80, 100, 10);
       }},
      {"wide lines and polylines",
       [](HDC dc) {
         PenScope pen(dc, PS_SOLID, 7, RGB(0, 128, 0));
         const POINT p[] = {{10, 10}, {60, 30}, {20, 70}, {100, 80}};
         Polyline(dc, p, 4);
       }},
      {"filled polygon and rectangle",
       [](HDC dc) {
         HBRUSH b = CreateSolidBrush(RGB(200, 100, 0));
         WithBrush(dc, b, [&] {
           const POINT p[] = {{10, 10}, {80, 20}, {50, 70}};
           Polygon(dc, p, 3);
           Rectangle(dc, 70, 40, 115, 85);
         });
         DeleteObject(b);
       }},
      {"ellipses and arcs with stock objects",
       [](HDC dc) {
         WithBrush(dc, GetStockObject(NULL_BRUSH), [&] {
           Ellipse(dc, 5, 5, 70, 50);
           PenScope pen(dc, PS_SOLID, 3, RGB(0, 0, 200));
           Arc(dc, 40, 20, 115, 85, 115, 50, 40, 50);
         });
         HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_PEN));
         WithBrush(dc, GetStockObject(GRAY_BRUSH), [&] { Ellipse(dc, 80, 5, 110, 30); });
         SelectObject(dc, old);
       }},
      {"pixels and region fills",
       [](HDC dc) {
         for (int i = 0; i < 20; ++i) SetPixel(dc, 5 + i * 3, 60, RGB(i * 10, 0, 255));
         const POINT p[] = {{20, 10}, {90, 15}, {60, 50}, {15, 40}};
         HRGN r = CreatePolygonRgn(p, 4, ALTERNATE);
         HBRUSH b = CreateSolidBrush(RGB(0, 160, 160));
         FillRgn(dc, r, b);
         RECT box{70, 60, 110, 85};
         FillRect(dc, &box, b);
         DeleteObject(b);
         DeleteObject(r);
       }},
      {"text aligned and rotated",
       [](HDC dc) {
         SetBkMode(dc, TRANSPARENT);
         Text(dc, 10, 30, "Kelvane", 18, 0, TA_BASELINE, RGB(0, 0, 0));
         Text(dc, 110, 60, "right", 14, 0, TA_BASELINE | TA_RIGHT, RGB(200, 0, 0));
         Text(dc, 30, 85, "up", 16, 450, TA_LEFT | TA_TOP, RGB(0, 0, 200));
         SetBkMode(dc, OPAQUE);
         SetBkColor(dc, RGB(255, 255, 0));
         Text(dc, 60, 20, "box", 12, 0, TA_LEFT | TA_TOP, RGB(0, 0, 0));
       }},
      {"mix modes, save and restore, clipping",
       [](HDC dc) {
         HBRUSH b = CreateSolidBrush(RGB(0, 0, 0));
         RECT all{0, 0, 60, 90};
         FillRect(dc, &all, b);
         DeleteObject(b);
         const int saved = SaveDC(dc);
         SetROP2(dc, R2_NOTXORPEN);
         PenLine(dc, PS_SOLID, 5, RGB(255, 0, 0), 0, 45, 120, 45);
         HRGN clip = CreateRectRgn(20, 0, 100, 60);
         SelectClipRgn(dc, clip);
         DeleteObject(clip);
         PenLine(dc, PS_SOLID, 3, RGB(0, 200, 0), 0, 10, 120, 80);
         RestoreDC(dc, saved);
         PenLine(dc, PS_SOLID, 1, RGB(0, 0, 255), 0, 80, 120, 5);
       }},
  };
  return cases;
}

// The drawing recorded in one format and played back one to one on a fresh canvas.
Picture PlayedBack(bool enhanced, HDC reference, const Drawing& draw) {
  Canvas played(kW, kH);
  HDC dc = enhanced ? CreateEnhMetaFile(reference, nullptr, nullptr, nullptr) : CreateMetaFile(nullptr);
  EXPECT_NE(dc, 0u);
  draw(dc);
  if (enhanced) {
    HENHMETAFILE m = CloseEnhMetaFile(dc);
    const RECT rect{0, 0, kW, kH};
    EXPECT_TRUE(PlayEnhMetaFile(played.dc, m, &rect));
    EXPECT_TRUE(DeleteEnhMetaFile(m));
  } else {
    HMETAFILE m = CloseMetaFile(dc);
    EXPECT_TRUE(PlayMetaFile(played.dc, m));
    EXPECT_TRUE(DeleteMetaFile(m));
  }
  return played.Snap();
}

TEST(Metafile, EveryDrawingPlaysBackOneToOneInBothFormats) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    Canvas direct(kW, kH);
    c.draw(direct.dc);
    for (bool enhanced : {true, false})
      EXPECT_TRUE(PlayedBack(enhanced, direct.dc, c.draw).pixels == direct.Snap().pixels) << "enhanced " << enhanced;
  }
}

TEST(Metafile, EnhancedFileHoldsFrameDeviceAndDescription) {
  Canvas reference(400, 300);
  const RECT frame{0, 0, 10583, 7938};
  HDC dc = CreateEnhMetaFile(reference.dc, "C:\\out.emf", &frame, "Kelvane OCX\0Metafile\0");
  ASSERT_NE(dc, 0u);
  // The context measures like its reference and gives no pixels.
  SIZE size;
  ASSERT_TRUE(GetDCSize(dc, &size));
  EXPECT_EQ(size.cx, 400);
  EXPECT_EQ(size.cy, 300);
  SIZE onMeta, onReference;
  EXPECT_TRUE(GetTextExtentPoint32(dc, "extent", 6, &onMeta));
  EXPECT_TRUE(GetTextExtentPoint32(reference.dc, "extent", 6, &onReference));
  EXPECT_EQ(onMeta.cx, onReference.cx);
  EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID);
  EXPECT_FALSE(BitBlt(reference.dc, 0, 0, 10, 10, dc, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(dc, 0, 0, 10, 10, reference.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 400);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  HENHMETAFILE m = CloseEnhMetaFile(dc);
  ASSERT_NE(m, 0u);
  const std::vector<std::uint8_t> b = EnhancedBytes(m);
  EXPECT_EQ(U32(b, 0), 1u);
  EXPECT_EQ(U32(b, 40), 0x464D4520u);
  EXPECT_EQ(U32(b, 48), b.size());
  // The frame's left, right and bottom, and the reference device's width in pixels.
  EXPECT_EQ((std::array{I32(b, 24), I32(b, 32), I32(b, 36), I32(b, 72)}), (std::array{0, 10583, 7938, 400}));
  const std::uint32_t chars = U32(b, 60), at = U32(b, 64);
  std::string description;
  for (std::uint32_t i = 0; i < chars; ++i) description.push_back(static_cast<char>(b[at + 2 * i]));
  EXPECT_EQ(description, std::string("Kelvane OCX\0Metafile\0\0", 22));
  // An empty recording still ends in its end-of-file record.
  EXPECT_EQ(U32(b, b.size() - 20), 14u);
  // The bytes make the same metafile again; damaged bytes make none.
  HENHMETAFILE copy = SetEnhMetaFileBits(static_cast<unsigned>(b.size()), b.data());
  EXPECT_NE(copy, 0u);
  DeleteEnhMetaFile(copy);
  EXPECT_EQ(SetEnhMetaFileBits(static_cast<unsigned>(b.size() - 4), b.data()), 0u);
  std::vector<std::uint8_t> damaged = b;
  damaged[U32(b, 4) + 4] = 0xFF;  // the first record after the header claims too much
  EXPECT_EQ(SetEnhMetaFileBits(static_cast<unsigned>(damaged.size()), damaged.data()), 0u);
  // The file written on closing reads back as the same metafile.
  HENHMETAFILE read = GetEnhMetaFile("c:\\OUT.EMF");
  ASSERT_NE(read, 0u);
  EXPECT_EQ(EnhancedBytes(read), b);
  DeleteEnhMetaFile(read);
  DeleteEnhMetaFile(m);
  // A folder that does not exist gives no context; nothing is left behind.
  EXPECT_EQ(CreateEnhMetaFile(reference.dc, "C:\\missing\\out.emf", nullptr, nullptr), 0u);
  EXPECT_EQ(CreateMetaFile("C:\\missing\\out.wmf"), 0u);
  EXPECT_EQ(GetEnhMetaFile("C:\\missing\\out.emf"), 0u);
}

TEST(Metafile, OldStyleCoordinatesAreClippedNotSaturated) {
  // A line from far outside the 16-bit range lands where the raster one does.
  Canvas direct(kW, kH), played(kW, kH);
  auto draw = [](HDC dc) {
    MoveToEx(dc, -2000000, -1500000, nullptr);
    LineTo(dc, 100, 75);
    HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, 50 - 100000, 45, 50 + 100000, 45 + 200000);  // a huge circle whose top crosses the canvas
    SelectObject(dc, old);
  };
  draw(direct.dc);
  HDC wmf = CreateMetaFile(nullptr);
  draw(wmf);
  HMETAFILE m = CloseMetaFile(wmf);
  ASSERT_NE(m, 0u);
  const std::vector<std::uint8_t> b = OldStyleBytes(m);
  // Every record's coordinates fit: the huge circle became polylines.
  bool polyline = false;
  for (std::size_t at = 18; at + 6 <= b.size(); at += 2 * U32(b, at)) polyline |= (b[at + 4] | b[at + 5] << 8) == 0x0325;
  EXPECT_TRUE(polyline);
  ASSERT_TRUE(PlayMetaFile(played.dc, m));
  DeleteMetaFile(m);
  const Picture a = direct.Snap(), p = played.Snap();
  int differing = 0, drawn = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      if (a.At(x, y) == 0xFFFFFF) continue;
      ++drawn;
      // Each drawn pixel has a drawn pixel at most one step away in the playback.
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy)
        for (int dx = -1; dx <= 1 && !near; ++dx)
          near = x + dx >= 0 && y + dy >= 0 && x + dx < kW && y + dy < kH && p.At(x + dx, y + dy) != 0xFFFFFF;
      differing += !near;
    }
  }
  EXPECT_GT(drawn, 100);
  EXPECT_EQ(differing, 0);
}

TEST(Metafile, DeviceCapabilitiesOfEveryKindOfContext) {
  Canvas memory(10, 10);
  const ScreenMetrics screen = Screen();
  EXPECT_EQ(GetDeviceCaps(memory.dc, HORZRES), screen.width);
  EXPECT_EQ(GetDeviceCaps(memory.dc, VERTRES), screen.height);
  EXPECT_EQ(GetDeviceCaps(memory.dc, LOGPIXELSX), screen.dpi);
  HDC old = CreateMetaFile(nullptr);
  EXPECT_EQ(GetDeviceCaps(old, LOGPIXELSX), screen.dpi);
  EXPECT_EQ(GetObjectType(old), OBJ_METADC);
  DeleteMetaFile(CloseMetaFile(old));
  EXPECT_EQ(GetDeviceCaps(0x7FFFFFF0u, HORZRES), 0);
  EXPECT_EQ(GetDeviceCaps(memory.dc, 12345), 0);
}

}  // namespace
