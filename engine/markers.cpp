#include "engine/markers.h"

#include "engine/frame_assembly.h"
#include "engine/point_list.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

namespace {

struct Figure {
  std::int32_t x, y, repeats;
};

// Appends the figure's points in CurrentColor (set to white), class 0.
template <std::size_t N>
void AddMarker(Engine& engine, const Figure (&points)[N]) {
  engine.State.CurrentColor = DeviceWhite(engine);
  for (const Figure& f : points) {
    PointStruct p{};
    p.X = f.x;
    p.Y = f.y;
    p.Colour = engine.State.CurrentColor;
    std::int32_t repeats = f.repeats;
    AddPoint(engine, p, repeats);
  }
}

void Offset(Engine& engine, std::int32_t x, std::int32_t y, std::int32_t colour, std::int32_t hold) {
  AddOffsetPoint(engine, x, y, colour, hold);
}

}  // namespace

void AddAxesMarker(Engine& engine) {
  static constexpr Figure kAxes[] = {{0, 0, 32},  {0, 500, 4},  {50, 500, 4}, {0, 500, 4}, {0, 0, 4},
                                     {500, 0, 4}, {500, 50, 4}, {500, 0, 4},  {0, 0, 4}};
  AddMarker(engine, kAxes);
  std::int32_t copyOnly = 0;
  SendFrame(engine, copyOnly);
}

void AddReferenceMarker(Engine& engine) {
  static constexpr Figure kReference[] = {{0, 1000, 32}, {0, 0, 4},    {-1500, 0, 4},
                                          {1500, 0, 4},  {0, 0, 4},    {0, 1000, 4}};
  AddMarker(engine, kReference);
}

void AddOffsetPoint(Engine& engine, const std::int32_t x, const std::int32_t y, const std::int32_t colour,
                    const std::int32_t holdCount) {
  PointStruct p{};
  p.X = winplat::AddLng(x, engine.State.OriginX);
  p.Y = winplat::AddLng(y, engine.State.OriginY);
  p.Colour = colour;
  p.Value7 = engine.State.OffsetPointClass;
  AddPoint(engine, p, holdCount);
}

void AddWorkAreaOutline(Engine& engine) {
  const ProgramState& s = engine.State;
  const float area = s.SheetHeight * s.SheetLength;
  if (!(area > 0)) return;
  const double x0 = s.OriginX, y0 = s.OriginY;
  const double l = s.SheetLength, h = s.SheetHeight;
  const std::int32_t white = DeviceWhite(engine);
  const struct {
    double x, y;
    std::int32_t colour, repeats;
  } corners[] = {{x0, y0, white, s.HoldStart},         {x0, y0 + h, white, s.HoldVertex},
                 {x0 + l, y0 + h, white, s.HoldVertex}, {x0 + l, y0, white, s.HoldVertex},
                 {x0, y0, white, s.HoldEnd},            {x0, y0, 0, 4}};
  for (const auto& c : corners) {
    PointStruct p{};
    p.X = winplat::CLng(c.x);
    p.Y = winplat::CLng(c.y);
    p.Colour = c.colour;
    p.Value7 = OutlinePointClass;
    std::int32_t repeats = c.repeats;
    AddPoint(engine, p, repeats);
  }
}

void AddTablePattern(Engine& engine) {
  ProgramState& s = engine.State;
  const std::int32_t white = DeviceWhite(engine);
  s.OffsetPointClass = PatternPointClass;
  const auto& t = s.PatternTable;
  constexpr std::size_t last = 12;
  // The column past the last reads as 0.
  const auto cell = [&t](std::size_t n, std::size_t m) { return m <= last ? t[n][m] : 0; };

  std::int32_t yEnd = 0;
  for (std::size_t n = 1; n <= last; ++n) {
    const std::int32_t x = t[n][0];
    for (std::size_t m = 1; m <= last; ++m) {
      if (t[n][m] > 0 && x > 0) {
        Offset(engine, x, t[n][m], white, s.HoldStart);
        if (cell(n, m + 1) == 0) {
          yEnd = winplat::AddLng(t[n][m], 100);
          Offset(engine, x, yEnd, white, s.HoldEnd);
        }
      }
    }
    Offset(engine, x, yEnd, 0, 4);
  }

  for (std::size_t m = 1; m <= last; ++m) {
    for (std::size_t n = 1; n <= last; ++n) {
      const std::int32_t x = t[n][0], y = t[n][m];
      if (y > 0 && x > 0) {
        Offset(engine, x, y, white, s.HoldVertex);
        Offset(engine, winplat::AddLng(x, 100), y, white, s.HoldStart);
        Offset(engine, winplat::AddLng(x, 100), y, 0, 4);
      }
    }
    for (std::size_t n = 1; n <= last; ++n) {
      const std::int32_t x = t[n][0], y = t[n][m];
      if (y > 0 && x > 0) {
        Offset(engine, x, y, white, s.HoldVertex);
        const std::int32_t tx = winplat::AddLng(x, 50), ty = winplat::AddLng(y, 50);
        Offset(engine, tx, ty, white, s.HoldEnd);
        Offset(engine, tx, ty, 0, 4);
      }
    }
  }
}

}  // namespace fieldray::engine
