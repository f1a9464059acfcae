#pragma once
// A view control with an empty drawing data base and a 1024 x 768 picture to
// draw into: the set-up the drawing benchmarks share.
#include <cstdint>

#include "dxf/control/dxf_control.h"
#include "winplat/gdi.h"

namespace benchscene {

struct ViewScene {
  winplat::ComPtr<kelvane::DXF> dxf = winplat::MakeObject<kelvane::DXF>();
  winplat::HDC dc = winplat::CreateCompatibleDC(0);
  winplat::HBITMAP bitmap = winplat::CreateCompatibleBitmap(dc, 1024, 768);
  std::int32_t layer = 0;  // layer "0", for the records the benchmark adds

  ViewScene() {
    winplat::SelectObject(dc, bitmap);
    dxf->db.InitDB(true);
    dxf->DXFComplete = winplat::VARIANT_TRUE;
    layer = kelvane::SetLayerID(dxf->db.Layers(), "0");
  }
  ~ViewScene() {
    winplat::DeleteDC(dc);
    winplat::DeleteObject(bitmap);
  }
  ViewScene(const ViewScene&) = delete;
  ViewScene& operator=(const ViewScene&) = delete;

  // One drawing pass of the view.
  bool Draw(const kelvane::ViewRect& view) { return dxf->Zoom(view, dxf->picKelvane, dc, false); }
};

}  // namespace benchscene
