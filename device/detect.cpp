// Board detection: PCI boards through the driver, ISA boards from VX.INI, the
// memory checkout of every board and the order of PCI boards by identity.
#include <algorithm>
#include <cstdio>
#include <string>

#include "board_table.h"
#include "export_frame.h"
#include "sessions.h"
#include "transport.h"
#include "vexlib/vexlib.h"
#include "winplat/msgbox.h"
#include "winplat/profile.h"

namespace vexlib {
namespace {

namespace hw = winplat::hw;

constexpr std::uint32_t kCheckValue = 0xABCD1234;
constexpr std::uint32_t kIsaTestAddress = 0x0C00FEF0;
constexpr std::uint32_t kPciTestAddress = 0xC000FEF0;
constexpr std::uint32_t kIsaIdentityAddress = 0x00003FF0;
constexpr std::uint32_t kPciIdentityAddress = 0x80003FF0;
constexpr int kLastDeviceNumber = 8;

// Detection of PCI boards runs once per process: their handles stay open.
bool pciBoardsFound = false;

constexpr char kNoDriverText[] =
    "The VEXLIB.DLL was not able to open the TB2OOO device driver.\n"
    "This is most likely because the TB2OOO board is not installed.\n"
    "This can also be caused by the TB2OOO driver not being installed properly.\n\n"
    "To install the driver:\n"
    "1) Shut down the computer and check that the TB2OOO board is seated in its PCI slot.\n"
    "2) Start the computer and let Windows find the new hardware.\n"
    "3) When asked for the driver, point to the TB2OOO driver disk.\n"
    "4) Restart the computer, then re-run the VX program.";

void Box(const std::string& text, const char* caption, unsigned icon = winplat::MB_ICONEXCLAMATION) {
  winplat::MessageBox(0, text, caption,
                      winplat::MB_OK | icon | winplat::MB_TASKMODAL | winplat::MB_SETFOREGROUND);
}

std::string Format(const char* format, int value) {
  char text[1024];
  std::snprintf(text, sizeof text, format, value, value);
  return text;
}

// Tells the user that the number of PCI boards differs from the one remembered.
void TellBoardCount(std::int32_t remembered, std::int32_t count) {
  if (remembered == 99) {
    std::string text =
        count == 1
            ? std::string("Welcome to Lumenstage 2000.\n\nLumenstage has detected only one TB2000 board in the PC.\n\n"
                          "If you have installed more than one board, check the installation of these boards.\n"
                          "Also check the 'Device Manager' section of Windows Control Panel for any possible "
                          "conflicts.")
            : Format("Welcome to Lumenstage 2000.\n\nLumenstage has detected %i TB2000 boards in the PC.\n\n"
                     "If you have installed more than %i boards, check the installation of these boards.\n"
                     "Also check the 'Device Manager' section of Windows Control Panel for any possible conflicts.",
                     count);
    Box(text, "Verify number of TB2OOO boards installed", winplat::MB_ICONINFORMATION);
    return;
  }
  std::string text =
      count == 1
          ? std::string("The number of TB2000 boards has changed since the last time you started Lumenstage.\n"
                        "Only one TB2000 board has been detected in the PC.\n\n"
                        "If you have installed more than one board, check the installation of these boards.\n"
                        "Also check the 'Device Manager' section of Windows Control Panel for any possible "
                        "conflicts.")
          : Format("The number of TB2000 boards has changed since the last time you started Lumenstage.\n"
                   "%i TB2000 boards have been detected in the PC.\n\n"
                   "If you have installed more than %i boards, check the installation of these boards.\n"
                   "Also check the 'Device Manager' section of Windows Control Panel for any possible conflicts.",
                   count);
  Box(text, "Number of TB2OOO boards has changed");
}

std::int32_t FindPciBoards(std::int32_t remembered) {
  LogOther("Number of TB2000 boards=%i", remembered);
  std::int32_t count = 0;
  for (int n = 0; count < kMaxBoards; ++n) {
    PciOpen opened = OpenPciBoard(n, count);
    if (opened == PciOpen::NotOpened) {
      if (n < kLastDeviceNumber) continue;
      if (count == 0) Box(kNoDriverText, "VEXLIB.DLL: Can't open TB2OOO driver");
      break;
    }
    if (opened == PciOpen::NoInformation) {
      if (count == 0) Box("Unable to get TB2OOO PCI device information.", "VEXLIB.DLL: Internal Error");
      break;
    }
    if (opened == PciOpen::NotMapped) {
      Box("Unable to map TB2OOO PCI memory.", "VEXLIB.DLL: Internal Error");
      if (n >= kLastDeviceNumber) break;
      continue;
    }
    ++count;
  }
  LogOther("Number of TB2OOO boards detected = %i", count);
  if (count != 0 && count != remembered) {
    winplat::WritePrivateProfileString("TB2000", "Number of boards", std::to_string(count).c_str(), "VEXLIB.INI");
    TellBoardCount(remembered, count);
  }
  UsePciBoards(count);
  pciBoardsFound = count > 0;
  return count > 0 ? 0 : VX_CHECKOUT_FAILED;
}

std::int32_t FindIsaBoards() {
  BoardTable& t = Lib().boards;
  auto count = static_cast<std::int32_t>(winplat::GetPrivateProfileInt("TB32", "Number of boards", 1, "VX.INI"));
  LogOther("Number of TB32 boards=%i", count);
  if (count > kMaxBoards) {
    // The settings hold at most eight boards.
    LogOther("Number of TB32 boards limited to %i", kMaxBoards);
    count = kMaxBoards;
  }
  auto master = static_cast<std::int32_t>(winplat::GetPrivateProfileInt("TB32", "Master Address", t.dataPort[0], "VX.INI"));
  t.dataPort[0] = static_cast<std::uint16_t>(master);
  LogOther("Master Address=%04X", t.dataPort[0]);
  for (int i = 1; i < count; ++i) {
    char key[32];
    std::snprintf(key, sizeof key, "Slave%i Address", i);
    auto& port = t.dataPort[static_cast<std::size_t>(i)];
    port = static_cast<std::uint16_t>(winplat::GetPrivateProfileInt("TB32", key, port, "VX.INI"));
    LogOther("Slave%i Address=%04X", i, port);
  }
  UseIsaBoards(std::max(count, 0));
  return count > 0 ? 0 : VX_CHECKOUT_FAILED;
}

// Memory write, read-back and identity of every board. Returns 0 or the code of
// the first failure; `failed` gets the failing board.
std::int32_t CheckOut(int& failed) {
  BoardTable& t = Lib().boards;
  bool pci = t.pciMode != 0;
  std::uint32_t testAddress = pci ? kPciTestAddress : kIsaTestAddress;
  std::uint32_t identityAddress = pci ? kPciIdentityAddress : kIsaIdentityAddress;
  for (int i = 0; i < t.count; ++i) {
    failed = i;
    SetWorkingScannersLocked(1 << i);
    {
      CommandScope write(7);
      write.PutLong(static_cast<std::int32_t>(testAddress));
      write.PutLong(static_cast<std::int32_t>(kCheckValue));
      SendBoardCommand();
      if (std::int32_t code = Lib().reply.lastBoardError; code != 0) return code;
      auto value = static_cast<std::uint32_t>(GetLongReply(4));
      LogOther("PokeLong returned:%08X", value);
      if (value != testAddress && value != kCheckValue) return VX_CHECKOUT_FAILED;
    }
    {
      CommandScope read(4);
      read.PutLong(static_cast<std::int32_t>(testAddress));
      SendBoardCommand();
      if (std::int32_t code = Lib().reply.lastBoardError; code != 0) return code;
      auto value = static_cast<std::uint32_t>(GetLongReply(4));
      LogOther("PeekLong returned:%08X", value);
      if (value != kCheckValue) return VX_CHECKOUT_FAILED;
    }
    {
      CommandScope identity(4);
      identity.PutLong(static_cast<std::int32_t>(identityAddress));
      SendBoardCommand();
      auto& word = t.identity[static_cast<std::size_t>(i)];
      if (std::int32_t code = Lib().reply.lastBoardError; code != 0) {
        word = 0;
        return code;
      }
      word = GetLongReply(4);
    }
  }
  return 0;
}

// Turns a failed checkout into its detection code and tells the user.
std::int32_t ReportCheckout(std::int32_t code, int failed) {
  const BoardTable& t = Lib().boards;
  bool several = t.count > 1;
  std::int32_t result = VX_CHECKOUT_FAILED;
  std::string text;
  std::string caption;
  if (t.pciMode) {
    caption = "InitialTBCheck: TB2000 board";
    if (code == -1) {
      result = VX_CHECKOUT_NO_ANSWER;
      text = several ? "One of the TB2OOO boards did not respond to the initial checkout routine.\n"
                       "This may be due to a missing TB2OOO, or the driver not being installed correctly.\n"
                       "To find out which board is not responding properly, you will need to\n"
                       "remove each one, one at a time until this error goes away.\n"
                       "Further information can be found in the VX for Windows Help file."
                     : "The TB2OOO did not respond to the initial checkout routine.\n"
                       "This may be due to a missing TB2OOO, or the driver not being installed correctly.\n"
                       "Further information can be found in the VX for Windows Help file.";
    } else {
      text = several ? "One of the TB2OOO boards did not respond properly to the initial checkout routine.\n"
                       "This is probably due to a TB2OOO hardware problem.\n"
                       "To find out which board is not responding properly, you will need to\n"
                       "remove each one, one at a time until this error goes away.\n"
                       "Further information can be found in the VX for Windows Help file."
                     : "The TB2OOO did not respond properly to the initial checkout routine.\n"
                       "This is probably due to a TB2OOO hardware problem.\n"
                       "Further information can be found in the VX for Windows Help file.";
    }
  } else {
    caption = failed == 0 ? std::string("InitialTBCheck: Master board")
                          : "InitialTBCheck: Slave" + std::to_string(failed) + " board";
    if (code == -1) {
      result = VX_CHECKOUT_NO_ANSWER;
      text = "The Tribank32 did not respond to the initial checkout routine.\n"
             "This may be due to a missing Tribank32, or the address is set wrong in the VX.INI file.\n"
             "Further information can be found in the VX for Windows Help file.";
    } else if (code == -2) {
      result = VX_CHECKOUT_SKIPPED;
      text = "The Tribank32 did not respond properly to the initial checkout routine.\n"
             "This may be due to an address conflict with another board.\n"
             "Try removing potentially conflicting boards from your computer.\n\n"
             "Further information can be found in the VX for Windows Help file.";
    } else {
      text = "The Tribank32 did not respond properly to the initial checkout routine.\n"
             "This may be due to a Tribank32 hardware problem or an address conflict with another board.\n"
             "Further information can be found in the VX for Windows Help file.";
    }
  }
  Box(text, caption.c_str());
  return result;
}

// Bubble sort of the boards by identity word modulo 100000, with their driver
// handles and mapped windows: the board with the smallest key becomes master.
void OrderPciBoards() {
  BoardTable& t = Lib().boards;
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (int i = 0; i + 1 < t.count; ++i) {
      auto a = static_cast<std::size_t>(i), b = a + 1;
      if (t.identity[b] % 100000 < t.identity[a] % 100000) {
        std::swap(t.identity[a], t.identity[b]);
        std::swap(t.driver[a], t.driver[b]);
        std::swap(t.mappedBase[a], t.mappedBase[b]);
        swapped = true;
      }
    }
  }
}

}  // namespace

void ForgetDetection() {
  pciBoardsFound = false;
  ForgetBoards();
}

QuietScope::QuietScope(bool beepToo) : logging_(Lib().window.LoggingOn()), beep_(Lib().beepOnError) {
  Lib().window.SetLogging(false);
  if (beepToo) Lib().beepOnError = 0;
}

QuietScope::~QuietScope() {
  Lib().window.SetLogging(logging_);
  Lib().beepOnError = beep_;
}

void SetWorkingScannersLocked(std::int32_t mask) {
  BoardTable& t = Lib().boards;
  LogOther("SetWorkingScanners %02X", static_cast<unsigned>(mask));
  for (int j = 0; j < t.count; ++j) t.working[static_cast<std::size_t>(j)] = (mask >> j) & 1;
}

std::int32_t DetectBoards() {
  Library& lib = Lib();
  BoardTable& t = lib.boards;
  if (pciBoardsFound && t.pciMode) return 0;
  t.identity.fill(0);
  auto remembered = static_cast<std::int32_t>(winplat::GetPrivateProfileInt("TB2000", "Number of boards", 0, "VEXLIB.INI"));
  std::int32_t result = remembered != 0 ? FindPciBoards(remembered) : FindIsaBoards();
  if (result == 0 && t.count > 0) {
    int failed = 0;
    std::int32_t code = 0;
    {
      QuietScope quiet;
      code = CheckOut(failed);
    }
    lib.window.SetLogging(true);
    if (code != 0) result = ReportCheckout(code, failed);
  }
  SetWorkingScannersLocked(-1);
  if (result == 0 && t.pciMode && t.count >= 2) OrderPciBoards();
  return result;
}

}  // namespace vexlib

using namespace vexlib;

extern "C" {

std::int32_t InitialTBCheck(std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("InitialTBCheck");
  std::int32_t result = DetectBoards();
  if (status) *status = result;
  return result;
}

std::int32_t RebootTB32() {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("RebootTB32");
  std::int32_t result = DetectBoards();
  if (result == 0) {
    std::int32_t beep = Lib().beepOnError;
    Lib().beepOnError = 0;
    Lib().window.SetLogging(false);
    SetWorkingScannersLocked(-1);
    Lib().window.SetLogging(true);
    {
      CommandScope reboot(115);
      result = reboot.Send();
    }
    Lib().beepOnError = beep;
  }
  return frame.Finish(result);
}

}  // extern "C"
