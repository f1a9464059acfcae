// Colour exports: packing on the host, the boards' colour registers, colour
// conversions and palette housekeeping.
#include <algorithm>

#include <string>

#include "export_frame.h"
#include "frame_support.h"
#include "file_transfer.h"
#include "transport.h"
#include "winplat/files.h"

using namespace vexlib;

namespace {

// Register values for a board: below 1 gives 0, 255 and above gives 255.
void Clamp255(std::int32_t& v) {
  if (v < 1) v = 0;
  if (v >= 255) v = 255;
}

std::int32_t SimpleCommand(std::uint16_t code, const char* line) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("%s", line);
  std::int32_t status = 0;
  {
    CommandScope command(code);
    status = command.Send();
  }
  return frame.Finish(status);
}

// RGBtoHSV and HSVtoRGB: the answer is the command result, written whatever the status.
std::int32_t Convert(std::uint16_t code, const char* name, const std::int32_t* source, std::int32_t* target) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::int32_t value = source ? *source : 0;
  LogExport("%s %08lX", name, static_cast<unsigned long>(static_cast<std::uint32_t>(value)));
  std::int32_t status = 0;
  {
    CommandScope command(code);
    command.PutLong(value);
    status = command.Query();
    if (target) *target = GetLongReply(4);
  }
  return frame.Finish(status);
}

}  // namespace

extern "C" {

std::int32_t RGB4toRGB1(std::int32_t* c1, std::int32_t* c2, std::int32_t* c3, std::int32_t* c4, std::int32_t* out) {
  // The components are not masked: one above 255 spills into the next byte.
  auto u = [](const std::int32_t* c) { return c ? static_cast<std::uint32_t>(*c) : 0u; };
  std::uint32_t packed = u(c1) | (u(c2) << 8) | (u(c3) << 16) | (u(c4) << 24);
  if (out) *out = static_cast<std::int32_t>(packed);
  return 0;
}

std::int32_t RGB1toRGB4(std::int32_t* colour, std::int32_t* c1, std::int32_t* c2, std::int32_t* c3,
                        std::int32_t* c4) {
  std::uint32_t packed = colour ? static_cast<std::uint32_t>(*colour) : 0u;
  std::int32_t* out[4] = {c1, c2, c3, c4};
  for (int i = 0; i < 4; ++i) {
    if (out[i]) *out[i] = static_cast<std::int32_t>((packed >> (8 * i)) & 0xFF);
  }
  return 0;
}

std::int32_t LoadPalette(const char* file, std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::string path = file ? file : "";
  LogExport("LoadPalette %s", path.c_str());
  std::int32_t result = VX_BOOT_FILE_MISSING;
  winplat::File input = winplat::File::OpenForReading(path);
  if (input.IsOpen()) {
    {
      CommandScope open(20);
      open.PutLong(static_cast<std::int32_t>(std::min<std::int64_t>(input.Size(), INT32_MAX)));
      result = open.Send();
    }
    StreamFileToBoard(input, &result);
    if (result == 0) {
      CommandScope install(118);
      result = install.Send();
    }
    input.Close();
  }
  if (status) *status = result;
  return frame.Finish(result);
}

std::int32_t SavePalette(const char* file, std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::string path = file ? file : "";
  LogExport("SavePalette %s", path.c_str());
  const std::uint8_t zero[4] = {0, 0, 0, 0};
  std::int32_t result = SaveBoardStream(path, 22, zero, sizeof zero);
  if (status) *status = result;
  return frame.Finish(result);
}

std::int32_t TrainColorSystem() { return SimpleCommand(116, "TrainColorSystem"); }

std::int32_t UseDefaultColors() { return SimpleCommand(119, "UseDefaultColors"); }

std::int32_t UpdateAlternatePalettes() { return SimpleCommand(72, "UpdateAlternatePalettesi"); }

std::int32_t EliminateUnusedColors(std::int32_t keep) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("EliminateUnusedColors %i", keep);
  std::int32_t status = 0;
  {
    CommandScope command(109);
    command.PutLong(keep);
    status = command.Send();
  }
  return frame.Finish(status);
}

std::int32_t ReadColorReg(ColorRegStruct* reg) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  ColorRegStruct empty{};
  ColorRegStruct& r = reg ? *reg : empty;
  for (int i = 1; i <= 3; ++i) Clamp255(r.Fields[i]);
  LogExport("ReadColorReg R:%i, G:%i, B:%i, I:%i", r.Fields[1], r.Fields[2], r.Fields[3], r.Fields[0]);
  std::int32_t status = 0;
  {
    CommandScope command(24);
    for (int i : {1, 2, 3, 0}) command.PutLong(r.Fields[i]);
    status = command.Query();
    if (Lib().boards.pciMode) {
      for (int i = 0; i < 12; ++i) r.Fields[i] = GetLongReply(8 + 4 * i);
    } else {
      for (int i = 0; i < 10; ++i) r.Fields[i] = GetShortReply(8 + 2 * i);
    }
  }
  return frame.Finish(status);
}

std::int32_t ReadNumColors(std::int32_t* count) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ReadNumColors");
  std::int32_t status = 0;
  {
    CommandScope command(111);
    status = command.Query();
    if (status == 0 && count) *count = GetLongReply(4);
  }
  return frame.Finish(status);
}

std::int32_t WriteColorReg(ColorRegStruct* reg) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  ColorRegStruct empty{};
  ColorRegStruct& r = reg ? *reg : empty;
  bool pci = Lib().boards.pciMode != 0;
  for (int i = 1; i <= (pci ? 11 : 9); ++i) Clamp255(r.Fields[i]);
  LogExport("WriteColorReg R:%i, G:%i, B:%i, I:%i", r.Fields[1], r.Fields[2], r.Fields[3], r.Fields[0]);
  std::int32_t status = 0;
  {
    CommandScope command(25);
    if (pci) {
      for (int i = 0; i < 12; ++i) command.PutLong(r.Fields[i]);
    } else {
      for (int i = 0; i < 10; ++i) command.PutShort(static_cast<std::int16_t>(r.Fields[i]));
    }
    status = command.Send();
  }
  return frame.Finish(status);
}

std::int32_t RGBtoHSV(std::int32_t* source, std::int32_t* target) { return Convert(155, "RGBtoHSV", source, target); }

std::int32_t HSVtoRGB(std::int32_t* source, std::int32_t* target) { return Convert(156, "HSVtoRGB", source, target); }

}  // extern "C"
