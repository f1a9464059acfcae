#pragma once
// A display of the tests' own: the screen's logic runs over it in process, no
// X server needed. It keeps what the screen asked of it and hands over the
// events a test queues.
#include <chrono>
#include <deque>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "../driver.h"

namespace screentest {

using winplat::screen::Event;
using winplat::screen::WindowId;

struct FakeDisplay {
  struct Window {
    std::string title;
    int x = 0, y = 0, width = 0, height = 0;
    bool resizable = false;
    int presents = 0;
    winplat::Picture last;
  };
  int width = 1280, height = 1024;
  std::map<WindowId, Window> windows;  // those made and not destroyed
  WindowId next = 1;
  std::deque<Event> events;
  std::vector<int> waits;  // the timeouts poll was asked to wait, in order
  std::vector<std::string> calls;
  std::vector<winplat::screen::Pointer> pointers;
  bool sleeps = false;  // poll really waits its timeout when no event is queued

  winplat::screen::Driver Driver() {
    winplat::screen::Driver d;
    d.name = "fake:0";
    d.width = width;
    d.height = height;
    d.create = [this](const std::string& title, int x, int y, int w, int h, bool resizable) {
      WindowId id = next++;
      windows[id] = Window{title, x, y, w, h, resizable, 0, {}};
      calls.push_back("create " + title);
      return id;
    };
    d.destroy = [this](WindowId id) {
      windows.erase(id);
      calls.push_back("destroy " + std::to_string(id));
    };
    d.title = [this](WindowId id, const std::string& title) { windows[id].title = title; };
    d.move = [this](WindowId id, int x, int y) {
      windows[id].x = x;
      windows[id].y = y;
      calls.push_back("move " + std::to_string(x) + " " + std::to_string(y));
    };
    d.size = [this](WindowId id, int w, int h) {
      windows[id].width = w;
      windows[id].height = h;
    };
    d.present = [this](WindowId id, const winplat::Picture& picture) {
      ++windows[id].presents;
      windows[id].last = picture;
      return true;
    };
    d.poll = [this](Event* e, int timeoutMs) {
      if (timeoutMs > 0) waits.push_back(timeoutMs);
      if (events.empty()) {
        if (sleeps && timeoutMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return false;
      }
      *e = events.front();
      events.pop_front();
      return true;
    };
    d.pointer = [this](winplat::screen::Pointer p) { pointers.push_back(p); };
    return d;
  }

  // The window made for the title (0: none).
  WindowId Named(const std::string& title) const {
    for (const auto& [id, w] : windows)
      if (w.title == title) return id;
    return 0;
  }
  int Presents() const {
    int n = 0;
    for (const auto& [id, w] : windows) n += w.presents;
    return n;
  }
};

}  // namespace screentest
