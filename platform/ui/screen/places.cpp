// Where the program's windows are, as the screen writes them down for another
// process on the machine root (the projection viewer), and where a window
// opened beside them goes.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "screen.h"
#include "winplat/paths.h"

namespace winplat::screen {
namespace {

constexpr int kGap = 8;  // between a window placed beside another and it

int Centred(int room, int size) { return std::max(0, (room - size) / 2); }

}  // namespace

std::filesystem::path LayoutFile() { return MachineRoot() / "screen" / "windows"; }

std::string LayoutText(const std::vector<Layout>& windows) {
  std::ostringstream out;
  for (const Layout& l : windows) {
    out << "window " << l.window.left << ' ' << l.window.top << ' ' << l.window.right << ' ' << l.window.bottom
        << '\n';
    for (const Rect& r : l.controls) out << "control " << r.left << ' ' << r.top << ' ' << r.right << ' ' << r.bottom << '\n';
  }
  return out.str();
}

std::vector<Layout> ParseLayout(const std::string& text) {
  std::vector<Layout> windows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string what;
    Rect r;
    if (!(fields >> what >> r.left >> r.top >> r.right >> r.bottom) || r.right <= r.left || r.bottom <= r.top)
      continue;
    if (what == "window") windows.push_back(Layout{r, {}});
    else if (what == "control" && !windows.empty()) windows.back().controls.push_back(r);
  }
  return windows;
}

std::vector<Layout> ReadLayout() {
  std::ifstream in(LayoutFile(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return ParseLayout(text.str());
}

POINT PlaceBeside(int screenWidth, int screenHeight, const std::vector<Layout>& windows, int width, int height) {
  const POINT centred{Centred(screenWidth, width), Centred(screenHeight, height)};
  if (windows.empty() || screenWidth <= 0 || screenHeight <= 0) return centred;
  const Rect screen{0, 0, screenWidth, screenHeight};
  auto fits = [&](int x, int y) {
    return x >= screen.left && y >= screen.top && x + width <= screen.right && y + height <= screen.bottom;
  };
  const Rect& main = windows.front().window;
  const int alongY = std::clamp(main.top, 0, std::max(0, screenHeight - height));
  const int alongX = std::clamp(main.left, 0, std::max(0, screenWidth - width));
  // Beside it: right, left, below, above.
  const POINT beside[] = {{main.right + kGap, alongY},
                          {main.left - kGap - width, alongY},
                          {alongX, main.bottom + kGap},
                          {alongX, main.top - kGap - height}};
  for (POINT p : beside)
    if (fits(p.x, p.y)) return p;
  // Over the windows, where it covers none of their controls (else as little
  // of them as may be) and as little of the windows as may be.
  if (width > screenWidth || height > screenHeight) return centred;
  constexpr int kStep = 8;
  auto common = [](const Rect& a, const Rect& b) {
    if (!a.Overlaps(b)) return 0LL;
    return static_cast<long long>(std::min(a.right, b.right) - std::max(a.left, b.left)) *
           (std::min(a.bottom, b.bottom) - std::max(a.top, b.top));
  };
  bool found = false;
  POINT best{0, 0};
  long long bestControls = 0, bestCover = 0;
  auto consider = [&](int x, int y) {
    const Rect r{x, y, x + width, y + height};
    long long controls = 0, cover = 0;
    for (const Layout& l : windows) {
      for (const Rect& c : l.controls) controls += common(r, c);
      cover += common(r, l.window);
    }
    if (!found || controls < bestControls || (controls == bestControls && cover < bestCover)) {
      found = true;
      best = POINT{x, y};
      bestControls = controls;
      bestCover = cover;
    }
  };
  // From the bottom-right, the corner farthest from a window's menus and first controls.
  for (int y = screenHeight - height; y >= 0; y -= kStep) {
    for (int x = screenWidth - width; x >= 0; x -= kStep) consider(x, y);
    consider(0, y);
  }
  for (int x = screenWidth - width; x >= 0; x -= kStep) consider(x, 0);
  consider(0, 0);
  return best;
}

}  // namespace winplat::screen
