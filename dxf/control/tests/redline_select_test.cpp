// Redline selection, moving, deleting and restoring, driven as an operator
// does it: mouse messages reach picKelvane, the control raises its mouse
// events, and the test host forwards them to ZoomInitiate, ZoomFeedback and
// ZoomEnd. The persistent picture and the screen are looked at separately.
#include "render_fixture.h"

using winplat::Variant;

namespace {

class RedlineSelectTest : public rendertest::RenderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Place(400, 300));
    Line(0, 0, 100, 100);  // an ordinary red line of the drawing
    Extents(0, 100, 100, 0);
    ASSERT_TRUE(dxf->ZoomExtents());
    winplat::ShowWindow(form, winplat::SW_SHOW);
    host = winplat::MakeObject<rendertest::MouseHost>(dxf.Get());
    ASSERT_NE(site->ConnectEvents(host.Get()), 0u);
    dxf->RedlineCurrentLayer = "RL";
  }
  void Click(int x, int y) {
    Send(winplat::WM_LBUTTONDOWN, x, y);
    Send(winplat::WM_LBUTTONUP, x, y, 0);
  }
  void Redraw() {
    std::string err;
    ASSERT_TRUE(dxf->Refresh(err)) << err;
  }
  // The pixel of colour c nearest to (x, y) in the persistent picture.
  std::pair<int, int> Find(int x, int y, winplat::COLORREF c, int r = 6) {
    const auto p = Shot();
    std::pair<int, int> best{-1, -1};
    int bestD = 1 << 30;
    for (int yy = y - r; yy <= y + r; ++yy)
      for (int xx = x - r; xx <= x + r; ++xx) {
        if (xx < 0 || yy < 0 || xx >= p.width || yy >= p.height || (p.At(xx, yy) & 0xFFFFFF) != c) continue;
        const int d = (xx - x) * (xx - x) + (yy - y) * (yy - y);
        if (d < bestD) bestD = d, best = {xx, yy};
      }
    EXPECT_GE(best.first, 0) << "no pixel of colour " << c << " near " << x << "," << y;
    return best;
  }
  void ClickOn(float x, float y, winplat::COLORREF c) {
    auto [px, py] = Find(dxf->CvtX(x), dxf->CvtY(y), c);
    Click(px, py);
  }
  bool GripsShown() const {
    for (const auto& g : dxf->picHandle)
      if (!g.Visible || !winplat::IsWindowVisible(g.hWnd)) return false;
    return true;
  }
  static constexpr winplat::COLORREF kBlack = 0;
  winplat::ComPtr<rendertest::MouseHost> host;
};

TEST_F(RedlineSelectTest, SelectNeedsTheEntitysColourUnderTheClick) {
  const auto n = dxf->DXFAddLine(20, 40, 80, 40, "RL");
  EXPECT_EQ(n, db().EntityCount);
  ASSERT_NO_FATAL_FAILURE(Redraw());
  dxf->SetZoomFunction(kelvane::dxfRedLineSelect);
  ClickOn(50, 40, kBlack);
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNewLine);
  EXPECT_EQ(dxf->RedlineEntitySelected.ToLong(), db().LineCount);
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
  // The grips sit centred on the corners of the widened box.
  ASSERT_TRUE(GripsShown());
  // The line is stored end first, so its box runs from x(80) - 1 to x(20) + 1.
  EXPECT_EQ(dxf->HitBox[0], dxf->CvtX(80) - 1);
  EXPECT_EQ(dxf->HitBox[2], dxf->CvtX(20) + 1);
  const int left = dxf->CvtX(20) + 1 - 100;
  const int right = dxf->CvtX(80) - 1 + 100;
  EXPECT_EQ(dxf->picHandle[0].Left + 2, left);
  EXPECT_EQ(dxf->picHandle[1].Left + 2, right);
  EXPECT_EQ(dxf->picHandle[0].Top, dxf->picHandle[1].Top);
  const auto grip = winplat::CaptureWindow(dxf->picHandle[0].hWnd);
  EXPECT_EQ(grip.width, dxf->picHandle[0].Width);
  EXPECT_EQ(Count(grip, kBlack), static_cast<int>(grip.pixels.size()));
  EXPECT_GT(dxf->picHandle[2].Top, dxf->picHandle[0].Top - 300);

  // Background a few pixels beside the line, well inside its box: nothing.
  Click(dxf->CvtX(50), dxf->CvtY(40) - 4);
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNone);
  EXPECT_TRUE(dxf->RedlineEntitySelected.IsEmpty());
  EXPECT_FALSE(dxf->picHandle[0].Visible);
  // The drawing's own red line is not a redline entity.
  ClickOn(10, 10, 0x0000FF);
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNone);
}

TEST_F(RedlineSelectTest, SelectComparesWithTheColourActuallyDrawn) {
  dxf->DXFAddLine(20, 40, 80, 40, "RL");
  dxf->Layers().Item(Variant(Layer("RL")))->LayerColor = 0x00FF00;
  dxf->DisplayAllBlack = winplat::VARIANT_TRUE;
  ASSERT_NO_FATAL_FAILURE(Redraw());
  dxf->SetZoomFunction(kelvane::dxfRedLineSelect);
  ClickOn(50, 40, kBlack);  // green layer, drawn black
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNewLine);

  // A white layer on the white background is drawn black.
  dxf->DisplayAllBlack = 0;
  dxf->Layers().Item(Variant(Layer("RL")))->LayerColor = 0xFFFFFF;
  ASSERT_NO_FATAL_FAILURE(Redraw());
  Click(0, 0);
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNone);
  ClickOn(50, 40, kBlack);
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNewLine);
}

TEST_F(RedlineSelectTest, NearestEntityWinsAmongOverlappingBoxes) {
  dxf->DXFAddLine(20, 40, 80, 40, "RL");
  const auto first = db().LineCount;
  dxf->DXFAddLine(20, 46, 80, 46, "RL");
  ASSERT_NO_FATAL_FAILURE(Redraw());
  dxf->SetZoomFunction(kelvane::dxfRedLineSelect);
  ClickOn(50, 46, kBlack);
  EXPECT_EQ(dxf->RedlineEntitySelected.ToLong(), first + 1);
  ClickOn(50, 40, kBlack);
  EXPECT_EQ(dxf->RedlineEntitySelected.ToLong(), first);
}

TEST_F(RedlineSelectTest, EntitiesFarOffThePictureDoNotStopTheSelection) {
  dxf->DXFAddLine(1e12f, 0, 2e12f, 0, "RL");
  dxf->DXFAddLine(20, 40, 80, 40, "RL");
  ASSERT_TRUE(Draw(0, 100, 100, 0));  // the drawing, not the widened extents
  dxf->SetZoomFunction(kelvane::dxfRedLineSelect);
  ClickOn(50, 40, kBlack);
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNewLine);
  EXPECT_EQ(dxf->RedlineEntitySelected.ToLong(), db().LineCount);

  // A grouped line far off the picture leaves the group's box as the near
  // lines make it, and the selection is announced.
  dxf->DXFAddLine(20, 60, 80, 60, "RL", 9);
  const auto grouped = db().LineCount;
  dxf->DXFAddLine(1e12f, 5, 2e12f, 5, "RL", 9);
  ASSERT_TRUE(Draw(0, 100, 100, 0));
  site->ClearChanged();
  ClickOn(50, 60, kBlack);
  EXPECT_EQ(site->ChangedProperties(), (std::vector<std::string>{"RedlineEntitySelected", "RedlineEntityType"}));
  EXPECT_EQ(dxf->RedlineEntitySelected.ToLong(), grouped);
  EXPECT_EQ(dxf->SelectedGroupID, 9);
  EXPECT_LE(std::min(dxf->HitBox[0], dxf->HitBox[2]), dxf->CvtX(20) + 1);
  EXPECT_GE(std::max(dxf->HitBox[0], dxf->HitBox[2]), dxf->CvtX(80) - 1);
}

TEST_F(RedlineSelectTest, CirclesSolidsAndTextsAreSelectable) {
  dxf->DXFAddCircle(25, 75, 25, 83, "RL");
  dxf->DXFAddSolid(80, 30, 60, 30, 60, 10, 80, 10, "RL");
  winplat::CallMethod(dxf.Get(), "DXFAddText",
                      {Variant(55.0f), Variant(70.0f), Variant("MARK"), Variant("RL"),
                       Variant(std::int32_t{kelvane::dxfRealWorld}), Variant(8.0f)});
  ASSERT_NO_FATAL_FAILURE(Redraw());
  dxf->SetZoomFunction(kelvane::dxfRedLineSelect);
  ClickOn(25, 83, kBlack);
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNewCircle);
  EXPECT_EQ(dxf->RedlineEntitySelected.ToLong(), db().CircleCount);
  Click(dxf->CvtX(70), dxf->CvtY(20));
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNewSolid);
  std::string err;
  std::int32_t w = 0, h = 0;
  ASSERT_TRUE(dxf->GetStringDimensions(err, db().TextCount, w, h)) << err;
  const int x0 = dxf->CvtX(55), y0 = dxf->CvtY(70);
  auto [px, py] = Find(x0 + w / 2, y0 - h / 2, kBlack, std::max(w, h) / 2);
  Click(px, py);
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNewText);
  EXPECT_EQ(dxf->RedlineEntitySelected.ToLong(), db().TextCount);
}

TEST_F(RedlineSelectTest, RectangleDrawnSelectedMovedDeletedAndRestored) {
  // Drawing the rectangle: the band reaches the screen only.
  dxf->SetZoomFunction(kelvane::dxfRedLineRectangle);
  const auto lines = db().LineCount;
  const int sx = dxf->CvtX(30), sy = dxf->CvtY(70), ex = dxf->CvtX(60), ey = dxf->CvtY(50);
  const auto persistent = Shot();
  Send(winplat::WM_LBUTTONDOWN, sx, sy);
  Send(winplat::WM_MOUSEMOVE, ex, ey);
  EXPECT_FALSE(dxf->picKelvane.AutoRedraw);
  EXPECT_NE(winplat::CaptureWindow(dxf->picKelvane.hWnd).pixels, persistent.pixels);
  const auto kept = Shot();  // the persistent picture, when kept while off, is untouched
  EXPECT_TRUE(kept.pixels.empty() || kept.pixels == persistent.pixels);
  Send(winplat::WM_LBUTTONUP, ex, ey, 0);
  ASSERT_EQ(db().LineCount, lines + 4);
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
  EXPECT_EQ(winplat::CaptureWindow(dxf->picKelvane.hWnd).pixels, Shot().pixels);

  // Selecting one side selects the rectangle: the box covers all four.
  dxf->SetZoomFunction(kelvane::dxfRedLineSelect);
  ClickOn(45, 70, kBlack);
  ASSERT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNewLine);
  EXPECT_NE(dxf->SelectedGroupID, 0);
  EXPECT_EQ(dxf->SelectedGroupID, db().LineTable(lines + 1).GroupID);
  const auto box = dxf->HitBox;
  EXPECT_LE(std::min(box[0], box[2]), sx);
  EXPECT_GE(std::max(box[0], box[2]), ex);
  EXPECT_LE(std::min(box[1], box[3]), sy);
  EXPECT_GE(std::max(box[1], box[3]), ey);

  // Moving: the move band goes into the persistent picture.
  dxf->SetZoomFunction(kelvane::dxfRedlineMove);
  const float x0 = db().LineTable(lines + 3).X1, y0 = db().LineTable(lines + 3).Y1;
  const auto before = Shot();
  Send(winplat::WM_LBUTTONDOWN, 100, 100);
  Send(winplat::WM_MOUSEMOVE, 112, 92);
  EXPECT_TRUE(dxf->picKelvane.AutoRedraw);
  EXPECT_NE(Shot().pixels, before.pixels);
  EXPECT_EQ(winplat::CaptureWindow(dxf->picKelvane.hWnd).pixels, Shot().pixels);  // and on the screen
  Send(winplat::WM_LBUTTONUP, 112, 92, 0);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(db().LineTable(lines + i).Deleted, 0);
  EXPECT_NEAR(db().LineTable(lines + 3).X1, x0 + 12 / dxf->gsScaler, 1e-3);
  EXPECT_NEAR(db().LineTable(lines + 3).Y1, y0 + 8 / dxf->gsScaler, 1e-3);
  EXPECT_EQ(db().LineTable(1).X1, 0.0f);
  EXPECT_EQ(dxf->HitBox[0], box[0] + 12);
  EXPECT_EQ(dxf->HitBox[1], box[1] - 8);
  EXPECT_EQ(winplat::CaptureWindow(dxf->picKelvane.hWnd).pixels, Shot().pixels);

  // A circle deleted by its index entry, then the rectangle by selection.
  const auto circle = dxf->DXFAddCircle(80, 80, 85, 80, "RL");
  std::string err;
  EXPECT_TRUE(dxf->RedlineTagForDelete(err, circle)) << err;
  EXPECT_TRUE(winplat::CallMethod(dxf.Get(), "RedlineDeleteEntity", {Variant::ByRef(&err)}).ToBool()) << err;
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(db().LineTable(lines + i).Deleted, -1);
  EXPECT_EQ(db().LineTable(1).Deleted, 0);
  EXPECT_EQ(dxf->RedlineEntityType, kelvane::dxfRedLineNone);
  EXPECT_FALSE(dxf->picHandle[0].Visible);

  // A move without a selection does nothing.
  const auto moved = db().LineTable(lines + 3).X1;
  const auto still = Shot();
  Send(winplat::WM_LBUTTONDOWN, 100, 100);
  Send(winplat::WM_MOUSEMOVE, 150, 150);
  EXPECT_FALSE(dxf->Band.Active);
  EXPECT_EQ(Shot().pixels, still.pixels);
  Send(winplat::WM_LBUTTONUP, 150, 150, 0);
  EXPECT_EQ(db().LineTable(lines + 3).X1, moved);

  // Undelete brings back every deleted row.
  EXPECT_TRUE(winplat::CallMethod(dxf.Get(), "redlineundeleteentity", {Variant::ByRef(&err)}).ToBool()) << err;
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(db().LineTable(lines + i).Deleted, 0);
  EXPECT_EQ(db().CircleTable(db().CircleCount).Deleted, 0);
}

TEST_F(RedlineSelectTest, TagForDeleteByIndexEntry) {
  kelvane::PolylineSegmentRecord seg;
  seg.X2 = 5;
  seg.Layer = Layer("0");
  db().AddPolylineSegment(seg, kelvane::Growth::Loader);
  const auto segment = db().EntityCount;
  std::string err = "old";
  EXPECT_TRUE(winplat::CallMethod(dxf.Get(), "RedlineTagForDelete", {Variant::ByRef(&err), Variant(segment)}).ToBool());
  EXPECT_EQ(err, "");
  EXPECT_EQ(db().PolylineTable(db().PolylineCount).X2, 5.0f);
  // A line of the drawing that belongs to a group takes the group with it.
  db().LineTable(1).GroupID = 7;
  dxf->DXFAddLine(0, 0, 1, 1, "RL", 7);
  EXPECT_TRUE(dxf->RedlineTagForDelete(err, 1));
  EXPECT_EQ(db().LineTable(db().LineCount).Deleted, -1);
  EXPECT_FALSE(dxf->RedlineTagForDelete(err, 10000000));
  EXPECT_EQ(err, "An error occurred in RedlineTagForDelete. The message is Subscript out of range");
}

TEST_F(RedlineSelectTest, InsertUnderAPoint) {
  kelvane::InsertRecord ins;
  ins.BlockName = "BOLT";
  ins.Left = 10, ins.Top = 90, ins.Right = 40, ins.Bottom = 60;
  db().AddInsert(ins);
  std::string err = "old", name = "none";
  std::int32_t id = -3;
  auto call = [&](int x, int y) {
    return winplat::CallMethod(dxf.Get(), "getinsertunder",
                               {Variant::ByRef(&err), Variant(x), Variant(y), Variant::ByRef(&id), Variant::ByRef(&name)})
        .ToBool();
  };
  EXPECT_TRUE(call(dxf->CvtX(80), dxf->CvtY(20)));
  EXPECT_EQ(err, "");
  EXPECT_EQ(id, -3);
  EXPECT_EQ(name, "none");
  EXPECT_FALSE(dxf->picHandle[0].Visible);
  EXPECT_TRUE(call(dxf->CvtX(20), dxf->CvtY(70)));
  EXPECT_EQ(id, db().InsertCount);
  EXPECT_EQ(name, "BOLT");
  EXPECT_TRUE(GripsShown());
  EXPECT_EQ(dxf->picHandle[3].Left + 2, dxf->CvtX(40));
  EXPECT_EQ(dxf->picHandle[3].Top + 2, dxf->CvtY(60));
}

TEST_F(RedlineSelectTest, AddedTextTakesPixelPositionsAndDefaults) {
  dxf->RedlineTextHeight = 3.5f;
  const std::string longText(120, 'A');
  const auto n = winplat::CallMethod(dxf.Get(), "dxfaddtext",
                                     {Variant(100.0f), Variant(150.0f), Variant(longText), Variant("NOTES"),
                                      Variant(std::int32_t{kelvane::dxfPixel})});
  EXPECT_EQ(n.ToLong(), db().EntityCount);
  const auto& t = db().TextTable(db().TextCount);
  EXPECT_NEAR(t.X, dxf->IntToRealX(Variant(100.0f)), 1e-4);
  EXPECT_NEAR(t.Y, dxf->IntToRealY(Variant(150.0f)), 1e-4);
  EXPECT_EQ(t.Height, 3.5f);
  EXPECT_EQ(t.Text.Trimmed(), std::string(100, 'A'));
  EXPECT_EQ(t.FontName.Trimmed(), "Arial");
  EXPECT_EQ(t.WidthFactor, 1.0f);
  EXPECT_EQ(t.Redline, -1);
  EXPECT_EQ(db().Layers().Item(Variant(t.Layer))->LayerName, "NOTES");

  dxf->DXFAddText(500, -20, "FAR", "NOTES", kelvane::dxfRealWorld, Variant(2.0f), Variant(2), Variant(30.0f));
  const auto& far = db().TextTable(db().TextCount);
  EXPECT_EQ(far.X, 500.0f);
  EXPECT_EQ(far.HorzAlign, 2);
  EXPECT_EQ(far.Rotation, 30.0f);
  EXPECT_EQ(db().DrawingExtents.Right, 500.0f);
  EXPECT_EQ(db().DrawingExtents.Bottom, -20.0f);

  // A height that is no number is refused with the trail; nothing is added.
  const auto count = db().TextCount;
  try {
    winplat::CallMethod(dxf.Get(), "DXFAddText",
                        {Variant(1.0f), Variant(1.0f), Variant("X"), Variant("NOTES"), Variant(std::int32_t{1}),
                         Variant("tall")});
    FAIL();
  } catch (const winplat::AutomationError& e) {
    EXPECT_NE(e.Description().find(" ->  DXFAddText."), std::string::npos) << e.Description();
  }
  EXPECT_EQ(db().TextCount, count);
}

}  // namespace
