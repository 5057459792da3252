// A cell device that keeps the screen itself, as a cell grid, and shows it
// in its own way: a terminal (which cannot be read back), the page's
// terminal, the tests' memory device. Everything but showing the grid is
// here; Present is each device's own.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "console/cell_device.h"
#include "console/cell_grid.h"

namespace console {

class GridDevice : public CellDevice {
 public:
  explicit GridDevice(CellSize size) : grid_(size) {}

  CellSize BufferSize() override { return grid_.Size(); }
  CellSize WindowSize() override { return BufferSize(); }
  CellPosition CursorPosition() override { return grid_.Cursor(); }
  void SetCursorPosition(CellPosition position) override { grid_.SetCursor(position); }
  void WriteRowPiece(CellPosition at, std::string_view characters, std::uint8_t attribute) override {
    grid_.WriteRowPiece(at, characters, attribute);
  }
  void FillCells(CellPosition from, int count, Cell cell) override { grid_.FillCells(from, count, cell); }
  void FillAttributes(CellPosition from, int count, std::uint8_t attribute) override {
    grid_.FillAttributes(from, count, attribute);
  }
  void ScrollUp(Cell fill) override { grid_.ScrollUp(fill); }
  // Ignored: nothing of the program reaches such a device as stream output.
  void SetTextAttribute(std::uint8_t) override {}
  // Such a device can't be asked: none.
  std::optional<CursorAppearance> ReadCursorAppearance() override { return std::nullopt; }
  void SetCursorAppearance(CursorAppearance appearance) override { cursor_ = appearance; }

 protected:
  CellGrid grid_;            // the screen as the program has it
  CursorAppearance cursor_;  // the cursor's wanted look
};

}  // namespace console
