// Working-scale exports: the board's map from working units to its output
// range, per axis, and the X range the host keeps for the preview.
#include "export_frame.h"
#include "frame_support.h"
#include "transport.h"

namespace vexlib {

WorkingRange& HostWorkingRange() {
  static WorkingRange range;
  return range;
}

}  // namespace vexlib

using namespace vexlib;

namespace {

std::int32_t SetAxis(std::uint16_t code, char axis, std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                     std::int32_t e, std::int32_t f) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetWorkingScale%c %li, %li, %li, %li, %li, %li", axis, static_cast<long>(a), static_cast<long>(b),
            static_cast<long>(c), static_cast<long>(d), static_cast<long>(e), static_cast<long>(f));
  return frame.Finish(SendLongs(code, {a, b, c, d, e, f}));
}

// A failed read still gives a usable scale: the host's X range onto the device range.
std::int32_t GetAxis(std::uint16_t code, char axis, std::int32_t* const (&out)[6]) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("GetWorkingScale%c", axis);
  std::int32_t status = 0;
  std::int32_t values[6] = {};
  {
    CommandScope command(code);
    status = command.Query();
    if (status == 0) {
      for (int i = 0; i < 6; ++i) values[i] = GetLongReply(8 + 4 * i);
    }
  }
  if (status != 0) {
    const WorkingRange& range = HostWorkingRange();
    const std::int32_t defaults[6] = {range.xMin, range.xMax, 0, -32767, 32767, 0};
    for (int i = 0; i < 6; ++i) values[i] = defaults[i];
  }
  for (int i = 0; i < 6; ++i) {
    if (out[i]) *out[i] = values[i];
  }
  return frame.Finish(status);
}

}  // namespace

extern "C" {

std::int32_t SetWorkingScale(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin, std::int32_t yMax,
                             std::int32_t p5, std::int32_t p6) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  WorkingRange& range = HostWorkingRange();
  range.xMin = xMin;
  range.xMax = xMax;
  range.span = static_cast<std::int32_t>(static_cast<std::uint32_t>(xMax) - static_cast<std::uint32_t>(xMin));
  LogExport("SetWorkingScale %li, %li, %li, %li, %li, %li", static_cast<long>(xMin), static_cast<long>(xMax),
            static_cast<long>(yMin), static_cast<long>(yMax), static_cast<long>(p5), static_cast<long>(p6));
  return frame.Finish(SendLongs(33, {xMin, xMax, yMin, yMax, p5, p6, 100}));
}

std::int32_t SetWorkingScaleX(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                              std::int32_t f) {
  return SetAxis(75, 'X', a, b, c, d, e, f);
}

std::int32_t SetWorkingScaleY(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                              std::int32_t f) {
  return SetAxis(76, 'Y', a, b, c, d, e, f);
}

std::int32_t SetWorkingScaleZ(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                              std::int32_t f) {
  return SetAxis(77, 'Z', a, b, c, d, e, f);
}

std::int32_t SetWorkingScaleF(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetWorkingScaleF %li, %li, %li, %li", static_cast<long>(a), static_cast<long>(b), static_cast<long>(c),
            static_cast<long>(d));
  return frame.Finish(SendLongs(83, {a, b, c, d}));
}

std::int32_t GetWorkingScaleX(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d, std::int32_t* e,
                              std::int32_t* f) {
  return GetAxis(78, 'X', {a, b, c, d, e, f});
}

std::int32_t GetWorkingScaleY(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d, std::int32_t* e,
                              std::int32_t* f) {
  return GetAxis(79, 'Y', {a, b, c, d, e, f});
}

std::int32_t GetWorkingScaleZ(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d, std::int32_t* e,
                              std::int32_t* f) {
  return GetAxis(80, 'Z', {a, b, c, d, e, f});
}

std::int32_t GetWorkingScaleF(std::int32_t* a, std::int32_t* b, std::int32_t* c, std::int32_t* d) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("GetWorkingScaleF");
  std::int32_t status = 0;
  std::int32_t values[4] = {100, 0, 255, 0};
  {
    CommandScope command(84);
    status = command.Query();
    if (status == 0) {
      for (int i = 0; i < 4; ++i) values[i] = GetLongReply(8 + 4 * i);
    }
  }
  std::int32_t* out[4] = {a, b, c, d};
  for (int i = 0; i < 4; ++i) {
    if (out[i]) *out[i] = values[i];
  }
  return frame.Finish(status);
}

}  // extern "C"
