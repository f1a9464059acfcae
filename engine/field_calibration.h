#pragma once
// The eight machine fields: putting one field's scale, offset and output
// inversion into effect on the boards, and which field the operator selected.
#include <cstdint>
#include <string>

#include "engine/engine.h"

namespace fieldray::engine {

// Fields 2, 4, 6 and 8 are seen mirrored.
bool FieldInverted(std::int16_t field);

// A window bound worked out in 64 bits, held at what SetWorkingScale takes.
std::int32_t ScaleBound(std::int64_t v);

void ApplyFieldScale(Engine& engine, std::int16_t field);
void ApplyFieldOffset(Engine& engine, std::int16_t field);
void SelectField(Engine& engine, std::int16_t field);
// Brings the output inversion to `state` (0 or -1) and sets the field's scale again.
void SetFieldInversion(Engine& engine, std::int16_t state, std::int16_t field);
void ResetWorkingScale(Engine& engine);

// The field's XShear and YShear; 0 for no field.
std::int32_t FieldTableValueA(Engine& engine, std::int16_t field);
std::int32_t FieldTableValueB(Engine& engine, std::int16_t field);

// The index of the first checked option of OptFld; 0 when the group is
// disabled or none is checked.
std::int32_t CheckedOptFld(Engine& engine);
// The same, whether the group is enabled or not.
std::int32_t FirstCheckedOptFld(Engine& engine);

// Why `field` cannot project: its window has no width or no height ("Field S
// cannot project: XScaleS is 0 in Fldry.INI"); "" when it can, or for no field.
std::string FieldScaleFault(Engine& engine, std::int16_t field);

}  // namespace fieldray::engine
