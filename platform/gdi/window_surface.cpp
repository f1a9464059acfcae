// Window surfaces: each window's screen bitmap, its optional persistent bitmap,
// and the contexts handed out on them.
#include <algorithm>
#include <atomic>
#include <vector>

#include "gdi_internal.h"
#include "winplat/gdi_record.h"
#include "winplat/painting.h"
#include "winplat/surface.h"

namespace winplat {

using namespace gdi;

namespace {

struct WindowEntry {
  std::shared_ptr<Surface> screen;
  std::shared_ptr<Surface> persistent;
  COLORREF color = 0xFFFFFF;
  Log log;
  std::vector<HDC> dcs;
  std::uint64_t changedAt = 0;  // the pixel count at its last change
};

// One count for every window's pixel changes (under the registry lock).
std::uint64_t pixelCount = 0;

// The window's pixels may have changed (a context on it made or released, a clear, a scroll, a resize).
void Changed(WindowEntry& e) { e.changedAt = ++pixelCount; }

std::unordered_map<HWND, WindowEntry>& Windows() {
  static auto* windows = new std::unordered_map<HWND, WindowEntry>;
  return *windows;
}

WindowEntry* Find(HWND hwnd) {
  auto it = Windows().find(hwnd);
  return it == Windows().end() ? nullptr : &it->second;
}

WindowEntry& Ensure(HWND hwnd) {
  WindowEntry& e = Windows()[hwnd];
  if (!e.screen) {
    e.screen = std::make_shared<Surface>(0, 0, e.color);
    Changed(e);
  }
  return e;
}

HDC NewWindowDc(HWND hwnd, WindowEntry& e, std::shared_ptr<Surface> surface) {
  Dc* dc = NewDc(std::move(surface), hwnd);
  dc->log = e.log;
  e.dcs.push_back(dc->handle);
  return dc->handle;
}

void CopyPixels(const Surface& from, Surface& to) {
  for (int y = 0; y < std::min(from.height, to.height); ++y)
    for (int x = 0; x < std::min(from.width, to.width); ++x)
      to.px[static_cast<std::size_t>(y) * to.width + x] = from.px[static_cast<std::size_t>(y) * from.width + x];
}

}  // namespace

namespace gdi {
std::shared_ptr<Surface> WindowSurface(HWND hwnd, bool persistent) {
  WindowEntry* e = Find(hwnd);
  if (!e) return nullptr;
  return persistent ? e->persistent : e->screen;
}
}  // namespace gdi

void WindowSurfaceResized(HWND hwnd, int width, int height) {
  if (hwnd == 0) return;
  Lock lock(Reg().mu);
  WindowEntry& e = Ensure(hwnd);
  // Contexts share the surface object, so they see the new size at once.
  e.screen->Resize(width, height, e.color);
  if (e.persistent) e.persistent->Resize(width, height, e.color);
  Changed(e);
}

void WindowSurfaceDestroyed(HWND hwnd) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  if (!e) return;
  for (HDC hdc : e->dcs) DestroyDc(hdc);
  Windows().erase(hwnd);
}

void ScrollWindowSurface(HWND hwnd, int dx, int dy) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  if (!e || (dx == 0 && dy == 0)) return;
  Changed(*e);
  Surface& s = *e->screen;
  const std::vector<std::uint32_t> old = s.px;
  for (int y = 0; y < s.height; ++y) {
    int sy = y - dy;
    if (sy < 0 || sy >= s.height) continue;
    for (int x = 0; x < s.width; ++x) {
      int sx = x - dx;
      if (sx >= 0 && sx < s.width) s.At(x, y) = old[static_cast<std::size_t>(sy) * s.width + sx];
    }
  }
}

namespace {
std::atomic<void (*)(HWND)> pixelsHook{nullptr};
}  // namespace

void SetWindowPixelsHook(void (*beforePixels)(HWND)) { pixelsHook = beforePixels; }

namespace gdi {
void BeforeWindowPixels(HWND hwnd) {
  if (auto hook = pixelsHook.load()) hook(hwnd);
}
}  // namespace gdi

HDC GetDC(HWND hwnd) {
  BeforeWindowPixels(hwnd);
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  if (!e) return 0;
  Changed(*e);
  return NewWindowDc(hwnd, *e, e->screen);
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  if (!e) return 0;
  auto it = std::find(e->dcs.begin(), e->dcs.end(), hdc);
  if (it == e->dcs.end()) return 0;
  e->dcs.erase(it);
  DestroyDc(hdc);
  Changed(*e);  // what was drawn through it is in the pixels now
  return 1;
}

void SetWindowSurfaceColor(HWND hwnd, COLORREF color) {
  Lock lock(Reg().mu);
  if (hwnd == 0) return;
  Ensure(hwnd).color = color & 0xFFFFFF;
}

void ClearWindowSurface(HWND hwnd, COLORREF color) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  if (!e) return;
  std::fill(e->screen->px.begin(), e->screen->px.end(), color & 0xFFFFFF);
  if (e->persistent) std::fill(e->persistent->px.begin(), e->persistent->px.end(), color & 0xFFFFFF);
  Changed(*e);
}

bool GetWindowSurfaceSize(HWND hwnd, int* width, int* height) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  if (!e) return false;
  if (width) *width = e->screen->width;
  if (height) *height = e->screen->height;
  return true;
}

void SetWindowPersistentBitmap(HWND hwnd, bool on) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  if (!e) return;
  if (!on) {
    e->persistent.reset();
    return;
  }
  if (e->persistent) return;
  e->persistent = std::make_shared<Surface>(e->screen->width, e->screen->height, e->color);
  CopyPixels(*e->screen, *e->persistent);
}

bool HasWindowPersistentBitmap(HWND hwnd) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  return e && e->persistent;
}

HDC GetPersistentDC(HWND hwnd) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  if (!e || !e->persistent) return 0;
  return NewWindowDc(hwnd, *e, e->persistent);
}

void ShowWindowPersistentBitmap(HWND hwnd) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  if (!e || !e->persistent) return;
  CopyPixels(*e->persistent, *e->screen);
  Changed(*e);
}

std::uint64_t PixelCount() {
  Lock lock(Reg().mu);
  return pixelCount;
}

std::uint64_t PixelsChangedAt(HWND hwnd) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  return e ? e->changedAt : 0;
}

void SetWindowRecording(HWND hwnd, bool on) {
  Lock lock(Reg().mu);
  if (hwnd == 0) return;
  WindowEntry& e = Ensure(hwnd);
  if (on && !e.log) e.log = std::make_shared<std::vector<std::string>>();
  if (!on) e.log.reset();
  for (HDC hdc : e.dcs)
    if (Dc* dc = FindDc(hdc)) dc->log = e.log;
}

std::vector<std::string> WindowRecordedCalls(HWND hwnd) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  return (e && e->log) ? *e->log : std::vector<std::string>{};
}

void ClearWindowRecordedCalls(HWND hwnd) {
  Lock lock(Reg().mu);
  WindowEntry* e = Find(hwnd);
  if (e && e->log) e->log->clear();
}

}  // namespace winplat
