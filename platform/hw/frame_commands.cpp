// The board software's frame commands: the working frame, frame headers, frame
// transfers in batches, delete, merge, find, copy, undo and conversion.
//
// Choices of this board software where the host only carries values:
// - Coordinates are kept in device units; the working scale maps them on the
//   way in (27/74, 150) and back on the way out (26/73, 149, 81/82).
// - A frame larger than the frame size (the session's frame point limit) is
//   refused with board error 8 (ACCESS ERROR); a frame that does not fit the
//   memory budget with board error -702 (low memory), the old frame staying.
// - Merge: the target holds the first frame's points followed by the second's,
//   with the first frame's header and name; a target may also be a source.
// - Find: names compare without trailing blanks and NULs; the lowest frame
//   number bearing the name wins; a miss answers 0 without an error.
// - Frame flags word: bit 2 flag A, bit 3 flag B, bit 1 with flag A (the
//   points' value 8 is their width for the fast read).
#include <cerrno>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "board_machine.h"
#include "frame_store.h"

namespace winplat::hw::detail {
namespace {

constexpr std::int32_t kFastSpace = 0x200;
constexpr std::int32_t kFastWidths = 0x1000;

int Batch(const BoardContext& board, int isa, int pci) { return board.Family() == BoardFamily::Isa ? isa : pci; }

void PutHeader(const StoredFrame& frame, BoardReply& reply) {
  reply.PutShort(static_cast<std::int16_t>(frame.flags));
  reply.PutShort(static_cast<std::int16_t>(std::min<std::size_t>(frame.points.size(), 32767)));
  reply.PutShort(frame.value);
  reply.data.insert(reply.data.end(), frame.name.begin(), frame.name.end());
}

bool CheckSize(const FrameStore& store, std::int32_t number, std::size_t points, BoardReply& reply) {
  if (points > static_cast<std::size_t>(store.FrameSize())) {
    reply.error = kBoardAccessError;
    return false;
  }
  if (!store.Fits(number, points)) {
    reply.error = kBoardLowMemory;
    return false;
  }
  return true;
}

// Command 30: the working frame.
void SetWorkingFrameCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  FrameStore(board).SetWorkingFrame(command.Long(0));
}

// Command 94: the working frame, as a signed 16-bit value at reply byte 8.
void GetWorkingFrameCommand(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  reply.PutShort(static_cast<std::int16_t>(FrameStore(board).WorkingFrame()));
}

// Command 49: a frame's header.
void ReadHeader(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  PutHeader(FrameStore(board).Read(command.Long(0)), reply);
}

// Command 17: the working frame's point count as the command result.
void NumPoints(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  FrameStore store(board);
  reply.result = static_cast<std::int32_t>(store.Read(store.WorkingFrame()).points.size());
}

// Command 26: the working frame's header; 73 then hands out its points.
void ReadFrameStart(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  FrameStore store(board);
  FrameBoardState state = store.LoadState();
  state.readFrame = store.WorkingFrame();
  state.readCursor = 0;
  store.SaveState(state);
  PutHeader(store.Read(state.readFrame), reply);
}

// Command 73: the next batch of the frame that 26 opened, in working units.
void ReadFrameBatch(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  FrameStore store(board);
  FrameBoardState state = store.LoadState();
  if (state.readCursor < 0) {
    reply.error = kBoardAccessError;
    return;
  }
  StoredFrame frame = store.Read(state.readFrame);
  auto cursor = static_cast<std::size_t>(state.readCursor);
  std::size_t end = std::min(frame.points.size(), cursor + static_cast<std::size_t>(Batch(board, 20, 200)));
  AxisScale sx = ReadBackScale(state, 0), sy = ReadBackScale(state, 1), sz = ReadBackScale(state, 2),
            sf = ReadBackScale(state, 3);
  for (std::size_t i = cursor; i < end; ++i) {
    const StoredPoint& p = frame.points[i];
    reply.PutShort(FromDevice(sx, false, p.x));
    reply.PutShort(FromDevice(sy, false, p.y));
    reply.PutShort(FromDevice(sz, false, p.z));
    reply.PutShort(FromDevice(sf, true, p.f));
    reply.PutLong(static_cast<std::int32_t>(p.colour));
    reply.PutShort(p.v5);
    reply.PutShort(p.v6);
    reply.PutShort(p.v7);
    if (frame.flags & kFrameFlagA) reply.PutShort(p.v8);
  }
  state.readCursor = end >= frame.points.size() ? -1 : static_cast<std::int32_t>(end);
  store.SaveState(state);
}

// Command 81: frame and flags of a fast read; answers flags, count and width.
void FastReadStart(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 8, reply)) return;
  FrameStore store(board);
  FrameBoardState state = store.LoadState();
  state.fastFrame = command.Long(0);
  state.fastFlags = command.Long(4);
  state.fastCursor = 0;
  store.SaveState(state);
  StoredFrame frame = store.Read(state.fastFrame);
  reply.PutShort(static_cast<std::int16_t>(frame.flags));
  reply.PutShort(static_cast<std::int16_t>(std::min<std::size_t>(frame.points.size(), 32767)));
  reply.PutShort(frame.value);
}

// Command 82: the next batch of fast records. With flag 0x200 the points come
// in the fixed space -2048..2047 (device units / 16), else through the
// inverse of the X and Y working scales.
void FastReadBatch(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  FrameStore store(board);
  FrameBoardState state = store.LoadState();
  if (state.fastCursor < 0) {
    reply.error = kBoardAccessError;
    return;
  }
  StoredFrame frame = store.Read(state.fastFrame);
  auto cursor = static_cast<std::size_t>(state.fastCursor);
  std::size_t end = std::min(frame.points.size(), cursor + static_cast<std::size_t>(Batch(board, 50, 400)));
  AxisScale sx = ReadBackScale(state, 0), sy = ReadBackScale(state, 1);
  bool fixed = (state.fastFlags & kFastSpace) != 0;
  bool widths = (state.fastFlags & kFastWidths) != 0 && (frame.flags & kFrameWidths) != 0;
  for (std::size_t i = cursor; i < end; ++i) {
    const StoredPoint& p = frame.points[i];
    reply.PutShort(fixed ? static_cast<std::int16_t>(p.x >> 4) : FromDevice(sx, false, p.x));
    reply.PutShort(fixed ? static_cast<std::int16_t>(p.y >> 4) : FromDevice(sy, false, p.y));
    if (widths) reply.PutShort(p.v8);
    reply.PutLong(static_cast<std::int32_t>(p.colour));
  }
  state.fastCursor = end >= frame.points.size() ? -1 : static_cast<std::int32_t>(end);
  store.SaveState(state);
}

// Command 27: a new working frame from its 32-byte header; 74 then brings its points.
void WriteFrameStart(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 32, reply)) return;
  FrameStore store(board);
  std::int32_t number = store.WorkingFrame();
  std::int32_t count = std::max<std::int32_t>(command.Short(4), 0);
  if (!CheckSize(store, number, static_cast<std::size_t>(count), reply)) return;
  StoredFrame frame;
  frame.exists = true;
  if (command.Short(0) != 0) frame.flags |= kFrameFlagA | kFrameWidths;
  if (command.Short(2) != 0) frame.flags |= kFrameFlagB;
  frame.value = command.Short(6);
  std::memcpy(frame.name.data(), command.operands.data() + 8, 24);
  if (!store.Write(number, frame)) {
    reply.result = StoreFaultStatus(errno);
    return;
  }
  FrameBoardState state = store.LoadState();
  state.writeFrame = number;
  state.writeCursor = count > 0 ? 0 : -1;
  state.writeCount = count;
  store.SaveState(state);
}

// Command 74: a batch of points for the frame that 27 opened (12 bytes a
// point, 14 with flag A); points past the header's count are not kept.
void WriteFrameBatch(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  FrameStore store(board);
  FrameBoardState state = store.LoadState();
  if (state.writeCursor < 0) {
    reply.error = kBoardAccessError;
    return;
  }
  std::size_t stored = 0;
  StoredFrame frame = store.ReadHeader(state.writeFrame, stored);
  std::size_t size = (frame.flags & kFrameFlagA) ? 14 : 12;
  if (command.operands.empty() || command.operands.size() % size != 0) {
    reply.error = kBoardInsufficientOperands;
    return;
  }
  AxisScale sx = ReadBackScale(state, 0), sy = ReadBackScale(state, 1), sz = ReadBackScale(state, 2),
            sf = ReadBackScale(state, 3);
  auto wanted = static_cast<std::size_t>(state.writeCount);
  std::vector<StoredPoint> points;
  for (std::size_t at = 0; at < command.operands.size(); at += size) {
    if (stored + points.size() >= wanted) break;
    StoredPoint p;
    p.x = ToDevice(sx, false, command.Short(at));
    p.y = ToDevice(sy, false, command.Short(at + 2));
    p.z = ToDevice(sz, false, command.Short(at + 4));
    p.f = ToDevice(sf, true, command.Short(at + 6));
    p.colour = static_cast<std::uint32_t>(command.Long(at + 8));
    if (size == 14) p.v8 = command.Short(at + 12);
    points.push_back(p);
  }
  std::size_t total = stored + points.size();
  bool kept = true;
  if (!frame.exists) {
    // The frame went meanwhile (deleted): the batch makes it again, as a bare frame.
    frame.exists = true;
    frame.points = std::move(points);
    kept = store.Write(state.writeFrame, frame);
  } else if (!points.empty()) {
    kept = store.Append(state.writeFrame, stored, points);
  }
  if (!kept) reply.result = StoreFaultStatus(errno);
  // The transfer stays open (the frame's count is its cursor) until the frame is full.
  if (total >= wanted) state.writeCursor = -1;
  store.SaveState(state);
}

// Command 31: deletes the frames from..to (an empty range deletes nothing).
void DeleteFramesCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 8, reply)) return;
  FrameStore store(board);
  std::int32_t from = command.Long(0), to = command.Long(4);
  for (std::int32_t n : store.Numbers()) {
    if (n >= from && n <= to) store.Erase(n);
  }
}

// Command 32: merges two frames into a third.
void MergeFramesCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 12, reply)) return;
  FrameStore store(board);
  StoredFrame first = store.Read(command.Long(0));
  StoredFrame second = store.Read(command.Long(4));
  std::int32_t target = command.Long(8);
  StoredFrame merged = first;
  merged.exists = true;
  merged.points.insert(merged.points.end(), second.points.begin(), second.points.end());
  if (!CheckSize(store, target, merged.points.size(), reply)) return;
  if (!store.Write(target, merged)) reply.result = StoreFaultStatus(errno);
}

std::string TrimName(const char* name, std::size_t size) {
  std::size_t n = size;
  while (n > 0 && (name[n - 1] == ' ' || name[n - 1] == '\0')) --n;
  return std::string(name, n);
}

// Command 110: the lowest frame that bears the 24-byte name, or 0.
void FindFrameCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 24, reply)) return;
  std::string wanted = TrimName(reinterpret_cast<const char*>(command.operands.data()), 24);
  FrameStore store(board);
  for (std::int32_t n : store.Numbers()) {
    StoredFrame frame = store.Read(n, true);
    if (frame.exists && TrimName(frame.name.data(), frame.name.size()) == wanted) {
      reply.result = n;
      return;
    }
  }
  reply.result = 0;
}

// The bytes of flags the board asks for: one 16-bit flag a point of the frame,
// at most 6000 points.
std::int32_t WantedFlags(std::size_t points) {
  return static_cast<std::int32_t>(2 * std::min<std::size_t>(points, 6000));
}

// Starts an active-array operation: with an array the board answers the bytes
// of flags it wants and runs the operation when they came (at once when it
// wants none); without, it runs it on every point.
void StartActive(FrameStore& store, const BoardCommand& command, std::size_t longs, std::int32_t wanted,
                 BoardReply& reply) {
  FrameBoardState state = store.LoadState();
  state.pending = PendingActive{};
  state.pending.code = command.code;
  for (std::size_t i = 0; i < longs && i < state.pending.operands.size(); ++i) {
    state.pending.operands[i] = command.Long(4 * i);
  }
  bool withArray = command.Long(4 * longs) != 0;
  state.pending.wanted = withArray ? wanted : -1;
  if (!withArray || wanted == 0) {
    store.Board().WordBlock().clear();
    RunPendingActive(store, state, reply);
  } else {
    reply.result = wanted;
  }
  store.SaveState(state);
}

// Command 41: copies a frame, with an array only its active points.
void CopyFrameCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 12, reply)) return;
  FrameStore store(board);
  StoredFrame source = store.Read(command.Long(0));
  if (!CheckSize(store, command.Long(4), source.points.size(), reply)) return;
  StartActive(store, command, 2, WantedFlags(source.points.size()), reply);
}

// Command 28: the working frame to the undo copy, with the active selection.
void FrameToUndoCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  FrameStore store(board);
  StartActive(store, command, 0, WantedFlags(store.Read(store.WorkingFrame()).points.size()), reply);
}

// Command 29: the undo copy back to the working frame; with an array the
// board takes the host's selection and hands back the one kept with the copy.
void UndoToFrameCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  FrameStore store(board);
  if (!store.LoadState().undoValid) {
    reply.error = kBoardAccessError;
    return;
  }
  StartActive(store, command, 0, WantedFlags(store.Read(store.WorkingFrame()).points.size()), reply);
}

// Command 51: a chunk of the word block (as the built-in command), and the
// pending active-array operation once its flags are all in.
void WordBlockWithActive(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  auto& block = board.WordBlock();
  bool continued = board.PreviousCommand() == 51;
  if (!continued) block.clear();
  board.SetValue("words.cursor", -1);
  if (block.size() + command.operands.size() > kWordBlockBytes) {
    reply.error = kBoardLowMemory;
    return;
  }
  block.insert(block.end(), command.operands.begin(), command.operands.end());
  if (block.size() % 2) block.push_back(0);
  FrameStore store(board);
  FrameBoardState state = store.LoadState();
  if (state.pending.code == 0) return;
  // The flags belong to the operation only when they follow it directly.
  if (!continued && board.PreviousCommand() != static_cast<std::uint16_t>(state.pending.code)) {
    state.pending = PendingActive{};
  } else if (static_cast<std::int64_t>(block.size()) >= state.pending.wanted) {
    RunPendingActive(store, state, reply);
  }
  store.SaveState(state);
}

// Command 42: copies points first..last of the working frame before point `at`.
void CopyBlockCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 12, reply)) return;
  FrameStore store(board);
  std::int32_t number = store.WorkingFrame();
  StoredFrame frame = store.Read(number);
  auto n = static_cast<std::int64_t>(frame.points.size());
  std::int64_t first = std::max<std::int64_t>(command.Long(0), 1), last = std::min<std::int64_t>(command.Long(4), n);
  std::int64_t at = command.Long(8);
  if (at < 1 || at > n + 1) {
    reply.error = kBoardAccessError;
    return;
  }
  if (first > last) return;
  std::vector<StoredPoint> block(frame.points.begin() + (first - 1), frame.points.begin() + last);
  if (!CheckSize(store, number, frame.points.size() + block.size(), reply)) return;
  frame.points.insert(frame.points.begin() + (at - 1), block.begin(), block.end());
  store.Write(number, frame);
}

// Command 43: reverses the order of points first..last of the working frame.
void ReverseBlockCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 8, reply)) return;
  FrameStore store(board);
  std::int32_t number = store.WorkingFrame();
  StoredFrame frame = store.Read(number);
  auto n = static_cast<std::int64_t>(frame.points.size());
  std::int64_t first = std::max<std::int64_t>(command.Long(0), 1), last = std::min<std::int64_t>(command.Long(4), n);
  if (first >= last) return;
  std::reverse(frame.points.begin() + (first - 1), frame.points.begin() + last);
  store.Write(number, frame);
}

bool Visible(const StoredPoint& p) { return p.colour != 0 && p.colour != 0x40000000u; }

// Command 157: a vector frame from a point frame. Operands: source, target,
// tolerance (device units), and two values the board keeps. Repeated points
// go, and so does a point of the same colour as both neighbours that lies
// within the tolerance of the straight line between them.
void ToVectorFrame(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 20, reply)) return;
  FrameStore store(board);
  StoredFrame source = store.Read(command.Long(0));
  double tolerance = std::max(0, command.Long(8));
  std::vector<StoredPoint> kept;
  for (const StoredPoint& p : source.points) {
    if (!kept.empty() && kept.back().x == p.x && kept.back().y == p.y && kept.back().z == p.z &&
        kept.back().colour == p.colour) {
      continue;
    }
    if (kept.size() >= 2) {
      const StoredPoint& a = kept[kept.size() - 2];
      const StoredPoint& b = kept.back();
      if (a.colour == b.colour && b.colour == p.colour) {
        double dx = p.x - a.x, dy = p.y - a.y;
        double length = std::hypot(dx, dy);
        double distance = length > 0 ? std::fabs(dx * (b.y - a.y) - dy * (b.x - a.x)) / length
                                     : std::hypot(b.x - a.x, b.y - a.y);
        if (distance <= tolerance && length > 0) kept.pop_back();
      }
    }
    kept.push_back(p);
  }
  source.points = std::move(kept);
  source.exists = true;
  if (!CheckSize(store, command.Long(4), source.points.size(), reply)) return;
  store.Write(command.Long(4), source);
}

// Command 158: a point frame from a vector frame. Operands as the board takes
// them: source, target, step (device units), and four values the board keeps.
// Each line to a visible point longer than the step gets points between, no
// further apart than the step, with the colour and values of the point it ends at.
void ToPointFrame(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 28, reply)) return;
  FrameStore store(board);
  StoredFrame source = store.Read(command.Long(0));
  std::int32_t step = command.Long(8);
  std::vector<StoredPoint> out;
  for (std::size_t i = 0; i < source.points.size(); ++i) {
    const StoredPoint& p = source.points[i];
    if (i > 0 && step > 0 && Visible(p)) {
      const StoredPoint& a = source.points[i - 1];
      double dx = p.x - a.x, dy = p.y - a.y, dz = p.z - a.z;
      auto pieces = static_cast<std::int64_t>(std::ceil(std::sqrt(dx * dx + dy * dy + dz * dz) / step));
      if (pieces > 6000) pieces = 6000;  // never more than a frame holds
      for (std::int64_t k = 1; k < pieces; ++k) {
        double t = static_cast<double>(k) / static_cast<double>(pieces);
        StoredPoint q = p;
        q.x = static_cast<std::int16_t>(std::lround(a.x + dx * t));
        q.y = static_cast<std::int16_t>(std::lround(a.y + dy * t));
        q.z = static_cast<std::int16_t>(std::lround(a.z + dz * t));
        out.push_back(q);
        if (out.size() > 60000) break;
      }
    }
    out.push_back(p);
  }
  source.points = std::move(out);
  source.exists = true;
  if (!CheckSize(store, command.Long(4), source.points.size(), reply)) return;
  store.Write(command.Long(4), source);
}

// Command 198: mask data. This board keeps no mask data: 65 zero pairs.
void MaskData(BoardContext&, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  for (int k = 0; k < 130; ++k) reply.PutShort(0);
}

}  // namespace

void RegisterFrameCommands() {
  AddBuiltinCommand(30, SetWorkingFrameCommand, false);
  AddBuiltinCommand(94, GetWorkingFrameCommand, false);
  AddBuiltinCommand(17, NumPoints, false);
  AddBuiltinCommand(49, ReadHeader, false);
  AddBuiltinCommand(26, ReadFrameStart, false);
  AddBuiltinCommand(73, ReadFrameBatch, false);
  AddBuiltinCommand(81, FastReadStart, false);
  AddBuiltinCommand(82, FastReadBatch, false);
  AddBuiltinCommand(27, WriteFrameStart, false);
  AddBuiltinCommand(74, WriteFrameBatch, false);
  AddBuiltinCommand(31, DeleteFramesCommand, false);
  AddBuiltinCommand(32, MergeFramesCommand, false);
  AddBuiltinCommand(110, FindFrameCommand, false);
  AddBuiltinCommand(41, CopyFrameCommand, false);
  AddBuiltinCommand(28, FrameToUndoCommand, false);
  AddBuiltinCommand(29, UndoToFrameCommand, false);
  AddBuiltinCommand(51, WordBlockWithActive, false);
  AddBuiltinCommand(42, CopyBlockCommand, false);
  AddBuiltinCommand(43, ReverseBlockCommand, false);
  AddBuiltinCommand(157, ToVectorFrame, false);
  AddBuiltinCommand(158, ToPointFrame, false);
  AddBuiltinCommand(198, MaskData, false);
  RegisterPointCommands();
  RegisterColourCommands();
}

}  // namespace winplat::hw::detail
