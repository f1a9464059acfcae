// The board software's life: the boot download with its S-record checks, the
// start of the operating software, sessions, reboot and the memory figures.
#include <filesystem>
#include <system_error>

#include "board_machine.h"
#include "board_software_parse.h"
#include "frame_store.h"

namespace winplat::hw::detail {
namespace {

constexpr std::int32_t kMaxFramePoints = 6000;
constexpr std::int32_t kNoSession = -101;
constexpr std::int32_t kDefaultMemory = 4 * 1024 * 1024;
// The operating software image carries its two dates in a record whose data
// begins with this mark, followed by the dates as big-endian longs.
constexpr std::uint8_t kDatesMark[4] = {'V', 'X', 'O', 'S'};

int HexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::int32_t BigLong(const std::uint8_t* p) {
  return static_cast<std::int32_t>((std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                   (std::uint32_t{p[2]} << 8) | p[3]);
}

bool InSession(const BoardContext& board) {
  return board.Program() == BoardProgram::Operating && board.Value("session.running") != 0;
}

// Command 1: one S-record of the operating software, checked record by record:
// a record that is not S3 or S7 hex text of its own length is DOWNLOAD BAD, a
// wrong checksum CHECKSUM BAD.
void DownloadRecord(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  SRecord record;
  switch (ParseSRecord(command.operands, record)) {
    case SRecordCheck::Bad:
      reply.error = kBoardDownloadBad;
      return;
    case SRecordCheck::ChecksumBad:
      reply.error = kBoardChecksumBad;
      return;
    case SRecordCheck::Good:
      break;
  }
  if (record.type == '7') {
    board.SetValue("download.entry", static_cast<std::int32_t>(record.address));
    board.SetValue("download.complete", 1);
    return;
  }
  const auto& data = record.data;
  board.SetValue("download.bytes", board.Value("download.bytes") + static_cast<std::int32_t>(data.size()));
  board.SetValue("download.complete", 0);
  if (data.size() >= 12 && std::equal(data.begin(), data.begin() + 4, kDatesMark)) {
    board.SetValue("download.date1", BigLong(data.data() + 4));
    board.SetValue("download.date2", BigLong(data.data() + 8));
  }
}

// Command 8: starts the downloaded software (its end record seen) with the
// dates its image carried.
void StartSoftware(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  if (board.Program() == BoardProgram::Operating) return;
  if (!board.Value("download.complete")) {
    reply.error = kBoardDownloadBad;
    return;
  }
  board.SetProgram(BoardProgram::Operating);
  board.SetValue("session.running", 0);
  if (std::int32_t d1 = board.Value("download.date1")) board.SetValue("software.date1", d1);
  if (std::int32_t d2 = board.Value("download.date2")) board.SetValue("software.date2", d2);
}

// Command 35 (operating software only; the boot program answers error 2).
void SessionStatus(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  if (!InSession(board)) {
    reply.result = kNoSession;
    return;
  }
  reply.PutLong(board.Value("session.maxFramePoints", kMaxFramePoints));
}

// Command 18: begins (or begins again) a session with four values.
void BeginSessionCommand(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 16, reply)) return;
  for (int i = 0; i < 4; ++i) {
    board.SetValue("session.p" + std::to_string(i + 1), command.Long(static_cast<std::size_t>(4 * i)));
  }
  board.SetValue("session.running", 1);
  board.SetValue("session.maxFramePoints", kMaxFramePoints);
  ResetFrameSession(board, false);
  reply.PutLong(kMaxFramePoints);
}

// Command 23: the board's number among the boards of the session.
void BoardNumber(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  board.SetValue("session.boardNumber", command.Long(0));
}

// Command 92: the session's four values as signed 16-bit values.
void SessionSettings(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  if (!InSession(board)) {
    reply.result = kNoSession;
    return;
  }
  for (int i = 1; i <= 4; ++i) reply.PutShort(static_cast<std::int16_t>(board.Value("session.p" + std::to_string(i))));
}

// Command 19: ends the session; the software keeps running with its frames.
void EndSessionCommand(BoardContext& board, const BoardCommand&, BoardReply&) { board.SetValue("session.running", 0); }

std::int32_t MemoryTotal(const BoardContext& board);

// Command 115: back to the boot program; session, download, frames, shows,
// timelines, the abstract generator and the auxiliary ports are gone.
void Reboot(BoardContext& board, const BoardCommand&, BoardReply&) {
  board.SetProgram(BoardProgram::Boot);
  for (const char* name : {"session.running", "download.complete", "download.bytes", "download.date1",
                           "download.date2", "memory.stolen"}) {
    board.SetValue(name, 0);
  }
  board.SetValue("memory.lowest", MemoryTotal(board));
  std::error_code ec;
  std::filesystem::remove_all(board.Folder() / "frames", ec);
  std::filesystem::remove_all(board.Folder() / "shows", ec);
  ForgetTimelines(board);
  ForgetAbstractState(board);
  ResetFrameSession(board, true);
}

// The memory budget: what the frames' files take and what was stolen.
std::int32_t MemoryTotal(const BoardContext& board) {
  std::int64_t configured = std::min<std::int64_t>(board.Config().memory, INT32_MAX);
  return configured > 0 ? static_cast<std::int32_t>(configured) : board.Value("memory.total", kDefaultMemory);
}

std::int64_t FrameBytes(const BoardContext& board) {
  std::int64_t used = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(board.Folder() / "frames", ec)) {
    if (entry.is_regular_file(ec)) used += static_cast<std::int64_t>(entry.file_size(ec));
  }
  return used;
}

std::int32_t MemoryFree(BoardContext& board) {
  std::int64_t free = std::int64_t{MemoryTotal(board)} - FrameBytes(board) - board.Value("memory.stolen");
  auto value = static_cast<std::int32_t>(std::max<std::int64_t>(free, 0));
  if (value < board.Value("memory.lowest", MemoryTotal(board))) board.SetValue("memory.lowest", value);
  return value;
}

// Command 87: one memory figure by selector: free bytes (0x7), the largest free
// block (0x20007), bytes stolen (0x40000), total memory (0x80000).
void MemoryFigure(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  switch (command.Long(0)) {
    case 0x00000007:
    case 0x00020007: reply.result = MemoryFree(board); break;
    case 0x00040000: reply.result = board.Value("memory.stolen"); break;
    case 0x00080000: reply.result = MemoryTotal(board); break;
    default: reply.error = kBoardAccessError; break;
  }
}

// Command 88: defragments; answers the free bytes.
void Defragment(BoardContext& board, const BoardCommand&, BoardReply& reply) { reply.result = MemoryFree(board); }

// Command 89: the least free memory seen since the software started.
void MemoryWatch(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  MemoryFree(board);
  reply.result = board.Value("memory.lowest", MemoryTotal(board));
}

// Command 209: takes bytes from the budget (a negative count gives them back);
// answers the bytes actually taken.
void StealMemory(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  std::int64_t wanted = command.Long(0);
  std::int64_t stolen = board.Value("memory.stolen");
  std::int64_t taken = wanted >= 0 ? std::min<std::int64_t>(wanted, MemoryFree(board)) : std::max(wanted, -stolen);
  board.SetValue("memory.stolen", static_cast<std::int32_t>(stolen + taken));
  reply.result = static_cast<std::int32_t>(taken);
}

}  // namespace

SRecordCheck ParseSRecord(const std::vector<std::uint8_t>& text, SRecord& record) {
  if (text.size() < 4 || text[0] != 'S' || (text[1] != '3' && text[1] != '7') || (text.size() % 2) != 0) {
    return SRecordCheck::Bad;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) return SRecordCheck::Bad;
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
  }
  // Count, four address bytes, the data, the checksum.
  if (bytes.size() < 6 || bytes[0] + 1u != bytes.size()) return SRecordCheck::Bad;
  unsigned sum = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) sum += bytes[i];
  if (static_cast<std::uint8_t>(~sum) != bytes.back()) return SRecordCheck::ChecksumBad;
  record.type = static_cast<char>(text[1]);
  record.address = static_cast<std::uint32_t>(BigLong(&bytes[1]));
  record.data.assign(bytes.begin() + 5, bytes.end() - 1);
  return SRecordCheck::Good;
}

void RegisterSessionCommands() {
  AddBuiltinCommand(1, DownloadRecord, true);
  AddBuiltinCommand(8, StartSoftware, true);
  AddBuiltinCommand(115, Reboot, true);
  AddBuiltinCommand(35, SessionStatus, false);
  AddBuiltinCommand(18, BeginSessionCommand, false);
  AddBuiltinCommand(19, EndSessionCommand, false);
  AddBuiltinCommand(23, BoardNumber, false);
  AddBuiltinCommand(92, SessionSettings, false);
  AddBuiltinCommand(87, MemoryFigure, false);
  AddBuiltinCommand(88, Defragment, false);
  AddBuiltinCommand(89, MemoryWatch, false);
  AddBuiltinCommand(209, StealMemory, false);
  RegisterShowCommands();
  RegisterTimelineCommands();
  RegisterAbstractCommands();
}

}  // namespace winplat::hw::detail
