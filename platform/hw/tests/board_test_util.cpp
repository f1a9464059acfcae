#include "board_test_util.h"

#include <cstring>
#include <string>

#include "winplat/hw/pcidriver.h"
#include "winplat/hw/ports.h"

namespace boardtest {

using namespace winplat::hw;

std::vector<std::uint8_t> Longs(std::initializer_list<std::uint32_t> values) {
  std::vector<std::uint8_t> out;
  for (std::uint32_t v : values) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
  }
  return out;
}

std::int32_t LongAt(const std::vector<std::uint8_t>& b, std::size_t o) {
  if (o + 4 > b.size()) return 0;
  return static_cast<std::int32_t>((std::uint32_t{b[o]} << 24) | (std::uint32_t{b[o + 1]} << 16) |
                                   (std::uint32_t{b[o + 2]} << 8) | b[o + 3]);
}

std::vector<std::uint8_t> IsaCommand(std::uint16_t port, std::uint16_t code, const std::vector<std::uint8_t>& ops,
                                     int limit) {
  Outp(port, static_cast<std::uint8_t>(code >> 8));
  Outp(port, static_cast<std::uint8_t>(code & 0xFF));
  for (std::uint8_t b : ops) Outp(port, b);
  Outp(static_cast<std::uint16_t>(port + 4), 0);
  std::vector<std::uint8_t> reply;
  for (int i = 0; i < limit && reply.size() < 2000; ++i) {
    std::uint8_t status = Inp(static_cast<std::uint16_t>(port + 4));
    if (!(status & kIsaReplyEmpty)) {
      reply.push_back(Inp(port));
    } else if (status & kIsaReplyDone) {
      break;
    }
  }
  return reply;
}

std::uint32_t MapPci(int device) {
  DeviceHandle h = OpenDevice("\\\\.\\WRTdev" + std::to_string(device));
  if (h == INVALID_DEVICE_HANDLE) return 0;
  std::uint8_t info[kInfoBlockSize];
  std::uint32_t returned = 0;
  if (!DeviceIoControl(h, IOCTL_WRT_GET_INFO, nullptr, 0, info, sizeof info, &returned)) return 0;
  std::uint32_t in[2];
  std::memcpy(&in[0], info + kInfoMemoryStart, 4);
  std::memcpy(&in[1], info + kInfoMemoryLength, 4);
  std::uint32_t base = 0;
  if (!DeviceIoControl(h, IOCTL_WRT_MAP_MEMORY, in, sizeof in, &base, sizeof base, &returned)) return 0;
  return base;
}

PciReply PciTakeReply(std::uint32_t base) {
  PciReply r;
  r.ready = (ReadMemory32(base, kPciStatus) & kPciReplyReady) != 0;
  if (!r.ready) return r;
  WriteMemory32(base, kPciStatus, 0x18);
  r.type = ReadMemory32(base, kPciReplyType);
  r.count = ReadMemory32(base, kPciByteCount);
  for (std::uint32_t i = 0; i < r.count && i < 8188; i += 4) {
    std::uint32_t w = ReadMemory32(base, kPciData + i);
    for (int s = 24; s >= 0; s -= 8) r.bytes.push_back(static_cast<std::uint8_t>(w >> s));
  }
  r.bytes.resize(std::min<std::size_t>(r.count, r.bytes.size()));
  return r;
}

PciReply PciCommand(std::uint32_t base, std::uint16_t code, const std::vector<std::uint8_t>& ops) {
  WriteMemory32(base, kPciByteCount, static_cast<std::uint32_t>(ops.size()));
  for (std::size_t i = 0; i < ops.size(); i += 4) {
    std::uint32_t w = 0;
    for (std::size_t k = 0; k < 4; ++k) w = (w << 8) | (i + k < ops.size() ? ops[i + k] : 0u);
    WriteMemory32(base, static_cast<std::uint32_t>(kPciData + i), w);
  }
  WriteMemory32(base, kPciDoorbell, kPciDoorbellCommand | code);
  return PciTakeReply(base);
}

}  // namespace boardtest
