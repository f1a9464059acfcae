#pragma once
// The view control hosted on a plain main window for the engine's tests: the
// control library registered from the build and one DXF1 instance placed on it.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "engine/dxf_host.h"
#include "test_support.h"
#include "winplat/classreg.h"
#include "winplat/window.h"

namespace enginetest {

class ControlHost {
 public:
  ControlHost() {
    EXPECT_EQ(winplat::RegisterServerLibrary(testsupport::ControlLibraryFile()), winplat::S_OK);
    winplat::WNDCLASS wc;
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = "DrawingTestMain";
    winplat::RegisterClass(wc);
    main_ = winplat::CreateWindow("DrawingTestMain", "Main", winplat::WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, 0, 0, 0, 0);
    host_ = std::make_unique<fieldray::engine::DxfHost>(main_);
    host_->Move(0, 0, 640, 480);
  }
  ~ControlHost() {
    host_.reset();
    if (main_) winplat::DestroyWindow(main_);
  }
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  fieldray::engine::DxfHost& Host() { return *host_; }

 private:
  static winplat::LRESULT Proc(winplat::HWND h, winplat::UINT m, winplat::WPARAM w, winplat::LPARAM l) {
    return winplat::DefWindowProc(h, m, w, l);
  }
  winplat::HWND main_ = 0;
  std::unique_ptr<fieldray::engine::DxfHost> host_;
};

}  // namespace enginetest
