// SendBoardCommand: the ISA port handshake and the PCI mailbox and doorbell.
#include "transport.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "export_frame.h"
#include "winplat/clock.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/pcidriver.h"
#include "winplat/hw/ports.h"
#include "winplat/msgbox.h"

namespace vexlib {
namespace {

namespace hw = winplat::hw;

constexpr std::uint32_t kDoorbellBudget = 20'000'000;
constexpr std::int32_t kTimedOut = -901;
constexpr std::int32_t kMaxPciReplyData = static_cast<std::int32_t>(kBufferBytes) - 4;

thread_local bool transportBusy = false;

// Ends a poll after the budget of real time (never the program's clock).
class PollDeadline {
 public:
  PollDeadline() : end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(PollBudgetMs())) {}
  bool Expired() {
    // Reading the clock costs more than a port read: look every 64 polls.
    if ((++polls_ & 63u) != 0) return false;
    return std::chrono::steady_clock::now() >= end_;
  }

 private:
  std::chrono::steady_clock::time_point end_;
  std::uint32_t polls_ = 0;
};

std::int32_t ReplyLong(const ReplyState& r, std::size_t offset) {
  return static_cast<std::int32_t>((std::uint32_t{r.bytes[offset]} << 24) |
                                   (std::uint32_t{r.bytes[offset + 1]} << 16) |
                                   (std::uint32_t{r.bytes[offset + 2]} << 8) | r.bytes[offset + 3]);
}

// A board that never finished: the FIFO line, and -901.
std::int32_t TimedOut(int board) {
  LogOther("Board %i VXLIB: FIFO ERROR ****", board + 1);
  Lib().reply.lastBoardError = kTimedOut;
  return kTimedOut;
}

bool Cancelled(const char* text, int board) {
  return winplat::MessageBox(0, text, DiagnosticsCaption(board), winplat::MB_OKCANCEL | DiagnosticBoxFlags) ==
         winplat::IDCANCEL;
}

// Reads `count` bytes of PCI reply words into the reply buffer from byte 4.
// The count is bounded by the buffer; returns the board error code it implies.
std::int32_t UnpackPciReply(std::uint32_t base, std::int32_t type, std::int32_t count) {
  ReplyState& r = Lib().reply;
  if (count <= 0 || (count & 1) != 0) return -1;
  count = std::min(count, kMaxPciReplyData);
  for (std::int32_t i = 0; i < count; i += 4) {
    std::uint32_t word = hw::ReadMemory32(base, hw::kPciData + static_cast<std::uint32_t>(i));
    for (std::int32_t k = 0; k < 4 && i + k < count; ++k) {
      r.bytes[static_cast<std::size_t>(4 + i + k)] = static_cast<std::uint8_t>(word >> (24 - 8 * k));
    }
  }
  r.byteCount = count + 4;
  if (type == 1) return 0;
  std::int32_t code = ReplyLong(r, 4);
  return code != 0 ? code : -1;  // an error reply always reports an error
}

std::int32_t SendPci() {
  Library& lib = Lib();
  BoardTable& t = lib.boards;
  ReplyState& r = lib.reply;
  CommandStaging& s = lib.staging;
  std::int32_t result = 0;
  // Pre-check of every installed board: memory ready, stale reply.
  for (int i = 0; i < t.count; ++i) {
    std::uint32_t base = t.mappedBase[static_cast<std::size_t>(i)];
    hw::WriteMemory32(base, hw::kPciStatus, hw::kPciBusy);
    std::uint32_t status = hw::ReadMemory32(base, hw::kPciStatus);
    if (status & hw::kPciBusy) {
      if (lib.beepOnError) {
        StandardBeep();
        OpenCommWindowLocked();
      }
      if (Cancelled("The TB2OOO memory is not ready to be accessed.\nThis may be due to a TB2OOO hardware or "
                    "software problem.\nPress OK to send request anyway or press Cancel to skip this request.",
                    i)) {
        r.lastBoardError = -2;
        return -2;
      }
    }
    if (status & hw::kPciReplyReady) {
      hw::WriteMemory32(base, hw::kPciStatus, hw::kPciReplyReady);
      auto type = static_cast<std::int32_t>(hw::ReadMemory32(base, hw::kPciReplyType));
      auto count = static_cast<std::int32_t>(hw::ReadMemory32(base, hw::kPciByteCount));
      std::int32_t code = UnpackPciReply(base, type, count);
      r.lastBoardError = code;
      if (code != 0) {
        ReportBoardError(i, code, true);
        result = code;
      }
    }
  }
  // Mailbox of every working board, then every doorbell, so the boards start together.
  for (int i = 0; i < t.count; ++i) {
    if (!t.working[static_cast<std::size_t>(i)]) continue;
    std::uint32_t base = t.mappedBase[static_cast<std::size_t>(i)];
    hw::WriteMemory32(base, hw::kPciByteCount, static_cast<std::uint32_t>(s.operandBytes));
    for (std::int32_t b = 0; b < s.operandBytes; b += 4) {
      std::uint32_t word = 0;
      for (std::int32_t k = 0; k < 4; ++k) {
        word = (word << 8) | (b + k < s.operandBytes ? s.operands[static_cast<std::size_t>(b + k)] : 0u);
      }
      hw::WriteMemory32(base, hw::kPciData + static_cast<std::uint32_t>(b), word);
    }
  }
  for (int i = 0; i < t.count; ++i) {
    if (!t.working[static_cast<std::size_t>(i)]) continue;
    hw::WriteMemory32(t.mappedBase[static_cast<std::size_t>(i)], hw::kPciDoorbell,
                      hw::kPciDoorbellCommand | s.command);
  }
  // Wait: the doorbell taken, then the busy bit clear.
  for (int i = 0; i < t.count; ++i) {
    if (!t.working[static_cast<std::size_t>(i)]) continue;
    std::uint32_t base = t.mappedBase[static_cast<std::size_t>(i)];
    std::uint32_t reads = 0;
    while (hw::ReadMemory32(base, hw::kPciDoorbell) != 0 && reads < kDoorbellBudget) ++reads;
    if (reads >= kDoorbellBudget) continue;
    PollDeadline deadline;
    hw::WriteMemory32(base, hw::kPciStatus, hw::kPciBusy);
    while (hw::ReadMemory32(base, hw::kPciStatus) & hw::kPciBusy) {
      if (deadline.Expired()) return TimedOut(i);
    }
  }
  // Replies, each working board in turn.
  for (int i = 0; i < t.count; ++i) {
    if (!t.working[static_cast<std::size_t>(i)]) continue;
    std::uint32_t base = t.mappedBase[static_cast<std::size_t>(i)];
    std::int32_t code = -1;
    if (hw::ReadMemory32(base, hw::kPciStatus) & hw::kPciReplyReady) {
      hw::WriteMemory32(base, hw::kPciStatus, hw::kPciBusy | hw::kPciReplyReady);
      auto type = static_cast<std::int32_t>(hw::ReadMemory32(base, hw::kPciReplyType));
      auto count = static_cast<std::int32_t>(hw::ReadMemory32(base, hw::kPciByteCount));
      code = UnpackPciReply(base, type, count);
    }
    r.lastBoardError = code;
    if (code != 0) {
      ReportBoardError(i, code, false);
      result = code;
    } else {
      result = ReplyLong(r, 4);
    }
  }
  return result;
}

std::int32_t SendIsa() {
  Library& lib = Lib();
  BoardTable& t = lib.boards;
  ReplyState& r = lib.reply;
  CommandStaging& s = lib.staging;
  std::int32_t result = 0;
  auto statusPort = [&](int i) { return static_cast<std::uint16_t>(t.dataPort[static_cast<std::size_t>(i)] + 4); };
  auto dataPort = [&](int i) { return t.dataPort[static_cast<std::size_t>(i)]; };
  // Idle check of every installed board.
  for (int i = 0; i < t.count; ++i) {
    std::uint8_t status = hw::Inp(statusPort(i));
    if ((status & (hw::kIsaHostFifoEmpty | hw::kIsaReplyDone)) == (hw::kIsaHostFifoEmpty | hw::kIsaReplyDone)) {
      continue;
    }
    if (winplat::CurrentClock().TickCount64() < 45000) {
      winplat::MessageBox(0,
                          "The TB board requires 60 seconds from the time you start your computer to test its "
                          "internal memory.\nPlease wait 60 seconds, then press OK.\nIf you press OK now, the TB "
                          "board will start as soon as it is ready.",
                          DiagnosticsCaption(i), winplat::MB_OK | DiagnosticBoxFlags);
      continue;
    }
    if (lib.beepOnError) {
      StandardBeep();
      OpenCommWindowLocked();
    }
    if (Cancelled("The PC to TRIBANK32 communications port should be empty but is not.\nThis may be due to a "
                  "missing TB32 or an address conflict.\nSelect OK to send request anyway or Cancel to skip this "
                  "request.",
                  i)) {
      r.lastBoardError = -2;
      return -2;
    }
  }
  // Send and start.
  for (int i = 0; i < t.count; ++i) {
    if (!t.working[static_cast<std::size_t>(i)]) continue;
    hw::Outp(dataPort(i), static_cast<std::uint8_t>(s.command >> 8));
    hw::Outp(dataPort(i), static_cast<std::uint8_t>(s.command & 0xFF));
    for (std::int32_t b = 0; b < s.operandBytes; ++b) hw::Outp(dataPort(i), s.operands[static_cast<std::size_t>(b)]);
  }
  for (int i = 0; i < t.count; ++i) {
    if (t.working[static_cast<std::size_t>(i)]) hw::Outp(statusPort(i), 0);
  }
  // The board has taken every byte.
  for (int i = 0; i < t.count; ++i) {
    if (!t.working[static_cast<std::size_t>(i)]) continue;
    PollDeadline deadline;
    while (!(hw::Inp(statusPort(i)) & hw::kIsaHostFifoEmpty)) {
      if (deadline.Expired()) return TimedOut(i);
    }
  }
  // Replies, each working board in turn.
  for (int i = 0; i < t.count; ++i) {
    if (!t.working[static_cast<std::size_t>(i)]) continue;
    std::int32_t count = 0;
    bool complete = false;
    PollDeadline deadline;
    while (count < t.replyMax && count < static_cast<std::int32_t>(kBufferBytes)) {
      std::uint8_t status = hw::Inp(statusPort(i));
      if (!(status & hw::kIsaReplyEmpty)) {
        r.bytes[static_cast<std::size_t>(count++)] = hw::Inp(dataPort(i));
      } else if (status & hw::kIsaReplyDone) {
        complete = true;
        break;
      } else if (deadline.Expired()) {
        return TimedOut(i);
      }
    }
    if (!complete) {
      int discarded = 0;
      while (!(hw::Inp(statusPort(i)) & hw::kIsaReplyEmpty)) {
        hw::Inp(dataPort(i));
        if (++discarded >= 1000) {
          std::string caption = DiagnosticsCaption(i);
          if (lib.beepOnError) {
            StandardBeep();
            OpenCommWindowLocked();
          }
          if (winplat::MessageBox(0,
                                  "The TRIBANK32 to PC communications port is not working.\nThe TB32 may not work "
                                  "properly until this is fixed.\nThis may be due to a missing TB32 or address "
                                  "conflict.",
                                  caption, winplat::MB_OKCANCEL | DiagnosticBoxFlags) == winplat::IDOK) {
            ShowHelpBox(caption);
          }
          r.lastBoardError = -2;
          return -2;
        }
      }
    }
    r.byteCount = count;
    std::int32_t code = (count == 0 || (count & 1) != 0) ? -1 : ReplyLong(r, 0);
    r.lastBoardError = code;
    if (code != 0) {
      ReportBoardError(i, code, false);
      result = code;
    } else {
      result = ReplyLong(r, 4);
    }
  }
  return result;
}

}  // namespace

std::int64_t PollBudgetMs() {
  static const std::int64_t budget = [] {
    const char* text = std::getenv("VEXLIB_POLL_TIMEOUT_MS");
    long long value = text ? std::atoll(text) : 0;
    return value > 0 ? static_cast<std::int64_t>(value) : std::int64_t{2000};
  }();
  return budget;
}

std::int32_t SendBoardCommand() {
  Library& lib = Lib();
  ReplyState& r = lib.reply;
  if (transportBusy) {
    // Reached only by a nested internal call; the outer call's state stays as it is.
    StandardBeep();
    winplat::MessageBox(0,
                        "An internal DLL problem has allowed the VEXLIB.DLL to be accessed by more than one thread.",
                        lib.logLine, winplat::MB_OK | DiagnosticBoxFlags);
    return -2;
  }
  transportBusy = true;
  r.bytes.fill(0);
  r.byteCount = 0;
  r.lastBoardError = 0;
  std::int32_t result = lib.boards.pciMode ? SendPci() : SendIsa();
  r.lastTransportResult = result;
  transportBusy = false;
  return result;
}

void PutLongOperand(std::int32_t offset, std::int32_t value) {
  if (offset < 0 || offset + 4 > static_cast<std::int32_t>(kBufferBytes)) return;
  auto u = static_cast<std::uint32_t>(value);
  auto* p = Lib().staging.operands.data() + offset;
  p[0] = static_cast<std::uint8_t>(u >> 24);
  p[1] = static_cast<std::uint8_t>(u >> 16);
  p[2] = static_cast<std::uint8_t>(u >> 8);
  p[3] = static_cast<std::uint8_t>(u);
}

void PutShortOperand(std::int32_t offset, std::int16_t value) {
  if (offset < 0 || offset + 2 > static_cast<std::int32_t>(kBufferBytes)) return;
  auto u = static_cast<std::uint16_t>(value);
  auto* p = Lib().staging.operands.data() + offset;
  p[0] = static_cast<std::uint8_t>(u >> 8);
  p[1] = static_cast<std::uint8_t>(u);
}

std::int32_t GetLongReply(std::int32_t offset) {
  if (offset < 0 || offset + 4 > static_cast<std::int32_t>(kBufferBytes)) return 0;
  return ReplyLong(Lib().reply, static_cast<std::size_t>(offset));
}

std::int16_t GetShortReply(std::int32_t offset) {
  if (offset < 0 || offset + 2 > static_cast<std::int32_t>(kBufferBytes)) return 0;
  const auto& b = Lib().reply.bytes;
  return static_cast<std::int16_t>(
      static_cast<std::uint16_t>((b[static_cast<std::size_t>(offset)] << 8) | b[static_cast<std::size_t>(offset) + 1]));
}

}  // namespace vexlib
