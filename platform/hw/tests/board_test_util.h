#pragma once
// Drives the emulated boards the way a host would, for the emulator's tests.
#include <cstdint>
#include <vector>

#include "winplat/hw/boards.h"

namespace boardtest {

std::vector<std::uint8_t> Longs(std::initializer_list<std::uint32_t> values);
std::int32_t LongAt(const std::vector<std::uint8_t>& bytes, std::size_t offset);

// ISA: writes the command and operands, starts the board, reads the reply bytes
// until the board reports completion (at most `limit` status reads).
std::vector<std::uint8_t> IsaCommand(std::uint16_t port, std::uint16_t code, const std::vector<std::uint8_t>& ops,
                                     int limit = 100000);

// PCI: opens device n and maps its window; returns the mapped base (0 on failure).
std::uint32_t MapPci(int device);
struct PciReply {
  bool ready = false;
  std::uint32_t type = 0;
  std::uint32_t count = 0;
  std::vector<std::uint8_t> bytes;  // the byte stream from reply byte 4
};
PciReply PciCommand(std::uint32_t base, std::uint16_t code, const std::vector<std::uint8_t>& ops);
PciReply PciTakeReply(std::uint32_t base);

}  // namespace boardtest
