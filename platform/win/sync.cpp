// Machine-wide named mutexes (flock on a file under the machine root) and the
// shared block (a file under the machine root mapped into every user).
#include "winplat/sync.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

#include "machine.h"
#include "winplat/paths.h"

namespace fs = std::filesystem;

namespace winplat {
namespace {

[[noreturn]] void ThrowErrno(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

int OpenLockFile(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) ThrowErrno("cannot open " + path.string());
  return fd;
}

void FlockRetrying(int fd, int op) {
  while (::flock(fd, op) != 0) {
    if (errno != EINTR) ThrowErrno("flock");
  }
}

}  // namespace

// One per (machine root, name) in a process, shared by every NamedMutex of that name.
struct NamedMutex::State {
  // The last object of the name closed while its lock is held: the lock goes.
  ~State() {
    if (fd >= 0) ::close(fd);
  }
  fs::path file;
  std::mutex guard;  // protects the fields below
  std::condition_variable released;
  int fd = -1;  // open only while the lock is held or being taken
  bool claimed = false;  // a thread of this process holds it or is taking it
  std::thread::id owner;
  unsigned count = 0;
};

namespace {

std::mutex registryMutex;
std::map<std::string, std::weak_ptr<NamedMutex::State>> registry;

// A child made by fork starts without any lock of its parent: the descriptors
// it inherited are closed (the parent's lock stays with the parent) and the
// in-process state, copied mid-flight perhaps, starts afresh.
void ForgetLocksInChild() {
  new (&registryMutex) std::mutex;
  for (auto& [key, weak] : registry) {
    auto state = weak.lock();
    if (!state) continue;
    new (&state->guard) std::mutex;
    new (&state->released) std::condition_variable;
    if (state->fd >= 0) ::close(state->fd);
    state->fd = -1;
    state->claimed = false;
    state->owner = std::thread::id();
    state->count = 0;
  }
}

std::once_flag atforkOnce;

}  // namespace

NamedMutex::NamedMutex(const std::string& name) {
  std::call_once(atforkOnce, [] { pthread_atfork(nullptr, nullptr, ForgetLocksInChild); });
  std::string key = MachineRoot().string() + '\n' + name;
  std::lock_guard lock(registryMutex);
  auto& slot = registry[key];
  state_ = slot.lock();
  if (!state_) {
    state_ = std::make_shared<State>();
    state_->file = detail::MachineFolder("mutex") / detail::EncodeName(name);
    ::close(OpenLockFile(state_->file));  // a bad root fails here, not at the first wait
    slot = state_;
  }
  for (auto it = registry.begin(); it != registry.end();) it = it->second.expired() ? registry.erase(it) : ++it;
}

NamedMutex::~NamedMutex() = default;

void NamedMutex::Lock() {
  State& s = *state_;
  auto self = std::this_thread::get_id();
  std::unique_lock guard(s.guard);
  if (s.claimed && s.owner == self) {
    ++s.count;
    return;
  }
  s.released.wait(guard, [&] { return !s.claimed; });
  s.claimed = true;
  s.owner = self;
  guard.unlock();
  // Other processes are waited for without holding the in-process guard.
  int fd = -1;
  try {
    fd = OpenLockFile(s.file);
    FlockRetrying(fd, LOCK_EX);
  } catch (...) {
    if (fd >= 0) ::close(fd);
    guard.lock();
    s.claimed = false;
    s.released.notify_one();
    throw;
  }
  guard.lock();
  s.fd = fd;
  s.count = 1;
}

bool NamedMutex::TryLock() {
  State& s = *state_;
  auto self = std::this_thread::get_id();
  std::lock_guard guard(s.guard);
  if (s.claimed) {
    if (s.owner != self) return false;
    ++s.count;
    return true;
  }
  int fd = OpenLockFile(s.file);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  s.fd = fd;
  s.claimed = true;
  s.owner = self;
  s.count = 1;
  return true;
}

bool NamedMutex::Unlock() {
  State& s = *state_;
  std::lock_guard guard(s.guard);
  if (!s.claimed || s.owner != std::this_thread::get_id() || s.count == 0) return false;
  if (--s.count == 0) {
    ::flock(s.fd, LOCK_UN);
    ::close(s.fd);
    s.fd = -1;
    s.claimed = false;
    s.owner = std::thread::id();
    s.released.notify_one();
  }
  return true;
}

// ---- Mapped files ----------------------------------------------------------

namespace detail {

void* MapMachineFile(int fd, std::size_t bytes, bool writable, std::string* error) {
  auto fail = [&](int err) -> void* {
    if (error) *error = std::strerror(err);
    return nullptr;
  };
  struct stat st{};
  if (::fstat(fd, &st) != 0) return fail(errno);
  if (!S_ISREG(st.st_mode)) return fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  const auto need = static_cast<off_t>(bytes);
  if (writable) {
    // A file already holding all its blocks is left as it is (its time of change too).
    const bool reserved = st.st_size >= need && static_cast<off_t>(st.st_blocks) * 512 >= need;
    if (!reserved) {
      int err = 0;
      while ((err = ::posix_fallocate(fd, 0, need)) == EINTR) {
      }
      if (err != 0) return fail(err);
    }
  } else if (st.st_size < need) {
    if (error) *error = "holds " + std::to_string(st.st_size) + " bytes, not " + std::to_string(bytes);
    return nullptr;
  }
  void* map = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, writable ? MAP_SHARED : MAP_PRIVATE, fd, 0);
  if (map == MAP_FAILED) return fail(errno);
  return map;
}

}  // namespace detail

// ---- SharedBlock -----------------------------------------------------------

struct SharedBlock::State {
  int usersFd = -1;  // held shared while this object maps the block
  std::int32_t* fields = nullptr;
  std::size_t count = 0;
  std::size_t bytes = 0;
};

// The block's file is emptied (all fields zero) by the first user: the one
// that finds nobody holding the users file shared. Opening is serialised by
// an exclusive lock on a third file so that test and downgrade are one step.
SharedBlock::SharedBlock(const std::string& name, std::size_t fieldCount) : state_(std::make_unique<State>()) {
  fs::path dir = detail::MachineFolder("shared");
  std::string base = detail::EncodeName(name);
  state_->count = fieldCount;
  state_->bytes = (fieldCount ? fieldCount : 1) * sizeof(std::int32_t);

  int openFd = OpenLockFile(dir / (base + ".open"));
  int dataFd = -1;
  try {
    FlockRetrying(openFd, LOCK_EX);
    state_->usersFd = OpenLockFile(dir / (base + ".users"));
    bool first = ::flock(state_->usersFd, LOCK_EX | LOCK_NB) == 0;
    dataFd = ::open((dir / (base + ".blk")).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (dataFd < 0) ThrowErrno("cannot open shared block " + name);
    if (first && ::ftruncate(dataFd, 0) != 0) ThrowErrno("cannot reset shared block " + name);
    std::string why;
    void* map = detail::MapMachineFile(dataFd, state_->bytes, true, &why);
    if (!map) throw std::runtime_error("cannot map shared block " + name + ": " + why);
    FlockRetrying(state_->usersFd, LOCK_SH);  // converts the exclusive lock of the first user
    state_->fields = static_cast<std::int32_t*>(map);
  } catch (...) {
    if (dataFd >= 0) ::close(dataFd);
    if (state_->usersFd >= 0) ::close(state_->usersFd);
    ::close(openFd);
    throw;
  }
  ::close(dataFd);
  ::close(openFd);
}

SharedBlock::~SharedBlock() {
  if (state_->fields) ::munmap(state_->fields, state_->bytes);
  if (state_->usersFd >= 0) ::close(state_->usersFd);
}

std::size_t SharedBlock::FieldCount() const { return state_->count; }

namespace {
std::atomic_ref<std::int32_t> Field(std::int32_t* fields, std::size_t count, std::size_t index) {
  if (index >= count) throw std::out_of_range("shared block field " + std::to_string(index));
  return std::atomic_ref<std::int32_t>(fields[index]);
}
}  // namespace

std::int32_t SharedBlock::Get(std::size_t index) const { return Field(state_->fields, state_->count, index).load(); }

void SharedBlock::Set(std::size_t index, std::int32_t value) {
  Field(state_->fields, state_->count, index).store(value);
}

// Wraps around at the 32-bit limits as the interlocked operations do.
std::int32_t SharedBlock::Increment(std::size_t index) {
  auto f = Field(state_->fields, state_->count, index);
  std::int32_t old = f.load();
  while (!f.compare_exchange_weak(old, static_cast<std::int32_t>(static_cast<std::uint32_t>(old) + 1u))) {
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(old) + 1u);
}

std::int32_t SharedBlock::Decrement(std::size_t index) {
  auto f = Field(state_->fields, state_->count, index);
  std::int32_t old = f.load();
  while (!f.compare_exchange_weak(old, static_cast<std::int32_t>(static_cast<std::uint32_t>(old) - 1u))) {
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(old) - 1u);
}

MachineLockResult HoldMachineLock(const std::string& name) {
  fs::path file;
  try {
    file = detail::MachineFolder("locks") / (detail::EncodeName(name) + ".lock");
  } catch (const std::exception&) {
    return MachineLockResult::Unavailable;
  }
  // The descriptor stays open until the process ends: that is the lock.
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return MachineLockResult::Unavailable;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return MachineLockResult::Held;
  const bool busy = errno == EWOULDBLOCK;
  ::close(fd);
  return busy ? MachineLockResult::HeldElsewhere : MachineLockResult::Unavailable;
}

}  // namespace winplat
