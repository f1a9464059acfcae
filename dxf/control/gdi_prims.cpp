// Drawing primitives over the platform graphics interface.
#include <string>

#include "gdiprims.h"
#include "winplat/gdi.h"
#include "winplat/numeric.h"

namespace kelvane {

using namespace winplat;

namespace {

// A pen selected into a context for one drawing call.
class PenScope {
 public:
  PenScope(HDC dc, std::int32_t style, std::int32_t width, std::int32_t color)
      : dc_(dc), pen_(CreatePen(style, width, static_cast<COLORREF>(color))) {
    if (pen_) old_ = SelectObject(dc_, pen_);
  }
  ~PenScope() {
    if (old_) SelectObject(dc_, old_);
    if (pen_) DeleteObject(pen_);
  }
  PenScope(const PenScope&) = delete;
  PenScope& operator=(const PenScope&) = delete;
  bool Ok() const { return pen_ != 0 && old_ != 0; }

 private:
  HDC dc_;
  HPEN pen_;
  HGDIOBJ old_ = 0;
};

// The hollow brush selected for one drawing call, so that closed shapes are
// outlines on every surface whatever brush the surface holds.
class HollowBrushScope {
 public:
  explicit HollowBrushScope(HDC dc) : dc_(dc), old_(SelectObject(dc, GetStockObject(NULL_BRUSH))) {}
  ~HollowBrushScope() {
    if (old_) SelectObject(dc_, old_);
  }
  HollowBrushScope(const HollowBrushScope&) = delete;
  HollowBrushScope& operator=(const HollowBrushScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace

std::optional<bool> GdiLine(HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                            std::int32_t penWidth, std::int32_t color, std::int32_t penStyle) {
  PenScope pen(hDC, penStyle, penWidth, color);
  if (!pen.Ok()) return std::nullopt;
  MoveToEx(hDC, x1, y1, nullptr);
  return LineTo(hDC, x2, y2);
}

bool GdiArc(HDC hDC, std::int32_t bx1, std::int32_t by1, std::int32_t bx2, std::int32_t by2, std::int32_t cx1,
            std::int32_t cy1, std::int32_t cx2, std::int32_t cy2, std::int32_t color, std::int32_t penStyle,
            float penWidth) {
  try {
    PenScope pen(hDC, penStyle, CLng(penWidth), color);
    if (!pen.Ok()) return false;
    return Arc(hDC, bx1, by2, bx2, by1, cx1, cy2, cx2, cy1);
  } catch (const NumericError&) {
    return false;
  }
}

bool GdiEllipse(HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t color,
                std::int32_t penStyle, float penWidth) {
  try {
    if (x1 == x2 && y1 == y2) {
      x1 = SubLng(x1, 1);
      y1 = AddLng(y1, 1);
      x2 = AddLng(x2, 1);
      y2 = SubLng(y2, 1);
    }
    PenScope pen(hDC, penStyle, CLng(penWidth), color);
    if (!pen.Ok()) return false;
    HollowBrushScope hollow(hDC);
    Ellipse(hDC, x1, y2, x2, y1);
    return true;
  } catch (const NumericError&) {
    return false;
  }
}

bool GdiPoint(HDC hDC, std::int32_t x, std::int32_t y, std::int32_t color) {
  return SetPixel(hDC, x, y, static_cast<COLORREF>(color)) != CLR_INVALID;
}

bool GdiSolid(HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t x3,
              std::int32_t y3, std::int32_t x4, std::int32_t y4, std::int32_t color) {
  const POINT points[4] = {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}};
  {
    HollowBrushScope hollow(hDC);
    if (!Polygon(hDC, points, 4)) return false;
  }
  HRGN region = CreatePolygonRgn(points, 4, ALTERNATE);
  if (!region) return false;
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(color));
  bool ok = brush != 0 && FillRgn(hDC, region, brush);
  if (brush) DeleteObject(brush);
  DeleteObject(region);
  return ok;
}

bool GdiText(HDC hDC, std::string_view text, std::int32_t x, std::int32_t y, std::int32_t pixelHeight,
             float rotation, std::int32_t horzAlign, std::int32_t color, std::string_view faceName) {
  std::int32_t escapement = 0;
  try {
    escapement = MulLng(10, CLng(rotation));
  } catch (const NumericError&) {
    return false;
  }
  std::string face(faceName);
  HFONT font = CreateFont(pixelHeight, 0, escapement, 0, FW_LIGHT, 0, 0, 0, ANSI_CHARSET, 6, 0, 2,
                          FF_SWISS | DEFAULT_PITCH, face.c_str());
  if (!font) return false;
  HGDIOBJ old = SelectObject(hDC, font);
  if (!old) {
    DeleteObject(font);
    return false;
  }
  unsigned align = TA_BASELINE;
  if (horzAlign == 2)
    align += TA_RIGHT;
  else if (horzAlign == 1 || horzAlign == 4)
    align += TA_CENTER;
  SetTextAlign(hDC, align);
  SetTextColor(hDC, static_cast<COLORREF>(color));
  const int oldMode = SetBkMode(hDC, TRANSPARENT);
  bool ok = TextOut(hDC, x, y, text.data(), static_cast<int>(text.size()));
  if (oldMode) SetBkMode(hDC, oldMode);
  SelectObject(hDC, old);
  DeleteObject(font);
  return ok;
}

}  // namespace kelvane
