// Timeline groups and scenes: headers and items between the caller's records
// and the board, the write order by start time, beats and live keys.
#include <cstring>
#include <vector>

#include "library_state.h"
#include "timeline_wire.h"
#include "transport.h"
#include "winplat/msgbox.h"

using namespace vexlib;

namespace vexlib {

std::uint8_t ReplyByte(std::int32_t offset) {
  const auto& bytes = Lib().reply.bytes;
  if (offset < 0 || static_cast<std::size_t>(offset) >= bytes.size()) return 0;
  return bytes[static_cast<std::size_t>(offset)];
}

std::int32_t SendToFirstBoard(CommandScope&) {
  SelectFirstWorkingBoard();
  std::int32_t status = SendBoardCommand();
  RestoreWorkingBoards();
  return status;
}

void LowMemoryBoxAfterWrite(std::int32_t status) {
  if (status != VX_LOW_MEMORY) return;
  winplat::MessageBox(0,
                      "The TB board has detected a low memory condition.\nSave your work immediately to avoid "
                      "loss.",
                      "TB32:Diagnostics",
                      winplat::MB_OK | winplat::MB_ICONEXCLAMATION | winplat::MB_TASKMODAL | winplat::MB_SETFOREGROUND);
}

double PartFactor(std::int16_t kind) {
  if (kind >= 6 && kind <= 11) return 163.83;
  if (kind == 12 || kind == 14 || kind == 20) return 1.0;
  return 163.84;
}

std::int32_t ReadTLGStructLocked(TimelineGroup* header) {
  header->Flag0 = 0;
  header->Flag14 = 0;
  header->BoardFlag6 = 0;
  header->BoardFlag7 = 0;
  CommandScope command(133);
  PutGroupKey(command, *header);
  std::int32_t status = SendToFirstBoard(command);
  if (status != 0) {
    header->Number = 0;
    header->Type = 0;
    header->KeyLong = 0;
    header->numTimelineEvents = 0;
    header->Mode = 0;
    header->EndTime = 0;
    std::memset(header->Text3, ' ', sizeof header->Text3);
    std::memset(header->Name, ' ', sizeof header->Name);
    std::memset(header->Text2, ' ', sizeof header->Text2);
    return status;
  }
  header->KeyLong = GetLongReply(8);
  header->Type = GetShortReply(12);
  header->Number = GetShortReply(14);
  auto flags = static_cast<std::uint16_t>(GetShortReply(16));
  header->Flag0 = (flags & 0x0001) ? -1 : 0;
  header->Mode = static_cast<std::int16_t>((flags >> 1) & 3);
  header->BoardFlag6 = (flags & 0x0040) ? -1 : 0;
  header->BoardFlag7 = (flags & 0x0080) ? -1 : 0;
  header->Flag14 = (flags & 0x4000) ? -1 : 0;
  header->numTimelineEvents = GetShortReply(18);
  header->EndTime = GetLongReply(22);
  for (std::int32_t i = 0; i < 50; ++i) header->Name[i] = static_cast<char>(ReplyByte(26 + i));
  for (std::int32_t i = 0; i < 256; ++i) header->Text2[i] = static_cast<char>(ReplyByte(76 + i));
  for (std::int32_t i = 0; i < 24; ++i) header->Text3[i] = static_cast<char>(ReplyByte(332 + i));
  return status;
}

}  // namespace vexlib

namespace {

// The item layout a group type calls for.
enum class Layout { Transitions, LaserEvents, TimelineEvents };
Layout LayoutOf(std::int16_t type) {
  if (type == 1) return Layout::Transitions;
  if (type == 2) return Layout::LaserEvents;
  return Layout::TimelineEvents;
}

// The header fields of command 141 after the key (340 bytes).
void PutHeaderBody(CommandScope& command, const TimelineGroup& header, std::int16_t partTotal) {
  std::uint16_t flags = 0;
  if (header.Flag0) flags |= 0x0001;
  flags = static_cast<std::uint16_t>(flags | ((header.Mode & 3) << 1));
  if (header.Flag14) flags |= 0x4000;
  command.PutShort(static_cast<std::int16_t>(flags));
  command.PutShort(header.numTimelineEvents);
  command.PutShort(partTotal);
  command.PutLong(header.EndTime);
  command.PutBytes(header.Name, sizeof header.Name);
  command.PutBytes(header.Text2, sizeof header.Text2);
  command.PutBytes(header.Text3, sizeof header.Text3);
}

// Reads the events of a timeline group (64 slots) or a scene (450 slots).
std::int32_t ReadItems(TimelineGroup* header, TimelineEvent* events, bool scene) {
  const std::int32_t slots = scene ? VX_LASER_EVENT_SLOTS - 1 : VX_TIMELINE_EVENT_SLOTS - 1;
  for (std::int32_t i = 1; i <= slots; ++i) {
    events[i] = TimelineEvent{};
    events[i].Value32 = 1;
  }
  std::int32_t status = 0;
  std::int32_t n = 0;
  {
    CommandScope command(133);
    PutGroupKey(command, *header);
    status = SendToFirstBoard(command);
    n = GetShortReply(18);
  }
  if (n > slots) n = slots;  // the caller's array holds no more
  for (std::int32_t i = 1; i <= n && status == 0; ++i) {
    CommandScope command(scene ? 131 : 134);
    PutGroupKey(command, *header);
    command.PutLong(i);
    status = SendToFirstBoard(command);
    if (status != 0) {
      if (!scene) LogOther("ReadTimelineEvents TB32Error = %li", static_cast<long>(status));
      break;
    }
    TimelineEvent& e = events[i];
    e.KeyLong = GetLongReply(8);
    e.Type = GetShortReply(12);
    e.Number = GetShortReply(14);
    e.StartTime = GetLongReply(16);
    e.EndTime = static_cast<std::int32_t>(static_cast<std::uint32_t>(e.StartTime) +
                                          static_cast<std::uint32_t>(GetLongReply(20)));
    e.Track = GetShortReply(24);
    e.Flag = (static_cast<std::uint16_t>(GetShortReply(26)) & 0x4000) ? -1 : 0;
    if (scene) {
      e.Value20 = GetShortReply(28);
      e.Value22 = GetShortReply(30);
      e.Value24 = GetShortReply(32);
      e.Value28 = GetLongReply(34);
      e.Value32 = GetShortReply(38);
      e.Value34 = GetShortReply(40);
    } else {
      events[0].KeyLong = e.KeyLong;
    }
  }
  return status;
}

// True when a comes before b in a scene's write order.
bool SceneBefore(const TimelineEvent& a, const TimelineEvent& b) {
  if (a.StartTime != b.StartTime) return a.StartTime < b.StartTime;
  if (a.EndTime != b.EndTime) return a.EndTime < b.EndTime;
  if (a.Track != b.Track) return a.Track < b.Track;
  return a.Value24 < b.Value24;
}

constexpr std::int32_t kStartBound = 2100000000;

// Writes a timeline group (type 4 or 8) or a scene.
std::int32_t WriteItems(TimelineGroup* header, TimelineEvent* events, bool scene) {
  const std::int32_t slots = scene ? VX_LASER_EVENT_SLOTS - 1 : VX_TIMELINE_EVENT_SLOTS - 1;
  std::int32_t count = 0;
  std::int32_t latest = 0;
  bool any = false;
  for (std::int32_t i = 1; i <= slots; ++i) {
    if (events[i].Track <= 0) continue;
    ++count;
    if (!any || events[i].EndTime > latest) latest = events[i].EndTime;
    any = true;
  }
  header->EndTime = latest;
  if (!scene) LogOther("WriteTimelineGroup: NumTimelineEvents=%i", count);
  // Events at or past the start bound are never sent; the count says what is.
  std::int32_t sendable = 0;
  for (std::int32_t i = 1; i <= slots; ++i) {
    if (events[i].Track > 0 && events[i].StartTime < kStartBound) ++sendable;
  }
  header->numTimelineEvents = static_cast<std::int16_t>(sendable);

  std::int32_t status = 0;
  {
    CommandScope command(141);
    PutGroupKey(command, *header);
    PutHeaderBody(command, *header, 0);
    status = command.Send();
  }
  // Slots are marked sent by negating their track; only those marks are taken
  // back afterwards, so a caller's own negative tracks keep their sign.
  std::vector<std::int32_t> marked;
  std::int32_t running = 1;
  while (status == 0) {
    std::int32_t best = 0;
    for (std::int32_t i = 1; i <= slots; ++i) {
      const TimelineEvent& e = events[i];
      if (e.Track <= 0 || e.StartTime >= kStartBound) continue;
      if (best == 0 || (scene ? SceneBefore(e, events[best]) : e.StartTime < events[best].StartTime)) best = i;
    }
    if (best == 0) break;
    TimelineEvent& e = events[best];
    CommandScope command(scene ? 139 : 142);
    PutGroupKey(command, *header);
    command.PutLong(running);
    command.PutLong(e.KeyLong);
    command.PutShort(e.Type);
    command.PutShort(e.Number);
    command.PutLong(e.StartTime);
    command.PutLong(static_cast<std::int32_t>(static_cast<std::uint32_t>(e.EndTime) -
                                              static_cast<std::uint32_t>(e.StartTime)));
    command.PutShort(e.Track);
    command.PutShort(static_cast<std::int16_t>(e.Flag ? 0x4000 : 0));
    if (scene) {
      command.PutShort(e.Value20);
      command.PutShort(e.Value22);
      command.PutShort(e.Value24);
      command.PutLong(e.Value28);
      command.PutShort(e.Value32);
      command.PutShort(e.Value34);
    }
    status = command.Send();
    e.Track = static_cast<std::int16_t>(-e.Track);
    marked.push_back(best);
    ++running;
  }
  for (std::int32_t i : marked) events[i].Track = static_cast<std::int16_t>(-events[i].Track);
  LowMemoryBoxAfterWrite(status);
  return status;
}

}  // namespace

extern "C" {

std::int32_t ReadTLGStruct(TimelineGroup* header) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!header) return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  LogExport("ReadTLGStruct %i %i", header->Number, header->Type);
  return frame.Finish(ReadTLGStructLocked(header));
}

std::int32_t ReadTimelineEvents(TimelineGroup* header, TimelineEvent* events) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!header || !events) return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  LogExport("ReadTimelineEvents %i %i", header->Number, header->Type);
  return frame.Finish(ReadItems(header, events, false));
}

std::int32_t ReadSEFs(TimelineGroup* header, LaserEvent* events) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!header || !events) return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  LogExport("ReadSEFs %li %i", static_cast<long>(header->KeyLong), header->Number);
  return frame.Finish(ReadItems(header, events, true));
}

std::int32_t ReadTimelineGroup(TimelineGroup* header, void* items) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!header || !items) return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  const std::int16_t callerType = header->Type;
  std::int32_t status = ReadTLGStructLocked(header);
  if (status == 0 && LayoutOf(header->Type) != LayoutOf(callerType)) {
    // The board's group holds another kind of item than the caller's array.
    return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  }
  switch (LayoutOf(callerType)) {
    case Layout::Transitions:
      status = ReadTransitionsLocked(header, static_cast<Transition*>(items));
      break;
    case Layout::LaserEvents:
      status = ReadItems(header, static_cast<TimelineEvent*>(items), true);
      break;
    case Layout::TimelineEvents:
      status = ReadItems(header, static_cast<TimelineEvent*>(items), false);
      break;
  }
  return frame.Finish(status);
}

std::int32_t WriteTLG(TimelineGroup* header, TimelineEvent* events) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!header || !events) return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  LogExport("WriteTimelineGroup %i %i ", header->Number, header->Type);
  return frame.Finish(WriteItems(header, events, false));
}

std::int32_t WriteScene(TimelineGroup* header, LaserEvent* events) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!header || !events) return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  header->Type = 2;
  LogExport("WriteScene %i %i ", header->Number, header->Type);
  return frame.Finish(WriteItems(header, events, true));
}

std::int32_t WriteTimelineGroup(TimelineGroup* header, void* items) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!header || !items) return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  switch (header->Type) {
    case 1:
      LogExport("WriteEffect %li %i ", static_cast<long>(header->KeyLong), header->Number);
      return frame.Finish(WriteEffectLocked(header, static_cast<Transition*>(items)));
    case 2:
      LogExport("WriteScene %i %i ", header->Number, header->Type);
      return frame.Finish(WriteItems(header, static_cast<TimelineEvent*>(items), true));
    case 4:
    case 8:
      LogExport("WriteTimelineGroup %i %i ", header->Number, header->Type);
      return frame.Finish(WriteItems(header, static_cast<TimelineEvent*>(items), false));
    default:
      return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  }
}

std::int32_t ReadTimelineBeat(TimelineBeat* beat) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!beat) return frame.Finish(VX_UNKNOWN_GROUP_TYPE);
  beat->Type = 16;
  LogExport("ReadTimelineBeat %li %i ", static_cast<long>(beat->KeyLong), beat->Number);
  CommandScope command(132);
  command.PutLong(beat->KeyLong);
  command.PutShort(beat->Type);
  command.PutShort(beat->Number);
  command.PutLong(beat->Value8);
  command.PutLong(beat->Value12);
  command.PutLong(beat->Value16);
  std::int32_t status = SendToFirstBoard(command);
  beat->Value8 = GetLongReply(8);
  beat->Value12 = GetLongReply(12);
  beat->Value16 = GetLongReply(16);
  for (std::int32_t i = 0; i < 8; ++i) beat->Bytes20[i] = ReplyByte(20 + i);
  return frame.Finish(status);
}

std::int32_t WriteTimelineBeat(TimelineBeat* beat) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (!beat) return VX_UNKNOWN_GROUP_TYPE;
  beat->Type = 16;
  LogExport("WriteTimelineBeat %li %i ", static_cast<long>(beat->KeyLong), beat->Number);
  CommandScope command(140);
  command.PutLong(beat->KeyLong);
  command.PutShort(beat->Type);
  command.PutShort(beat->Number);
  command.PutLong(beat->Value8);
  command.PutLong(beat->Value12);
  command.PutLong(beat->Value16);
  command.PutBytes(beat->Bytes20, sizeof beat->Bytes20);
  std::int32_t status = command.Send();
  Lib().lastStatus = status;  // not sticky
  return status;
}

std::int32_t ReadLiveKey(std::int32_t a, std::int32_t b, void* data) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ReadLiveKey %li %li ", static_cast<long>(a), static_cast<long>(b));
  CommandScope command(130);
  command.PutLong(a);
  command.PutLong(b);
  std::int32_t status = SendToFirstBoard(command);
  if (status == 0 && data) {
    auto* out = static_cast<std::uint8_t*>(data);
    for (std::int32_t i = 0; i < VX_LIVE_KEY_BYTES; ++i) out[i] = ReplyByte(8 + i);
  }
  return frame.Finish(status);
}

std::int32_t WriteLiveKey(std::int32_t a, std::int32_t b, const void* data) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("WriteLiveKey %li %li ", static_cast<long>(a), static_cast<long>(b));
  std::uint8_t bytes[VX_LIVE_KEY_BYTES] = {};
  if (data) std::memcpy(bytes, data, sizeof bytes);
  CommandScope command(135);
  command.PutLong(a);
  command.PutLong(b);
  command.PutBytes(bytes, sizeof bytes);
  std::int32_t status = command.Send();
  Lib().lastStatus = status;  // not sticky
  return status;
}

}  // extern "C"
