#include "engine/point_list.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine/pick_message.h"
#include "engine/projection_output.h"
#include "engine/status_reporter.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

namespace {

// 5 x in board units, held at the board's range; `held` is set when it had to be.
std::int32_t BoardUnits(std::int32_t drawing, bool& held) {
  std::int64_t v = static_cast<std::int64_t>(drawing) * 5;
  if (v > BoardCoordinateLimit) {
    held = true;
    return BoardCoordinateLimit;
  }
  if (v < -BoardCoordinateLimit) {
    held = true;
    return -BoardCoordinateLimit;
  }
  return static_cast<std::int32_t>(v);
}

// "Frames 1 (9902 points), 2 (more than 32767) not written: the board holds 6000 points a frame".
std::string RefusedFramesText(const std::vector<std::pair<std::int32_t, std::int32_t>>& refused) {
  std::string text = refused.size() == 1 ? "Frame " : "Frames ";
  for (std::size_t i = 0; i < refused.size(); ++i) {
    if (i > 0) text += ", ";
    // A frame cut at the assembly's cap had more points than it counts.
    const std::string count = refused[i].second >= MaxAssemblyPoints ? "more than " + std::to_string(MaxAssemblyPoints)
                                                                     : std::to_string(refused[i].second);
    text += std::to_string(refused[i].first) + " (" + count + (i == 0 ? " points)" : ")");
  }
  return text + " not written: the board holds " + std::to_string(VX_DEFAULT_MAX_FRAME_POINTS) + " points a frame";
}

}  // namespace

void AddPoint(Engine& engine, const PointStruct& point, const std::int32_t holdCount) {
  ProgramState& s = engine.State;
  if (s.PointCount >= MaxAssemblyPoints || holdCount < 1) return;
  bool held = false;
  PointStruct stored = point;
  stored.X = BoardUnits(point.X, held);
  stored.Y = -BoardUnits(point.Y, held);
  for (std::int32_t n = 0; n < holdCount && s.PointCount < MaxAssemblyPoints; ++n) {
    ++s.PointCount;
    s.AssemblyPoints.resize(static_cast<std::size_t>(s.PointCount) + 1);
    s.AssemblyPoints[static_cast<std::size_t>(s.PointCount)] = stored;
  }
  if (held) ++s.SaturatedPoints;
}

void WriteFrameToBoard(Engine& engine, const std::int32_t frame, const std::string& name) {
  ProgramState& s = engine.State;
  engine.Vx.SetWorkingFrame(frame);
  engine.Vx.DeleteFrames(frame, frame);

  FrameStruct header{};
  std::memset(header.Name, ' ', sizeof header.Name);
  std::memcpy(header.Name, name.data(), std::min(name.size(), sizeof header.Name));
  header.NumPoints = static_cast<std::int32_t>(s.FrameBuffer.size()) - 1;

  std::string failure, why;
  auto& refused = s.RefusedFrames;
  std::erase_if(refused, [&](const auto& r) { return r.first == frame; });
  if (header.NumPoints > VX_DEFAULT_MAX_FRAME_POINTS) {
    // More than the board holds: nothing is sent, so the board raises no fault.
    refused.emplace_back(frame, header.NumPoints);
    failure = RefusedFramesText(refused);
  } else if (header.NumPoints > 0) {
    std::int32_t status = engine.Vx.WriteFrame(&header, &s.FrameBuffer[1]);
    if (status != 0) {
      // A store the board could not write says why in the file texts the status reporter has.
      const auto known = status <= -401 && status >= -407 ? StatusReportFor(status) : std::nullopt;
      why = known ? known->text : "VX status/error number " + winplat::CStr(status) + ".";
      failure = "Frame" + winplat::Str(frame) + " not written (" + winplat::CStr(header.NumPoints) + " points): " + why;
    }
  }
  const std::int32_t held = std::exchange(s.SaturatedPoints, 0);
  ProgramState::PickMessage& pick = s.Pick;
  if (pick.Open) {
    // The pick's line names every frame of it that was not written.
    pick.RefusedFrames = refused.empty() ? std::string() : RefusedFramesText(refused);
    std::erase_if(pick.FrameFailures, [&](const auto& f) { return f.Frame == frame; });
    if (!why.empty()) pick.FrameFailures.push_back({frame, header.NumPoints, why});
    pick.DrawingHeld += held;
    ShowPickLine(engine);
  } else {
    std::string report = failure;
    if (held > 0) {
      // The note follows the job's path, or the failure before it.
      if (!report.empty()) report += " ";
      else if (!s.JobPath.empty()) report = s.JobPath + ": ";
      report += winplat::CStr(held) + " point(s) beyond the projection range held at its edge.";
    }
    if (!report.empty()) {
      // The caption's frame follows the job's frames: a failure of theirs stays in Msg.
      if (frame == CaptionFrameNumber) SetMsgKeepingFrameFailure(engine, report);
      else engine.Console.SetMsg(report);
      if (!failure.empty()) s.FrameFailureMsg = report;
    }
  }

  s.FrameBuffer.assign(1, PointStruct{});
  s.PointCount = 0;
}

void SetMsgKeepingFrameFailure(Engine& engine, const std::string& text) {
  const std::string& failure = engine.State.FrameFailureMsg;
  const std::string shown = engine.Console.Msg();
  if (failure.empty() || shown.find(failure) == std::string::npos || text.find(failure) != std::string::npos) {
    engine.Console.SetMsg(text);
    return;
  }
  // The failure and the latest text only: a later text replaces an earlier one.
  const std::string kept = failure + "; " + text;
  if (shown != kept) engine.Console.SetMsg(kept);
}

void ClearMsgIf(Engine& engine, const std::string& text) {
  if (!text.empty() && engine.Console.Msg() == text) engine.Console.SetMsg("");
}

std::int32_t GetWorkingFrameNumber(Engine& engine) {
  std::int32_t frame = 0;
  engine.Vx.GetWorkingFrame(&frame);
  return frame;
}

std::int32_t PointsOnBoard(Engine& engine, std::int32_t frame) {
  FrameStruct header{};
  return engine.Vx.ReadFrameStruct(frame, &header) == 0 ? header.NumPoints : 0;
}

void ReadWorkingFrame(Engine& engine) {
  ProgramState& s = engine.State;
  std::int32_t frame = GetWorkingFrameNumber(engine);
  FrameStruct header{};
  engine.Vx.ReadFrameStruct(frame, &header);
  // Room for the library's whole frame (6000 points) after element 0.
  constexpr std::int32_t room = 6001;
  s.FrameBuffer.assign(room + 1, PointStruct{});
  if (header.NumPoints > 0) engine.Vx.ReadFrame(&header, &s.FrameBuffer[1]);
  std::int32_t count = std::clamp(header.NumPoints, 0, room);
  s.FrameBuffer.resize(static_cast<std::size_t>(count) + 1);
}

}  // namespace fieldray::engine
