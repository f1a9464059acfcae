#pragma once
// The output switch's tab, apart from the output switches themselves: caption
// options, hold counts, scan-rate limits, multiplier and blanking, the machine
// origin, the tool table and the preview; each setting is stored the moment
// its event fires.
#include <cstdint>
#include <string>

#include "console/main_form.h"
#include "engine/engine.h"
#include "winplat/components/grid.h"

namespace fieldray::console {

// The skew for the point rate `rate` over the blanking time in `blankText`
// (rate \ blanking + 2, held to 32 bits), or false when the blanking rounds
// to 0 or less: no skew may be sent then.
bool BlankingSkew(std::int32_t rate, const std::string& blankText, std::int32_t& skew);

class OptionHandlers {
 public:
  // `toolDat` is the tool table's grid (none: its changes are not stored).
  OptionHandlers(engine::Engine& engine, MainForm& main, winplat::SpreadGrid* toolDat = nullptr);

  void ScnRt_Change();
  void BlnkTm_Change();
  void ToolDat_Change();
  void DispLaser_Paint();

  // The point rate and skew for a frame of `points`, or false when the
  // blanking time rounds to 0 or less (nothing may be sent then).
  bool RateAndSkew(std::int32_t points, std::int32_t& rate, std::int32_t& skew) const;

 private:
  // A number the operator types into a box with an up-down: it takes effect
  // and is stored only within the up-down's range. `Stored` is the text last
  // taken (at start-up whatever the settings held); `AtFocus` the text the box
  // held when it took the focus (or last took, while it had not the focus).
  struct RangedValue {
    wc::TextBox* Box = nullptr;
    wc::UpDown* Range = nullptr;
    const char* Name = "";
    std::string Stored;
    std::string AtFocus;
    bool InRange(const std::string& text) const;
    // "Segment start points: 1 to 10".
    std::string RangeText() const;
  };
  // Change: whether the box's text may take effect now (it is then the stored text).
  bool TakeTyped(RangedValue& value);
  // LostFocus: a text out of range gives way to the one the box held when it
  // took the focus (its Change handler takes that again: the setting, cache,
  // hold count and boards' rate follow), and Msg names the range.
  void RestoreTyped(RangedValue& value);

  // Writes the box's text to the settings; a text the file refuses is named
  // in Msg and the box shows the stored value again.
  void Store(wc::TextBox& box, const char* section, const char* key);

  // Sends rate and skew for the working frame; false when nothing was sent.
  bool SendRate(std::int32_t& skew);
  engine::Engine& e_;
  MainForm& main_;
  winplat::SpreadGrid* toolDat_;
  RangedValue upperLimit_, lowerLimit_, multiplier_, blanking_;
  RangedValue holdStart_, holdVertex_, holdEnd_;
  bool restoring_ = false;
};

}  // namespace fieldray::console
