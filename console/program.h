#pragma once
// The operator program put together: the forms and their component slots,
// the engine over the device library, the frame builders, the part-program
// interpreter, the view control DXF1 made as the main window loads, the job
// list opening files, the output tab's handlers, start-up and shutdown.
#include <filesystem>
#include <memory>
#include <string>

#include "console/component_slots.h"
#include "console/drawing_view.h"
#include "console/field_offsets.h"
#include "console/file_selection.h"
#include "console/form_console_view.h"
#include "console/geometric_tab.h"
#include "console/height_presets.h"
#include "console/job_intake.h"
#include "console/marker_editor.h"
#include "console/option_handlers.h"
#include "console/remote_box.h"
#include "console/setup_points.h"
#include "console/startup.h"
#include "console/switch_options.h"
#include "engine/engine.h"
#include "toolpath/interpreter.h"

namespace fieldray::console {

class Program {
 public:
  // `libraryFolder` holds the device and control libraries; `exit` ends the
  // program (the remote box's port is released before it runs).
  Program(const std::filesystem::path& libraryFolder, engine::ExitRoutine exit);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Loads and shows the main window (start-up runs); false when start-up
  // ended the program.
  bool Start();
  // Opens a job file as a pick in the job list does.
  void OpenJobFile(const std::string& path);

  ProgramState State;
  engine::Vexlib Vx;
  ConsoleForms Forms;
  ComponentSlots Slots{Forms};
  FormConsoleView View{Forms.Main, &Slots};
  StartupValues Values;
  engine::Engine Engine{State, Vx, View};
  toolpath::ToolpathContext Context;
  toolpath::GcodeInterpreter Interp{Context};
  std::unique_ptr<DrawingView> Drawing;
  FileSelection Files;
  OptionHandlers Options;
  JobIntake Intake;
  // The field-offsets and geometric-correction tabs.
  FieldOffsets FieldTab{Engine, Forms.Main};
  GeometricTab GeoTab{Engine, Forms.Main};
  // The marker editor and the set-up points.
  MarkerEditor Markers{Engine, Forms.Main, Slots.MarkerData->Grid(), Values.MarkerResolution};
  SetupPoints Setup{Engine, Forms.Main, Slots.SetupData->Grid()};
  HeightPresets Presets{Engine, Forms, Slots};
  SwitchOptions Switches{Engine, Forms, Slots};
  RemoteBox Box{Engine, Forms.Main, Values};

 private:
  std::filesystem::path libraryFolder_;
  bool shutDown_ = false;
};

}  // namespace fieldray::console
