// The fixed screen, system metrics and the mouse pointer.
#include "winplat/screen.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace winplat {
namespace {

std::mutex screenMutex;
bool screenSet = false;
ScreenMetrics screen;
int pointer = vbDefault;
std::vector<int> pointerHistory;

// "WxH" or "WxH@dpi"; anything else keeps the defaults.
ScreenMetrics FromEnvironment() {
  ScreenMetrics m;
  const char* text = std::getenv("FIELDRAY_SCREEN");
  if (!text) return m;
  int w = 0, h = 0, dpi = 0;
  int n = std::sscanf(text, "%dx%d@%d", &w, &h, &dpi);
  if (n >= 2 && w > 0 && h > 0 && w <= 32767 && h <= 32767) {
    m.width = w;
    m.height = h;
    if (n == 3 && dpi >= 24 && dpi <= 1440) m.dpi = dpi;
  } else {
    std::fprintf(stderr, "FIELDRAY_SCREEN \"%s\" is not WIDTHxHEIGHT[@DPI]; using 1024x768@96\n", text);
  }
  return m;
}

}  // namespace

ScreenMetrics Screen() {
  std::lock_guard lock(screenMutex);
  if (!screenSet) {
    screen = FromEnvironment();
    screenSet = true;
  }
  return screen;
}

void SetScreen(const ScreenMetrics& metrics) {
  std::lock_guard lock(screenMutex);
  screen = metrics;
  if (screen.dpi <= 0) screen.dpi = 96;
  screenSet = true;
}

int TwipsPerPixel() { return 1440 / Screen().dpi; }

double PixelsToTwips(double pixels) { return pixels * TwipsPerPixel(); }
double TwipsToPixels(double twips) { return twips / TwipsPerPixel(); }

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return Screen().width;
    case SM_CYSCREEN:
      return Screen().height;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return 16;
    case SM_CYCAPTION:
      return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return 4;
    default:
      return 0;
  }
}

void SetMousePointer(int value) {
  std::lock_guard lock(screenMutex);
  pointer = value;
  pointerHistory.push_back(value);
}

int MousePointer() {
  std::lock_guard lock(screenMutex);
  return pointer;
}

std::vector<int> MousePointerHistory() {
  std::lock_guard lock(screenMutex);
  return pointerHistory;
}

void ClearMousePointerHistory() {
  std::lock_guard lock(screenMutex);
  pointerHistory.clear();
}

}  // namespace winplat
