#pragma once
// Meeting point of the window layer and the graphics layer: each window has a
// screen surface (a 32-bit bitmap) owned by the graphics layer.
#include "winplat/types.h"

namespace winplat {

// The window layer reports a window's client size whenever it is created or sized.
void WindowSurfaceResized(HWND hwnd, int width, int height);
// ... and when the window is destroyed.
void WindowSurfaceDestroyed(HWND hwnd);
// Scrolls the window's client pixels by (dx, dy); uncovered pixels keep their old values.
void ScrollWindowSurface(HWND hwnd, int dx, int dy);

// Device context on a window's client area (0 for an unknown window).
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

}  // namespace winplat
