// Window surfaces (placeholder until the graphics layer owns them).
#include "winplat/surface.h"

namespace winplat {

void WindowSurfaceResized(HWND, int, int) {}
void WindowSurfaceDestroyed(HWND) {}
void ScrollWindowSurface(HWND, int, int) {}
HDC GetDC(HWND) { return 0; }
int ReleaseDC(HWND, HDC) { return 0; }

}  // namespace winplat
