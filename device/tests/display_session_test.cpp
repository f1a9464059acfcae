// From a session to pictures: a frame written, displayed and updated shows in
// the preview of a picture box and in the projection, both saved as PNG.
#include <cstring>

#include "display_fixture.h"
#include "session_fixture.h"
#include "winplat/window.h"

namespace vxtest {
namespace {

using namespace winplat;

LRESULT PictureBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(hwnd, message, wParam, lParam);
}

// The leftmost and rightmost x of a colour anywhere in a picture.
std::pair<int, int> Columns(const Picture& p, COLORREF colour) {
  int lo = p.width, hi = -1;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if ((p.At(x, y) & 0xFFFFFF) == colour) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
    }
  }
  return {lo, hi};
}

TEST_F(SessionTest, DisplayedFrameShowsInPreviewAndProjection) {
  std::int32_t status = -1;
  ASSERT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, &status), 0);
  ASSERT_EQ(vxf::SetWorkingScale()(-12000, 12000, -12000, 12000, 0, 0), 0);
  std::vector<PointStruct> points = {{-6000, -6000, 0, 0, 0, 0, 0, 0, 0},
                                     {6000, -6000, 0, 0, 0x0000FF, 0, 0, 0, 0},
                                     {6000, 6000, 0, 0, 0x0000FF, 0, 0, 0, 0},
                                     {-6000, 6000, 0, 0, 0x0000FF, 0, 0, 0, 0},
                                     {-6000, -6000, 0, 0, 0x0000FF, 0, 0, 0, 0}};
  FrameStruct header{};
  header.NumPoints = 5;
  std::memcpy(header.Name, "SQUARE", 6);
  ASSERT_EQ(vs::SetWorkingFrame()(15), 0);
  ASSERT_EQ(vxf::WriteFrame()(&header, points.data()), 0);
  ASSERT_EQ(vxd::DisplayFrame()(15), 0);
  ASSERT_EQ(vxd::DisplayPostTrans()(10, 0, 0), 0);
  ASSERT_EQ(vxd::DisplayUpdate()(), 0);

  WNDCLASS wc;
  wc.lpfnWndProc = PictureBoxProc;
  wc.lpszClassName = "FrDisplayPictureBox";
  ASSERT_NE(RegisterClass(wc), 0);
  HWND box = CreateWindowEx(0, "FrDisplayPictureBox", "", WS_POPUP, 0, 0, 200, 200, 0, 0, 0, 0);
  ASSERT_NE(box, 0u);
  ASSERT_EQ(vxd::SetLaserWindow()(-12000, 12000, -12000, 12000, 0), 0);
  ASSERT_EQ(vxd::RedrawFrame()(static_cast<std::int32_t>(box), 1, 6000, 1, -1, 0, 0, 0), 0);
  ASSERT_TRUE(SaveWindowPng(box, testsupport::Root() / "preview.png"));
  ASSERT_TRUE(winplat::hw::SaveProjectionPng(testsupport::Root() / "projection.png", 0, 512));

  Picture preview, projection;
  ASSERT_TRUE(LoadPicturePng(testsupport::Root() / "preview.png", &preview));
  ASSERT_TRUE(LoadPicturePng(testsupport::Root() / "projection.png", &projection));
  // The preview shows the frame in working units: +-6000 of +-12000 on 200 pixels.
  auto seen = Columns(preview, 0x0000FF);
  EXPECT_NEAR(seen.first, 50, 1);
  EXPECT_NEAR(seen.second, 150, 1);
  // The projection shows it where the display puts it: +-16384 device units,
  // moved right by 10 % of the half range (3276 units, 25.6 of 512 pixels).
  auto shown = Columns(projection, 0x0000FF);
  EXPECT_NEAR(shown.first, 128 + 25, 2);
  EXPECT_NEAR(shown.second, 384 + 25, 2);
  DestroyWindow(box);
}

// The program's start-up size (200, 200, 200, 100) leaves the frame's range on
// the scanners' whole range; half of it (100 four times) halves the picture.
TEST_F(SessionTest, DisplaySizeOfTwoHundredIsTheScannersFullRange) {
  std::int32_t status = -1;
  ASSERT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, &status), 0);
  ASSERT_EQ(vxf::SetWorkingScale()(-12000, 12000, -12000, 12000, 0, 0), 0);
  std::vector<PointStruct> points = {{-6000, 0, 0, 0, 0, 0, 0, 0, 0}, {6000, 0, 0, 0, 0x00FF00, 0, 0, 0, 0}};
  FrameStruct header{};
  header.NumPoints = 2;
  ASSERT_EQ(vs::SetWorkingFrame()(15), 0);
  ASSERT_EQ(vxf::WriteFrame()(&header, points.data()), 0);
  ASSERT_EQ(vxd::DisplayFrame()(15), 0);
  ASSERT_EQ(vxd::DisplaySize()(200, 200, 200, 100, 0), 0);
  ASSERT_EQ(vxd::DisplayUpdate()(), 0);
  auto full = Columns(winplat::hw::ProjectionPicture(0, 512), 0x00FF00);
  EXPECT_NEAR(full.first, 128, 2);
  EXPECT_NEAR(full.second, 384, 2);

  ASSERT_EQ(vxd::DisplaySize()(100, 100, 100, 100, 0), 0);
  ASSERT_EQ(vxd::DisplayUpdate()(), 0);
  auto half = Columns(winplat::hw::ProjectionPicture(0, 512), 0x00FF00);
  EXPECT_NEAR(half.first, 192, 2);
  EXPECT_NEAR(half.second, 320, 2);
}

}  // namespace
}  // namespace vxtest
