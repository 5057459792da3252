#include "console/screen.h"

#include <algorithm>

namespace console {

namespace {

bool IsColor(std::int32_t value) { return value >= 0 && value <= 15; }

}  // namespace

ConsoleScreen::ConsoleScreen(CellDevice& device) : device_(device) {
  const auto appearance = device_.ReadCursorAppearance();
  if (appearance && appearance->size != 0) {
    cursorSize_ = appearance->size;
    cursorVisible_ = appearance->visible;
  } else {
    device_.SetCursorAppearance({cursorSize_, cursorVisible_});
    device_.Present();
  }
}

std::uint8_t ConsoleScreen::Attribute() const {
  return static_cast<std::uint8_t>(background_ * 16 + foreground_);
}

void ConsoleScreen::SetColors(std::int32_t foreground, std::int32_t background,
                              std::int32_t recolorCount) {
  if (IsColor(foreground)) foreground_ = foreground;
  if (IsColor(background)) background_ = background;
  device_.SetTextAttribute(Attribute());
  const CellSize window = device_.WindowSize();
  const std::int64_t windowCells = std::int64_t{window.columns} * window.rows;
  if (recolorCount >= 1 && recolorCount <= windowCells) {
    device_.FillAttributes(device_.CursorPosition(), recolorCount, Attribute());
  }
  device_.Present();
}

void ConsoleScreen::ClearScreen() {
  ForceCursorHidden();
  const CellSize buffer = device_.BufferSize();
  device_.FillCells({0, 0}, buffer.columns * buffer.rows, Cell{0x20, Attribute()});
  PlaceCursor(1, 1);
  RestoreCursor();
  device_.Present();
}

void ConsoleScreen::PlaceCursor(std::int32_t row, std::int32_t column) {
  const CellSize buffer = device_.BufferSize();
  const CellPosition cursor = device_.CursorPosition();
  const bool columnInRange = column >= 1 && column <= buffer.columns;
  const bool rowInRange = row >= 1 && row <= buffer.rows;
  device_.SetCursorPosition({columnInRange ? column - 1 : cursor.column,
                             rowInRange ? row - 1 : cursor.row});
  wrapPending_ = false;
}

void ConsoleScreen::MoveCursor(std::int32_t row, std::int32_t column) {
  PlaceCursor(row, column);
  device_.Present();
}

void ConsoleScreen::WriteText(const runtime::Text& text) {
  if (text.empty()) return;
  const std::uint8_t attribute = Attribute();
  const CellSize buffer = device_.BufferSize();
  CellPosition at = device_.CursorPosition();
  std::string_view rest = text;
  while (!rest.empty()) {
    if (wrapPending_) {
      wrapPending_ = false;
      ScrollUp();
    }
    const std::size_t room = static_cast<std::size_t>(buffer.columns - at.column);
    const std::size_t count = std::min(room, rest.size());
    device_.WriteRowPiece(at, rest.substr(0, count), attribute);
    rest.remove_prefix(count);
    at.column += static_cast<int>(count);
    if (at.column == buffer.columns) {
      at.column = 0;
      if (at.row + 1 == buffer.rows) {
        wrapPending_ = true;
      } else {
        ++at.row;
      }
    }
  }
  device_.SetCursorPosition(at);
  device_.Present();
}

void ConsoleScreen::NewLine() {
  const CellSize buffer = device_.BufferSize();
  const CellPosition cursor = device_.CursorPosition();
  if (cursor.row + 1 < buffer.rows) {
    PlaceCursor(cursor.row + 2, 1);
  } else {
    if (wrapPending_) {
      wrapPending_ = false;
      ScrollUp();
    }
    ScrollUp();
    device_.SetCursorPosition({0, buffer.rows - 1});
  }
  device_.Present();
}

void ConsoleScreen::ScrollUp() { device_.ScrollUp(Cell{0x20, Attribute()}); }

void ConsoleScreen::StepCursorBack() {
  const CellSize buffer = device_.BufferSize();
  const CellPosition cursor = device_.CursorPosition();
  if (wrapPending_) {
    wrapPending_ = false;
    device_.SetCursorPosition({buffer.columns - 1, buffer.rows - 1});
  } else if (cursor.column > 0) {
    device_.SetCursorPosition({cursor.column - 1, cursor.row});
  } else {
    // Row 1's row above is row 0, out of range: the row stays.
    PlaceCursor(cursor.row, buffer.columns);
  }
  device_.Present();
}

void ConsoleScreen::ForceCursorHidden() {
  if (!cursorVisible_) return;
  device_.SetCursorAppearance({cursorSize_, false});
  cursorRestorePending_ = true;
}

void ConsoleScreen::ForceCursorVisible() {
  if (cursorVisible_) return;
  device_.SetCursorAppearance({cursorSize_, true});
  cursorRestorePending_ = true;
  device_.Present();
}

void ConsoleScreen::RestoreCursor() {
  if (!cursorRestorePending_) return;
  device_.SetCursorAppearance({cursorSize_, cursorVisible_});
  cursorRestorePending_ = false;
  device_.Present();
}

}  // namespace console
