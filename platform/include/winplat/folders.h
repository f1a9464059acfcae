#pragma once
// The machine's known folders and the running program's own name.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace winplat {

// "C:\WINDOWS", "C:\WINDOWS\SYSTEM32", "C:\TEMP" (no trailing backslash).
std::string WindowsDirectory();
std::string SystemDirectory();
std::string TempFolder();

// The folders that earlier builds kept for this machine root on memory-backed
// file systems ($XDG_RUNTIME_DIR/fieldray-<uid>-<digest>, and the same under
// /dev/shm); they may or may not exist. Nothing makes them any more.
std::vector<std::filesystem::path> RetiredMemoryFolders();

// Whether a Windows path names an existing folder.
bool FolderExists(std::string_view windowsPath);

// The program folder with its trailing backslash ("C:\Fieldray\" by default):
// the folder of ExeName.
std::string ProgramFolder();

// Full Windows path and name of the running program file ("C:\Fieldray\Fieldray.exe").
std::string ExeName();
// Places the program elsewhere (a test of a program installed in another
// folder); an empty text restores the default. The current folder becomes
// the new program folder, as for a program started there.
void SetExeName(std::string_view windowsPath);

// Windows' shapes: copy the folder and a terminating NUL into the buffer and
// return its length; when the buffer is too small, copy nothing and return
// the size needed including the NUL.
std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size);
std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size);
inline std::uint32_t GetWindowsDirectory(char* buffer, std::uint32_t size) {
  return GetWindowsDirectoryA(buffer, size);
}
inline std::uint32_t GetSystemDirectory(char* buffer, std::uint32_t size) {
  return GetSystemDirectoryA(buffer, size);
}

}  // namespace winplat
