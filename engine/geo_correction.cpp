#include "engine/geo_correction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/field_calibration.h"
#include "engine/settings_file.h"
#include "engine/settings_keys.h"
#include "job/grid_cells.h"

namespace fieldray::engine {

namespace {

double Box(Engine& engine, GeoBox box) { return LenientVal(engine.Console.GeoText(box)); }

// A term as the 32-bit float it is kept in; beyond a float's range it is held at the limit.
float Term(double v) {
  constexpr double limit = std::numeric_limits<float>::max();
  if (std::isnan(v)) return 0;
  return static_cast<float>(std::clamp(v, -limit, limit));
}

std::int16_t GridValue(float v) {
  if (std::isnan(v)) return 0;
  v = std::clamp(v, -32767.0f, 32767.0f);
  return static_cast<std::int16_t>(std::nearbyint(v));  // halves to even
}

float Sgn(std::int32_t v) { return v > 0 ? 1.0f : (v < 0 ? -1.0f : 0.0f); }

// Arc length of y = x^2 / (4p) from 0 to x.
float ArcLength(float x, float p) {
  float q = x / (2.0f * p);
  return x * std::sqrt(x * x + 4.0f * p * p) / (4.0f * p) + p * std::log(q + std::sqrt(q * q + 1.0f));
}

}  // namespace

float HeightTerm(Engine& engine) {
  std::int16_t index = 0;
  std::vector<std::int16_t> presets = engine.Console.PrjHghtIndices();
  std::sort(presets.begin(), presets.end());
  for (std::int16_t i : presets) {
    if (engine.Console.PrjHghtChecked(i)) {
      index = i;
      break;
    }
  }
  std::int32_t row = index + 1;
  winplat::SpreadGrid* grid = engine.Console.PHSdata();
  double c = grid ? LenientVal(GetGridCell(*grid, row, 2)) : 0.0;
  if (row == 1) return Term(c * engine.State.SheetThickness / 100.0);
  return Term(c / 10.0);
}

GeoTerms ReadGeoTerms(Engine& engine, const std::int16_t field) {
  GeoTerms t;
  t.h = HeightTerm(engine);
  t.r = Term(Box(engine, GeoBox::GeoRotate) / 1000.0);
  t.px0 = Term(Box(engine, GeoBox::GeoPosX) * 10.0);
  t.py0 = Term(Box(engine, GeoBox::GeoPosY) * 10.0);
  t.kpx = Term(Box(engine, GeoBox::GeoPinX) / -4444.44444444444);
  t.kpy = Term(Box(engine, GeoBox::GeoPinY) / -4000.0);
  t.kkx = Term(Box(engine, GeoBox::GeoKeyX) / 1000.0);
  t.kky = Term(Box(engine, GeoBox::GeoKeyY) / 1000.0);
  t.klx = Term(Box(engine, GeoBox::GeoLinX) / 2000.0);
  t.kly = Term(Box(engine, GeoBox::GeoLinY) / 2000.0);
  t.kbx = Term(Box(engine, GeoBox::GeoBowX) / 10000.0);
  t.kby = Term(Box(engine, GeoBox::GeoBowY) / 10000.0);
  t.ksx = Term((Box(engine, GeoBox::GeoShearX) + FieldTableValueA(engine, field)) / 1000.0);
  t.ksy = Term((Box(engine, GeoBox::GeoShearY) + FieldTableValueB(engine, field)) / 1000.0);
  t.sx = Term((Box(engine, GeoBox::GeoSizeX) + t.h) / 1000.0 + 1.0);
  t.sy = Term((Box(engine, GeoBox::GeoSizeY) + t.h) / 1000.0 + 1.0);
  t.parabola = Term(Box(engine, GeoBox::GeoPara));
  t.bx = Term(Box(engine, GeoBox::GeoBalX) / 1000.0 + 1.0);
  t.by = Term(Box(engine, GeoBox::GeoBalY) / 1000.0 + 1.0);
  t.oyk = Term(LenientVal(ReadGeometricValue(engine, "PinCushOsY")));
  return t;
}

GeoGrid BuildGeoGrid(const ProgramState& state, const GeoTerms& t) {
  GeoGrid grid;
  // The balance factors are tested against 0, not 1.
  bool active = t.r != 0 || t.px0 != 0 || t.py0 != 0 || t.kpx != 0 || t.kpy != 0 || t.sx != 1 || t.sy != 1 ||
                t.klx != 0 || t.kly != 0 || t.kkx != 0 || t.kky != 0 || t.kbx != 0 || t.kby != 0 || t.ksx != 0 ||
                t.ksy != 0 || t.bx != 0 || t.by != 0 || t.parabola != 0;
  grid.Active = active ? -1 : 0;

  const float a = t.r / 31.83098862f;
  const float ca = std::cos(a);
  const float sa = std::sin(a);
  const auto& table = state.ParabolaTable;
  constexpr float half = 32768.0f;

  for (std::int32_t j = 0; j <= 64; ++j) {
    auto& row = grid.Rows[static_cast<std::size_t>(j)];
    const float rowSign = -Sgn(j - 32);
    for (std::int32_t i = 0; i <= 64; ++i) {
      const PtAlgnNode& node = state.PtAlgnGrid[static_cast<std::size_t>(i + 65 * j)];
      const float x = static_cast<float>(1024 * i - 32768 + node.dX);
      const float y = static_cast<float>(1024 * j - 32768 + node.dY);
      const float fbx = x > 0 ? 1.0f : t.bx;
      const float fby = y > 0 ? 1.0f : t.by;
      const float xr = x * ca - y * sa;
      const float yr = x * sa + y * ca;
      const float xs = t.sx * xr * fbx + t.px0 - table[static_cast<std::size_t>(i)];
      const float ys = t.sy * yr * fby + t.py0 - table[static_cast<std::size_t>(j)];
      const float lx = (xs * t.klx + half) / half * xs;
      const float ly = (ys * t.kly + half) / half * ys;
      const float kx = (ly * t.kky + half) / half * lx;
      const float ky = (lx * t.kkx + half) / half * ly;
      const float oy = t.oyk * static_cast<float>(32 - std::abs(i - 32)) / 32.0f * rowSign;
      const float d = ly - oy;
      const float qx = (d * d / half * t.kpx + half) * kx / half;
      const float qy = (lx * lx / half * t.kpy + half) * ky / half;
      const float wx = qx + qy * qy / half * t.kbx;
      const float wy = qy + qx * qx / half * t.kby;
      const float fx = wx - t.ksx * wy;
      const float fy = wy - t.ksy * wx;
      row[static_cast<std::size_t>(2 * i)] = GridValue(fx);
      row[static_cast<std::size_t>(2 * i + 1)] = GridValue(fy);
    }
  }
  return grid;
}

void SetGeoCorrection(Engine& engine, const std::int16_t field) {
  if (engine.State.GeoLoading != BoolFalse) return;
  GeoTerms terms = ReadGeoTerms(engine, field);
  GeoGrid grid = BuildGeoGrid(engine.State, terms);
  for (std::int32_t j = 0; j <= 64; ++j) {
    engine.Vx.DisplayGeometricCorrection(grid.Active, j, grid.Rows[static_cast<std::size_t>(j)].data());
  }
}

void ApplyGeoCorrection(Engine& engine, const std::int16_t field) {
  SetGeoCorrection(engine, field);
  engine.Vx.DisplayUpdate();
}

void LoadGeometricSettings(Engine& engine) {
  engine.State.GeoLoading = BoolTrue;
  for (int b = 0; b < GeoBoxCount; ++b) {
    GeoBox box = static_cast<GeoBox>(b);
    engine.Console.SetGeoText(box, ReadGeometricValue(engine, GeometricKey(box)));
  }
  engine.State.GeoLoading = BoolFalse;
  std::int16_t field = static_cast<std::int16_t>(CheckedOptFld(engine));
  SetGeoCorrection(engine, field);
  engine.Vx.DisplayUpdate();
}

void BuildParabolaTable(Engine& engine, const float depth) {
  auto& table = engine.State.ParabolaTable;
  const float d = depth;
  const float p = 100.0f * d;
  if (!(d > 0)) {
    table.fill(0.0f);
    return;
  }
  float s = 0;  // the last arc length of the column before carries over
  for (std::int32_t i = 33; i <= 64; ++i) {
    const float t = static_cast<float>(1024 * i - 32768);
    float x = 0;
    float step = t / 2.0f;
    float prevX = 0, prevS = s;
    // The search stops after a bounded number of steps, keeping the best x.
    float bestX = 0, bestMiss = std::numeric_limits<float>::infinity();
    bool found = false;
    for (std::int32_t n = 0; n < ParabolaSearchSteps; ++n) {
      prevX = x;
      prevS = s;
      x = x + step;
      s = ArcLength(x, p);
      float miss = std::fabs(s - t);
      if (miss < bestMiss) {
        bestMiss = miss;
        bestX = x;
      }
      if (s > t) {
        x = x - std::fabs(s - t);
        step = step / 4.0f;
        if (std::fabs(prevS - t) < 0.1f) {
          found = true;
          break;
        }
      }
    }
    table[static_cast<std::size_t>(i)] = t - (found ? prevX : bestX);
  }
  for (std::int32_t i = 0; i <= 31; ++i) table[static_cast<std::size_t>(i)] = -table[static_cast<std::size_t>(64 - i)];
  table[32] = 0;
}

}  // namespace fieldray::engine
