// Alignment points: their grid, their crosses and the alignment grid.
#include "console/alignment_points.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "console/sketch_lines.h"
#include "engine/geo_correction.h"
#include "engine/settings_file.h"

namespace fieldray::console {

using engine::ApplyGeoCorrection;
using engine::Engine;
using engine::LenientVal;

namespace {

constexpr std::int32_t kNodes = 65;
constexpr float kCrossArm = 50;

std::int16_t Round16(double v) {
  return static_cast<std::int16_t>(
      RoundHeld(v, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

std::string Cell(winplat::SpreadGrid& grid, std::int32_t row, std::int32_t col) {
  grid.SetRow(row);
  grid.SetCol(col);
  return grid.Text();
}
double CellNumber(winplat::SpreadGrid& grid, std::int32_t row, std::int32_t col) {
  return LenientVal(Cell(grid, row, col));
}

PtAlgnNode& Node(ProgramState& state, std::int32_t i, std::int32_t j) {
  return state.PtAlgnGrid[static_cast<std::size_t>(i + kNodes * j)];
}

// Reach toward the lower side of a node, clipped at the centre node 32 for a
// node above it; and toward the higher side for a node below it.
std::int32_t ReachDown(std::int32_t n, std::int32_t reach) { return n >= 33 && n - reach < 33 ? n - 33 : reach; }
std::int32_t ReachUp(std::int32_t n, std::int32_t reach) { return n <= 31 && n + reach > 31 ? 31 - n : reach; }

bool InSpread(std::int32_t n) { return n >= 1 && n <= AlignmentNodeMax; }

// Spreads the offset `field` of node (i, j) along `along` (0: X, 1: Y) over
// [-down, up], fading linearly, and from each node reached across the other
// axis over the full reach. Spread values only raise a node.
void Spread(ProgramState& state, std::int32_t i, std::int32_t j, std::int32_t down, std::int32_t up, std::int32_t reach,
            std::int16_t PtAlgnNode::*field, bool alongX) {
  const std::int32_t own = Node(state, i, j).*field;
  for (std::int32_t a = -down; a <= up; ++a) {
    const std::int32_t x = alongX ? i + a : i;
    const std::int32_t y = alongX ? j : j + a;
    if (!InSpread(alongX ? x : y)) continue;
    const std::int32_t w = a >= 0 ? up : down;
    if (w <= 0) continue;
    const std::int32_t v = Round32(static_cast<double>(w - std::abs(a)) / w * own);
    std::int16_t& reached = Node(state, x, y).*field;
    if (v > reached) reached = static_cast<std::int16_t>(v);
    for (std::int32_t b = -reach; b <= reach; ++b) {
      const std::int32_t x2 = alongX ? x : x + b;
      const std::int32_t y2 = alongX ? y + b : y;
      if (!InSpread(alongX ? y2 : x2)) continue;
      const std::int32_t v2 = Round32(static_cast<double>(reach - std::abs(b)) / reach * reached);
      std::int16_t& target = Node(state, x2, y2).*field;
      if (v2 > target) target = static_cast<std::int16_t>(v2);
    }
  }
}

}  // namespace

std::int32_t BuildPtAlgnGrid(ProgramState& state, winplat::SpreadGrid& grid, std::vector<std::string>* outside) {
  state.PtAlgnGrid.fill(PtAlgnNode{});
  std::int32_t applied = 0;
  const std::int32_t rows = grid.MaxRows();
  for (std::int32_t r = 1; r <= rows; ++r) {
    if (Cell(grid, r, 4).empty()) break;
    const std::int32_t i = Round32(CellNumber(grid, r, 4));
    const std::int32_t j = Round32(CellNumber(grid, r, 5));
    // A node outside the grid cannot be corrected; the row is left out.
    const bool columnOutside = i < 0 || i > AlignmentNodeMax;
    if (columnOutside || j < 0 || j > AlignmentNodeMax) {
      if (outside)
        outside->push_back("Set-up point " + std::to_string(r) + ": node " + (columnOutside ? "column " : "row ") +
                           std::to_string(columnOutside ? i : j) + " is outside 0 to " +
                           std::to_string(AlignmentNodeMax) + "; not applied");
      continue;
    }
    const std::int32_t reach = std::min(Round32(CellNumber(grid, r, 3)), AlignmentReachMax);
    if (reach <= 0) continue;
    PtAlgnNode& node = Node(state, i, j);
    node.Set = BoolTrue;
    node.dX = Round16(static_cast<double>(node.dX) + CellNumber(grid, r, 1));
    node.dY = Round16(static_cast<double>(node.dY) + CellNumber(grid, r, 2));
    Spread(state, i, j, ReachDown(i, reach), ReachUp(i, reach), reach, &PtAlgnNode::dX, true);
    Spread(state, i, j, ReachDown(j, reach), ReachUp(j, reach), reach, &PtAlgnNode::dY, false);
    ++applied;
  }
  return applied;
}

std::string ApplyPA(Engine& engine, winplat::SpreadGrid& grid) {
  std::vector<std::string> outside;
  BuildPtAlgnGrid(engine.State, grid, &outside);
  std::int16_t field = 0;
  ApplyGeoCorrection(engine, field);
  std::string notes;
  for (const std::string& note : outside) notes += (notes.empty() ? "" : "; ") + note;
  return notes;
}

std::int32_t LoadSetupCross(MainForm& main, float x, float y, float arm) {
  try {
    wc::LineControl& h = main.SetLineX.Load(main.SetLineX.UBound() + 1);
    wc::LineControl& v = main.SetLineY.Load(main.SetLineY.UBound() + 1);
    for (wc::LineControl* line : {&h, &v}) {
      line->SetVisible(true);
      line->SetTag("L");
    }
    h.SetX1(x - arm);
    h.SetY1(y);
    h.SetX2(x + arm);
    h.SetY2(y);
    v.SetX1(x);
    v.SetY1(y - arm);
    v.SetX2(x);
    v.SetY2(y + arm);
    return h.Index() == v.Index() ? h.Index() : 0;
  } catch (const wc::ControlError&) {
    return 0;
  }
}

void PlacePoints(MainForm& main, winplat::SpreadGrid& grid) {
  for (auto* lines : {&main.SetLineX, &main.SetLineY}) {
    while (lines->UBound() >= 1) lines->Unload(lines->UBound());
  }
  const std::int32_t width = main.SetupWin.Width();
  const std::int32_t height = main.SetupWin.Height();
  const std::int32_t cellX = width / kNodes + 1;
  const std::int32_t cellY = height / kNodes + 1;
  const std::int32_t rows = grid.MaxRows();
  for (std::int32_t r = 1; r <= rows; ++r) {
    if (Cell(grid, r, 4).empty()) break;
    const std::int32_t i = std::clamp(Round32(CellNumber(grid, r, 4)), 0, AlignmentNodeMax);
    const std::int32_t j = std::clamp(Round32(CellNumber(grid, r, 5)), 0, AlignmentNodeMax);
    const float x = static_cast<float>(i * cellX);
    const float y = static_cast<float>(Round32(static_cast<double>(height) - j * cellY));
    // A cross that cannot be made is left out; the others are still placed.
    LoadSetupCross(main, x, y, kCrossArm);
  }
}

void LoadPtAlgn(Engine& engine, MainForm& main, winplat::SpreadGrid& grid) {
  std::string file = engine.State.ProgramDir + "PtAlgn.Dat";
  grid.LoadFromFile(file);
  PlacePoints(main, grid);
  ApplyPA(engine, grid);
}

}  // namespace fieldray::console
