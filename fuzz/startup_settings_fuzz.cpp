// The settings read at start-up over any Fldry.INI: the template fill of a
// file without keys, the field calibration, the window position and the other
// application's keys.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "engine/field_calibration.h"
#include "engine/geo_correction.h"
#include "engine/settings_file.h"
#include "engine/settings_keys.h"
#include "engine/tests/engine_fakes.h"
#include "fuzz_root.h"
#include "winplat/paths.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::UseOwnMachineRoot("settings");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  enginetest::EngineRig rig;
  const auto host = winplat::HostPath(rig.state.IniFileName);
  std::filesystem::create_directories(host.parent_path());
  if (std::FILE* out = std::fopen(host.c_str(), "wb")) {
    std::fwrite(data, 1, size, out);
    std::fclose(out);
  }
  fieldray::engine::FillSettingsFromTemplate(rig.e);
  fieldray::engine::LoadFieldCalibration(rig.e);
  fieldray::engine::ReadMainWindowPosition(rig.e);
  fieldray::engine::ReadCorvantaSettings(rig.e);
  fieldray::engine::LoadGeometricSettings(rig.e);
  return 0;
}
