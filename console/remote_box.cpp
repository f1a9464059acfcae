// The remote control box: reading the switch, acting on its moves, calibrating.
#include "console/remote_box.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "console/flag_scope.h"
#include "engine/caption_text.h"
#include "engine/projection_output.h"
#include "engine/settings_file.h"
#include "engine/settings_keys.h"
#include "winplat/clock.h"
#include "winplat/components/routines.h"
#include "winplat/hw/parport.h"
#include "winplat/messages.h"
#include "winplat/numeric.h"

namespace fieldray::console {
namespace {

constexpr const char* kNoPort = "Port Driver Not Connecting";
constexpr const char* kNoBox = "Control Box Interface Not Responding";
constexpr const char* kMoveSwitch = "Slowly move the Remote Control Selector Switch through all positions.";
constexpr const char* kCalibrated = "Calibration Complete.";

// Port registers and the box's handshake.
constexpr std::int32_t kStatusRegister = 1;
constexpr std::int32_t kControlRegister = 2;
constexpr std::int32_t kLatchControl = 6;     // latch the switch, low nibble
constexpr std::int32_t kLowNibbleControl = 2;
constexpr std::int32_t kHighNibbleControl = 3;
constexpr std::int32_t kBusyBit = 8;          // status bit 3: high while the box is not ready
constexpr int kStatusReads = 1000;
constexpr std::int32_t kInvertedBits = 0x88;  // the two bits that come from the inverted status bit 7

// A reading is acted on when it moved by more than this since the last tick,
// and matches a calibrated reading closer than this.
constexpr std::int64_t kMoveThreshold = 20;
constexpr std::int64_t kMatchThreshold = 20;
// The longest wait, in seconds, with a mode's caption before the mode is shown.
constexpr float kMaxCaptionSeconds = 5;
// Calibration: a move of more than this, then the switch settles, then a
// reading this far from every stored one is taken.
constexpr std::int64_t kCalibrationStep = 15;
constexpr std::uint64_t kSettleMs = 500;

std::int64_t Distance(std::int32_t a, std::int32_t b) {
  return std::llabs(static_cast<std::int64_t>(a) - b);
}

std::uint64_t Now() { return winplat::CurrentClock().TickCount64(); }

}  // namespace

RemoteBox::RemoteBox(engine::Engine& engine, MainForm& main, StartupValues& values)
    : e_(engine), main_(main), values_(values) {
  main_.TimerCB.Timer = [this] { TimerCB_Timer(); };
  main_.CalCB.Click = [this] { CalCB_Click(); };
}

std::int32_t RemoteBox::ReadControlBox() {
  using namespace winplat::hw;
  const std::int32_t device = values_.PortDevice;
  HwOutp(device, kControlRegister, kLatchControl);
  bool ready = false;
  for (int n = 1; n <= kStatusReads && !ready; ++n) {
    ready = (HwInp(device, kStatusRegister) & kBusyBit) == 0;
    if (!ready && n < kStatusReads) winplat::DoEvents();
  }
  if (!ready) return -1;
  HwOutp(device, kControlRegister, kLowNibbleControl);
  const std::int32_t lo = (HwInp(device, kStatusRegister) & 0xFF) >> 4;
  HwOutp(device, kControlRegister, kHighNibbleControl);
  const std::int32_t hi = HwInp(device, kStatusRegister) & 0xF0;
  return (hi | lo) ^ kInvertedBits;
}

void RemoteBox::TimerCB_Timer() {
  // A tick that comes while one waits in the port poll or the caption's
  // delay is skipped.
  if (inTick_) return;
  FlagScope running(inTick_);
  Tick();
}

void RemoteBox::Tick() {
  wc::Label& label = main_.LabelCBIns;
  if (values_.PortDevice <= 0) {
    label.SetCaption(kNoPort);
    return;
  }
  const std::int32_t r = ReadControlBox();
  LastBoxReading = r;
  if (r < 0) {
    if (calibrating_) CancelCalibration();
    label.SetCaption(kNoBox);
    return;
  }
  // While calibrating, the readings are recorded and not acted on.
  if (calibrating_) {
    CalibrationStep(r);
  } else if (Distance(PrevBoxReading, r) > kMoveThreshold) {
    ActOn(r);
  }
  PrevBoxReading = r;
  if (label.Caption() == kNoPort || label.Caption() == kNoBox) label.SetCaption("");
}

void RemoteBox::ActOn(std::int32_t reading) {
  const std::vector<std::int32_t>& positions = values_.BoxPositions;
  auto match = std::find_if(positions.begin(), positions.end(),
                            [reading](std::int32_t p) { return Distance(p, reading) < kMatchThreshold; });
  if (match == positions.end()) return;
  const int i = static_cast<int>(match - positions.begin());
  ProgramState& s = e_.State;
  if (i == 0) {
    main_.OnOff.SetValue(wc::vbUnchecked);
    main_.CapBtn.SetValue(wc::vbUnchecked);
    return;
  }
  if (i == 1) {
    s.ControlBoxBusy = BoolTrue;
    main_.OnOff.SetValue(wc::vbChecked);
    s.ControlBoxBusy = BoolFalse;
    main_.CapBtn.SetValue(wc::vbChecked);
    return;
  }
  const int mode = i - 1;
  float t = std::min(static_cast<float>(std::fabs(engine::LenientVal(main_.TDMode.Text()))), kMaxCaptionSeconds);
  if (t != 0) {
    std::string caption = main_.PrjPos.Exists(mode) ? main_.PrjPos(mode).Caption() : std::string();
    engine::ShowCaption(e_, caption);
    engine::Delay(t);
  }
  main_.OnOff.SetValue(wc::vbChecked);
  main_.CapBtn.SetValue(wc::vbUnchecked);
  if (main_.PMFrame.Enabled() && main_.PrjPos.Exists(mode)) main_.PrjPos(mode).SetValue(true);
}

void RemoteBox::CalCB_Click() {
  if (calibrating_) {
    CancelCalibration();
    return;
  }
  // Without a port or a reading nothing can be calibrated: the readings in
  // use stay.
  if (values_.PortDevice <= 0 || LastBoxReading < 0) return;
  savedPositions_ = values_.BoxPositions;
  values_.BoxPositions.assign(static_cast<std::size_t>(main_.PrjPos.Count()) + 2, 0);
  takenReading_ = 0;
  settling_ = false;
  calibrating_ = true;
  main_.LabelCBIns.SetCaption(kMoveSwitch);
}

void RemoteBox::CalibrationStep(std::int32_t reading) {
  if (!settling_) {
    if (Distance(takenReading_, reading) > kCalibrationStep) {
      settling_ = true;
      settledAt_ = Now() + kSettleMs;
    }
    return;
  }
  if (Now() < settledAt_) return;
  settling_ = false;
  // An entry holding 0 is not filled yet. A reading near 0 matches every
  // such entry, so it is taken only as the last one.
  std::vector<std::int32_t>& b = values_.BoxPositions;
  const std::size_t modes = b.size() - 2;
  std::size_t i = 0;
  while (i < b.size() && Distance(b[i], reading) >= kCalibrationStep) ++i;
  if (i > modes) {
    auto empty = std::find(b.begin(), b.end(), 0);
    if (empty != b.end()) *empty = reading;
  }
  takenReading_ = reading;
  if (std::find(b.begin(), b.end(), 0) == b.end()) CompleteCalibration();
}

void RemoteBox::CompleteCalibration() {
  std::vector<std::int32_t>& b = values_.BoxPositions;
  winplat::SortL(b.data(), static_cast<std::int32_t>(b.size()), 0);
  for (std::size_t m = 0; m < b.size(); ++m) {
    std::string value = winplat::Str(b[m]);
    engine::WriteCalibrationValue(e_, engine::BoxPosKey(static_cast<std::int32_t>(m)), value);
  }
  calibrating_ = false;
  savedPositions_.clear();
  main_.LabelCBIns.SetCaption(kCalibrated);
}

void RemoteBox::CancelCalibration() {
  values_.BoxPositions = savedPositions_;
  savedPositions_.clear();
  calibrating_ = false;
  settling_ = false;
  main_.LabelCBIns.SetCaption("");
}

}  // namespace fieldray::console
