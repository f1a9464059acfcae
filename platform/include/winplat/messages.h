#pragma once
// Window messages, the message queue and the message loop.
#include <cstdint>

#include "winplat/types.h"

namespace winplat {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Messages
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_USER = 0x0400;

// WM_SIZE kinds
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// Buttons held and shift state in the wParam of mouse messages
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// Virtual keys used by the system
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_PRIOR = 0x21;
constexpr WPARAM VK_NEXT = 0x22;
constexpr WPARAM VK_END = 0x23;
constexpr WPARAM VK_HOME = 0x24;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_DELETE = 0x2E;
constexpr WPARAM VK_F2 = 0x71;

constexpr std::uint16_t LOWORD(std::uintptr_t v) { return static_cast<std::uint16_t>(v & 0xFFFFu); }
constexpr std::uint16_t HIWORD(std::uintptr_t v) { return static_cast<std::uint16_t>((v >> 16) & 0xFFFFu); }
constexpr LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>(static_cast<std::int32_t>((static_cast<std::uint32_t>(low) & 0xFFFFu) |
                                                       ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16)));
}
// Signed client coordinates of a mouse message.
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(lp))); }

struct MSG {
  HWND hwnd = 0;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::uint32_t time = 0;  // tick count when the message was queued or generated
};

// Calls the window's procedure at once and returns its result (0 for an unknown window).
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message (hwnd 0: a message for the loop itself). False for an unknown window.
bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Makes the loop's next GetMessage answer WM_QUIT once the queue is empty.
void PostQuitMessage(int exitCode);

// PeekMessage options
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Retrieves the next message in Windows order: posted messages, then paint,
// then due timers. GetMessage waits (with the manual clock: moves it on to the
// next due timer) and answers false for WM_QUIT.
bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
bool GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
LRESULT DispatchMessage(const MSG* msg);

// Dispatches what is pending (queued messages, paints) and what is due
// (timers), then returns the number of messages dispatched. When it finds
// nothing and the manual clock is in force, it moves that clock on to the next
// due timer (and dispatches it), or by 10 ms when no timer is set.
int DoEvents();
// Dispatches what is pending and due without ever moving the clock.
int DispatchPending();

// Lets `ms` pass with the loop running: dispatches what is pending and due;
// the manual clock is moved on from one due timer to the next until `ms` have
// passed, the host clock is waited on.
void PumpFor(std::uint32_t ms);

// Waits, with the host clock, until a message is queued or the next timer is
// due, at most `ms` and at most a few milliseconds a call; returns at once
// when something is waiting or the manual clock is in force. For waits that
// pump the loop between calls (DoEvents itself never sleeps).
void WaitForWork(std::uint32_t ms);

// A loop with nothing to do: dispatches what is pending and due, then sleeps
// in one wait until a timer is due (never before), `fd` (the operator's
// terminal; -1: none) is readable or, with a display open, the display has an
// event or a frame due; a second at most. Then it dispatches again. With the
// manual clock it is PumpFor(10).
void WaitForInput(int fd = -1);

// Milliseconds until the next timer is due (0 when one is due now, -1 when none is set).
std::int64_t MillisecondsToNextTimer();

// Messages waiting in the queue (tests and diagnostics).
int PendingMessageCount();

}  // namespace winplat
