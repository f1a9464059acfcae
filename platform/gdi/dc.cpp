// Device contexts: creation, state, save and restore, map modes, recording.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "gdi_internal.h"
#include "winplat/gdi_record.h"

namespace winplat {
namespace gdi {

namespace {

// Rounds num / den to the nearest integer, halves away from zero.
std::int64_t RoundDiv(std::int64_t num, std::int64_t den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  return num >= 0 ? (2 * num + den) / (2 * den) : -((2 * -num + den) / (2 * den));
}

bool Scaled(const DcState& st) { return st.mapMode == MM_ANISOTROPIC || st.mapMode == MM_ISOTROPIC; }

}  // namespace

namespace {

// Device coordinates saturate at the 32-bit limits instead of wrapping.
std::int32_t Saturate(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

std::int64_t Map(std::int64_t v, std::int64_t fromOrg, std::int64_t fromExt, std::int64_t toExt, std::int64_t toOrg,
                 bool scaled) {
  if (!scaled) return v - fromOrg + toOrg;
  return static_cast<std::int64_t>(RoundDiv((v - fromOrg) * toExt, fromExt)) + toOrg;
}

}  // namespace

POINT ToDevice(const DcState& st, int x, int y) {
  const bool s = Scaled(st);
  return POINT{Saturate(Map(x, st.windowOrg.x, st.windowExt.cx, st.viewportExt.cx, st.viewportOrg.x, s)),
               Saturate(Map(y, st.windowOrg.y, st.windowExt.cy, st.viewportExt.cy, st.viewportOrg.y, s))};
}

POINT ToLogical(const DcState& st, int x, int y) {
  const bool s = Scaled(st);
  return POINT{Saturate(Map(x, st.viewportOrg.x, st.viewportExt.cx, st.windowExt.cx, st.windowOrg.x, s)),
               Saturate(Map(y, st.viewportOrg.y, st.viewportExt.cy, st.windowExt.cy, st.windowOrg.y, s))};
}

int DeviceLengthX(const DcState& st, int length) {
  if (!Scaled(st)) return Saturate(std::llabs(length));
  int d = Saturate(std::llabs(RoundDiv(static_cast<std::int64_t>(length) * st.viewportExt.cx, st.windowExt.cx)));
  return (length != 0 && d == 0) ? 1 : d;
}

int DeviceLengthY(const DcState& st, int length) {
  if (!Scaled(st)) return Saturate(std::llabs(length));
  int d = Saturate(std::llabs(RoundDiv(static_cast<std::int64_t>(length) * st.viewportExt.cy, st.windowExt.cy)));
  return (length != 0 && d == 0) ? 1 : d;
}

void Record(Dc& dc, const std::string& line) {
  if (dc.log) dc.log->push_back(line);
}

std::string Args(std::initializer_list<long long> values) {
  std::string s;
  for (long long v : values) {
    if (!s.empty()) s += ", ";
    s += std::to_string(v);
  }
  return s;
}

}  // namespace gdi

using namespace gdi;

namespace {

// Runs a setter on a context under the lock; `fail` when the context is unknown.
template <typename T, typename F>
T WithDc(HDC hdc, T fail, F f) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc) return fail;
  return f(*dc);
}

}  // namespace

HDC CreateCompatibleDC(HDC) {
  Lock lock(Reg().mu);
  return NewDc(std::make_shared<Surface>(1, 1, 0), 0)->handle;
}

bool DeleteDC(HDC hdc) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc || dc->window != 0) return false;
  DestroyDc(hdc);
  return true;
}

int SaveDC(HDC hdc) {
  return WithDc(hdc, 0, [](Dc& dc) {
    Record(dc, "SaveDC()");
    if (dc.meta) dc.meta->Save();
    dc.saved.push_back(dc.st);
    return static_cast<int>(dc.saved.size());
  });
}

bool RestoreDC(HDC hdc, int savedDC) {
  return WithDc(hdc, false, [savedDC](Dc& dc) {
    Record(dc, "RestoreDC(" + std::to_string(savedDC) + ")");
    int level = savedDC < 0 ? static_cast<int>(dc.saved.size()) + 1 + savedDC : savedDC;
    if (level < 1 || level > static_cast<int>(dc.saved.size())) return false;
    if (dc.meta) dc.meta->Restore(level - static_cast<int>(dc.saved.size()) - 1);
    DcState restored = dc.saved[static_cast<std::size_t>(level - 1)];
    dc.saved.resize(static_cast<std::size_t>(level - 1));
    // A window context always keeps drawing on its window's surface.
    if (dc.window != 0) restored.surface = dc.st.surface;
    dc.st = std::move(restored);
    return true;
  });
}

int SetROP2(HDC hdc, int rop2) {
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  return WithDc(hdc, 0, [rop2](Dc& dc) {
    Record(dc, "SetROP2(" + std::to_string(rop2) + ")");
    if (dc.meta) dc.meta->SetMode(MetaRecorder::Mode::Rop2, static_cast<std::uint32_t>(rop2));
    return std::exchange(dc.st.rop2, rop2);
  });
}
int GetROP2(HDC hdc) {
  return WithDc(hdc, 0, [](Dc& dc) { return dc.st.rop2; });
}

int SetBkMode(HDC hdc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return WithDc(hdc, 0, [mode](Dc& dc) {
    Record(dc, "SetBkMode(" + std::to_string(mode) + ")");
    if (dc.meta) dc.meta->SetMode(MetaRecorder::Mode::BkMode, static_cast<std::uint32_t>(mode));
    return std::exchange(dc.st.bkMode, mode);
  });
}
int GetBkMode(HDC hdc) {
  return WithDc(hdc, 0, [](Dc& dc) { return dc.st.bkMode; });
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  return WithDc(hdc, CLR_INVALID, [color](Dc& dc) {
    Record(dc, "SetBkColor(" + Hex6(color) + ")");
    if (dc.meta) dc.meta->SetMode(MetaRecorder::Mode::BkColor, static_cast<std::uint32_t>(color & 0xFFFFFF));
    return std::exchange(dc.st.bkColor, color & 0xFFFFFF);
  });
}
COLORREF GetBkColor(HDC hdc) {
  return WithDc(hdc, CLR_INVALID, [](Dc& dc) { return dc.st.bkColor; });
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  return WithDc(hdc, CLR_INVALID, [color](Dc& dc) {
    Record(dc, "SetTextColor(" + Hex6(color) + ")");
    if (dc.meta) dc.meta->SetMode(MetaRecorder::Mode::TextColor, static_cast<std::uint32_t>(color & 0xFFFFFF));
    return std::exchange(dc.st.textColor, color & 0xFFFFFF);
  });
}
COLORREF GetTextColor(HDC hdc) {
  return WithDc(hdc, CLR_INVALID, [](Dc& dc) { return dc.st.textColor; });
}

int SetPolyFillMode(HDC hdc, int mode) {
  if (mode != ALTERNATE && mode != WINDING) return 0;
  return WithDc(hdc, 0, [mode](Dc& dc) {
    Record(dc, "SetPolyFillMode(" + std::to_string(mode) + ")");
    if (dc.meta) dc.meta->SetMode(MetaRecorder::Mode::PolyFillMode, static_cast<std::uint32_t>(mode));
    return std::exchange(dc.st.polyFillMode, mode);
  });
}
int GetPolyFillMode(HDC hdc) {
  return WithDc(hdc, 0, [](Dc& dc) { return dc.st.polyFillMode; });
}

unsigned SetTextAlign(HDC hdc, unsigned align) {
  return WithDc(hdc, GDI_ERROR, [align](Dc& dc) {
    Record(dc, "SetTextAlign(" + std::to_string(align) + ")");
    if (dc.meta) dc.meta->SetMode(MetaRecorder::Mode::TextAlign, static_cast<std::uint32_t>(align));
    return std::exchange(dc.st.textAlign, align);
  });
}
unsigned GetTextAlign(HDC hdc) {
  return WithDc(hdc, GDI_ERROR, [](Dc& dc) { return dc.st.textAlign; });
}

int SetMapMode(HDC hdc, int mode) {
  if (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) return 0;
  return WithDc(hdc, 0, [mode](Dc& dc) {
    Record(dc, "SetMapMode(" + std::to_string(mode) + ")");
    if (dc.meta) dc.meta->SetMode(MetaRecorder::Mode::MapMode, static_cast<std::uint32_t>(mode));
    if (mode == MM_TEXT) {
      dc.st.windowExt = SIZE{1, 1};
      dc.st.viewportExt = SIZE{1, 1};
    }
    return std::exchange(dc.st.mapMode, mode);
  });
}
int GetMapMode(HDC hdc) {
  return WithDc(hdc, 0, [](Dc& dc) { return dc.st.mapMode; });
}

namespace {

// Extents matter only in the scaled modes; in the text mode the call is ignored.
bool SetExtent(HDC hdc, int x, int y, SIZE* previous, bool window) {
  return WithDc(hdc, false, [&](Dc& dc) {
    Record(dc, std::string(window ? "SetWindowExtEx(" : "SetViewportExtEx(") + Args({x, y}) + ")");
    if (dc.meta) dc.meta->SetPair(window ? MetaRecorder::Pair::WindowExt : MetaRecorder::Pair::ViewportExt, x, y);
    SIZE& ext = window ? dc.st.windowExt : dc.st.viewportExt;
    if (previous) *previous = ext;
    if (dc.st.mapMode == MM_TEXT) return true;
    if (x == 0 || y == 0) return false;
    ext = SIZE{x, y};
    if (dc.st.mapMode == MM_ISOTROPIC) {
      // Equal scale on both axes: shrink the larger viewport extent, keeping its sign.
      SIZE& v = dc.st.viewportExt;
      const SIZE& w = dc.st.windowExt;
      double sx = std::abs(static_cast<double>(v.cx) / w.cx);
      double sy = std::abs(static_cast<double>(v.cy) / w.cy);
      if (sx > sy) {
        int c = static_cast<int>(std::lround(sy * std::abs(w.cx)));
        v.cx = v.cx < 0 ? -c : c;
      } else if (sy > sx) {
        int c = static_cast<int>(std::lround(sx * std::abs(w.cy)));
        v.cy = v.cy < 0 ? -c : c;
      }
      if (v.cx == 0) v.cx = 1;
      if (v.cy == 0) v.cy = 1;
    }
    return true;
  });
}

bool SetOrigin(HDC hdc, int x, int y, POINT* previous, bool window) {
  return WithDc(hdc, false, [&](Dc& dc) {
    Record(dc, std::string(window ? "SetWindowOrgEx(" : "SetViewportOrgEx(") + Args({x, y}) + ")");
    if (dc.meta) dc.meta->SetPair(window ? MetaRecorder::Pair::WindowOrg : MetaRecorder::Pair::ViewportOrg, x, y);
    POINT& org = window ? dc.st.windowOrg : dc.st.viewportOrg;
    if (previous) *previous = org;
    org = POINT{x, y};
    return true;
  });
}

}  // namespace

bool SetWindowExtEx(HDC hdc, int x, int y, SIZE* previous) { return SetExtent(hdc, x, y, previous, true); }
bool SetViewportExtEx(HDC hdc, int x, int y, SIZE* previous) { return SetExtent(hdc, x, y, previous, false); }
bool SetWindowOrgEx(HDC hdc, int x, int y, POINT* previous) { return SetOrigin(hdc, x, y, previous, true); }
bool SetViewportOrgEx(HDC hdc, int x, int y, POINT* previous) { return SetOrigin(hdc, x, y, previous, false); }

bool GetWindowExtEx(HDC hdc, SIZE* size) {
  return WithDc(hdc, false, [size](Dc& dc) { return size && (*size = dc.st.windowExt, true); });
}
bool GetViewportExtEx(HDC hdc, SIZE* size) {
  return WithDc(hdc, false, [size](Dc& dc) { return size && (*size = dc.st.viewportExt, true); });
}
bool GetWindowOrgEx(HDC hdc, POINT* point) {
  return WithDc(hdc, false, [point](Dc& dc) { return point && (*point = dc.st.windowOrg, true); });
}
bool GetViewportOrgEx(HDC hdc, POINT* point) {
  return WithDc(hdc, false, [point](Dc& dc) { return point && (*point = dc.st.viewportOrg, true); });
}

bool LPtoDP(HDC hdc, POINT* points, int count) {
  return WithDc(hdc, false, [&](Dc& dc) {
    if (!points || count < 0) return false;
    for (int i = 0; i < count; ++i) points[i] = ToDevice(dc.st, points[i].x, points[i].y);
    return true;
  });
}

bool DPtoLP(HDC hdc, POINT* points, int count) {
  return WithDc(hdc, false, [&](Dc& dc) {
    if (!points || count < 0) return false;
    for (int i = 0; i < count; ++i) points[i] = ToLogical(dc.st, points[i].x, points[i].y);
    return true;
  });
}

bool gdi::BitmapSizeFits(int width, int height) {
  return width > 0 && height > 0 && width <= Surface::kMaxSide && height <= Surface::kMaxSide &&
         static_cast<long long>(width) * height <= Surface::kMaxArea;
}

HBITMAP gdi::AddBitmap(std::shared_ptr<Surface> surface) {
  Lock lock(Reg().mu);
  auto o = std::make_shared<GdiObject>();
  o->kind = Kind::Bitmap;
  o->bitmap = std::move(surface);
  return AddObject(std::move(o));
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  if (!BitmapSizeFits(width, height)) return 0;
  return AddBitmap(std::make_shared<Surface>(width, height, 0));
}

bool GetBitmapSize(HBITMAP bitmap, SIZE* size) {
  Lock lock(Reg().mu);
  ObjectPtr o = FindObject(bitmap);
  if (!o || o->kind != Kind::Bitmap || !size) return false;
  *size = SIZE{o->bitmap->width, o->bitmap->height};
  return true;
}

bool GetDCSize(HDC hdc, SIZE* size) {
  return WithDc(hdc, false, [size](Dc& dc) {
    if (!size) return false;
    *size = SIZE{dc.st.surface->width, dc.st.surface->height};
    return true;
  });
}

// ---- Recording ----

HDC CreateRecordingDC(int width, int height) {
  Lock lock(Reg().mu);
  Dc* dc = NewDc(std::make_shared<Surface>(width, height, 0xFFFFFF), 0);
  dc->log = std::make_shared<std::vector<std::string>>();
  return dc->handle;
}

void StartRecording(HDC hdc) {
  WithDc(hdc, 0, [](Dc& dc) {
    if (!dc.log) dc.log = std::make_shared<std::vector<std::string>>();
    return 0;
  });
}

void StopRecording(HDC hdc) {
  WithDc(hdc, 0, [](Dc& dc) {
    dc.log.reset();
    return 0;
  });
}

std::vector<std::string> RecordedCalls(HDC hdc) {
  return WithDc(hdc, std::vector<std::string>{}, [](Dc& dc) {
    return dc.log ? *dc.log : std::vector<std::string>{};
  });
}

void ClearRecordedCalls(HDC hdc) {
  WithDc(hdc, 0, [](Dc& dc) {
    if (dc.log) dc.log->clear();
    return 0;
  });
}

}  // namespace winplat
