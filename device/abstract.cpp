// The auxiliary digital ports and the abstract pattern generator: the library
// scales, packs and unpacks; the board does the work.
#include <cmath>

#include "library_state.h"
#include "export_frame.h"
#include "transport.h"
#include "vexlib/vexlib.h"

using namespace vexlib;

namespace {

constexpr double kTenths = 10.0;
constexpr double kUnit = 16384.0;
constexpr double kPercent = 163.84;

// A command whose operands are given Longs, logged with its own line.
std::int32_t SendLongs(std::uint16_t code, std::initializer_list<std::int32_t> operands) {
  CommandScope command(code);
  for (std::int32_t v : operands) command.PutLong(v);
  return command.Send();
}

// The Single as the log lines show it: truncated, unscaled.
int Shown(float value) { return static_cast<int>(ScaleToBoard(value, 1.0)); }

// b x 16384 / 200: multiplied, then divided, then truncated.
std::int32_t ModulationDepth(float b) {
  if (std::isnan(b)) return 0;
  double scaled = std::trunc(static_cast<double>(b) * kUnit / 200.0);
  if (scaled >= 2147483647.0) return 2147483647;
  if (scaled <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(scaled);
}

struct OscCommand {
  const char* name;
  std::uint16_t init;
  std::uint16_t set;
};
constexpr OscCommand kOscillators[3] = {
    {"1", 159, 164}, {"2", 160, 165}, {"3", 170, 171}};
constexpr std::uint16_t kModInit[2] = {161, 162};
constexpr std::uint16_t kModSet[2] = {166, 167};

std::int32_t InitOsc(int n, float a, float b, float c) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("InitAbstractOsc%s %i %i %i", kOscillators[n].name, Shown(a), Shown(b), Shown(c));
  return frame.Finish(SendLongs(kOscillators[n].init,
                                {ScaleToBoard(a, kTenths), ScaleToBoard(b, kTenths), ScaleToBoard(c, kTenths)}));
}

std::int32_t SetOsc(int n, const float (&s)[6], std::int32_t wave) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetAbstractOsc%s %i %i %i %i %i %i %li", kOscillators[n].name, Shown(s[0]), Shown(s[1]), Shown(s[2]),
            Shown(s[3]), Shown(s[4]), Shown(s[5]), static_cast<long>(wave));
  return frame.Finish(SendLongs(kOscillators[n].set,
                                {ScaleToBoard(s[0], kUnit), ScaleToBoard(s[1], kUnit), ScaleToBoard(s[2], kUnit),
                                 ScaleToBoard(s[3], kPercent), ScaleToBoard(s[4], kPercent),
                                 ScaleToBoard(s[5], kPercent), wave}));
}

std::int32_t InitMod(int n, float value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("InitAbstractMod%i %i", n + 1, Shown(value));
  return frame.Finish(SendLongs(kModInit[n], {ScaleToBoard(value, kTenths)}));
}

std::int32_t SetMod(int n, float a, float b, std::int32_t value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetAbstractMod%i %i %i %li", n + 1, Shown(a), Shown(b), static_cast<long>(value));
  return frame.Finish(SendLongs(kModSet[n], {ScaleToBoard(a, kUnit), ModulationDepth(b), value}));
}

// A command of plain Longs with a fixed log line.
std::int32_t Plain(std::uint16_t code, const char* line, std::initializer_list<std::int32_t> operands) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("%s", line);
  return frame.Finish(SendLongs(code, operands));
}

// ParIn and DisplayPortLong: a query whose output is the command result.
std::int32_t PortQuery(std::uint16_t code, std::int32_t a, std::int32_t b, std::int32_t* value) {
  CommandScope command(code);
  command.PutLong(a);
  command.PutLong(b);
  std::int32_t status = command.Query();
  if (value) *value = CommandResultOutput();
  return status;
}

}  // namespace

extern "C" {

std::int32_t ParOn(std::int32_t port, std::int32_t bits) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ParOn %i %i", port, bits);
  return frame.Finish(SendLongs(146, {port, bits}));
}

std::int32_t ParOff(std::int32_t port, std::int32_t bits) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ParOff %i %i", port, bits);
  return frame.Finish(SendLongs(147, {port, bits}));
}

std::int32_t ParIn(std::int32_t port, std::int32_t bits, std::int32_t* value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("ParIn %li %li", static_cast<long>(port), static_cast<long>(bits));
  return frame.Finish(PortQuery(148, port, bits, value));
}

std::int32_t DisplayPortLong(std::int32_t port, std::int32_t word, std::int32_t* value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("DisplayPort %08lX %08lX", static_cast<unsigned long>(static_cast<std::uint32_t>(port)),
            static_cast<unsigned long>(static_cast<std::uint32_t>(word)));
  return frame.Finish(PortQuery(65, port, word, value));
}

std::int32_t InitAbstractOsc1(float a, float b, float c) { return InitOsc(0, a, b, c); }
std::int32_t InitAbstractOsc2(float a, float b, float c) { return InitOsc(1, a, b, c); }
std::int32_t InitAbstractOsc3(float a, float b, float c) { return InitOsc(2, a, b, c); }
std::int32_t InitAbstractMod1(float value) { return InitMod(0, value); }
std::int32_t InitAbstractMod2(float value) { return InitMod(1, value); }

std::int32_t InitAbstractColor(std::int32_t value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("InitAbstractColor %li", static_cast<long>(value));
  return frame.Finish(SendLongs(163, {value}));
}

std::int32_t InitAbstractColorNew(float value) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("InitAbstractColorNew %i", Shown(value));
  return frame.Finish(SendLongs(172, {ScaleToBoard(value, kTenths)}));
}

std::int32_t SetAbstractOsc1(float s1, float s2, float s3, float s4, float s5, float s6, std::int32_t wave) {
  return SetOsc(0, {s1, s2, s3, s4, s5, s6}, wave);
}
std::int32_t SetAbstractOsc2(float s1, float s2, float s3, float s4, float s5, float s6, std::int32_t wave) {
  return SetOsc(1, {s1, s2, s3, s4, s5, s6}, wave);
}
std::int32_t SetAbstractOsc3(float s1, float s2, float s3, float s4, float s5, float s6, std::int32_t wave) {
  return SetOsc(2, {s1, s2, s3, s4, s5, s6}, wave);
}
std::int32_t SetAbstractMod1(float a, float b, std::int32_t value) { return SetMod(0, a, b, value); }
std::int32_t SetAbstractMod2(float a, float b, std::int32_t value) { return SetMod(1, a, b, value); }

std::int32_t SetAbstractColor(std::int32_t a, std::int32_t b) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetAbstractColor %li %li", static_cast<long>(a), static_cast<long>(b));
  return frame.Finish(SendLongs(168, {a, b}));
}

std::int32_t SetAbstractColorNew(float a, std::int32_t b) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("SetAbstractColorNew %i %li", Shown(a), static_cast<long>(b));
  return frame.Finish(SendLongs(173, {ScaleToBoard(a, kUnit), b}));
}

std::int32_t SwapWaves() { return Plain(175, "SwapWaves", {}); }
std::int32_t GenerateAbstract(std::int32_t frame, std::int32_t points, std::int32_t c) {
  return Plain(169, "GenerateAbstract", {frame, points, c});
}
std::int32_t GenerateAbstractNew(std::int32_t frame, std::int32_t points, std::int32_t c) {
  return Plain(174, "GenerateAbstractNew", {frame, points, c});
}
std::int32_t AbstractToFrame() { return Plain(104, "AbstractToFrame", {}); }
std::int32_t FrameToAbstract() { return Plain(105, "FrameToAbstract", {}); }

std::int32_t GetAbstractPhase(std::int32_t oscillator, float* p1, float* p2, float* p3) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("GetAbstractPhase %li", static_cast<long>(oscillator));
  CommandScope command(176);
  command.PutLong(oscillator);
  std::int32_t status = command.Query();
  float* outputs[3] = {p1, p2, p3};
  for (int i = 0; i < 3; ++i) {
    // Tenths of a unit, divided as integers.
    if (outputs[i]) *outputs[i] = static_cast<float>(GetShortReply(8 + 2 * i) / 10);
  }
  return frame.Finish(status);
}

std::int32_t GetAbstractFreqSizeWave(std::int32_t oscillator, float* f1, float* f2, float* f3, float* s1, float* s2,
                                     float* s3, std::int32_t* wave) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  LogExport("GetAbstractFreqSizeWave %li", static_cast<long>(oscillator));
  CommandScope command(177);
  command.PutLong(oscillator);
  std::int32_t status = command.Query();
  float* freqs[3] = {f1, f2, f3};
  float* sizes[3] = {s1, s2, s3};
  for (int i = 0; i < 3; ++i) {
    if (freqs[i]) *freqs[i] = static_cast<float>(GetLongReply(8 + 4 * i) / kUnit);
    if (sizes[i]) *sizes[i] = static_cast<float>(GetShortReply(20 + 2 * i) / kPercent);
  }
  if (wave) *wave = GetShortReply(26);
  return frame.Finish(status);
}

}  // extern "C"
