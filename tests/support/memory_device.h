// A cell device in memory: the whole screen as a grid that tests read back,
// with settable sizes and a cursor appearance that can be made unreadable.
// Nothing is shown anywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "console/grid_device.h"

namespace console {

class MemoryDevice final : public GridDevice {
 public:
  // A buffer of `columns` x `rows` cells, all visible, every cell a space in
  // light grey on black, the cursor at the top-left, visible, 25 percent.
  MemoryDevice(int columns, int rows);
  // A buffer of which only `window` cells are visible.
  MemoryDevice(CellSize buffer, CellSize window);

  // --- Reading back, 1-based as at the screen's interface ----------------
  Cell CellAt(int row, int column) const { return grid_.At({column - 1, row - 1}); }
  // Characters of row `row` from `column` on, `count` cells (to the row's
  // end when not given).
  std::string Characters(int row, int column = 1, int count = -1) const;
  int CursorRow() const { return grid_.Cursor().row + 1; }
  int CursorColumn() const { return grid_.Cursor().column + 1; }
  bool CursorVisible() const { return cursor_.visible; }
  CursorAppearance Cursor() const { return cursor_; }
  std::uint8_t TextAttribute() const { return textAttribute_; }
  const CellGrid& Grid() const { return grid_; }
  int Presents() const { return presents_; }    // Present calls so far
  int RowWrites() const { return rowWrites_; }  // WriteRowPiece calls so far
  int Scrolls() const { return scrolls_; }      // ScrollUp calls so far

  // --- Arranging ------------------------------------------------------------
  // Resizes the buffer (and the window with it), as a user resizing a
  // terminal would; contents stay anchored at the top-left.
  void Resize(int columns, int rows);
  // Makes ReadCursorAppearance fail, as a terminal's does.
  void MakeCursorUnreadable() { cursorReadable_ = false; }

  // --- CellDevice: the grid's, counted, with a window and a readable cursor -
  CellSize WindowSize() override { return window_; }
  void WriteRowPiece(CellPosition at, std::string_view characters,
                     std::uint8_t attribute) override;
  void ScrollUp(Cell fill) override;
  void SetTextAttribute(std::uint8_t attribute) override { textAttribute_ = attribute; }
  std::optional<CursorAppearance> ReadCursorAppearance() override;
  void Present() override { ++presents_; }

 private:
  CellSize window_;                    // the visible part of the buffer
  std::uint8_t textAttribute_ = 0x07;  // attribute for stream output
  bool cursorReadable_ = true;         // whether ReadCursorAppearance succeeds
  int presents_ = 0;
  int rowWrites_ = 0;
  int scrolls_ = 0;
};

}  // namespace console
