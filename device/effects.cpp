// Effects: transitions of up to eight parts, written in order of start time
// as board ticks and read back into the caller's eight transitions.
#include <cmath>

#include "library_state.h"
#include "timeline_wire.h"
#include "transport.h"

using namespace vexlib;

namespace {

constexpr double kTicksPerSecond = 2.56;
constexpr float kStartBound = 32000.0f;

bool TransitionInUse(const Transition& t) {
  if (t.StartTime != 0.0f || t.EndTime != 0.0f || t.Flag0 || t.Flag14) return true;
  for (const TransitionPart& part : t.Parts) {
    if (part.Kind != 0) return true;
  }
  return false;
}

// A tick count held to the 16 bits the wire carries; a clamp is logged.
std::uint16_t Ticks(double ticks) {
  double t = std::trunc(ticks);
  if (std::isnan(t)) t = 0;
  if (t < 0 || t > 65535) {
    double held = t < 0 ? 0 : 65535;
    LogOther("WriteEffect ticks %li held to %li", static_cast<long>(std::fmax(std::fmin(t, 2e9), -2e9)),
             static_cast<long>(held));
    t = held;
  }
  return static_cast<std::uint16_t>(t);
}

std::int32_t PartCoordinate(float value, std::int16_t kind) {
  return ScaleToBoard(value, PartFactor(kind));
}

float CoordinateFromBoard(std::int32_t value, std::int16_t kind) {
  return static_cast<float>(static_cast<double>(value) / PartFactor(kind));
}

}  // namespace

namespace vexlib {

std::int32_t WriteEffectLocked(TimelineGroup* header, Transition* transitions) {
  header->Type = 1;
  std::int16_t inUse = 0;
  std::int16_t partTotal = 0;
  for (std::int16_t i = 1; i < VX_TRANSITION_SLOTS; ++i) {
    Transition& t = transitions[i];
    std::int16_t parts = 0;
    for (const TransitionPart& part : t.Parts) {
      if (part.Kind != 0) ++parts;
    }
    t.NumParts = parts;
    if (TransitionInUse(t)) {
      t.OrderKey = i;
      ++inUse;
      partTotal = static_cast<std::int16_t>(partTotal + parts);
    } else {
      t.OrderKey = 0;
    }
  }
  header->NumTransitions = inUse;

  std::int32_t status = 0;
  {
    CommandScope command(141);
    PutGroupKey(command, *header);
    std::uint16_t flags = 0;
    if (header->Flag0) flags |= 0x0001;
    flags = static_cast<std::uint16_t>(flags | ((header->Mode & 3) << 1));
    if (header->Flag14) flags |= 0x4000;
    command.PutShort(static_cast<std::int16_t>(flags));
    command.PutShort(header->NumTransitions);
    command.PutShort(partTotal);
    command.PutLong(header->EndTime);
    command.PutBytes(header->Name, sizeof header->Name);
    command.PutBytes(header->Text2, sizeof header->Text2);
    command.PutBytes(header->Text3, sizeof header->Text3);
    status = command.Send();
  }
  std::int32_t running = 1;
  while (status == 0) {
    int best = 0;
    float bestStart = kStartBound;
    for (int i = 1; i < VX_TRANSITION_SLOTS; ++i) {
      if (transitions[i].OrderKey > 0 && transitions[i].StartTime < bestStart) {
        best = i;
        bestStart = transitions[i].StartTime;
      }
    }
    if (best == 0) break;
    Transition& t = transitions[best];
    {
      CommandScope command(137);
      PutGroupKey(command, *header);
      command.PutLong(running);
      double start = static_cast<double>(t.StartTime) * kTicksPerSecond;
      double end = static_cast<double>(t.EndTime) * kTicksPerSecond;
      command.PutShort(static_cast<std::int16_t>(Ticks(start)));
      command.PutShort(static_cast<std::int16_t>(Ticks(end - start)));
      std::uint16_t flags = 0;
      if (t.Flag0) flags |= 0x0001;
      if (t.Flag14) flags |= 0x4000;
      command.PutShort(static_cast<std::int16_t>(flags));
      command.PutShort(t.NumParts);
      command.PutShort(t.OrderKey);
      status = command.Send();
    }
    std::int32_t partNumber = 1;
    for (std::int16_t slot = 1; slot <= VX_TRANSITION_PARTS && status == 0; ++slot) {
      const TransitionPart& part = t.Parts[slot - 1];
      if (part.Kind == 0) continue;
      CommandScope command(136);
      PutGroupKey(command, *header);
      command.PutLong(running);
      command.PutLong(partNumber++);
      command.PutShort(part.Kind);
      std::uint16_t flags = 0;
      if (part.Flag0) flags |= 0x01;
      if (part.Flag1) flags |= 0x02;
      if (part.Flag2) flags |= 0x04;
      if (part.Flag3) flags |= 0x08;
      flags = static_cast<std::uint16_t>(flags | ((part.Mode & 7) << 5));
      command.PutShort(static_cast<std::int16_t>(flags));
      command.PutShort(part.Value26);
      command.PutShort(part.Value28);
      command.PutShort(slot);
      command.PutLong(PartCoordinate(part.X, part.Kind));
      command.PutLong(PartCoordinate(part.Y, part.Kind));
      command.PutLong(PartCoordinate(part.Z, part.Kind));
      status = command.Send();
    }
    t.OrderKey = static_cast<std::int16_t>(-t.OrderKey);
    ++running;
  }
  for (int i = 1; i < VX_TRANSITION_SLOTS; ++i) {
    if (transitions[i].OrderKey < 0) transitions[i].OrderKey = static_cast<std::int16_t>(-transitions[i].OrderKey);
  }
  LowMemoryBoxAfterWrite(status);
  return status;
}

std::int32_t ReadTransitionsLocked(TimelineGroup* header, Transition* transitions) {
  for (int i = 1; i < VX_TRANSITION_SLOTS; ++i) {
    Transition& t = transitions[i];
    t.StartTime = 0;
    t.EndTime = 0;
    t.Flag0 = 0;
    t.Flag14 = 0;
    t.NumParts = 0;
    t.OrderKey = 0;
    for (TransitionPart& part : t.Parts) {
      part = TransitionPart{};
      part.Value26 = 1;
    }
  }
  std::int32_t status = 0;
  std::int32_t count = 0;
  {
    CommandScope command(133);
    PutGroupKey(command, *header);
    status = SendToFirstBoard(command);
    count = GetShortReply(18);
  }
  if (count > VX_TRANSITION_SLOTS - 1) count = VX_TRANSITION_SLOTS - 1;
  for (std::int32_t h = 1; h <= count && status == 0; ++h) {
    std::int32_t partCount = 0;
    Transition* t = nullptr;
    {
      CommandScope command(129);
      PutGroupKey(command, *header);
      command.PutLong(h);
      status = SendToFirstBoard(command);
      if (status != 0) break;
      std::int16_t slot = GetShortReply(16);
      if (slot < 1 || slot >= VX_TRANSITION_SLOTS) continue;  // not a slot of the caller's array
      t = &transitions[slot];
      double startTicks = static_cast<std::uint16_t>(GetShortReply(8));
      double lengthTicks = static_cast<std::uint16_t>(GetShortReply(10));
      t->StartTime = static_cast<float>(startTicks / kTicksPerSecond);
      t->EndTime = static_cast<float>(static_cast<double>(t->StartTime) + lengthTicks / kTicksPerSecond);
      auto flags = static_cast<std::uint16_t>(GetShortReply(12));
      if (flags & 0x0001) {
        t->Flag0 = -1;
        if (flags & 0x4000) header->BoardFlag6 = -1;
      }
      if (flags & 0x4000) t->Flag14 = -1;
      partCount = GetShortReply(14);
      if (partCount < 0) partCount = 0;
      if (partCount > VX_TRANSITION_PARTS) partCount = VX_TRANSITION_PARTS;
      t->NumParts = static_cast<std::int16_t>(partCount);
      t->OrderKey = slot;
    }
    for (std::int32_t j = 1; j <= partCount && status == 0; ++j) {
      CommandScope command(128);
      PutGroupKey(command, *header);
      command.PutLong(h);
      command.PutLong(j);
      status = SendToFirstBoard(command);
      if (status != 0) break;
      std::int16_t slot = GetShortReply(16);
      if (slot < 1 || slot > VX_TRANSITION_PARTS) continue;
      TransitionPart& part = t->Parts[slot - 1];
      part.Kind = GetShortReply(8);
      std::uint8_t bits = ReplyByte(11);
      part.Flag0 = (bits & 0x01) ? 1 : 0;
      if ((bits & 0x01) && t->EndTime != t->StartTime) header->BoardFlag7 = -1;
      part.Flag1 = (bits & 0x02) ? -1 : 0;
      part.Flag2 = (bits & 0x04) ? -1 : 0;
      part.Flag3 = (bits & 0x08) ? -1 : 0;
      part.Mode = static_cast<std::uint8_t>((bits >> 5) & 7);
      part.Value26 = GetShortReply(12);
      part.Value28 = GetShortReply(14);
      part.X = CoordinateFromBoard(GetLongReply(18), part.Kind);
      part.Y = CoordinateFromBoard(GetLongReply(22), part.Kind);
      part.Z = CoordinateFromBoard(GetLongReply(26), part.Kind);
    }
  }
  return status;
}

}  // namespace vexlib

extern "C" {

std::int32_t WriteEffect(TimelineGroup* header, Transition* transitions) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!header || !transitions) return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  header->Type = 1;
  LogExport("WriteEffect %li %i ", static_cast<long>(header->KeyLong), header->Number);
  return frame.Finish(WriteEffectLocked(header, transitions));
}

std::int32_t ReadTransitions(TimelineGroup* header, Transition* transitions) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!header || !transitions) return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  LogExport("ReadTransitions %i %i", header->Number, header->Type);
  return frame.Finish(ReadTransitionsLocked(header, transitions));
}

}  // extern "C"
