// Window classes. A class belongs to the loaded object that holds its window
// procedure; when that object is unloaded the class and its windows go too, so
// a library that registers a class at load can be unloaded and loaded again.
#include <link.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "ui_state.h"

#include "winplat/text.h"

namespace winplat::ui {
namespace {

struct Lookup {
  std::uintptr_t address = 0;
  ModuleId found;
};

int FindContaining(dl_phdr_info* info, std::size_t, void* data) {
  auto* lookup = static_cast<Lookup*>(data);
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const auto& ph = info->dlpi_phdr[i];
    if (ph.p_type != PT_LOAD) continue;
    std::uintptr_t start = info->dlpi_addr + ph.p_vaddr;
    if (lookup->address >= start && lookup->address < start + ph.p_memsz) {
      lookup->found.path = info->dlpi_name ? info->dlpi_name : "";
      lookup->found.base = info->dlpi_addr;
      lookup->found.known = true;
      return 1;
    }
  }
  return 0;
}

struct Presence {
  const ModuleId* module = nullptr;
  bool loaded = false;
};

int FindLoaded(dl_phdr_info* info, std::size_t, void* data) {
  auto* p = static_cast<Presence*>(data);
  const char* name = info->dlpi_name ? info->dlpi_name : "";
  if (info->dlpi_addr == p->module->base && p->module->path == name) {
    p->loaded = true;
    return 1;
  }
  return 0;
}

int ReadUnloads(dl_phdr_info* info, std::size_t size, void* data) {
  if (size >= offsetof(dl_phdr_info, dlpi_subs) + sizeof(info->dlpi_subs))
    *static_cast<std::uint64_t*>(data) = info->dlpi_subs;
  return 1;
}

bool StillLoaded(const ModuleId& module) {
  if (!module.known) return true;
  Presence p{&module, false};
  dl_iterate_phdr(FindLoaded, &p);
  return p.loaded;
}

void CopyInto(WindowClass& wc) {
  wc.wc.lpszClassName = wc.name.c_str();
  wc.wc.lpszMenuName = wc.menuName.empty() ? nullptr : wc.menuName.c_str();
}

}  // namespace

ModuleId ModuleOf(const void* address) {
  Lookup lookup;
  lookup.address = reinterpret_cast<std::uintptr_t>(address);
  dl_iterate_phdr(FindContaining, &lookup);
  return lookup.found;
}

std::uint64_t UnloadCount() {
  std::uint64_t subs = 0;
  dl_iterate_phdr(ReadUnloads, &subs);
  return subs;
}

void DropUnloadedClasses() {
  std::uint64_t unloads = UnloadCount();
  std::vector<HWND> orphans;
  {
    auto lock = Locked();
    State& s = S();
    if (unloads == s.unloadsSeen) return;
    s.unloadsSeen = unloads;
    for (auto it = s.classes.begin(); it != s.classes.end();) {
      if (StillLoaded(it->second.module)) {
        ++it;
        continue;
      }
      for (const auto& [hwnd, w] : s.windows)
        if (w.classKey == it->first) orphans.push_back(hwnd);
      it = s.classes.erase(it);
    }
  }
  for (HWND hwnd : orphans) RemoveWindowSilently(hwnd);
}

}  // namespace winplat::ui

namespace winplat {

using namespace ui;

ATOM RegisterClass(const WNDCLASS& wc) {
  if (!wc.lpszClassName || !*wc.lpszClassName || !wc.lpfnWndProc) return 0;
  DropUnloadedClasses();
  ModuleId module = ModuleOf(reinterpret_cast<const void*>(wc.lpfnWndProc));
  std::uint64_t unloads = UnloadCount();
  std::string key = winplat::AsciiLower(wc.lpszClassName);
  ATOM atom = 0;
  {
    auto lock = Locked();
    State& s = S();
    auto it = s.classes.find(key);
    if (it != s.classes.end()) {
      // The same library unloaded and loaded again at the same place, with no
      // call in between, looks still loaded. Something was unloaded since the
      // class was registered, so this is that new load registering again. Its
      // window procedure is the same code at the same address, so windows of
      // the class are kept (this also keeps a live library's windows safe if
      // that guess is wrong).
      const WindowClass& old = it->second;
      bool reloaded = old.module.known && module.known && old.module.path == module.path &&
                      old.module.base == module.base && old.wc.lpfnWndProc == wc.lpfnWndProc &&
                      unloads > old.unloadsAtRegistration;
      if (!reloaded) return 0;
      s.classes.erase(it);
    }
    WindowClass entry;
    entry.name = wc.lpszClassName;
    entry.menuName = wc.lpszMenuName ? wc.lpszMenuName : "";
    entry.wc = wc;
    entry.module = module;
    entry.unloadsAtRegistration = unloads;
    entry.atom = s.nextAtom++;
    if (s.nextAtom == 0) s.nextAtom = 0xC000;
    atom = entry.atom;
    auto& stored = s.classes[key] = std::move(entry);
    CopyInto(stored);
  }
  return atom;
}

ATOM RegisterClassEx(const WNDCLASSEX& wcx) {
  if (wcx.cbSize != sizeof(WNDCLASSEX)) return 0;
  WNDCLASS wc;
  wc.style = wcx.style;
  wc.lpfnWndProc = wcx.lpfnWndProc;
  wc.cbClsExtra = wcx.cbClsExtra;
  wc.cbWndExtra = wcx.cbWndExtra;
  wc.hInstance = wcx.hInstance;
  wc.hIcon = wcx.hIcon;
  wc.hCursor = wcx.hCursor;
  wc.hbrBackground = wcx.hbrBackground;
  wc.lpszMenuName = wcx.lpszMenuName;
  wc.lpszClassName = wcx.lpszClassName;
  return RegisterClass(wc);
}

bool UnregisterClass(std::string_view className, HINSTANCE) {
  DropUnloadedClasses();
  auto lock = Locked();
  State& s = S();
  std::string key = winplat::AsciiLower(className);
  auto it = s.classes.find(key);
  if (it == s.classes.end()) return false;
  // A class with windows stays registered, as on Windows.
  for (const auto& [hwnd, w] : s.windows)
    if (w.classKey == key) return false;
  s.classes.erase(it);
  return true;
}

bool GetClassInfo(HINSTANCE, std::string_view className, WNDCLASS* out) {
  DropUnloadedClasses();
  auto lock = Locked();
  auto it = S().classes.find(winplat::AsciiLower(className));
  if (it == S().classes.end()) return false;
  if (out) *out = it->second.wc;
  return true;
}

}  // namespace winplat
