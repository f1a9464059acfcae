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

// The window layer's reader hook: called with a window before a context is
// made on it or its pixels are captured, so that painting put off is done.
void SetWindowPixelsHook(void (*beforePixels)(HWND hwnd));

// Device context on a window's client area (0 for an unknown window).
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

// A new surface starts filled with this colour (white unless set).
void SetWindowSurfaceColor(HWND hwnd, COLORREF color);
// Fills the screen surface, and the persistent bitmap when there is one.
void ClearWindowSurface(HWND hwnd, COLORREF color);
// Client size of a window's surface; false for an unknown window.
bool GetWindowSurfaceSize(HWND hwnd, int* width, int* height);

// Persistent-bitmap mode (a picture box that redraws itself): the window keeps a
// bitmap beside its screen surface. Turning it on copies the screen into it.
void SetWindowPersistentBitmap(HWND hwnd, bool on);
bool HasWindowPersistentBitmap(HWND hwnd);
// Context on the persistent bitmap (0 when the window has none); release with ReleaseDC.
HDC GetPersistentDC(HWND hwnd);
// Repaint: the screen surface shows the persistent bitmap again.
void ShowWindowPersistentBitmap(HWND hwnd);

}  // namespace winplat
