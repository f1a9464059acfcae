// A second program start for the cross-process tests: loads the device library
// from beside itself and holds the library mutex inside a diagnostic box until
// it is killed. Argument: the file to create once the lock is held.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "winplat/msgbox.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s marker-file\n", argv[0]);
    return 2;
  }
  std::string marker = argv[1];
  std::filesystem::path lib = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "libvexlib_testing.so";
  void* handle = dlopen(lib.c_str(), RTLD_NOW);
  if (!handle) {
    std::fprintf(stderr, "%s\n", dlerror());
    return 1;
  }
  auto* useBoards = reinterpret_cast<std::int32_t (*)(std::int32_t, std::int32_t)>(dlsym(handle, "vxTestUseBoards"));
  auto* displayTrans2 = reinterpret_cast<std::int32_t (*)(std::int32_t, std::int32_t)>(dlsym(handle, "DisplayTrans2"));
  if (!useBoards || !displayTrans2) return 1;
  winplat::SetMessageBoxHandler([marker](const winplat::MessageBoxRequest&) {
    std::ofstream(marker) << "holding\n";
    for (;;) pause();
    return winplat::IDOK;
  });
  useBoards(0, 1);
  displayTrans2(1, 2);  // the board's error box keeps the export, and its lock, open
  return 0;
}
