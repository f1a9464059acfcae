// Speed of the part-program interpreter over whole programs of 1 MB and 10 MB
// that the benchmark writes itself: a sheet block, then rapid moves, lines,
// arcs both ways, parameter words and comments in a fixed mix; and one of 1 MB
// with the same lines written without blanks. The same file can be given to
// another interpreter for a side-by-side figure (the file is left in the
// temporary folder as "fieldray-bench-<bytes>.nc", "fieldray-bench-dense-<bytes>.nc").
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "toolpath/context.h"
#include "toolpath/expressions.h"
#include "toolpath/interpreter.h"
#include "winplat/components/grid.h"
#include "winplat/components/scanner.h"

namespace {

namespace fs = std::filesystem;

// A program of at least `bytes` bytes; each round of 8 lines walks a small
// rounded rectangle 2 mm further on. Dense: the words of a line run together
// without blanks, as some post-processors write them, so that the walk that
// spaces the words and checks them does the most.
std::string Program(std::size_t bytes, bool dense) {
  std::string text = "%\r\n(GENERATED PART PROGRAM)\r\nG71 X1000 Y500 Z18\r\nG90\r\n";
  char line[160];
  for (long i = 0; text.size() < bytes; ++i) {
    const double x = 10 + (i % 400) * 2.0, y = 10 + (i / 400 % 200) * 2.0;
    const int n = std::snprintf(line, sizeof line,
                                "N%ld G0 X%.3f Y%.3f\r\n"
                                "G1 X%.3f Y%.3f F3000\r\n"
                                "G2 X%.3f Y%.3f I0.5 J0\r\n"
                                "G1 X%.3f Y%.3f\r\n"
                                "G3 X%.3f Y%.3f I0 J-0.5 ; corner\r\n"
                                "R50=%ld\r\n"
                                "G1 X%.3f Y%.3f E1\r\n"
                                "(ROUND %ld)\r\n",
                                i, x, y, x + 1, y, x + 1.5, y + 0.5, x + 1.5, y + 1, x + 1, y + 1.5, i % 7, x,
                                y + 1.5, i);
    std::string round(line, static_cast<std::size_t>(n));
    if (dense) std::erase(round, ' ');
    text += round;
  }
  text += "M30\r\n";
  return text;
}

fs::path ProgramFile(std::size_t bytes, bool dense) {
  fs::path path =
      fs::temp_directory_path() / ("fieldray-bench-" + std::string(dense ? "dense-" : "") + std::to_string(bytes) + ".nc");
  std::error_code ec;
  if (fs::file_size(path, ec) < bytes || ec) std::ofstream(path, std::ios::binary) << Program(bytes, dense);
  return path;
}

void Interpret(benchmark::State& state, bool dense) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  const fs::path path = ProgramFile(bytes, dense);
  fieldray::ProgramState program;
  winplat::TextScanner awk, parser, eval;
  winplat::SpreadGrid toolDat{40, 6};
  fieldray::toolpath::ToolpathContext ctx{program, awk, parser, eval, toolDat};
  fieldray::toolpath::ConnectEval(eval, program);
  fieldray::toolpath::GcodeInterpreter interpreter{ctx};
  std::size_t elements = 0;
  for (auto _ : state) {
    program.PathElements.clear();
    program.GcodeUnitFactor = 1;
    fieldray::toolpath::ResetGcodeScan(interpreter);
    fieldray::toolpath::ConnectGcodeAwk(interpreter);
    awk.ScanHostFile(path.string());
    fieldray::toolpath::FlushGcodeScan(interpreter);
    elements = program.PathElements.size();
  }
  if (elements < bytes / 100) state.SkipWithError("the program made too few path elements");
  state.counters["elements"] = static_cast<double>(elements);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
}

void InterpretProgram(benchmark::State& state) { Interpret(state, false); }
void InterpretDenseProgram(benchmark::State& state) { Interpret(state, true); }

BENCHMARK(InterpretDenseProgram)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(InterpretProgram)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
