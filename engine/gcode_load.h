#pragma once
// Projecting a G-code part program: the interpreter's scan, the tidied path,
// outline, table pattern, compensated path and switch frames, the caption.
#include <string>

#include "engine/engine.h"
#include "toolpath/interpreter.h"

namespace fieldray::engine {

// Loads the part program at the Windows path `path` and projects it.
void LoadGcodeDrawing(Engine& engine, toolpath::GcodeInterpreter& in, std::string& path);

// A coordinate rounded to a whole number as the pattern "####" writes it.
double RoundFourHash(double value);

}  // namespace fieldray::engine
