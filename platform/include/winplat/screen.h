#pragma once
// The fixed screen of a machine without a display, and the mouse pointer.
#include <vector>

namespace winplat {

struct ScreenMetrics {
  int width = 1024;   // pixels
  int height = 768;   // pixels
  int dpi = 96;       // pixels per inch
};

// The screen in force: the defaults, or FIELDRAY_SCREEN ("1280x1024" or
// "1280x1024@120") read at first use, or what SetScreen installed.
ScreenMetrics Screen();
void SetScreen(const ScreenMetrics& metrics);

// Twips per pixel at the screen's resolution (15 at 96 dpi).
int TwipsPerPixel();
// The one conversion between twips and pixels.
double PixelsToTwips(double pixels);
double TwipsToPixels(double twips);

// System metrics
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
int GetSystemMetrics(int index);

// The screen's mouse pointer, as the program sets it.
constexpr int vbDefault = 0;
constexpr int vbArrow = 1;
constexpr int vbHourglass = 11;
void SetMousePointer(int pointer);
int MousePointer();
// Every value set, oldest first (tests).
std::vector<int> MousePointerHistory();
void ClearMousePointerHistory();

}  // namespace winplat
