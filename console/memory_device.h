// A cell device in memory: the whole screen as a CellGrid that tests read
// back, with settable sizes and a cursor appearance that can be made
// unreadable. Nothing is shown anywhere.
#pragma once

#include <cstdint>
#include <optional>

#include "console/cell_device.h"
#include "console/cell_grid.h"

namespace console {

class MemoryDevice final : public CellDevice {
 public:
  // A buffer of `buffer` cells, of which `window` are visible (the whole
  // buffer when not given).
  explicit MemoryDevice(CellSize buffer, std::optional<CellSize> window = std::nullopt);

  CellSize BufferSize() override { return grid_.Size(); }
  CellSize WindowSize() override { return window_; }
  CellPosition CursorPosition() override { return grid_.Cursor(); }
  void SetCursorPosition(CellPosition position) override { grid_.SetCursor(position); }
  void WriteRowPiece(CellPosition at, std::string_view characters,
                     std::uint8_t attribute) override;
  void FillCells(CellPosition from, int count, Cell cell) override;
  void FillAttributes(CellPosition from, int count, std::uint8_t attribute) override;
  void ScrollUp(Cell fill) override;
  void SetTextAttribute(std::uint8_t attribute) override { textAttribute_ = attribute; }
  std::optional<CursorAppearance> ReadCursorAppearance() override;
  void SetCursorAppearance(CursorAppearance appearance) override { cursor_ = appearance; }
  void Present() override { ++presents_; }

  // What tests look at and arrange.
  const CellGrid& Grid() const { return grid_; }
  // Resizes the buffer (and the window with it), as a user resizing a
  // terminal would.
  void Resize(CellSize size);
  std::uint8_t TextAttribute() const { return textAttribute_; }
  CursorAppearance Cursor() const { return cursor_; }
  // Makes ReadCursorAppearance fail (as a terminal's does).
  void MakeCursorUnreadable() { cursorReadable_ = false; }
  int Presents() const { return presents_; }    // Present calls so far
  int RowWrites() const { return rowWrites_; }  // WriteRowPiece calls so far
  int Scrolls() const { return scrolls_; }      // ScrollUp calls so far

 private:
  CellGrid grid_;
  CellSize window_;                    // the visible part
  std::uint8_t textAttribute_ = 0x07;  // attribute for stream output
  CursorAppearance cursor_{25, true};  // the cursor's look
  bool cursorReadable_ = true;         // whether ReadCursorAppearance succeeds
  int presents_ = 0;
  int rowWrites_ = 0;
  int scrolls_ = 0;
};

}  // namespace console
