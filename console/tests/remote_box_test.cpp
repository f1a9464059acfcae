// The remote control box against the emulated parallel port: its readings,
// what a move of the switch does, and its calibration.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "console/remote_box.h"
#include "engine/projection_output.h"
#include "engine/settings_keys.h"
#include "program_rig.h"
#include "winplat/controls/operator.h"

namespace fieldray::console {
namespace {

namespace hw = winplat::hw;

class RemoteBoxTest : public ProgramRig {
 protected:
  // One tick of TimerCB with the box giving `reading`.
  void TickAt(std::int32_t reading) {
    hw::SetRemoteBoxReading(reading);
    program->Box.TimerCB_Timer();
  }
  // The switch turned to `reading` and left there until it has settled.
  void TurnAndSettle(std::int32_t reading) {
    TickAt(reading);
    clock.Advance(600);
    TickAt(reading);
  }
  double Seconds() { return clock.SecondsSinceMidnight(); }
  std::vector<std::int32_t>& Positions() { return program->Values.BoxPositions; }
  std::string Label() { return program->Forms.Main.LabelCBIns.Caption(); }
  void ClickCalibrate() {
    winplat::controls::op::PickTab(program->Forms.Main.SSTab1, design::kTabRemote);
    winplat::controls::op::Click(program->Forms.Main.CalCB);
  }
};

TEST_F(RemoteBoxTest, EachReadingIsReadBackAndAFailedReadIsCaptionedUntilAGoodTick) {
  Program& p = Start();
  for (int position = 0; position < hw::kRemoteBoxPositions; ++position) {
    hw::SetRemoteBoxPosition(position);
    EXPECT_EQ(p.Box.ReadControlBox(), hw::RemoteBoxPositionReading(position)) << "position " << position;
  }
  for (std::int32_t raw : {0, 7, 8, 0x77, 0x88, 128, 255}) {
    hw::SetRemoteBoxReading(raw);
    EXPECT_EQ(p.Box.ReadControlBox(), raw);
  }
  hw::SetRemoteBoxBusy(true);
  const double before = Seconds();
  EXPECT_EQ(p.Box.ReadControlBox(), -1);
  EXPECT_GT(Seconds() - before, 5.0) << "the window events ran between the status reads";
  hw::SetRemoteBoxBusy(false);
  hw::SetRemoteBoxConnected(false);
  EXPECT_EQ(p.Box.ReadControlBox(), -1);
  hw::SetRemoteBoxConnected(true);

  // Without a port or a reading the label says so until a good tick.
  const std::int32_t device = p.Values.PortDevice;
  p.Values.PortDevice = 0;
  p.Box.TimerCB_Timer();
  EXPECT_EQ(Label(), "Port Driver Not Connecting");
  p.Values.PortDevice = device;
  TickAt(8);
  EXPECT_EQ(Label(), "");
  hw::SetRemoteBoxConnected(false);
  p.Box.TimerCB_Timer();
  EXPECT_EQ(Label(), "Control Box Interface Not Responding");
  EXPECT_EQ(p.Box.LastBoxReading, -1);
  EXPECT_EQ(p.Box.PrevBoxReading, 8);
  hw::SetRemoteBoxConnected(true);
  TickAt(8);
  EXPECT_EQ(Label(), "");
  // Other texts stay.
  p.Forms.Main.LabelCBIns.SetCaption("Calibration Complete.");
  TickAt(8);
  EXPECT_EQ(Label(), "Calibration Complete.");
}

TEST_F(RemoteBoxTest, MovesAndMatchesSwitchTheOutputAndTheModesAfterTheirCaption) {
  Program& p = Start();
  MainForm& m = p.Forms.Main;
  m.Timer1.SetEnabled(false);
  const std::vector<std::int32_t> factory = {240, 8, 40, 72, 104, 136, 168, 200};
  const std::vector<std::int32_t> wide = {240, 8, 40, 100, 160, 200, 220, 250};
  const std::vector<std::int32_t> close = {240, 8, 40, 50, 160, 200, 220, 250};
  const std::vector<std::int32_t> none(8, 0);
  const struct {
    const char* what;
    const std::vector<std::int32_t>& positions;
    std::int32_t previous, reading;
    int onOff, capBtn, mode;  // afterwards; before, CapBtn is off and mode 6 picked
    const char* delay = "0";  // TDMode
    double seconds = 0;       // waited with the mode's caption
    bool groupEnabled = true;
    int onOffBefore = 1;      // OnOff before the tick
  } cases[] = {
      {"a move of 20 is ignored", factory, 28, 8, 1, 0, 6},
      {"a move of 21 is acted on", factory, 29, 8, 1, 1, 6},
      {"entry 0 turns the output off", factory, 0, 240, 0, 0, 6},
      {"19 away matches", wide, 0, 119, 1, 0, 2},
      {"20 away does not", wide, 0, 120, 1, 0, 6},
      {"the lower index wins", close, 0, 45, 1, 0, 1},
      {"no calibration: near 0 is off", none, 200, 19, 0, 0, 6},
      {"a caption waits at most 5 s", factory, 200, 40, 1, 0, 1, "12", 5},
      {"a negative wait counts", factory, 200, 40, 1, 0, 1, "-3", 3},
      {"no wait", factory, 200, 40, 1, 0, 1, "0", 0},
      {"no number, no wait", factory, 200, 40, 1, 0, 1, "none", 0},
      {"a disabled group keeps its mode", factory, 200, 72, 1, 0, 6, "0", 0, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m.CapBtn.SetValue(0);
    m.OnOff.SetValue(c.onOffBefore);
    m.PrjPos(6).SetValue(true);
    engine::EnablePrjPos(p.Engine, c.groupEnabled);
    m.TDMode.SetText(c.delay);
    Positions() = c.positions;
    p.Box.PrevBoxReading = c.previous;
    const double before = Seconds();
    TickAt(c.reading);
    EXPECT_NEAR(Seconds() - before, c.seconds, 0.1);
    EXPECT_EQ(m.OnOff.Value(), c.onOff);
    EXPECT_EQ(m.CapBtn.Value(), c.capBtn);
    EXPECT_EQ(engine::CheckedPrjPos(p.Engine), c.mode);
    EXPECT_EQ(p.Box.PrevBoxReading, c.reading) << "every reading becomes the previous one";
    EXPECT_EQ(p.State.ControlBoxBusy, BoolFalse);
  }
}

TEST_F(RemoteBoxTest, TheBoxIsBusyOnlyWhileItTurnsTheOutputOnForEntryOne) {
  Program& p = Start();
  MainForm& m = p.Forms.Main;
  std::vector<std::int16_t> seen;
  auto onOff = m.OnOff.Click.Get();
  m.OnOff.Click = [&, onOff] {
    seen.push_back(p.State.ControlBoxBusy);
    onOff();
  };
  p.Box.PrevBoxReading = 200;
  TickAt(8);  // entry 1: output on
  TickAt(240);  // entry 0: off
  TickAt(40);  // entry 2: a mode, the output on again
  EXPECT_EQ(seen, (std::vector<std::int16_t>{BoolTrue, BoolFalse, BoolFalse}));
  EXPECT_EQ(p.State.ControlBoxBusy, BoolFalse);
}

TEST_F(RemoteBoxTest, ATickArrivingWhileATickWaitsIsSkipped) {
  Program& p = Start(true);
  MainForm& m = p.Forms.Main;
  m.TDMode.SetText("2");
  // The job-intake timer turns the switch to "off" while the tick waits.
  bool turned = false;
  m.Timer1.Timer = [&turned] {
    hw::SetRemoteBoxReading(240);
    turned = true;
  };
  p.Box.PrevBoxReading = 200;
  const double before = Seconds();
  TickAt(40);
  EXPECT_NEAR(Seconds() - before, 2.0, 0.2);
  ASSERT_TRUE(turned);
  EXPECT_EQ(p.Box.LastBoxReading, 40) << "no nested tick read the box";
  EXPECT_EQ(m.OnOff.Value(), 1);
  EXPECT_TRUE(m.PrjPos(1).Value());
}

TEST_F(RemoteBoxTest, CalibrationTakesEightReadingsTheOneNearZeroLast) {
  Program& p = Start();
  MainForm& m = p.Forms.Main;
  TickAt(72);
  const int onOff = m.OnOff.Value();
  ClickCalibrate();
  EXPECT_TRUE(p.Box.Calibrating());
  EXPECT_EQ(Label(), "Slowly move the Remote Control Selector Switch through all positions.");
  const std::int32_t readings[] = {72, 8, 240, 40, 104, 136, 168, 200, 8};
  for (std::int32_t r : readings) {
    EXPECT_TRUE(p.Box.Calibrating()) << "before " << r;
    TurnAndSettle(r);
  }
  EXPECT_FALSE(p.Box.Calibrating());
  EXPECT_EQ(Positions(), (std::vector<std::int32_t>{8, 40, 72, 104, 136, 168, 200, 240}));
  EXPECT_EQ(Label(), "Calibration Complete.");
  for (int n = 0; n < 8; ++n)
    EXPECT_EQ(engine::ReadCalibrationValue(p.Engine, engine::BoxPosKey(n)), std::to_string(Positions()[n]));
  // The position the switch rests on is not acted on; a later move is.
  TickAt(8);
  EXPECT_EQ(m.OnOff.Value(), onOff);
  EXPECT_EQ(Label(), "Calibration Complete.");
  TickAt(240);
  EXPECT_TRUE(m.PrjPos(6).Value()) << "240 is entry 7 now";
  TickAt(72);
  EXPECT_TRUE(m.PrjPos(1).Value()) << "72 is entry 2 now";
}

TEST_F(RemoteBoxTest, ACancelledOrRefusedCalibrationKeepsTheEntries) {
  Program& p = Start();
  const std::vector<std::int32_t> before = Positions();
  const char* noBox = "Control Box Interface Not Responding";
  const struct {
    const char* what;
    std::function<void()> refuse;  // before the click: the calibration does not start
    std::function<void()> cancel;  // once it has taken a reading
    const char* label;
  } cases[] = {{"second click", nullptr, [&] { ClickCalibrate(); }, ""},
               {"box stops answering", nullptr, [&] { hw::SetRemoteBoxBusy(true); p.Box.TimerCB_Timer(); }, noBox},
               {"no reading", [] { hw::SetRemoteBoxBusy(true); }, nullptr, noBox},
               {"no port", [&] { CloseRemoteBoxPort(p.Values.PortDevice); }, nullptr, "Port Driver Not Connecting"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.refuse) c.refuse();
    TickAt(72);
    ClickCalibrate();
    EXPECT_EQ(p.Box.Calibrating(), c.cancel != nullptr);
    if (c.cancel) {
      TurnAndSettle(240);
      c.cancel();
    }
    EXPECT_FALSE(p.Box.Calibrating());
    EXPECT_EQ(Positions(), before);
    EXPECT_EQ(Label(), c.label);
    EXPECT_EQ(engine::ReadCalibrationValue(p.Engine, "BoxPos0"), "240");
    hw::SetRemoteBoxBusy(false);
  }
}

TEST_F(RemoteBoxTest, OperatorLinesTurnTheSwitchAndBadOnesAreReported) {
  Program& p = Start();
  const struct {
    const char* line;
    std::int32_t reading;  // what the box gives afterwards
    bool fails;
  } cases[] = {
      {"remotebox position 5", hw::RemoteBoxPositionReading(5), false},
      {"remotebox reading 77", 77, false},
      {"remotebox position 3", hw::RemoteBoxPositionReading(3), false},
      {"remotebox busy on", -1, false},
      {"remotebox busy off", hw::RemoteBoxPositionReading(3), false},
      {"remotebox connected off", -1, false},
      {"remotebox connected on", hw::RemoteBoxPositionReading(3), false},
      {"remotebox position 8", hw::RemoteBoxPositionReading(3), true},
      {"remotebox position two", hw::RemoteBoxPositionReading(3), true},
      {"remotebox reading 256", hw::RemoteBoxPositionReading(3), true},
      {"remotebox busy maybe", hw::RemoteBoxPositionReading(3), true},
      {"remotebox turn 1", hw::RemoteBoxPositionReading(3), true},
      {"remotebox", hw::RemoteBoxPositionReading(3), true},
  };
  for (const auto& c : cases) {
    std::istringstream none;
    std::ostringstream log;
    std::string error;
    winplat::controls::OperatorScript script(none, log, &boxes);
    EXPECT_EQ(!script.RunLine(c.line, &error), c.fails) << c.line << ": " << error;
    EXPECT_TRUE(!c.fails || error.find("remotebox") != std::string::npos) << error;
    EXPECT_EQ(p.Box.ReadControlBox(), c.reading) << c.line;
  }
}

}  // namespace
}  // namespace fieldray::console
