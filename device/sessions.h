#pragma once
// Detection, sessions and the working-board selection, as the exports use
// them inside their own lock.
#include <cstdint>

namespace vexlib {

// Finds the boards (PCI through the driver, else ISA from VX.INI), checks each
// one and orders PCI boards by identity. 0, or -1001 to -1003.
std::int32_t DetectBoards();

// Sends the board operating software file (VX.T32 or VEXLIB.TBS from the
// system directory) as S-record lines and starts it: 0, -401, -402 or the
// code of the first failing command.
std::int32_t DownloadBootSoftware();

// The working frame number as last set, kept host side.
std::int32_t WorkingFrame();

// Forgets that PCI boards were found, so the next detection runs again (tests).
void ForgetDetection();

// Working flag j := bit j of mask for every installed board; logs the mask.
void SetWorkingScannersLocked(std::int32_t mask);

// Keeps logging and the beep flag as they are and switches them off until the
// scope ends (board commands whose failure the caller reports itself).
class QuietScope {
 public:
  explicit QuietScope(bool beepToo = true);
  ~QuietScope();
  QuietScope(const QuietScope&) = delete;
  QuietScope& operator=(const QuietScope&) = delete;

 private:
  bool logging_;
  std::int32_t beep_;
};

}  // namespace vexlib
