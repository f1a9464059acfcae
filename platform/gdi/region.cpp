// Regions: rectangles and polygons as pixel runs, filling, hit tests, clipping.
#include <algorithm>

#include "gdi_internal.h"

namespace winplat {

using namespace gdi;

namespace {

// Regions are kept within the 16-bit coordinate space of the system's surfaces.
constexpr int kLimit = 1 << 15;
const RECT kRegionLimit{-kLimit, -kLimit, kLimit, kLimit};

HRGN AddRegion(SpanSet spans) {
  auto o = std::make_shared<GdiObject>();
  o->kind = Kind::Region;
  o->region = std::move(spans);
  return AddObject(std::move(o));
}

ObjectPtr FindRegion(HRGN region) {
  ObjectPtr o = FindObject(region);
  return (o && o->kind == Kind::Region) ? o : nullptr;
}

int RegionType(const SpanSet& s) {
  if (s.Empty()) return NULLREGION;
  RECT b;
  s.Bounds(&b);
  SpanSet box;
  box.AddRect(b.left, b.top, b.right, b.bottom);
  box.Normalize();
  return box.Minus(s).Empty() ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  Lock lock(Reg().mu);
  SpanSet s;
  int l = std::max(std::min(left, right), -kLimit), r = std::min(std::max(left, right), kLimit);
  int t = std::max(std::min(top, bottom), -kLimit), b = std::min(std::max(top, bottom), kLimit);
  s.AddRect(l, t, r, b);
  s.Normalize();
  return AddRegion(std::move(s));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) return 0;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  if (!points || count < 3 || (fillMode != ALTERNATE && fillMode != WINDING)) return 0;
  Lock lock(Reg().mu);
  return AddRegion(PolygonSpans(points, count, fillMode, kRegionLimit));
}

bool FillRgn(HDC hdc, HRGN region, HBRUSH brush) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  ObjectPtr rgn = FindRegion(region);
  ObjectPtr b = FindObject(brush);
  if (!dc || !rgn || !b || b->kind != Kind::Brush) return false;
  Record(*dc, "FillRgn(" + Describe(*b) + ")");
  if (b->brushStyle == BS_NULL) return true;
  if (dc->meta) return dc->meta->FillRegion(rgn->region, brush, *b), true;
  // Region coordinates are logical: each run goes through the mapping.
  SpanSet device;
  const RECT lim = SurfaceRect(*dc);
  for (const auto& [y, runs] : rgn->region.Rows()) {
    for (const auto& r : runs) {
      POINT a = ToDevice(dc->st, r.first, y), c = ToDevice(dc->st, r.second, y + 1);
      device.AddRect(std::max(std::min(a.x, c.x), lim.left), std::max(std::min(a.y, c.y), lim.top),
                     std::min(std::max(a.x, c.x), lim.right), std::min(std::max(a.y, c.y), lim.bottom));
    }
  }
  device.Normalize();
  PaintSpans(*dc, device, b->color, R2_COPYPEN);  // the brush is copied as it is
  return true;
}

bool PtInRegion(HRGN region, int x, int y) {
  Lock lock(Reg().mu);
  ObjectPtr rgn = FindRegion(region);
  return rgn && rgn->region.Contains(x, y);
}

bool RectInRegion(HRGN region, const RECT* rect) {
  Lock lock(Reg().mu);
  ObjectPtr rgn = FindRegion(region);
  if (!rgn || !rect) return false;
  return rgn->region.IntersectsRect(std::min(rect->left, rect->right), std::min(rect->top, rect->bottom),
                                    std::max(rect->left, rect->right), std::max(rect->top, rect->bottom));
}

int GetRgnBox(HRGN region, RECT* rect) {
  Lock lock(Reg().mu);
  ObjectPtr rgn = FindRegion(region);
  if (!rgn || !rect) return ERROR;
  rgn->region.Bounds(rect);
  return RegionType(rgn->region);
}

int OffsetRgn(HRGN region, int x, int y) {
  Lock lock(Reg().mu);
  ObjectPtr rgn = FindRegion(region);
  if (!rgn) return ERROR;
  rgn->region.Offset(x, y);
  return RegionType(rgn->region);
}

int SelectClipRgn(HDC hdc, HRGN region) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc) return ERROR;
  if (region == 0) {
    Record(*dc, "SelectClipRgn(0)");
    if (dc->meta) dc->meta->Clip(nullptr);
    dc->st.clip.reset();
    return SIMPLEREGION;
  }
  ObjectPtr rgn = FindRegion(region);
  if (!rgn) return ERROR;
  Record(*dc, "SelectClipRgn(region)");
  if (dc->meta) dc->meta->Clip(&rgn->region);
  // The context keeps its own copy: later changes to the region do not clip.
  dc->st.clip = std::make_shared<SpanSet>(rgn->region);
  return RegionType(rgn->region);
}

}  // namespace winplat
