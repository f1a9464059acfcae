#pragma once
// Turning the assembly list into board frames: one frame per switch position,
// keeping the points its options allow, and densifying long jumps.
#include <cstdint>
#include <string>

#include "engine/engine.h"

namespace fieldray::engine {

// Repeats of a dark or lit copy at the start and end of a visible run.
constexpr std::int32_t RunRepeats = 5;
// Frame positions DensifyFramePoints examines at most.
constexpr std::int32_t DensifyLimit = 6000;

// Switch positions that get a board frame: 1 to SwitchPositionFrames. Columns
// of SSOptSw beyond them are kept in the grid (and its file) but never
// written over the frames that follow (caption, drawing, calibration).
constexpr std::int32_t SwitchPositionFrames = 6;
// The switch positions whose frames are built from a grid of `columns` columns.
constexpr std::int32_t SwitchPositionsBuilt(std::int32_t columns) {
  return columns < 0 ? 0 : (columns > SwitchPositionFrames ? SwitchPositionFrames : columns);
}
// Start-up's note on a switch-option file holding more positions than are
// built ("" when it holds at most SwitchPositionFrames).
std::string SwitchPositionsNote(std::int32_t columns);

// The device colour for white.
std::int32_t DeviceWhite(Engine& engine);

// n = 0: copies AssemblyPoints unchanged into FrameBuffer. n >= 1: builds the
// frame of switch position n from the options in column n of SSOptSw,
// densifies it and writes it as board frame n; a frame that keeps no point is
// not written. Nothing happens while the assembly list is empty.
void SendFrame(Engine& engine, std::int32_t n);

// Inserts points along every jump of FrameBuffer longer than the frame's step.
void DensifyFramePoints(Engine& engine);

// Runs the radius compensation over PathElements and appends its whole output
// (from its element 0) behind the path.
void AppendOffsetPath(Engine& engine);

}  // namespace fieldray::engine
