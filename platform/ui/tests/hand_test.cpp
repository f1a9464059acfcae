// The operator's pointer and keys at window pixels: hit tests on the drawn
// geometry, clicks at the release, keys to the focused control.
#include "controls_test_support.h"
#include "winplat/controls/hand.h"
#include "winplat/window.h"
#include "../controls_geometry.h"

namespace ctltest {
namespace {

namespace hand = winplat::controls::hand;
using hand::MouseAction;

constexpr int kTwips = 15;
constexpr int Vk(winplat::WPARAM key) { return static_cast<int>(key); }
constexpr int VK_TAB = Vk(winplat::VK_TAB), VK_RETURN = Vk(winplat::VK_RETURN), VK_ESCAPE = Vk(winplat::VK_ESCAPE),
              VK_SPACE = Vk(winplat::VK_SPACE), VK_HOME = Vk(winplat::VK_HOME), VK_END = Vk(winplat::VK_END),
              VK_LEFT = Vk(winplat::VK_LEFT), VK_RIGHT = Vk(winplat::VK_RIGHT), VK_DOWN = Vk(winplat::VK_DOWN),
              VK_DELETE = Vk(winplat::VK_DELETE), VK_BACK = Vk(winplat::VK_BACK);  // per pixel at 96 dpi

class Hand : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    box = &Placed(form.Add<TextBox>("Box", nullptr, "abc"), 20, 20, 100, 20);
    check = &Placed(form.Add<CheckBox>("Check", nullptr, "Check"), 20, 60, 100, 20);
    ok = &Placed(form.Add<CommandButton>("OK", nullptr, "OK"), 20, 100, 75, 23);
    cancel = &Placed(form.Add<CommandButton>("Cancel", nullptr, "Cancel"), 100, 100, 75, 23);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    list = &Placed(form.Add<ListBox>("List", nullptr), 200, 20, 100, 100);
    for (int i = 0; i < 30; ++i) list->AddItem("entry " + std::to_string(i));
    bar = &Placed(form.Add<ScrollBar>("Bar", nullptr, ControlKind::VScrollBar), 320, 20, 20, 120);
    bar->SetMax(100);
    bar->SetLargeChange(10);
    ud = &Placed(form.Add<UpDown>("Spin", nullptr), 360, 20, 16, 24);
    ud->SetMax(10);
    tabs = &Placed(form.Add<TabStrip>("Tabs", nullptr, std::vector<std::string>{"One", "Two"}), 20, 200, 200, 100);
    ok->Click = Log("ok");
    cancel->Click = Log("cancel");
    form.Show();
  }
  template <class T>
  T& Placed(T& control, int x, int y, int w, int h) {
    control.Move(x * kTwips, y * kTwips, w * kTwips, h * kTwips);
    return control;
  }
  void ClickAt(int x, int y, int button = vbLeftButton) {
    hand::Mouse(form.hWnd(), MouseAction::Down, x, y, button, 0);
    hand::Mouse(form.hWnd(), MouseAction::Up, x, y, button, 0);
  }
  void Press(int key, int shift = 0) { hand::Key(form.hWnd(), key, shift); }

  Form form{"Hands", "Hands"};
  TextBox* box = nullptr;
  CheckBox* check = nullptr;
  CommandButton* ok = nullptr;
  CommandButton* cancel = nullptr;
  ListBox* list = nullptr;
  ScrollBar* bar = nullptr;
  UpDown* ud = nullptr;
  TabStrip* tabs = nullptr;
};

TEST_F(Hand, APressAndReleaseOnOneControlIsAClickAtTheRelease) {
  hand::Mouse(form.hWnd(), MouseAction::Down, 50, 110, vbLeftButton, 0);
  EXPECT_TRUE(events.empty());
  hand::Mouse(form.hWnd(), MouseAction::Up, 52, 112, vbLeftButton, 0);
  EXPECT_EQ(events, std::vector<std::string>{"ok"});
  // Released over another control: no click anywhere.
  hand::Mouse(form.hWnd(), MouseAction::Down, 50, 110, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Up, 130, 110, vbLeftButton, 0);
  EXPECT_EQ(events.size(), 1u);
  // The right button is a right click: no Click, MouseUp with button 2.
  int upButton = 0;
  ok->MouseUp = [&](int b, int, float, float) { upButton = b; };
  ClickAt(50, 110, vbRightButton);
  EXPECT_EQ(events.size(), 1u);
  EXPECT_EQ(upButton, vbRightButton);
}

TEST_F(Hand, EachKindIsHitWhereItsPartsAreDrawn) {
  // A list row picks TopIndex + row (rows from 2 pixels below the top).
  list->SetTopIndex(5);
  int row = winplat::controls::geometry::ListRowHeight(*list);
  ClickAt(240, 20 + 2 + row + row / 2);
  EXPECT_EQ(list->ListIndex(), 6);
  // The scroll bar: the lower arrow steps, the trough below the thumb pages,
  // the thumb dragged to the bottom scrolls to Max.
  ClickAt(330, 135);
  EXPECT_EQ(bar->Value(), 1);
  ClickAt(330, 100);
  EXPECT_EQ(bar->Value(), 11);
  const auto parts = winplat::controls::geometry::ScrollBarParts(*bar, winplat::controls::geometry::PlaceOf(*bar));
  hand::Mouse(form.hWnd(), MouseAction::Down, 330, parts.thumb.y + 2, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Move, 330, 200, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Up, 330, 200, vbLeftButton, 0);
  EXPECT_EQ(bar->Value(), 100);
  // The up-down's upper half steps up, its lower half down.
  ClickAt(368, 24);
  ClickAt(368, 24);
  ClickAt(368, 40);
  EXPECT_EQ(ud->Value(), 1);
  // The second tab.
  ClickAt(150, 205);
  EXPECT_EQ(tabs->Tab(), 1);
  // Where nothing is drawn the form is hit: no control changes.
  ClickAt(600, 400);
  EXPECT_EQ(tabs->Tab(), 1);
  EXPECT_EQ(list->ListIndex(), 6);
}

TEST_F(Hand, KeysGoToTheFocusedControlKeyDownFirst) {
  box->KeyDown = [this](int& key, int) { events.push_back("down " + std::to_string(key)); };
  box->KeyPress = [this](int& key) { events.push_back("press " + std::to_string(key)); };
  ClickAt(118, 30);  // the caret goes to the end, where the click fell
  EXPECT_TRUE(box->HasFocus());
  EXPECT_EQ(box->SelStart(), 3);
  Press('X');
  hand::Character(form.hWnd(), 'X');
  EXPECT_EQ(events, (std::vector<std::string>{"down 88", "press 88"}));
  EXPECT_EQ(box->Text(), "abcX");
  // The caret moves and Delete removes the character after it.
  struct Step {
    int key;
    const char* text;
    int caret;
  };
  for (const Step& step : {Step{VK_HOME, "abcX", 0}, Step{VK_RIGHT, "abcX", 1}, Step{VK_DELETE, "acX", 1},
                           Step{VK_END, "acX", 3}, Step{VK_LEFT, "acX", 2}, Step{VK_BACK, "aX", 1}}) {
    Press(step.key);
    EXPECT_EQ(box->Text(), step.text) << "key " << step.key;
    EXPECT_EQ(box->SelStart(), step.caret) << "key " << step.key;
  }
  // A KeyDown handler that clears the key takes it away from the box.
  box->KeyDown = [](int& key, int) { key = 0; };
  Press(VK_HOME);
  EXPECT_EQ(box->SelStart(), 1);
}

TEST_F(Hand, TabEnterEscapeAndSpaceDoWhatAFormsKeysDo) {
  box->SetFocus();
  Press(VK_TAB);
  EXPECT_TRUE(check->HasFocus());
  Press(VK_SPACE);
  EXPECT_EQ(check->Value(), vbChecked);
  Press(VK_TAB, vbShiftMask);
  EXPECT_TRUE(box->HasFocus());
  // Enter presses the Default button, Escape the Cancel one; on a focused
  // button Enter presses that button.
  Press(VK_RETURN);
  Press(VK_ESCAPE);
  cancel->SetFocus();
  Press(VK_RETURN);
  EXPECT_EQ(events, (std::vector<std::string>{"ok", "cancel", "cancel"}));
  // Arrows move in a list and keep the entry in view.
  list->SetFocus();
  list->SetListIndex(0);
  for (int i = 0; i < 12; ++i) Press(VK_DOWN);
  EXPECT_EQ(list->ListIndex(), 12);
  EXPECT_GT(list->TopIndex(), 0);
  EXPECT_LE(list->TopIndex(), 12);
}

// A window of an outside component on the form gets the pointer as its own messages.
std::vector<std::string>* g_messages = nullptr;
winplat::LRESULT RecordingProc(winplat::HWND hwnd, winplat::UINT message, winplat::WPARAM wParam,
                               winplat::LPARAM lParam) {
  if (g_messages && (message == winplat::WM_LBUTTONDOWN || message == winplat::WM_LBUTTONUP ||
                     message == winplat::WM_MOUSEMOVE))
    g_messages->push_back(std::to_string(message) + " " + std::to_string(winplat::LOWORD(lParam)) + "," +
                          std::to_string(winplat::HIWORD(lParam)));
  return winplat::DefWindowProc(hwnd, message, wParam, lParam);
}

TEST_F(Hand, AnOutsideWindowOnTheFormGetsItsMouseMessages) {
  winplat::WNDCLASS wc;
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "HandTestView";
  winplat::RegisterClass(wc);
  winplat::HWND view = winplat::CreateWindowEx(0, "HandTestView", "", winplat::WS_CHILD | winplat::WS_VISIBLE, 400,
                                               300, 100, 80, form.hWnd(), 0, 0, 0);
  ASSERT_NE(view, 0u);
  std::vector<std::string> messages;
  g_messages = &messages;
  hand::Mouse(form.hWnd(), MouseAction::Down, 410, 305, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Move, 420, 310, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Up, 430, 315, vbLeftButton, 0);
  g_messages = nullptr;
  winplat::DestroyWindow(view);
  winplat::UnregisterClass("HandTestView", 0);
  EXPECT_EQ(messages, (std::vector<std::string>{"513 10,5", "512 20,10", "514 30,15"}));
}

}  // namespace
}  // namespace ctltest
