#include "engine/output_switches.h"

#include "engine/projection_output.h"

namespace fieldray::engine {

void OnOff_Click(Engine& engine) {
  engine.Console.FocusSSTab1();
  engine.Console.SetOnOffCaption(engine.Console.CheckState(OutputCheck::OnOff) >= 1 ? "Laser ON" : "Laser OFF");
  std::int32_t last = -1;
  ShowProjection(engine, last);
}

void CapBtn_Click(Engine& engine) {
  // The projection presets stay locked while the caption is projected.
  bool enabled = engine.Console.CheckState(OutputCheck::CapBtn) != 1;
  EnablePrjPos(engine, enabled);
  std::int32_t last = -1;
  ShowProjection(engine, last);
}

void OptFld_Click(Engine& engine, std::int16_t /*index*/) {
  std::int32_t last = -1;
  ShowProjection(engine, last);
}

}  // namespace fieldray::engine
