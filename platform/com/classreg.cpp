// Registration records and creation by ProgID through the server's class factory.
#include "winplat/classreg.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include "winplat/registry.h"

namespace winplat {
namespace {

std::mutex loadMutex;
std::map<std::string, void*> loadedLibraries;  // by file name; kept loaded for the process

void Fail(ExcepInfo* excep, std::string description) {
  if (excep) *excep = ExcepInfo{429, "", std::move(description)};
}

}  // namespace

HRESULT RegisterServerClass(std::string_view progId, std::string_view clsid, std::string_view description,
                            const std::filesystem::path& library) noexcept {
  try {
    std::string clsidKey = "CLSID\\" + std::string(clsid);
    if (RegWriteString(HKEY_CLASSES_ROOT, progId, "", description) != ERROR_SUCCESS ||
        RegWriteString(HKEY_CLASSES_ROOT, std::string(progId) + "\\CLSID", "", clsid) != ERROR_SUCCESS ||
        RegWriteString(HKEY_CLASSES_ROOT, clsidKey, "", description) != ERROR_SUCCESS ||
        RegWriteString(HKEY_CLASSES_ROOT, clsidKey + "\\InprocServer32", "", library.string()) != ERROR_SUCCESS ||
        RegWriteString(HKEY_CLASSES_ROOT, clsidKey + "\\ProgID", "", progId) != ERROR_SUCCESS)
      return SELFREG_E_CLASS;
    return S_OK;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}

HRESULT UnregisterServerClass(std::string_view progId, std::string_view clsid) noexcept {
  try {
    LONG a = RegRemoveTree(HKEY_CLASSES_ROOT, progId);
    LONG b = RegRemoveTree(HKEY_CLASSES_ROOT, "CLSID\\" + std::string(clsid));
    bool ok = (a == ERROR_SUCCESS || a == ERROR_FILE_NOT_FOUND) && (b == ERROR_SUCCESS || b == ERROR_FILE_NOT_FOUND);
    return ok ? S_OK : SELFREG_E_CLASS;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}

namespace {

HRESULT CallServerEntry(const std::filesystem::path& library, const char* entry) noexcept {
  try {
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return CO_E_DLLNOTFOUND;
    auto fn = reinterpret_cast<DllRegisterServerProc>(dlsym(handle, entry));
    HRESULT hr = fn ? fn() : CO_E_DLLNOTFOUND;
    dlclose(handle);
    return hr;
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
    if (RegReadString(HKEY_CLASSES_ROOT, std::string(progId) + "\\CLSID", "", clsid) != ERROR_SUCCESS) {
      Fail(excep, ErrorText(429) + ": class " + std::string(progId) + " is not registered");
      return REGDB_E_CLASSNOTREG;
    }
    if (RegReadString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "", library) != ERROR_SUCCESS ||
        library.empty()) {
      Fail(excep, ErrorText(429) + ": no server library registered for " + std::string(progId));
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
