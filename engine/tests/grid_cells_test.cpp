#include <gtest/gtest.h>

#include "job/grid_cells.h"
#include "winplat/components/grid_control.h"

using fieldray::GetGridCell;
using fieldray::SetGridCell;

TEST(GridCells, ReadAndWriteMoveTheCurrentCell) {
  winplat::SpreadGrid grid(10, 6);
  SetGridCell(grid, 0, 3, "Gr1  Dia");
  SetGridCell(grid, 5, 3, " 12");
  EXPECT_EQ(grid.Row(), 5);
  EXPECT_EQ(grid.Col(), 3);
  EXPECT_EQ(GetGridCell(grid, 0, 3), "Gr1  Dia");
  EXPECT_EQ(GetGridCell(grid, 4, 0), "4");  // row heading
  EXPECT_EQ(grid.Row(), 4);
  EXPECT_EQ(grid.Col(), 0);
  EXPECT_EQ(GetGridCell(grid, 5, 3), " 12");
  EXPECT_EQ(GetGridCell(grid, 11, 3), "");  // outside the grid

  // Column 0 or row -1: nothing written, current cell unchanged.
  SetGridCell(grid, 2, 0, "no");
  SetGridCell(grid, -1, 2, "no");
  EXPECT_EQ(grid.Row(), 11);
  EXPECT_EQ(grid.Col(), 3);
  EXPECT_EQ(GetGridCell(grid, 2, 0), "2");
  EXPECT_EQ(GetGridCell(grid, 1, 2), "");
}

TEST(GridCells, AnyGridObjectByDispatch) {
  auto control = winplat::MakeObject<winplat::SpreadGridControl>();
  winplat::IDispatch* grid = control.Get();
  SetGridCell(grid, 3, 2, "by name");
  SetGridCell(grid, 3, 0, "skipped");
  EXPECT_EQ(control->Grid().Row(), 3);
  EXPECT_EQ(control->Grid().Col(), 2);
  EXPECT_EQ(GetGridCell(grid, 3, 2), "by name");
  EXPECT_EQ(GetGridCell(grid, 3, 0), "3");
  EXPECT_EQ(GetGridCell(grid, 0, 2), "B");
  EXPECT_THROW(GetGridCell(nullptr, 1, 1), winplat::AutomationError);
}
