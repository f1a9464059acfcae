// A small library that registers a window class as it is loaded, as a device
// library does; the tests load it, unload it and load it again.
#include "winplat/window.h"

namespace {

int created = 0;
winplat::ATOM atom = 0;

winplat::LRESULT Proc(winplat::HWND hwnd, winplat::UINT message, winplat::WPARAM wParam, winplat::LPARAM lParam) {
  if (message == winplat::WM_CREATE) ++created;
  return winplat::DefWindowProc(hwnd, message, wParam, lParam);
}

__attribute__((constructor)) void OnLoad() {
  winplat::WNDCLASS wc;
  wc.style = winplat::CS_HREDRAW | winplat::CS_VREDRAW;
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = "FR_TestLibClass";
  atom = winplat::RegisterClass(wc);
}

}  // namespace

extern "C" int ClassLibAtom() { return atom; }
extern "C" int ClassLibCreated() { return created; }
