#pragma once
// The parallel-port driver and the remote control box wired to the port.
//
// A device is made with HwNewDevice, connected to a parallel port (0 = the
// first), acquired, and then its registers are read and written by offset
// from the port's base (0 data, 1 status, 2 control). Every call takes and
// returns plain 32-bit values; a bad handle is ignored (reads give 0xFF).
//
// The machine's port and the box behind it are described by "hw/ParPort.ini"
// under the machine root (looked at on every access and read again when it
// changed, so another process, a test or an operator action can move the
// switch while the program runs):
//   [Port]      Present=1        0: the machine has no parallel port
//   [RemoteBox] Connected=1      0: nothing is plugged into the port
//               Position=1       the selector switch, 0 .. 7
//               Reading=         a raw 8-bit reading, overriding Position
//               Busy=0           1: the box never reports ready
#include <cstdint>
#include <filesystem>

namespace winplat::hw {

std::int32_t HwNewDevice(std::int32_t kind);
// Nonzero when the port exists and the device is now connected to it; 0 otherwise.
std::int32_t HwConnectParPort(std::int32_t device, std::int32_t port);
std::int32_t HwAcquireParPort(std::int32_t device);
void HwOutp(std::int32_t device, std::int32_t reg, std::int32_t value);
std::int32_t HwInp(std::int32_t device, std::int32_t reg);
std::int32_t HwReleaseParPort(std::int32_t device);
std::int32_t HwDeleteDevice(std::int32_t device);

// The box's selector switch has eight positions; each gives its own reading.
constexpr int kRemoteBoxPositions = 8;
// The reading of a switch position (0 .. 7); -1 for any other position.
std::int32_t RemoteBoxPositionReading(int position);
// The position a machine starts with: the one meaning "laser output on",
// whose reading lies close enough to 0 that a first reading changes nothing.
constexpr int kRemoteBoxDefaultPosition = 1;

std::filesystem::path ParallelPortConfigPath();
// Settings of the emulated port and box; each rewrites its key in the file.
void SetParallelPortPresent(bool present);
void SetRemoteBoxConnected(bool connected);
void SetRemoteBoxPosition(int position);
void SetRemoteBoxReading(std::int32_t reading);  // -1 removes a raw reading
void SetRemoteBoxBusy(bool busy);

// What the data and control registers of port 0 last held (tests look at the
// start-up and shutdown sequences through these); -1 before any write.
std::int32_t ParallelPortData();
std::int32_t ParallelPortControl();
// Number of devices currently holding the port acquired in this process.
int ParallelPortAcquired();
// Times this process has read "hw/ParPort.ini" (tests: an unchanged file is not read again).
std::uint64_t ParallelPortConfigReads();

}  // namespace winplat::hw
