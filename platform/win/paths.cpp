// The machine root and the mapping of Windows paths onto it.
#include "winplat/paths.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace fs = std::filesystem;

namespace winplat {
namespace {

std::mutex rootMutex;
fs::path cachedRoot;

fs::path TemplateDir() {
  if (const char* t = std::getenv("FIELDRAY_TEMPLATE"); t && *t) return t;
  if (fs::exists(FIELDRAY_TEMPLATE_BUILD)) return FIELDRAY_TEMPLATE_BUILD;
  return FIELDRAY_TEMPLATE_INSTALL;
}

fs::path DefaultRoot() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data) / "fieldray" / "root";
  if (const char* home = std::getenv("HOME"); home && *home)
    return fs::path(home) / ".local" / "share" / "fieldray" / "root";
  return fs::temp_directory_path() / "fieldray-root";
}

// Copies every template file that the root lacks; files already there stay.
void FillFromTemplate(const fs::path& root) {
  fs::create_directories(root);
  fs::path tmpl = TemplateDir();
  std::error_code ec;
  if (!fs::is_directory(tmpl, ec)) return;
  for (auto it = fs::recursive_directory_iterator(tmpl, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::path target = root / fs::relative(it->path(), tmpl);
    if (it->is_directory()) {
      fs::create_directories(target, ec);
    } else if (!fs::exists(target)) {
      fs::create_directories(target.parent_path(), ec);
      fs::copy_file(it->path(), target, fs::copy_options::skip_existing, ec);
    }
  }
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The existing entry of `dir` named `name`: exact case first, then the first
// case-insensitive match in sorted order; `name` itself when none exists.
std::string MatchComponent(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::exists(dir / name, ec)) return name;
  std::vector<std::string> matches;
  for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (EqualNoCase(entry, name)) matches.push_back(entry);
  }
  if (matches.empty()) return name;
  return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

fs::path MachineRoot() {
  std::lock_guard lock(rootMutex);
  if (cachedRoot.empty()) {
    const char* env = std::getenv("FIELDRAY_ROOT");
    fs::path root = (env && *env) ? fs::path(env) : DefaultRoot();
    FillFromTemplate(root);
    cachedRoot = fs::absolute(root);
  }
  return cachedRoot;
}

void ResetMachineRoot() {
  std::lock_guard lock(rootMutex);
  cachedRoot.clear();
}

fs::path HostPath(std::string_view windowsPath) {
  std::string path(windowsPath);
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.rfind("//", 0) == 0) throw PathError("device or network path not available: " + std::string(windowsPath));
  std::string drive = "C";
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    drive = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    path = path.substr(2);
  }
  fs::path host = MachineRoot() / drive;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (parts.empty()) throw PathError("path escapes its drive: " + std::string(windowsPath));
      parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  for (const auto& part : parts) host /= MatchComponent(host, part);
  return host;
}

}  // namespace winplat
