// The diagnostic window: its place and look, its scrolling, its end.
#include "test_support.h"
#include "vexlib_fixture.h"
#include "winplat/gdi.h"
#include "winplat/picture.h"
#include "winplat/screen.h"
#include "winplat/surface.h"
#include "winplat/window.h"

using namespace vxtest;

namespace {

constexpr char kClass[] = "VX_DLL32Class";
constexpr char kTitle[] = "VEXLIB.DLL Communications Window";

int LineHeight(winplat::HWND hwnd) {
  winplat::HDC hdc = winplat::GetDC(hwnd);
  winplat::TEXTMETRIC tm;
  winplat::GetTextMetrics(hdc, &tm);
  winplat::ReleaseDC(hwnd, hdc);
  return tm.tmHeight + tm.tmExternalLeading;
}

bool RowsEqual(const winplat::Picture& a, int ya, const winplat::Picture& b, int yb) {
  for (int x = 0; x < a.width; ++x) {
    if (a.At(x, ya) != b.At(x, yb)) return false;
  }
  return true;
}

bool RowsBlank(const winplat::Picture& p, int y0, int y1) {
  for (int y = y0; y < y1; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if (p.At(x, y) != winplat::RGB(255, 255, 255)) return false;
    }
  }
  return true;
}

using CommWindowTest = VexlibTest;

TEST_F(CommWindowTest, OpensTopmostAtTheScreensCornerWithItsTitle) {
  winplat::HWND hwnd = winplat::FindWindow(kClass, kTitle);
  ASSERT_NE(hwnd, 0u);
  EXPECT_EQ(winplat::GetWindowText(hwnd), kTitle);
  EXPECT_TRUE(winplat::IsWindowVisible(hwnd));
  EXPECT_TRUE(winplat::IsTopmost(hwnd));
  winplat::RECT r;
  ASSERT_TRUE(winplat::GetWindowRect(hwnd, &r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, static_cast<int>(static_cast<float>(winplat::GetSystemMetrics(winplat::SM_CXSCREEN)) / 2.3f));
  EXPECT_EQ(r.bottom - r.top, winplat::GetSystemMetrics(winplat::SM_CYSCREEN) / 3);
  // A second open creates nothing.
  EXPECT_EQ(vx::OpenVXCommWindow()(), 0);
  EXPECT_EQ(winplat::FindWindow(kClass, kTitle), hwnd);
}

TEST_F(CommWindowTest, ScrollsOneLinePerLineWritten) {
  winplat::HWND hwnd = winplat::FindWindow(kClass, kTitle);
  ASSERT_NE(hwnd, 0u);
  int lineHeight = LineHeight(hwnd);
  int width = 0, height = 0;
  ASSERT_TRUE(winplat::GetWindowSurfaceSize(hwnd, &width, &height));
  ASSERT_GT(lineHeight, 0);
  int fitting = height / lineHeight;
  for (int i = 0; i < fitting + 3; ++i) vx::WriteToVXCommWindow()(("line " + std::to_string(i)).c_str());
  winplat::Picture before = winplat::CaptureWindow(hwnd);
  for (int more = 0; more < 2; ++more) {
    vx::WriteToVXCommWindow()(("more " + std::to_string(more)).c_str());
    winplat::Picture after = winplat::CaptureWindow(hwnd);
    ASSERT_EQ(after.height, before.height);
    for (int y = 0; y + 2 * lineHeight < height; ++y) {
      ASSERT_TRUE(RowsEqual(after, y, before, y + lineHeight)) << "row " << y << " after line " << more;
    }
    // The new line is drawn in the last two line heights, below what scrolled up.
    EXPECT_FALSE(RowsBlank(after, height - 2 * lineHeight, height));
    before = after;
  }
  const char* keep = std::getenv("VEXLIB_WINDOW_PNG");  // where to keep the picture for a look
  std::filesystem::path png = keep ? std::filesystem::path(keep) : testsupport::Root() / "comm-window.png";
  EXPECT_TRUE(winplat::SaveWindowPng(hwnd, png));
  EXPECT_GT(std::filesystem::file_size(png), 100u);
}

TEST_F(CommWindowTest, ClosedByTheUserItStopsLogging) {
  winplat::HWND hwnd = winplat::FindWindow(kClass, kTitle);
  ASSERT_NE(hwnd, 0u);
  winplat::SendMessage(hwnd, winplat::WM_CLOSE, 0, 0);
  EXPECT_FALSE(winplat::IsWindow(hwnd));
  vx::WriteToVXCommWindow()("after close");
  EXPECT_EQ(vx::OpenVXCommWindow()(), 0);
  EXPECT_FALSE(Logged("----- after close -----"));
  EXPECT_EQ(vx::CloseVXCommWindow()(), 0);
  EXPECT_EQ(winplat::FindWindow(kClass, kTitle), 0u);
}

TEST_F(CommWindowTest, ErrorOpensTheWindowWhenBeepIsOn) {
  vx::CloseVXCommWindow()();
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 2);
  winplat::HWND hwnd = winplat::FindWindow(kClass, kTitle);
  ASSERT_NE(hwnd, 0u);
  winplat::Picture p = winplat::CaptureWindow(hwnd);
  EXPECT_FALSE(RowsBlank(p, 0, LineHeight(hwnd)));  // the error line is drawn
}

}  // namespace
