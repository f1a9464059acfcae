#include "engine/engine.h"

#include "winplat/endprogram.h"

namespace fieldray::engine {

ExitRoutine DefaultExitRoutine() {
  return [] { winplat::EndProgram(0); };
}

void EndProgramNow(Engine& engine) {
  engine.Ended = true;
  if (engine.EndProgram) engine.EndProgram();
}

}  // namespace fieldray::engine
