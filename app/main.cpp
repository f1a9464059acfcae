// Fieldray: the operator program. Makes the windows, brings the system up,
// takes operator commands from a file given on the command line (or the
// terminal), runs the loop until the main window closes, and shuts down.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "console/program.h"
#include "winplat/controls/operator.h"
#include "winplat/hw/projection.h"
#include "winplat/paths.h"
#include "winplat/sync.h"

int main(int argc, char** argv) {
  using namespace fieldray;
  std::string script = argc > 1 ? argv[1] : "-";
  std::string rootError;
  if (!winplat::OpenMachineRoot(&rootError)) {
    std::fprintf(stderr, "%s\n", rootError.c_str());
    return 2;
  }
  std::printf("Fieldray machine root: %s\n", winplat::MachineRoot().c_str());
  // One operator program per machine; a root where no lock can be made does not stop it.
  if (winplat::HoldMachineLock("Fieldray") == winplat::MachineLockResult::HeldElsewhere) {
    std::fprintf(stderr, "Fieldray is already running on this machine.\n");
    return 3;
  }

  // A platform fault that no handler caught still ends the program with its text.
  try {
    console::Program program(engine::Vexlib::BinaryFolder(), engine::DefaultExitRoutine());
    winplat::controls::SetProjectionSaver([](const std::string& hostPath, std::string* error) {
      return winplat::hw::SaveProjectionPng(hostPath, 0, 512, error);
    });
    if (!program.Start()) return 1;

    int failures = winplat::controls::RunOperatorInput(script, std::cout);
    if (program.Forms.Main.Loaded()) program.Forms.Main.Unload();
    return failures < 0 ? 2 : 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Fieldray stopped: %s\n", e.what());
    return 1;
  }
}
