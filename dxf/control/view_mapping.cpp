// View mapping: drawing units to pixels and back, reading and setting the
// view, moving it, scrolling it, and the history of requested views.
#include <cmath>

#include "dxf_control.h"
#include "winplat/numeric.h"
#include "winplat/screen.h"

namespace kelvane {

using winplat::Variant;

bool DXF::SetViewTransform(std::int32_t height, float left, float bottom, float scale) {
  ViewHeight = height;
  DXFXMin = left;
  DXFYMin = bottom;
  gsScaler = scale;
  return true;
}

namespace {
// A pixel value rounded halves to even; the description of `what` when it
// leaves the Long range.
std::int32_t ToPixel(double value, const char* what) {
  try {
    if (!std::isfinite(value)) throw winplat::NumericError(6, "Overflow");
    return winplat::CLng(value);
  } catch (...) {
    winplat::SetMousePointer(winplat::vbDefault);
    throw winplat::AutomationError(kControlError, kLibraryName, what);
  }
}
}  // namespace

std::int32_t DXF::CvtX(float X) {
  return ToPixel((static_cast<double>(X) - DXFXMin) * static_cast<double>(gsScaler), "Error in CvtX.");
}

std::int32_t DXF::CvtY(float Y) {
  return ToPixel(static_cast<double>(ViewHeight) - (static_cast<double>(Y) - DXFYMin) * static_cast<double>(gsScaler),
                 "Error in CvtY.");
}

float DXF::IntToRealX(const Variant& XPixel) {
  return WithErrorTrail("IntToRealX", [&] {
    double x = XPixel.ToDouble();
    if (gsScaler == 0) return 0.0f;
    return winplat::CSng(x / gsScaler + CurrentView.Left);
  }, DrawingCleanup());
}

float DXF::IntToRealY(const Variant& YPixel) {
  return WithErrorTrail("IntToRealY", [&] {
    double y = YPixel.ToDouble();
    if (gsScaler == 0) return 0.0f;
    return winplat::CSng(CurrentView.Bottom - (y - ViewHeight) / gsScaler);
  }, DrawingCleanup());
}

bool DXF::GetCurrentZoom(float& Left, float& Top, float& Right, float& Bottom) {
  Left = CurrentView.Left;
  Top = CurrentView.Top;
  Right = CurrentView.Right;
  Bottom = CurrentView.Bottom;
  return true;
}

bool DXF::SetCurrentZoom(float Left, float Top, float Right, float Bottom) {
  try {
    ViewRect requested{Left, Top, Right, Bottom};
    AddToPrevZoomStack(requested);
    ClearPicture();
    Zoom(requested, picKelvane, 0, false);
    RefreshPicture();
    return true;
  } catch (...) {
    winplat::SetMousePointer(winplat::vbDefault);
    return false;
  }
}

bool DXF::Pan(float XTrans, float YTrans) {
  try {
    CurrentView.Left = winplat::CSng(static_cast<double>(CurrentView.Left) + XTrans);
    CurrentView.Right = winplat::CSng(static_cast<double>(CurrentView.Right) + XTrans);
    CurrentView.Top = winplat::CSng(static_cast<double>(CurrentView.Top) + YTrans);
    CurrentView.Bottom = winplat::CSng(static_cast<double>(CurrentView.Bottom) + YTrans);
    AddToPrevZoomStack(CurrentView);
    std::string strError;
    Refresh(strError);
    return true;
  } catch (...) {
    winplat::SetMousePointer(winplat::vbDefault);
    return false;
  }
}

std::int16_t DXF::VerticalScroll(float DeltaY) {
  return WithErrorTrail("VerticalScroll", [&] {
    double step = (static_cast<double>(ScrollLastV) - DeltaY) / 100.0 *
                  (static_cast<double>(db.DrawingExtents.Top) - db.DrawingExtents.Bottom);
    ScrollLastV = DeltaY;
    CurrentView.Top = winplat::CSng(CurrentView.Top + step);
    CurrentView.Bottom = winplat::CSng(CurrentView.Bottom + step);
    DXFRefresh();
    return winplat::VARIANT_TRUE;
  }, DrawingCleanup());
}

std::int16_t DXF::HorizontalScroll(float DeltaX) {
  return WithErrorTrail("HorizontalScroll", [&] {
    double step = (static_cast<double>(DeltaX) - ScrollLastH) / 100.0 *
                  (static_cast<double>(db.DrawingExtents.Right) - db.DrawingExtents.Left);
    ScrollLastH = DeltaX;
    CurrentView.Left = winplat::CSng(CurrentView.Left + step);
    CurrentView.Right = winplat::CSng(CurrentView.Right + step);
    DXFRefresh();
    return winplat::VARIANT_TRUE;
  }, DrawingCleanup());
}

void DXF::AddToPrevZoomStack(const ViewRect& view) {
  WithErrorTrail("AddToPrevZoomStack", [&] {
    ZoomHistory[3] = ZoomHistory[2];
    ZoomHistory[2] = ZoomHistory[1];
    ZoomHistory[1] = ZoomHistory[0];
    ZoomHistory[0] = view;
  }, DrawingCleanup());
}

}  // namespace kelvane
