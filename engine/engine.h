#pragma once
// What every engine procedure works with: the program state, the device
// library, the main window's controls and the routine that ends the program.
#include <functional>

#include "engine/console_view.h"
#include "engine/program_state.h"
#include "engine/vexlib_binding.h"

namespace fieldray::engine {

// Ends the program at once. The default ends the process; start-up extends
// it (the parallel port is released first) and tests replace it. When a
// replacement returns, the procedure that called it returns at once too.
using ExitRoutine = std::function<void()>;
ExitRoutine DefaultExitRoutine();

struct Engine {
  ProgramState& State;
  Vexlib& Vx;
  ConsoleView& Console;
  ExitRoutine EndProgram = DefaultExitRoutine();
  // Set once the program has been ended through EndProgramNow.
  bool Ended = false;
};

// Ends the program through the engine's exit routine.
void EndProgramNow(Engine& e);

}  // namespace fieldray::engine
