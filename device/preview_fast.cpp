// The fast frame redraw: any frame in the board's fixed 4096-unit space, drawn
// into the window directly or through a cached off-screen bitmap of which only
// the area that changed is copied.
#include <algorithm>

#include "export_frame.h"
#include "preview.h"
#include "winplat/surface.h"
#include "winplat/window.h"

using namespace vexlib;
using namespace winplat;

namespace {

constexpr std::int32_t kNoFlip = 2;
constexpr std::int32_t kBitmapOnly = 0x40;
constexpr std::int32_t kAccumulate = 0x80;
constexpr std::int32_t kThroughBitmap = 0x800;
constexpr std::int32_t kMarkStart = 0x2000;
constexpr std::int32_t kRayMode = 0x4000;

RECT ClientOf(HWND window, HDC dc) {
  RECT rc{};
  if (window && GetClientRect(window, &rc)) return rc;
  SIZE size{};
  if (GetDCSize(dc, &size)) rc = RECT{0, 0, size.cx, size.cy};
  return rc;
}

void FastMapping(HDC dc, const RECT& rc, std::int32_t flags) {
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 4096, 4096, nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  int height = rc.bottom - rc.top;
  SetViewportExtEx(dc, rc.right - rc.left, flags == kNoFlip ? height : -height, nullptr);
  SetViewportOrgEx(dc, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2, nullptr);
}

void DropBitmap(PreviewState& p) {
  if (p.bitmap) DeleteObject(p.bitmap);
  p.bitmap = 0;
  p.bitmapWidth = p.bitmapHeight = 0;
}

// A box of logical units as pixels of a mapped context, one pixel added right and bottom.
RECT BoxPixels(HDC dc, const PreviewBox& box) {
  POINT corners[2] = {{box.left, box.top}, {box.right, box.bottom}};
  LPtoDP(dc, corners, 2);
  return RECT{std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
              std::max(corners[0].x, corners[1].x) + 1, std::max(corners[0].y, corners[1].y) + 1};
}

RECT Union(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

std::int32_t FastRedraw(HWND window, HDC dc, std::int32_t frameNumber, std::int32_t flags, std::int32_t clear,
                        std::int32_t widths) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  PreviewState& p = Preview();
  std::int32_t n = 0, frameFlags = 0;
  std::int32_t status =
      ReadFrameFast(frameNumber, flags | 0x200 | (widths ? 0x1000 : 0), &n, &frameFlags, p.records.data());
  if (status != 0) return frame.Finish(status);
  RECT rc = ClientOf(window, dc);
  int width = rc.right - rc.left, height = rc.bottom - rc.top;
  if (n <= 0) {
    if (clear) {
      FillBlack(dc, rc);
      p.previous = p.current = PreviewBox::Whole();
    }
    return 0;
  }
  if (width <= 0 || height <= 0) return 0;
  n = std::min(n, VX_FAST_RECORD_MAX);
  int saved = SaveDC(dc);
  HDC target = dc;
  HDC memory = 0;
  HGDIOBJ oldBitmap = 0;
  if (flags & kThroughBitmap) {
    if (p.bitmap && (p.bitmapWidth != width || p.bitmapHeight != height)) DropBitmap(p);
    bool fresh = false;
    if (!p.bitmap) {
      p.bitmap = CreateCompatibleBitmap(dc, width, height);
      if (p.bitmap) {
        p.bitmapWidth = width;
        p.bitmapHeight = height;
        fresh = true;
      }
    }
    memory = p.bitmap ? CreateCompatibleDC(dc) : 0;
    if (memory) {
      oldBitmap = SelectObject(memory, p.bitmap);
      if (fresh) FillBlack(memory, RECT{0, 0, width, height});
      target = memory;
    }
  } else {
    DropBitmap(p);
    p.previous = p.current = PreviewBox::Whole();
  }
  if (target == dc && clear) FillBlack(dc, rc);
  FastMapping(dc, rc, flags);
  if (memory) FastMapping(memory, RECT{0, 0, width, height}, flags);

  bool bit2 = (frameFlags & 4) != 0;
  if (!(flags & kAccumulate)) p.current = PreviewBox{};
  MoveToEx(target, p.records[0].X, p.records[0].Y, nullptr);
  if (flags & kMarkStart) SetPixel(target, p.records[0].X, p.records[0].Y, kWhite);
  bool ray = (flags & kRayMode) != 0 && !bit2;
  if (ray) SetROP2(target, R2_MERGEPEN);
  StrokeRules rules;
  rules.bit2 = bit2;
  rules.widths = widths != 0;
  rules.fast = true;
  rules.ray = ray;
  if (!bit2) rules.drawn = [&p](std::int32_t x, std::int32_t y) { p.current.Add(x, y); };
  DrawStrokes(target, p.records.data(), n, rules);
  if (bit2) p.current = PreviewBox::Whole();
  if (ray) SetROP2(target, R2_COPYPEN);

  if (memory && !(flags & kBitmapOnly)) {
    RECT copy = BoxPixels(memory, p.current);
    if (!p.previous.empty) copy = p.current.empty ? BoxPixels(memory, p.previous) : Union(copy, BoxPixels(memory, p.previous));
    RECT clearBox = p.current.empty ? RECT{} : BoxPixels(memory, p.current);
    SetMapMode(memory, MM_TEXT);
    SetWindowOrgEx(memory, 0, 0, nullptr);
    SetViewportOrgEx(memory, 0, 0, nullptr);
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    if (!p.current.empty || !p.previous.empty) {
      BitBlt(dc, rc.left + copy.left, rc.top + copy.top, copy.right - copy.left, copy.bottom - copy.top, memory,
             copy.left, copy.top, SRCCOPY);
    }
    if (!p.current.empty) FillBlack(memory, clearBox);
    p.previous = p.current;
  }
  if (memory) {
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
  }
  RestoreDC(dc, saved);
  return frame.Finish(status);
}

}  // namespace

extern "C" {

std::int32_t RedrawFrameFastDC(std::int32_t window, std::int32_t dc, std::int32_t frameNumber, std::int32_t flags,
                               std::int32_t clear, std::int32_t widths) {
  return FastRedraw(static_cast<HWND>(window), static_cast<HDC>(dc), frameNumber, flags, clear, widths);
}

std::int32_t RedrawFrameFast(std::int32_t window, std::int32_t frameNumber, std::int32_t flags, std::int32_t clear,
                             std::int32_t widths) {
  auto hwnd = static_cast<HWND>(window);
  HDC dc = GetDC(hwnd);
  std::int32_t status = FastRedraw(hwnd, dc, frameNumber, flags, clear, widths);
  ReleaseDC(hwnd, dc);
  return status;
}

}  // extern "C"
