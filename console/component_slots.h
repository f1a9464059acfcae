#pragma once
// The outside components in their slots on the console's windows: the
// spreadsheet grids and the text scanners, each reachable by its documented
// name; the operator's grid actions reach the grid in the slot.
#include "console/console_forms.h"
#include "winplat/components/grid_control.h"
#include "winplat/components/scanner_control.h"
#include "winplat/variant.h"

namespace fieldray::console {

class ComponentSlots {
 public:
  explicit ComponentSlots(ConsoleForms& forms);
  ~ComponentSlots();
  ComponentSlots(const ComponentSlots&) = delete;
  ComponentSlots& operator=(const ComponentSlots&) = delete;

  // The grid in a slot; nullptr for a slot that holds none of these grids.
  winplat::SpreadGridControl* GridIn(const wc::HostSlot& slot) const;

  winplat::ComPtr<winplat::SpreadGridControl> SSOptSw, SSHt, SPLabels, PHSdata, MarkerData, SetupData, ToolDat;
  winplat::ComPtr<winplat::TextScannerControl> GcodeAwk, Parser, Eval;

 private:
  struct Placed {
    wc::HostSlot* slot;
    winplat::SpreadGridControl* grid;
  };
  void Put(wc::HostSlot& slot, winplat::ComPtr<winplat::SpreadGridControl>& grid, int rows, int cols);
  std::vector<Placed> grids_;
  std::vector<wc::HostSlot*> slots_;
};

}  // namespace fieldray::console
