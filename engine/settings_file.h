#pragma once
// The program's settings file Fldry.INI in the program folder, and the three
// values read from the other application's settings file.
#include <cstdint>
#include <string>

#include "engine/engine.h"

namespace fieldray::engine {

// The settings file's name in the program folder.
constexpr const char* kIniFile = "Fldry.INI";
// The other application's settings file, read only.
constexpr const char* kCorvantaIni = "C:\\Corvanta\\Bin\\DAZ.INI";

// Sets ProgramDir (a trailing backslash is added when missing) and IniFileName.
void SetProgramDir(ProgramState& state, std::string dir);

// The text after the last backslash (the whole path without one), and the
// path up to and including the last backslash ("" without one).
std::string FileNameOf(std::string& path);
std::string FolderOf(std::string& path);

// The stored value, cut to 79 characters; "" for a missing file, section or
// key, an empty value and the value "END.-".
std::string ReadIniValue(Engine& engine, const std::string& section, const std::string& key);
std::string ReadCalibrationValue(Engine& engine, const std::string& key);
std::string ReadGeometricValue(Engine& engine, const std::string& key);

// Whether the settings file holds at least one key in some section (a
// missing or empty file holds none).
bool SettingsHoldAnyKey(const std::string& iniFile);
// Start-up: a settings file holding no key is replaced by the template's,
// and Msg says so. True when it was.
bool FillSettingsFromTemplate(Engine& engine);

// Start-up: the keys the template's settings file gives a value that read
// as empty here, named in one note ("Fldry.INI lacks 2 settings, read as
// empty (0 for numbers): XScaleS, XScaleA"), those stored empty named apart
// ("...; stores 1 empty: YScaleS"); "" when none is missing or empty.
std::string MissingSettingsNote(Engine& engine);

// What became of a settings write.
enum class IniWrite {
  Stored,
  Refused,  // the value (or key) cannot be held by the file: "KEY not saved: REASON" in Msg
  Failed,   // the file cannot be written: "Settings not saved: FILE cannot be written." in Msg
};
// Trims blanks from `value` (the caller sees the trimmed text) and stores it.
// Every write that is refused or fails is said in Msg and kept in
// SettingsFailureMsg; the next good write clears it, and Msg while it still
// shows that failure. `why` receives the reason of a refusal.
IniWrite WriteIniValue(Engine& engine, const std::string& section, const std::string& key, std::string& value);
IniWrite WriteIniValue(Engine& engine, const std::string& section, const std::string& key, std::string& value,
                       std::string& why);
IniWrite WriteCalibrationValue(Engine& engine, const std::string& key, std::string& value);
IniWrite WriteGeometricValue(Engine& engine, const std::string& key, std::string& value);

// The letters of the machine fields 1..8 as used in setting keys ("" for no field).
std::string FieldLetter(std::int32_t field);

// Reads the per-field keys of [Calibration] into FieldCalibration, in the
// order XPOS, XScale, YPOS, YScale, XShear, YShear, each for the eight fields.
void LoadFieldCalibration(Engine& engine);

// Reads NewListCol, FieldSet1 and FieldSet2 of the other application's file.
void ReadCorvantaSettings(Engine& engine);

// The lenient numeric reads of stored text: the leading number, 0 when there
// is none; a value beyond the type's range is held at its limit.
double LenientVal(const std::string& text);
std::int32_t IniInteger(const std::string& text);
float IniReal(const std::string& text);

}  // namespace fieldray::engine
