#pragma once
// The registry: one file under the machine root holding keys under the four
// root keys, each with string and 32-bit values. Key and value names are
// matched without regard to letter case; every change is written atomically
// (a new file renamed over the old), so a reader never sees half a write.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace winplat {

using HKEY = std::uint32_t;
using LONG = std::int32_t;

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_BADDB = 1009;
constexpr LONG ERROR_CANTWRITE = 1013;

constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_DWORD = 4;

constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
constexpr std::uint32_t KEY_READ = 0x20019;
constexpr std::uint32_t KEY_WRITE = 0x20006;
constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

// Typed access by root key and key path ("SOFTWARE\Fieldray"). A missing key
// or value gives ERROR_FILE_NOT_FOUND; a value of the other type gives
// ERROR_INVALID_PARAMETER; an unreadable registry file gives ERROR_BADDB and
// is never overwritten. Reads take no lock: they work on a root that cannot
// be written.
LONG RegReadString(HKEY root, std::string_view key, std::string_view name, std::string& value);
LONG RegReadDword(HKEY root, std::string_view key, std::string_view name, std::uint32_t& value);
// Writes create the key (and its parents) when missing.
LONG RegWriteString(HKEY root, std::string_view key, std::string_view name, std::string_view value);
LONG RegWriteDword(HKEY root, std::string_view key, std::string_view name, std::uint32_t value);
LONG RegRemoveValue(HKEY root, std::string_view key, std::string_view name);
// Removes a key with everything below it.
LONG RegRemoveTree(HKEY root, std::string_view key);
bool RegKeyExists(HKEY root, std::string_view key);
// Names of the direct sub-keys, in the order they were created.
std::vector<std::string> RegSubKeys(HKEY root, std::string_view key);

// Several string values in one change: every one is written, or (on any
// failure) none is.
struct RegString {
  HKEY root;
  std::string key;
  std::string name;
  std::string value;
};
LONG RegWriteStrings(const std::vector<RegString>& values);

// The registry file as a program's start finds it: true when it is missing or
// can be read whole; false, with "Machine root PATH: registry.reg line N:
// REASON" or "Machine root PATH: registry.reg cannot be read: REASON" in
// `error`, when not. The file is left as it is, for repair.
bool CheckRegistry(std::string* error);

// Why the last registry call of this thread failed: the step (opening or
// taking the lock, writing the new file) with the file and the system's
// reason, or for a file that cannot be read the machine-root fault of
// CheckRegistry; empty after a call that succeeded or that failed only for a
// missing key, value or bad argument.
std::string RegFailureText();

// The same through open key handles, in the shapes of the Windows calls.
LONG RegOpenKeyEx(HKEY key, const char* subKey, std::uint32_t options, std::uint32_t samDesired, HKEY* result);
LONG RegCreateKeyEx(HKEY key, const char* subKey, HKEY* result);
LONG RegQueryValueEx(HKEY key, const char* valueName, std::uint32_t* reserved, std::uint32_t* type,
                     std::uint8_t* data, std::uint32_t* dataSize);
LONG RegSetValueEx(HKEY key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t dataSize);
LONG RegDeleteValue(HKEY key, const char* valueName);
LONG RegDeleteKey(HKEY key, const char* subKey);
LONG RegCloseKey(HKEY key);

}  // namespace winplat
