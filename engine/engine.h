#pragma once
// What every engine procedure works with: the program state, the device
// library, the main window's controls and the routine that ends the program.
#include <functional>

#include "engine/console_view.h"
#include "engine/vexlib_binding.h"
#include "job/program_state.h"

namespace fieldray::engine {

// Ends the program at once. The default ends the process; start-up extends
// it (the parallel port is released first) and tests replace it. When a
// replacement returns, the procedure that called it returns at once too.
using ExitRoutine = std::function<void()>;
ExitRoutine DefaultExitRoutine();

struct Engine;

// The frame builders the projection and the load driver call: the outline,
// table pattern, compensated path, path points (which write the switch frames)
// and the densification of the frame buffer. Each is installed by the program
// at start-up; one left empty does nothing.
struct FrameBuilders {
  std::function<void(Engine&)> AddWorkAreaOutline;
  std::function<void(Engine&)> AddTablePattern;
  std::function<void(Engine&)> AppendOffsetPath;
  std::function<void(Engine&)> BuildPointsFromPath;
  std::function<void(Engine&)> DensifyFramePoints;
};

struct Engine {
  ProgramState& State;
  Vexlib& Vx;
  ConsoleView& Console;
  ExitRoutine EndProgram = DefaultExitRoutine();
  // Set once the program has been ended through EndProgramNow.
  bool Ended = false;
  FrameBuilders Builders;
};

// Holds the engine busy count up while it lives.
class BusyScope {
 public:
  explicit BusyScope(Engine& engine) : state_(engine.State) { ++state_.EngineBusy; }
  ~BusyScope() { --state_.EngineBusy; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  ProgramState& state_;
};

// Ends the program through the engine's exit routine.
void EndProgramNow(Engine& engine);

}  // namespace fieldray::engine
