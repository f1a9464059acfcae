#pragma once
// The 65 x 65 geometric-correction grid the boards correct every output point
// through, built from the correction settings, the field's shear, the height
// preset, the alignment grid and the parabola table.
#include <array>
#include <cstdint>

#include "engine/engine.h"

namespace fieldray::engine {

// Every term of one build, as 32-bit floats.
struct GeoTerms {
  float r = 0, px0 = 0, py0 = 0;
  float kpx = 0, kpy = 0, kkx = 0, kky = 0, klx = 0, kly = 0, kbx = 0, kby = 0;
  float ksx = 0, ksy = 0, sx = 1, sy = 1, parabola = 0, bx = 1, by = 1, oyk = 0;
  float h = 0;  // the height term
};

// One built table: the active flag and, per row j, X and Y of node i at 2i and 2i + 1.
struct GeoGrid {
  std::int32_t Active = 0;
  std::array<std::array<std::int16_t, 130>, 65> Rows{};
};

// The height term of the checked height preset.
float HeightTerm(Engine& engine);
// Reads every term from the correction boxes, the field's shears and the settings file.
GeoTerms ReadGeoTerms(Engine& engine, std::int16_t field);
// Computes the table for the given terms.
GeoGrid BuildGeoGrid(const ProgramState& state, const GeoTerms& terms);

// Builds the table for the field and loads it into the boards row by row
// (nothing while GeoLoading is set).
void SetGeoCorrection(Engine& engine, std::int16_t field);
// SetGeoCorrection, then DisplayUpdate.
void ApplyGeoCorrection(Engine& engine, std::int16_t field);
// Fills the eighteen correction boxes from the settings file, then builds and
// loads the table once.
void LoadGeometricSettings(Engine& engine);

// The most steps the parabola search takes for one column.
constexpr std::int32_t ParabolaSearchSteps = 20000;
// Rebuilds ParabolaTable for a parabola depth.
void BuildParabolaTable(Engine& engine, float depth);

}  // namespace fieldray::engine
