// The exports that need no board, the port exports, and the two frame commands
// of the library frame (DisplayTrans2, GetDates).
#include "export_frame.h"
#include "transport.h"
#include "vexlib/vexlib.h"
#include "winplat/hw/ports.h"

using namespace vexlib;

extern "C" {

std::int32_t GetVXDLLModuleUsage(std::int32_t* count) {
  Library& lib = Lib();
  if (count) *count = lib.shared ? lib.shared->Get(kSharedProcessCount) : 0;
  return 0;
}

std::int32_t OpenVXCommWindow() {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  return OpenCommWindowLocked();
}

std::int32_t CloseVXCommWindow() {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  Lib().window.Close();
  return 0;
}

std::int32_t WriteToVXCommWindow(const char* text) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (Lib().window.IsOpen()) LogExport("----- %s -----", text ? text : "");
  return 0;
}

std::int32_t TB32BeepOnError(std::int32_t flag) {
  // No lock: the line is formatted apart from the export log line.
  LogOther("TB32Beep %i", flag);
  Lib().beepOnError = flag;
  return 0;
}

std::int32_t GetVXStatus(std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("GetVXStatus");
  Library& lib = Lib();
  std::int32_t value = lib.stickyStatus;
  lib.stickyStatus = 0;
  if (status) *status = value;
  return value;
}

std::int16_t vxInp(std::int32_t port) {
  auto byte = static_cast<std::int8_t>(winplat::hw::Inp(static_cast<std::uint16_t>(port & 0xFFFF)));
  return static_cast<std::int16_t>(byte);
}

std::int16_t vxInpw(std::int32_t port) {
  return static_cast<std::int16_t>(winplat::hw::Inpw(static_cast<std::uint16_t>(port & 0xFFFF)));
}

std::int32_t vxOutp(std::int32_t port, std::int32_t value) {
  winplat::hw::Outp(static_cast<std::uint16_t>(port & 0xFFFF), static_cast<std::uint8_t>(value & 0xFF));
  return value & 255;
}

void vxOutpw(std::int32_t port, std::int32_t value) {
  winplat::hw::Outpw(static_cast<std::uint16_t>(port & 0xFFFF), static_cast<std::uint16_t>(value & 0xFFFF));
}

std::int32_t DisplayTrans2(std::int32_t a, std::int32_t b) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::int32_t status = 0;
  {
    CommandScope command(210);
    command.PutLong(a);
    command.PutLong(b);
    status = command.Send();
  }
  return frame.Finish(status);
}

std::int32_t GetDates(std::int32_t* libraryDate, std::int32_t* date1, std::int32_t* date2) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("GetDates");
  std::int32_t status = 0;
  {
    CommandScope command(50);
    status = command.Query();
    if (date1) *date1 = status == 0 ? GetLongReply(8) : 0;
    if (date2) *date2 = status == 0 ? GetLongReply(12) : 0;
  }
  if (libraryDate) *libraryDate = kLibraryDate;
  return frame.Finish(status);
}

}  // extern "C"
