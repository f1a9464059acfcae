// Preview drawing: the preview window, the grid and axes, and the exact frame
// redraw, which lets the board convert points straight to window pixels.
#include <algorithm>
#include <limits>

#include "export_frame.h"
#include "frame_support.h"
#include "preview.h"
#include "sessions.h"
#include "winplat/surface.h"
#include "winplat/window.h"

using namespace vexlib;
using namespace winplat;

namespace {

bool FitsInt(std::int64_t v) {
  return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

// The client rectangle of the window, else the size of the context's bitmap.
RECT ClientRect(HWND window, HDC dc) {
  RECT rc{};
  if (window && GetClientRect(window, &rc)) return rc;
  SIZE size{};
  if (GetDCSize(dc, &size)) rc = RECT{0, 0, size.cx, size.cy};
  return rc;
}

void PixelMapping(HDC dc) {
  SetMapMode(dc, MM_TEXT);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetViewportOrgEx(dc, 0, 0, nullptr);
}

// The preview window mapped onto the client area, Y up; false when an extent is 0.
bool MapPreviewWindow(HDC dc, const RECT& rc) {
  const PreviewState& p = Preview();
  std::int64_t ex = std::int64_t{p.right} - p.left, ey = std::int64_t{p.top} - p.bottom;
  std::int64_t ox = (std::int64_t{p.left} + p.right) / 2, oy = (std::int64_t{p.bottom} + p.top) / 2;
  if (ex == 0 || ey == 0 || !FitsInt(ex) || !FitsInt(ey)) return false;
  if (rc.right == rc.left || rc.bottom == rc.top) return false;
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, static_cast<int>(ex), static_cast<int>(ey), nullptr);
  SetWindowOrgEx(dc, static_cast<int>(ox), static_cast<int>(oy), nullptr);
  SetViewportExtEx(dc, rc.right - rc.left, rc.top - rc.bottom, nullptr);
  SetViewportOrgEx(dc, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2, nullptr);
  return true;
}

// The grid points: x over the working X range step gridH, y over the same range step gridV.
template <typename F>
void ForGridPoints(std::int32_t gridH, std::int32_t gridV, std::int64_t lo, std::int64_t hi, F&& f) {
  if (gridH <= 0 || gridV <= 0) return;
  const WorkingRange& range = HostWorkingRange();
  auto first = [&](std::int32_t step) {
    std::int64_t start = range.xMin;
    if (start < lo) start += (lo - start + step - 1) / step * step;
    return start;
  };
  for (std::int64_t x = first(gridH); x <= range.xMax && x <= hi; x += gridH) {
    for (std::int64_t y = first(gridV); y <= range.xMax && y <= hi; y += gridV) f(x, y);
  }
}

void DrawGridOn(HDC dc, const RECT& rc, std::int32_t gridH, std::int32_t gridV, std::int32_t showZero,
                std::int32_t showGrid) {
  const PreviewState& p = Preview();
  if (!MapPreviewWindow(dc, rc)) return;
  SetBkMode(dc, TRANSPARENT);
  if (showZero) {
    HPEN pen = CreatePen(PS_DASH, 1, kGrey);
    HGDIOBJ old = SelectObject(dc, pen);
    if (p.left < 0 && 0 < p.right) {
      MoveToEx(dc, 0, p.top, nullptr);
      LineTo(dc, 0, p.bottom);
    }
    if (p.bottom < 0 && 0 < p.top) {
      MoveToEx(dc, p.left, 0, nullptr);
      LineTo(dc, p.right, 0);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  if (!showGrid) return;
  if (p.mag == 0 || p.mag == 1) {
    std::int64_t lo = std::min<std::int64_t>(p.left, p.bottom) + 1, hi = std::max<std::int64_t>(p.right, p.top) - 1;
    ForGridPoints(gridH, gridV, lo, hi, [&](std::int64_t x, std::int64_t y) {
      if (p.left < x && x < p.right && p.bottom < y && y < p.top) {
        SetPixel(dc, static_cast<int>(x), static_cast<int>(y), kLightGrey);
      }
    });
    return;
  }
  PixelMapping(dc);
  std::int32_t h = p.mag / 2;
  std::int64_t cx = (std::int64_t{p.left} + p.right) / 2, cy = (std::int64_t{p.bottom} + p.top) / 2;
  std::int64_t ex = std::int64_t{p.right} - p.left, ey = std::int64_t{p.top} - p.bottom;
  std::int64_t ccx = (rc.left + rc.right) / 2, ccy = (rc.top + rc.bottom) / 2;
  std::int64_t cw = rc.right - rc.left, ch = std::int64_t{rc.top} - rc.bottom;
  HBRUSH brush = CreateSolidBrush(kLightGrey);
  std::int64_t lo = std::min<std::int64_t>(p.left, p.bottom) - 31, hi = std::max<std::int64_t>(p.right, p.top) + 31;
  ForGridPoints(gridH, gridV, lo, hi, [&](std::int64_t x, std::int64_t y) {
    if (!(p.left - 32 < x && x < p.right + 32 && p.bottom - 32 < y && y < p.top + 32)) return;
    std::int64_t px = (x - cx) * cw / ex + ccx, py = (y - cy) * ch / ey + ccy;
    if (!FitsInt(px - h) || !FitsInt(px + h + 1) || !FitsInt(py - h) || !FitsInt(py + h + 1)) return;
    RECT square{static_cast<int>(px - h), static_cast<int>(py - h), static_cast<int>(px + h + 1),
                static_cast<int>(py + h + 1)};
    FillRect(dc, &square, brush);
    SetPixel(dc, static_cast<int>(px), static_cast<int>(py), 0);
  });
  DeleteObject(brush);
}

// The marker pass of the exact redraw.
struct MarkPass {
  std::int32_t h = 0;
  std::int32_t fixedColour = 0;  // 0: the record's own colour; -1: its inverse; else this colour
  bool startForgotten = true;    // the last marked position starts unknown (else at -32767, -32767)
};

void DrawMarkers(HDC dc, const FastRecordStruct* r, std::int32_t n, bool bit2,
                 const std::function<bool(std::int32_t)>& active, const MarkPass& pass) {
  HBRUSH brush = 0;
  COLORREF brushColour = 0;
  bool haveLast = !pass.startForgotten;
  POINT last{-32767, -32767};
  for (std::int32_t i = 0; i < n; ++i) {
    auto colour = static_cast<std::uint32_t>(r[i].Colour);
    if (!active(i) || colour == kBlankMove || (!bit2 && colour == 0)) continue;
    COLORREF own = (bit2 && colour == 0) ? kGrey : (colour & 0xFFFFFFu);
    COLORREF c = pass.fixedColour == 0    ? own
                 : pass.fixedColour == -1 ? (0xFFFFFFu - (colour & 0xFFFFFFu))
                                          : static_cast<COLORREF>(pass.fixedColour) & 0xFFFFFFu;
    if (!brush || c != brushColour) {
      if (brush) DeleteObject(brush);
      brush = CreateSolidBrush(c);
      brushColour = c;
      if (pass.startForgotten) haveLast = false;
    }
    if (haveLast && last.x == r[i].X && last.y == r[i].Y) continue;
    RECT square{r[i].X - pass.h, r[i].Y - pass.h, r[i].X + pass.h + 1, r[i].Y + pass.h + 1};
    FillRect(dc, &square, brush);
    last = {r[i].X, r[i].Y};
    haveLast = true;
  }
  if (brush) DeleteObject(brush);
}

std::int32_t ExactRedraw(HWND window, HDC dc, std::int32_t fromPt, std::int32_t toPt, std::int32_t viewMode,
                         std::int32_t clearScreen, std::int32_t markColour, std::int32_t markPoints,
                         std::int32_t widths, const std::int32_t* active, std::int32_t activeCount) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("RedrawFrameActive FromPt=%i ToPt=%i ViewMode=%i ClearScreen=%i", static_cast<int>(fromPt),
            static_cast<int>(toPt), static_cast<int>(viewMode), static_cast<int>(clearScreen));
  int saved = SaveDC(dc);
  QuietScope quiet(false);
  PreviewState& p = Preview();
  std::int32_t x[6] = {}, y[6] = {};
  bool changedX = false, changedY = false;
  std::int32_t status = GetWorkingScaleX(&x[0], &x[1], &x[2], &x[3], &x[4], &x[5]);
  if (status == 0) status = GetWorkingScaleY(&y[0], &y[1], &y[2], &y[3], &y[4], &y[5]);
  std::int64_t span = HostWorkingRange().span;
  RECT rc = ClientRect(window, dc);
  if (status == 0) {
    PixelMapping(dc);
    if (clearScreen) FillBlack(dc, rc);
    SetBkMode(dc, TRANSPARENT);
  }
  if (status == 0 && span != 0) {
    std::int64_t dX = std::int64_t{x[4]} - x[3], dY = std::int64_t{y[4]} - y[3];
    auto clamp32 = [](std::int64_t v) {
      return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                                std::numeric_limits<std::int32_t>::max()));
    };
    std::int64_t xl = p.left * dX / span, xr = p.right * dX / span, xc = (xl + xr) / 2;
    std::int64_t yb = dY * p.bottom / span, yt = dY * p.top / span, yc = (yb + yt) / 2;
    if (viewMode == 2) {
      yb = -yb;
      yt = -yt;
    }
    status = SetWorkingScaleX(rc.left, rc.right, (rc.left + rc.right) / 2, clamp32(xl), clamp32(xr), clamp32(xc));
    changedX = true;
    if (status == 0) {
      status = SetWorkingScaleY(rc.bottom, rc.top, (rc.bottom + rc.top) / 2, clamp32(yb), clamp32(yt), clamp32(yc));
      changedY = true;
    }
    std::int32_t n = 0, frameFlags = 0;
    if (status == 0) {
      status = ReadFrameFast(WorkingFrame(), viewMode | (widths ? 0x1000 : 0), &n, &frameFlags, p.records.data());
    }
    if (status == 0 && n > 0) {
      n = std::min(n, VX_FAST_RECORD_MAX);
      bool bit2 = (frameFlags & 4) != 0;
      auto isActive = [&](std::int32_t i) { return !active || i >= activeCount || active[i] > 0; };
      StrokeRules rules;
      rules.bit2 = bit2;
      rules.widths = widths != 0;
      rules.penScale = std::max(std::abs(rc.right - rc.left), std::abs(rc.bottom - rc.top));
      rules.active = isActive;
      MoveToEx(dc, p.records[0].X, p.records[0].Y, nullptr);
      DrawStrokes(dc, p.records.data(), n, rules);
      std::int32_t h = markColour != 0 ? 2 : std::min(p.mag / 2 + 1, 3);
      if (markPoints) DrawMarkers(dc, p.records.data(), n, bit2, isActive, MarkPass{h, 0, true});
      if (markColour) {
        DrawMarkers(dc, p.records.data(), n, bit2, isActive, MarkPass{markPoints ? 1 : h, markColour, false});
      }
    }
  }
  // Only the scales this call changed go back to the values it read.
  if (changedY) {
    std::int32_t s = SetWorkingScaleY(y[0], y[1], y[2], y[3], y[4], y[5]);
    if (status == 0) status = s;
  }
  if (changedX) {
    std::int32_t s = SetWorkingScaleX(x[0], x[1], x[2], x[3], x[4], x[5]);
    if (status == 0) status = s;
  }
  RestoreDC(dc, saved);
  return frame.Finish(status);
}

std::int32_t LibraryActiveCount() { return static_cast<std::int32_t>(Lib().activeFlags.size()); }
std::int32_t CallerActiveCount() { return std::clamp<std::int32_t>(Lib().maxFramePoints, 0, VX_FAST_RECORD_MAX); }

}  // namespace

extern "C" {

std::int32_t SetLaserWindow(std::int32_t left, std::int32_t right, std::int32_t bottom, std::int32_t top,
                            std::int32_t mag) {
  LogExport("SetLaserWindow left=%i right=%i bottom=%i top=%i mag=%i", static_cast<int>(left), static_cast<int>(right),
            static_cast<int>(bottom), static_cast<int>(top), static_cast<int>(mag));
  PreviewState& p = Preview();
  if (left == right || bottom == top) {
    const WorkingRange& range = HostWorkingRange();
    p.left = p.bottom = range.xMin;
    p.right = p.top = range.xMax;
    p.mag = 0;
  } else {
    p.left = left;
    p.right = right;
    p.bottom = bottom;
    p.top = top;
    p.mag = mag;
  }
  return 0;
}

std::int32_t DrawGrid(std::int32_t window, std::int32_t gridH, std::int32_t gridV, std::int32_t clearScreen,
                      std::int32_t showZero, std::int32_t showGrid) {
  LogExport("DrawGrid gridH=%i gridV=%i ClearScreen=%i, ShowZero=%i ShowGrid=%i", static_cast<int>(gridH),
            static_cast<int>(gridV), static_cast<int>(clearScreen), static_cast<int>(showZero),
            static_cast<int>(showGrid));
  auto hwnd = static_cast<HWND>(window);
  HDC dc = GetDC(hwnd);
  if (!dc) return 0;
  int saved = SaveDC(dc);
  RECT rc = ClientRect(hwnd, dc);
  if (clearScreen) FillBlack(dc, rc);
  DrawGridOn(dc, rc, gridH, gridV, showZero, showGrid);
  RestoreDC(dc, saved);
  ReleaseDC(hwnd, dc);
  return 0;
}

std::int32_t RedrawFrameActiveDC(std::int32_t window, std::int32_t dc, std::int32_t fromPt, std::int32_t toPt,
                                 std::int32_t viewMode, std::int32_t clearScreen, std::int32_t markColour,
                                 std::int32_t markPoints, std::int32_t widths, const std::int32_t* active) {
  return ExactRedraw(static_cast<HWND>(window), static_cast<HDC>(dc), fromPt, toPt, viewMode, clearScreen, markColour,
                     markPoints, widths, active, CallerActiveCount());
}

std::int32_t RedrawFrame(std::int32_t window, std::int32_t fromPt, std::int32_t toPt, std::int32_t viewMode,
                         std::int32_t clearScreen, std::int32_t markColour, std::int32_t markPoints,
                         std::int32_t widths) {
  auto hwnd = static_cast<HWND>(window);
  HDC dc = GetDC(hwnd);
  std::int32_t status = ExactRedraw(hwnd, dc, fromPt, toPt, viewMode, clearScreen, markColour, markPoints, widths,
                                    Lib().activeFlags.data(), LibraryActiveCount());
  ReleaseDC(hwnd, dc);
  return status;
}

std::int32_t RedrawFrameActive(std::int32_t window, std::int32_t fromPt, std::int32_t toPt, std::int32_t viewMode,
                               std::int32_t clearScreen, std::int32_t markColour, std::int32_t markPoints,
                               std::int32_t widths, const std::int32_t* active) {
  auto hwnd = static_cast<HWND>(window);
  HDC dc = GetDC(hwnd);
  std::int32_t status = ExactRedraw(hwnd, dc, fromPt, toPt, viewMode, clearScreen, markColour, markPoints, widths,
                                    active, CallerActiveCount());
  ReleaseDC(hwnd, dc);
  return status;
}

}  // extern "C"
