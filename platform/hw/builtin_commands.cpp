// Commands built into the board software: the dates, board memory, the word
// blocks and the display transform. The download, start, status and session
// commands live with the session.
#include <cctype>
#include <string>

#include "board_machine.h"
#include "display_state.h"
#include "frame_store.h"

namespace winplat::hw::detail {
namespace {

// Dates of the boot program in the boards' ROM and of the operating software
// when its download did not say otherwise.
constexpr std::int32_t kBootDate1 = 19990614;
constexpr std::int32_t kBootDate2 = 19990802;
constexpr std::int32_t kSoftwareDate1 = 20000110;
constexpr std::int32_t kSoftwareDate2 = 20000124;

// Command 50: the dates of the program that runs.
void Dates(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  if (board.Program() == BoardProgram::Boot) {
    reply.PutLong(kBootDate1);
    reply.PutLong(kBootDate2);
  } else {
    reply.PutLong(board.Value("software.date1", kSoftwareDate1));
    reply.PutLong(board.Value("software.date2", kSoftwareDate2));
  }
}

std::uint32_t IdentityAddress(const BoardContext& board) {
  return board.Family() == BoardFamily::Isa ? kIsaIdentityAddress : kPciIdentityAddress;
}

// Command 4: read one 32-bit word of board memory.
void ReadMemoryWord(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 4, reply)) return;
  auto address = static_cast<std::uint32_t>(command.Long(0));
  reply.result = address == IdentityAddress(board) ? board.Config().identity
                                                    : static_cast<std::int32_t>(board.ReadMemory(address));
}

// Command 7: write one 32-bit word of board memory; answers the value written.
void WriteMemoryWord(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 8, reply)) return;
  auto address = static_cast<std::uint32_t>(command.Long(0));
  if (address == IdentityAddress(board) || !board.WriteMemory(address, static_cast<std::uint32_t>(command.Long(4)))) {
    reply.error = kBoardAccessError;
    return;
  }
  reply.result = command.Long(4);
}

// Command 51: a chunk of 16-bit words for the board. The first chunk after
// any other command starts a new block.
void WordBlockIn(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  auto& block = board.WordBlock();
  if (board.PreviousCommand() != 51) block.clear();
  board.SetValue("words.cursor", -1);
  if (block.size() + command.operands.size() > kWordBlockBytes) {
    reply.error = kBoardLowMemory;
    return;
  }
  block.insert(block.end(), command.operands.begin(), command.operands.end());
  if (block.size() % 2) block.push_back(0);  // an odd chunk carries the high byte of its last word
}

// Command 52: first the block's byte count, then its bytes a chunk at a time
// (from reply byte 4), until all were read.
void WordBlockOut(BoardContext& board, const BoardCommand&, BoardReply& reply) {
  auto& block = board.WordBlock();
  auto total = static_cast<std::int32_t>(block.size());
  std::int32_t cursor = board.Value("words.cursor", -1);
  if (cursor < 0 || cursor >= total) {
    reply.result = total;
    board.SetValue("words.cursor", total > 0 ? 0 : -1);
    return;
  }
  std::int32_t chunk = board.Family() == BoardFamily::Isa ? 128 : 4000;
  std::int32_t size = std::min(chunk, total - cursor);
  std::vector<std::uint8_t> bytes(block.begin() + cursor, block.begin() + cursor + size);
  bytes.resize(std::max<std::size_t>(bytes.size(), 4), 0);
  reply.result = static_cast<std::int32_t>((std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                                           (std::uint32_t{bytes[2]} << 8) | bytes[3]);
  reply.data.assign(bytes.begin() + 4, bytes.end());
  cursor += (size + 1) & ~1;
  board.SetValue("words.cursor", cursor >= total ? -1 : cursor);
}

// Command 210: two display transformation values.
void DisplayTransform(BoardContext& board, const BoardCommand& command, BoardReply& reply) {
  if (!RequireOperands(command, 8, reply)) return;
  board.SetValue("display.trans2.a", command.Long(0));
  board.SetValue("display.trans2.b", command.Long(4));
}

}  // namespace

void RegisterBuiltinCommands() {
  AddBuiltinCommand(4, ReadMemoryWord, true);
  AddBuiltinCommand(7, WriteMemoryWord, true);
  AddBuiltinCommand(50, Dates, true);
  AddBuiltinCommand(51, WordBlockIn, false);
  AddBuiltinCommand(52, WordBlockOut, false);
  AddBuiltinCommand(210, DisplayTransform, false);
  RegisterFrameCommands();
  RegisterDisplayCommands();
}

}  // namespace winplat::hw::detail
