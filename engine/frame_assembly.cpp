#include "engine/frame_assembly.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/point_list.h"
#include "job/grid_cells.h"
#include "toolpath/geometry.h"
#include "toolpath/offset_pass.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

namespace {

// Rows of a switch-position column: the options that decide which points it keeps.
constexpr std::int32_t OptionRows = 8;

// An option cell is on when its text, read as a number and rounded, is not 0.
bool CellOn(winplat::SpreadGrid& grid, std::int32_t row, std::int32_t col) {
  return std::fabs(winplat::Val(GetGridCell(grid, row, col))) > 0.5;
}

bool Keep(const PointStruct& p, const bool (&on)[OptionRows + 1], float sheetThickness) {
  if (p.Colour <= 0) return false;
  const std::int32_t c = p.Value7;
  const std::int32_t thousands = c / 1000;
  const std::int32_t tens = (c % 100) / 10;
  const std::int32_t u = c % 10;
  if (thousands == 1) return on[1];
  if (thousands == 2) return on[2];
  if (thousands != 3) return false;
  if (on[8] && u != 8) return false;
  if (on[7] && u != 0) return false;
  if (!(tens == 0 || (tens == 1 && on[5]) || (tens > 1 && on[6]))) return false;
  const double f = p.F;
  return (f < sheetThickness && on[3]) || (f >= sheetThickness && on[4]);
}

void AppendCopies(std::vector<PointStruct>& frame, PointStruct p, std::int32_t colour) {
  p.Colour = colour;
  frame.insert(frame.end(), RunRepeats, p);
}

}  // namespace

std::string SwitchPositionsNote(std::int32_t columns) {
  if (columns <= SwitchPositionFrames) return "";
  return "SWPOS.DAT has " + std::to_string(columns) + " switch positions; " + std::to_string(SwitchPositionFrames) +
         " are used";
}

std::int32_t DeviceWhite(Engine& engine) {
  std::int32_t r = 255, g = 255, b = 255, a = 0, out = 0;
  engine.Vx.RGB4toRGB1(&r, &g, &b, &a, &out);
  return out;
}

void SendFrame(Engine& engine, const std::int32_t n) {
  ProgramState& s = engine.State;
  const std::size_t count = s.AssemblyPoints.size();
  if (count <= 1) return;

  if (n == 1) {
    s.LargestColour = 0;
    for (const PointStruct& p : s.AssemblyPoints) s.LargestColour = std::max(s.LargestColour, p.Colour);
  }
  if (n == 0) {
    s.FrameBuffer = s.AssemblyPoints;
    return;
  }

  // Rows the grid does not have read as off.
  bool on[OptionRows + 1] = {};
  if (winplat::SpreadGrid* grid = engine.Console.SSOptSw()) {
    const std::int32_t rows = std::min(grid->MaxRows(), OptionRows);
    for (std::int32_t k = 1; k <= rows; ++k) on[k] = CellOn(*grid, k, n);
  }

  std::vector<PointStruct> frame(1);
  bool inRun = false;
  for (const PointStruct& p : s.AssemblyPoints) {
    if (Keep(p, on, s.SheetThickness)) {
      frame.push_back(p);
      if (!inRun) {
        AppendCopies(frame, p, 0);
        AppendCopies(frame, p, s.LargestColour);
        inRun = true;
      }
    } else if (inRun) {
      AppendCopies(frame, frame.back(), 0);
      inRun = false;
    }
  }
  if (frame.size() <= 1) return;

  AppendCopies(frame, frame.back(), 0);
  s.FrameBuffer = std::move(frame);
  DensifyFramePoints(engine);
  std::string name;
  WriteFrameToBoard(engine, n, name);
}

void DensifyFramePoints(Engine& engine) {
  std::vector<PointStruct>& fb = engine.State.FrameBuffer;
  if (fb.size() <= 1) return;
  const std::vector<PointStruct> old = std::move(fb);
  const std::size_t last = old.size() - 1;
  const std::int32_t step = 30 * std::clamp(static_cast<std::int32_t>(last) / 50, 1, 5);

  // One pass into a new buffer: each pair of old points is copied with the
  // points between them. `i` is the position of the pair's first point in the
  // new frame; nothing is put in once it reaches DensifyLimit.
  std::vector<PointStruct> out;
  out.reserve(old.size() + static_cast<std::size_t>(DensifyLimit));
  out.push_back(old[0]);
  std::int32_t i = 0;
  std::size_t j = 0;  // the old index of the pair's first point
  while (j < last && i < DensifyLimit) {
    const PointStruct& p = old[j];
    const PointStruct& q = old[j + 1];
    const double dx = static_cast<double>(q.X) - p.X;
    const double dy = static_cast<double>(q.Y) - p.Y;
    const std::int32_t d = winplat::CLng(std::sqrt(dx * dx + dy * dy));
    if (d > step) {
      const double a = toolpath::LineAngle(p.X, p.Y, q.X, q.Y);
      const double ca = toolpath::CosDeg(a);
      const double sa = toolpath::SinDeg(a);
      for (std::int32_t k = step; k <= d && i < DensifyLimit; k += step) {
        ++i;
        PointStruct mid = p;
        mid.X = winplat::CLng(p.X + k * ca);
        mid.Y = winplat::CLng(p.Y + k * sa);
        out.push_back(mid);
      }
    }
    ++i;  // on to the pair that starts at Q
    out.push_back(q);
    ++j;
  }
  out.insert(out.end(), old.begin() + static_cast<std::ptrdiff_t>(j) + 1, old.end());
  fb = std::move(out);
}

void AppendOffsetPath(Engine& engine) {
  toolpath::RadiusOffset ro;
  toolpath::AppendOffsetPath(engine.State, ro);
}

}  // namespace fieldray::engine
