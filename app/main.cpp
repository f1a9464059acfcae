// Fieldray: the operator program. Makes the windows, brings the system up,
// takes operator commands from a file given on the command line (or the
// terminal), runs the loop until the main window closes, and shuts down.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "console/component_slots.h"
#include "console/drawing_view.h"
#include "console/file_selection.h"
#include "console/form_console_view.h"
#include "console/option_handlers.h"
#include "console/startup.h"
#include "engine/drawing_import.h"
#include "engine/engine.h"
#include "engine/frame_assembly.h"
#include "engine/markers.h"
#include "engine/output_switches.h"
#include "engine/path_points.h"
#include "engine/projection_output.h"
#include "toolpath/expressions.h"
#include "toolpath/interpreter.h"
#include "winplat/controls/operator.h"
#include "winplat/hw/projection.h"
#include "winplat/msgbox.h"
#include "winplat/paths.h"

namespace {

using namespace fieldray;

// Opens a job file through the drawing view control on the main window.
void OpenJobFile(engine::Engine& e, console::DrawingView* drawing, toolpath::GcodeInterpreter& interp,
                 const std::string& path) {
  if (!drawing) {
    e.Console.SetMsg("Drawing view control not available: " + path);
    return;
  }
  std::string file = path;
  engine::OpenDrawingFile(e, drawing->Host(), interp, file);
}

// The view control DXF1, created on the main window as it loads; registered
// from beside the program when the machine does not know it yet.
std::unique_ptr<console::DrawingView> CreateDrawingView(console::MainForm& main) {
  engine::DxfHost::EnsureRegistered(engine::Vexlib::BinaryFolder());
  try {
    return std::make_unique<console::DrawingView>(main);
  } catch (const winplat::AutomationError& ex) {
    winplat::MessageBox(0, std::string("Drawing view control not created: ") + ex.what(), "Fieldray", winplat::MB_OK);
    return nullptr;
  }
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
  std::unique_ptr<console::DrawingView> drawing;
  console::FileSelection files(e, forms.Main, [&e, &drawing, &interp](const std::string& path) {
    OpenJobFile(e, drawing.get(), interp, path);
  });

  console::OptionHandlers options(e, forms.Main, &slots.ToolDat->Grid());

  winplat::controls::SetProjectionSaver([](const std::string& hostPath, std::string* error) {
    return winplat::hw::SaveProjectionPng(hostPath, 0, 512, error);
  });

  bool shutDown = false;
  forms.Main.QueryUnload = [&](int&, int) {
    if (shutDown) return;
    shutDown = true;
    console::Form_QueryUnload(e, forms.Main, values);
  };
  console::StartupSeams seams = console::StandardSeams(e, forms.Main, slots);
  forms.Main.OnLoad = [&] {
    drawing = CreateDrawingView(forms.Main);
    console::Form_Load(e, forms.Main, values, seams);
  };
  forms.Main.Show();
  if (e.Ended) return 1;

  int failures = winplat::controls::RunOperatorInput(script, std::cout);
  if (forms.Main.Loaded()) forms.Main.Unload();
  return failures < 0 ? 2 : 0;
}
