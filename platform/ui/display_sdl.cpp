// The screen's driver on SDL2, loaded with dlopen when a program first asks
// for a display: windows made, moved and shown their pictures, and the
// display's events turned into the screen's (platform/ui/screen/driver.h). The
// SDL headers give the types only; every function is resolved by name from the
// loaded library.
#include "winplat/display.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "screen/screen.h"
#include "winplat/code_page.h"
#include "winplat/controls/form.h"
#include "winplat/messages.h"

#if FIELDRAY_WINDOW
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#endif

namespace winplat {

#if FIELDRAY_WINDOW
namespace {

using screen::Event;
using screen::WindowId;

constexpr const char* kLibrary = "libSDL2-2.0.so.0";

// The library's functions used here, resolved once.
struct Sdl {
  void* library = nullptr;
#define FR_SDL_FUNCTIONS(X)                                                                                      \
  X(SDL_Init) X(SDL_Quit) X(SDL_GetError) X(SDL_SetHint) X(SDL_CreateWindow) X(SDL_DestroyWindow)               \
  X(SDL_GetWindowID) X(SDL_GetWindowFromID) X(SDL_SetWindowTitle) X(SDL_SetWindowPosition) X(SDL_SetWindowSize) \
  X(SDL_GetWindowSurface) X(SDL_UpdateWindowSurface) X(SDL_CreateRGBSurfaceWithFormatFrom) X(SDL_FreeSurface)   \
  X(SDL_SetSurfaceBlendMode) X(SDL_UpperBlit) X(SDL_PollEvent) X(SDL_WaitEventTimeout) X(SDL_GetModState)       \
  X(SDL_GetDesktopDisplayMode) X(SDL_CreateSystemCursor) X(SDL_SetCursor) X(SDL_FreeCursor) X(SDL_RaiseWindow)  \
  X(SDL_GetMouseState) X(SDL_StartTextInput) X(SDL_GetCurrentVideoDriver) X(SDL_GetWindowWMInfo)               \
  X(SDL_GetWindowBordersSize) X(SDL_EventState)
#define FR_SDL_MEMBER(name) decltype(&::name) name = nullptr;
  FR_SDL_FUNCTIONS(FR_SDL_MEMBER)
#undef FR_SDL_MEMBER
  decltype(&::SDL_SetWindowAlwaysOnTop) SDL_SetWindowAlwaysOnTop = nullptr;  // newer libraries only
};

struct SdlDisplay {
  Sdl sdl;
  bool x11 = false;
  SDL_Cursor* cursor = nullptr;
  int connection = -1;  // the X server connection's descriptor
  WindowId nextId = 1;  // above every window number made
  // The X library SDL uses: the connection's descriptor, its end, and the bell.
  void* xlib = nullptr;
  int (*XConnectionNumber)(void*) = nullptr;
  // A window's place as the X server has it: its X window under the root.
  decltype(&::XTranslateCoordinates) XTranslateCoordinates = nullptr;
  decltype(&::XDefaultRootWindow) XDefaultRootWindow = nullptr;
  void* bellDisplay = nullptr;
  int (*XBell)(void*, int) = nullptr;
  int (*XFlush)(void*) = nullptr;
  int (*XCloseDisplay)(void*) = nullptr;
};

SdlDisplay& D() {
  static SdlDisplay display;
  return display;
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

void LearnDescriptor(SDL_Window* window);

SDL_Window* WindowOf(WindowId id) { return id ? D().sdl.SDL_GetWindowFromID(id) : nullptr; }

// The frame the window system put round a window (nothing without a window manager).
void Borders(SDL_Window* window, int* top, int* left) {
  *top = *left = 0;
  int bottom = 0, right = 0;
  if (D().sdl.SDL_GetWindowBordersSize(window, top, left, &bottom, &right) != 0) *top = *left = 0;
}

WindowId Create(const std::string& title, int x, int y, int width, int height, bool resizable) {
  Sdl& sdl = D().sdl;
  Uint32 flags = SDL_WINDOW_SHOWN | (resizable ? static_cast<Uint32>(SDL_WINDOW_RESIZABLE) : 0u);
  if (x == screen::kAnywhere || y == screen::kAnywhere) x = y = static_cast<int>(SDL_WINDOWPOS_UNDEFINED);
  SDL_Window* window = sdl.SDL_CreateWindow(Utf8FromCodePage(title).c_str(), x, y, std::max(1, width),
                                            std::max(1, height), flags);
  if (!window) return 0;
  LearnDescriptor(window);
  WindowId id = sdl.SDL_GetWindowID(window);
  D().nextId = std::max(D().nextId, id + 1);
  return id;
}

bool Present(WindowId id, const Picture& picture) {
  Sdl& sdl = D().sdl;
  SDL_Window* window = WindowOf(id);
  SDL_Surface* target = window ? sdl.SDL_GetWindowSurface(window) : nullptr;
  if (!target) return false;
  // COLORREF is 0x00BBGGRR: the bytes R, G, B, unused.
  SDL_Surface* source = sdl.SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<COLORREF*>(picture.pixels.data()), picture.width, picture.height, 32, picture.width * 4,
      SDL_PIXELFORMAT_XBGR8888);
  if (!source) return false;
  sdl.SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
  sdl.SDL_UpperBlit(source, nullptr, target, nullptr);
  sdl.SDL_FreeSurface(source);
  sdl.SDL_UpdateWindowSurface(window);
  return true;
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

// A window's place after the X server configured it (false: not one of ours, or not a move).
bool PlaceFromServer(const SDL_Event& e, Event* ev) {
  SdlDisplay& display = D();
  if (!e.syswm.msg || e.syswm.msg->subsystem != SDL_SYSWM_X11 || !display.XTranslateCoordinates ||
      !display.XDefaultRootWindow)
    return false;
  const XEvent& x = e.syswm.msg->msg.x11.event;
  if (x.type != ConfigureNotify) return false;
  for (WindowId id = 1; id < display.nextId; ++id) {
    SDL_Window* window = WindowOf(id);
    if (!window) continue;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (display.sdl.SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11 ||
        info.info.x11.window != x.xconfigure.window)
      continue;
    ::Window child = 0;
    int rootX = 0, rootY = 0;
    if (!display.XTranslateCoordinates(x.xconfigure.display, x.xconfigure.window,
                                       display.XDefaultRootWindow(x.xconfigure.display), 0, 0, &rootX, &rootY, &child))
      return false;
    int top = 0, left = 0;
    Borders(window, &top, &left);
    ev->kind = Event::Kind::Moved;
    ev->window = id;
    ev->x = rootX - left;
    ev->y = rootY - top;
    return true;
  }
  return false;
}

// One of the library's events as the screen's (false: none the screen takes).
bool Translate(const SDL_Event& e, Event* out) {
  Event ev;
  switch (e.type) {
    case SDL_WINDOWEVENT:
      ev.window = e.window.windowID;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: ev.kind = Event::Kind::Close; break;
        case SDL_WINDOWEVENT_EXPOSED: ev.kind = Event::Kind::Exposed; break;
        case SDL_WINDOWEVENT_MOVED: {
          // The client area's place, less the frame round it: the window's top-left.
          int top = 0, left = 0;
          if (SDL_Window* window = WindowOf(ev.window)) Borders(window, &top, &left);
          ev.kind = Event::Kind::Moved;
          ev.x = e.window.data1 - left;
          ev.y = e.window.data2 - top;
          break;
        }
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          ev.kind = Event::Kind::Resized;
          ev.x = e.window.data1;
          ev.y = e.window.data2;
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: ev.kind = Event::Kind::Focus; break;
        case SDL_WINDOWEVENT_LEAVE: ev.kind = Event::Kind::Leave; break;
        default: return false;
      }
      break;
    case SDL_SYSWMEVENT:
      // The library drops a window's first move when it goes to the screen's
      // corner (0, 0): the X server's own word on a window's place is taken too.
      if (!PlaceFromServer(e, &ev)) return false;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      ev.kind = e.type == SDL_MOUSEBUTTONDOWN ? Event::Kind::MouseDown : Event::Kind::MouseUp;
      ev.window = e.button.windowID;
      ev.x = e.button.x;
      ev.y = e.button.y;
      ev.button = ButtonOf(e.button.button);
      ev.shift = ShiftState();
      ev.clicks = e.button.clicks;
      break;
    case SDL_MOUSEMOTION:
      ev.kind = Event::Kind::MouseMove;
      ev.window = e.motion.windowID;
      ev.x = e.motion.x;
      ev.y = e.motion.y;
      ev.button = ButtonsHeld(e.motion.state);
      ev.shift = ShiftState();
      break;
    case SDL_MOUSEWHEEL:
      ev.kind = Event::Kind::Wheel;
      ev.window = e.wheel.windowID;
      D().sdl.SDL_GetMouseState(&ev.x, &ev.y);
      ev.steps = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      break;
    case SDL_KEYDOWN:
      ev.kind = Event::Kind::Key;
      ev.window = e.key.windowID;
      ev.key = VirtualKey(e.key.keysym.sym);
      ev.shift = ShiftState();
      if (!ev.key) return false;
      break;
    case SDL_TEXTINPUT:
      ev.kind = Event::Kind::Text;
      ev.window = e.text.windowID;
      ev.text = CodePageFromUtf8(e.text.text);
      break;
    default:
      return false;
  }
  *out = std::move(ev);
  return true;
}

// The next event the screen takes, waiting up to `timeoutMs` for the first.
bool Poll(Event* out, int timeoutMs) {
  Sdl& sdl = D().sdl;
  SDL_Event e;
  while (timeoutMs > 0 ? sdl.SDL_WaitEventTimeout(&e, timeoutMs) : sdl.SDL_PollEvent(&e)) {
    if (Translate(e, out)) return true;
    timeoutMs = 0;  // one came: the rest are taken without waiting
  }
  return false;
}

void SetPointer(screen::Pointer shape) {
  SdlDisplay& display = D();
  Sdl& sdl = display.sdl;
  SDL_SystemCursor id = shape == screen::Pointer::Hourglass ? SDL_SYSTEM_CURSOR_WAIT
                        : shape == screen::Pointer::IBeam   ? SDL_SYSTEM_CURSOR_IBEAM
                                                            : SDL_SYSTEM_CURSOR_ARROW;
  SDL_Cursor* cursor = sdl.SDL_CreateSystemCursor(id);
  if (!cursor) return;
  sdl.SDL_SetCursor(cursor);
  if (display.cursor) sdl.SDL_FreeCursor(display.cursor);
  display.cursor = cursor;
}

// The X library SDL loaded (the same one by its name), opened once.
void* Xlib() {
  SdlDisplay& display = D();
  if (!display.xlib) display.xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  return display.xlib;
}

// The X server's connection ended under the program (the server stopped):
// the X library would end the process at once; the screen ends it its way.
int ConnectionLost(void*) { screen::Lost(); }

// The X connection's descriptor, learnt from the first window made.
void LearnDescriptor(SDL_Window* window) {
  SdlDisplay& display = D();
  if (display.connection >= 0 || !display.x11 || !display.XConnectionNumber) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (display.sdl.SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  display.connection = display.XConnectionNumber(info.info.x11.display);
}

void Bell() {
  SdlDisplay& display = D();
  if (!display.x11) return;
  if (!display.bellDisplay) {
    void* x11 = Xlib();
    if (!x11) return;
    auto open = reinterpret_cast<void* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
    display.XBell = reinterpret_cast<int (*)(void*, int)>(dlsym(x11, "XBell"));
    display.XFlush = reinterpret_cast<int (*)(void*)>(dlsym(x11, "XFlush"));
    display.XCloseDisplay = reinterpret_cast<int (*)(void*)>(dlsym(x11, "XCloseDisplay"));
    if (!open || !display.XBell || !display.XFlush || !display.XCloseDisplay) return;
    display.bellDisplay = open(nullptr);
    if (!display.bellDisplay) return;
  }
  display.XBell(display.bellDisplay, 0);
  display.XFlush(display.bellDisplay);
}

void Closed() {
  SdlDisplay& display = D();
  if (display.bellDisplay) display.XCloseDisplay(display.bellDisplay);
  display.bellDisplay = nullptr;
  if (display.cursor) display.sdl.SDL_FreeCursor(display.cursor);
  display.cursor = nullptr;
  display.connection = -1;
  display.sdl.SDL_Quit();
}

}  // namespace

bool OpenDisplay(std::string* reason) {
  if (DisplayOpen()) return true;
  SdlDisplay& display = D();
  std::string why;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) {
    if (reason) *reason = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return false;
  }
  if (!display.sdl.library && !Load(display.sdl, &why)) {
    if (reason) *reason = why;
    return false;
  }
  Sdl& sdl = display.sdl;
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
  const char* driverName = sdl.SDL_GetCurrentVideoDriver();
  std::string name = driverName ? driverName : "";
  if (name != "x11" && name != "wayland") {
    if (reason) *reason = "no X11 or Wayland display answered (the display library chose \"" + name + "\")";
    sdl.SDL_Quit();
    return false;
  }
  display.x11 = name == "x11";
  if (display.x11) {
    // A server gone mid-run ends the program through the screen, not the X library's exit.
    if (void* xlib = Xlib()) {
      display.XConnectionNumber = reinterpret_cast<int (*)(void*)>(dlsym(xlib, "XConnectionNumber"));
      display.XTranslateCoordinates =
          reinterpret_cast<decltype(display.XTranslateCoordinates)>(dlsym(xlib, "XTranslateCoordinates"));
      display.XDefaultRootWindow =
          reinterpret_cast<decltype(display.XDefaultRootWindow)>(dlsym(xlib, "XDefaultRootWindow"));
      sdl.SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
      using IOHandler = int (*)(void*);
      if (auto set = reinterpret_cast<IOHandler (*)(IOHandler)>(dlsym(xlib, "XSetIOErrorHandler")))
        set(&ConnectionLost);
    }
  }
  sdl.SDL_StartTextInput();
  screen::Driver driver;
  driver.name = display.x11 ? x11 : wayland;
  SDL_DisplayMode mode;
  if (sdl.SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    driver.width = mode.w;
    driver.height = mode.h;
  }
  driver.create = Create;
  driver.destroy = [](WindowId id) {
    if (SDL_Window* window = WindowOf(id)) D().sdl.SDL_DestroyWindow(window);
  };
  driver.title = [](WindowId id, const std::string& title) {
    if (SDL_Window* window = WindowOf(id)) D().sdl.SDL_SetWindowTitle(window, Utf8FromCodePage(title).c_str());
  };
  driver.move = [](WindowId id, int x, int y) {
    // The library places the client area; the place given is the window's
    // top-left, so the frame round it is added (as Translate takes it off).
    SDL_Window* window = WindowOf(id);
    if (!window) return;
    int top = 0, left = 0;
    Borders(window, &top, &left);
    D().sdl.SDL_SetWindowPosition(window, x + left, y + top);
  };
  driver.size = [](WindowId id, int width, int height) {
    if (SDL_Window* window = WindowOf(id)) D().sdl.SDL_SetWindowSize(window, width, height);
  };
  driver.present = Present;
  driver.poll = Poll;
  driver.raise = [](WindowId id) {
    if (SDL_Window* window = WindowOf(id)) D().sdl.SDL_RaiseWindow(window);
  };
  driver.keepAbove = [](WindowId id, bool above) {
    SDL_Window* window = WindowOf(id);
    if (window && D().sdl.SDL_SetWindowAlwaysOnTop) D().sdl.SDL_SetWindowAlwaysOnTop(window, above ? SDL_TRUE : SDL_FALSE);
  };
  driver.pointer = SetPointer;
  driver.descriptor = [] { return D().connection; };
  driver.bell = Bell;
  driver.close = Closed;
  return screen::Open(std::move(driver));
}

#else  // built without windows

bool OpenDisplay(std::string* reason) {
  if (reason) *reason = "this build has no display support";
  return false;
}

#endif

}  // namespace winplat
