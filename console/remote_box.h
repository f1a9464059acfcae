#pragma once
// The remote control box on the parallel port: a selector switch whose
// positions give their own readings. Every tick of TimerCB reads it; a move
// to a calibrated reading switches the laser output off or on or picks a
// projection mode, as the operator's clicks would. CalCB records the reading
// of every position: the ticks take the readings while the operator turns the
// switch, and a second click cancels.
#include <cstdint>
#include <vector>

#include "console/main_form.h"
#include "console/startup.h"
#include "engine/engine.h"

namespace fieldray::console {

class RemoteBox {
 public:
  // The port device and the calibrated readings are start-up's, in `values`.
  RemoteBox(engine::Engine& engine, MainForm& main, StartupValues& values);

  // One reading of the box, 0..255, or -1 when it never reports ready.
  std::int32_t ReadControlBox();
  void TimerCB_Timer();
  void CalCB_Click();
  bool Calibrating() const { return calibrating_; }

  // The reading of the last tick (-1 after a failed read).
  std::int32_t LastBoxReading = 0;
  // The reading of the last tick that got one.
  std::int32_t PrevBoxReading = 0;

 private:
  void Tick();
  // Acts on a reading that moved: output off, output on or a mode.
  void ActOn(std::int32_t reading);
  // A tick's reading while calibrating.
  void CalibrationStep(std::int32_t reading);
  void CompleteCalibration();
  // Puts back the readings from before the calibration.
  void CancelCalibration();

  engine::Engine& e_;
  MainForm& main_;
  StartupValues& values_;
  bool inTick_ = false;

  bool calibrating_ = false;
  std::vector<std::int32_t> savedPositions_;
  // The reading last taken, and while the switch settles, when to take the next.
  std::int32_t takenReading_ = 0;
  bool settling_ = false;
  std::uint64_t settledAt_ = 0;
};

}  // namespace fieldray::console
