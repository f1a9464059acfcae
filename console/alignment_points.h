#pragma once
// The alignment points of the "Points" area: their grid SetupData (one row per
// point: dX, dY, reach, node column, node row), loaded from "PtAlgn.Dat", the
// crosses that show them in SetupWin, and the alignment grid built from them
// and folded into the geometric correction.
#include <cstdint>
#include <string>
#include <vector>

#include "console/main_form.h"
#include "engine/engine.h"
#include "winplat/components/grid.h"

namespace fieldray::console {

// The highest node index of the 65 x 65 node grid, and the farthest reach.
constexpr std::int32_t AlignmentNodeMax = 64;
constexpr std::int32_t AlignmentReachMax = 64;

// Rebuilds PtAlgnGrid from the rows of `setupData`. A hand-edited row never
// stops the build: a row whose node lies outside 0..64 is skipped, offsets are
// held to 16 bits and a reach beyond 64 counts as 64. Returns the number of
// rows that took effect. `outside`, when given, receives a note per skipped
// node: "Set-up point 3: node column 99 is outside 0 to 64; not applied".
std::int32_t BuildPtAlgnGrid(ProgramState& state, winplat::SpreadGrid& setupData,
                             std::vector<std::string>* outside = nullptr);

// BuildPtAlgnGrid, then the geometric correction of field 0 with it. Answers
// the notes on points not applied, joined by "; " ("" when every one was).
std::string ApplyPA(engine::Engine& engine, winplat::SpreadGrid& setupData);

// Loads the next cross of SetupWin, visible, centred at (x, y) with arms of
// `arm` twips either way. Returns its index, 0 when it could not be made whole.
std::int32_t LoadSetupCross(MainForm& main, float x, float y, float arm);

// One cross per row of `setupData` in SetupWin (the crosses of an earlier
// call are unloaded first). A node outside the grid is drawn at the window's
// edge, so cross k keeps belonging to row k.
void PlacePoints(MainForm& main, winplat::SpreadGrid& setupData);

// Loads `setupData` from "PtAlgn.Dat" in the program folder (a missing or
// unreadable file leaves the grid as it is), then PlacePoints and ApplyPA.
void LoadPtAlgn(engine::Engine& engine, MainForm& main, winplat::SpreadGrid& setupData);

}  // namespace fieldray::console
