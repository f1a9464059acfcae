// Zoom, pan and the mouse-driven functions: the host forwards its mouse
// events to ZoomInitiate, ZoomFeedback and ZoomEnd; rubber bands are drawn
// inverted so drawing the same band twice restores the picture.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "../reader/dxf_reader.h"
#include "dxf_control.h"
#include "winplat/gdi.h"
#include "winplat/msgbox.h"
#include "winplat/numeric.h"
#include "winplat/screen.h"
#include "winplat/surface.h"

namespace kelvane {

using winplat::Args;
using winplat::Variant;

namespace {
bool NonDegenerate(const ViewRect& v) { return (v.Left - v.Right) != 0.0f && (v.Bottom - v.Top) != 0.0f; }
}  // namespace

// Switches picKelvane between its persistent bitmap and the screen without
// clearing what either shows.
void DXF::SetPictureAutoRedraw(bool on) {
  if (picKelvane.AutoRedraw == on) return;
  picKelvane.AutoRedraw = on;
  if (picKelvane.hWnd) winplat::SetWindowPersistentBitmap(picKelvane.hWnd, on);
  RefreshPictureDC();
}

std::int16_t DXF::StationaryZoom(float X, float Y, std::int16_t Pct) {
  return WithErrorTrail("StationaryZoom", [&]() -> std::int16_t {
    if (Pct <= 0) throw ProcedureError("StationaryZoom", "The zoom percentage must be greater than 0.");
    if (gsScaler == 0) return 0;  // nothing drawn yet: no view to scale
    const ViewRect cur = CurrentView;
    const float px = X / gsScaler + cur.Left;
    const float py = cur.Bottom - (Y - static_cast<float>(ViewHeight)) / gsScaler;
    const float factor = 100.0f / static_cast<float>(Pct);
    const float w = cur.Right - cur.Left, h = cur.Top - cur.Bottom;
    const float newW = factor * w, newH = factor * h;
    const float fx = w != 0 ? (px - cur.Left) / w : 0.5f;
    const float fy = h != 0 ? (py - cur.Bottom) / h : 0.5f;
    ViewRect view{px - fx * newW, py + (1 - fy) * newH, px + (1 - fx) * newW, py - fy * newH};
    ClearPicture();
    AddToPrevZoomStack(view);
    std::int16_t result = 0;
    if (NonDegenerate(view)) {
      result = Zoom(view, picKelvane, 0, false) ? winplat::VARIANT_TRUE : 0;
      LastRedrawResult = result;
      RefreshPicture();
    }
    CurrentView = view;
    winplat::SetMousePointer(winplat::vbDefault);
    return result;
  }, DrawingCleanup());
}

std::int16_t DXF::OnTheSpotZoom(float X, float Y, std::int16_t Button) {
  return WithErrorTrail("OnTheSpotZoom", [&] {
    RefuseWhileReading(*this, "OnTheSpotZoom");
    const float pct = Button == 2 ? OnTheSpotZoomPctRight : OnTheSpotZoomPctLeft;
    return StationaryZoom(X, Y, winplat::CInt(static_cast<double>(pct)));
  }, DrawingCleanup());
}

std::int16_t DXF::ZoomPrevious() {
  return WithErrorTrail("ZoomPrevious", [&]() -> std::int16_t {
    RefuseWhileReading(*this, "ZoomPrevious");
    ZoomHistory[0] = ZoomHistory[1];
    ZoomHistory[1] = ZoomHistory[2];
    ZoomHistory[2] = ZoomHistory[3];
    const ExtentsRect& e = db.DrawingExtents;
    ZoomHistory[3] = ViewRect{e.Left, e.Top, e.Right, e.Bottom};
    ClearPicture();
    std::int16_t result = Zoom(ZoomHistory[0], picKelvane, 0, false) ? winplat::VARIANT_TRUE : 0;
    LastRedrawResult = result;
    RefreshPicture();
    return result;
  }, DrawingCleanup());
}

void DXF::DrawBand(bool circle, std::int32_t sx, std::int32_t sy, std::int32_t ex, std::int32_t ey) {
  try {
    winplat::HDC dc = picKelvane.hDC;
    if (!dc) return;
    const int old = winplat::SetROP2(dc, winplat::R2_NOT);
    auto oldBrush = winplat::SelectObject(dc, winplat::GetStockObject(winplat::NULL_BRUSH));
    if (circle) {
      const std::int16_t dx = winplat::CInt(static_cast<double>(static_cast<std::int32_t>(ex - sx)));
      const std::int16_t dy = winplat::CInt(static_cast<double>(static_cast<std::int32_t>(ey - sy)));
      const std::int32_t r = winplat::CInt(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
      winplat::Ellipse(dc, sx - r, sy - r, sx + r, sy + r);
    } else {
      switch (ZoomFunction) {
        case dxfWindow:
        case dxfRedLineRectangle:
        case dxfDrawBox:
        case dxfRedlineSolid:
        case dxfRedlineMove:
          winplat::Rectangle(dc, std::min(sx, ex), std::min(sy, ey), std::max(sx, ex) + 1, std::max(sy, ey) + 1);
          break;
        case dxfPan:
        case dxfRedLineLine:
          winplat::MoveToEx(dc, sx, sy, nullptr);
          winplat::LineTo(dc, ex, ey);
          break;
        default:
          break;
      }
    }
    winplat::SelectObject(dc, oldBrush);
    winplat::SetROP2(dc, old);
  } catch (...) {
    // A band that cannot be drawn (a drag too long for the circle) is left out.
    winplat::SetMousePointer(winplat::vbDefault);
  }
}

std::int16_t DXF::ZoomInitiate(float X, float Y) {
  return WithErrorTrail("ZoomInitiate", [&]() -> std::int16_t {
    RefuseWhileReading(*this, "ZoomInitiate");
    if (ZoomFunction == dxfRedLineSelect) {
      RedlineSelectAt(X, Y);
      return 0;
    }
    if (ZoomFunction == dxfRedlineMove) {
      // Without a selection there is nothing to move.
      if (!HasMovableSelection()) return 0;
      Band.Active = true;
      BandDrawn = false;
      SelectionBox = HitBox;
      MoveBox = HitBox;
      MoveStartX = X;
      MoveStartY = Y;
      MoveDX = MoveDY = 0;
      return 0;
    }
    SetPictureAutoRedraw(false);
    Band.StartX = Band.EndX = winplat::CInt(static_cast<double>(X));
    Band.StartY = Band.EndY = winplat::CInt(static_cast<double>(Y));
    Band.Active = true;
    BandDrawn = false;
    return winplat::VARIANT_TRUE;
  }, DrawingCleanup());
}

Variant DXF::ZoomFeedback(float X, float Y) {
  return WithErrorTrail("ZoomFeedback", [&] {
    if (!Band.Active) return Variant();
    switch (ZoomFunction) {
      case dxfWindow:
      case dxfPan:
      case dxfRedLineLine:
      case dxfRedLineRectangle:
      case dxfDrawBox:
      case dxfRedlineSolid:
      case dxfRedLineCircle: {
        const bool circle = ZoomFunction == dxfRedLineCircle;
        // The first feedback has no band on the picture to erase.
        if (BandDrawn) DrawBand(circle, Band.StartX, Band.StartY, Band.EndX, Band.EndY);
        const std::int16_t x = winplat::CInt(static_cast<double>(X));
        const std::int16_t y = winplat::CInt(static_cast<double>(Y));
        DrawBand(circle, Band.StartX, Band.StartY, x, y);
        BandDrawn = true;
        Band.EndX = x;
        Band.EndY = y;
        break;
      }
      case dxfRedlineMove: {
        MoveDX = X - MoveStartX;
        MoveDY = Y - MoveStartY;
        if (BandDrawn) DrawBand(false, MoveBox[0], MoveBox[1], MoveBox[2], MoveBox[3]);
        std::array<std::int32_t, 4> box{};
        box[0] = winplat::CInt(static_cast<double>(static_cast<float>(SelectionBox[0]) + MoveDX));
        box[1] = winplat::CInt(static_cast<double>(static_cast<float>(SelectionBox[1]) + MoveDY));
        box[2] = winplat::CInt(static_cast<double>(static_cast<float>(SelectionBox[2]) + MoveDX));
        box[3] = winplat::CInt(static_cast<double>(static_cast<float>(SelectionBox[3]) + MoveDY));
        DrawBand(false, box[0], box[1], box[2], box[3]);
        BandDrawn = true;
        MoveBox = box;
        // The band is in the persistent picture; the screen shows it at once.
        RefreshPicture();
        break;
      }
      default:
        break;
    }
    return Variant();
  }, DrawingCleanup());
}

// Redraws the current view after an edit, from the persistent picture.
void DXF::RedrawAfterEdit(bool clear) {
  SetPictureAutoRedraw(true);
  if (clear) ClearPicture();
  Zoom(CurrentView, picKelvane, 0, false);
  RefreshPicture();
}

std::int16_t DXF::ZoomEnd() {
  try {
    RefuseWhileReading(*this, "ZoomEnd");
    return ZoomEndBody();
  } catch (...) {
    winplat::AutomationError e = TrailError("ZoomEnd");
    ResetAfterError(true);
    e.SetSource("ZoomEnd");
    throw e;
  }
}

std::int16_t DXF::ZoomEndBody() {
  const std::int16_t fn = ZoomFunction;
  // The interaction ends whatever the function: the band stops following the
  // mouse, and the persistent picture is back on for all but the drawn box.
  const bool wasActive = Band.Active;
  Band.Active = false;
  BandDrawn = false;
  if (fn != dxfDrawBox && fn != dxfRedLineSelect && fn != dxfRedlineMove) SetPictureAutoRedraw(true);
  if (fn > 11) return winplat::VARIANT_TRUE;
  switch (fn) {
    case dxfWindow: {
      const std::int32_t xa = std::min(Band.StartX, Band.EndX), xb = std::max(Band.StartX, Band.EndX);
      const std::int32_t ya = std::min(Band.StartY, Band.EndY), yb = std::max(Band.StartY, Band.EndY);
      if (xb - xa >= 3 || yb - ya >= 3) {
        if (gsScaler == 0) return 0;
        int w = 0, h = ViewHeight;
        if (picKelvane.hWnd) winplat::GetWindowSurfaceSize(picKelvane.hWnd, &w, &h);
        const float ph = static_cast<float>(h);
        ViewRect view{static_cast<float>(xa) / gsScaler + CurrentView.Left,
                      (ph - static_cast<float>(ya)) / gsScaler + CurrentView.Bottom,
                      static_cast<float>(xb) / gsScaler + CurrentView.Left,
                      (ph - static_cast<float>(yb)) / gsScaler + CurrentView.Bottom};
        ClearPicture();
        if (NonDegenerate(view)) {
          Zoom(view, picKelvane, 0, false);
          RefreshPicture();
        }
        CurrentView = view;
        AddToPrevZoomStack(view);
        return winplat::VARIANT_TRUE;
      }
      winplat::MessageBox(0, "Rectangle selected is too small - please select a larger window", "Zoom area", 48);
      return 0;
    }
    case dxfPan: {
      const std::int16_t dx = winplat::CInt(static_cast<double>(static_cast<std::int32_t>(Band.StartX) - Band.EndX));
      const std::int16_t dy = winplat::CInt(static_cast<double>(static_cast<std::int32_t>(Band.EndY) - Band.StartY));
      if (gsScaler == 0) return 0;
      const float mx = static_cast<float>(dx) / gsScaler, my = static_cast<float>(dy) / gsScaler;
      ViewRect view{CurrentView.Left + mx, CurrentView.Top + my, CurrentView.Right + mx, CurrentView.Bottom + my};
      ClearPicture();
      if (NonDegenerate(view)) {
        Zoom(view, picKelvane, 0, false);
        RefreshPicture();
      }
      CurrentView = view;
      AddToPrevZoomStack(view);
      return winplat::VARIANT_TRUE;
    }
    case dxfRedLineLine:
    case dxfRedLineCircle:
    case dxfRedLineRectangle:
    case dxfRedlineSolid:
      RedlineAddFromBand(fn);
      RedrawAfterEdit(false);
      return winplat::VARIANT_TRUE;
    case dxfRedlineMove:
      if (!wasActive) return winplat::VARIANT_TRUE;
      RedlineMoveSelection();
      RedrawAfterEdit(true);
      return winplat::VARIANT_TRUE;
    default:
      return winplat::VARIANT_TRUE;
  }
}

// The selected redline line (with the lines of its group) or solid moved by
// the drag's offset; circles and texts stay where they are.
bool DXF::HasMovableSelection() const {
  return RedlineEntitySelected.IsNumeric() && RedlineEntityType >= dxfRedLineNewLine &&
         RedlineEntityType <= dxfRedLineNewSolid;
}

void DXF::RedlineMoveSelection() {
  if (gsScaler == 0 || !HasMovableSelection()) return;
  const std::int32_t selected = RedlineEntitySelected.ToLong();
  const float dX = MoveDX / gsScaler, dY = -MoveDY / gsScaler;
  if (RedlineEntityType == 0) {
    if (!db.LineTable.InBounds(selected)) return;
    const std::int32_t group = db.LineTable(selected).GroupID;
    for (std::int32_t i = 1; i <= db.LineCount; ++i) {
      LineRecord& r = db.LineTable(i);
      if (i != selected && (group == 0 || r.GroupID != group)) continue;
      r.X1 += dX;
      r.X2 += dX;
      r.Y1 += dY;
      r.Y2 += dY;
    }
  } else if (RedlineEntityType == 3) {
    if (!db.SolidTable.InBounds(selected)) return;
    SolidRecord& r = db.SolidTable(selected);
    for (float* x : {&r.X1, &r.X2, &r.X3, &r.X4}) *x += dX;
    for (float* y : {&r.Y1, &r.Y2, &r.Y3, &r.Y4}) *y += dY;
  } else {
    return;  // circles and texts stay where they are
  }
  // The selection's box and grips follow the moved entity, so a further move
  // starts from where it now is.
  const std::int32_t ox = winplat::CInt(static_cast<double>(MoveDX)), oy = winplat::CInt(static_cast<double>(MoveDY));
  auto shift = [](std::int32_t& v, std::int32_t by) {
    v = static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{v} + by, INT32_MIN, INT32_MAX));
  };
  shift(HitBox[0], ox);
  shift(HitBox[1], oy);
  shift(HitBox[2], ox);
  shift(HitBox[3], oy);
  for (PictureBox& grip : picHandle) {
    shift(grip.Left, ox);
    shift(grip.Top, oy);
  }
  PlaceGrips();
}

void DXF::RegisterZoom() {
  AddMethod(dispid::OnTheSpotZoom, "OnTheSpotZoom", [this](Args& a) {
    return Variant(OnTheSpotZoom(a.Single(0), a.Single(1), a.Integer(2, 1)));
  }, 3);
  AddMethod(dispid::ZoomInitiate, "ZoomInitiate",
            [this](Args& a) { return Variant(ZoomInitiate(a.Single(0), a.Single(1))); }, 2);
  AddMethod(dispid::ZoomFeedback, "ZoomFeedback", [this](Args& a) { return ZoomFeedback(a.Single(0), a.Single(1)); },
            2);
  AddMethod(dispid::ZoomEnd, "ZoomEnd", [this](Args&) { return Variant(ZoomEnd()); }, 0);
  AddMethod(dispid::ZoomPrevious, "ZoomPrevious", [this](Args&) { return Variant(ZoomPrevious()); }, 0);
}

}  // namespace kelvane
