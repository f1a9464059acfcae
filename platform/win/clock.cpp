// The host clock and the process's replaceable clock.
#include "winplat/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>

namespace winplat {
namespace {

class HostClock : public Clock {
 public:
  std::uint64_t TickCount64() override {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1'000'000u;
  }
  double SecondsSinceMidnight() override {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    localtime_r(&ts.tv_sec, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + ts.tv_nsec / 1e9;
  }
};

HostClock hostClock;
std::atomic<Clock*> current{nullptr};

}  // namespace

void ManualClock::Advance(std::uint64_t ms) {
  ticks_ += ms;
  seconds_ += static_cast<double>(ms) / 1000.0;
  while (seconds_ >= 86400.0) seconds_ -= 86400.0;
}

Clock& CurrentClock() {
  Clock* c = current.load();
  return c ? *c : hostClock;
}

void SetClock(Clock* clock) { current.store(clock); }

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(CurrentClock().TickCount64()); }

float Timer() { return static_cast<float>(CurrentClock().SecondsSinceMidnight()); }

}  // namespace winplat
