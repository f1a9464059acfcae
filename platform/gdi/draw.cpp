// Drawing calls: lines, polylines, polygons, rectangles, ellipses, arcs, pixels.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "gdi_internal.h"

namespace winplat {
namespace gdi {

RECT SurfaceRect(const Dc& dc) { return RECT{0, 0, dc.st.surface->width, dc.st.surface->height}; }

}  // namespace gdi

using namespace gdi;

namespace {

std::string PointList(const POINT* points, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) {
    if (i) s += ", ";
    s += "(" + std::to_string(points[i].x) + ", " + std::to_string(points[i].y) + ")";
  }
  return s;
}

bool BrushPaints(const DcState& st) { return st.brush && st.brush->brushStyle != BS_NULL; }

// A box in device pixels, normalised: [left, right) x [top, bottom).
RECT DeviceBox(const DcState& st, int left, int top, int right, int bottom) {
  // Kept within +-2^30 so that pen margins cannot overflow; far edges stay far outside any surface.
  constexpr int far = 1 << 30;
  POINT a = ToDevice(st, left, top), b = ToDevice(st, right, bottom);
  return RECT{std::clamp(std::min(a.x, b.x), -far, far), std::clamp(std::min(a.y, b.y), -far, far),
              std::clamp(std::max(a.x, b.x), -far, far), std::clamp(std::max(a.y, b.y), -far, far)};
}

// A rectangle cut to the surface, with a margin so that edges beyond it stay outside.
RECT Clamp(const RECT& r, const RECT& limit) {
  constexpr int m = 4;
  return RECT{std::max(r.left, limit.left - m), std::max(r.top, limit.top - m), std::min(r.right, limit.right + m),
              std::min(r.bottom, limit.bottom + m)};
}

void AddClampedRect(SpanSet& spans, const RECT& r, const RECT& limit) {
  RECT c = Clamp(r, limit);
  spans.AddRect(c.left, c.top, c.right, c.bottom);
}

// Strokes a path with the context's pen: one-pixel pens step by step (the end
// pixel of each segment left out), wider pens as one round-ended area.
void StrokePath(Dc& dc, const std::vector<POINT>& device, bool closed) {
  DevicePen pen = ResolvePen(dc.st);
  if (pen.null || device.empty()) return;
  if (pen.width == 1) {
    int step = 0;
    std::size_t n = device.size();
    std::size_t segments = closed ? n : n - 1;
    for (std::size_t k = 0; k < segments; ++k) ThinLine(dc, device[k], device[(k + 1) % n], pen, step, false);
    return;
  }
  SpanSet spans;
  AddWideStroke(spans, device.data(), static_cast<int>(device.size()), closed, pen.width, SurfaceRect(dc));
  PaintSpans(dc, spans, pen.color, dc.st.rop2);
}

std::vector<POINT> ToDevicePoints(const DcState& st, const POINT* points, int count) {
  std::vector<POINT> out(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) out[static_cast<std::size_t>(i)] = ToDevice(st, points[i].x, points[i].y);
  return out;
}

// Angle of a device point about a centre, counter-clockwise as seen on the screen.
double ScreenAngle(double x, double y, double cx, double cy) {
  if (x == cx && y == cy) return 0.0;
  return std::atan2(-(y - cy), x - cx);
}

double CcwFrom(double start, double angle) {
  const double full = 2.0 * std::numbers::pi;
  double d = std::fmod(angle - start, full);
  return d < 0 ? d + full : d;
}

// Paints the outline pixels of a curve: solid pens as runs, styled pens pixel by
// pixel in the order of their angle from `start`.
void PaintCurve(Dc& dc, const SpanSet& outline, const DevicePen& pen, double cx, double cy, double start) {
  if (pen.style == PS_SOLID) {
    PaintSpans(dc, outline, pen.color, dc.st.rop2);
    return;
  }
  std::vector<std::pair<double, POINT>> pixels;
  for (const auto& [y, runs] : outline.Rows())
    for (const auto& r : runs)
      for (int x = r.first; x < r.second; ++x) pixels.push_back({CcwFrom(start, ScreenAngle(x, y, cx, cy)), {x, y}});
  std::sort(pixels.begin(), pixels.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < pixels.size(); ++i)
    StyledPixel(dc, pixels[i].second.x, pixels[i].second.y, pen, static_cast<int>(i));
}

// The pen's band around an ellipse box (outer minus inner) and the area it encloses.
void EllipseBand(const DevicePen& pen, const RECT& box, const RECT& limit, SpanSet* band, SpanSet* inside) {
  if (pen.width == 1) {
    SpanSet filled = EllipseSpans(box.left, box.top, box.right, box.bottom, limit);
    *band = OutlineOf(filled);
    *inside = filled.Minus(*band);
    return;
  }
  const int w = pen.width;
  RECT outer = box;
  if (!pen.insideFrame) {
    const int h = (w - 1) / 2;
    outer = RECT{box.left - h, box.top - h, box.right + h, box.bottom + h};
  }
  SpanSet o = EllipseSpans(outer.left, outer.top, outer.right, outer.bottom, limit);
  *inside = EllipseSpans(outer.left + w, outer.top + w, outer.right - w, outer.bottom - w, limit);
  *band = o.Minus(*inside);
}

}  // namespace

bool MoveToEx(HDC hdc, int x, int y, POINT* previous) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc) return false;
  Record(*dc, "MoveToEx(" + Args({x, y}) + ")");
  if (dc->meta) dc->meta->MoveTo(x, y);
  if (previous) *previous = dc->st.position;
  dc->st.position = POINT{x, y};
  return true;
}

bool GetCurrentPositionEx(HDC hdc, POINT* point) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc || !point) return false;
  *point = dc->st.position;
  return true;
}

bool LineTo(HDC hdc, int x, int y) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc) return false;
  Record(*dc, "LineTo(" + Args({x, y}) + ")");
  if (dc->meta) {
    dc->meta->LineTo(x, y);
    dc->st.position = POINT{x, y};
    return true;
  }
  std::vector<POINT> path{ToDevice(dc->st, dc->st.position.x, dc->st.position.y), ToDevice(dc->st, x, y)};
  StrokePath(*dc, path, false);
  dc->st.position = POINT{x, y};
  return true;
}

bool Polyline(HDC hdc, const POINT* points, int count) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc || !points || count < 2) return false;
  Record(*dc, "Polyline(" + PointList(points, count) + ")");
  if (dc->meta) return dc->meta->Poly(points, count, false), true;
  StrokePath(*dc, ToDevicePoints(dc->st, points, count), false);
  return true;
}

bool Polygon(HDC hdc, const POINT* points, int count) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc || !points || count < 2) return false;
  Record(*dc, "Polygon(" + PointList(points, count) + ")");
  if (dc->meta) return dc->meta->Poly(points, count, true), true;
  std::vector<POINT> device = ToDevicePoints(dc->st, points, count);
  if (BrushPaints(dc->st)) {
    SpanSet fill = PolygonSpans(device.data(), count, dc->st.polyFillMode, SurfaceRect(*dc));
    PaintSpans(*dc, fill, dc->st.brush->color, dc->st.rop2);
  }
  StrokePath(*dc, device, true);
  return true;
}

bool Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc) return false;
  Record(*dc, "Rectangle(" + Args({left, top, right, bottom}) + ")");
  if (dc->meta) return dc->meta->Shape(MetaRecorder::Box::Rectangle, left, top, right, bottom), true;
  RECT b = DeviceBox(dc->st, left, top, right, bottom);
  DevicePen pen = ResolvePen(dc->st);
  const RECT limit = SurfaceRect(*dc);
  SpanSet inner, frame;
  if (pen.null) {
    // Without a pen the filled area is one pixel smaller on the right and bottom.
    AddClampedRect(inner, RECT{b.left, b.top, b.right - 1, b.bottom - 1}, limit);
  } else {
    RECT outer = b, in{b.left + 1, b.top + 1, b.right - 1, b.bottom - 1};
    if (pen.width > 1) {
      const int w = pen.width, h = pen.insideFrame ? 0 : (w - 1) / 2;
      outer = pen.insideFrame ? b : RECT{b.left - h, b.top - h, b.right - 1 - h + w, b.bottom - 1 - h + w};
      in = RECT{outer.left + w, outer.top + w, outer.right - w, outer.bottom - w};
    }
    SpanSet o;
    AddClampedRect(o, outer, limit);
    o.Normalize();
    if (in.right > in.left && in.bottom > in.top) AddClampedRect(inner, in, limit);
    inner.Normalize();
    frame = o.Minus(inner);
  }
  inner.Normalize();
  if (BrushPaints(dc->st)) PaintSpans(*dc, inner, dc->st.brush->color, dc->st.rop2);
  if (pen.null) return true;
  if (pen.style != PS_SOLID && 0LL + b.right - b.left >= 2 && 0LL + b.bottom - b.top >= 2) {
    // Styled outline: the dash pattern runs clockwise from the top-left corner.
    std::vector<POINT> path{{b.left, b.top}, {b.right - 1, b.top}, {b.right - 1, b.bottom - 1}, {b.left, b.bottom - 1}};
    StrokePath(*dc, path, true);
  } else {
    PaintSpans(*dc, frame, pen.color, dc->st.rop2);
  }
  return true;
}

bool Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc) return false;
  Record(*dc, "Ellipse(" + Args({left, top, right, bottom}) + ")");
  if (dc->meta) return dc->meta->Shape(MetaRecorder::Box::Ellipse, left, top, right, bottom), true;
  RECT b = DeviceBox(dc->st, left, top, right, bottom);
  DevicePen pen = ResolvePen(dc->st);
  RECT limit = SurfaceRect(*dc);
  if (pen.null) {
    if (BrushPaints(dc->st))
      PaintSpans(*dc, EllipseSpans(b.left, b.top, b.right - 1, b.bottom - 1, limit), dc->st.brush->color,
                 dc->st.rop2);
    return true;
  }
  SpanSet band, inside;
  EllipseBand(pen, b, limit, &band, &inside);
  if (BrushPaints(dc->st)) PaintSpans(*dc, inside, dc->st.brush->color, dc->st.rop2);
  const double cx = (0.0 + b.left + b.right - 1) / 2.0, cy = (0.0 + b.top + b.bottom - 1) / 2.0;
  PaintCurve(*dc, band, pen, cx, cy, 0.0);
  return true;
}

bool Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc) return false;
  Record(*dc, "Arc(" + Args({left, top, right, bottom, xStart, yStart, xEnd, yEnd}) + ")");
  if (dc->meta) return dc->meta->ArcTo(RECT{left, top, right, bottom}, POINT{xStart, yStart}, POINT{xEnd, yEnd}), true;
  RECT b = DeviceBox(dc->st, left, top, right, bottom);
  DevicePen pen = ResolvePen(dc->st);
  if (pen.null) return true;
  POINT s = ToDevice(dc->st, xStart, yStart), e = ToDevice(dc->st, xEnd, yEnd);
  const double cx = (0.0 + b.left + b.right - 1) / 2.0, cy = (0.0 + b.top + b.bottom - 1) / 2.0;
  const double a0 = ScreenAngle(s.x, s.y, cx, cy);
  double sweep = CcwFrom(a0, ScreenAngle(e.x, e.y, cx, cy));
  if (sweep < 1e-12) sweep = 2.0 * std::numbers::pi;  // the same radial: the whole ellipse
  SpanSet band, inside;
  EllipseBand(pen, b, SurfaceRect(*dc), &band, &inside);
  SpanSet arc;
  for (const auto& [y, runs] : band.Rows())
    for (const auto& r : runs)
      for (int x = r.first; x < r.second; ++x)
        if (CcwFrom(a0, ScreenAngle(x, y, cx, cy)) <= sweep + 1e-9) arc.Add(y, x, x + 1);
  if (pen.width > 1 && sweep < 2.0 * std::numbers::pi) {
    // Wide pens end in round caps, centred where each radial meets the middle of the band.
    const double inset = pen.insideFrame ? pen.width / 2.0 : 0.0;
    const double ra = (0.0 + b.right - b.left - 1) / 2.0 - inset, rb = (0.0 + b.bottom - b.top - 1) / 2.0 - inset;
    if (ra > 0 && rb > 0) {
      for (double angle : {a0, a0 + sweep}) {
        const double ux = std::cos(angle), uy = -std::sin(angle);
        const double t = 1.0 / std::sqrt(ux * ux / (ra * ra) + uy * uy / (rb * rb));
        const POINT cap{static_cast<int>(std::lround(cx + t * ux)), static_cast<int>(std::lround(cy + t * uy))};
        AddWideStroke(arc, &cap, 1, false, pen.width, SurfaceRect(*dc));
      }
    }
  }
  arc.Normalize();
  PaintCurve(*dc, arc, pen, cx, cy, a0);
  return true;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  Record(*dc, "SetPixel(" + Args({x, y}) + ", " + Hex6(color) + ")");
  if (dc->meta) return dc->meta->Pixel(x, y, color & 0xFFFFFF), color & 0xFFFFFF;
  POINT p = ToDevice(dc->st, x, y);
  if (!dc->st.surface->Inside(p.x, p.y)) return CLR_INVALID;
  PaintPixel(*dc, p.x, p.y, color, R2_COPYPEN);
  return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc || dc->meta) return CLR_INVALID;  // a metafile has no pixels to read
  POINT p = ToDevice(dc->st, x, y);
  if (!dc->st.surface->Inside(p.x, p.y)) return CLR_INVALID;
  return dc->st.surface->At(p.x, p.y);
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  ObjectPtr b = FindObject(brush);
  if (!dc || !rect || !b || b->kind != Kind::Brush) return 0;
  Record(*dc, "FillRect(" + Args({rect->left, rect->top, rect->right, rect->bottom}) + ", " + Describe(*b) + ")");
  if (b->brushStyle == BS_NULL) return 1;
  if (dc->meta) {
    SpanSet box;
    box.AddRect(std::min(rect->left, rect->right), std::min(rect->top, rect->bottom), std::max(rect->left, rect->right),
                std::max(rect->top, rect->bottom));
    box.Normalize();
    dc->meta->FillRegion(box, brush, *b);
    return 1;
  }
  RECT d = DeviceBox(dc->st, rect->left, rect->top, rect->right, rect->bottom);
  RECT lim = SurfaceRect(*dc);
  SpanSet spans;
  spans.AddRect(std::max(d.left, lim.left), std::max(d.top, lim.top), std::min(d.right, lim.right),
                std::min(d.bottom, lim.bottom));
  spans.Normalize();
  PaintSpans(*dc, spans, b->color, R2_COPYPEN);
  return 1;
}

}  // namespace winplat
