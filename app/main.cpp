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
#include "engine/frame_assembly.h"
#include "engine/gcode_load.h"
#include "engine/markers.h"
#include "engine/output_switches.h"
#include "engine/path_points.h"
#include "engine/projection_output.h"
#include "toolpath/expressions.h"
#include "toolpath/interpreter.h"
#include "winplat/controls/operator.h"
#include "winplat/hw/projection.h"
#include "winplat/paths.h"

namespace {

using namespace fieldray;

// Opens a job file: a part program is loaded and projected; a drawing names
// itself in the status line until the drawing import is part of the program.
void OpenJobFile(engine::Engine& e, toolpath::GcodeInterpreter& interp, const std::string& path) {
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper.size() >= 4 && upper.compare(upper.size() - 4, 4, ".DXF") == 0) {
    e.Console.SetMsg("Chosen: " + path + " (drawing import is not part of this build)");
    return;
  }
  std::string file = path;
  engine::LoadGcodeDrawing(e, interp, file);
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
  e.Builders.AddWorkAreaOutline = engine::AddWorkAreaOutline;
  e.Builders.AddTablePattern = engine::AddTablePattern;
  e.Builders.AppendOffsetPath = engine::AppendOffsetPath;
  e.Builders.BuildPointsFromPath = engine::BuildPointsFromPath;
  e.Builders.DensifyFramePoints = engine::DensifyFramePoints;

  toolpath::ToolpathContext context{state, slots.GcodeAwk->Scanner(), slots.Parser->Scanner(), slots.Eval->Scanner(),
                                    slots.ToolDat->Grid()};
  toolpath::GcodeInterpreter interp{context};
  // Expressions in a part program read the job variables.
  toolpath::ConnectEval(slots.Eval->Scanner(), state);
  console::FileSelection files(e, forms.Main,
                               [&e, &interp](const std::string& path) { OpenJobFile(e, interp, path); });

  forms.Main.OnOff.Click = [&e] { engine::OnOff_Click(e); };
  forms.Main.CapBtn.Click = [&e] { engine::CapBtn_Click(e); };
  for (auto& [index, option] : forms.Main.OptFld.Elements()) {
    const auto i = static_cast<std::int16_t>(index);
    option->Click = [&e, i] { engine::OptFld_Click(e, i); };
  }

  console::OutputSeams output;
  output.DisplayFreq3 = [](std::int32_t) {};
  output.DisplaySkew = [](std::int32_t, std::int32_t) {};
  console::OptionHandlers options(e, forms.Main, values, output);

  winplat::controls::SetProjectionSaver([](const std::string& hostPath, std::string* error) {
    return winplat::hw::SaveProjectionPng(hostPath, 0, 512, error);
  });

  bool shutDown = false;
  forms.Main.QueryUnload = [&](int&, int) {
    if (shutDown) return;
    shutDown = true;
    console::Form_QueryUnload(e, forms.Main, values);
  };
  console::StartupSeams seams;
  seams.LoadPrjPosCaptions = [&e] { engine::LoadPrjPosCaptions(e); };
  seams.ListCalibrationFrames = [&e] { engine::ListCalibrationFrames(e); };
  forms.Main.OnLoad = [&] { console::Form_Load(e, forms.Main, values, seams); };
  forms.Main.Show();
  if (e.Ended) return 1;

  int failures = winplat::controls::RunOperatorInput(script, std::cout);
  if (forms.Main.Loaded()) forms.Main.Unload();
  return failures < 0 ? 2 : 0;
}
