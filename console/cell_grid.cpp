#include "console/cell_grid.h"

#include <algorithm>
#include <cassert>

namespace console {

namespace {

CellSize AtLeastOneCell(CellSize size) {
  return {std::max(size.columns, 1), std::max(size.rows, 1)};
}

}  // namespace

CellGrid::CellGrid(CellSize size)
    : size_(AtLeastOneCell(size)),
      cells_(static_cast<std::size_t>(size_.columns) * static_cast<std::size_t>(size_.rows)) {}

void CellGrid::Resize(CellSize size) {
  size = AtLeastOneCell(size);
  if (size == size_) return;
  std::vector<Cell> resized(static_cast<std::size_t>(size.columns) *
                            static_cast<std::size_t>(size.rows));
  const int keptRows = std::min(size.rows, size_.rows);
  const int keptColumns = std::min(size.columns, size_.columns);
  for (int row = 0; row < keptRows; ++row) {
    const auto from = cells_.begin() + static_cast<std::ptrdiff_t>(IndexOf({0, row}));
    const auto to = resized.begin() + static_cast<std::ptrdiff_t>(row) * size.columns;
    std::copy(from, from + keptColumns, to);
  }
  cells_ = std::move(resized);
  size_ = size;
  cursor_ = {std::min(cursor_.column, size_.columns - 1), std::min(cursor_.row, size_.rows - 1)};
}

bool CellGrid::Contains(CellPosition position) const {
  return position.column >= 0 && position.column < size_.columns && position.row >= 0 &&
         position.row < size_.rows;
}

std::size_t CellGrid::IndexOf(CellPosition position) const {
  assert(Contains(position));
  return static_cast<std::size_t>(position.row) * static_cast<std::size_t>(size_.columns) +
         static_cast<std::size_t>(position.column);
}

const Cell& CellGrid::At(CellPosition position) const { return cells_[IndexOf(position)]; }

std::string CellGrid::RowCharacters(int row) const {
  std::string characters;
  for (int column = 0; column < size_.columns; ++column) {
    characters.push_back(static_cast<char>(At({column, row}).character));
  }
  return characters;
}

void CellGrid::SetCursor(CellPosition position) {
  if (Contains(position)) cursor_ = position;
}

void CellGrid::WriteRowPiece(CellPosition at, std::string_view characters,
                             std::uint8_t attribute) {
  if (!Contains(at)) return;
  const auto room = static_cast<std::size_t>(size_.columns - at.column);
  const std::size_t count = std::min(room, characters.size());
  Cell* cell = &cells_[IndexOf(at)];
  for (std::size_t i = 0; i < count; ++i) {
    cell[i] = {static_cast<std::uint8_t>(characters[i]), attribute};
  }
}

void CellGrid::FillCells(CellPosition from, int count, Cell cell) {
  if (!Contains(from) || count <= 0) return;
  const std::size_t start = IndexOf(from);
  const std::size_t end = std::min(cells_.size(), start + static_cast<std::size_t>(count));
  std::fill(cells_.begin() + static_cast<std::ptrdiff_t>(start),
            cells_.begin() + static_cast<std::ptrdiff_t>(end), cell);
}

void CellGrid::FillAttributes(CellPosition from, int count, std::uint8_t attribute) {
  if (!Contains(from) || count <= 0) return;
  const std::size_t start = IndexOf(from);
  const std::size_t end = std::min(cells_.size(), start + static_cast<std::size_t>(count));
  for (std::size_t i = start; i < end; ++i) cells_[i].attribute = attribute;
}

void CellGrid::ScrollUp(Cell fill) {
  const auto rowLength = static_cast<std::ptrdiff_t>(size_.columns);
  std::copy(cells_.begin() + rowLength, cells_.end(), cells_.begin());
  std::fill(cells_.end() - rowLength, cells_.end(), fill);
}

}  // namespace console
