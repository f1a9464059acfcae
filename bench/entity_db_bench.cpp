// Appending rows to the entity data base: the loaders' step growth and the
// redline editor's one-row growth both stay linear in the number of rows.
#include <benchmark/benchmark.h>

#include "dxf/reader/entity_db.h"

namespace {

void AppendLines(benchmark::State& state, kelvane::Growth growth) {
  const auto rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    kelvane::EntityDB db;
    db.InitDB(true);
    kelvane::LineRecord line;
    for (int i = 0; i < rows; ++i) {
      line.X1 = static_cast<float>(i);
      db.AddLine(line, growth);
    }
    benchmark::DoNotOptimize(db.LineTable(rows).X1);
  }
  state.SetItemsProcessed(state.iterations() * rows);
}

void BM_LoaderAppendsLines(benchmark::State& state) { AppendLines(state, kelvane::Growth::Loader); }
void BM_RedlineAppendsLines(benchmark::State& state) { AppendLines(state, kelvane::Growth::Redline); }

BENCHMARK(BM_LoaderAppendsLines)->Arg(10000)->Arg(200000);
BENCHMARK(BM_RedlineAppendsLines)->Arg(10000)->Arg(200000);

}  // namespace
