// The output tab's handlers store their keys when they should and send the
// rate and skew only when they can.
#include <gtest/gtest.h>

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

class OptionHandlersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    std::filesystem::create_directories(testsupport::Root() / "C" / "Fieldray");
    // An empty settings file (a missing one would be filled from the template).
    testsupport::WriteFile(testsupport::Root() / "C" / "Fieldray" / "Fldry.INI", "");
    engine::SetProgramDir(state, "C:\\Fieldray\\");
    seams.DisplayFreq3 = [this](std::int32_t r) { rates.push_back(r); };
    seams.DisplaySkew = [this](std::int32_t, std::int32_t s) { skews.push_back(s); };
  }
  void TearDown() override { winplat::SetClock(nullptr); }
  std::string Cal(const char* key) { return engine::ReadCalibrationValue(e, key); }
  // Whether the settings file holds the key at all (reading gives defaults).
  bool Stored(const char* key) {
    return testsupport::ReadFile(testsupport::Root() / "C" / "Fieldray" / "Fldry.INI").find(std::string(key) + "=") !=
           std::string::npos;
  }

  winplat::ManualClock clock;
  ProgramState state;
  engine::Vexlib vx{testsupport::BinDir()};
  ConsoleForms forms;
  FormConsoleView view{forms.Main, nullptr};
  engine::Engine e{state, vx, view, [] {}};
  StartupValues values;
  OutputSeams seams;
  std::vector<std::int32_t> rates, skews;
};

TEST_F(OptionHandlersTest, LoadingMutesTheLowerLimitAndHoldCountsButNotTheUpperLimit) {
  OptionHandlers h(e, forms.Main, values, seams);
  state.LoadingSettings = BoolTrue;
  forms.Main.SRUL.SetText("25000");
  forms.Main.SRLL.SetText("9000");
  forms.Main.PtsVtx.SetText("7");
  forms.Main.ScnRt.SetText("15");
  state.LoadingSettings = BoolFalse;
  EXPECT_FALSE(Stored("ScanRateLL"));
  EXPECT_FALSE(Stored("PointsVertex"));
  EXPECT_FALSE(Stored("ScanRate="));
  EXPECT_TRUE(Stored("ScanRateUL"));
  EXPECT_EQ(Cal("ScanRateUL"), "25000");
  EXPECT_EQ(values.HoldVertex, 7);
  EXPECT_EQ(values.ScanRateCache, 15);

  forms.Main.PtsEnd.SetText("4.6");
  EXPECT_EQ(Cal("PointsEnd"), "4.6");
  EXPECT_EQ(values.HoldEnd, 5);
  forms.Main.SRLL.SetText("8000");
  EXPECT_EQ(Cal("ScanRateLL"), "8000");
}

TEST_F(OptionHandlersTest, BlankingIsStoredOnLostFocusOrItsUpDownNotOnEveryKey) {
  OptionHandlers h(e, forms.Main, values, seams);
  forms.Main.BlnkTm.SetText("700");
  EXPECT_FALSE(Stored("BlankTiming"));
  forms.Main.BlnkTm.LostFocus.Fire(forms.Main.BlnkTm, "LostFocus");
  EXPECT_EQ(Cal("BlankTiming"), "700");
  forms.Main.BlnkTm.SetText("650");
  forms.Main.BlnkTmUD.Change.Fire(forms.Main.BlnkTmUD, "Change");
  EXPECT_EQ(Cal("BlankTiming"), "650");
}

TEST_F(OptionHandlersTest, ClosingTheWindowSavesTheBlankingBeingEdited) {
  OptionHandlers h(e, forms.Main, values, seams);
  forms.Main.Show();
  forms.Main.BlnkTm.SetFocus();
  forms.Main.BlnkTm.SetText("720");
  ASSERT_EQ(forms.Main.ActiveControl(), &forms.Main.BlnkTm);
  EXPECT_FALSE(Stored("BlankTiming"));
  Form_QueryUnload(e, forms.Main, values);
  EXPECT_EQ(Cal("BlankTiming"), "720");
}

TEST_F(OptionHandlersTest, CaptionOptionsAreStoredAtOnce) {
  OptionHandlers h(e, forms.Main, values, seams);
  forms.Main.CapNam.SetValue(1);
  forms.Main.LLMO.SetValue(1);
  forms.Main.CapX.SetText("-8500");
  EXPECT_EQ(engine::ReadIniValue(e, "CaptionProjection", "Name"), "1");
  EXPECT_EQ(engine::ReadIniValue(e, "MachineData", "Origin"), "1");
  EXPECT_EQ(engine::ReadIniValue(e, "CaptionProjection", "XPosition"), "-8500");
  forms.Main.CapNam.SetValue(0);
  EXPECT_EQ(engine::ReadIniValue(e, "CaptionProjection", "Name"), "0");
}

TEST_F(OptionHandlersTest, RateIsA64BitProductClampedAndNoSkewWhileBlankingIsZero) {
  OptionHandlers h(e, forms.Main, values, seams);
  state.LoadingSettings = BoolTrue;
  forms.Main.SRUL.SetText("30000");
  forms.Main.SRLL.SetText("10000");
  forms.Main.ScnRt.SetText("2000000000");
  forms.Main.BlnkTm.SetText("8000");
  state.LoadingSettings = BoolFalse;
  std::int32_t rate = 0, skew = 0;
  ASSERT_TRUE(h.RateAndSkew(100, rate, skew));
  EXPECT_EQ(rate, 30000);  // no wrap of 2e9 * 100
  EXPECT_EQ(skew, 30000 / 8000 + 2);
  values.ScanRateCache = 20;
  ASSERT_TRUE(h.RateAndSkew(10, rate, skew));
  EXPECT_EQ(rate, 10000);  // lower limit
  forms.Main.SRLL.SetText("40000");  // crossing limits: the lower one wins
  ASSERT_TRUE(h.RateAndSkew(1000, rate, skew));
  EXPECT_EQ(rate, 40000);
  state.LoadingSettings = BoolTrue;
  forms.Main.BlnkTm.SetText("0.4");
  state.LoadingSettings = BoolFalse;
  EXPECT_FALSE(h.RateAndSkew(1000, rate, skew));
  forms.Main.BlnkTm.SetText("");  // typing: blank box, no crash and nothing sent
  EXPECT_TRUE(skews.empty());
}

}  // namespace
}  // namespace fieldray::console
