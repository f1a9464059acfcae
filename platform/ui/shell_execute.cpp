// The shell's verbs through a replaceable handler; the default only records.
#include <mutex>

#include "winplat/shell.h"

namespace winplat {

namespace {

struct State {
  std::mutex mu;
  ShellExecuteHandler handler;
  std::vector<ShellRequest> requests;
};

State& S() {
  static auto* s = new State;
  return *s;
}

constexpr std::intptr_t kSuccess = 42;  // any value above 32

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

}  // namespace winplat
