// The control's constituent windows: picKelvane, picStatusBar and the four
// grips picHandle(0..3), child windows of the container's window, laid out
// over the control's rectangle. picKelvane's mouse messages become the
// control's mouse events, in its scale units; the grips' do nothing here.
#include <cmath>

#include "dxf_control.h"
#include "winplat/gdi.h"
#include "winplat/screen.h"
#include "winplat/surface.h"
#include "winplat/window.h"

namespace kelvane {
namespace {

constexpr const char* kPictureClass = "KelvaneEnt.PictureBox";

// VB mouse button and shift values.
std::int16_t ButtonOf(winplat::UINT message, winplat::WPARAM keys) {
  switch (message) {
    case winplat::WM_LBUTTONDOWN:
    case winplat::WM_LBUTTONUP: return 1;
    case winplat::WM_RBUTTONDOWN:
    case winplat::WM_RBUTTONUP: return 2;
    case winplat::WM_MBUTTONDOWN:
    case winplat::WM_MBUTTONUP: return 4;
    default: {
      std::int16_t b = 0;
      if (keys & winplat::MK_LBUTTON) b |= 1;
      if (keys & winplat::MK_RBUTTON) b |= 2;
      if (keys & winplat::MK_MBUTTON) b |= 4;
      return b;
    }
  }
}

std::int16_t ShiftOf(winplat::WPARAM keys) {
  std::int16_t s = 0;
  if (keys & winplat::MK_SHIFT) s |= 1;
  if (keys & winplat::MK_CONTROL) s |= 2;
  return s;
}

winplat::LRESULT PictureProc(winplat::HWND hwnd, winplat::UINT message, winplat::WPARAM wParam,
                             winplat::LPARAM lParam) {
  auto* owner = reinterpret_cast<DXF*>(winplat::GetWindowLongPtr(hwnd, winplat::GWLP_USERDATA));
  if (owner) {
    try {
      std::int16_t button = ButtonOf(message, wParam);
      std::int16_t shift = ShiftOf(wParam);
      float x = owner->ScaleXFromPixels(winplat::GET_X_LPARAM(lParam));
      float y = owner->ScaleYFromPixels(winplat::GET_Y_LPARAM(lParam));
      switch (message) {
        case winplat::WM_LBUTTONDOWN:
        case winplat::WM_RBUTTONDOWN:
        case winplat::WM_MBUTTONDOWN: owner->picKelvane_MouseDown(button, shift, x, y); return 0;
        case winplat::WM_MOUSEMOVE: owner->picKelvane_MouseMove(button, shift, x, y); return 0;
        case winplat::WM_LBUTTONUP:
        case winplat::WM_RBUTTONUP:
        case winplat::WM_MBUTTONUP: owner->picKelvane_MouseUp(button, shift, x, y); return 0;
        default: break;
      }
    } catch (...) {
      // A failing event handler never reaches the message loop.
      return 0;
    }
  }
  return winplat::DefWindowProc(hwnd, message, wParam, lParam);
}

bool EnsureClass() {
  winplat::WNDCLASS existing;
  if (winplat::GetClassInfo(0, kPictureClass, &existing)) return true;
  winplat::WNDCLASS wc;
  wc.lpfnWndProc = &PictureProc;
  wc.lpszClassName = kPictureClass;
  wc.hCursor = winplat::IDC_ARROW;
  return winplat::RegisterClass(wc) != 0;
}

winplat::HWND MakeBox(winplat::HWND parent, std::uintptr_t id, const char* name, bool visible = true) {
  return winplat::CreateWindowEx(0, kPictureClass, name, winplat::WS_CHILD | (visible ? winplat::WS_VISIBLE : 0u), 0, 0,
                                 0, 0, parent, id, 0, 0);
}

// Twips per scale unit, for the scale modes measured in twips.
double TwipsPerUnit(std::int16_t scaleMode) {
  switch (scaleMode) {
    case 1: return 1;          // twips
    case 2: return 20;         // points
    case 5: return 1440;       // inches
    case 6: return 1440 / 25.4;  // millimetres
    case 7: return 1440 / 2.54;  // centimetres
    default: return 0;         // pixels, characters or a user scale
  }
}

float ToScale(int pixels, std::int16_t scaleMode, double twipsPerCharacter) {
  double perUnit = scaleMode == 4 ? twipsPerCharacter : TwipsPerUnit(scaleMode);
  if (perUnit == 0) return static_cast<float>(pixels);
  return static_cast<float>(winplat::PixelsToTwips(pixels) / perUnit);
}

}  // namespace

float DXF::ScaleXFromPixels(int x) const { return ToScale(x, picKelvane.ScaleMode, 120); }
float DXF::ScaleYFromPixels(int y) const { return ToScale(y, picKelvane.ScaleMode, 240); }

void DXF::CreateWindows(winplat::HWND parent) {
  if (!parent || picKelvane.hWnd || !EnsureClass()) return;
  picKelvane.hWnd = MakeBox(parent, 1, "picKelvane");
  picStatusBar.hWnd = MakeBox(parent, 2, "picStatusBar", false);
  if (picStatusBar.hWnd) picStatusBar.hDC = winplat::GetDC(picStatusBar.hWnd);
  for (std::size_t i = 0; i < picHandle.size(); ++i) {
    picHandle[i].hWnd = MakeBox(parent, 3 + i, "picHandle");
    if (!picHandle[i].hWnd) continue;
    // Small solid black squares on the selection's corners.
    winplat::SetWindowSurfaceColor(picHandle[i].hWnd, 0);
    winplat::ClearWindowSurface(picHandle[i].hWnd, 0);
    winplat::ShowWindow(picHandle[i].hWnd, winplat::SW_HIDE);
  }
  if (picKelvane.hWnd)
    winplat::SetWindowLongPtr(picKelvane.hWnd, winplat::GWLP_USERDATA, reinterpret_cast<winplat::LRESULT>(this));
  LayoutWindows();
  ApplyPictureState();
  ApplyStatusBarVisibility();
}

void DXF::ApplyPictureState() {
  if (!picKelvane.hWnd) return;
  winplat::COLORREF back = picKelvane.PaintBackColor();
  winplat::SetWindowSurfaceColor(picKelvane.hWnd, back);
  winplat::SetWindowPersistentBitmap(picKelvane.hWnd, picKelvane.AutoRedraw);
  winplat::ClearWindowSurface(picKelvane.hWnd, back);
  RefreshPictureDC();
}

// hDC is the persistent bitmap's context in persistent-bitmap mode, else the window's.
void DXF::RefreshPictureDC() {
  if (!picKelvane.hWnd) return;
  if (picKelvane.hDC) winplat::ReleaseDC(picKelvane.hWnd, picKelvane.hDC);
  picKelvane.hDC = picKelvane.AutoRedraw ? winplat::GetPersistentDC(picKelvane.hWnd) : winplat::GetDC(picKelvane.hWnd);
}

void DXF::ClearPicture() {
  ++picKelvane.ClearCount;
  MarkSpritesUndrawn();
  if (picKelvane.hWnd) winplat::ClearWindowSurface(picKelvane.hWnd, picKelvane.PaintBackColor());
}

winplat::Variant DXF::Image() {
  if (!picKelvane.hWnd || !picKelvane.AutoRedraw || !picKelvane.hDC) return winplat::Variant::Nothing();
  auto bitmap = winplat::GetCurrentObject(picKelvane.hDC, winplat::OBJ_BITMAP);
  int w = 0, h = 0;
  winplat::GetWindowSurfaceSize(picKelvane.hWnd, &w, &h);
  return winplat::Variant(winplat::MakeObject<winplat::PictureObject>(bitmap, w, h));
}

void DXF::LayoutWindows() {
  std::int32_t left = PositionLeft(), top = PositionTop();
  if (picKelvane.hWnd)
    winplat::MoveWindow(picKelvane.hWnd, left + picKelvane.Left, top + picKelvane.Top, picKelvane.Width,
                        picKelvane.Height, true);
  if (picStatusBar.hWnd)
    winplat::MoveWindow(picStatusBar.hWnd, left + picStatusBar.Left, top + picStatusBar.Top, picStatusBar.Width,
                        picStatusBar.Height, true);
  PlaceGrips();
}

void DXF::DestroyWindows() {
  if (picKelvane.hWnd) {
    winplat::SetWindowLongPtr(picKelvane.hWnd, winplat::GWLP_USERDATA, 0);
    if (picKelvane.hDC) winplat::ReleaseDC(picKelvane.hWnd, picKelvane.hDC);
  }
  if (picStatusBar.hWnd && picStatusBar.hDC) winplat::ReleaseDC(picStatusBar.hWnd, picStatusBar.hDC);
  for (PictureBox* box : {&picKelvane, &picStatusBar, &picHandle[0], &picHandle[1], &picHandle[2], &picHandle[3]}) {
    if (box->hWnd) winplat::DestroyWindow(box->hWnd);
    box->hWnd = 0;
    box->hDC = 0;
  }
}

void DXF::OnMove(std::int32_t, std::int32_t) { LayoutWindows(); }

void DXF::OnSiteChanged() { CreateWindows(ContainerWindow()); }

void DXF::OnVisibleChanged(bool visible) {
  controlVisible_ = visible;
  if (picKelvane.hWnd) winplat::ShowWindow(picKelvane.hWnd, visible ? winplat::SW_SHOW : winplat::SW_HIDE);
  ApplyStatusBarVisibility();
}

void DXF::SetStatusBarVisible(bool visible) {
  picStatusBar.Visible = visible;
  ApplyStatusBarVisibility();
}

// picStatusBar's window shows only while its Visible and the control's are both True.
void DXF::ApplyStatusBarVisibility() {
  if (!picStatusBar.hWnd) return;
  if (picStatusBar.Visible && controlVisible_) {
    winplat::SetWindowPos(picStatusBar.hWnd, winplat::HWND_TOP, 0, 0, 0, 0, winplat::SWP_NOMOVE | winplat::SWP_NOSIZE);
    if (!(winplat::GetWindowLongPtr(picStatusBar.hWnd, winplat::GWL_STYLE) & winplat::WS_VISIBLE))
      ++picStatusBar.ShowCount;
    winplat::ShowWindow(picStatusBar.hWnd, winplat::SW_SHOW);
  } else {
    winplat::ShowWindow(picStatusBar.hWnd, winplat::SW_HIDE);
  }
}

void DXF::ClearStatusBar() {
  ++picStatusBar.ClearCount;
  if (picStatusBar.hWnd) winplat::ClearWindowSurface(picStatusBar.hWnd, picStatusBar.PaintBackColor());
}

void PaintProgress(PictureBox& box, double fraction) {
  if (box.hDC == 0) return;
  winplat::HBRUSH blue = winplat::CreateSolidBrush(0xFF0000);
  winplat::RECT bar{0, 0, static_cast<std::int32_t>(std::lround(box.Width * fraction)), box.Height};
  winplat::FillRect(box.hDC, &bar, blue);
  winplat::DeleteObject(blue);
  ++box.PaintCount;
}

void DXF::OnClose() { DestroyWindows(); }

}  // namespace kelvane
