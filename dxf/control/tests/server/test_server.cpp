// The control's server entries for the tests: each is the test program's own
// (found in the program's exported symbols), except the registration, which
// names this library so that the class registry can load it.
#include <dlfcn.h>

#include "../../pp_appearance.h"
#include "kelvaneent/kelvaneent.h"
#include "winplat/classreg.h"
#include "winplat/module.h"

using winplat::HRESULT;

namespace {

// The program's own entry: the program and what it links, never this library,
// which the class registry loads on its own.
template <typename F>
F* ProgramEntry(const char* name) {
  static void* program = dlopen(nullptr, RTLD_NOW);
  return reinterpret_cast<F*>(program ? dlsym(program, name) : nullptr);
}

// Something of this library alone: the program's exported entries take the
// place of this library's own wherever their names are looked up.
const char kThisLibrary = 0;

}  // namespace

extern "C" {

HRESULT DllGetClassObject(const char* clsid, winplat::IClassFactory** factory) noexcept {
  auto* entry = ProgramEntry<decltype(DllGetClassObject)>("DllGetClassObject");
  return entry ? entry(clsid, factory) : winplat::CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT DllCanUnloadNow() noexcept {
  auto* entry = ProgramEntry<decltype(DllCanUnloadNow)>("DllCanUnloadNow");
  return entry ? entry() : winplat::S_FALSE;
}

HRESULT DllRegisterServer() noexcept {
  auto self = winplat::ModuleFileOf(&kThisLibrary);
  HRESULT hr = winplat::RegisterServerClass(kelvane::kProgID, kelvane::kCLSID_DXF, kelvane::kClassDescription, self);
  if (hr != winplat::S_OK) return hr;
  return winplat::RegisterServerClass(kelvane::kPageProgID, kelvane::kCLSID_ppAppearance, kelvane::kPageProgID, self);
}

HRESULT DllUnregisterServer() noexcept {
  auto* entry = ProgramEntry<decltype(DllUnregisterServer)>("DllUnregisterServer");
  return entry ? entry() : winplat::E_FAIL;
}

}  // extern "C"
