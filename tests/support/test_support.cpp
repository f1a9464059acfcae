#include "test_support.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace testsupport {

std::filesystem::path Root() {
  const char* root = std::getenv("FIELDRAY_ROOT");
  return root ? std::filesystem::path(root) : std::filesystem::path();
}

std::filesystem::path SourceDir() { return FIELDRAY_TEST_SOURCE_DIR; }

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

namespace {

// The "shared/testdata" folders the shared test data is looked for in, in order.
std::vector<std::filesystem::path> TestDataCandidates() {
  if (const char* env = std::getenv("FIELDRAY_TESTDATA"); env && *env) return {env};
  std::vector<std::filesystem::path> candidates;
  std::filesystem::path dir = SourceDir();
  for (int up = 0; up < 3 && dir.has_relative_path(); ++up) {
    candidates.push_back(dir.parent_path() / "shared" / "testdata");
    dir = dir.parent_path();
  }
  return candidates;
}

}  // namespace

std::filesystem::path SharedTestData(const std::string& kind) {
  std::error_code ec;
  for (const auto& candidate : TestDataCandidates())
    if (std::filesystem::is_directory(candidate / kind, ec)) return candidate / kind;
  return {};
}

std::string NoSharedTestData(const std::string& kind) {
  std::string looked;
  for (const auto& candidate : TestDataCandidates()) looked += (looked.empty() ? "" : ", ") + (candidate / kind).string();
  const char* env = std::getenv("FIELDRAY_TESTDATA");
  return "no shared test data: no folder " + looked +
         (env && *env ? " (from FIELDRAY_TESTDATA)" : " (FIELDRAY_TESTDATA may name another)");
}

std::filesystem::path SharedDxfCorpus() { return SharedTestData("dxf"); }

std::filesystem::path PictureFolder() {
  std::filesystem::path dir = Root() / "pictures";
  std::filesystem::create_directories(dir);
  return dir;
}

bool InChildWithFileSizeLimit(long bytes, const std::function<bool()>& body) {
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace testsupport
