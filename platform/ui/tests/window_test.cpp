// Windows: creation, sizes, z-order, placement, paint and scrolling.
#include <algorithm>

#include "ui_test_support.h"
#include "winplat/screen.h"

namespace {

using namespace winplat;
using uitest::Log;
using uitest::React;

class WindowTest : public uitest::UiTest {};

TEST_F(WindowTest, CreateSendsCreateSizeMoveAndRefusalDestroys) {
  HWND w = Make(0, WS_OVERLAPPEDWINDOW, 10, 20, 300, 200);
  ASSERT_NE(w, 0u);
  EXPECT_LE(w, 0xFFFFFFFDu);
  auto seen = uitest::Messages(w);
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen[0], WM_CREATE);
  EXPECT_EQ(seen[1], WM_SIZE);
  EXPECT_EQ(seen[2], WM_MOVE);
  RECT client;
  ASSERT_TRUE(GetClientRect(w, &client));
  // A sizing frame of 4 on each side and a 19-pixel caption.
  EXPECT_EQ(client.right, 300 - 8);
  EXPECT_EQ(client.bottom, 200 - 8 - 19);
  EXPECT_EQ(Log()[1].lParam, MAKELPARAM(292, 173));

  React() = [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT { return message == WM_CREATE ? -1 : 0; };
  Log().clear();
  EXPECT_EQ(Make(), 0u);
  ASSERT_FALSE(Log().empty());
  EXPECT_FALSE(IsWindow(Log()[0].hwnd));
  EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", "", 0, 0, 0, 10, 10, 0, 0, 0, 0), 0u);
}

TEST_F(WindowTest, ClassNamesIgnoreCaseAndCannotBeRegisteredTwice) {
  WNDCLASS wc;
  wc.lpfnWndProc = uitest::RecordingProc;
  wc.lpszClassName = "FRRECORDING";
  EXPECT_EQ(RegisterClass(wc), 0);
  WNDCLASS info;
  ASSERT_TRUE(GetClassInfo(0, "frrecording", &info));
  EXPECT_STREQ(info.lpszClassName, uitest::kClass);
  HWND w = Make();
  EXPECT_FALSE(UnregisterClass(uitest::kClass, 0));  // still has a window
  EXPECT_EQ(GetClassName(w), uitest::kClass);

  WNDCLASSEX wcx;
  wcx.style = CS_HREDRAW | CS_VREDRAW;
  wcx.lpfnWndProc = uitest::RecordingProc;
  wcx.hIcon = LoadIcon(0, IDI_APPLICATION);
  wcx.hIconSm = LoadIcon(0, IDI_WINLOGO);
  wcx.hbrBackground = 77;
  wcx.lpszClassName = "FrWithIcon";
  ASSERT_NE(RegisterClassEx(wcx), 0);
  HWND iconic = CreateWindowEx(WS_EX_TOPMOST, "FrWithIcon", "", WS_OVERLAPPED, 0, 0, 10, 10, 0, 0, 0, 0);
  EXPECT_EQ(GetClassLongPtr(iconic, GCLP_HBRBACKGROUND), 77u);
  EXPECT_EQ(GetClassLongPtr(iconic, GCL_STYLE), CS_HREDRAW | CS_VREDRAW);
  EXPECT_TRUE(IsTopmost(iconic));
  DestroyWindow(iconic);
  EXPECT_TRUE(UnregisterClass("frwithicon", 0));
  wcx.cbSize = 4;
  EXPECT_EQ(RegisterClassEx(wcx), 0);
}

TEST_F(WindowTest, ChildrenSitInTheParentClientAreaAndDieWithIt) {
  HWND parent = Make(0, WS_OVERLAPPEDWINDOW, 100, 50, 400, 300);
  HWND child = Make(parent, WS_BORDER, 5, 6, 50, 40);
  HWND grandchild = Make(child, 0, 1, 1, 10, 10);
  ASSERT_NE(grandchild, 0u);
  EXPECT_EQ(GetParent(child), parent);
  RECT r;
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 100 + 4 + 5);
  EXPECT_EQ(r.top, 50 + 4 + 19 + 6);
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, r.left + 1);
  ScreenToClient(child, &p);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(CreateWindowEx(0, uitest::kClass, "", WS_CHILD, 0, 0, 1, 1, 0, 0, 0, 0), 0u);  // child without parent

  Log().clear();
  DestroyWindow(parent);
  made.clear();
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandchild));
  std::vector<std::pair<HWND, UINT>> order;
  for (const auto& s : Log()) order.emplace_back(s.hwnd, s.message);
  std::vector<std::pair<HWND, UINT>> expected{{parent, WM_DESTROY},       {child, WM_DESTROY},
                                              {grandchild, WM_DESTROY},   {grandchild, WM_NCDESTROY},
                                              {child, WM_NCDESTROY},      {parent, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(SendMessage(parent, WM_USER, 0, 0), 0);
  EXPECT_FALSE(PostMessage(parent, WM_USER, 0, 0));
}

TEST_F(WindowTest, DestroyDropsQueuedMessages) {
  HWND w = Make();
  PostMessage(w, WM_USER, 0, 0);
  PostMessage(0, WM_USER + 2, 0, 0);
  DestroyWindow(w);
  made.clear();
  EXPECT_EQ(PendingMessageCount(), 1);
}

TEST_F(WindowTest, TopmostAndBottom) {
  HWND a = Make();
  HWND b = Make();
  HWND c = Make();
  auto order = [] { return WindowZOrder(); };
  auto pos = [&](HWND h) { auto z = order(); return std::find(z.begin(), z.end(), h) - z.begin(); };
  EXPECT_LT(pos(c), pos(b));
  EXPECT_LT(pos(b), pos(a));
  ASSERT_TRUE(SetWindowPos(a, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
  EXPECT_TRUE(IsTopmost(a));
  EXPECT_EQ(pos(a), 0);
  HWND d = Make();  // a new ordinary window stays behind the topmost one
  EXPECT_EQ(pos(a), 0);
  EXPECT_EQ(pos(d), 1);
  RECT before, after;
  GetWindowRect(a, &before);
  ASSERT_TRUE(SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, 3));  // flags 3: neither move nor size
  GetWindowRect(a, &after);
  EXPECT_FALSE(IsTopmost(a));
  EXPECT_EQ(pos(a), static_cast<long>(order().size()) - 1);
  EXPECT_EQ(before.left, after.left);
  EXPECT_EQ(before.right, after.right);
  EXPECT_EQ(GetWindowLongPtr(a, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(WindowTest, PlacementSurvivesMaximiseAndRoundTrips) {
  HWND w = Make(0, WS_OVERLAPPEDWINDOW, 30, 40, 500, 400);
  ShowWindow(w, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsZoomed(w));
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, Screen().width);
  bool toldMaximized = std::any_of(Log().begin(), Log().end(), [&](const uitest::Seen& s) {
    return s.hwnd == w && s.message == WM_SIZE && s.wParam == SIZE_MAXIMIZED;
  });
  EXPECT_TRUE(toldMaximized);
  WINDOWPLACEMENT wp;
  ASSERT_TRUE(GetWindowPlacement(w, &wp));
  EXPECT_EQ(wp.showCmd, static_cast<std::uint32_t>(SW_SHOWMAXIMIZED));
  EXPECT_EQ(wp.rcNormalPosition.left, 30);
  EXPECT_EQ(wp.rcNormalPosition.bottom, 440);

  HWND other = Make();
  wp.showCmd = SW_SHOWNORMAL;
  ASSERT_TRUE(SetWindowPlacement(other, wp));
  RECT r;
  GetWindowRect(other, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.right, 530);
  EXPECT_TRUE(IsWindowVisible(other));
  wp.showCmd = SW_SHOWMINIMIZED;
  SetWindowPlacement(other, wp);
  EXPECT_TRUE(IsIconic(other));
  GetClientRect(other, &client);
  EXPECT_EQ(client.right, 0);
  ShowWindow(other, SW_RESTORE);
  GetWindowRect(other, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.bottom, 440);
}

TEST_F(WindowTest, MoveAndSizeTellTheWindowOnlyWhatChanged) {
  HWND w = Make(0, 0, 0, 0, 100, 100);
  Log().clear();
  MoveWindow(w, 10, 10, 100, 100, false);
  EXPECT_EQ(uitest::Count(w, WM_SIZE), 0);
  EXPECT_EQ(uitest::Count(w, WM_MOVE), 1);
  MoveWindow(w, 10, 10, 120, 90, false);
  ASSERT_EQ(uitest::Count(w, WM_SIZE), 1);
  EXPECT_EQ(Log().back().lParam, MAKELPARAM(120, 90));
}

TEST_F(WindowTest, InvisibleWindowsAreNotPaintedAndValidateStopsPaint) {
  HWND w = Make(0, 0, 0, 0, 100, 80);
  InvalidateRect(w, nullptr, false);
  DispatchPending();
  EXPECT_EQ(uitest::Count(w, WM_PAINT), 0);
  ShowWindow(w, SW_SHOW);
  DispatchPending();
  EXPECT_EQ(uitest::Count(w, WM_PAINT), 1);
  DispatchPending();
  EXPECT_EQ(uitest::Count(w, WM_PAINT), 1);  // the default paint validated it

  RECT part{10, 10, 20, 20};
  InvalidateRect(w, &part, false);
  RECT more{50, 5, 60, 15};
  InvalidateRect(w, &more, false);
  RECT u;
  ASSERT_TRUE(GetUpdateRect(w, &u));
  EXPECT_EQ(u.left, 10);
  EXPECT_EQ(u.top, 5);
  EXPECT_EQ(u.right, 60);
  EXPECT_EQ(u.bottom, 20);
  RECT band{0, 0, 100, 12};  // cuts the top of the area off
  ValidateRect(w, &band);
  ASSERT_TRUE(GetUpdateRect(w, &u));
  EXPECT_EQ(u.top, 12);
  ValidateRect(w, nullptr);
  EXPECT_FALSE(GetUpdateRect(w, &u));
  DispatchPending();
  EXPECT_EQ(uitest::Count(w, WM_PAINT), 1);
}

TEST_F(WindowTest, BeginPaintHandsOverTheAreaAndUpdateWindowPaintsAtOnce) {
  HWND w = Make(0, WS_VISIBLE, 0, 0, 100, 80);
  DispatchPending();
  RECT area{0, 0, 0, 0};
  React() = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message != WM_PAINT) return 0;
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    area = ps.rcPaint;
    EndPaint(hwnd, &ps);
    return 1;
  };
  RECT r{5, 6, 500, 7};  // clipped to the client area
  InvalidateRect(w, &r, true);
  EXPECT_TRUE(UpdateWindow(w));
  EXPECT_EQ(area.left, 5);
  EXPECT_EQ(area.right, 100);
  EXPECT_FALSE(GetUpdateRect(w, nullptr));
}

TEST_F(WindowTest, ScrollUpInvalidatesTheUncoveredStrip) {
  HWND w = Make(0, WS_VISIBLE, 0, 0, 200, 100);
  DispatchPending();
  ASSERT_TRUE(ScrollWindow(w, 0, -16, nullptr, nullptr));
  RECT u;
  ASSERT_TRUE(GetUpdateRect(w, &u));
  EXPECT_EQ(u.top, 84);
  EXPECT_EQ(u.bottom, 100);
  EXPECT_EQ(u.right, 200);
}

TEST_F(WindowTest, TextValuesAndFind) {
  HWND w = Make();
  SetWindowText(w, "VEXLIB.DLL Communications Window");
  EXPECT_EQ(FindWindow(uitest::kClass, "VEXLIB.DLL Communications Window"), w);
  EXPECT_EQ(FindWindow("", "no such title"), 0u);
  SetWindowLongPtr(w, GWLP_USERDATA, 1234);
  EXPECT_EQ(GetWindowLongPtr(w, GWLP_USERDATA), 1234);
  EXPECT_FALSE(IsWindowEnabled(w) == false);
  EnableWindow(w, false);
  EXPECT_FALSE(IsWindowEnabled(w));
  EXPECT_NE(GetWindowLongPtr(w, GWL_STYLE) & static_cast<LRESULT>(WS_DISABLED), 0);
}

TEST(Screen, DefaultsAndTheOneConversion) {
  ScreenMetrics saved = Screen();
  SetScreen(ScreenMetrics{});
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  EXPECT_EQ(TwipsPerPixel(), 15);
  EXPECT_DOUBLE_EQ(PixelsToTwips(10), 150.0);
  EXPECT_DOUBLE_EQ(TwipsToPixels(1440), 96.0);
  SetScreen(ScreenMetrics{1280, 1024, 120});
  EXPECT_EQ(TwipsPerPixel(), 12);
  SetScreen(saved);
}

TEST(Screen, MousePointerIsRecorded) {
  ClearMousePointerHistory();
  SetMousePointer(vbHourglass);
  EXPECT_EQ(MousePointer(), 11);
  SetMousePointer(vbDefault);
  EXPECT_EQ(MousePointerHistory(), (std::vector<int>{11, 0}));
}

}  // namespace
