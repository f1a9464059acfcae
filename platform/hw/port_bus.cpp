// The x86 I/O port bus: claimed port ranges, floating everywhere else.
#include <mutex>
#include <vector>

#include "board_machine.h"
#include "winplat/hw/ports.h"

namespace winplat::hw {
namespace {

struct Claim {
  int token;
  std::uint16_t first;
  std::uint16_t count;
  std::shared_ptr<PortDevice> device;
};

struct Bus {
  std::mutex mutex;
  std::vector<Claim> claims;
  int nextToken = 1;
};

Bus& TheBus() {
  static Bus bus;
  return bus;
}

std::shared_ptr<PortDevice> DeviceAt(std::uint16_t port) {
  detail::RefreshMachineIfStale();  // the configured boards claim their ports
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  for (auto it = bus.claims.rbegin(); it != bus.claims.rend(); ++it) {
    if (port >= it->first && port - it->first < it->count) return it->device;
  }
  return nullptr;
}

}  // namespace

std::uint16_t PortDevice::Read16(std::uint16_t port) {
  std::uint16_t low = Read8(port);
  std::uint16_t high = Read8(port);
  return static_cast<std::uint16_t>(low | (high << 8));
}

void PortDevice::Write16(std::uint16_t port, std::uint16_t value) {
  Write8(port, static_cast<std::uint8_t>(value & 0xFF));
  Write8(port, static_cast<std::uint8_t>(value >> 8));
}

int ClaimPorts(std::uint16_t first, std::uint16_t count, std::shared_ptr<PortDevice> device) {
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  int token = bus.nextToken++;
  bus.claims.push_back(Claim{token, first, count, std::move(device)});
  return token;
}

void ReleasePorts(int token) {
  Bus& bus = TheBus();
  std::lock_guard lock(bus.mutex);
  std::erase_if(bus.claims, [token](const Claim& c) { return c.token == token; });
}

std::uint8_t Inp(std::uint16_t port) {
  auto device = DeviceAt(port);
  return device ? device->Read8(port) : 0xFF;
}

std::uint16_t Inpw(std::uint16_t port) {
  auto device = DeviceAt(port);
  return device ? device->Read16(port) : 0xFFFF;
}

void Outp(std::uint16_t port, std::uint8_t value) {
  if (auto device = DeviceAt(port)) device->Write8(port, value);
}

void Outpw(std::uint16_t port, std::uint16_t value) {
  if (auto device = DeviceAt(port)) device->Write16(port, value);
}

}  // namespace winplat::hw
