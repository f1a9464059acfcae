#pragma once
// The main window's start-up and shutdown: the settings into the controls and
// program values, the device session, the field scale and the correction, and
// the remote box's parallel port; at the end the window position is saved,
// the session ended and the port released (frames stay on the boards).
#include <cstdint>
#include <functional>
#include <vector>

#include "console/component_slots.h"
#include "console/main_form.h"
#include "engine/engine.h"

namespace fieldray::console {

// Values of the main window that start-up fills and other parts use (the
// hold counts and the scan-rate multiplier live in the program state).
struct StartupValues {
  std::int32_t PortDevice = 0;
  std::vector<std::int32_t> BoxPositions;
  std::int32_t MarkerResolution = 5;
  // Set once start-up has read the settings: only then does shutdown store
  // the window's place (a start ended before would write a settings file of
  // its own making).
  bool SettingsLoaded = false;
};

// Steps that work on the grids and lists of the console; each may be left
// empty (a test of the settings alone). StandardSeams fills all of them.
struct StartupSeams {
  std::function<void()> LoadGrids;          // the four grid data files
  std::function<void()> LoadPrjPosCaptions;
  std::function<void()> ListCalibrationFrames;
  std::function<void()> LoadPtAlgn;
};

// The seams of the program: the grids of `slots` loaded from the program
// folder, the mode captions, the calibration frames and the alignment points.
StartupSeams StandardSeams(engine::Engine& engine, MainForm& main, ComponentSlots& slots);

// The remote box's port: made, connected, acquired and powered; 0 when the
// machine has no port.
std::int32_t OpenRemoteBoxPort();
// Powers the box down and releases the port (nothing for 0).
void CloseRemoteBoxPort(std::int32_t& portDevice);

void Form_Load(engine::Engine& engine, MainForm& main, StartupValues& values, const StartupSeams& seams);
// Saves the window position, ends the session and releases the port. The
// caller ends the program afterwards.
void Form_QueryUnload(engine::Engine& engine, MainForm& main, StartupValues& values);

}  // namespace fieldray::console
