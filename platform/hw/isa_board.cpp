// The ISA board's handshake: bytes into the PC-to-board FIFO on the data port,
// a write of 0 to the status port starts the board, reply bytes come back on
// the data port while the status port tells what is waiting.
#include "isa_board.h"

#include <algorithm>
#include <cstring>

namespace winplat::hw::detail {

std::vector<std::uint8_t> FrameIsaReply(const BoardReply& reply) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(8 + reply.data.size());
  for (std::int32_t v : {reply.error, reply.result}) {
    auto u = static_cast<std::uint32_t>(v);
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(u >> shift));
  }
  bytes.insert(bytes.end(), reply.data.begin(), reply.data.end());
  return bytes;
}

std::uint8_t IsaPortDevice::Status() {
  SharedBoard& s = board_->State();
  const BoardConfig& config = board_->Config();
  switch (static_cast<IsaPhase>(s.phase)) {
    case IsaPhase::Receiving:
      return kIsaReplyEmpty | kIsaReplyDone;
    case IsaPhase::Replying:
      if (config.Has(BoardFault::EndlessReply)) return kIsaHostFifoEmpty | kIsaReplyDone;
      if (s.outPos < s.outCount) return kIsaHostFifoEmpty | kIsaReplyDone;
      s.phase = static_cast<std::uint32_t>(IsaPhase::Idle);
      [[fallthrough]];
    case IsaPhase::Idle:
      if (config.Has(BoardFault::BusyPort)) return kIsaReplyEmpty | kIsaReplyDone;
      return kIsaReplyEmpty | kIsaHostFifoEmpty | kIsaReplyDone;
    case IsaPhase::NotStarted:
      return kIsaReplyEmpty | kIsaReplyDone;
    case IsaPhase::NotFinished:
      return kIsaReplyEmpty | kIsaHostFifoEmpty;
  }
  return 0xFF;
}

// Port accesses touch only the shared mapping; the machine lock, the
// configuration check and the files belong to the command a start runs.
std::uint8_t IsaPortDevice::Read8(std::uint16_t port) {
  ProcessLock lock;
  SharedBoard& s = board_->State();
  if (port != board_->Config().port) return Status();
  if (static_cast<IsaPhase>(s.phase) != IsaPhase::Replying) return 0xFF;
  if (board_->Config().Has(BoardFault::EndlessReply)) return 0x00;
  if (s.outPos >= s.outCount || s.outPos >= sizeof s.out) return 0xFF;
  return s.out[s.outPos++];
}

void IsaPortDevice::Write8(std::uint16_t port, std::uint8_t value) {
  ProcessLock lock;
  SharedBoard& s = board_->State();
  if (port == board_->Config().port) {
    // A new command discards whatever was left of an earlier one.
    if (static_cast<IsaPhase>(s.phase) != IsaPhase::Receiving) {
      s.inCount = 0;
      s.outCount = s.outPos = 0;
      s.phase = static_cast<std::uint32_t>(IsaPhase::Receiving);
    }
    if (s.inCount < sizeof s.in) s.in[s.inCount] = value;
    ++s.inCount;  // counts past the FIFO too, so an overflow is seen at the start
    return;
  }
  if (value == 0) Start();
}

void IsaPortDevice::Start() {
  MachineLock lock;
  RefreshMachine();  // faults follow the configuration in force
  SharedBoard& s = board_->State();
  const BoardConfig& config = board_->Config();
  auto phase = static_cast<IsaPhase>(s.phase);
  if (phase != IsaPhase::Receiving && phase != IsaPhase::Idle) return;
  std::uint32_t received = phase == IsaPhase::Receiving ? s.inCount : 0;
  s.inCount = 0;
  if (config.Has(BoardFault::NeverStarts)) {
    s.phase = static_cast<std::uint32_t>(IsaPhase::NotStarted);
    return;
  }
  BoardReply reply;
  if (received < 2) {
    reply.error = kBoardNullCommand;
  } else if (received > 2 + kMaxOperandBytes) {
    reply.error = kBoardDownloadBad;  // the FIFO overflowed: the command arrived damaged
  } else {
    auto code = static_cast<std::uint16_t>((s.in[0] << 8) | s.in[1]);
    std::vector<std::uint8_t> operands(s.in + 2, s.in + received);
    RunCommand(*board_, code, operands.data(), operands.size(), reply);
  }
  std::vector<std::uint8_t> bytes = FrameIsaReply(reply);
  std::size_t length = std::min(bytes.size(), kIsaReplyLimit);
  if (const BoardFault* f = config.Find(BoardFault::ReplyBytes)) {
    length = std::min(static_cast<std::size_t>(f->value), sizeof s.out);
  }
  bytes.resize(std::max(length, bytes.size()), 0);
  std::memcpy(s.out, bytes.data(), length);
  s.outCount = static_cast<std::uint32_t>(length);
  s.outPos = 0;
  s.phase = static_cast<std::uint32_t>(config.Has(BoardFault::NeverFinishes) ? IsaPhase::NotFinished
                                                                               : IsaPhase::Replying);
}

}  // namespace winplat::hw::detail
