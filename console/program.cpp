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
      Files(Engine, Forms.Main, [this](const std::string& path) { OpenJobFile(path); }),
      Options(Engine, Forms.Main, &Slots.ToolDat->Grid()),
      Intake(Engine, Forms.Main, Context, Files, [this](const std::string& path) { OpenJobFile(path); }),
      libraryFolder_(libraryFolder) {
  // Ending the program from a device fault releases the port first.
  Engine.EndProgram = [this, end = std::move(exit)] {
    CloseRemoteBoxPort(Values.PortDevice);
    if (end) end();
  };
  Engine.Builders.AddWorkAreaOutline = engine::AddWorkAreaOutline;
  Engine.Builders.AddTablePattern = engine::AddTablePattern;
  Engine.Builders.AppendOffsetPath = engine::AppendOffsetPath;
  Engine.Builders.BuildPointsFromPath = engine::BuildPointsFromPath;
  Engine.Builders.DensifyFramePoints = engine::DensifyFramePoints;
  // Expressions in a part program read the job variables.
  toolpath::ConnectEval(Slots.Eval->Scanner(), State);

  Forms.Main.QueryUnload = [this](int&, int) {
    if (shutDown_) return;
    shutDown_ = true;
    Form_QueryUnload(Engine, Forms.Main, Values);
  };
  Forms.Main.OnLoad = [this, seams = StandardSeams(Engine, Forms.Main, Slots)] {
    // The view control DXF1, registered from beside the program when the
    // machine does not know it yet.
    engine::DxfHost::EnsureRegistered(libraryFolder_);
    try {
      Drawing = std::make_unique<DrawingView>(Forms.Main);
    } catch (const winplat::AutomationError& ex) {
      winplat::MessageBox(0, std::string("Drawing view control not created: ") + ex.what(), "Fieldray",
                          winplat::MB_OK);
    }
    Form_Load(Engine, Forms.Main, Values, seams);
  };
}

Program::~Program() {
  if (Forms.Main.Loaded()) Forms.Main.Unload();
  Drawing.reset();
}

bool Program::Start() {
  Forms.Main.Show();
  return !Engine.Ended;
}

void Program::OpenJobFile(const std::string& path) {
  if (!Drawing) {
    View.SetMsg("Drawing view control not available: " + path);
    return;
  }
  std::string file = path;
  engine::OpenDrawingFile(Engine, Drawing->Host(), Interp, file);
}

}  // namespace fieldray::console
