#include <gtest/gtest.h>

#include "engine/field_calibration.h"
#include "engine_fakes.h"

namespace fieldray::engine {
namespace {

using enginetest::EngineRig;

void Calibrate(EngineRig& rig) {
  for (std::int16_t f = 1; f <= 8; ++f) {
    auto& c = rig.state.FieldCalibration[f];
    c.FieldXPos = 10.5f * f;
    c.FieldYPos = -f;
    c.XScale = 1000 + f;
    c.YScale = 500 + f;
    c.XShear = f;
    c.YShear = -f;
  }
}

TEST(SelectField, OffsetThenInversionOnlyWhenItChanges) {
  EngineRig rig;
  Calibrate(rig);
  std::int16_t field = 1;
  SelectField(rig.e, field);
  field = 3;
  SelectField(rig.e, field);
  EXPECT_EQ(rig.board.calls, (std::vector<std::string>{"DisplayPostTrans 10.500000 -1.000000 0.000000",
                                                       "DisplayPostTrans 31.500000 -3.000000 0.000000"}));
  rig.board.calls.clear();
  field = 2;
  SelectField(rig.e, field);
  EXPECT_EQ(rig.board.calls, (std::vector<std::string>{"DisplayPostTrans 21.000000 -2.000000 0.000000",
                                                       "SetWorkingScale 0 0 0 0 0 0",
                                                       "InvertPointsActive 1 6000 0 0 0 1",
                                                       "SetWorkingScale -2004 200 -502 502 0 0"}));
  EXPECT_EQ(rig.state.InversionState, -1);
  EXPECT_EQ(rig.board.invertActive, std::vector<std::int32_t>(6000, 1));
  EXPECT_EQ(rig.console.lblXAdj, "1002");
  EXPECT_EQ(rig.console.lblYAdj, "502");

  // Inverted already: a second selection of an inverted field inverts nothing.
  rig.board.calls.clear();
  field = 4;
  SelectField(rig.e, field);
  EXPECT_TRUE(rig.board.CallsNamed("InvertPointsActive").empty());

  // Back to a field seen directly: one inversion and the plain window.
  field = 5;
  SelectField(rig.e, field);
  EXPECT_EQ(rig.board.CallsNamed("InvertPointsActive").size(), 1u);
  EXPECT_EQ(rig.board.calls.back(), "SetWorkingScale -200 2010 -505 505 0 0");
  EXPECT_EQ(rig.state.InversionState, 0);
}

TEST(SelectField, NoFieldSendsNothing) {
  EngineRig rig;
  Calibrate(rig);
  for (std::int16_t field : {0, 9, -1}) SelectField(rig.e, field);
  EXPECT_TRUE(rig.board.calls.empty());
}

TEST(ApplyFieldScale, NoFieldSetsTheMarginOnlyWindowAndShowsZeros) {
  EngineRig rig;
  std::int16_t field = 0;
  ApplyFieldScale(rig.e, field);
  rig.state.InversionState = -1;
  ApplyFieldScale(rig.e, field);
  EXPECT_EQ(rig.board.calls,
            (std::vector<std::string>{"SetWorkingScale -200 0 0 0 0 0", "SetWorkingScale 0 200 0 0 0 0"}));
  EXPECT_EQ(rig.console.lblXAdj, "0");
  EXPECT_EQ(rig.console.lblYAdj, "0");
}

TEST(ApplyFieldScale, HugeScalesAreHeldAtTheWindowsRangeAndKeptAsStored) {
  EngineRig rig;
  rig.state.FieldCalibration[6].XScale = 2000000000;
  rig.state.FieldCalibration[6].YScale = -2147483647 - 1;
  std::int16_t field = 6;
  ApplyFieldScale(rig.e, field);
  rig.state.InversionState = -1;
  ApplyFieldScale(rig.e, field);
  EXPECT_EQ(rig.board.calls, (std::vector<std::string>{"SetWorkingScale -200 2147483647 2147483647 -2147483648 0 0",
                                                       "SetWorkingScale -2147483648 200 2147483647 -2147483648 0 0"}));
  EXPECT_EQ(rig.state.FieldCalibration[6].XScale, 2000000000);
  EXPECT_EQ(rig.console.lblXAdj, "2000000000");
}

TEST(FieldTable, ShearsPerFieldAndZeroForNoField) {
  EngineRig rig;
  Calibrate(rig);
  std::int16_t f = 7;
  EXPECT_EQ(FieldTableValueA(rig.e, f), 7);
  EXPECT_EQ(FieldTableValueB(rig.e, f), -7);
  f = 9;
  EXPECT_EQ(FieldTableValueA(rig.e, f), 0);
  f = 0;
  EXPECT_EQ(FieldTableValueB(rig.e, f), 0);
}

TEST(CheckedOptFld, FirstCheckedOptionOrZero) {
  EngineRig rig;
  for (std::int16_t i = 1; i <= 8; ++i) rig.console.optFld[i] = false;
  EXPECT_EQ(CheckedOptFld(rig.e), 0);
  rig.console.optFld[6] = true;
  rig.console.optFld[3] = true;
  EXPECT_EQ(CheckedOptFld(rig.e), 3);
  rig.state.OptFldEnabled = 0;
  EXPECT_EQ(CheckedOptFld(rig.e), 0);
}

}  // namespace
}  // namespace fieldray::engine
