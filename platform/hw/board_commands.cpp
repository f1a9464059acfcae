// Command dispatch of the board software: faults, the handler registry, the
// boot program's short list, and the command log.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "board_files.h"
#include "board_machine.h"

namespace winplat::hw {
namespace {

struct Entry {
  BoardCommandHandler handler;
  bool inBoot = false;
};

std::mutex registryMutex;
std::map<std::uint16_t, Entry>& Registry() {
  static std::map<std::uint16_t, Entry> registry;
  return registry;
}

std::once_flag builtinOnce;

void EnsureBuiltins() {
  std::call_once(builtinOnce, [] {
    detail::RegisterBuiltinCommands();
    detail::RegisterSessionCommands();
  });
}

std::filesystem::path LogPath() { return detail::HardwareFolder() / "commands.log"; }
// The log's older part, the lines before the last rotation.
std::filesystem::path OldLogPath() { return detail::HardwareFolder() / "commands.log.1"; }
// The log is rotated when it passes this size, so it never holds more than
// twice this (the last lines always).
constexpr std::uint64_t kLogLimit = 1024 * 1024;

// The log stays open for appending, one write a command (under the machine lock).
detail::AppendFile& TheLog() {
  static detail::AppendFile log;
  return log;
}

// Two lower-case hexadecimal digits of every byte value.
struct HexDigits {
  char pairs[256][2];
  constexpr HexDigits() : pairs() {
    constexpr char digits[] = "0123456789abcdef";
    for (int b = 0; b < 256; ++b) {
      pairs[b][0] = digits[b >> 4];
      pairs[b][1] = digits[b & 15];
    }
  }
};
constexpr HexDigits kHex;

// Decimal text of a number, appended.
void AppendNumber(std::string& line, long long value) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  line.append(text, end);
}

void AppendLog(const detail::Board& board, std::uint16_t code, const std::uint8_t* operands, std::size_t count,
               const BoardReply& reply) {
  // One buffer for the whole line, one append: "board family code error result operands".
  thread_local std::string line;
  line.clear();
  line.reserve(48 + 2 * count);
  AppendNumber(line, board.Index());
  line += board.Family() == BoardFamily::Isa ? " ISA " : " PCI ";
  AppendNumber(line, code);
  line += ' ';
  AppendNumber(line, reply.error);
  line += ' ';
  AppendNumber(line, reply.result);
  line += ' ';
  const std::size_t at = line.size();
  line.resize(at + 2 * count);
  char* hex = line.data() + at;
  for (std::size_t i = 0; i < count; ++i, hex += 2) {
    hex[0] = kHex.pairs[operands[i]][0];
    hex[1] = kHex.pairs[operands[i]][1];
  }
  if (count == 0) line += '-';
  line += '\n';
  TheLog().Append(LogPath(), line);
  if (TheLog().Size() > kLogLimit) {
    // Copied and emptied rather than renamed: every process keeps its log open.
    std::error_code ec;
    std::filesystem::path tmp = OldLogPath();
    tmp += ".new";
    if (std::filesystem::copy_file(LogPath(), tmp, std::filesystem::copy_options::overwrite_existing, ec))
      std::filesystem::rename(tmp, OldLogPath(), ec);
    TheLog().Truncate(LogPath());
  }
}

}  // namespace

void BoardReply::PutLong(std::int32_t value) {
  auto u = static_cast<std::uint32_t>(value);
  for (int shift = 24; shift >= 0; shift -= 8) data.push_back(static_cast<std::uint8_t>(u >> shift));
}

void BoardReply::PutShort(std::int16_t value) {
  auto u = static_cast<std::uint16_t>(value);
  data.push_back(static_cast<std::uint8_t>(u >> 8));
  data.push_back(static_cast<std::uint8_t>(u));
}

std::int32_t BoardCommand::Long(std::size_t offset) const {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    v = (v << 8) | (offset + i < operands.size() ? operands[offset + i] : 0u);
  }
  return static_cast<std::int32_t>(v);
}

std::int16_t BoardCommand::Short(std::size_t offset) const {
  std::uint16_t hi = offset < operands.size() ? operands[offset] : 0;
  std::uint16_t lo = offset + 1 < operands.size() ? operands[offset + 1] : 0;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>((hi << 8) | lo));
}

bool RequireOperands(const BoardCommand& command, std::size_t bytes, BoardReply& reply) {
  if (command.operands.size() >= bytes) return true;
  reply.error = kBoardInsufficientOperands;
  return false;
}

void RegisterBoardCommand(std::uint16_t code, BoardCommandHandler handler, bool inBoot) {
  EnsureBuiltins();
  std::lock_guard lock(registryMutex);
  Registry()[code] = Entry{std::move(handler), inBoot};
}

namespace detail {

void AddBuiltinCommand(std::uint16_t code, BoardCommandHandler handler, bool inBoot) {
  std::lock_guard lock(registryMutex);
  Registry()[code] = Entry{std::move(handler), inBoot};
}

void RunCommand(Board& board, std::uint16_t code, const std::uint8_t* operands, std::size_t count,
                BoardReply& reply) {
  EnsureBuiltins();
  reply = BoardReply{};
  const BoardConfig& config = board.Config();
  BoardCommand command{code, std::vector<std::uint8_t>(operands, operands + count)};
  bool faulted = false;
  for (const BoardFault& f : config.faults) {
    if (f.kind == BoardFault::ErrorOnCommand && (f.command < 0 || f.command == code)) {
      reply.error = f.value;
      faulted = true;
      break;
    }
    if (f.kind == BoardFault::LowMemory && code == 51) {
      reply.error = kBoardLowMemory;
      faulted = true;
      break;
    }
  }
  if (!faulted) {
    Entry entry;
    {
      std::lock_guard lock(registryMutex);
      auto it = Registry().find(code);
      if (it != Registry().end()) entry = it->second;
    }
    if (!entry.handler || (board.Program() == BoardProgram::Boot && !entry.inBoot)) {
      reply.error = kBoardUndefinedCommand;
    } else {
      board.LoadWordBlock();
      entry.handler(board, command, reply);
      board.StoreWordBlock();
    }
    if (code == 4 && reply.error == 0 && config.Has(BoardFault::BadReadback)) {
      reply.result = static_cast<std::int32_t>(static_cast<std::uint32_t>(reply.result) ^ 0x00FF00FFu);
    }
  }
  board.State().previousCommand = code;
  ++board.State().commandsRun;
  AppendLog(board, code, operands, count, reply);
}

}  // namespace detail

std::vector<LoggedCommand> ReadCommandLog() {
  detail::MachineLock lock;
  std::vector<LoggedCommand> log;
  detail::CountFileCall();
  std::ifstream old(OldLogPath());
  std::ifstream now(LogPath());
  std::string line;
  for (std::ifstream* in : {&old, &now}) {
    while (std::getline(*in, line)) {
      std::istringstream s(line);
      LoggedCommand entry;
      std::string family, hex;
      long code = 0;
      if (!(s >> entry.board >> family >> code >> entry.error >> entry.result >> hex)) continue;
      entry.family = family == "PCI" ? BoardFamily::Pci : BoardFamily::Isa;
      entry.code = static_cast<std::uint16_t>(code);
      if (hex != "-") {
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
          entry.operands.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
        }
      }
      log.push_back(std::move(entry));
    }
  }
  return log;
}

void ClearCommandLog() {
  detail::MachineLock lock;
  // Emptied rather than removed: every process keeps its log open.
  TheLog().Truncate(LogPath());
  std::error_code ec;
  std::filesystem::remove(OldLogPath(), ec);
}

}  // namespace winplat::hw
