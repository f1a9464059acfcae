#pragma once
// The two file dialogues the boards drive, used by every load and save export.
// Both run inside the calling export, under its lock.
#include <cstdint>
#include <string>

#include "winplat/files.h"

namespace vexlib {

// The loading dialogue after the export's load command was sent: answers the
// board's requests from the file. *status holds the load command's result on
// entry and the last result on return.
void StreamFileToBoard(winplat::File& file, std::int32_t* status);

// The saving dialogue: creates `path` (-404 when it cannot be), sends the
// export's save command with its operands to the first working board and writes the
// chunks the board hands back. A failed save deletes the file.
std::int32_t SaveBoardStream(const std::string& path, std::uint16_t command, const void* operands,
                             std::int32_t operandBytes);

}  // namespace vexlib
