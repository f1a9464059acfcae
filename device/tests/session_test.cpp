// Sessions: the boot download, beginning, checking and ending a session, in
// both board families, and the memory figures.
#include "session_fixture.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

struct Settings {
  std::int32_t p[4] = {0, 0, 0, 0};
  std::int32_t status = 99;
};

Settings ReadSettings() {
  Settings s;
  vs::CheckSessionSettings()(&s.p[0], &s.p[1], &s.p[2], &s.p[3], &s.status);
  return s;
}

class FreshMachine : public SessionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FreshMachine, DetectCheckBeginCheckAndReadTheSettings) {
  bool pci = GetParam();
  if (pci) {
    ConfigureBoards("[Boards]\nFamily=PCI\nCount=1\n");
    UsePci(1);
  }
  std::int32_t status = 99;
  ASSERT_EQ(vs::InitialTBCheck()(&status), 0);
  EXPECT_EQ(vs::CheckSession()(&status), VX_NO_SESSION);
  EXPECT_EQ(status, VX_NO_SESSION);
  EXPECT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, &status), 0);
  EXPECT_EQ(status, 0);
  const char* file = pci ? "VEXLIB.TBS" : "VX.T32";
  EXPECT_TRUE(Logged(std::string("Loading file ") + file + ","));
  EXPECT_TRUE(Logged(std::string("End of ") + file + " file found."));
  EXPECT_TRUE(Logged("BeginSession 3000 6000 8192 5"));
  EXPECT_GT(Commands(1).size(), 60u);  // every record of the image
  auto starts = Commands(8);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].operands, (pci ? std::vector<std::uint8_t>{0xC0, 0x09, 0x00, 0x00}
                                     : std::vector<std::uint8_t>{0x0C, 0x08, 0x00, 0x00}));
  auto numbers = Commands(23);
  ASSERT_EQ(numbers.size(), 1u);
  EXPECT_EQ(numbers[0].operands, (std::vector<std::uint8_t>{0, 0, 0, 1}));
  EXPECT_EQ(vs::CheckSession()(&status), 0);
  EXPECT_EQ(MaxFramePoints(), 6000);
  Settings s = ReadSettings();
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(std::vector<std::int32_t>(s.p, s.p + 4), (std::vector<std::int32_t>{3000, 6000, 8192, 5}));
  // The running software's dates come from the image.
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  EXPECT_EQ(d1, 20000118);
  EXPECT_EQ(d2, 20000124);
  EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Families, FreshMachine, ::testing::Bool(),
                         [](const auto& param) { return param.param ? "Pci" : "Isa"; });

TEST_F(SessionTest, CheckSessionOnTheBootProgramKeepsTheFramePointLimit) {
  ASSERT_EQ(vs::InitialTBCheck()(nullptr), 0);
  ASSERT_EQ(vs::BeginSession()(1, 2, 3, 4, nullptr), 0);
  ASSERT_EQ(vs::RebootTB32()(), 0);
  // A session that reported another limit, then the boot program again.
  hw::ForceBoardProgram(hw::BoardProgram::Boot);
  std::int32_t before = MaxFramePoints();
  std::int32_t status = 0;
  EXPECT_EQ(vs::CheckSession()(&status), VX_NO_SESSION);
  EXPECT_EQ(MaxFramePoints(), before);
  Settings s = ReadSettings();
  EXPECT_EQ(s.status, VX_NO_SESSION);
  EXPECT_EQ(s.p[0], 0);  // nothing written
}

TEST_F(SessionTest, SettingsComeBackAsSigned16BitValues) {
  ASSERT_EQ(vs::BeginSession()(-2, 70000, 32767, -32768, nullptr), 0);
  Settings s = ReadSettings();
  EXPECT_EQ(std::vector<std::int32_t>(s.p, s.p + 4), (std::vector<std::int32_t>{-2, 70000 - 65536, 32767, -32768}));
}

TEST_F(SessionTest, BootFileFaultsStopTheDownload) {
  std::filesystem::path file = SystemFile("VX.T32");
  std::string image = testsupport::ReadFile(file);

  // An S1 line.
  testsupport::WriteFile(file, "S1130000285F245F2212226A000424290008237C2A\r\n" + image);
  std::int32_t status = 0;
  EXPECT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, &status), VX_BOOT_FILE_WRONG_TYPE);
  EXPECT_EQ(status, VX_BOOT_FILE_WRONG_TYPE);
  ASSERT_NE(BoxCaptioned("VEXLIB.DLL: Wrong file type"), nullptr);
  EXPECT_EQ(BoxCaptioned("VEXLIB.DLL: Wrong file type")->text, "Error detected in VX.T32 file.");
  EXPECT_TRUE(Commands(8).empty());
  EXPECT_TRUE(Commands(18).empty());

  // A line longer than any S-record.
  boxes.shown.clear();
  testsupport::WriteFile(file, "S3" + std::string(600, '0') + "\r\n");
  EXPECT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, nullptr), VX_BOOT_FILE_WRONG_TYPE);
  EXPECT_TRUE(Commands(1).empty());

  // A record with a bad checksum: the board's code stops it.
  boxes.answers.push_back({winplat::IDCANCEL, nullptr});
  std::string bad = image;
  bad[bad.find('\r') - 1] = bad[bad.find('\r') - 1] == '0' ? '1' : '0';
  testsupport::WriteFile(file, bad);
  EXPECT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, nullptr), VX_CHECKSUM_BAD);
  EXPECT_EQ(Commands(1).size(), 1u);
  EXPECT_TRUE(Commands(8).empty());

  // No file at all.
  boxes.shown.clear();
  std::filesystem::remove(file);
  EXPECT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, nullptr), VX_BOOT_FILE_MISSING);
  const auto* box = BoxCaptioned("VEXLIB.DLL: Missing file");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text, "File C:\\WINDOWS\\SYSTEM32\\VX.T32 not found.\nPlease be sure the file VX.T32 is in the "
                       "WINDOWS\\SYSTEM directory, then re-run the VX program.");

  // The board stays in its boot program through all of it.
  EXPECT_EQ(vs::CheckSession()(nullptr), VX_NO_SESSION);
}

TEST_F(SessionTest, LinesAcrossTheReadBufferAreJoinedAndBlankLinesSkipped) {
  std::filesystem::path file = SystemFile("VX.T32");
  std::string image = testsupport::ReadFile(file);
  // Shift every line so that lines straddle the 512-byte reads at new places,
  // with LF-only ends and blank lines in between.
  std::string shifted = "\n\n\r\n";
  for (std::size_t at = 0; at < image.size();) {
    std::size_t end = image.find("\r\n", at);
    shifted += image.substr(at, end - at) + "\n\n";
    at = end + 2;
  }
  testsupport::WriteFile(file, shifted + "\xff" + "garbage after the end");
  EXPECT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, nullptr), 0);
  EXPECT_EQ(vs::CheckSession()(nullptr), 0);
}

TEST_F(SessionTest, EndAndRebootLeaveTheRightBoardState) {
  ASSERT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, nullptr), 0);
  EXPECT_EQ(vs::EndSession()(), 0);
  EXPECT_TRUE(Logged("EndSession"));
  EXPECT_EQ(vs::CheckSession()(nullptr), VX_NO_SESSION);
  hw::ClearCommandLog();
  EXPECT_EQ(vs::BeginSession()(1, 2, 3, 4, nullptr), 0);
  EXPECT_TRUE(Commands(1).empty());  // the software still runs: no download
  EXPECT_EQ(vs::RebootTB32()(), 0);
  EXPECT_TRUE(Logged("RebootTB32"));
  EXPECT_EQ(vs::CheckSession()(nullptr), VX_NO_SESSION);
  hw::ClearCommandLog();
  EXPECT_EQ(vs::BeginSession()(1, 2, 3, 4, nullptr), 0);
  EXPECT_FALSE(Commands(1).empty());
}

TEST_F(SessionTest, SessionOnTwoBoardsNumbersEachBoard) {
  ConfigureBoards("[Boards]\nCount=2\n");
  testsupport::WriteFile(WindowsFile("VX.INI"), "[TB32]\r\nNumber of boards=2\r\n");
  ASSERT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, nullptr), 0);
  auto numbers = Commands(23);
  ASSERT_EQ(numbers.size(), 2u);
  EXPECT_EQ(numbers[0].board, 0);
  EXPECT_EQ(numbers[0].operands.back(), 1);
  EXPECT_EQ(numbers[1].board, 1);
  EXPECT_EQ(numbers[1].operands.back(), 2);
  EXPECT_EQ(Commands(18).size(), 2u);
  // Both boards are working again: a command reaches both.
  hw::ClearCommandLog();
  EXPECT_EQ(vs::EndSession()(), 0);
  EXPECT_EQ(Commands(19).size(), 2u);
}

TEST_F(SessionTest, MemoryFiguresAndTheirFailures) {
  ASSERT_EQ(vs::BeginSession()(3000, 6000, 8192, 5, nullptr), 0);
  std::int32_t a = 0, b = 0, c = 0, d = -1;
  EXPECT_EQ(vs::TB32AvailMemEx()(&a, &b, &c, &d), 0);
  EXPECT_TRUE(Logged("TB32AvailMem"));
  EXPECT_EQ(a, 4 * 1024 * 1024);
  EXPECT_EQ(b, a);
  EXPECT_EQ(d, 0);
  std::int32_t amount = 1000;
  EXPECT_EQ(vs::TB32StealMem()(&amount), 0);
  EXPECT_EQ(amount, 1000);
  EXPECT_EQ(vs::TB32AvailMemEx()(&a, &b, &c, &d), 0);
  EXPECT_EQ(b, a - 1000);
  EXPECT_EQ(d, 1000);
  std::int32_t watch = 0, defrag = 0;
  EXPECT_EQ(vs::TB32MemoryWatch()(&watch), 0);
  EXPECT_EQ(watch, a - 1000);
  EXPECT_EQ(vs::TB32DefragmentMem()(&defrag), 0);
  EXPECT_EQ(defrag, a - 1000);

  // A board error stops the figures at the first failing one and is sticky.
  ConfigureBoards("[Board0]\nFault=error 8 on 87\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  boxes.answers.push_back({winplat::IDCANCEL, nullptr});
  b = c = -5;
  EXPECT_EQ(vs::TB32AvailMemEx()(&a, &b, &c, &d), VX_ACCESS_ERROR);
  EXPECT_EQ(Commands(87).size(), 1u);
  EXPECT_EQ(b, -5);
  std::int32_t sticky = 0;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, VX_ACCESS_ERROR);
}

}  // namespace
