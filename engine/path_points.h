#pragma once
// The path-to-points frame builder: PathElements becomes lit and dark laser
// points in AssemblyPoints, then one board frame per switch position.
#include <cstdint>

#include "engine/engine.h"

namespace fieldray::engine {

// Chord length of arc steps, and the fewest steps per full turn.
constexpr double ArcSegmentLength = 25;
constexpr std::int32_t MinArcSteps = 7;
// Extra repeats at the inner corners of an edge notch.
constexpr std::int32_t NotchVertexExtra = 3;

// The class of every point of element `el`: 3000 + 10 x compensation class +
// the last digit of its U word.
std::int32_t PathPointClass(const PathElement& el);

// Walks PathElements once (shifting it by the drawing origin in place),
// appends its points to AssemblyPoints and writes the switch-position frames
// 1..number of columns of SSOptSw, at most SwitchPositionFrames. Coordinates beyond the 32-bit range stop it
// with winplat::NumericError.
void BuildPointsFromPath(Engine& engine);

}  // namespace fieldray::engine
