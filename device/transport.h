#pragma once
// The board command transport: sends the staged command to every working board
// over the ISA port handshake or the PCI mailbox and collects the reply.
#include <cstdint>
#include <cstddef>
#include <string>

#include "winplat/msgbox.h"

namespace vexlib {

// Runs inside an export that holds the library mutex. Returns the board error
// code when a working board reported one, else the command result, both of the
// last working board handled; -1 for a missing or malformed reply; -2 when the
// command was skipped; -901 when a board did not finish within the poll time.
std::int32_t SendBoardCommand();

// Big-endian operands and replies at byte offsets (bounded by the buffers).
void PutLongOperand(std::int32_t offset, std::int32_t value);
void PutShortOperand(std::int32_t offset, std::int16_t value);
std::int32_t GetLongReply(std::int32_t offset);
std::int16_t GetShortReply(std::int32_t offset);

// The word block senders, taking the mutex themselves (internal entries).
std::int32_t SendWordBlockLocked(const std::int32_t* words, std::int32_t byteCount);
std::int32_t ReceiveWordBlockLocked(std::int32_t* words, std::size_t capacity);

// Reports a nonzero board error code of board i: beep, window, log line, box.
// `beforeSending`: the code came from a stale PCI reply.
void ReportBoardError(int board, std::int32_t code, bool beforeSending);

// How the transport's diagnostic boxes stand: in front, over the task.
inline constexpr unsigned DiagnosticBoxFlags =
    winplat::MB_ICONEXCLAMATION | winplat::MB_TASKMODAL | winplat::MB_SETFOREGROUND;

// "TB32 Diagnostics: Master board" and its kin for board i of the family in use.
std::string DiagnosticsCaption(int board);
// The help box a diagnostic box's OK leads to.
void ShowHelpBox(const std::string& caption);

// How long the unbounded polls may run, in milliseconds of real time.
std::int64_t PollBudgetMs();

}  // namespace vexlib
