#pragma once
// The board emulation's file layer: every file-system call the emulated boards
// make goes through here and is counted, so that tests can hold the boards to
// a fixed number of calls per command.
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace winplat::hw::detail {

// Counts one file-system call (for the callers that use the file system directly).
void CountFileCall();

// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<char>& bytes);
// Up to `size` bytes from `offset`; the bytes read (0 when the file is missing).
std::size_t ReadFileAt(const std::filesystem::path& path, std::uint64_t offset, void* data, std::size_t size);
// Replaces the file through a temporary file and a rename, so a reader sees
// the old contents or the new, never a part. Makes the folder when missing.
bool ReplaceFile(const std::filesystem::path& path, const std::vector<char>& bytes);
// Writes bytes at an offset of an existing file (the file grows as needed).
bool WriteFileAt(const std::filesystem::path& path, std::uint64_t offset, const void* data, std::size_t size);
// Removes a file; true when it is gone.
bool RemoveFile(const std::filesystem::path& path);
// The size of a file, or -1 when it does not exist.
std::int64_t FileSize(const std::filesystem::path& path);

// A file kept open for appending (a log): opened at its first line, reopened
// when the machine root changes.
class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile();
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;
  void Append(const std::filesystem::path& path, std::string_view text);
  // Empties the file; writers that keep it open go on appending from its start.
  void Truncate(const std::filesystem::path& path);

 private:
  int fd_ = -1;
  std::filesystem::path path_;
};

}  // namespace winplat::hw::detail
