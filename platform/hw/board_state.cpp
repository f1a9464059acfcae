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

std::atomic<bool> lookOnly{false};

}  // namespace

bool BoardsLookedAtOnly() { return lookOnly.load(); }

std::filesystem::path HardwareFolder() {
  Folder& f = TheFolder();
  std::lock_guard lock(f.mutex);
  std::uint64_t root = winplat::detail::RootGeneration();
  if (f.root != root || f.path.empty()) {
    f.path = MachineRoot() / "hw";
    std::error_code ec;
    CountFileCall();
    if (!BoardsLookedAtOnly()) std::filesystem::create_directories(f.path, ec);
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
      const std::filesystem::path file = HardwareFolder() / "boards.lock";
      lockFd = BoardsLookedAtOnly() ? ::open(file.c_str(), O_RDONLY | O_CLOEXEC)
                                    : ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
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
  const std::filesystem::path path = HardwareFolder() / (name_ + ".state");
  const bool writable = !BoardsLookedAtOnly();
  CountFileCall();
  bool made = false;
  int fd = -1;
  if (writable) {
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    made = fd >= 0;
    if (fd < 0 && errno == EEXIST) fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  } else {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (fd < 0) throw BoardStateError(path, std::strerror(errno));
  // Its blocks are reserved before it is mapped: a full disk is said here,
  // never met by a store into the mapping.
  std::string why;
  void* map = winplat::detail::MapMachineFile(fd, sizeof(SharedBoard), writable, &why);
  ::close(fd);
  if (!map) {
    if (made) ::unlink(path.c_str());
    throw BoardStateError(path, why);
  }
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
  if (!folderMade_ && !BoardsLookedAtOnly()) {
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

namespace winplat::hw {

void LookAtBoardsOnly() { detail::lookOnly = true; }

}  // namespace winplat::hw
