#pragma once
// A DXF control placed on a host form, its picture box sized, with helpers to
// put entities straight into its data base and to look at the picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../../reader/dxf_reader.h"
#include "../dxf_control.h"
#include "test_server.h"
#include "test_support.h"
#include "winplat/classreg.h"
#include "winplat/container.h"
#include "winplat/messages.h"
#include "winplat/module.h"
#include "winplat/picture.h"
#include "winplat/window.h"

// Why the last registry call failed (winplat/registry.h, whose error numbers
// clash with those of winplat/files.h included here).
namespace winplat {
std::string RegFailureText();
}

namespace rendertest {

inline winplat::LRESULT HostProc(winplat::HWND h, winplat::UINT m, winplat::WPARAM w, winplat::LPARAM l) {
  return winplat::DefWindowProc(h, m, w, l);
}

// Counts the ZoomComplete events the control raises.
class ZoomSink : public winplat::DispatchObject {
 public:
  ZoomSink() : DispatchObject("ZoomSink") {
    AddMethod(kelvane::dispid::ZoomComplete, "ZoomComplete", [this](winplat::Args&) {
      ++zooms;
      return winplat::Variant();
    }, 0);
  }
  int zooms = 0;
};

// The host's mouse handlers: button down starts the current function, every
// move feeds it, button up ends it.
class MouseHost : public winplat::DispatchObject {
 public:
  explicit MouseHost(winplat::IDispatch* control) : DispatchObject("MouseHost"), dxf(control) {
    AddMethod(kelvane::dispid::MouseDown, "MouseDown", [this](winplat::Args& a) {
      winplat::CallMethod(dxf, "zoominitiate", {winplat::Variant(a.Single(2)), winplat::Variant(a.Single(3))});
      return winplat::Variant();
    }, 4);
    AddMethod(kelvane::dispid::MouseMove, "MouseMove", [this](winplat::Args& a) {
      winplat::CallMethod(dxf, "zoomfeedback", {winplat::Variant(a.Single(2)), winplat::Variant(a.Single(3))});
      return winplat::Variant();
    }, 4);
    AddMethod(kelvane::dispid::MouseUp, "MouseUp", [this](winplat::Args&) {
      winplat::CallMethod(dxf, "zoomend");
      return winplat::Variant();
    }, 4);
  }
  winplat::IDispatch* dxf;
};

class RenderTest : public ::testing::Test {
 protected:
  void Place(int width, int height) {
    winplat::WNDCLASS wc;
    wc.lpfnWndProc = &HostProc;
    wc.lpszClassName = "RenderTestHost";
    winplat::RegisterClass(wc);
    form = winplat::CreateWindow("RenderTestHost", "Host", winplat::WS_OVERLAPPEDWINDOW, 0, 0, 1200, 1000, 0, 0, 0, 0);
    ASSERT_EQ(winplat::RegisterServerClass(kelvane::kProgID, kelvane::kCLSID_DXF, kelvane::kClassDescription,
                                           kelvanetest::ServerLibrary()),
              winplat::S_OK)
        << winplat::RegFailureText();
    site = winplat::PlaceControl(kelvane::kProgID, "DXF1", form, true);
    ASSERT_TRUE(site);
    dxf = winplat::QueryInterface<kelvane::DXF>(site->Object());
    ASSERT_TRUE(dxf);
    winplat::ExcepInfo excep;
    dxf->InitNew(&excep);
    ASSERT_EQ(site->Move(0, 0, width, height, &excep), winplat::S_OK);
    sink = winplat::MakeObject<ZoomSink>();
    site->ConnectEvents(sink.Get());
    dxf->db.InitDB(true);
    dxf->DXFComplete = winplat::VARIANT_TRUE;
  }
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(Place(400, 300)); }
  void TearDown() override {
    dxf = nullptr;
    site = nullptr;
    if (form) winplat::DestroyWindow(form);
  }

  kelvane::EntityDB& db() { return dxf->db; }
  // A mouse message to picKelvane, as the operator's hand makes it.
  void Send(winplat::UINT message, int x, int y, winplat::WPARAM keys = winplat::MK_LBUTTON) {
    winplat::SendMessage(dxf->picKelvane.hWnd, message, keys, winplat::MAKELPARAM(x, y));
  }
  std::int32_t Layer(const char* name) { return kelvane::SetLayerID(db().Layers(), name); }
  void Line(float x1, float y1, float x2, float y2, std::int32_t color = 0x0000FF) {
    kelvane::LineRecord r;
    r.X1 = x1;
    r.Y1 = y1;
    r.X2 = x2;
    r.Y2 = y2;
    r.Layer = Layer("0");
    r.Color = color;
    db().AddLine(r, kelvane::Growth::Loader);
  }
  void Extents(float l, float t, float r, float b) { db().DrawingExtents = kelvane::ExtentsRect{l, t, r, b}; }
  bool Draw(float l, float t, float r, float b) {
    dxf->Clear();
    return dxf->Zoom(kelvane::ViewRect{l, t, r, b}, dxf->picKelvane, 0, false);
  }
  winplat::Picture Shot() { return winplat::CaptureWindowPersistent(dxf->picKelvane.hWnd); }
  // Pixels of one colour in the picture.
  static int Count(const winplat::Picture& p, winplat::COLORREF c) {
    int n = 0;
    for (auto v : p.pixels) n += (v & 0xFFFFFF) == c ? 1 : 0;
    return n;
  }
  // True when a pixel of colour c lies within r pixels of (x, y).
  static bool Near(const winplat::Picture& p, int x, int y, winplat::COLORREF c, int r = 2) {
    for (int yy = y - r; yy <= y + r; ++yy)
      for (int xx = x - r; xx <= x + r; ++xx)
        if (xx >= 0 && yy >= 0 && xx < p.width && yy < p.height && (p.At(xx, yy) & 0xFFFFFF) == c) return true;
    return false;
  }
  static int CountNot(const winplat::Picture& p, winplat::COLORREF c) {
    return static_cast<int>(p.pixels.size()) - Count(p, c);
  }
  // Writes a drawing as C:\dxf\<name> and returns its Windows path.
  std::string Put(const std::string& name, const std::string& text) {
    testsupport::WriteFile(testsupport::Root() / "C" / "dxf" / name, text);
    return "C:\\dxf\\" + name;
  }

  winplat::HWND form = 0;
  winplat::ComPtr<winplat::PlacedControl> site;
  winplat::ComPtr<kelvane::DXF> dxf;
  winplat::ComPtr<ZoomSink> sink;
};


}  // namespace rendertest
