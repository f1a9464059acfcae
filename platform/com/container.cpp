// The container's site and extender for one placed control.
#include "winplat/container.h"

#include "winplat/classreg.h"

namespace winplat {

PlacedControl::PlacedControl(std::string name, HWND container, bool userMode)
    : DispatchObject("Extender"), name_(std::move(name)), container_(container), userMode_(userMode) {
  AddProperty(DISPID_EXT_NAME, "Name", [this](Args&) { return Variant(name_); });
  AddProperty(
      DISPID_EXT_VISIBLE, "Visible", [this](Args&) { return Variant(visible_); },
      [this](Args&, const Variant& v) { SetVisible(v.ToBool()); });
  auto geometry = [this](DISPID id, const char* member, std::int32_t* field) {
    AddProperty(
        id, member, [field](Args&) { return Variant(*field); },
        [this, field](Args&, const Variant& v) {
          std::int32_t value = v.ToLong();
          std::int32_t l = left_, t = top_, w = width_, h = height_;
          if (field == &left_) l = value;
          if (field == &top_) t = value;
          if (field == &width_) w = value;
          if (field == &height_) h = value;
          ExcepInfo excep;
          if (Move(l, t, w, h, &excep) != S_OK) throw AutomationError(excep.number, excep.source, excep.description);
        });
  };
  geometry(DISPID_EXT_LEFT, "Left", &left_);
  geometry(DISPID_EXT_TOP, "Top", &top_);
  geometry(DISPID_EXT_WIDTH, "Width", &width_);
  geometry(DISPID_EXT_HEIGHT, "Height", &height_);
}

PlacedControl::~PlacedControl() {
  if (control_) control_->Close();
}

HRESULT PlacedControl::Create(std::string_view progId, const PropertyBag* bag, ExcepInfo* excep) noexcept {
  IDispatch* raw = nullptr;
  HRESULT hr = CreateObjectByProgID(progId, &raw, excep);
  if (hr != S_OK) return hr;
  ComPtr<IDispatch> object = ComPtr<IDispatch>::Adopt(raw);
  ComPtr<ControlObject> control(dynamic_cast<ControlObject*>(object.Get()));
  if (!control) {
    if (excep) *excep = ExcepInfo{429, {}, ErrorText(429) + ": " + std::string(progId) + " is not a control"};
    return E_NOINTERFACE;
  }
  control_ = control;
  control_->SetClientSite(this);
  hr = bag ? control_->Load(*bag, excep) : control_->InitNew(excep);
  if (hr != S_OK) {
    control_->Close();
    control_ = nullptr;
  }
  return hr;
}

void PlacedControl::SetVisible(bool visible) {
  visible_ = visible;
  if (control_) control_->SetVisible(visible);
}

HRESULT PlacedControl::SaveProperties(PropertyBag& bag, ExcepInfo* excep) noexcept {
  if (!control_) return E_POINTER;
  PropertyBag fresh;
  HRESULT hr = control_->Save(fresh, excep);
  if (hr == S_OK) bag = std::move(fresh);
  return hr;
}

HRESULT PlacedControl::Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                            ExcepInfo* excep) noexcept {
  bool moved = left != left_ || top != top_;
  bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (!control_) return S_OK;
  if (moved) control_->SetPosition(left, top);
  return resized ? control_->SetExtent(width, height, excep) : S_OK;
}

HRESULT PlacedControl::GetIDsOfNames(std::string_view name, DISPID* id) noexcept {
  if (DispatchObject::GetIDsOfNames(name, id) == S_OK) return S_OK;
  if (!control_) return DISP_E_UNKNOWNNAME;
  return control_->GetIDsOfNames(name, id);
}

HRESULT PlacedControl::Invoke(DISPID id, std::uint16_t flags, std::vector<Variant>& args, Variant* result,
                              ExcepInfo* excep) noexcept {
  switch (id) {
    case DISPID_EXT_NAME:
    case DISPID_EXT_VISIBLE:
    case DISPID_EXT_LEFT:
    case DISPID_EXT_TOP:
    case DISPID_EXT_WIDTH:
    case DISPID_EXT_HEIGHT: return DispatchObject::Invoke(id, flags, args, result, excep);
    default:
      if (!control_) {
        if (excep) *excep = ExcepInfo{91, {}, ErrorText(91)};
        return DISP_E_EXCEPTION;
      }
      return control_->Invoke(id, flags, args, result, excep);
  }
}

std::uint32_t PlacedControl::ConnectEvents(IDispatch* sink) noexcept {
  std::uint32_t cookie = 0;
  if (!control_ || control_->Advise(sink, &cookie) != S_OK) return 0;
  return cookie;
}

void PlacedControl::DisconnectEvents(std::uint32_t cookie) noexcept {
  if (control_) control_->Unadvise(cookie);
}

}  // namespace winplat
