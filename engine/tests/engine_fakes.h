#pragma once
// A board stand-in behind a table of functions, and a main window made of
// plain values, for testing the engine without the library or the forms.
#include <map>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/settings_file.h"
#include "winplat/folders.h"
#include "winplat/paths.h"

#include <filesystem>
#include <functional>

namespace enginetest {

using fieldray::engine::GeoBox;

struct FakeBoard {
  std::vector<std::string> calls;  // every call, as "Name a b c"
  std::int32_t beginStatus = 0;
  std::int32_t memory[4] = {0, 0, 0, 0};
  std::int32_t workingFrame = 0;
  std::int32_t writeStatus = 0;
  std::map<std::int32_t, std::pair<FrameStruct, std::vector<PointStruct>>> frames;
  std::vector<std::int32_t> geoActive;
  std::vector<std::vector<std::int16_t>> geoRows;  // in the order sent
  std::vector<std::int32_t> invertActive;          // the flags of the last inversion

  std::vector<std::string> CallsNamed(const std::string& name) const;
  // The table of functions serving this board; one board serves at a time.
  fieldray::engine::VexlibTable Table();
};

class FakeConsole : public fieldray::engine::ConsoleView {
 public:
  std::string msg;
  std::vector<std::string> msgHistory;
  std::string lblXAdj, lblYAdj;
  std::map<std::int16_t, bool> optFld;   // index -> checked
  std::map<std::int16_t, bool> prjHght;  // index -> checked
  winplat::SpreadGrid phs{10, 4};
  bool hasPhs = true;
  winplat::SpreadGrid swOpt{8, 0};
  bool hasSwOpt = true;
  std::map<GeoBox, std::string> geo;
  // Runs after a correction box's text is set, as its change handler would.
  std::function<void(GeoBox)> onGeoChange;

  void SetMsg(const std::string& text) override {
    msg = text;
    msgHistory.push_back(text);
  }
  void SetLblXAdj(const std::string& caption) override { lblXAdj = caption; }
  void SetLblYAdj(const std::string& caption) override { lblYAdj = caption; }
  std::vector<std::int16_t> OptFldIndices() const override { return Keys(optFld); }
  bool OptFldChecked(std::int16_t index) const override { return optFld.count(index) && optFld.at(index); }
  std::vector<std::int16_t> PrjHghtIndices() const override { return Keys(prjHght); }
  bool PrjHghtChecked(std::int16_t index) const override { return prjHght.count(index) && prjHght.at(index); }
  winplat::SpreadGrid* PHSdata() override { return hasPhs ? &phs : nullptr; }
  winplat::SpreadGrid* SSOptSw() override { return hasSwOpt ? &swOpt : nullptr; }
  std::string GeoText(GeoBox box) const override { return geo.count(box) ? geo.at(box) : std::string(); }
  void SetGeoText(GeoBox box, const std::string& text) override {
    geo[box] = text;
    if (onGeoChange) onGeoChange(box);
  }

 private:
  static std::vector<std::int16_t> Keys(const std::map<std::int16_t, bool>& m) {
    std::vector<std::int16_t> out;
    for (const auto& [k, v] : m) out.push_back(k);
    return out;
  }
};

// An engine over a fake board and console, the program folder C:\Fieldray\,
// and an exit routine that only counts.
struct EngineRig {
  fieldray::ProgramState state;
  FakeBoard board;
  fieldray::engine::Vexlib vx{board.Table()};
  FakeConsole console;
  int exits = 0;
  fieldray::engine::Engine e{state, vx, console, [this] { ++exits; }};
  // Every rig starts without a settings file: tests of one process share the machine root.
  EngineRig() {
    fieldray::engine::SetProgramDir(state, winplat::ProgramFolder());
    std::error_code ec;
    std::filesystem::remove(winplat::HostPath(state.IniFileName), ec);
  }
};

}  // namespace enginetest
