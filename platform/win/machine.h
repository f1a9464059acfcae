#pragma once
// Internal helpers shared by the kernel-side services of platform/win.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace winplat::detail {

// Host-only state of the machine (locks, shared blocks, clock setting):
// <root>/machine/<sub>, created on demand. Never visible through a drive.
std::filesystem::path MachineFolder(std::string_view sub);

// Raised whenever the machine root is forgotten, so caches keyed to it refresh.
std::uint64_t RootGeneration();

// An ASCII letter in upper case, other bytes as they are.
char UpperAscii(char c);

// The Windows error of a failed open: ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND
// (by whether the folder exists) for a missing file, else ERROR_ACCESS_DENIED.
std::uint32_t OpenError(int err, const std::filesystem::path& host);

// An object name as a host file name: letters, digits, '-' and '_' kept,
// every other byte as %XX.
std::string EncodeName(std::string_view name);

}  // namespace winplat::detail
