// View mapping, scrolling, the zoom history and bulge arcs.
#include <cmath>
#include <random>

#include "../bulge.h"
#include "render_fixture.h"

using namespace kelvane;
using rendertest::RenderTest;

namespace {

// Angle of a point about a centre, taken into [start, start + 2 pi).
double AngleFrom(double start, double x, double y, double cx, double cy) {
  double a = std::atan2(y - cy, x - cx);
  while (a < start) a += 2 * 3.141592653589793;
  while (a >= start + 2 * 3.141592653589793) a -= 2 * 3.141592653589793;
  return a;
}

}  // namespace

TEST(Bulge, WorkedExamples) {
  BulgeArc a = BulgeGeometry(0, 0, 2, 0, 1);
  EXPECT_NEAR(a.Radius, 1, 1e-4);
  EXPECT_NEAR(a.CenterX, 1, 1e-4);
  EXPECT_NEAR(a.CenterY, 0, 1e-4);
  EXPECT_NEAR(a.StartAngle, -3.14159, 1e-4);
  EXPECT_NEAR(a.EndAngle, 0, 1e-4);
  a = BulgeGeometry(0, 0, 2, 0, -1);
  EXPECT_NEAR(a.CenterX, 1, 1e-4);
  EXPECT_NEAR(a.StartAngle, 0, 1e-4);
  EXPECT_NEAR(a.EndAngle, 3.14159, 1e-4);
  a = BulgeGeometry(0, 0, 0, 2, 1);
  EXPECT_NEAR(a.CenterX, 0, 1e-4);
  EXPECT_NEAR(a.CenterY, 1, 1e-4);
  EXPECT_NEAR(a.StartAngle, -3.14159 / 2, 1e-4);
  EXPECT_NEAR(a.EndAngle, 3.14159 / 2, 1e-4);
  // From (2, 0) back to (0, 0) the arc passes through (1, 1).
  a = BulgeGeometry(2, 0, 0, 0, 1);
  double mid = (a.StartAngle + a.EndAngle) / 2.0;
  EXPECT_NEAR(a.CenterX + a.Radius * std::cos(mid), 1, 1e-3);
  EXPECT_NEAR(a.CenterY + a.Radius * std::sin(mid), 1, 1e-3);
}

TEST(Bulge, MatchesTheArcThroughTheChordEndsAndTheBulgePoint) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<float> coord(-50, 50), bulge(-3, 3);
  int checked = 0;
  for (int i = 0; i < 2000; ++i) {
    float x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng), b = bulge(rng);
    if (i % 7 == 0) x2 = x1;  // vertical chords too
    if (std::fabs(b) < 0.05f) continue;
    const double dx = x2 - x1, dy = y2 - y1, chord = std::hypot(dx, dy);
    if (chord < 1) continue;
    // The bulge point: the chord's midpoint moved by bulge x chord / 2 to the
    // right of the direction of travel.
    const double sagitta = b * chord / 2.0;
    const double mx = (x1 + x2) / 2.0 + sagitta * dy / chord, my = (y1 + y2) / 2.0 - sagitta * dx / chord;
    BulgeArc a = BulgeGeometry(x1, y1, x2, y2, b);
    const double tol = 1e-3 * (1 + a.Radius);
    ASSERT_NEAR(std::hypot(x1 - a.CenterX, y1 - a.CenterY), a.Radius, tol) << i;
    ASSERT_NEAR(std::hypot(x2 - a.CenterX, y2 - a.CenterY), a.Radius, tol) << i;
    ASSERT_NEAR(std::hypot(mx - a.CenterX, my - a.CenterY), a.Radius, tol) << i;
    // The arc from the start angle to the end angle runs through the bulge point
    // and its ends are the chord's ends.
    const double s = a.StartAngle, e = a.EndAngle;
    ASSERT_LE(s, e);
    ASSERT_LT(AngleFrom(s, mx, my, a.CenterX, a.CenterY), e + 1e-3) << i;
    const double ex = a.CenterX + a.Radius * std::cos(e), ey = a.CenterY + a.Radius * std::sin(e);
    const double sx = a.CenterX + a.Radius * std::cos(s), sy = a.CenterY + a.Radius * std::sin(s);
    const double first = b > 0 ? std::hypot(sx - x1, sy - y1) : std::hypot(sx - x2, sy - y2);
    const double last = b > 0 ? std::hypot(ex - x2, ey - y2) : std::hypot(ex - x1, ey - y1);
    ASSERT_LT(first, 1e-3 * (1 + a.Radius) + 1e-2) << i;
    ASSERT_LT(last, 1e-3 * (1 + a.Radius) + 1e-2) << i;
    ++checked;
  }
  EXPECT_GT(checked, 1500);
}

TEST_F(RenderTest, BulgedSegmentsDrawOnePixelWideAndTinyOnesNotAtAll) {
  PolylineSegmentRecord s;
  s.X1 = 2;
  s.Y1 = 5;
  s.X2 = 8;
  s.Y2 = 5;
  s.Bulge = 1;
  s.Width = 1;  // 30 pixels wide if it were straight
  s.Layer = Layer("0");
  s.Color = 0x0000FF;
  db().AddPolylineSegment(s, Growth::Loader);
  s.X1 = 1;
  s.X2 = 1.001f;
  s.Color = 0x00FF00;  // an arc of a fraction of a pixel
  db().AddPolylineSegment(s, Growth::Loader);
  s.X1 = 0;
  s.Y1 = 1;
  s.X2 = 10;
  s.Y2 = 1;
  s.Bulge = 0;
  s.Color = 0xFF0000;
  db().AddPolylineSegment(s, Growth::Loader);
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  winplat::Picture p = Shot();
  // Half a circle of radius 90 pixels, one pixel wide: about 283 pixels.
  EXPECT_GT(Count(p, 0x0000FF), 250);
  EXPECT_LT(Count(p, 0x0000FF), 400);
  EXPECT_EQ(Count(p, 0x00FF00), 0);
  EXPECT_GT(Count(p, 0xFF0000), 300 * 25);  // the straight one, 30 pixels wide
  // It bulges below the chord (clockwise from the first point): (5, 2) in drawing units.
  EXPECT_TRUE(Near(p, dxf->CvtX(5), dxf->CvtY(2), 0x0000FF));
  EXPECT_FALSE(Near(p, dxf->CvtX(5), dxf->CvtY(8), 0x0000FF));
}

TEST_F(RenderTest, PixelConversionsRoundHalvesToEvenAndFailOutOfRange) {
  // Before any pass: scale 0.
  EXPECT_EQ(dxf->CvtX(123), 0);
  EXPECT_EQ(dxf->CvtY(5), 0);
  EXPECT_EQ(dxf->IntToRealX(winplat::Variant(10)), 0.0f);
  dxf->SetViewTransform(300, 0, 0, 1);
  EXPECT_EQ(dxf->CvtX(2.5f), 2);
  EXPECT_EQ(dxf->CvtX(3.5f), 4);
  EXPECT_EQ(dxf->CvtY(400), -100);  // above the view
  for (float far : {3e9f, -3e9f}) {
    try {
      dxf->CvtX(far);
      FAIL();
    } catch (const winplat::AutomationError& e) {
      EXPECT_EQ(e.Number(), kControlError);
      EXPECT_EQ(e.Description(), "Error in CvtX.");
    }
  }
  EXPECT_THROW(dxf->CvtY(-3e9f), winplat::AutomationError);
  EXPECT_THROW(dxf->IntToRealX(winplat::Variant("abc")), winplat::AutomationError);

  Line(-3, -7, 41, 29);
  ASSERT_TRUE(Draw(-3, 29, 41, -7));
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> x(-3, 41), y(-7, 29);
  for (int i = 0; i < 200; ++i) {
    float px = x(rng), py = y(rng);
    EXPECT_NEAR(dxf->IntToRealX(winplat::Variant(dxf->CvtX(px))), px, 0.5 / dxf->gsScaler + 1e-4);
    EXPECT_NEAR(dxf->IntToRealY(winplat::Variant(dxf->CvtY(py))), py, 0.5 / dxf->gsScaler + 1e-4);
  }
  // Through dispatch, by name.
  EXPECT_EQ(winplat::CallMethod(dxf.Get(), "cvtx", {winplat::Variant(-3.0f)}).ToLong(), 0);
  EXPECT_EQ(winplat::CallMethod(dxf.Get(), "CvtY", {winplat::Variant(-7.0f)}).ToLong(), dxf->ViewHeight);
}

TEST_F(RenderTest, ZoomPanScrollAndHistory) {
  Line(0, 0, 100, 100);
  Extents(0, 100, 100, 0);
  ASSERT_TRUE(dxf->ZoomExtents());
  const ViewRect start = dxf->CurrentView;
  EXPECT_EQ(start.Bottom, 0.0f);

  // A request of other proportions shows more: the fitted rectangle comes back.
  ASSERT_TRUE(dxf->SetCurrentZoom(10, 20, 20, 10));
  float l = 0, t = 0, r = 0, b = 0;
  ASSERT_TRUE(dxf->GetCurrentZoom(l, t, r, b));
  EXPECT_EQ(l, 10.0f);
  EXPECT_NEAR(r, 10 + 10 * 400.0 / 300.0, 1e-3);
  EXPECT_EQ(dxf->ZoomHistory[0].Right, 20.0f);  // the request was pushed

  ASSERT_TRUE(dxf->Pan(0, 0));
  EXPECT_NEAR(dxf->ZoomHistory[0].Right, r, 1e-4);
  EXPECT_EQ(dxf->ZoomHistory[1].Right, 20.0f);
  ASSERT_TRUE(dxf->Pan(5, -2));
  EXPECT_EQ(dxf->CurrentView.Left, 15.0f);
  EXPECT_EQ(dxf->CurrentView.Bottom, 8.0f);

  // Scrolling in hundredths of the drawing's height and width.
  const float bottom = dxf->CurrentView.Bottom;
  dxf->VerticalScroll(10);
  EXPECT_NEAR(dxf->CurrentView.Bottom, bottom - 10, 1e-3);
  dxf->VerticalScroll(10);
  EXPECT_NEAR(dxf->CurrentView.Bottom, bottom - 10, 1e-3);
  dxf->VerticalScroll(0);
  EXPECT_NEAR(dxf->CurrentView.Bottom, bottom, 1e-3);
  const float left = dxf->CurrentView.Left;
  dxf->HorizontalScroll(25);
  EXPECT_NEAR(dxf->CurrentView.Left, left + 25, 1e-3);

  // The history keeps four entries.
  for (int i = 1; i <= 5; ++i) dxf->AddToPrevZoomStack(ViewRect{static_cast<float>(i), 0, 0, 0});
  EXPECT_EQ(dxf->ZoomHistory[0].Left, 5.0f);
  EXPECT_EQ(dxf->ZoomHistory[3].Left, 2.0f);
  EXPECT_EQ(dxf->ZoomHistory[4].Left, 0.0f);
}
