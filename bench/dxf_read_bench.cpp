// Reading DXF drawings into the control's data base: a generated drawing of
// about 8 MB with 60,000 entities, one of about 50 KB, one of 99,999 bytes
// with 120 INSERTs of 12 blocks, and 1,000 or 6,000 small blocks with their
// block files in memory or on disk.
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

// Many small blocks, each placed once: `blocks` blocks of 5 lines.
std::string SmallBlocks(int blocks) {
  std::string defs, entities;
  for (int b = 0; b < blocks; ++b) {
    const std::string name = "B" + std::to_string(b);
    defs += "0\nBLOCK\n8\n0\n2\n" + name + "\n70\n0\n10\n0\n20\n0\n";
    for (int i = 0; i < 5; ++i)
      defs += "0\nLINE\n8\n0\n10\n0\n20\n" + std::to_string(i) + "\n11\n9\n21\n" + std::to_string(i + 1) + "\n";
    defs += "0\nENDBLK\n8\n0\n";
    entities += "0\nINSERT\n8\n0\n2\n" + name + "\n10\n" + std::to_string(b % 100) + "\n20\n" +
                std::to_string(b / 100) + "\n";
  }
  return "0\nSECTION\n2\nBLOCKS\n" + defs + "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities +
         "0\nENDSEC\n0\nEOF\n";
}

// Block files kept in memory against block files on disk, by the number of
// blocks: both grow in step with the blocks, the disk a few times slower.
void BM_ReadSmallBlocksInMemory(benchmark::State& state) {
  const auto blocks = static_cast<int>(state.range(0));
  ReadDrawing(state, "blocks" + std::to_string(blocks) + ".dxf", SmallBlocks(blocks));
}
void BM_ReadSmallBlocksOnDisk(benchmark::State& state) {
  const auto blocks = static_cast<int>(state.range(0));
  kelvane::BlockSpool::SetMemoryAllowance(0);
  ReadDrawing(state, "blocks" + std::to_string(blocks) + ".dxf", SmallBlocks(blocks));
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
BENCHMARK(BM_ReadSmallBlocksInMemory)->Arg(1000)->Arg(6000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSmallBlocksOnDisk)->Arg(1000)->Arg(6000)->Unit(benchmark::kMillisecond);
