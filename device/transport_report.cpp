// Reporting a board error code: beep, diagnostic window, log line and box.
#include <cstdio>
#include <string>

#include "export_frame.h"
#include "transport.h"
#include "winplat/msgbox.h"

namespace vexlib {
namespace {


const char* ErrorName(std::int32_t code) {
  switch (code) {
    case 1: return "NULL COMMAND";
    case 2: return "UNDEFINED COMMAND";
    case 3: return "DOWNLOAD BAD";
    case 4: return "CHECKSUM BAD";
    case 5: return "INSUFFICIENT OPERANDS";
    case 6: return "DRAM TEST FAILED";
    case 7: return "ROM TEST FAILED";
    case 8: return "ACCESS ERROR";
    default: return nullptr;
  }
}

}  // namespace

std::string DiagnosticsCaption(int board) {
  const char* family = Lib().boards.pciMode ? "TB2OOO" : "TB32";
  char caption[64];
  if (board == 0) {
    std::snprintf(caption, sizeof caption, "%s Diagnostics: Master board", family);
  } else {
    std::snprintf(caption, sizeof caption, "%s Diagnostics: Slave%i board", family, board);
  }
  return caption;
}

void ReportBoardError(int board, std::int32_t code, bool beforeSending) {
  Library& lib = Lib();
  bool pci = lib.boards.pciMode != 0;
  if (lib.beepOnError) {
    StandardBeep();
    OpenCommWindowLocked();
  }
  const char* family = pci ? "TB2OOO" : "TB32";
  int shown = board + 1;
  if (code == -1) {
    LogOther(pci && beforeSending ? "Board %i VXLIB: MEMORY READ ERROR ****" : "Board %i VXLIB: FIFO ERROR ****",
             shown);
  } else if (code == 6 && pci && beforeSending) {
    LogOther("Board %i TB2OOO: SDRAM TEST FAILED ****", shown);
  } else if (const char* name = ErrorName(code)) {
    LogOther("Board %i %s: %s ****", shown, family, name);
  } else {
    LogOther("Board %i %s: MISC ERROR %i ****", shown, family, code);
  }
  const char* failure = nullptr;
  if (code == 6) failure = "MEMORY FAILURE";
  if (code == 8) failure = "GENERAL ACCESS ERROR";
  if (code == 3 || code == 4) failure = "COMMUNICATIONS ERROR";
  if (!failure) return;
  std::string caption = DiagnosticsCaption(board);
  std::string text = std::string("The TB board's internal check routines have detected a ") + failure +
                     ".\nThe TB board and associated software may not work properly until this is fixed.\n\n"
                     "Select OK for more information or Cancel to continue.";
  if (winplat::MessageBox(0, text, caption, winplat::MB_OKCANCEL | DiagnosticBoxFlags) == winplat::IDOK) {
    ShowHelpBox(caption);
  }
}

void ShowHelpBox(const std::string& caption) {
  winplat::MessageBox(0,
                      "To solve this problem try the following:\n1) Exit and re-run VX.\n2) Press RESET on the "
                      "computer or turn it off, then back on.\n3) Check TB board and gold fingers.",
                      caption, winplat::MB_OK | DiagnosticBoxFlags);
}

}  // namespace vexlib
