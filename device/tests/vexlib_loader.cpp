#include "vexlib_loader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "test_support.h"
#include "winplat/hw/boards.h"

namespace vxtest {

namespace {

std::filesystem::path LibraryPath() {
  std::filesystem::path path = testsupport::BinDir() / kLibraryFile;
  // The library is built beside the test program.
  if (!std::filesystem::exists(path)) path = std::filesystem::read_symlink("/proc/self/exe").parent_path() / kLibraryFile;
  return path;
}

void*& Handle() {
  static void* handle = nullptr;
  return handle;
}

// Every test starts as a new program would: on the library loaded afresh,
// with nothing an earlier test left in what it keeps per process (the board
// table, the statuses, the host's working range, this process's share of the
// machine-wide process count).
class FreshLibrary : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    void*& handle = Handle();
    if (!handle) return;
    dlclose(handle);
    handle = nullptr;
    if (void* still = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD)) {
      dlclose(still);
      ADD_FAILURE() << "the device library stays loaded from an earlier test";
    }
  }
};

[[maybe_unused]] const bool freshLibraryListener = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshLibrary);
  return true;
}();

}  // namespace

void* Library() {
  void*& handle = Handle();
  if (handle) return handle;
  // Dead boards end the transport's polls quickly in tests.
  setenv("VEXLIB_POLL_TIMEOUT_MS", "200", 0);
  const std::filesystem::path path = LibraryPath();
  handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) ADD_FAILURE() << "cannot load " << path.string() << ": " << dlerror();
  return handle;
}

void* Export(const char* name) {
  void* symbol = Library() ? dlsym(Library(), name) : nullptr;
  if (!symbol) {
    ADD_FAILURE() << "export not found: " << name;
    std::abort();
  }
  return symbol;
}

std::int32_t UseBoards(bool pci, int count) {
  return Resolve<std::int32_t(std::int32_t, std::int32_t)>("vxTestUseBoards")(pci ? 1 : 0, count);
}

std::vector<std::string> CommLog() {
  auto* get = Resolve<std::int32_t(char*, std::int32_t)>("vxTestCommLog");
  std::int32_t size = get(nullptr, 0);
  std::string text(static_cast<std::size_t>(size) + 1, '\0');
  get(text.data(), size + 1);
  text.resize(static_cast<std::size_t>(size));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void Boxes::Install() {
  winplat::SetMessageBoxHandler([this](const winplat::MessageBoxRequest& request) {
    shown.push_back(request);
    Answer answer;
    if (!answers.empty()) {
      answer = answers.front();
      answers.erase(answers.begin());
    }
    if (answer.whileUp) answer.whileUp();
    return answer.button ? answer.button : winplat::DefaultButton(request.flags);
  });
}

void Boxes::Uninstall() { winplat::SetMessageBoxHandler({}); }

int Boxes::Count(const std::string& textStart) const {
  int n = 0;
  for (const auto& box : shown) n += box.text.rfind(textStart, 0) == 0 ? 1 : 0;
  return n;
}

void ConfigureBoards(const std::string& text) {
  winplat::hw::WriteBoardConfig(text);
  winplat::hw::ResetBoardState();
  winplat::hw::ClearCommandLog();
}

}  // namespace vxtest
