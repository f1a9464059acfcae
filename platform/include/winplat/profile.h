#pragma once
// Private-profile (INI) files in the shapes Windows gives them.
//
// A file named without a folder lives in the Windows directory. Section and
// key names match without regard to letter case; values are trimmed and one
// pair of enclosing quotes (" or ') is removed; CR LF and LF line ends are
// read, CR LF is written; bytes are kept as they are. A write replaces the
// whole file atomically, so a crash in the middle loses nothing.
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace winplat {

// Copies the value of `key` in `section` (or `defaultValue`, trailing blanks
// removed, when the file, section or key is missing) into `buffer`, cut to
// size - 1 characters and NUL-terminated; returns the number of characters copied.
// A null `section` lists the file's section names and a null `key` the
// section's key names, each NUL-terminated with one more NUL at the end
// (when cut, the answer is size - 2).
std::uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                       char* buffer, std::uint32_t size, const char* fileName);

// The value of `key` as an integer: decimal or "0x" hexadecimal, optionally
// signed, read up to the first character that is not part of it (0 when there
// is none); `defaultValue` when the key is missing or empty. A negative value
// comes back as its 32-bit two's complement.
std::uint32_t GetPrivateProfileIntA(const char* section, const char* key, std::int32_t defaultValue,
                                    const char* fileName);

// Section and key of every entry with a value in the profile file at a host
// path (such as a template's copy, outside the machine's drives), in file
// order; empty when the file is missing or unreadable.
std::vector<std::pair<std::string, std::string>> ProfileKeysWithValues(const std::filesystem::path& hostFile);

// Why WritePrivateProfileStringA refuses these names and value whatever the
// file ("line breaks cannot be stored", ...): "" when it would store them.
std::string ProfileWriteRefusal(const char* section, const char* key, const char* value);

// Writes `key`=`value` in `section`: an existing key is replaced where it
// stands, a new key goes after the last entry of its section, a new section
// at the end of the file; the file is created on the first write. A null
// `value` deletes the key, a null `key` the whole section. Every other line
// (comments, blank and unknown lines) is kept. Returns nonzero on success,
// 0 when the file cannot be written (its folder missing, a bad path) or the
// write is refused (ProfileWriteRefusal).
std::int32_t WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                        const char* fileName);

inline std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                             char* buffer, std::uint32_t size, const char* fileName) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}
inline std::uint32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                                          const char* fileName) {
  return GetPrivateProfileIntA(section, key, defaultValue, fileName);
}
inline std::int32_t WritePrivateProfileString(const char* section, const char* key, const char* value,
                                              const char* fileName) {
  return WritePrivateProfileStringA(section, key, value, fileName);
}

}  // namespace winplat
