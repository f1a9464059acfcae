#pragma once
// The little the controls draw with, in client pixels of a device context.
#include <string>

#include "winplat/types.h"

namespace winplat::controls::canvas {

constexpr COLORREF kInvalid = 0xFFFFFFFFu;

// Device context on a window's screen surface, or on its persistent bitmap.
HDC WindowDC(HWND hwnd);
HDC PersistentDC(HWND hwnd);
void Release(HWND hwnd, HDC hdc);
// The window's persistent bitmap, its background colour, clearing and showing it.
void SetPersistent(HWND hwnd, bool on);
void SetBackground(HWND hwnd, COLORREF color);
void Clear(HWND hwnd, COLORREF color);
void ShowPersistent(HWND hwnd);

// A hollow brush and a transparent background on a context.
void MakeHollow(HDC hdc);

void Line(HDC hdc, int x1, int y1, int x2, int y2, COLORREF color, int width, int rop2);
void Box(HDC hdc, int left, int top, int right, int bottom, COLORREF border, bool filled, COLORREF fill, int rop2);
void Ellipse(HDC hdc, int left, int top, int right, int bottom, COLORREF color, int width, int rop2);
void Fill(HDC hdc, int left, int top, int right, int bottom, COLORREF color);
void Pixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);
// Text with its top-left corner at (x, y), in the sans-serif face at `points`.
void Text(HDC hdc, int x, int y, const std::string& text, COLORREF color, float points);
// The same, only the part inside left..right, top..bottom (right and bottom excluded).
void ClippedText(HDC hdc, int left, int top, int right, int bottom, int x, int y, const std::string& text,
                 COLORREF color, float points);
// Size in pixels of a text at `points`.
void TextSize(const std::string& text, float points, int* width, int* height);
// Copies a window's screen surface into another context at (x, y).
void CopyWindow(HWND from, HDC to, int x, int y);
// Saves a window's screen surface as PNG; false with a reason.
bool SavePng(HWND hwnd, const std::string& hostPath, std::string* error);

}  // namespace winplat::controls::canvas
