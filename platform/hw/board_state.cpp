// Board state in files under the machine root, mapped shared into every process.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "../win/machine.h"
#include "board_files.h"
#include "board_machine.h"
#include "winplat/paths.h"

namespace winplat::hw::detail {
namespace {

std::recursive_mutex& ProcessMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

// The file lock is taken once per process however deeply MachineLock nests.
thread_local int lockDepth = 0;
int lockFd = -1;
std::uint64_t lockRoot = ~0ull;

// The hardware folder of the machine root in force, made once per root.
struct Folder {
  std::mutex mutex;
  std::uint64_t root = ~0ull;
  std::filesystem::path path;
};

Folder& TheFolder() {
  static Folder folder;
  return folder;
}

}  // namespace

std::filesystem::path HardwareFolder() {
  Folder& f = TheFolder();
  std::lock_guard lock(f.mutex);
  std::uint64_t root = winplat::detail::RootGeneration();
  if (f.root != root || f.path.empty()) {
    f.path = MachineRoot() / "hw";
    std::error_code ec;
    CountFileCall();
    std::filesystem::create_directories(f.path, ec);
    f.root = root;
  }
  return f.path;
}

MachineLock::MachineLock() {
  ProcessMutex().lock();
  if (lockDepth++ == 0) {
    std::uint64_t root = winplat::detail::RootGeneration();
    if (lockFd >= 0 && lockRoot != root) {
      ::close(lockFd);
      lockFd = -1;
    }
    if (lockFd < 0) {
      CountFileCall();
      lockFd = ::open((HardwareFolder() / "boards.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
      lockRoot = root;
    }
    if (lockFd >= 0) {
      CountFileCall();
      while (::flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
}

MachineLock::~MachineLock() {
  if (--lockDepth == 0 && lockFd >= 0) {
    CountFileCall();
    ::flock(lockFd, LOCK_UN);
  }
  ProcessMutex().unlock();
}

ProcessLock::ProcessLock() { ProcessMutex().lock(); }
ProcessLock::~ProcessLock() { ProcessMutex().unlock(); }

Board::Board(BoardFamily family, int index, BoardConfig config, std::string name)
    : family_(family), index_(index), config_(std::move(config)), name_(std::move(name)) {
  std::filesystem::path path = HardwareFolder() / (name_ + ".state");
  CountFileCall();
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  auto fail = [&](const char* what) {
    throw std::runtime_error(std::string("cannot ") + what + " board state " + path.string() + ": " +
                             std::strerror(errno));
  };
  if (fd < 0) fail("open");
  // Sized only when it is not yet: a process that only looks at the boards
  // leaves their state file untouched.
  struct stat st {};
  const bool sized = ::fstat(fd, &st) == 0 && st.st_size == static_cast<off_t>(sizeof(SharedBoard));
  if (!sized && ::ftruncate(fd, sizeof(SharedBoard)) != 0) {
    const int why = errno;
    ::close(fd);
    errno = why;
    fail("size");
  }
  void* map = ::mmap(nullptr, sizeof(SharedBoard), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  const int why = errno;
  ::close(fd);
  errno = why;
  if (map == MAP_FAILED) fail("map");
  state_ = static_cast<SharedBoard*>(map);
}

Board::~Board() {
  if (state_) ::munmap(state_, sizeof(SharedBoard));
}

void Board::PowerUp() {
  MachineLock lock;
  if (state_->magic == kStateMagic) return;
  std::memset(static_cast<void*>(state_), 0, sizeof(SharedBoard));
  state_->magic = kStateMagic;
  state_->program = static_cast<std::uint32_t>(BoardProgram::Boot);
  state_->phase = static_cast<std::uint32_t>(IsaPhase::Idle);
}

BoardProgram Board::Program() const { return static_cast<BoardProgram>(state_->program); }
void Board::SetProgram(BoardProgram program) { state_->program = static_cast<std::uint32_t>(program); }

std::uint32_t Board::ReadMemory(std::uint32_t address) const {
  std::uint32_t count = std::min<std::uint32_t>(state_->memoryCount, kMemoryEntries);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (state_->memory[i].address == address) return state_->memory[i].value;
  }
  return 0;
}

bool Board::WriteMemory(std::uint32_t address, std::uint32_t value) {
  std::uint32_t count = std::min<std::uint32_t>(state_->memoryCount, kMemoryEntries);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (state_->memory[i].address == address) {
      state_->memory[i].value = value;
      return true;
    }
  }
  if (count >= kMemoryEntries) return false;
  state_->memory[count] = MemoryEntry{address, value};
  state_->memoryCount = count + 1;
  return true;
}

std::int32_t Board::Value(const std::string& name, std::int32_t fallback) const {
  std::uint32_t count = std::min<std::uint32_t>(state_->valueCount, kValueEntries);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (std::strncmp(state_->values[i].name, name.c_str(), sizeof(ValueEntry::name)) == 0) {
      return state_->values[i].value;
    }
  }
  return fallback;
}

void Board::SetValue(const std::string& name, std::int32_t value) {
  std::uint32_t count = std::min<std::uint32_t>(state_->valueCount, kValueEntries);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (std::strncmp(state_->values[i].name, name.c_str(), sizeof(ValueEntry::name)) == 0) {
      state_->values[i].value = value;
      return;
    }
  }
  if (count >= kValueEntries) return;
  ValueEntry& entry = state_->values[count];
  std::memset(entry.name, 0, sizeof entry.name);
  std::strncpy(entry.name, name.c_str(), sizeof entry.name - 1);
  entry.value = value;
  state_->valueCount = count + 1;
}

void Board::LoadWordBlock() {
  std::uint32_t bytes = std::min<std::uint32_t>(state_->wordBytes, kWordBlockBytes);
  wordBlock_.assign(state_->words, state_->words + bytes);
}

void Board::StoreWordBlock() {
  std::size_t bytes = std::min(wordBlock_.size(), kWordBlockBytes);
  if (bytes > 0) std::memcpy(state_->words, wordBlock_.data(), bytes);
  state_->wordBytes = static_cast<std::uint32_t>(bytes);
}

std::vector<std::uint8_t>& Board::WordBlock() { return wordBlock_; }

std::filesystem::path Board::Folder() const {
  std::filesystem::path folder = HardwareFolder() / name_;
  if (!folderMade_) {
    std::error_code ec;
    CountFileCall();
    std::filesystem::create_directories(folder, ec);
    folderMade_ = true;
  }
  return folder;
}

std::uint16_t Board::PreviousCommand() const { return static_cast<std::uint16_t>(state_->previousCommand); }

std::uint32_t Board::WindowWord(std::uint32_t offset) const {
  if (offset + 4 > kPciWindowLength || (offset & 3u) != 0) return 0xFFFFFFFFu;
  return std::atomic_ref<std::uint32_t>(state_->window[offset / 4]).load(std::memory_order_acquire);
}

void Board::SetWindowWord(std::uint32_t offset, std::uint32_t value) {
  if (offset + 4 > kPciWindowLength || (offset & 3u) != 0) return;
  std::atomic_ref<std::uint32_t>(state_->window[offset / 4]).store(value, std::memory_order_release);
}

}  // namespace winplat::hw::detail
