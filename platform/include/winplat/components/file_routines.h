#pragma once
// File tests of the routine library: the program file's name, whether a file
// exists, how many files match a pattern, how big a file is. Paths are Windows
// paths on the machine root.
#include <cstdint>
#include <string>
#include <string_view>

namespace winplat {

// Full Windows path of the running program file. The program folder is
// "C:\Fieldray\" unless FIELDRAY_PROGRAM names another program file.
std::string ExeName();

// Nonzero (-1) when the file at the Windows path exists, 0 otherwise (also for
// a folder or a path that cannot be mapped).
std::int32_t Exist(std::string_view windowsPath);

// Number of files matching a pattern such as "C:\Jobs\*.*" ("*" and "?" wild,
// letter case ignored); 0 for a missing folder.
std::int32_t FCount(std::string_view windowsPattern);

// Size of the file in bytes; -1 when it does not exist or cannot be read.
std::int32_t FileSize(std::string_view windowsPath);

}  // namespace winplat
