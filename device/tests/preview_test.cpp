// Preview drawing into a picture box: the laser window, the grid, the exact
// and the fast redraw, on the recording GDI and on real pixels.
#include <algorithm>

#include "display_fixture.h"
#include "winplat/gdi_record.h"
#include "winplat/surface.h"
#include "winplat/window.h"

namespace vxtest {
namespace {

using namespace winplat;

constexpr int kSide = 200;

LRESULT BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(hwnd, message, wParam, lParam);
}

class PreviewTest : public DisplayTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(DisplayTest::SetUp());
    static bool registered = [] {
      WNDCLASS wc;
      wc.lpfnWndProc = BoxProc;
      wc.lpszClassName = "FrPreviewBox";
      return RegisterClass(wc) != 0;
    }();
    ASSERT_TRUE(registered);
    box = CreateWindowEx(0, "FrPreviewBox", "", WS_POPUP, 0, 0, kSide, kSide, 0, 0, 0, 0);
    ASSERT_NE(box, 0u);
    RECT rc{};
    ASSERT_TRUE(GetClientRect(box, &rc));
    ASSERT_EQ(rc.right, kSide);
    ASSERT_EQ(rc.bottom, kSide);
    // Working units are device units; the preview window spans the whole device range.
    vxf::SetWorkingScale()(-32768, 32767, -32768, 32767, 0, 0);
    vxd::SetLaserWindow()(-32768, 32767, -32768, 32767, 0);
  }
  void TearDown() override {
    if (box) DestroyWindow(box);
    DisplayTest::TearDown();
  }
  std::int32_t Box() const { return static_cast<std::int32_t>(box); }
  // A frame of points (x, y, colour) in device units; with bit2, flag A (frame flags bit 2).
  void Frame(std::int32_t number, std::vector<std::array<std::int32_t, 3>> pts, bool bit2 = false) {
    std::vector<PointStruct> points;
    for (auto& p : pts) points.push_back(PointStruct{p[0], p[1], 0, 0, p[2], 0, 0, 0, 0});
    ASSERT_EQ(Write(number, points, "PREVIEW", bit2 ? 1 : 0), 0);
    SetFrame(number);
  }
  std::int32_t Redraw(std::int32_t markColour = 0, std::int32_t markPoints = 0) {
    return vxd::RedrawFrame()(Box(), 1, 6000, 1, -1, markColour, markPoints, 0);
  }
  COLORREF Pixel(int x, int y) const { return CaptureWindow(box).At(x, y) & 0xFFFFFF; }
  std::vector<std::string> Calls() const { return WindowRecordedCalls(box); }
  static bool Has(const std::vector<std::string>& calls, const std::string& line) {
    return std::find(calls.begin(), calls.end(), line) != calls.end();
  }
  HWND box = 0;
};

TEST_P(PreviewTest, LaserWindowFallsBackToTheWorkingRange) {
  vxf::SetWorkingScale()(-100, 300, -5, 5, 0, 0);
  EXPECT_EQ(vxd::SetLaserWindow()(5, 5, -1, 1, 3), 0);
  EXPECT_TRUE(Logged("SetLaserWindow left=5 right=5 bottom=-1 top=1 mag=3"));
  SetWindowRecording(box, true);
  EXPECT_EQ(vxd::DrawGrid()(Box(), 50, 50, 0, 0, 1), 0);
  auto calls = Calls();
  EXPECT_TRUE(Has(calls, "SetWindowExtEx(400, 400)"));
  EXPECT_TRUE(Has(calls, "SetWindowOrgEx(100, 100)"));
  EXPECT_TRUE(Has(calls, "SetViewportExtEx(200, -200)"));
  // Magnification 0: single light grey pixels, no squares.
  EXPECT_TRUE(Has(calls, "SetPixel(0, 0, 0xC0C0C0)"));
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("FillRect", 0) == 0; }), 0);
}

TEST_P(PreviewTest, GridAxesAndGuards) {
  vxd::SetLaserWindow()(0, 100, -50, 50, 0);
  SetWindowRecording(box, true);
  EXPECT_EQ(vxd::DrawGrid()(Box(), 10, 10, -1, 1, 0), 0);
  auto calls = Calls();
  EXPECT_TRUE(Has(calls, "LineTo(100, 0)"));    // y = 0 across
  EXPECT_FALSE(Has(calls, "LineTo(0, -50)"));   // no x = 0: the window starts at 0
  EXPECT_TRUE(Logged("DrawGrid gridH=10 gridV=10 ClearScreen=-1, ShowZero=1 ShowGrid=0"));

  // A grid step of 0 or less draws no grid and ends.
  ClearWindowRecordedCalls(box);
  EXPECT_EQ(vxd::DrawGrid()(Box(), 0, -5, 0, 0, 1), 0);
  for (const auto& c : Calls()) EXPECT_NE(c.rfind("SetPixel", 0), 0u) << c;

  // Other magnifications draw squares on a pixel mapping.
  vxd::SetLaserWindow()(-8000, 8000, -8000, 8000, 4);
  ClearWindowRecordedCalls(box);
  EXPECT_EQ(vxd::DrawGrid()(Box(), 8192, 8192, 0, 0, 1), 0);
  calls = Calls();
  EXPECT_TRUE(Has(calls, "FillRect(98, 98, 103, 103, brush 0 0xC0C0C0)"));  // the origin, h = 2
  EXPECT_TRUE(Has(calls, "SetPixel(100, 100, 0x000000)"));
}

TEST_P(PreviewTest, StrokeColourFollowsFrameFlagBit2) {
  // Without bit 2 a segment takes the colour of the point it starts from.
  ASSERT_NO_FATAL_FAILURE(Frame(30, {{-16384, 0, 0x0000FF}, {16384, 0, 0x00FF00}}));
  EXPECT_EQ(Redraw(), 0);
  EXPECT_EQ(Pixel(100, 100), 0x0000FFu);
  EXPECT_TRUE(Logged("RedrawFrameActive FromPt=1 ToPt=6000 ViewMode=1 ClearScreen=-1"));
  // With bit 2 it takes the colour of the point it ends at.
  ASSERT_NO_FATAL_FAILURE(Frame(31, {{-16384, 0, 0x0000FF}, {16384, 0, 0x00FF00}}, true));
  EXPECT_EQ(Redraw(), 0);
  EXPECT_EQ(Pixel(100, 100), 0x00FF00u);
}

TEST_P(PreviewTest, BlankedRecordsAndInactivePoints) {
  ASSERT_NO_FATAL_FAILURE(Frame(32, {{-16384, 0, 0x0000FF}, {16384, 0, 0}}));
  Redraw();
  EXPECT_EQ(Pixel(100, 100), 0x0000FFu);  // a line runs into colour 0
  ASSERT_NO_FATAL_FAILURE(Frame(33, {{-16384, 0, 0x0000FF}, {16384, 0, 0x40000000}}));
  Redraw();
  EXPECT_EQ(Pixel(100, 100), 0u);  // but not into 0x40000000
  EXPECT_EQ(CaptureWindow(box).pixels, std::vector<COLORREF>(kSide * kSide, CaptureWindow(box).pixels[0]));

  // An inactive point draws in grey.
  ASSERT_NO_FATAL_FAILURE(Frame(34, {{-16384, 0, 0x0000FF}, {16384, 0, 0x0000FF}}));
  std::int32_t active[2] = {0, 1};
  EXPECT_EQ(vxd::RedrawFrameActive()(Box(), 1, 6000, 1, -1, 0, 0, 0, active), 0);
  EXPECT_EQ(Pixel(100, 100), 0x808080u);
}

TEST_P(PreviewTest, InverseMarkerColourAndPens) {
  ASSERT_NO_FATAL_FAILURE(Frame(35, {{0, 0, 0x0000FF}}));
  SetWindowRecording(box, true);
  EXPECT_EQ(Redraw(-1, 0), 0);
  EXPECT_EQ(Pixel(100, 100), 0xFFFF00u);
  EXPECT_TRUE(Has(Calls(), "FillRect(98, 98, 103, 103, brush 0 0xFFFF00)"));
  // Pens are made only when the colour changes.
  ASSERT_NO_FATAL_FAILURE(Frame(36, {{-16384, 0, 0x0000FF}, {0, 0, 0x0000FF}, {16384, 0, 0x0000FF}, {16384, 8192, 0x00FF00}}));
  ClearWindowRecordedCalls(box);
  Redraw();
  auto calls = Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "SelectObject(pen 0 1 0x0000FF)"), 1);
}

TEST_P(PreviewTest, ExactRedrawRestoresOnlyTheScalesItChanged) {
  ASSERT_NO_FATAL_FAILURE(Frame(37, {{-16384, 0, 0x0000FF}, {16384, 0, 0x0000FF}}));
  std::int32_t before[6] = {};
  vxf::GetWorkingScaleX()(&before[0], &before[1], &before[2], &before[3], &before[4], &before[5]);
  winplat::hw::ClearCommandLog();
  EXPECT_EQ(Redraw(), 0);
  auto sets = Commands(75);
  ASSERT_EQ(sets.size(), 2u);  // the pixel scale, then the old one back
  EXPECT_EQ(LastLongs(sets), (std::vector<std::int32_t>(before, before + 6)));
  EXPECT_EQ(LastLongs({sets[0]}), (std::vector<std::int32_t>{0, kSide, kSide / 2, -32768, 32767, 0}));
  EXPECT_EQ(Commands(76).size(), 2u);

  // A failed Y read: nothing is sent for either axis, the status is the board's.
  ASSERT_NO_FATAL_FAILURE(Machine("[Board0]\nFault=error 6 on 79\n"));
  ASSERT_NO_FATAL_FAILURE(Frame(37, {{-16384, 0, 0x0000FF}, {16384, 0, 0x0000FF}}));
  winplat::hw::ClearCommandLog();
  EXPECT_EQ(Redraw(), 6);
  EXPECT_TRUE(Commands(75).empty());
  EXPECT_TRUE(Commands(76).empty());
  std::int32_t status = 0;
  vx::GetVXStatus()(&status);
  EXPECT_EQ(status, 6);
}

TEST_P(PreviewTest, ZeroWorkingSpanDrawsNothing) {
  ASSERT_NO_FATAL_FAILURE(Frame(38, {{-16384, 0, 0x0000FF}, {16384, 0, 0x0000FF}}));
  vxf::SetWorkingScale()(7, 7, 7, 7, 0, 0);
  winplat::hw::ClearCommandLog();
  EXPECT_EQ(Redraw(), 0);
  EXPECT_TRUE(Commands(75).empty());
  EXPECT_EQ(Pixel(100, 100), 0u);
}

TEST_P(PreviewTest, FastRedrawReusesItsBitmapAndCopiesTheDirtyBox) {
  ASSERT_NO_FATAL_FAILURE(Frame(40, {{-8192, -8192, 0x0000FF}, {8192, -8192, 0x0000FF}, {8192, 8192, 0x0000FF}}));
  ASSERT_NO_FATAL_FAILURE(Frame(41, {{-30000, 30000, 0x00FF00}, {-20000, 30000, 0x00FF00}}));
  // Frame 41 into the bitmap only: the window stays as it was.
  ClearWindowSurface(box, 0x123456);
  EXPECT_EQ(vxd::RedrawFrameFast()(Box(), 41, 0x840, -1, 0), 0);
  EXPECT_EQ(Pixel(0, 0), 0x123456u);
  // Frame 40 through the same bitmap: both show, since the first box was never copied.
  SetWindowRecording(box, true);
  EXPECT_EQ(vxd::RedrawFrameFast()(Box(), 40, 0x800, -1, 0), 0);
  auto calls = Calls();
  EXPECT_TRUE(Has(calls, "BitBlt(0, 0, 201, 201, 0, 0, 0xCC0020)"));  // the whole space at first
  Picture both = CaptureWindow(box);
  int green = 0, red = 0;
  for (COLORREF c : both.pixels) {
    green += (c & 0xFFFFFF) == 0x00FF00;
    red += (c & 0xFFFFFF) == 0x0000FF;
  }
  EXPECT_GT(green, 10);
  EXPECT_GT(red, 10);
  // Again: only the frame's own box is copied, and the bitmap was cleared there.
  ClearWindowRecordedCalls(box);
  EXPECT_EQ(vxd::RedrawFrameFast()(Box(), 40, 0x800, -1, 0), 0);
  calls = Calls();
  auto blit = std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("BitBlt", 0) == 0; });
  ASSERT_NE(blit, calls.end());
  EXPECT_EQ(*blit, "BitBlt(75, 75, 51, 51, 75, 75, 0xCC0020)");
}

TEST_P(PreviewTest, FastRedrawRayModeAndStartPixel) {
  ASSERT_NO_FATAL_FAILURE(Frame(42, {{8192, 8192, 0x0000FF}, {16384, 8192, 0x0000FF}}));
  SetWindowRecording(box, true);
  EXPECT_EQ(vxd::RedrawFrameFast()(Box(), 42, 0x4000 | 0x2000, -1, 0), 0);
  auto calls = Calls();
  EXPECT_TRUE(Has(calls, "SetROP2(15)"));
  EXPECT_TRUE(Has(calls, "SetPixel(512, 512, 0xFFFFFF)"));
  EXPECT_TRUE(Has(calls, "LineTo(1024, 512)"));
  EXPECT_GE(std::count(calls.begin(), calls.end(), "MoveToEx(0, 0)"), 1);
  auto below = [this] {
    Picture p = CaptureWindow(box);
    int n = 0;
    for (int y = 80; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) n += (p.At(x, y) & 0xFFFFFF) == 0x0000FF;
    }
    return n;
  };
  EXPECT_GT(below(), 10);  // the rays from the origin
  EXPECT_EQ(Pixel(137, 75), 0x0000FFu);  // the stroke itself
  EXPECT_EQ(vxd::RedrawFrameFast()(Box(), 42, 0, -1, 0), 0);
  EXPECT_EQ(below(), 0);
  EXPECT_EQ(Pixel(137, 75), 0x0000FFu);
}

TEST_P(PreviewTest, GoldenPictures) {
  vxd::SetLaserWindow()(-12000, 12000, -12000, 12000, 0);
  ASSERT_NO_FATAL_FAILURE(Frame(43, {{-9000, -9000, 0},
             {9000, -9000, 0x0000FF},
             {9000, 9000, 0x00FF00},
             {-9000, 9000, 0xFF0000},
             {-9000, -9000, 0x00FFFF},
             {0, 0, 0x40000000},
             {0, 6000, 0xFFFFFF}}));
  vxd::DrawGrid()(Box(), 4000, 4000, -1, 1, 1);
  EXPECT_EQ(vxd::RedrawFrame()(Box(), 1, 6000, 1, 0, 0, 1, 0), 0);
  EXPECT_TRUE(MatchesGolden(CaptureWindow(box), "preview_exact.png"));
  EXPECT_EQ(vxd::RedrawFrameFast()(Box(), 43, 0, -1, 0), 0);
  EXPECT_TRUE(MatchesGolden(CaptureWindow(box), "preview_fast.png"));
}

INSTANTIATE_TEST_SUITE_P(Boards, PreviewTest, ::testing::Values(false), Family);

}  // namespace
}  // namespace vxtest
