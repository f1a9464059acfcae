// Window timers: kept per window and id, fired by the message loop.
#include <algorithm>

#include "ui_state.h"
#include "winplat/clock.h"

namespace winplat::ui {

std::uint64_t Now() { return CurrentClock().TickCount64(); }

void ForgetWindowTimersAndMessages(HWND hwnd) {
  auto lock = Locked();
  State& s = S();
  std::erase_if(s.timers, [hwnd](const TimerEntry& t) { return t.hwnd == hwnd; });
  std::erase_if(s.queue, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
}

}  // namespace winplat::ui

namespace winplat {

using namespace ui;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, std::uint32_t ms, TIMERPROC proc) {
  auto lock = Locked();
  State& s = S();
  if (hwnd && !Find(hwnd)) return 0;
  ms = std::max(ms, USER_TIMER_MINIMUM);
  auto existing = std::find_if(s.timers.begin(), s.timers.end(),
                               [&](const TimerEntry& t) { return t.hwnd == hwnd && t.id == id; });
  if (!hwnd && (id == 0 || existing == s.timers.end())) {
    // A timer of the loop itself gets an id of its own.
    do {
      id = s.nextThreadTimerId++;
    } while (std::any_of(s.timers.begin(), s.timers.end(),
                         [&](const TimerEntry& t) { return t.hwnd == 0 && t.id == id; }) ||
             id == 0);
    existing = s.timers.end();
  }
  if (existing != s.timers.end()) {
    existing->interval = ms;
    existing->due = Now() + ms;
    existing->proc = proc;
    return hwnd ? 1 : id;
  }
  TimerEntry t;
  t.hwnd = hwnd;
  t.id = id;
  t.interval = ms;
  t.due = Now() + ms;
  t.proc = proc;
  t.seq = s.nextTimerSeq++;
  s.timers.push_back(t);
  return hwnd ? 1 : id;
}

bool KillTimer(HWND hwnd, UINT_PTR id) {
  auto lock = Locked();
  State& s = S();
  auto n = std::erase_if(s.timers, [&](const TimerEntry& t) { return t.hwnd == hwnd && t.id == id; });
  // A WM_TIMER already taken from the loop but not yet handled is not recalled.
  return n > 0;
}

std::int64_t MillisecondsToNextTimer() {
  auto lock = Locked();
  const State& s = S();
  if (s.timers.empty()) return -1;
  std::uint64_t now = Now();
  std::uint64_t next = s.timers.front().due;
  for (const auto& t : s.timers) next = std::min(next, t.due);
  return next <= now ? 0 : static_cast<std::int64_t>(next - now);
}

}  // namespace winplat
