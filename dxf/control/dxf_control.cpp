// The DXF control object: creation, resize, the members built on the object
// itself (Clear, GetExtents), its public fields and its events.
#include "dxf_control.h"

#include <atomic>

#include "about_box.h"
#include "pp_appearance.h"
#include "winplat/screen.h"

namespace kelvane {

using winplat::Args;
using winplat::ComPtr;
using winplat::IDispatch;
using winplat::Variant;

namespace {
std::atomic<std::int16_t> libraryZoomFunction{0};
std::atomic<std::int32_t> liveControls{0};
constexpr std::int32_t kStatusBarHeight = 16;  // pixels
}  // namespace

std::int16_t LibraryZoomFunction() { return libraryZoomFunction.load(); }
void SetLibraryZoomFunction(std::int16_t value) { libraryZoomFunction.store(value); }
std::int32_t LiveControls() { return liveControls.load(); }

DXF::DXF() : ControlObject("DXF") {
  ++liveControls;
  SetErrorSource(kLibraryName);
  // Creation: picKelvane aligned to the top, colDrawings a new empty collection.
  picKelvane.Align = 1;
  picStatusBar.Height = kStatusBarHeight;
  picStatusBar.Visible = false;  // shown only while a long task runs
  for (auto& grip : picHandle) {
    grip.Width = grip.Height = 5;
    grip.Visible = false;
  }
  colDrawings = winplat::MakeObject<winplat::Collection>();
  colSprites = winplat::MakeObject<winplat::Collection>();
  SetPropertyPages({kPageProgID});
  RegisterMembers();
  RegisterProperties();
  RegisterRendering();
  RegisterQueries();
  RegisterZoom();
  RegisterRedline();
  RegisterSelection();
  RegisterTransform();
  RegisterWriters();
  RegisterLineEnds();
  RegisterMetafiles();
  RegisterSprites();
}

DXF::~DXF() {
  DestroyWindows();
  --liveControls;
}

void DXF::ResetAfterError(bool draws) {
  winplat::SetMousePointer(winplat::vbDefault);
  if (draws) ClearPicture();
}

void DXF::Clear() {
  WithErrorTrail("Clear", [&] { ClearPicture(); }, DrawingCleanup());
}

bool DXF::GetExtents(float& Left, float& Top, float& Right, float& Bottom) {
  return WithErrorTrail("GetExtents", [&] {
    Left = db.DrawingExtents.Left;
    Top = db.DrawingExtents.Top;
    Right = db.DrawingExtents.Right;
    Bottom = db.DrawingExtents.Bottom;
    return true;
  });
}

void DXF::OnResize(std::int32_t width, std::int32_t height) {
  WithErrorTrail("UserControl_Resize", [&] {
    picKelvane.Top = 0;
    picKelvane.Left = 0;
    picKelvane.Width = width;  // follows its top alignment
    picKelvane.Height = height;
    picStatusBar.Width = width;
    picStatusBar.Top = height - picStatusBar.Height;
    LayoutWindows();
  });
}

bool DXF::RedrawCurrentView() {
  bool drawn = Zoom(CurrentView, picKelvane, 0, false);
  RefreshPicture();
  return drawn;
}

void DXF::RaiseMouse(winplat::DISPID id, std::int16_t Button, std::int16_t Shift, float X, float Y) {
  RaiseEvent(id, {Variant::ByRef(&Button), Variant::ByRef(&Shift), Variant::ByRef(&X), Variant::ByRef(&Y)});
}

void DXF::picKelvane_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
  RaiseMouse(dispid::MouseDown, Button, Shift, X, Y);
}
void DXF::picKelvane_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) {
  RaiseMouse(dispid::MouseMove, Button, Shift, X, Y);
}
void DXF::picKelvane_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) {
  RaiseMouse(dispid::MouseUp, Button, Shift, X, Y);
}

void DXF::RaiseLinesRead(float& PctRead) { RaiseEvent(dispid::LinesRead, {Variant::ByRef(&PctRead)}); }
void DXF::RaiseZoomComplete() { RaiseEvent(dispid::ZoomComplete, {}); }

void DXF::AboutBox() {
  frmAbout about;
  about.Show(true);
  about.Unload();
}

void DXF::RegisterMembers() {
  AddMethod(
      dispid::About, "About",
      [this](Args&) {
        AboutBox();
        return Variant();
      },
      0);
  AddMethod(
      dispid::Clear, "Clear",
      [this](Args&) {
        Clear();
        return Variant();
      },
      0);
  AddMethod(
      dispid::GetExtents, "GetExtents",
      [this](Args& a) {
        float l = 0, t = 0, r = 0, b = 0;
        bool ok = GetExtents(l, t, r, b);
        a.Set(0, Variant(l));
        a.Set(1, Variant(t));
        a.Set(2, Variant(r));
        a.Set(3, Variant(b));
        return Variant(ok);
      },
      4);

  // Public fields.
  AddProperty(
      dispid::colLayers, "colLayers", [this](Args&) { return Variant(db.colLayers); }, {},
      [this](Args&, const Variant& v) {
        ComPtr<IDispatch> object = v.ToObject();
        ComPtr<DXFLayers> layers = winplat::QueryInterface<DXFLayers>(object.Get());
        if (object && !layers) throw winplat::RuntimeError(13);
        db.colLayers = layers;
      });
  AddBooleanField(dispid::DXFComplete, "DXFComplete", &DXFComplete);
  AddField(dispid::InsertCount, "InsertCount", &db.InsertCount);
  AddField(dispid::RedlineEntityID, "RedlineEntityID", &RedlineEntityID);
  AddField(dispid::colSprites, "colSprites", &colSprites);
  AddField(dispid::colDrawings, "colDrawings", &colDrawings);
  AddField(dispid::gsScaler, "gsScaler", &gsScaler);
  AddField(dispid::DXFXMin, "DXFXMin", &DXFXMin);
  AddField(dispid::DXFYMin, "DXFYMin", &DXFYMin);
}

}  // namespace kelvane
