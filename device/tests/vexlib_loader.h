#pragma once
// The device library as the program sees it: loaded with dlopen from the build's
// binary folder, every export resolved by its name. The tests load its copy
// with the test hooks compiled in, kLibraryFile.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vexlib/vexlib.h"
#include "winplat/msgbox.h"

namespace vxtest {

inline constexpr const char* kLibraryFile = "libvexlib_testing.so";

void* Library();
void* Export(const char* name);

template <typename F>
F* Resolve(const char* name) {
  return reinterpret_cast<F*>(Export(name));
}

// The exports, resolved at first use: vx::GetDates()(...).
namespace vx {
#define VX_EXPORT(name) inline auto* name() { return Resolve<decltype(::name)>(#name); }
VX_EXPORT(GetVXDLLModuleUsage)
VX_EXPORT(OpenVXCommWindow)
VX_EXPORT(CloseVXCommWindow)
VX_EXPORT(WriteToVXCommWindow)
VX_EXPORT(TB32BeepOnError)
VX_EXPORT(GetVXStatus)
VX_EXPORT(vxInp)
VX_EXPORT(vxInpw)
VX_EXPORT(vxOutp)
VX_EXPORT(vxOutpw)
VX_EXPORT(DisplayTrans2)
VX_EXPORT(GetDates)
#undef VX_EXPORT
// The word block senders, internal to the shipped library, are hooks of the tests' copy.
inline auto* SendWordBlock() { return Resolve<std::int32_t(const std::int32_t*, std::int32_t)>("SendWordBlock"); }
inline auto* ReceiveWordBlock() { return Resolve<std::int32_t(std::int32_t*)>("ReceiveWordBlock"); }
}  // namespace vx

// Test-support exports.
std::int32_t UseBoards(bool pci, int count);
std::vector<std::string> CommLog();

// Records every message box and answers it from a queue (default button when
// empty); `whileUp` runs inside the box, as a timer would.
struct Boxes {
  struct Answer {
    int button = 0;
    std::function<void()> whileUp;
  };
  std::vector<winplat::MessageBoxRequest> shown;
  std::vector<Answer> answers;
  void Install();
  static void Uninstall();
  int Count(const std::string& textStart) const;
};

// The machine's boards from configuration text, powered up fresh.
void ConfigureBoards(const std::string& text);

}  // namespace vxtest
