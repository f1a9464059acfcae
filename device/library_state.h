#pragma once
// The device library's state: what every process shares, what each process
// keeps, and the board table the transport drives.
#include <array>
#include <cstdint>
#include <memory>

#include "comm_window.h"
#include "winplat/hw/pcidriver.h"
#include "winplat/sync.h"

namespace vexlib {

constexpr int kMaxBoards = 8;
constexpr std::size_t kBufferBytes = 8192;
constexpr std::size_t kLogLineChars = 512;
constexpr std::int32_t kIsaReplyMax = 512;
constexpr std::int32_t kPciReplyMax = 8192;
constexpr std::int32_t kLibraryDate = 20000125;
constexpr std::size_t kActiveFlagCount = 9999;  // the most records the exact redraw draws

// Fields of the block shared by every process that loads the library. The
// diagnostic window and the transport-busy flag are kept per process and per
// thread, so only the process count is used here.
enum SharedField : std::size_t {
  kSharedLogWindow = 0,
  kSharedWindowOpen,
  kSharedLoggingOn,
  kSharedBrush,
  kSharedProcessCount,
  kSharedTransportBusy,
  kSharedFieldCount
};

struct BoardTable {
  std::int32_t count = 1;
  std::array<std::int32_t, kMaxBoards> working{1, 1, 1, 1, 1, 1, 1, 1};
  std::array<std::int32_t, kMaxBoards> saved{};
  std::array<std::uint16_t, kMaxBoards> dataPort{0x300, 0x308, 0x380, 0x3A0, 0x388, 0x3A8, 0x310, 0x318};
  std::int32_t replyMax = kIsaReplyMax;
  std::int32_t pciMode = 0;
  std::array<std::uint32_t, kMaxBoards> mappedBase{};
  std::array<winplat::hw::DeviceHandle, kMaxBoards> driver{-1, -1, -1, -1, -1, -1, -1, -1};
  std::array<std::int32_t, kMaxBoards> identity{};
};

struct CommandStaging {
  std::uint16_t command = 0;
  std::int32_t operandBytes = 0;
  std::array<std::uint8_t, kBufferBytes> operands{};
};

struct ReplyState {
  std::array<std::uint8_t, kBufferBytes> bytes{};
  std::int32_t byteCount = 0;
  std::int32_t lastBoardError = 0;
  std::int32_t lastTransportResult = 0;
};

// Everything one process keeps.
struct Library {
  bool loaded = false;
  std::unique_ptr<winplat::NamedMutex> mutex;
  std::unique_ptr<winplat::SharedBlock> shared;
  std::int32_t lastStatus = 0;
  std::int32_t stickyStatus = 0;
  std::int32_t beepOnError = 1;
  char logLine[kLogLineChars] = {};
  BoardTable boards;
  CommandStaging staging;
  ReplyState reply;
  std::int32_t maxFramePoints = 6000;
  std::array<std::int32_t, kActiveFlagCount> activeFlags{};
  CommWindow window;
};

Library& Lib();

}  // namespace vexlib
