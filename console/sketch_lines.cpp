// Picking, drag band, nudge steps and drag projection of the sketch editors.
#include "console/sketch_lines.h"

#include <algorithm>
#include <cmath>

#include "console/flag_scope.h"
#include "engine/frame_assembly.h"
#include "engine/point_list.h"
#include "winplat/messages.h"

namespace fieldray::console {

using engine::DensifyFramePoints;
using engine::DeviceWhite;
using engine::Engine;
using engine::SendFrame;
using engine::WriteFrameToBoard;

namespace {

constexpr std::int64_t kHitSlack = 12;
constexpr float kBandNear = 50;
constexpr float kBandFar = 100;

std::int64_t RoundedDistance(double dx, double dy, std::int32_t hold) {
  const double d = std::sqrt(dx * dx + dy * dy);
  if (!(d < hold)) return hold;
  return static_cast<std::int64_t>(std::nearbyint(d));
}

}  // namespace

std::int32_t RoundHeld(double v, std::int32_t lo, std::int32_t hi) {
  if (std::isnan(v)) return 0;
  return static_cast<std::int32_t>(std::clamp(std::nearbyint(v), static_cast<double>(lo), static_cast<double>(hi)));
}

bool LineHit(const wc::LineControl& line, float x, float y, std::int32_t distanceHold) {
  const double x1 = line.X1(), y1 = line.Y1(), x2 = line.X2(), y2 = line.Y2();
  const std::int64_t d1 = RoundedDistance(x1 - x, y1 - y, distanceHold);
  const std::int64_t d2 = RoundedDistance(x2 - x, y2 - y, distanceHold);
  const std::int64_t d3 = RoundedDistance(x1 - x2, y1 - y2, distanceHold);
  return d1 + d2 - d3 < kHitSlack;
}

std::int32_t FirstLineHit(const wc::ControlArray<wc::LineControl>& lines, float x, float y, std::int32_t distanceHold) {
  for (const auto& [index, line] : lines.Elements()) {
    if (index >= 1 && line->Visible() && LineHit(*line, x, y, distanceHold)) return index;
  }
  return 0;
}

bool InDragBand(float x, float y, float width, float height) {
  return kBandNear < x && x < width - kBandFar && kBandNear < y && y < height - kBandFar;
}

std::int64_t NudgeStep(std::int16_t previous, std::int16_t value, std::int32_t step) {
  return previous < value ? step : -std::int64_t{step};
}

void DragProjection::Move(const std::function<void()>& project) {
  if (running_) {
    pending_ = true;
    return;
  }
  FlagScope running(running_);
  do {
    winplat::DoEvents();
    pending_ = false;
    project();
  } while (pending_);
}

void BeginSketchFrame(Engine& engine) {
  ProgramState& s = engine.State;
  s.CurrentColor = DeviceWhite(engine);
  s.AssemblyPoints.assign(1, PointStruct{});
  s.PointCount = 0;
}

void ShowSketchFrame(Engine& engine, const std::string& name, int displays) {
  std::int32_t frame = SketchFrame;
  if (engine.State.PointCount > 0) {
    std::int32_t unfiltered = 0;
    SendFrame(engine, unfiltered);
    DensifyFramePoints(engine);
    std::string frameName = name;
    WriteFrameToBoard(engine, frame, frameName);
  } else {
    engine.Vx.MergeFrames(0, 0, frame);
  }
  for (int n = 0; n < displays; ++n) {
    engine.Vx.DisplayFrame(frame);
    engine.Vx.DisplayUpdate();
  }
}

std::string GridFileSaveFailure(Engine& engine, winplat::SpreadGrid& grid, const std::string& fileName) {
  if (grid.SaveToFile(engine.State.ProgramDir + fileName, false)) return {};
  return "\"" + fileName + "\" not saved: " + grid.LastError();
}

bool SaveGridFile(Engine& engine, winplat::SpreadGrid& grid, const std::string& fileName) {
  const std::string failure = GridFileSaveFailure(engine, grid, fileName);
  if (!failure.empty()) engine.Console.SetMsg(failure);
  return failure.empty();
}

}  // namespace fieldray::console
