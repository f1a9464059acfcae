// Test hooks, compiled only into the tests' copy of the device library
// (libvexlib_testing.so): board tables without detection, the diagnostic
// window's lines, a fresh detection, the session's frame point limit, and the
// word block senders that the active-point exports use inside the library.
#include <algorithm>
#include <cstring>
#include <string>

#include "board_table.h"
#include "export_frame.h"
#include "library_state.h"
#include "sessions.h"
#include "transport.h"
#include "vexlib/vexlib.h"

using namespace vexlib;

extern "C" {

// Puts the board table on `count` boards of a family without detection (ISA at
// the default ports; PCI through the driver). Returns the number of boards entered.
VEXLIB_API std::int32_t vxTestUseBoards(std::int32_t pci, std::int32_t count) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  count = std::clamp(count, 0, kMaxBoards);
  if (!pci) {
    UseIsaBoards(count);
    return count;
  }
  std::int32_t mapped = 0;
  for (int n = 0; n < count; ++n) {
    if (OpenPciBoard(n, mapped) == PciOpen::Mapped) ++mapped;
  }
  UsePciBoards(mapped);
  return mapped;
}

// The diagnostic window's lines, joined by line feeds, into a buffer; returns
// the full length.
VEXLIB_API std::int32_t vxTestCommLog(char* buffer, std::int32_t size) {
  std::string text;
  for (const std::string& line : Lib().window.History()) {
    text += line;
    text += '\n';
  }
  if (buffer && size > 0) {
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<std::int32_t>(text.size());
}

// The next detection runs again, as in a new process.
VEXLIB_API void vxTestForgetDetection() {
  ExportFrame frame;
  if (frame.Refused()) return;
  ForgetDetection();
  Lib().boards = BoardTable{};
}

// The frame point limit as the last session reported it.
VEXLIB_API std::int32_t vxTestMaxFramePoints() { return Lib().maxFramePoints; }

// Sends the low 16 bits of each entry (byteCount bytes of them) with command 51.
VEXLIB_API std::int32_t SendWordBlock(const std::int32_t* words, std::int32_t byteCount) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  return SendWordBlockLocked(words, byteCount);
}

// Reads a word block with command 52 into sign-extended 32-bit entries; the
// caller's array holds one entry per frame point.
VEXLIB_API std::int32_t ReceiveWordBlock(std::int32_t* words) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  return ReceiveWordBlockLocked(words, static_cast<std::size_t>(std::max(Lib().maxFramePoints, 0)));
}

}  // extern "C"
