#pragma once
// Shared pieces of the frame, point, colour and working-scale exports.
#include <cstdint>
#include <initializer_list>

#include "vexlib/vexlib.h"

namespace vexlib {

// The box the board's low-memory answer (-702) brings up.
void ShowLowMemoryBox();

// The frame point limit the library works with: the session's value, at most
// the program's 6000-point frame buffer.
std::int32_t FramePointLimit();

// Unpacks a frame header from reply bytes 8-37.
void UnpackFrameHeader(FrameStruct* header);

// An export with an active array: sends the command with its operands and the
// final array flag; on success with an array, sends the flags the board asks
// for and, with `receiveBack`, reads the board's selection back into the array.
// Returns the status (the last board error code, then the block transfers');
// `commandStatus`, when given, gets the command's own status.
std::int32_t RunActiveCommand(std::uint16_t command, const std::int32_t* operands, int count, std::int32_t* active,
                              bool receiveBack, std::int32_t* commandStatus);

// Sends a command of 32-bit operands to the working boards; the transport result.
std::int32_t SendLongs(std::uint16_t code, std::initializer_list<std::int32_t> operands);

// An array's address as the log lines show it.
unsigned long LogAddress(const void* p);

// The host's working X range, kept by SetWorkingScale for the preview.
struct WorkingRange {
  std::int32_t xMin = -8000;
  std::int32_t xMax = 8000;
  std::int32_t span = 16000;
};
WorkingRange& HostWorkingRange();

}  // namespace vexlib
