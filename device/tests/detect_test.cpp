// Detection: ISA boards from VX.INI, PCI boards through the driver, the
// checkout and its failures, and the order of PCI boards.
#include "session_fixture.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

TEST_F(SessionTest, WithoutVexlibIniOneIsaBoardAt0x300IsCheckedOut) {
  std::filesystem::remove(WindowsFile("VX.INI"));
  std::int32_t status = 99;
  EXPECT_EQ(vs::InitialTBCheck()(&status), 0);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(Logged("Number of TB32 boards=1"));
  EXPECT_TRUE(Logged("Master Address=0300"));
  auto writes = Commands(7);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].family, hw::BoardFamily::Isa);
  EXPECT_EQ(Commands(4).size(), 2u);  // read-back and identity
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SessionTest, IsaPortsAreReadAsDecimalOrHexAndTheCountIsBounded) {
  ConfigureBoards("[Boards]\nCount=2\n[Board0]\nPort=0x308\n[Board1]\nPort=0x2A0\n");
  testsupport::WriteFile(WindowsFile("VX.INI"),
                         "[TB32]\r\nNumber of boards=2\r\nMaster Address=776\r\nSlave1 Address=0x2A0\r\n");
  EXPECT_EQ(vs::InitialTBCheck()(nullptr), 0);
  EXPECT_TRUE(Logged("Master Address=0308"));
  EXPECT_TRUE(Logged("Slave1 Address=02A0"));
  EXPECT_EQ(Commands(7).size(), 2u);

  testsupport::WriteFile(WindowsFile("VX.INI"), "[TB32]\r\nNumber of boards=12\r\n");
  EXPECT_NE(vs::InitialTBCheck()(nullptr), 0);  // boards 2 and up do not answer
  EXPECT_TRUE(Logged("Number of TB32 boards limited to 8"));

  testsupport::WriteFile(WindowsFile("VX.INI"), "[TB32]\r\nNumber of boards=0\r\n");
  std::int32_t status = 0;
  EXPECT_EQ(vs::InitialTBCheck()(&status), VX_CHECKOUT_FAILED);
  EXPECT_EQ(status, VX_CHECKOUT_FAILED);
}

TEST_F(SessionTest, BadReadBackFailsTheCheckoutNamingTheSlave) {
  ConfigureBoards("[Boards]\nCount=2\n[Board1]\nPort=0x308\nFault=bad readback\n");
  testsupport::WriteFile(WindowsFile("VX.INI"), "[TB32]\r\nNumber of boards=2\r\n");
  std::int32_t status = 0;
  EXPECT_EQ(vs::InitialTBCheck()(&status), VX_CHECKOUT_FAILED);
  EXPECT_EQ(status, VX_CHECKOUT_FAILED);
  const auto* box = BoxCaptioned("InitialTBCheck: Slave1 board");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text.rfind("The Tribank32 did not respond properly to the initial checkout routine.\nThis may be "
                            "due to a Tribank32 hardware problem",
                            0),
            0u);
  // Both boards are working again afterwards, and logging is on.
  vxtest::ConfigureBoards("[Boards]\nCount=2\n[Board1]\nPort=0x308\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  EXPECT_EQ(vs::SetWorkingTracks()(1), 0);
  auto tracks = Commands(38);
  ASSERT_EQ(tracks.size(), 2u);
  EXPECT_TRUE(Logged("SetWorkingTracks 00000001"));
}

TEST_F(SessionTest, MissingBoardIs1001AndTheFailureLeavesTheStickyStatusAlone) {
  ConfigureBoards("[Board0]\nFault=no answer\n");
  EXPECT_EQ(vs::InitialTBCheck()(nullptr), VX_CHECKOUT_NO_ANSWER);
  ASSERT_NE(BoxCaptioned("InitialTBCheck: Master board"), nullptr);
  std::int32_t sticky = 1;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, 0);
}

TEST_F(SessionTest, SkippedCheckoutIs1002WithoutABeep) {
  ConfigureBoards("[Board0]\nFault=busy port\n");
  winplat::ManualClock clock(3'600'000);
  winplat::SetClock(&clock);
  boxes.answers.push_back({winplat::IDCANCEL, {}});
  EXPECT_EQ(vs::InitialTBCheck()(nullptr), VX_CHECKOUT_SKIPPED);
  const auto* box = BoxCaptioned("InitialTBCheck: Master board");
  ASSERT_NE(box, nullptr);
  EXPECT_NE(box->text.find("This may be due to an address conflict with another board."), std::string::npos);
  EXPECT_TRUE(winplat::BeepHistory().empty());  // the checkout runs with the beep off
  EXPECT_TRUE(Commands(7).empty());
}

TEST_F(SessionTest, FirstStartWithTwoPciBoardsWritesTheCountAndWelcomes) {
  ConfigureBoards("[Boards]\nFamily=PCI\nCount=2\n");
  UsePci(99);
  EXPECT_EQ(vs::InitialTBCheck()(nullptr), 0);
  std::string ini = testsupport::ReadFile(WindowsFile("VEXLIB.INI"));
  EXPECT_NE(ini.find("Number of boards=2"), std::string::npos);
  EXPECT_EQ(ini.find("99"), std::string::npos);
  const auto* box = BoxCaptioned("Verify number of TB2OOO boards installed");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text.rfind("Welcome to Lumenstage 2000.\n\nLumenstage has detected 2 TB2000 boards in the PC.\n\n"
                            "If you have installed more than 2 boards",
                            0),
            0u);
  EXPECT_TRUE(Logged("Number of TB2OOO boards detected = 2"));
  // A later start with the same boards says nothing.
  Resolve<void()>("vxTestForgetDetection")();
  boxes.shown.clear();
  EXPECT_EQ(vs::InitialTBCheck()(nullptr), 0);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SessionTest, ChangedPciCountIsToldAndMissingDriverIs1003) {
  ConfigureBoards("[Boards]\nFamily=PCI\nCount=1\n");
  UsePci(3);
  EXPECT_EQ(vs::InitialTBCheck()(nullptr), 0);
  const auto* box = BoxCaptioned("Number of TB2OOO boards has changed");
  ASSERT_NE(box, nullptr);
  EXPECT_NE(box->text.find("Only one TB2000 board has been detected"), std::string::npos);

  Resolve<void()>("vxTestForgetDetection")();
  ConfigureBoards("[Boards]\nFamily=PCI\nCount=1\n[Board0]\nFault=no driver\n");
  EXPECT_EQ(vs::InitialTBCheck()(nullptr), VX_CHECKOUT_FAILED);
  EXPECT_NE(BoxCaptioned("VEXLIB.DLL: Can't open TB2OOO driver"), nullptr);

  Resolve<void()>("vxTestForgetDetection")();
  ConfigureBoards("[Boards]\nFamily=PCI\nCount=1\n[Board0]\nFault=no map\n");
  boxes.shown.clear();
  EXPECT_EQ(vs::InitialTBCheck()(nullptr), VX_CHECKOUT_FAILED);
  EXPECT_EQ(boxes.Count("Unable to map TB2OOO PCI memory."), 1);
}

TEST_F(SessionTest, PciBoardsAreOrderedByIdentityModulo100000) {
  ConfigureBoards("[Boards]\nFamily=PCI\nCount=2\n[Board0]\nIdentity=300042\n[Board1]\nIdentity=700017\n");
  UsePci(2);
  EXPECT_EQ(vs::InitialTBCheck()(nullptr), 0);
  hw::ClearCommandLog();
  std::int32_t status = 0;
  vs::CheckSession()(&status);
  auto queries = Commands(35);
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_EQ(queries[0].board, 1);  // the board whose identity ends 00017 is the master
  // Detection runs once per process for PCI boards.
  hw::ClearCommandLog();
  vs::InitialTBCheck()(nullptr);
  EXPECT_TRUE(Commands(7).empty());
}

TEST_F(SessionTest, PciCheckoutFailureNamesTheTb2000Board) {
  ConfigureBoards("[Boards]\nFamily=PCI\nCount=2\n[Board1]\nFault=error 6 on 4\n");
  UsePci(2);
  EXPECT_EQ(vs::InitialTBCheck()(nullptr), VX_CHECKOUT_FAILED);
  const auto* box = BoxCaptioned("InitialTBCheck: TB2000 board");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text.rfind("One of the TB2OOO boards did not respond properly", 0), 0u);
}

}  // namespace
