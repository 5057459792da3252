// Renders a cell grid on a VT terminal. It keeps the picture the terminal
// shows and, for each update, produces the VT sequences that bring the
// terminal to the wanted grid and cursor: cell changes only, cursor
// position (CUP), colours (SGR; the console's colour bits are blue 1,
// green 2, red 4, bright 8, ANSI counts red 1, green 2, blue 4), cursor
// visibility (DECTCEM) and shape (DECSCUSR: underline up to half a cell,
// block above). Glyphs go out as UTF-8 from code page 850. It touches no
// terminal: the caller writes the text it returns in one write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "console/cell_device.h"
#include "console/cell_grid.h"

namespace console::vt {

class VtRenderer {
 public:
  // The terminal is taken to show `shown` (what it shows is not known, and
  // cells the program never writes are left as they are). Its cursor is
  // taken as unknown.
  explicit VtRenderer(const CellGrid& shown);

  // The sequences that make the terminal show `wanted` with its cursor
  // looking like `cursor`; empty when nothing changed. Afterwards the
  // terminal is taken to show exactly that.
  std::string Render(const CellGrid& wanted, CursorAppearance cursor);

  // The terminal's picture is lost (its size changed): the next Render
  // repaints every cell.
  void Invalidate();

  // The sequences that prepare the terminal for the program: Alt pressed
  // with a key is to be sent as Esc and the key (xterm's "meta sends
  // escape" and "alt sends escape" modes, their settings saved first).
  // Terminals without these modes ignore them.
  static std::string Acquire();

  // The sequences that hand the terminal back to the shell: default
  // colours, cursor shown in the terminal's default shape, the Alt modes
  // as they were.
  static std::string Release();

 private:
  void PaintChangedCells(const CellGrid& wanted, std::string& out);
  void MoveTo(CellPosition position, std::string& out);
  void UsePen(std::uint8_t attribute, std::string& out);

  CellGrid shown_;                           // what the terminal shows
  bool repaintAll_ = false;                  // shown_ is not to be trusted
  std::optional<CellPosition> written_;      // where the next glyph would land; none if unknown
  std::optional<std::uint8_t> pen_;          // the SGR colours in force; none if unknown
  std::optional<CellPosition> shownCursor_;  // the cursor position the terminal shows
  std::optional<CursorAppearance> shownAppearance_;  // the cursor look the terminal shows
};

// The SGR parameters for a console attribute, such as "30;107" for black
// on bright white (0xF0).
std::string SgrColors(std::uint8_t attribute);

}  // namespace console::vt
