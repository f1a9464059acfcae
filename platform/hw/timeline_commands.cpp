// The board software's timelines: groups, scenes and effects kept as the
// records the host sent, in order, and answered from them; beats and live keys.
//
// A group lives in "timelines/<key Long><number>.grp" of the board's folder: records of a
// 16-bit command code, a 16-bit length and the operand bytes, the header first.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "board_machine.h"

namespace winplat::hw::detail {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kNotFound = -300;
constexpr std::size_t kKeyBytes = 8;
constexpr std::size_t kHeaderBytes = 348;
constexpr std::size_t kLiveKeyBytes = 500;

struct Record {
  std::uint16_t code;
  std::vector<std::uint8_t> bytes;
};

fs::path Folder(const BoardContext& board) {
  fs::path folder = board.Folder() / "timelines";
  std::error_code ec;
  fs::create_directories(folder, ec);
  return folder;
}

std::string KeyName(const std::uint8_t* key, std::size_t count) {
  std::string name;
  char hex[3];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(hex, sizeof hex, "%02x", key[i]);
    name += hex;
  }
  return name;
}

// A group is found by its key Long and number; its type is what was written.
fs::path GroupFile(const BoardContext& board, const BoardCommand& command) {
  const std::uint8_t* key = command.operands.data();
  return Folder(board) / (KeyName(key, 4) + KeyName(key + 6, 2) + ".grp");
}

std::vector<Record> ReadGroup(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> all{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<Record> records;
  std::size_t at = 0;
  while (at + 4 <= all.size()) {
    std::uint16_t code = static_cast<std::uint16_t>(all[at] << 8 | all[at + 1]);
    std::size_t length = static_cast<std::size_t>(all[at + 2] << 8 | all[at + 3]);
    at += 4;
    if (at + length > all.size()) break;  // a torn tail is dropped
    records.push_back({code, {all.begin() + static_cast<std::ptrdiff_t>(at),
                              all.begin() + static_cast<std::ptrdiff_t>(at + length)}});
    at += length;
  }
  return records;
}

void AppendRecord(const fs::path& path, std::uint16_t code, const std::vector<std::uint8_t>& bytes, bool fresh) {
  std::ofstream out(path, std::ios::binary | (fresh ? std::ios::trunc : std::ios::app));
  const char head[4] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF),
                        static_cast<char>(bytes.size() >> 8), static_cast<char>(bytes.size() & 0xFF)};
  out.write(head, 4);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Commands 141, 142, 139, 137 and 136: the header starts the group afresh; items follow it.
BoardCommandHandler Keep(std::size_t bytes, bool header) {
  return [bytes, header](BoardContext& board, const BoardCommand& command, BoardReply& reply) {
    if (!RequireOperands(command, bytes, reply)) return;
    fs::path path = GroupFile(board, command);
    if (!header && !fs::exists(path)) {
      reply.result = kNotFound;
      return;
    }
    std::vector<std::uint8_t> kept(command.operands.begin(),
                                   command.operands.begin() + static_cast<std::ptrdiff_t>(bytes));
    AppendRecord(path, command.code, kept, header);
  };
}

// Command 133: the header as it was written.
void ReadHeader(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, kKeyBytes, reply)) return;
  std::vector<Record> records = ReadGroup(GroupFile(board, command));
  if (records.empty() || records.front().code != 141) {
    reply.result = kNotFound;
    return;
  }
  reply.data = records.front().bytes;
}

// The n-th record of a code (from 1), or nullptr.
const Record* Nth(const std::vector<Record>& records, std::uint16_t code, std::int32_t n) {
  std::int32_t seen = 0;
  for (const Record& r : records) {
    if (r.code == code && ++seen == n) return &r;
  }
  return nullptr;
}

std::int32_t LongAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::int32_t>(std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
                                   std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3]);
}

// Commands 134, 131 and 129: item n, answered with what was sent from `from` on.
BoardCommandHandler ReadItem(std::uint16_t written, std::size_t from) {
  return [written, from](BoardContext& board, const BoardCommand& command, BoardReply& reply) {
    if (!RequireOperands(command, kKeyBytes + 4, reply)) return;
    std::vector<Record> records = ReadGroup(GroupFile(board, command));
    const Record* r = Nth(records, written, command.Long(kKeyBytes));
    if (!r) {
      reply.result = kNotFound;
      return;
    }
    reply.data.assign(r->bytes.begin() + static_cast<std::ptrdiff_t>(from), r->bytes.end());
  };
}

// Command 128: part j of transition h.
void ReadPart(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, kKeyBytes + 8, reply)) return;
  std::vector<Record> records = ReadGroup(GroupFile(board, command));
  std::int32_t h = command.Long(kKeyBytes);
  std::int32_t j = command.Long(kKeyBytes + 4);
  for (const Record& r : records) {
    if (r.code == 136 && LongAt(r.bytes, 8) == h && LongAt(r.bytes, 12) == j) {
      reply.data.assign(r.bytes.begin() + 16, r.bytes.end());
      return;
    }
  }
  reply.result = kNotFound;
}

// Beats (140 keeps 28 bytes, 132 answers the 20 after the key) and live keys.
fs::path KeyedFile(const BoardContext& board, const char* kind, const BoardCommand& command) {
  return Folder(board) / (std::string(kind) + KeyName(command.operands.data(), kKeyBytes));
}

void WriteBlob(const fs::path& path, const std::uint8_t* bytes, std::size_t count) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
}

bool ReadBlob(const fs::path& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

void WriteBeat(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 28, reply)) return;
  WriteBlob(KeyedFile(board, "beat", command), command.operands.data() + kKeyBytes, 20);
}

void ReadBeat(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 20, reply)) return;
  std::vector<std::uint8_t> bytes;
  if (!ReadBlob(KeyedFile(board, "beat", command), bytes) || bytes.size() != 20) {
    reply.result = kNotFound;
    return;
  }
  reply.data = bytes;
}

void WriteLive(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, kKeyBytes + kLiveKeyBytes, reply)) return;
  WriteBlob(KeyedFile(board, "live", command), command.operands.data() + kKeyBytes, kLiveKeyBytes);
}

void ReadLive(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, kKeyBytes, reply)) return;
  std::vector<std::uint8_t> bytes;
  if (!ReadBlob(KeyedFile(board, "live", command), bytes) || bytes.size() != kLiveKeyBytes) {
    reply.result = kNotFound;
    return;
  }
  reply.data = bytes;
}

}  // namespace

void ForgetTimelines(BoardContext& board) {
  std::error_code ec;
  fs::remove_all(board.Folder() / "timelines", ec);
}

void RegisterTimelineCommands() {
  AddBuiltinCommand(141, Keep(kHeaderBytes, true), false);
  AddBuiltinCommand(142, Keep(32, false), false);
  AddBuiltinCommand(139, Keep(46, false), false);
  AddBuiltinCommand(137, Keep(22, false), false);
  AddBuiltinCommand(136, Keep(38, false), false);
  AddBuiltinCommand(133, ReadHeader, false);
  AddBuiltinCommand(134, ReadItem(142, 12), false);
  AddBuiltinCommand(131, ReadItem(139, 12), false);
  AddBuiltinCommand(129, ReadItem(137, 12), false);
  AddBuiltinCommand(128, ReadPart, false);
  AddBuiltinCommand(140, WriteBeat, false);
  AddBuiltinCommand(132, ReadBeat, false);
  AddBuiltinCommand(135, WriteLive, false);
  AddBuiltinCommand(130, ReadLive, false);
}

}  // namespace winplat::hw::detail
