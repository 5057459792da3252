// The cell device: what the text screen needs of a console. A grid of cells
// (a character byte and an attribute byte each), one cursor, the cursor's
// appearance and the attribute for stream output. The devices that implement
// it: the real terminal (console/terminal/), the Windows console
// (console/windows/), the page's terminal in a browser (console/web/) and an
// in-memory grid that only tests link (tests/support/memory_device.h).
//
// All coordinates here count from 0; the screen's 1-based coordinates are
// converted by ConsoleScreen. The device reports its size at the moment it is
// asked, so a terminal resized between two operations is simply a device of
// another size.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace console {

// One cell of the screen.
struct Cell {
  std::uint8_t character = 0x20;  // a byte of the OEM code page (850); every value is a glyph
  std::uint8_t attribute = 0x07;  // background * 16 + foreground, console colour numbers

  bool operator==(const Cell&) const = default;
};

// A cell position, 0-based: column 0 is the leftmost, row 0 the top row.
struct CellPosition {
  int column = 0;
  int row = 0;

  bool operator==(const CellPosition&) const = default;
};

// A size in cells.
struct CellSize {
  int columns = 0;
  int rows = 0;

  bool operator==(const CellSize&) const = default;
};

// The text cursor's look.
struct CursorAppearance {
  int size = 10;         // percent of the cell height that the cursor fills, 1-100
  bool visible = true;   // shown or hidden

  bool operator==(const CursorAppearance&) const = default;
};

class CellDevice {
 public:
  virtual ~CellDevice() = default;

  // Size of the whole cell buffer; never smaller than 1 x 1.
  virtual CellSize BufferSize() = 0;
  // Size of the part of the buffer that the user sees (equal to the buffer on
  // a terminal).
  virtual CellSize WindowSize() = 0;

  // The cursor, always inside the buffer.
  virtual CellPosition CursorPosition() = 0;
  // Places the cursor; a position outside the buffer is ignored.
  virtual void SetCursorPosition(CellPosition position) = 0;

  // Writes `characters` into row `at.row` from column `at.column` on, one
  // byte per cell, all with `attribute`. Bytes beyond the row's end are cut
  // off; nothing is interpreted.
  virtual void WriteRowPiece(CellPosition at, std::string_view characters,
                             std::uint8_t attribute) = 0;
  // Sets `count` cells from `from` on, continuing at column 0 of the
  // following rows and stopping at the end of the buffer.
  virtual void FillCells(CellPosition from, int count, Cell cell) = 0;
  // As FillCells, but only the attributes change; the characters stay.
  virtual void FillAttributes(CellPosition from, int count, std::uint8_t attribute) = 0;
  // Moves rows 1 .. rows-1 up by one row (row 0 is lost) and fills the bottom
  // row with `fill`. The cursor does not move.
  virtual void ScrollUp(Cell fill) = 0;

  // The attribute that text written through the console's ordinary stream
  // output receives.
  virtual void SetTextAttribute(std::uint8_t attribute) = 0;

  // The cursor's look as the console reports it; none when it can't be read
  // (a terminal can't be asked).
  virtual std::optional<CursorAppearance> ReadCursorAppearance() = 0;
  virtual void SetCursorAppearance(CursorAppearance appearance) = 0;

  // Makes the changes of one screen operation visible at once. A device that
  // shows nothing does nothing here.
  virtual void Present() = 0;
};

}  // namespace console
