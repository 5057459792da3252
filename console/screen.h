// The console text screen: the cells in which the parameter form stands and
// the line editor echoes. Rows and columns count from 1 at this interface.
//
// The screen keeps only the current colours, the deferred-scroll flag and
// the remembered cursor appearance; the cells and the cursor live in the
// device, and every operation asks the device for its size and cursor when
// it needs them, so a terminal resized between two operations needs no
// notice. No operation reports an error: arguments out of range keep the
// value concerned.
//
// Colour numbers 0-15: bit 0 blue, bit 1 green, bit 2 red, bit 3 bright
// (0 black, 7 light grey, 14 yellow, 15 bright white). A cell's attribute is
// background * 16 + foreground.
#pragma once

#include <cstdint>

#include "console/cell_device.h"
#include "runtime/text.h"

namespace console {

class ConsoleScreen {
 public:
  // The screen side of the console start-up: takes the cursor appearance
  // from the device (10 percent and visible, applied to the device, when it
  // can't be read or reads as size 0), colours 7 on 0, no pending scroll.
  // The device's cells and text attribute are not touched.
  explicit ConsoleScreen(CellDevice& device);

  // --- For the application -------------------------------------------------

  // Sets the current colours; a value outside 0-15 keeps the current one.
  // The device's stream attribute is set to the result. When
  // 1 <= recolorCount <= visible window cells, that many cells from the
  // cursor on take the new attribute (characters and cursor stay).
  void SetColors(std::int32_t foreground, std::int32_t background, std::int32_t recolorCount);

  // Every cell of the buffer becomes a space in the current colours; the
  // cursor goes to row 1, column 1.
  void ClearScreen();

  // Places the cursor; a row or column out of range keeps the cursor's
  // current row or column (the two are checked apart). Cancels a pending
  // scroll.
  void MoveCursor(std::int32_t row, std::int32_t column);

  // Writes the bytes from the cursor on, one cell each, nothing interpreted,
  // wrapping at the right edge. Text that fills the bottom-right cell leaves
  // the cursor at column 1 of the bottom row with the scroll pending: it is
  // made only when more text or a line end follows. An empty text changes
  // nothing.
  void WriteText(const runtime::Text& text);

  // Cursor to column 1 of the next row; on the bottom row the buffer scrolls
  // up (twice when a scroll was pending).
  void NewLine();

  // --- For the line editor --------------------------------------------------

  // One cell back: from column 1 to the last column of the row above (of the
  // top row itself on row 1); with a scroll pending, to the bottom-right cell
  // without scrolling.
  void StepCursorBack();
  // Shows a hidden cursor until RestoreCursor.
  void ForceCursorVisible();
  // Undoes a temporary change of the cursor's visibility.
  void RestoreCursor();

  // --- State, for tests -------------------------------------------------
  std::int32_t Foreground() const { return foreground_; }
  std::int32_t Background() const { return background_; }
  bool WrapPending() const { return wrapPending_; }
  CursorAppearance Appearance() const { return {cursorSize_, cursorVisible_}; }

 private:
  std::uint8_t Attribute() const;
  // The buffer's rows move up by one; the new bottom row is blank in the
  // current colours.
  void ScrollUp();
  void ForceCursorHidden();
  // Moves the cursor without presenting (shared by the operations above).
  void PlaceCursor(std::int32_t row, std::int32_t column);

  CellDevice& device_;
  std::int32_t foreground_ = 7;         // current text colour, 0-15
  std::int32_t background_ = 0;         // current background colour, 0-15
  bool wrapPending_ = false;            // the bottom-right cell was filled; scroll not yet made
  std::int32_t cursorSize_ = 10;        // cursor height in percent of the cell, 1-100
  bool cursorVisible_ = true;           // the cursor's visibility outside temporary changes
  bool cursorRestorePending_ = false;   // a temporary visibility change is to be undone
};

}  // namespace console
