#pragma once
// Shared by the window-layer tests: a manual clock and a recording window class.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "winplat/clock.h"
#include "winplat/messages.h"
#include "winplat/msgbox.h"
#include "winplat/timer.h"
#include "winplat/window.h"

namespace uitest {

// Folder of the built binaries: FIELDRAY_BIN, else the test executable's own folder.
inline std::filesystem::path BinDir() {
  if (const char* bin = std::getenv("FIELDRAY_BIN")) return bin;
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

struct Seen {
  winplat::HWND hwnd;
  winplat::UINT message;
  winplat::WPARAM wParam;
  winplat::LPARAM lParam;
};

// What the recording class's windows received, and an optional reaction.
inline std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}
inline std::function<winplat::LRESULT(winplat::HWND, winplat::UINT, winplat::WPARAM, winplat::LPARAM)>& React() {
  static std::function<winplat::LRESULT(winplat::HWND, winplat::UINT, winplat::WPARAM, winplat::LPARAM)> react;
  return react;
}

inline winplat::LRESULT RecordingProc(winplat::HWND hwnd, winplat::UINT message, winplat::WPARAM wParam,
                                      winplat::LPARAM lParam) {
  Log().push_back({hwnd, message, wParam, lParam});
  if (React()) {
    auto react = React();  // the reaction may replace itself
    if (winplat::LRESULT r = react(hwnd, message, wParam, lParam)) return r;
  }
  return winplat::DefWindowProc(hwnd, message, wParam, lParam);
}

constexpr const char* kClass = "FrRecording";

inline std::vector<winplat::UINT> Messages(winplat::HWND hwnd) {
  std::vector<winplat::UINT> out;
  for (const auto& s : Log())
    if (s.hwnd == hwnd) out.push_back(s.message);
  return out;
}

inline int Count(winplat::HWND hwnd, winplat::UINT message) {
  int n = 0;
  for (const auto& s : Log()) n += (s.hwnd == hwnd && s.message == message) ? 1 : 0;
  return n;
}

// Manual clock in force, the recording class registered; every window and
// timer made by the test is gone afterwards.
class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    Log().clear();
    React() = nullptr;
    winplat::WNDCLASS wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = kClass;
    winplat::RegisterClass(wc);
  }
  void TearDown() override {
    React() = nullptr;
    for (winplat::HWND h : made) winplat::DestroyWindow(h);
    for (auto id : threadTimers) winplat::KillTimer(0, id);
    while (winplat::DispatchPending() > 0) {
    }
    winplat::UnregisterClass(kClass, 0);
    winplat::SetClock(nullptr);
  }

  winplat::HWND Make(winplat::HWND parent = 0, std::uint32_t style = winplat::WS_OVERLAPPEDWINDOW, int x = 10,
                     int y = 20, int w = 300, int h = 200) {
    winplat::HWND hwnd =
        winplat::CreateWindowEx(0, kClass, "test", style | (parent ? winplat::WS_CHILD : 0u), x, y, w, h, parent, 0, 0, 0);
    if (hwnd && !parent) made.push_back(hwnd);
    return hwnd;
  }

  std::uint64_t Now() { return clock.TickCount64(); }

  winplat::ManualClock clock;
  std::vector<winplat::HWND> made;
  std::vector<winplat::UINT_PTR> threadTimers;
};

}  // namespace uitest
