// The parallel-port driver and the remote control box behind the port.
//
// The box is powered from the data lines (all high after start-up) and
// answers on the status lines: bit 3 (error line) low when it is ready, bits
// 4..7 one nibble of its reading, the low nibble while control bit 0 is 0 and
// the high nibble while it is 1. Writing control bit 2 latches the switch.
// As on the real port, status bit 7 reads the inverse of its line.
#include "winplat/hw/parport.h"
#include "winplat/text.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>

#include "board_machine.h"
#include "file_stamp.h"

namespace winplat::hw {
namespace {

constexpr std::int32_t kReadings[kRemoteBoxPositions] = {240, 8, 40, 72, 104, 136, 168, 200};
constexpr int kMaxDevices = 16;

struct ParDevice {
  bool used = false;
  bool connected = false;
  bool acquired = false;
};

struct PortState {
  std::int32_t data = -1;
  std::int32_t control = -1;
  std::int32_t latched = -1;  // reading latched by the last control write with bit 2
};

std::mutex stateMutex;
ParDevice devices[kMaxDevices];
PortState port;

using Ini = std::map<std::string, std::map<std::string, std::string>>;

Ini ParseConfig(std::istream& in) {
  Ini ini;
  std::string line, section;
  while (std::getline(in, line)) {
    line = winplat::TrimSpace(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = winplat::AsciiLower(winplat::TrimSpace(line.substr(1, line.size() - 2)));
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    ini[section][winplat::AsciiLower(winplat::TrimSpace(line.substr(0, eq)))] = winplat::TrimSpace(line.substr(eq + 1));
  }
  return ini;
}

struct ConfigCache {
  std::mutex mutex;
  bool valid = false;
  std::string path;
  detail::FileStamp stamp;
  std::uint64_t writes = 0;
  Ini ini;
};

ConfigCache configCache;
std::atomic<std::uint64_t> configWrites{0};
std::atomic<std::uint64_t> configReads{0};

// One stat a call; the file is opened only when it changed, or this process
// wrote it since (a write within the file system's clock tick may leave its
// stamp as it was).
Ini ReadConfig() {
  const std::string path = ParallelPortConfigPath().string();
  const detail::FileStamp stamp = detail::StampOf(path);
  const std::uint64_t writes = configWrites.load();
  std::lock_guard lock(configCache.mutex);
  ConfigCache& c = configCache;
  if (!(c.valid && c.path == path && c.writes == writes && detail::SameStamp(c.stamp, stamp))) {
    c.ini.clear();
    if (stamp.exists && stamp.regular) {
      configReads.fetch_add(1);
      std::ifstream in(path);
      c.ini = ParseConfig(in);
    }
    c.valid = true;
    c.path = path;
    c.stamp = stamp;
    c.writes = writes;
  }
  return c.ini;
}

// A whole decimal number; `fallback` for anything else (a hand-edited file
// never breaks the port).
std::int32_t Number(const Ini& ini, const char* section, const char* key, std::int32_t fallback) {
  auto s = ini.find(section);
  if (s == ini.end()) return fallback;
  auto k = s->second.find(key);
  if (k == s->second.end() || k->second.empty()) return fallback;
  std::int32_t value = 0;
  const std::string& t = k->second;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec != std::errc() || end != t.data() + t.size()) return fallback;
  return value;
}

void WriteKey(const char* section, const char* key, const std::string& value) {
  Ini ini = ReadConfig();
  if (value.empty()) {
    ini[section].erase(key);
  } else {
    ini[section][key] = value;
  }
  {
    std::ofstream out(ParallelPortConfigPath(), std::ios::trunc);
    for (const auto& [name, keys] : ini) {
      out << '[' << name << "]\n";
      for (const auto& [k, v] : keys) out << k << '=' << v << '\n';
    }
  }
  configWrites.fetch_add(1);
}

bool PortPresent(const Ini& ini) { return Number(ini, "port", "present", 1) != 0; }

// The reading the switch gives now, or -1 when no box answers.
std::int32_t SwitchReading(const Ini& ini) {
  if (Number(ini, "remotebox", "connected", 1) == 0) return -1;
  std::int32_t raw = Number(ini, "remotebox", "reading", -1);
  if (raw >= 0) return raw & 0xFF;
  std::int32_t reading = RemoteBoxPositionReading(Number(ini, "remotebox", "position", kRemoteBoxDefaultPosition));
  return reading < 0 ? RemoteBoxPositionReading(kRemoteBoxDefaultPosition) : reading;
}

ParDevice* Device(std::int32_t handle) {
  if (handle < 1 || handle > kMaxDevices || !devices[handle - 1].used) return nullptr;
  return &devices[handle - 1];
}

// The status lines as the box drives them; floating lines read high.
std::uint8_t StatusLines(const Ini& ini) {
  std::uint8_t lines = 0xFF;
  bool powered = port.data > 0;
  bool busy = Number(ini, "remotebox", "busy", 0) != 0;
  if (!powered || port.latched < 0 || busy) return lines;
  int nibble = (port.control & 1) ? (port.latched >> 4) & 0x0F : port.latched & 0x0F;
  lines = static_cast<std::uint8_t>((nibble << 4) | 0x07);  // bit 3 low: ready
  return lines;
}

}  // namespace

std::filesystem::path ParallelPortConfigPath() { return detail::HardwareFolder() / "ParPort.ini"; }

std::int32_t RemoteBoxPositionReading(int position) {
  if (position < 0 || position >= kRemoteBoxPositions) return -1;
  return kReadings[position];
}

std::int32_t HwNewDevice(std::int32_t) {
  std::lock_guard lock(stateMutex);
  for (int i = 0; i < kMaxDevices; ++i) {
    if (!devices[i].used) {
      devices[i] = ParDevice{};
      devices[i].used = true;
      return i + 1;
    }
  }
  return 0;
}

std::int32_t HwConnectParPort(std::int32_t device, std::int32_t portNumber) {
  Ini ini = ReadConfig();
  std::lock_guard lock(stateMutex);
  ParDevice* d = Device(device);
  if (!d || portNumber != 0 || !PortPresent(ini)) return 0;
  d->connected = true;
  return 1;
}

std::int32_t HwAcquireParPort(std::int32_t device) {
  std::lock_guard lock(stateMutex);
  ParDevice* d = Device(device);
  if (!d || !d->connected) return 0;
  d->acquired = true;
  return 1;
}

void HwOutp(std::int32_t device, std::int32_t reg, std::int32_t value) {
  Ini ini = ReadConfig();
  std::lock_guard lock(stateMutex);
  ParDevice* d = Device(device);
  if (!d || !d->acquired) return;
  std::int32_t byte = value & 0xFF;
  if (reg == 0) {
    port.data = byte;
    if (byte == 0) port.latched = -1;  // the box loses power
  } else if (reg == 2) {
    port.control = byte;
    if (byte & 4) port.latched = port.data > 0 ? SwitchReading(ini) : -1;
  }
}

std::int32_t HwInp(std::int32_t device, std::int32_t reg) {
  Ini ini = ReadConfig();
  std::lock_guard lock(stateMutex);
  ParDevice* d = Device(device);
  if (!d || !d->acquired) return 0xFF;
  switch (reg) {
    case 0:
      return port.data < 0 ? 0xFF : port.data;
    case 1:
      return StatusLines(ini) ^ 0x80;
    case 2:
      return port.control < 0 ? 0xFF : port.control;
    default:
      return 0xFF;
  }
}

std::int32_t HwReleaseParPort(std::int32_t device) {
  std::lock_guard lock(stateMutex);
  ParDevice* d = Device(device);
  if (!d || !d->acquired) return 0;
  d->acquired = false;
  return 1;
}

std::int32_t HwDeleteDevice(std::int32_t device) {
  std::lock_guard lock(stateMutex);
  ParDevice* d = Device(device);
  if (!d) return 0;
  *d = ParDevice{};
  return 1;
}

void SetParallelPortPresent(bool present) { WriteKey("port", "present", present ? "1" : "0"); }
void SetRemoteBoxConnected(bool connected) { WriteKey("remotebox", "connected", connected ? "1" : "0"); }
void SetRemoteBoxPosition(int position) { WriteKey("remotebox", "position", std::to_string(position)); }
void SetRemoteBoxReading(std::int32_t reading) {
  WriteKey("remotebox", "reading", reading < 0 ? std::string() : std::to_string(reading & 0xFF));
}
void SetRemoteBoxBusy(bool busy) { WriteKey("remotebox", "busy", busy ? "1" : "0"); }

std::uint64_t ParallelPortConfigReads() { return configReads.load(); }

std::int32_t ParallelPortData() {
  std::lock_guard lock(stateMutex);
  return port.data;
}
std::int32_t ParallelPortControl() {
  std::lock_guard lock(stateMutex);
  return port.control;
}
int ParallelPortAcquired() {
  std::lock_guard lock(stateMutex);
  return static_cast<int>(std::count_if(std::begin(devices), std::end(devices),
                                        [](const ParDevice& d) { return d.used && d.acquired; }));
}

}  // namespace winplat::hw
