#include "console/program.h"

#include "engine/drawing_import.h"
#include "engine/frame_assembly.h"
#include "engine/markers.h"
#include "engine/path_points.h"
#include "toolpath/expressions.h"
#include "winplat/msgbox.h"

namespace fieldray::console {

Program::Program(const std::filesystem::path& libraryFolder, engine::ExitRoutine exit)
    : Vx(libraryFolder),
      Context{State, Slots.GcodeAwk->Scanner(), Slots.Parser->Scanner(), Slots.Eval->Scanner(), Slots.ToolDat->Grid()},
      Files(E, Forms.Main, [this](const std::string& path) { OpenJobFile(path); }),
      Options(E, Forms.Main, &Slots.ToolDat->Grid()),
      Intake(E, Forms.Main, Context, Files, [this](const std::string& path) { OpenJobFile(path); }),
      libraryFolder_(libraryFolder) {
  // Ending the program from a device fault releases the port first.
  E.EndProgram = [this, end = std::move(exit)] {
    CloseRemoteBoxPort(Values.PortDevice);
    if (end) end();
  };
  E.Builders.AddWorkAreaOutline = engine::AddWorkAreaOutline;
  E.Builders.AddTablePattern = engine::AddTablePattern;
  E.Builders.AppendOffsetPath = engine::AppendOffsetPath;
  E.Builders.BuildPointsFromPath = engine::BuildPointsFromPath;
  E.Builders.DensifyFramePoints = engine::DensifyFramePoints;
  // Expressions in a part program read the job variables.
  toolpath::ConnectEval(Slots.Eval->Scanner(), State);

  Forms.Main.QueryUnload = [this](int&, int) {
    if (shutDown_) return;
    shutDown_ = true;
    Form_QueryUnload(E, Forms.Main, Values);
  };
  Forms.Main.OnLoad = [this, seams = StandardSeams(E, Forms.Main, Slots)] {
    // The view control DXF1, registered from beside the program when the
    // machine does not know it yet.
    engine::DxfHost::EnsureRegistered(libraryFolder_);
    try {
      Drawing = std::make_unique<DrawingView>(Forms.Main);
    } catch (const winplat::AutomationError& ex) {
      winplat::MessageBox(0, std::string("Drawing view control not created: ") + ex.what(), "Fieldray",
                          winplat::MB_OK);
    }
    Form_Load(E, Forms.Main, Values, seams);
  };
}

Program::~Program() {
  if (Forms.Main.Loaded()) Forms.Main.Unload();
  Drawing.reset();
}

bool Program::Start() {
  Forms.Main.Show();
  return !E.Ended;
}

void Program::OpenJobFile(const std::string& path) {
  if (!Drawing) {
    View.SetMsg("Drawing view control not available: " + path);
    return;
  }
  std::string file = path;
  engine::OpenDrawingFile(E, Drawing->Host(), Interp, file);
}

}  // namespace fieldray::console
