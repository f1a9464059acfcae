// The spreadsheet grid: cells, current and active cell, actions and events.
#include "winplat/components/grid.h"

#include <algorithm>
#include <iterator>

namespace winplat {

SpreadGrid::SpreadGrid(std::int32_t maxRows, std::int32_t maxCols)
    : maxRows_(std::clamp(maxRows, 0, GridRowLimit)), maxCols_(std::clamp(maxCols, 0, GridColLimit)) {}

std::string SpreadGrid::DefaultHeading(std::int32_t row, std::int32_t col) {
  if (row == 0 && col > 0) {
    // Column letters: A..Z, AA..AZ, BA, ...
    std::string letters;
    for (std::int32_t n = col; n > 0; n = (n - 1) / 26)
      letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    return letters;
  }
  if (col == 0 && row > 0) return std::to_string(row);
  return "";
}

bool SpreadGrid::Inside(std::int32_t row, std::int32_t col) const {
  return row >= 0 && col >= 0 && row <= maxRows_ && col <= maxCols_;
}

std::string SpreadGrid::CellText(std::int32_t row, std::int32_t col) const {
  if (!Inside(row, col)) return "";
  auto it = cells_.find({row, col});
  if (it != cells_.end()) return it->second;
  return (row == 0 || col == 0) ? DefaultHeading(row, col) : "";
}

std::string SpreadGrid::Text() const { return CellText(row_, col_); }

void SpreadGrid::SetText(std::string_view text) {
  if (!Inside(row_, col_)) return;
  bool header = row_ == 0 || col_ == 0;
  if (text.empty() && !header)
    cells_.erase({row_, col_});
  else
    cells_[{row_, col_}] = std::string(text);
}

std::int32_t SpreadGrid::ColWidth(std::int32_t col) const {
  auto it = colWidths_.find(col);
  return it == colWidths_.end() ? 0 : it->second;
}

void SpreadGrid::SetColWidth(std::int32_t col, std::int32_t pixels) {
  if (col < 0 || col > GridColLimit) return;
  if (pixels <= 0) colWidths_.erase(col);
  else colWidths_[col] = pixels;
}

GridAlign SpreadGrid::ColAlign(std::int32_t col) const {
  auto it = colAligns_.find(col);
  return it == colAligns_.end() ? GridAlign::Left : it->second;
}

void SpreadGrid::SetColAlign(std::int32_t col, GridAlign align) {
  if (col < 0 || col > GridColLimit) return;
  colAligns_[col] = align;
}

void SpreadGrid::DropOutside() {
  for (auto it = cells_.begin(); it != cells_.end();) {
    if (Inside(it->first.first, it->first.second))
      ++it;
    else
      it = cells_.erase(it);
  }
}

void SpreadGrid::SetMaxRows(std::int32_t rows) {
  maxRows_ = std::clamp(rows, 0, GridRowLimit);
  SetTopRow(topRow_);
  DropOutside();
}

void SpreadGrid::SetMaxCols(std::int32_t cols) {
  maxCols_ = std::clamp(cols, 0, GridColLimit);
  SetLeftCol(leftCol_);
  DropOutside();
}

void SpreadGrid::MoveActive(std::int32_t row, std::int32_t col) {
  bool rowChanged = row != activeRow_;
  activeRow_ = row;
  activeCol_ = col;
  if (rowChanged && OnRowSelected) OnRowSelected(row);
}

void SpreadGrid::SetAction(std::int32_t action) {
  if (action == GridActionActiveCell) {
    // Only a data cell can be active.
    if (row_ >= 1 && col_ >= 1 && row_ <= maxRows_ && col_ <= maxCols_) MoveActive(row_, col_);
  } else if (action == GridActionDeleteRow) {
    if (row_ < 1 || row_ > maxRows_) return;
    std::map<Key, std::string> kept;
    for (auto& [key, text] : cells_) {
      if (key.first == row_ && key.second >= 1) continue;  // the deleted row's data
      if (key.first > row_ && key.second >= 1)
        kept[{key.first - 1, key.second}] = std::move(text);
      else
        kept[key] = std::move(text);  // headings stay where they are
    }
    cells_ = std::move(kept);
  }
}

void SpreadGrid::ClickCell(std::int32_t row, std::int32_t col) {
  row_ = row;
  col_ = col;
  if (row >= 1 && col >= 1 && row <= maxRows_ && col <= maxCols_) MoveActive(row, col);
  if (OnClick) OnClick(col, row);
}

void SpreadGrid::TypeIntoCell(std::int32_t row, std::int32_t col, std::string_view text) {
  ClickCell(row, col);
  if (!Inside(row, col) || row == 0 || col == 0) return;  // headings are not edited by hand
  std::string before = CellText(row, col);
  row_ = row;
  col_ = col;
  SetText(text);
  bool changed = before != text;
  if (OnEditChange) OnEditChange(col, row, changed);
  if (changed && OnChange) OnChange();
}

void SpreadGrid::PressKey(std::int16_t keyCode) {
  constexpr std::int16_t KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40;
  if (keyCode == KeyLeft && activeCol_ > 1) {
    row_ = activeRow_;
    col_ = activeCol_ - 1;
    MoveActive(row_, col_);
  } else if (keyCode == KeyRight && activeCol_ < maxCols_) {
    row_ = activeRow_;
    col_ = activeCol_ + 1;
    MoveActive(row_, col_);
  } else if (keyCode == KeyUp && activeRow_ > 1) {
    row_ = activeRow_ - 1;
    col_ = activeCol_;
    MoveActive(row_, col_);
  } else if (keyCode == KeyDown && activeRow_ < maxRows_) {
    row_ = activeRow_ + 1;
    col_ = activeCol_;
    MoveActive(row_, col_);
  }
  if (OnKeyDown) OnKeyDown(keyCode);
}

}  // namespace winplat
