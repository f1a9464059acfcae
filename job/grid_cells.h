#pragma once
// The one way the program reads and writes a cell of its grids.
#include <cstdint>
#include <string>
#include <string_view>

#include "winplat/components/grid.h"
#include "winplat/dispatch.h"

namespace fieldray {

// Moves the grid's current cell to (row, col) and returns its text. Row 0 and
// column 0 are the headings; a cell outside the grid reads as "".
std::string GetGridCell(winplat::SpreadGrid& grid, std::int32_t row, std::int32_t col);

// Writes the text of cell (row, col) when col >= 1 and row >= 0, leaving it the
// current cell; otherwise writes nothing and leaves the grid as it is.
void SetGridCell(winplat::SpreadGrid& grid, std::int32_t row, std::int32_t col, std::string_view text);

// The same on any grid object reached by dispatch: the properties "Row", "Col"
// and "text" by name. Errors of the object reach the caller.
std::string GetGridCell(winplat::IDispatch* grid, std::int32_t row, std::int32_t col);
void SetGridCell(winplat::IDispatch* grid, std::int32_t row, std::int32_t col, std::string_view text);

}  // namespace fieldray
