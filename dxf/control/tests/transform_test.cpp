// DXFTransform and SetMergeExtents: drawings read into the control moved,
// turned, scaled and mirrored, their records kept, the extents recomputed.
#include <cmath>

#include "../cls_drawing.h"
#include "../../reader/dxfengine.h"
#include "render_fixture.h"

using namespace kelvane;
using rendertest::RenderTest;
using winplat::Variant;

namespace {

bool Close(double a, double b) { return std::fabs(a - b) <= 1e-4 * std::max(1.0, std::fabs(b)); }

// Values named by their expression and what they should be: exactly, or Close.
struct Value {
  const char* what;
  float got, want;
};
#define V(got, want) Value{#got, got, want}
void Exactly(std::initializer_list<Value> values) {
  for (const Value& v : values) EXPECT_EQ(v.got, v.want) << v.what;
}
void Nearly(std::initializer_list<Value> values) {
  for (const Value& v : values) EXPECT_TRUE(Close(v.got, v.want)) << v.what << " is " << v.got << ", not " << v.want;
}

// A line (1,0)-(2,0), an arc about (2,1) from 0 to 90 radius 1, a text at
// (1,0) height 2, a point (1,0), a solid, a polyline segment with bulge 1.
const char* kDrawing =
    "0\nSECTION\n2\nENTITIES\n"
    "0\nLINE\n8\n0\n10\n1\n20\n0\n11\n2\n21\n0\n"
    "0\nARC\n8\n0\n10\n2\n20\n1\n40\n1\n50\n0\n51\n90\n"
    "0\nTEXT\n8\n0\n10\n1\n20\n0\n40\n2\n1\nABC\n50\n10\n"
    "0\nPOINT\n8\n0\n10\n1\n20\n0\n"
    "0\nSOLID\n8\n0\n10\n0\n20\n0\n11\n1\n21\n0\n12\n0\n22\n1\n13\n1\n23\n1\n"
    "0\nPOLYLINE\n8\n0\n66\n1\n0\nVERTEX\n8\n0\n10\n0\n20\n0\n42\n1\n0\nVERTEX\n8\n0\n10\n4\n20\n0\n0\nSEQEND\n"
    "0\nENDSEC\n0\nEOF\n";

class TransformTest : public RenderTest {
 protected:
  // Reads kDrawing as drawing 1 and adds an attribute and an ellipse to it.
  void Read() {
    dxf->SetFilename(Put("t.dxf", kDrawing));
    ASSERT_EQ(dxf->Regen(dxfMergeNew), -1);
    AttribRecord a;
    a.X = 1, a.Y = 0, a.Height = 1, a.Rotation = 5, a.Layer = 1;
    db().AddAttrib(a, Growth::Loader);
    EllipseRecord e;
    e.CenterX = 1, e.CenterY = 0, e.MajorX = 2, e.MajorY = 0, e.Ratio = 0.5f, e.StartParam = 0, e.EndParam = 1;
    db().AddEllipse(e, Growth::Loader);
    Record(1)->EndEntity = db().EntityCount;
  }
  winplat::ComPtr<clsDrawing> Record(std::int32_t id) {
    return winplat::QueryInterface<clsDrawing>(
        winplat::CallMethod(dxf->colDrawings.Get(), "Item", {Variant(id)}).ToObject().Get());
  }
};

TEST_F(TransformTest, MovesSumUpAndEveryKindMovesTurnsAndScales) {
  ASSERT_NO_FATAL_FAILURE(Read());
  EntityDB& d = db();
  EXPECT_TRUE(dxf->DXFTransform(1, 0, 0, 10, 5));
  auto r = Record(1);
  Exactly({V(r->aggxMov, 10), V(r->aggyMov, 5)});
  EXPECT_TRUE(dxf->DXFTransform(1, 0, 0, 10, 5));
  // Attributes and ellipses move with their drawing; the box moves with it, DrawingExtents waits for SetMergeExtents.
  Exactly({V(r->aggxMov, 20), V(r->aggyMov, 10), V(d.LineTable(1).X1, 21), V(d.CircleTable(1).Y, 11),
           V(d.TextTable(1).X, 21), V(d.PointTable(1).Y, 10), V(d.SolidTable(1).X3, 21), V(d.PolylineTable(1).X2, 24),
           V(d.AttribTable(1).X, 21), V(d.EllipseTable(1).CenterY, 10), V(d.EllipseTable(1).MajorX, 2),
           V(r->Left, 20), V(r->Bottom, 10), V(d.DrawingExtents.Left, 0)});
  dxf->SetMergeExtents();
  EXPECT_EQ(d.DrawingExtents.Left, 20.0f);

  // A quarter turn by dispatch, xRef and yRef left out (0), as a host calls it.
  ASSERT_NO_FATAL_FAILURE(Read());
  std::int32_t id = 1;
  EXPECT_TRUE(winplat::Invoke(dxf.Get(), dispid::DXFTransform, winplat::DISPATCH_METHOD,
                              {Variant::ByRef(&id), Variant::Missing(), Variant::Missing(), Variant(0.0f),
                               Variant(0.0f), Variant(90.0f)})
                  .ToBool());
  // The box after 90 degrees: its four corners turned, least and greatest taken.
  r = Record(1);
  Nearly({V(d.LineTable(1).X1, 0), V(d.LineTable(1).Y1, 1), V(d.AttribTable(1).X, 0), V(d.AttribTable(1).Y, 1),
          V(d.EllipseTable(1).MajorX, 0), V(d.EllipseTable(1).MajorY, 2), V(r->Left, -2), V(r->Right, 0),
          V(r->Bottom, 0), V(r->Top, 4)});
  Exactly({V(d.CircleTable(1).StartAngle, 90), V(d.CircleTable(1).EndAngle, 180), V(d.TextTable(1).Rotation, 100),
           V(d.AttribTable(1).Rotation, 95), V(d.EllipseTable(1).Ratio, 0.5f), V(r->aggRotation, 90)});

  // xScale 2, yScale 1: sizes by 2, coordinates stretched along X only.
  ASSERT_NO_FATAL_FAILURE(Read());
  EXPECT_TRUE(dxf->DXFTransform(1, 0, 0, 0, 0, 0, 2, 1));
  Exactly({V(d.CircleTable(1).Radius, 2), V(d.TextTable(1).Height, 4), V(d.AttribTable(1).Height, 2),
           V(d.LineTable(1).X2, 4), V(d.SolidTable(1).Y3, 1), V(Record(1)->aggxScale, 2)});
}

TEST_F(TransformTest, MirroredArcsLandOnTheMirroredGeometry) {
  const struct {
    float xScale, yScale, rotation;
  } cases[] = {{-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {-1, 1, 30}, {1, -2, 45}, {-2, -2, 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.xScale) + " " + std::to_string(c.yScale) + " " + std::to_string(c.rotation));
    ASSERT_NO_FATAL_FAILURE(Read());
    const CircleRecord before = db().CircleTable(1);
    const float bulge = db().PolylineTable(1).Bulge;
    ASSERT_TRUE(dxf->DXFTransform(1, 0.5f, -0.5f, 3, 4, c.rotation, c.xScale, c.yScale));
    const CircleRecord& after = db().CircleTable(1);
    // Points along the arc, transformed as points, lie on the new arc between its angles.
    for (double t = 0; t <= 1.0; t += 0.25) {
      const double a = (before.StartAngle + t * (before.EndAngle - before.StartAngle)) * 3.14159 / 180.0;
      float x = static_cast<float>(before.X + before.Radius * std::cos(a));
      float y = static_cast<float>(before.Y + before.Radius * std::sin(a));
      float tx = 0, ty = 0;
      TransformPoint(0.5f, -0.5f, x, y, 3, 4, c.rotation, c.xScale, c.yScale, tx, ty);
      double angle = std::atan2(ty - after.Y, tx - after.X) * 180.0 / 3.14159;
      double span = std::fmod(after.EndAngle - after.StartAngle + 720.0, 360.0);
      double from = std::fmod(angle - after.StartAngle + 720.0, 360.0);
      if (from > 359.99) from -= 360.0;
      EXPECT_LE(from, span + 0.01) << "t " << t;
      if (c.xScale == c.yScale || c.xScale == -c.yScale) {  // a circle stays a circle
        EXPECT_TRUE(Close(std::hypot(tx - after.X, ty - after.Y), after.Radius));
      }
    }
    const bool reverses = (c.xScale < 0) != (c.yScale < 0);
    EXPECT_EQ(db().PolylineTable(1).Bulge, reverses ? -bulge : bulge);
    EXPECT_EQ(db().EllipseTable(1).StartParam, reverses ? -1.0f : 0.0f);
    EXPECT_EQ(db().TextTable(1).Rotation, 10.0f + c.rotation);  // texts are not mirrored
  }
}

TEST_F(TransformTest, RefusedCallsChangeNothing) {
  ASSERT_NO_FATAL_FAILURE(Read());
  // An overflowing last row: nothing moves, the record stays.
  PointRecord far;
  far.X = 3E38f;
  db().AddPoint(far, Growth::Loader);
  Record(1)->EndEntity = db().EntityCount;
  const LineRecord line = db().LineTable(1);
  const struct {
    std::int32_t id;
    float xScale;
  } cases[] = {{1, 2}, {0, 1}, {2, 1}, {-1, 1}};
  for (const auto& c : cases) {
    EXPECT_FALSE(dxf->DXFTransform(c.id, 0, 0, 1, 1, 0, c.xScale, 1)) << c.id;
    EXPECT_EQ(db().LineTable(1).X1, line.X1);
    EXPECT_EQ(db().PointTable(db().PointRowCount).X, 3E38f);
    EXPECT_EQ(Record(1)->aggxMov, 0.0f);
    EXPECT_EQ(Record(1)->aggxScale, 1.0f);
  }
  // A record naming entries beyond the data base.
  Record(1)->EndEntity = db().EntityCount + 1;
  EXPECT_FALSE(dxf->DXFTransform(1, 0, 0, 1, 1));
  EXPECT_EQ(db().LineTable(1).X1, line.X1);
}

TEST_F(TransformTest, MergeExtentsOfTheWholeDataBase) {
  const ExtentsRect& e = db().DrawingExtents;
  dxf->SetMergeExtents();
  Exactly({V(e.Left, 1E30f), V(e.Top, -1E30f), V(e.Right, -1E30f), V(e.Bottom, 1E30f)});

  // A single arc from 0 to 180 about (0, 0), radius 1: its end points only.
  CircleRecord arc;
  arc.Radius = 1, arc.StartAngle = 0, arc.EndAngle = 180, arc.Layer = 1;
  db().AddCircle(arc, Growth::Loader);
  winplat::Invoke(dxf.Get(), dispid::SetMergeExtents, winplat::DISPATCH_METHOD);
  Nearly({V(e.Left, -1), V(e.Right, 1), V(e.Top, 0), V(e.Bottom, 0)});

  // Deleted rows and rows beyond their table do not count.
  LineRecord gone;
  gone.X1 = -50, gone.Deleted = -1, gone.Layer = 1;
  db().AddLine(gone, Growth::Loader);
  db().EntityIndex(db().EntityCount).Row = 99;
  LineRecord kept;
  kept.X2 = 7, kept.Y2 = 3, kept.Layer = 1;
  db().AddLine(kept, Growth::Loader);
  db().AddLine(gone, Growth::Loader);
  dxf->SetMergeExtents();
  Nearly({V(e.Left, -1)});
  Exactly({V(e.Right, 7), V(e.Top, 3)});
}

TEST_F(TransformTest, AnExportAfterATransformHoldsTheMovedGeometry) {
  ASSERT_NO_FATAL_FAILURE(Read());
  dxf->SetFilename(
      Put("second.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nB\n10\n0\n20\n0\n11\n0\n21\n3\n0\nENDSEC\n0\nEOF\n"));
  ASSERT_EQ(dxf->Regen(dxfMergeAdd, 0, 0), -1);
  ASSERT_TRUE(dxf->DXFTransform(2, 0, 0, 100, 0, 90));  // only the second drawing moves
  testsupport::WriteFile(testsupport::Root() / "C" / "out" / ".keep", "");
  dxf->ExportMergedDXF("C:\\out\\moved.dxf");
  auto back = winplat::MakeObject<DXF>();
  back->db.InitDB(true);
  ASSERT_TRUE(LoadDXF(*back, "C:\\out\\moved.dxf", nullptr, nullptr));
  ASSERT_EQ(back->db.LineCount, 2);
  EXPECT_EQ(back->db.LineTable(1).X1, 1.0f);  // drawing 1 stays
  const LineRecord& moved = back->db.LineTable(2);
  // The header holds the merged extents.
  Nearly({V(moved.X1, 100), V(moved.Y1, 0), V(moved.X2, 97), V(moved.Y2, 0), V(back->db.DrawingExtents.Right, 100)});
}

}  // namespace
