// Every test of this binary starts as a new process of the program would: the
// device library that an earlier test's program loaded, with all it keeps per
// process (board table, statuses, the host's working range, the preview
// window), is unloaded, so that the next program loads it afresh. The programs
// of those tests have ended, and with them every use of the library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "engine/vexlib_binding.h"
#include "test_support.h"

namespace {

// Unloads the library when it is loaded; false when it stays loaded.
bool UnloadDeviceLibrary() {
  const std::string file = (testsupport::BinDir() / fieldray::engine::Vexlib::kLibraryFile).string();
  // Each program's binding opened it once and keeps it open: one close for each.
  for (int i = 0; i < 100000; ++i) {
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    if (!handle) return true;
    dlclose(handle);
    dlclose(handle);
  }
  return false;
}

class FreshDeviceLibrary : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    if (!UnloadDeviceLibrary()) ADD_FAILURE() << "the device library stays loaded from an earlier test";
  }
};

[[maybe_unused]] const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshDeviceLibrary);
  return true;
}();

}  // namespace
