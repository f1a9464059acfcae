// The rendering pass: fitting, scale range, colours, culling, deep zoom and
// the drawing rules of each entity kind, on a placed control's picture box.
#include <algorithm>
#include <cmath>

#include "winplat/metafile.h"
#include "render_fixture.h"
#include "winplat/gdi_record.h"
#include "winplat/screen.h"

using namespace kelvane;
using rendertest::RenderTest;
using winplat::COLORREF;

namespace {
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = 0x0000FF;
}  // namespace

TEST_F(RenderTest, FitWidensTheViewToTheSurface) {
  Line(0, 0, 10, 10);
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  EXPECT_NEAR(dxf->CurrentView.Right, 13.3333f, 1e-3);
  EXPECT_EQ(dxf->CurrentView.Top, 10.0f);
  EXPECT_NEAR(dxf->gsScaler, 30.0f, 1e-4);  // 400 pixels over 13.33 units
  EXPECT_EQ(dxf->ViewWidth, 400);
  EXPECT_EQ(dxf->ViewHeight, 300);
  EXPECT_EQ(sink->zooms, 1);

  ASSERT_NO_FATAL_FAILURE(Place(300, 400));
  Line(0, 0, 10, 10);
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  EXPECT_NEAR(dxf->CurrentView.Top, 13.3333f, 1e-3);  // grows upwards
  EXPECT_EQ(dxf->CurrentView.Right, 10.0f);
  EXPECT_NEAR(dxf->gsScaler, 30.0f, 1e-4);
}

TEST_F(RenderTest, DegenerateViewsAndScalesOutOfRange) {
  Line(0, 0, 10, 10);
  EXPECT_FALSE(Draw(5, 10, 5, 0));  // no width
  EXPECT_EQ(sink->zooms, 0);
  ASSERT_TRUE(Draw(0, 3, 10, 3));   // no height: square, then fitted
  EXPECT_NEAR(dxf->gsScaler, 30.0f, 1e-4);
  sink->zooms = 0;
  // 400 pixels over 1e-4 units is 4e6 pixels per unit.
  EXPECT_FALSE(Draw(0, 0.0001f, 0.0001f, 0));
  EXPECT_EQ(sink->zooms, 0);
  EXPECT_GT(CountNot(Shot(), kWhite), 0);  // the message was written
  // Nothing to draw, or a surface of no size: False quietly.
  ASSERT_NO_FATAL_FAILURE(Place(0, 0));
  Line(0, 0, 1, 1);
  EXPECT_FALSE(Draw(0, 1, 1, 0));
  db().InitDB(true);
  EXPECT_FALSE(Draw(0, 1, 1, 0));
  EXPECT_EQ(winplat::MousePointer(), winplat::vbDefault);
}

TEST_F(RenderTest, ColoursSwapAgainstTheBackgroundOnTheScreenOnly) {
  Line(0, 5, 10, 5, 0xFFFFFF);  // white on the default (system white) background
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  EXPECT_GE(Count(Shot(), 0x000000), 290);
  EXPECT_EQ(dxf->EntityDrawColor(1, 0xFFFFFF, true), 0xFFFFFF);  // printing keeps it

  dxf->SetBackColor(0);
  dxf->DisplayAllBlack = -1;
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  EXPECT_GE(Count(Shot(), kWhite), 290);  // black on black turned white
  EXPECT_EQ(dxf->EntityDrawColor(1, 0x00FF00, false), 0xFFFFFF);

  // Colour 0 takes the layer's colour; an unknown layer gives black.
  db().Layers().Item(winplat::Variant(1))->LayerColor = 0x00FF00;
  dxf->DisplayAllBlack = 0;
  EXPECT_EQ(dxf->EntityDrawColor(1, 0, false), 0x00FF00);
  EXPECT_EQ(dxf->EntityDrawColor(99, 0, true), 0);
}

TEST_F(RenderTest, DeletedEntitiesAttributesAndLayersOff) {
  Line(0, 2, 10, 2);
  db().LineTable(1).Deleted = -1;
  AttribRecord a;
  a.X = 1;
  a.Y = 5;
  a.TagValue = "VALUE";
  a.Height = 2;
  a.WidthFactor = 1;
  a.Layer = Layer("0");
  a.Color = kRed;
  db().AddAttrib(a, Growth::Loader);
  dxf->AttribDisplayMode = 0;
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  EXPECT_EQ(Count(Shot(), kRed), 0);
  dxf->AttribDisplayMode = 1;
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  EXPECT_GT(Count(Shot(), kRed), 20);  // the attribute only
  db().LineTable(1).Deleted = 0;
  db().Layers().Item(winplat::Variant(1))->LayerOn = 0;
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  EXPECT_EQ(Count(Shot(), kRed), 0);
}

TEST_F(RenderTest, EllipseBoxAndTinyTexts) {
  EllipseRecord e;
  e.CenterX = 10;
  e.CenterY = 10;
  e.MajorX = 0;
  e.MajorY = 5;
  e.Ratio = 0.5f;
  e.Layer = Layer("0");
  e.Color = kRed;
  db().AddEllipse(e, Growth::Loader);
  TextRecord t;
  t.X = 1;
  t.Y = 1;
  t.Text = "TINY";
  t.Height = 0.01f;  // one pixel at 10 pixels per unit... below 2
  t.WidthFactor = 1;
  t.Layer = Layer("0");
  t.Color = 0x00FF00;
  db().AddText(t, Growth::Loader);
  ASSERT_TRUE(Draw(0, 30, 40, 0));  // 10 pixels per unit
  winplat::Picture p = Shot();
  int minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if ((p.At(x, y) & 0xFFFFFF) == kRed) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  EXPECT_NEAR(maxX - minX, 50, 2);   // 5 units wide
  EXPECT_NEAR(maxY - minY, 100, 2);  // 10 units high
  EXPECT_EQ(Count(p, 0x00FF00), 0);
}

TEST_F(RenderTest, CullingKeepsLinesInEveryDirection) {
  // Lines that start far outside the view on every side and cross it.
  Line(100, 5, -100, 5);    // right to left
  Line(5, 100, 5, -100);    // downwards
  Line(-50, -50, 50, 50);   // upwards
  Line(60, -50, -40, 50);   // right to left, upwards
  Line(200, 200, 300, 300); // wholly outside: never drawn
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  winplat::Picture p = Shot();
  // Each crossing line leaves pixels near the middle of the surface.
  auto redNear = [&](int cx, int cy) {
    for (int y = cy - 3; y <= cy + 3; ++y)
      for (int x = cx - 3; x <= cx + 3; ++x)
        if ((p.At(x, y) & 0xFFFFFF) == kRed) return true;
    return false;
  };
  const int x5 = dxf->CvtX(5), y5 = dxf->CvtY(5);
  EXPECT_TRUE(redNear(x5 + 60, y5));  // the horizontal line
  EXPECT_TRUE(redNear(x5, y5 + 60));  // the vertical line
  EXPECT_TRUE(redNear(dxf->CvtX(2), dxf->CvtY(2)));
  EXPECT_TRUE(redNear(dxf->CvtX(2), dxf->CvtY(-2 + 10)));
}

TEST_F(RenderTest, DeepZoomDrawsWhatCrossesTheView) {
  // A large drawing seen through a window of a millionth of its size.
  Line(-1e6f, 0.5f, 1e6f, 0.5f);
  CircleRecord c;
  c.X = 0;
  c.Y = -1e5f + 0.25f;  // its top passes through the view
  c.Radius = 1e5f;
  c.Layer = Layer("0");
  c.Color = 0x00FF00;
  db().AddCircle(c, Growth::Loader);
  ASSERT_TRUE(Draw(-0.5f, 1, 0.5f, 0));
  EXPECT_NEAR(dxf->gsScaler, 300.0f, 1e-3);
  winplat::Picture p = Shot();
  EXPECT_GT(Count(p, kRed), 350);       // the line across the whole width
  EXPECT_GT(Count(p, 0x00FF00), 300);  // the circle's top, nearly straight
}

TEST_F(RenderTest, ArcsOfAlmostAFullTurnAndOfLessThanAPixel) {
  CircleRecord c;
  c.X = 5;
  c.Y = 5;
  c.Radius = 3;
  c.StartAngle = 0;
  c.EndAngle = 359.9f;
  c.Layer = Layer("0");
  c.Color = kRed;
  db().AddCircle(c, Growth::Loader);
  c.Color = 0x00FF00;
  c.StartAngle = 10;
  c.EndAngle = 10.05f;  // about 0.08 pixels of arc
  db().AddCircle(c, Growth::Loader);
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  winplat::Picture p = Shot();
  EXPECT_GT(Count(p, kRed), 400);  // about 2 pi x 90 pixels
  EXPECT_EQ(Count(p, 0x00FF00), 0);
}

TEST_F(RenderTest, NewEntitiesOnlyAndProgress) {
  for (int i = 0; i < 8; ++i) Line(0, static_cast<float>(i), 10, static_cast<float>(i), i < 3 ? 0x00FF00 : kRed);
  dxf->Clear();
  bool only = true;
  ASSERT_TRUE(dxf->Zoom(ViewRect{0, 10, 10, 0}, dxf->picKelvane, 0, false, &only));
  EXPECT_EQ(Count(Shot(), 0x00FF00), 0);  // entries 4..8 only
  EXPECT_GT(Count(Shot(), kRed), 0);
  // Fewer than five entities: from the first.
  db().InitDB(true);
  Line(0, 1, 10, 1, 0x00FF00);
  dxf->Clear();
  ASSERT_TRUE(dxf->Zoom(ViewRect{0, 10, 10, 0}, dxf->picKelvane, 0, false, &only));
  EXPECT_GT(Count(Shot(), 0x00FF00), 0);
}

TEST_F(RenderTest, AnEntryOutsideItsTableEndsThePassQuietly) {
  Line(0, 0, 10, 10);
  db().EntityIndex(1).Row = 1000000;
  EXPECT_FALSE(Draw(0, 10, 10, 0));
  EXPECT_EQ(sink->zooms, 0);
  db().EntityIndex(1) = EntityRef{8, 1};  // type 8 does not exist: skipped
  EXPECT_TRUE(Draw(0, 10, 10, 0));
}

TEST_F(RenderTest, MetafileBranchRecordsTheDrawingAndClosesOnlyAnOldStyleContext) {
  Line(0, 0, 10, 10);
  CircleRecord c;
  c.X = 5;
  c.Y = 5;
  c.Radius = 2;
  c.Layer = Layer("0");
  db().AddCircle(c, Growth::Loader);
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  dxf->Clear();
  // The record types of an enhanced metafile, in order.
  auto types = [](winplat::HENHMETAFILE m) {
    std::vector<std::uint8_t> b(winplat::GetEnhMetaFileBits(m, 0, nullptr));
    winplat::GetEnhMetaFileBits(m, static_cast<unsigned>(b.size()), b.data());
    std::vector<std::uint32_t> out;
    auto u32 = [&](std::size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24; };
    for (std::size_t at = 0; at + 8 <= b.size(); at += u32(at + 4)) out.push_back(u32(at));
    return out;
  };
  winplat::HDC enhanced = winplat::CreateEnhMetaFile(dxf->picKelvane.hDC, nullptr, nullptr, nullptr);
  ASSERT_NE(enhanced, 0u);
  ASSERT_TRUE(dxf->Zoom(ViewRect{0, 10, 10, 0}, dxf->picKelvane, enhanced, false));
  // The enhanced context is still the caller's to close.
  EXPECT_EQ(winplat::GetObjectType(enhanced), winplat::OBJ_ENHMETADC);
  winplat::HENHMETAFILE recorded = winplat::CloseEnhMetaFile(enhanced);
  ASSERT_NE(recorded, 0u);
  const std::vector<std::uint32_t> records = types(recorded);
  winplat::DeleteEnhMetaFile(recorded);
  auto has = [&](std::uint32_t t) { return std::find(records.begin(), records.end(), t) != records.end(); };
  EXPECT_TRUE(has(54));  // LineTo
  EXPECT_TRUE(has(42));  // Ellipse
  // An old-style context is closed by the pass and left with the control.
  winplat::HDC old = winplat::CreateMetaFile(nullptr);
  ASSERT_TRUE(dxf->Zoom(ViewRect{0, 10, 10, 0}, dxf->picKelvane, old, false));
  EXPECT_EQ(winplat::GetObjectType(old), 0u);
  ASSERT_NE(dxf->ClosedMetafile, 0u);
  EXPECT_GT(winplat::GetMetaFileBitsEx(dxf->ClosedMetafile, 0, nullptr), 18u);
  EXPECT_TRUE(winplat::DeleteMetaFile(std::exchange(dxf->ClosedMetafile, 0)));
  // The screen was redrawn at its own view afterwards.
  EXPECT_GT(Count(Shot(), kRed), 0);
  EXPECT_NEAR(dxf->gsScaler, 30.0f, 1e-4);
}

TEST_F(RenderTest, TextsAreCulledByTheirAlignedAndTurnedBox) {
  // Anchored 250 pixels right of the surface, right-aligned: it reaches back into view.
  TextRecord t;
  t.X = 13.3333f + 250.0f / 30.0f;
  t.Y = 5;
  t.Text = "WWWWWWWWWWWWWWWWWWWW";
  t.Height = 1;  // 30 pixels
  t.WidthFactor = 1;
  t.HorzAlign = 2;
  t.Layer = Layer("0");
  t.Color = kRed;
  db().AddText(t, Growth::Loader);
  // Left-aligned at the left edge, turned by 180 degrees: it runs off to the left.
  t.X = -1;
  t.Y = 8;
  t.HorzAlign = 0;
  t.Rotation = 180;
  t.Color = 0x00FF00;
  db().AddText(t, Growth::Loader);
  // Turned by 90 degrees below the surface: it rises into view.
  t.X = 6;
  t.Y = -300.0f / 30.0f + 0.5f;
  t.Rotation = 90;
  t.Color = 0xFF0000;
  db().AddText(t, Growth::Loader);
  ASSERT_TRUE(Draw(0, 10, 10, 0));
  winplat::Picture p = Shot();
  EXPECT_GT(Count(p, kRed), 50);
  EXPECT_EQ(Count(p, 0x00FF00), 0);
  EXPECT_GT(Count(p, 0xFF0000), 50);
}
