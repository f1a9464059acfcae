// Reading DXF drawings into the control's data base: a generated drawing of
// about 8 MB with 60,000 entities, one of about 50 KB, and one of 99,999 bytes
// with 120 INSERTs of 12 blocks.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_drawings.h"
#include "dxf/reader/block_spool.h"
#include "dxf/reader/dxf_reader.h"
#include "winplat/paths.h"

namespace {

void ReadDrawing(benchmark::State& state, const std::string& name, const std::string& text) {
  std::size_t bytes = text.size();
  std::string path = benchdrawings::WriteDrawing(name, text);
  std::int64_t rows = 0;
  for (auto _ : state) {
    auto dxf = winplat::MakeObject<kelvane::DXF>();
    dxf->db.InitDB(true);
    dxf->reader.Yield = [] {};  // the message loop's own cost is not the reader's
    if (!kelvane::LoadDXF(*dxf, path, nullptr, nullptr)) state.SkipWithError("read stopped");
    rows = dxf->db.EntityCount;
    benchmark::DoNotOptimize(rows);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_ReadDrawing8MB(benchmark::State& state) {
  ReadDrawing(state, "large.dxf", benchdrawings::GenerateDrawing(60000));
}
void BM_ReadDrawing50KB(benchmark::State& state) { ReadDrawing(state, "small.dxf", benchdrawings::GenerateDrawing(380)); }
void BM_ReadDrawing120Inserts(benchmark::State& state) {
  ReadDrawing(state, "inserts.dxf", benchdrawings::GenerateInsertDrawing(12, 120, 99999));
}

// The same INSERT drawing with no memory allowance: every block file on disk.
void BM_ReadDrawing120InsertsOnDisk(benchmark::State& state) {
  kelvane::BlockSpool::SetMemoryAllowance(0);
  ReadDrawing(state, "inserts.dxf", benchdrawings::GenerateInsertDrawing(12, 120, 99999));
  kelvane::BlockSpool::SetMemoryAllowance(-1);
}

// The same large read with the yields going to the real message loop.
void BM_ReadDrawing8MBWithMessageLoop(benchmark::State& state) {
  const std::string text = benchdrawings::GenerateDrawing(60000);
  std::size_t bytes = text.size();
  std::string path = benchdrawings::WriteDrawing("large.dxf", text);
  std::uint64_t yields = 0;
  for (auto _ : state) {
    auto dxf = winplat::MakeObject<kelvane::DXF>();
    dxf->db.InitDB(true);
    kelvane::LoadDXF(*dxf, path, nullptr, nullptr);
    yields = dxf->reader.YieldCount;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
  state.counters["yields"] = static_cast<double>(yields);
}

}  // namespace

BENCHMARK(BM_ReadDrawing8MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDrawing8MBWithMessageLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDrawing50KB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadDrawing120Inserts)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadDrawing120InsertsOnDisk)->Unit(benchmark::kMicrosecond);
