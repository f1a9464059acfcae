// Reading DXF drawings into the control's data base: a generated drawing of
// about 8 MB with 60,000 entities, and one of about 50 KB.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "dxf/reader/dxf_reader.h"
#include "winplat/paths.h"

namespace {

// An R12 drawing: header, a layer table of ten layers, then lines, points,
// solids and 3D faces spread over them, written the way CAD programs write.
std::string GenerateDrawing(int entities) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> coordinate(-5000.0, 5000.0);
  std::string out;
  out.reserve(static_cast<std::size_t>(entities) * 140 + 4096);
  auto pair = [&](int code, const std::string& value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%3d", code);
    out += buffer;
    out += "\r\n";
    out += value;
    out += "\r\n";
  };
  auto number = [&](int code, double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6f", value);
    pair(code, buffer);
  };
  pair(0, "SECTION");
  pair(2, "HEADER");
  pair(9, "$ACADVER");
  pair(1, "AC1009");
  pair(0, "ENDSEC");
  pair(0, "SECTION");
  pair(2, "TABLES");
  pair(0, "TABLE");
  pair(2, "LAYER");
  pair(70, "10");
  for (int i = 0; i < 10; ++i) {
    pair(0, "LAYER");
    pair(2, "LAYER" + std::to_string(i));
    pair(70, "0");
    pair(62, std::to_string(i + 1));
    pair(6, "CONTINUOUS");
  }
  pair(0, "ENDTAB");
  pair(0, "ENDSEC");
  pair(0, "SECTION");
  pair(2, "ENTITIES");
  for (int i = 0; i < entities; ++i) {
    int kind = i % 20;  // mostly lines, as real drawings are
    const char* name = kind < 16 ? "LINE" : kind < 18 ? "3DFACE" : kind < 19 ? "SOLID" : "POINT";
    pair(0, name);
    pair(8, "LAYER" + std::to_string((i / 7) % 10));
    if (i % 3 == 0) pair(62, std::to_string(1 + i % 255));
    int corners = kind < 16 ? 2 : kind < 19 ? 4 : 1;
    for (int c = 0; c < corners; ++c) {
      number(10 + c, coordinate(random));
      number(20 + c, coordinate(random));
      number(30 + c, 0.0);
    }
  }
  pair(0, "ENDSEC");
  pair(0, "EOF");
  return out;
}

// Writes the drawing under the benchmark's own machine root; its Windows path.
std::string WriteDrawing(const std::string& name, int entities, std::size_t& bytes) {
  static bool rootSet = false;
  if (!rootSet) {
    auto root = std::filesystem::temp_directory_path() / "fieldray-bench-root";
    std::filesystem::create_directories(root);
    setenv("FIELDRAY_ROOT", root.c_str(), 1);
    winplat::ResetMachineRoot();
    rootSet = true;
  }
  std::string text = GenerateDrawing(entities);
  bytes = text.size();
  auto host = winplat::MachineRoot() / "C" / "bench" / name;
  std::filesystem::create_directories(host.parent_path());
  std::ofstream(host, std::ios::binary) << text;
  return "C:\\bench\\" + name;
}

void ReadDrawing(benchmark::State& state, const std::string& name, int entities) {
  std::size_t bytes = 0;
  std::string path = WriteDrawing(name, entities, bytes);
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

void BM_ReadDrawing8MB(benchmark::State& state) { ReadDrawing(state, "large.dxf", 60000); }
void BM_ReadDrawing50KB(benchmark::State& state) { ReadDrawing(state, "small.dxf", 380); }

// The same large read with the yields going to the real message loop.
void BM_ReadDrawing8MBWithMessageLoop(benchmark::State& state) {
  std::size_t bytes = 0;
  std::string path = WriteDrawing("large.dxf", 60000, bytes);
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
