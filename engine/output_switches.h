#pragma once
// Click handlers of the output switches: laser output, caption projection and
// the machine field. Each shows the last frame again under the new setting.
#include <cstdint>

#include "engine/engine.h"

namespace fieldray::engine {

void OnOff_Click(Engine& engine);
void CapBtn_Click(Engine& engine);
void OptFld_Click(Engine& engine, std::int16_t index);

}  // namespace fieldray::engine
