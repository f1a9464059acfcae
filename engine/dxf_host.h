#pragma once
// The DXF view control as the program holds it: the one instance DXF1 on the
// main window, created by ProgID, placed with the container's extender
// properties (Visible, Width, Height), called late-bound by dispatch
// identifier; the entity objects it hands back are read by field name.
// Every call raises the control's automation error on the caller's side.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <kelvaneent/kelvaneent.h>
#include "winplat/container.h"

namespace fieldray::engine {

class DxfHost {
 public:
  // Creates and places the control; a new instance unless `bag` holds its
  // saved properties. Raises error 429 when the class cannot be created.
  explicit DxfHost(winplat::HWND mainWindow, const winplat::PropertyBag* bag = nullptr, bool userMode = true);

  // The control library's file name, in the program's library folder.
  static constexpr const char* kLibraryFile = FIELDRAY_KELVANE_SONAME;
  // Registers the control library found in `folder` unless the class is
  // registered already; false when it is not and cannot be.
  static bool EnsureRegistered(const std::filesystem::path& folder);

  // The extender (DXF1): the container's properties and every member of the control.
  winplat::PlacedControl& DXF1() const { return *placed_; }

  // Late-bound calls by dispatch identifier.
  winplat::Variant Call(winplat::DISPID id, std::vector<winplat::Variant> args = {}) const;
  winplat::Variant Get(winplat::DISPID id) const;
  void Put(winplat::DISPID id, const winplat::Variant& value) const;

  // The members the drawing import relies on.
  void SetFilename(const std::string& path) const;
  void SetCalcExtents(bool value) const;
  std::int32_t Regen(std::int32_t merge = 0, float xOffset = 0, float yOffset = 0) const;
  bool GetExtents(float& left, float& top, float& right, float& bottom) const;
  void Clear() const;
  // GetLines, GetPolyLines, GetCircles (and the other queries): False with
  // the control's error text, or True and the new collection.
  bool Query(winplat::DISPID id, std::string& strError, winplat::ComPtr<winplat::IDispatch>& collection) const;

  // Container properties.
  void SetVisible(bool visible) const { placed_->SetVisible(visible); }
  bool Visible() const { return placed_->Visible(); }
  std::int32_t Width() const { return placed_->Width(); }
  std::int32_t Height() const { return placed_->Height(); }
  void Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) const;

  // Entity objects and collections, by name at run time, in any letter case.
  static winplat::Variant Field(winplat::IDispatch* entity, std::string_view name);
  static void SetField(winplat::IDispatch* entity, std::string_view name, const winplat::Variant& value);
  static std::vector<winplat::ComPtr<winplat::IDispatch>> Items(winplat::IDispatch* collection);

 private:
  winplat::ComPtr<winplat::PlacedControl> placed_;
};

}  // namespace fieldray::engine
