// The view control drawing text up close: 22 texts of 40 characters, as a
// drawing's MTEXTs arrive in the data base, at a zoom where each glyph is about
// 300 pixels high on a 1024 x 768 picture (most glyphs fall outside it).
#include <benchmark/benchmark.h>

#include <string>

#include "dxf/control/dxf_control.h"
#include "winplat/gdi.h"

namespace {

constexpr float kTextHeight = 10.0f;  // drawing units
constexpr int kTexts = 22;

struct TextScene {
  winplat::ComPtr<kelvane::DXF> dxf = winplat::MakeObject<kelvane::DXF>();
  winplat::HDC dc = winplat::CreateCompatibleDC(0);
  winplat::HBITMAP bitmap = winplat::CreateCompatibleBitmap(dc, 1024, 768);
  TextScene() {
    winplat::SelectObject(dc, bitmap);
    dxf->db.InitDB(true);
    dxf->DXFComplete = winplat::VARIANT_TRUE;
    std::int32_t layer = kelvane::SetLayerID(dxf->db.Layers(), "0");
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
  ~TextScene() {
    winplat::DeleteDC(dc);
    winplat::DeleteObject(bitmap);
  }
};

// 768 pixels show 25.6 drawing units: a text 10 units high is 300 pixels high.
void BM_RegenText(benchmark::State& state) {
  TextScene scene;
  const kelvane::ViewRect view{-17.07f, 12.8f, 17.07f, -12.8f};
  for (auto _ : state) benchmark::DoNotOptimize(scene.dxf->Zoom(view, scene.dxf->picKelvane, scene.dc, false));
  state.SetItemsProcessed(state.iterations() * kTexts);
}

}  // namespace

BENCHMARK(BM_RegenText)->Unit(benchmark::kMillisecond);
