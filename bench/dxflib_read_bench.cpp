// The same drawings as the reading benchmarks, read by dxflib (entities
// reported to an adapter that counts them), for a side-by-side figure.
#include <benchmark/benchmark.h>
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <string>

#include "bench_drawings.h"

namespace {

struct Counter : DL_CreationAdapter {
  std::int64_t entities = 0;
  void addPoint(const DL_PointData&) override { ++entities; }
  void addLine(const DL_LineData&) override { ++entities; }
  void addArc(const DL_ArcData&) override { ++entities; }
  void addCircle(const DL_CircleData&) override { ++entities; }
  void addSolid(const DL_SolidData&) override { ++entities; }
  void add3dFace(const DL_3dFaceData&) override { ++entities; }
  void addInsert(const DL_InsertData&) override { ++entities; }
};

void ReadDrawingDxflib(benchmark::State& state, const std::string& name, const std::string& text) {
  benchdrawings::WriteDrawing(name, text);
  const std::string host = benchdrawings::HostOf(name);
  std::int64_t entities = 0;
  for (auto _ : state) {
    Counter counter;
    DL_Dxf dxf;
    if (!dxf.in(host, &counter)) state.SkipWithError("dxflib did not read the drawing");
    entities = counter.entities;
    benchmark::DoNotOptimize(entities);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
  state.counters["entities"] = static_cast<double>(entities);
}

void BM_ReadDrawingDxflib8MB(benchmark::State& state) {
  ReadDrawingDxflib(state, "large.dxf", benchdrawings::GenerateDrawing(60000));
}
void BM_ReadDrawingDxflib50KB(benchmark::State& state) {
  ReadDrawingDxflib(state, "small.dxf", benchdrawings::GenerateDrawing(380));
}
void BM_ReadDrawingDxflib120Inserts(benchmark::State& state) {
  ReadDrawingDxflib(state, "inserts.dxf", benchdrawings::GenerateInsertDrawing(12, 120, 99999));
}

}  // namespace

BENCHMARK(BM_ReadDrawingDxflib8MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDrawingDxflib50KB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadDrawingDxflib120Inserts)->Unit(benchmark::kMicrosecond);
