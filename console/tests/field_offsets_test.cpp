// The field-offsets tab: what a run field's selection sends, how the bars move,
// scale and shear the active field, and what leaving a bar stores.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/field_offsets.h"
#include "engine/geo_correction.h"
#include "engine/point_list.h"
#include "engine/settings_file.h"
#include "engine/status_reporter.h"
#include "engine/tests/board_machine.h"
#include "tab_rig.h"
#include "test_support.h"
#include "winplat/msgbox.h"

namespace fieldray::console {
namespace {

// The index of the first call from `from` on that starts with `prefix`; -1 when none.
long Find(const std::vector<std::string>& calls, const std::string& prefix, long from = 0) {
  for (long i = from; i < static_cast<long>(calls.size()); ++i) {
    if (calls[static_cast<std::size_t>(i)].rfind(prefix, 0) == 0) return i;
  }
  return -1;
}

class FieldOffsetsTest : public TabRig {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TabRig::SetUp());
    FieldCalibrationEntry& a = state.FieldCalibration[2];
    a.FieldXPos = -12.5f;
    a.FieldYPos = 3;
    a.XScale = 9000;
    a.YScale = 7000;
    a.XShear = 5;
    a.YShear = -7;
  }
  void Select(int index) { main.FldOpt(index).SetValue(true); }
  // The calls since the last selection, in order, each found after the one before.
  void ExpectInOrder(const std::vector<std::string>& prefixes) {
    long at = 0;
    for (const std::string& p : prefixes) {
      long found = Find(board.calls, p, at);
      ASSERT_GE(found, 0) << "\"" << p << "\" after call " << at;
      at = found + 1;
    }
  }
  std::vector<std::string> ShearLabels() const { return {main.LblXSh.Caption(), main.LblYSh.Caption()}; }

  FieldOffsets tab{e, main};
};

TEST_F(FieldOffsetsTest, SelectingFieldAProjectsItsMarkerMirroredAndLoadsItsBarsAndNoFieldClearsThem) {
  Select(2);
  ASSERT_NO_FATAL_FAILURE(ExpectInOrder({"SetWorkingScale -200 18000 -7000 7000", "SetWorkingFrame 99", "DeleteFrames 99 99", "WriteFrame",
                 "InvertPointsActive 1 6000", "SetWorkingScale -18000 200 -7000 7000",
                 "DisplayPostTrans -12.500000 3.000000 0.000000", "DisplayFreq3 15000 15000 15000",
                 "DisplaySkew 4 3 0", "DisplayFrame 99", "DisplayGeometricCorrection", "DisplayUpdate"}));
  ASSERT_TRUE(board.frames.count(99));
  EXPECT_EQ(std::string(board.frames[99].first.Name, 7), "A Field");
  EXPECT_GT(board.frames[99].first.NumPoints, 40) << "the axes marker, densified";
  // The bars hold the field, each within the range its field set.
  EXPECT_EQ(main.XFldPos.Min(), -1500);
  EXPECT_EQ(main.XFldPos.Max(), 0);
  EXPECT_EQ((std::vector<int>{main.XFldPos.Value(), main.YFldPos.Value(), main.XFldScale.Value(),
                              main.YFldScale.Value(), main.XFldShear.Value(), main.YFldShear.Value()}),
            (std::vector<int>{-125, -30, 9000, 7000, 5, -7}));
  EXPECT_EQ(ShearLabels(), (std::vector<std::string>{" 5", "-7"}));
  // Loading the bars wrote nothing back and sent only updates.
  EXPECT_FLOAT_EQ(state.FieldCalibration[2].FieldXPos, -12.5f);
  EXPECT_EQ(Find(board.calls, "DisplayPostTrans"), Find(board.calls, "DisplayPostTrans -12.5"));
  EXPECT_EQ(state.CurrentRunField, 2);
  EXPECT_EQ(state.FieldBusy, BoolFalse);
  EXPECT_EQ(state.InversionState, BoolTrue);
  // The last correction sent carries field A's shear.
  auto lastRow = [this](std::int16_t field) {
    const auto row = engine::BuildGeoGrid(state, engine::ReadGeoTerms(e, field)).Rows[64];
    return std::vector<std::int16_t>(row.begin(), row.end());
  };
  ASSERT_GE(board.geoRows.size(), 65u);
  EXPECT_EQ(board.geoRows.back(), lastRow(2));
  EXPECT_NE(lastRow(0), lastRow(2));

  // No field: a zero offset at the field rate, and the job list usable again.
  main.File1.SetEnabled(false);
  board.calls.clear();
  Select(0);
  ASSERT_NO_FATAL_FAILURE(ExpectInOrder({"DisplayPostTrans 0.000000 0.000000 0.000000", "DisplayFreq3 15000 15000 15000", "DisplaySkew 4 3 0",
                 "DisplayFrame 99", "DisplayGeometricCorrection"}));
  EXPECT_TRUE(main.File1.Enabled());
  EXPECT_EQ(ShearLabels(), (std::vector<std::string>{" 0", " 0"}));
  EXPECT_EQ(state.CurrentRunField, 0);
}

TEST_F(FieldOffsetsTest, AStoredScaleOutsideTheBarSurvivesSelectionAndLostFocus) {
  state.FieldCalibration[2].XScale = 30000;
  Select(2);
  EXPECT_EQ(main.XFldScale.Value(), 3000) << "the bar stays where its range put it";
  EXPECT_EQ(state.FieldCalibration[2].XScale, 30000);
  main.XFldScale.LostFocus.Fire(main.XFldScale, "LostFocus");
  EXPECT_EQ(engine::ReadCalibrationValue(e, "XScaleA"), "30000");
  EXPECT_EQ(engine::ReadCalibrationValue(e, "XScaleS"), "0");
}

TEST_F(FieldOffsetsTest, PositionBarsMoveTheActiveFieldAndLeavingStoresTheWholeFamily) {
  Select(1);
  main.YFldPos.SetValue(-25);
  EXPECT_FLOAT_EQ(state.FieldCalibration[1].FieldYPos, 2.5f);
  Select(2);
  board.calls.clear();
  main.XFldPos.SetValue(-600);
  EXPECT_FLOAT_EQ(state.FieldCalibration[2].FieldXPos, -60.0f);
  ASSERT_NO_FATAL_FAILURE(ExpectInOrder({"DisplayPostTrans -60.000000 3.000000 0.000000", "DisplayUpdate"}));
  main.XFldPos.LostFocus.Fire(main.XFldPos, "LostFocus");
  std::string ini = testsupport::ReadFile(Ini());
  std::erase(ini, '\r');
  std::size_t at = 0;
  for (const char* line : {"XPOSS=0", "XPOSA=-60", "XPOST=0", "XPOSR=0", "XPOSSf=0", "XPOSAf=0", "XPOSTf=0",
                           "XPOSRf=0"}) {
    at = ini.find(std::string("\n") + line + "\n", at);
    ASSERT_NE(at, std::string::npos) << line << " in\n" << ini;
  }
  EXPECT_EQ(engine::ReadCalibrationValue(e, "YPOSS"), "") << "only the bar's own family is stored";
}

TEST_F(FieldOffsetsTest, ScaleBarsRewriteOnlyAFieldsWorkingFrameAndReadItUnderTheOldWindow) {
  // No field: nothing is stored or rewritten.
  Select(0);
  board.calls.clear();
  main.XFldScale.SetValue(12000);
  EXPECT_TRUE(board.calls.empty()) << board.calls.front();
  EXPECT_EQ(state.FieldCalibration[1].XScale, 0);

  // Field A: its marker frame is read under the window it had, written under the new one.
  Select(2);
  vx.SetWorkingScale(1, 2, 3, 4, 0, 0);  // another tab's window in between
  board.calls.clear();
  main.XFldScale.SetValue(10000);
  EXPECT_EQ(state.FieldCalibration[2].XScale, 10000);
  ASSERT_NO_FATAL_FAILURE(ExpectInOrder({"SetWorkingScale -18000 200 -7000 7000", "ReadFrame", "SetWorkingScale -20000 200 -7000 7000",
                 "SetWorkingFrame 99", "WriteFrame", "DisplayUpdate"}));
  EXPECT_EQ(std::string(board.frames[99].first.Name, 7), "Scale X");
  main.YFldScale.SetValue(8000);
  EXPECT_EQ(std::string(board.frames[99].first.Name, 7), "Scale y");

  // A calibration pattern as working frame is left alone; the value is kept.
  vx.SetWorkingFrame(120);
  board.calls.clear();
  main.XFldScale.SetValue(11000);
  EXPECT_EQ(state.FieldCalibration[2].XScale, 11000);
  EXPECT_EQ(Find(board.calls, "WriteFrame"), -1);
  EXPECT_EQ(Find(board.calls, "ReadFrame"), -1);
}

TEST_F(FieldOffsetsTest, ShearBarsLabelStoreAndCorrectTheActiveField) {
  Select(2);
  board.calls.clear();
  main.XFldShear.SetValue(-40);
  EXPECT_EQ(main.LblXSh.Caption(), "-40");
  EXPECT_EQ(state.FieldCalibration[2].XShear, -40);
  EXPECT_EQ(board.CallsNamed("DisplayGeometricCorrection").size(), 65u);
  Select(9);
  main.YFldShear.SetValue(0);
  EXPECT_EQ(main.LblYSh.Caption(), " 0");
  EXPECT_EQ(state.FieldCalibration[2].YShear, -7) << "no field takes the shear";
}

// The T-set reference on the emulated boards, through the real device library.
TEST(FieldOffsetsOnBoard, TheReferenceMarkerIsWrittenToFrameOneWholeAtTheDeviceRange) {
  enginetest::ResetBoardMachine();
  ASSERT_FALSE(::testing::Test::HasFatalFailure());
  winplat::MessageBoxScript boxes;
  ProgramState state;
  engine::Vexlib vx{testsupport::BinDir()};
  MainForm main;
  FormConsoleView view{main, nullptr};
  engine::Engine e{state, vx, view, [] {}};
  engine::StartSession(e);
  ASSERT_EQ(state.VXStatus, 0) << vx.LastBindingError();
  state.FieldCalibration[1].XScale = 3000;
  state.FieldCalibration[1].YScale = 3000;
  FieldOffsets tab{e, main};

  main.FldOpt(10).SetValue(true);
  FrameStruct header{};
  ASSERT_EQ(vx.ReadFrameStruct(1, &header), 0);
  EXPECT_EQ(std::string(header.Name, 5), "T Set");
  vx.SetWorkingFrame(1);
  engine::ReadWorkingFrame(e);
  ASSERT_GT(state.FrameBuffer.size(), 30u);
  std::vector<std::int32_t> xs, ys;
  for (std::size_t i = 1; i < state.FrameBuffer.size(); ++i) {
    xs.push_back(state.FrameBuffer[i].X);
    ys.push_back(state.FrameBuffer[i].Y);
  }
  EXPECT_EQ((std::vector{std::ranges::min(xs), std::ranges::max(xs), std::ranges::min(ys), std::ranges::max(ys)}),
            (std::vector<std::int32_t>{-7500, 7500, -5000, 0}))
      << "the lowest and highest X, then Y";
  EXPECT_EQ(state.CurrentRunField, 10);
  EXPECT_EQ(state.InversionState, BoolFalse);
}

}  // namespace
}  // namespace fieldray::console
