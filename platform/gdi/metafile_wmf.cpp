// Recording of old-style metafiles: each call becomes a record of the WMF
// format. Coordinates are 16-bit, so geometry leaving that range is clipped
// to it: lines directly, ellipses, arcs and polygons as polylines of their
// part inside it. Objects live in a table whose first free slot each new
// object takes; stock objects are created like any other.
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "metafile_bytes.h"
#include "metafile_records.h"

namespace winplat::gdi {

namespace {

constexpr double kLow = -32768.0, kHigh = 32767.0;
constexpr int kMaxPolyPoints = 8000;

bool Fits(long long v) { return v >= kLow && v <= kHigh; }
bool Fits(POINT p) { return Fits(p.x) && Fits(p.y); }
std::int16_t S16(long long v) { return static_cast<std::int16_t>(std::clamp<long long>(v, -32768, 32767)); }

// Cuts the segment a-b to the 16-bit square; false when nothing of it is inside.
bool ClipSegment(double ax, double ay, double bx, double by, POINT* from, POINT* to) {
  double t0 = 0, t1 = 1;
  const double dx = bx - ax, dy = by - ay;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - kLow, kHigh - ax, ay - kLow, kHigh - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  if (t0 > t1) return false;
  auto at = [&](double t) {
    return POINT{static_cast<std::int32_t>(std::clamp(std::round(ax + t * dx), kLow, kHigh)),
                 static_cast<std::int32_t>(std::clamp(std::round(ay + t * dy), kLow, kHigh))};
  };
  *from = at(t0);
  *to = at(t1);
  return true;
}

struct FPoint {
  double x, y;
};

// Points along an elliptic curve in the box, counter-clockwise on the screen
// from angle a0 over `sweep`, close enough to the curve for its pixels.
std::vector<FPoint> CurvePoints(const RECT& box, double a0, double sweep) {
  const double cx = (0.0 + box.left + box.right) / 2, cy = (0.0 + box.top + box.bottom) / 2;
  const double ra = std::fabs(0.0 + box.right - box.left) / 2, rb = std::fabs(0.0 + box.bottom - box.top) / 2;
  const double r = std::max({ra, rb, 1.0});
  const int n = static_cast<int>(std::clamp(std::ceil(sweep * std::sqrt(r / 2.0)), 16.0, 65536.0));
  std::vector<FPoint> out;
  out.reserve(static_cast<std::size_t>(n) + 1);
  for (int i = 0; i <= n; ++i) {
    const double a = a0 + sweep * i / n;
    out.push_back({cx + ra * std::cos(a), cy - rb * std::sin(a)});
  }
  return out;
}

class OldStyleRecorder : public MetaRecorder {
 public:
  void SetMode(Mode mode, std::uint32_t value) override {
    switch (mode) {
      case Mode::BkMode: Word(META_SETBKMODE, value); break;
      case Mode::Rop2: Word(META_SETROP2, value); break;
      case Mode::PolyFillMode: Word(META_SETPOLYFILLMODE, value); break;
      case Mode::TextAlign: Word(META_SETTEXTALIGN, value); break;
      case Mode::MapMode: Word(META_SETMAPMODE, value); break;
      case Mode::TextColor: Begin(META_SETTEXTCOLOR).U32(value), End(); break;
      case Mode::BkColor: Begin(META_SETBKCOLOR).U32(value), End(); break;
    }
  }

  void SetPair(Pair pair, int x, int y) override {
    static const std::map<Pair, std::uint16_t> functions{{Pair::WindowExt, META_SETWINDOWEXT},
                                                         {Pair::WindowOrg, META_SETWINDOWORG},
                                                         {Pair::ViewportExt, META_SETVIEWPORTEXT},
                                                         {Pair::ViewportOrg, META_SETVIEWPORTORG}};
    YX(functions.at(pair), x, y);
  }

  void Save() override {
    Begin(META_SAVEDC);
    End();
  }
  void Restore(int relative) override { Word(META_RESTOREDC, static_cast<std::uint32_t>(S16(relative))); }

  void Select(HGDIOBJ handle, const GdiObject& object) override {
    Word(META_SELECTOBJECT, Ensure(handle, object));
    selectedObject_[RecordedObjects::KindOf(object)] = object;
    if (const HGDIOBJ gone = objects_.Select(object, handle)) Delete(gone);
  }

  void Deleted(HGDIOBJ handle) override {
    if (StockIndex(handle) < 0 && objects_.DeleteNow(handle)) Delete(handle);
  }

  void MoveTo(int x, int y) override {
    position_ = POINT{x, y};
    if (Fits(position_)) {
      YX(META_MOVETO, x, y);
      recordedAt_ = position_;
      recordedValid_ = true;
    } else {
      recordedValid_ = false;
    }
  }

  void LineTo(int x, int y) override {
    POINT from, to;
    const POINT start = position_;
    position_ = POINT{x, y};
    if (!ClipSegment(start.x, start.y, x, y, &from, &to)) return;
    if (!recordedValid_ || recordedAt_.x != from.x || recordedAt_.y != from.y) YX(META_MOVETO, from.x, from.y);
    YX(META_LINETO, to.x, to.y);
    recordedAt_ = to;
    recordedValid_ = true;
  }

  void Poly(const POINT* points, int count, bool closed) override {
    if (std::all_of(points, points + count, [](POINT p) { return Fits(p); })) {
      Points(closed ? META_POLYGON : META_POLYLINE, points, count);
      return;
    }
    std::vector<FPoint> path;
    for (int i = 0; i < count; ++i) path.push_back({0.0 + points[i].x, 0.0 + points[i].y});
    if (closed) path.push_back(path.front());
    ClippedPolylines(path);
  }

  void Shape(Box box, int left, int top, int right, int bottom) override {
    if (Fits(left) && Fits(top) && Fits(right) && Fits(bottom)) {
      Bytes& b = Begin(box == Box::Ellipse ? META_ELLIPSE : META_RECTANGLE);
      b.I16(S16(bottom));
      b.I16(S16(right));
      b.I16(S16(top));
      b.I16(S16(left));
      End();
      return;
    }
    const RECT r{left, top, right, bottom};
    if (box == Box::Ellipse) {
      ClippedPolylines(CurvePoints(r, 0, 2 * std::numbers::pi));
    } else {
      const double l = left, t = top, rt = right - 1.0, bt = bottom - 1.0;
      ClippedPolylines({{l, t}, {rt, t}, {rt, bt}, {l, bt}, {l, t}});
    }
  }

  void ArcTo(const RECT& box, POINT start, POINT end) override {
    const double cx = (0.0 + box.left + box.right) / 2, cy = (0.0 + box.top + box.bottom) / 2;
    auto angle = [&](POINT p) { return (p.x == cx && p.y == cy) ? 0.0 : std::atan2(-(p.y - cy), p.x - cx); };
    if (Fits(box.left) && Fits(box.top) && Fits(box.right) && Fits(box.bottom)) {
      // Radial points only give directions: far ones are pulled in along their radial.
      auto inside = [&](POINT p) {
        if (Fits(p)) return p;
        const double a = angle(p);
        return POINT{static_cast<std::int32_t>(std::lround(cx + 16384.0 * std::cos(a) / 2)),
                     static_cast<std::int32_t>(std::lround(cy - 16384.0 * std::sin(a) / 2))};
      };
      const POINT s = inside(start), e = inside(end);
      Bytes& b = Begin(META_ARC);
      for (long long v : {0LL + e.y, 0LL + e.x, 0LL + s.y, 0LL + s.x, 0LL + box.bottom, 0LL + box.right, 0LL + box.top,
                          0LL + box.left})
        b.I16(S16(v));
      End();
      return;
    }
    const double a0 = angle(start);
    double sweep = std::fmod(angle(end) - a0, 2 * std::numbers::pi);
    if (sweep <= 1e-12) sweep += 2 * std::numbers::pi;
    ClippedPolylines(CurvePoints(box, a0, sweep));
  }

  void Pixel(int x, int y, COLORREF color) override {
    if (!Fits(x) || !Fits(y)) return;  // far outside any surface
    Bytes& b = Begin(META_SETPIXEL);
    b.U32(color);
    b.I16(S16(y));
    b.I16(S16(x));
    End();
  }

  void FillRegion(const SpanSet& region, HGDIOBJ brushHandle, const GdiObject& brush) override {
    // The brush is copied into each rectangle, whatever the mix mode.
    const HGDIOBJ keep = CurrentBrush();
    const GdiObject keepObject = selectedObject_[1];
    Select(brushHandle, brush);
    for (const RECT& r : RegionRects(region)) {
      const long long l = std::max<long long>(r.left, -32768), t = std::max<long long>(r.top, -32768);
      const long long rt = std::min<long long>(r.right, 32767), bt = std::min<long long>(r.bottom, 32767);
      if (rt <= l || bt <= t) continue;
      Bytes& b = Begin(META_PATBLT);
      b.U32(PATCOPY);
      b.I16(S16(bt - t));
      b.I16(S16(rt - l));
      b.I16(S16(t));
      b.I16(S16(l));
      End();
    }
    if (keep != brushHandle) Select(keep, keepObject);
  }

  void Text(int x, int y, const std::string& text, const std::vector<int>&) override {
    if (!Fits(x) || !Fits(y) || text.size() > 32000) return;
    Bytes& b = Begin(META_TEXTOUT);
    b.U16(static_cast<std::uint16_t>(text.size()));
    for (char c : text) b.U8(static_cast<std::uint8_t>(c));
    b.PadTo(2);
    b.I16(S16(y));
    b.I16(S16(x));
    End();
  }

  void Clip(const SpanSet* region) override {
    // Only a rectangle can be said in this format without a region object:
    // it narrows the clipping; removing the clipping is not recorded.
    if (!region) return;
    RECT r{0, 0, 0, 0};
    region->Bounds(&r);
    Bytes& b = Begin(META_INTERSECTCLIPRECT);
    b.I16(S16(r.bottom));
    b.I16(S16(r.right));
    b.I16(S16(r.top));
    b.I16(S16(r.left));
    End();
  }

  std::vector<std::uint8_t> Finish() override {
    Begin(META_EOF);
    End();
    Bytes h;
    h.U16(1);  // in memory
    h.U16(9);  // header words
    h.U16(0x0300);
    h.U32(static_cast<std::uint32_t>(9 + body_.Size() / 2));
    h.U16(static_cast<std::uint16_t>(objects_.Slots()));
    h.U32(maxRecord_);
    h.U16(0);
    h.Append(body_.Data());
    return std::move(h.Data());
  }

 private:
  Bytes& Begin(std::uint16_t function) {
    start_ = body_.Size();
    body_.U32(0);
    body_.U16(function);
    return body_;
  }
  void End() {
    body_.PadTo(2);
    const auto words = static_cast<std::uint32_t>((body_.Size() - start_) / 2);
    body_.PatchU32(start_, words);
    maxRecord_ = std::max(maxRecord_, words);
  }
  void Word(std::uint16_t function, std::uint32_t value) {
    Begin(function).U16(static_cast<std::uint16_t>(value));
    End();
  }
  void YX(std::uint16_t function, long long x, long long y) {
    Bytes& b = Begin(function);
    b.I16(S16(y));
    b.I16(S16(x));
    End();
  }
  void Points(std::uint16_t function, const POINT* points, int count) {
    Bytes& b = Begin(function);
    b.U16(static_cast<std::uint16_t>(count));
    for (int i = 0; i < count; ++i) {
      b.I16(S16(points[i].x));
      b.I16(S16(points[i].y));
    }
    End();
  }

  // The parts of a path inside the 16-bit square, as polylines.
  void ClippedPolylines(const std::vector<FPoint>& path) {
    std::vector<POINT> run;
    auto flush = [&] {
      for (std::size_t at = 0; run.size() >= 2 && at + 1 < run.size(); at += kMaxPolyPoints - 1) {
        const std::size_t n = std::min<std::size_t>(kMaxPolyPoints, run.size() - at);
        Points(META_POLYLINE, run.data() + at, static_cast<int>(n));
      }
      run.clear();
    };
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
      POINT from, to;
      if (!ClipSegment(path[i].x, path[i].y, path[i + 1].x, path[i + 1].y, &from, &to)) {
        flush();
        continue;
      }
      if (run.empty() || run.back().x != from.x || run.back().y != from.y) {
        flush();
        run.push_back(from);
      }
      if (to.x != run.back().x || to.y != run.back().y) run.push_back(to);
    }
    flush();
  }

  HGDIOBJ CurrentBrush() {
    HGDIOBJ& brush = objects_.Selected(1);
    if (!brush) {
      // The default brush of a fresh context is the white stock brush.
      brush = GetStockObject(WHITE_BRUSH);
      if (ObjectPtr o = FindObject(brush)) selectedObject_[1] = *o;
    }
    return brush;
  }

  std::uint16_t Ensure(HGDIOBJ handle, const GdiObject& o) {
    if (const int slot = objects_.Find(handle); slot >= 0) return static_cast<std::uint16_t>(slot);
    const auto index = static_cast<std::uint16_t>(objects_.Add(handle));
    if (o.kind == Kind::Pen) {
      Bytes& b = Begin(META_CREATEPENINDIRECT);
      b.U16(static_cast<std::uint16_t>(o.penStyle));
      b.I16(S16(o.penWidth));
      b.I16(0);
      b.U32(o.color);
    } else if (o.kind == Kind::Brush) {
      Bytes& b = Begin(META_CREATEBRUSHINDIRECT);
      b.U16(static_cast<std::uint16_t>(o.brushStyle));
      b.U32(o.color);
      b.U16(0);
    } else {
      const LOGFONT& f = o.font;
      Bytes& b = Begin(META_CREATEFONTINDIRECT);
      for (long long v : {0LL + f.lfHeight, 0LL + f.lfWidth, 0LL + f.lfEscapement, 0LL + f.lfOrientation, 0LL + f.lfWeight})
        b.I16(S16(v));
      for (std::uint8_t v : {f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet, f.lfOutPrecision, f.lfClipPrecision,
                             f.lfQuality, f.lfPitchAndFamily})
        b.U8(v);
      for (int i = 0; i < LF_FACESIZE && f.lfFaceName[i]; ++i) b.U8(static_cast<std::uint8_t>(f.lfFaceName[i]));
      b.U8(0);
    }
    End();
    return index;
  }

  void Delete(HGDIOBJ handle) {
    const int slot = objects_.Remove(handle);
    if (slot >= 0) Word(META_DELETEOBJECT, static_cast<std::uint32_t>(slot));
  }

  Bytes body_;
  std::size_t start_ = 0;
  std::uint32_t maxRecord_ = 3;
  RecordedObjects objects_;
  GdiObject selectedObject_[3];
  POINT position_{0, 0};
  POINT recordedAt_{0, 0};
  bool recordedValid_ = true;
};

}  // namespace

std::shared_ptr<MetaRecorder> NewOldStyleRecorder() { return std::make_shared<OldStyleRecorder>(); }

}  // namespace winplat::gdi
