// Display-parameter exports: each converts the caller's values into the board's
// fixed-point units and sends them to every working board as one command.
// Log lines show a float argument truncated to a whole number, before scaling.
#include <cmath>
#include <initializer_list>
#include <limits>

#include "export_frame.h"
#include "transport.h"
#include "vexlib/vexlib.h"

using namespace vexlib;

namespace {

constexpr double kFull = 163.84;    // 100.0 is full scale (16384)
constexpr double kCoord = 163.83;   // coordinates and offsets (16383 = 100.0)
constexpr double kStereo = 6553.4;  // stereo factors

// A float scaled by a multiplication then a division, each in floating point,
// truncated toward zero (degrees to board angles, volts to output levels).
std::int32_t ScaleChain(float value, double multiply, double divide) {
  if (std::isnan(value)) return 0;
  double scaled = std::trunc(static_cast<double>(value) * multiply / divide);
  if (scaled >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (scaled <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(scaled);
}

std::int32_t Degrees(float v) { return ScaleChain(v, 16384.0, 360.0); }
std::int32_t Volts(float v) { return ScaleChain(v, 255.0, 5.0); }
std::int32_t Full(float v) { return ScaleToBoard(v, kFull); }
std::int32_t Coord(float v) { return ScaleToBoard(v, kCoord); }

// A float as its log line shows it: truncated to a whole number.
int W(float v) { return static_cast<int>(ScaleToBoard(v, 1.0)); }
long Wl(float v) { return static_cast<long>(ScaleToBoard(v, 1.0)); }
long L(std::int32_t v) { return static_cast<long>(v); }

std::int32_t SendLongs(std::uint16_t code, std::initializer_list<std::int32_t> operands) {
  CommandScope command(code);
  for (std::int32_t v : operands) command.PutLong(v);
  return command.Send();
}

}  // namespace

// One export: the frame, its log line, one command with Long operands.
#define VX_DISPLAY_EXPORT(code, operands, ...) \
  ExportFrame frame;                          \
  if (frame.Refused()) return -2;             \
  LogExport(__VA_ARGS__);                     \
  return frame.Finish(SendLongs(code, operands))

#define VX_OPS(...) {__VA_ARGS__}

extern "C" {

std::int32_t ResetVX() {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ResetVX");
  return frame.Finish(SendLongs(196, {}));
}

std::int32_t DisplaySize(float a, float b, float c, float d, float e) {
  VX_DISPLAY_EXPORT(39, VX_OPS(Full(a), Full(b), Full(c), Full(d), Full(e)), "DisplaySize %li %li %li %li %li",
                    Wl(a), Wl(b), Wl(c), Wl(d), Wl(e));
}

std::int32_t DisplayPosition(float x, float y) {
  VX_DISPLAY_EXPORT(154, VX_OPS(Full(x), Full(y)), "DisplayPosition %i %i", W(x), W(y));
}

std::int32_t DisplayMasterAngle(float a, float b, float c) {
  VX_DISPLAY_EXPORT(193, VX_OPS(Full(a), Full(b), Full(c)), "DisplayMasterAngle %i %i %i", W(a), W(b), W(c));
}

std::int32_t DisplayAngle(float x, float y, float z) {
  VX_DISPLAY_EXPORT(123, VX_OPS(Full(x), Full(y), Full(z)), "DisplayAngle %i %i %i", W(x), W(y), W(z));
}

std::int32_t DisplayAngleDegrees(float x, float y, float z) {
  VX_DISPLAY_EXPORT(123, VX_OPS(Degrees(x), Degrees(y), Degrees(z)), "DisplayAngleDegrees %i %i %i", W(x), W(y),
                    W(z));
}

std::int32_t DisplayWAngle(float x, float y, float z) {
  VX_DISPLAY_EXPORT(124, VX_OPS(Full(x), Full(y), Full(z)), "DisplayWAngle %i %i %i", W(x), W(y), W(z));
}

std::int32_t DisplayWAngleDegrees(float x, float y, float z) {
  VX_DISPLAY_EXPORT(124, VX_OPS(Degrees(x), Degrees(y), Degrees(z)), "DisplayWAngleDegrees %i %i %i", W(x), W(y),
                    W(z));
}

std::int32_t DisplayCSize(float v) { VX_DISPLAY_EXPORT(122, VX_OPS(Full(v)), "DisplayCSize %i", W(v)); }

std::int32_t DisplayPaletteMix(float v) { VX_DISPLAY_EXPORT(103, VX_OPS(Full(v)), "DisplayPaletteMix %i", W(v)); }

std::int32_t DisplaySaturation(float v) { VX_DISPLAY_EXPORT(205, VX_OPS(Full(v)), "Displaysaturation %i", W(v)); }

std::int32_t DisplayFrameMix(std::int32_t frameNumber, float mix) {
  VX_DISPLAY_EXPORT(179, VX_OPS(frameNumber, Full(mix)), "DisplayFrameMix %li %i", L(frameNumber), W(mix));
}

std::int32_t DisplayScale(float x, float y, float z) {
  VX_DISPLAY_EXPORT(57, VX_OPS(Coord(x), Coord(y), Coord(z)), "DisplayScale %i %i %i", W(x), W(y), W(z));
}

std::int32_t DisplayRotCenter(float x, float y, float z) {
  VX_DISPLAY_EXPORT(58, VX_OPS(Coord(x), Coord(y), Coord(z)), "DisplayRotCenter %i %i %i", W(x), W(y), W(z));
}

std::int32_t DisplayPostTrans(float x, float y, float z) {
  VX_DISPLAY_EXPORT(60, VX_OPS(Coord(x), Coord(y), Coord(z)), "DisplayPostTrans %i %i %i", W(x), W(y), W(z));
}

std::int32_t DisplayPreTrans(float x, float y, float z) {
  VX_DISPLAY_EXPORT(66, VX_OPS(Coord(x), Coord(y), Coord(z)), "DisplayPreTrans %i %i %i", W(x), W(y), W(z));
}

std::int32_t DisplayPerspective(float a, float b, float c, float d) {
  VX_DISPLAY_EXPORT(61, VX_OPS(Coord(a), Coord(b), Coord(c), Coord(d)), "DisplayPerspective %li %li %li %li", Wl(a),
                    Wl(b), Wl(c), Wl(d));
}

std::int32_t DisplayWindow(float left, float right, float bottom, float top, float rear, float front) {
  VX_DISPLAY_EXPORT(62, VX_OPS(Coord(left), Coord(right), Coord(bottom), Coord(top), Coord(rear), Coord(front)),
                    "DisplayWindow L:%i R:%i B:%i T:%i R:%i F:%i", W(left), W(right), W(bottom), W(top), W(rear),
                    W(front));
}

std::int32_t DisplayWindowX(float a, float b) {
  VX_DISPLAY_EXPORT(151, VX_OPS(Coord(a), Coord(b)), "DisplayWindowX %i %i", W(a), W(b));
}

std::int32_t DisplayWindowY(float a, float b) {
  VX_DISPLAY_EXPORT(152, VX_OPS(Coord(a), Coord(b)), "DisplayWindowY %i %i", W(a), W(b));
}

std::int32_t DisplayWindowZ(float a, float b) {
  VX_DISPLAY_EXPORT(153, VX_OPS(Coord(a), Coord(b)), "DisplayWindowZ %i %i", W(a), W(b));
}

std::int32_t DisplayDepthCue(float a, float b, float c) {
  VX_DISPLAY_EXPORT(95, VX_OPS(Coord(a), Coord(b), Coord(c)), "DisplayDepthCue %i %i %i", W(a), W(b), W(c));
}

std::int32_t DisplayStereoSettings(float a, std::int32_t b, float c, float d, float e) {
  VX_DISPLAY_EXPORT(180,
                    VX_OPS(Coord(a), b, ScaleToBoard(c, kStereo), ScaleToBoard(d, kStereo),
                           ScaleToBoard(e, kStereo)),
                    "DisplayStereoSettings %li %il %i %i %i", Wl(a), static_cast<int>(b), W(c), W(d), W(e));
}

std::int32_t DisplayAuxOutput(float volts) {
  VX_DISPLAY_EXPORT(195, VX_OPS(Volts(volts)), "DisplayAuxOutput %i", W(volts));
}

std::int32_t lmDisplayAuxOutput(float volts, float b, float c) {
  VX_DISPLAY_EXPORT(199, VX_OPS(Volts(volts), Coord(b), Coord(c)), "lmDisplayAuxOutput %i %i %i", W(volts), W(b),
                    W(c));
}

std::int32_t DisplayScanLimits(std::int32_t a, std::int32_t b) {
  VX_DISPLAY_EXPORT(44, VX_OPS(a, b), "DisplayScanLimits %li %li", L(a), L(b));
}

std::int32_t DisplayObjectSettings(std::int32_t a1, std::int32_t a2, std::int32_t a3, std::int32_t a4,
                                   std::int32_t a5, std::int32_t a6, std::int32_t a7) {
  VX_DISPLAY_EXPORT(59, VX_OPS(a5, a7, a6, a1, a4, a2, a3), "DisplayObjectSettings %li %li %li %li %li %li %li",
                    L(a5), L(a7), L(a6), L(a1), L(a4), L(a2), L(a3));
}

std::int32_t DisplayAbstractSettings(std::int32_t a, std::int32_t b, std::int32_t c) {
  VX_DISPLAY_EXPORT(117, VX_OPS(a, b, c), "DisplayAbstractSettings %li %li %li", L(a), L(b), L(c));
}

std::int32_t DisplayFlags(std::int32_t flags) {
  VX_DISPLAY_EXPORT(56, VX_OPS(flags), "DisplayFlags %02lX", static_cast<unsigned long>(static_cast<std::uint32_t>(flags)));
}

std::int32_t DisplayMaskFlags(std::int32_t flags) {
  VX_DISPLAY_EXPORT(202, VX_OPS(flags), "DisplayMaskFlags %04lX",
                    static_cast<unsigned long>(static_cast<std::uint32_t>(flags)));
}

std::int32_t DisplayRotOrder(std::int32_t order) {
  VX_DISPLAY_EXPORT(194, VX_OPS(order), "DisplayRotOrder %li", L(order));
}

std::int32_t DisplayPaletteSelect(std::int32_t a, std::int32_t b) {
  VX_DISPLAY_EXPORT(102, VX_OPS(a, b), "DisplayPaletteSelect %li %li", L(a), L(b));
}

std::int32_t DisplayHueOffset(std::int32_t a, std::int32_t b, std::int32_t c) {
  VX_DISPLAY_EXPORT(204, VX_OPS(a, b, c), "DisplayHueOffset %li %li %li", L(a), L(b), L(c));
}

std::int32_t DisplayPath(std::int32_t a, std::int32_t b) {
  VX_DISPLAY_EXPORT(63, VX_OPS(a, b), "DisplayPath %li %li", L(a), L(b));
}

std::int32_t DisplayTrackAllow(std::int32_t mask) {
  VX_DISPLAY_EXPORT(192, VX_OPS(mask), "DisplayTrackAllow %08lX",
                    static_cast<unsigned long>(static_cast<std::uint32_t>(mask)));
}

std::int32_t DisplayFrame(std::int32_t frameNumber) {
  VX_DISPLAY_EXPORT(64, VX_OPS(frameNumber), "DisplayFrame %li", L(frameNumber));
}

std::int32_t DisplaySkew(std::int32_t a, std::int32_t b, std::int32_t c) {
  VX_DISPLAY_EXPORT(67, VX_OPS(a, b, c), "DisplaySkew %li %li %li", L(a), L(b), L(c));
}

std::int32_t DisplayMinimumPoints(std::int32_t count) {
  VX_DISPLAY_EXPORT(127, VX_OPS(count), "DisplayMinimumPoints %li", L(count));
}

std::int32_t DisplayUpdateTest() {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("DisplayUpdateTest");
  return frame.Finish(SendLongs(120, {}));
}

std::int32_t DisplayUpdate() {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("DisplayUpdate");
  return frame.Finish(SendLongs(34, {}));
}

std::int32_t DisplayUpdateToFrame(std::int32_t frameNumber) {
  VX_DISPLAY_EXPORT(191, VX_OPS(frameNumber), "DisplayUpdateToFrame %li", L(frameNumber));
}

std::int32_t DisplayUpdateEx(std::int32_t value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  return frame.Finish(SendLongs(70, {value}));
}

std::int32_t DisplayUpdateMode(std::int32_t a, std::int32_t b) {
  VX_DISPLAY_EXPORT(178, VX_OPS(a, b), "DisplayUpdateMode %li %li", L(a), L(b));
}

std::int32_t TBDMXMode(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                       std::int32_t f) {
  VX_DISPLAY_EXPORT(206, VX_OPS(a, b, c, d, e, f), "DMXMode %i %i %i %i %i %i", static_cast<int>(a),
                    static_cast<int>(b), static_cast<int>(c), static_cast<int>(d), static_cast<int>(e),
                    static_cast<int>(f));
}

std::int32_t TBDMXOutput(std::int32_t channel, std::int32_t value) {
  VX_DISPLAY_EXPORT(208, VX_OPS(channel, value), "TBDMXOutput %i %i", static_cast<int>(channel),
                    static_cast<int>(value));
}

// Three rate commands; each output gets the value sent, the status is the last one's.
std::int32_t DisplayFreq3(std::int32_t r1, std::int32_t r2, std::int32_t r3, std::int32_t* o1, std::int32_t* o2,
                          std::int32_t* o3) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("DisplayFreq3 %li %li %li", L(r1), L(r2), L(r3));
  std::int32_t status = SendLongs(40, {r1});
  if (o1) *o1 = r1;
  status = SendLongs(107, {r2});
  if (o2) *o2 = r2;
  status = SendLongs(106, {r3});
  if (o3) *o3 = r3;
  return frame.Finish(status);
}

// One row of the 65 x 65 correction grid: 65 X, Y pairs. A missing row sends zeros.
std::int32_t DisplayGeometricCorrection(std::int32_t active, std::int32_t row, const std::int16_t* values) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("DisplayGeometricCorrection %li %li", L(active), L(row));
  CommandScope command(121);
  command.PutLong(active);
  command.PutLong(row);
  for (int i = 0; i < 130; ++i) command.PutShort(values ? values[i] : std::int16_t{0});
  return frame.Finish(command.Send());
}

std::int32_t AutoRotateInit(float a, float b, float c, std::int32_t d, std::int32_t e, std::int32_t f) {
  VX_DISPLAY_EXPORT(98, VX_OPS(Full(a), Full(b), Full(c), d, e, f), "AutoRotateInit %i %i %i %li %li %li", W(a),
                    W(b), W(c), L(d), L(e), L(f));
}

// With tenths the increments are given in tenths; the flag itself is not sent.
std::int32_t AutoRotateIncrement(float a, float b, float c, std::int32_t tenths) {
  auto step = [tenths](float v) { return Full(tenths != 0 ? v / 10.0f : v); };
  VX_DISPLAY_EXPORT(99, VX_OPS(step(a), step(b), step(c)), "AutoRotateIncrement %i %i %i %li", W(a), W(b), W(c),
                    L(tenths));
}

// The axes that turn, as bits 0 to 2; w is only logged.
std::int32_t AutoRotatePlus(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t w) {
  std::int32_t mask = (x != 0 ? 1 : 0) | (y != 0 ? 2 : 0) | (z != 0 ? 4 : 0);
  VX_DISPLAY_EXPORT(97, VX_OPS(mask), "AutoRotatePlus %i %i %i %i", static_cast<int>(x), static_cast<int>(y),
                    static_cast<int>(z), static_cast<int>(w));
}

// The DMX input of a channel, from the first working board; written whatever the status.
std::int32_t TBDMXInput(std::int32_t channel, std::int32_t* value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("TBDMXInput %i", static_cast<int>(channel));
  CommandScope command(207);
  command.PutLong(channel);
  std::int32_t status = command.Query();
  if (value) *value = GetLongReply(4);
  return frame.Finish(status);
}

}  // extern "C"
