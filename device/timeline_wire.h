#pragma once
// Shared pieces of the timeline exports: the group key on the wire, the
// low-memory box and byte access to the reply.
#include <cstdint>

#include "export_frame.h"
#include "vexlib/vexlib.h"

namespace vexlib {

// The group key as the first 8 operand bytes of every group command.
inline void PutGroupKey(CommandScope& command, const TimelineGroup& header) {
  command.PutLong(header.KeyLong);
  command.PutShort(header.Type);
  command.PutShort(header.Number);
}

std::uint8_t ReplyByte(std::int32_t offset);
// Sends the staged command to the first working board only; the transport
// result (the board error code, else the command result).
std::int32_t SendToFirstBoard(CommandScope& command);
// Shows the low-memory box after a failed write that answered -702.
void LowMemoryBoxAfterWrite(std::int32_t status);

// The factor of a transition part's coordinates on the wire; 1 for kinds sent as they are.
double PartFactor(std::int16_t kind);

std::int32_t ReadTLGStructLocked(TimelineGroup* header);
std::int32_t ReadTransitionsLocked(TimelineGroup* header, Transition* transitions);
std::int32_t WriteEffectLocked(TimelineGroup* header, Transition* transitions);

}  // namespace vexlib
