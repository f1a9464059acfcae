// Frame exports: headers, frame transfers in batches, find, delete, merge,
// copy, undo and conversion of the boards' frames.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "export_frame.h"
#include "frame_support.h"
#include "transport.h"
#include "winplat/msgbox.h"

namespace vexlib {

std::int32_t SendLongs(std::uint16_t code, std::initializer_list<std::int32_t> operands) {
  CommandScope command(code);
  for (std::int32_t v : operands) command.PutLong(v);
  return command.Send();
}

unsigned long LogAddress(const void* p) { return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(p)); }

void ShowLowMemoryBox() {
  winplat::MessageBox(0, "The TB board has detected a low memory condition.\nSave your work immediately to avoid loss.",
                      "TB32:Diagnostics",
                      winplat::MB_OK | winplat::MB_ICONEXCLAMATION | winplat::MB_TASKMODAL |
                          winplat::MB_SETFOREGROUND);
}

std::int32_t FramePointLimit() { return std::clamp(Lib().maxFramePoints, 0, VX_DEFAULT_MAX_FRAME_POINTS); }

void UnpackFrameHeader(FrameStruct* header) {
  std::int16_t flags = GetShortReply(8);
  header->FlagA = (flags & 0x4) ? -1 : 0;
  header->FlagB = (flags & 0x8) ? -1 : 0;
  header->NumPoints = GetShortReply(10);
  header->FrameValue = GetShortReply(12);
  std::memcpy(header->Name, Lib().reply.bytes.data() + 14, sizeof header->Name);
}

std::int32_t RunActiveCommand(std::uint16_t code, const std::int32_t* operands, int count, std::int32_t* active,
                              bool receiveBack, std::int32_t* commandStatus) {
  std::int32_t status = 0;
  std::int32_t wanted = 0;
  {
    CommandScope command(code);
    for (int i = 0; i < count; ++i) command.PutLong(operands[i]);
    command.PutLong(active ? 1 : 0);
    command.Send();
    status = Lib().reply.lastBoardError;
    wanted = GetLongReply(4);
  }
  if (commandStatus) *commandStatus = status;
  if (status != 0 || !active) return status;
  // The board asks for no more flags than the caller's array of one flag a point holds.
  wanted = std::clamp(wanted, 0, 2 * FramePointLimit());
  status = SendWordBlockLocked(active, wanted);
  if (status == 0 && receiveBack) {
    status = ReceiveWordBlockLocked(active, static_cast<std::size_t>(FramePointLimit()));
  }
  return status;
}

}  // namespace vexlib

using namespace vexlib;

extern "C" {

std::int32_t FindFrame(const char* name, std::int32_t* frameOut) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  // The caller's name up to its NUL or 24 bytes; the rest is NULs.
  char wanted[25] = {};
  if (name) {
    for (std::size_t i = 0; i < 24 && name[i] != '\0'; ++i) wanted[i] = name[i];
  }
  LogExport("FindFrame %s", wanted);
  std::int32_t status = 0;
  {
    CommandScope command(110);
    command.PutBytes(wanted, 24);
    status = command.Query();
    if (frameOut) *frameOut = GetLongReply(4);
  }
  return frame.Finish(status);
}

std::int32_t ReadMaskData(std::int32_t which, std::int32_t* pairs) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::int32_t status = 0;
  {
    CommandScope command(198);
    command.PutLong(which);
    status = command.Query();
    if (status == 0 && pairs) {
      for (int k = 0; k < 65; ++k) {
        pairs[2 * k] = GetShortReply(8 + 4 * k);
        pairs[2 * k + 1] = GetShortReply(10 + 4 * k);
      }
    }
  }
  return frame.Finish(status);
}

std::int32_t ReadFrameStruct(std::int32_t number, FrameStruct* header) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ReadFrameStruct");
  std::int32_t status = 0;
  {
    CommandScope command(49);
    command.PutLong(number);
    status = command.Query();
    if (status == 0 && header) UnpackFrameHeader(header);
  }
  return frame.Finish(status);
}

std::int32_t ReadFrame(FrameStruct* header, PointStruct* points) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ReadFrame");
  Library& lib = Lib();
  std::int32_t status = 0;
  FrameStruct read{};
  {
    CommandScope command(26);
    status = command.Query();
    if (status == 0) UnpackFrameHeader(&read);
  }
  if (status != 0) return frame.Finish(status);
  bool withValue8 = read.FlagA != 0;
  std::int32_t limit = FramePointLimit();
  std::int32_t n = std::min(read.NumPoints, limit);
  std::int32_t batch = lib.boards.pciMode ? 200 : 20;
  std::int32_t record = withValue8 ? 20 : 18;
  std::int32_t k = 0;
  while (k < n && points) {
    CommandScope command(73);
    status = command.Query();
    if (status != 0) break;
    for (std::int32_t i = 0; i < batch && k < n; ++i, ++k) {
      std::int32_t at = 8 + i * record;
      PointStruct& p = points[k];
      p.X = GetShortReply(at);
      p.Y = GetShortReply(at + 2);
      p.Z = GetShortReply(at + 4);
      p.F = GetShortReply(at + 6);
      p.Colour = GetLongReply(at + 8);
      p.Value5 = GetShortReply(at + 12);
      p.Value6 = GetShortReply(at + 14);
      p.Value7 = GetShortReply(at + 16);
      p.Value8 = withValue8 ? GetShortReply(at + 18) : 0;
    }
  }
  // The count reported is never more than the points read.
  read.NumPoints = std::min(read.NumPoints, points ? k : 0);
  if (header) *header = read;
  if (status != 0) return frame.Finish(status);
  if (points) {
    std::int32_t tail = k > 0 ? points[k - 1].Value7 + 1 : 0;
    for (std::int32_t i = k; i < limit; ++i) points[i] = PointStruct{0, 0, 0, 0, 0, 0, 0, tail, 0};
  }
  return frame.Finish(0);
}

std::int32_t ReadFrameFast(std::int32_t number, std::int32_t flags, std::int32_t* countOut,
                           std::int32_t* frameFlagsOut, FastRecordStruct* records) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  Library& lib = Lib();
  std::int32_t status = 0;
  std::int32_t n = 0, frameFlags = 0, width = 0;
  {
    CommandScope command(81);
    command.PutLong(number);
    command.PutLong(flags);
    status = command.Query();
    if (status == 0) {
      frameFlags = GetShortReply(8);
      n = GetShortReply(10);
      width = GetShortReply(12);
      if (frameFlagsOut) *frameFlagsOut = frameFlags;
      if (countOut) *countOut = n;
    }
  }
  if (status != 0) return frame.Finish(status);
  // The library's record buffer bounds what is read.
  n = std::min(n, VX_FAST_RECORD_MAX);
  std::int32_t batch = lib.boards.pciMode ? 400 : 50;
  bool widths = (flags & 0x1000) != 0;
  bool perPoint = widths && (frameFlags & 2) != 0;
  std::int32_t size = perPoint ? 10 : 8;
  std::int32_t k = 0;
  while (k < n && records) {
    CommandScope command(82);
    status = command.Query();
    if (status != 0) break;
    for (std::int32_t i = 0; i < batch && k < n; ++i, ++k) {
      std::int32_t at = 8 + i * size;
      FastRecordStruct& r = records[k];
      r.X = GetShortReply(at);
      r.Y = GetShortReply(at + 2);
      if (perPoint) {
        r.Width = GetShortReply(at + 4);
        r.Colour = GetLongReply(at + 6);
      } else {
        if (widths) r.Width = width;
        r.Colour = GetLongReply(at + 4);
      }
    }
  }
  return frame.Finish(status);
}

std::int32_t WriteFrame(const FrameStruct* header, const PointStruct* points) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  FrameStruct h = header ? *header : FrameStruct{};
  char name[24] = {};
  std::size_t len = 0;
  while (len < 23 && h.Name[len] != '\0') ++len;
  std::memcpy(name, h.Name, len);
  LogExport("WriteFrame %i %s", h.NumPoints, name);
  Library& lib = Lib();
  std::int32_t status = 0;
  {
    CommandScope command(27);
    command.PutShort(static_cast<std::int16_t>(h.FlagA));
    command.PutShort(static_cast<std::int16_t>(h.FlagB));
    command.PutShort(static_cast<std::int16_t>(h.NumPoints));
    command.PutShort(static_cast<std::int16_t>(h.FrameValue));
    command.PutBytes(h.Name, sizeof h.Name);
    status = command.Send();
  }
  std::int32_t batch = lib.boards.pciMode ? 200 : 20;
  for (std::int32_t sent = 0; status == 0 && points && sent < h.NumPoints; sent += batch) {
    CommandScope command(74);
    for (std::int32_t i = sent; i < std::min(h.NumPoints, sent + batch); ++i) {
      const PointStruct& p = points[i];
      for (std::int32_t v : {p.X, p.Y, p.Z, p.F}) command.PutShort(static_cast<std::int16_t>(v));
      command.PutLong(p.Colour);
      if (h.FlagA != 0) command.PutShort(static_cast<std::int16_t>(p.Value8));
    }
    status = command.Send();
  }
  if (status == -702) ShowLowMemoryBox();
  return frame.Finish(status);
}

std::int32_t CopyFrameActive(std::int32_t source, std::int32_t target, std::int32_t* active) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (active) {
    LogExport("CopyFrameActive %li %li %08lX", static_cast<long>(source), static_cast<long>(target),
              LogAddress(active));
  } else {
    LogExport("CopyFrame %li %li", static_cast<long>(source), static_cast<long>(target));
  }
  const std::int32_t operands[] = {source, target};
  std::int32_t commandStatus = 0;
  std::int32_t status = RunActiveCommand(41, operands, 2, active, false, &commandStatus);
  // The block sender shows its own box; the command's answer is shown here.
  if (commandStatus == -702) ShowLowMemoryBox();
  return frame.Finish(status);
}

std::int32_t CopyBlock(std::int32_t a, std::int32_t b, std::int32_t c) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("CopyBlock %li %li %li", static_cast<long>(a), static_cast<long>(b), static_cast<long>(c));
  std::int32_t status = SendLongs(42, {a, b, c});
  if (status == -702) ShowLowMemoryBox();
  return frame.Finish(status);
}

std::int32_t ReverseBlock(std::int32_t a, std::int32_t b) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ReverseBlock %li %li", static_cast<long>(a), static_cast<long>(b));
  return frame.Finish(SendLongs(43, {a, b}));
}

std::int32_t DeleteFrames(std::int32_t from, std::int32_t to) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("DeleteFrames %li %li", static_cast<long>(from), static_cast<long>(to));
  return frame.Finish(SendLongs(31, {from, to}));
}

std::int32_t MergeFrames(std::int32_t a, std::int32_t b, std::int32_t c) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("MergeFrames %li %li %li", static_cast<long>(a), static_cast<long>(b), static_cast<long>(c));
  return frame.Finish(SendLongs(32, {a, b, c}));
}

std::int32_t FrameToUndoActive(std::int32_t* active) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (active) {
    LogExport("FrameToUndoActive %08lX", LogAddress(active));
  } else {
    LogExport("FrameToUndo");
  }
  return frame.Finish(RunActiveCommand(28, nullptr, 0, active, false, nullptr));
}

std::int32_t UndoToFrameActive(std::int32_t* active) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  if (active) {
    LogExport("UndoToFrameActive %08lX", LogAddress(active));
  } else {
    LogExport("UndoToFrame");
  }
  return frame.Finish(RunActiveCommand(29, nullptr, 0, active, true, nullptr));
}

std::int32_t ConvertToVectorFrame(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4,
                                  std::int32_t p5) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ConvertToVectorFrame %li, %li, %li, %li, %li", static_cast<long>(p1), static_cast<long>(p2),
            static_cast<long>(p3), static_cast<long>(p4), static_cast<long>(p5));
  return frame.Finish(SendLongs(157, {p1, p2, p3, p4, p5}));
}

std::int32_t ConvertToPointFrame(std::int32_t p1, std::int32_t p2, std::int32_t p3, std::int32_t p4,
                                 std::int32_t p5, std::int32_t p6, std::int32_t p7) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ConvertToPointFrame %li %li %li %li %li %li %li", static_cast<long>(p5), static_cast<long>(p7),
            static_cast<long>(p6), static_cast<long>(p1), static_cast<long>(p4), static_cast<long>(p2),
            static_cast<long>(p3));
  return frame.Finish(SendLongs(158, {p5, p7, p6, p1, p4, p2, p3}));
}

}  // extern "C"
