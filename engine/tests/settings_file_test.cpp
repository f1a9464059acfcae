#include <gtest/gtest.h>

#include "engine/settings_file.h"
#include "engine_fakes.h"
#include "test_support.h"
#include "winplat/paths.h"

namespace fieldray::engine {
namespace {

using enginetest::EngineRig;

std::filesystem::path IniHost(const ProgramState& s) { return winplat::HostPath(s.IniFileName); }

TEST(SettingsFile, ProgramDirNamesTheSettingsFileInIt) {
  ProgramState s;
  SetProgramDir(s, "C:\\Fieldray");
  EXPECT_EQ(s.ProgramDir, "C:\\Fieldray\\");
  EXPECT_EQ(s.IniFileName, "C:\\Fieldray\\Fldry.INI");
}

TEST(SettingsFile, FileNameAndFolderSplitAtTheLastBackslash) {
  std::string path = "C:\\JOBS\\PART1.NC";
  EXPECT_EQ(FileNameOf(path), "PART1.NC");
  EXPECT_EQ(FolderOf(path), "C:\\JOBS\\");
  std::string bare = "PART1.NC";
  EXPECT_EQ(FileNameOf(bare), "PART1.NC");
  EXPECT_EQ(FolderOf(bare), "");
  std::string trailing = "C:\\JOBS\\";
  EXPECT_EQ(FileNameOf(trailing), "");
  EXPECT_EQ(FolderOf(trailing), "C:\\JOBS\\");
}

TEST(SettingsFile, MissingEmptyAndSentinelValuesReadEmpty) {
  EngineRig rig;
  EXPECT_EQ(ReadIniValue(rig.e, "Main", "Top"), "");  // no file at all
  testsupport::WriteFile(IniHost(rig.state), "[Main]\r\nTop=END.-\r\nLeft=\r\nOther=END.-x\r\n");
  EXPECT_EQ(ReadIniValue(rig.e, "Main", "Top"), "");
  EXPECT_EQ(ReadIniValue(rig.e, "Main", "Left"), "");
  EXPECT_EQ(ReadIniValue(rig.e, "Main", "Other"), "END.-x");
  EXPECT_EQ(ReadIniValue(rig.e, "Nowhere", "Top"), "");
}

TEST(SettingsFile, LongValuesAreCutTo79Characters) {
  EngineRig rig;
  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += static_cast<char>('0' + i % 10);
  testsupport::WriteFile(IniHost(rig.state), "[Geometric]\r\nRotation=" + hundred + "\r\n");
  EXPECT_EQ(ReadGeometricValue(rig.e, "Rotation"), hundred.substr(0, 79));
}

TEST(SettingsFile, WritesTrimTheCallersValueAndStoreItAsAWindowsToolWould) {
  EngineRig rig;
  std::string twelve = "  12  ";
  WriteCalibrationValue(rig.e, "XPOSS", twelve);
  EXPECT_EQ(twelve, "12");
  std::string neg = " -3.5";
  WriteCalibrationValue(rig.e, "XPOSA", neg);
  std::string rot = " .5";
  WriteGeometricValue(rig.e, "Rotation", rot);
  std::string path = "C:\\JOBS\\";
  WriteIniValue(rig.e, "System", "Path", path);
  std::string replaced = "7";
  WriteCalibrationValue(rig.e, "XPOSS", replaced);

  EXPECT_EQ(testsupport::ReadFile(IniHost(rig.state)),
            "[Calibration]\r\nXPOSS=7\r\nXPOSA=-3.5\r\n[Geometric]\r\nRotation=.5\r\n[System]\r\nPath=C:\\JOBS\\\r\n");
  EXPECT_EQ(ReadCalibrationValue(rig.e, "XPOSA"), "-3.5");
  EXPECT_EQ(ReadIniValue(rig.e, "system", "path"), "C:\\JOBS\\");
  EXPECT_TRUE(rig.console.msgHistory.empty());
}

TEST(SettingsFile, EveryRefusedOrFailedWriteIsSaidAndAGoodWriteClearsIt) {
  EngineRig rig;
  const std::string good = rig.state.IniFileName;
  testsupport::WriteFile(IniHost(rig.state), "[CaptionProjection]\r\nXPosition=-9000\r\n");
  SetProgramDir(rig.state, "C:\\NoSuchFolder\\");
  std::string v = "1";
  EXPECT_EQ(WriteIniValue(rig.e, "Main", "Top", v), IniWrite::Failed);
  EXPECT_EQ(rig.console.msg, "Settings not saved: C:\\NoSuchFolder\\Fldry.INI cannot be written.");
  EXPECT_EQ(rig.state.SettingsFailureMsg, rig.console.msg);
  rig.console.msg.clear();
  EXPECT_EQ(WriteIniValue(rig.e, "Main", "Left", v), IniWrite::Failed);
  EXPECT_NE(rig.console.msg.find("cannot be written"), std::string::npos) << "each failure is said";
  EXPECT_EQ(ReadIniValue(rig.e, "Main", "Top"), "");

  SetProgramDir(rig.state, "C:\\Fieldray\\");
  ASSERT_EQ(rig.state.IniFileName, good);
  std::string broken = "-12\r\n5";
  EXPECT_EQ(WriteIniValue(rig.e, "CaptionProjection", "XPosition", broken), IniWrite::Refused);
  EXPECT_EQ(rig.console.msg, "XPosition not saved: line breaks cannot be stored");
  EXPECT_EQ(ReadIniValue(rig.e, "CaptionProjection", "XPosition"), "-9000");
  EXPECT_EQ(rig.state.SettingsFailureMsg, rig.console.msg);

  EXPECT_EQ(WriteIniValue(rig.e, "Main", "Top", v), IniWrite::Stored);
  EXPECT_EQ(rig.state.SettingsFailureMsg, "");
  EXPECT_EQ(rig.console.msg, "") << "the failure's text goes with the next good write";
  EXPECT_EQ(ReadIniValue(rig.e, "Main", "Top"), "1");

  // Another text Msg took after the failure stays with the next good write.
  std::string why;
  EXPECT_EQ(WriteIniValue(rig.e, "CaptionProjection", "XPosition", broken, why), IniWrite::Refused);
  EXPECT_EQ(why, "line breaks cannot be stored");
  rig.console.SetMsg("Frame 14 not written (317 points): Disk is full. File will not be saved.");
  EXPECT_EQ(WriteIniValue(rig.e, "Main", "Top", v), IniWrite::Stored);
  EXPECT_EQ(rig.state.SettingsFailureMsg, "");
  EXPECT_EQ(rig.console.msg, "Frame 14 not written (317 points): Disk is full. File will not be saved.");
}

TEST(SettingsFile, FieldCalibrationIsReadFromItsFortyEightKeys) {
  EngineRig rig;
  testsupport::WriteFile(IniHost(rig.state),
                         "[Calibration]\r\nXPOSS=1.5\r\nYPOSRf=-2.25\r\nXScaleA=1200\r\nYScaleTf=900.5\r\n"
                         "XShearT=-7\r\nYShearSf=3\r\nXScaleR=junk\r\n");
  LoadFieldCalibration(rig.e);
  const auto& f = rig.state.FieldCalibration;
  EXPECT_EQ(f[1].FieldXPos, 1.5f);
  EXPECT_EQ(f[8].FieldYPos, -2.25f);
  EXPECT_EQ(f[2].XScale, 1200);
  EXPECT_EQ(f[7].YScale, 900);  // rounded half to even
  EXPECT_EQ(f[3].XShear, -7);
  EXPECT_EQ(f[5].YShear, 3);
  EXPECT_EQ(f[4].XScale, 0);
  EXPECT_EQ(f[0].XScale, 0);
}

TEST(SettingsFile, NumericReadsAreLenientAndHeldInRange) {
  EXPECT_EQ(IniInteger(""), 0);
  EXPECT_EQ(IniInteger("12abc"), 12);
  EXPECT_EQ(IniInteger("2.5"), 2);
  EXPECT_EQ(IniInteger("99999999999"), 2147483647);
  EXPECT_EQ(IniInteger("-99999999999"), -2147483647 - 1);
  EXPECT_EQ(IniReal("1e400"), std::numeric_limits<float>::max());
  EXPECT_EQ(IniReal("-.5"), -0.5f);
}

TEST(SettingsFile, OtherApplicationsKeysAreTrimmedUpperCasedAndDefaulted) {
  EngineRig rig;
  std::error_code ec;
  std::filesystem::remove(winplat::HostPath(kCorvantaIni), ec);
  ReadCorvantaSettings(rig.e);
  EXPECT_EQ(rig.state.NewListCol, "");
  EXPECT_EQ(rig.state.FieldSet1, "S  A  T  R  S/ A/ T/ R/ ");
  EXPECT_EQ(rig.state.FieldSet2, "S/ A/ T/ R/ S/1A/1T/1R/1");
  testsupport::WriteFile(winplat::HostPath(kCorvantaIni),
                         "[CORVANTA]\r\nNewListCol=  abc \r\nFieldSet1=s1 a1 t1 r1 s2 a2 t2 r2 x\r\nFieldSet2=short\r\n");
  ReadCorvantaSettings(rig.e);
  EXPECT_EQ(rig.state.NewListCol, "ABC");
  EXPECT_EQ(rig.state.FieldSet1, "S1 A1 T1 R1 S2 A2 T2 R2 X");
  EXPECT_EQ(rig.state.FieldSet2, "S/ A/ T/ R/ S/1A/1T/1R/1");
  // A set stored in the default form loses its last blank to the trimming and
  // gets it back, so its eighth slot keeps three characters.
  testsupport::WriteFile(winplat::HostPath(kCorvantaIni), "[CORVANTA]\r\nFieldSet1=S  A  T  R  S/ A/ T/ X/ \r\n");
  ReadCorvantaSettings(rig.e);
  EXPECT_EQ(rig.state.FieldSet1, "S  A  T  R  S/ A/ T/ X/ ");
  EXPECT_EQ(rig.state.FieldSet1.size(), 24u);
}

}  // namespace
}  // namespace fieldray::engine
