#pragma once
// The spreadsheet grid: a table of text cells with a header row (row 0) and a
// header column (column 0), a current cell addressed by Row and Col, an active
// cell, whole-grid load and save, and the events the program handles.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace winplat {

// Members of the grid by dispatch identifier.
namespace GridDispId {
constexpr std::int32_t Action = 1;
constexpr std::int32_t ActiveRow = 3;
constexpr std::int32_t Col = 22;
constexpr std::int32_t MaxCols = 67;
constexpr std::int32_t MaxRows = 68;
constexpr std::int32_t Row = 102;
constexpr std::int32_t Value = 195;
constexpr std::int32_t LoadFromFile = 256;
constexpr std::int32_t SaveToFile = 260;
constexpr std::int32_t Text = -517;
}  // namespace GridDispId

// Values of the Action member.
constexpr std::int32_t GridActionActiveCell = 0;
constexpr std::int32_t GridActionDeleteRow = 5;

// Largest sizes a grid takes (also the limits a loaded file must keep).
constexpr std::int32_t GridRowLimit = 1000000;
constexpr std::int32_t GridColLimit = 16384;

// How a column's texts stand in their cells.
enum class GridAlign { Left, Center, Right };

// A cell the operator is editing by hand: its text as typed so far and the
// caret (a byte offset). The cell itself changes only when the edit is
// committed, through the same path as an edit typed in one go.
struct GridCellEdit {
  bool open = false;
  std::int32_t row = 0, col = 0;
  std::string text;
  std::size_t caret = 0;
};

class SpreadGrid {
 public:
  SpreadGrid(std::int32_t maxRows = 100, std::int32_t maxCols = 10);

  // Current cell. Any value may be set; a cell outside the grid reads as "" and
  // ignores writes.
  std::int32_t Row() const { return row_; }
  void SetRow(std::int32_t row) { row_ = row; }
  std::int32_t Col() const { return col_; }
  void SetCol(std::int32_t col) { col_ = col; }

  // Text of the current cell. Header cells answer their heading (by default
  // the column letters A, B, ... AA and the row numbers) until written.
  std::string Text() const;
  void SetText(std::string_view text);
  // Value of the current cell as text; cells hold text only, so it is the text.
  std::string Value() const { return Text(); }
  void SetValue(std::string_view value) { SetText(value); }

  // Size of the data area (rows 1..MaxRows, columns 1..MaxCols). Shrinking
  // drops the cells outside; the new size is clamped to 0..limit.
  std::int32_t MaxRows() const { return maxRows_; }
  void SetMaxRows(std::int32_t rows);
  std::int32_t MaxCols() const { return maxCols_; }
  void SetMaxCols(std::int32_t cols);

  // The active cell (the one the operator works on), 1-based.
  std::int32_t ActiveRow() const { return activeRow_; }
  std::int32_t ActiveCol() const { return activeCol_; }

  // Action 0: the current cell becomes the active cell (raising RowSelected when
  // the active row changes). Action 5: the current row is deleted, the rows
  // below move up and the last row becomes empty. Other actions do nothing.
  void SetAction(std::int32_t action);

  // Whole grid written to a file of the grid's own format (see FORMATS.md beside
  // the code). dataOnly leaves out the headings and the active cell. Returns
  // false, with LastError(), when the file cannot be written.
  bool SaveToFile(std::string_view windowsPath, bool dataOnly);
  // Whole grid read from a file written by SaveToFile. A missing or malformed
  // file returns false, with LastError(), and leaves the grid unchanged.
  bool LoadFromFile(std::string_view windowsPath);
  const std::string& LastError() const { return lastError_; }

  // The same, on host paths (used by the two above and by tests).
  bool SaveToHostFile(const std::string& hostPath, bool dataOnly);
  bool LoadFromHostFile(const std::string& hostPath);

  // Events. Programmatic writes of Text and Value raise none; the operator's
  // actions below and the active cell moving do.
  std::function<void()> OnChange;                                          // a cell was edited
  std::function<void(std::int32_t col, std::int32_t row)> OnClick;         // a cell was clicked
  std::function<void(std::int16_t keyCode)> OnKeyDown;                     // a key, after the grid handled it
  std::function<void(std::int32_t row)> OnRowSelected;                     // the active cell moved to a row
  std::function<void(std::int32_t col, std::int32_t row, bool changed)> OnEditChange;  // an edit ended

  // The operator's hands: click a cell (it becomes current and active), type a
  // text into a cell (click, write, then the edit and change events), press a
  // key (up 38 and down 40 move the active cell by one row, left 37 and right
  // 39 by one column).
  void ClickCell(std::int32_t row, std::int32_t col);
  void TypeIntoCell(std::int32_t row, std::int32_t col, std::string_view text);
  void PressKey(std::int16_t keyCode);

  // The edit the operator has open on a cell (shown over the cell); it is no
  // part of the grid's contents and is never saved.
  const GridCellEdit& CellEdit() const { return edit_; }
  GridCellEdit& CellEdit() { return edit_; }

  // Default heading of a header cell.
  static std::string DefaultHeading(std::int32_t row, std::int32_t col);
  // The text of any cell, without moving the current cell.
  std::string CellText(std::int32_t row, std::int32_t col) const;

  // How the grid is shown. A column's width in pixels (0: as wide as the
  // default or its heading needs) and its alignment (left unless set); the
  // first data row and column in view (the grid scrolls them to keep the
  // active cell shown). None of these is saved with the grid.
  std::int32_t ColWidth(std::int32_t col) const;
  void SetColWidth(std::int32_t col, std::int32_t pixels);
  GridAlign ColAlign(std::int32_t col) const;
  void SetColAlign(std::int32_t col, GridAlign align);
  std::int32_t TopRow() const { return topRow_; }
  void SetTopRow(std::int32_t row) { topRow_ = std::clamp<std::int32_t>(row, 1, std::max<std::int32_t>(1, maxRows_)); }
  std::int32_t LeftCol() const { return leftCol_; }
  void SetLeftCol(std::int32_t col) { leftCol_ = std::clamp<std::int32_t>(col, 1, std::max<std::int32_t>(1, maxCols_)); }

 private:
  using Key = std::pair<std::int32_t, std::int32_t>;  // (row, col)
  bool Inside(std::int32_t row, std::int32_t col) const;
  void MoveActive(std::int32_t row, std::int32_t col);
  void DropOutside();

  std::int32_t maxRows_;
  std::int32_t maxCols_;
  std::int32_t row_ = 1;
  std::int32_t col_ = 1;
  std::int32_t activeRow_ = 1;
  std::int32_t activeCol_ = 1;
  // Data cells hold only non-empty texts; header cells are present once written.
  std::map<Key, std::string> cells_;
  std::string lastError_;
  std::map<std::int32_t, std::int32_t> colWidths_;
  std::map<std::int32_t, GridAlign> colAligns_;
  std::int32_t topRow_ = 1;
  std::int32_t leftCol_ = 1;
  GridCellEdit edit_;
};

}  // namespace winplat
