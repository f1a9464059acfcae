#pragma once
// Detection and session tests: a fresh machine per test, with the settings
// files and board software of the template, and detection forgotten.
#include <filesystem>

#include "test_support.h"
#include "vexlib_fixture.h"

namespace vxtest {

#define VX_SESSION_EXPORT(name) inline auto* name() { return Resolve<decltype(::name)>(#name); }
namespace vs {
VX_SESSION_EXPORT(InitialTBCheck)
VX_SESSION_EXPORT(RebootTB32)
VX_SESSION_EXPORT(BeginSession)
VX_SESSION_EXPORT(CheckSession)
VX_SESSION_EXPORT(CheckSessionSettings)
VX_SESSION_EXPORT(EndSession)
VX_SESSION_EXPORT(TB32AvailMemEx)
VX_SESSION_EXPORT(TB32DefragmentMem)
VX_SESSION_EXPORT(TB32StealMem)
VX_SESSION_EXPORT(TB32MemoryWatch)
VX_SESSION_EXPORT(SetWorkingScanners)
VX_SESSION_EXPORT(SetWorkingTracks)
VX_SESSION_EXPORT(SetWorkingFrame)
VX_SESSION_EXPORT(GetWorkingFrame)
VX_SESSION_EXPORT(SendSync)
VX_SESSION_EXPORT(GetTBEvents)
VX_SESSION_EXPORT(SendSyncGetTBEvents)
VX_SESSION_EXPORT(GetCuetrackMilliseconds)
VX_SESSION_EXPORT(PlayShowEx)
VX_SESSION_EXPORT(PlayShowExD)
VX_SESSION_EXPORT(StopShow)
VX_SESSION_EXPORT(LoadShowStructures)
VX_SESSION_EXPORT(SaveShowStructures)
VX_SESSION_EXPORT(FindShowStructures)
}  // namespace vs
#undef VX_SESSION_EXPORT

inline std::filesystem::path WindowsFile(const char* name) { return testsupport::Root() / "C" / "WINDOWS" / name; }
inline std::filesystem::path SystemFile(const char* name) {
  return testsupport::Root() / "C" / "WINDOWS" / "SYSTEM32" / name;
}
inline std::filesystem::path TemplateFile(const std::filesystem::path& relative) {
  return std::filesystem::path(std::getenv("FIELDRAY_TEMPLATE")) / relative;
}

class SessionTest : public VexlibTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(VexlibTest::SetUp());
    Resolve<void()>("vxTestForgetDetection")();
    std::error_code ec;
    std::filesystem::remove(WindowsFile("VEXLIB.INI"), ec);
    for (const char* name : {"VX.INI", "SYSTEM32/VX.T32", "SYSTEM32/VEXLIB.TBS"}) {
      std::filesystem::path target = testsupport::Root() / "C" / "WINDOWS" / name;
      std::filesystem::copy_file(TemplateFile(std::filesystem::path("C/WINDOWS") / name), target,
                                 std::filesystem::copy_options::overwrite_existing, ec);
    }
  }
  void TearDown() override {
    Resolve<void()>("vxTestForgetDetection")();
    VexlibTest::TearDown();
  }
  static void UsePci(int remembered) {
    testsupport::WriteFile(WindowsFile("VEXLIB.INI"),
                           "[TB2000]\r\nNumber of boards=" + std::to_string(remembered) + "\r\n");
  }
  static std::int32_t MaxFramePoints() { return Resolve<std::int32_t()>("vxTestMaxFramePoints")(); }
  const winplat::MessageBoxRequest* BoxCaptioned(const std::string& caption) const {
    for (const auto& box : boxes.shown) {
      if (box.caption == caption) return &box;
    }
    return nullptr;
  }
};

}  // namespace vxtest
