#pragma once
// One replaceable clock for the whole process.
#include <cstdint>
#include <string>

namespace winplat {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the machine started.
  virtual std::uint64_t TickCount64() = 0;
  // Seconds since midnight (the program's Timer).
  virtual double SecondsSinceMidnight() = 0;
};

// A clock that moves only when told: tests fire timers and end waits with it.
class ManualClock : public Clock {
 public:
  explicit ManualClock(std::uint64_t startTicks = 1'000'000, double startSeconds = 36000.0)
      : ticks_(startTicks), seconds_(startSeconds) {}
  std::uint64_t TickCount64() override { return ticks_; }
  double SecondsSinceMidnight() override { return seconds_; }
  // Moves both readings on; the time of day wraps at midnight.
  void Advance(std::uint64_t ms);
  void SetTickCount64(std::uint64_t ticks) { ticks_ = ticks; }
  void SetSecondsSinceMidnight(double seconds) { seconds_ = seconds; }

 private:
  std::uint64_t ticks_;
  double seconds_;
};

// The clock in force (the host clock unless one was installed).
Clock& CurrentClock();
// Installs a clock (nullptr restores the host clock). The caller keeps ownership.
void SetClock(Clock* clock);

// The host clock counts milliseconds since the machine started: the host's
// uptime, less a setting kept under the machine root. This sets it so that the
// machine has been up `ms` milliseconds now (0: it started just now), for every
// process on this machine root that reads the clock from now on. False, with
// the reason in `error`, when the setting cannot be written; the clock then
// stays as it was.
[[nodiscard]] bool SetMachineUptime(std::uint64_t ms, std::string* error = nullptr);

// Windows' 32-bit tick count (wraps after 49.7 days).
std::uint32_t GetTickCount();
// Seconds since midnight as a 32-bit float.
float Timer();

}  // namespace winplat
