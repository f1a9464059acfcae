// Speed of the text scanner over a large part program, of field splitting and
// of expression values.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "winplat/components/scanner.h"

namespace {

void ScanLargeFile(benchmark::State& state) {
  auto path = std::filesystem::temp_directory_path() / "fieldray-bench-scan.nc";
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < state.range(0); ++i) out << "G1 X" << i << ".5 Y" << i * 2 << " Z-3 E12\r\n";
  }
  winplat::TextScanner scanner;
  std::int64_t fields = 0;
  scanner.OnLine = [&] {
    scanner.SetFS("X");
    fields += scanner.FieldCount();
  };
  for (auto _ : state) scanner.ScanHostFile(path.string());
  benchmark::DoNotOptimize(fields);
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::filesystem::remove(path);
}
BENCHMARK(ScanLargeFile)->Arg(100000);

void ExpressionValue(benchmark::State& state) {
  winplat::TextScanner scanner;
  scanner.OnGetVariable = [](const std::string&, double& value, std::int16_t& handled) {
    value = 1000;
    handled = -1;
  };
  scanner.SetText("(L/2 - 12.5) * 3 + -H / 4 > 100 & L <> 0");
  double sum = 0;
  for (auto _ : state) sum += scanner.Value();
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(ExpressionValue);

}  // namespace
