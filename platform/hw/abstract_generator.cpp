// The abstract generator's waves: three oscillators of sines summed per axis,
// two modulators that shape their amplitude, frequency or phase, and two
// colour sources.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "abstract_frames.h"

namespace winplat::hw::detail {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kUnit = 16384.0;
constexpr double kFullDepth = 8192.0;

double Radians(std::int32_t tenthsOfDegree) { return tenthsOfDegree / 10.0 * std::numbers::pi / 180.0; }

std::int16_t Held(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<std::int16_t>(std::clamp(std::trunc(v), -32767.0, 32767.0));
}

// A modulator at one instant: its sine, the sine's integral from the start of
// the frame (for frequency modulation), and its depth.
struct ModulatorNow {
  ModulationKind kind = kModulationOff;
  double depth = 0;
  double value = 0;
  double integral = 0;
};

ModulatorNow At(const Modulator& m, double t) {
  ModulatorNow now;
  if (m.kind != kAmplitude && m.kind != kFrequency && m.kind != kPhase) return now;
  now.kind = static_cast<ModulationKind>(m.kind);
  now.depth = m.depth / kFullDepth;
  double f = m.freq / kUnit;
  double start = Radians(m.phase);
  now.value = std::sin(kTwoPi * f * t + start);
  now.integral = f != 0 ? (std::cos(start) - std::cos(kTwoPi * f * t + start)) / (kTwoPi * f) : t * std::sin(start);
  return now;
}

std::uint32_t Channel(std::uint32_t colour, int shift) { return (colour >> shift) & 0xFF; }

std::uint32_t Byte(double v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); }

// The first source: a blend between its two colours, run after run.
std::int32_t BlendColour(const GeneratorState& s, double t) {
  double runs = std::max(s.blendRuns, 1);
  double along = t * runs - std::floor(t * runs);
  auto a = static_cast<std::uint32_t>(s.blend[0]);
  auto b = static_cast<std::uint32_t>(s.blend[1]);
  std::uint32_t out = b & 0xFF000000u;
  for (int shift : {0, 8, 16}) {
    double ca = Channel(a, shift), cb = Channel(b, shift);
    out |= Byte(ca + (cb - ca) * along) << shift;
  }
  return static_cast<std::int32_t>(out);
}

// The second source: its colour with the hue turned about the grey axis.
std::int32_t HueColour(const GeneratorState& s, double t) {
  double angle = kTwoPi * (s.hueTurns / kUnit) * t + Radians(s.hueStart);
  double c = std::cos(angle), sn = std::sin(angle) * std::sqrt(1.0 / 3.0);
  double same = c + (1.0 - c) / 3.0, next = (1.0 - c) / 3.0 - sn, prev = (1.0 - c) / 3.0 + sn;
  auto colour = static_cast<std::uint32_t>(s.hueColour);
  double r = Channel(colour, 0), g = Channel(colour, 8), b = Channel(colour, 16);
  std::uint32_t out = (colour & 0xFF000000u) | Byte(same * r + next * g + prev * b) |
                      Byte(prev * r + same * g + next * b) << 8 | Byte(next * r + prev * g + same * b) << 16;
  return static_cast<std::int32_t>(out);
}

}  // namespace

std::vector<StoredPoint> GeneratePoints(const GeneratorState& state, std::int32_t count, bool hueSource) {
  std::vector<StoredPoint> points;
  points.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (std::int32_t k = 0; k < count; ++k) {
    double t = static_cast<double>(k) / count;
    ModulatorNow mods[2] = {At(state.mod[0], t), At(state.mod[1], t)};
    // Amplitude modulation keeps the wave within its size: full depth swings
    // the amplitude between nothing and the size.
    double gain = 1.0;
    for (const ModulatorNow& m : mods) {
      if (m.kind == kAmplitude) gain *= 1.0 - m.depth * (1.0 - m.value) / 2.0;
    }
    double axis[3] = {0, 0, 0};
    for (const Oscillator& o : state.osc) {
      for (int i = 0; i < 3; ++i) {
        double f = o.freq[i] / kUnit;
        double angle = kTwoPi * f * t + Radians(o.phase[i]);
        for (const ModulatorNow& m : mods) {
          // Frequency: the instantaneous frequency is f (1 + depth x modulator).
          if (m.kind == kFrequency) angle += kTwoPi * f * m.depth * m.integral;
          // Phase: full depth swings the phase by half a turn either way.
          if (m.kind == kPhase) angle += std::numbers::pi * m.depth * m.value;
        }
        axis[i] += o.size[i] * gain * std::sin(angle);
      }
    }
    StoredPoint p;
    p.x = Held(axis[0]);
    p.y = Held(axis[1]);
    p.z = Held(axis[2]);
    p.colour = static_cast<std::uint32_t>(hueSource ? HueColour(state, t) : BlendColour(state, t));
    points.push_back(p);
  }
  return points;
}

}  // namespace winplat::hw::detail
