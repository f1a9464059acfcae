// Window text, class name, search and window values.
#include "ui_state.h"

#include "winplat/text.h"

namespace winplat {

using namespace ui;

bool SetWindowText(HWND hwnd, std::string_view text) {
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return false;
    w->title = std::string(text);
  }
  return true;
}

std::string GetWindowText(HWND hwnd) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  return w ? w->title : std::string();
}

std::string GetClassName(HWND hwnd) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  if (!w) return {};
  auto it = S().classes.find(w->classKey);
  return it == S().classes.end() ? std::string() : it->second.name;
}

HWND FindWindow(std::string_view className, std::string_view windowName) {
  DropUnloadedClasses();
  auto lock = Locked();
  std::string key = winplat::AsciiLower(className);
  for (HWND hwnd : S().topLevel) {
    Window* w = Find(hwnd);
    if (!w) continue;
    if (!className.empty() && w->classKey != key) continue;
    if (!windowName.empty() && w->title != windowName) continue;
    return hwnd;
  }
  return 0;
}

LRESULT GetWindowLongPtr(HWND hwnd, int index) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE:
      return static_cast<LRESULT>(w->style | (w->visible ? WS_VISIBLE : 0u) | (w->enabled ? 0u : WS_DISABLED) |
                                  (w->state == ShowState::Minimized ? WS_MINIMIZE : 0u) |
                                  (w->state == ShowState::Maximized ? WS_MAXIMIZE : 0u));
    case GWL_EXSTYLE:
      return static_cast<LRESULT>((w->exStyle & ~WS_EX_TOPMOST) | (w->topmost ? WS_EX_TOPMOST : 0u));
    case GWLP_ID:
      return static_cast<LRESULT>(w->id);
    case GWLP_USERDATA:
      return w->userData;
    case GWLP_WNDPROC:
      return reinterpret_cast<LRESULT>(w->proc);
    default:
      return 0;
  }
}

LRESULT SetWindowLongPtr(HWND hwnd, int index, LRESULT value) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  if (!w) return 0;
  LRESULT old = GetWindowLongPtr(hwnd, index);
  switch (index) {
    case GWL_STYLE:
      w->style = static_cast<std::uint32_t>(value) & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE | WS_DISABLED);
      break;
    case GWL_EXSTYLE:
      w->exStyle = static_cast<std::uint32_t>(value);
      break;
    case GWLP_ID:
      w->id = static_cast<std::uintptr_t>(value);
      break;
    case GWLP_USERDATA:
      w->userData = value;
      break;
    case GWLP_WNDPROC:
      if (value) w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    default:
      return 0;
  }
  return old;
}

std::uintptr_t GetClassLongPtr(HWND hwnd, int index) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  if (!w) return 0;
  auto it = S().classes.find(w->classKey);
  if (it == S().classes.end()) return 0;
  const WNDCLASS& wc = it->second.wc;
  switch (index) {
    case GCLP_HBRBACKGROUND:
      return wc.hbrBackground;
    case GCLP_HCURSOR:
      return wc.hCursor;
    case GCLP_HICON:
      return wc.hIcon;
    case GCL_STYLE:
      return wc.style;
    default:
      return 0;
  }
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

}  // namespace winplat
