#pragma once
// Painting only when someone looks. A window whose painting does nothing but
// draw its own pixels (a form composing its controls) is not painted by the
// message loop: its invalid region is kept, and the window is painted, whole,
// before anything reads its pixels. Every reader of window pixels calls
// PaintPendingWindows (or PaintPendingWindow for one window) first: captures
// and contexts on a window do so by themselves; screenshots, picture checks
// and a screen showing the windows do so before they look.
#include <cstdint>

#include "winplat/types.h"

namespace winplat {

// Marks a window whose painting only draws its own pixels (off by default).
void SetPaintWhenLooked(HWND hwnd, bool on);

// Paints the window now if its painting was put off and it is shown.
void PaintPendingWindow(HWND hwnd);
// Paints every shown window whose painting was put off, in handle order.
void PaintPendingWindows();

// With `on`, the message loop paints every window as it comes, none put off
// (the pictures are the same either way; for comparing them).
void SetImmediatePainting(bool on);

// What changed since a reader last looked: every change that may reach a
// window's pixels (a context on it made or released, a clear, a scroll, a
// resize) takes the next number of one count shared by all windows.
std::uint64_t PixelCount();                // the count now
std::uint64_t PixelsChangedAt(HWND hwnd);  // the number of the window's last change (0: none)
// How many times a window was marked for paint so far (a reader that saw the
// same count and the same PixelCount has nothing new to look at).
std::uint64_t UpdateCount();

}  // namespace winplat
