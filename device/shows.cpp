// Shows: play and stop, and the show structures the boards load, save and find.
#include <cstring>
#include <string>

#include "export_frame.h"
#include "file_transfer.h"
#include "transport.h"
#include "vexlib/vexlib.h"

using namespace vexlib;

namespace {

constexpr std::size_t kShowNameBytes = 50;

}  // namespace

extern "C" {

std::int32_t PlayShowEx(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("PlayShow %li %li %li %li", static_cast<long>(a), static_cast<long>(b), static_cast<long>(c),
            static_cast<long>(d));
  CommandScope command(144);
  for (std::int32_t v : {a, b, c, d}) command.PutLong(v);
  return frame.Finish(command.Send());
}

std::int32_t PlayShowExD(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, const char* file) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::uint8_t operands[16];
  std::int32_t values[4] = {a, b, c, d};
  for (int i = 0; i < 4; ++i) {
    auto u = static_cast<std::uint32_t>(values[i]);
    for (int k = 0; k < 4; ++k) operands[4 * i + k] = static_cast<std::uint8_t>(u >> (24 - 8 * k));
  }
  return frame.Finish(SaveBoardStream(file ? file : "", 144, operands, sizeof operands));
}

std::int32_t StopShow() {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("StopShow");
  CommandScope command(143);
  return frame.Finish(command.Send());
}

std::int32_t StopShowEx(std::int32_t value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("StopShow");
  CommandScope command(201);
  command.PutLong(value);
  return frame.Finish(command.Send());
}

std::int32_t LoadShowStructures(const char* file, std::int32_t which, std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::string path = file ? file : "";
  LogExport("LoadShowStructures %i %s", which, path.c_str());
  std::int32_t result = VX_BOOT_FILE_MISSING;
  winplat::File input = winplat::File::OpenForReading(path);
  if (input.IsOpen()) {
    {
      CommandScope open(100);
      open.PutLong(which);
      result = open.Send();
    }
    StreamFileToBoard(input, &result);
    input.Close();
  }
  Lib().lastStatus = result;
  if (status) *status = result;
  return result;
}

std::int32_t SaveShowStructures(const char* file, std::int32_t which, std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::string path = file ? file : "";
  LogExport("SaveShowStructures %i %s", which, path.c_str());
  std::uint8_t operand[4];
  auto u = static_cast<std::uint32_t>(which);
  for (int k = 0; k < 4; ++k) operand[k] = static_cast<std::uint8_t>(u >> (24 - 8 * k));
  std::int32_t result = SaveBoardStream(path, 101, operand, sizeof operand);
  Lib().lastStatus = result;
  if (status) *status = result;
  return result;
}

std::int32_t FindShowStructures(const char* name, ShowStructureKey* key, std::int32_t* out1, std::int32_t* out2) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  // The name field is 50 bytes; a shorter name is read up to its end and padded with NULs.
  char field[kShowNameBytes] = {};
  if (name) std::memcpy(field, name, strnlen(name, kShowNameBytes));
  LogExport("FindShowStructures %.*s ", static_cast<int>(strnlen(field, kShowNameBytes)), field);
  ShowStructureKey sent = key ? *key : ShowStructureKey{};
  CommandScope command(203);
  command.PutBytes(field, kShowNameBytes);
  command.PutLong(sent.Value);
  command.PutShort(sent.Second);
  command.PutShort(sent.First);
  SelectFirstWorkingBoard();
  std::int32_t status = SendBoardCommand();
  RestoreWorkingBoards();
  if (status == 0) {
    if (key) {
      key->Value = GetLongReply(8);
      key->Second = GetShortReply(12);
      key->First = GetShortReply(14);
    }
    if (out1) *out1 = GetLongReply(16);
    if (out2) *out2 = GetLongReply(20);
  }
  return frame.Finish(status);
}

}  // extern "C"
