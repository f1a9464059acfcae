#include "engine/pick_message.h"

#include <vector>

#include "engine/point_list.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

namespace {

void Join(std::string& line, const std::string& part) {
  if (part.empty()) return;
  if (!line.empty()) line += "; ";
  line += part;
}

// Frames not stored for one reason in one text: "Frame 14 not written (317
// points): WHY", "Frames 1 (234 points), 14 (317) not written: WHY".
std::string FrameFailuresText(const std::vector<ProgramState::PickMessage::FrameFailure>& failures) {
  std::string text;
  std::vector<bool> told(failures.size(), false);
  for (std::size_t i = 0; i < failures.size(); ++i) {
    if (told[i]) continue;
    const auto& first = failures[i];
    if (first.Frame == 0) {
      Join(text, first.Why);
      continue;
    }
    std::string frames;
    std::size_t count = 0;
    for (std::size_t j = i; j < failures.size(); ++j) {
      if (told[j] || failures[j].Frame == 0 || failures[j].Why != first.Why) continue;
      told[j] = true;
      if (count++ > 0) frames += ", ";
      frames += winplat::CStr(failures[j].Frame) + " (" + winplat::CStr(failures[j].Points) +
                (count == 1 ? " points)" : ")");
    }
    if (count == 1)
      Join(text, "Frame " + winplat::CStr(first.Frame) + " not written (" + winplat::CStr(first.Points) +
                     " points): " + first.Why);
    else
      Join(text, "Frames " + frames + " not written: " + first.Why);
  }
  return text;
}

std::string CaptionHeldText(std::int32_t held) {
  return "caption: " + winplat::CStr(held) + " point(s) held at the field's edge";
}

}  // namespace

std::string ComposePickLine(const ProgramState::PickMessage& pick) {
  std::string line = pick.Head;
  Join(line, pick.Reason);
  Join(line, pick.IntakeNotes);
  Join(line, pick.ReadNotes);
  Join(line, pick.RefusedFrames);
  Join(line, FrameFailuresText(pick.FrameFailures));
  // The hint would blame the options for what the board could not store.
  if (pick.RefusedFrames.empty() && pick.FrameFailures.empty()) Join(line, pick.SwitchHint);
  if (pick.DrawingHeld > 0)
    Join(line, winplat::CStr(pick.DrawingHeld) + " point(s) beyond the projection range held at its edge.");
  if (pick.CaptionHeld > 0) Join(line, CaptionHeldText(pick.CaptionHeld));
  Join(line, pick.CaptionFailure);
  if (line.size() > MaxPickLine) line = line.substr(0, MaxPickLine - 3) + "...";
  return line;
}

void ShowPickLine(Engine& engine) {
  ProgramState::PickMessage& pick = engine.State.Pick;
  pick.Shown = ComposePickLine(pick);
  if (engine.Console.Msg() != pick.Shown) engine.Console.SetMsg(pick.Shown);
}

bool PickLineShown(Engine& engine) {
  const ProgramState::PickMessage& pick = engine.State.Pick;
  return pick.Open || (!pick.Shown.empty() && engine.Console.Msg() == pick.Shown);
}

PickScope::PickScope(Engine& engine, const std::string& head) : engine_(engine) {
  ProgramState::PickMessage& pick = engine.State.Pick;
  if (pick.Open) return;
  // The intake's notes are set for the open it makes; everything else is new.
  ProgramState::PickMessage fresh;
  fresh.IntakeNotes = pick.NextIntakeNotes;
  fresh.NextIntakeNotes = std::move(pick.NextIntakeNotes);
  fresh.Head = head;
  fresh.Open = true;
  pick = std::move(fresh);
  opened_ = true;
  // A pick always shows its line anew, even where Msg reads the same.
  pick.Shown = ComposePickLine(pick);
  engine.Console.SetMsg(pick.Shown);
}

PickScope::~PickScope() {
  if (opened_) engine_.State.Pick.Open = false;
}

void SetPickHead(Engine& engine, const std::string& head) {
  engine.State.Pick.Head = head;
  ShowPickLine(engine);
}

void SetPickPart(Engine& engine, PickPart part, const std::string& text) {
  ProgramState::PickMessage& pick = engine.State.Pick;
  switch (part) {
    case PickPart::Reason:
      pick.Reason = text;
      break;
    case PickPart::ReadNotes:
      pick.ReadNotes = text;
      break;
    case PickPart::SwitchHint:
      pick.SwitchHint = text;
      break;
    case PickPart::FramesNotBuilt:
      pick.FrameFailures.push_back({0, 0, text});
      break;
  }
  ShowPickLine(engine);
}

void NoteCaption(Engine& engine, std::int32_t held, const std::string& failure) {
  if (PickLineShown(engine)) {
    ProgramState::PickMessage& pick = engine.State.Pick;
    // A caption built anew replaces what the one before it noted.
    pick.CaptionHeld = held;
    pick.CaptionFailure = failure;
    ShowPickLine(engine);
    return;
  }
  if (!failure.empty())
    SetMsgKeepingFrameFailure(engine, failure);
  else if (held > 0)
    SetMsgKeepingFrameFailure(engine, CaptionHeldText(held));
}

}  // namespace fieldray::engine
