// Invalidation and paint, scrolling, and the default window procedure.
#include <algorithm>

#include "ui_state.h"
#include "winplat/painting.h"
#include "winplat/surface.h"

namespace winplat {

using namespace ui;

namespace {

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

RECT Union(const RECT& a, const RECT& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  if (!w) return false;
  RECT client{0, 0, ClientWidth(*w), ClientHeight(*w)};
  RECT r = rect ? Intersect(*rect, client) : client;
  if (Empty(r)) return true;
  const bool had = w->hasUpdate;
  w->update = had ? Union(w->update, r) : r;
  w->hasUpdate = true;
  if (!had) NoteUpdate(S(), *w);
  w->erase = w->erase || erase;
  return true;
}

bool ValidateRect(HWND hwnd, const RECT* rect) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  if (!w) return false;
  if (!w->hasUpdate) return true;
  if (!rect || Contains(*rect, w->update)) {
    w->hasUpdate = false;
    NoteUpdate(S(), *w);
    w->erase = false;
    return true;
  }
  // The update area is one rectangle: cut off a band the rectangle covers fully.
  RECT u = w->update;
  const RECT& v = *rect;
  if (v.left <= u.left && v.right >= u.right) {
    if (v.top <= u.top && v.bottom > u.top) u.top = v.bottom;
    else if (v.bottom >= u.bottom && v.top < u.bottom) u.bottom = v.top;
  } else if (v.top <= u.top && v.bottom >= u.bottom) {
    if (v.left <= u.left && v.right > u.left) u.left = v.right;
    else if (v.right >= u.right && v.left < u.right) u.right = v.left;
  }
  w->update = u;
  if (Empty(u)) {
    w->hasUpdate = w->erase = false;
    NoteUpdate(S(), *w);
  }
  return true;
}

bool GetUpdateRect(HWND hwnd, RECT* rect) {
  auto lock = Locked();
  Window* w = Find(hwnd);
  if (!w) return false;
  if (rect) *rect = w->hasUpdate ? w->update : RECT{};
  return w->hasUpdate;
}

bool UpdateWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) return false;
  {
    auto lock = Locked();
    if (!Find(hwnd)->hasUpdate) return true;
  }
  if (VisibleWithAncestors(hwnd)) SendMessage(hwnd, WM_PAINT, 0, 0);
  return true;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  bool erase = false;
  RECT area;
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return 0;
    erase = w->erase;
    area = w->hasUpdate ? w->update : RECT{};
    w->hasUpdate = false;
    NoteUpdate(S(), *w);
    w->erase = false;
  }
  HDC hdc = GetDC(hwnd);
  bool erased = false;
  if (erase) erased = SendMessage(hwnd, WM_ERASEBKGND, hdc, 0) != 0;
  if (paint) {
    paint->hdc = hdc;
    paint->fErase = erase && !erased;
    paint->rcPaint = area;
  }
  return hdc;
}

bool EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  if (paint && paint->hdc) ReleaseDC(hwnd, paint->hdc);
  return true;
}

bool ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scrollRect, const RECT* clipRect) {
  int cw = 0, ch = 0;
  std::vector<HWND> children;
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return false;
    cw = ClientWidth(*w);
    ch = ClientHeight(*w);
    if (!scrollRect) children = w->children;
  }
  if (dx == 0 && dy == 0) return true;
  PaintPendingWindow(hwnd);  // the pixels moved are the painted ones
  ScrollWindowSurface(hwnd, dx, dy);
  RECT area = scrollRect ? *scrollRect : RECT{0, 0, cw, ch};
  if (clipRect) area = Intersect(area, *clipRect);
  if (dy > 0) {
    RECT strip{area.left, area.top, area.right, std::min(area.bottom, area.top + dy)};
    InvalidateRect(hwnd, &strip, true);
  } else if (dy < 0) {
    RECT strip{area.left, std::max(area.top, area.bottom + dy), area.right, area.bottom};
    InvalidateRect(hwnd, &strip, true);
  }
  if (dx > 0) {
    RECT strip{area.left, area.top, std::min(area.right, area.left + dx), area.bottom};
    InvalidateRect(hwnd, &strip, true);
  } else if (dx < 0) {
    RECT strip{std::max(area.left, area.right + dx), area.top, area.right, area.bottom};
    InvalidateRect(hwnd, &strip, true);
  }
  // Without a scroll rectangle the child windows move with the pixels.
  for (HWND child : children) {
    RECT r;
    {
      auto lock = Locked();
      Window* c = Find(child);
      if (!c) continue;
      r = c->rect;
    }
    MoveWindow(child, r.left + dx, r.top + dy, r.right - r.left, r.bottom - r.top, false);
  }
  return true;
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 0;  // background left to the window's own paint
    default:
      return 0;
  }
}

}  // namespace winplat
