#pragma once
// The drawing view control DXF1 placed on the main window where its slot is:
// it follows the slot's place and visibility, and the slot holds the control.
#include <memory>

#include "console/main_form.h"
#include "engine/dxf_host.h"

namespace fieldray::console {

class DrawingView {
 public:
  // Creates the control by ProgID on the loaded main window (raises the
  // creation's automation error, e.g. 429 when the class is not registered).
  explicit DrawingView(MainForm& main, const winplat::PropertyBag* bag = nullptr);
  ~DrawingView();
  DrawingView(const DrawingView&) = delete;
  DrawingView& operator=(const DrawingView&) = delete;

  engine::DxfHost& Host() { return *host_; }

 private:
  void Follow(const wc::HostSlot& slot);
  MainForm& main_;
  std::unique_ptr<engine::DxfHost> host_;
};

}  // namespace fieldray::console
