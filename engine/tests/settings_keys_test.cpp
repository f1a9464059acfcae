#include <gtest/gtest.h>

#include "engine/settings_file.h"
#include "engine/settings_keys.h"
#include "engine_fakes.h"
#include "test_support.h"
#include "winplat/paths.h"

namespace fieldray::engine {
namespace {

using enginetest::EngineRig;

void Settings(const EngineRig& rig, const std::string& text) {
  testsupport::WriteFile(winplat::HostPath(rig.state.IniFileName), text);
}

TEST(SettingsKeys, MainWindowPositionDefaultsToZeroAndIsClamped) {
  EngineRig rig;
  WindowPosition p = ReadMainWindowPosition(rig.e);
  EXPECT_EQ(p.Top, 0);
  EXPECT_EQ(p.Left, 0);
  Settings(rig, "[Main]\r\nTop=12001\r\nLeft=-5\r\n");
  p = ReadMainWindowPosition(rig.e);
  EXPECT_EQ(p.Top, 12000);
  EXPECT_EQ(p.Left, 0);
}

TEST(SettingsKeys, DialogPositionsFollowTheirOwnClamps) {
  EngineRig rig;
  Settings(rig, "[HeightPresets]\r\nTop=9000\r\nLeft=9001\r\n[SwitchMode]\r\nTop=-1\r\nLeft=9000\r\n");
  WindowPosition p = ReadDialogPosition(rig.e, "HeightPresets");
  EXPECT_EQ(p.Top, 8000);
  EXPECT_EQ(p.Left, 10000);
  p = ReadDialogPosition(rig.e, "SwitchMode");
  EXPECT_EQ(p.Top, 0);
  EXPECT_EQ(p.Left, 9000);
}

TEST(SettingsKeys, MarkerResolutionAndPresetIndexDefaults) {
  EngineRig rig;
  EXPECT_EQ(ReadMarkerResolution(rig.e), 5);
  EXPECT_EQ(ReadHeightPresetIndex(rig.e), 0);
  Settings(rig, "[Calibration]\r\nMarkerResolution=2\r\n[HeightPresets]\r\nIndex=9\r\n");
  EXPECT_EQ(ReadMarkerResolution(rig.e), 2);
  EXPECT_EQ(ReadHeightPresetIndex(rig.e), 0);
  Settings(rig, "[Calibration]\r\nMarkerResolution=0\r\n[HeightPresets]\r\nIndex=5\r\n");
  EXPECT_EQ(ReadMarkerResolution(rig.e), 5);
  EXPECT_EQ(ReadHeightPresetIndex(rig.e), 5);
}

TEST(SettingsKeys, NamesBuiltFromNumbersAndFields) {
  EXPECT_EQ(BoxPosKey(0), "BoxPos0");
  EXPECT_EQ(BoxPosKey(7), "BoxPos7");
  EXPECT_EQ(FieldKey(FieldKeyFamily::YPOS, 8), "YPOSRf");
  EXPECT_EQ(FieldKey(FieldKeyFamily::XShear, 3), "XShearT");
  EXPECT_STREQ(GeometricKey(GeoBox::GeoPinY), "PincushionY");
  EXPECT_STREQ(GeometricKey(GeoBox::GeoBalY), "BalanceY");
}

TEST(SettingsKeys, AFieldFamilyIsWrittenWithoutBlanksAndReadsBack) {
  EngineRig rig;
  for (std::size_t f = 1; f <= 8; ++f) {
    rig.state.FieldCalibration[f].FieldXPos = f == 2 ? 0.5f : -1.25f * static_cast<float>(f);
    rig.state.FieldCalibration[f].YScale = 100 * static_cast<std::int32_t>(f);
  }
  WriteFieldFamily(rig.e, FieldKeyFamily::XPOS);
  WriteFieldFamily(rig.e, FieldKeyFamily::YScale);
  std::string file = testsupport::ReadFile(winplat::HostPath(rig.state.IniFileName));
  EXPECT_EQ(file.rfind("[Calibration]\r\nXPOSS=-1.25\r\nXPOSA=.5\r\nXPOST=-3.75\r\n", 0), 0u) << file;
  EXPECT_NE(file.find("YScaleRf=800\r\n"), std::string::npos);

  ProgramState copy = rig.state;
  rig.state.FieldCalibration = {};
  LoadFieldCalibration(rig.e);
  for (std::size_t f = 1; f <= 8; ++f) {
    EXPECT_EQ(rig.state.FieldCalibration[f].FieldXPos, copy.FieldCalibration[f].FieldXPos);
    EXPECT_EQ(rig.state.FieldCalibration[f].YScale, copy.FieldCalibration[f].YScale);
  }
}

}  // namespace
}  // namespace fieldray::engine
