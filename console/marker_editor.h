#pragma once
// The marker editor of the "Markers" tab: marker lines drawn, picked, dragged
// and nudged in MarkerWin, stored as marker sets in the grid MarkerData
// ("Marker.Dat"), and projected as board frame 99 "Markers" at every edit.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/main_form.h"
#include "console/sketch_lines.h"
#include "engine/engine.h"
#include "winplat/components/grid.h"

namespace fieldray::console {

// One record of a marker set: "Tag, X1, X2, Y1, Y2;".
struct MarkerRecord {
  std::string Tag;
  float X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
  bool operator==(const MarkerRecord&) const = default;
};

// The record in the number-to-text form ("L, 200, 500, 200, 200;").
std::string MarkerRecordText(const MarkerRecord& record);

// The records of a set text. Every record ended by ";" is read (a field that
// holds no number reads 0); the part after the last ";" is read only when it
// has all five fields.
std::vector<MarkerRecord> SplitMarkerSet(std::string_view text);

class MarkerEditor {
 public:
  // `markerResolution` is the nudge step start-up reads from the settings.
  MarkerEditor(engine::Engine& engine, MainForm& main, winplat::SpreadGrid& markerData,
               const std::int32_t& markerResolution);
  MarkerEditor(const MarkerEditor&) = delete;
  MarkerEditor& operator=(const MarkerEditor&) = delete;

  // A marker line of length 300 from (200, 200) at `angle` degrees.
  void LoadLine(double angle);
  void LoadRect();
  void LoadCross();
  // 1 for a line ("L"), 2 for a rectangle ("R"), else 0; keeps the control.
  std::int32_t ControlType(wc::Control& control);
  // The visible lines as frame 99 "Markers", displayed (empty without lines).
  void ShowMarkers();
  // The set of the visible lines into column 5 of the grid's active row.
  void StoreMarkers();
  // The lines of the set in the active row (added to those shown when Merge is checked).
  void ReturnMarkers();

  void BtnLine_Click(int index);
  void MWDel_Click();
  void MWClr_Click();
  void BtnStMkr_Click();
  void MarkerWin_MouseDown(int button, int shift, float x, float y);
  void MarkerWin_MouseMove(int button, int shift, float x, float y);
  void MarkerWin_MouseUp(int button, int shift, float x, float y);
  void MarkerData_Click(std::int32_t col, std::int32_t row);
  void MarkerData_KeyDown(std::int16_t keyCode);
  void MarkerData_Change();

  // The control last passed to ControlType.
  wc::Control* MarkerControl = nullptr;

 private:
  // The selected line, or nullptr when the selection names no visible line.
  wc::LineControl* Selected() const;
  void Nudge(wc::ScrollBar& bar, std::int16_t& previous, bool alongX, bool bothEnds);
  void SetSelection(std::int32_t index);
  void UnloadLines();

  engine::Engine& e_;
  MainForm& main_;
  winplat::SpreadGrid& grid_;
  const std::int32_t& resolution_;
  DragProjection drag_;
  std::int16_t PrevXPos = 0;
  std::int16_t PrevYPos = 0;
  std::int16_t PrevX2Move = 0;
  std::int16_t PrevY2Move = 0;
};

}  // namespace fieldray::console
