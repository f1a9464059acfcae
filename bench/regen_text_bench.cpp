// The view control drawing text up close: 22 texts of 40 characters, as a
// drawing's MTEXTs arrive in the data base, at a zoom where each glyph is about
// 300 pixels high on a 1024 x 768 picture (most glyphs fall outside it).
#include <benchmark/benchmark.h>

#include <string>

#include "view_scene.h"

namespace {

constexpr float kTextHeight = 10.0f;  // drawing units
constexpr int kTexts = 22;

// The texts, added to the data base as the reader adds them.
struct TextScene : benchscene::ViewScene {
  TextScene() {
    for (int i = 0; i < kTexts; ++i) {
      kelvane::TextRecord t;
      t.X = -60.0f + static_cast<float>(i % 3) * 7.0f;
      t.Y = static_cast<float>(i - kTexts / 2) * 1.6f * kTextHeight;
      std::string text = "NOTE " + std::to_string(i + 1) + ": ";
      while (text.size() < 40) text += static_cast<char>('A' + (text.size() + static_cast<std::size_t>(i)) % 26);
      t.Text = text;
      t.Height = kTextHeight;
      t.WidthFactor = 1.0f;
      t.Rotation = i % 4 == 3 ? 30.0f : 0.0f;
      t.Layer = layer;
      dxf->db.AddText(t, kelvane::Growth::Loader);
    }
  }
};

// 768 pixels show 25.6 drawing units: a text 10 units high is 300 pixels high.
void BM_RegenText(benchmark::State& state) {
  TextScene scene;
  const kelvane::ViewRect view{-17.07f, 12.8f, 17.07f, -12.8f};
  for (auto _ : state) benchmark::DoNotOptimize(scene.Draw(view));
  state.SetItemsProcessed(state.iterations() * kTexts);
}

}  // namespace

BENCHMARK(BM_RegenText)->Unit(benchmark::kMillisecond);
