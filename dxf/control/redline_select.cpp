// Picking redline entities on the picture: the hit test by the colour under
// the click, the selection grips, the insert under a point and tagging
// entities of the index as deleted.
#include <algorithm>
#include <cmath>
#include <limits>

#include "dxf_control.h"
#include "error_trail.h"
#include "render_geometry.h"
#include "winplat/gdi.h"
#include "winplat/numeric.h"
#include "winplat/window.h"

namespace kelvane {

using winplat::Args;
using winplat::Variant;

namespace {

void SetArg(Args& a, std::size_t i, const Variant& v) {
  try {
    a.Set(i, v);
  } catch (...) {
    // A by-value argument keeps the write local.
  }
}

std::int32_t SaturatedSum(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{a} + b, INT32_MIN, INT32_MAX));
}

// A point inside the rectangle region spanned by two corners in any order
// (left and top edges inside, right and bottom outside).
bool InRegion(double l, double t, double r, double b, std::int32_t x, std::int32_t y) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  return x >= l && x < r && y >= t && y < b;
}

double SegmentDistance(double px, double py, double x1, double y1, double x2, double y2) {
  const double dx = x2 - x1, dy = y2 - y1;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - x1) * dx + (py - y1) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (x1 + t * dx), py - (y1 + t * dy));
}

// Distance from a point to a filled polygon (0 inside).
double PolygonDistance(double px, double py, const double (&x)[4], const double (&y)[4]) {
  bool inside = false;
  double best = std::numeric_limits<double>::infinity();
  for (int i = 0, j = 3; i < 4; j = i++) {
    if ((y[i] > py) != (y[j] > py) && px < (x[j] - x[i]) * (py - y[i]) / (y[j] - y[i]) + x[i]) inside = !inside;
    best = std::min(best, SegmentDistance(px, py, x[j], y[j], x[i], y[i]));
  }
  return inside ? 0.0 : best;
}

double BoxDistance(double px, double py, const std::array<std::int32_t, 4>& box) {
  const double l = std::min(box[0], box[2]), r = std::max(box[0], box[2]);
  const double t = std::min(box[1], box[3]), b = std::max(box[1], box[3]);
  const double dx = px < l ? l - px : (px > r ? px - r : 0.0);
  const double dy = py < t ? t - py : (py > b ? py - b : 0.0);
  return std::hypot(dx, dy);
}

}  // namespace

bool DXF::HandleMove(std::string& strError, const std::array<std::int32_t, 4>& box) {
  try {
    const std::int32_t h = winplat::CInt(static_cast<double>(picHandle[0].Width) / 2.0);
    const std::int32_t xs[4] = {box[0], box[2], box[0], box[2]};
    const std::int32_t ys[4] = {box[1], box[1], box[3], box[3]};
    for (std::size_t i = 0; i < picHandle.size(); ++i) {
      PictureBox& grip = picHandle[i];
      grip.Left = winplat::SubLng(xs[i], h);
      grip.Top = winplat::SubLng(ys[i], h);
      grip.Visible = true;
    }
    PlaceGrips();
    strError.clear();
    return true;
  } catch (...) {
    strError = "An error occured in HandleMove. The message is: " + CurrentErrorText();
    return false;
  }
}

// The grip windows follow their positions, which are relative to the control.
void DXF::PlaceGrips() {
  const std::int32_t left = PositionLeft(), top = PositionTop();
  for (PictureBox& grip : picHandle) {
    if (!grip.hWnd) continue;
    winplat::MoveWindow(grip.hWnd, SaturatedSum(left, grip.Left), SaturatedSum(top, grip.Top), grip.Width,
                        grip.Height, true);
    winplat::ShowWindow(grip.hWnd, grip.Visible ? winplat::SW_SHOW : winplat::SW_HIDE);
  }
}

bool DXF::RedlineEntityHit(std::string& strError, const std::array<std::int32_t, 4>& box, float X, float Y,
                           std::int32_t drawColor) {
  try {
    const winplat::RECT r = MakeTestRect(PixelBox{static_cast<double>(box[0]), static_cast<double>(box[1]),
                                                  static_cast<double>(box[2]), static_cast<double>(box[3])});
    const std::int32_t x = winplat::CLng(static_cast<double>(X)), y = winplat::CLng(static_cast<double>(Y));
    strError.clear();
    if (!InRegion(r.left, r.top, r.right, r.bottom, x, y) || !picKelvane.hDC) return false;
    // The click must be on the entity's own colour, not on the background.
    const winplat::COLORREF under = winplat::GetPixel(picKelvane.hDC, x, y);
    if (under == winplat::CLR_INVALID) return false;
    return (under & 0xFFFFFF) == (static_cast<winplat::COLORREF>(drawColor) & 0xFFFFFF);
  } catch (...) {
    strError = "An error ocurred in RedlineEntityHit. The message is: " + CurrentErrorText();
    return false;
  }
}

void DXF::ClearRedlineSelection() {
  RedlineEntitySelected = Variant();
  RedlineEntityType = dxfRedLineNone;
  SelectedGroupID = 0;
  PropertyChanged("RedlineEntitySelected");
  PropertyChanged("RedlineEntityType");
}

// The redline entity under the pixel (X, Y) becomes the selection. Among the
// entities whose box holds the point and whose colour is under it, the one
// whose geometry lies nearest the point wins (the first of equals).
void DXF::RedlineSelectAt(float X, float Y) {
  std::string err;
  HandleHide(err);
  const double px = winplat::CLng(static_cast<double>(X)), py = winplat::CLng(static_cast<double>(Y));
  struct Pick {
    std::int16_t type = dxfRedLineNone;
    std::int32_t row = 0;
    std::array<std::int32_t, 4> box{};
    double distance = std::numeric_limits<double>::infinity();
  } best;
  auto consider = [&](std::int16_t type, std::int32_t row, const std::array<std::int32_t, 4>& box,
                      std::int32_t layer, std::int32_t color, double distance) {
    HitBox = box;
    if (!RedlineEntityHit(err, box, X, Y, EntityDrawColor(layer, color, false))) return;
    if (distance < best.distance) best = Pick{type, row, box, distance};
  };
  // An entity whose pixel box is beyond the Long range is far off the picture
  // and cannot be under the click.
  auto guarded = [](const auto& test) {
    try {
      test();
    } catch (const winplat::AutomationError&) {
    } catch (const winplat::NumericError&) {
    }
  };

  for (std::int32_t i = 1; i <= db.LineCount; ++i) {
    const LineRecord& r = db.LineTable(i);
    if (!r.Redline || r.Deleted) continue;
    guarded([&] {
      const std::int32_t x1 = CvtX(r.X1), y1 = CvtY(r.Y1), x2 = CvtX(r.X2), y2 = CvtY(r.Y2);
      consider(dxfRedLineNewLine, i,
               {winplat::SubLng(x1, 1), winplat::AddLng(y1, 1), winplat::AddLng(x2, 1), winplat::SubLng(y2, 1)},
               r.Layer, r.Color,
               SegmentDistance(px, py, x1, y1, x2, y2));
    });
  }
  for (std::int32_t i = 1; i <= db.CircleCount; ++i) {
    const CircleRecord& r = db.CircleTable(i);
    if (!r.Redline || r.Deleted) continue;
    guarded([&] {
      const std::array<std::int32_t, 4> box{CvtX(r.X - r.Radius), CvtY(r.Y + r.Radius), CvtX(r.X + r.Radius),
                                            CvtY(r.Y - r.Radius)};
      const double cx = CvtX(r.X), cy = CvtY(r.Y), radius = (box[2] - box[0]) / 2.0;
      consider(dxfRedLineNewCircle, i, box, r.Layer, r.Color, std::fabs(std::hypot(px - cx, py - cy) - radius));
    });
  }
  for (std::int32_t i = 1; i <= db.SolidCount; ++i) {
    const SolidRecord& r = db.SolidTable(i);
    if (!r.Redline || r.Deleted) continue;
    guarded([&] {
      const double xs[4] = {static_cast<double>(CvtX(r.X1)), static_cast<double>(CvtX(r.X2)),
                            static_cast<double>(CvtX(r.X3)), static_cast<double>(CvtX(r.X4))};
      const double ys[4] = {static_cast<double>(CvtY(r.Y1)), static_cast<double>(CvtY(r.Y2)),
                            static_cast<double>(CvtY(r.Y3)), static_cast<double>(CvtY(r.Y4))};
      consider(dxfRedLineNewSolid, i, {CvtX(r.X1), CvtY(r.Y1), CvtX(r.X3), CvtY(r.Y3)}, r.Layer, r.Color,
               PolygonDistance(px, py, xs, ys));
    });
  }
  for (std::int32_t i = 1; i <= db.TextCount; ++i) {
    const TextRecord& r = db.TextTable(i);
    if (!r.Redline || r.Deleted) continue;
    std::int32_t w = 0, h = 0;
    if (!GetStringDimensions(err, i, w, h)) {
      ClearRedlineSelection();
      return;
    }
    guarded([&] {
      const std::int32_t x = CvtX(r.X), y = CvtY(r.Y);
      const std::array<std::int32_t, 4> box{x, y, winplat::AddLng(x, w), winplat::SubLng(y, h)};
      consider(dxfRedLineNewText, i, box, r.Layer, r.Color, BoxDistance(px, py, box));
    });
  }

  if (best.type == dxfRedLineNone) {
    ClearRedlineSelection();
    return;
  }
  HitBox = best.box;
  const winplat::RECT wide = MakeTestRect(PixelBox{static_cast<double>(HitBox[0]), static_cast<double>(HitBox[1]),
                                                   static_cast<double>(HitBox[2]), static_cast<double>(HitBox[3])});
  HandleMove(err, {wide.left, wide.bottom, wide.right, wide.top});
  RedlineEntitySelected = Variant(best.row);
  RedlineEntityType = best.type;
  SelectedGroupID = 0;
  if (best.type == dxfRedLineNewLine) {
    SelectedGroupID = db.LineTable(best.row).GroupID;
    if (SelectedGroupID != 0) {
      for (std::int32_t i = 1; i <= db.LineCount; ++i) {
        const LineRecord& r = db.LineTable(i);
        if (r.GroupID != SelectedGroupID) continue;
        // A group line too far off the picture to convert leaves the box as it is.
        guarded([&] {
          const std::int32_t x1 = CvtX(r.X1), y1 = CvtY(r.Y1), x2 = CvtX(r.X2), y2 = CvtY(r.Y2);
          HitBox[0] = std::min(HitBox[0], x1);
          HitBox[1] = std::max(HitBox[1], y1);
          HitBox[2] = std::max(HitBox[2], x2);
          HitBox[3] = std::min(HitBox[3], y2);
        });
      }
      HandleMove(err, HitBox);
    }
  }
  PropertyChanged("RedlineEntitySelected");
  PropertyChanged("RedlineEntityType");
}

bool DXF::GetInsertUnder(std::string& strError, std::int32_t X, std::int32_t Y, std::int32_t& InsertID,
                         std::string& BlockName) {
  try {
    for (std::int32_t i = 1; i <= db.InsertCount; ++i) {
      const InsertRecord& r = db.InsertTable(i);
      const std::array<std::int32_t, 4> box{CvtX(r.Left), CvtY(r.Top), CvtX(r.Right), CvtY(r.Bottom)};
      if (!InRegion(box[0], box[1], box[2], box[3], X, Y)) continue;
      InsertID = i;
      BlockName = r.BlockName.Trimmed();
      std::string err;
      HandleMove(err, box);
      break;
    }
    strError.clear();
    return true;
  } catch (...) {
    strError = "A error occurred in GetInsertUnder. The message is: " + CurrentErrorText();
    return false;
  }
}

bool DXF::RedlineTagForDelete(std::string& strError, std::int32_t EntityID) {
  try {
    const EntityRef entry = db.EntityIndex(EntityID);
    switch (entry.EntityType) {
      case etLine: {
        LineRecord& hit = db.LineTable(entry.Row);
        hit.Deleted = winplat::VARIANT_TRUE;
        if (hit.GroupID != 0)
          for (std::int32_t i = 1; i <= db.LineCount; ++i)
            if (db.LineTable(i).GroupID == hit.GroupID) db.LineTable(i).Deleted = winplat::VARIANT_TRUE;
        break;
      }
      case etText:
        db.TextTable(entry.Row).Deleted = winplat::VARIANT_TRUE;
        break;
      case etCircle:
        db.CircleTable(entry.Row).Deleted = winplat::VARIANT_TRUE;
        break;
      case etSolid:
        db.SolidTable(entry.Row).Deleted = winplat::VARIANT_TRUE;
        break;
      default:
        break;  // polyline segments and the rest cannot be deleted
    }
    strError.clear();
    return true;
  } catch (...) {
    strError = "An error occurred in RedlineTagForDelete. The message is " + CurrentErrorText();
    return false;
  }
}

void DXF::RegisterSelection() {
  AddMethod(dispid::GetInsertUnder, "GetInsertUnder", [this](Args& a) {
    std::string err;
    bool ok = false;
    try {
      std::int32_t id = a.Long(3);
      std::string name = a.String(4);
      ok = GetInsertUnder(err, a.Long(1), a.Long(2), id, name);
      if (ok) {
        SetArg(a, 3, Variant(id));
        SetArg(a, 4, Variant(name));
      }
    } catch (...) {
      err = "A error occurred in GetInsertUnder. The message is: " + CurrentErrorText();
      ok = false;
    }
    SetArg(a, 0, Variant(err));
    return Variant(ok);
  }, 5);
  AddMethod(dispid::RedlineTagForDelete, "RedlineTagForDelete", [this](Args& a) {
    std::string err;
    bool ok = false;
    try {
      ok = RedlineTagForDelete(err, a.Long(1));
    } catch (...) {
      err = "An error occurred in RedlineTagForDelete. The message is " + CurrentErrorText();
    }
    SetArg(a, 0, Variant(err));
    return Variant(ok);
  }, 2);
}

}  // namespace kelvane
