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

// The host path of a Windows path; false when it cannot be mapped.
bool HostFor(std::string_view path, std::filesystem::path* out);

// Opens an existing regular file (`flags` as for open(2)) and takes `lockOp`
// (LOCK_SH or LOCK_EX) on it without waiting: the descriptor, or -1 with the
// Windows error in `error` (ERROR_SHARING_VIOLATION when someone holds it)
// and the system's reason in errno (EISDIR for a folder, EINVAL for another
// kind of file that is not a regular one).
int OpenLocked(const std::filesystem::path& host, int flags, int lockOp, std::uint32_t* error);

// Maps the first `bytes` of the open file `fd`. Writable: shared with every
// process, the file's blocks reserved on the disk first (grown to `bytes`
// when shorter), so that no later store into the mapping can find the disk
// full; the only way the platform maps a file. Not writable: a private copy
// (stores stay in this process, the file is never changed); the file must
// already hold `bytes`. Null with the reason in *error when it cannot be done.
void* MapMachineFile(int fd, std::size_t bytes, bool writable, std::string* error);

// Replaces the host file `target` with `bytes` through a ReplacingWriter (for
// files whose code cannot include files.h, whose error codes clash with the
// registry's): 0, or the system's reason (an errno value) for the failure.
int ReplaceHostFile(const std::filesystem::path& target, std::string_view bytes);

// Removes the files in `folder` named `prefix` and a process number whose
// process has ended (what writers of that form killed mid-write left); the
// count removed.
int RemoveDeadWriterFiles(const std::filesystem::path& folder, std::string_view prefix);

// The registry file can be read (registry.h's CheckRegistry, for code that
// cannot include that header beside files.h).
bool RegistryReadable(std::string* error);

// An object name as a host file name: letters, digits, '-' and '_' kept,
// every other byte as %XX.
std::string EncodeName(std::string_view name);

}  // namespace winplat::detail
