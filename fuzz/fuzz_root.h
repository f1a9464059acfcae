#pragma once
// Every fuzz target works on its own machine root in the temporary folder,
// made once per process, so inputs never touch a user's root.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzsupport {

inline void UseOwnMachineRoot(const char* target) {
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / (std::string("fieldray-fuzz-") + target + "-" + std::to_string(getpid()));
  std::filesystem::create_directories(root);
  setenv("FIELDRAY_ROOT", root.c_str(), 1);
}

}  // namespace fuzzsupport
