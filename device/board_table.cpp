// The board table: family constants, ISA ports, PCI driver handles and windows.
#include "board_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "export_frame.h"

namespace vexlib {

namespace hw = winplat::hw;

PciOpen OpenPciBoard(int device, int slot) {
  BoardTable& t = Lib().boards;
  if (slot < 0 || slot >= kMaxBoards) return PciOpen::NotOpened;
  char name[32];
  std::snprintf(name, sizeof name, "\\\\.\\WRTdev%0d", device);
  hw::DeviceHandle handle = hw::OpenDevice(name);
  if (handle == hw::INVALID_DEVICE_HANDLE) return PciOpen::NotOpened;
  std::uint8_t info[hw::kInfoBlockSize] = {};
  std::uint32_t returned = 0;
  if (!hw::DeviceIoControl(handle, hw::IOCTL_WRT_GET_INFO, nullptr, 0, info, sizeof info, &returned)) {
    hw::CloseDevice(handle);
    return PciOpen::NoInformation;
  }
  std::uint16_t major = 0, minor = 0;
  std::uint32_t window[2] = {};
  std::memcpy(&major, info + hw::kInfoVersionMajor, 2);
  std::memcpy(&minor, info + hw::kInfoVersionMinor, 2);
  std::memcpy(&window[0], info + hw::kInfoMemoryStart, 4);
  std::memcpy(&window[1], info + hw::kInfoMemoryLength, 4);
  LogOther("WinRT Driver Version %u.%u\n", static_cast<unsigned>(major), static_cast<unsigned>(minor));
  LogOther("PCI physical memory Start=%X, Length=%X", window[0], window[1]);
  std::uint32_t base = 0;
  if (!hw::DeviceIoControl(handle, hw::IOCTL_WRT_MAP_MEMORY, window, sizeof window, &base, sizeof base, &returned)) {
    hw::CloseDevice(handle);
    return PciOpen::NotMapped;
  }
  LogOther("TB2OOO Mapped Base Address=%08X", base);
  auto s = static_cast<std::size_t>(slot);
  if (t.driver[s] != hw::INVALID_DEVICE_HANDLE) hw::CloseDevice(t.driver[s]);
  t.driver[s] = handle;
  t.mappedBase[s] = base;
  return PciOpen::Mapped;
}

void UseIsaBoards(std::int32_t count) {
  BoardTable& t = Lib().boards;
  t.pciMode = 0;
  t.replyMax = kIsaReplyMax;
  t.count = std::clamp(count, 0, kMaxBoards);
}

void UsePciBoards(std::int32_t count) {
  BoardTable& t = Lib().boards;
  t.pciMode = 1;
  t.replyMax = kPciReplyMax;
  t.count = std::clamp(count, 0, kMaxBoards);
}

void ForgetBoards() {
  BoardTable& t = Lib().boards;
  t.pciMode = 0;
  t.count = 0;
  for (auto& handle : t.driver) {
    if (handle != hw::INVALID_DEVICE_HANDLE) hw::CloseDevice(handle);
    handle = hw::INVALID_DEVICE_HANDLE;
  }
}

}  // namespace vexlib
