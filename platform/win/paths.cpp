// The machine root and the mapping of Windows paths onto it.
#include "winplat/module.h"
#include "winplat/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "machine.h"
#include "winplat/code_page.h"
#include "winplat/files.h"
#include "winplat/classreg.h"
#include "winplat/folders.h"
#include "winplat/text.h"

namespace fs = std::filesystem;

namespace winplat {
namespace detail {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string EncodeName(std::string_view name) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_') {
      out += ch;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out.empty() ? std::string("%") : out;
}

}  // namespace detail

namespace {

std::mutex rootMutex;
fs::path cachedRoot;
std::atomic<std::uint64_t> rootGeneration{1};

// The current folder and the program's name: process state, not machine state.
std::mutex folderMutex;
std::string currentFolder;  // empty: follow the program folder
std::string exeName;        // empty: the default

constexpr const char* kDefaultExeName = "C:\\Fieldray\\Fieldray.exe";

// The template beside this library: staged at ../share in the build tree, in the
// data folder of an install (wherever its prefix now lies).
fs::path TemplateDir() {
  if (const char* t = std::getenv("FIELDRAY_TEMPLATE"); t && *t) return t;
  std::error_code ec;
  const fs::path library = ModuleFileOf(reinterpret_cast<const void*>(&TemplateDir)).parent_path();
  if (!library.empty()) {
    for (const char* relative : {FIELDRAY_TEMPLATE_FROM_LIB, "../share/fieldray/root-template"}) {
      if (fs::is_directory(library / relative, ec)) return (library / relative).lexically_normal();
    }
  }
  if (fs::exists(FIELDRAY_TEMPLATE_BUILD, ec)) return FIELDRAY_TEMPLATE_BUILD;
  return FIELDRAY_TEMPLATE_INSTALL;
}

// The per-user default root; `shared` says it lies in the system's temporary
// folder, where another user could have made it first.
fs::path DefaultRoot(bool* shared) {
  *shared = false;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data) / "fieldray" / "root";
  if (const char* home = std::getenv("HOME"); home && *home)
    return fs::path(home) / ".local" / "share" / "fieldray" / "root";
  *shared = true;
  std::error_code ec;
  fs::path tmp = fs::temp_directory_path(ec);
  if (ec) tmp = "/tmp";
  return tmp / ("fieldray-root-" + std::to_string(::getuid()));
}

// Makes a root in a shared folder private to this user: created with mode
// 0700, refused when it is there and belongs to someone else (or is no folder).
std::string ClaimPrivateRoot(const fs::path& root) {
  if (::mkdir(root.c_str(), 0700) != 0 && errno != EEXIST) return std::strerror(errno);
  struct stat st {};
  if (::lstat(root.c_str(), &st) != 0) return std::strerror(errno);
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return "owned by another user";
  return "";
}

// Copies one template file unless the target exists. The copy is made under a
// temporary name and linked into place, so a process filling the same root at
// the same time never sees half a file and nothing present is ever replaced.
// Answers why the copy could not be made, "" when it is there.
std::string CopyIfMissing(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (fs::exists(fs::symlink_status(to, ec))) return "";
  fs::create_directories(to.parent_path(), ec);
  fs::path tmp = to;
  tmp += ".fill-" + std::to_string(getpid());
  if (!fs::copy_file(from, tmp, fs::copy_options::overwrite_existing, ec))
    return "cannot write " + to.string() + ": " + ec.message();
  ::link(tmp.c_str(), to.c_str());  // fails harmlessly when another process was first
  ::unlink(tmp.c_str());
  return "";
}

// Written last by a root's first complete fill: a root without it is new.
fs::path FilledMarker(const fs::path& root) { return root / "machine" / "filled"; }

// Makes the known folders; a new root is first filled with every template
// file it lacks, and marked filled once that is done. A filled root is never
// filled again (RestoreFromTemplate brings back what is missing).
// Answers why the root could not be made or filled, "" when it was.
std::string FillFromTemplate(const fs::path& root) {
  std::error_code ec;
  const bool filled = fs::exists(FilledMarker(root), ec);
  const fs::path tmpl = TemplateDir();
  // Checked before anything is made: a new root without its template stays unmade.
  if (!filled && !fs::is_directory(tmpl, ec)) return "template not found: " + tmpl.string();
  fs::create_directories(root, ec);
  if (ec) return ec.message();
  if (!fs::is_directory(root, ec)) return "not a folder";
  for (const char* known : {"C/WINDOWS/SYSTEM32", "C/TEMP", "C/Fieldray"}) {
    fs::path rel(known);
    fs::path host = root;
    // Reuse a folder already there under another case.
    for (const auto& part : rel) {
      std::string name = part.string();
      for (auto it = fs::directory_iterator(host, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (AsciiEqualNoCase(entry, name)) {
          name = entry;
          break;
        }
      }
      host /= name;
      fs::create_directories(host, ec);
      if (ec) return ec.message();
    }
  }
  if (filled) return "";
  for (auto it = fs::recursive_directory_iterator(tmpl, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    fs::path target = root / fs::relative(it->path(), tmpl);
    std::error_code made;
    if (it->is_directory()) {
      fs::create_directories(target, made);
      if (made) return made.message();
    } else if (it->is_regular_file()) {
      if (std::string why = CopyIfMissing(it->path(), target); !why.empty()) return why;
    }
  }
  if (ec) return "cannot read the template " + tmpl.string() + ": " + ec.message();
  fs::create_directories(FilledMarker(root).parent_path(), ec);
  if (ec) return ec.message();
  const int fd = ::open(FilledMarker(root).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return "cannot write " + FilledMarker(root).string() + ": " + std::strerror(errno);
  ::close(fd);
  return "";
}

// Whether a file can be made and written in `folder`: "" when it can, else why not.
std::string WriteProbe(const fs::path& folder) {
  fs::path probe = folder / ("write-probe-" + std::to_string(::getpid()));
  int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return std::strerror(errno);
  const ssize_t n = ::write(fd, "x", 1);
  const int err = n == 1 ? 0 : (n < 0 ? errno : ENOSPC);
  ::close(fd);
  ::unlink(probe.c_str());
  return err ? std::strerror(err) : "";
}

// The host entry of `dir` for the Windows name `name` (code page text): its
// UTF-8 form exactly, then its raw bytes (as an earlier build stored them),
// then the first entry in sorted order whose shown name matches regardless of
// case. A name holding "?" (how a host character outside the code page is
// shown) must fit exactly one entry. Without a match: the UTF-8 form, for a
// new entry; a name with "?" has none and is refused.
std::string MatchComponent(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  const std::string utf8 = Utf8FromCodePage(name);
  const bool shown = name.find('?') != std::string::npos;
  if (!shown && fs::exists(fs::symlink_status(dir / utf8, ec))) return utf8;
  if (!shown && fs::exists(fs::symlink_status(dir / name, ec))) return name;
  std::string best;
  int found = 0;
  for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (!AsciiEqualNoCase(CodePageFromUtf8(entry), name)) continue;
    if (!found++ || entry < best) best = entry;
  }
  if (shown && found != 1) throw PathError("character not allowed in a file name: \"" + name + "\"");
  return found ? best : utf8;
}

bool IsReservedDeviceName(std::string_view part) {
  std::string_view base = part.substr(0, part.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (const char* dev : {"CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$"})
    if (AsciiEqualNoCase(base, dev)) return true;
  if (base.size() == 4 && (AsciiEqualNoCase(base.substr(0, 3), "COM") || AsciiEqualNoCase(base.substr(0, 3), "LPT")) &&
      base[3] >= '1' && base[3] <= '9')
    return true;
  return false;
}

std::string CurrentFolderLocked() {
  if (!currentFolder.empty()) return currentFolder;
  std::string exe = exeName.empty() ? kDefaultExeName : exeName;
  std::string folder = exe.substr(0, exe.rfind('\\'));  // ExeName is always a full path
  return folder.size() == 2 ? folder + "\\" : folder;   // a program in a drive's root
}

struct Parsed {
  char drive = 'C';
  std::vector<std::string> parts;
};

// Splits a Windows path into drive and normalised components.
Parsed Parse(std::string_view windowsPath) {
  auto fail = [&](const std::string& why) { throw PathError(why + ": \"" + std::string(windowsPath) + "\""); };
  std::string path(windowsPath);
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.empty()) fail("empty path");
  if (path.rfind("\\\\", 0) == 0) fail("device or network path not available");

  Parsed out;
  std::string rest;
  bool rooted = false;
  std::string current;
  {
    std::lock_guard lock(folderMutex);
    current = CurrentFolderLocked();
  }
  char currentDrive = detail::UpperAscii(current[0]);
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    out.drive = detail::UpperAscii(path[0]);
    rest = path.substr(2);
    rooted = !rest.empty() && rest[0] == '\\';
    if (!rooted && out.drive != currentDrive) rooted = true;  // another drive: its root
  } else {
    out.drive = currentDrive;
    rest = path;
    rooted = rest[0] == '\\';
  }
  if (!rooted) {
    Parsed base = Parse(current);
    out.parts = std::move(base.parts);
  }

  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    std::string part = rest.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (out.parts.empty()) fail("path escapes its drive");
      out.parts.pop_back();
      continue;
    }
    for (unsigned char c : part)
      // "?" stands for a host character the code page lacks: the host lookup
      // resolves it to an existing entry or refuses it.
      if (c < 0x20 || std::string_view("<>:\"|*").find(static_cast<char>(c)) != std::string_view::npos)
        fail("character not allowed in a file name");
    // Windows drops trailing dots and blanks from a name.
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (part.empty()) continue;
    if (IsReservedDeviceName(part)) fail("device name not available");
    out.parts.push_back(std::move(part));
  }
  return out;
}

}  // namespace

namespace detail {

std::uint64_t RootGeneration() { return rootGeneration.load(); }

fs::path MachineFolder(std::string_view sub) {
  fs::path dir = MachineRoot() / "machine" / fs::path(std::string(sub));
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

}  // namespace detail

namespace {

// The root's folder as named by the environment, absolute and normal.
fs::path NamedRoot(bool* shared) {
  const char* env = std::getenv("FIELDRAY_ROOT");
  fs::path root = (env && *env) ? fs::path(env) : DefaultRoot(shared);
  std::error_code ec;
  fs::path absolute = fs::absolute(root, ec);
  if (!ec) root = absolute;
  root = root.lexically_normal();
  if (root.has_filename() == false && root.has_parent_path()) root = root.parent_path();
  return root;
}

}  // namespace

fs::path MachineRoot() {
  std::lock_guard lock(rootMutex);
  if (cachedRoot.empty()) {
    bool shared = false;
    fs::path root = NamedRoot(&shared);
    std::string why = shared ? ClaimPrivateRoot(root) : "";
    if (why.empty()) why = FillFromTemplate(root);
    if (!why.empty()) throw MachineRootError("Machine root " + root.string() + ": " + why);
    cachedRoot = root;
  }
  return cachedRoot;
}

bool OpenExistingMachineRoot(std::string* error) {
  {
    std::lock_guard lock(rootMutex);
    if (cachedRoot.empty()) {
      bool shared = false;
      const fs::path root = NamedRoot(&shared);
      std::error_code ec;
      if (!fs::is_directory(root, ec)) {
        if (error) *error = "Machine root " + root.string() + ": no such folder";
        return false;
      }
      cachedRoot = root;
    }
  }
  // A registry that cannot be read is the root's fault, whatever the program reads.
  return detail::RegistryReadable(error);
}

bool OpenMachineRoot(std::string* error) {
  try {
    const fs::path root = MachineRoot();
    if (std::string why = WriteProbe(root); !why.empty()) {
      if (error) *error = "Machine root " + root.string() + ": not writable: " + why;
      return false;
    }
    return detail::RegistryReadable(error);
  } catch (const MachineRootError& e) {
    if (error) *error = e.what();
    return false;
  }
}

void ResetMachineRoot() {
  std::lock_guard lock(rootMutex);
  cachedRoot.clear();
  rootGeneration.fetch_add(1);
}

std::string FullPath(std::string_view windowsPath) {
  Parsed p = Parse(windowsPath);
  std::string out(1, p.drive);
  out += ":";
  if (p.parts.empty()) return out + "\\";
  for (const auto& part : p.parts) out += "\\" + part;
  return out;
}

fs::path HostPath(std::string_view windowsPath) {
  Parsed p = Parse(windowsPath);
  fs::path host = MachineRoot() / std::string(1, p.drive);
  for (const auto& part : p.parts) host /= MatchComponent(host, part);
  return host;
}

std::string WindowsPathOf(const fs::path& hostPath) {
  fs::path rel = fs::absolute(hostPath).lexically_normal().lexically_relative(MachineRoot());
  auto it = rel.begin();
  if (rel.empty() || it == rel.end()) throw PathError("not inside the machine root: " + hostPath.string());
  std::string drive = it->string();
  if (drive.size() != 1 || !std::isupper(static_cast<unsigned char>(drive[0])))
    throw PathError("not on a drive of the machine root: " + hostPath.string());
  std::string out = drive + ":";
  bool any = false;
  for (++it; it != rel.end(); ++it) {
    std::string part = CodePageFromUtf8(it->string());
    if (part.empty() || part == ".") continue;
    out += "\\" + part;
    any = true;
  }
  return any ? out : out + "\\";
}

std::string CurrentFolder() {
  std::lock_guard lock(folderMutex);
  return CurrentFolderLocked();
}

bool SetCurrentFolder(std::string_view windowsPath) {
  std::string full = FullPath(windowsPath);
  std::error_code ec;
  if (!fs::is_directory(HostPath(full), ec)) return false;
  if (full.size() > 3 && full.back() == '\\') full.pop_back();
  std::lock_guard lock(folderMutex);
  currentFolder = full;
  return true;
}

fs::path TemplateCopyOf(std::string_view windowsPath) {
  std::error_code ec;
  const fs::path rel = HostPath(windowsPath).lexically_relative(MachineRoot());
  const fs::path from = TemplateDir() / rel;
  if (rel.empty() || !fs::is_regular_file(from, ec)) return {};
  return from;
}

bool CopyFromTemplate(std::string_view windowsPath) {
  const fs::path from = TemplateCopyOf(windowsPath);
  if (from.empty()) return false;
  std::ifstream in(from, std::ios::binary);
  if (!in) return false;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ReplacingWriter out = ReplacingWriter::OpenHost(HostPath(windowsPath));
  return out.Write(bytes) && out.Commit();
}

std::vector<std::string> RestoreFromTemplate(const std::vector<std::string>& keepOut) {
  std::vector<std::string> restored;
  std::error_code ec;
  const fs::path root = MachineRoot();
  const fs::path tmpl = TemplateDir();
  std::vector<std::string> kept;
  for (const std::string& path : keepOut) {
    try {
      std::string full = FullPath(path);
      if (full.back() == '\\') full.pop_back();
      kept.push_back(full);
    } catch (const PathError&) {
    }
  }
  auto isKept = [&](const std::string& windowsPath) {
    for (const std::string& k : kept)
      if (AsciiEqualNoCase(windowsPath, k) ||
          (windowsPath.size() > k.size() && windowsPath[k.size()] == '\\' &&
           AsciiEqualNoCase(std::string_view(windowsPath).substr(0, k.size()), k)))
        return true;
    return false;
  };
  for (auto it = fs::recursive_directory_iterator(tmpl, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!it->is_regular_file()) continue;
    const fs::path rel = fs::relative(it->path(), tmpl);
    std::string windowsPath;
    try {
      windowsPath = WindowsPathOf(root / rel);
    } catch (const PathError&) {
      continue;  // not on a drive
    }
    if (isKept(windowsPath)) continue;
    fs::path target;
    try {
      target = HostPath(windowsPath);
    } catch (const PathError&) {
      continue;
    }
    std::error_code there;
    if (fs::exists(fs::symlink_status(target, there))) continue;
    if (CopyIfMissing(it->path(), target).empty()) restored.push_back(windowsPath);
  }
  return restored;
}

std::string ProfileFilePath(std::string_view fileName) {
  std::string name(fileName);
  if (name.find_first_of("\\/:") == std::string::npos) return WindowsDirectory() + "\\" + name;
  return FullPath(name);
}

// ---- Known folders --------------------------------------------------------

std::string WindowsDirectory() { return "C:\\WINDOWS"; }
std::string SystemDirectory() { return "C:\\WINDOWS\\SYSTEM32"; }
std::string TempFolder() { return "C:\\TEMP"; }

std::vector<fs::path> RetiredMemoryFolders() {
  std::vector<fs::path> bases;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') bases.emplace_back(runtime);
  bases.emplace_back("/dev/shm");
  // Their name was the user and a digest of the root's path.
  const std::string rootPath = MachineRoot().string();
  std::uint64_t digest = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : rootPath) digest = (digest ^ c) * 1099511628211ull;
  char name[64];
  std::snprintf(name, sizeof name, "fieldray-%u-%016llx", static_cast<unsigned>(::getuid()),
                static_cast<unsigned long long>(digest));
  std::vector<fs::path> folders;
  for (const fs::path& base : bases) folders.push_back(base / name);
  return folders;
}

bool FolderExists(std::string_view windowsPath) {
  fs::path host;
  struct stat st {};
  return detail::HostFor(windowsPath, &host) && ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ExeName() {
  std::lock_guard lock(folderMutex);
  return exeName.empty() ? kDefaultExeName : exeName;
}

std::string ProgramFolder() {
  std::string exe = ExeName();
  return exe.substr(0, exe.rfind('\\') + 1);
}

void SetExeName(std::string_view windowsPath) {
  std::string full = windowsPath.empty() ? std::string() : FullPath(windowsPath);
  std::lock_guard lock(folderMutex);
  exeName = full;
  currentFolder.clear();  // the program starts in its own folder
}

namespace {
std::uint32_t CopyOut(const std::string& text, char* buffer, std::uint32_t size) {
  auto len = static_cast<std::uint32_t>(text.size());
  if (!buffer || size <= len) return len + 1;
  std::copy(text.begin(), text.end(), buffer);
  buffer[len] = '\0';
  return len;
}
}  // namespace

std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
  return CopyOut(WindowsDirectory(), buffer, size);
}
std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size) { return CopyOut(SystemDirectory(), buffer, size); }

}  // namespace winplat
