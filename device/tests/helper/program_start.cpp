// A program start for the start-up tests, as the main window's start-up does it:
// loads the device library from beside itself, runs detection and the session
// check, then takes the running values or begins a new session; ends the session
// on closing when asked. Writes the statuses and the four values to a file.
// Arguments: the result file, then "end" to end the session at closing.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "vexlib/vexlib.h"
#include "winplat/msgbox.h"

namespace {

void* library = nullptr;

template <typename F>
F* Resolve(const char* name) {
  return reinterpret_cast<F*>(dlsym(library, name));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s result-file [end]\n", argv[0]);
    return 2;
  }
  std::filesystem::path lib = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "libvexlib.so";
  library = dlopen(lib.c_str(), RTLD_NOW);
  if (!library) {
    std::fprintf(stderr, "%s\n", dlerror());
    return 1;
  }
  auto* initialCheck = Resolve<decltype(::InitialTBCheck)>("InitialTBCheck");
  auto* checkSession = Resolve<decltype(::CheckSession)>("CheckSession");
  auto* checkSettings = Resolve<decltype(::CheckSessionSettings)>("CheckSessionSettings");
  auto* beginSession = Resolve<decltype(::BeginSession)>("BeginSession");
  auto* endSession = Resolve<decltype(::EndSession)>("EndSession");
  if (!initialCheck || !checkSession || !checkSettings || !beginSession || !endSession) {
    std::fprintf(stderr, "%s: an export is missing\n", lib.c_str());
    return 1;
  }
  winplat::SetMessageBoxHandler([](const winplat::MessageBoxRequest&) { return winplat::IDOK; });
  std::int32_t init = 99, check = 99, settings = 99, begin = 99;
  std::int32_t args[4] = {3000, 6000, 8192, 5};
  initialCheck(&init);
  if (init == 0) {
    checkSession(&check);
    if (check == 0) {
      checkSettings(&args[0], &args[1], &args[2], &args[3], &settings);
    } else {
      beginSession(args[0], args[1], args[2], args[3], &begin);
    }
  }
  if (argc > 2 && std::string(argv[2]) == "end") endSession();
  std::ofstream(argv[1]) << init << ' ' << check << ' ' << settings << ' ' << begin << ' ' << args[0] << ' '
                         << args[1] << ' ' << args[2] << ' ' << args[3] << '\n';
  return 0;
}
