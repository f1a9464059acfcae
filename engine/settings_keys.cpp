#include "engine/settings_keys.h"

#include <algorithm>

#include "engine/settings_file.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

WindowPosition ReadMainWindowPosition(Engine& engine) {
  WindowPosition p;
  p.Top = std::clamp(IniInteger(ReadIniValue(engine, "Main", "Top")), 0, 12000);
  p.Left = std::clamp(IniInteger(ReadIniValue(engine, "Main", "Left")), 0, 12000);
  return p;
}

WindowPosition ReadDialogPosition(Engine& engine, const std::string& section) {
  WindowPosition p;
  p.Top = std::clamp(IniInteger(ReadIniValue(engine, section, "Top")), 0, 8000);
  p.Left = IniInteger(ReadIniValue(engine, section, "Left"));
  if (p.Left < 0) p.Left = 0;
  if (p.Left > 9000) p.Left = 10000;
  return p;
}

std::int32_t ReadMarkerResolution(Engine& engine) {
  std::int32_t v = IniInteger(ReadCalibrationValue(engine, "MarkerResolution"));
  return v == 0 ? 5 : v;
}

std::int32_t ReadHeightPresetIndex(Engine& engine) {
  std::int32_t v = IniInteger(ReadIniValue(engine, "HeightPresets", "Index"));
  return (v < 0 || v > 5) ? 0 : v;
}

std::string BoxPosKey(std::int32_t n) { return "BoxPos" + winplat::CStr(n); }

std::string FieldKey(FieldKeyFamily family, std::int32_t field) {
  static const char* const names[] = {"XPOS", "XScale", "YPOS", "YScale", "XShear", "YShear"};
  return names[static_cast<int>(family)] + FieldLetter(field);
}

void WriteFieldFamily(Engine& engine, FieldKeyFamily family) {
  for (std::int32_t f = 1; f <= 8; ++f) {
    const FieldCalibrationEntry& c = engine.State.FieldCalibration[static_cast<std::size_t>(f)];
    std::string text;
    switch (family) {
      case FieldKeyFamily::XPOS: text = winplat::Str(c.FieldXPos); break;
      case FieldKeyFamily::YPOS: text = winplat::Str(c.FieldYPos); break;
      case FieldKeyFamily::XScale: text = winplat::Str(c.XScale); break;
      case FieldKeyFamily::YScale: text = winplat::Str(c.YScale); break;
      case FieldKeyFamily::XShear: text = winplat::Str(c.XShear); break;
      case FieldKeyFamily::YShear: text = winplat::Str(c.YShear); break;
    }
    WriteCalibrationValue(engine, FieldKey(family, f), text);
  }
}

const char* GeometricKey(GeoBox box) {
  static const char* const keys[GeoBoxCount] = {
      "Rotation",  "PositionX", "PositionY",  "SizeX",      "SizeY", "PincushionX", "PincushionY",
      "Parabolic", "KeyStoneX", "KeyStoneY",  "LinearityX", "LinearityY", "BowX",   "BowY",
      "ShearX",    "ShearY",    "BalanceX",   "BalanceY"};
  return keys[static_cast<int>(box)];
}

}  // namespace fieldray::engine
