// The library frame: host-only exports, statuses, the log, re-entry.
#include <dlfcn.h>

#include "test_support.h"
#include "vexlib_fixture.h"
#include "winplat/timer.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

constexpr char kReentry[] =
    "An internal DLL problem has allowed the VEXLIB.DLL to be accessed by more than one thread.";

using LibraryFrame = VexlibTest;

TEST_F(LibraryFrame, StickyStatusIsReadAndClearedByGetVXStatus) {
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 2);  // the boot program does not know 210
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 0);  // success leaves the sticky status alone
  std::int32_t status = 0;
  EXPECT_EQ(vx::GetVXStatus()(&status), 2);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(vx::GetVXStatus()(&status), 0);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(Logged("GetVXStatus"));
}

TEST_F(LibraryFrame, ModuleUsageCountsThisProcess) {
  std::int32_t count = -1;
  EXPECT_EQ(vx::GetVXDLLModuleUsage()(&count), 0);
  EXPECT_EQ(count, 1);
}

TEST_F(LibraryFrame, WindowOpensOnceAndLogsCallersText) {
  EXPECT_EQ(vx::OpenVXCommWindow()(), 0);  // already open: nothing happens
  EXPECT_EQ(vx::WriteToVXCommWindow()("hello"), 0);
  EXPECT_TRUE(Logged("----- hello -----"));
  // A caller's long text is cut to the 512-character line.
  std::string longText(3000, 'x');
  EXPECT_EQ(vx::WriteToVXCommWindow()(longText.c_str()), 0);
  auto log = CommLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().size(), 511u);
  EXPECT_EQ(log.back().rfind("----- xxx", 0), 0u);
  EXPECT_EQ(vx::CloseVXCommWindow()(), 0);
  EXPECT_EQ(vx::WriteToVXCommWindow()("unseen"), 0);
  EXPECT_EQ(vx::WriteToVXCommWindow()(nullptr), 0);
  EXPECT_EQ(vx::TB32BeepOnError()(1), 0);
  EXPECT_EQ(vx::OpenVXCommWindow()(), 0);
  EXPECT_FALSE(Logged("----- unseen -----"));
  EXPECT_EQ(vx::TB32BeepOnError()(0), 0);
  EXPECT_TRUE(Logged("TB32Beep 0"));
}

TEST_F(LibraryFrame, PortExports) {
  // Command 50 written byte by byte: only the low byte of each value goes out.
  EXPECT_EQ(vx::vxOutp()(0x300, 0x1200), 0x00);
  EXPECT_EQ(vx::vxOutp()(0x300, 0x1232), 0x32);
  EXPECT_EQ(vx::vxOutp()(0x10304, 0), 0);  // only the low 16 bits of the port count
  auto dates = Commands(50);
  ASSERT_EQ(dates.size(), 1u);
  // Reply: error code and result (eight zero bytes), then 19990614 = 0x01310856 and
  // 19990802 = 0x01310912.
  for (int i = 0; i < 8; ++i) EXPECT_EQ(vx::vxInp()(0x300), 0);
  EXPECT_EQ(vx::vxInp()(0x300), 0x01);
  EXPECT_EQ(vx::vxInp()(0x300), 0x31);
  EXPECT_EQ(vx::vxInpw()(0x300), 0x5608);  // two bytes, the first in the low byte
  EXPECT_EQ(vx::vxInp()(0x300), 0x01);
  EXPECT_EQ(vx::vxInp()(0x300), 0x31);
  EXPECT_EQ(vx::vxInp()(0x300), 0x09);
  EXPECT_EQ(vx::vxInp()(0x300), 0x12);
  EXPECT_EQ(vx::vxInp()(0x304) & 0x90, 0x90);  // reply read out and complete
  EXPECT_EQ(vx::vxOutp()(0x1234, 0x1234), 0x34);
  EXPECT_EQ(vx::vxInp()(0x1234), -1);  // nothing on that port: 0xFF, sign-extended
  EXPECT_EQ(vx::vxInpw()(0x1234), -1);
  vx::vxOutpw()(0x300, 0x3200);  // command 50 again, low byte first
  vx::vxOutp()(0x304, 0);
  EXPECT_EQ(Commands(50).size(), 2u);
}

TEST_F(LibraryFrame, NestedExportInsideATransportBoxIsRefused) {
  ConfigureBoards("[Board0]\nFault=busy port\n");
  winplat::ManualClock clock(3'600'000);
  winplat::SetClock(&clock);
  std::int32_t nested = 99;
  boxes.answers.push_back({winplat::IDOK, [&] { nested = vx::DisplayTrans2()(11, 22); }});
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 0);
  EXPECT_EQ(nested, -2);
  EXPECT_EQ(d1, 19990614);  // the outer command's reply is intact
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].text, kReentry);
  EXPECT_EQ(boxes.shown[1].caption, "GetDates");  // the outer export's log line
  EXPECT_EQ(Commands(50).size(), 1u);
  EXPECT_TRUE(Commands(210).empty());
  EXPECT_EQ(winplat::BeepHistory().size(), 2u);  // the busy port, then the refusal
  // An outer command with operands goes out exactly as staged.
  boxes.shown.clear();
  hw::ClearCommandLog();
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  std::int32_t nestedDates = 99;
  boxes.answers.push_back({winplat::IDOK, [&] { nestedDates = vx::GetDates()(&lib, &d1, &d2); }});
  EXPECT_EQ(vx::DisplayTrans2()(0x11223344, 0x55667788), 0);
  EXPECT_EQ(nestedDates, -2);
  auto sent = Commands(210);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].operands, (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
  EXPECT_TRUE(Commands(50).empty());
  // Nothing is left refused afterwards.
  ConfigureBoards("");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 0);
}

std::int32_t timerResult = 99;
void TimerCallsAnExport(winplat::HWND, winplat::UINT, winplat::UINT_PTR id, std::uint32_t) {
  winplat::KillTimer(0, id);
  timerResult = vx::DisplayTrans2()(5, 6);
}

TEST_F(LibraryFrame, TimerFiringWhileATransportBoxIsUpIsRefused) {
  ConfigureBoards("[Board0]\nFault=error 6 on 50\n");
  winplat::ManualClock clock(3'600'000);
  winplat::SetClock(&clock);
  timerResult = 99;
  winplat::SetTimer(0, 0, 100, TimerCallsAnExport);
  // The memory-failure box stays up for a second of the program's time; the timer fires in it.
  boxes.answers.push_back({winplat::IDCANCEL, [] { winplat::RunModalLoop(1000); }});
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 6);
  EXPECT_EQ(timerResult, -2);
  EXPECT_EQ(boxes.Count(kReentry), 1);
  EXPECT_TRUE(Commands(210).empty());
}

TEST_F(LibraryFrame, LockFreeExportsRunInsideATransportBox) {
  ConfigureBoards("[Board0]\nFault=error 6 on 50\n");
  std::int32_t usage = 0, beep = -1;
  boxes.answers.push_back({winplat::IDCANCEL, [&] {
                             vx::GetVXDLLModuleUsage()(&usage);
                             beep = vx::TB32BeepOnError()(1);
                           }});
  std::int32_t lib = 0, d1 = 0, d2 = 0;
  EXPECT_EQ(vx::GetDates()(&lib, &d1, &d2), 6);
  EXPECT_EQ(usage, 1);
  EXPECT_EQ(beep, 0);
  EXPECT_EQ(boxes.Count(kReentry), 0);
}

TEST_F(LibraryFrame, NestedExportInsideANonTransportBoxRuns) {
  ConfigureBoards("[Board0]\nFault=low memory\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  std::int32_t nested = 99;
  // The MISC ERROR shows no box: the first box is the low-memory one.
  boxes.answers.push_back({winplat::IDOK, [&] { nested = vx::DisplayTrans2()(3, 4); }});
  std::int32_t words[2] = {1, 2};
  EXPECT_EQ(vx::SendWordBlock()(words, 4), -702);
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(Commands(210).size(), 1u);
  EXPECT_EQ(boxes.Count(kReentry), 0);
}

}  // namespace

namespace {

TEST_F(LibraryFrame, ASecondCopyWhoseWindowClassIsTakenFailsItsLoadCleanly) {
  // A copy of the library under another name is a second library in this
  // process: its window class name is taken by the first.
  std::filesystem::path copy = testsupport::Root() / "libvexlib-copy.so";
  std::filesystem::copy_file(std::filesystem::read_symlink("/proc/self/exe").parent_path() / vxtest::kLibraryFile, copy,
                             std::filesystem::copy_options::overwrite_existing);
  void* second = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(second, nullptr) << dlerror();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Unable to Register VEXLIB.DLL Window Class.");
  EXPECT_EQ(boxes.shown[0].caption, "VEXLIB.DLL: Internal Error");
  std::int32_t count = 0;
  vx::GetVXDLLModuleUsage()(&count);
  EXPECT_EQ(count, 2);
  // Its board exports are unreachable; the first copy is untouched.
  auto* trans2 = reinterpret_cast<decltype(&::DisplayTrans2)>(dlsym(second, "DisplayTrans2"));
  ASSERT_NE(trans2, nullptr);
  EXPECT_EQ(trans2(1, 2), -2);
  EXPECT_TRUE(hw::ReadCommandLog().empty());
  dlclose(second);
  vx::GetVXDLLModuleUsage()(&count);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(vx::WriteToVXCommWindow()("still here"), 0);
  EXPECT_TRUE(Logged("----- still here -----"));
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  EXPECT_EQ(vx::DisplayTrans2()(1, 2), 0);
}

}  // namespace
