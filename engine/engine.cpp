#include "engine/engine.h"

#include "winplat/endprogram.h"

namespace fieldray::engine {

ExitRoutine DefaultExitRoutine() {
  return [] { winplat::EndProgram(0); };
}

void EndProgramNow(Engine& e) {
  e.Ended = true;
  if (e.EndProgram) e.EndProgram();
}

}  // namespace fieldray::engine
