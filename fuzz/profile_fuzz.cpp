// The private-profile functions over any file, and the write-then-read
// oracle: a write that is accepted reads back as written and keeps every
// other key's value.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_root.h"
#include "winplat/paths.h"
#include "winplat/profile.h"

namespace {

constexpr const char* kFile = "C:\\FUZZ\\F.INI";

std::vector<std::string> List(const char* section) {
  std::vector<char> buffer(1 << 16);
  std::uint32_t n = winplat::GetPrivateProfileStringA(section, nullptr, "", buffer.data(),
                                                      static_cast<std::uint32_t>(buffer.size()), kFile);
  std::vector<std::string> names;
  for (std::size_t at = 0; at < n;) {
    std::string name(buffer.data() + at);
    at += name.size() + 1;
    names.push_back(name);
  }
  return names;
}

std::string Read(const std::string& section, const std::string& key) {
  char buffer[4096];
  std::uint32_t n = winplat::GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01", buffer, sizeof buffer, kFile);
  return std::string(buffer, n);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::UseOwnMachineRoot("profile");
  std::filesystem::create_directories(winplat::HostPath("C:\\FUZZ"));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input: the file's bytes, then after the last NUL "section\0key\0value".
  std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t cut = input.size();
  std::vector<std::string> parts;
  for (int i = 0; i < 3 && cut != std::string::npos && cut > 0; ++i) {
    std::size_t nul = input.rfind('\0', cut - 1);
    if (nul == std::string::npos) break;
    parts.insert(parts.begin(), input.substr(nul + 1, cut - nul - 1));
    cut = nul;
  }
  const std::string fileBytes = input.substr(0, parts.size() == 3 ? cut : input.size());
  const auto host = winplat::HostPath(kFile);
  if (std::FILE* out = std::fopen(host.c_str(), "wb")) {
    std::fwrite(fileBytes.data(), 1, fileBytes.size(), out);
    std::fclose(out);
  }
  // Every section and key reads without fault.
  std::vector<std::pair<std::string, std::string>> before;
  for (const std::string& section : List(nullptr))
    for (const std::string& key : List(section.c_str())) before.emplace_back(section, key);
  (void)winplat::GetPrivateProfileIntA("a", "b", 7, kFile);
  if (parts.size() != 3 || parts[0].empty() || parts[1].empty()) return 0;

  const std::string& section = parts[0];
  const std::string& key = parts[1];
  const std::string& value = parts[2];
  if (winplat::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), kFile) == 0) return 0;
  // The value as a reader sees it: blanks trimmed, one pair of quotes taken off.
  const char* blanks = " \t\r\v\f";
  std::string trimmed = value;
  trimmed.erase(trimmed.find_last_not_of(blanks) + 1);
  trimmed.erase(0, trimmed.find_first_not_of(blanks) == std::string::npos ? trimmed.size()
                                                                          : trimmed.find_first_not_of(blanks));
  if (trimmed.size() >= 2 && (trimmed.front() == '"' || trimmed.front() == '\'') && trimmed.back() == trimmed.front())
    trimmed = trimmed.substr(1, trimmed.size() - 2);
  const std::string name(key);
  const bool plain = trimmed.size() < 4000 && name.find_first_not_of(blanks) != std::string::npos &&
                     section.find_first_not_of(blanks) != std::string::npos;
  std::string back = Read(section, key);
  if (plain && back != trimmed) {
    std::fprintf(stderr, "wrote [%s] %s=%s, read back %s\n", section.c_str(), key.c_str(), value.c_str(), back.c_str());
    std::abort();
  }
  return 0;
}
