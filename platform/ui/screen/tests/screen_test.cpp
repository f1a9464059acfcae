// The screen's logic over a fake display: where windows go and where their
// forms go when the operator moves them, which form is active, frames only of
// what changed, the idle loop asleep, a display lost, and the place of a
// window opened beside the program's.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "../screen.h"
#include "fake_driver.h"
#include "winplat/clock.h"
#include "winplat/controls/form.h"
#include "winplat/controls/standard.h"
#include "winplat/display.h"
#include "winplat/messages.h"
#include "winplat/screen.h"
#include "winplat/timer.h"
#include "winplat/window.h"

namespace screentest {
namespace {

using namespace winplat::controls;
namespace screen = winplat::screen;
constexpr int kTwips = 15;  // per pixel at 96 dpi

Event At(Event::Kind kind, WindowId window, int x = 0, int y = 0) {
  Event e;
  e.kind = kind;
  e.window = window;
  e.x = x;
  e.y = y;
  return e;
}

class ScreenLogic : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(nullptr);  // the host's: the loop really sleeps
    metrics = winplat::Screen();
    ASSERT_TRUE(screen::Open(fake.Driver()));
    main.Move(150 * kTwips, 100 * kTwips, 300 * kTwips, 200 * kTwips);
    button = &main.Add<CommandButton>("Go", nullptr, "Go");
    button->Move(10 * kTwips, 10 * kTwips, 75 * kTwips, 23 * kTwips);
    button->Click = [this] { log.push_back("click"); };
    box = &main.Add<TextBox>("Box", nullptr, "");
    box->Move(10 * kTwips, 50 * kTwips, 100 * kTwips, 20 * kTwips);
    main.Activate = [this] { log.push_back("main on"); };
    main.Deactivate = [this] { log.push_back("main off"); };
    main.Show();
    Pass();
    log.clear();
  }
  void TearDown() override {
    winplat::CloseDisplay();
    while (winplat::DispatchPending() > 0) {
    }
    winplat::SetScreen(metrics);
  }
  // One pass of the loop once the screen may take its next frame (60 a second).
  void Pass() {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    winplat::DispatchPending();
  }
  void Send(const Event& e) {
    fake.events.push_back(e);
    Pass();
  }
  WindowId MainWindow() const { return fake.Named("Main"); }

  FakeDisplay fake;
  winplat::ScreenMetrics metrics;
  Form main{"Main", "Main"};
  CommandButton* button = nullptr;
  TextBox* box = nullptr;
  std::vector<std::string> log;
};

TEST_F(ScreenLogic, AWindowShowsWhereItsFormIsAndTheFormFollowsItsMoves) {
  ASSERT_NE(MainWindow(), 0u);
  const FakeDisplay::Window& w = fake.windows[MainWindow()];
  // The form's Left and Top are the window's top-left on the screen, no frame added.
  EXPECT_EQ(w.x, 150);
  EXPECT_EQ(w.y, 100);
  winplat::RECT client;
  winplat::GetClientRect(main.hWnd(), &client);
  EXPECT_EQ(w.width, client.right);
  EXPECT_EQ(w.height, client.bottom);

  // Moved by the operator: to the screen's corner, then elsewhere; the form
  // holds each place, and the screen does not move the window back.
  struct Case {
    int x, y;
  } cases[] = {{0, 0}, {200, 150}, {1, 2}};
  for (const Case& c : cases) {
    fake.calls.clear();
    Send(At(Event::Kind::Moved, MainWindow(), c.x, c.y));
    EXPECT_EQ(main.Left(), c.x * kTwips) << c.x << "," << c.y;
    EXPECT_EQ(main.Top(), c.y * kTwips) << c.x << "," << c.y;
    Pass();
    EXPECT_EQ(fake.calls, std::vector<std::string>{}) << c.x << "," << c.y;
  }
  // Moved by the program: the window follows.
  main.Move(40 * kTwips, 30 * kTwips, main.Width(), main.Height());
  Pass();
  EXPECT_EQ(fake.calls, std::vector<std::string>{"move 40 30"});

  // Hidden, the window goes; shown again it comes back where the form is.
  main.Hide();
  Pass();
  EXPECT_EQ(MainWindow(), 0u);
  main.Show();
  Pass();
  ASSERT_NE(MainWindow(), 0u);
  EXPECT_EQ(fake.windows[MainWindow()].x, 40);
  EXPECT_EQ(fake.windows[MainWindow()].y, 30);
}

TEST_F(ScreenLogic, TheFocusOfAWindowActivatesItsFormAndDeactivatesTheOneBefore) {
  Form other{"Other", "Other"};
  other.Move(0, 0, 200 * kTwips, 100 * kTwips);
  other.Activate = [this] { log.push_back("other on"); };
  other.Deactivate = [this] { log.push_back("other off"); };
  other.Show();
  Pass();
  ASSERT_NE(fake.Named("Other"), 0u);
  log.clear();
  Send(At(Event::Kind::Focus, MainWindow()));
  Send(At(Event::Kind::Focus, MainWindow()));  // already active: nothing
  Send(At(Event::Kind::Focus, fake.Named("Other")));
  EXPECT_EQ(log, (std::vector<std::string>{"other off", "main on", "main off", "other on"}));
  other.Unload();
}

TEST_F(ScreenLogic, PointerAndKeysGoToTheControlsUnderThemAndTheCloseBoxClosesTheForm) {
  Event down = At(Event::Kind::MouseDown, MainWindow(), 20, 20);
  down.button = vbLeftButton;
  Event up = down;
  up.kind = Event::Kind::MouseUp;
  Send(down);
  Send(up);
  EXPECT_EQ(log, std::vector<std::string>{"click"});
  // Over the box the pointer is a text pointer: looked up once the pointer moved there.
  Event move = At(Event::Kind::MouseMove, MainWindow(), 30, 58);
  Send(move);
  ASSERT_FALSE(fake.pointers.empty());
  EXPECT_EQ(fake.pointers.back(), screen::Pointer::IBeam);
  box->SetFocus();
  Event text = At(Event::Kind::Text, MainWindow());
  text.text = "42";
  Send(text);
  EXPECT_EQ(box->Text(), "42");
  Send(At(Event::Kind::Close, MainWindow()));
  EXPECT_FALSE(main.Loaded());
  Pass();
  EXPECT_EQ(MainWindow(), 0u);
}

TEST_F(ScreenLogic, AFrameIsTakenOnlyOfAWindowWhoseFormChangedOrWasUncovered) {
  ASSERT_NE(MainWindow(), 0u);
  const int first = fake.windows[MainWindow()].presents;
  EXPECT_EQ(first, 1);
  for (int i = 0; i < 3; ++i) Pass();
  EXPECT_EQ(fake.windows[MainWindow()].presents, first) << "a frame of a window that did not change";
  button->SetCaption("Stop");
  Pass();
  EXPECT_EQ(fake.windows[MainWindow()].presents, first + 1);
  const winplat::Picture shown = fake.windows[MainWindow()].last;
  // A change that paints the same pixels makes no frame; uncovered, the window is drawn again.
  button->SetCaption("Stop");
  Pass();
  EXPECT_EQ(fake.windows[MainWindow()].presents, first + 1);
  Send(At(Event::Kind::Exposed, MainWindow()));
  EXPECT_EQ(fake.windows[MainWindow()].presents, first + 2);
  EXPECT_EQ(fake.windows[MainWindow()].last.pixels, shown.pixels);
}

TEST_F(ScreenLogic, IdleTheLoopSleepsUntilTheNextTimerOrAnEvent) {
  for (int i = 0; i < 3; ++i) Pass();
  const int presents = fake.Presents();
  // Nothing due: one long sleep a pass, no frame.
  fake.waits.clear();
  winplat::WaitForInput();
  winplat::WaitForInput();
  ASSERT_EQ(fake.waits.size(), 2u);
  EXPECT_GE(fake.waits[0], 900);
  EXPECT_GE(fake.waits[1], 900);
  // A timer due in 400 ms: the sleep ends then (less what the test itself took
  // before the loop asked, on a loaded machine).
  const auto set = std::chrono::steady_clock::now();
  winplat::SetTimer(main.hWnd(), 7, 400);
  fake.waits.clear();
  winplat::WaitForInput();
  const auto spent =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - set).count();
  ASSERT_EQ(fake.waits.size(), 1u);
  EXPECT_LE(fake.waits[0], 400);
  EXPECT_GE(fake.waits[0], 400 - spent - 1);
  winplat::KillTimer(main.hWnd(), 7);
  EXPECT_EQ(fake.Presents(), presents);
  // Something painted: the sleep ends when the next frame is due.
  button->SetCaption("Again");
  fake.waits.clear();
  winplat::WaitForInput();
  if (fake.Presents() == presents) {  // not taken at once: the sleep was cut to the frame
    ASSERT_EQ(fake.waits.size(), 1u);
    EXPECT_LE(fake.waits[0], 17);
  }
  Pass();
  EXPECT_EQ(fake.Presents(), presents + 1);
}

TEST_F(ScreenLogic, ADisplayLostRunsTheLostHandlerAndEndsWithStatus2) {
  EXPECT_EXIT(
      {
        winplat::SetDisplayLostHandler([this](const std::string& name) {
          main.Unload();
          std::fprintf(stderr, "test: display %s lost, main %s\n", name.c_str(), main.Loaded() ? "up" : "unloaded");
          std::fflush(stderr);
        });
        screen::Lost();
      },
      ::testing::ExitedWithCode(2), "test: display fake:0 lost, main unloaded");
}

TEST_F(ScreenLogic, TheProgramsWindowsAreWrittenDownAndAWindowOpensBesideThem) {
  const std::vector<screen::Layout> layout = screen::ReadLayout();
  ASSERT_EQ(layout.size(), 1u);
  winplat::RECT client;
  winplat::GetClientRect(main.hWnd(), &client);
  EXPECT_EQ(layout[0].window.left, 150);
  EXPECT_EQ(layout[0].window.top, 100);
  EXPECT_EQ(layout[0].window.right, 150 + client.right);
  ASSERT_EQ(layout[0].controls.size(), 2u);
  EXPECT_EQ(layout[0].controls[0].left, 160);
  EXPECT_EQ(layout[0].controls[0].top, 110);
  EXPECT_EQ(layout[0].controls[0].right, 160 + 75);

  winplat::PictureWindow picture;
  picture.title = "View";
  picture.width = 512;
  picture.height = 512;
  picture.draw = [] { return winplat::Picture{512, 512, std::vector<winplat::COLORREF>(512 * 512, 0)}; };
  ASSERT_NE(winplat::ShowPictureWindow(picture), 0);
  const FakeDisplay::Window& view = fake.windows[fake.Named("View")];
  EXPECT_EQ(view.x, 150 + client.right + 8);
  EXPECT_EQ(view.y, 100);

  // The window moved by the operator, then a control hidden: the file follows each.
  Send(At(Event::Kind::Moved, MainWindow(), 200, 150));
  std::vector<screen::Layout> moved = screen::ReadLayout();
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0].window.left, 200);
  EXPECT_EQ(moved[0].window.top, 150);
  EXPECT_EQ(moved[0].controls.size(), 2u);
  box->SetVisible(false);
  Pass();
  moved = screen::ReadLayout();
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0].window.left, 200);
  ASSERT_EQ(moved[0].controls.size(), 1u);
  EXPECT_EQ(moved[0].controls[0].left, 210);
  // The program's display closed, its layout goes with it.
  winplat::CloseDisplay();
  EXPECT_FALSE(std::filesystem::exists(screen::LayoutFile()));
}

TEST(ScreenPictures, AViewerSleepsBetweenItsLooksAndDrawsOnlyWhatChanged) {
  const winplat::ScreenMetrics metrics = winplat::Screen();
  FakeDisplay fake;
  fake.sleeps = true;
  ASSERT_TRUE(screen::Open(fake.Driver()));
  int looks = 0;
  winplat::PictureWindow view;
  view.title = "View";
  view.width = view.height = 64;
  view.changed = [&] { return ++looks == 2; };  // the source changes once
  view.draw = [] { return winplat::Picture{64, 64, std::vector<winplat::COLORREF>(64 * 64, 0x00FFFFFF)}; };
  bool closed = false;
  view.closed = [&] { closed = true; };
  ASSERT_NE(winplat::ShowPictureWindow(view), 0);
  const auto start = std::chrono::steady_clock::now();
  int passes = 0;
  winplat::RunPictureWindows([&] { return ++passes <= 12; });
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  // Each pass sleeps until the next look is due (at most 30 a second), never spins.
  EXPECT_GE(fake.waits.size(), 6u);
  for (int wait : fake.waits) {
    EXPECT_GT(wait, 0);
    EXPECT_LE(wait, 34);
  }
  EXPECT_LE(looks, 2 + took.count() / 33);
  // Drawn when first shown and when its source changed, not at the other looks.
  EXPECT_GE(looks, 2);
  EXPECT_EQ(fake.Presents(), 2);
  // Uncovered, it is drawn again; its close box calls its owner.
  fake.events.push_back(At(Event::Kind::Exposed, fake.Named("View")));
  fake.events.push_back(At(Event::Kind::Close, fake.Named("View")));
  passes = 0;
  winplat::RunPictureWindows([&] { return ++passes <= 2; });
  EXPECT_EQ(fake.Presents(), 3);
  EXPECT_TRUE(closed);
  winplat::CloseDisplay();
  winplat::SetScreen(metrics);
}

TEST(ScreenPictures, AViewerClosingItsDisplayLeavesTheProgramsLayout) {
  // The program's layout is written; a viewer shows a window beside it and closes.
  const winplat::ScreenMetrics metrics = winplat::Screen();
  const std::filesystem::path file = screen::LayoutFile();
  std::filesystem::create_directories(file.parent_path());
  const std::string program = "window 10 20 300 400\n";
  std::ofstream(file, std::ios::binary) << program;
  FakeDisplay fake;
  ASSERT_TRUE(screen::Open(fake.Driver()));
  winplat::PictureWindow view;
  view.title = "View";
  view.width = view.height = 64;
  view.draw = [] { return winplat::Picture{64, 64, std::vector<winplat::COLORREF>(64 * 64, 0)}; };
  ASSERT_NE(winplat::ShowPictureWindow(view), 0);
  EXPECT_EQ(fake.windows[fake.Named("View")].x, 308);
  int passes = 0;
  winplat::RunPictureWindows([&] { return ++passes <= 2; });
  winplat::DispatchPending();
  winplat::CloseDisplay();
  winplat::SetScreen(metrics);
  // A viewer started again finds the program's windows where they were.
  std::ifstream in(file, std::ios::binary);
  const std::string left((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(left, program);
  std::filesystem::remove(file);
}

TEST(ScreenPlaces, AWindowGoesBesideTheMainWindowElseOffItsControls) {
  const screen::Layout small{{0, 0, 600, 400}, {{10, 10, 100, 40}}};
  const screen::Layout wide{{0, 0, 1000, 700}, {{0, 0, 1000, 100}, {0, 100, 300, 700}, {600, 100, 1000, 300}}};
  const screen::Layout middle{{300, 200, 900, 700}, {}};
  const screen::Layout everywhere{{0, 0, 1280, 1024}, {{0, 0, 1280, 1024}}};
  struct Case {
    const char* what;
    screen::Layout main;
    int width, height;
    winplat::POINT want;
  } cases[] = {
      {"room on the right", small, 512, 512, {608, 0}},
      {"room only below", {{0, 0, 1280, 400}, {}}, 512, 512, {0, 408}},
      {"room only on the left", {{700, 100, 1280, 600}, {}}, 512, 512, {180, 100}},
      {"room only above", {{0, 520, 1280, 1024}, {}}, 512, 500, {0, 12}},
      {"no room beside: off the controls, over as little as may be", wide, 512, 512, {768, 512}},
      {"controls everywhere: the bottom-right corner", everywhere, 512, 512, {768, 512}},
      {"one spot free of controls", {{0, 0, 1280, 1024}, {{0, 0, 1280, 500}, {0, 500, 600, 1024}, {1200, 500, 1280, 1024}}},
       300, 300, {900, 724}},
      {"a window in the middle: its right side", middle, 300, 300, {908, 200}},
  };
  for (const Case& c : cases) {
    winplat::POINT at = screen::PlaceBeside(1280, 1024, {c.main}, c.width, c.height);
    EXPECT_EQ(at.x, c.want.x) << c.what;
    EXPECT_EQ(at.y, c.want.y) << c.what;
    // Wherever it goes it is on the screen and off every control.
    const screen::Rect placed{at.x, at.y, at.x + c.width, at.y + c.height};
    EXPECT_TRUE(at.x >= 0 && at.y >= 0 && placed.right <= 1280 && placed.bottom <= 1024) << c.what;
    if (c.main.controls.size() != 1 || c.main.controls[0].right != 1280) {
      for (const screen::Rect& control : c.main.controls) EXPECT_FALSE(placed.Overlaps(control)) << c.what;
    }
  }
  // Nothing known of the program: centred.
  winplat::POINT alone = screen::PlaceBeside(1280, 1024, {}, 512, 512);
  EXPECT_EQ(alone.x, 384);
  EXPECT_EQ(alone.y, 256);
}

// A window whose place would leave part of it off a 1024 x 768 screen is
// shown wholly on it, as near its place as may be, and its form holds where
// it was shown.
TEST(ScreenPlaces, AWindowPartlyOffTheScreenIsShownWhollyOnItAndItsFormFollows) {
  const winplat::ScreenMetrics metrics = winplat::Screen();
  FakeDisplay fake;
  fake.width = 1024;
  fake.height = 768;
  ASSERT_TRUE(screen::Open(fake.Driver()));
  struct Case {
    const char* what;
    int x, y, width, height;  // the form's place and client size, in pixels
    int wantX, wantY;
  } cases[] = {
      {"the main window stored at 80, 80", 80, 80, 1014, 768, 10, 0},
      {"off the right and the bottom", 200, 300, 900, 500, 124, 268},
      {"above and left of the screen", -40, -20, 300, 200, 0, 0},
      {"larger than the screen", 50, 60, 1100, 800, 0, 0},
      {"wholly on the screen: left where it is", 100, 50, 600, 400, 100, 50},
  };
  for (const Case& c : cases) {
    Form form{"Placed", "Placed"};
    form.Load();
    // Sized so that its client area (what the screen shows) is width x height.
    winplat::RECT outer, client;
    form.Move(c.x * kTwips, c.y * kTwips, c.width * kTwips, c.height * kTwips);
    ASSERT_TRUE(winplat::GetWindowRect(form.hWnd(), &outer) && winplat::GetClientRect(form.hWnd(), &client));
    const int formWidth = (2 * c.width - client.right) * kTwips, formHeight = (2 * c.height - client.bottom) * kTwips;
    form.Move(c.x * kTwips, c.y * kTwips, formWidth, formHeight);
    ASSERT_TRUE(winplat::GetClientRect(form.hWnd(), &client));
    ASSERT_EQ(client.right, c.width) << c.what;
    ASSERT_EQ(client.bottom, c.height) << c.what;
    form.Show();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    winplat::DispatchPending();
    const WindowId id = fake.Named("Placed");
    ASSERT_NE(id, 0u) << c.what;
    EXPECT_EQ(fake.windows[id].x, c.wantX) << c.what;
    EXPECT_EQ(fake.windows[id].y, c.wantY) << c.what;
    EXPECT_EQ(form.Left(), c.wantX * kTwips) << c.what;
    EXPECT_EQ(form.Top(), c.wantY * kTwips) << c.what;
    EXPECT_EQ(form.Width(), formWidth) << c.what << ": the size is kept";
    EXPECT_EQ(fake.windows[id].width, c.width) << c.what;
    form.Unload();
    winplat::DispatchPending();
  }
  winplat::CloseDisplay();
  while (winplat::DispatchPending() > 0) {
  }
  winplat::SetScreen(metrics);
}

TEST(ScreenPlaces, TheLayoutTextReadsBackAndSkipsWhatIsMalformed) {
  const std::vector<screen::Layout> windows{{{1, 2, 3, 4}, {{5, 6, 7, 8}}}, {{10, 20, 30, 40}, {}}};
  const std::string text = screen::LayoutText(windows);
  EXPECT_EQ(text, "window 1 2 3 4\ncontrol 5 6 7 8\nwindow 10 20 30 40\n");
  const std::vector<screen::Layout> back = screen::ParseLayout(text + "control 1 1 0 0\nwindow x\ncontrol 9 9\n");
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].controls.size(), 1u);
  EXPECT_EQ(back[1].window.right, 30);
  EXPECT_TRUE(back[1].controls.empty());
  EXPECT_TRUE(screen::ParseLayout("control 1 2 3 4\n").empty());  // a control of no window
}

}  // namespace
}  // namespace screentest
