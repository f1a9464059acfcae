// Point exports: the working frame's points one at a time, insert and delete,
// the point edits with an active array, and the 3D conversion.
#include "export_frame.h"
#include "frame_support.h"
#include "transport.h"

using namespace vexlib;

namespace {

constexpr double kResizeFactor = 163.83;
constexpr double kRotateFactor = 163.84;

}  // namespace

extern "C" {

std::int32_t ReadNumPoints(std::int32_t* count) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ReadNumPoints");
  std::int32_t status = 0;
  {
    CommandScope command(17);
    status = command.Query();
    if (status == 0 && count) *count = GetLongReply(4);
  }
  return frame.Finish(status);
}

std::int32_t ReadPoint(std::int32_t index, PointStruct* point) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ReadPoint %li", static_cast<long>(index));
  std::int32_t status = 0;
  {
    CommandScope command(149);
    command.PutLong(index);
    status = command.Query();
    if (point) {
      point->X = GetShortReply(8);
      point->Y = GetShortReply(10);
      point->Z = GetShortReply(12);
      point->F = GetShortReply(14);
      point->Colour = GetLongReply(16);
      point->Value5 = GetShortReply(20);
      point->Value6 = GetShortReply(22);
      point->Value7 = GetShortReply(24);
      point->Value8 = GetShortReply(26);
    }
  }
  return frame.Finish(status);
}

std::int32_t WritePoint(std::int32_t index, const PointStruct* point) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("WritePoint %li", static_cast<long>(index));
  PointStruct p = point ? *point : PointStruct{};
  std::int32_t status = 0;
  {
    CommandScope command(150);
    command.PutShort(static_cast<std::int16_t>(index));
    for (std::int32_t v : {p.X, p.Y, p.Z, p.F}) command.PutShort(static_cast<std::int16_t>(v));
    command.PutLong(p.Colour);
    command.PutShort(static_cast<std::int16_t>(p.Value7));
    command.PutShort(static_cast<std::int16_t>(p.Value8));
    status = command.Send();
  }
  return frame.Finish(status);
}

std::int32_t SetInsertOnWrite(std::int32_t insert) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetInsertOnWrite %li", static_cast<long>(insert));
  return frame.Finish(SendLongs(21, {insert}));
}

std::int32_t DeletePoints(std::int32_t a, std::int32_t b) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("DeletePoints %i %i", a, b);
  return frame.Finish(SendLongs(45, {a, b}));
}

std::int32_t InsertPoints(std::int32_t a, std::int32_t b) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("InsertPoints %li %li", static_cast<long>(a), static_cast<long>(b));
  return frame.Finish(SendLongs(46, {a, b}));
}

std::int32_t InvertPointsActive(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                                std::int32_t f, std::int32_t* active) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (active) {
    LogExport("InvertPointsActive %li %li %li %li %li %lX %08lX", static_cast<long>(a), static_cast<long>(b),
              static_cast<long>(c), static_cast<long>(d), static_cast<long>(e),
              static_cast<unsigned long>(static_cast<std::uint32_t>(f)), LogAddress(active));
  } else {
    LogExport("InvertPoints %li %li %li %li %li %lX", static_cast<long>(a), static_cast<long>(b),
              static_cast<long>(c), static_cast<long>(d), static_cast<long>(e),
              static_cast<unsigned long>(static_cast<std::uint32_t>(f)));
  }
  const std::int32_t operands[] = {a, b, c, d, e, f};
  return frame.Finish(RunActiveCommand(54, operands, 6, active, false, nullptr));
}

std::int32_t MovePointsActive(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                              std::int32_t f, std::int32_t* active) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  auto uf = static_cast<unsigned>(f);
  if (active) {
    LogExport("MovePointsActive %i %i %i %i %i %X %08lX", a, b, c, d, e, uf, LogAddress(active));
  } else {
    LogExport("MovePoints %i %i %i %i %i %X", a, b, c, d, e, uf);
  }
  const std::int32_t operands[] = {a, b, c, d, e, f};
  return frame.Finish(RunActiveCommand(55, operands, 6, active, false, nullptr));
}

std::int32_t ResizePointsActive(std::int32_t a, std::int32_t b, float x, float y, float z, std::int32_t g,
                                std::int32_t h, std::int32_t l, std::int32_t m, std::int32_t* active) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::int32_t lx = ScaleToBoard(x, 1.0), ly = ScaleToBoard(y, 1.0), lz = ScaleToBoard(z, 1.0);
  auto um = static_cast<unsigned>(m);
  if (active) {
    LogExport("ResizePointsActive %i %i %i %i %i %i %i %i %X %08lX", a, b, lx, ly, lz, g, h, l, um, LogAddress(active));
  } else {
    LogExport("ResizePoints %i %i %i %i %i %i %i %i %X", a, b, lx, ly, lz, g, h, l, um);
  }
  const std::int32_t operands[] = {a, b, ScaleToBoard(x, kResizeFactor), ScaleToBoard(y, kResizeFactor),
                                   ScaleToBoard(z, kResizeFactor), g, h, l, m};
  return frame.Finish(RunActiveCommand(125, operands, 9, active, false, nullptr));
}

std::int32_t RotatePointsActive(std::int32_t a, std::int32_t b, float x, float y, float z, std::int32_t g,
                                std::int32_t h, std::int32_t l, std::int32_t m, std::int32_t* active) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("RotatePointsActive %i %i %i %i %i %i %i %i %X %08lX", a, b, ScaleToBoard(x, 1.0), ScaleToBoard(y, 1.0),
            ScaleToBoard(z, 1.0), g, h, l, static_cast<unsigned>(m), LogAddress(active));
  const std::int32_t operands[] = {a, b, ScaleToBoard(x, kRotateFactor), ScaleToBoard(y, kRotateFactor),
                                   ScaleToBoard(z, kRotateFactor), g, h, l, m};
  return frame.Finish(RunActiveCommand(126, operands, 9, active, false, nullptr));
}

std::int32_t Set_XYZ_TO_3D_Track(std::int32_t mask) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("Set_XYZ_TO_3D_Track %08lX", static_cast<unsigned long>(static_cast<std::uint32_t>(mask)));
  return frame.Finish(SendLongs(211, {mask}));
}

std::int32_t XYZ_TO_3D(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t* o1, std::int32_t* o2,
                       std::int32_t* o3) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("XYZ_TO_3D %li %li %li", static_cast<long>(x), static_cast<long>(y), static_cast<long>(z));
  std::int32_t status = 0;
  {
    CommandScope command(90);
    command.PutLong(x);
    command.PutLong(y);
    command.PutLong(z);
    status = command.Query();
    if (o1) *o1 = GetShortReply(8);
    if (o2) *o2 = GetShortReply(10);
    if (o3) *o3 = GetShortReply(12);
  }
  return frame.Finish(status);
}

}  // extern "C"
