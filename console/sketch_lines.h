#pragma once
// What the two sketch editors share, the marker window and the set-up window:
// picking a line by the mouse, the band a drag may move in, the step of a
// nudge bar, projecting a drag's moves one at a time, and storing a grid.
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "engine/engine.h"
#include "winplat/components/grid.h"
#include "winplat/controls/control_array.h"
#include "winplat/controls/picture.h"

namespace fieldray::console {

namespace wc = winplat::controls;

// Rounds to the nearest integer (halves to even), held in [lo, hi]; NaN gives 0.
std::int32_t RoundHeld(double v, std::int32_t lo, std::int32_t hi);
inline std::int32_t Round32(double v) {
  return RoundHeld(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
}

// A line is hit at (x, y) when the distances to its ends, less its length,
// each rounded to an integer and held at `distanceHold`, come to less than 12.
bool LineHit(const wc::LineControl& line, float x, float y,
             std::int32_t distanceHold = std::numeric_limits<std::int32_t>::max());

// The first visible element of `lines` from 1 up that is hit; 0 for none.
std::int32_t FirstLineHit(const wc::ControlArray<wc::LineControl>& lines, float x, float y,
                          std::int32_t distanceHold = std::numeric_limits<std::int32_t>::max());

// A drag moves only while the pointer is more than 50 units inside the left
// and top edges and more than 100 inside the right and bottom ones.
bool InDragBand(float x, float y, float width, float height);

// One step of `step` a change, up when the bar's value grew, whatever the
// size of the change.
std::int64_t NudgeStep(std::int16_t previous, std::int16_t value, std::int32_t step);

// Projects a drag's moves: pending window events run first, then `project`.
// A move that arrives meanwhile (from those events) is not projected inside
// the running one; the running one projects once more when it ends, so only
// the latest position is shown and moves never nest.
class DragProjection {
 public:
  void Move(const std::function<void()>& project);
  bool Running() const { return running_; }

 private:
  bool running_ = false;
  bool pending_ = false;
};

// The border colours of the editors' lines: the selected one and the others.
constexpr winplat::COLORREF SelectedLineColour = 0x80FFFF;
constexpr winplat::COLORREF LineColour = 0x404040;

// The board frame both editors project into.
constexpr std::int32_t SketchFrame = 99;

// Starts a frame of the editors: white for the lit points, and the point list
// emptied (points a job left there are no part of it).
void BeginSketchFrame(engine::Engine& engine);

// The point list as SketchFrame named `name` (densified), or SketchFrame
// emptied when the list is; then SketchFrame displayed `displays` times.
void ShowSketchFrame(engine::Engine& engine, const std::string& name, int displays);

// Saves `grid` as `fileName` in the program folder; a failure is shown in Msg.
bool SaveGridFile(engine::Engine& engine, winplat::SpreadGrid& grid, const std::string& fileName);
// The same without showing it: "" when saved, else what failed.
std::string GridFileSaveFailure(engine::Engine& engine, winplat::SpreadGrid& grid, const std::string& fileName);

}  // namespace fieldray::console
