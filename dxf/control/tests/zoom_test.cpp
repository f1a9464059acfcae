// Zoom about a point, the zoom history and the mouse-driven functions, driven
// as a host does: mouse events forwarded to ZoomInitiate, ZoomFeedback, ZoomEnd.
#include "render_fixture.h"
#include "winplat/msgbox.h"

using kelvane::ViewRect;
using winplat::Variant;

namespace {

class ZoomTest : public rendertest::RenderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Place(400, 300));
    for (int i = 0; i <= 10; ++i) Line(static_cast<float>(i * 10), 0, static_cast<float>(i * 10), 100);
    Extents(0, 100, 100, 0);
    dxf->SetZoomFunction(kelvane::dxfWindow);
    ASSERT_TRUE(dxf->ZoomExtents());
  }
  std::int16_t Call(const char* name, std::vector<Variant> args = {}) {
    return winplat::CallMethod(dxf.Get(), name, std::move(args)).ToInteger();
  }
};

TEST_F(ZoomTest, OnTheSpotZoomKeepsThePointUnderTheCursor) {
  const float px = 120, py = 80;
  const float x = dxf->IntToRealX(Variant(px)), y = dxf->IntToRealY(Variant(py));
  const float w = dxf->CurrentView.Right - dxf->CurrentView.Left;
  dxf->OnTheSpotZoomPctLeft = 200;
  dxf->OnTheSpotZoomPctRight = 50;
  EXPECT_EQ(Call("OnTheSpotZoom", {Variant(px), Variant(py)}), -1);
  EXPECT_NEAR(dxf->CurrentView.Right - dxf->CurrentView.Left, w / 2, 1e-3);
  EXPECT_NEAR(dxf->CvtX(x), px, 1.0);
  EXPECT_NEAR(dxf->CvtY(y), py, 1.0);
  EXPECT_EQ(Call("OnTheSpotZoom", {Variant(px), Variant(py), Variant(std::int16_t{2})}), -1);
  EXPECT_NEAR(dxf->CurrentView.Right - dxf->CurrentView.Left, w, 1e-3);
  // A percentage of 0 is refused with the trail.
  dxf->OnTheSpotZoomPctLeft = 0;
  try {
    Call("OnTheSpotZoom", {Variant(px), Variant(py)});
    FAIL();
  } catch (const winplat::AutomationError& e) {
    EXPECT_NE(e.Description().find(" ->  OnTheSpotZoom."), std::string::npos);
  }
}

TEST_F(ZoomTest, PanFollowsTheMouseAndTheBandReachesOnlyTheScreen) {
  dxf->SetZoomFunction(kelvane::dxfPan);
  const ViewRect before = dxf->CurrentView;
  EXPECT_EQ(Call("ZoomInitiate", {Variant(100.0f), Variant(150.0f)}), -1);
  EXPECT_FALSE(dxf->picKelvane.AutoRedraw);
  const auto screenBefore = winplat::CaptureWindow(dxf->picKelvane.hWnd);
  Call("ZoomFeedback", {Variant(110.0f), Variant(150.0f)});
  // The inverted band is on the screen; drawn twice it is gone again.
  const auto withBand = winplat::CaptureWindow(dxf->picKelvane.hWnd);
  EXPECT_NE(withBand.pixels, screenBefore.pixels);
  Call("ZoomFeedback", {Variant(110.0f), Variant(150.0f)});
  EXPECT_EQ(winplat::CaptureWindow(dxf->picKelvane.hWnd).pixels, withBand.pixels);
  EXPECT_EQ(Call("ZoomEnd"), -1);
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
  EXPECT_NEAR(dxf->CurrentView.Left, before.Left - 10 / dxf->gsScaler, 1e-3);
  EXPECT_NEAR(dxf->CurrentView.Top, before.Top, 1e-3);
  // Feedback after the end draws nothing.
  const auto after = winplat::CaptureWindow(dxf->picKelvane.hWnd);
  Call("ZoomFeedback", {Variant(200.0f), Variant(20.0f)});
  EXPECT_EQ(winplat::CaptureWindow(dxf->picKelvane.hWnd).pixels, after.pixels);
  // Back through the history.
  const ViewRect previous = dxf->ZoomHistory[1];
  Call("ZoomPrevious");
  EXPECT_EQ(dxf->ZoomHistory[0].Left, previous.Left);
  EXPECT_EQ(dxf->ZoomHistory[3].Right, 100.0f);  // the drawing extents come in at the end
}

TEST_F(ZoomTest, WindowZoomTooSmallIsRefused) {
  winplat::MessageBoxScript boxes;
  const ViewRect before = dxf->CurrentView;
  Call("ZoomInitiate", {Variant(50.0f), Variant(50.0f)});
  Call("ZoomFeedback", {Variant(52.0f), Variant(52.0f)});
  EXPECT_EQ(Call("ZoomEnd"), 0);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "Rectangle selected is too small - please select a larger window");
  EXPECT_EQ(boxes.Shown()[0].caption, "Zoom area");
  EXPECT_EQ(dxf->CurrentView.Left, before.Left);
  EXPECT_FALSE(dxf->Band.Active);
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
  // A real window: 3 pixels wide suffices.
  Call("ZoomInitiate", {Variant(40.0f), Variant(40.0f)});
  Call("ZoomFeedback", {Variant(140.0f), Variant(120.0f)});
  EXPECT_EQ(Call("ZoomEnd"), -1);
  EXPECT_EQ(boxes.Shown().size(), 1u);
  EXPECT_LT(dxf->CurrentView.Right - dxf->CurrentView.Left, before.Right - before.Left);
}

TEST_F(ZoomTest, DrawBoxStaysOnTheScreen) {
  dxf->SetZoomFunction(kelvane::dxfDrawBox);
  Call("ZoomInitiate", {Variant(20.0f), Variant(20.0f)});
  Call("ZoomFeedback", {Variant(80.0f), Variant(60.0f)});
  EXPECT_EQ(Call("ZoomEnd"), -1);
  EXPECT_FALSE(dxf->Band.Active);
  EXPECT_FALSE(dxf->picKelvane.AutoRedraw);  // its band is the result
}

}  // namespace
