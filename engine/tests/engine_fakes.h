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
#include "winplat/timer.h"

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
  std::int32_t fontStatus = 0;                     // LoadFont's answer
  std::int32_t loadStatus = 0;                     // LoadLFile's answer
  std::vector<std::string> calibrationNames;       // frames 100.. LoadLFile fills
  std::int32_t displayed = -1;                     // the frame DisplayFrame chose
  std::int32_t findStatus = 0;                     // FindFrame's answer

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
  std::map<fieldray::engine::OutputCheck, std::int16_t> checks;
  std::map<fieldray::engine::OutputText, std::string> texts;
  // Runs when a check box's state changes, as its click handler would.
  std::function<void(fieldray::engine::OutputCheck)> onCheckClick;
  std::string onOffCaption, labStat;
  int tabFocus = 0;
  std::int32_t dispLaser = 4242;
  std::map<std::int16_t, bool> prjPos;
  std::map<std::int16_t, std::string> prjPosCaption;
  std::map<std::int16_t, bool> prjPosEnabled, optFldEnabled;
  bool pmFrameEnabled = true, mfFrameEnabled = true;
  std::vector<std::string> listCal;

  // The output tab as the example settings fill it: scan-rate limits 30000
  // and 10000, blanking 8000, the laser output on.
  void StandardOutput() {
    texts[fieldray::engine::OutputText::SRUL] = "30000";
    texts[fieldray::engine::OutputText::SRLL] = "10000";
    texts[fieldray::engine::OutputText::BlnkTm] = "8000";
    checks[fieldray::engine::OutputCheck::OnOff] = 1;
  }
  // The caption's position and character size.
  void CaptionBox(const std::string& x, const std::string& y, const std::string& w, const std::string& h) {
    texts[fieldray::engine::OutputText::CapX] = x;
    texts[fieldray::engine::OutputText::CapY] = y;
    texts[fieldray::engine::OutputText::CharW] = w;
    texts[fieldray::engine::OutputText::CharH] = h;
  }

  void SetMsg(const std::string& text) override {
    msg = text;
    msgHistory.push_back(text);
  }
  std::string Msg() const override { return msg; }
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
  std::int16_t CheckState(fieldray::engine::OutputCheck box) const override {
    return checks.count(box) ? checks.at(box) : 0;
  }
  void SetCheckState(fieldray::engine::OutputCheck box, std::int16_t state) override {
    const bool changed = CheckState(box) != state;
    checks[box] = state;
    if (changed && onCheckClick) onCheckClick(box);
  }
  std::string OutputTextOf(fieldray::engine::OutputText box) const override {
    return texts.count(box) ? texts.at(box) : std::string();
  }
  void SetOutputText(fieldray::engine::OutputText box, const std::string& text) override { texts[box] = text; }
  std::int32_t UpDownMin(fieldray::engine::OutputUpDown c) const override {
    return c == fieldray::engine::OutputUpDown::ScnRtUD ? 10 : 2000;
  }
  std::int32_t UpDownMax(fieldray::engine::OutputUpDown c) const override {
    return c == fieldray::engine::OutputUpDown::ScnRtUD ? 50 : 15000;
  }
  void SetOnOffCaption(const std::string& caption) override { onOffCaption = caption; }
  void FocusSSTab1() override { ++tabFocus; }
  std::int32_t DispLaserHandle() const override { return dispLaser; }
  void SetLabStat(const std::string& caption) override { labStat = caption; }
  std::vector<std::int16_t> PrjPosIndices() const override { return Keys(prjPos); }
  bool PrjPosChecked(std::int16_t index) const override { return prjPos.count(index) && prjPos.at(index); }
  void SetPrjPosCaption(std::int16_t index, const std::string& caption) override { prjPosCaption[index] = caption; }
  void SetPrjPosEnabled(std::int16_t index, bool enabled) override { prjPosEnabled[index] = enabled; }
  void SetPMFrameEnabled(bool enabled) override { pmFrameEnabled = enabled; }
  void SetOptFldEnabled(std::int16_t index, bool enabled) override { optFldEnabled[index] = enabled; }
  void SetMFFrameEnabled(bool enabled) override { mfFrameEnabled = enabled; }
  void AddListCal(const std::string& entry) override { listCal.push_back(entry); }

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
  // Field S at SCALE and a caption box of 120 x 120 at (LEFT, 0), the font
  // taken from the program folder.
  void CaptionInFieldS(std::int32_t scale, const char* left) {
    state.ProgramDir = "C:\\Fieldray\\";
    state.FieldCalibration[1].XScale = state.FieldCalibration[1].YScale = scale;
    console.CaptionBox(left, "0", "120", "120");
  }
};

// Records the engine busy count at every tick of a timer while it lives
// (one watch at a time).
class BusyWatch {
 public:
  BusyWatch(const fieldray::ProgramState& state, winplat::UINT periodMs);
  ~BusyWatch();
  BusyWatch(const BusyWatch&) = delete;
  BusyWatch& operator=(const BusyWatch&) = delete;

  std::vector<std::int32_t> seen;

 private:
  static void Tick(winplat::HWND, winplat::UINT, winplat::UINT_PTR, std::uint32_t);
  static BusyWatch* current_;
  const fieldray::ProgramState& state_;
  winplat::UINT_PTR timer_;
};

}  // namespace enginetest
