// The host clock and the process's replaceable clock.
#include "winplat/clock.h"

#include <atomic>
#include <cstring>
#include <ctime>
#include <fstream>
#include <mutex>
#include <string>

#include "machine.h"
#include "winplat/files.h"
#include "winplat/paths.h"

namespace winplat {
namespace {

std::uint64_t HostUptimeMs() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1'000'000u;
}

// The host's boot identity: a clock setting made before the host restarted no longer applies.
std::string HostBootId() {
  std::ifstream in("/proc/sys/kernel/random/boot_id");
  std::string id;
  in >> id;
  return id;
}

// How far this machine root's machine clock runs behind the host uptime (it
// may run ahead: negative), read once per root from <root>/machine/clock/boot
// as "<offset> <host boot id>"; 0 when the root has no setting for this boot.
class BootOffset {
 public:
  std::int64_t Get() {
    std::lock_guard lock(mutex_);
    if (generation_ != detail::RootGeneration()) {
      generation_ = detail::RootGeneration();
      offset_ = 0;
      std::ifstream in(File());
      long long value = 0;
      std::string boot;
      if (in >> value >> boot && boot == HostBootId()) offset_ = value;
    }
    return offset_;
  }
  // Keeps the setting for every process of the root; false, with the reason
  // in `error`, when it cannot be written (the clock then stays as it was).
  bool Set(std::int64_t offset, std::string* error) {
    std::lock_guard lock(mutex_);
    const std::filesystem::path file = File();
    if (const int why = ReplacingWriter::ReplaceHost(file, std::to_string(offset) + " " + HostBootId() + "\n")) {
      if (error) *error = "cannot write " + file.string() + ": " + std::strerror(why);
      return false;
    }
    generation_ = detail::RootGeneration();
    offset_ = offset;
    return true;
  }

 private:
  static std::filesystem::path File() { return detail::MachineFolder("clock") / "boot"; }
  std::mutex mutex_;
  std::uint64_t generation_ = 0;
  std::int64_t offset_ = 0;
};

BootOffset bootOffset;

class HostClock : public Clock {
 public:
  std::uint64_t TickCount64() override {
    auto ticks = static_cast<std::int64_t>(HostUptimeMs()) - bootOffset.Get();
    return ticks > 0 ? static_cast<std::uint64_t>(ticks) : 0;
  }
  double SecondsSinceMidnight() override {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    localtime_r(&ts.tv_sec, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + static_cast<double>(ts.tv_nsec) / 1e9;
  }
};

HostClock hostClock;
std::atomic<Clock*> current{nullptr};

}  // namespace

void ManualClock::Advance(std::uint64_t ms) {
  ticks_ += ms;
  seconds_ += static_cast<double>(ms % 86'400'000u) / 1000.0;
  while (seconds_ >= 86400.0) seconds_ -= 86400.0;
}

Clock& CurrentClock() {
  Clock* c = current.load();
  return c ? *c : hostClock;
}

void SetClock(Clock* clock) { current.store(clock); }

bool SetMachineUptime(std::uint64_t ms, std::string* error) {
  return bootOffset.Set(static_cast<std::int64_t>(HostUptimeMs()) - static_cast<std::int64_t>(ms), error);
}

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(CurrentClock().TickCount64()); }

float Timer() { return static_cast<float>(CurrentClock().SecondsSinceMidnight()); }

}  // namespace winplat
