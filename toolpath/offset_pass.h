#pragma once
// The radius offset compensation pass: for every compensated contour of the
// path (contour start with CycleCode 5), a copy displaced sideways for each of
// the three compensation sides other than the contour's own.
#include <cstdint>

#include "job/path_element.h"
#include "job/program_state.h"
#include "toolpath/offset_queue.h"

namespace fieldray::toolpath {

// Clears ro.OffsetOutput to one zero element and fills it with the offset
// copies of `path`: all contours for side 0, then side 1, then side 2.
void RadiusOffsetPass(RadiusOffset& ro, const PathArray& path);

// True when the junction with offset distance `r`, previous end normal angle
// `a1` and current start normal angle `a2` (radians) needs a corner arc;
// `k1` and `k2` are the current and previous element codes. Angles of a full
// turn or more come back reduced by one turn.
bool IsOuterCorner(double r, double& a1, double& a2, std::int32_t k1, std::int32_t k2);

// Runs the pass over the program's path and appends its output behind it.
void AppendOffsetPath(ProgramState& state, RadiusOffset& ro);

}  // namespace fieldray::toolpath
