#pragma once
// The board software's frames, working scale and colour registers, as the
// emulated boards keep them in files of their own folder under the machine root.
//
// Frames: one file per frame number, "frames/<number>.frm", written only by the
// commands of the board software (every command runs under the machine lock);
// a transfer appends its points and then raises the count, and a file longer
// than its count reads as far as its count:
//   bytes 0-3    "VXFM"
//   bytes 4-5    frame flags word (bit 1: points carry a width, bit 2: flag A, bit 3: flag B)
//   bytes 6-7    frame value (signed 16), also the frame's width for the fast read
//   bytes 8-11   point count
//   bytes 12-35  name, 24 bytes as the host sent them
//   then 20 bytes a point: X, Y, Z, F (signed 16, device units), colour (32),
//   values 5 to 8 (signed 16); all in host byte order.
// A frame never written has no file and reads as count 0 with a name of NULs.
// The file's size is what the frame costs of the board's memory budget.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "winplat/hw/boards.h"

namespace winplat::hw::detail {

struct StoredPoint {
  std::int16_t x = 0, y = 0, z = 0, f = 0;
  std::uint32_t colour = 0;
  std::int16_t v5 = 0, v6 = 0, v7 = 0, v8 = 0;
};

constexpr std::uint16_t kFrameWidths = 0x02;  // points carry value 8 as their width
constexpr std::uint16_t kFrameFlagA = 0x04;
constexpr std::uint16_t kFrameFlagB = 0x08;
constexpr std::size_t kFrameHeaderBytes = 36;
constexpr std::size_t kStoredPointBytes = 20;
// Memory of a board unless its configuration names another budget.
constexpr std::int64_t kDefaultBoardMemory = 4 * 1024 * 1024;
// The frame size of a board whose session did not say otherwise.
constexpr std::int32_t kDefaultFrameSize = 6000;

struct StoredFrame {
  bool exists = false;
  std::uint16_t flags = 0;
  std::int16_t value = 0;
  std::array<char, 24> name{};
  std::vector<StoredPoint> points;
};

// What a frame of n points costs of the memory budget.
std::int64_t FrameCost(std::size_t points);

// One axis of the working scale: input minimum, maximum and centre, output
// minimum, maximum and centre (F uses the first four: input minimum and
// maximum, output minimum and maximum). A zero input or output span is the
// identity.
struct AxisScale {
  std::array<std::int32_t, 6> v{};
};

// Working units to device units (rounded, halves to even; saturated to 16 bits).
std::int16_t ToDevice(const AxisScale& scale, bool fourValues, std::int32_t value);
// Device units back to working units (the inverse map; saturated to 16 bits).
std::int16_t FromDevice(const AxisScale& scale, bool fourValues, std::int32_t device);

// An operation that waits for the host's active array (commands 28, 29, 41,
// 54, 55, 125, 126): it runs when the word block holds `wanted` bytes.
struct PendingActive {
  std::int32_t code = 0;  // 0: none
  std::int32_t wanted = 0;
  std::array<std::int32_t, 10> operands{};
};

// The board software's frame state apart from the frames: the working scale,
// transfer cursors, the point-write mode and a pending active-array operation.
struct FrameBoardState {
  std::uint32_t magic = 0;
  std::array<AxisScale, 4> scale{};  // X, Y, Z, F
  std::array<std::int32_t, 4> scaleSet{};  // 0 until the axis was set in this session
  std::array<std::int32_t, 3> scaleExtra{};  // the fifth and sixth values of command 33 and its constant
  std::int32_t insertOnWrite = 0;
  std::int32_t trackMask = 0;
  std::int32_t readFrame = 0, readCursor = -1;
  std::int32_t fastFrame = 0, fastFlags = 0, fastCursor = -1;
  std::int32_t writeFrame = 0, writeCursor = -1, writeCount = 0;
  std::int32_t undoValid = 0;
  PendingActive pending;
};

// The status the board software answers when its store cannot be written:
// a full disk, a file it may not write, anything else.
constexpr std::int32_t kStoreDiskFull = -403;
constexpr std::int32_t kStoreWriteProtected = -405;
constexpr std::int32_t kStoreFailed = -406;
std::int32_t StoreFaultStatus(int error);

class FrameStore {
 public:
  explicit FrameStore(BoardContext& board);

  // An empty frame when never written; with `headerOnly` the points are left out.
  StoredFrame Read(std::int32_t number, bool headerOnly = false) const;
  // False (errno telling why) when the frame could not be stored.
  bool Write(std::int32_t number, const StoredFrame& frame);
  // A frame's header without its points; `count` is the point count it holds.
  StoredFrame ReadHeader(std::int32_t number, std::size_t& count) const;
  // Appends points to a frame holding `stored` points: the points are written
  // first and the header's count last, so a write cut short leaves the frame
  // as it was.
  bool Append(std::int32_t number, std::size_t stored, const std::vector<StoredPoint>& points);
  void Erase(std::int32_t number);
  // The numbers of the frames written, ascending.
  std::vector<std::int32_t> Numbers() const;
  // Memory the frames use, leaving out one frame number (the one being replaced).
  std::int64_t UsedBytes(std::int32_t except) const;
  std::int64_t Budget() const;
  // True when a frame of n points may replace frame `number` within the budget.
  bool Fits(std::int32_t number, std::size_t points) const;
  // The board's frame size: the session's frame point limit.
  std::int32_t FrameSize() const;

  // The undo copy and its selection (one 16-bit flag a point).
  StoredFrame ReadUndo() const;
  void WriteUndo(const StoredFrame& frame, const std::vector<std::int16_t>& selection);
  std::vector<std::int16_t> UndoSelection() const;

  FrameBoardState LoadState() const;
  // Replaces the state file, unless the state is what LoadState read.
  void SaveState(const FrameBoardState& state);

  std::int32_t WorkingFrame() const;
  void SetWorkingFrame(std::int32_t frame);

  BoardContext& Board() { return board_; }

 private:
  BoardContext& board_;
  mutable std::optional<FrameBoardState> loaded_;
  mutable std::uint64_t loadedAfter_ = 0;
};

// The working scale of an axis (0 X, 1 Y, 2 Z, 3 F) as the board reads it back.
AxisScale ReadBackScale(const FrameBoardState& state, int axis);

// A session begins: the working scale is the identity again, transfers and
// pending operations are closed, the undo copy is gone. After a reboot also the
// palette (the frames go with the board's frame folder).
void ResetFrameSession(BoardContext& board, bool rebooted);

// Runs a pending active-array operation once its flags are in the word block.
void RunPendingActive(FrameStore& store, FrameBoardState& state, BoardReply& reply);

// The palette's load and save dialogues share the dialogue commands (181, 85,
// 182) with the other file dialogues: true while one runs; its step answers them.
bool PaletteDialogueRuns(BoardContext& board);
void PaletteDialogueStep(BoardContext& board, const BoardCommand& command, BoardReply& reply);

// Registration of the frame, scale and colour commands (board software).
void RegisterFrameCommands();
void RegisterPointCommands();
void RegisterColourCommands();

}  // namespace winplat::hw::detail
