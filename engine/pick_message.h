#pragma once
// The status line of a pick or load: the job's path (or the fixed text the
// import shows in its place) and every note the pick met, in one line built
// from ProgramState::Pick. Texts from elsewhere replace Msg as they always did.
#include <cstdint>
#include <string>

#include "engine/engine.h"

namespace fieldray::engine {

// The longest line Msg is given for a pick; a longer one is cut and ends "...".
constexpr std::size_t MaxPickLine = 400;

// The line for `pick`: its head, then each part there is, joined by "; ".
std::string ComposePickLine(const ProgramState::PickMessage& pick);

// Msg takes the pick's line (when it differs from what Msg shows).
void ShowPickLine(Engine& engine);

// Whether notes belong to the pick's line: a pick is going on, or Msg still
// shows the line the last one left.
bool PickLineShown(Engine& engine);

// A pick or load from here to the end of the scope: a new line headed
// `head`. Within an open pick (a load the open calls) it changes nothing.
class PickScope {
 public:
  PickScope(Engine& engine, const std::string& head);
  ~PickScope();
  PickScope(const PickScope&) = delete;
  PickScope& operator=(const PickScope&) = delete;

 private:
  Engine& engine_;
  bool opened_ = false;
};

// The fixed text the import shows in place of the path (the line's head).
void SetPickHead(Engine& engine, const std::string& head);

// One part of the line: the reader's reason, the read notes, the switch
// hint; or why the frames could not be built, joined to the frame failures.
enum class PickPart { Reason, ReadNotes, SwitchHint, FramesNotBuilt };
void SetPickPart(Engine& engine, PickPart part, const std::string& text);

// The caption just built: its held strokes and why it could not be built
// ("" when it was). Within the pick's line they join it; otherwise the
// text replaces Msg, keeping a frame failure it shows.
void NoteCaption(Engine& engine, std::int32_t held, const std::string& failure);

}  // namespace fieldray::engine
