// A grid of cells with a cursor: the state behind a cell device. The memory
// device is this grid alone; the terminal keeps one as its picture of the
// screen (a terminal can't be read back) and renders it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/cell_device.h"

namespace console {

class CellGrid {
 public:
  // A grid of `size` (at least 1 x 1), every cell a space in light grey on
  // black, the cursor at the top-left.
  explicit CellGrid(CellSize size);

  CellSize Size() const { return size_; }
  // Changes the size; what fits stays in place (anchored at the top-left),
  // new cells are spaces in light grey on black, the cursor is clamped.
  void Resize(CellSize size);

  const Cell& At(CellPosition position) const;
  // Row `row` as bytes, characters only (handy in tests).
  std::string RowCharacters(int row) const;

  CellPosition Cursor() const { return cursor_; }
  void SetCursor(CellPosition position);

  // The cell operations of CellDevice, with the same meaning.
  void WriteRowPiece(CellPosition at, std::string_view characters, std::uint8_t attribute);
  void FillCells(CellPosition from, int count, Cell cell);
  void FillAttributes(CellPosition from, int count, std::uint8_t attribute);
  void ScrollUp(Cell fill);

  bool Contains(CellPosition position) const;

 private:
  // Index of a cell in `cells_`, row after row.
  std::size_t IndexOf(CellPosition position) const;

  CellSize size_;
  std::vector<Cell> cells_;  // size_.columns * size_.rows cells, row after row
  CellPosition cursor_;
};

}  // namespace console
