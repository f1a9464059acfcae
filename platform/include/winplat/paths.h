#pragma once
// The machine root and the mapping of Windows paths onto it.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace winplat {

// A Windows path that cannot be mapped (escapes the root, names a device).
class PathError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Host folder of this process's machine root: FIELDRAY_ROOT, else a per-user
// default. Created and filled from the template on first use.
std::filesystem::path MachineRoot();

// Host path for a Windows path ("C:\Fieldray\Fldry.INI" -> <root>/C/Fieldray/Fldry.INI).
// Throws PathError for a path that escapes the root.
std::filesystem::path HostPath(std::string_view windowsPath);

// Forgets the cached root (tests that switch FIELDRAY_ROOT).
void ResetMachineRoot();

}  // namespace winplat
