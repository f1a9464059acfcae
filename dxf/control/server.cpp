// Server entries of the control library: the class factory of DXF, whether
// the library may be unloaded, and its registration by ProgID.
#include "dxf_control.h"
#include "pp_appearance.h"
#include "winplat/classreg.h"
#include "winplat/module.h"

using winplat::HRESULT;

// The library's interface: these four entries; everything else in it is hidden.
#define KELVANE_SERVER_ENTRY __attribute__((visibility("default")))

extern "C" {

KELVANE_SERVER_ENTRY HRESULT DllGetClassObject(const char* clsid, winplat::IClassFactory** factory) noexcept {
  if (!factory) return winplat::E_POINTER;
  *factory = nullptr;
  if (!clsid) return winplat::CLASS_E_CLASSNOTAVAILABLE;
  const std::string_view id(clsid);
  if (id != kelvane::kCLSID_DXF && id != kelvane::kCLSID_ppAppearance) return winplat::CLASS_E_CLASSNOTAVAILABLE;
  try {
    if (id == kelvane::kCLSID_DXF)
      *factory = new winplat::ClassFactory<kelvane::DXF>();
    else
      *factory = new winplat::ClassFactory<kelvane::ppAppearanceObject>();
    return winplat::S_OK;
  } catch (...) {
    return winplat::E_FAIL;
  }
}

KELVANE_SERVER_ENTRY HRESULT DllCanUnloadNow() noexcept {
  return kelvane::LiveControls() == 0 ? winplat::S_OK : winplat::S_FALSE;
}

KELVANE_SERVER_ENTRY HRESULT DllRegisterServer() noexcept {
  auto self = winplat::ModuleFileOf(reinterpret_cast<const void*>(&DllRegisterServer));
  HRESULT hr = winplat::RegisterServerClass(kelvane::kProgID, kelvane::kCLSID_DXF, kelvane::kClassDescription, self);
  if (hr != winplat::S_OK) return hr;
  return winplat::RegisterServerClass(kelvane::kPageProgID, kelvane::kCLSID_ppAppearance, kelvane::kPageProgID, self);
}

KELVANE_SERVER_ENTRY HRESULT DllUnregisterServer() noexcept {
  HRESULT page = winplat::UnregisterServerClass(kelvane::kPageProgID, kelvane::kCLSID_ppAppearance);
  HRESULT control = winplat::UnregisterServerClass(kelvane::kProgID, kelvane::kCLSID_DXF);
  return control != winplat::S_OK ? control : page;
}
}
