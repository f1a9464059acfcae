#pragma once
// Filling the board table: ISA boards by port, PCI boards through the driver.
#include <cstdint>

#include "library_state.h"

namespace vexlib {

enum class PciOpen { NotOpened, NoInformation, NotMapped, Mapped };

// Opens "\\.\WRTdev<n>", asks for its information block, maps its memory window
// and, when mapped, enters it as board `slot` (logging driver version, window
// and mapped base). The handle stays open for the life of the process.
PciOpen OpenPciBoard(int device, int slot);

// Sets the family constants and board count of the table.
void UseIsaBoards(std::int32_t count);
void UsePciBoards(std::int32_t count);

// Clears PCI mode and the board count (library unload), closing driver handles.
void ForgetBoards();

}  // namespace vexlib
