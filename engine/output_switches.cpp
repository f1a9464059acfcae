#include "engine/output_switches.h"

#include "engine/projection_output.h"

namespace fieldray::engine {

void OnOff_Click(Engine& e) {
  e.Console.FocusSSTab1();
  e.Console.SetOnOffCaption(e.Console.CheckState(OutputCheck::OnOff) >= 1 ? "Laser ON" : "Laser OFF");
  std::int32_t last = -1;
  ShowProjection(e, last);
}

void CapBtn_Click(Engine& e) {
  // The projection presets stay locked while the caption is projected.
  bool enabled = e.Console.CheckState(OutputCheck::CapBtn) != 1;
  EnablePrjPos(e, enabled);
  std::int32_t last = -1;
  ShowProjection(e, last);
}

void OptFld_Click(Engine& e, std::int16_t /*index*/) {
  std::int32_t last = -1;
  ShowProjection(e, last);
}

}  // namespace fieldray::engine
