#include "engine/settings_file.h"

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "engine/point_list.h"
#include "winplat/numeric.h"
#include "winplat/paths.h"
#include "winplat/profile.h"
#include "winplat/text.h"

namespace fieldray::engine {

namespace {

// The key's value as stored; nullopt when the file has no such key. A key
// whose value is the placeholder itself reads as missing too.
std::optional<std::string> StoredIniValue(Engine& engine, const std::string& section, const std::string& key) {
  constexpr char missing[] = "END.-";
  char buffer[80];
  std::uint32_t n = winplat::GetPrivateProfileStringA(section.c_str(), key.c_str(), missing, buffer, sizeof buffer,
                                                      engine.State.IniFileName.c_str());
  std::string value(buffer, n);
  if (value == missing) return std::nullopt;
  return value;
}

}  // namespace

double LenientVal(const std::string& text) {
  try {
    return winplat::Val(text);
  } catch (const winplat::NumericError&) {
    // Too large for any number: hold it at the largest of its sign.
    std::string t = winplat::Trim(text);
    return (!t.empty() && t[0] == '-') ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
  }
}

void SetProgramDir(ProgramState& state, std::string dir) {
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  state.ProgramDir = dir;
  state.IniFileName = dir + kIniFile;
}

std::string FileNameOf(std::string& path) {
  std::size_t at = path.rfind('\\');
  if (at == std::string::npos) return path;
  return path.substr(at + 1);
}

std::string FolderOf(std::string& path) {
  std::size_t at = path.rfind('\\');
  if (at == std::string::npos) return {};
  return path.substr(0, at + 1);
}

std::string ReadIniValue(Engine& engine, const std::string& section, const std::string& key) {
  return StoredIniValue(engine, section, key).value_or(std::string());
}

std::string ReadCalibrationValue(Engine& engine, const std::string& key) {
  return ReadIniValue(engine, "Calibration", key);
}
std::string ReadGeometricValue(Engine& engine, const std::string& key) {
  return ReadIniValue(engine, "Geometric", key);
}

IniWrite WriteIniValue(Engine& engine, const std::string& section, const std::string& key, std::string& value) {
  std::string why;
  return WriteIniValue(engine, section, key, value, why);
}

IniWrite WriteIniValue(Engine& engine, const std::string& section, const std::string& key, std::string& value,
                       std::string& why) {
  value = winplat::Trim(value);
  ProgramState& s = engine.State;
  auto fail = [&](std::string text) {
    s.SettingsFailureMsg = text;
    engine.Console.SetMsg(text);
  };
  why = winplat::ProfileWriteRefusal(section.c_str(), key.c_str(), value.c_str());
  if (!why.empty()) {
    fail(key + " not saved: " + why);
    return IniWrite::Refused;
  }
  if (winplat::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), s.IniFileName.c_str()) == 0) {
    fail("Settings not saved: " + s.IniFileName + " cannot be written.");
    return IniWrite::Failed;
  }
  // A good write after a failure: the failure's text no longer holds, but a
  // text that has taken its place in Msg since stays.
  ClearMsgIf(engine, s.SettingsFailureMsg);
  s.SettingsFailureMsg.clear();
  return IniWrite::Stored;
}

bool SettingsHoldAnyKey(const std::string& iniFile) {
  // Section names, then each section's key names, as lists of strings each ending in a zero.
  auto list = [&](const char* section) {
    std::vector<char> buffer(64 * 1024);
    std::uint32_t n = winplat::GetPrivateProfileStringA(section, nullptr, "", buffer.data(),
                                                        static_cast<std::uint32_t>(buffer.size()), iniFile.c_str());
    std::vector<std::string> names;
    for (std::size_t at = 0; at < n;) {
      std::string name(buffer.data() + at);
      at += name.size() + 1;
      if (!name.empty()) names.push_back(std::move(name));
    }
    return names;
  };
  for (const std::string& section : list(nullptr))
    if (!list(section.c_str()).empty()) return true;
  return false;
}

bool FillSettingsFromTemplate(Engine& engine) {
  if (SettingsHoldAnyKey(engine.State.IniFileName)) return false;
  try {
    if (!winplat::CopyFromTemplate(engine.State.IniFileName)) return false;
  } catch (const std::exception&) {
    return false;  // a program folder that maps to no file: nothing to fill
  }
  engine.Console.SetMsg(std::string(kIniFile) + " was empty: the template's settings were used");
  return true;
}

std::string MissingSettingsNote(Engine& engine) {
  std::filesystem::path tmpl;
  try {
    tmpl = winplat::TemplateCopyOf(engine.State.IniFileName);
  } catch (const std::exception&) {
    return {};  // a program folder that maps to no file: nothing to compare
  }
  if (tmpl.empty()) return {};
  std::vector<std::string> missing, empty;
  for (const auto& [section, key] : winplat::ProfileKeysWithValues(tmpl)) {
    const std::optional<std::string> stored = StoredIniValue(engine, section, key);
    if (stored && !stored->empty()) continue;
    // A key present with nothing after its "=" is stored empty; any other is missing.
    (stored ? empty : missing).push_back(key);
  }
  if (missing.empty() && empty.empty()) return {};
  auto names = [](const std::vector<std::string>& keys) {
    std::string text;
    for (std::size_t i = 0; i < keys.size(); ++i) text += (i ? ", " : "") + keys[i];
    return text;
  };
  const std::string count = std::to_string(missing.size());
  if (missing.empty())
    return std::string(kIniFile) + " stores " + std::to_string(empty.size()) +
           " settings empty, read as empty (0 for numbers): " + names(empty);
  std::string note = std::string(kIniFile) + " lacks " + count + " settings, read as empty (0 for numbers): " +
                     names(missing);
  if (!empty.empty()) note += "; stores " + std::to_string(empty.size()) + " empty: " + names(empty);
  return note;
}

IniWrite WriteCalibrationValue(Engine& engine, const std::string& key, std::string& value) {
  return WriteIniValue(engine, "Calibration", key, value);
}
IniWrite WriteGeometricValue(Engine& engine, const std::string& key, std::string& value) {
  return WriteIniValue(engine, "Geometric", key, value);
}

std::string FieldLetter(std::int32_t field) {
  static const char* const letters[] = {"", "S", "A", "T", "R", "Sf", "Af", "Tf", "Rf"};
  if (field < 1 || field > 8) return {};
  return letters[field];
}

std::int32_t IniInteger(const std::string& text) {
  double v = LenientVal(text);
  if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return winplat::CLng(v);
}

float IniReal(const std::string& text) {
  double v = LenientVal(text);
  constexpr double maxFloat = std::numeric_limits<float>::max();
  if (v > maxFloat) return std::numeric_limits<float>::max();
  if (v < -maxFloat) return -std::numeric_limits<float>::max();
  return winplat::CSng(v);
}

void LoadFieldCalibration(Engine& engine) {
  auto& fields = engine.State.FieldCalibration;
  for (std::int32_t f = 1; f <= 8; ++f) {
    const std::string letter = FieldLetter(f);
    fields[f].FieldXPos = IniReal(ReadCalibrationValue(engine, "XPOS" + letter));
    fields[f].XScale = IniInteger(ReadCalibrationValue(engine, "XScale" + letter));
    fields[f].FieldYPos = IniReal(ReadCalibrationValue(engine, "YPOS" + letter));
    fields[f].YScale = IniInteger(ReadCalibrationValue(engine, "YScale" + letter));
    fields[f].XShear = IniInteger(ReadCalibrationValue(engine, "XShear" + letter));
    fields[f].YShear = IniInteger(ReadCalibrationValue(engine, "YShear" + letter));
  }
}

void ReadCorvantaSettings(Engine& engine) {
  auto read = [](const char* key) {
    char buffer[128];
    std::uint32_t n = winplat::GetPrivateProfileStringA("CORVANTA", key, "", buffer, sizeof buffer, kCorvantaIni);
    return winplat::UCase(winplat::Trim(std::string(buffer, n)));
  };
  // Eight slots of three characters: trimming takes the blank that ends a
  // set stored in the default form, so the set is padded back to 24.
  auto slots = [](std::string set) {
    if (set.size() < 24) set.resize(24, ' ');
    return set;
  };
  engine.State.NewListCol = read("NewListCol");
  engine.State.FieldSet1 = read("FieldSet1");
  if (engine.State.FieldSet1.size() < 23) engine.State.FieldSet1 = "S  A  T  R  S/ A/ T/ R/ ";
  engine.State.FieldSet1 = slots(engine.State.FieldSet1);
  engine.State.FieldSet2 = read("FieldSet2");
  if (engine.State.FieldSet2.size() < 23) engine.State.FieldSet2 = "S/ A/ T/ R/ S/1A/1T/1R/1";
  engine.State.FieldSet2 = slots(engine.State.FieldSet2);
}

}  // namespace fieldray::engine
