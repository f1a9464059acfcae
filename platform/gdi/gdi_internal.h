#pragma once
// Internal state of the graphics layer: surfaces, objects, contexts, spans.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "winplat/gdi.h"

namespace winplat::gdi {

// A 32-bit bitmap; each pixel is a COLORREF value (red in the low byte).
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> px;
  // Sizes are limited (each side and the area) so that a wild size cannot exhaust memory.
  static constexpr int kMaxSide = 16384;
  static constexpr long long kMaxArea = 1LL << 26;
  static void Limit(int* w, int* h);
  Surface(int w, int h, std::uint32_t fill) : width(w), height(h) {
    Limit(&width, &height);
    px.assign(static_cast<std::size_t>(width) * height, fill);
  }
  // Takes `pixels` as they are: the caller checked BitmapSizeFits and that
  // they number w * h.
  Surface(int w, int h, std::vector<std::uint32_t>&& pixels) : width(w), height(h), px(std::move(pixels)) {}
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  std::uint32_t& At(int x, int y) { return px[static_cast<std::size_t>(y) * width + x]; }
  void Resize(int w, int h, std::uint32_t fill);
};

// A set of pixels as sorted, disjoint half-open runs [x0, x1) per row.
class SpanSet {
 public:
  void Add(int y, int x0, int x1);  // x0 < x1, otherwise ignored
  void AddRect(int left, int top, int right, int bottom);
  // Merges overlapping runs; every query below expects a normalised set.
  void Normalize();
  bool Contains(int x, int y) const;
  bool IntersectsRect(int left, int top, int right, int bottom) const;
  bool Empty() const;
  bool Bounds(RECT* rect) const;
  int RunCount() const;
  void Offset(int dx, int dy);
  SpanSet Minus(const SpanSet& other) const;
  SpanSet Intersect(const SpanSet& other) const;
  const std::map<int, std::vector<std::pair<int, int>>>& Rows() const { return rows_; }

 private:
  std::map<int, std::vector<std::pair<int, int>>> rows_;
};

enum class Kind : unsigned { Pen = OBJ_PEN, Brush = OBJ_BRUSH, Font = OBJ_FONT, Bitmap = OBJ_BITMAP, Region = OBJ_REGION };

struct GdiObject {
  Kind kind = Kind::Pen;
  bool stock = false;
  int penStyle = PS_SOLID;
  int penWidth = 0;
  unsigned brushStyle = BS_SOLID;
  COLORREF color = 0;
  LOGFONT font;
  std::shared_ptr<Surface> bitmap;
  SpanSet region;
};
using ObjectPtr = std::shared_ptr<GdiObject>;

using Log = std::shared_ptr<std::vector<std::string>>;

struct DcState {
  std::shared_ptr<Surface> surface;
  HGDIOBJ hPen = 0, hBrush = 0, hFont = 0, hBitmap = 0;
  ObjectPtr pen, brush, font, bitmap;
  int rop2 = R2_COPYPEN;
  int bkMode = OPAQUE;
  COLORREF bkColor = 0xFFFFFF;
  COLORREF textColor = 0;
  unsigned textAlign = TA_LEFT | TA_TOP;
  int polyFillMode = ALTERNATE;
  int mapMode = MM_TEXT;
  POINT windowOrg, viewportOrg;
  SIZE windowExt{1, 1}, viewportExt{1, 1};
  POINT position;
  std::shared_ptr<SpanSet> clip;  // device pixels; none means the whole surface
};

class MetaRecorder;

struct Dc {
  HDC handle = 0;
  HWND window = 0;  // the window whose surface this is, 0 for a memory context
  DcState st;
  std::vector<DcState> saved;
  Log log;
  // Pixels per inch of the device (the screen's when 0) and, for a printer
  // page, its physical size in millimetres.
  int dpi = 0;
  // Set on a metafile context: every state and drawing call becomes a record
  // and nothing is painted.
  std::shared_ptr<MetaRecorder> meta;
  unsigned metaType = 0;  // OBJ_METADC or OBJ_ENHMETADC
};

// What a metafile context records; one encoder per metafile format.
class MetaRecorder {
 public:
  enum class Mode { BkMode, Rop2, PolyFillMode, TextAlign, TextColor, BkColor, MapMode };
  enum class Pair { WindowExt, WindowOrg, ViewportExt, ViewportOrg };
  enum class Box { Rectangle, Ellipse };
  virtual ~MetaRecorder() = default;
  virtual void SetMode(Mode mode, std::uint32_t value) = 0;
  virtual void SetPair(Pair pair, int x, int y) = 0;
  virtual void Save() = 0;
  virtual void Restore(int level) = 0;
  virtual void Select(HGDIOBJ handle, const GdiObject& object) = 0;
  virtual void Deleted(HGDIOBJ handle) = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  virtual void Poly(const POINT* points, int count, bool closed) = 0;
  virtual void Shape(Box box, int left, int top, int right, int bottom) = 0;
  virtual void ArcTo(const RECT& box, POINT start, POINT end) = 0;
  virtual void Pixel(int x, int y, COLORREF color) = 0;
  virtual void FillRegion(const SpanSet& region, HGDIOBJ brushHandle, const GdiObject& brush) = 0;
  virtual void Text(int x, int y, const std::string& text, const std::vector<int>& advances) = 0;
  virtual void Clip(const SpanSet* region) = 0;
  // The finished metafile, header first.
  virtual std::vector<std::uint8_t> Finish() = 0;
};

// Global registry: every public call holds the lock for its whole run.
struct Registry {
  std::recursive_mutex mu;
  std::uint32_t next = 0x100;
  std::unordered_map<std::uint32_t, ObjectPtr> objects;
  std::unordered_map<std::uint32_t, std::unique_ptr<Dc>> dcs;
  HGDIOBJ stock[20] = {};
};
Registry& Reg();
using Lock = std::lock_guard<std::recursive_mutex>;

Dc* FindDc(HDC hdc);
ObjectPtr FindObject(HGDIOBJ handle);
HGDIOBJ AddObject(ObjectPtr object);
// A bitmap of that size can be made (each side and the area within the limits).
bool BitmapSizeFits(int width, int height);
// A new bitmap object over `surface`.
HBITMAP AddBitmap(std::shared_ptr<Surface> surface);
// A context on a surface with a fresh default state.
Dc* NewDc(std::shared_ptr<Surface> surface, HWND window);
void DestroyDc(HDC hdc);

// ---- Mapping (logical to device) ----
POINT ToDevice(const DcState& st, int x, int y);
POINT ToLogical(const DcState& st, int x, int y);
// Device width of a logical length along x (at least 1 when length > 0).
int DeviceLengthX(const DcState& st, int length);
int DeviceLengthY(const DcState& st, int length);

// ---- Painting ----
std::uint32_t ApplyRop2(int rop2, std::uint32_t pen, std::uint32_t dest);
void PaintPixel(Dc& dc, int x, int y, COLORREF color, int rop2);
void PaintSpans(Dc& dc, const SpanSet& spans, COLORREF color, int rop2);

// A resolved pen in device pixels.
struct DevicePen {
  bool null = false;
  int width = 1;
  int style = PS_SOLID;  // styled only when width is 1
  bool insideFrame = false;
  COLORREF color = 0;
};
DevicePen ResolvePen(const DcState& st);
// One-pixel line from a to b (b excluded unless includeLast); styleStep carries the
// dash pattern from segment to segment.
void ThinLine(Dc& dc, POINT a, POINT b, const DevicePen& pen, int& styleStep, bool includeLast);
// Paints one pixel of a styled one-pixel stroke at pattern step `step`.
void StyledPixel(Dc& dc, int x, int y, const DevicePen& pen, int step);
// Wide stroke along the points (a round pen of the given width) added to spans.
void AddWideStroke(SpanSet& spans, const POINT* points, int count, bool closed, int width, const RECT& limit);
// Filled ellipse of the box [left, right) x [top, bottom), and its one-pixel outline.
SpanSet EllipseSpans(int left, int top, int right, int bottom, const RECT& limit);
SpanSet OutlineOf(const SpanSet& filled);
// Polygon interior by scanlines (left and top edges in, right and bottom out).
SpanSet PolygonSpans(const POINT* points, int count, int fillMode, const RECT& limit);
// Bounds of the surface a context draws on; shapes are cut a little outside it.
RECT SurfaceRect(const Dc& dc);

// The screen surface of a window, or its persistent bitmap (null when missing).
std::shared_ptr<Surface> WindowSurface(HWND hwnd, bool persistent);
// Lets the window layer paint what it put off before a window's pixels are used.
void BeforeWindowPixels(HWND hwnd);

// ---- Recording ----
void Record(Dc& dc, const std::string& line);
// Numbers of a recorded call, comma separated.
std::string Args(std::initializer_list<long long> values);

// ---- Text ----
// Advance of each character in logical units with the context's font.
bool TextAdvances(const DcState& st, const std::string& text, std::vector<int>* logical);

// ---- Metafiles ----
std::shared_ptr<MetaRecorder> NewEnhancedRecorder(const RECT& frame, SIZE devicePixels, int dpi,
                                                  const std::string& description);
std::shared_ptr<MetaRecorder> NewOldStyleRecorder();
// Tells every metafile context that an object is gone.
void ObjectDeleted(HGDIOBJ handle);
// The stock index of a handle, -1 when it is not a stock object.
int StockIndex(HGDIOBJ handle);
std::string Hex6(COLORREF color);
std::string Describe(const GdiObject& object);


}  // namespace winplat::gdi
