// Registration records and creation by ProgID through the server's class factory.
#include "winplat/classreg.h"

#include <dlfcn.h>

#include <exception>
#include <initializer_list>
#include <map>
#include <mutex>
#include <string>

#include "winplat/registry.h"

namespace winplat {
namespace {

std::mutex loadMutex;
std::map<std::string, void*> loadedLibraries;  // by file name; kept loaded for the process

void Fail(ExcepInfo* excep, std::string description) {
  if (excep) *excep = ExcepInfo{429, "", std::move(description)};
}

// Why the last registration of this thread failed.
thread_local std::string registrationFailure;

// Keeps the parts, joined, as the reason; never raises (a text that cannot
// be made is left out, the failure still reported).
HRESULT RegistrationFailed(std::initializer_list<std::string_view> parts) noexcept {
  try {
    registrationFailure.clear();
    for (std::string_view part : parts) registrationFailure.append(part);
  } catch (...) {
    registrationFailure.clear();
  }
  return SELFREG_E_CLASS;
}

// The registry's reason for a failed call, or `fallback` when it gave none
// (a missing key or value, or a bad argument).
std::string RegistryReason(const std::string& fallback) {
  std::string why = RegFailureText();
  return why.empty() ? fallback : why;
}

// A registry call refused without a reason of the registry's own.
constexpr const char* kBadKeyName = "a bad key name";

}  // namespace

std::string RegistrationFailureText() { return registrationFailure; }

HRESULT RegisterServerClass(std::string_view progId, std::string_view clsid, std::string_view description,
                            const std::filesystem::path& library) noexcept {
  try {
    registrationFailure.clear();
    const std::string clsidKey = "CLSID\\" + std::string(clsid);
    const std::string progIdKey(progId);
    // One change: the class is registered whole, or nothing of it is written.
    const LONG rc = RegWriteStrings({{HKEY_CLASSES_ROOT, progIdKey, "", std::string(description)},
                                     {HKEY_CLASSES_ROOT, progIdKey + "\\CLSID", "", std::string(clsid)},
                                     {HKEY_CLASSES_ROOT, clsidKey, "", std::string(description)},
                                     {HKEY_CLASSES_ROOT, clsidKey + "\\InprocServer32", "", library.string()},
                                     {HKEY_CLASSES_ROOT, clsidKey + "\\ProgID", "", progIdKey}});
    if (rc != ERROR_SUCCESS)
      return RegistrationFailed({"class ", progIdKey, " not registered: ", RegistryReason(kBadKeyName)});
    return S_OK;
  } catch (const std::exception& e) {
    return RegistrationFailed({"class ", progId, " not registered: ", e.what()});
  } catch (...) {
    return RegistrationFailed({"class ", progId, " not registered"});
  }
}

HRESULT UnregisterServerClass(std::string_view progId, std::string_view clsid) noexcept {
  try {
    registrationFailure.clear();
    LONG a = RegRemoveTree(HKEY_CLASSES_ROOT, progId);
    std::string whyA = a == ERROR_SUCCESS || a == ERROR_FILE_NOT_FOUND ? "" : RegistryReason(kBadKeyName);
    LONG b = RegRemoveTree(HKEY_CLASSES_ROOT, "CLSID\\" + std::string(clsid));
    std::string whyB = b == ERROR_SUCCESS || b == ERROR_FILE_NOT_FOUND ? "" : RegistryReason(kBadKeyName);
    if (whyA.empty() && whyB.empty()) return S_OK;
    return RegistrationFailed({"class ", progId, " not unregistered: ", whyA.empty() ? whyB : whyA});
  } catch (const std::exception& e) {
    return RegistrationFailed({"class ", progId, " not unregistered: ", e.what()});
  } catch (...) {
    return RegistrationFailed({"class ", progId, " not unregistered"});
  }
}

namespace {

HRESULT CallServerEntry(const std::filesystem::path& library, const char* entry) noexcept {
  try {
    registrationFailure.clear();
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* why = dlerror();
      RegistrationFailed({"cannot load ", library.native(), why ? ": " : "", why ? why : ""});
      return CO_E_DLLNOTFOUND;
    }
    auto fn = reinterpret_cast<DllRegisterServerProc>(dlsym(handle, entry));
    if (!fn) RegistrationFailed({library.native(), " has no ", entry});
    HRESULT hr = fn ? fn() : CO_E_DLLNOTFOUND;
    dlclose(handle);
    return hr;
  } catch (const std::exception& e) {
    RegistrationFailed({e.what()});
    return E_FAIL;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace

HRESULT RegisterServerLibrary(const std::filesystem::path& library) noexcept {
  return CallServerEntry(library, "DllRegisterServer");
}

HRESULT UnregisterServerLibrary(const std::filesystem::path& library) noexcept {
  return CallServerEntry(library, "DllUnregisterServer");
}

HRESULT CreateObjectByProgID(std::string_view progId, IDispatch** object, ExcepInfo* excep) noexcept {
  if (!object) return E_POINTER;
  *object = nullptr;
  try {
    std::string clsid, library;
    // A registry that cannot be read says why, not that the class is missing.
    LONG rc = RegReadString(HKEY_CLASSES_ROOT, std::string(progId) + "\\CLSID", "", clsid);
    if (rc != ERROR_SUCCESS) {
      Fail(excep, ErrorText(429) + ": " + RegistryReason("class " + std::string(progId) + " is not registered"));
      return REGDB_E_CLASSNOTREG;
    }
    rc = RegReadString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "", library);
    if (rc != ERROR_SUCCESS || library.empty()) {
      Fail(excep, ErrorText(429) + ": " + RegistryReason("no server library registered for " + std::string(progId)));
      return REGDB_E_CLASSNOTREG;
    }
    void* handle = nullptr;
    {
      std::lock_guard lock(loadMutex);
      auto it = loadedLibraries.find(library);
      if (it != loadedLibraries.end()) {
        handle = it->second;
      } else {
        handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
          const char* why = dlerror();
          Fail(excep, ErrorText(429) + ": cannot load " + library + (why ? std::string(" (") + why + ")" : ""));
          return CO_E_DLLNOTFOUND;
        }
        loadedLibraries[library] = handle;
      }
    }
    auto getClassObject = reinterpret_cast<DllGetClassObjectProc>(dlsym(handle, "DllGetClassObject"));
    if (!getClassObject) {
      Fail(excep, ErrorText(429) + ": " + library + " has no DllGetClassObject");
      return CO_E_DLLNOTFOUND;
    }
    IClassFactory* rawFactory = nullptr;
    HRESULT hr = getClassObject(clsid.c_str(), &rawFactory);
    if (hr != S_OK || !rawFactory) {
      Fail(excep, ErrorText(429) + ": " + library + " does not serve class " + clsid);
      return hr != S_OK ? hr : CLASS_E_CLASSNOTAVAILABLE;
    }
    ComPtr<IClassFactory> factory = ComPtr<IClassFactory>::Adopt(rawFactory);
    ExcepInfo why;
    hr = factory->CreateInstance(object, &why);
    if (hr != S_OK) {
      if (excep) *excep = why.number ? why : ExcepInfo{429, "", ErrorText(429)};
      return hr;
    }
    return S_OK;
  } catch (...) {
    Fail(excep, ErrorText(429));
    return E_FAIL;
  }
}

}  // namespace winplat
