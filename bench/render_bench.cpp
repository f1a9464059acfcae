// The rendering pass over 60,000 lines and circles: the whole drawing in view,
// and a deep zoom where nearly everything is culled.
#include <benchmark/benchmark.h>

#include <random>

#include "view_scene.h"

namespace {

struct Scene : benchscene::ViewScene {
  Scene() {
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> coordinate(-5000.0f, 5000.0f);
    for (int i = 0; i < 60000; ++i) {
      if (i % 10 == 0) {
        kelvane::CircleRecord c;
        c.X = coordinate(random);
        c.Y = coordinate(random);
        c.Radius = 50;
        c.Layer = layer;
        dxf->db.AddCircle(c, kelvane::Growth::Loader);
      } else {
        kelvane::LineRecord l;
        l.X1 = coordinate(random);
        l.Y1 = coordinate(random);
        l.X2 = l.X1 + 100;
        l.Y2 = l.Y1 + 50;
        l.Layer = layer;
        dxf->db.AddLine(l, kelvane::Growth::Loader);
      }
    }
  }
};

void Pass(benchmark::State& state, kelvane::ViewRect view) {
  Scene scene;
  for (auto _ : state) benchmark::DoNotOptimize(scene.Draw(view));
  state.SetItemsProcessed(state.iterations() * scene.dxf->db.EntityCount);
}

void BM_RenderWholeDrawing(benchmark::State& state) { Pass(state, kelvane::ViewRect{-5100, 5100, 5100, -5100}); }
void BM_RenderDeepZoom(benchmark::State& state) { Pass(state, kelvane::ViewRect{0, 1, 1, 0}); }

BENCHMARK(BM_RenderWholeDrawing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderDeepZoom)->Unit(benchmark::kMillisecond);

}  // namespace
