// A caption wait of 2 s on the host clock: the process's CPU time over the
// wait (from getrusage), which stays small when the wait sleeps between its
// pumps of the message loop.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "engine/projection_output.h"

namespace {

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_Delay2sCpu(benchmark::State& state) {
  double cpu = 0;
  for (auto _ : state) {
    const double before = ProcessCpuSeconds();
    float seconds = 2.0f;
    fieldray::engine::Delay(seconds);
    cpu = ProcessCpuSeconds() - before;
  }
  state.counters["process_cpu_s"] = cpu;
}

}  // namespace

BENCHMARK(BM_Delay2sCpu)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
