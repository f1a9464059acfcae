// The diagnostic window: its class, its procedure and its scrolling log.
#include "comm_window.h"

#include "library_state.h"
#include "winplat/gdi.h"
#include "winplat/module.h"
#include "winplat/screen.h"
#include "winplat/surface.h"
#include "winplat/window.h"

namespace vexlib {
namespace {

namespace wp = winplat;

constexpr char kClassName[] = "VX_DLL32Class";
constexpr char kTitle[] = "VEXLIB.DLL Communications Window";
constexpr std::size_t kHistoryLines = 2000;
// Only the copy of the library that registered the class takes it away again.
bool classRegistered = false;

wp::LRESULT CommWindowProc(wp::HWND hwnd, wp::UINT message, wp::WPARAM wParam, wp::LPARAM lParam) {
  CommWindow& window = Lib().window;
  switch (message) {
    case wp::WM_CREATE:
      window.Created(hwnd);
      return 0;
    case wp::WM_SIZE:
      window.Sized(wp::LOWORD(static_cast<std::uintptr_t>(lParam)), wp::HIWORD(static_cast<std::uintptr_t>(lParam)));
      return 0;
    case wp::WM_PAINT: {
      wp::PAINTSTRUCT paint{};
      wp::HDC hdc = wp::BeginPaint(hwnd, &paint);
      window.Painted(hdc);
      wp::EndPaint(hwnd, &paint);
      return 0;
    }
    case wp::WM_DESTROY:
      window.Destroyed();
      return 0;
    default:
      return wp::DefWindowProc(hwnd, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterCommWindowClass() {
  wp::WNDCLASSEX wc;
  wc.style = wp::CS_HREDRAW | wp::CS_VREDRAW;
  wc.lpfnWndProc = CommWindowProc;
  wc.hInstance = wp::ModuleHandleOf(kClassName);
  wc.hIcon = wp::LoadIcon(0, wp::IDI_APPLICATION);
  wc.hIconSm = wp::LoadIcon(0, wp::IDI_WINLOGO);
  wc.hCursor = wp::LoadCursor(0, wp::IDC_ARROW);
  wc.hbrBackground = wp::GetStockObject(wp::WHITE_BRUSH);
  wc.lpszClassName = kClassName;
  classRegistered = wp::RegisterClassEx(wc) != 0;
  return classRegistered;
}

void UnregisterCommWindowClass() {
  if (classRegistered) wp::UnregisterClass(kClassName, wp::ModuleHandleOf(kClassName));
  classRegistered = false;
}

bool CommWindow::Open() {
  if (open_) return true;
  int width = static_cast<int>(static_cast<float>(wp::GetSystemMetrics(wp::SM_CXSCREEN)) / 2.3f);
  int height = static_cast<int>(static_cast<float>(wp::GetSystemMetrics(wp::SM_CYSCREEN)) / 3.0f);
  history_.clear();
  wp::HWND hwnd = wp::CreateWindowEx(wp::WS_EX_TOPMOST, kClassName, kTitle,
                                     wp::WS_CAPTION | wp::WS_SYSMENU | wp::WS_THICKFRAME | wp::WS_MINIMIZEBOX, 0, 0,
                                     width, height, 0, 0, wp::ModuleHandleOf(kClassName), 0);
  if (!hwnd) return false;
  hwnd_ = hwnd;
  wp::ShowWindow(hwnd, wp::SW_SHOWNORMAL);
  wp::UpdateWindow(hwnd);
  open_ = true;
  loggingOn_ = true;
  return true;
}

void CommWindow::Close() {
  if (open_ && hwnd_) wp::DestroyWindow(hwnd_);
  open_ = false;
  loggingOn_ = false;
  hwnd_ = 0;
}

void CommWindow::Measure() {
  wp::HDC hdc = wp::GetDC(hwnd_);
  wp::TEXTMETRIC metrics;
  if (hdc && wp::GetTextMetrics(hdc, &metrics)) {
    measured_ = true;
    lineHeight_ = metrics.tmHeight + metrics.tmExternalLeading;
    leftMargin_ = metrics.tmAveCharWidth;
    firstLineY_ = metrics.tmExternalLeading;
  }
  if (hdc) wp::ReleaseDC(hwnd_, hdc);
  if (lineHeight_ <= 0) lineHeight_ = 16;  // a context without a font still gets lines
}

void CommWindow::Created(wp::HWND hwnd) {
  hwnd_ = hwnd;
  brush_ = wp::GetStockObject(wp::WHITE_BRUSH);
  lineHeight_ = 0;
  measured_ = false;
  Measure();
  currentY_ = firstLineY_;
}

void CommWindow::Sized(int width, int height) {
  clientWidth_ = static_cast<std::int16_t>(width);
  clientHeight_ = static_cast<std::int16_t>(height);
  // The client surface may come only with the first size: measure then.
  if (!measured_) {
    Measure();
    currentY_ = firstLineY_;
  }
}

void CommWindow::Painted(wp::HDC hdc) {
  static constexpr char kErased[] = "Window Background erased";
  if (hdc) wp::TextOut(hdc, leftMargin_, firstLineY_, kErased, static_cast<int>(sizeof kErased - 1));
  currentY_ = firstLineY_;
}

void CommWindow::Destroyed() {
  open_ = false;
  loggingOn_ = false;
  hwnd_ = 0;
}

void CommWindow::WriteLine(std::string_view text) {
  if (!open_ || !loggingOn_ || !hwnd_) return;
  history_.emplace_back(text);
  if (history_.size() > kHistoryLines) history_.pop_front();
  if (currentY_ + lineHeight_ >= clientHeight_) {
    wp::ScrollWindow(hwnd_, 0, -lineHeight_, nullptr, nullptr);
    wp::ValidateRect(hwnd_, nullptr);
    currentY_ -= lineHeight_;
  }
  wp::HDC hdc = wp::GetDC(hwnd_);
  if (hdc) {
    wp::RECT line{leftMargin_, currentY_, clientWidth_, currentY_ + lineHeight_};
    wp::FillRect(hdc, &line, brush_);
    wp::TextOut(hdc, leftMargin_, currentY_, text.data(), static_cast<int>(text.size()));
    wp::ReleaseDC(hwnd_, hdc);
  }
  currentY_ += lineHeight_;
}

}  // namespace vexlib
