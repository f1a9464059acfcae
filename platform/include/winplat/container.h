#pragma once
// The container's side of a placed control: the site the control talks to
// (ambient user mode, property-change signals, the parent window) and the
// extender through which the host calls it. The extender adds the container's
// own properties (Name, Visible, Left, Top, Width, Height) and passes every
// other member to the control unchanged.
#include <string>
#include <vector>

#include "winplat/control.h"

namespace winplat {

class PlacedControl : public DispatchObject, public ControlSite {
 public:
  static constexpr DISPID DISPID_EXT_NAME = static_cast<DISPID>(0x80010000u);
  static constexpr DISPID DISPID_EXT_VISIBLE = static_cast<DISPID>(0x80010007u);
  static constexpr DISPID DISPID_EXT_LEFT = static_cast<DISPID>(0x80010100u);
  static constexpr DISPID DISPID_EXT_TOP = static_cast<DISPID>(0x80010101u);
  static constexpr DISPID DISPID_EXT_WIDTH = static_cast<DISPID>(0x80010102u);
  static constexpr DISPID DISPID_EXT_HEIGHT = static_cast<DISPID>(0x80010103u);

  PlacedControl(std::string name, HWND container, bool userMode);

  // Creates the control by ProgID and places it: a new instance (its
  // defaults), or restored from `bag`. Never raises.
  HRESULT Create(std::string_view progId, const PropertyBag* bag, ExcepInfo* excep) noexcept;
  // Saves the control's persisted properties. Never raises.
  HRESULT SaveProperties(PropertyBag& bag, ExcepInfo* excep) noexcept;

  HRESULT GetIDsOfNames(std::string_view name, DISPID* id) noexcept override;
  HRESULT Invoke(DISPID id, std::uint16_t flags, std::vector<Variant>& args, Variant* result,
                 ExcepInfo* excep) noexcept override;

  // The control object itself.
  IDispatch* Object() const { return control_.Get(); }
  ControlObject* Control() const { return control_.Get(); }

  const std::string& Name() const { return name_; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  std::int32_t Left() const { return left_; }
  std::int32_t Top() const { return top_; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  // Moves and sizes the control (pixels); the control hears of a new size.
  HRESULT Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
               ExcepInfo* excep) noexcept;

  // Switches the container between run mode (true) and design mode.
  void SetUserMode(bool userMode) { userMode_ = userMode; }
  // Names of the persisted properties the control reported changed, in order.
  const std::vector<std::string>& ChangedProperties() const { return changed_; }
  void ClearChanged() { changed_.clear(); }

  // Connects a sink to the control's events; 0 when the control refuses it.
  std::uint32_t ConnectEvents(IDispatch* sink) noexcept;
  void DisconnectEvents(std::uint32_t cookie) noexcept;

  // ControlSite
  bool AmbientUserMode() override { return userMode_; }
  void PropertyChanged(std::string_view name) override { changed_.emplace_back(name); }
  HWND ContainerWindow() override { return container_; }

 protected:
  ~PlacedControl() override;

 private:
  std::string name_;
  HWND container_;
  bool userMode_;
  bool visible_ = true;
  std::int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  ComPtr<ControlObject> control_;
  std::vector<std::string> changed_;
};

// Places a control on the caller's side: raises the error of a failed creation.
inline ComPtr<PlacedControl> PlaceControl(std::string_view progId, std::string name, HWND container, bool userMode,
                                          const PropertyBag* bag = nullptr) {
  auto placed = MakeObject<PlacedControl>(std::move(name), container, userMode);
  ExcepInfo excep;
  if (placed->Create(progId, bag, &excep) != S_OK)
    throw AutomationError(excep.number ? excep.number : 429, excep.source, excep.description);
  return placed;
}

}  // namespace winplat
