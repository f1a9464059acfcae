// Windows: creation and destruction, show state, position and size, z-order,
// placement, text and window values.
#include <algorithm>

#include "ui_state.h"
#include "winplat/screen.h"
#include "winplat/surface.h"
#include "winplat/text.h"

namespace winplat::ui {

State& S() {
  static State* state = new State;  // lives to the very end: windows may be touched from exit handlers
  return *state;
}

Window* Find(HWND hwnd) {
  auto it = S().windows.find(hwnd);
  return it == S().windows.end() ? nullptr : &it->second;
}

namespace {

bool HasCaption(std::uint32_t style) { return (style & WS_CAPTION) == WS_CAPTION; }

int BorderWidth(std::uint32_t style) {
  if (style & WS_THICKFRAME) return GetSystemMetrics(SM_CXFRAME);
  if (style & WS_DLGFRAME) return GetSystemMetrics(SM_CXDLGFRAME);
  if (style & WS_BORDER) return GetSystemMetrics(SM_CXBORDER);
  return 0;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

std::vector<HWND>& Siblings(State& s, const Window& w) {
  if (w.parent) {
    if (Window* p = Find(w.parent)) return p->children;
  }
  return s.topLevel;
}

// Puts the window into its sibling list: at the front of its band, or at the back.
void PlaceInOrder(State& s, Window& w, bool front) {
  auto& list = Siblings(s, w);
  list.erase(std::remove(list.begin(), list.end(), w.hwnd), list.end());
  if (!front) {
    list.push_back(w.hwnd);
    return;
  }
  auto pos = list.begin();
  if (!w.parent && !w.topmost) {
    while (pos != list.end()) {
      Window* other = Find(*pos);
      if (!other || !other->topmost) break;
      ++pos;
    }
  }
  list.insert(pos, w.hwnd);
}

// Gives the window a new rectangle and tells it (surface, WM_SIZE, WM_MOVE).
void Reposition(HWND hwnd, const RECT& rect, WPARAM sizeKind, bool forceSize) {
  int oldW = 0, oldH = 0, newW = 0, newH = 0;
  bool moved = false;
  POINT origin;
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return;
    oldW = ClientWidth(*w);
    oldH = ClientHeight(*w);
    moved = w->rect.left != rect.left || w->rect.top != rect.top;
    w->rect = rect;
    if (w->state == ShowState::Normal) w->normalRect = rect;
    newW = ClientWidth(*w);
    newH = ClientHeight(*w);
    POINT o = ClientOrigin(*w);
    origin = {rect.left + o.x, rect.top + o.y};
  }
  bool sized = forceSize || oldW != newW || oldH != newH;
  if (sized) {
    WindowSurfaceResized(hwnd, newW, newH);
    InvalidateRect(hwnd, nullptr, true);
    SendMessage(hwnd, WM_SIZE, sizeKind, MAKELPARAM(newW, newH));
  }
  if (moved) SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
}

RECT MaximizedRect(HWND parent) {
  RECT r;
  if (parent) {
    GetClientRect(parent, &r);
  } else {
    ScreenMetrics m = Screen();
    int b = GetSystemMetrics(SM_CXFRAME);
    r = {-b, -b, m.width + b, m.height + b};
  }
  return r;
}

RECT MinimizedRect() { return {-32000, -32000, -32000 + 160, -32000 + 24}; }

void Unlink(State& s, Window& w) {
  auto& list = Siblings(s, w);
  list.erase(std::remove(list.begin(), list.end(), w.hwnd), list.end());
}

}  // namespace

int ClientWidth(const Window& w) {
  if (w.state == ShowState::Minimized) return 0;
  return std::max(0, Width(w.rect) - 2 * BorderWidth(w.style));
}

int ClientHeight(const Window& w) {
  if (w.state == ShowState::Minimized) return 0;
  int nonClient = 2 * BorderWidth(w.style) + (HasCaption(w.style) ? GetSystemMetrics(SM_CYCAPTION) : 0);
  return std::max(0, Height(w.rect) - nonClient);
}

POINT ClientOrigin(const Window& w) {
  int b = BorderWidth(w.style);
  return {b, b + (HasCaption(w.style) ? GetSystemMetrics(SM_CYCAPTION) : 0)};
}

bool VisibleWithAncestors(HWND hwnd) {
  auto lock = Locked();
  for (Window* w = Find(hwnd); w; w = w->parent ? Find(w->parent) : nullptr)
    if (!w->visible) return false;
  return Find(hwnd) != nullptr;
}

void RemoveWindowSilently(HWND hwnd) {
  std::vector<HWND> children;
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return;
    children = w->children;
  }
  for (HWND child : children) RemoveWindowSilently(child);
  ForgetWindowTimersAndMessages(hwnd);
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return;
    Unlink(S(), *w);
    S().withUpdate.erase(hwnd);
    S().putOff.erase(hwnd);
    S().windows.erase(hwnd);
  }
  WindowSurfaceDestroyed(hwnd);
}

}  // namespace winplat::ui

namespace winplat {

using namespace ui;

HWND CreateWindowEx(std::uint32_t exStyle, std::string_view className, std::string_view windowName,
                    std::uint32_t style, int x, int y, int width, int height, HWND parent,
                    std::uintptr_t menuOrId, HINSTANCE hInstance, LPARAM createParam) {
  DropUnloadedClasses();
  HWND hwnd = 0;
  std::string classKey = winplat::AsciiLower(className);
  std::string classNameStored;
  {
    auto lock = Locked();
    State& s = S();
    auto cls = s.classes.find(classKey);
    if (cls == s.classes.end()) return 0;
    if (parent && !Find(parent)) return 0;
    if ((style & WS_CHILD) && !parent) return 0;
    ScreenMetrics m = Screen();
    if (x == CW_USEDEFAULT) {
      x = parent ? 0 : m.width / 8;
      y = parent ? 0 : m.height / 8;
    }
    if (width == CW_USEDEFAULT) {
      width = m.width * 3 / 4;
      height = m.height * 3 / 4;
    }
    Window w;
    do {
      hwnd = s.nextHandle++;
      if (s.nextHandle >= 0xFFFFFF00u) s.nextHandle = 0x100;
    } while (s.windows.count(hwnd));
    w.hwnd = hwnd;
    w.classKey = classKey;
    w.proc = cls->second.wc.lpfnWndProc;
    w.style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    w.exStyle = exStyle;
    w.title = std::string(windowName);
    w.parent = parent;
    w.rect = {x, y, x + std::max(0, width), y + std::max(0, height)};
    w.normalRect = w.rect;
    w.enabled = !(style & WS_DISABLED);
    w.topmost = !parent && (exStyle & WS_EX_TOPMOST);
    w.id = (style & WS_CHILD) ? menuOrId : 0;
    w.instance = hInstance;
    classNameStored = cls->second.name;
    auto& stored = s.windows[hwnd] = std::move(w);
    PlaceInOrder(s, stored, true);
  }
  CREATESTRUCT cs;
  cs.lpCreateParams = createParam;
  cs.hInstance = hInstance;
  cs.hMenu = menuOrId;
  cs.hwndParent = parent;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = style;
  std::string name(windowName);
  cs.lpszName = name.c_str();
  cs.lpszClass = classNameStored.c_str();
  cs.dwExStyle = exStyle;
  int startW = 0, startH = 0;
  {
    auto lock = Locked();
    startW = ClientWidth(*Find(hwnd));
    startH = ClientHeight(*Find(hwnd));
  }
  WindowSurfaceResized(hwnd, startW, startH);
  if (SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return 0;
  }
  if (!IsWindow(hwnd)) return 0;  // destroyed itself while being created
  RECT r;
  int cw = 0, ch = 0;
  POINT origin;
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    r = w->rect;
    cw = ClientWidth(*w);
    ch = ClientHeight(*w);
    POINT o = ClientOrigin(*w);
    origin = {r.left + o.x, r.top + o.y};
  }
  SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
  SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  if (style & WS_MAXIMIZE)
    ShowWindow(hwnd, (style & WS_VISIBLE) ? SW_SHOWMAXIMIZED : SW_MAXIMIZE);
  else if (style & WS_MINIMIZE)
    ShowWindow(hwnd, SW_SHOWMINIMIZED);
  else if (style & WS_VISIBLE)
    ShowWindow(hwnd, SW_SHOW);
  return IsWindow(hwnd) ? hwnd : 0;
}

bool DestroyWindow(HWND hwnd) {
  std::vector<HWND> children;
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w || w->destroying) return false;
    w->destroying = true;
    w->visible = false;
  }
  SendMessage(hwnd, WM_DESTROY, 0, 0);
  {
    auto lock = Locked();
    if (Window* w = Find(hwnd)) children = w->children;
  }
  for (HWND child : children) DestroyWindow(child);
  SendMessage(hwnd, WM_NCDESTROY, 0, 0);
  ForgetWindowTimersAndMessages(hwnd);
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return true;
    Unlink(S(), *w);
    S().withUpdate.erase(hwnd);
    S().putOff.erase(hwnd);
    S().windows.erase(hwnd);
  }
  WindowSurfaceDestroyed(hwnd);
  return true;
}

bool IsWindow(HWND hwnd) {
  DropUnloadedClasses();
  auto lock = Locked();
  return hwnd != 0 && Find(hwnd) != nullptr;
}

bool ShowWindow(HWND hwnd, int command) {
  bool wasVisible = false;
  ShowState from = ShowState::Normal, to = ShowState::Normal;
  HWND parent = 0;
  RECT normal;
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return false;
    wasVisible = w->visible;
    from = to = w->state;
    parent = w->parent;
    normal = w->normalRect;
  }
  bool show = command != SW_HIDE;
  switch (command) {
    case SW_SHOWNORMAL:
    case SW_RESTORE:
      to = ShowState::Normal;
      break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      to = ShowState::Minimized;
      break;
    case SW_SHOWMAXIMIZED:
      to = ShowState::Maximized;
      break;
    default:
      break;
  }
  if (show != wasVisible) SendMessage(hwnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return wasVisible;
    w->visible = show;
    w->state = to;
  }
  if (to != from) {
    RECT r = to == ShowState::Normal      ? normal
             : to == ShowState::Maximized ? MaximizedRect(parent)
                                          : MinimizedRect();
    WPARAM kind = to == ShowState::Normal ? SIZE_RESTORED : to == ShowState::Maximized ? SIZE_MAXIMIZED : SIZE_MINIMIZED;
    Reposition(hwnd, r, kind, true);
  }
  if (show && !wasVisible) InvalidateRect(hwnd, nullptr, true);
  return wasVisible;
}

bool IsWindowVisible(HWND hwnd) { return VisibleWithAncestors(hwnd); }

bool IsIconic(HWND hwnd) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  return w && w->state == ShowState::Minimized;
}

bool IsZoomed(HWND hwnd) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  return w && w->state == ShowState::Maximized;
}

bool EnableWindow(HWND hwnd, bool enable) {
  bool wasDisabled = false;
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return false;
    wasDisabled = !w->enabled;
    if (w->enabled == enable) return wasDisabled;
    w->enabled = enable;
  }
  SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
  return wasDisabled;
}

bool IsWindowEnabled(HWND hwnd) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  return w && w->enabled;
}

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint) {
  if (!IsWindow(hwnd)) return false;
  Reposition(hwnd, {x, y, x + std::max(0, width), y + std::max(0, height)}, SIZE_RESTORED, false);
  if (repaint) InvalidateRect(hwnd, nullptr, true);
  return true;
}

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  RECT r;
  {
    auto lock = Locked();
    State& s = S();
    Window* w = Find(hwnd);
    if (!w) return false;
    r = w->rect;
    if (!(flags & SWP_NOZORDER)) {
      if (insertAfter == HWND_TOPMOST) {
        if (!w->parent) w->topmost = true;
        PlaceInOrder(s, *w, true);
      } else if (insertAfter == HWND_NOTOPMOST) {
        w->topmost = false;
        PlaceInOrder(s, *w, true);
      } else if (insertAfter == HWND_TOP) {
        PlaceInOrder(s, *w, true);
      } else if (insertAfter == HWND_BOTTOM) {
        w->topmost = false;
        PlaceInOrder(s, *w, false);
      } else if (Window* after = Find(insertAfter); after && after->parent == w->parent && after != w) {
        auto& list = Siblings(s, *w);
        list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
        if (!w->parent) w->topmost = after->topmost;
        list.insert(std::find(list.begin(), list.end(), insertAfter) + 1, hwnd);
      }
    }
  }
  if (!(flags & SWP_NOMOVE)) r = {x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
  if (!(flags & SWP_NOSIZE)) r.right = r.left + std::max(0, cx), r.bottom = r.top + std::max(0, cy);
  if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
    Reposition(hwnd, r, SIZE_RESTORED, false);
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOWNA);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  return true;
}

bool IsTopmost(HWND hwnd) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  return w && w->topmost;
}

std::vector<HWND> WindowZOrder(HWND parent) {
  DropUnloadedClasses();
  auto lock = Locked();
  if (!parent) return S().topLevel;
  Window* w = Find(parent);
  return w ? w->children : std::vector<HWND>{};
}

bool GetClientRect(HWND hwnd, RECT* rect) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  if (!w || !rect) return false;
  *rect = {0, 0, ClientWidth(*w), ClientHeight(*w)};
  return true;
}

bool ClientToScreen(HWND hwnd, POINT* point) {
  auto lock = Locked();
  if (!Find(hwnd) || !point) return false;
  for (Window* w = Find(hwnd); w; w = w->parent ? Find(w->parent) : nullptr) {
    POINT o = ClientOrigin(*w);
    point->x += w->rect.left + o.x;
    point->y += w->rect.top + o.y;
  }
  return true;
}

bool ScreenToClient(HWND hwnd, POINT* point) {
  POINT origin;
  if (!point || !ClientToScreen(hwnd, &origin)) return false;
  point->x -= origin.x;
  point->y -= origin.y;
  return true;
}

bool GetWindowRect(HWND hwnd, RECT* rect) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  if (!w || !rect) return false;
  POINT o;
  if (w->parent) ClientToScreen(w->parent, &o);
  *rect = {w->rect.left + o.x, w->rect.top + o.y, w->rect.right + o.x, w->rect.bottom + o.y};
  return true;
}

HWND GetParent(HWND hwnd) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  return w ? w->parent : 0;
}

bool GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  if (!w || !placement) return false;
  placement->length = sizeof(WINDOWPLACEMENT);
  placement->flags = 0;
  placement->showCmd = w->state == ShowState::Minimized   ? SW_SHOWMINIMIZED
                       : w->state == ShowState::Maximized ? SW_SHOWMAXIMIZED
                       : w->visible                       ? SW_SHOWNORMAL
                                                          : SW_HIDE;
  placement->ptMinPosition = {-1, -1};
  placement->ptMaxPosition = {-1, -1};
  placement->rcNormalPosition = w->normalRect;
  return true;
}

bool SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT& placement) {
  RECT normal = placement.rcNormalPosition;
  if (normal.right < normal.left) normal.right = normal.left;
  if (normal.bottom < normal.top) normal.bottom = normal.top;
  bool wasNormal = false;
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return false;
    w->normalRect = normal;
    wasNormal = w->state == ShowState::Normal;
  }
  if (wasNormal) Reposition(hwnd, normal, SIZE_RESTORED, false);
  ShowWindow(hwnd, static_cast<int>(placement.showCmd));
  return true;
}

}  // namespace winplat
