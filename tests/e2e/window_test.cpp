// The program's windows on a real display, end to end: a virtual X server of
// the test's own (never the developer's display) shows `fieldray --window` on a
// fresh machine root; the test works it through the X server as an operator's
// mouse and keys would (at the places the forms' own layout gives their
// controls), reads the windows back with xwd and closes the main window as a
// close box does. Skipped where no X server can be started.
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "console/dialog_forms.h"
#include "console/main_form.h"
#include "program_runner.h"
#include "test_support.h"
#include "winplat/components/grid.h"
#include "winplat/controls/geometry.h"
#include "winplat/controls/lists.h"
#include "winplat/picture.h"

// Types only: the X library is loaded at run time, as the program loads its display library.
#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;

// Waits for a condition the programs reach in their own time; a generous
// deadline only keeps a broken run from hanging.
bool Eventually(const std::function<bool()>& condition, int seconds = 120) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return condition();
}

// A process of the test's own, with its standard input held open on a pipe.
struct Child {
  pid_t pid = -1;
  int input = -1;

  bool Start(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
             const fs::path& log, int extraFd = -1, int extraAs = -1) {
    int in[2];
    if (pipe(in) != 0) return false;
    std::vector<std::string> env = testsupport::ChangedEnvironment(environment);
    std::vector<char*> envp, argv;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = arguments;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (extraFd >= 0) posix_spawn_file_actions_adddup2(&actions, extraFd, extraAs);
    int rc = posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    if (rc != 0) {
      close(in[1]);
      pid = -1;
      return false;
    }
    input = in[1];
    return true;
  }

  void Send(const std::string& lines) const {
    ASSERT_EQ(write(input, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  }

  // The exit status once it ended (-1: still running at the deadline, or killed).
  int Wait(int seconds = 120) {
    int status = -1;
    bool ended = Eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; }, seconds);
    if (!ended) return -1;
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  ~Child() {
    if (input >= 0) close(input);
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
};

// Output of a shell command line.
std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

std::uint32_t Card32(const std::string& bytes, std::size_t at, bool bigEndian = true) {
  auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
  return bigEndian ? b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3) : b(3) << 24 | b(2) << 16 | b(1) << 8 | b(0);
}

int Shift(std::uint32_t mask) {
  int s = 0;
  while (mask && !(mask & 1u)) mask >>= 1, ++s;
  return s;
}

// A window's picture as xwd dumps it: the header, then 32-bit pixels.
winplat::Picture ReadXwd(const fs::path& file) {
  std::string d = testsupport::ReadFile(file);
  if (d.size() < 100) return {};
  std::uint32_t headerSize = Card32(d, 0), bitsPerPixel = Card32(d, 44), bytesPerLine = Card32(d, 48);
  std::uint32_t width = Card32(d, 16), height = Card32(d, 20), byteOrder = Card32(d, 28);
  std::uint32_t red = Card32(d, 56), green = Card32(d, 60), blue = Card32(d, 64), colours = Card32(d, 76);
  EXPECT_EQ(bitsPerPixel, 32u);
  std::size_t start = headerSize + static_cast<std::size_t>(colours) * 12;
  if (bitsPerPixel != 32 || d.size() < start + static_cast<std::size_t>(bytesPerLine) * height) return {};
  winplat::Picture picture{static_cast<int>(width), static_cast<int>(height), {}};
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint32_t v = Card32(d, start + y * bytesPerLine + x * 4, byteOrder == 1);
      std::uint32_t r = (v & red) >> Shift(red), g = (v & green) >> Shift(green), b = (v & blue) >> Shift(blue);
      picture.pixels.push_back(r | g << 8 | b << 16);
    }
  return picture;
}

int Differing(const winplat::Picture& a, const winplat::Picture& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int n = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) n += (a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF);
  return n;
}

// What a window manager sends when the operator clicks a window's close box.
bool RequestClose(const std::string& display, unsigned long window) {
  void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  if (!x11) return false;
  auto open = reinterpret_cast<decltype(&XOpenDisplay)>(dlsym(x11, "XOpenDisplay"));
  auto atom = reinterpret_cast<decltype(&XInternAtom)>(dlsym(x11, "XInternAtom"));
  auto send = reinterpret_cast<decltype(&XSendEvent)>(dlsym(x11, "XSendEvent"));
  auto flush = reinterpret_cast<decltype(&XFlush)>(dlsym(x11, "XFlush"));
  auto shut = reinterpret_cast<decltype(&XCloseDisplay)>(dlsym(x11, "XCloseDisplay"));
  Display* d = open && atom && send && flush && shut ? open(display.c_str()) : nullptr;
  if (!d) return false;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = atom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(atom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  bool sent = send(d, window, False, NoEventMask, &e) != 0;
  flush(d);
  shut(d);
  return sent;
}

// The main window as the program lays it out, made in this process: where
// its controls lie in the window's client pixels.
fieldray::console::MainForm& MainLayout() {
  static fieldray::console::MainForm form;
  return form;
}

winplat::controls::Box PlaceOf(const winplat::controls::Control& control) {
  return winplat::controls::PlaceOnForm(control);
}

// Where the main window's tabs lie (Field first, Options fourth).
winplat::controls::TabGeometry MainTabs() {
  return winplat::controls::TabLayout(MainLayout().SSTab1, PlaceOf(MainLayout().SSTab1));
}

// A window's place and size on the screen.
struct Geometry {
  int x = 0, y = 0, width = 0, height = 0;
  bool Overlaps(const winplat::controls::Box& b, int atX, int atY) const {
    return x < atX + b.Right() && atX + b.x < x + width && y < atY + b.Bottom() && atY + b.y < y + height;
  }
};

class Windows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Shell("command -v Xvfb").empty() || Shell("command -v xdotool").empty() || Shell("command -v xwd").empty())
      GTEST_SKIP() << "no display server can be started here (Xvfb, xdotool or xwd missing)";
    out_ = testsupport::NewMachineRoot("windows-out");
    // The server picks a free display and writes its number on descriptor 3.
    // It keeps running as it is between clients (no reset when the last one
    // leaves), so a program started right after another one closed finds it.
    int number[2];
    ASSERT_EQ(pipe(number), 0);
    bool started = xvfb_.Start({"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                                "-noreset"},
                               {}, out_ / "xvfb.log", number[1], 3);
    close(number[1]);
    std::string digits;
    pollfd p{number[0], POLLIN, 0};
    char ch = 0;
    while (started && poll(&p, 1, 30000) > 0 && read(number[0], &ch, 1) == 1 && ch != '\n') digits += ch;
    close(number[0]);
    if (digits.empty()) GTEST_SKIP() << "no display server can be started here (Xvfb did not start)";
    display_ = ":" + digits;
  }

  std::string X(const std::string& command) const { return Shell("DISPLAY=" + display_ + " " + command); }

  unsigned long WindowNamed(const std::string& pattern) const {
    std::string ids = X("xdotool search --name '" + pattern + "' 2>/dev/null");
    return ids.empty() ? 0 : std::stoul(ids.substr(0, ids.find('\n')));
  }

  winplat::Picture Xwd(unsigned long window, const std::string& name) const {
    fs::path file = out_ / (name + ".xwd");
    X("xwd -silent -id " + std::to_string(window) + " -out " + file.string());
    return ReadXwd(file);
  }

  void Click(unsigned long window, int x, int y) const {
    X("xdotool mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " + std::to_string(y) +
      " click 1");
  }

  // A click in the middle of a control (of an area of it, when given).
  void ClickOn(unsigned long window, const winplat::controls::Control& control) const {
    ClickIn(window, PlaceOf(control));
  }
  void ClickIn(unsigned long window, const winplat::controls::Box& b) const {
    Click(window, b.x + b.w / 2, b.y + b.h / 2);
  }
  // A click on the main window's tab `index`.
  void ClickTab(unsigned long mainWindow, std::size_t index) const {
    const winplat::controls::TabGeometry tabs = MainTabs();
    ASSERT_GT(tabs.tabs.size(), index);
    ClickIn(mainWindow, tabs.tabs[index]);
  }

  Geometry GeometryOf(unsigned long window) const {
    std::string shell = X("xdotool getwindowgeometry --shell " + std::to_string(window));
    auto value = [&](const std::string& key) {
      std::size_t at = shell.find("\n" + key + "=");
      if (at == std::string::npos && shell.rfind(key + "=", 0) == 0) at = 0;
      else if (at != std::string::npos) ++at;
      return at == std::string::npos ? -1 : std::stoi(shell.substr(at + key.size() + 1));
    };
    return Geometry{value("X"), value("Y"), value("WIDTH"), value("HEIGHT")};
  }

  // Starts fieldray --window on `root` and waits for its main window (0 when
  // the test was skipped: a build without windows).
  unsigned long StartProgram(Child& program, const fs::path& root, const std::string& log) const {
    EXPECT_TRUE(program.Start({FIELDRAY_BIN, "--window"}, Environment(root), out_ / log));
    unsigned long mainWindow = 0;
    int ended = -1;
    EXPECT_TRUE(Eventually([&] {
      if (waitpid(program.pid, &ended, WNOHANG) == program.pid) return true;  // it could not show its windows
      return (mainWindow = WindowNamed("^Fieldray$")) != 0;
    })) << testsupport::ReadFile(out_ / log);
    if (mainWindow == 0) {
      program.pid = -1;
      std::string text = testsupport::ReadFile(out_ / log);
      EXPECT_NE(text.find("this build has no display support"), std::string::npos)
          << "fieldray --window ended: " << text << ServerState();
    }
    return mainWindow;
  }

  // Whether the display server still runs, and what it logged.
  std::string ServerState() const {
    siginfo_t ended{};  // looked at, not reaped
    bool running = xvfb_.pid > 0 && waitid(P_PID, static_cast<id_t>(xvfb_.pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                   ended.si_pid == 0;
    return std::string("\nXvfb on ") + display_ + (running ? " still runs" : " has ended") + "; its log:\n" +
           testsupport::ReadFile(out_ / "xvfb.log");
  }

  // The [Main] place the settings file holds ("" when none).
  static std::string MainPlace(const fs::path& root) {
    std::string ini = testsupport::ReadFile(root / "C/Fieldray/Fldry.INI");
    std::size_t main = ini.find("[Main]");
    if (main == std::string::npos) return "";
    std::size_t end = ini.find("\n[", main + 1);
    std::string section = ini.substr(main, end == std::string::npos ? std::string::npos : end - main);
    auto key = [&](const std::string& name) {
      std::size_t at = section.find("\n" + name + "=");
      if (at == std::string::npos) return std::string("?");
      std::size_t from = at + name.size() + 2;
      return section.substr(from, section.find_first_of("\r\n", from) - from);
    };
    return key("Top") + "," + key("Left");
  }

  std::vector<std::string> Environment(const fs::path& root) const {
    return {"FIELDRAY_ROOT=" + root.string(), "DISPLAY=" + display_, "WAYLAND_DISPLAY=",
            // Under the sanitizers: what the display libraries keep for the process's life.
            "LSAN_OPTIONS=suppressions=" + (fs::path(FIELDRAY_SOURCE_DIR) / "tests/e2e/display_leaks.supp").string()};
  }

  // Waits until the program has run the lines sent so far (they run in order:
  // the picture of a line after them is there), leaving a whole screenshot `name`.png.
  void Settle(const Child& program, const fs::path& root, const std::string& name) const {
    program.Send("screenshot Main \"C:\\TEMP\\w\\" + name + ".png\"\nscreenshot Main \"C:\\TEMP\\w\\" +
                 name + "-done.png\"\n");
    EXPECT_TRUE(Eventually([&] { return fs::exists(root / "C/TEMP/w" / (name + "-done.png")); }));
  }

  // Lit pixels of the projection now (-1: no picture).
  int LitNow(const fs::path& root, const std::string& name) const {
    fs::path png = out_ / (name + ".png");
    fs::remove(png);
    testsupport::RunProgram({(testsupport::BinDir() / "fieldray-projection").string(), png.string()},
                            {"FIELDRAY_ROOT=" + root.string()}, out_ / "projection.log");
    return fs::exists(png) ? testsupport::LitProjectionPixels(png) : -1;
  }

  Child xvfb_;
  std::string display_;
  fs::path out_;
};

TEST_F(Windows, TheOperatorWorksTheProgramWithMouseAndKeysAndClosesItsWindow) {
  const fs::path root = testsupport::NewMachineRoot("windows");
  Child program;
  ASSERT_TRUE(program.Start({FIELDRAY_BIN, "--window"}, Environment(root), out_ / "fieldray.log"));
  unsigned long mainWindow = 0;
  int ended = -1;
  ASSERT_TRUE(Eventually([&] {
    if (waitpid(program.pid, &ended, WNOHANG) == program.pid) return true;  // it could not show its windows
    return (mainWindow = WindowNamed("^Fieldray$")) != 0;
  })) << testsupport::ReadFile(out_ / "fieldray.log");
  if (mainWindow == 0) {
    program.pid = -1;
    std::string log = testsupport::ReadFile(out_ / "fieldray.log");
    if (log.find("this build has no display support") != std::string::npos)
      GTEST_SKIP() << "built without windows (FIELDRAY_WINDOW=OFF)";
    FAIL() << "fieldray --window ended: " << log << ServerState();
  }

  // The screen shows the form's own picture, pixel for pixel (once it took
  // its next frame; a picture that changed meanwhile is taken again).
  {
    int differing = -1;
    for (int attempt = 0; attempt < 5 && differing != 0; ++attempt) {
      std::string shot = "shot" + std::to_string(attempt);
      Settle(program, root, shot);
      const winplat::Picture picture = testsupport::LoadPicture(root / "C/TEMP/w" / (shot + ".png"));
      Eventually([&] { return (differing = Differing(Xwd(mainWindow, "main"), picture)) == 0; }, 20);
    }
    EXPECT_EQ(differing, 0) << "pixels differing between the window on the screen and its screenshot";
  }

  // Run field S (the second option of the Run Field frame), then PLATE.DXF,
  // the third entry of the job list. Nothing is projected before.
  fieldray::console::MainForm& layout = MainLayout();
  EXPECT_EQ(LitNow(root, "dark"), 0);
  ClickOn(mainWindow, layout.FldOpt(1));
  {
    const winplat::controls::Box list = PlaceOf(layout.File1);
    const winplat::controls::ListGeometry rows =
        winplat::controls::ListLayout(list, winplat::controls::TextHeightPx(layout.File1.FontSize()), 3, 0);
    ClickIn(mainWindow, rows.EntryBox(2));
  }
  // Laser On/Off: the plate lights.
  ClickOn(mainWindow, layout.OnOff);
  EXPECT_TRUE(Eventually([&] {
    fs::path png = out_ / "plate.png";
    fs::remove(png);
    testsupport::RunProgram({(testsupport::BinDir() / "fieldray-projection").string(), png.string()},
                            {"FIELDRAY_ROOT=" + root.string()}, out_ / "projection.log");
    if (!fs::exists(png)) return false;
    testsupport::PixelBox lit = testsupport::LitProjectionArea(png);
    return lit.count > 200 && lit.right - lit.left > 40;
  })) << "the plate is not projected";
  program.Send("expect Main.OnOff \"1\"\nexpect Main.File1 \"PLATE.DXF\"\n");
  Settle(program, root, "opened");

  // The Options tab (fourth of six), then the scan-rate upper limit typed
  // over and left with Tab: it is stored.
  ClickTab(mainWindow, 3);
  ClickOn(mainWindow, layout.SRUL);
  X("xdotool key End BackSpace BackSpace BackSpace BackSpace BackSpace");
  X("xdotool type 32000");
  X("xdotool key Tab");
  EXPECT_TRUE(Eventually([&] {
    return testsupport::ReadFile(root / "C/Fieldray/Fldry.INI").find("ScanRateUL=32000") != std::string::npos;
  })) << "the typed value was not stored";
  program.Send("expect Main.SRUL \"32000\"\n");
  Settle(program, root, "typed");

  // A job handed over with a run field that does not exist: its box is answered
  // by clicking OK (one button, centred, 12 pixels above the box's bottom).
  testsupport::RunProgram({(testsupport::BinDir() / "fieldray-clip").string(), "PLATE.NC;;X"},
                          {"FIELDRAY_ROOT=" + root.string()}, out_ / "clip.log");
  unsigned long box = 0;
  ASSERT_TRUE(Eventually([&] { return (box = WindowNamed("^Error$")) != 0; })) << "no box was shown";
  std::string geometry = X("xdotool getwindowgeometry --shell " + std::to_string(box));
  int width = std::stoi(geometry.substr(geometry.find("WIDTH=") + 6));
  int height = std::stoi(geometry.substr(geometry.find("HEIGHT=") + 7));
  Click(box, width / 2, height - 12 - 11);
  EXPECT_TRUE(Eventually([&] { return WindowNamed("^Error$") == 0; })) << "the box is still up";

  // The live projection shows the plate, as its picture does. It opens with
  // the Field tab up (as at the program's start): no room beside the main
  // window on this screen, so it covers none of the controls shown.
  ClickTab(mainWindow, 0);
  program.Send("expect Main.SSTab1 \"0\"\n");
  Settle(program, root, "field-tab");
  {
    Child viewer;
    ASSERT_TRUE(viewer.Start({(testsupport::BinDir() / "fieldray-projection").string(), "--window"},
                             Environment(root), out_ / "viewer.log"));
    unsigned long view = 0;
    ASSERT_TRUE(Eventually([&] { return (view = WindowNamed("^Fieldray projection")) != 0; }));
    {
      const Geometry main = GeometryOf(mainWindow), viewed = GeometryOf(view);
      ASSERT_GT(viewed.width, 0);
      for (const winplat::controls::Control* c :
           std::vector<const winplat::controls::Control*>{&layout.FldOpt(1), &layout.File1, &layout.OnOff,
                                                          &layout.Msg, &layout.DXF1, &layout.OptFld(1), &layout.Browse})
        EXPECT_FALSE(viewed.Overlaps(PlaceOf(*c), main.x, main.y)) << c->Name();
      for (const winplat::controls::Box& tab : MainTabs().tabs) EXPECT_FALSE(viewed.Overlaps(tab, main.x, main.y));
    }
    int differing = -1;
    Eventually([&] {
      fs::path png = out_ / "still.png";
      testsupport::RunProgram({(testsupport::BinDir() / "fieldray-projection").string(), png.string()},
                              {"FIELDRAY_ROOT=" + root.string()}, out_ / "projection.log");
      return (differing = Differing(Xwd(view, "view"), testsupport::LoadPicture(png))) == 0;
    }, 60);
    EXPECT_EQ(differing, 0) << "the live view differs from the projection's picture";
    ASSERT_TRUE(RequestClose(display_, view));
    EXPECT_EQ(viewer.Wait(), 0) << testsupport::ReadFile(out_ / "viewer.log");
  }

  // The main window's close box ends the program, every line having passed.
  ASSERT_TRUE(RequestClose(display_, mainWindow));
  EXPECT_EQ(program.Wait(), 0) << testsupport::ReadFile(out_ / "fieldray.log");
}

TEST_F(Windows, TheMainWindowComesBackWhereTheOperatorLeftIt) {
  const fs::path root = testsupport::NewMachineRoot("windows-place");
  struct Case {
    int x, y;
    const char* stored;  // [Main] Top,Left in twips
  } cases[] = {{0, 0, "0,0"}, {200, 150, "2250,3000"}};
  for (const Case& c : cases) {
    Child program;
    unsigned long mainWindow = StartProgram(program, root, "place.log");
    if (mainWindow == 0) GTEST_SKIP() << "built without windows (FIELDRAY_WINDOW=OFF)";
    X("xdotool windowmove " + std::to_string(mainWindow) + " " + std::to_string(c.x) + " " + std::to_string(c.y));
    EXPECT_TRUE(Eventually([&] {
      Geometry g = GeometryOf(mainWindow);
      return g.x == c.x && g.y == c.y;
    }, 30));
    Settle(program, root, "moved-" + std::to_string(c.x));  // the move has reached the program
    ASSERT_TRUE(RequestClose(display_, mainWindow));
    EXPECT_EQ(program.Wait(), 0) << testsupport::ReadFile(out_ / "place.log");
    EXPECT_EQ(MainPlace(root), c.stored);

    Child again;
    mainWindow = StartProgram(again, root, "place.log");
    ASSERT_NE(mainWindow, 0u);
    Geometry back;
    EXPECT_TRUE(Eventually([&] {
      back = GeometryOf(mainWindow);
      return back.x == c.x && back.y == c.y;
    }, 30)) << "back at " << back.x << "," << back.y << " instead of " << c.x << "," << c.y;
    ASSERT_TRUE(RequestClose(display_, mainWindow));
    EXPECT_EQ(again.Wait(), 0) << testsupport::ReadFile(out_ / "place.log");
  }
}

TEST_F(Windows, ADisplayLostMidRunEndsTheProgramAsACloseDoesWithStatus2) {
  const fs::path root = testsupport::NewMachineRoot("windows-lost");
  Child program;
  unsigned long mainWindow = StartProgram(program, root, "lost.log");
  if (mainWindow == 0) GTEST_SKIP() << "built without windows (FIELDRAY_WINDOW=OFF)";
  // Moved first, so the place the unload saves shows it ran.
  X("xdotool windowmove " + std::to_string(mainWindow) + " 120 90");
  EXPECT_TRUE(Eventually([&] { return GeometryOf(mainWindow).x == 120; }, 30));
  Settle(program, root, "before-lost");
  ASSERT_EQ(kill(xvfb_.pid, SIGKILL), 0);
  waitpid(xvfb_.pid, nullptr, 0);
  xvfb_.pid = -1;
  EXPECT_EQ(program.Wait(), 2);
  const std::string log = testsupport::ReadFile(out_ / "lost.log");
  EXPECT_NE(log.find("fieldray: display " + display_ + " lost\n"), std::string::npos) << log;
  EXPECT_EQ(MainPlace(root), "1350,1800") << "the unload did not run";
}

TEST(WindowsWithoutDisplay, EveryProgramSaysWhatItNeedsAndEndsWithStatus2) {
  const fs::path root = testsupport::NewMachineRoot("no-display");
  for (const std::string& program : {std::string(FIELDRAY_BIN), (testsupport::BinDir() / "fieldray-projection").string()}) {
    const testsupport::ProgramRun run =
        testsupport::RunProgram({program, "--window"}, {"FIELDRAY_ROOT=" + root.string(), "DISPLAY=", "WAYLAND_DISPLAY="},
                                root / "run.log", 60);
    EXPECT_EQ(run.status, 2) << program;
    EXPECT_NE(run.log.find("--window needs a display: "), std::string::npos) << run.log;
  }
}

TEST(WindowsWithoutDisplay, TheLiveProjectionRefusesABoardTheMachineDoesNotName) {
  // An empty root: its boards never ran, yet its configuration names board 0.
  const fs::path root = testsupport::NewMachineRoot("projection-boards");
  const std::string tool = (testsupport::BinDir() / "fieldray-projection").string();
  const std::vector<std::string> env = {"FIELDRAY_ROOT=" + root.string(), "DISPLAY=", "WAYLAND_DISPLAY="};
  struct Case {
    std::vector<std::string> arguments;
    int status;
    const char* said;
  } cases[] = {
      {{tool, "--window", "300", "7"}, 1, "fieldray-projection: no such board, or a picture size outside 8..4096\n"},
      // Board 0 passes the check and goes on to open its (dark) window.
      {{tool, "--window", "300", "0"}, 2, "--window needs a display: "},
  };
  for (const Case& c : cases) {
    const testsupport::ProgramRun run = testsupport::RunProgram(c.arguments, env, root / "run.log", 60);
    EXPECT_EQ(run.status, c.status) << c.arguments[1] << " " << c.arguments[3] << "\n" << run.log;
    EXPECT_NE(run.log.find(c.said), std::string::npos) << run.log;
  }
}

TEST_F(Windows, GridCellsAreEditedByHandAndNoControlCodeReachesTheSettings) {
  const fs::path root = testsupport::NewMachineRoot("windows-editing");
  const fs::path ini = root / "C/Fieldray/Fldry.INI";
  Child program;
  const unsigned long mainWindow = StartProgram(program, root, "editing.log");
  if (mainWindow == 0) GTEST_SKIP() << "built without windows (FIELDRAY_WINDOW=OFF)";
  Settle(program, root, "editing-start");

  // Escape in the scan-rate upper limit (Options tab; the main window has no
  // Cancel button) types nothing: typed between "3100" and "0" it leaves
  // 31000, stored clean (a character in between would leave a refused value).
  ClickTab(mainWindow, 3);
  ClickOn(mainWindow, MainLayout().SRUL);
  X("xdotool key End BackSpace BackSpace BackSpace BackSpace BackSpace");
  X("xdotool type 3100");
  X("xdotool key Escape");
  X("xdotool type 0");
  X("xdotool key Tab");
  EXPECT_TRUE(Eventually([&] {
    const std::string settings = testsupport::ReadFile(ini);
    const std::size_t at = settings.find("ScanRateUL=31000");
    return at != std::string::npos && at + 16 < settings.size() &&
           (settings[at + 16] == '\r' || settings[at + 16] == '\n');
  })) << "Escape entered the box";
  program.Send("expect Main.SRUL \"31000\"\n");
  Settle(program, root, "escaped");
  {
    const std::string settings = testsupport::ReadFile(ini);
    EXPECT_EQ(settings.find('\x1b'), std::string::npos) << "Escape reached the settings";
    const std::size_t at = settings.find("ScanRateUL=31000");
    ASSERT_LT(at + 16, settings.size()) << settings;
    EXPECT_TRUE(settings[at + 16] == '\r' || settings[at + 16] == '\n') << "ScanRateUL holds more than was typed";
  }

  // The height presets, their grid worked as the operator works it: a click on
  // preset 2's height, a typed value and Enter (which does not press OK), then OK.
  program.Send("rclick Main.PrjHght(0)\n");
  unsigned long presets = 0;
  ASSERT_TRUE(Eventually([&] { return (presets = WindowNamed("^Height Presets$")) != 0; })) << "no presets dialog";
  fieldray::console::PHSForm layout;  // where the dialog's controls lie
  namespace wc = winplat::controls;
  const winplat::SpreadGrid shape(6, 2);
  const wc::Box cell = wc::GridLayout(shape, wc::SlotInside(wc::PlaceOnForm(layout.PHSdata))).Cell(2, 2);
  const wc::Box ok = wc::PlaceOnForm(layout.OKButton(0));
  ASSERT_GT(cell.w, 0);
  Click(presets, cell.x + cell.w / 2, cell.y + cell.h / 2);
  X("xdotool type 1234");
  X("xdotool key Return");
  Settle(program, root, "preset-typed");
  EXPECT_NE(WindowNamed("^Height Presets$"), 0u) << "Enter in the grid pressed OK";
  EXPECT_EQ(testsupport::ReadFile(ini).find("Value1=1234"), std::string::npos) << "stored before OK";
  Click(presets, ok.x + ok.w / 2, ok.y + ok.h / 2);
  EXPECT_TRUE(Eventually([&] { return testsupport::ReadFile(ini).find("Value1=1234") != std::string::npos; }))
      << "the preset edited by hand is not in Fldry.INI";
  EXPECT_TRUE(Eventually([&] { return WindowNamed("^Height Presets$") == 0; })) << "the dialog is still up";

  ASSERT_TRUE(RequestClose(display_, mainWindow));
  EXPECT_EQ(program.Wait(), 0) << testsupport::ReadFile(out_ / "editing.log");
}

// Switch Options opened by a right click on a projection mode shows its frame
// on the active cell, and a key typed at once edits that cell, not the last
// one the program read.
TEST_F(Windows, ADialogOpensWithItsFrameOnTheCellTypingReaches) {
  const fs::path root = testsupport::NewMachineRoot("windows-frame");
  Child program;
  const unsigned long mainWindow = StartProgram(program, root, "frame.log");
  if (mainWindow == 0) GTEST_SKIP() << "built without windows (FIELDRAY_WINDOW=OFF)";
  Settle(program, root, "frame-start");
  program.Send("rclick Main.PrjPos(1)\n");
  unsigned long dialog = 0;
  ASSERT_TRUE(Eventually([&] { return (dialog = WindowNamed("^" + std::string(fieldray::console::design::kSwOptCaption) + "$")) != 0; }))
      << "no switch options";
  // Where the grid's cells lie: as the program's grid, loaded from its file.
  winplat::SpreadGrid shape;
  ASSERT_TRUE(shape.LoadFromHostFile((root / "C/Fieldray/SWPOS.DAT").string()));
  ASSERT_EQ(shape.ActiveRow(), 1);
  ASSERT_EQ(shape.ActiveCol(), 1);
  namespace wc = winplat::controls;
  fieldray::console::SwitchOptionsForm layout;
  const wc::GridGeometry grid = wc::GridLayout(shape, wc::SlotInside(wc::PlaceOnForm(layout.SSOptSw)));
  auto framed = [&](std::int32_t row, std::int32_t col) {
    const wc::Box cell = grid.Cell(row, col);
    const winplat::Picture shot = Xwd(dialog, "switch-options");
    return cell.w > 4 && shot.width > cell.Right() && shot.height > cell.Bottom() && shot.At(cell.x + 2, cell.y) == 0 &&
           shot.At(cell.x, cell.y + 2) == 0;
  };
  EXPECT_TRUE(Eventually([&] { return framed(1, 1); }, 30)) << "the frame is not on the active cell";
  EXPECT_FALSE(framed(shape.MaxRows(), shape.MaxCols())) << "the frame is on the last cell read";
  // Typed at once, kept by Enter; a second Enter is OK, which saves the grid.
  const std::string before = testsupport::ReadFile(root / "C/Fieldray/SWPOS.DAT");
  ASSERT_NE(before.find("CELL 1 1 1\n"), std::string::npos) << before;
  X("xdotool type 0");
  X("xdotool key Return");
  Settle(program, root, "frame-typed");
  X("xdotool key Return");
  EXPECT_TRUE(Eventually([&] { return WindowNamed("^" + std::string(fieldray::console::design::kSwOptCaption) + "$") == 0; }))
      << "Enter did not press OK";
  Settle(program, root, "frame-saved");
  const std::string after = testsupport::ReadFile(root / "C/Fieldray/SWPOS.DAT");
  EXPECT_EQ(after.find("CELL 1 1 1\n"), std::string::npos) << after;
  EXPECT_NE(after.find("CELL 1 1 0\n"), std::string::npos) << after;
  EXPECT_NE(after.find("CELL " + std::to_string(shape.MaxRows()) + " " + std::to_string(shape.MaxCols()) + " "),
            std::string::npos)
      << "the last cell kept its text";

  ASSERT_TRUE(RequestClose(display_, mainWindow));
  EXPECT_EQ(program.Wait(), 0) << testsupport::ReadFile(out_ / "frame.log");
}

}  // namespace
