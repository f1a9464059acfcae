// Job files with names beyond ASCII: the job list shows them in the program's
// code page, and picking them opens and projects the drawing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "program_runner.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(HostNames, Utf8JobNamesAreListedShownOpenedAndProjected) {
  const fs::path root = testsupport::NewMachineRoot("host-names");
  // The program fills the rest of the root from the template at its start.
  const std::string plate =
      testsupport::ReadFile(fs::path(std::getenv("FIELDRAY_TEMPLATE")) / "C" / "Fieldray" / "Jobs" / "PLATE.DXF");
  ASSERT_FALSE(plate.empty());
  const fs::path jobs = root / "C" / "Fieldray" / "Jobs";
  fs::create_directories(root / "C" / "TEMP" / "names");  // the projection makes no folders
  testsupport::WriteFile(jobs / "Pl\xC3\xA4tte \xC3\x98.DXF", plate);  // Plätte Ø
  testsupport::WriteFile(jobs / "\xCE\xA9-part.DXF", plate);           // Ω: shown as "?"

  // The command file is UTF-8, as a person types it.
  const testsupport::ProgramRun run = testsupport::RunFieldrayScript(
      root,
      "click Main.OnOff\n"
      "click Main.OptFld(1)\n"
      "pick Main.File1 \"Pl\xC3\xA4tte \xC3\x98.DXF\"\n"
      "wait 3000\n"
      "expect Main.Msg \"C:\\Fieldray\\Jobs\\Pl\xC3\xA4tte \xC3\x98.DXF\"\n"
      "projection \"C:\\TEMP\\names\\umlaut.png\"\n"
      "pick Main.File1 \"PLATE.NC\"\n"
      "wait 3000\n"
      "pick Main.File1 \"?-part.DXF\"\n"
      "wait 3000\n"
      "expect Main.Msg \"C:\\Fieldray\\Jobs\\?-part.DXF\"\n"
      "projection \"C:\\TEMP\\names\\outside.png\"\n"
      "quit\n");
  EXPECT_EQ(run.status, 0) << run.log;
  EXPECT_GT(testsupport::LitProjectionPixels(root / "C" / "TEMP" / "names" / "umlaut.png"), 200);
  EXPECT_GT(testsupport::LitProjectionPixels(root / "C" / "TEMP" / "names" / "outside.png"), 200);
}

}  // namespace
