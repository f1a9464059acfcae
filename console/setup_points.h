#pragma once
// The set-up crosses of the "Points" tab: picked, dragged and nudged in
// SetupWin, projected one at a time as board frame 99 "Cal Points" at the node
// they snap to (written back into the point's grid row), added, deleted, and
// applied as the alignment grid.
#include <cstdint>

#include "console/main_form.h"
#include "console/sketch_lines.h"
#include "engine/engine.h"
#include "winplat/components/grid.h"

namespace fieldray::console {

// SetupWin (a square of `side` twips) over the correction grid, with the
// window point (x, y) moved onto the node at or above it on each axis: points
// near it are converted with the same move, so a cross centred there is
// projected on that node.
class NodeSnap {
 public:
  NodeSnap(double side, std::int32_t x, std::int32_t y);
  // The window point (px, py) in correction units (Y up), moved with the centre
  // and held to the scanners' range.
  std::int32_t X(double px) const;
  std::int32_t Y(double py) const;
  // The node (0..64) of a converted coordinate; the top of the range counts as
  // the last node.
  static std::int32_t Node(std::int32_t v);

 private:
  double k_;
  std::int32_t rx_ = 0;
  std::int32_t ry_ = 0;
};

class SetupPoints {
 public:
  SetupPoints(engine::Engine& engine, MainForm& main, winplat::SpreadGrid& setupData);
  SetupPoints(const SetupPoints&) = delete;
  SetupPoints& operator=(const SetupPoints&) = delete;

  // The selected cross as frame 99 "Cal Points", its node written into its row
  // (frame 99 empty without a selected cross); displayed.
  void ShowSetCross();
  // Keeps element `index` of SetLineY and SetLineX as CrossLineV and CrossLineH.
  std::int32_t ControlType2(std::int32_t index);

  void SetupData_RowSelected(std::int32_t newRow);
  void SetupWin_MouseDown(int button, int shift, float x, float y);
  void SetupWin_MouseMove(int button, int shift, float x, float y);
  void SetupWin_MouseUp(int button, int shift, float x, float y);
  void SetXPos_Change();
  void SetYPos_Change();
  void BtnCross_Click();
  void DelPt_Click();
  void StartSetupCmd_Click();

  wc::LineControl* CrossLineV = nullptr;
  wc::LineControl* CrossLineH = nullptr;

 private:
  // True when the selection names a cross.
  bool CrossSelected() const;
  void ColourCrosses(std::int32_t selected);
  void EnableNudging(bool on);
  void Nudge(wc::ScrollBar& bar, std::int16_t& last, std::int32_t cell, bool alongX);

  engine::Engine& e_;
  MainForm& main_;
  winplat::SpreadGrid& grid_;
  DragProjection drag_;
  std::int16_t LastSetXPos = 0;
  std::int16_t LastSetYPos = 0;
};

}  // namespace fieldray::console
