// The board software's point commands and working scale: single points, insert
// and delete, the point edits with the host's active array, the per-axis
// scales, and the 3D conversion.
//
// Choices of this board software:
// - Points are numbered from 1; a range first..last is cut to the points the
//   working frame holds. The active array's element k is point k + 1; with an
//   array the board asks for 2 bytes a point up to the range's last point.
// - Edit operands are device units: invert mirrors the masked axes (1 X, 2 Y,
//   4 Z) about (c, d, e); move adds (c, d, e) on the masked axes; resize scales
//   about (g, h, l) by x/16383, y/16383, z/16383 on the axes of mask m; rotate
//   turns about (g, h, l) by x, y, z (16384 to the turn) about the X, Y and Z
//   axes in that order. Results saturate to 16 bits.
// - Working scale: a linear map per axis from the input range to the output
//   range; the centres are kept and read back as set. Command 33 sets X and Y
//   to (min, max, (min + max) / 2, -32768, 32767, 0) and keeps its fifth and
//   sixth values and its constant. A zero span, and an axis not set in this
//   session, are the identity.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "board_machine.h"
#include "frame_store.h"

namespace winplat::hw::detail {
namespace {

std::int16_t Sat(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<std::int16_t>(std::clamp(std::nearbyint(v), -32768.0, 32767.0));
}

struct Range {
  std::size_t first = 0, end = 0;  // 0-based, end exclusive
};

Range CutRange(std::int32_t a, std::int32_t b, std::size_t count) {
  std::int64_t first = std::max<std::int64_t>(a, 1);
  std::int64_t last = std::min<std::int64_t>(b, static_cast<std::int64_t>(count));
  if (first > last) return {};
  return {static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last)};
}

void EditPoints(const PendingActive& op, const std::vector<bool>& active, StoredFrame& frame) {
  const auto& o = op.operands;
  Range r = CutRange(o[0], o[1], frame.points.size());
  for (std::size_t i = r.first; i < r.end; ++i) {
    if (!active[i]) continue;
    StoredPoint& p = frame.points[i];
    switch (op.code) {
      case 54:  // invert
        if (o[5] & 1) p.x = Sat(2.0 * o[2] - p.x);
        if (o[5] & 2) p.y = Sat(2.0 * o[3] - p.y);
        if (o[5] & 4) p.z = Sat(2.0 * o[4] - p.z);
        break;
      case 55:  // move
        if (o[5] & 1) p.x = Sat(static_cast<double>(p.x) + o[2]);
        if (o[5] & 2) p.y = Sat(static_cast<double>(p.y) + o[3]);
        if (o[5] & 4) p.z = Sat(static_cast<double>(p.z) + o[4]);
        break;
      case 125: {  // resize
        if (o[8] & 1) p.x = Sat(o[5] + (p.x - o[5]) * (o[2] / 16383.0));
        if (o[8] & 2) p.y = Sat(o[6] + (p.y - o[6]) * (o[3] / 16383.0));
        if (o[8] & 4) p.z = Sat(o[7] + (p.z - o[7]) * (o[4] / 16383.0));
        break;
      }
      case 126: {  // rotate
        double x = p.x - o[5], y = p.y - o[6], z = p.z - o[7];
        auto turn = [](std::int32_t units) { return units * 2.0 * std::numbers::pi / 16384.0; };
        double ax = turn(o[2]), ay = turn(o[3]), az = turn(o[4]);
        double y1 = y * std::cos(ax) - z * std::sin(ax), z1 = y * std::sin(ax) + z * std::cos(ax);
        double x2 = x * std::cos(ay) + z1 * std::sin(ay), z2 = -x * std::sin(ay) + z1 * std::cos(ay);
        double x3 = x2 * std::cos(az) - y1 * std::sin(az), y3 = x2 * std::sin(az) + y1 * std::cos(az);
        p.x = Sat(x3 + o[5]);
        p.y = Sat(y3 + o[6]);
        p.z = Sat(z2 + o[7]);
        break;
      }
      default:
        break;
    }
  }
}

void PutSelection(BoardContext& board, const std::vector<std::int16_t>& selection) {
  auto& block = board.WordBlock();
  block.clear();
  for (std::int16_t v : selection) {
    block.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8));
    block.push_back(static_cast<std::uint8_t>(v));
  }
  board.SetValue("words.cursor", -1);
}

// Point edits: operands a..f (and g..m for resize and rotate), then the array flag.
void PointEdit(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  std::size_t longs = (command.code == 125 || command.code == 126) ? 9 : 6;
  if (!RequireOperands(command, 4 * longs + 4, reply)) return;
  FrameStore store(board);
  std::size_t count = store.Read(store.WorkingFrame()).points.size();
  Range r = CutRange(command.Long(0), command.Long(4), count);
  std::int32_t wanted = r.end > r.first ? static_cast<std::int32_t>(2 * std::min<std::size_t>(r.end, 6000)) : 0;
  FrameBoardState state = store.LoadState();
  state.pending = PendingActive{};
  state.pending.code = command.code;
  for (std::size_t i = 0; i < longs; ++i) state.pending.operands[i] = command.Long(4 * i);
  bool withArray = command.Long(4 * longs) != 0;
  state.pending.wanted = withArray ? wanted : -1;
  if (!withArray || wanted == 0) {
    board.WordBlock().clear();
    RunPendingActive(store, state, reply);
  } else {
    reply.result = wanted;
  }
  store.SaveState(state);
}

// Command 149: one point of the working frame (1-based), in working units.
void ReadPointCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  FrameStore store(board);
  StoredFrame frame = store.Read(store.WorkingFrame());
  std::int32_t index = command.Long(0);
  if (index < 1 || static_cast<std::size_t>(index) > frame.points.size()) {
    reply.error = kBoardAccessError;
    return;
  }
  FrameBoardState state = store.LoadState();
  const StoredPoint& p = frame.points[static_cast<std::size_t>(index - 1)];
  reply.PutShort(FromDevice(ReadBackScale(state, 0), false, p.x));
  reply.PutShort(FromDevice(ReadBackScale(state, 1), false, p.y));
  reply.PutShort(FromDevice(ReadBackScale(state, 2), false, p.z));
  reply.PutShort(FromDevice(ReadBackScale(state, 3), true, p.f));
  reply.PutLong(static_cast<std::int32_t>(p.colour));
  for (std::int16_t v : {p.v5, p.v6, p.v7, p.v8}) reply.PutShort(v);
}

// Command 150: writes (or, in insert mode, inserts) point n of the working
// frame; n = count + 1 appends.
void WritePointCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 18, reply)) return;
  FrameStore store(board);
  std::int32_t number = store.WorkingFrame();
  StoredFrame frame = store.Read(number);
  FrameBoardState state = store.LoadState();
  std::int32_t index = command.Short(0);
  bool insert = state.insertOnWrite != 0 || static_cast<std::size_t>(index) == frame.points.size() + 1;
  if (index < 1 || static_cast<std::size_t>(index) > frame.points.size() + 1) {
    reply.error = kBoardAccessError;
    return;
  }
  if (insert && (frame.points.size() + 1 > static_cast<std::size_t>(store.FrameSize()) ||
                 !store.Fits(number, frame.points.size() + 1))) {
    reply.error = frame.points.size() + 1 > static_cast<std::size_t>(store.FrameSize()) ? kBoardAccessError
                                                                                       : kBoardLowMemory;
    return;
  }
  StoredPoint p = insert ? StoredPoint{} : frame.points[static_cast<std::size_t>(index - 1)];
  p.x = ToDevice(ReadBackScale(state, 0), false, command.Short(2));
  p.y = ToDevice(ReadBackScale(state, 1), false, command.Short(4));
  p.z = ToDevice(ReadBackScale(state, 2), false, command.Short(6));
  p.f = ToDevice(ReadBackScale(state, 3), true, command.Short(8));
  p.colour = static_cast<std::uint32_t>(command.Long(10));
  p.v7 = command.Short(14);
  p.v8 = command.Short(16);
  if (insert) {
    frame.points.insert(frame.points.begin() + (index - 1), p);
  } else {
    frame.points[static_cast<std::size_t>(index - 1)] = p;
  }
  frame.exists = true;
  store.Write(number, frame);
}

// Command 21: whether 150 inserts.
void InsertOnWrite(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  FrameStore store(board);
  FrameBoardState state = store.LoadState();
  state.insertOnWrite = command.Long(0);
  store.SaveState(state);
}

// Command 45: deletes points first..last of the working frame.
void DeletePointsCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 8, reply)) return;
  FrameStore store(board);
  std::int32_t number = store.WorkingFrame();
  StoredFrame frame = store.Read(number);
  Range r = CutRange(command.Long(0), command.Long(4), frame.points.size());
  if (r.end <= r.first) return;
  frame.points.erase(frame.points.begin() + static_cast<std::ptrdiff_t>(r.first),
                     frame.points.begin() + static_cast<std::ptrdiff_t>(r.end));
  store.Write(number, frame);
}

// Command 46: inserts n blanked points (all zero) before point `at`.
void InsertPointsCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 8, reply)) return;
  FrameStore store(board);
  std::int32_t number = store.WorkingFrame();
  StoredFrame frame = store.Read(number);
  std::int64_t at = command.Long(0), n = command.Long(4);
  if (at < 1 || at > static_cast<std::int64_t>(frame.points.size()) + 1 || n < 0 ||
      n > static_cast<std::int64_t>(store.FrameSize())) {
    reply.error = kBoardAccessError;
    return;
  }
  std::size_t total = frame.points.size() + static_cast<std::size_t>(n);
  if (total > static_cast<std::size_t>(store.FrameSize())) {
    reply.error = kBoardAccessError;
    return;
  }
  if (!store.Fits(number, total)) {
    reply.error = kBoardLowMemory;
    return;
  }
  frame.points.insert(frame.points.begin() + (at - 1), static_cast<std::size_t>(n), StoredPoint{});
  frame.exists = true;
  store.Write(number, frame);
}

// Commands 33, 75, 76, 77, 83: the working scale.
void SetScale(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  FrameStore store(board);
  FrameBoardState state = store.LoadState();
  auto axisSet = [&](int axis, std::array<std::int32_t, 6> v) {
    state.scale[static_cast<std::size_t>(axis)].v = v;
    state.scaleSet[static_cast<std::size_t>(axis)] = 1;
  };
  auto centre = [](std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(a) + b) / 2);
  };
  auto six = [&](std::size_t at) {
    std::array<std::int32_t, 6> v{};
    for (std::size_t i = 0; i < 6; ++i) v[i] = command.Long(at + 4 * i);
    return v;
  };
  switch (command.code) {
    case 33:
      if (!RequireOperands(command, 28, reply)) return;
      axisSet(0, {command.Long(0), command.Long(4), centre(command.Long(0), command.Long(4)), -32768, 32767, 0});
      axisSet(1, {command.Long(8), command.Long(12), centre(command.Long(8), command.Long(12)), -32768, 32767, 0});
      state.scaleExtra = {command.Long(16), command.Long(20), command.Long(24)};
      break;
    case 75:
    case 76:
    case 77:
      if (!RequireOperands(command, 24, reply)) return;
      axisSet(command.code - 75, six(0));
      break;
    case 83:
      if (!RequireOperands(command, 16, reply)) return;
      axisSet(3, {command.Long(0), command.Long(4), command.Long(8), command.Long(12), 0, 0});
      break;
    default:
      return;
  }
  store.SaveState(state);
}

// Commands 78, 79, 80 (six values) and 84 (four): the scale as set.
void GetScale(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  FrameStore store(board);
  int axis = command.code == 84 ? 3 : command.code - 78;
  AxisScale s = ReadBackScale(store.LoadState(), axis);
  for (int i = 0; i < (axis == 3 ? 4 : 6); ++i) reply.PutLong(s.v[static_cast<std::size_t>(i)]);
}

// Command 211: the tracks of the 3D conversion (kept).
void TrackMask(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  FrameStore store(board);
  FrameBoardState state = store.LoadState();
  state.trackMask = command.Long(0);
  store.SaveState(state);
}

// Command 90: a point in working units to device units through the working scale.
void ToDeviceCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 12, reply)) return;
  FrameBoardState state = FrameStore(board).LoadState();
  for (int axis = 0; axis < 3; ++axis) {
    reply.PutShort(ToDevice(ReadBackScale(state, axis), false, command.Long(4 * static_cast<std::size_t>(axis))));
  }
}

}  // namespace

void RunPendingActive(FrameStore& store, FrameBoardState& state, BoardReply& reply) {
  PendingActive op = state.pending;
  state.pending = PendingActive{};
  BoardContext& board = store.Board();
  const auto& block = board.WordBlock();
  auto flag = [&](std::size_t i) -> std::int16_t {
    if (op.wanted < 0) return 1;
    if (2 * i + 1 >= block.size()) return 0;
    return static_cast<std::int16_t>((block[2 * i] << 8) | block[2 * i + 1]);
  };
  auto flags = [&](std::size_t count) {
    std::vector<bool> active(count);
    for (std::size_t i = 0; i < count; ++i) active[i] = flag(i) != 0;
    return active;
  };
  std::int32_t working = store.WorkingFrame();
  switch (op.code) {
    case 41: {
      StoredFrame source = store.Read(op.operands[0]);
      std::vector<bool> active = flags(source.points.size());
      std::vector<StoredPoint> kept;
      for (std::size_t i = 0; i < source.points.size(); ++i) {
        if (active[i]) kept.push_back(source.points[i]);
      }
      source.points = std::move(kept);
      source.exists = true;
      if (!store.Fits(op.operands[1], source.points.size())) {
        reply.error = kBoardLowMemory;
        return;
      }
      store.Write(op.operands[1], source);
      break;
    }
    case 28: {
      StoredFrame frame = store.Read(working);
      std::vector<std::int16_t> selection(frame.points.size());
      for (std::size_t i = 0; i < selection.size(); ++i) selection[i] = flag(i);
      store.WriteUndo(frame, selection);
      state.undoValid = 1;
      break;
    }
    case 29: {
      StoredFrame undo = store.ReadUndo();
      if (!store.Fits(working, undo.points.size())) {
        reply.error = kBoardLowMemory;
        return;
      }
      undo.exists = true;
      store.Write(working, undo);
      if (op.wanted >= 0) PutSelection(board, store.UndoSelection());
      break;
    }
    case 54:
    case 55:
    case 125:
    case 126: {
      StoredFrame frame = store.Read(working);
      if (!frame.exists) return;
      EditPoints(op, flags(frame.points.size()), frame);
      store.Write(working, frame);
      break;
    }
    default:
      break;
  }
}

void RegisterPointCommands() {
  AddBuiltinCommand(149, ReadPointCommand, false);
  AddBuiltinCommand(150, WritePointCommand, false);
  AddBuiltinCommand(21, InsertOnWrite, false);
  AddBuiltinCommand(45, DeletePointsCommand, false);
  AddBuiltinCommand(46, InsertPointsCommand, false);
  for (std::uint16_t code : {54, 55, 125, 126}) AddBuiltinCommand(code, PointEdit, false);
  for (std::uint16_t code : {33, 75, 76, 77, 83}) AddBuiltinCommand(code, SetScale, false);
  for (std::uint16_t code : {78, 79, 80, 84}) AddBuiltinCommand(code, GetScale, false);
  AddBuiltinCommand(211, TrackMask, false);
  AddBuiltinCommand(90, ToDeviceCommand, false);
}

}  // namespace winplat::hw::detail
