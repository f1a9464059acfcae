// Server entries of the control library: the class factory of DXF, whether
// the library may be unloaded, and its registration by ProgID.
#include "dxf_control.h"
#include "winplat/classreg.h"

using winplat::HRESULT;

extern "C" {

__attribute__((visibility("default"))) HRESULT DllGetClassObject(const char* clsid,
                                                                 winplat::IClassFactory** factory) noexcept {
  if (!factory) return winplat::E_POINTER;
  *factory = nullptr;
  if (!clsid || std::string_view(clsid) != kelvane::kCLSID_DXF) return winplat::CLASS_E_CLASSNOTAVAILABLE;
  try {
    *factory = new winplat::ClassFactory<kelvane::DXF>();
    return winplat::S_OK;
  } catch (...) {
    return winplat::E_FAIL;
  }
}

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow() noexcept {
  return kelvane::LiveControls() == 0 ? winplat::S_OK : winplat::S_FALSE;
}

__attribute__((visibility("default"))) HRESULT DllRegisterServer() noexcept {
  auto self = reinterpret_cast<const void*>(&DllRegisterServer);
  return winplat::RegisterServerClass(kelvane::kProgID, kelvane::kCLSID_DXF, kelvane::kClassDescription,
                                      winplat::ModuleFileOf(self));
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer() noexcept {
  return winplat::UnregisterServerClass(kelvane::kProgID, kelvane::kCLSID_DXF);
}
}
