// The board software's working tracks, sync, TTL, events and shows, and the
// board side of the file dialogues for show structures and show recordings.
//
// Show structure files (our format): "VXSS", a big-endian Long n, n bytes the
// board skips, then records of 66 bytes: a 50-byte name (NUL-padded), the key's
// Long, second short and first short, and two Longs the board answers with.
// The board keeps the structures of each slot in "shows/<which>.vxs" of its folder.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "board_machine.h"
#include "frame_file_format.h"
#include "frame_store.h"
#include "winplat/clock.h"

namespace winplat::hw::detail {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRecordBytes = 66;
constexpr std::size_t kNameBytes = 50;
constexpr std::int32_t kHeaderBytes = 8;
constexpr std::int32_t kMaxEvents = 32;
constexpr std::int32_t kNotFound = -300;
constexpr std::uint16_t kHostFailed = 85;

enum Dialogue : std::int32_t { kNone = 0, kLoadHeader, kLoadSkip, kLoadBody, kSave };

fs::path ShowsFolder(const BoardContext& board) {
  fs::path folder = board.Folder() / "shows";
  std::error_code ec;
  fs::create_directories(folder, ec);
  return folder;
}
fs::path SlotFile(const BoardContext& board, std::int32_t which) {
  return ShowsFolder(board) / (std::to_string(which) + ".vxs");
}
fs::path Incoming(const BoardContext& board) { return ShowsFolder(board) / "incoming"; }
fs::path Outgoing(const BoardContext& board) { return ShowsFolder(board) / "outgoing"; }

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& bytes, bool append = false) {
  std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::int32_t BigLong(const std::uint8_t* p) {
  return static_cast<std::int32_t>((std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                   (std::uint32_t{p[2]} << 8) | p[3]);
}

void AppendLong(std::vector<std::uint8_t>& bytes, std::int32_t value) {
  auto u = static_cast<std::uint32_t>(value);
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(u >> shift));
}

// The pieces the board asks for and the chunks it hands back fit its family's replies.
std::int32_t PieceSize(const BoardContext& board) { return board.Family() == BoardFamily::Isa ? 256 : 4000; }

void EndDialogue(BoardContext& board) { board.SetValue("dialogue", kNone); }

// Stores the values of a command under its name, one per operand Long.
BoardCommandHandler Keep(const char* name, std::size_t longs) {
  return [name, longs](BoardContext& board, const BoardCommand& command, BoardReply& reply) {
    if (!RequireOperands(command, 4 * longs, reply)) return;
    for (std::size_t i = 0; i < longs; ++i) {
      board.SetValue(std::string(name) + "." + std::to_string(i), command.Long(4 * i));
    }
  };
}

// --- Events ------------------------------------------------------------------

void AddEvent(BoardContext& board, std::int32_t value) {
  std::int32_t count = board.Value("events.count");
  if (count == kMaxEvents) {
    for (std::int32_t i = 1; i < count; ++i) {
      board.SetValue("events." + std::to_string(i - 1), board.Value("events." + std::to_string(i)));
    }
    --count;
  }
  board.SetValue("events." + std::to_string(count), value);
  board.SetValue("events.count", count + 1);
}

// Answers the event count and, when asked, the events (which are then taken).
void AnswerEvents(BoardContext& board, bool withEvents, BoardReply& reply) {
  std::int32_t count = board.Value("events.count");
  reply.PutLong(count);
  if (!withEvents) return;
  for (std::int32_t i = 0; i < count; ++i) reply.PutLong(board.Value("events." + std::to_string(i)));
  board.SetValue("events.count", 0);
}

void SyncEvent(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  AddEvent(board, command.Long(0));
}

void GetEvents(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  AnswerEvents(board, command.Long(0) != 0, reply);
}

void SyncGetEvents(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  AddEvent(board, command.Long(0));
  AnswerEvents(board, true, reply);
}

// --- Saving: the board hands the host its bytes a chunk at a time ---------------

void SendChunk(BoardContext& board, BoardReply& reply) {
  std::vector<std::uint8_t> data = ReadAll(Outgoing(board));
  auto pos = static_cast<std::size_t>(std::max(board.Value("dialogue.pos"), 0));
  std::size_t size = std::min(data.size() - std::min(pos, data.size()), static_cast<std::size_t>(PieceSize(board)));
  reply.PutLong(static_cast<std::int32_t>(size));
  reply.data.insert(reply.data.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
                    data.begin() + static_cast<std::ptrdiff_t>(pos + size));
  board.SetValue("dialogue.pos", static_cast<std::int32_t>(pos + size));
  if (size == 0) EndDialogue(board);
}

void StartSave(BoardContext& board, const std::vector<std::uint8_t>& data, BoardReply& reply) {
  WriteAll(Outgoing(board), data);
  board.SetValue("dialogue", kSave);
  board.SetValue("dialogue.pos", 0);
  SendChunk(board, reply);
}

// Command 101: the structures of a slot, as a show structure file.
void SaveStructures(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  fs::path slot = SlotFile(board, command.Long(0));
  std::vector<std::uint8_t> data;
  if (fs::exists(slot)) {
    data = {'V', 'X', 'S', 'S'};
    AppendLong(data, 0);
    std::vector<std::uint8_t> records = ReadAll(slot);
    data.insert(data.end(), records.begin(), records.end());
  }
  StartSave(board, data, reply);
}

// Command 144: plays a show and hands back its recording: "VXSR", the four
// values and the structures of the slot the first value names.
void PlayShow(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 16, reply)) return;
  std::vector<std::uint8_t> data = {'V', 'X', 'S', 'R'};
  for (std::size_t i = 0; i < 4; ++i) {
    board.SetValue("show.arg" + std::to_string(i), command.Long(4 * i));
    AppendLong(data, command.Long(4 * i));
  }
  std::vector<std::uint8_t> records = ReadAll(SlotFile(board, command.Long(0)));
  data.insert(data.end(), records.begin(), records.end());
  board.SetValue("show.playing", 1);
  board.SetValue("show.started", static_cast<std::int32_t>(winplat::GetTickCount()));
  StartSave(board, data, reply);
}

void NextChunk(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (PaletteDialogueRuns(board)) return PaletteDialogueStep(board, command, reply);
  if (FrameFileDialogueRuns(board)) return FrameFileDialogueStep(board, command, reply);
  if (board.Value("dialogue") != kSave) {
    reply.error = kBoardNullCommand;
    return;
  }
  SendChunk(board, reply);
}

// --- Loading: the board asks the host for the pieces of a file ------------------

// Command 100: opens the load of a slot; asks for the header first. While a
// show plays its structures stay as they are: the board asks for nothing and
// answers 1.
void LoadStructures(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  if (board.Value("show.playing")) {
    reply.result = 1;
    reply.PutLong(0);
    return;
  }
  WriteAll(Incoming(board), {});
  board.SetValue("dialogue", kLoadHeader);
  board.SetValue("dialogue.which", command.Long(0));
  reply.PutLong(kHeaderBytes);
}

// The host has no more: whole records become the slot's structures; a file
// that ends inside a record leaves the board asking for the rest of it.
void FinishLoad(BoardContext& board, BoardReply& reply) {
  std::vector<std::uint8_t> records = ReadAll(Incoming(board));
  if (std::size_t partial = records.size() % kRecordBytes; partial != 0) {
    reply.PutLong(static_cast<std::int32_t>(kRecordBytes - partial));
    return;
  }
  EndDialogue(board);
  WriteAll(SlotFile(board, board.Value("dialogue.which")), records);
  reply.PutLong(0);
}

// Commands 181 (the piece asked for) and 85 (the host has no more: its last,
// possibly short, piece).
void Piece(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (PaletteDialogueRuns(board)) return PaletteDialogueStep(board, command, reply);
  if (FrameFileDialogueRuns(board)) return FrameFileDialogueStep(board, command, reply);
  bool last = command.code == kHostFailed;
  std::int32_t stage = board.Value("dialogue");
  if (stage == kSave && last) {  // the host could not write a chunk
    EndDialogue(board);
    return;
  }
  const auto& bytes = command.operands;
  switch (stage) {
    case kLoadHeader: {
      if (bytes.size() != static_cast<std::size_t>(kHeaderBytes) || !std::equal(bytes.begin(), bytes.begin() + 4, "VXSS")) {
        EndDialogue(board);
        reply.error = kBoardDownloadBad;
        return;
      }
      std::int32_t skip = BigLong(bytes.data() + 4);
      if (skip > 0 && !last) {
        board.SetValue("dialogue", kLoadSkip);
        reply.PutLong(-skip);
        return;
      }
      board.SetValue("dialogue", kLoadBody);
      break;
    }
    case kLoadSkip:
      // The host moved past the skipped bytes and answers with an empty piece.
      board.SetValue("dialogue", kLoadBody);
      break;
    case kLoadBody:
      WriteAll(Incoming(board), bytes, true);
      break;
    default:
      reply.error = kBoardNullCommand;
      return;
  }
  if (last) {
    FinishLoad(board, reply);
    return;
  }
  reply.PutLong(PieceSize(board));
}

// --- Shows and structures --------------------------------------------------------

void StopShowCommand(BoardContext& board, const BoardCommand& command, BoardReply&) {
  board.SetValue("show.playing", 0);
  if (command.code == 201) board.SetValue("show.stop", command.Long(0));
}

void CuetrackMilliseconds(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  std::int32_t ms = 0;
  if (board.Value("show.playing")) {
    ms = static_cast<std::int32_t>(winplat::GetTickCount() - static_cast<std::uint32_t>(board.Value("show.started")));
  }
  reply.PutLong(ms);
}

// Command 203: finds a structure by its 50-byte name in every slot.
void FindStructures(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, kNameBytes + 8, reply)) return;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(ShowsFolder(board), ec)) {
    if (entry.path().extension() != ".vxs") continue;
    std::vector<std::uint8_t> records = ReadAll(entry.path());
    for (std::size_t at = 0; at + kRecordBytes <= records.size(); at += kRecordBytes) {
      if (!std::equal(records.begin() + static_cast<std::ptrdiff_t>(at),
                      records.begin() + static_cast<std::ptrdiff_t>(at + kNameBytes), command.operands.begin())) {
        continue;
      }
      reply.data.insert(reply.data.end(), records.begin() + static_cast<std::ptrdiff_t>(at + kNameBytes),
                        records.begin() + static_cast<std::ptrdiff_t>(at + kRecordBytes));
      return;
    }
  }
  reply.result = kNotFound;
}

}  // namespace

void RegisterShowCommands() {
  AddBuiltinCommand(38, Keep("working.tracks", 1), false);
  AddBuiltinCommand(183, Keep("multi", 1), false);
  AddBuiltinCommand(185, Keep("sync.parameters", 3), false);
  AddBuiltinCommand(138, Keep("ttl", 2), false);
  AddBuiltinCommand(184, SyncEvent, false);
  AddBuiltinCommand(188, SyncEvent, false);
  AddBuiltinCommand(197, GetEvents, false);
  AddBuiltinCommand(200, SyncGetEvents, false);
  AddBuiltinCommand(93, CuetrackMilliseconds, false);
  AddBuiltinCommand(143, StopShowCommand, false);
  AddBuiltinCommand(201, StopShowCommand, false);
  AddBuiltinCommand(144, PlayShow, false);
  AddBuiltinCommand(100, LoadStructures, false);
  AddBuiltinCommand(101, SaveStructures, false);
  AddBuiltinCommand(181, Piece, false);
  AddBuiltinCommand(85, Piece, false);
  AddBuiltinCommand(182, NextChunk, false);
  AddBuiltinCommand(203, FindStructures, false);
  RegisterFrameFileCommands();
  RegisterLaserTextCommands();
}

}  // namespace winplat::hw::detail
