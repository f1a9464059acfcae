// The registry file under the machine root. It is a text file:
//   [HKEY_CLASSES_ROOT\KelvaneEnt.DXF\CLSID]
//   @=sz:"{...}"
//   "Count"=dword:0000000a
// A change loads it under a file lock and writes a new file that is renamed
// over the old one, so processes sharing a root see whole writes only; a read
// therefore needs no lock (and works on a root nobody may write to).
#include "winplat/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <sstream>

#include "machine.h"
#include "winplat/paths.h"
#include "winplat/text.h"

namespace fs = std::filesystem;

namespace winplat {
namespace {

struct Value {
  std::string name;
  std::uint32_t type = REG_SZ;
  std::string text;
  std::uint32_t dword = 0;
};

struct Key {
  std::string path;  // "HKEY_LOCAL_MACHINE\SOFTWARE\Fieldray"
  std::vector<Value> values;
};

using Hive = std::vector<Key>;

std::mutex registryMutex;
std::map<HKEY, std::string> openKeys;
HKEY nextHandle = 1;

const char* RootName(HKEY root) {
  switch (root) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    default: return nullptr;
  }
}

// Joins a base path and a relative key path, dropping empty components.
std::string JoinPath(std::string base, std::string_view sub) {
  std::string part;
  auto flush = [&] {
    if (!part.empty()) base += "\\" + part;
    part.clear();
  };
  for (char c : sub) {
    if (c == '\\' || c == '/') flush();
    else part += c;
  }
  flush();
  return base;
}

std::optional<std::string> BasePath(HKEY key) {
  if (const char* name = RootName(key)) return std::string(name);
  auto it = openKeys.find(key);
  if (it == openKeys.end()) return std::nullopt;
  return it->second;
}

bool IsUnder(const std::string& path, const std::string& parent) {
  return path.size() > parent.size() && path[parent.size()] == '\\' &&
         winplat::AsciiEqualNoCase(std::string_view(path).substr(0, parent.size()), parent);
}

Key* FindKey(Hive& hive, const std::string& path) {
  for (auto& k : hive)
    if (winplat::AsciiEqualNoCase(k.path, path)) return &k;
  return nullptr;
}

bool KeyExists(Hive& hive, const std::string& path) {
  if (path.find('\\') == std::string::npos) return true;  // a root key always exists
  for (auto& k : hive)
    if (winplat::AsciiEqualNoCase(k.path, path) || IsUnder(k.path, path)) return true;
  return false;
}

Key& CreateKey(Hive& hive, const std::string& path) {
  // Parents first, so a listing keeps creation order.
  for (std::size_t pos = path.find('\\'); pos != std::string::npos; pos = path.find('\\', pos + 1)) {
    std::string parent = path.substr(0, pos);
    if (parent.find('\\') != std::string::npos && !FindKey(hive, parent)) hive.push_back(Key{parent, {}});
  }
  if (Key* k = FindKey(hive, path)) return *k;
  hive.push_back(Key{path, {}});
  return hive.back();
}

Value* FindValue(Key& key, std::string_view name) {
  for (auto& v : key.values)
    if (winplat::AsciiEqualNoCase(v.name, name)) return &v;
  return nullptr;
}

// ---- file format ----

std::string Quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// Reads a quoted text at `pos`; advances past its closing quote.
bool Unquote(const std::string& line, std::size_t& pos, std::string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  out.clear();
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\') {
      if (++pos >= line.size()) return false;
      char e = line[pos];
      if (e == 'n') out += '\n';
      else if (e == 'r') out += '\r';
      else if (e == '\\' || e == '"') out += e;
      else return false;
    } else {
      out += c;
    }
  }
  return false;
}

// Reads a value line; the reason it cannot be read, or nullptr.
const char* ParseValue(const std::string& line, Value& v) {
  constexpr const char* kNeither = "neither [key] nor name=value";
  std::size_t pos = 0;
  if (line.compare(0, 2, "@=") == 0) {
    v.name.clear();
    pos = 1;
  } else {
    if (line[0] != '"') return kNeither;
    if (!Unquote(line, pos, v.name)) return "value name not closed by \"";
  }
  if (pos >= line.size() || line[pos] != '=') return kNeither;
  ++pos;
  if (line.compare(pos, 3, "sz:") == 0) {
    pos += 3;
    v.type = REG_SZ;
    if (!Unquote(line, pos, v.text)) return "text value not closed by \"";
    return pos == line.size() ? nullptr : "text after the value";
  }
  if (line.compare(pos, 6, "dword:") == 0) {
    std::string hex = line.substr(pos + 6);
    if (hex.size() != 8 || !std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
      return "dword value is not 8 hex digits";
    v.type = REG_DWORD;
    v.dword = static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
    return nullptr;
  }
  return "value neither sz: nor dword:";
}

fs::path RegistryFile() { return MachineRoot() / "registry.reg"; }

// Earlier builds wrote the registry through "registry.reg.new.PID"; what their
// writers killed mid-write left goes at each start and write.
constexpr std::string_view kOldTemporary = "registry.reg.new.";

// Why the last call of this thread failed: the step and the system's reason.
thread_local std::string lastFailure;

// Records a failed step with the system's reason (`error`, an errno value).
bool Failed(const std::string& step, const fs::path& file, int error) {
  lastFailure = "registry: " + step + " " + file.string() + ": " + std::strerror(error);
  return false;
}

// Reads all of `file` into `bytes`: 0, or the errno of the failure.
int ReadWhole(const fs::path& file, std::string& bytes) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  char buffer[65536];
  int error = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return error;
}

// The registry as a machine-root fault: "Machine root PATH: registry.reg REASON".
bool Fault(const std::string& reason) {
  lastFailure = "Machine root " + MachineRoot().string() + ": registry.reg " + reason;
  return false;
}

// False when the file exists but cannot be read as a registry, or cannot be
// read at all (a registry that may hold values is never taken as empty).
bool Load(Hive& hive) {
  hive.clear();
  const fs::path file = RegistryFile();
  std::string bytes;
  if (const int error = ReadWhole(file, bytes); error == ENOENT) {
    return true;  // no registry yet
  } else if (error != 0) {
    return Fault(std::string("cannot be read: ") + std::strerror(error));
  }
  std::istringstream in(bytes);
  std::string line;
  Key* current = nullptr;
  int number = 0;
  // Where each value already read sits, by key and name in upper case: a
  // lookup per line keeps a key of thousands of values quick to load.
  std::unordered_map<std::string, std::size_t> seen;
  auto malformed = [&](const char* reason) { return Fault("line " + std::to_string(number) + ": " + reason); };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3) return malformed("key not closed by ]");
      std::string path = line.substr(1, line.size() - 2);
      std::string root = path.substr(0, path.find('\\'));
      if (root != "HKEY_CLASSES_ROOT" && root != "HKEY_CURRENT_USER" && root != "HKEY_LOCAL_MACHINE" &&
          root != "HKEY_USERS")
        return malformed("key not under a root key");
      current = &CreateKey(hive, JoinPath(root, path.substr(root.size())));
      continue;
    }
    Value v;
    if (const char* why = ParseValue(line, v)) return malformed(why);
    if (!current) return malformed("value before any [key]");
    const auto [at, added] = seen.try_emplace(UCase(current->path) + '\n' + UCase(v.name), current->values.size());
    if (added) current->values.push_back(v);
    else current->values[at->second] = v;
  }
  return true;
}

bool Save(const Hive& hive) {
  std::ostringstream out;
  out << "; Fieldray machine registry\n";
  for (const auto& k : hive) {
    out << "\n[" << k.path << "]\n";
    for (const auto& v : k.values) {
      out << (v.name.empty() ? std::string("@") : Quote(v.name)) << '=';
      if (v.type == REG_DWORD) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08x", v.dword);
        out << "dword:" << buf << '\n';
      } else {
        out << "sz:" << Quote(v.text) << '\n';
      }
    }
  }
  const fs::path file = RegistryFile();
  detail::RemoveDeadWriterFiles(file.parent_path(), kOldTemporary);
  if (const int error = detail::ReplaceHostFile(file, out.str()); error != 0) return Failed("cannot write", file, error);
  return true;
}

// Serialises changes between processes that share the machine root. A lock
// that cannot be had is a failure: the registry is never changed unlocked.
class FileLock {
 public:
  FileLock() {
    const fs::path file = MachineRoot() / "registry.lock";
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
      Failed("cannot open the lock", file, errno);
      return;
    }
    int rc;
    do rc = ::flock(fd_, LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      Failed("cannot take the lock", file, errno);
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
  }
  bool Held() const { return fd_ >= 0; }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_ = -1;
};

// Runs `f` on the loaded registry; saves it when `f` reports a change. Only
// a call that may change it takes the lock: a reader sees the file as one
// whole write or the next, and needs none.
template <class F>
LONG WithHive(bool change, F f) {
  lastFailure.clear();
  std::optional<FileLock> lock;
  if (change) {
    lock.emplace();
    if (!lock->Held()) return ERROR_CANTWRITE;
  }
  Hive hive;
  if (!Load(hive)) return ERROR_BADDB;
  bool changed = false;
  LONG rc = f(hive, changed);
  if (rc == ERROR_SUCCESS && changed && !Save(hive)) return ERROR_CANTWRITE;
  return rc;
}

LONG Read(const std::string& path, std::string_view name, Value& out) {
  return WithHive(false, [&](Hive& hive, bool&) {
    Key* k = FindKey(hive, path);
    Value* v = k ? FindValue(*k, name) : nullptr;
    if (!v) return ERROR_FILE_NOT_FOUND;
    out = *v;
    return ERROR_SUCCESS;
  });
}

// Stores `value` under `k`: an overwrite keeps the name's first spelling.
void Put(Key& k, const Value& value) {
  if (Value* v = FindValue(k, value.name)) {
    std::string keepName = v->name;
    *v = value;
    v->name = keepName;
  } else {
    k.values.push_back(value);
  }
}

LONG Write(const std::string& path, const Value& value) {
  return WithHive(true, [&](Hive& hive, bool& changed) {
    Put(CreateKey(hive, path), value);
    changed = true;
    return ERROR_SUCCESS;
  });
}

LONG RemoveValue(const std::string& path, std::string_view name) {
  return WithHive(true, [&](Hive& hive, bool& changed) {
    Key* k = FindKey(hive, path);
    if (!k) return ERROR_FILE_NOT_FOUND;
    auto it = std::find_if(k->values.begin(), k->values.end(), [&](const Value& v) { return winplat::AsciiEqualNoCase(v.name, name); });
    if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
    k->values.erase(it);
    changed = true;
    return ERROR_SUCCESS;
  });
}

LONG RemoveTree(const std::string& path) {
  if (path.find('\\') == std::string::npos) return ERROR_INVALID_PARAMETER;  // never a root key
  return WithHive(true, [&](Hive& hive, bool& changed) {
    if (!KeyExists(hive, path)) return ERROR_FILE_NOT_FOUND;
    std::erase_if(hive, [&](const Key& k) { return winplat::AsciiEqualNoCase(k.path, path) || IsUnder(k.path, path); });
    changed = true;
    return ERROR_SUCCESS;
  });
}

std::optional<std::string> RootPath(HKEY root, std::string_view key) {
  const char* name = RootName(root);
  if (!name) return std::nullopt;
  return JoinPath(name, key);
}

}  // namespace

std::string RegFailureText() { return lastFailure; }

bool CheckRegistry(std::string* error) {
  std::lock_guard guard(registryMutex);
  lastFailure.clear();
  detail::RemoveDeadWriterFiles(RegistryFile().parent_path(), kOldTemporary);
  Hive hive;
  if (Load(hive)) return true;
  if (error) *error = lastFailure;
  return false;
}

bool detail::RegistryReadable(std::string* error) { return CheckRegistry(error); }

LONG RegWriteStrings(const std::vector<RegString>& values) {
  std::lock_guard guard(registryMutex);
  std::vector<std::string> paths;
  for (const RegString& v : values) {
    auto path = RootPath(v.root, v.key);
    if (!path) return ERROR_INVALID_HANDLE;
    paths.push_back(*path);
  }
  return WithHive(true, [&](Hive& hive, bool& changed) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      Put(CreateKey(hive, paths[i]), Value{values[i].name, REG_SZ, values[i].value, 0});
    }
    changed = !values.empty();
    return ERROR_SUCCESS;
  });
}

LONG RegReadString(HKEY root, std::string_view key, std::string_view name, std::string& value) {
  std::lock_guard guard(registryMutex);
  auto path = RootPath(root, key);
  if (!path) return ERROR_INVALID_HANDLE;
  Value v;
  LONG rc = Read(*path, name, v);
  if (rc != ERROR_SUCCESS) return rc;
  if (v.type != REG_SZ) return ERROR_INVALID_PARAMETER;
  value = v.text;
  return ERROR_SUCCESS;
}

LONG RegReadDword(HKEY root, std::string_view key, std::string_view name, std::uint32_t& value) {
  std::lock_guard guard(registryMutex);
  auto path = RootPath(root, key);
  if (!path) return ERROR_INVALID_HANDLE;
  Value v;
  LONG rc = Read(*path, name, v);
  if (rc != ERROR_SUCCESS) return rc;
  if (v.type != REG_DWORD) return ERROR_INVALID_PARAMETER;
  value = v.dword;
  return ERROR_SUCCESS;
}

LONG RegWriteString(HKEY root, std::string_view key, std::string_view name, std::string_view value) {
  std::lock_guard guard(registryMutex);
  auto path = RootPath(root, key);
  if (!path) return ERROR_INVALID_HANDLE;
  return Write(*path, Value{std::string(name), REG_SZ, std::string(value), 0});
}

LONG RegWriteDword(HKEY root, std::string_view key, std::string_view name, std::uint32_t value) {
  std::lock_guard guard(registryMutex);
  auto path = RootPath(root, key);
  if (!path) return ERROR_INVALID_HANDLE;
  return Write(*path, Value{std::string(name), REG_DWORD, {}, value});
}

LONG RegRemoveValue(HKEY root, std::string_view key, std::string_view name) {
  std::lock_guard guard(registryMutex);
  auto path = RootPath(root, key);
  if (!path) return ERROR_INVALID_HANDLE;
  return RemoveValue(*path, name);
}

LONG RegRemoveTree(HKEY root, std::string_view key) {
  std::lock_guard guard(registryMutex);
  auto path = RootPath(root, key);
  if (!path) return ERROR_INVALID_HANDLE;
  return RemoveTree(*path);
}

bool RegKeyExists(HKEY root, std::string_view key) {
  std::lock_guard guard(registryMutex);
  auto path = RootPath(root, key);
  if (!path) return false;
  bool exists = false;
  WithHive(false, [&](Hive& hive, bool&) {
    exists = KeyExists(hive, *path);
    return ERROR_SUCCESS;
  });
  return exists;
}

std::vector<std::string> RegSubKeys(HKEY root, std::string_view key) {
  std::lock_guard guard(registryMutex);
  std::vector<std::string> names;
  auto path = RootPath(root, key);
  if (!path) return names;
  WithHive(false, [&](Hive& hive, bool&) {
    for (const auto& k : hive) {
      if (!IsUnder(k.path, *path)) continue;
      std::string rest = k.path.substr(path->size() + 1);
      std::string first = rest.substr(0, rest.find('\\'));
      if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return winplat::AsciiEqualNoCase(n, first); }))
        names.push_back(first);
    }
    return ERROR_SUCCESS;
  });
  return names;
}

LONG RegOpenKeyEx(HKEY key, const char* subKey, std::uint32_t, std::uint32_t, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(registryMutex);
  auto base = BasePath(key);
  if (!base) return ERROR_INVALID_HANDLE;
  std::string path = JoinPath(*base, subKey ? subKey : "");
  bool exists = false;
  LONG rc = WithHive(false, [&](Hive& hive, bool&) {
    exists = KeyExists(hive, path);
    return ERROR_SUCCESS;
  });
  if (rc != ERROR_SUCCESS) return rc;
  if (!exists) return ERROR_FILE_NOT_FOUND;
  *result = nextHandle++;
  openKeys[*result] = path;
  return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, const char* subKey, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(registryMutex);
  auto base = BasePath(key);
  if (!base) return ERROR_INVALID_HANDLE;
  std::string path = JoinPath(*base, subKey ? subKey : "");
  LONG rc = WithHive(true, [&](Hive& hive, bool& changed) {
    if (path.find('\\') != std::string::npos && !FindKey(hive, path)) {
      CreateKey(hive, path);
      changed = true;
    }
    return ERROR_SUCCESS;
  });
  if (rc != ERROR_SUCCESS) return rc;
  *result = nextHandle++;
  openKeys[*result] = path;
  return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* valueName, std::uint32_t*, std::uint32_t* type, std::uint8_t* data,
                     std::uint32_t* dataSize) {
  std::lock_guard guard(registryMutex);
  auto base = BasePath(key);
  if (!base) return ERROR_INVALID_HANDLE;
  Value v;
  LONG rc = Read(*base, valueName ? valueName : "", v);
  if (rc != ERROR_SUCCESS) return rc;
  if (type) *type = v.type;
  // Strings are returned with their terminating zero, as the callers expect.
  std::uint32_t need = v.type == REG_DWORD ? 4u : static_cast<std::uint32_t>(v.text.size() + 1);
  if (!dataSize) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  std::uint32_t room = *dataSize;
  *dataSize = need;
  if (!data) return ERROR_SUCCESS;
  if (room < need) return ERROR_MORE_DATA;
  if (v.type == REG_DWORD) std::memcpy(data, &v.dword, 4);
  else std::memcpy(data, v.text.c_str(), need);
  return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, const char* valueName, std::uint32_t, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t dataSize) {
  std::lock_guard guard(registryMutex);
  auto base = BasePath(key);
  if (!base || base->find('\\') == std::string::npos) return ERROR_INVALID_HANDLE;
  Value v;
  v.name = valueName ? valueName : "";
  v.type = type;
  if (type == REG_DWORD) {
    if (!data || dataSize != 4) return ERROR_INVALID_PARAMETER;
    std::memcpy(&v.dword, data, 4);
  } else if (type == REG_SZ) {
    const char* text = reinterpret_cast<const char*>(data);
    v.text = data ? std::string(text, strnlen(text, dataSize)) : std::string();
  } else {
    return ERROR_INVALID_PARAMETER;
  }
  return Write(*base, v);
}

LONG RegDeleteValue(HKEY key, const char* valueName) {
  std::lock_guard guard(registryMutex);
  auto base = BasePath(key);
  if (!base) return ERROR_INVALID_HANDLE;
  return RemoveValue(*base, valueName ? valueName : "");
}

LONG RegDeleteKey(HKEY key, const char* subKey) {
  std::lock_guard guard(registryMutex);
  auto base = BasePath(key);
  if (!base) return ERROR_INVALID_HANDLE;
  return RemoveTree(JoinPath(*base, subKey ? subKey : ""));
}

LONG RegCloseKey(HKEY key) {
  std::lock_guard guard(registryMutex);
  if (RootName(key)) return ERROR_SUCCESS;
  return openKeys.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace winplat
