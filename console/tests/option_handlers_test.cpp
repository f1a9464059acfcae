// The output tab's handlers store their keys when they should and send the
// rate and skew only when they can.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/component_slots.h"
#include "console/form_console_view.h"
#include "console/option_handlers.h"
#include "console/startup.h"
#include "engine/settings_file.h"
#include "test_support.h"
#include "winplat/clock.h"
#include "winplat/controls/operator.h"

namespace fieldray::console {
namespace {

// A device that records the calls the handlers make; its working frame has
// `points` points.
struct Device {
  static inline std::vector<std::string> calls;
  static inline std::int32_t points = 0;
  static inline std::int32_t workingFrame = 7;

  static engine::VexlibTable Table() {
    engine::VexlibTable t;
    t.GetWorkingFrame = [](std::int32_t* frame) {
      *frame = workingFrame;
      return 0;
    };
    t.SetWorkingFrame = [](std::int32_t frame) {
      calls.push_back("SetWorkingFrame " + std::to_string(frame));
      workingFrame = frame;
      return 0;
    };
    t.ReadFrameStruct = [](std::int32_t frame, FrameStruct* header) {
      *header = FrameStruct{};
      if (frame == workingFrame) header->NumPoints = points;
      return 0;
    };
    t.DisplayFreq3 = [](std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t* o1, std::int32_t* o2,
                        std::int32_t* o3) {
      calls.push_back("DisplayFreq3 " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
      *o1 = a;
      *o2 = b;
      *o3 = c;
      return 0;
    };
    t.DisplaySkew = [](std::int32_t a, std::int32_t b, std::int32_t c) {
      calls.push_back("DisplaySkew " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
      return 0;
    };
    t.DisplayUpdate = [] {
      calls.push_back("DisplayUpdate");
      return 0;
    };
    t.RedrawFrame = [](std::int32_t window, std::int32_t from, std::int32_t to, std::int32_t mode,
                       std::int32_t clear, std::int32_t a, std::int32_t b, std::int32_t c) {
      (void)window;
      calls.push_back("RedrawFrame " + std::to_string(from) + " " +
                      std::to_string(to) + " " + std::to_string(mode) + " " + std::to_string(clear) + " " +
                      std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
      return 0;
    };
    return t;
  }
};

class OptionHandlersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    Device::calls.clear();
    Device::points = 0;
    Device::workingFrame = 7;
    std::filesystem::create_directories(testsupport::Root() / "C" / "Fieldray");
    // An empty settings file (a missing one would be filled from the template).
    testsupport::WriteFile(Ini(), "");
    engine::SetProgramDir(state, "C:\\Fieldray\\");
  }
  void TearDown() override { winplat::SetClock(nullptr); }
  static std::filesystem::path Ini() { return testsupport::Root() / "C" / "Fieldray" / "Fldry.INI"; }
  std::string Cal(const char* key) { return engine::ReadCalibrationValue(e, key); }
  // Whether the settings file holds the key at all (reading gives defaults).
  bool Stored(const std::string& key) {
    return testsupport::ReadFile(Ini()).find("\n" + key + "=") != std::string::npos;
  }
  // Fills the scan-rate boxes as start-up does, without storing or sending.
  void Load(const char* upper, const char* lower, const char* multiplier, const char* blanking) {
    state.LoadingSettings = BoolTrue;
    forms.Main.SRUL.SetText(upper);
    forms.Main.SRLL.SetText(lower);
    forms.Main.ScnRt.SetText(multiplier);
    forms.Main.BlnkTm.SetText(blanking);
    state.LoadingSettings = BoolFalse;
    Device::calls.clear();
  }

  winplat::ManualClock clock;
  ProgramState state;
  engine::Vexlib vx{Device::Table()};
  ConsoleForms forms;
  FormConsoleView view{forms.Main, nullptr};
  engine::Engine e{state, vx, view, [] {}};
};

TEST_F(OptionHandlersTest, LoadingMutesTheLowerLimitAndHoldCountsButNotTheUpperLimit) {
  OptionHandlers h(e, forms.Main);
  state.LoadingSettings = BoolTrue;
  forms.Main.SRUL.SetText("25000");
  forms.Main.SRLL.SetText("9000");
  forms.Main.PtsVtx.SetText("7");
  forms.Main.ScnRt.SetText("15");
  forms.Main.BlnkTm.SetText("4000");
  state.LoadingSettings = BoolFalse;
  EXPECT_FALSE(Stored("ScanRateLL"));
  EXPECT_FALSE(Stored("PointsVertex"));
  EXPECT_FALSE(Stored("ScanRate"));
  EXPECT_FALSE(Stored("BlankTiming"));
  EXPECT_EQ(Cal("ScanRateUL"), "25000");
  EXPECT_EQ(state.HoldVertex, 7) << "the hold count follows its box while loading";
  EXPECT_EQ(state.ScanRateCache, 15);
  EXPECT_TRUE(Device::calls.empty()) << "nothing is sent while loading";

  forms.Main.PtsEnd.SetText("4.5");
  EXPECT_EQ(Cal("PointsEnd"), "4.5");
  EXPECT_EQ(state.HoldEnd, 4) << "halves round to even";
  forms.Main.PtsST.SetText("5.5");
  EXPECT_EQ(state.HoldStart, 6);
  forms.Main.SRLL.SetText("8000");
  EXPECT_EQ(Cal("ScanRateLL"), "8000");
}

TEST_F(OptionHandlersTest, UpDownsStepTheirBoxesAndTheBoxesStore) {
  OptionHandlers h(e, forms.Main);
  Load("30000", "10000", "20", "8000");
  forms.Main.Show();
  forms.Main.SSTab1.SetTab(design::kTabOptions);
  forms.Main.PtsStUD.OperatorArrow(true);
  EXPECT_EQ(forms.Main.PtsST.Text(), "4");
  EXPECT_EQ(Cal("PointsStart"), "4");
  EXPECT_EQ(state.HoldStart, 4);
  forms.Main.SRULUD.OperatorArrow(true);
  EXPECT_EQ(Cal("ScanRateUL"), "31000");
  forms.Main.BlnkTmUD.OperatorArrow(false);
  EXPECT_EQ(Cal("BlankTiming"), "7500") << "the blanking up-down stores what it set";
  forms.Main.ScnRtUD.OperatorArrow(true);
  EXPECT_EQ(Cal("ScanRate"), "21");
}

TEST_F(OptionHandlersTest, BlankingIsStoredOnLostFocusOrItsUpDownNotOnEveryKey) {
  OptionHandlers h(e, forms.Main);
  Load("30000", "10000", "20", "8000");
  forms.Main.BlnkTm.SetText("7000");
  EXPECT_FALSE(Stored("BlankTiming"));
  forms.Main.BlnkTm.LostFocus.Fire(forms.Main.BlnkTm, "LostFocus");
  EXPECT_EQ(Cal("BlankTiming"), "7000");
  forms.Main.BlnkTm.SetText("6500");
  forms.Main.BlnkTmUD.Change.Fire(forms.Main.BlnkTmUD, "Change");
  EXPECT_EQ(Cal("BlankTiming"), "6500");
}

TEST_F(OptionHandlersTest, MultiplierIsStoredOnEveryChangeAndOnLostFocus) {
  OptionHandlers h(e, forms.Main);
  Load("30000", "10000", "20", "8000");
  forms.Main.ScnRt.SetText("12.5");
  EXPECT_EQ(state.ScanRateCache, 12);
  EXPECT_EQ(Cal("ScanRate"), "12") << "the rounded multiplier is stored, not the text";
  EXPECT_TRUE(Device::calls.empty()) << "a frame without points gets no rate";
  testsupport::WriteFile(Ini(), "");
  forms.Main.ScnRt.LostFocus.Fire(forms.Main.ScnRt, "LostFocus");
  EXPECT_EQ(Cal("ScanRate"), "12");
}

TEST_F(OptionHandlersTest, ARefusedTypedValueGivesBackWhatTheBoxHeldWhenItTookTheFocus) {
  OptionHandlers h(e, forms.Main);
  Load("30000", "10000", "20", "8000");
  forms.Main.Show();
  forms.Main.SSTab1.SetTab(design::kTabOptions);
  Device::points = 1000;  // 20 x 1000 = 20000 inside the limits; skew 20000 \ 8000 + 2 = 4
  state.HoldStart = 3;     // as start-up takes it from the box's "3"
  auto last = [](const std::string& call) {
    for (auto it = Device::calls.rbegin(); it != Device::calls.rend(); ++it)
      if (it->rfind(call, 0) == 0) return *it;
    return std::string();
  };
  struct Case {
    wc::TextBox* box;
    const char* key;
    const char* typed;  // a keystroke on the way is inside the range
    const char* message;
    bool sends;
  };
  const Case cases[] = {
      {&forms.Main.SRLL, "ScanRateLL", "99999999", "Scan rate lower limit: 5000 to 15000", false},
      {&forms.Main.SRUL, "ScanRateUL", "350000", "Scan rate upper limit: 15000 to 35000", false},
      {&forms.Main.ScnRt, "ScanRate", "155", "Scan rate multiplier: 10 to 50", true},
      {&forms.Main.BlnkTm, "BlankTiming", "20000", "Blanking time: 2000 to 15000", true},
      {&forms.Main.PtsST, "PointsStart", "12", "Segment start points: 1 to 10", false},
  };
  for (const Case& c : cases) {
    Device::calls.clear();
    c.box->SetFocus();
    ASSERT_TRUE(c.box->HasFocus()) << c.key;
    const std::string before = c.box->Text();
    c.box->SetSelStart(0);
    c.box->SetSelLength(static_cast<int>(before.size()));
    wc::op::Type(*c.box, c.typed);
    if (c.sends) {
      EXPECT_NE(last("DisplayFreq3") + " " + last("DisplaySkew"), "DisplayFreq3 20000 20000 20000 DisplaySkew 4 4 0")
          << c.key << ": the in-range keystroke on the way was sent";
    }
    forms.Main.PtsVtx.SetFocus();  // the box loses the focus
    ASSERT_TRUE(forms.Main.PtsVtx.HasFocus()) << c.key;
    EXPECT_EQ(c.box->Text(), before) << c.key;
    EXPECT_EQ(Cal(c.key), before) << c.key;
    EXPECT_EQ(forms.Main.Msg.Caption(), c.message);
    EXPECT_EQ(state.ScanRateCache, 20) << c.key;
    EXPECT_EQ(state.HoldStart, 3) << c.key;
    if (c.sends) {
      EXPECT_EQ(last("DisplayFreq3"), "DisplayFreq3 20000 20000 20000") << c.key;
      EXPECT_EQ(last("DisplaySkew"), "DisplaySkew 4 4 0") << c.key;
    }
  }
}

TEST_F(OptionHandlersTest, ClosingTheWindowSavesTheBlankingBeingEdited) {
  OptionHandlers h(e, forms.Main);
  StartupValues values;
  values.SettingsLoaded = true;  // as start-up leaves it
  forms.Main.Show();
  forms.Main.BlnkTm.SetFocus();
  forms.Main.BlnkTm.SetText("7200");
  ASSERT_EQ(forms.Main.ActiveControl(), &forms.Main.BlnkTm);
  EXPECT_FALSE(Stored("BlankTiming"));
  Form_QueryUnload(e, forms.Main, values);
  EXPECT_EQ(Cal("BlankTiming"), "7200");
}

TEST_F(OptionHandlersTest, CaptionOptionsAndTheMachineOriginAreStoredAtOnce) {
  OptionHandlers h(e, forms.Main);
  struct {
    wc::CheckBox* box;
    const char* section;
    const char* key;
  } checks[] = {{&forms.Main.CapMsg, "CaptionProjection", "Message"},
                {&forms.Main.CapThr, "CaptionProjection", "Through"},
                {&forms.Main.CapNam, "CaptionProjection", "Name"},
                {&forms.Main.CapLen, "CaptionProjection", "Length"},
                {&forms.Main.CapHgt, "CaptionProjection", "Height"},
                {&forms.Main.CapThk, "CaptionProjection", "Thickness"},
                {&forms.Main.Cap2L, "CaptionProjection", "TwoLines"},
                {&forms.Main.LLMO, "MachineData", "Origin"}};
  for (auto& c : checks) {
    c.box->SetValue(2);
    EXPECT_EQ(engine::ReadIniValue(e, c.section, c.key), "2") << c.key;
    c.box->SetValue(0);
    EXPECT_EQ(engine::ReadIniValue(e, c.section, c.key), "0") << c.key;
  }
  struct {
    wc::TextBox* box;
    const char* key;
  } texts[] = {{&forms.Main.CapX, "XPosition"},         {&forms.Main.CapY, "YPosition"},
               {&forms.Main.CharH, "CharHeight"},       {&forms.Main.CharW, "CharWidth"},
               {&forms.Main.TdTxt, "CaptionTimeDelay"}, {&forms.Main.TDMode, "ModeTimeDelay"}};
  for (auto& t : texts) {
    t.box->SetText(" 12x ");
    EXPECT_EQ(engine::ReadIniValue(e, "CaptionProjection", t.key), "12x") << "stored trimmed: " << t.key;
  }
}

TEST_F(OptionHandlersTest, MultiplierSendsTheClampedRateAndTheSkew) {
  OptionHandlers h(e, forms.Main);
  Load("30000", "10000", "10", "8000");
  Device::points = 600;
  forms.Main.ScnRt.SetText("20");
  // 20 x 600 = 12000 lies inside the limits; skew 12000 \ 8000 + 2 = 3.
  EXPECT_EQ(Device::calls, (std::vector<std::string>{"DisplayFreq3 12000 12000 12000", "DisplaySkew 4 3 0",
                                                     "DisplayUpdate"}));
  EXPECT_EQ(forms.Main.BlnkSK.Caption(), "") << "only the blanking handler shows the skew";
  Device::calls.clear();
  Device::points = 1000;
  forms.Main.ScnRt.SetText("40");  // 40000: held at the upper limit
  EXPECT_EQ(Device::calls.front(), "DisplayFreq3 30000 30000 30000");
  Device::calls.clear();
  Device::points = 100;
  forms.Main.ScnRt.SetText("20");  // 2000: raised to the lower limit
  EXPECT_EQ(Device::calls.front(), "DisplayFreq3 10000 10000 10000");
}

TEST_F(OptionHandlersTest, BlankingChangeSendsAndShowsTheSkewButStoresNothing) {
  OptionHandlers h(e, forms.Main);
  Load("30000", "10000", "20", "8000");
  Device::points = 600;
  forms.Main.BlnkTm.SetText("3000");
  EXPECT_EQ(Device::calls, (std::vector<std::string>{"DisplayFreq3 12000 12000 12000", "DisplaySkew 4 6 0",
                                                     "DisplayUpdate"}));
  EXPECT_EQ(forms.Main.BlnkSK.Caption(), " 6");
  EXPECT_FALSE(Stored("BlankTiming"));
  EXPECT_FALSE(Stored("ScanRate"));
  Device::calls.clear();
  Device::points = 0;
  forms.Main.BlnkTm.SetText("2500");
  EXPECT_TRUE(Device::calls.empty()) << "a frame without points: nothing is sent";
  EXPECT_EQ(forms.Main.BlnkSK.Caption(), " 6");
}

TEST_F(OptionHandlersTest, RateIsA64BitProductClampedAndNothingIsSentWhileBlankingIsZero) {
  OptionHandlers h(e, forms.Main);
  Load("30000", "10000", "2000000000", "8000");
  std::int32_t rate = 0, skew = 0;
  ASSERT_TRUE(h.RateAndSkew(100, rate, skew));
  EXPECT_EQ(rate, 30000);  // no wrap of 2e9 * 100
  EXPECT_EQ(skew, 30000 / 8000 + 2);
  state.ScanRateCache = 20;
  ASSERT_TRUE(h.RateAndSkew(10, rate, skew));
  EXPECT_EQ(rate, 10000);  // lower limit
  Load("30000", "40000", "20", "8000");  // crossing limits: the lower one wins
  ASSERT_TRUE(h.RateAndSkew(1000, rate, skew));
  EXPECT_EQ(rate, 40000);
  // Hand-edited limits far above the range and a blanking of 1: the skew
  // stays at the top of the range instead of wrapping.
  Load("1e12", "0", "2147483647", "1");
  ASSERT_TRUE(h.RateAndSkew(8000, rate, skew));
  EXPECT_EQ(rate, 2147483647);
  EXPECT_EQ(skew, 2147483647);

  Load("30000", "10000", "20", "0.4");  // a blanking of 0 read from the settings
  Device::points = 600;
  forms.Main.ScnRt.SetText("25");
  EXPECT_TRUE(Device::calls.empty()) << "no rate or skew while the blanking rounds to 0";
  EXPECT_EQ(Cal("ScanRate"), "25") << "the multiplier is still stored";
}

TEST_F(OptionHandlersTest, OutputSwitchesNameTheOutputLockThePresetsAndShowTheFrameAgain) {
  OptionHandlers h(e, forms.Main);
  forms.Main.Show();
  forms.Main.OnOff.SetValue(2);
  EXPECT_EQ(forms.Main.OnOff.Caption(), "Laser ON") << "greyed counts as on";
  EXPECT_EQ(forms.Main.ActiveControl(), &forms.Main.SSTab1);
  forms.Main.OnOff.SetValue(0);
  EXPECT_EQ(forms.Main.OnOff.Caption(), "Laser OFF");
  forms.Main.CapBtn.SetValue(1);
  EXPECT_FALSE(forms.Main.PrjPos(1).Enabled());
  EXPECT_FALSE(forms.Main.PMFrame.Enabled());
  forms.Main.CapBtn.SetValue(0);
  EXPECT_TRUE(forms.Main.PrjPos(6).Enabled());
  Device::calls.clear();
  forms.Main.OptFld(3).SetValue(true);
  EXPECT_NE(std::find(Device::calls.begin(), Device::calls.end(), "SetWorkingFrame 15"), Device::calls.end())
      << "a field choice shows the display frame again";
}

TEST_F(OptionHandlersTest, ToolTableStoresItselfAndThePreviewDrawsTheDisplayFrame) {
  ComponentSlots slots(forms);
  winplat::SpreadGrid& tools = slots.ToolDat->Grid();
  OptionHandlers h(e, forms.Main, &tools);
  tools.TypeIntoCell(3, 3, "6.5");
  winplat::SpreadGrid reread(1, 1);
  ASSERT_TRUE(reread.LoadFromHostFile((testsupport::Root() / "C" / "Fieldray" / "Tool.Dat").string()));
  reread.SetRow(3);
  reread.SetCol(3);
  EXPECT_EQ(reread.Text(), "6.5");
  reread.SetRow(0);
  EXPECT_EQ(reread.Text(), "Gr1  Dia") << "the headings are saved with the table";

  forms.Main.DispLaser.PaintEvent.Fire(forms.Main.DispLaser, "Paint");
  EXPECT_EQ(Device::calls, (std::vector<std::string>{"SetWorkingFrame 15", "RedrawFrame 1 6000 1 -1 0 0 0"}));
}

}  // namespace
}  // namespace fieldray::console
