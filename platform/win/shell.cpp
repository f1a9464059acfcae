// The shell's verbs through a replaceable handler (the default only records),
// and programs started by their Windows path on the machine root.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <optional>

#include "winplat/paths.h"
#include "winplat/shell.h"
#include "winplat/variant.h"

extern char** environ;

namespace winplat {

namespace {

struct State {
  std::mutex mu;
  ShellExecuteHandler handler;
  std::vector<ShellRequest> requests;
  std::vector<ShellStart> starts;
  std::vector<pid_t> running;
};

State& S() {
  static auto* s = new State;
  return *s;
}

constexpr std::intptr_t kSuccess = 42;  // any value above 32

// A file under the machine root, or nothing.
std::optional<std::filesystem::path> ProgramFile(std::string_view windowsPath) {
  try {
    std::error_code ec;
    std::filesystem::path host = HostPath(windowsPath);
    if (std::filesystem::is_regular_file(host, ec)) return host;
  } catch (const PathError&) {
  }
  return std::nullopt;
}

// Children that ended are collected, so none is left behind as a zombie.
void Reap(State& s) {
  std::erase_if(s.running, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
}

}  // namespace

void SetShellExecuteHandler(ShellExecuteHandler handler) {
  std::lock_guard<std::mutex> lock(S().mu);
  S().handler = std::move(handler);
}

std::intptr_t ShellExecute(HWND owner, const char* operation, const char* file, const char* parameters,
                           const char* directory, int show) {
  ShellRequest r{owner, operation ? operation : "", file ? file : "", parameters ? parameters : "",
                 directory ? directory : "", show};
  ShellExecuteHandler handler;
  {
    std::lock_guard<std::mutex> lock(S().mu);
    handler = S().handler;
    if (!handler) {
      S().requests.push_back(std::move(r));
      return kSuccess;
    }
  }
  return handler(r);
}

std::vector<ShellRequest> ShellRequests() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().requests;
}

void ClearShellRequests() {
  std::lock_guard<std::mutex> lock(S().mu);
  S().requests.clear();
}

double Shell(std::string_view pathName, int windowStyle) {
  std::string program(pathName), arguments;
  std::optional<std::filesystem::path> host = ProgramFile(program);
  if (!host) {
    const std::size_t blank = program.find(' ');
    if (blank != std::string::npos) {
      arguments = program.substr(blank + 1);
      program.resize(blank);
      host = ProgramFile(program);
    }
  }
  if (!host) throw RuntimeError(53);
  const std::string file = host->string();
  std::vector<char*> argv{const_cast<char*>(file.c_str())};
  if (!arguments.empty()) argv.push_back(arguments.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, file.c_str(), nullptr, nullptr, argv.data(), environ) != 0) throw RuntimeError(75);
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  Reap(s);
  s.running.push_back(pid);
  s.starts.push_back(ShellStart{program, windowStyle, static_cast<int>(pid)});
  return static_cast<double>(pid);
}

std::vector<ShellStart> ShellStarts() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().starts;
}

void ClearShellStarts() {
  std::lock_guard<std::mutex> lock(S().mu);
  S().starts.clear();
}

}  // namespace winplat
