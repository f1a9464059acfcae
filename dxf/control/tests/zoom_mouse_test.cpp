// Every mouse-driven function run through a host that forwards picKelvane's
// mouse events to ZoomInitiate, ZoomFeedback and ZoomEnd. Rubber bands reach
// the screen only (the persistent picture is off during the drag), except the
// move band, which goes into the persistent picture.
#include "render_fixture.h"
#include "winplat/msgbox.h"

using kelvane::ViewRect;
using winplat::Variant;

namespace {

class ZoomMouseTest : public rendertest::RenderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Place(400, 300));
    for (int i = 0; i <= 10; ++i) Line(static_cast<float>(i * 10), 0, static_cast<float>(i * 10), 100);
    Extents(0, 100, 100, 0);
    ASSERT_TRUE(dxf->ZoomExtents());
    dxf->ZoomHistory.fill(ViewRect{0, 100, 100, 0});  // as a load leaves it
    host = winplat::MakeObject<rendertest::MouseHost>(dxf.Get());
    ASSERT_NE(site->ConnectEvents(host.Get()), 0u);
    dxf->RedlineCurrentLayer = "RL";
  }
  winplat::Picture Screen() { return winplat::CaptureWindow(dxf->picKelvane.hWnd); }
  // Button down at (x0, y0), moves through the points, button up at the last.
  void Drag(int x0, int y0, std::initializer_list<std::pair<int, int>> moves) {
    Send(winplat::WM_LBUTTONDOWN, x0, y0);
    for (auto [x, y] : moves) Send(winplat::WM_MOUSEMOVE, x, y);
    auto [x, y] = *(moves.end() - 1);
    Send(winplat::WM_LBUTTONUP, x, y, 0);
  }
  winplat::ComPtr<rendertest::MouseHost> host;
};

TEST_F(ZoomMouseTest, WindowZoomBandIsOnTheScreenOnlyAndZoomPreviousGoesBack) {
  dxf->SetZoomFunction(kelvane::dxfWindow);
  const ViewRect before = dxf->CurrentView;
  const float gs = dxf->gsScaler;
  const auto persistent = Shot();
  Send(winplat::WM_LBUTTONDOWN, 100, 60);
  EXPECT_FALSE(dxf->picKelvane.AutoRedraw);
  Send(winplat::WM_MOUSEMOVE, 180, 140);
  const auto band = Screen();
  EXPECT_NE(band.pixels, persistent.pixels);
  Send(winplat::WM_MOUSEMOVE, 200, 160);  // the old band is erased, the new one drawn
  Send(winplat::WM_MOUSEMOVE, 180, 140);
  EXPECT_EQ(Screen().pixels, band.pixels);
  Send(winplat::WM_LBUTTONUP, 180, 140, 0);
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
  EXPECT_FALSE(dxf->Band.Active);
  EXPECT_EQ(Screen().pixels, Shot().pixels);  // the zoomed drawing, no band
  EXPECT_NEAR(dxf->ZoomHistory[0].Left, 100 / gs + before.Left, 1e-3);
  EXPECT_NEAR(dxf->ZoomHistory[0].Right, 180 / gs + before.Left, 1e-3);
  EXPECT_LT(dxf->CurrentView.Right - dxf->CurrentView.Left, before.Right - before.Left);
  // Moves after the end draw nothing.
  const auto after = Screen();
  Send(winplat::WM_MOUSEMOVE, 20, 20, 0);
  EXPECT_EQ(Screen().pixels, after.pixels);

  winplat::CallMethod(dxf.Get(), "zoomprevious");
  EXPECT_NEAR(dxf->CurrentView.Right - dxf->CurrentView.Left, before.Right - before.Left, 1e-2);
  for (int i = 0; i < 4; ++i) winplat::CallMethod(dxf.Get(), "ZoomPrevious");
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(dxf->ZoomHistory[i].Left, 0.0f);
    EXPECT_EQ(dxf->ZoomHistory[i].Top, 100.0f);
  }
}

TEST_F(ZoomMouseTest, WindowTooSmallIsRefusedButWidthAloneSuffices) {
  winplat::MessageBoxScript boxes;
  dxf->SetZoomFunction(kelvane::dxfWindow);
  const ViewRect before = dxf->CurrentView;
  Drag(50, 50, {{52, 52}});
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "Rectangle selected is too small - please select a larger window");
  EXPECT_EQ(boxes.Shown()[0].caption, "Zoom area");
  EXPECT_EQ(dxf->CurrentView.Left, before.Left);
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
  Drag(50, 50, {{53, 51}});
  EXPECT_EQ(boxes.Shown().size(), 1u);
  EXPECT_NE(dxf->CurrentView.Left, before.Left);
}

TEST_F(ZoomMouseTest, RedlineLineCircleAndSolidByDrag) {
  const float gs = dxf->gsScaler;
  dxf->SetZoomFunction(kelvane::dxfRedLineLine);
  Drag(40, 200, {{60, 210}, {120, 200}});
  ASSERT_EQ(db().LineTable(db().LineCount).Redline, -1);
  const auto& line = db().LineTable(db().LineCount);
  EXPECT_NEAR(line.X1, dxf->IntToRealX(Variant(120)), 1e-4);  // end point first
  EXPECT_NEAR(line.X2, dxf->IntToRealX(Variant(40)), 1e-4);
  EXPECT_NEAR(line.Y1, line.Y2, 1e-4);
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
  EXPECT_EQ(Screen().pixels, Shot().pixels);

  // The circle band: drawn on the screen, erased by drawing it again.
  dxf->SetZoomFunction(kelvane::dxfRedLineCircle);
  const auto before = Screen();
  Send(winplat::WM_LBUTTONDOWN, 200, 150);
  Send(winplat::WM_MOUSEMOVE, 230, 190);
  const auto band = Screen();
  EXPECT_NE(band.pixels, before.pixels);
  EXPECT_TRUE(Near(band, 250, 150, 0xFFFFFF ^ before.At(250, 150), 1));  // radius 50 to the right
  Send(winplat::WM_LBUTTONUP, 230, 190, 0);
  const auto& circle = db().CircleTable(db().CircleCount);
  EXPECT_NEAR(circle.Radius, 50 / gs, 1e-3);
  EXPECT_EQ(circle.StartAngle, circle.EndAngle);

  dxf->SetZoomFunction(kelvane::dxfRedlineSolid);
  Drag(300, 40, {{340, 80}});
  const auto& s = db().SolidTable(db().SolidCount);
  const float sx = dxf->IntToRealX(Variant(300)), ex = dxf->IntToRealX(Variant(340));
  EXPECT_NEAR(s.X1, ex, 1e-4);
  EXPECT_NEAR(s.X2, sx, 1e-4);
  EXPECT_NEAR(s.X3, sx, 1e-4);
  EXPECT_NEAR(s.X4, ex, 1e-4);
  EXPECT_GT(s.Y3, s.Y1);  // the start was higher on the screen
  EXPECT_TRUE(Near(Shot(), 320, 60, 0x000000, 0));  // filled
}

TEST_F(ZoomMouseTest, DrawBoxStaysOnTheScreenUntilTheNextRedraw) {
  dxf->SetZoomFunction(kelvane::dxfDrawBox);
  const auto before = Screen();
  const auto lines = db().LineCount;
  Drag(20, 20, {{80, 60}});
  EXPECT_FALSE(dxf->Band.Active);
  EXPECT_FALSE(dxf->picKelvane.AutoRedraw);
  EXPECT_NE(Screen().pixels, before.pixels);  // the box is the result
  EXPECT_EQ(db().LineCount, lines);
}

TEST_F(ZoomMouseTest, UnknownFunctionStillEndsTheDrag) {
  dxf->SetZoomFunction(12);
  Drag(20, 20, {{80, 60}});
  EXPECT_FALSE(dxf->Band.Active);
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
  dxf->SetZoomFunction(kelvane::dxfDrillDown);
  const auto before = Screen();
  Drag(20, 20, {{80, 60}});
  EXPECT_EQ(Screen().pixels, before.pixels);  // no band for the drill-down
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
}

TEST_F(ZoomMouseTest, MovingACircleOnlyRedraws) {
  const auto n = dxf->DXFAddCircle(50, 50, 60, 50, "RL");
  (void)n;
  std::string err;
  ASSERT_TRUE(dxf->Refresh(err)) << err;
  dxf->SetZoomFunction(kelvane::dxfRedLineSelect);
  const int px = dxf->CvtX(60), py = dxf->CvtY(50);
  int hx = -1;
  const auto shot = Shot();
  for (int x = px - 3; x <= px + 3 && hx < 0; ++x)
    if ((shot.At(x, py) & 0xFFFFFF) == 0) hx = x;
  ASSERT_GE(hx, 0);
  Drag(hx, py, {{hx, py}});
  ASSERT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNewCircle);
  const auto clears = dxf->picKelvane.ClearCount;
  dxf->SetZoomFunction(kelvane::dxfRedlineMove);
  Drag(hx, py, {{hx + 30, py + 30}});
  EXPECT_EQ(db().CircleTable(db().CircleCount).X, 50.0f);
  EXPECT_GT(dxf->picKelvane.ClearCount, clears);
  EXPECT_EQ(Screen().pixels, Shot().pixels);
}

TEST_F(ZoomMouseTest, ZoomPercentagesAndTheUndrawnControl) {
  try {
    dxf->StationaryZoom(10, 10, 0);
    FAIL();
  } catch (const winplat::AutomationError& e) {
    EXPECT_NE(e.Description().find(" ->  StationaryZoom."), std::string::npos);
  }
  dxf->gsScaler = 0;
  const ViewRect before = dxf->CurrentView;
  EXPECT_EQ(dxf->StationaryZoom(10, 10, 200), 0);
  EXPECT_EQ(dxf->CurrentView.Left, before.Left);
  EXPECT_EQ(dxf->CurrentView.Right, before.Right);
}

}  // namespace

namespace {

TEST_F(ZoomMouseTest, FindCentresTheViewOnTheTextFound) {
  dxf->DXFAddText(70, 20, "VALVE", "NOTES", kelvane::dxfRealWorld, Variant(4.0f));
  const ViewRect before = dxf->CurrentView;
  EXPECT_EQ(winplat::CallMethod(dxf.Get(), "find", {Variant("valve"), Variant(std::int16_t{0})}).ToLong(),
            db().TextCount);
  const ViewRect v = dxf->ZoomHistory[0];
  EXPECT_NEAR((v.Left + v.Right) / 2, 70, 1e-3);
  EXPECT_NEAR((v.Top + v.Bottom) / 2, 20, 1e-3);
  EXPECT_NEAR(v.Right - v.Left, before.Right - before.Left, 1e-3);
  EXPECT_NEAR(dxf->CvtX(70), 200, 1);
  EXPECT_NEAR(dxf->CvtY(20), 150, 1);
}

}  // namespace
