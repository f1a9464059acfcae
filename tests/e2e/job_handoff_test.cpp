// A job handed over on the clipboard end to end: the program started on a
// fresh machine root takes a part program with its sheet size from the
// clipboard, answers a record with an unknown run field with its box, and
// leaves a record whose file is missing where it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "program_runner.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// fieldray-clip run on ROOT with one argument (a record, or --get), its output in LOG.
testsupport::ProgramRun Clip(const fs::path& root, const std::string& arg, const fs::path& log) {
  return testsupport::RunProgram({(testsupport::BinDir() / "fieldray-clip").string(), arg},
                                 {"FIELDRAY_ROOT=" + root.string()}, log);
}

TEST(JobHandoff, AJobFromTheClipboardOpensInItsFieldWithItsSheetSize) {
  const fs::path root = testsupport::NewMachineRoot("job-handoff");
  // PLATE.NC with a sheet block of no words: its sheet size comes from the job.
  std::string program =
      testsupport::ReadFile(fs::path(FIELDRAY_SOURCE_DIR) / "root-template" / "C" / "Fieldray" / "Jobs" / "PLATE.NC");
  const std::size_t sheet = program.find("G90 G71");
  ASSERT_NE(sheet, std::string::npos);
  program.replace(sheet, 7, "G71");
  testsupport::WriteFile(root / "C" / "Fieldray" / "Jobs" / "HANDOFF.NC", program);
  const fs::path out = root / "C" / "TEMP" / "e2e";
  fs::create_directories(out);

  const testsupport::ProgramRun run = testsupport::RunFieldrayScript(
      root,
      "click Main.OnOff\n"
      "click Main.OptFld(7)\n"
      "pick Main.File1 \"HANDOFF.NC\"\n"
      "wait 2500\n"
      "projection \"C:\\TEMP\\e2e\\handoff-picked.png\"\n"
      "clipboard \"HANDOFF.NC;;T/;;400;300;6\"\n"
      "wait 4000\n"
      "expect Main.OptFld(7) \"True\"\n"
      "projection \"C:\\TEMP\\e2e\\handoff-job.png\"\n"
      "clipboard \"PLATE.NC;;X\"\n"
      "answer OK\n"
      "wait 1500\n"
      "expect Main.OptFld(7) \"True\"\n"
      "clipboard \"NOSUCH.NC;;S\"\n"
      "wait 1500\n"
      "quit\n");
  ASSERT_EQ(run.status, 0) << run.log;
  EXPECT_FALSE(std::regex_search(run.log, std::regex("line [0-9]+: "))) << run.log;

  const testsupport::PixelBox picked = testsupport::LitProjectionArea(out / "handoff-picked.png");
  const testsupport::PixelBox job = testsupport::LitProjectionArea(out / "handoff-job.png");
  ASSERT_GT(picked.right, picked.left) << "the picked program is projected\n" << run.log;
  EXPECT_GT(job.right - job.left, picked.right - picked.left) << "the job's 400 x 300 work area is outlined\n" << run.log;

  // The record whose file is missing is still on the machine's clipboard.
  const testsupport::ProgramRun clip = Clip(root, "--get", out / "clip.log");
  EXPECT_EQ(clip.status, 0) << clip.log;
  EXPECT_EQ(clip.log, "NOSUCH.NC;;S\n") << run.log;
}

// The records the README hands over from a shell open the template's jobs as
// written, and each is taken off the clipboard.
TEST(JobHandoff, TheReadmesRecordsOpenTheTemplatesExampleJobs) {
  const fs::path root = testsupport::NewMachineRoot("job-handoff-readme");
  struct Case {
    const char* record;
    int field;  // the option of Main.OptFld chosen
  } cases[] = {{"PLATE.DXF;;S", 1}, {"FRAME.NC;;A;;1200;800;6", 2}};
  for (const Case& c : cases) {
    const testsupport::ProgramRun put = Clip(root, c.record, root / "clip.log");
    ASSERT_EQ(put.status, 0) << put.log;
    const testsupport::ProgramRun run = testsupport::RunFieldrayScript(
        root, "wait 1500\nexpect Main.OptFld(" + std::to_string(c.field) + ") \"True\"\nquit\n");
    EXPECT_EQ(run.status, 0) << c.record << "\n" << run.log;
    const testsupport::ProgramRun left = Clip(root, "--get", root / "clip.log");
    EXPECT_EQ(left.log, "\n") << c.record << ": the record was not taken";
  }
}

// A link in the job folder to a drawing outside the machine root: listed
// with the rest, but its pick is refused in the words of the job intake and
// nothing of it is read.
TEST(JobHandoff, APickedLinkOutOfTheMachineRootIsRefused) {
  const fs::path root = testsupport::NewMachineRoot("job-link");
  const fs::path outside = root.parent_path() / "job-link-outside.DXF";
  testsupport::WriteFile(outside, "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n90\n21\n90\n"
                                  "0\nENDSEC\n0\nEOF\n");
  fs::create_directories(root / "C" / "Fieldray" / "Jobs");
  fs::create_symlink(outside, root / "C" / "Fieldray" / "Jobs" / "LINK.DXF");
  const testsupport::ProgramRun run = testsupport::RunFieldrayScript(
      root,
      "click Main.OnOff\n"
      "pick Main.File1 \"LINK.DXF\"\n"
      "wait 500\n"
      "expect Main.Msg \"Job refused: LINK.DXF is not a file of C:\\Fieldray\\Jobs\\\"\n"
      "quit\n");
  EXPECT_EQ(run.status, 0) << run.log;
  EXPECT_FALSE(std::regex_search(run.log, std::regex("line [0-9]+: "))) << run.log;
}

}  // namespace
