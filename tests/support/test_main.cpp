// Test entry point: every test process runs on a machine root of its own, a
// fresh temporary folder removed at exit, unless FIELDRAY_ROOT is already set.
// FIELDRAY_BIN names the folder of the built binaries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  std::filesystem::path made;
  if (!std::getenv("FIELDRAY_ROOT")) {
    std::string pattern = (std::filesystem::temp_directory_path() / "fieldray-test-XXXXXX").string();
    if (char* dir = mkdtemp(pattern.data())) {
      made = dir;
      setenv("FIELDRAY_ROOT", dir, 1);
    }
  }
  // Where the built binaries and the staged machine-root template are.
  setenv("FIELDRAY_BIN", FIELDRAY_TEST_BIN, 0);
  setenv("FIELDRAY_TEMPLATE", FIELDRAY_TEST_TEMPLATE, 0);
  ::testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  if (!made.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(made, ec);
  }
  return rc;
}
