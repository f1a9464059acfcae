// Reading a property bag's text: the time per entry stays the same however
// many entries the bag holds (the complexity fit should say N, not N^2).
#include <benchmark/benchmark.h>

#include <string>

#include "winplat/control.h"

namespace {

std::string BagText(std::int64_t entries) {
  std::string text;
  for (std::int64_t i = 0; i < entries; ++i)
    text += "Entry" + std::to_string(i) + "\tLong\t" + std::to_string(i * 7) + "\n";
  return text;
}

void ParseBag(benchmark::State& state) {
  const std::string text = BagText(state.range(0));
  std::size_t size = 0;
  for (auto _ : state) {
    winplat::PropertyBag bag;
    bag.Parse(text);
    size += bag.Size();
  }
  benchmark::DoNotOptimize(size);
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(ParseBag)->RangeMultiplier(2)->Range(12500, 100000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

}  // namespace
