// Playback of enhanced and old-style metafiles: each record becomes the
// drawing call it stands for, with its own table of the objects it creates.
// Records are read with bounds checks; a malformed record ends the playback.
#include "metafile_play.h"

#include <map>

#include "metafile_bytes.h"
#include "metafile_records.h"
#include "winplat/code_page.h"

namespace winplat::gdi {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;

std::string FromUtf16(const Reader& r, std::size_t at, std::size_t count) {
  std::string s;
  for (std::size_t i = 0; i < count; ++i) {
    s.push_back(static_cast<char>(CodePageFromCodePoint(r.U16(at + 2 * i)).value_or('?')));
  }
  return s;
}

HRGN RegionOfRects(const Reader& r, std::size_t at, std::uint32_t count, int dx, int dy) {
  SpanSet spans;
  for (std::uint32_t i = 0; i < count && !r.Bad(); ++i) {
    const RECT c = r.Rect(at + 16 * static_cast<std::size_t>(i));
    spans.AddRect(c.left + dx, c.top + dy, c.right + dx, c.bottom + dy);
  }
  if (r.Bad()) return 0;
  spans.Normalize();
  Lock lock(Reg().mu);
  auto o = std::make_shared<GdiObject>();
  o->kind = Kind::Region;
  o->region = std::move(spans);
  return AddObject(std::move(o));
}

void DrawPoly(HDC hdc, const std::vector<POINT>& points, bool closed) {
  const int count = static_cast<int>(points.size());
  if (closed)
    Polygon(hdc, points.data(), count);
  else
    Polyline(hdc, points.data(), count);
}

// Objects a playback created, deleted when it ends.
class ObjectTable {
 public:
  ~ObjectTable() {
    for (auto& [index, h] : objects_) DeleteObject(h);
  }
  // A failed creation still takes its index, so later indices stay in step.
  void Put(std::uint32_t index, HGDIOBJ h) {
    if (auto it = objects_.find(index); it != objects_.end()) DeleteObject(it->second);
    objects_[index] = h;
  }
  HGDIOBJ Get(std::uint32_t index) const {
    auto it = objects_.find(index);
    return it == objects_.end() ? 0 : it->second;
  }
  // An enhanced metafile's object index: a stock object when its high bit is set.
  HGDIOBJ Enhanced(std::uint32_t index) const {
    return (index & kStockBit) ? GetStockObject(static_cast<int>(index & ~kStockBit)) : Get(index);
  }
  void Delete(std::uint32_t index) {
    if (auto it = objects_.find(index); it != objects_.end()) {
      DeleteObject(it->second);
      objects_.erase(it);
    }
  }
  std::uint32_t FirstFree() const {
    std::uint32_t i = 0;
    while (objects_.count(i)) ++i;
    return i;
  }

 private:
  std::map<std::uint32_t, HGDIOBJ> objects_;
};

// Saves the target's state for the playback and restores it afterwards;
// the metafile's own restores cannot reach below it.
class PlaybackState {
 public:
  explicit PlaybackState(HDC hdc) : hdc_(hdc), level_(SaveDC(hdc)) {}
  ~PlaybackState() {
    if (level_) RestoreDC(hdc_, level_);
  }
  void Save() {
    if (SaveDC(hdc_)) ++depth_;
  }
  void Restore(int relative) {
    if (relative >= 0 || -relative > depth_) return;
    if (RestoreDC(hdc_, relative)) depth_ += relative;
  }
  bool Ok() const { return level_ != 0; }

 private:
  HDC hdc_;
  int level_;
  int depth_ = 0;
};

LOGFONT FontFrom(const Reader& r, std::size_t at, bool wide) {
  LOGFONT f;
  std::size_t p = at;
  auto next = [&](bool thirtyTwo) {
    const std::int32_t v = thirtyTwo ? r.I32(p) : r.I16(p);
    p += thirtyTwo ? 4 : 2;
    return v;
  };
  f.lfHeight = next(wide);
  f.lfWidth = next(wide);
  f.lfEscapement = next(wide);
  f.lfOrientation = next(wide);
  f.lfWeight = next(wide);
  std::uint8_t* bytes[] = {&f.lfItalic, &f.lfUnderline, &f.lfStrikeOut, &f.lfCharSet, &f.lfOutPrecision,
                           &f.lfClipPrecision, &f.lfQuality, &f.lfPitchAndFamily};
  for (std::uint8_t* b : bytes) *b = r.U8(p++);
  for (int i = 0; i < LF_FACESIZE - 1; ++i) {
    int c = 0;
    if (wide) {
      if (p + 2 > r.Size()) break;
      const auto b = CodePageFromCodePoint(r.U16(p));
      c = b ? *b : -1;
      p += 2;
    } else {
      if (p >= r.Size()) break;
      c = r.U8(p++);
    }
    if (c <= 0) break;
    f.lfFaceName[i] = static_cast<char>(c);
  }
  return f;
}

}  // namespace

bool WellFormedEnhanced(const std::uint8_t* data, std::size_t size) {
  Reader h(data, size);
  if (size < 88 || h.U32(0) != EMR_HEADER || h.U32(40) != kEnhancedSignature) return false;
  std::size_t at = h.U32(4);
  if (at < 88 || at > size) return false;
  while (at + 8 <= size) {
    const std::uint32_t type = h.U32(at), n = h.U32(at + 4);
    if (n < 8 || n % 4 != 0 || n > size - at) return false;
    if (type == EMR_EOF) return true;
    at += n;
  }
  return false;
}

bool WellFormedOldStyle(const std::uint8_t* data, std::size_t size) {
  Reader h(data, size);
  if (size < 18 || h.U16(2) != 9) return false;
  for (std::size_t at = 18; at + 6 <= size;) {
    const std::uint64_t words = h.U32(at);
    if (words < 3 || words * 2 > size - at) return false;
    if (h.U16(at + 4) == META_EOF) return true;
    at += static_cast<std::size_t>(words * 2);
  }
  return false;
}

bool PlayEnhanced(HDC hdc, const std::vector<std::uint8_t>& bytes, const RECT& rect) {
  if (!WellFormedEnhanced(bytes.data(), bytes.size())) return false;
  const Reader h(bytes.data(), bytes.size());
  const RECT bounds = h.Rect(8);
  const long long bw = 0LL + bounds.right - bounds.left + 1, bh = 0LL + bounds.bottom - bounds.top + 1;
  const long long rw = 0LL + rect.right - rect.left, rh = 0LL + rect.bottom - rect.top;
  PlaybackState state(hdc);
  if (!state.Ok()) return false;
  int dx = 0, dy = 0;
  if (bw == rw && bh == rh) {
    // One to one: only the origin moves.
    POINT org;
    GetViewportOrgEx(hdc, &org);
    dx = rect.left - bounds.left;
    dy = rect.top - bounds.top;
    SetViewportOrgEx(hdc, org.x + dx, org.y + dy, nullptr);
  } else if (bw > 0 && bh > 0 && rw != 0 && rh != 0) {
    SetMapMode(hdc, MM_ANISOTROPIC);
    SetWindowOrgEx(hdc, bounds.left, bounds.top, nullptr);
    SetWindowExtEx(hdc, static_cast<int>(bw), static_cast<int>(bh), nullptr);
    SetViewportOrgEx(hdc, rect.left, rect.top, nullptr);
    SetViewportExtEx(hdc, static_cast<int>(rw), static_cast<int>(rh), nullptr);
  }
  ObjectTable objects;
  for (std::size_t at = h.U32(4); at + 8 <= bytes.size();) {
    const std::uint32_t type = h.U32(at), n = h.U32(at + 4);
    const Reader r(bytes.data() + at, n);
    at += n;
    auto pt = [&](std::size_t o) { return POINT{r.I32(o), r.I32(o + 4)}; };
    switch (type) {
      case EMR_EOF: return true;  // end of file
      case EMR_SETWINDOWEXTEX: SetWindowExtEx(hdc, r.I32(8), r.I32(12), nullptr); break;
      case EMR_SETWINDOWORGEX: SetWindowOrgEx(hdc, r.I32(8), r.I32(12), nullptr); break;
      case EMR_SETVIEWPORTEXTEX: SetViewportExtEx(hdc, r.I32(8), r.I32(12), nullptr); break;
      case EMR_SETVIEWPORTORGEX: SetViewportOrgEx(hdc, r.I32(8) + dx, r.I32(12) + dy, nullptr); break;
      case EMR_SETPIXELV: SetPixel(hdc, r.I32(8), r.I32(12), r.U32(16)); break;
      case EMR_SETMAPMODE: SetMapMode(hdc, r.I32(8)); break;
      case EMR_SETBKMODE: SetBkMode(hdc, r.I32(8)); break;
      case EMR_SETPOLYFILLMODE: SetPolyFillMode(hdc, r.I32(8)); break;
      case EMR_SETROP2: SetROP2(hdc, r.I32(8)); break;
      case EMR_SETTEXTALIGN: SetTextAlign(hdc, r.U32(8)); break;
      case EMR_SETTEXTCOLOR: SetTextColor(hdc, r.U32(8)); break;
      case EMR_SETBKCOLOR: SetBkColor(hdc, r.U32(8)); break;
      case EMR_MOVETOEX: MoveToEx(hdc, r.I32(8), r.I32(12), nullptr); break;
      case EMR_LINETO: LineTo(hdc, r.I32(8), r.I32(12)); break;
      case EMR_SAVEDC: state.Save(); break;
      case EMR_RESTOREDC: state.Restore(r.I32(8)); break;
      case EMR_POLYGON:
      case EMR_POLYLINE: {
        const std::uint32_t count = r.U32(24);
        if (count > (n - 28) / 8) return false;
        std::vector<POINT> points;
        for (std::uint32_t i = 0; i < count; ++i) points.push_back(pt(28 + 8 * static_cast<std::size_t>(i)));
        DrawPoly(hdc, points, type == EMR_POLYGON);
        break;
      }
      case EMR_ELLIPSE: Ellipse(hdc, r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
      case EMR_RECTANGLE: Rectangle(hdc, r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
      case EMR_ARC: {
        const POINT s = pt(24), e = pt(32);
        Arc(hdc, r.I32(8), r.I32(12), r.I32(16), r.I32(20), s.x, s.y, e.x, e.y);
        break;
      }
      case EMR_SELECTOBJECT: SelectObject(hdc, objects.Enhanced(r.U32(8))); break;
      case EMR_CREATEPEN: objects.Put(r.U32(8), CreatePen(r.I32(12), r.I32(16), r.U32(24))); break;
      case EMR_CREATEBRUSHINDIRECT: {
        LOGBRUSH b;
        b.lbStyle = r.U32(12);
        b.lbColor = r.U32(16);
        objects.Put(r.U32(8), CreateBrushIndirect(&b));
        break;
      }
      case EMR_EXTCREATEFONTINDIRECTW: {
        const LOGFONT f = FontFrom(r, 12, true);
        objects.Put(r.U32(8), CreateFontIndirect(&f));
        break;
      }
      case EMR_DELETEOBJECT: objects.Delete(r.U32(8)); break;
      case EMR_FILLRGN: {
        const HBRUSH brush = objects.Enhanced(r.U32(28));
        const std::uint32_t count = r.U32(40);
        if (count > (n - 64) / 16) return false;
        HRGN region = RegionOfRects(r, 64, count, 0, 0);
        if (region && brush) FillRgn(hdc, region, brush);
        if (region) DeleteObject(region);
        break;
      }
      case EMR_EXTSELECTCLIPRGN: {
        if (r.U32(8) == 0) {
          SelectClipRgn(hdc, 0);
          break;
        }
        const std::uint32_t count = r.U32(24);
        if (count > (n - 48) / 16) return false;
        // Clipping is in device pixels: it moves with the origin.
        HRGN region = RegionOfRects(r, 48, count, dx, dy);
        if (region) {
          SelectClipRgn(hdc, region);
          DeleteObject(region);
        }
        break;
      }
      case EMR_EXTTEXTOUTW: {
        const std::uint32_t chars = r.U32(44), offString = r.U32(48);
        if (offString > n || chars > (n - offString) / 2) return false;
        const std::string text = FromUtf16(r, offString, chars);
        TextOut(hdc, r.I32(36), r.I32(40), text.data(), static_cast<int>(text.size()));
        break;
      }
      default: break;  // records this device does not draw
    }
    if (r.Bad()) return false;
  }
  return false;
}

bool PlayOldStyle(HDC hdc, const std::vector<std::uint8_t>& bytes) {
  const Reader whole(bytes.data(), bytes.size());
  std::size_t at = whole.U32(0) == kPlaceableKey ? 22 : 0;
  if (bytes.size() < at + 18 || whole.U16(at + 2) != 9) return false;
  at += 18;
  PlaybackState state(hdc);
  if (!state.Ok()) return false;
  ObjectTable objects;
  while (at + 6 <= bytes.size()) {
    const std::uint64_t words = whole.U32(at);
    const std::uint16_t function = whole.U16(at + 4);
    if (words < 3 || words * 2 > bytes.size() - at) return false;
    const std::size_t n = static_cast<std::size_t>(words * 2);
    const Reader r(bytes.data() + at, n);
    at += n;
    auto yx = [&](std::size_t o) { return POINT{r.I16(o + 2), r.I16(o)}; };
    switch (function) {
      case META_EOF: return true;
      case META_SETBKMODE: SetBkMode(hdc, r.I16(6)); break;
      case META_SETMAPMODE: SetMapMode(hdc, r.I16(6)); break;
      case META_SETROP2: SetROP2(hdc, r.I16(6)); break;
      case META_SETPOLYFILLMODE: SetPolyFillMode(hdc, r.I16(6)); break;
      case META_SETTEXTALIGN: SetTextAlign(hdc, r.U16(6)); break;
      case META_SETTEXTCOLOR: SetTextColor(hdc, r.U32(6)); break;
      case META_SETBKCOLOR: SetBkColor(hdc, r.U32(6)); break;
      case META_SETWINDOWORG: SetWindowOrgEx(hdc, yx(6).x, yx(6).y, nullptr); break;
      case META_SETWINDOWEXT: SetWindowExtEx(hdc, yx(6).x, yx(6).y, nullptr); break;
      case META_SETVIEWPORTORG: SetViewportOrgEx(hdc, yx(6).x, yx(6).y, nullptr); break;
      case META_SETVIEWPORTEXT: SetViewportExtEx(hdc, yx(6).x, yx(6).y, nullptr); break;
      case META_SAVEDC: state.Save(); break;
      case META_RESTOREDC: state.Restore(r.I16(6)); break;
      case META_MOVETO: MoveToEx(hdc, yx(6).x, yx(6).y, nullptr); break;
      case META_LINETO: LineTo(hdc, yx(6).x, yx(6).y); break;
      case META_POLYGON:
      case META_POLYLINE: {
        const std::size_t count = r.U16(6);
        if (count > (n - 8) / 4) return false;
        std::vector<POINT> points;
        for (std::size_t i = 0; i < count; ++i) points.push_back(POINT{r.I16(8 + 4 * i), r.I16(10 + 4 * i)});
        DrawPoly(hdc, points, function == META_POLYGON);
        break;
      }
      case META_ELLIPSE: Ellipse(hdc, r.I16(12), r.I16(10), r.I16(8), r.I16(6)); break;
      case META_RECTANGLE: Rectangle(hdc, r.I16(12), r.I16(10), r.I16(8), r.I16(6)); break;
      case META_ARC:
        Arc(hdc, r.I16(20), r.I16(18), r.I16(16), r.I16(14), r.I16(12), r.I16(10), r.I16(8), r.I16(6));
        break;
      case META_SETPIXEL: SetPixel(hdc, r.I16(12), r.I16(10), r.U32(6)); break;
      case META_TEXTOUT: {
        const std::size_t length = r.U16(6);
        if (length + 12 > n) return false;
        std::string text;
        for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char>(r.U8(8 + i)));
        const std::size_t after = 8 + ((length + 1) / 2) * 2;
        TextOut(hdc, r.I16(after + 2), r.I16(after), text.data(), static_cast<int>(length));
        break;
      }
      case META_PATBLT: {
        // The current brush copied into the rectangle.
        const RECT box{r.I16(16), r.I16(14), r.I16(16) + r.I16(12), r.I16(14) + r.I16(10)};
        FillRect(hdc, &box, GetCurrentObject(hdc, OBJ_BRUSH));
        break;
      }
      case META_INTERSECTCLIPRECT: {
        HRGN clip = CreateRectRgn(r.I16(12), r.I16(10), r.I16(8), r.I16(6));
        SelectClipRgn(hdc, clip);
        DeleteObject(clip);
        break;
      }
      case META_SELECTOBJECT: SelectObject(hdc, objects.Get(r.U16(6))); break;
      case META_DELETEOBJECT: objects.Delete(r.U16(6)); break;
      case META_CREATEPENINDIRECT: objects.Put(objects.FirstFree(), CreatePen(r.U16(6), r.I16(8), r.U32(12))); break;
      case META_CREATEBRUSHINDIRECT: {
        LOGBRUSH b;
        b.lbStyle = r.U16(6);
        b.lbColor = r.U32(8);
        objects.Put(objects.FirstFree(), CreateBrushIndirect(&b));
        break;
      }
      case META_CREATEFONTINDIRECT: {
        const LOGFONT f = FontFrom(r, 6, false);
        objects.Put(objects.FirstFree(), CreateFontIndirect(&f));
        break;
      }
      default: break;
    }
    if (r.Bad()) return false;
  }
  return false;
}

}  // namespace winplat::gdi
