#pragma once
// The settings whose reading has rules of its own (defaults, clamps), the
// key names built from numbers, and the writing of the per-field families.
#include <cstdint>
#include <string>

#include "engine/console_view.h"
#include "engine/engine.h"

namespace fieldray::engine {

struct WindowPosition {
  std::int32_t Top = 0;
  std::int32_t Left = 0;
};

// [Main] Top and Left, each clamped to 0..12000.
WindowPosition ReadMainWindowPosition(Engine& engine);
// [HeightPresets] or [SwitchMode] Top and Left of a dialog: Top clamped to
// 0..8000; Left below 0 becomes 0, above 9000 becomes 10000.
WindowPosition ReadDialogPosition(Engine& engine, const std::string& section);
// [Calibration] MarkerResolution; 0 or missing gives 5.
std::int32_t ReadMarkerResolution(Engine& engine);
// [HeightPresets] Index; outside 0..5 gives 0.
std::int32_t ReadHeightPresetIndex(Engine& engine);

// "BoxPos" followed by n in decimal, without a blank.
std::string BoxPosKey(std::int32_t n);

// The six per-field key families, in the order they are read.
enum class FieldKeyFamily { XPOS, XScale, YPOS, YScale, XShear, YShear };
std::string FieldKey(FieldKeyFamily family, std::int32_t field);
// Writes all eight keys of one family from FieldCalibration, as number text.
void WriteFieldFamily(Engine& engine, FieldKeyFamily family);

// The [Geometric] key of a correction box.
const char* GeometricKey(GeoBox box);

}  // namespace fieldray::engine
