// The board's frame files, its frame state file and the working-scale maps.
#include "frame_store.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include "board_files.h"
#include "board_machine.h"

namespace winplat::hw::detail {
namespace {

constexpr char kFrameMagic[4] = {'V', 'X', 'F', 'M'};
constexpr std::uint32_t kStateFileMagic = 0x56584653;  // "VXFS"

// Raised by every state save of this process (saves run under the machine lock).
std::uint64_t stateSaves = 0;

// Made by the first frame written into it.
std::filesystem::path FramesFolder(const BoardContext& board) { return board.Folder() / "frames"; }

std::filesystem::path FramePath(const BoardContext& board, std::int32_t number) {
  return FramesFolder(board) / (std::to_string(number) + ".frm");
}

std::int16_t Saturate16(long double value) {
  if (std::isnan(value)) return 0;
  if (value >= 32767.0L) return 32767;
  if (value <= -32768.0L) return -32768;
  return static_cast<std::int16_t>(value);
}

// The linear map from (a0..a1) onto (b0..b1), rounded to nearest, halves to even.
std::int16_t MapLinear(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1, std::int64_t value) {
  if (a1 == a0 || b1 == b0) return Saturate16(static_cast<long double>(value));
  long double t = static_cast<long double>(value - a0) * static_cast<long double>(b1 - b0) /
                  static_cast<long double>(a1 - a0);
  return Saturate16(static_cast<long double>(b0) + std::nearbyint(t));
}

template <typename T>
void Put(std::vector<char>& out, T value) {
  const char* p = reinterpret_cast<const char*>(&value);
  out.insert(out.end(), p, p + sizeof value);
}

template <typename T>
T Get(const std::vector<char>& in, std::size_t offset) {
  T value{};
  if (offset + sizeof value <= in.size()) std::memcpy(&value, in.data() + offset, sizeof value);
  return value;
}

std::vector<char> ReadAll(const std::filesystem::path& path, bool& ok) {
  std::vector<char> bytes;
  ok = ReadWholeFile(path, bytes);
  return bytes;
}

void WriteAll(const std::filesystem::path& path, const std::vector<char>& bytes) { ReplaceFile(path, bytes); }

void EncodePoints(std::vector<char>& out, const std::vector<StoredPoint>& points, std::size_t from) {
  for (std::size_t i = from; i < points.size(); ++i) {
    const StoredPoint& p = points[i];
    for (std::int16_t v : {p.x, p.y, p.z, p.f}) Put(out, v);
    Put(out, p.colour);
    for (std::int16_t v : {p.v5, p.v6, p.v7, p.v8}) Put(out, v);
  }
}

std::vector<char> EncodeFrame(const StoredFrame& frame) {
  std::vector<char> out;
  out.reserve(FrameCost(frame.points.size()));
  out.insert(out.end(), kFrameMagic, kFrameMagic + 4);
  Put(out, frame.flags);
  Put(out, frame.value);
  Put(out, static_cast<std::uint32_t>(frame.points.size()));
  out.insert(out.end(), frame.name.begin(), frame.name.end());
  EncodePoints(out, frame.points, 0);
  return out;
}

// A damaged frame file reads as far as it is whole.
StoredFrame DecodeFrame(const std::vector<char>& in) {
  StoredFrame frame;
  if (in.size() < kFrameHeaderBytes || std::memcmp(in.data(), kFrameMagic, 4) != 0) return frame;
  frame.exists = true;
  frame.flags = Get<std::uint16_t>(in, 4);
  frame.value = Get<std::int16_t>(in, 6);
  std::size_t count = Get<std::uint32_t>(in, 8);
  std::memcpy(frame.name.data(), in.data() + 12, 24);
  count = std::min(count, (in.size() - kFrameHeaderBytes) / kStoredPointBytes);
  frame.points.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t at = kFrameHeaderBytes + i * kStoredPointBytes;
    StoredPoint& p = frame.points[i];
    p.x = Get<std::int16_t>(in, at);
    p.y = Get<std::int16_t>(in, at + 2);
    p.z = Get<std::int16_t>(in, at + 4);
    p.f = Get<std::int16_t>(in, at + 6);
    p.colour = Get<std::uint32_t>(in, at + 8);
    p.v5 = Get<std::int16_t>(in, at + 12);
    p.v6 = Get<std::int16_t>(in, at + 14);
    p.v7 = Get<std::int16_t>(in, at + 16);
    p.v8 = Get<std::int16_t>(in, at + 18);
  }
  return frame;
}

}  // namespace

std::int64_t FrameCost(std::size_t points) {
  return static_cast<std::int64_t>(kFrameHeaderBytes + points * kStoredPointBytes);
}

std::int16_t ToDevice(const AxisScale& s, bool fourValues, std::int32_t value) {
  if (fourValues) return MapLinear(s.v[0], s.v[1], s.v[2], s.v[3], value);
  return MapLinear(s.v[0], s.v[1], s.v[3], s.v[4], value);
}

std::int16_t FromDevice(const AxisScale& s, bool fourValues, std::int32_t device) {
  if (fourValues) return MapLinear(s.v[2], s.v[3], s.v[0], s.v[1], device);
  return MapLinear(s.v[3], s.v[4], s.v[0], s.v[1], device);
}

AxisScale ReadBackScale(const FrameBoardState& state, int axis) {
  auto a = static_cast<std::size_t>(axis);
  if (state.scaleSet[a]) return state.scale[a];
  // Not set in this session: the identity on the device range.
  AxisScale identity;
  identity.v = axis == 3 ? std::array<std::int32_t, 6>{-32768, 32767, -32768, 32767, 0, 0}
                         : std::array<std::int32_t, 6>{-32768, 32767, 0, -32768, 32767, 0};
  return identity;
}

FrameStore::FrameStore(BoardContext& board) : board_(board) {}

StoredFrame FrameStore::Read(std::int32_t number, bool headerOnly) const {
  if (headerOnly) {
    std::size_t count = 0;
    return ReadHeader(number, count);
  }
  bool ok = false;
  std::vector<char> bytes = ReadAll(FramePath(board_, number), ok);
  return ok ? DecodeFrame(bytes) : StoredFrame{};
}

bool FrameStore::Write(std::int32_t number, const StoredFrame& frame) {
  return ReplaceFile(FramePath(board_, number), EncodeFrame(frame));
}

std::int32_t StoreFaultStatus(int error) {
  if (error == ENOSPC || error == EDQUOT || error == EFBIG) return kStoreDiskFull;
  if (error == EACCES || error == EPERM || error == EROFS) return kStoreWriteProtected;
  return kStoreFailed;
}

StoredFrame FrameStore::ReadHeader(std::int32_t number, std::size_t& count) const {
  std::vector<char> bytes(kFrameHeaderBytes);
  bytes.resize(ReadFileAt(FramePath(board_, number), 0, bytes.data(), bytes.size()));
  StoredFrame frame = DecodeFrame(bytes);
  count = frame.exists ? Get<std::uint32_t>(bytes, 8) : 0;
  return frame;
}

bool FrameStore::Append(std::int32_t number, std::size_t stored, const std::vector<StoredPoint>& points) {
  std::vector<char> bytes;
  bytes.reserve(points.size() * kStoredPointBytes);
  EncodePoints(bytes, points, 0);
  std::filesystem::path path = FramePath(board_, number);
  // The points first, then the count that makes them part of the frame.
  if (!WriteFileAt(path, FrameCost(stored), bytes.data(), bytes.size())) return false;
  auto count = static_cast<std::uint32_t>(stored + points.size());
  return WriteFileAt(path, 8, &count, sizeof count);
}

void FrameStore::Erase(std::int32_t number) { RemoveFile(FramePath(board_, number)); }

std::vector<std::int32_t> FrameStore::Numbers() const {
  std::vector<std::int32_t> numbers;
  std::error_code ec;
  CountFileCall();
  for (const auto& entry : std::filesystem::directory_iterator(FramesFolder(board_), ec)) {
    if (entry.path().extension() != ".frm") continue;
    std::string stem = entry.path().stem().string();
    try {
      std::size_t used = 0;
      long long n = std::stoll(stem, &used);
      if (used == stem.size() && n >= INT32_MIN && n <= INT32_MAX) numbers.push_back(static_cast<std::int32_t>(n));
    } catch (const std::exception&) {
    }
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::int64_t FrameStore::UsedBytes(std::int32_t except) const {
  std::int64_t used = 0;
  std::error_code ec;
  std::filesystem::path skip = FramePath(board_, except);
  CountFileCall();
  for (const auto& entry : std::filesystem::directory_iterator(FramesFolder(board_), ec)) {
    if (entry.path().extension() != ".frm" || entry.path() == skip) continue;
    CountFileCall();
    used += static_cast<std::int64_t>(entry.file_size(ec));
  }
  return used;
}

std::int64_t FrameStore::Budget() const {
  std::int64_t memory = board_.Config().memory;
  if (memory <= 0) memory = board_.Value("memory.total", static_cast<std::int32_t>(kDefaultBoardMemory));
  return memory - board_.Value("memory.stolen", 0);
}

bool FrameStore::Fits(std::int32_t number, std::size_t points) const {
  return UsedBytes(number) + FrameCost(points) <= Budget();
}

std::int32_t FrameStore::FrameSize() const {
  std::int32_t size = board_.Value("session.maxFramePoints", kDefaultFrameSize);
  return size > 0 ? size : kDefaultFrameSize;
}

StoredFrame FrameStore::ReadUndo() const {
  bool ok = false;
  std::vector<char> bytes = ReadAll(board_.Folder() / "undo.frm", ok);
  return ok ? DecodeFrame(bytes) : StoredFrame{};
}

void FrameStore::WriteUndo(const StoredFrame& frame, const std::vector<std::int16_t>& selection) {
  WriteAll(board_.Folder() / "undo.frm", EncodeFrame(frame));
  std::vector<char> bytes;
  for (std::int16_t v : selection) Put(bytes, v);
  WriteAll(board_.Folder() / "undo.sel", bytes);
}

std::vector<std::int16_t> FrameStore::UndoSelection() const {
  bool ok = false;
  std::vector<char> bytes = ReadAll(board_.Folder() / "undo.sel", ok);
  std::vector<std::int16_t> selection(bytes.size() / 2);
  for (std::size_t i = 0; i < selection.size(); ++i) selection[i] = Get<std::int16_t>(bytes, 2 * i);
  return selection;
}

FrameBoardState FrameStore::LoadState() const {
  FrameBoardState state;
  FrameBoardState stored;
  if (ReadFileAt(board_.Folder() / "frames.state", 0, &stored, sizeof stored) == sizeof stored &&
      stored.magic == kStateFileMagic) {
    state = stored;
    loaded_ = stored;
    loadedAfter_ = stateSaves;
  }
  state.magic = kStateFileMagic;
  return state;
}

void FrameStore::SaveState(const FrameBoardState& state) {
  // Unchanged since it was read, and nothing saved since: the file stays as it is.
  if (loaded_ && loadedAfter_ == stateSaves && std::memcmp(&*loaded_, &state, sizeof state) == 0) return;
  loaded_ = state;
  loadedAfter_ = ++stateSaves;
  std::vector<char> bytes(sizeof state);
  std::memcpy(bytes.data(), &state, sizeof state);
  WriteAll(board_.Folder() / "frames.state", bytes);
}

void ResetFrameSession(BoardContext& board, bool rebooted) {
  FrameStore store(board);
  FrameBoardState fresh;
  store.SaveState(fresh);
  for (const char* name : {"undo.frm", "undo.sel"}) RemoveFile(board.Folder() / name);
  if (rebooted) RemoveFile(board.Folder() / "palette.vxp");
}

std::int32_t FrameStore::WorkingFrame() const { return board_.Value("frame.working", 0); }

void FrameStore::SetWorkingFrame(std::int32_t frame) { board_.SetValue("frame.working", frame); }

}  // namespace winplat::hw::detail
