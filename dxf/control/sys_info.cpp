// The system-information start of the about box, over the registry.
#include <algorithm>
#include <cstdint>

#include "about_box.h"
#include "error_trail.h"
#include "winplat/msgbox.h"
#include "winplat/registry.h"
#include "winplat/shell.h"

namespace kelvane {

bool GetKeyValue(winplat::HKEY KeyRoot, const std::string& KeyName, const std::string& SubKeyRef, std::string& KeyVal) {
  KeyVal.clear();
  winplat::HKEY key = 0;
  if (winplat::RegOpenKeyEx(KeyRoot, KeyName.c_str(), 0, winplat::KEY_READ, &key) != winplat::ERROR_SUCCESS)
    return false;
  std::uint8_t buffer[1024] = {};
  std::uint32_t size = sizeof buffer, type = 0;
  const bool read =
      winplat::RegQueryValueEx(key, SubKeyRef.c_str(), nullptr, &type, buffer, &size) == winplat::ERROR_SUCCESS;
  winplat::RegCloseKey(key);
  if (!read) return false;
  size = std::min<std::uint32_t>(size, sizeof buffer);
  if (type == winplat::REG_DWORD) {
    // The bytes from the last to the first make the number.
    std::uint32_t value = 0;
    for (std::uint32_t i = std::min<std::uint32_t>(size, 4); i > 0; --i) value = (value << 8) | buffer[i - 1];
    KeyVal = std::to_string(value);
  } else {
    if (size > 0 && buffer[size - 1] == 0) --size;
    KeyVal.assign(reinterpret_cast<const char*>(buffer), size);
  }
  return true;
}

void StartSysInfo() {
  std::string path;
  bool found = GetKeyValue(winplat::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path);
  if (!found &&
      GetKeyValue(winplat::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", path)) {
    path += "\\MSINFO32.EXE";
    found = FileThere(path);
  }
  if (found) {
    try {
      winplat::Shell(path, winplat::vbNormalFocus);
      return;
    } catch (const winplat::AutomationError&) {
      // A program that cannot be started: said below.
    }
  }
  winplat::MessageBox(0, "System Information Is Unavailable At This Time", kLibraryName, 0);
}

}  // namespace kelvane
