// Test entry point: every test process runs on a machine root of its own, a
// fresh temporary folder removed at exit, whatever the environment holds. An
// inherited FIELDRAY_ROOT, FIELDRAY_TEMPLATE, FIELDRAY_BIN or FIELDRAY_PICTURES
// belongs to someone's machine and is replaced. FIELDRAY_TEST_ROOT, set on
// purpose, names a folder under which the fresh root is made and kept for a
// look afterwards.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const char* keep = std::getenv("FIELDRAY_TEST_ROOT");
  const bool kept = keep && *keep;
  std::error_code ec;
  const fs::path parent = kept ? fs::absolute(keep, ec) : fs::temp_directory_path(ec);
  if (kept) fs::create_directories(parent, ec);
  std::string pattern = (parent / "fieldray-test-XXXXXX").string();
  const char* made = mkdtemp(pattern.data());
  if (!made) {
    std::fprintf(stderr, "cannot make a machine root for the tests in %s: %s\n", parent.c_str(), std::strerror(errno));
    return 1;
  }
  const fs::path root = made;
  if (kept) std::fprintf(stderr, "machine root of this test process (kept): %s\n", root.c_str());
  setenv("FIELDRAY_ROOT", root.c_str(), 1);
  // The built binaries and the staged machine-root template of this build.
  setenv("FIELDRAY_BIN", FIELDRAY_TEST_BIN, 1);
  setenv("FIELDRAY_TEMPLATE", FIELDRAY_TEST_TEMPLATE, 1);
  unsetenv("FIELDRAY_PICTURES");
  ::testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  if (!kept) fs::remove_all(root, ec);
  return rc;
}
