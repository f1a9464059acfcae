#pragma once
// Window timers, fired by the message loop from the replaceable clock.
#include <cstdint>

#include "winplat/messages.h"

namespace winplat {

using UINT_PTR = std::uintptr_t;
using TIMERPROC = void (*)(HWND hwnd, UINT message, UINT_PTR id, std::uint32_t tickCount);

// Shortest interval a timer keeps (shorter ones are raised to it).
constexpr std::uint32_t USER_TIMER_MINIMUM = 10;

// Starts or restarts the timer (hwnd, id): it becomes due `ms` from now. A late
// timer fires once, not once per missed interval; after it fires it is due
// again one interval after the firing. With hwnd 0 a new id is chosen and
// returned. Without a procedure the window gets WM_TIMER (wParam = id).
// Returns 0 for an unknown window.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, std::uint32_t ms, TIMERPROC proc = nullptr);
// Stops the timer; false when it does not exist.
bool KillTimer(HWND hwnd, UINT_PTR id);

}  // namespace winplat
