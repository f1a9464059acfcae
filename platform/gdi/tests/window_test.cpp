// Window surfaces, the persistent bitmap beside them, and the recording of calls.
#include <gtest/gtest.h>

#include "gdi_test_util.h"
#include "test_support.h"
#include "winplat/gdi_record.h"
#include "winplat/surface.h"

namespace {

using namespace gditest;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = RGB(255, 0, 0);

struct Window {
  HWND hwnd;
  explicit Window(HWND h, int w, int hgt) : hwnd(h) { WindowSurfaceResized(h, w, hgt); }
  ~Window() { WindowSurfaceDestroyed(hwnd); }
};

TEST(GdiWindow, ContextsDrawOnTheClientSurfaceAndFollowItsSize) {
  Window w(0x501, 30, 20);
  EXPECT_EQ(GetDC(0x999), 0u);
  HDC dc = GetDC(w.hwnd);
  ASSERT_NE(dc, 0u);
  SIZE s;
  GetDCSize(dc, &s);
  EXPECT_EQ(s.cx, 30);
  EXPECT_EQ(s.cy, 20);
  SetPixel(dc, 29, 19, kRed);
  EXPECT_EQ(CaptureWindow(w.hwnd).At(29, 19), kRed);
  // A window context keeps its surface: no bitmap can be selected into it.
  HBITMAP bmp = CreateCompatibleBitmap(dc, 5, 5);
  EXPECT_EQ(SelectObject(dc, bmp), 0u);
  DeleteObject(bmp);
  EXPECT_FALSE(DeleteDC(dc));
  // Growing keeps the old pixels; the context sees the new size at once.
  WindowSurfaceResized(w.hwnd, 40, 25);
  GetDCSize(dc, &s);
  EXPECT_EQ(s.cx, 40);
  EXPECT_EQ(GetPixel(dc, 29, 19), kRed);
  EXPECT_EQ(GetPixel(dc, 39, 24), kWhite);
  EXPECT_EQ(GetPixel(dc, 40, 24), CLR_INVALID);
  // A wild size is limited rather than exhausting memory.
  WindowSurfaceResized(w.hwnd, 2000000000, 25);
  GetDCSize(dc, &s);
  EXPECT_EQ(s.cx, 16384);
  EXPECT_EQ(s.cy, 25);
  EXPECT_EQ(GetPixel(dc, 29, 19), kRed);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 100000, 100000), 0u);
  EXPECT_EQ(ReleaseDC(w.hwnd, dc), 1);
  EXPECT_EQ(ReleaseDC(w.hwnd, dc), 0);
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
}

TEST(GdiWindow, PersistentBitmapStaysCleanWhileTheScreenShowsARubberBand) {
  Window w(0x502, 40, 30);
  HDC screen = GetDC(w.hwnd);
  RECT all{0, 0, 40, 30};
  FillRect(screen, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetWindowPersistentBitmap(w.hwnd, true);
  ASSERT_TRUE(HasWindowPersistentBitmap(w.hwnd));
  EXPECT_EQ(CaptureWindowPersistent(w.hwnd).At(5, 5), 0u);  // it starts as the screen was
  HDC persistent = GetPersistentDC(w.hwnd);
  ASSERT_NE(persistent, 0u);
  SetPixel(persistent, 10, 10, kRed);
  ReleaseDC(w.hwnd, persistent);
  // A rubber band on the screen only.
  SetROP2(screen, R2_NOT);
  SelectObject(screen, GetStockObject(NULL_BRUSH));
  Rectangle(screen, 2, 2, 30, 20);
  EXPECT_EQ(CaptureWindow(w.hwnd).At(2, 2), kWhite);
  EXPECT_EQ(CaptureWindowPersistent(w.hwnd).At(2, 2), 0u);
  EXPECT_EQ(CaptureWindow(w.hwnd).At(10, 10), 0u);
  // A repaint shows the persistent picture again.
  ShowWindowPersistentBitmap(w.hwnd);
  EXPECT_EQ(CaptureWindow(w.hwnd).At(2, 2), 0u);
  EXPECT_EQ(CaptureWindow(w.hwnd).At(10, 10), kRed);
  ClearWindowSurface(w.hwnd, RGB(1, 2, 3));
  EXPECT_EQ(CaptureWindow(w.hwnd).At(10, 10), RGB(1, 2, 3));
  EXPECT_EQ(CaptureWindowPersistent(w.hwnd).At(10, 10), RGB(1, 2, 3));
  SetWindowPersistentBitmap(w.hwnd, false);
  EXPECT_EQ(GetPersistentDC(w.hwnd), 0u);
  ReleaseDC(w.hwnd, screen);
}

TEST(GdiWindow, ScrollMovesPixelsAndKeepsTheUncoveredOnes) {
  Window w(0x503, 10, 10);
  HDC dc = GetDC(w.hwnd);
  SetPixel(dc, 2, 3, kRed);
  SetPixel(dc, 0, 0, RGB(0, 255, 0));
  ScrollWindowSurface(w.hwnd, 3, 1);
  EXPECT_EQ(GetPixel(dc, 5, 4), kRed);
  EXPECT_EQ(GetPixel(dc, 3, 1), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 0));  // uncovered: the old value stays
  ReleaseDC(w.hwnd, dc);
}

TEST(GdiWindow, WindowPictureIsSavedAsPng) {
  Window w(0x504, 16, 12);
  HDC dc = GetDC(w.hwnd);
  SetPixel(dc, 15, 11, kRed);
  ReleaseDC(w.hwnd, dc);
  const auto file = testsupport::Root() / "window.png";
  std::string err;
  ASSERT_TRUE(SaveWindowPng(w.hwnd, file, &err)) << err;
  Picture p;
  ASSERT_TRUE(LoadPicturePng(file, &p));
  EXPECT_EQ(p.width, 16);
  EXPECT_EQ(p.At(15, 11), kRed);
  EXPECT_FALSE(SaveWindowPng(0x777, testsupport::Root() / "none.png", &err));
}

TEST(GdiWindow, DestroyedWindowEndsItsContexts) {
  HDC dc;
  {
    Window w(0x505, 10, 10);
    dc = GetDC(w.hwnd);
  }
  EXPECT_FALSE(LineTo(dc, 5, 5));
  EXPECT_EQ(GetDC(0x505), 0u);
}

TEST(GdiRecording, RecordsCallsWithTheirArguments) {
  HDC dc = CreateRecordingDC(50, 50);
  HPEN pen = CreatePen(PS_DASH, 1, RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(dc, pen);
  SetROP2(dc, R2_NOTXORPEN);
  MoveToEx(dc, 1, 2, nullptr);
  LineTo(dc, 30, 40);
  const POINT pts[3] = {{0, 0}, {5, 5}, {9, 0}};
  Polygon(dc, pts, 3);
  Arc(dc, 0, 0, 10, 10, 10, 5, 0, 5);
  TextOut(dc, 3, 4, "ab", 2);
  SelectObject(dc, old);
  const std::vector<std::string> expected{
      "SelectObject(pen 1 1 0x0000FF)", "SetROP2(10)", "MoveToEx(1, 2)", "LineTo(30, 40)",
      "Polygon((0, 0), (5, 5), (9, 0))", "Arc(0, 0, 10, 10, 10, 5, 0, 5)", "TextOut(3, 4, \"ab\")",
      "SelectObject(pen 0 0 0x000000)"};
  EXPECT_EQ(RecordedCalls(dc), expected);
  // It still draws.
  EXPECT_NE(GetPixel(dc, 10, 14), 0xFFFFFFu);
  ClearRecordedCalls(dc);
  StopRecording(dc);
  LineTo(dc, 0, 0);
  EXPECT_TRUE(RecordedCalls(dc).empty());
  DeleteObject(pen);
  DeleteDC(dc);
}

TEST(GdiRecording, WindowRecordingCoversEveryContextOfTheWindow) {
  Window w(0x506, 20, 20);
  SetWindowRecording(w.hwnd, true);
  HDC dc = GetDC(w.hwnd);
  SetPixel(dc, 1, 1, RGB(0, 0, 255));
  ReleaseDC(w.hwnd, dc);
  dc = GetDC(w.hwnd);
  RECT r{0, 0, 2, 2};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(w.hwnd, dc);
  const std::vector<std::string> expected{"SetPixel(1, 1, 0xFF0000)", "FillRect(0, 0, 2, 2, brush 0 0x000000)"};
  EXPECT_EQ(WindowRecordedCalls(w.hwnd), expected);
  SetWindowRecording(w.hwnd, false);
  EXPECT_TRUE(WindowRecordedCalls(w.hwnd).empty());
}

}  // namespace
