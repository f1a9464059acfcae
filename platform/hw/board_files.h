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
// Replaces the file through a temporary file "<name>.new": the new contents
// are written whole into it, then it and the file change places in one step
// (the temporary file keeps the old contents for the next replacement, so no
// file is made or removed and the file system writes nothing out at once).
// Without a file to change places with, the temporary file is renamed; a
// reader that finds no file reads a whole temporary one in its place. Makes
// the folder when missing.
bool ReplaceFile(const std::filesystem::path& path, const std::vector<char>& bytes);
// Writes bytes at an offset of an existing file (the file grows as needed).
bool WriteFileAt(const std::filesystem::path& path, std::uint64_t offset, const void* data, std::size_t size);
// Bytes to write at an offset of a file.
struct FilePatch {
  std::size_t offset = 0;
  std::size_t size = 0;
  const void* data = nullptr;
};
// Writes the patches into an existing file of `size` bytes that begins with
// `magic`, all in one write call (a process killed meanwhile leaves the file
// as before or as after). False, touching nothing, when the file is missing,
// of another size or does not begin with `magic`.
bool PatchFile(const std::filesystem::path& path, std::size_t size, const void* magic, std::size_t magicBytes,
               const std::vector<FilePatch>& patches);
// Removes a file and the temporary file of its replacements; true when it is gone.
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
  // The size of the file this writer has open (0 when none).
  std::uint64_t Size() const;

 private:
  int fd_ = -1;
  std::filesystem::path path_;
};

}  // namespace winplat::hw::detail
