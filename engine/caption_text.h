#pragma once
// Captions: a short text drawn by the boards from the stick font into frame
// 101, densified like any frame and shown at once.
#include <cstdint>
#include <string>

#include "engine/engine.h"

namespace fieldray::engine {

// Builds `text` into frame 101 at CapX, CapY and shows it. Nothing is shown
// when the font cannot be loaded (Msg says so). With `reportHeld` the points
// the boards held at the edge of their range are reported in Msg as the
// caption's; a caption that goes with a message already in Msg passes false.
void ShowCaption(Engine& engine, std::string& text, bool reportHeld = true);

// Builds `text` into the boards' working frame from (x, y); a carriage return
// starts a new line. Answers false, building nothing, when the font cannot be loaded.
bool BuildCaptionFrame(Engine& engine, std::string& text, std::int32_t& x, std::int32_t& y, bool reportHeld = true);

}  // namespace fieldray::engine
