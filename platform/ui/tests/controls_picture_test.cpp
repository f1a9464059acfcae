// Picture boxes: scale modes, the persistent bitmap, drawing from code, draw
// modes, mouse coordinates, a drawing handle for the device library, and the
// screenshot of a form with its controls.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>

#include "controls_test_support.h"
#include "picture_pixels.h"
#include "test_support.h"
#include "winplat/controls/operator.h"
#include "winplat/display.h"
#include "winplat/gdi.h"
#include "winplat/picture.h"
#include "winplat/screen.h"
#include "winplat/surface.h"
#include "winplat/window.h"

namespace ctltest {
namespace {

class Pictures : public ControlTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ControlTest::SetUp());
    pic = &form.Add<PictureBox>("SetupWin", nullptr);
    pic->Move(600, 600, 3615, 3615);  // 241 x 241 pixels
  }
  // A screenshot of the form saved as shots/<name> and read back.
  static std::filesystem::path ShotPath(const std::string& name) { return testsupport::Root() / "shots" / name; }
  bool Shot(const std::string& name, winplat::Picture* shot) {
    std::filesystem::create_directories(ShotPath(name).parent_path());
    std::string error;
    const bool ok = op::Screenshot(form, ShotPath(name).string(), &error) && winplat::LoadPicturePng(ShotPath(name), shot, &error);
    EXPECT_TRUE(ok) << error;
    return ok;
  }
  // How many pixels of the w x h area at (left, top) are `color`.
  static int Count(const winplat::Picture& shot, int left, int top, int w, int h, winplat::COLORREF color) {
    return testsupport::PixelsWhere(shot, left, top, left + w, top + h, [&](winplat::COLORREF c) { return c == color; }).count;
  }
  Form form{"Main", "Main"};
  PictureBox* pic = nullptr;
};

TEST_F(Pictures, ScaleModesConvertBetweenUnitsAndPixels) {
  ASSERT_EQ(winplat::TwipsPerPixel(), 15);
  EXPECT_FLOAT_EQ(pic->ScaleWidth(), 3615.0f);
  pic->SetScaleMode(vbPixels);
  EXPECT_FLOAT_EQ(pic->ScaleWidth(), 241.0f);
  pic->SetScaleMode(vbPoints);
  EXPECT_FLOAT_EQ(pic->ScaleHeight(), 180.75f);
  pic->SetScaleMode(vbMillimeters);
  EXPECT_NEAR(pic->ScaleWidth(), 63.77, 0.01);
  pic->SetScale(-50, 50, 50, -50);  // y upward
  EXPECT_FLOAT_EQ(pic->ToPixelX(0), 120.5f);
  EXPECT_FLOAT_EQ(pic->ToPixelY(50), 0.0f);
  EXPECT_NEAR(pic->FromPixelY(241), -50.0f, 1e-4);
  EXPECT_THROW(pic->SetScaleMode(4), ControlError);
  EXPECT_THROW(pic->SetScale(0, 0, 0, 10), ControlError);
  // Size in units does not depend on whether the box is visible.
  pic->SetScaleMode(vbPixels);
  pic->SetVisible(false);
  EXPECT_FLOAT_EQ(pic->ScaleWidth(), 241.0f);
}

TEST_F(Pictures, AutoRedrawKeepsDrawingInThePersistentBitmapAndClsClearsIt) {
  form.Load();
  pic->SetScaleMode(vbPixels);
  pic->SetAutoRedraw(true);
  pic->SetBackColor(0xFFFFFF);
  pic->Line(10, 10, 100, 10, 0x0000FF);
  EXPECT_EQ(pic->Point(50, 10), 0x0000FF);
  EXPECT_EQ(pic->CurrentX(), 100.0f);
  pic->Line(20, 20, 60, 60, 0x00FF00, true, true);
  EXPECT_EQ(pic->Point(40, 40), 0x00FF00);
  pic->Circle(150, 150, 30, 0xFF0000);
  EXPECT_EQ(pic->Point(180, 150), 0xFF0000);
  EXPECT_EQ(pic->Point(150, 150), 0xFFFFFF);
  EXPECT_EQ(pic->Point(-1, 5), -1);
  // The screen shows the bitmap once painted.
  winplat::DispatchPending();
  pic->Refresh();
  winplat::Picture screen = winplat::CaptureWindow(pic->hWnd());
  ASSERT_EQ(screen.width, 241);
  EXPECT_EQ(screen.At(50, 10), 0x0000FFu);
  pic->Cls();
  EXPECT_EQ(pic->Point(50, 10), 0xFFFFFF);
  EXPECT_EQ(pic->CurrentX(), 0.0f);
}

TEST_F(Pictures, InvertDrawModeUndoesItselfForRubberBands) {
  form.Load();
  pic->SetScaleMode(vbPixels);
  pic->SetAutoRedraw(true);
  pic->Line(0, 30, 240, 30, 0x123456);
  pic->SetDrawMode(vbInvert);
  pic->Line(50, 0, 50, 100);
  EXPECT_EQ(pic->Point(50, 30), static_cast<std::int32_t>(~0x123456u & 0xFFFFFFu));
  pic->Line(50, 0, 50, 100);
  EXPECT_EQ(pic->Point(50, 30), 0x123456);
  EXPECT_EQ(pic->Point(50, 60), 0xFFFFFF);
  EXPECT_THROW(pic->SetDrawMode(17), ControlError);
}

TEST_F(Pictures, PrintAdvancesCurrentYAndDrawsText) {
  form.Load();
  pic->SetScaleMode(vbPixels);
  pic->SetAutoRedraw(true);
  pic->SetForeColor(0x000000);
  float h = pic->TextHeight("Hg");
  ASSERT_GT(h, 5.0f);
  pic->Print("Hello");
  EXPECT_FLOAT_EQ(pic->CurrentY(), h);
  EXPECT_EQ(pic->CurrentX(), 0.0f);
  int dark = 0;
  for (int x = 0; x < 60; ++x)
    for (int y = 0; y < static_cast<int>(h); ++y) dark += pic->Point(static_cast<float>(x), static_cast<float>(y)) != 0xFFFFFF;
  EXPECT_GT(dark, 10);
  EXPECT_EQ(pic->Point(200, 200), 0xFFFFFF);
  pic->Print("A", false);
  EXPECT_NEAR(pic->CurrentX(), pic->TextWidth("A"), 0.01);
}

TEST_F(Pictures, MouseEventsCarryButtonShiftAndScaleUnits) {
  pic->SetScale(0, 0, 100, 100);
  std::vector<std::string> seen;
  auto record = [&](const char* what) {
    return [&seen, what](int b, int s, float x, float y) {
      seen.push_back(std::string(what) + " " + std::to_string(b) + " " + std::to_string(s) + " " +
                     std::to_string(static_cast<int>(std::lround(x))) + " " + std::to_string(static_cast<int>(std::lround(y))));
    };
  };
  pic->MouseDown = record("down");
  pic->MouseMove = record("move");
  pic->MouseUp = record("up");
  form.Show();
  op::Mouse(*pic, kMouseDown, 25, 75, vbRightButton, vbShiftMask);
  op::Mouse(*pic, kMouseMove, 30, 70, vbRightButton, 0);
  op::Mouse(*pic, kMouseUp, 30, 70, vbRightButton, 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"down 2 1 25 75", "move 2 0 30 70", "up 2 0 30 70"}));
}

TEST_F(Pictures, WhatTheDeviceLibraryDrawsIntoTheHandleIsPartOfTheScreenshot) {
  auto& button = form.Add<CommandButton>("OnOffBtn", nullptr, "Laser ON");
  button.Move(4500, 600, 1500, 450);
  auto& line = form.Add<LineControl>("Line4", pic);
  line.SetX1(0);
  line.SetY1(1800);
  line.SetX2(3600);
  line.SetY2(1800);
  line.SetBorderColor(0xFF0000);
  form.Move(0, 0, 7500, 5000);
  form.Show();
  // The device library draws with its own calls into the handle it is given.
  winplat::HDC hdc = pic->hDC();
  ASSERT_NE(hdc, 0u);
  winplat::HPEN pen = winplat::CreatePen(winplat::PS_SOLID, 1, 0x00FF00);
  winplat::HGDIOBJ old = winplat::SelectObject(hdc, pen);
  winplat::MoveToEx(hdc, 20, 20, nullptr);
  winplat::LineTo(hdc, 200, 20);
  winplat::SelectObject(hdc, old);
  winplat::DeleteObject(pen);
  pic->ReleasehDC();

  winplat::Picture shot;
  ASSERT_TRUE(Shot("main.png", &shot));
  // The picture box sits at (40, 40) pixels of the form.
  EXPECT_EQ(shot.At(40 + 100, 40 + 20), 0x00FF00u);
  EXPECT_EQ(shot.At(40 + 100, 40 + 120), 0xFF0000u);  // Line4 in twips, 1800 -> pixel 120
  EXPECT_GT(Count(shot, 300, 40, 100, 30, 0x000000u), 10);  // the button's caption
  Form unloaded("Unloaded", "x");
  std::string error;
  EXPECT_FALSE(op::Screenshot(unloaded, ShotPath("main.png").string(), &error));
}

// An outside component's window: painted by the loop in the colour of the moment.
winplat::COLORREF viewColour = 0x0000FF;
winplat::LRESULT ViewProc(winplat::HWND hwnd, winplat::UINT message, winplat::WPARAM wParam, winplat::LPARAM lParam) {
  if (message != winplat::WM_PAINT) return winplat::DefWindowProc(hwnd, message, wParam, lParam);
  winplat::PAINTSTRUCT ps;
  winplat::HDC hdc = winplat::BeginPaint(hwnd, &ps);
  winplat::RECT all{0, 0, 50, 50};
  winplat::HBRUSH brush = winplat::CreateSolidBrush(viewColour);
  winplat::FillRect(hdc, &all, brush);
  winplat::DeleteObject(brush);
  winplat::EndPaint(hwnd, &ps);
  return 0;
}

TEST_F(Pictures, TheScreensFrameIsNewOnlyWhenTheFormOrAWindowOnItChanged) {
  auto& button = form.Add<CommandButton>("OnOffBtn", nullptr, "Laser ON");
  button.Move(4500, 1500, 1500, 450);
  form.Move(0, 0, 7500, 5000);
  form.Show();
  winplat::WNDCLASS wc;
  wc.lpfnWndProc = ViewProc;
  wc.lpszClassName = "FrFrameView";
  winplat::RegisterClass(wc);
  viewColour = 0x0000FF;
  winplat::HWND view = winplat::CreateWindowEx(0, "FrFrameView", "", winplat::WS_CHILD | winplat::WS_VISIBLE, 300, 40,
                                               50, 50, form.hWnd(), 0, 0, 0);
  ASSERT_NE(view, 0u);
  winplat::DispatchPending();
  std::uint64_t taken = 0;
  winplat::Picture frame = winplat::WindowFrame(form.hWnd(), &taken);
  EXPECT_EQ(frame.At(320, 60), 0x0000FFu);

  struct Step {
    const char* what;
    std::function<void()> change;
    bool changed;
    int x, y;  // a pixel the new frame shows (x < 0: none checked)
    winplat::COLORREF colour;
  };
  const Step steps[] = {
      {"nothing", [] {}, false, -1, 0, 0},
      {"the outside window painted by the loop",
       [&] {
         viewColour = 0x00FF00;
         winplat::InvalidateRect(view, nullptr, true);
       },
       true, 320, 60, 0x00FF00u},
      {"the outside window drawn on at once",
       [&] {
         winplat::HDC hdc = winplat::GetDC(view);
         winplat::SetPixel(hdc, 5, 5, 0xFF00FF);
         winplat::ReleaseDC(view, hdc);
       },
       true, 305, 45, 0xFF00FFu},
      {"the picture box drawn on through its handle",
       [&] {
         winplat::SetPixel(pic->hDC(), 10, 10, 0x123456);
         pic->ReleasehDC();
       },
       true, 50, 50, 0x123456u},
      {"a button's caption", [&] { button.SetCaption("Laser OFF"); }, true, -1, 0, 0},
      {"the form's size", [&] { form.Move(0, 0, 8000, 5000); }, true, -1, 0, 0},
      {"nothing again", [] {}, false, -1, 0, 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    winplat::DispatchPending();
    EXPECT_EQ(winplat::FrameChangedSince(form.hWnd(), taken), step.changed);
    frame = winplat::WindowFrame(form.hWnd(), &taken);
    if (step.x >= 0) {
      EXPECT_EQ(frame.At(step.x, step.y), step.colour);
    }
    // Read, the frame is the newest until something changes again.
    EXPECT_FALSE(winplat::FrameChangedSince(form.hWnd(), taken));
  }
  winplat::DestroyWindow(view);
  winplat::UnregisterClass("FrFrameView", 0);
}

TEST_F(Pictures, ASlotShowsNoNameAnEmptyOneIsASunkenBoxAnOccupiedOneLeavesTheForm) {
  auto& empty = form.Add<HostSlot>("Grid1", nullptr, "Outside.Grid");
  empty.Move(4500, 600, 1500, 900);
  auto& occupied = form.Add<HostSlot>("DXF1", nullptr, "KelvaneEnt.DXF");
  occupied.Move(4500, 1800, 1500, 900);
  int placed = 0;
  occupied.SetObject(&placed);  // its own window is hidden: nothing of it shows
  form.Move(0, 0, 7500, 5000);
  form.Show();
  winplat::Picture shot;
  ASSERT_TRUE(Shot("slots.png", &shot));
  const winplat::COLORREF back = shot.At(2, 2);
  // The empty slot (300, 40, 100 x 60 pixels): white inside its sunken edge, no text.
  EXPECT_EQ(Count(shot, 303, 43, 94, 54, 0xFFFFFFu), 94 * 54);
  EXPECT_NE(shot.At(300, 40), back);
  // The occupied slot (300, 120): the form's own background throughout.
  EXPECT_EQ(Count(shot, 300, 120, 100, 60, back), 100 * 60);
}

TEST_F(Pictures, AnOptionsOrACheckBoxsLongCaptionStaysInsideItsOwnBox) {
  // Each 80 x 20 pixels at x = 20, with a caption far longer; nothing to its right.
  auto& option = form.Add<OptionButton>("Height", nullptr, "Height for a very long label, and more");
  option.Move(300, 3000 + 600, 1200, 300);
  auto& check = form.Add<CheckBox>("Merge", nullptr, "Merge with a very long caption, and more");
  check.Move(300, 3000 + 1200, 1200, 300);
  pic->SetVisible(false);
  form.Move(0, 0, 7500, 6000);
  form.Show();
  winplat::Picture shot;
  ASSERT_TRUE(Shot("long-captions.png", &shot));
  const winplat::COLORREF back = shot.At(2, 2);
  for (const int top : {240, 280}) {
    EXPECT_GT(Count(shot, 40, top, 60, 20, option.ForeColor()), 0) << "the caption is drawn, at " << top;
    EXPECT_EQ(Count(shot, 100, top, 300, 20, back), 300 * 20) << "and ends at the box's edge, at " << top;
  }
}

TEST_F(Pictures, TransparentBoxHandsOutAHollowBrushAlignedBoxesFollowTheirContainer) {
  auto& host = form.Add<Frame>("Host", nullptr, "");
  host.Move(0, 0, 3000, 3000);
  auto& top = form.Add<PictureBox>("picKelvane", &host);
  top.SetTransparent(true);
  top.Move(500, 500, 1000, 1500);
  top.SetAlign(1);
  EXPECT_EQ(top.Left(), 0);
  EXPECT_EQ(top.Width(), 3000);
  auto& bottom = form.Add<PictureBox>("picStatusBar", &host);
  bottom.Move(0, 0, 1000, 300);
  bottom.SetAlign(2);
  host.Move(0, 0, 4500, 6000);
  EXPECT_EQ(top.Width(), 4500);
  EXPECT_EQ(bottom.Top(), 5700);
  EXPECT_THROW(top.SetAlign(3), ControlError);
  form.Load();
  top.SetScaleMode(vbPixels);
  top.SetAutoRedraw(true);
  top.Line(0, 0, 299, 99, 0x0000FF, true, true);
  winplat::HDC hdc = top.hDC();
  EXPECT_EQ(winplat::GetBkMode(hdc), winplat::TRANSPARENT);
  winplat::Rectangle(hdc, 10, 10, 90, 90);  // outline only: the fill stays
  top.ReleasehDC();
  EXPECT_EQ(top.Point(50, 50), 0x0000FF);
  EXPECT_EQ(top.Point(10, 50), 0x000000);
  // Z-order: sent behind its siblings, drawn before them.
  top.ZOrder(1);
  auto order = form.Controls();
  auto at = [&](Control* c) { return std::find(order.begin(), order.end(), c) - order.begin(); };
  EXPECT_LT(at(&top), at(&bottom));
  EXPECT_GT(at(&top), at(&host));
  top.ZOrder(0);
  order = form.Controls();
  EXPECT_EQ(order.back(), &top);
}

}  // namespace
}  // namespace ctltest
