#pragma once
// The main window's start-up and shutdown: the settings into the controls and
// program values, the device session, the field scale and the correction, and
// the remote box's parallel port; at the end the window position is saved,
// the session ended and the port released (frames stay on the boards).
#include <cstdint>
#include <functional>
#include <vector>

#include "console/main_form.h"
#include "engine/engine.h"

namespace fieldray::console {

// Values of the main window that start-up fills and other parts use.
struct StartupValues {
  std::int32_t PortDevice = 0;
  std::vector<std::int32_t> BoxPositions;
  std::int32_t MarkerResolution = 5;
  std::int32_t HoldStart = 0, HoldVertex = 0, HoldEnd = 0;
  std::int32_t ScanRateCache = 0;
};

// Steps that need engine procedures kept elsewhere; each may be left empty.
struct StartupSeams {
  std::function<void()> LoadGrids;          // the four grid data files
  std::function<void()> LoadPrjPosCaptions;
  std::function<void()> ResetDisplay;       // ResetVX and DisplaySize
  std::function<void()> ListCalibrationFrames;
  std::function<void()> LoadPtAlgn;
};

// The remote box's port: made, connected, acquired and powered; 0 when the
// machine has no port.
std::int32_t OpenRemoteBoxPort();
// Powers the box down and releases the port (nothing for 0).
void CloseRemoteBoxPort(std::int32_t& portDevice);

void Form_Load(engine::Engine& e, MainForm& main, StartupValues& v, const StartupSeams& seams);
// Saves the window position, ends the session and releases the port. The
// caller ends the program afterwards.
void Form_QueryUnload(engine::Engine& e, MainForm& main, StartupValues& v);

}  // namespace fieldray::console
