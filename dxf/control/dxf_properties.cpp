// The properties of the DXF control: their assignment rules, the defaults of
// a new instance and their persistence in the container's property bag.
#include "dxf_control.h"

#include <type_traits>

namespace kelvane {

using winplat::Args;
using winplat::ComPtr;
using winplat::IDispatch;
using winplat::PropertyBag;
using winplat::Variant;

namespace {
constexpr std::int32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kSystemWindowColour = static_cast<std::int32_t>(0x80000005u);

// The bag keeps pictures only: any other object set as a picture is saved as none.
Variant PictureOrNothing(const ComPtr<IDispatch>& object) {
  return winplat::QueryInterface<winplat::PictureObject>(object.Get()) ? Variant(object) : Variant::Nothing();
}
}  // namespace

// ---- assignments ----

void DXF::SetMousePointer(std::int16_t value) {
  picKelvane.MousePointer = value;
  PropertyChanged("MousePointer");
}

void DXF::SetMouseIcon(ComPtr<IDispatch> value) {
  MouseIcon = std::move(value);
  PropertyChanged("MouseIcon");
}

void DXF::SetBackColor(std::int32_t value) {
  picKelvane.BackColor = value;
  ApplyPictureState();
  PropertyChanged("BackColor");
}

void DXF::SetAutoRedraw(bool value) {
  picKelvane.AutoRedraw = value;
  ApplyPictureState();
  PropertyChanged("AutoRedraw");
}

void DXF::SetRedlineEntityType(std::int16_t value) {
  if (!AmbientUserMode()) throw winplat::RuntimeError(382, kLibraryName);
  RedlineEntityType = value;
  PropertyChanged("RedlineEntityType");
}

void DXF::SetRedlineEntitySelected(const Variant& value) {
  if (!AmbientUserMode()) throw winplat::RuntimeError(382, kLibraryName);
  RedlineEntitySelected = value.Value();
  PropertyChanged("RedlineEntitySelected");
}

void DXF::SetDisplayAttributes(std::int16_t value) {
  WithErrorTrail(
      "DisplayAttributes",
      [&] {
        DisplayAttributes = value;
        PropertyChanged("DisplayAttributes");
        AttribDisplayMode = value;
        if (LastRedrawResult) {
          ClearPicture();
          LastRedrawResult = RedrawCurrentView() ? -1 : 0;
        }
      },
      DrawingCleanup());
}

void DXF::SetZoomFunction(std::int16_t value) {
  ZoomFunction = value;
  SetLibraryZoomFunction(value);
  PropertyChanged("ZoomFunction");
}

void DXF::SetTmpFileNamePath(std::string value) {
  if (value.empty() || value.back() != '\\') value += '\\';
  TmpFileNamePath = std::move(value);
  PropertyChanged("TmpFileNamePath");
}

void DXF::SetFilename(std::string value) {
  Filename = value;
  LoadedFileName = std::move(value);
  PropertyChanged("FileName");
}

// ---- the dispatch table ----

void DXF::RegisterProperties() {
  auto signalled = [this](winplat::DISPID id, const char* name, auto* field, const char* signal) {
    using T = std::remove_pointer_t<decltype(field)>;
    AddProperty(
        id, name, [field](Args&) { return Variant(*field); },
        [this, field, signal](Args&, const Variant& v) {
          if constexpr (std::is_same_v<T, float>) *field = v.ToSingle();
          else if constexpr (std::is_same_v<T, std::int16_t>) *field = v.ToInteger();
          else *field = v.ToString();
          PropertyChanged(signal);
        });
  };
  auto boolean = [this](winplat::DISPID id, const char* name, std::int16_t* field) {
    AddProperty(
        id, name, [field](Args&) { return Variant(*field != 0); },
        [this, field, name](Args&, const Variant& v) {
          *field = v.ToBoolean();
          PropertyChanged(name);
        });
  };

  AddProperty(
      dispid::MousePointer, "MousePointer", [this](Args&) { return Variant(picKelvane.MousePointer); },
      [this](Args&, const Variant& v) { SetMousePointer(v.ToInteger()); });
  AddProperty(
      dispid::MouseIcon, "MouseIcon", [this](Args&) { return Variant(MouseIcon); }, {},
      [this](Args&, const Variant& v) { SetMouseIcon(v.ToObject()); });
  boolean(dispid::DisplayAllBlack, "DisplayAllBlack", &DisplayAllBlack);
  boolean(dispid::DXFDisplayed, "DXFDisplayed", &DXFDisplayed);
  AddProperty(
      dispid::AutoRedraw, "AutoRedraw", [this](Args&) { return Variant(picKelvane.AutoRedraw); },
      [this](Args&, const Variant& v) { SetAutoRedraw(v.ToBool()); });
  AddProperty(dispid::hWnd, "hWnd", [this](Args&) { return Variant(static_cast<std::int32_t>(picKelvane.hWnd)); });
  AddProperty(dispid::hDC, "hDC", [this](Args&) { return Variant(static_cast<std::int32_t>(picKelvane.hDC)); });
  AddProperty(dispid::Image, "Image", [this](Args&) { return Image(); });
  boolean(dispid::CalcExtents, "CalcExtents", &CalcExtents);
  signalled(dispid::RedlineCurrentLayer, "RedlineCurrentLayer", &RedlineCurrentLayer, "RedlineCurrentLayer");
  AddProperty(
      dispid::RedlineEntityType, "RedlineEntityType", [this](Args&) { return Variant(RedlineEntityType); },
      [this](Args&, const Variant& v) { SetRedlineEntityType(v.ToInteger()); });
  AddProperty(
      dispid::RedlineEntitySelected, "RedlineEntitySelected", [this](Args&) { return RedlineEntitySelected; },
      [this](Args&, const Variant& v) { SetRedlineEntitySelected(v); });
  signalled(dispid::RedlineTextHeight, "RedlineTextHeight", &RedlineTextHeight, "RedlineTextHeight");
  AddProperty(dispid::Layers, "Layers", [this](Args&) { return Variant(ComPtr<DXFLayers>(&Layers())); });
  AddProperty(
      dispid::DisplayAttributes, "DisplayAttributes", [this](Args&) { return Variant(DisplayAttributes); },
      [this](Args&, const Variant& v) { SetDisplayAttributes(v.ToInteger()); });
  AddProperty(
      dispid::ZoomFunction, "ZoomFunction", [this](Args&) { return Variant(ZoomFunction); },
      [this](Args&, const Variant& v) { SetZoomFunction(v.ToInteger()); });
  signalled(dispid::OnTheSpotZoomPctRight, "OnTheSpotZoomPctRight", &OnTheSpotZoomPctRight, "OnTheSpotZoomPctRight");
  signalled(dispid::PropFontScalar, "PropFontScalar", &PropFontScalar, "PropFontScalar");
  signalled(dispid::PropFontName, "PropFontName", &PropFontName, "PropFontName");
  signalled(dispid::MonoFontName, "MonoFontName", &MonoFontName, "MonoFontName");
  signalled(dispid::MonoFontScalar, "MonoFontScalar", &MonoFontScalar, "MonoFontScalar");
  signalled(dispid::OnTheSpotZoomPctLeft, "OnTheSpotZoomPctLeft", &OnTheSpotZoomPctLeft, "OnTheSpotZoomPctLeft");
  AddProperty(
      dispid::TmpFileNamePath, "TmpFileNamePath", [this](Args&) { return Variant(TmpFileNamePath); },
      [this](Args&, const Variant& v) { SetTmpFileNamePath(v.ToString()); });
  AddProperty(
      dispid::Filename, "Filename", [this](Args&) { return Variant(Filename); },
      [this](Args&, const Variant& v) { SetFilename(v.ToString()); });
  boolean(dispid::PrintAllBlack, "PrintAllBlack", &PrintAllBlack);
  boolean(dispid::Enabled, "Enabled", &Enabled);
  boolean(dispid::UseDXFFonts, "UseDXFFonts", &UseDXFFonts);
  AddProperty(
      dispid::BackColor, "BackColor", [this](Args&) { return Variant(picKelvane.BackColor); },
      [this](Args&, const Variant& v) { SetBackColor(v.ToLong()); });
}

// ---- persistence ----

void DXF::OnInitProperties() {
  OnTheSpotZoomPctLeft = 200;
  OnTheSpotZoomPctRight = 50;
  ZoomFunction = dxfDrillDown;
  Filename.clear();
  DisplayAttributes = 0;
  RedlineTextHeight = 1;
  About = Variant(std::int32_t{0});
  Enabled = 0;
  PropFontScalar = 1;
  MonoFontScalar = 1;
  PrintAllBlack = 0;
  RedlineEntitySelected = Variant(std::int32_t{0});
  RedlineEntityType = static_cast<std::int16_t>(dxfRedLineNone);
  RedlineCurrentLayer.clear();
  DisplayAllBlack = 0;
  DXFDisplayed = 0;
  CalcExtents = 0;
  UseDXFFonts = -1;
  MonoFontName = "Courier New";
  PropFontName = "Arial";
}

void DXF::OnReadProperties(const PropertyBag& bag) {
  // The stored values go straight into place, without the assignment rules
  // (no signals, no separator added, LoadedFileName untouched).
  WithErrorTrail("UserControl_ReadProperties", [&] {
    OnTheSpotZoomPctLeft = bag.ReadProperty("OnTheSpotZoomPctLeft", Variant(200.0f)).ToSingle();
    OnTheSpotZoomPctRight = bag.ReadProperty("OnTheSpotZoomPctRight", Variant(50.0f)).ToSingle();
    picKelvane.BackColor = bag.ReadProperty("BackColor", Variant(kWhite)).ToLong();
    ZoomFunction = bag.ReadProperty("ZoomFunction", Variant(std::int16_t{1})).ToInteger();
    Filename = bag.ReadProperty("FileName", Variant("")).ToString();
    DisplayAttributes = bag.ReadProperty("DisplayAttributes", Variant(std::int16_t{0})).ToInteger();
    RedlineTextHeight = bag.ReadProperty("RedlineTextHeight", Variant(1.0f)).ToSingle();
    picKelvane.BackColor = bag.ReadProperty("BackColor", Variant(kSystemWindowColour)).ToLong();
    About = bag.ReadProperty("About", Variant(std::int32_t{0}));
    Enabled = bag.ReadProperty("Enabled", Variant(false)).ToBoolean();
    PropFontScalar = bag.ReadProperty("PropFontScalar", Variant(1.0f)).ToSingle();
    MonoFontScalar = bag.ReadProperty("MonoFontScalar", Variant(1.0f)).ToSingle();
    TmpFileNamePath = bag.ReadProperty("TmpFileNamePath", Variant("C:\\TEMP")).ToString();
    PrintAllBlack = bag.ReadProperty("PrintAllBlack", Variant(false)).ToBoolean();
    RedlineEntitySelected = bag.ReadProperty("RedlineEntitySelected", Variant(std::int32_t{0}));
    RedlineEntityType = bag.ReadProperty("RedlineEntityType", Variant(std::int16_t{-1})).ToInteger();
    RedlineCurrentLayer = bag.ReadProperty("RedlineCurrentLayer", Variant("")).ToString();
    CalcExtents = bag.ReadProperty("CalcExtents", Variant(false)).ToBoolean();
    picKelvane.ScaleMode = bag.ReadProperty("ScaleMode", Variant(std::int16_t{1})).ToInteger();
    Picture = bag.ReadProperty("Picture", Variant::Nothing()).ToObject();
    picKelvane.AutoRedraw = bag.ReadProperty("AutoRedraw", Variant(true)).ToBool();
    picKelvane.DrawMode = bag.ReadProperty("DrawMode", Variant(std::int16_t{13})).ToInteger();
    DXFDisplayed = bag.ReadProperty("DXFDisplayed", Variant(false)).ToBoolean();
    DisplayAllBlack = bag.ReadProperty("DisplayAllBlack", Variant(false)).ToBoolean();
    SetMouseIcon(bag.ReadProperty("MouseIcon", Variant::Nothing()).ToObject());
    picKelvane.MousePointer = bag.ReadProperty("MousePointer", Variant(std::int16_t{0})).ToInteger();
    UseDXFFonts = bag.ReadProperty("UseDXFFonts", Variant(true)).ToBoolean();
    MonoFontName = bag.ReadProperty("MonoFontName", Variant("Courier New")).ToString();
    PropFontName = bag.ReadProperty("PropFontName", Variant("Arial")).ToString();
    // A restored attribute mode and zoom function take effect at once, as an
    // assignment's would: the drawing shows what the property says.
    AttribDisplayMode = DisplayAttributes;
    SetLibraryZoomFunction(ZoomFunction);
    ApplyPictureState();
  });
}

void DXF::OnWriteProperties(PropertyBag& bag) {
  WithErrorTrail("UserControl_WriteProperties", [&] {
    bag.WriteProperty("OnTheSpotZoomPctLeft", Variant(OnTheSpotZoomPctLeft), Variant(200.0f));
    bag.WriteProperty("OnTheSpotZoomPctRight", Variant(OnTheSpotZoomPctRight), Variant(50.0f));
    bag.WriteProperty("BackColor", Variant(picKelvane.BackColor), Variant(kWhite));
    bag.WriteProperty("ZoomFunction", Variant(ZoomFunction), Variant(std::int16_t{1}));
    bag.WriteProperty("FileName", Variant(Filename), Variant(""));
    bag.WriteProperty("DisplayAttributes", Variant(DisplayAttributes), Variant(std::int16_t{0}));
    bag.WriteProperty("RedlineTextHeight", Variant(RedlineTextHeight), Variant(1.0f));
    bag.WriteProperty("BackColor", Variant(picKelvane.BackColor), Variant(kSystemWindowColour));
    bag.WriteProperty("About", About, Variant(std::int32_t{0}));
    bag.WriteProperty("Enabled", Variant(Enabled != 0), Variant(false));
    bag.WriteProperty("PropFontScalar", Variant(PropFontScalar), Variant(1.0f));
    bag.WriteProperty("MonoFontScalar", Variant(MonoFontScalar), Variant(1.0f));
    bag.WriteProperty("TmpFileNamePath", Variant(TmpFileNamePath), Variant("C:\\TEMP"));
    bag.WriteProperty("PrintAllBlack", Variant(PrintAllBlack != 0), Variant(false));
    bag.WriteProperty("RedlineEntitySelected", RedlineEntitySelected, Variant(std::int32_t{0}));
    bag.WriteProperty("RedlineEntityType", Variant(RedlineEntityType), Variant(std::int16_t{-1}));
    bag.WriteProperty("RedlineCurrentLayer", Variant(RedlineCurrentLayer), Variant(""));
    bag.WriteProperty("CalcExtents", Variant(CalcExtents != 0), Variant(false));
    bag.WriteProperty("ScaleMode", Variant(picKelvane.ScaleMode), Variant(std::int16_t{1}));
    bag.WriteProperty("Picture", PictureOrNothing(Picture), Variant::Nothing());
    bag.WriteProperty("AutoRedraw", Variant(picKelvane.AutoRedraw), Variant(true));
    bag.WriteProperty("DrawMode", Variant(picKelvane.DrawMode), Variant(std::int16_t{13}));
    bag.WriteProperty("DXFDisplayed", Variant(DXFDisplayed != 0), Variant(false));
    bag.WriteProperty("DisplayAllBlack", Variant(DisplayAllBlack != 0), Variant(false));
    bag.WriteProperty("MouseIcon", PictureOrNothing(MouseIcon), Variant::Nothing());
    bag.WriteProperty("MousePointer", Variant(picKelvane.MousePointer), Variant(std::int16_t{0}));
    bag.WriteProperty("UseDXFFonts", Variant(UseDXFFonts != 0), Variant(true));
    bag.WriteProperty("MonoFontName", Variant(MonoFontName), Variant("Courier New"));
    bag.WriteProperty("PropFontName", Variant(PropFontName), Variant("Arial"));
  });
}

}  // namespace kelvane
