// Recording of enhanced metafiles: each call becomes a record of the EMF
// format (32-bit logical coordinates, objects in a handle table from index 1,
// stock objects selected by their index with the high bit set).
#include <algorithm>
#include <cmath>
#include <map>

#include "metafile_bytes.h"
#include "metafile_records.h"
#include "winplat/code_page.h"

namespace winplat::gdi {

namespace {

constexpr std::uint32_t RGN_COPY = 5;
constexpr std::uint32_t kHeaderSize = 108;

RECT PointBounds(const POINT* points, int count) {
  RECT r{points[0].x, points[0].y, points[0].x, points[0].y};
  for (int i = 1; i < count; ++i) {
    r.left = std::min(r.left, points[i].x);
    r.top = std::min(r.top, points[i].y);
    r.right = std::max(r.right, points[i].x);
    r.bottom = std::max(r.bottom, points[i].y);
  }
  return r;
}

// Region data: a header with the region's bounds, then its rectangles.
void RegionData(Bytes& b, const std::vector<RECT>& rects, const RECT& bound) {
  b.U32(32);  // header size
  b.U32(1);   // rectangles
  b.U32(static_cast<std::uint32_t>(rects.size()));
  b.U32(static_cast<std::uint32_t>(rects.size() * 16));
  b.Rect(bound);
  for (const RECT& r : rects) b.Rect(r);
}

class EnhancedRecorder : public MetaRecorder {
 public:
  EnhancedRecorder(const RECT& frame, SIZE device, int dpi, const std::string& description)
      : frame_(frame), device_(device), dpi_(dpi > 0 ? dpi : 96), description_(description) {}

  void SetMode(Mode mode, std::uint32_t value) override {
    static const std::map<Mode, std::uint32_t> types{
        {Mode::BkMode, EMR_SETBKMODE},       {Mode::Rop2, EMR_SETROP2},         {Mode::PolyFillMode, EMR_SETPOLYFILLMODE},
        {Mode::TextAlign, EMR_SETTEXTALIGN}, {Mode::TextColor, EMR_SETTEXTCOLOR}, {Mode::BkColor, EMR_SETBKCOLOR},
        {Mode::MapMode, EMR_SETMAPMODE}};
    Bytes& b = Begin(types.at(mode));
    b.U32(value);
    End();
  }

  void SetPair(Pair pair, int x, int y) override {
    static const std::map<Pair, std::uint32_t> types{{Pair::WindowExt, EMR_SETWINDOWEXTEX},
                                                     {Pair::WindowOrg, EMR_SETWINDOWORGEX},
                                                     {Pair::ViewportExt, EMR_SETVIEWPORTEXTEX},
                                                     {Pair::ViewportOrg, EMR_SETVIEWPORTORGEX}};
    XY(types.at(pair), x, y);
  }

  void Save() override {
    Begin(EMR_SAVEDC);
    End();
  }

  void Restore(int relative) override {
    Begin(EMR_RESTOREDC).I32(relative);
    End();
  }

  void Select(HGDIOBJ handle, const GdiObject& object) override {
    const int stock = StockIndex(handle);
    const std::uint32_t index = stock >= 0 ? kStockBit | static_cast<std::uint32_t>(stock) : Ensure(handle, object);
    Begin(EMR_SELECTOBJECT).U32(index);
    End();
    if (const HGDIOBJ gone = objects_.Select(object, handle)) Delete(gone);
  }

  void Deleted(HGDIOBJ handle) override {
    if (objects_.DeleteNow(handle)) Delete(handle);
  }

  void MoveTo(int x, int y) override { XY(EMR_MOVETOEX, x, y); }

  void LineTo(int x, int y) override { XY(EMR_LINETO, x, y); }

  void Poly(const POINT* points, int count, bool closed) override {
    Bytes& b = Begin(closed ? EMR_POLYGON : EMR_POLYLINE);
    b.Rect(PointBounds(points, count));
    b.U32(static_cast<std::uint32_t>(count));
    for (int i = 0; i < count; ++i) b.XY(points[i].x, points[i].y);
    End();
  }

  void Shape(Box box, int left, int top, int right, int bottom) override {
    Begin(box == Box::Ellipse ? EMR_ELLIPSE : EMR_RECTANGLE).Rect(RECT{left, top, right, bottom});
    End();
  }

  void ArcTo(const RECT& box, POINT start, POINT end) override {
    Bytes& b = Begin(EMR_ARC);
    b.Rect(box);
    b.XY(start.x, start.y);
    b.XY(end.x, end.y);
    End();
  }

  void Pixel(int x, int y, COLORREF color) override {
    Bytes& b = Begin(EMR_SETPIXELV);
    b.XY(x, y);
    b.U32(color);
    End();
  }

  void FillRegion(const SpanSet& region, HGDIOBJ brushHandle, const GdiObject& brush) override {
    const std::uint32_t index = Ensure(brushHandle, brush);
    const std::vector<RECT> rects = RegionRects(region);
    RECT bounds;
    region.Bounds(&bounds);
    Bytes& b = Begin(EMR_FILLRGN);
    b.Rect(bounds);
    b.U32(static_cast<std::uint32_t>(32 + 16 * rects.size()));
    b.U32(index);
    RegionData(b, rects, bounds);
    End();
  }

  void Text(int x, int y, const std::string& text, const std::vector<int>& advances) override {
    Bytes& b = Begin(EMR_EXTTEXTOUTW);
    int width = 0;
    for (int a : advances) width += a;
    b.Rect(RECT{x, y, x + width, y});
    b.U32(1);  // compatible graphics mode
    b.F32(0);
    b.F32(0);
    b.XY(x, y);
    b.U32(static_cast<std::uint32_t>(text.size()));
    const std::size_t stringAt = 76;
    const std::size_t dxAt = stringAt + ((text.size() * 2 + 3) / 4) * 4;
    b.U32(static_cast<std::uint32_t>(stringAt));
    b.U32(0);  // no options
    b.Rect(RECT{0, 0, -1, -1});
    b.U32(static_cast<std::uint32_t>(dxAt));
    for (char c : text) b.U16(static_cast<std::uint16_t>(CodePointFromCodePage(static_cast<unsigned char>(c))));
    b.PadTo(4);
    for (std::size_t i = 0; i < text.size(); ++i) b.I32(i < advances.size() ? advances[i] : 0);
    End();
  }

  void Clip(const SpanSet* region) override {
    Bytes& b = Begin(EMR_EXTSELECTCLIPRGN);
    if (!region) {
      b.U32(0);
      b.U32(RGN_COPY);
    } else {
      const std::vector<RECT> rects = RegionRects(*region);
      RECT bounds;
      region->Bounds(&bounds);
      b.U32(static_cast<std::uint32_t>(32 + 16 * rects.size()));
      b.U32(RGN_COPY);
      RegionData(b, rects, bounds);
    }
    End();
  }

  std::vector<std::uint8_t> Finish() override {
    Bytes& eof = Begin(EMR_EOF);
    eof.U32(0);
    eof.U32(16);
    eof.U32(20);
    End();
    // The description in UTF-16, padded to whole 32-bit words.
    Bytes desc;
    for (char c : description_) desc.U16(static_cast<std::uint16_t>(static_cast<unsigned char>(c)));
    desc.PadTo(4);
    const std::uint32_t headerSize = kHeaderSize + static_cast<std::uint32_t>(desc.Size());
    const std::uint32_t total = headerSize + static_cast<std::uint32_t>(body_.Size());
    // Bounds: the frame in device pixels, inclusive.
    auto px = [this](int hundredthsMm) { return static_cast<std::int32_t>(std::lround(hundredthsMm * dpi_ / 2540.0)); };
    const RECT bounds{px(frame_.left), px(frame_.top), px(frame_.right) - 1, px(frame_.bottom) - 1};
    const std::int32_t mmX = static_cast<std::int32_t>(std::lround(device_.cx * 25.4 / dpi_));
    const std::int32_t mmY = static_cast<std::int32_t>(std::lround(device_.cy * 25.4 / dpi_));
    Bytes h;
    h.U32(EMR_HEADER);
    h.U32(headerSize);
    h.Rect(bounds);
    h.Rect(frame_);
    h.U32(kEnhancedSignature);
    h.U32(0x10000);
    h.U32(total);
    h.U32(records_ + 1);
    h.U16(static_cast<std::uint16_t>(std::min<std::size_t>(objects_.Slots() + 1, 0xFFFF)));
    h.U16(0);
    h.U32(static_cast<std::uint32_t>(description_.size()));
    h.U32(description_.empty() ? 0 : kHeaderSize);
    h.U32(0);  // no palette
    h.I32(device_.cx);
    h.I32(device_.cy);
    h.I32(mmX);
    h.I32(mmY);
    h.U32(0);  // no pixel format
    h.U32(0);
    h.U32(0);  // no OpenGL
    h.I32(mmX * 1000);
    h.I32(mmY * 1000);
    h.Append(desc.Data());
    h.Append(body_.Data());
    return std::move(h.Data());
  }

 private:
  Bytes& Begin(std::uint32_t type) {
    start_ = body_.Size();
    body_.U32(type);
    body_.U32(0);
    return body_;
  }
  void End() {
    body_.PadTo(4);
    body_.PatchU32(start_ + 4, static_cast<std::uint32_t>(body_.Size() - start_));
    ++records_;
  }
  void XY(std::uint32_t type, int x, int y) {
    Begin(type).XY(x, y);
    End();
  }

  // The table index of an object, creating it with a record on first use.
  std::uint32_t Ensure(HGDIOBJ handle, const GdiObject& o) {
    // Table indices start at 1.
    if (const int slot = objects_.Find(handle); slot >= 0) return static_cast<std::uint32_t>(slot) + 1;
    const std::uint32_t index = static_cast<std::uint32_t>(objects_.Add(handle)) + 1;
    if (o.kind == Kind::Pen) {
      Bytes& b = Begin(EMR_CREATEPEN);
      b.U32(index);
      b.U32(static_cast<std::uint32_t>(o.penStyle));
      b.I32(o.penWidth);
      b.I32(0);
      b.U32(o.color);
    } else if (o.kind == Kind::Brush) {
      Bytes& b = Begin(EMR_CREATEBRUSHINDIRECT);
      b.U32(index);
      b.U32(o.brushStyle);
      b.U32(o.color);
      b.U32(0);
    } else {
      const LOGFONT& f = o.font;
      Bytes& b = Begin(EMR_EXTCREATEFONTINDIRECTW);
      b.U32(index);
      b.I32(f.lfHeight);
      b.I32(f.lfWidth);
      b.I32(f.lfEscapement);
      b.I32(f.lfOrientation);
      b.I32(f.lfWeight);
      for (std::uint8_t v : {f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet, f.lfOutPrecision, f.lfClipPrecision,
                             f.lfQuality, f.lfPitchAndFamily})
        b.U8(v);
      for (int i = 0; i < LF_FACESIZE; ++i) b.U16(static_cast<unsigned char>(f.lfFaceName[i]));
    }
    End();
    return index;
  }

  void Delete(HGDIOBJ handle) {
    const int slot = objects_.Remove(handle);
    if (slot < 0) return;
    Begin(EMR_DELETEOBJECT).U32(static_cast<std::uint32_t>(slot) + 1);
    End();
  }

  RECT frame_;
  SIZE device_;
  int dpi_;
  std::string description_;
  Bytes body_;
  std::size_t start_ = 0;
  std::uint32_t records_ = 0;
  RecordedObjects objects_;
};

}  // namespace

std::vector<RECT> RegionRects(const SpanSet& region) {
  std::vector<RECT> done;
  std::map<std::pair<int, int>, RECT> open;  // by run, the rectangle still growing downwards
  int lastY = 0;
  bool first = true;
  for (const auto& [y, runs] : region.Rows()) {
    std::map<std::pair<int, int>, RECT> next;
    for (const auto& run : runs) {
      auto it = open.find(run);
      if (!first && y == lastY + 1 && it != open.end()) {
        it->second.bottom = y + 1;
        next[run] = it->second;
        open.erase(it);
      } else {
        next[run] = RECT{run.first, y, run.second, y + 1};
      }
    }
    for (auto& [run, r] : open) done.push_back(r);
    open = std::move(next);
    lastY = y;
    first = false;
  }
  for (auto& [run, r] : open) done.push_back(r);
  std::sort(done.begin(), done.end(),
            [](const RECT& a, const RECT& b) { return a.top != b.top ? a.top < b.top : a.left < b.left; });
  return done;
}

std::shared_ptr<MetaRecorder> NewEnhancedRecorder(const RECT& frame, SIZE devicePixels, int dpi,
                                                  const std::string& description) {
  return std::make_shared<EnhancedRecorder>(frame, devicePixels, dpi, description);
}

}  // namespace winplat::gdi
