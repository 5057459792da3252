#include "console/vt/vt_renderer.h"

#include "console/vt/code_page.h"

namespace console::vt {

namespace {

// ANSI colour index of a console colour's red, green and blue bits.
int AnsiIndex(int consoleColor) {
  const int blue = consoleColor & 1;
  const int green = (consoleColor >> 1) & 1;
  const int red = (consoleColor >> 2) & 1;
  return red | (green << 1) | (blue << 2);
}

bool IsBright(int consoleColor) { return (consoleColor & 8) != 0; }

}  // namespace

std::string SgrColors(std::uint8_t attribute) {
  const int foreground = attribute & 0x0F;
  const int background = attribute >> 4;
  const int foregroundCode = (IsBright(foreground) ? 90 : 30) + AnsiIndex(foreground);
  const int backgroundCode = (IsBright(background) ? 100 : 40) + AnsiIndex(background);
  return std::to_string(foregroundCode) + ";" + std::to_string(backgroundCode);
}

VtRenderer::VtRenderer(const CellGrid& shown) : shown_(shown) {}

void VtRenderer::Invalidate() {
  repaintAll_ = true;
  written_.reset();
  shownCursor_.reset();
}

void VtRenderer::MoveTo(CellPosition position, std::string& out) {
  if (written_ == position) return;
  out += "\x1B[" + std::to_string(position.row + 1) + ";" + std::to_string(position.column + 1) +
         "H";
  written_ = position;
}

void VtRenderer::UsePen(std::uint8_t attribute, std::string& out) {
  if (pen_ == attribute) return;
  out += "\x1B[" + SgrColors(attribute) + "m";
  pen_ = attribute;
}

void VtRenderer::PaintChangedCells(const CellGrid& wanted, std::string& out) {
  if (wanted.Size() != shown_.Size()) {
    shown_ = CellGrid(wanted.Size());
    repaintAll_ = true;
  }
  const CellSize size = wanted.Size();
  for (int row = 0; row < size.rows; ++row) {
    for (int column = 0; column < size.columns; ++column) {
      const CellPosition position{column, row};
      const Cell& cell = wanted.At(position);
      if (!repaintAll_ && cell == shown_.At(position)) continue;
      MoveTo(position, out);
      UsePen(cell.attribute, out);
      AppendUtf8(out, GlyphOf(cell.character));
      // After the last column the terminal waits to wrap: the position is
      // not worth trusting.
      if (column + 1 < size.columns) {
        written_ = CellPosition{column + 1, row};
      } else {
        written_.reset();
      }
    }
  }
  shown_ = wanted;
  repaintAll_ = false;
}

std::string VtRenderer::Render(const CellGrid& wanted, CursorAppearance cursor) {
  std::string cells;
  PaintChangedCells(wanted, cells);
  std::string out;
  // Hide the cursor while cells change under it, so it does not run along.
  const bool hideWhilePainting = !cells.empty() && shownAppearance_.value_or(cursor).visible;
  if (hideWhilePainting) out += "\x1B[?25l";
  out += cells;
  if (!cells.empty() || shownCursor_ != wanted.Cursor()) {
    MoveTo(wanted.Cursor(), out);
    shownCursor_ = wanted.Cursor();
  }
  const bool shapeChanged = !shownAppearance_ || (shownAppearance_->size > 50) != (cursor.size > 50);
  if (shapeChanged) out += cursor.size > 50 ? "\x1B[1 q" : "\x1B[3 q";
  if (hideWhilePainting || !shownAppearance_ || shownAppearance_->visible != cursor.visible) {
    out += cursor.visible ? "\x1B[?25h" : "\x1B[?25l";
  }
  shownAppearance_ = cursor;
  return out;
}

std::string VtRenderer::Acquire() { return "\x1B[?1036;1039s\x1B[?1036;1039h"; }

std::string VtRenderer::Release() { return "\x1B[0m\x1B[0 q\x1B[?25h\x1B[?1036;1039r"; }

}  // namespace console::vt
