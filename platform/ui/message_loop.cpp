// The message queue and the message loop: send, post, peek, get, dispatch and DoEvents.
#include <poll.h>

#include <algorithm>
#include <ctime>
#include <iterator>

#include "ui_state.h"
#include "winplat/clock.h"
#include "winplat/painting.h"
#include "winplat/surface.h"
#include "winplat/display.h"
#include "screen/screen.h"

namespace winplat {

using namespace ui;

namespace {

bool Matches(const MSG& m, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (hwnd && m.hwnd != hwnd) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return m.message >= filterMin && m.message <= filterMax;
}

std::uint32_t Ticks() { return static_cast<std::uint32_t>(Now()); }

// Windows the loop paints, in handle order: those needing paint, except the
// ones painted only when their pixels are read (unless `putOff` is wanted:
// then just those).
std::vector<HWND> WindowsToPaint(bool putOff = false) {
  std::vector<HWND> out;
  {
    auto lock = Locked();
    const State& s = S();
    if (putOff) {
      out.assign(s.putOff.begin(), s.putOff.end());
    } else if (s.immediatePainting) {
      std::merge(s.withUpdate.begin(), s.withUpdate.end(), s.putOff.begin(), s.putOff.end(), std::back_inserter(out));
    } else {
      out.assign(s.withUpdate.begin(), s.withUpdate.end());
    }
  }
  std::erase_if(out, [](HWND h) { return !VisibleWithAncestors(h); });
  return out;
}

// Takes a due timer: it is due again one interval from now (a late timer fires once).
bool TakeTimer(HWND hwnd, UINT_PTR id, MSG* msg) {
  auto lock = Locked();
  std::uint64_t now = Now();
  for (auto& t : S().timers) {
    if (t.hwnd != hwnd || t.id != id || t.due > now) continue;
    t.due = now + t.interval;
    *msg = MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), static_cast<std::uint32_t>(now)};
    return true;
  }
  return false;
}

// Due timers, earliest first.
std::vector<TimerEntry> DueTimers(HWND hwnd) {
  auto lock = Locked();
  std::uint64_t now = Now();
  std::vector<TimerEntry> due;
  for (const auto& t : S().timers)
    if (t.due <= now && (!hwnd || t.hwnd == hwnd)) due.push_back(t);
  std::sort(due.begin(), due.end(), [](const TimerEntry& a, const TimerEntry& b) {
    return a.due != b.due ? a.due < b.due : a.seq < b.seq;
  });
  return due;
}

void MoveManualClockOn() {
  if (auto* manual = dynamic_cast<ManualClock*>(&CurrentClock())) {
    std::int64_t ms = MillisecondsToNextTimer();
    manual->Advance(ms > 0 ? static_cast<std::uint64_t>(ms) : 10u);
  }
}

}  // namespace

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DropUnloadedClasses();
  WNDPROC proc = nullptr;
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w) return 0;
    proc = w->proc;
  }
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto lock = Locked();
  if (hwnd && !Find(hwnd)) return false;
  S().queue.push_back(MSG{hwnd, message, wParam, lParam, Ticks()});
  return true;
}

void PostQuitMessage(int exitCode) {
  auto lock = Locked();
  S().quitPosted = true;
  S().quitCode = exitCode;
}

bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return false;
  DropUnloadedClasses();
  bool remove = removeFlags & PM_REMOVE;
  {
    auto lock = Locked();
    State& s = S();
    auto it = std::find_if(s.queue.begin(), s.queue.end(),
                           [&](const MSG& m) { return Matches(m, hwnd, filterMin, filterMax); });
    if (it != s.queue.end()) {
      *msg = *it;
      if (remove) s.queue.erase(it);
      return true;
    }
    if (s.quitPosted && Matches(MSG{0, WM_QUIT}, 0, filterMin, filterMax)) {
      *msg = MSG{0, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, Ticks()};
      if (remove) s.quitPosted = false;
      return true;
    }
  }
  for (HWND h : WindowsToPaint()) {
    MSG paint{h, WM_PAINT, 0, 0, Ticks()};
    if (Matches(paint, hwnd, filterMin, filterMax)) {
      *msg = paint;
      return true;
    }
  }
  if (!Matches(MSG{hwnd, WM_TIMER}, hwnd, filterMin, filterMax)) return false;
  auto due = DueTimers(hwnd);
  if (due.empty()) return false;
  const TimerEntry& t = due.front();
  if (remove) return TakeTimer(t.hwnd, t.id, msg);
  *msg = MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), Ticks()};
  return true;
}

bool GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  for (;;) {
    if (PeekMessage(msg, hwnd, filterMin, filterMax, PM_REMOVE)) return msg->message != WM_QUIT;
    if (dynamic_cast<ManualClock*>(&CurrentClock())) {
      MoveManualClockOn();
      continue;
    }
    std::int64_t ms = MillisecondsToNextTimer();
    ms = (ms < 0 || ms > 10) ? 10 : std::max<std::int64_t>(ms, 1);
    timespec ts{0, static_cast<long>(ms) * 1'000'000L};
    nanosleep(&ts, nullptr);
  }
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  if (!msg->hwnd) return 0;
  return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

namespace {

// One pass of the loop; `work` counts what was dispatched other than paint (a
// window that never validates itself must not keep the clock from moving).
int DispatchPass(int* work) {
  DropUnloadedClasses();
  int count = 0;
  // Messages queued before this call; those posted by their handlers wait for the next one.
  std::size_t queued = 0;
  {
    auto lock = Locked();
    queued = S().queue.size();
  }
  for (std::size_t i = 0; i < queued; ++i) {
    MSG m;
    {
      auto lock = Locked();
      if (S().queue.empty()) break;
      m = S().queue.front();
      S().queue.pop_front();
    }
    DispatchMessage(&m);
    ++count;
  }
  int paints = 0;
  // Each window that needs it is painted once.
  for (HWND h : WindowsToPaint()) {
    RECT r;
    if (!GetUpdateRect(h, &r) || !VisibleWithAncestors(h)) continue;
    SendMessage(h, WM_PAINT, 0, 0);
    ++count;
    ++paints;
  }
  // Due timers, earliest first, each once.
  for (const TimerEntry& t : DueTimers(0)) {
    MSG m;
    if (!TakeTimer(t.hwnd, t.id, &m)) continue;
    DispatchMessage(&m);
    ++count;
  }
  if (work) *work = count - paints;
  PumpDisplay();  // the screen, when one is open, reads its frames and takes its input
  return count;
}

}  // namespace

int DispatchPending() { return DispatchPass(nullptr); }

void SetPaintWhenLooked(HWND hwnd, bool on) {
  auto lock = Locked();
  if (Window* w = Find(hwnd)) {
    w->paintWhenLooked = on;
    NoteUpdate(S(), *w);
  }
}

void PaintPendingWindow(HWND hwnd) {
  {
    auto lock = Locked();
    Window* w = Find(hwnd);
    if (!w || !w->hasUpdate || !w->paintWhenLooked) return;
  }
  if (VisibleWithAncestors(hwnd)) SendMessage(hwnd, WM_PAINT, 0, 0);
}

void PaintPendingWindows() {
  for (HWND h : WindowsToPaint(true)) PaintPendingWindow(h);
}

std::uint64_t UpdateCount() {
  auto lock = Locked();
  return S().updates;
}

void SetImmediatePainting(bool on) {
  auto lock = Locked();
  S().immediatePainting = on;
}

namespace {
// Contexts on a window and captures of it see its painting done.
[[maybe_unused]] const bool pixelsHookSet = (SetWindowPixelsHook(&PaintPendingWindow), true);
}  // namespace

int DoEvents() {
  int work = 0;
  int count = DispatchPass(&work);
  if (work == 0 && dynamic_cast<ManualClock*>(&CurrentClock())) {
    MoveManualClockOn();
    count += DispatchPass(nullptr);
  }
  return count;
}

void PumpFor(std::uint32_t ms) {
  std::uint64_t end = Now() + ms;
  DispatchPending();
  while (Now() < end) {
    std::uint64_t step = end - Now();
    std::int64_t next = MillisecondsToNextTimer();
    if (next >= 0 && static_cast<std::uint64_t>(next) < step) step = static_cast<std::uint64_t>(next);
    if (auto* manual = dynamic_cast<ManualClock*>(&CurrentClock())) {
      manual->Advance(step);
    } else if (step > 0) {
      step = std::min<std::uint64_t>(step, 10);
      timespec ts{0, static_cast<long>(step) * 1'000'000L};
      nanosleep(&ts, nullptr);
    }
    DispatchPending();
  }
}

void WaitForWork(std::uint32_t ms) {
  constexpr std::uint64_t kLongestNap = 5;
  if (dynamic_cast<ManualClock*>(&CurrentClock())) return;
  if (PendingMessageCount() > 0) return;
  std::uint64_t step = std::min<std::uint64_t>(ms, kLongestNap);
  std::int64_t next = MillisecondsToNextTimer();
  if (next >= 0 && static_cast<std::uint64_t>(next) < step) step = static_cast<std::uint64_t>(next);
  if (step == 0) return;
  timespec ts{0, static_cast<long>(step) * 1'000'000L};
  nanosleep(&ts, nullptr);
}

namespace {

// Sleeps until `fd` (-1: none) is readable or `timeoutMs` (-1: none) have
// passed, at most kLongestSleepMs. The tick count is whole milliseconds cut
// down, and the system sleeps at least as long as it is asked to, so a timer
// due in n ticks is due when n milliseconds have passed.
void WaitForTerminal(int fd, std::int64_t timeoutMs) {
  constexpr std::int64_t kLongestSleepMs = 1000;  // a sleeping loop still looks round once a second
  const int timeout = static_cast<int>(timeoutMs < 0 ? kLongestSleepMs : std::min(timeoutMs, kLongestSleepMs));
  pollfd p{fd, POLLIN, 0};
  ::poll(&p, fd >= 0 ? 1 : 0, timeout);  // an interrupted wait is only a shorter one
}

}  // namespace

void WaitForInput(int fd) {
  if (dynamic_cast<ManualClock*>(&CurrentClock())) {
    PumpFor(10);
    return;
  }
  DispatchPending();
  if (PendingMessageCount() > 0) return;
  std::int64_t next = MillisecondsToNextTimer();
  // A window still to paint (one whose painting never validates it) is looked at again soon.
  if (!WindowsToPaint().empty()) next = next < 0 ? 10 : std::min<std::int64_t>(next, 10);
  if (next == 0) return;
  if (DisplayOpen()) {
    screen::WaitForEvents(next < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(next, 1 << 30)), fd);
  } else {
    WaitForTerminal(fd, next);
  }
  DispatchPending();
}

int PendingMessageCount() {
  auto lock = Locked();
  return static_cast<int>(S().queue.size());
}

}  // namespace winplat
