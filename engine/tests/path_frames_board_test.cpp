// A path of a line, an arc and a hole built into switch-position frames and
// written to the emulated boards through the real device library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/frame_assembly.h"
#include "job/grid_cells.h"
#include "engine/path_points.h"
#include "engine/point_list.h"
#include "engine/status_reporter.h"
#include "board_machine.h"
#include "engine_fakes.h"
#include "test_support.h"
#include "winplat/hw/boards.h"
#include "winplat/msgbox.h"

namespace fieldray::engine {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t W = 0xFFFFFF;

struct Expected {
  std::int32_t x, y, colour, repeats;
};

class PathFramesOnBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::ResetBoardMachine();
    if (HasFatalFailure()) return;
    StartSession(e);
    ASSERT_EQ(state.VXStatus, 0) << vx.LastBindingError();
  }

  PathElement& Add(std::int32_t code, double x, double y, double z = 0) {
    PathElement& el = AppendPathElement(state.PathElements);
    el.MoveCode = code;
    el.EndX = x;
    el.EndY = y;
    el.ZDepth = z;
    return el;
  }

  // The frame on the board, read back.
  std::vector<PointStruct> BoardFrame(std::int32_t n) {
    vx.SetWorkingFrame(n);
    ReadWorkingFrame(e);
    return {state.FrameBuffer.begin() + 1, state.FrameBuffer.end()};
  }

  void ExpectFrame(std::int32_t n, std::initializer_list<Expected> golden) {
    std::vector<PointStruct> expected;
    for (const Expected& g : golden) {
      for (std::int32_t k = 0; k < g.repeats; ++k) {
        PointStruct p{};
        p.X = g.x;
        p.Y = g.y;
        p.Colour = g.colour;
        expected.push_back(p);
      }
    }
    const std::vector<PointStruct> got = BoardFrame(n);
    ASSERT_EQ(got.size(), expected.size()) << "frame " << n;
    for (std::size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE("frame " + std::to_string(n) + " point " + std::to_string(i));
      EXPECT_EQ(got[i].X, expected[i].X);
      EXPECT_EQ(got[i].Y, expected[i].Y);
      EXPECT_EQ(got[i].Colour, expected[i].Colour);
    }
  }

  ProgramState state;
  Vexlib vx{enginetest::BoardLibrary()};
  enginetest::FakeConsole console;
  int exits = 0;
  Engine e{state, vx, console, [this] { ++exits; }};
  winplat::MessageBoxScript boxes;
};

TEST_F(PathFramesOnBoard, LineArcAndHoleBecomeTheSwitchPositionFrames) {
  state.HoldStart = 2;
  state.HoldVertex = 1;
  state.HoldEnd = 1;
  // A line, a clockwise half circle of radius 10 about (20, 10), and a hole of
  // diameter 20 at (50, 10) two units deep.
  Add(88, 0, 0);
  Add(1, 20, 0);
  PathElement& arc = Add(3, 20, 20);
  arc.CentreX = 20;
  arc.CentreY = 10;
  PathElement& hole = Add(0, 0, 0, -2);
  hole.CycleCode = 0;
  hole.CentreX = 50;
  hole.CentreY = 10;
  hole.ArcDiameter = 20;

  // Position 1: depth at the thickness or more (the line and arc); position 2:
  // shallower (the hole); position 3: nothing.
  console.swOpt.SetMaxCols(3);
  SetGridCell(console.swOpt, 4, 1, "1");
  SetGridCell(console.swOpt, 5, 1, "1");
  SetGridCell(console.swOpt, 3, 2, "1");
  BuildPointsFromPath(e);
  EXPECT_TRUE(console.msgHistory.empty()) << console.msg;
  ASSERT_EQ(state.AssemblyPoints.size(), 32u);

  // Arc: 7 steps per turn, a half turn in 4 steps of 45 degrees: (20, 0),
  // (13, 3), (10, 10), (13, 17), then its end (20, 20). Board units are 5 x
  // and -5 y; jumps longer than 30 units get a point every 30.
  ASSERT_NO_FATAL_FAILURE(ExpectFrame(1, {{0, 0, W, 1},       {0, 0, 0, 5},        {0, 0, W, 5},       {0, 0, W, 1},
                  {30, 0, W, 1},      {60, 0, W, 1},       {90, 0, W, 1},      {100, 0, W, 1},
                  {100, 0, W, 1},     {72, -12, W, 1},     {65, -15, W, 1},    {53, -43, W, 1},
                  {50, -50, W, 1},    {62, -78, W, 1},     {65, -85, W, 1},    {93, -97, W, 1},
                  {100, -100, W, 1},  {100, -100, 0, 10}}));

  // Hole: 7 steps of 51.43 degrees from 51.43, overlapping the first, at
  // (56, 18), (48, 20), (41, 14), (41, 6), (48, 0), (56, 2), (60, 10), (56, 18).
  // The dark jump from the origin is filled in first.
  ASSERT_NO_FATAL_FAILURE(ExpectFrame(2, {{29, -9, 0, 1},     {57, -18, 0, 1},     {86, -28, 0, 1},    {114, -37, 0, 1},
                  {143, -46, 0, 1},   {171, -55, 0, 1},    {200, -64, 0, 1},   {228, -73, 0, 1},
                  {257, -83, 0, 1},   {280, -90, W, 1},    {280, -90, 0, 5},   {280, -90, W, 5},
                  {251, -97, W, 1},   {240, -100, W, 1},   {217, -80, W, 1},   {205, -70, W, 1},
                  {205, -40, W, 1},   {205, -30, W, 1},    {228, -10, W, 1},   {240, 0, W, 1},
                  {269, -7, W, 1},    {280, -10, W, 1},    {293, -37, W, 1},   {300, -50, W, 1},
                  {287, -77, W, 1},   {280, -90, W, 1},    {280, -90, 0, 10}}));

  FrameStruct header{};
  vx.ReadFrameStruct(3, &header);
  EXPECT_EQ(header.NumPoints, 0);
}

}  // namespace
}  // namespace fieldray::engine
