// The PCI board driver and the board's memory window. Writes to the status
// register clear bits; a write to the doorbell runs the command at once.
#include <atomic>
#include <charconv>
#include <cstring>
#include <mutex>

#include "board_machine.h"
#include "winplat/hw/pcidriver.h"

namespace winplat::hw {
namespace {

constexpr int kMaxDevices = 8;
constexpr std::uint32_t kMappedBase = 0x40000000;
constexpr std::uint32_t kMappedStride = 0x00100000;
constexpr std::uint32_t kPhysicalBase = 0xE8000000;
constexpr std::uint16_t kDriverMajor = 2;
constexpr std::uint16_t kDriverMinor = 2;

struct OpenDeviceEntry {
  bool open = false;
  int device = -1;
};

std::mutex handleMutex;
OpenDeviceEntry handles[64];
// Boards by mapped base, read without a lock by the register reads.
std::atomic<detail::Board*> mapped[kMaxDevices];

detail::Board* MappedBoard(std::uint32_t base, std::uint32_t offset) {
  if (base < kMappedBase || (base - kMappedBase) % kMappedStride != 0) return nullptr;
  std::uint32_t n = (base - kMappedBase) / kMappedStride;
  if (n >= kMaxDevices || offset >= kPciWindowLength) return nullptr;
  return mapped[n].load(std::memory_order_acquire);
}

int DeviceOf(DeviceHandle handle) {
  std::lock_guard lock(handleMutex);
  if (handle < 0 || handle >= 64 || !handles[handle].open) return -1;
  return handles[handle].device;
}

void PutWord(std::uint8_t* bytes, std::uint32_t value) { std::memcpy(bytes, &value, 4); }

// Packs a big-endian byte stream into the window's data words, from 0x4004.
void WriteStream(detail::Board& board, const std::vector<std::uint8_t>& stream) {
  std::size_t limit = (kPciWindowLength - kPciData) / 4;
  for (std::size_t w = 0; w * 4 < stream.size() && w < limit; ++w) {
    std::uint32_t word = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      std::size_t i = w * 4 + k;
      word = (word << 8) | (i < stream.size() ? stream[i] : 0u);
    }
    board.SetWindowWord(static_cast<std::uint32_t>(kPciData + w * 4), word);
  }
}

void PostReply(detail::Board& board, std::uint32_t type, std::vector<std::uint8_t> stream, std::uint32_t count) {
  stream.resize(std::max<std::size_t>(stream.size(), count), 0);
  WriteStream(board, stream);
  board.SetWindowWord(kPciReplyType, type);
  board.SetWindowWord(kPciByteCount, count);
  board.SetWindowWord(kPciStatus, board.WindowWord(kPciStatus) | kPciReplyReady);
}

std::vector<std::uint8_t> LongBytes(std::int32_t value) {
  auto u = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(u >> 24), static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u)};
}

void RingDoorbell(detail::Board& board, std::uint32_t value) {
  const BoardConfig& config = board.Config();
  board.SetWindowWord(kPciDoorbell, value);
  if (config.Has(BoardFault::DoorbellStuck)) return;
  board.State().stalePosted = 0;
  board.State().pciBusyStuck = 0;
  std::uint32_t count = std::min<std::uint32_t>(board.WindowWord(kPciByteCount), kMaxOperandBytes);
  std::vector<std::uint8_t> operands(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t word = board.WindowWord(kPciData + (i / 4) * 4);
    operands[i] = static_cast<std::uint8_t>(word >> (24 - 8 * (i % 4)));
  }
  BoardReply reply;
  RunCommand(board, static_cast<std::uint16_t>(value & 0xFFFF), operands.data(), operands.size(), reply);
  board.SetWindowWord(kPciDoorbell, 0);
  if (config.Has(BoardFault::NeverFinishes)) {
    board.State().pciBusyStuck = 1;
    board.SetWindowWord(kPciStatus, board.WindowWord(kPciStatus) | kPciBusy);
  }
  if (config.Has(BoardFault::NoAnswer)) return;
  std::vector<std::uint8_t> stream;
  std::uint32_t type = 1;
  if (reply.error != 0) {
    type = 2;
    stream = LongBytes(reply.error);
  } else {
    stream = LongBytes(reply.result);
    stream.insert(stream.end(), reply.data.begin(), reply.data.end());
    if (stream.size() % 2) stream.push_back(0);
  }
  auto length = static_cast<std::uint32_t>(stream.size());
  if (const BoardFault* f = config.Find(BoardFault::ReplyBytes)) length = static_cast<std::uint32_t>(f->value);
  PostReply(board, type, std::move(stream), length);
}

void WriteStatus(detail::Board& board, std::uint32_t value) {
  const BoardConfig& config = board.Config();
  std::uint32_t status = board.WindowWord(kPciStatus) & ~(value & (kPciBusy | kPciReplyReady));
  if (config.Has(BoardFault::MemoryNotReady) || board.State().pciBusyStuck) status |= kPciBusy;
  board.SetWindowWord(kPciStatus, status);
  // Before a command: a board with the stale-reply fault leaves an old reply pending.
  const BoardFault* stale = config.Find(BoardFault::StaleReply);
  if (stale && value == kPciBusy && !(status & kPciReplyReady) && !board.State().stalePosted) {
    board.State().stalePosted = 1;
    std::vector<std::uint8_t> stream = LongBytes(stale->value == 1 ? 0 : kBoardDramTestFailed);
    PostReply(board, static_cast<std::uint32_t>(stale->value), std::move(stream),
              static_cast<std::uint32_t>(stale->count));
  }
}

}  // namespace

DeviceHandle OpenDevice(std::string_view name) {
  constexpr std::string_view prefix = "\\\\.\\WRTdev";
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return INVALID_DEVICE_HANDLE;
  int device = -1;
  std::string_view digits = name.substr(prefix.size());
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), device);
  if (ec != std::errc() || end != digits.data() + digits.size() || device < 0 || device >= kMaxDevices) {
    return INVALID_DEVICE_HANDLE;
  }
  detail::MachineLock lock;
  if (CurrentBoards().family != BoardFamily::Pci) return INVALID_DEVICE_HANDLE;
  detail::Board* board = detail::PciBoard(device);
  if (!board || board->Config().Has(BoardFault::NoDriver)) return INVALID_DEVICE_HANDLE;
  std::lock_guard hl(handleMutex);
  for (int h = 0; h < 64; ++h) {
    if (!handles[h].open) {
      handles[h] = OpenDeviceEntry{true, device};
      return h;
    }
  }
  return INVALID_DEVICE_HANDLE;
}

bool DeviceIoControl(DeviceHandle handle, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                     std::uint32_t outSize, std::uint32_t* returned) {
  if (returned) *returned = 0;
  int device = DeviceOf(handle);
  if (device < 0) return false;
  detail::MachineLock lock;
  detail::Board* board = detail::PciBoard(device);
  if (!board) return false;
  auto physical = static_cast<std::uint32_t>(kPhysicalBase + static_cast<std::uint32_t>(device) * kMappedStride);
  if (code == IOCTL_WRT_GET_INFO) {
    if (board->Config().Has(BoardFault::NoInfo) || !out || outSize < kInfoBlockSize) return false;
    auto* bytes = static_cast<std::uint8_t*>(out);
    std::memset(bytes, 0, kInfoBlockSize);
    std::memcpy(bytes + kInfoVersionMajor, &kDriverMajor, 2);
    std::memcpy(bytes + kInfoVersionMinor, &kDriverMinor, 2);
    PutWord(bytes + kInfoBusNumber, 0);
    PutWord(bytes + kInfoSlotNumber, static_cast<std::uint32_t>(device) + 9);
    PutWord(bytes + kInfoMemoryStart, physical);
    PutWord(bytes + kInfoMemoryLength, kPciWindowLength);
    if (returned) *returned = kInfoBlockSize;
    return true;
  }
  if (code == IOCTL_WRT_MAP_MEMORY) {
    if (board->Config().Has(BoardFault::NoMap) || !in || inSize < 8 || !out || outSize < 4) return false;
    std::uint32_t start = 0, length = 0;
    std::memcpy(&start, in, 4);
    std::memcpy(&length, static_cast<const std::uint8_t*>(in) + 4, 4);
    if (start != physical || length == 0 || length > kPciWindowLength) return false;
    mapped[device].store(board, std::memory_order_release);
    std::uint32_t base = kMappedBase + static_cast<std::uint32_t>(device) * kMappedStride;
    std::memcpy(out, &base, 4);
    if (returned) *returned = 4;
    return true;
  }
  return false;
}

void CloseDevice(DeviceHandle handle) {
  std::lock_guard lock(handleMutex);
  if (handle >= 0 && handle < 64) handles[handle] = OpenDeviceEntry{};
}

std::uint32_t ReadMemory32(std::uint32_t base, std::uint32_t offset) {
  detail::Board* board = MappedBoard(base, offset);
  return board ? board->WindowWord(offset) : 0xFFFFFFFFu;
}

void WriteMemory32(std::uint32_t base, std::uint32_t offset, std::uint32_t value) {
  detail::Board* board = MappedBoard(base, offset);
  if (!board) return;
  if (offset == kPciDoorbell && (value & kPciDoorbellCommand)) {
    detail::MachineLock lock;
    detail::RefreshMachine();  // faults follow the configuration in force
    RingDoorbell(*board, value);
    return;
  }
  // The status and mailbox words live in the shared mapping only (the device
  // library fills the mailbox under its own lock, then rings).
  detail::ProcessLock lock;
  detail::RefreshMachineIfStale();
  if (offset == kPciStatus) {
    WriteStatus(*board, value);
  } else {
    board->SetWindowWord(offset, value);
  }
}

}  // namespace winplat::hw
