#pragma once
// The output switch's tab (apart from the output switches themselves): caption options, hold counts, scan-rate limits,
// multiplier and blanking, each stored the moment the Part's event fires.
#include <functional>

#include "console/startup.h"

namespace fieldray::console {

// Device sends that belong to the projection output; the program wires them.
struct OutputSeams {
  std::function<void(std::int32_t rate)> DisplayFreq3;            // rate three times
  std::function<void(std::int32_t which, std::int32_t skew)> DisplaySkew;
};

class OptionHandlers {
 public:
  OptionHandlers(engine::Engine& e, MainForm& main, StartupValues& v, OutputSeams seams);

  void ScnRt_Change();
  void BlnkTm_Change();

  // The point rate and skew for a frame of `points`, or false when the
  // blanking time rounds to 0 or less (nothing may be sent then).
  bool RateAndSkew(std::int32_t points, std::int32_t& rate, std::int32_t& skew) const;

 private:
  void SendRate();
  engine::Engine& e_;
  MainForm& main_;
  StartupValues& v_;
  OutputSeams seams_;
};

}  // namespace fieldray::console
