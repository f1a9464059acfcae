#pragma once
// A fresh emulated machine for the engine's board tests: one ISA board from the
// template's VX.INI with the board software in place, no remembered detection.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "engine/vexlib_binding.h"
#include "test_support.h"
#include "winplat/hw/boards.h"

namespace enginetest {

// The tests' copy of the device library (the shipped one with test hooks), loaded
// once; the engine's binding reaches it through BoardLibrary().
inline constexpr const char* kTestingLibrary = "libvexlib_testing.so";
inline void* TestingLibrary() {
  static void* lib = dlopen((testsupport::BinDir() / kTestingLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
  return lib;
}

// An export or test hook of that library, by name.
inline void* Hook(const char* name) { return TestingLibrary() ? dlsym(TestingLibrary(), name) : nullptr; }

// The engine's table of exports, every entry resolved from that library.
inline fieldray::engine::VexlibTable BoardLibrary() {
  fieldray::engine::VexlibTable table;
#define ENGINETEST_RESOLVE(name) table.name = reinterpret_cast<decltype(table.name)>(Hook(#name));
  FIELDRAY_VEXLIB_EXPORTS(ENGINETEST_RESOLVE)
  FIELDRAY_VEXLIB_OWN_EXPORTS(ENGINETEST_RESOLVE)
#undef ENGINETEST_RESOLVE
  return table;
}

inline void ResetBoardMachine() {
  namespace fs = std::filesystem;
  winplat::hw::WriteBoardConfig("");
  winplat::hw::ResetBoardState();
  winplat::hw::ClearCommandLog();
  // The copy with test hooks, once loaded, detects afresh. The shipped library,
  // which the tests of the whole program load, must be the only one in their
  // process (a second copy cannot register its window class), so it is never
  // loaded here: each test process starts it anew.
  if (void* loaded = dlopen((testsupport::BinDir() / kTestingLibrary).c_str(), RTLD_NOW | RTLD_NOLOAD)) {
    auto forget = reinterpret_cast<void (*)()>(dlsym(loaded, "vxTestForgetDetection"));
    dlclose(loaded);
    ASSERT_NE(forget, nullptr);
    forget();
  }
  fs::path windows = testsupport::Root() / "C" / "WINDOWS";
  fs::path templ = fs::path(std::getenv("FIELDRAY_TEMPLATE")) / "C" / "WINDOWS";
  fs::create_directories(windows / "SYSTEM32");
  std::error_code ec;
  fs::remove(windows / "VEXLIB.INI", ec);
  for (const char* name : {"VX.INI", "SYSTEM32/VX.T32", "SYSTEM32/VEXLIB.TBS"}) {
    fs::copy_file(templ / name, windows / name, fs::copy_options::overwrite_existing);
  }
}

// Codes of the board commands run since the command log was last cleared.
inline std::vector<std::uint16_t> LoggedCommandCodes() {
  std::vector<std::uint16_t> codes;
  for (const auto& c : winplat::hw::ReadCommandLog()) codes.push_back(c.code);
  return codes;
}

// Where `code` first comes in `codes`; -1 when it does not.
inline long FirstCommand(const std::vector<std::uint16_t>& codes, std::uint16_t code) {
  auto it = std::find(codes.begin(), codes.end(), code);
  return it == codes.end() ? -1 : static_cast<long>(it - codes.begin());
}

}  // namespace enginetest
