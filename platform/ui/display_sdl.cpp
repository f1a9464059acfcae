// The screen on SDL2, loaded with dlopen when a program first asks for a
// display: each visible top-level window of the window layer becomes a real
// window showing the window's own bitmap (WindowFrame), and the pointer and
// keys on it go to the operator's hand. The SDL headers give the types only;
// every function is resolved by name from the loaded library.
#include "winplat/display.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "controls_internal.h"
#include "winplat/code_page.h"
#include "winplat/controls/form.h"
#include "winplat/controls/hand.h"
#include "winplat/messages.h"
#include "winplat/screen.h"
#include "winplat/window.h"

#if FIELDRAY_WINDOW
#include <SDL2/SDL.h>
#endif

namespace winplat {

#if FIELDRAY_WINDOW
namespace {

namespace hand = controls::hand;
using Clock = std::chrono::steady_clock;

constexpr const char* kLibrary = "libSDL2-2.0.so.0";
constexpr auto kFramePeriod = std::chrono::microseconds(16667);    // 60 a second
constexpr auto kPicturePeriod = std::chrono::microseconds(33334);  // 30 a second

// The library's functions used here, resolved once.
struct Sdl {
  void* library = nullptr;
#define FR_SDL_FUNCTIONS(X)                                                                                      \
  X(SDL_Init) X(SDL_Quit) X(SDL_GetError) X(SDL_SetHint) X(SDL_CreateWindow) X(SDL_DestroyWindow)               \
  X(SDL_GetWindowID) X(SDL_SetWindowTitle) X(SDL_SetWindowPosition) X(SDL_SetWindowSize)                        \
  X(SDL_GetWindowSurface) X(SDL_UpdateWindowSurface) X(SDL_CreateRGBSurfaceWithFormatFrom) X(SDL_FreeSurface)   \
  X(SDL_SetSurfaceBlendMode) X(SDL_UpperBlit) X(SDL_PollEvent) X(SDL_GetModState) X(SDL_GetDesktopDisplayMode) \
  X(SDL_CreateSystemCursor) X(SDL_SetCursor) X(SDL_FreeCursor) X(SDL_RaiseWindow) X(SDL_GetMouseFocus)         \
  X(SDL_GetMouseState) X(SDL_StartTextInput) X(SDL_GetCurrentVideoDriver)
#define FR_SDL_MEMBER(name) decltype(&::name) name = nullptr;
  FR_SDL_FUNCTIONS(FR_SDL_MEMBER)
#undef FR_SDL_MEMBER
  decltype(&::SDL_SetWindowAlwaysOnTop) SDL_SetWindowAlwaysOnTop = nullptr;  // newer libraries only
};

// One window on the screen.
struct Shown {
  SDL_Window* window = nullptr;
  std::uint32_t id = 0;
  std::string title;
  int width = 0, height = 0;      // client pixels shown
  POINT placed{0, 0};             // where the client area was put on the screen
  bool topmost = false;
  bool stale = true;              // to be drawn again even when the picture is the same
  std::vector<COLORREF> last;     // the picture shown
  std::uint64_t taken = 0;        // the pixel count its frame was read at
  // A picture window of its own (the projection viewer).
  PictureWindow picture;
  Clock::time_point checked{};
};

struct Display {
  Sdl sdl;
  bool open = false;
  std::map<HWND, Shown> windows;   // the window layer's windows
  std::map<int, Shown> pictures;   // picture windows by number
  int nextPicture = 1;
  Clock::time_point lastFrame{};
  bool framing = false;  // following the windows and taking frames (a paint handler may pump)
  int pointer = -1;
  SDL_Cursor* cursor = nullptr;
  HWND activeForm = 0;
  // The X server's bell (Wayland has none): its own connection, opened at the first beep.
  void* x11 = nullptr;
  void* bellDisplay = nullptr;
  int (*XBell)(void*, int) = nullptr;
  int (*XFlush)(void*) = nullptr;
  int (*XCloseDisplay)(void*) = nullptr;
};

Display& D() {
  static Display screen;
  return screen;
}

bool Load(Sdl& sdl, std::string* reason) {
  sdl.library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
  if (!sdl.library) {
    const char* why = dlerror();
    *reason = std::string("cannot load ") + kLibrary + (why ? std::string(" (") + why + ")" : std::string());
    return false;
  }
  bool complete = true;
#define FR_SDL_RESOLVE(name)                                                          \
  sdl.name = reinterpret_cast<decltype(sdl.name)>(dlsym(sdl.library, #name));        \
  if (!sdl.name) {                                                                    \
    complete = false;                                                                 \
    *reason = std::string(kLibrary) + " has no " #name;                               \
  }
  FR_SDL_FUNCTIONS(FR_SDL_RESOLVE)
#undef FR_SDL_RESOLVE
  sdl.SDL_SetWindowAlwaysOnTop =
      reinterpret_cast<decltype(sdl.SDL_SetWindowAlwaysOnTop)>(dlsym(sdl.library, "SDL_SetWindowAlwaysOnTop"));
  // The library stays loaded for the process's life (the display's own
  // threads and handlers may outlive a close).
  return complete;
}

void Present(Shown& s, const Picture& picture) {
  Sdl& sdl = D().sdl;
  if (picture.width <= 0 || picture.height <= 0) return;
  if (!s.stale && picture.pixels == s.last) return;
  SDL_Surface* target = sdl.SDL_GetWindowSurface(s.window);
  if (!target) return;
  // COLORREF is 0x00BBGGRR: the bytes R, G, B, unused.
  SDL_Surface* source = sdl.SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<COLORREF*>(picture.pixels.data()), picture.width, picture.height, 32, picture.width * 4,
      SDL_PIXELFORMAT_XBGR8888);
  if (!source) return;
  sdl.SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
  sdl.SDL_UpperBlit(source, nullptr, target, nullptr);
  sdl.SDL_FreeSurface(source);
  sdl.SDL_UpdateWindowSurface(s.window);
  s.last = picture.pixels;
  s.stale = false;
}

SDL_Window* NewWindow(const std::string& title, POINT at, int width, int height, bool resizable) {
  Sdl& sdl = D().sdl;
  Uint32 flags = SDL_WINDOW_SHOWN | (resizable ? static_cast<Uint32>(SDL_WINDOW_RESIZABLE) : 0u);
  return sdl.SDL_CreateWindow(Utf8FromCodePage(title).c_str(), at.x, at.y, std::max(1, width), std::max(1, height),
                              flags);
}

// Where a top-level window's client area lies on the screen.
POINT ClientPlace(HWND hwnd) {
  POINT p{0, 0};
  ClientToScreen(hwnd, &p);
  return p;
}

// The screen follows the window layer: windows shown, moved, retitled, sized, gone.
void Follow() {
  Display& screen = D();
  Sdl& sdl = screen.sdl;
  std::vector<HWND> wanted;
  for (HWND hwnd : WindowZOrder(0)) {
    RECT client;
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd) || !GetClientRect(hwnd, &client)) continue;
    if (client.right <= 0 || client.bottom <= 0) continue;
    wanted.push_back(hwnd);
  }
  for (auto it = screen.windows.begin(); it != screen.windows.end();) {
    if (std::find(wanted.begin(), wanted.end(), it->first) == wanted.end()) {
      sdl.SDL_DestroyWindow(it->second.window);
      it = screen.windows.erase(it);
    } else {
      ++it;
    }
  }
  for (HWND hwnd : wanted) {
    RECT client;
    GetClientRect(hwnd, &client);
    POINT at = ClientPlace(hwnd);
    std::string title = GetWindowText(hwnd);
    bool topmost = IsTopmost(hwnd);
    auto found = screen.windows.find(hwnd);
    if (found == screen.windows.end()) {
      bool resizable = (GetWindowLongPtr(hwnd, GWL_STYLE) & WS_THICKFRAME) != 0;
      SDL_Window* window = NewWindow(title, at, client.right, client.bottom, resizable);
      if (!window) continue;
      Shown s;
      s.window = window;
      s.id = sdl.SDL_GetWindowID(window);
      s.title = title;
      s.width = client.right;
      s.height = client.bottom;
      s.placed = at;
      found = screen.windows.emplace(hwnd, std::move(s)).first;
      // A form shown has had its Activate already.
      if (dynamic_cast<controls::Form*>(controls::detail::ControlOf(hwnd))) screen.activeForm = hwnd;
      // A modal form stays above the windows it covers.
      if (auto* form = dynamic_cast<controls::Form*>(controls::detail::ControlOf(hwnd)); form && form->IsModal())
        sdl.SDL_RaiseWindow(window);
    }
    Shown& s = found->second;
    if (s.title != title) {
      sdl.SDL_SetWindowTitle(s.window, Utf8FromCodePage(title).c_str());
      s.title = title;
    }
    if (s.width != client.right || s.height != client.bottom) {
      sdl.SDL_SetWindowSize(s.window, client.right, client.bottom);
      s.width = client.right;
      s.height = client.bottom;
      s.stale = true;
    }
    if (s.placed.x != at.x || s.placed.y != at.y) {
      sdl.SDL_SetWindowPosition(s.window, at.x, at.y);
      s.placed = at;
    }
    if (s.topmost != topmost) {
      if (sdl.SDL_SetWindowAlwaysOnTop) sdl.SDL_SetWindowAlwaysOnTop(s.window, topmost ? SDL_TRUE : SDL_FALSE);
      if (topmost) sdl.SDL_RaiseWindow(s.window);
      s.topmost = topmost;
    }
  }
}

HWND WindowOf(std::uint32_t id) {
  for (auto& [hwnd, s] : D().windows)
    if (s.id == id) return hwnd;
  return 0;
}

Shown* PictureOf(std::uint32_t id, int* number) {
  for (auto& [n, s] : D().pictures)
    if (s.id == id) {
      *number = n;
      return &s;
    }
  return nullptr;
}

int ShiftState() {
  SDL_Keymod mod = D().sdl.SDL_GetModState();
  return ((mod & KMOD_SHIFT) ? controls::vbShiftMask : 0) | ((mod & KMOD_CTRL) ? controls::vbCtrlMask : 0) |
         ((mod & KMOD_ALT) ? controls::vbAltMask : 0);
}

int ButtonOf(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_RIGHT: return controls::vbRightButton;
    case SDL_BUTTON_MIDDLE: return controls::vbMiddleButton;
    default: return controls::vbLeftButton;
  }
}

int ButtonsHeld(Uint32 state) {
  return ((state & SDL_BUTTON_LMASK) ? controls::vbLeftButton : 0) |
         ((state & SDL_BUTTON_RMASK) ? controls::vbRightButton : 0) |
         ((state & SDL_BUTTON_MMASK) ? controls::vbMiddleButton : 0);
}

// The virtual key of a key on the keyboard (0: none the program knows).
int VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
  switch (key) {
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    default: return 0;
  }
}

// Switching between the program's forms: Deactivate on the one left, Activate on the one taken.
void Activated(HWND hwnd) {
  Display& screen = D();
  auto* form = dynamic_cast<controls::Form*>(controls::detail::ControlOf(hwnd));
  if (!form || screen.activeForm == hwnd) return;
  HWND before = screen.activeForm;
  screen.activeForm = hwnd;
  if (auto* old = dynamic_cast<controls::Form*>(controls::detail::ControlOf(before)); old && old->Visible())
    old->Deactivate.Fire(*old, "Deactivate");
  form->Activate.Fire(*form, "Activate");
}

// The operator moved or sized a window: the window (its form) follows.
void Placed(HWND hwnd, Shown& s, int x, int y, int width, int height) {
  RECT outer;
  if (!GetWindowRect(hwnd, &outer)) return;
  POINT origin = ClientPlace(hwnd);
  int left = outer.left + (x - origin.x), top = outer.top + (y - origin.y);
  int w = outer.right - outer.left + (width - s.width), h = outer.bottom - outer.top + (height - s.height);
  s.placed = POINT{x, y};
  s.width = width;
  s.height = height;
  if (auto* form = dynamic_cast<controls::Form*>(controls::detail::ControlOf(hwnd))) {
    form->Move(static_cast<int>(PixelsToTwips(left)), static_cast<int>(PixelsToTwips(top)), form->Width(),
               form->Height());
    return;
  }
  MoveWindow(hwnd, left, top, w, h, true);
  s.stale = true;
}

void WindowEvent(const SDL_WindowEvent& e) {
  int number = 0;
  if (Shown* picture = PictureOf(e.windowID, &number)) {
    if (e.event == SDL_WINDOWEVENT_CLOSE && picture->picture.closed) picture->picture.closed();
    else if (e.event == SDL_WINDOWEVENT_EXPOSED) picture->stale = true;
    return;
  }
  HWND hwnd = WindowOf(e.windowID);
  if (!hwnd) return;
  Shown& s = D().windows[hwnd];
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
      hand::CloseBox(hwnd);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      s.stale = true;
      break;
    case SDL_WINDOWEVENT_MOVED:
      if (e.data1 != s.placed.x || e.data2 != s.placed.y) Placed(hwnd, s, e.data1, e.data2, s.width, s.height);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (e.data1 != s.width || e.data2 != s.height) Placed(hwnd, s, s.placed.x, s.placed.y, e.data1, e.data2);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      Activated(hwnd);
      break;
    case SDL_WINDOWEVENT_LEAVE:
      break;
    default:
      break;
  }
}

void Dispatch(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT:
      WindowEvent(e.window);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (HWND hwnd = WindowOf(e.button.windowID))
        hand::Mouse(hwnd, e.type == SDL_MOUSEBUTTONDOWN ? hand::MouseAction::Down : hand::MouseAction::Up, e.button.x,
                    e.button.y, ButtonOf(e.button.button), ShiftState(), e.button.clicks);
      break;
    case SDL_MOUSEMOTION:
      if (HWND hwnd = WindowOf(e.motion.windowID))
        hand::Mouse(hwnd, hand::MouseAction::Move, e.motion.x, e.motion.y, ButtonsHeld(e.motion.state), ShiftState());
      break;
    case SDL_MOUSEWHEEL:
      if (HWND hwnd = WindowOf(e.wheel.windowID)) {
        int x = 0, y = 0;
        D().sdl.SDL_GetMouseState(&x, &y);
        hand::Wheel(hwnd, x, y, e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y);
      }
      break;
    case SDL_KEYDOWN:
      if (HWND hwnd = WindowOf(e.key.windowID))
        if (int key = VirtualKey(e.key.keysym.sym)) hand::Key(hwnd, key, ShiftState());
      break;
    case SDL_TEXTINPUT:
      if (HWND hwnd = WindowOf(e.text.windowID))
        for (char ch : CodePageFromUtf8(e.text.text)) hand::Character(hwnd, static_cast<unsigned char>(ch));
      break;
    default:
      break;
  }
}

// The pointer's shape over the window it is on.
void FollowPointer() {
  Display& screen = D();
  Sdl& sdl = screen.sdl;
  SDL_Window* focus = sdl.SDL_GetMouseFocus();
  int shape = MousePointer() == vbHourglass ? vbHourglass : vbArrow;
  if (focus) {
    int x = 0, y = 0;
    sdl.SDL_GetMouseState(&x, &y);
    if (HWND hwnd = WindowOf(sdl.SDL_GetWindowID(focus))) shape = hand::PointerAt(hwnd, x, y);
  }
  if (shape == screen.pointer) return;
  SDL_SystemCursor id = shape == vbHourglass          ? SDL_SYSTEM_CURSOR_WAIT
                        : shape == hand::vbIBeam      ? SDL_SYSTEM_CURSOR_IBEAM
                                                      : SDL_SYSTEM_CURSOR_ARROW;
  SDL_Cursor* cursor = sdl.SDL_CreateSystemCursor(id);
  if (!cursor) return;
  sdl.SDL_SetCursor(cursor);
  if (screen.cursor) sdl.SDL_FreeCursor(screen.cursor);
  screen.cursor = cursor;
  screen.pointer = shape;
}

// A frame only of the windows with something new (or to be drawn again).
void Frames() {
  for (auto& [hwnd, s] : D().windows)
    if (s.stale || FrameChangedSince(hwnd, s.taken)) Present(s, WindowFrame(hwnd, &s.taken));
}

void PictureFrames() {
  auto now = Clock::now();
  for (auto& [number, s] : D().pictures) {
    if (now - s.checked < kPicturePeriod && !s.stale) continue;
    s.checked = now;
    if (s.stale || (s.picture.changed && s.picture.changed())) {
      s.stale = true;
      if (s.picture.draw) Present(s, s.picture.draw());
    }
  }
}

// Events first, each dispatched on its own (a handler may pump again and take
// the next ones); then, at most 60 times a second, the windows and frames.
void PumpNow() {
  Display& screen = D();
  if (!screen.open || screen.framing) return;
  auto now = Clock::now();
  if (now - screen.lastFrame < kFramePeriod) return;
  screen.lastFrame = now;
  SDL_Event e;
  while (screen.open && screen.sdl.SDL_PollEvent(&e)) Dispatch(e);
  if (!screen.open || screen.framing) return;
  screen.framing = true;
  Follow();
  Frames();
  PictureFrames();
  FollowPointer();
  screen.framing = false;
}

}  // namespace

bool OpenDisplay(std::string* reason) {
  Display& screen = D();
  if (screen.open) return true;
  std::string why;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) {
    if (reason) *reason = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return false;
  }
  if (!screen.sdl.library && !Load(screen.sdl, &why)) {
    if (reason) *reason = why;
    return false;
  }
  Sdl& sdl = screen.sdl;
  sdl.SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  sdl.SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  sdl.SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  sdl.SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  sdl.SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // A real display only: never the library's off-screen or dummy stand-ins.
  bool hasX11 = x11 && *x11, hasWayland = wayland && *wayland;
  sdl.SDL_SetHint(SDL_HINT_VIDEODRIVER, hasWayland && hasX11 ? "wayland,x11" : hasWayland ? "wayland" : "x11");
  if (sdl.SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::string which = hasX11 ? std::string("\"") + x11 + "\"" : std::string("\"") + wayland + "\"";
    if (reason) *reason = "cannot open the display " + which + " (" + sdl.SDL_GetError() + ")";
    return false;
  }
  const char* driver = sdl.SDL_GetCurrentVideoDriver();
  std::string name = driver ? driver : "";
  if (name != "x11" && name != "wayland") {
    if (reason) *reason = "no X11 or Wayland display answered (the display library chose \"" + name + "\")";
    sdl.SDL_Quit();
    return false;
  }
  sdl.SDL_StartTextInput();
  // Dialogs are fitted to the real screen; one form pixel is one screen pixel.
  SDL_DisplayMode mode;
  if (sdl.SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    ScreenMetrics metrics = Screen();
    metrics.width = mode.w;
    metrics.height = mode.h;
    SetScreen(metrics);
  }
  screen.open = true;
  SetDisplayPump(PumpNow);
  return true;
}

bool DisplayOpen() { return D().open; }

void RingDisplayBell() {
  Display& screen = D();
  if (!screen.open || std::string(screen.sdl.SDL_GetCurrentVideoDriver()) != "x11") return;
  if (!screen.bellDisplay) {
    if (!screen.x11) screen.x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!screen.x11) return;
    auto open = reinterpret_cast<void* (*)(const char*)>(dlsym(screen.x11, "XOpenDisplay"));
    screen.XBell = reinterpret_cast<int (*)(void*, int)>(dlsym(screen.x11, "XBell"));
    screen.XFlush = reinterpret_cast<int (*)(void*)>(dlsym(screen.x11, "XFlush"));
    screen.XCloseDisplay = reinterpret_cast<int (*)(void*)>(dlsym(screen.x11, "XCloseDisplay"));
    if (!open || !screen.XBell || !screen.XFlush || !screen.XCloseDisplay) return;
    screen.bellDisplay = open(nullptr);
    if (!screen.bellDisplay) return;
  }
  screen.XBell(screen.bellDisplay, 0);
  screen.XFlush(screen.bellDisplay);
}

void CloseDisplay() {
  Display& screen = D();
  if (!screen.open) return;
  if (screen.bellDisplay) screen.XCloseDisplay(screen.bellDisplay);
  screen.bellDisplay = nullptr;
  SetDisplayPump(nullptr);
  for (auto& [hwnd, s] : screen.windows) screen.sdl.SDL_DestroyWindow(s.window);
  for (auto& [n, s] : screen.pictures) screen.sdl.SDL_DestroyWindow(s.window);
  screen.windows.clear();
  screen.pictures.clear();
  if (screen.cursor) screen.sdl.SDL_FreeCursor(screen.cursor);
  screen.cursor = nullptr;
  screen.pointer = -1;
  screen.activeForm = 0;
  screen.open = false;
  screen.sdl.SDL_Quit();
}

int ShowPictureWindow(PictureWindow window) {
  Display& screen = D();
  if (!screen.open) return 0;
  SDL_Window* w = NewWindow(window.title, POINT{SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED}, window.width,
                            window.height, false);
  if (!w) return 0;
  Shown s;
  s.window = w;
  s.id = screen.sdl.SDL_GetWindowID(w);
  s.title = window.title;
  s.width = window.width;
  s.height = window.height;
  s.picture = std::move(window);
  int number = screen.nextPicture++;
  screen.pictures.emplace(number, std::move(s));
  return number;
}

void RunPictureWindows(const std::function<bool()>& running) {
  Display& screen = D();
  while (screen.open && running()) {
    SDL_Event e;
    while (screen.open && screen.sdl.SDL_PollEvent(&e)) Dispatch(e);
    PictureFrames();
    struct timespec nap{0, 5'000'000};
    nanosleep(&nap, nullptr);
  }
}

#else  // built without windows

bool OpenDisplay(std::string* reason) {
  if (reason) *reason = "this build has no display support";
  return false;
}
bool DisplayOpen() { return false; }
void CloseDisplay() {}
void RingDisplayBell() {}
int ShowPictureWindow(PictureWindow) { return 0; }
void RunPictureWindows(const std::function<bool()>&) {}

#endif

}  // namespace winplat
