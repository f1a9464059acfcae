#pragma once
// Class registration and creation by ProgID.
//
// A server library exports, with C linkage, DllGetClassObject, DllCanUnloadNow,
// DllRegisterServer and DllUnregisterServer. Registration records, under
// HKEY_CLASSES_ROOT:
//   <ProgID>\CLSID                     (default) = the class identifier
//   CLSID\<clsid>                      (default) = the class description
//   CLSID\<clsid>\InprocServer32       (default) = the library file
//   CLSID\<clsid>\ProgID               (default) = the ProgID
// Creation by ProgID finds the library, loads it, resolves DllGetClassObject
// and asks the class factory for a new object.
#include <filesystem>
#include <new>
#include <string>
#include <string_view>

#include "winplat/dispatch.h"

namespace winplat {

constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x8004019Cu);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

class IClassFactory : public IUnknown {
 public:
  // A new object with one reference for the caller; never raises.
  virtual HRESULT CreateInstance(IDispatch** object, ExcepInfo* excep) noexcept = 0;
};

using DllGetClassObjectProc = HRESULT (*)(const char* clsid, IClassFactory** factory);
using DllCanUnloadNowProc = HRESULT (*)();
using DllRegisterServerProc = HRESULT (*)();
using DllUnregisterServerProc = HRESULT (*)();

// Writes, or removes, the registration records of one class. The records are
// written in one change: a registration that fails leaves none of them.
HRESULT RegisterServerClass(std::string_view progId, std::string_view clsid, std::string_view description,
                            const std::filesystem::path& library) noexcept;
HRESULT UnregisterServerClass(std::string_view progId, std::string_view clsid) noexcept;

// Why the last registration call of this thread (the four above and below)
// failed, with the registry's or the system's reason ("class P not
// registered: REASON"); empty after one that succeeded.
std::string RegistrationFailureText();

// Loads a server library and calls its DllRegisterServer (or
// DllUnregisterServer), as a registration tool does. CO_E_DLLNOTFOUND when the
// library or its entry cannot be found.
HRESULT RegisterServerLibrary(const std::filesystem::path& library) noexcept;
HRESULT UnregisterServerLibrary(const std::filesystem::path& library) noexcept;

// Creates an object by ProgID; the error record tells why it could not.
HRESULT CreateObjectByProgID(std::string_view progId, IDispatch** object, ExcepInfo* excep) noexcept;

// The same on the caller's side: raises the error (429 and the reason).
inline ComPtr<IDispatch> CreateObject(std::string_view progId) {
  IDispatch* raw = nullptr;
  ExcepInfo excep;
  if (CreateObjectByProgID(progId, &raw, &excep) != S_OK || !raw)
    throw AutomationError(excep.number ? excep.number : 429, excep.source,
                          excep.description.empty() ? ErrorText(429) : excep.description);
  return ComPtr<IDispatch>::Adopt(raw);
}

// The class factory a server hands out for a class T with a default constructor.
template <class T>
class ClassFactory : public IClassFactory {
 public:
  std::uint32_t AddRef() noexcept override { return refs_.AddRefImpl(); }
  std::uint32_t Release() noexcept override {
    std::uint32_t left = 0;
    if (refs_.ReleaseImpl(left)) delete this;
    return left;
  }
  HRESULT CreateInstance(IDispatch** object, ExcepInfo* excep) noexcept override {
    if (!object) return E_POINTER;
    *object = nullptr;
    try {
      *object = new T();
      return S_OK;
    } catch (const AutomationError& e) {
      if (excep) *excep = ExcepInfo{e.Number(), e.Source(), e.Description()};
    } catch (const std::bad_alloc&) {
      if (excep) *excep = ExcepInfo{7, {}, ErrorText(7)};
    } catch (...) {
      if (excep) *excep = ExcepInfo{429, {}, ErrorText(429)};
    }
    return E_FAIL;
  }

 private:
  RefCounted refs_;
};

}  // namespace winplat
