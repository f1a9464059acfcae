#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testsupport {

std::filesystem::path Root() {
  const char* root = std::getenv("FIELDRAY_ROOT");
  return root ? std::filesystem::path(root) : std::filesystem::path();
}

std::filesystem::path BinDir() {
  const char* bin = std::getenv("FIELDRAY_BIN");
  return bin ? std::filesystem::path(bin) : std::filesystem::current_path();
}

std::filesystem::path ControlLibraryFile() {
  auto beside = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "libkelvaneent.so";
  return std::filesystem::exists(beside) ? beside : BinDir() / "libkelvaneent.so";
}

std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return path;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::filesystem::path SharedDxfCorpus() {
  std::filesystem::path dir = std::filesystem::path(FIELDRAY_TEST_SOURCE_DIR);
  std::string lookedFor;
  for (int up = 0; up < 3 && !dir.empty(); ++up) {
    std::filesystem::path candidate = dir.parent_path() / "shared" / "testdata" / "dxf";
    if (std::filesystem::is_directory(candidate)) return candidate;
    lookedFor += (lookedFor.empty() ? "" : ", ") + candidate.string();
    dir = dir.parent_path();
  }
  // Said once per process, so a skipped corpus test is never silent.
  static const bool said = [&] {
    std::fprintf(stderr, "shared drawings not found (looked for %s): their tests are skipped\n", lookedFor.c_str());
    return true;
  }();
  (void)said;
  return {};
}

std::filesystem::path PictureFolder() {
  const char* env = std::getenv("FIELDRAY_PICTURES");
  std::filesystem::path dir = env && *env ? std::filesystem::path(env) : Root() / "pictures";
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace testsupport
