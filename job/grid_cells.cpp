// Cell access to the program's grids.
#include "job/grid_cells.h"

namespace fieldray {

std::string GetGridCell(winplat::SpreadGrid& grid, std::int32_t row, std::int32_t col) {
  grid.SetRow(row);
  grid.SetCol(col);
  return grid.Text();
}

void SetGridCell(winplat::SpreadGrid& grid, std::int32_t row, std::int32_t col, std::string_view text) {
  if (col < 1 || row < 0) return;
  grid.SetRow(row);
  grid.SetCol(col);
  grid.SetText(text);
}

std::string GetGridCell(winplat::IDispatch* grid, std::int32_t row, std::int32_t col) {
  winplat::PutProperty(grid, "Row", winplat::Variant(row));
  winplat::PutProperty(grid, "Col", winplat::Variant(col));
  return winplat::GetProperty(grid, "text").ToString();
}

void SetGridCell(winplat::IDispatch* grid, std::int32_t row, std::int32_t col, std::string_view text) {
  if (col < 1 || row < 0) return;
  winplat::PutProperty(grid, "Row", winplat::Variant(row));
  winplat::PutProperty(grid, "Col", winplat::Variant(col));
  winplat::PutProperty(grid, "text", winplat::Variant(text));
}

}  // namespace fieldray
