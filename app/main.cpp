// Fieldray: the operator program. Makes the windows, brings the system up,
// takes operator commands from a file given on the command line (or the
// terminal), runs the loop until the main window closes, and shuts down.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

#include "console/program.h"
#include "winplat/controls/operator.h"
#include "winplat/display.h"
#include "winplat/hw/projection.h"
#include "winplat/paths.h"
#include "winplat/sync.h"

namespace {

constexpr const char* kUsage =
    "usage: fieldray [--window] [COMMANDS | -]\n"
    "The laser template projection program. It starts on the machine root named by\n"
    "FIELDRAY_ROOT (else ~/.local/share/fieldray/root, filled from the template on first\n"
    "use) and takes operator commands, one a line, from the file COMMANDS, or from the\n"
    "terminal when it is - or missing ('help' lists them there).\n"
    "--window shows the program's windows on the display (DISPLAY or WAYLAND_DISPLAY)\n"
    "to be worked with the mouse and keys; the program then ends when its main window\n"
    "closes or on 'quit', and message boxes are answered on the screen.\n"
    "Exit status: 0 every line ran; 1 a line failed; 2 usage, an unreadable command\n"
    "file or a machine-root fault; 3 already running on this machine root.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace fieldray;
  bool window = argc > 1 && std::string(argv[1]) == "--window";
  if (window) {
    --argc;
    ++argv;
  }
  if (argc > 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string script = argc > 1 ? argv[1] : "-";
  if (script == "--help" || script == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (script.size() > 1 && script[0] == '-') {
    std::fprintf(stderr, "fieldray: unknown option %s\n%s", script.c_str(), kUsage);
    return 2;
  }
  if (script != "-" && !std::ifstream(script)) {
    std::fprintf(stderr, "fieldray: cannot read the operator commands in %s\n", script.c_str());
    return 2;
  }
  std::string displayError;
  if (window && !winplat::OpenDisplay(&displayError)) {
    std::fprintf(stderr, "fieldray: --window needs a display: %s\n", displayError.c_str());
    return 2;
  }
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

    int failures = window ? winplat::controls::RunWindowedInput(script, std::cout,
                                                               [&] { return program.Forms.Main.Loaded(); })
                          : winplat::controls::RunOperatorInput(script, std::cout);
    if (program.Forms.Main.Loaded()) program.Forms.Main.Unload();
    winplat::CloseDisplay();
    if (failures < 0) return 2;
    return failures > 0 ? 1 : 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Fieldray stopped: %s\n", e.what());
    return 1;
  }
}
