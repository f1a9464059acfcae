#pragma once
// The x86 I/O port bus: byte and word access by port address. Devices claim
// port ranges; a port nobody claims floats (reads all ones, ignores writes).
#include <cstdint>
#include <memory>

namespace winplat::hw {

std::uint8_t Inp(std::uint16_t port);
std::uint16_t Inpw(std::uint16_t port);
void Outp(std::uint16_t port, std::uint8_t value);
void Outpw(std::uint16_t port, std::uint16_t value);

// A device on the bus, answering for `count` ports from `first`.
class PortDevice {
 public:
  virtual ~PortDevice() = default;
  virtual std::uint8_t Read8(std::uint16_t port) = 0;
  virtual void Write8(std::uint16_t port, std::uint8_t value) = 0;
  // Word access: by default two byte accesses, low byte first at the same port.
  virtual std::uint16_t Read16(std::uint16_t port);
  virtual void Write16(std::uint16_t port, std::uint16_t value);
};

// Claims ports [first, first + count) for a device; a later claim of a port wins.
// Returns a token for ReleasePorts.
int ClaimPorts(std::uint16_t first, std::uint16_t count, std::shared_ptr<PortDevice> device);
void ReleasePorts(int token);

}  // namespace winplat::hw
