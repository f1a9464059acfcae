#include "engine/status_reporter.h"

#include <array>

#include "winplat/msgbox.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

namespace {

using P = StatusPrompts;

const std::string kLB = LB;
const std::string kFileTitle = "CheckStatus: File error";
const std::string kCuetrackTitle = "CheckStatus: Error in Cuetrack system";
const std::string kWinMemTitle = "CheckStatus: Windows 'Out of memory' error";

StatusReport Plain(std::string title, std::string text, unsigned style, bool gated) {
  StatusReport r;
  r.title = std::move(title);
  r.text = std::move(text);
  r.style = style;
  r.gated = gated;
  return r;
}

StatusReport Prompted(std::string title, std::string text, bool gated, StatusPrompts prompts) {
  StatusReport r;
  r.title = std::move(title);
  r.text = std::move(text);
  r.gated = gated;
  r.prompts = prompts;
  return r;
}

StatusReport FileError(std::string text) {
  StatusReport r = Plain(kFileTitle, std::move(text), 48, false);
  r.replacesPrefix = true;
  return r;
}

StatusReport Cuetrack(const std::string& what, const std::string& upper, const std::string& variable) {
  return Plain(kCuetrackTitle,
               "Cuetrack " + what + " out of range." + kLB + "(" + upper + " number higher than allowed.)" + kLB +
                   "Current value of variable '" + variable + "':" + " 0",
               48, true);
}

bool ShowsNothing(std::int32_t code) {
  if (code == 0 || (code >= -16 && code <= -11)) return true;
  static constexpr std::array<std::int32_t, 8> silent = {-201, -501, -502, -530, -531, -532, -533, -539};
  for (std::int32_t c : silent)
    if (c == code) return true;
  return false;
}

std::string MemoryFigure(std::int32_t value) { return winplat::Format(value, "###,###,###,###"); }

}  // namespace

std::optional<StatusReport> StatusReportFor(std::int32_t code) {
  if (ShowsNothing(code)) return std::nullopt;
  const std::string& L = kLB;
  switch (code) {
    case -1:
      return Prompted("CheckStatus: TB2000 FIFO read error",
                      "A problem has developed in the TB2000 "
                      "(a command returned an incorrect number of bytes). " +
                          L +
                          "The TB2000 may have come loose in its socket, or another board "
                          "may now be causing address conflicts.",
                      true, P::Exit);
    case -2:
      return Prompted("CheckStatus: TB software error",
                      "A problem has developed in the TB2000's software "
                      "(or other boards have started causing address conflicts, "
                      "or the TB board became loosened in its socket). ",
                      true, P::Exit);
    case -31:
      return Plain("CheckStatus: Already point-oriented",
                   "You are trying to create a point-oriented frame. But "
                   "the existing frame is already point-oriented.",
                   64, false);
    case -101:
      return Plain("CheckStatus: CheckSession error", "A session is not running. " + L + "You must first start a session.",
                   48, true);
    case -401: return FileError("File not found.");
    case -402: return FileError("Wrong type of file.");
    case -403: return FileError("Disk is full. File will not be saved.");
    case -404: return FileError("Disk is write protected.");
    case -405: return FileError("File is write protected.");
    case -406: return FileError("Unknown (miscellaneous) file load/save error.");
    case -407: return FileError("Filename is too long. It must be 127 or fewer characters.");
    case -511: return Cuetrack("TDC", "TDC", "currentTDC");
    case -512: return Cuetrack("transition", "Transition", "currenttransition");
    case -513: return Cuetrack("effect", "Effect", "currenteffect");
    case -514: return Cuetrack("scene", "Scene", "currentscene");
    case -515: return Cuetrack("module", "Module", "currentMSCN");
    case -516:
      return Plain(kCuetrackTitle, "Cuetrack show out of range." + L + "(Show number higher than allowed.)" + L, 48, true);
    case -519:
      return Plain(kCuetrackTitle,
                   "Cuetrack tried to reference a non-existent structure " + L + "(effect, scene, module or show)." + L, 48,
                   true);
    case -540:
      return Plain(kCuetrackTitle,
                   "Effect being used by one or more timeline events, " + L + "so it cannot be deleted." + L +
                       "Cut or discard those timeline events, and try again." + L,
                   48, true);
    case -549:
      return Plain(kCuetrackTitle,
                   "This structure (effect, scene, module or show) is being used by Cuetrack. " + L +
                       "It cannot be deleted." + L +
                       "Cut or discard any structures which use or reference this, and try again." + L,
                   48, true);
    case -601:
      return Plain(kWinMemTitle, "Out of PC/Windows memory." + L + "Save your work immediately to avoid loss.", 16, false);
    case -602:
      return Plain(kWinMemTitle, "No memory to open a window." + L + "Save your work immediately to avoid loss.", 16,
                   false);
    case -702: {
      StatusReport r = Plain("CheckStatus: TB 'Out of memory' error", "Out of memory on TB2000. " + L + L, 16, true);
      r.memoryReport = true;
      r.tail = "add more memory to the TB board (as much as 256MB)." + L + "See the Tribank 32 Help file for more information. ";
      return r;
    }
    case -703: {
      StatusReport r = Plain("CheckStatus: File too large error",
                             "File was too large for TB2000 memory, so nothing was loaded." + L + L, 16, true);
      r.memoryReport = true;
      r.tail = "add more memory to the TB board (up to 256MB)." + L + "See the Tribank 32 Help file for more information. ";
      return r;
    }
    case -801:
      return Plain("CheckStatus: VX library error",
                   "VX library command not available." + L + "You may be using an older VEXLIB.DLL library. ", 48, true);
    case -901:
      return Plain("CheckStatus: Timeout error",
                   "Communication error with TB2000: Long timeout. "
                   "May be a software error, or file being loaded/saved may be bad.",
                   48, true);
    case -1001:
      return Prompted("CheckStatus: TB Not Present",
                      "No TB board installed (or possible address conflict "
                      "with other boards). ",
                      false, P::ExitBeepNoBoards);
    case -1002:
      return Prompted("CheckStatus: TB Address Conflict",
                      "There may be an address conflict with another board "
                      "(or the TB may not be installed). ",
                      false, P::ExitBeepNoBoards);
    case -1003:
      return Prompted("CheckStatus:TB Address Conflict", "TB2000 initialization problem detected. ", false,
                      P::ExitBeepNoBoards);
    case 1:
      return Prompted("CheckStatus: Null Command Error", "Invalid command sent to TB. Possible TB hardware trouble.", true,
                      P::ExitBeep);
    case 2:
      return Prompted("CheckStatus: Bad Command Error",
                      "Bad command reported. Could be TB hardware trouble, or that the files "
                      "VEXLIB.DLL and VEXLIB.TBS are mismatched (from different releases).",
                      true, P::ExitBeep);
    case 3:
      return Prompted("CheckStatus: Bad Download Error", "Error when autoloading TB startup code.", true, P::ExitBeep);
    case 4:
      return Prompted("CheckStatus: Bad Checksum Error", "Checksum error reported after downloading TB startup code.",
                      true, P::ExitBeep);
    case 5:
      return Prompted("CheckStatus: Insufficient Operand Error",
                      "TB expected different number of command arguments. "
                      "Could be that the files VEXLIB.DLL and VEXLIB.TBS are mismatched (from different releases)",
                      true, P::ExitBeep);
    case 6:
      return Prompted("CheckStatus: DRAM Test Failed.",
                      "RAM code on TB2000 has failed a memory check. "
                      "Check that chips are secure and that board is properly inserted.",
                      true, P::ExitBeep);
    case 7:
      return Prompted("CheckStatus: ROM Test Failed.",
                      "ROM code on TB2000 has failed a check. "
                      "Check that chips are secure and that board is properly inserted.",
                      true, P::ExitBeep);
    case 8:
      return Prompted("CheckStatus: Guru Meditation Error.", "TB operating software violation (divide by zero, etc.). ",
                      true, P::ExitBeep);
    default:
      return Prompted("CheckStatus: Unknown Error Number", "Unknown type of error in VX/CheckStatus.", false,
                      P::ExitBeep);
  }
}

void CheckStatus(Engine& engine) {
  BusyScope busy(engine);
  const std::int32_t code = engine.State.VXStatus;
  std::optional<StatusReport> row = StatusReportFor(code);
  if (!row) return;

  std::string message = "VX status/error number " + winplat::Str(code) + "." + kLB;
  if (row->replacesPrefix) {
    message = row->text;
  } else {
    message += row->text;
  }
  if (row->memoryReport) {
    std::int32_t first = 0, totalFree = 0, largest = 0, inUse = 0;
    engine.Vx.TB32AvailMemEx(&first, &totalFree, &largest, &inUse);
    message += "Total free memory in TB is " + MemoryFigure(totalFree) + " bytes." + kLB +
               "Largest free memory block in TB is " + MemoryFigure(largest) + " bytes." + kLB + "There are " +
               MemoryFigure(inUse) + " memory blocks currently in use." + kLB +
               "Delete unneeded frames and defragment to gain more TB memory." + kLB + kLB +
               "If you routinely work with large numbers of frames, you can also " + row->tail;
  }
  if (row->gated && engine.State.ShowErrorMessages == 0) return;

  if (row->prompts == StatusPrompts::None) {
    winplat::MessageBox(0, message, row->title, row->style);
    return;
  }

  message += kLB + kLB + "You can exit the program" + " if you wish. Select 'Yes' to exit, " + "'No' to continue. " +
             kLB + kLB + "Exit program?";
  int answer = winplat::MessageBox(0, message, row->title, 276);
  engine.Vx.OpenVXCommWindow();
  if (answer == winplat::IDYES) {
    EndProgramNow(engine);
    return;
  }
  if (row->prompts == StatusPrompts::Exit) return;

  std::string beep = std::string("Because of this problem, error beeps and messages will appear ") +
                     "each time the TB is accessed. " + kLB + kLB +
                     "Do you want to hear the beeps and see the messages?";
  if (winplat::MessageBox(0, beep, row->title, 292) == winplat::IDNO) {
    engine.State.ShowErrorMessages = 0;
    engine.Vx.TB32BeepOnError(0);
  }
  if (row->prompts == StatusPrompts::ExitBeepNoBoards) engine.Vx.SetWorkingScanners(0);
}

void StartSession(Engine& engine) {
  const SessionValues& args = engine.State.SessionArgs;
  engine.Vx.BeginSession(args.P1, args.P2, args.P3, args.P4, &engine.State.VXStatus);
  if (engine.State.VXStatus == 0) return;
  std::string message;
  if (engine.State.VXStatus == -401) {
    message = "Tribank boot program 'VX.T32' not found. Ending Lumiroll.";
  } else {
    CheckStatus(engine);
    if (engine.Ended) return;
    message = std::string("Unrecoverable error; Lumiroll cannot continue. Check that you have correct, updated ") +
              "VX.DLL and VX.T32 files in Windows\\System directory.";
  }
  winplat::MessageBeep(winplat::MB_OK);
  winplat::MessageBox(0, message, "BeginSession unable to complete", 16);
  EndProgramNow(engine);
}

}  // namespace fieldray::engine
