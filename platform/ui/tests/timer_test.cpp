// Timers and the message loop under the manual clock.
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "ui_test_support.h"

namespace {

using namespace winplat;
using uitest::Log;
using uitest::React;

// Timer ids in the order their WM_TIMER arrived.
std::vector<WPARAM> Fired(HWND hwnd) {
  std::vector<WPARAM> ids;
  for (const auto& s : Log())
    if (s.hwnd == hwnd && s.message == WM_TIMER) ids.push_back(s.wParam);
  return ids;
}

class TimerTest : public uitest::UiTest {};

TEST_F(TimerTest, FireInDueOrderAndNotBefore) {
  HWND w = Make();
  ASSERT_NE(w, 0u);
  SetTimer(w, 1, 300);
  SetTimer(w, 2, 100);
  SetTimer(w, 3, 200);
  clock.Advance(99);
  DispatchPending();
  EXPECT_TRUE(Fired(w).empty());
  clock.Advance(251);  // all three due, and late
  DispatchPending();
  EXPECT_EQ(Fired(w), (std::vector<WPARAM>{2, 3, 1}));
  EXPECT_EQ(MillisecondsToNextTimer(), 100);  // each is due one interval after it fired
}

TEST_F(TimerTest, LateTimerFiresOnceAndRestartsFromTheFiring) {
  HWND w = Make();
  SetTimer(w, 7, 100);
  clock.Advance(1050);
  EXPECT_EQ(DispatchPending(), 1);
  EXPECT_EQ(DispatchPending(), 0);
  clock.Advance(99);
  EXPECT_EQ(DispatchPending(), 0);
  clock.Advance(1);
  EXPECT_EQ(DispatchPending(), 1);
  EXPECT_EQ(Fired(w).size(), 2u);
}

TEST_F(TimerTest, IdleDoEventsMovesTheClockToTheNextTimerOrByTenMs) {
  std::uint64_t start = Now();
  EXPECT_EQ(DoEvents(), 0);
  EXPECT_EQ(Now(), start + 10);  // no timer set
  HWND w = Make();
  SetTimer(w, 1, 1000);
  DispatchPending();
  Log().clear();
  EXPECT_EQ(DoEvents(), 1);
  EXPECT_EQ(Now(), start + 10 + 1000);
  EXPECT_EQ(Fired(w), std::vector<WPARAM>{1});
}

TEST_F(TimerTest, WindowThatNeverValidatesDoesNotStopTheClock) {
  HWND w = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  React() = [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT { return message == WM_PAINT ? 1 : 0; };
  std::uint64_t start = Now();
  for (int i = 0; i < 5; ++i) DoEvents();
  EXPECT_GE(uitest::Count(w, WM_PAINT), 5);  // painted on every pass, as it asks
  EXPECT_EQ(Now(), start + 50);
}

TEST_F(TimerTest, DelayStyleLoopEndsUnderTheManualClock) {
  // Wait until the clock passes a value, letting the interface run, with a
  // 100 ms timer ticking meanwhile.
  HWND w = Make();
  SetTimer(w, 1, 100);
  float start = Timer();
  float end = start + 2.5f;
  int spins = 0;
  for (;;) {
    DoEvents();
    float t = Timer();
    if (t < start) t += 86400.0f;
    if (t >= end || ++spins > 10000) break;
  }
  EXPECT_LT(spins, 100);
  EXPECT_GE(Timer(), end);
  EXPECT_GE(Fired(w).size(), 24u);
  EXPECT_LE(Fired(w).size(), 26u);
}

TEST_F(TimerTest, TimerFiresAgainInsideDoEventsCalledFromItsOwnHandler) {
  HWND w = Make();
  int depth = 0, deepest = 0, calls = 0;
  React() = [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message != WM_TIMER) return 0;
    ++calls;
    ++depth;
    deepest = std::max(deepest, depth);
    if (depth == 1) {
      // A waiting loop inside the handler: the same timer comes due again.
      for (int i = 0; i < 50 && calls < 3; ++i) DoEvents();
    }
    --depth;
    return 0;
  };
  SetTimer(w, 1, 100);
  clock.Advance(100);
  DispatchPending();
  EXPECT_EQ(deepest, 2);
  EXPECT_EQ(calls, 3);
}

TEST_F(TimerTest, PumpForFiresEachTimerAtItsTimes) {
  HWND w = Make();
  SetTimer(w, 1, 100);
  SetTimer(w, 2, 1000);
  std::uint64_t start = Now();
  std::vector<std::pair<WPARAM, std::uint64_t>> at;
  React() = [&](HWND, UINT message, WPARAM id, LPARAM) -> LRESULT {
    if (message == WM_TIMER) at.emplace_back(id, Now() - start);
    return 0;
  };
  PumpFor(2500);
  EXPECT_EQ(Now(), start + 2500);
  int fast = 0, slow = 0;
  for (const auto& [id, t] : at) {
    if (id == 1) {
      EXPECT_EQ(t, static_cast<std::uint64_t>(++fast) * 100);
    } else {
      EXPECT_EQ(t, static_cast<std::uint64_t>(++slow) * 1000);
    }
  }
  EXPECT_EQ(fast, 25);
  EXPECT_EQ(slow, 2);
  // At 1000 ms both are due: the one set first fires first.
  auto tick = std::find(at.begin(), at.end(), std::make_pair(WPARAM{2}, std::uint64_t{1000}));
  ASSERT_NE(tick, at.end());
  EXPECT_EQ(*(tick - 1), std::make_pair(WPARAM{1}, std::uint64_t{1000}));
}

TEST_F(TimerTest, KillSetAgainAndWindowDestroyStopTimers) {
  HWND w = Make();
  EXPECT_EQ(SetTimer(w, 1, 100), 1u);
  EXPECT_TRUE(KillTimer(w, 1));
  EXPECT_FALSE(KillTimer(w, 1));
  SetTimer(w, 2, 100);
  clock.Advance(90);
  SetTimer(w, 2, 100);  // restarting moves the due time
  clock.Advance(20);
  EXPECT_EQ(DispatchPending(), 0);
  EXPECT_EQ(SetTimer(0xDEAD, 1, 100), 0u);  // unknown window
  DestroyWindow(w);
  made.clear();
  EXPECT_EQ(MillisecondsToNextTimer(), -1);
  clock.Advance(1000);
  EXPECT_EQ(DispatchPending(), 0);
}

int procCalls = 0;
UINT_PTR procId = 0;
void CountingProc(HWND, UINT message, UINT_PTR id, std::uint32_t) {
  if (message == WM_TIMER) ++procCalls, procId = id;
}

TEST_F(TimerTest, LoopTimersWithAProcedureGetTheirOwnIds) {
  procCalls = 0;
  UINT_PTR a = SetTimer(0, 0, 50, CountingProc);
  UINT_PTR b = SetTimer(0, 0, 5, CountingProc);  // raised to the minimum
  threadTimers = {a, b};
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  clock.Advance(USER_TIMER_MINIMUM);
  DispatchPending();
  EXPECT_EQ(procCalls, 1);
  EXPECT_EQ(procId, b);
}

TEST_F(TimerTest, PostedMessagesComeBeforePaintAndTimers) {
  HWND w = Make(0, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetTimer(w, 1, 10);
  clock.Advance(10);
  PostMessage(w, WM_USER + 1, 0, 0);
  Log().clear();
  DispatchPending();
  auto seen = uitest::Messages(w);
  // The default paint erases the background inside its paint.
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 1, WM_PAINT, WM_ERASEBKGND, WM_TIMER}));
}

TEST_F(TimerTest, MessagesPostedByAHandlerWaitForTheNextPass) {
  HWND w = Make();
  React() = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_USER) PostMessage(hwnd, WM_USER, 0, 0);  // would never end in one pass
    return 0;
  };
  PostMessage(w, WM_USER, 0, 0);
  EXPECT_EQ(DispatchPending(), 1);
  EXPECT_EQ(PendingMessageCount(), 1);
}

TEST_F(TimerTest, GetMessageRunsTheLoopUntilQuit) {
  HWND w = Make();
  SetTimer(w, 1, 250);
  int ticks = 0;
  React() = [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_TIMER && ++ticks == 4) PostQuitMessage(3);
    return 0;
  };
  std::uint64_t start = Now();
  MSG msg;
  while (GetMessage(&msg, 0, 0, 0)) DispatchMessage(&msg);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(Now() - start, 1000u);
}

// On the host clock, with no display, an idle loop sleeps in one wait to the
// next timer and wakes to it due, never before; a readable terminal ends the
// wait at once.
TEST_F(TimerTest, IdleWaitOnTheHostClockSleepsToTheNextTimerOrTheTerminal) {
  SetClock(nullptr);
  HWND w = Make();
  std::uint64_t firedAt = 0;
  React() = [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_TIMER && firedAt == 0) firedAt = CurrentClock().TickCount64();
    return 0;
  };
  const std::uint64_t set = CurrentClock().TickCount64();
  SetTimer(w, 1, 40);
  int waits = 0;
  while (firedAt == 0 && waits < 50) {
    WaitForInput(-1);
    ++waits;
  }
  EXPECT_GE(firedAt, set + 40);
  EXPECT_LE(waits, 2) << "one wait, perhaps cut short once by a signal";

  SetTimer(w, 1, 60000);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  const std::uint64_t start = CurrentClock().TickCount64();
  WaitForInput(fds[0]);
  EXPECT_LT(CurrentClock().TickCount64() - start, 1000u) << "the terminal had a line";
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
