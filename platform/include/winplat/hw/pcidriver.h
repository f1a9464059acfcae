#pragma once
// The PCI board driver: opens board n by its device name ("\\.\WRTdev0" ...),
// reports the board's memory window in its information block and maps it.
#include <cstdint>
#include <string_view>

namespace winplat::hw {

using DeviceHandle = std::int32_t;
constexpr DeviceHandle INVALID_DEVICE_HANDLE = -1;

// I/O controls the driver answers.
constexpr std::uint32_t IOCTL_WRT_GET_INFO = 0x80002010;  // out: 176-byte information block
constexpr std::uint32_t IOCTL_WRT_MAP_MEMORY = 0x80002018;  // in: start, length; out: mapped base

// Information block layout (little-endian).
constexpr std::uint32_t kInfoBlockSize = 176;
constexpr std::uint32_t kInfoVersionMajor = 4;  // 16-bit
constexpr std::uint32_t kInfoVersionMinor = 6;  // 16-bit
constexpr std::uint32_t kInfoBusNumber = 8;     // 32-bit
constexpr std::uint32_t kInfoSlotNumber = 12;   // 32-bit
constexpr std::uint32_t kInfoMemoryStart = 80;  // 32-bit physical start of the window
constexpr std::uint32_t kInfoMemoryLength = 104;  // 32-bit length of the window

// Opens a device by name; INVALID_DEVICE_HANDLE when there is no such board.
DeviceHandle OpenDevice(std::string_view name);
// Runs an I/O control; false when the driver refuses it. `returned` gets the output size.
bool DeviceIoControl(DeviceHandle device, std::uint32_t code, const void* in, std::uint32_t inSize,
                     void* out, std::uint32_t outSize, std::uint32_t* returned);
void CloseDevice(DeviceHandle device);

// Access to a mapped window through the 32-bit base the driver returned. Reads
// outside a mapped window give all ones; writes there are ignored.
std::uint32_t ReadMemory32(std::uint32_t base, std::uint32_t offset);
void WriteMemory32(std::uint32_t base, std::uint32_t offset, std::uint32_t value);

}  // namespace winplat::hw
