// The board side of the frame file and font dialogues: the host streams a
// file's bytes on the board's requests; the board parses it once all came.
// Saving hands a produced file back a chunk at a time.
#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "board_machine.h"
#include "frame_file_format.h"

namespace winplat::hw::detail {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kWrongFileType = -402;
constexpr std::int32_t kFontHeaderBytes = 8;
// A font never needs more; a larger stated length is a broken file.
constexpr std::int32_t kMaxFontBytes = 1 << 20;

enum Stage : std::int32_t { kIdle = 0, kFramesIn = 1, kFramesOut = 2, kFontHeader = 3, kFontBody = 4 };

fs::path Incoming(const BoardContext& board) { return board.Folder() / "framefile.incoming"; }
fs::path Outgoing(const BoardContext& board) { return board.Folder() / "framefile.outgoing"; }
std::int32_t PieceSize(const BoardContext& board) { return board.Family() == BoardFamily::Isa ? 256 : 4000; }

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void SetStage(BoardContext& board, Stage stage) { board.SetValue("ffile.stage", stage); }

// Bytes of a file coming to the board, kept in its store (a fresh file, or
// added to it); the first failure is kept as the status the load answers.
void StoreIncoming(BoardContext& board, const std::vector<std::uint8_t>& bytes, bool append) {
  if (!append) board.SetValue("ffile.fault", 0);
  std::FILE* file = std::fopen(Incoming(board).c_str(), append ? "ab" : "wb");
  int why = 0;
  if (!file) {
    why = errno;
  } else {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) why = errno ? errno : ENOSPC;
    if (std::fclose(file) != 0 && why == 0) why = errno;
  }
  if (why != 0 && board.Value("ffile.fault") == 0) board.SetValue("ffile.fault", StoreFaultStatus(why));
}

void AskForMore(BoardContext& board, BoardReply& reply) {
  std::int32_t request = std::min(std::max(board.Value("ffile.remaining"), 0), PieceSize(board));
  reply.PutLong(request);
}

// All of a frame file came: its frames fill the board's frames from the first asked for.
void FinishFrames(BoardContext& board, BoardReply& reply) {
  SetStage(board, kIdle);
  std::vector<StoredFrame> frames;
  std::int32_t format = board.Value("ffile.format");
  std::vector<std::uint8_t> bytes = ReadBytes(Incoming(board));
  std::error_code ec;
  fs::remove(Incoming(board), ec);
  reply.PutLong(0);
  // A file the store could not keep says why, not that it was of a wrong type.
  if (const std::int32_t fault = board.Value("ffile.fault"); fault != 0) {
    reply.result = fault;
    return;
  }
  // A file of the format that holds no frame is no frame file either.
  if (!ParseFrameFile(format, bytes, frames) || frames.empty()) {
    reply.result = kWrongFileType;
    return;
  }
  std::int32_t from = std::max(board.Value("ffile.from"), 0);
  std::int32_t to = board.Value("ffile.to");
  FrameStore store(board);
  std::int32_t last = from - 1;
  for (const StoredFrame& frame : frames) {
    if (last + 1 > to || last + 1 > 0x7FFF) break;
    // A frame beyond the session's frame size would read back cut short.
    if (frame.points.size() > static_cast<std::size_t>(std::max(store.FrameSize(), 0)) ||
        !store.Fits(last + 1, frame.points.size())) {
      reply.error = kBoardLowMemory;
      break;
    }
    if (!store.Write(last + 1, frame)) {
      reply.result = StoreFaultStatus(errno);
      break;
    }
    ++last;
  }
  board.SetValue("ffile.first", from);
  board.SetValue("ffile.last", last);
}

// Command 36: from, to, format, file size, flag, then the name part.
void LoadFrameFile(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 20, reply)) return;
  board.SetValue("ffile.from", command.Long(0));
  board.SetValue("ffile.to", command.Long(4));
  board.SetValue("ffile.format", command.Long(8));
  board.SetValue("ffile.remaining", std::max(command.Long(12), 0));
  board.SetValue("ffile.first", command.Long(0));
  board.SetValue("ffile.last", command.Long(0) - 1);
  StoreIncoming(board, {}, false);
  SetStage(board, kFramesIn);
  if (command.Long(12) <= 0) {
    FinishFrames(board, reply);
    return;
  }
  AskForMore(board, reply);
}

// Command 86: the first and last frame the last load filled.
void LoadedRange(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  reply.PutShort(static_cast<std::int16_t>(board.Value("ffile.first")));
  reply.PutShort(static_cast<std::int16_t>(board.Value("ffile.last")));
}

void SendChunk(BoardContext& board, BoardReply& reply) {
  std::vector<std::uint8_t> data = ReadBytes(Outgoing(board));
  std::size_t pos = std::min(static_cast<std::size_t>(std::max(board.Value("ffile.pos"), 0)), data.size());
  std::size_t size = std::min(data.size() - pos, static_cast<std::size_t>(PieceSize(board)));
  reply.PutLong(static_cast<std::int32_t>(size));
  reply.data.insert(reply.data.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
                    data.begin() + static_cast<std::ptrdiff_t>(pos + size));
  board.SetValue("ffile.pos", static_cast<std::int32_t>(pos + size));
  if (size == 0) SetStage(board, kIdle);
}

// Command 37: frames first..last (up to the last that holds anything) in the format asked for.
void SaveFrameFile(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 12, reply)) return;
  std::int32_t first = std::max(command.Long(0), 0);
  std::int32_t last = std::min(command.Long(4), first + 0xFFFF);
  FrameStore store(board);
  std::vector<StoredFrame> frames;
  std::size_t kept = 0;
  for (std::int32_t n = first; n <= last; ++n) {
    frames.push_back(store.Read(n));
    if (frames.back().exists) kept = frames.size();
  }
  frames.resize(kept);
  std::vector<std::uint8_t> data = FormatFrameFile(command.Long(8), frames, "");
  std::ofstream(Outgoing(board), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  board.SetValue("ffile.pos", 0);
  SetStage(board, kFramesOut);
  SendChunk(board, reply);
}

// Command 71: a font comes; its first eight bytes say how long it is.
void LoadFontCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  StoreIncoming(board, {}, false);
  board.SetValue("ffile.remaining", kFontHeaderBytes);
  SetStage(board, kFontHeader);
  AskForMore(board, reply);
}

void FinishFont(BoardContext& board, BoardReply& reply) {
  SetStage(board, kIdle);
  std::vector<std::uint8_t> bytes = ReadBytes(Incoming(board));
  std::error_code ec;
  fs::remove(Incoming(board), ec);
  reply.PutLong(0);
  if (const std::int32_t fault = board.Value("ffile.fault"); fault != 0) reply.result = fault;
  else if (!InstallFont(board, bytes)) reply.error = kBoardDownloadBad;
}

}  // namespace

bool FrameFileDialogueRuns(BoardContext& board) {
  std::int32_t stage = board.Value("ffile.stage");
  if (stage == kIdle) return false;
  std::uint16_t previous = board.PreviousCommand();
  bool direct = stage == kFramesOut ? (previous == 37 || previous == 182)
                                    : (previous == 36 || previous == 71 || previous == 181);
  if (!direct) SetStage(board, kIdle);
  return direct;
}

void FrameFileDialogueStep(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  auto stage = static_cast<Stage>(board.Value("ffile.stage"));
  if (stage == kFramesOut) {
    if (command.code == 182) {
      SendChunk(board, reply);
    } else {
      SetStage(board, kIdle);  // the host could not write
    }
    return;
  }
  if (command.code == 182) {
    reply.error = kBoardNullCommand;
    return;
  }
  StoreIncoming(board, command.operands, true);
  std::int32_t remaining = board.Value("ffile.remaining") - static_cast<std::int32_t>(command.operands.size());
  if (command.code == 85) remaining = 0;
  board.SetValue("ffile.remaining", std::max(remaining, 0));
  if (stage == kFontHeader && remaining <= 0) {
    std::vector<std::uint8_t> header = ReadBytes(Incoming(board));
    std::int32_t total = 0;
    if (header.size() == kFontHeaderBytes) {
      total = static_cast<std::int32_t>((std::uint32_t{header[4]} << 24) | (std::uint32_t{header[5]} << 16) |
                                        (std::uint32_t{header[6]} << 8) | header[7]);
    }
    if (command.code == 85 || total <= kFontHeaderBytes || total > kMaxFontBytes) {
      FinishFont(board, reply);  // not a font: refused once whole
      return;
    }
    board.SetValue("ffile.remaining", total - kFontHeaderBytes);
    SetStage(board, kFontBody);
    AskForMore(board, reply);
    return;
  }
  if (board.Value("ffile.remaining") > 0) {
    AskForMore(board, reply);
    return;
  }
  if (stage == kFramesIn) {
    FinishFrames(board, reply);
  } else {
    FinishFont(board, reply);
  }
}

void RegisterFrameFileCommands() {
  AddBuiltinCommand(36, LoadFrameFile, false);
  AddBuiltinCommand(37, SaveFrameFile, false);
  AddBuiltinCommand(86, LoadedRange, false);
  AddBuiltinCommand(71, LoadFontCommand, false);
}

}  // namespace winplat::hw::detail
