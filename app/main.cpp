// Fieldray: the operator program. Makes the windows, brings the system up,
// takes operator commands from a file given on the command line (or the
// terminal), runs the loop until the main window closes, and shuts down.
#include <cstdio>
#include <iostream>
#include <string>

#include "console/component_slots.h"
#include "console/file_selection.h"
#include "console/form_console_view.h"
#include "console/option_handlers.h"
#include "console/startup.h"
#include "engine/engine.h"
#include "winplat/controls/operator.h"
#include "winplat/paths.h"

namespace {

using namespace fieldray;

// Opening a job needs the drawing import and the projection; until those are
// part of the program, the status line says what was chosen.
void OpenDrawingFilePending(engine::Engine& e, const std::string& path) {
  e.Console.SetMsg("Chosen: " + path + " (drawing import is not part of this build)");
}

}  // namespace

int main(int argc, char** argv) {
  std::string script = argc > 1 ? argv[1] : "-";
  std::printf("Fieldray machine root: %s\n", winplat::MachineRoot().c_str());

  ProgramState state;
  engine::Vexlib vx;
  console::ConsoleForms forms;
  console::ComponentSlots slots(forms);
  console::FormConsoleView view(forms.Main, &slots);
  console::StartupValues values;
  engine::Engine e{state, vx, view};
  // Ending the program from a device fault releases the port first.
  e.EndProgram = [&values, end = engine::DefaultExitRoutine()] {
    console::CloseRemoteBoxPort(values.PortDevice);
    end();
  };
  console::FileSelection files(e, forms.Main, [&e](const std::string& path) { OpenDrawingFilePending(e, path); });

  console::OutputSeams output;
  output.DisplayFreq3 = [](std::int32_t) {};
  output.DisplaySkew = [](std::int32_t, std::int32_t) {};
  console::OptionHandlers options(e, forms.Main, values, output);

  bool shutDown = false;
  forms.Main.QueryUnload = [&](int&, int) {
    if (shutDown) return;
    shutDown = true;
    console::Form_QueryUnload(e, forms.Main, values);
  };
  forms.Main.OnLoad = [&] { console::Form_Load(e, forms.Main, values, {}); };
  forms.Main.Show();
  if (e.Ended) return 1;

  int failures = winplat::controls::RunOperatorInput(script, std::cout);
  if (forms.Main.Loaded()) forms.Main.Unload();
  return failures < 0 ? 2 : 0;
}
