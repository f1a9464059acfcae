#pragma once
// Windows with handles, without a display: classes, creation, placement, z-order and paint.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "winplat/messages.h"
#include "winplat/types.h"

namespace winplat {

using WNDPROC = LRESULT (*)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
using HINSTANCE = std::uintptr_t;
using ATOM = std::uint16_t;

// Class styles
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;

// Window styles
constexpr std::uint32_t WS_OVERLAPPED = 0x00000000;
constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_MINIMIZE = 0x20000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_DISABLED = 0x08000000;
constexpr std::uint32_t WS_MAXIMIZE = 0x01000000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_DLGFRAME = 0x00400000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;  // border and title bar
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_HSCROLL = 0x00100000;
constexpr std::uint32_t WS_SYSMENU = 0x00080000;
constexpr std::uint32_t WS_THICKFRAME = 0x00040000;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr std::uint32_t WS_MAXIMIZEBOX = 0x00010000;
constexpr std::uint32_t WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
// Extended styles
constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008;
constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

struct WNDCLASS {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = 0;
  std::uintptr_t hIcon = 0;
  std::uintptr_t hCursor = 0;
  std::uintptr_t hbrBackground = 0;
  const char* lpszMenuName = nullptr;
  const char* lpszClassName = nullptr;
};

// The same with a small icon.
struct WNDCLASSEX {
  std::uint32_t cbSize = sizeof(WNDCLASSEX);
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = 0;
  std::uintptr_t hIcon = 0;
  std::uintptr_t hCursor = 0;
  std::uintptr_t hbrBackground = 0;
  const char* lpszMenuName = nullptr;
  const char* lpszClassName = nullptr;
  std::uintptr_t hIconSm = 0;
};

// Stock icons and cursors: without a display a handle is the resource's number.
constexpr std::uintptr_t IDI_APPLICATION = 32512;
constexpr std::uintptr_t IDI_HAND = 32513;
constexpr std::uintptr_t IDI_QUESTION = 32514;
constexpr std::uintptr_t IDI_EXCLAMATION = 32515;
constexpr std::uintptr_t IDI_ASTERISK = 32516;
constexpr std::uintptr_t IDI_WINLOGO = 32517;
constexpr std::uintptr_t IDC_ARROW = 32512;
constexpr std::uintptr_t IDC_IBEAM = 32513;
constexpr std::uintptr_t IDC_WAIT = 32514;
constexpr std::uintptr_t IDC_CROSS = 32515;
inline std::uintptr_t LoadIcon(HINSTANCE, std::uintptr_t id) { return id; }
inline std::uintptr_t LoadCursor(HINSTANCE, std::uintptr_t id) { return id; }

struct CREATESTRUCT {
  LPARAM lpCreateParams = 0;
  HINSTANCE hInstance = 0;
  std::uintptr_t hMenu = 0;
  HWND hwndParent = 0;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  std::uint32_t style = 0;
  const char* lpszName = nullptr;
  const char* lpszClass = nullptr;
  std::uint32_t dwExStyle = 0;
};

// Registers a class (names compare without regard to letter case). Returns 0
// when the name is taken by a live registration. A class belongs to the
// library that holds its window procedure: once that library is unloaded the
// class counts as unregistered (its windows are gone), so the library can be
// loaded again and register it anew.
ATOM RegisterClass(const WNDCLASS& wc);
ATOM RegisterClassEx(const WNDCLASSEX& wc);
bool UnregisterClass(std::string_view className, HINSTANCE hInstance);
bool GetClassInfo(HINSTANCE hInstance, std::string_view className, WNDCLASS* out);

// Creates a window; sends WM_CREATE (a result of -1 refuses the creation), then
// WM_SIZE and WM_MOVE. x/y/width/height CW_USEDEFAULT take a default place.
// Child windows are placed in their parent's client coordinates.
HWND CreateWindowEx(std::uint32_t exStyle, std::string_view className, std::string_view windowName,
                    std::uint32_t style, int x, int y, int width, int height, HWND parent,
                    std::uintptr_t menuOrId, HINSTANCE hInstance, LPARAM createParam);
inline HWND CreateWindow(std::string_view className, std::string_view windowName, std::uint32_t style,
                         int x, int y, int width, int height, HWND parent, std::uintptr_t menuOrId,
                         HINSTANCE hInstance, LPARAM createParam) {
  return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menuOrId,
                        hInstance, createParam);
}
// Sends WM_DESTROY to the window and then to its children, kills their timers
// and drops their queued messages.
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// ShowWindow commands
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
// Returns whether the window was visible before.
bool ShowWindow(HWND hwnd, int command);
bool IsWindowVisible(HWND hwnd);
bool IsIconic(HWND hwnd);
bool IsZoomed(HWND hwnd);
bool EnableWindow(HWND hwnd, bool enable);
bool IsWindowEnabled(HWND hwnd);

bool MoveWindow(HWND hwnd, int x, int y, int width, int height, bool repaint);

// SetWindowPos insert-after values and flags
constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;
constexpr HWND HWND_TOPMOST = 0xFFFFFFFFu;    // (HWND)-1
constexpr HWND HWND_NOTOPMOST = 0xFFFFFFFEu;  // (HWND)-2
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
// HWND_TOPMOST makes the window topmost; HWND_BOTTOM puts it at the bottom and
// drops the topmost state; HWND_NOTOPMOST drops it, keeping the window in front
// of the other ordinary windows.
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
bool IsTopmost(HWND hwnd);
// Top-level windows (or a parent's children) from front to back.
std::vector<HWND> WindowZOrder(HWND parent = 0);

bool GetClientRect(HWND hwnd, RECT* rect);
// In screen coordinates.
bool GetWindowRect(HWND hwnd, RECT* rect);
HWND GetParent(HWND hwnd);
bool ClientToScreen(HWND hwnd, POINT* point);
bool ScreenToClient(HWND hwnd, POINT* point);

bool SetWindowText(HWND hwnd, std::string_view text);
std::string GetWindowText(HWND hwnd);
std::string GetClassName(HWND hwnd);
// The first top-level window of the class and title (an empty value matches any).
HWND FindWindow(std::string_view className, std::string_view windowName);

// Window values
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_STYLE = -16;
constexpr int GWLP_ID = -12;
constexpr int GWLP_USERDATA = -21;
constexpr int GWLP_WNDPROC = -4;
LRESULT GetWindowLongPtr(HWND hwnd, int index);
// Returns the previous value; GWLP_WNDPROC subclasses the window.
LRESULT SetWindowLongPtr(HWND hwnd, int index, LRESULT value);
// Class values of a window's class
constexpr int GCLP_HBRBACKGROUND = -10;
constexpr int GCLP_HCURSOR = -12;
constexpr int GCLP_HICON = -14;
constexpr int GCL_STYLE = -26;
std::uintptr_t GetClassLongPtr(HWND hwnd, int index);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

struct WINDOWPLACEMENT {
  std::uint32_t length = sizeof(WINDOWPLACEMENT);
  std::uint32_t flags = 0;
  std::uint32_t showCmd = SW_SHOWNORMAL;
  POINT ptMinPosition;
  POINT ptMaxPosition;
  RECT rcNormalPosition;
};
bool GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement);
bool SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT& placement);

// Paint: the update area is kept as one rectangle (the union of what was invalidated).
struct PAINTSTRUCT {
  HDC hdc = 0;
  bool fErase = false;
  RECT rcPaint;
};
// A null rect means the whole client area.
bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase);
bool ValidateRect(HWND hwnd, const RECT* rect);
bool GetUpdateRect(HWND hwnd, RECT* rect);
// Sends WM_PAINT at once when the window has something to paint.
bool UpdateWindow(HWND hwnd);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
bool EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
// Moves the client pixels by (dx, dy) and invalidates the uncovered strip.
bool ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scrollRect, const RECT* clipRect);

}  // namespace winplat
