// Projection modes, height presets and the remote control box end to end:
// the operator edits a mode's options and labels and a preset's label, works
// the box and calibrates it; a second start shows what was stored.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "program_runner.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(ModesAndBox, EditedModesPresetsAndBoxCalibrationSurviveARestart) {
  const fs::path root = testsupport::NewMachineRoot("modes-and-box");
  std::string turns;
  for (int position : {0, 2, 4, 5, 6, 7, 1}) turns += "remotebox position " + std::to_string(position) + "\nwait 1000\n";
  const testsupport::ProgramRun run = testsupport::RunFieldrayScript(
      root,
      "click Main.OnOff\n"
      "pick Main.File1 \"PLATE.NC\"\n"
      "wait 3000\n"
      "click Main.PrjPos(6)\n"
      "screenshot Main \"C:\\TEMP\\e2e\\modes-main.png\"\n"
      "projection \"C:\\TEMP\\e2e\\mode6-before.png\"\n"
      "rclick Main.PrjPos(1)\n"
      "grid edit SwOptForm.SSOptSw 4 6 \"1\"\n"
      "grid edit SwOptForm.SSOptSw 5 6 \"1\"\n"
      "projection \"C:\\TEMP\\e2e\\mode6-after.png\"\n"
      "click SwOptForm.SPChLab\n"
      "grid edit SwOptForm.SPLabels 1 6 \"Marks\"\n"
      "click SwOptForm.OKButtonLab\n"
      "click SwOptForm.OKButtonSO\n"
      "rclick Main.PrjHght(0)\n"
      "grid edit PHS.PHSdata 2 1 \"Deck\"\n"
      "click PHS.OKButton(0)\n"
      "remotebox position 0\n"
      "wait 300\n"
      "projection \"C:\\TEMP\\e2e\\box-off.png\"\n"
      "remotebox position 3\n"
      "wait 300\n"
      "expect Main.PrjPos(2) \"True\"\n"
      "expect Main.OnOff \"1\"\n"
      "tab Main.SSTab1 \"Remote Box\"\n"
      "click Main.CalCB\n"
      "wait 1000\n" +
          turns +
          "expect Main.LabelCBIns \"Calibration Complete.\"\n"
          "quit\n");
  ASSERT_EQ(run.status, 0) << run.log;

  const fs::path out = root / "C" / "TEMP" / "e2e";
  EXPECT_EQ(testsupport::LitProjectionPixels(out / "mode6-before.png"), 0) << "mode 6 keeps none of the part program's path";
  EXPECT_GT(testsupport::LitProjectionPixels(out / "mode6-after.png"), 100) << "the edited options project the path at once";
  EXPECT_EQ(testsupport::LitProjectionPixels(out / "box-off.png"), 0) << "the box switched the output off";

  std::string ini = testsupport::ReadFile(root / "C" / "Fieldray" / "Fldry.INI");
  std::erase(ini, '\r');
  for (const char* line : {"Label1=Deck", "BoxPos0=8", "BoxPos1=40", "BoxPos2=72", "BoxPos3=104", "BoxPos4=136",
                           "BoxPos5=168", "BoxPos6=200", "BoxPos7=240"})
    EXPECT_NE(ini.find(std::string("\n") + line + "\n"), std::string::npos) << line << " in\n" << ini;
  EXPECT_NE(testsupport::ReadFile(root / "C" / "Fieldray" / "SWPOS.DAT").find("Marks"), std::string::npos);

  const testsupport::ProgramRun again = testsupport::RunFieldrayScript(
      root,
      "expect Main.PrjPos(6) caption \"Marks\"\n"
      "expect Main.PrjHght(1) caption \"Deck\"\n"
      "quit\n");
  EXPECT_EQ(again.status, 0) << again.log;
}

}  // namespace
