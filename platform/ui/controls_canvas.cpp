// Drawing for the controls through the graphics layer.
#include "controls_canvas.h"

#include <cmath>

#include "winplat/gdi.h"
#include "winplat/picture.h"
#include "winplat/surface.h"

namespace winplat::controls::canvas {

namespace {

int PointsToPixels(float points) { return static_cast<int>(std::lround(points * 96.0 / 72.0)); }

HFONT MakeFont(float points) {
  return CreateFont(-PointsToPixels(points), 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                    VARIABLE_PITCH | FF_SWISS, "Arial");
}

}  // namespace

HDC WindowDC(HWND hwnd) { return winplat::GetDC(hwnd); }
HDC PersistentDC(HWND hwnd) { return GetPersistentDC(hwnd); }
void Release(HWND hwnd, HDC hdc) {
  if (hdc) ReleaseDC(hwnd, hdc);
}
void SetPersistent(HWND hwnd, bool on) { SetWindowPersistentBitmap(hwnd, on); }
void SetBackground(HWND hwnd, COLORREF color) { SetWindowSurfaceColor(hwnd, color); }
void Clear(HWND hwnd, COLORREF color) { ClearWindowSurface(hwnd, color); }
void ShowPersistent(HWND hwnd) { ShowWindowPersistentBitmap(hwnd); }

void MakeHollow(HDC hdc) {
  SelectObject(hdc, GetStockObject(NULL_BRUSH));
  SetBkMode(hdc, TRANSPARENT);
}

void Line(HDC hdc, int x1, int y1, int x2, int y2, COLORREF color, int width, int rop2) {
  if (!hdc) return;
  HPEN pen = CreatePen(PS_SOLID, width, color);
  HGDIOBJ old = SelectObject(hdc, pen);
  int oldRop = SetROP2(hdc, rop2);
  MoveToEx(hdc, x1, y1, nullptr);
  LineTo(hdc, x2, y2);
  if (width <= 1) SetPixel(hdc, x2, y2, rop2 == R2_COPYPEN ? color : GetPixel(hdc, x2, y2));
  SetROP2(hdc, oldRop);
  SelectObject(hdc, old);
  DeleteObject(pen);
}

void Box(HDC hdc, int left, int top, int right, int bottom, COLORREF border, bool filled, COLORREF fill, int rop2) {
  if (!hdc) return;
  HPEN pen = CreatePen(PS_SOLID, 1, border);
  HBRUSH brush = filled ? CreateSolidBrush(fill) : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  HGDIOBJ oldPen = SelectObject(hdc, pen);
  HGDIOBJ oldBrush = SelectObject(hdc, brush);
  int oldRop = SetROP2(hdc, rop2);
  Rectangle(hdc, left, top, right + 1, bottom + 1);
  SetROP2(hdc, oldRop);
  SelectObject(hdc, oldPen);
  SelectObject(hdc, oldBrush);
  DeleteObject(pen);
  if (filled) DeleteObject(brush);
}

void Ellipse(HDC hdc, int left, int top, int right, int bottom, COLORREF color, int width, int rop2) {
  if (!hdc) return;
  HPEN pen = CreatePen(PS_SOLID, width, color);
  HGDIOBJ oldPen = SelectObject(hdc, pen);
  HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
  int oldRop = SetROP2(hdc, rop2);
  winplat::Ellipse(hdc, left, top, right, bottom);
  SetROP2(hdc, oldRop);
  SelectObject(hdc, oldPen);
  SelectObject(hdc, oldBrush);
  DeleteObject(pen);
}

void Fill(HDC hdc, int left, int top, int right, int bottom, COLORREF color) {
  if (!hdc) return;
  HBRUSH brush = CreateSolidBrush(color);
  RECT r{left, top, right, bottom};
  FillRect(hdc, &r, brush);
  DeleteObject(brush);
}

void Pixel(HDC hdc, int x, int y, COLORREF color) {
  if (hdc) SetPixel(hdc, x, y, color);
}

COLORREF GetPixel(HDC hdc, int x, int y) { return hdc ? winplat::GetPixel(hdc, x, y) : kInvalid; }

void Text(HDC hdc, int x, int y, const std::string& text, COLORREF color, float points) {
  if (!hdc || text.empty()) return;
  HFONT font = MakeFont(points);
  HGDIOBJ old = SelectObject(hdc, font);
  int oldMode = SetBkMode(hdc, TRANSPARENT);
  COLORREF oldColor = SetTextColor(hdc, color);
  unsigned oldAlign = SetTextAlign(hdc, TA_LEFT | TA_TOP);
  TextOut(hdc, x, y, text.c_str(), static_cast<int>(text.size()));
  SetTextAlign(hdc, oldAlign);
  SetTextColor(hdc, oldColor);
  SetBkMode(hdc, oldMode);
  SelectObject(hdc, old);
  DeleteObject(font);
}

void ClippedText(HDC hdc, int left, int top, int right, int bottom, int x, int y, const std::string& text,
                 COLORREF color, float points) {
  if (!hdc || text.empty() || right <= left || bottom <= top) return;
  const int saved = SaveDC(hdc);
  HRGN clip = CreateRectRgn(left, top, right, bottom);
  SelectClipRgn(hdc, clip);
  Text(hdc, x, y, text, color, points);
  RestoreDC(hdc, saved);
  DeleteObject(clip);
}

void TextSize(const std::string& text, float points, int* width, int* height) {
  HDC hdc = CreateCompatibleDC(0);
  HFONT font = MakeFont(points);
  HGDIOBJ old = SelectObject(hdc, font);
  SIZE size;
  TEXTMETRIC tm;
  GetTextExtentPoint32(hdc, text.c_str(), static_cast<int>(text.size()), &size);
  GetTextMetrics(hdc, &tm);
  SelectObject(hdc, old);
  DeleteObject(font);
  DeleteDC(hdc);
  *width = size.cx;
  *height = tm.tmHeight > 0 ? tm.tmHeight : size.cy;
}

void CopyWindow(HWND from, HDC to, int x, int y) {
  int w = 0, h = 0;
  if (!to || !GetWindowSurfaceSize(from, &w, &h)) return;
  HDC src = winplat::GetDC(from);
  if (!src) return;
  BitBlt(to, x, y, w, h, src, 0, 0, SRCCOPY);
  ReleaseDC(from, src);
}

bool SavePng(HWND hwnd, const std::string& hostPath, std::string* error) {
  return SaveWindowPng(hwnd, hostPath, error);
}

}  // namespace winplat::controls::canvas
