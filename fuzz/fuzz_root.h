#pragma once
// Every fuzz target works on a machine root of its own, made once per process,
// so inputs never touch a user's root. The root is made under
// FIELDRAY_FUZZ_ROOTS, a folder fuzz/run makes and removes (so nothing is left
// even after a crash or a time-out), else in the temporary folder; either way
// it goes when the process ends normally.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzsupport {

inline void UseOwnMachineRoot(const char* target) {
  static std::string root;
  const char* parent = std::getenv("FIELDRAY_FUZZ_ROOTS");
  const std::filesystem::path base = parent && *parent ? std::filesystem::path(parent) : std::filesystem::temp_directory_path();
  root = (base / (std::string("fieldray-fuzz-") + target + "-XXXXXX")).string();
  if (!mkdtemp(root.data())) {
    std::perror(("cannot make a machine root in " + base.string()).c_str());
    std::abort();
  }
  setenv("FIELDRAY_ROOT", root.c_str(), 1);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  });
}

}  // namespace fuzzsupport
