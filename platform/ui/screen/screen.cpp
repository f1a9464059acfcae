// The screen's logic, whatever the display: each visible top-level window of
// the window layer becomes a window of the driver showing the window's own
// bitmap (WindowFrame), placed where the form says; the driver's events go to
// the operator's hand. Frames are taken at most 60 times a second and only of
// windows whose pixels changed; idle, the program sleeps in WaitForEvents.
#include "screen.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

#include "../controls_internal.h"
#include "winplat/controls/form.h"
#include "winplat/controls/geometry.h"
#include "winplat/controls/hand.h"
#include "winplat/controls/lists.h"
#include "winplat/display.h"
#include "winplat/endprogram.h"
#include "winplat/files.h"
#include "winplat/msgbox.h"
#include "winplat/painting.h"
#include "winplat/paths.h"
#include "winplat/screen.h"
#include "winplat/window.h"

namespace winplat {
namespace screen {
namespace {

namespace hand = controls::hand;
using Clock = std::chrono::steady_clock;

constexpr auto kFramePeriod = std::chrono::microseconds(16667);    // 60 a second
constexpr auto kPicturePeriod = std::chrono::microseconds(33334);  // 30 a second
constexpr int kLongestSleepMs = 1000;  // a sleeping loop still looks round once a second

// One window on the screen.
struct Shown {
  WindowId id = 0;
  std::string title;
  int width = 0, height = 0;  // client pixels shown
  POINT placed{0, 0};         // where the window was put on the screen
  bool topmost = false;
  bool stale = true;           // to be drawn again even when the picture is the same
  std::vector<COLORREF> last;  // the picture shown
  std::uint64_t taken = 0;     // the pixel count its frame was read at
  PictureWindow picture;       // a picture window of its own (the projection viewer)
  Clock::time_point checked{};
};

struct Screen {
  Driver driver;
  bool open = false;
  bool lost = false;
  std::map<HWND, Shown> windows;  // the window layer's windows
  std::map<int, Shown> pictures;  // picture windows by number
  int nextPicture = 1;
  Clock::time_point lastFrame{};
  bool framing = false;  // following the windows and taking frames (a paint handler may pump)
  // What was painted when the frames were last looked at.
  std::uint64_t seenPixels = ~0ull, seenUpdates = ~0ull;
  // The pointer, as its events told it.
  WindowId pointerWindow = 0;
  int pointerX = 0, pointerY = 0;
  bool pointerMoved = false;
  bool hourglass = false;
  int shape = -1;
  HWND activeForm = 0;
  std::string layout;        // the layout file's text as last written
  bool wroteLayout = false;  // this process wrote the layout file (a viewer only reads it)
  bool layoutDue = true;     // a window came, went, moved or was sized since the layout was written
};

Screen& S() {
  static Screen screen;
  return screen;
}

std::function<void(const std::string&)>& LostHandler() {
  static std::function<void(const std::string&)> handler;
  return handler;
}

controls::Form* FormOf(HWND hwnd) { return dynamic_cast<controls::Form*>(controls::detail::ControlOf(hwnd)); }

// Where a top-level window shows on the screen: its top-left as the window
// system reports it is the window's own (no frame or caption of ours).
POINT ScreenPlace(HWND hwnd) {
  RECT outer{0, 0, 0, 0};
  GetWindowRect(hwnd, &outer);
  return POINT{outer.left, outer.top};
}

// The nearest place to `at` where a width x height window lies wholly on a
// screen of the given size (0, 0 when it is larger; `at` when the size is not known).
POINT OnScreen(POINT at, int width, int height, int screenWidth, int screenHeight) {
  if (screenWidth > 0) at.x = std::clamp(at.x, 0, std::max(0, screenWidth - width));
  if (screenHeight > 0) at.y = std::clamp(at.y, 0, std::max(0, screenHeight - height));
  return at;
}

// The controls the operator works, in the form's client pixels: containers
// (frames, tab pages) are not, what they hold is, and a tab strip's tabs.
std::vector<Rect> ControlPlaces(controls::Form& form) {
  std::vector<Rect> out;
  for (controls::Control* c : form.Controls()) {
    switch (c->Kind()) {
      case controls::ControlKind::Timer:
      case controls::ControlKind::CommonDialog:
      case controls::ControlKind::Line:
      case controls::ControlKind::Shape:
      case controls::ControlKind::Frame:
        continue;
      default:
        break;
    }
    if (!c->ShownOnScreen()) continue;
    if (c->Kind() == controls::ControlKind::TabStrip) {  // its tabs; the page holds controls of its own
      const controls::TabGeometry g =
          controls::TabLayout(static_cast<const controls::TabStrip&>(*c), controls::PlaceOnForm(*c));
      for (const controls::Box& t : g.tabs) out.push_back(Rect{t.x, t.y, t.Right(), t.Bottom()});
      continue;
    }
    const controls::Box b = controls::PlaceOnForm(*c);
    if (b.w > 0 && b.h > 0) out.push_back(Rect{b.x, b.y, b.Right(), b.Bottom()});
  }
  return out;
}

// The program's shown forms (modal ones aside) go to the layout file when they
// changed; a write that failed stays due.
void WriteLayout() {
  Screen& screen = S();
  std::vector<Layout> windows;
  for (auto& [hwnd, s] : screen.windows) {
    controls::Form* form = FormOf(hwnd);
    if (!form || form->IsModal()) continue;
    Layout l;
    l.window = Rect{s.placed.x, s.placed.y, s.placed.x + s.width, s.placed.y + s.height};
    for (Rect r : ControlPlaces(*form))
      l.controls.push_back(Rect{r.left + s.placed.x, r.top + s.placed.y, r.right + s.placed.x, r.bottom + s.placed.y});
    windows.push_back(std::move(l));
  }
  std::string text = LayoutText(windows);
  if (text == screen.layout) {
    screen.layoutDue = false;
    return;
  }
  std::error_code ec;
  const std::filesystem::path file = LayoutFile();
  std::filesystem::create_directories(file.parent_path(), ec);
  // Kept as written only once the file holds it: a failed write is tried again.
  ReplacingWriter out = ReplacingWriter::OpenHost(file);
  if (!out.IsOpen() || !out.Write(text) || !out.Commit()) return;
  screen.layout = std::move(text);
  screen.wroteLayout = true;
  screen.layoutDue = false;
}

// The screen follows the window layer: windows shown, moved, retitled, sized, gone.
void Follow() {
  Screen& screen = S();
  Driver& d = screen.driver;
  std::vector<HWND> wanted;
  for (HWND hwnd : WindowZOrder(0)) {
    RECT client;
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd) || !GetClientRect(hwnd, &client)) continue;
    if (client.right <= 0 || client.bottom <= 0) continue;
    wanted.push_back(hwnd);
  }
  for (auto it = screen.windows.begin(); it != screen.windows.end();) {
    if (std::find(wanted.begin(), wanted.end(), it->first) == wanted.end()) {
      d.destroy(it->second.id);
      if (screen.pointerWindow == it->second.id) screen.pointerWindow = 0;
      it = screen.windows.erase(it);
      screen.layoutDue = true;
    } else {
      ++it;
    }
  }
  for (HWND hwnd : wanted) {
    RECT client;
    GetClientRect(hwnd, &client);
    POINT at = ScreenPlace(hwnd);
    std::string title = GetWindowText(hwnd);
    bool topmost = IsTopmost(hwnd);
    auto found = screen.windows.find(hwnd);
    if (found == screen.windows.end()) {
      // A window shown partly off the screen is put wholly on it, as near its
      // place as may be; its form holds the place it was shown at.
      if (POINT on = OnScreen(at, client.right, client.bottom, d.width, d.height); on.x != at.x || on.y != at.y) {
        if (controls::Form* form = FormOf(hwnd))
          form->Move(static_cast<int>(PixelsToTwips(on.x)), static_cast<int>(PixelsToTwips(on.y)), form->Width(),
                     form->Height());
        else if (RECT outer; GetWindowRect(hwnd, &outer))
          MoveWindow(hwnd, on.x, on.y, outer.right - outer.left, outer.bottom - outer.top, false);
        at = ScreenPlace(hwnd);
      }
      bool resizable = (GetWindowLongPtr(hwnd, GWL_STYLE) & WS_THICKFRAME) != 0;
      WindowId id = d.create(title, at.x, at.y, client.right, client.bottom, resizable);
      if (!id) continue;
      Shown s;
      s.id = id;
      s.title = title;
      s.width = client.right;
      s.height = client.bottom;
      s.placed = at;
      found = screen.windows.emplace(hwnd, std::move(s)).first;
      screen.layoutDue = true;
      controls::Form* form = FormOf(hwnd);
      // A form shown has had its Activate already.
      if (form) screen.activeForm = hwnd;
      // A modal form stays above the windows it covers.
      if (form && form->IsModal() && d.raise) d.raise(id);
    }
    Shown& s = found->second;
    if (s.title != title) {
      d.title(s.id, title);
      s.title = title;
    }
    if (s.width != client.right || s.height != client.bottom) {
      d.size(s.id, client.right, client.bottom);
      s.width = client.right;
      s.height = client.bottom;
      s.stale = true;
      screen.layoutDue = true;
    }
    if (s.placed.x != at.x || s.placed.y != at.y) {
      d.move(s.id, at.x, at.y);
      s.placed = at;
      screen.layoutDue = true;
    }
    if (s.topmost != topmost) {
      if (d.keepAbove) d.keepAbove(s.id, topmost);
      if (topmost && d.raise) d.raise(s.id);
      s.topmost = topmost;
    }
  }
}

HWND WindowOf(WindowId id) {
  for (auto& [hwnd, s] : S().windows)
    if (s.id == id) return hwnd;
  return 0;
}

Shown* PictureOf(WindowId id) {
  for (auto& [n, s] : S().pictures)
    if (s.id == id) return &s;
  return nullptr;
}

void Present(Shown& s, const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return;
  if (!s.stale && picture.pixels == s.last) return;
  if (!S().driver.present(s.id, picture)) return;
  s.last = picture.pixels;
  s.stale = false;
}

// Switching between the program's forms: Deactivate on the one left, Activate on the one taken.
void Activated(HWND hwnd) {
  Screen& screen = S();
  controls::Form* form = FormOf(hwnd);
  if (!form || screen.activeForm == hwnd) return;
  HWND before = screen.activeForm;
  screen.activeForm = hwnd;
  if (controls::Form* old = FormOf(before); old && old->Visible()) old->Deactivate.Fire(*old, "Deactivate");
  form->Activate.Fire(*form, "Activate");
}

// The operator moved or sized a window: the window (its form) follows. The
// place the window system reports is the window's top-left.
void Placed(HWND hwnd, Shown& s, int x, int y, int width, int height) {
  RECT outer;
  if (!GetWindowRect(hwnd, &outer)) return;
  int w = outer.right - outer.left + (width - s.width), h = outer.bottom - outer.top + (height - s.height);
  s.placed = POINT{x, y};
  s.width = width;
  s.height = height;
  S().layoutDue = true;
  if (controls::Form* form = FormOf(hwnd)) {
    form->Move(static_cast<int>(PixelsToTwips(x)), static_cast<int>(PixelsToTwips(y)), form->Width(),
               form->Height());
    return;
  }
  MoveWindow(hwnd, x, y, w, h, true);
  s.stale = true;
}

void NotePointer(WindowId window, int x, int y) {
  Screen& screen = S();
  if (screen.pointerWindow == window && screen.pointerX == x && screen.pointerY == y) return;
  screen.pointerWindow = window;
  screen.pointerX = x;
  screen.pointerY = y;
  screen.pointerMoved = true;
}

void Dispatch(const Event& e) {
  Screen& screen = S();
  if (Shown* picture = PictureOf(e.window)) {
    if (e.kind == Event::Kind::Close && picture->picture.closed) picture->picture.closed();
    else if (e.kind == Event::Kind::Exposed) picture->stale = true;
    return;
  }
  if (e.kind == Event::Kind::Leave) {
    if (screen.pointerWindow == e.window) NotePointer(0, 0, 0);
    return;
  }
  HWND hwnd = WindowOf(e.window);
  if (!hwnd) return;
  Shown& s = screen.windows[hwnd];
  switch (e.kind) {
    case Event::Kind::Close:
      hand::CloseBox(hwnd);
      break;
    case Event::Kind::Exposed:
      s.stale = true;
      break;
    case Event::Kind::Moved:
      if (e.x != s.placed.x || e.y != s.placed.y) Placed(hwnd, s, e.x, e.y, s.width, s.height);
      break;
    case Event::Kind::Resized:
      if (e.x != s.width || e.y != s.height) Placed(hwnd, s, s.placed.x, s.placed.y, e.x, e.y);
      break;
    case Event::Kind::Focus:
      Activated(hwnd);
      break;
    case Event::Kind::MouseDown:
    case Event::Kind::MouseUp:
      NotePointer(e.window, e.x, e.y);
      hand::Mouse(hwnd, e.kind == Event::Kind::MouseDown ? hand::MouseAction::Down : hand::MouseAction::Up, e.x, e.y,
                  e.button, e.shift, e.clicks);
      break;
    case Event::Kind::MouseMove:
      NotePointer(e.window, e.x, e.y);
      hand::Mouse(hwnd, hand::MouseAction::Move, e.x, e.y, e.button, e.shift);
      break;
    case Event::Kind::Wheel:
      hand::Wheel(hwnd, e.x, e.y, e.steps);
      break;
    case Event::Kind::Key:
      if (e.key) hand::Key(hwnd, e.key, e.shift);
      break;
    case Event::Kind::Text:
      for (char ch : e.text) hand::Character(hwnd, static_cast<unsigned char>(ch));
      break;
    default:
      break;
  }
}

// The pointer's shape over the window it is on: looked up only when the
// pointer moved or the hourglass came or went.
void FollowPointer() {
  Screen& screen = S();
  bool hourglass = MousePointer() == vbHourglass;
  if (!screen.pointerMoved && hourglass == screen.hourglass && screen.shape >= 0) return;
  screen.pointerMoved = false;
  screen.hourglass = hourglass;
  int shape = vbArrow;
  if (hourglass) shape = vbHourglass;
  else if (HWND hwnd = WindowOf(screen.pointerWindow)) shape = hand::PointerAt(hwnd, screen.pointerX, screen.pointerY);
  if (shape == screen.shape) return;
  screen.shape = shape;
  if (screen.driver.pointer)
    screen.driver.pointer(shape == vbHourglass    ? Pointer::Hourglass
                          : shape == hand::vbIBeam ? Pointer::IBeam
                                                   : Pointer::Arrow);
}

// Whether anything was painted or is to be painted since the frames were last looked at.
bool SomethingPainted() {
  Screen& screen = S();
  if (PixelCount() != screen.seenPixels || UpdateCount() != screen.seenUpdates) return true;
  for (auto& [hwnd, s] : screen.windows)
    if (s.stale) return true;
  return false;
}

// A frame only of the windows with something new (or to be drawn again).
void Frames() {
  Screen& screen = S();
  if (!SomethingPainted()) return;
  for (auto& [hwnd, s] : screen.windows)
    if (s.stale || FrameChangedSince(hwnd, s.taken)) Present(s, WindowFrame(hwnd, &s.taken));
  screen.seenPixels = PixelCount();
  screen.seenUpdates = UpdateCount();
}

// The picture windows' sources, looked at no more than 30 times a second.
void PictureFrames() {
  auto now = Clock::now();
  for (auto& [number, s] : S().pictures) {
    if (now - s.checked < kPicturePeriod && !s.stale) continue;
    s.checked = now;
    if (s.stale || (s.picture.changed && s.picture.changed())) {
      s.stale = true;
      if (s.picture.draw) Present(s, s.picture.draw());
    }
  }
}

// Milliseconds until the screen has work of its own (-1: none): a frame of
// something painted, or a picture window's next look.
int MillisecondsToScreenWork() {
  Screen& screen = S();
  auto now = Clock::now();
  auto until = [&](Clock::time_point due) {
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(due - now).count();
    return static_cast<int>(std::max<std::int64_t>(ms, 0));
  };
  int wait = -1;
  auto sooner = [&](int ms) { wait = wait < 0 ? ms : std::min(wait, ms); };
  // Frames are for the window layer's windows (a picture viewer has none).
  if ((!screen.windows.empty() || !WindowZOrder(0).empty()) && SomethingPainted())
    sooner(until(screen.lastFrame + kFramePeriod));
  for (auto& [number, s] : screen.pictures) sooner(s.stale ? 0 : until(s.checked + kPicturePeriod));
  return wait;
}

// Events first, each dispatched on its own (a handler may pump again and take
// the next ones); then, at most 60 times a second, the windows and frames.
void PumpNow() {
  Screen& screen = S();
  if (!screen.open || screen.lost || screen.framing) return;
  auto now = Clock::now();
  if (now - screen.lastFrame < kFramePeriod) return;
  screen.lastFrame = now;
  Event e;
  while (screen.open && !screen.lost && screen.driver.poll(&e, 0)) Dispatch(e);
  if (!screen.open || screen.lost || screen.framing) return;
  screen.framing = true;
  Follow();
  // The layout is looked at again only when a window changed or something was
  // painted (a control shown, hidden or moved paints its form).
  if (screen.layoutDue || SomethingPainted()) WriteLayout();
  Frames();
  PictureFrames();
  FollowPointer();
  screen.framing = false;
}

void Forget() {
  Screen& screen = S();
  screen.windows.clear();
  screen.pictures.clear();
  screen.shape = -1;
  screen.pointerWindow = 0;
  screen.pointerMoved = false;
  screen.activeForm = 0;
  screen.seenPixels = screen.seenUpdates = ~0ull;
  screen.layout.clear();
  // The file is the program's: a process that never wrote it leaves it to the program.
  if (screen.wroteLayout) {
    std::error_code ec;
    std::filesystem::remove(LayoutFile(), ec);
  }
  screen.wroteLayout = false;
  screen.layoutDue = true;
}


}  // namespace

bool Open(Driver driver) {
  Screen& screen = S();
  if (screen.open) return false;
  screen.driver = std::move(driver);
  screen.open = true;
  screen.lost = false;
  screen.lastFrame = Clock::time_point{};
  // Dialogs are fitted to the real screen; one form pixel is one screen pixel.
  if (screen.driver.width > 0 && screen.driver.height > 0) {
    ScreenMetrics metrics = winplat::Screen();
    metrics.width = screen.driver.width;
    metrics.height = screen.driver.height;
    SetScreen(metrics);
  }
  SetDisplayPump(PumpNow);
  return true;
}

bool IsLost() { return S().lost; }

void Lost() {
  Screen& screen = S();
  if (!screen.lost) {
    screen.lost = true;
    // Nothing more goes to the display; boxes the unload may raise take their default answer.
    SetDisplayPump(nullptr);
    SetMessageBoxHandler([](const MessageBoxRequest& request) { return DefaultButton(request.flags); });
    screen.framing = true;
    SetEndProgramStatus(2);
    if (LostHandler()) LostHandler()(screen.driver.name);
    else std::fprintf(stderr, "display %s lost\n", screen.driver.name.c_str());
  }
  EndProgram(2);
}

bool WaitForEvents(int timeoutMs, int fd) {
  Screen& screen = S();
  if (!screen.open || screen.lost) return false;
  Event e;
  // An event already taken from the display is dispatched, not slept over.
  if (screen.driver.poll(&e, 0)) {
    Dispatch(e);
    return true;
  }
  int timeout = MillisecondsToScreenWork();
  if (timeoutMs >= 0) timeout = timeout < 0 ? timeoutMs : std::min(timeout, timeoutMs);
  if (timeout < 0 || timeout > kLongestSleepMs) timeout = kLongestSleepMs;
  if (timeout == 0) return true;
  int display = screen.driver.descriptor ? screen.driver.descriptor() : -1;
  if (display >= 0 || fd >= 0) {
    pollfd p[2];
    int n = 0;
    if (display >= 0) p[n++] = pollfd{display, POLLIN, 0};
    if (fd >= 0) p[n++] = pollfd{fd, POLLIN, 0};
    // Without the display's descriptor the display is looked at every 50 ms.
    ::poll(p, n, display >= 0 ? timeout : std::min(timeout, 50));
    if (display < 0 && screen.driver.poll(&e, 0)) Dispatch(e);
    return true;
  }
  if (screen.driver.poll(&e, timeout)) Dispatch(e);
  return true;
}

}  // namespace screen

bool DisplayOpen() { return screen::S().open && !screen::S().lost; }

void SetDisplayLostHandler(std::function<void(const std::string& display)> handler) {
  screen::LostHandler() = std::move(handler);
}

void CloseDisplay() {
  screen::Screen& s = screen::S();
  if (!s.open) return;
  SetDisplayPump(nullptr);
  if (!s.lost) {
    for (auto& [hwnd, w] : s.windows) s.driver.destroy(w.id);
    for (auto& [n, w] : s.pictures) s.driver.destroy(w.id);
    if (s.driver.close) s.driver.close();
  }
  screen::Forget();
  s.open = false;
  s.lost = false;
  s.framing = false;
  s.driver = screen::Driver{};
}

void RingDisplayBell() {
  screen::Screen& s = screen::S();
  if (s.open && !s.lost && s.driver.bell) s.driver.bell();
}

int ShowPictureWindow(PictureWindow window) {
  screen::Screen& s = screen::S();
  if (!s.open || s.lost) return 0;
  // Beside the program's main window where the screen has room, else off its controls.
  POINT at{screen::kAnywhere, screen::kAnywhere};
  std::vector<screen::Layout> program = screen::ReadLayout();
  if (!program.empty() && s.driver.width > 0 && s.driver.height > 0)
    at = screen::PlaceBeside(s.driver.width, s.driver.height, program, window.width, window.height);
  screen::WindowId id = s.driver.create(window.title, at.x, at.y, window.width, window.height, false);
  if (!id) return 0;
  screen::Shown shown;
  shown.id = id;
  shown.title = window.title;
  shown.width = window.width;
  shown.height = window.height;
  shown.placed = at;
  shown.picture = std::move(window);
  int number = s.nextPicture++;
  s.pictures.emplace(number, std::move(shown));
  return number;
}

void RunPictureWindows(const std::function<bool()>& running) {
  screen::Screen& s = screen::S();
  while (s.open && !s.lost && running()) {
    screen::Event e;
    while (s.open && !s.lost && s.driver.poll(&e, 0)) screen::Dispatch(e);
    if (!s.open || s.lost || !running()) break;
    screen::PictureFrames();
    // Asleep until an event or the next look at the sources.
    screen::WaitForEvents(-1, -1);
  }
}

}  // namespace winplat
