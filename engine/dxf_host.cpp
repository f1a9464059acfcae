// The program's hold on the DXF view control.
#include "engine/dxf_host.h"

#include "winplat/classreg.h"
#include "winplat/collection.h"
#include "winplat/registry.h"

namespace fieldray::engine {

using winplat::ComPtr;
using winplat::DISPID;
using winplat::IDispatch;
using winplat::Variant;
namespace dispid = kelvane::dispid;

DxfHost::DxfHost(winplat::HWND mainWindow, const winplat::PropertyBag* bag, bool userMode)
    : placed_(winplat::PlaceControl(kelvane::kProgID, "DXF1", mainWindow, userMode, bag)) {}

bool DxfHost::EnsureRegistered(const std::filesystem::path& folder) {
  std::string clsid, library;
  if (winplat::RegReadString(winplat::HKEY_CLASSES_ROOT, std::string(kelvane::kProgID) + "\\CLSID", "", clsid) ==
          winplat::ERROR_SUCCESS &&
      winplat::RegReadString(winplat::HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "", library) ==
          winplat::ERROR_SUCCESS) {
    std::error_code ec;
    if (std::filesystem::exists(library, ec)) return true;
  }
  return winplat::RegisterServerLibrary(folder / kLibraryFile) == winplat::S_OK;
}

Variant DxfHost::Call(DISPID id, std::vector<Variant> args) const {
  return winplat::Invoke(placed_.Get(), id, winplat::DISPATCH_METHOD | winplat::DISPATCH_PROPERTYGET,
                         std::move(args));
}

Variant DxfHost::Get(DISPID id) const { return winplat::Invoke(placed_.Get(), id, winplat::DISPATCH_PROPERTYGET); }

void DxfHost::Put(DISPID id, const Variant& value) const {
  winplat::Invoke(placed_.Get(), id, winplat::DISPATCH_PROPERTYPUT, {value});
}

void DxfHost::SetFilename(const std::string& path) const { Put(dispid::Filename, Variant(path)); }

void DxfHost::SetCalcExtents(bool value) const { Put(dispid::CalcExtents, Variant(value)); }

std::int32_t DxfHost::Regen(std::int32_t merge, float xOffset, float yOffset) const {
  return Call(dispid::Regen, {Variant(merge), Variant(xOffset), Variant(yOffset)}).ToLong();
}

bool DxfHost::GetExtents(float& left, float& top, float& right, float& bottom) const {
  return Call(dispid::GetExtents,
              {Variant::ByRef(&left), Variant::ByRef(&top), Variant::ByRef(&right), Variant::ByRef(&bottom)})
      .ToBool();
}

void DxfHost::Clear() const { Call(dispid::Clear); }

bool DxfHost::Query(DISPID id, std::string& strError, ComPtr<IDispatch>& collection) const {
  return Call(id, {Variant::ByRef(&strError), Variant::ByRef(&collection)}).ToBool();
}

void DxfHost::Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) const {
  winplat::ExcepInfo excep;
  if (placed_->Move(left, top, width, height, &excep) != winplat::S_OK)
    throw winplat::AutomationError(excep.number, excep.source, excep.description);
}

Variant DxfHost::Field(IDispatch* entity, std::string_view name) { return winplat::GetProperty(entity, name); }

void DxfHost::SetField(IDispatch* entity, std::string_view name, const Variant& value) {
  winplat::PutProperty(entity, name, value);
}

std::vector<ComPtr<IDispatch>> DxfHost::Items(IDispatch* collection) {
  std::vector<ComPtr<IDispatch>> items;
  auto en = winplat::NewEnum(collection);
  Variant item;
  while (en->Next(item)) items.push_back(item.ToObject());
  return items;
}

}  // namespace fieldray::engine
