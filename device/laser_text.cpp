// Laser text: the font the boards draw with, the text parameters, drawing a
// character into the working frame and asking a character's extent.
#include <string>

#include "export_frame.h"
#include "file_transfer.h"
#include "library_state.h"
#include "transport.h"
#include "vexlib/vexlib.h"
#include "winplat/files.h"

using namespace vexlib;

namespace {

bool PciBoards() { return Lib().boards.pciMode != 0; }

// A reply value: a Long on PCI boards, a signed 16-bit value on ISA boards.
std::int32_t ReplyValue(int index) {
  return PciBoards() ? GetLongReply(8 + 4 * index) : GetShortReply(8 + 2 * index);
}

}  // namespace

extern "C" {

std::int32_t SetLineLimits(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetLineLimits %li %li %li %li", static_cast<long>(a), static_cast<long>(b), static_cast<long>(c),
            static_cast<long>(d));
  std::int32_t status = 0;
  {
    CommandScope command(68);
    for (std::int32_t v : {a, b, c, d}) command.PutLong(v);
    status = command.Send();
  }
  return frame.Finish(status);
}

std::int32_t LoadFont(const char* file, std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::string path = file ? file : "";
  LogExport("LoadFont %.200s", path.c_str());
  std::int32_t result = VX_BOOT_FILE_MISSING;
  winplat::File input = winplat::File::OpenForReading(path);
  if (input.IsOpen()) {
    {
      CommandScope open(71);
      open.PutLong(0);
      result = open.Send();
    }
    StreamFileToBoard(input, &result);
    input.Close();
  }
  if (status) *status = result;
  return frame.Finish(result);
}

std::int32_t SetLaserChar(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4, std::int32_t p5,
                          std::int32_t p6, std::int32_t p7, std::int32_t p8, std::int32_t p9) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetLaserChar %li %li %li %li %li %li %li %li %lX", static_cast<long>(p1), static_cast<long>(p2),
            static_cast<long>(p3), static_cast<long>(p4), static_cast<long>(p5), static_cast<long>(p6),
            static_cast<long>(p7), static_cast<long>(p8), static_cast<unsigned long>(static_cast<std::uint32_t>(p9)));
  std::int32_t status = 0;
  {
    CommandScope command(112);
    bool pci = PciBoards();
    for (std::int32_t v : {p1, p2, p3, p4, p5, p6, p7, p8}) {
      if (pci) {
        command.PutLong(v);
      } else {
        command.PutShort(static_cast<std::int16_t>(v));
      }
    }
    command.PutLong(p9);
    status = command.Send();
  }
  return frame.Finish(status);
}

std::int32_t LaserChar(std::int32_t code, std::int32_t x, std::int32_t y, std::int32_t n, std::int32_t* o1,
                       std::int32_t* o2, std::int32_t* o3) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("LaserChar %li %li %li %li", static_cast<long>(code), static_cast<long>(x), static_cast<long>(y),
            static_cast<long>(n));
  std::int32_t status = 0;
  {
    CommandScope command(113);
    for (std::int32_t v : {code, x, y, n}) command.PutLong(v);
    status = command.Query();
    if (status == 0) {
      if (o1) *o1 = ReplyValue(0);
      if (o2) *o2 = ReplyValue(1);
      if (o3) *o3 = ReplyValue(2);
    }
  }
  return frame.Finish(status);
}

std::int32_t GetLaserCharExtent(std::int32_t code, std::int32_t* width, std::int32_t* height) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("GetLaserCharExtent %li", static_cast<long>(code));
  std::int32_t status = 0;
  {
    CommandScope command(114);
    command.PutLong(code);
    status = command.Query();
    if (status == 0) {
      if (width) *width = ReplyValue(0);
      if (height) *height = ReplyValue(1);
    }
  }
  return frame.Finish(status);
}

}  // extern "C"
