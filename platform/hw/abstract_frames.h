#pragma once
// The abstract pattern generator of the board software: its settings, the
// points it makes from them, and where it puts them: the board's frames and
// its own working points (frame kBufferFrame).
#include <cstdint>
#include <optional>
#include <vector>

#include "frame_store.h"
#include "winplat/hw/boards.h"

namespace winplat::hw::detail {

// One oscillator: per axis (X, Y, Z) a phase (tenths of a degree), a
// frequency (16384 = one cycle over the frame) and a size (16384, a size of
// 100, reaches 16384 device units); the wave number is kept as given.
struct Oscillator {
  std::int32_t phase[3];
  std::int32_t freq[3];
  std::int32_t size[3];
  std::int32_t wave;
};

// What a modulator does to the oscillators, by its kind.
enum ModulationKind : std::int32_t { kModulationOff = 0, kAmplitude = 1, kFrequency = 2, kPhase = 3 };

// One modulator: its own sine, started at `phase` (tenths of a degree), of
// `freq` (16384 = one cycle over the frame) and `depth` (8192 = full depth),
// shaping every oscillator in the way `kind` says.
struct Modulator {
  std::int32_t phase;
  std::int32_t freq;
  std::int32_t depth;
  std::int32_t kind;
};

struct GeneratorState {
  Oscillator osc[3];
  Modulator mod[2];
  // The first colour source: a blend from the first colour to the second,
  // repeated `blendRuns` times over the frame (at least once).
  std::int32_t blendRuns;
  std::int32_t blend[2];
  // The second colour source: one colour whose hue turns `hueTurns` times over
  // the frame (16384 = one turn), from `hueStart` (tenths of a degree).
  std::int32_t hueStart;
  std::int32_t hueTurns;
  std::int32_t hueColour;
  std::int32_t lastFrame;
};

constexpr std::int32_t kBufferFrame = -1;

// The points of a frame of `count` points: each axis the sum of the
// oscillators' sine waves, shaped by the modulators, coloured by the first
// colour source or, with `hueSource`, by the second.
std::vector<StoredPoint> GeneratePoints(const GeneratorState& state, std::int32_t count, bool hueSource);

// Stores the points of a frame, with its flags and value, under a frame number
// (a board frame keeps its name); false when the board's memory cannot hold them.
bool StoreAbstractFrame(BoardContext& board, std::int32_t frame, const StoredFrame& source);
// The frame under a frame number, or nothing when it was never stored.
std::optional<StoredFrame> LoadAbstractFrame(BoardContext& board, std::int32_t frame);

}  // namespace winplat::hw::detail
