// Loading a drawing and drawing it whole (Regen, ZoomExtents), redrawing the
// current view (Refresh, DXFRefresh), printing it (Plot), and the dispatch
// bindings of the rendering and view members.
#include <algorithm>

#include "../reader/dxf_reader.h"
#include "winplat/printer.h"
#include "winplat/screen.h"
#include "winplat/window.h"

namespace kelvane {

using winplat::Args;
using winplat::Variant;

namespace {

ViewRect ExtentsView(const ExtentsRect& e) { return ViewRect{e.Left, e.Top, e.Right, e.Bottom}; }

// The union of two extents; an extent still at its empty start value counts for nothing.
ExtentsRect Union(const ExtentsRect& a, const ExtentsRect& b) {
  auto empty = [](const ExtentsRect& e) { return e.Left > e.Right || e.Bottom > e.Top; };
  if (empty(a)) return b;
  if (empty(b)) return a;
  return ExtentsRect{std::min(a.Left, b.Left), std::max(a.Top, b.Top), std::max(a.Right, b.Right),
                     std::min(a.Bottom, b.Bottom)};
}

}  // namespace

std::int32_t DXF::Regen(std::int32_t Merge, float XOffset, float YOffset) {
  return WithErrorTrail("Regen", [&]() -> std::int32_t {
    RefuseWhileReading(*this, "Regen");
    winplat::Invoke(this, dispid::DXFDisplayed, winplat::DISPATCH_PROPERTYPUT, {Variant(false)});
    db.MergeOffsetX = XOffset;
    db.MergeOffsetY = YOffset;
    LoadedFileName = Filename;
    std::int32_t result = 0;
    if (!LoadedFileName.empty()) {
      winplat::SetMousePointer(winplat::vbHourglass);
      const ExtentsRect before = db.DrawingExtents;
      const bool adding = Merge == dxfMergeAdd && db.EntityCount > 0;
      if (Merge == dxfMergeNew || Merge == dxfMergeParse) {
        if (!db.InitDB(true))
          throw winplat::AutomationError(kControlError, "Regen", "Internal data bases could not be initialized.");
        // The records of the drawings read before name entries that are gone.
        if (colDrawings)
          while (winplat::GetProperty(colDrawings.Get(), "Count").ToLong() > 0)
            winplat::CallMethod(colDrawings.Get(), "Remove", {Variant(1)});
      }
      db.BlockCount = 0;
      db.DeferredInsertCount = 0;
      LoadDXF(*this, LoadedFileName, &picKelvane, &picStatusBar);
      if (adding) {
        // The extents of an added file take in the drawings already there.
        db.DrawingExtents = Union(before, db.DrawingExtents);
        for (int i = 0; i <= 3; ++i) ZoomHistory[static_cast<std::size_t>(i)] = ExtentsView(db.DrawingExtents);
      }
      if (Merge != dxfMergeParse) {
        ClearPicture();
        PreparePicture();
        result = Zoom(ExtentsView(db.DrawingExtents), picKelvane, 0, false) ? winplat::VARIANT_TRUE : 0;
        RefreshPicture();
        winplat::Invoke(this, dispid::DXFDisplayed, winplat::DISPATCH_PROPERTYPUT, {Variant(true)});
      }
    }
    winplat::SetMousePointer(winplat::vbDefault);
    return result;
  }, DrawingCleanup());
}

bool DXF::ZoomExtents() {
  return WithErrorTrail("ZoomExtents", [&] {
    PreparePicture();
    if (picKelvane.hWnd)
      winplat::SetWindowPos(picKelvane.hWnd, winplat::HWND_TOP, 0, 0, 0, 0,
                            winplat::SWP_NOMOVE | winplat::SWP_NOSIZE);
    ClearPicture();
    bool drawn = Zoom(ExtentsView(db.DrawingExtents), picKelvane, 0, false);
    RefreshPicture();
    return drawn;
  }, DrawingCleanup());
}

bool DXF::Refresh(std::string& strError) {
  try {
    if (picKelvane.hWnd)
      winplat::SetWindowPos(picKelvane.hWnd, winplat::HWND_TOP, 0, 0, 0, 0,
                            winplat::SWP_NOMOVE | winplat::SWP_NOSIZE);
    ClearPicture();
    PreparePicture();
    Zoom(CurrentView, picKelvane, 0, false);
    RefreshPicture();
    strError.clear();
    return true;
  } catch (const winplat::AutomationError& e) {
    strError = "Error in DXF.Refresh. The error is: " + e.Description();
  } catch (const std::exception& e) {
    strError = std::string("Error in DXF.Refresh. The error is: ") + e.what();
  }
  winplat::SetMousePointer(winplat::vbDefault);
  return false;
}

std::int16_t DXF::DXFRefresh() {
  return WithErrorTrail("DXFRefresh", [&]() -> std::int16_t {
    ClearPicture();
    PreparePicture();
    bool drawn = Zoom(CurrentView, picKelvane, 0, false);
    RefreshPicture();
    return drawn ? winplat::VARIANT_TRUE : 0;
  }, DrawingCleanup());
}

bool DXF::Plot(std::int32_t PlotSize, const std::string& DeviceName, std::int16_t Orientation, std::int16_t PaperBin,
               std::int16_t Copies, std::int16_t PaperSize) {
  return WithErrorTrail("Plot", [&] {
    winplat::PrinterObject& printer = winplat::Printer();
    if (!DeviceName.empty()) {
      const auto printers = winplat::Printers();
      for (std::size_t i = 0; i < printers.size(); ++i) {
        if (printers[i].DeviceName == DeviceName) {
          printer.SetCurrent(i);
          break;
        }
      }
    }
    printer.DeviceName();  // no printer installed: a clear error here
    if (Orientation != 0) printer.SetOrientation(Orientation);
    if (PaperBin != 0) printer.SetPaperBin(PaperBin);
    if (Copies != 0) printer.SetCopies(Copies);
    if (PaperSize != 0) printer.SetPaperSize(PaperSize);
    const ViewRect view = PlotSize == dxfExtents ? ExtentsView(db.DrawingExtents) : CurrentView;
    return Zoom(view, picKelvane, 0, true);
  }, DrawingCleanup());
}

void DXF::RegisterRendering() {
  AddMethod(dispid::GetCurrentZoom, "GetCurrentZoom", [this](Args& a) {
    float l = 0, t = 0, r = 0, b = 0;
    bool ok = GetCurrentZoom(l, t, r, b);
    a.Set(0, Variant(l));
    a.Set(1, Variant(t));
    a.Set(2, Variant(r));
    a.Set(3, Variant(b));
    return Variant(ok);
  }, 4);
  AddMethod(dispid::SetCurrentZoom, "SetCurrentZoom", [this](Args& a) {
    float v[4] = {};
    try {
      for (std::size_t i = 0; i < 4; ++i) v[i] = a.Single(i);
    } catch (...) {
      return Variant(false);
    }
    return Variant(SetCurrentZoom(v[0], v[1], v[2], v[3]));
  }, 4);
  AddMethod(dispid::Pan, "Pan", [this](Args& a) {
    float x = 0, y = 0;
    try {
      x = a.Single(0);
      y = a.Single(1);
    } catch (...) {
      return Variant(false);
    }
    return Variant(Pan(x, y));
  }, 2);
  AddMethod(dispid::IntToRealX, "IntToRealX", [this](Args& a) { return Variant(IntToRealX(a[0])); }, 1);
  AddMethod(dispid::IntToRealY, "IntToRealY", [this](Args& a) { return Variant(IntToRealY(a[0])); }, 1);
  AddMethod(dispid::CvtX, "CvtX", [this](Args& a) { return Variant(CvtX(a.Single(0))); }, 1);
  AddMethod(dispid::CvtY, "CvtY", [this](Args& a) { return Variant(CvtY(a.Single(0))); }, 1);
  AddMethod(dispid::VerticalScroll, "VerticalScroll",
            [this](Args& a) { return Variant(VerticalScroll(a.Single(0))); }, 1);
  AddMethod(dispid::HorizontalScroll, "HorizontalScroll",
            [this](Args& a) { return Variant(HorizontalScroll(a.Single(0))); }, 1);
  AddMethod(dispid::ZoomExtents, "ZoomExtents", [this](Args&) { return Variant(ZoomExtents()); }, 0);
  AddMethod(dispid::Refresh, "Refresh", [this](Args& a) {
    std::string strError;
    bool ok = Refresh(strError);
    try {
      a.Set(0, Variant(strError));
    } catch (...) {
      // An strError the text cannot be stored in: the result still tells.
    }
    return Variant(ok);
  }, 1);
  AddMethod(dispid::DXFRefresh, "DXFRefresh", [this](Args&) { return Variant(DXFRefresh()); }, 0);
  AddMethod(dispid::Regen, "Regen", [this](Args& a) {
    return Variant(Regen(a.Long(0), a.Single(1, 0.0f), a.Single(2, 0.0f)));
  }, 3);
  AddMethod(dispid::Plot, "Plot", [this](Args& a) {
    std::string device = a.Missing(1) ? std::string() : a.String(1);
    return Variant(Plot(a.Long(0), device, a.Integer(2, 0), a.Integer(3, 0), a.Integer(4, 0), a.Integer(5, 0)));
  }, 6);
}

}  // namespace kelvane
