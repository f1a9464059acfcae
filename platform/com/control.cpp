// The container-facing entries of a control and the events it raises.
#include <algorithm>
#include <new>

#include "winplat/control.h"
#include "winplat/gdi.h"
#include "winplat/numeric.h"
#include "winplat/picture.h"

namespace winplat {

template <class F>
HRESULT ControlObject::Guard(ExcepInfo* excep, F f) noexcept {
  auto fill = [&](std::int32_t n, const std::string& src, const std::string& desc) {
    if (excep) *excep = ExcepInfo{n, src.empty() ? ErrorSource() : src, desc};
  };
  try {
    f();
    return S_OK;
  } catch (const AutomationError& e) {
    fill(e.Number(), e.Source(), e.Description());
  } catch (const NumericError& e) {
    fill(e.Number(), {}, ErrorText(e.Number()));
  } catch (const std::bad_alloc&) {
    fill(7, {}, ErrorText(7));
  } catch (const std::exception& e) {
    fill(5, {}, e.what());
  } catch (...) {
    fill(5, {}, ErrorText(5));
  }
  return DISP_E_EXCEPTION;
}

HRESULT ControlObject::SetClientSite(ControlSite* site) noexcept {
  site_ = site;
  return Guard(nullptr, [&] { OnSiteChanged(); });
}

HRESULT ControlObject::InitNew(ExcepInfo* excep) noexcept {
  return Guard(excep, [&] { OnInitProperties(); });
}

HRESULT ControlObject::Load(const PropertyBag& bag, ExcepInfo* excep) noexcept {
  return Guard(excep, [&] { OnReadProperties(bag); });
}

HRESULT ControlObject::Save(PropertyBag& bag, ExcepInfo* excep) noexcept {
  return Guard(excep, [&] { OnWriteProperties(bag); });
}

HRESULT ControlObject::SetExtent(std::int32_t width, std::int32_t height, ExcepInfo* excep) noexcept {
  return Guard(excep, [&] {
    width_ = width;
    height_ = height;
    OnResize(width, height);
  });
}

HRESULT ControlObject::SetPosition(std::int32_t left, std::int32_t top) noexcept {
  left_ = left;
  top_ = top;
  return Guard(nullptr, [&] { OnMove(left, top); });
}

HRESULT ControlObject::Advise(IDispatch* sink, std::uint32_t* cookie) noexcept {
  if (!sink || !cookie) return E_POINTER;
  try {
    sinks_.push_back(Sink{nextCookie_, ComPtr<IDispatch>(sink)});
  } catch (...) {
    return E_FAIL;
  }
  *cookie = nextCookie_++;
  return S_OK;
}

HRESULT ControlObject::Unadvise(std::uint32_t cookie) noexcept {
  auto it = std::find_if(sinks_.begin(), sinks_.end(), [&](const Sink& s) { return s.cookie == cookie; });
  if (it == sinks_.end()) return E_FAIL;
  sinks_.erase(it);
  return S_OK;
}

HRESULT ControlObject::SetVisible(bool visible) noexcept {
  return Guard(nullptr, [&] { OnVisibleChanged(visible); });
}

HRESULT ControlObject::Close() noexcept {
  HRESULT hr = Guard(nullptr, [&] { OnClose(); });
  sinks_.clear();
  site_ = nullptr;
  return hr;
}

bool ControlObject::AmbientUserMode() const { return site_ ? site_->AmbientUserMode() : true; }

void ControlObject::PropertyChanged(std::string_view name) const {
  if (site_) site_->PropertyChanged(name);
}

HWND ControlObject::ContainerWindow() const { return site_ ? site_->ContainerWindow() : 0; }

void ControlObject::RaiseEvent(DISPID id, std::vector<Variant> args) {
  // A copy: a handler may disconnect sinks while the event runs.
  std::vector<ComPtr<IDispatch>> targets;
  for (const auto& s : sinks_) targets.push_back(s.sink);
  for (const auto& sink : targets) {
    Variant ignored;
    ExcepInfo excep;
    sink->Invoke(id, DISPATCH_METHOD, args, &ignored, &excep);
  }
}

PictureObject::PictureObject(std::uint32_t bitmap, std::int32_t width, std::int32_t height)
    : DispatchObject("Picture"), handle_(bitmap), width_(width), height_(height) {
  AddProperty(DISPID_HANDLE, "Handle", [this](Args&) { return Variant(static_cast<std::int32_t>(handle_)); });
  AddProperty(DISPID_TYPE, "Type", [](Args&) { return Variant(std::int16_t{1}); });  // a bitmap
  AddProperty(DISPID_WIDTH, "Width", [this](Args&) { return Variant(width_); });
  AddProperty(DISPID_HEIGHT, "Height", [this](Args&) { return Variant(height_); });
}

ComPtr<PictureObject> PictureObject::FromPixels(const Picture& pixels) { return FromPixels(Picture(pixels)); }

ComPtr<PictureObject> PictureObject::FromPixels(Picture&& pixels) {
  const std::int32_t width = pixels.width, height = pixels.height;
  HBITMAP bitmap = CreateBitmapFromPicture(std::move(pixels));
  if (!bitmap) return {};
  auto picture = MakeObject<PictureObject>(bitmap, width, height);
  picture->owned_ = true;
  return picture;
}

PictureObject::~PictureObject() {
  if (owned_) DeleteObject(handle_);
}

Picture PictureObject::Pixels() const { return CaptureBitmap(handle_); }

COLORREF TranslateColor(std::uint32_t oleColor) {
  if ((oleColor & 0x80000000u) == 0) return oleColor & 0xFFFFFFu;
  // The system colours of the standard scheme, by index.
  static const COLORREF system[] = {
      RGB(192, 192, 192),  // 0 scroll bar
      RGB(0, 128, 128),    // 1 desktop
      RGB(0, 0, 128),      // 2 active caption
      RGB(128, 128, 128),  // 3 inactive caption
      RGB(192, 192, 192),  // 4 menu
      RGB(255, 255, 255),  // 5 window background
      RGB(0, 0, 0),        // 6 window frame
      RGB(0, 0, 0),        // 7 menu text
      RGB(0, 0, 0),        // 8 window text
      RGB(255, 255, 255),  // 9 caption text
      RGB(192, 192, 192),  // 10 active border
      RGB(192, 192, 192),  // 11 inactive border
      RGB(128, 128, 128),  // 12 application workspace
      RGB(0, 0, 128),      // 13 highlight
      RGB(255, 255, 255),  // 14 highlight text
      RGB(192, 192, 192),  // 15 button face
      RGB(128, 128, 128),  // 16 button shadow
      RGB(128, 128, 128),  // 17 grey text
      RGB(0, 0, 0),        // 18 button text
      RGB(192, 192, 192),  // 19 inactive caption text
      RGB(255, 255, 255),  // 20 button highlight
      RGB(0, 0, 0),        // 21 3D dark shadow
      RGB(223, 223, 223),  // 22 3D light
      RGB(0, 0, 0),        // 23 tooltip text
      RGB(255, 255, 225),  // 24 tooltip background
  };
  std::uint32_t index = oleColor & 0xFFu;
  if ((oleColor & 0x7FFFFF00u) != 0 || index >= sizeof system / sizeof system[0]) return 0;
  return system[index];
}

}  // namespace winplat
