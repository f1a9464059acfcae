#pragma once
// Fixed figures for the assembly list: the axes and reference markers, the
// work-area outline and the marks of the job's pattern table.
#include <cstdint>

#include "engine/engine.h"

namespace fieldray::engine {

// Point classes of the figures that frame assembly filters by switch row.
constexpr std::int32_t PatternPointClass = 1000;
constexpr std::int32_t OutlinePointClass = 2000;

// Two 500-unit axes from the origin with 50-unit flags, then SendFrame(0).
void AddAxesMarker(Engine& engine);

// A T: a 3000-unit base line through the origin and a 1000-unit stem.
void AddReferenceMarker(Engine& engine);

// The point (x + OriginX, y + OriginY) in `colour` with class
// OffsetPointClass, `holdCount` times. An overflow raises winplat::NumericError.
void AddOffsetPoint(Engine& engine, std::int32_t x, std::int32_t y, std::int32_t colour, std::int32_t holdCount);

// The sheet's rectangle from the origin, when the sheet has an area.
void AddWorkAreaOutline(Engine& engine);

// The marks of PatternTable: vertical strokes along each row, then a
// horizontal and a diagonal tick at every mark.
void AddTablePattern(Engine& engine);

}  // namespace fieldray::engine
