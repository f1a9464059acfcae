#pragma once
// The spreadsheet grid as a control reached by dispatch identifier (members in
// GridDispId) whose events go to the container's sink (ids in GridEventId).
#include <cstdint>

#include "winplat/components/grid.h"
#include "winplat/control.h"

namespace winplat {

// Events of the grid control, with their arguments.
namespace GridEventId {
constexpr DISPID Change = 1;       // no arguments
constexpr DISPID Click = 2;        // Col, Row (Long)
constexpr DISPID KeyDown = 3;      // KeyCode (Integer)
constexpr DISPID RowSelected = 4;  // Row (Long): the active cell moved to that row
constexpr DISPID EditChange = 5;   // Col, Row (Long), Changed (Boolean)
}  // namespace GridEventId

class SpreadGridControl : public ControlObject {
 public:
  SpreadGridControl();
  // The grid itself, for the operator's hands and for code that holds the control.
  SpreadGrid& Grid() { return grid_; }
  // Paints the grid into an area of a picture (pixels), first scrolling it so
  // that the active cell is in view when that cell moved since the last
  // paint (the operator may have scrolled it out of view since).
  void Paint(HDC hdc, const RECT& area);

 private:
  SpreadGrid grid_;
  std::int32_t shownRow_ = -1, shownCol_ = -1;  // the active cell last scrolled to
};

}  // namespace winplat
