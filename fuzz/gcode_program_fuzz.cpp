// A whole part program loaded by the engine onto the engine tests' recording
// board: scan, path, points and frames.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/gcode_load.h"
#include "engine/frame_assembly.h"
#include "engine/path_points.h"
#include "engine/tests/engine_fakes.h"
#include "fuzz_root.h"
#include "toolpath/context.h"
#include "toolpath/expressions.h"
#include "toolpath/interpreter.h"
#include "winplat/paths.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::UseOwnMachineRoot("gcode-program");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fs::path file = [] {
    fs::path host = winplat::HostPath("C:\\JOBS\\PART.NC");
    fs::create_directories(host.parent_path());
    return host;
  }();
  {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) return 0;
    std::fwrite(data, 1, size, out);
    std::fclose(out);
  }
  enginetest::EngineRig rig;
  rig.console.StandardOutput();
  rig.state.FieldCalibration[1].XScale = 8000;
  rig.state.FieldCalibration[1].YScale = 6000;
  rig.state.HoldStart = rig.state.HoldVertex = rig.state.HoldEnd = 1;
  rig.e.Builders.BuildPointsFromPath = fieldray::engine::BuildPointsFromPath;
  rig.e.Builders.DensifyFramePoints = fieldray::engine::DensifyFramePoints;
  rig.e.Builders.AppendOffsetPath = fieldray::engine::AppendOffsetPath;
  winplat::TextScanner awk, parser, eval;
  winplat::SpreadGrid toolDat{40, 6};
  fieldray::toolpath::ConnectEval(eval, rig.state);
  fieldray::toolpath::ToolpathContext ctx{rig.state, awk, parser, eval, toolDat};
  fieldray::toolpath::GcodeInterpreter interp{ctx};
  std::string path = "C:\\JOBS\\PART.NC";
  fieldray::engine::LoadGcodeDrawing(rig.e, interp, path);
  return 0;
}
