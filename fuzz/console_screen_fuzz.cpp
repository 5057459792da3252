// Fuzz target for the console screen: random sequences of its operations,
// and resizes of the device in between, on small in-memory screens. After
// every operation the device and the screen must agree with a plain cell
// grid kept here, which follows the screen's rules cell by cell: writing
// byte by byte, the scroll deferred on the bottom-right cell, scrolling,
// out-of-range arguments keeping what they concern, the cursor's look.
//
// Input, read byte by byte (missing bytes read as 0):
//   buffer columns (1-12), rows (1-6), visible columns, visible rows,
//   cursor size (0-100) and flags (bit 0 visible, bit 1 unreadable) of the
//   device's cursor; then operations, each an opcode byte and its arguments.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/memory_device.h"
#include "console/screen.h"

namespace {

using console::Cell;
using console::CellSize;
using console::CursorAppearance;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant violated: %s\n", what);
  std::abort();
}

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return next_ >= size_; }
  std::uint8_t Byte() { return next_ < size_ ? data_[next_++] : 0; }

  // Mostly small numbers around the screen's range, sometimes an extreme
  // one or one of `special`.
  std::int32_t Argument(std::initializer_list<std::int64_t> special = {}) {
    const std::uint8_t byte = Byte();
    if (byte < 0xF0) return static_cast<std::int32_t>(byte % 40) - 8;
    const std::int64_t extremes[] = {INT32_MIN, INT32_MAX, -1, 0, 16, 100, 255, 256};
    const std::size_t pick = byte - 0xF0u;
    if (pick < special.size()) return static_cast<std::int32_t>(*(special.begin() + pick));
    return static_cast<std::int32_t>(extremes[pick % 8]);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t next_ = 0;
};

// The screen as its rules describe it, kept apart from the code under test.
struct Model {
  int columns = 1, rows = 1;              // buffer
  int windowColumns = 1, windowRows = 1;  // visible part
  std::vector<Cell> cells;                // row after row
  int x = 0, y = 0;                       // cursor, 0-based
  int foreground = 7, background = 0;
  bool wrapPending = false;
  std::uint8_t textAttribute = 0x07;
  int cursorSize = 10;
  bool cursorVisible = true;
  bool restorePending = false;
  CursorAppearance deviceCursor;          // what the device was last told

  std::uint8_t Attribute() const { return static_cast<std::uint8_t>(background * 16 + foreground); }
  Cell& At(int column, int row) { return cells[static_cast<std::size_t>(row * columns + column)]; }

  void ScrollUp() {
    for (int row = 0; row + 1 < rows; ++row) {
      for (int column = 0; column < columns; ++column) At(column, row) = At(column, row + 1);
    }
    for (int column = 0; column < columns; ++column) At(column, rows - 1) = {0x20, Attribute()};
  }

  void SetColors(std::int32_t fg, std::int32_t bg, std::int32_t count) {
    if (fg >= 0 && fg <= 15) foreground = fg;
    if (bg >= 0 && bg <= 15) background = bg;
    textAttribute = Attribute();
    if (count < 1 || count > std::int64_t{windowColumns} * windowRows) return;
    const std::int64_t from = std::int64_t{y} * columns + x;
    for (std::int64_t i = from; i < from + count && i < std::int64_t{columns} * rows; ++i) {
      cells[static_cast<std::size_t>(i)].attribute = Attribute();
    }
  }

  void MoveCursor(std::int32_t row, std::int32_t column) {
    if (column >= 1 && column <= columns) x = column - 1;
    if (row >= 1 && row <= rows) y = row - 1;
    wrapPending = false;
  }

  void ClearScreen() {
    if (cursorVisible) {
      deviceCursor = {cursorSize, false};
      restorePending = true;
    }
    for (Cell& cell : cells) cell = {0x20, Attribute()};
    MoveCursor(1, 1);
    RestoreCursor();
  }

  void WriteText(const std::string& text) {
    for (const char byte : text) {
      if (wrapPending) {
        wrapPending = false;
        ScrollUp();
      }
      At(x, y) = {static_cast<std::uint8_t>(byte), Attribute()};
      if (++x < columns) continue;
      x = 0;
      if (y + 1 == rows) {
        wrapPending = true;
      } else {
        ++y;
      }
    }
  }

  void NewLine() {
    if (y + 1 < rows) {
      MoveCursor(y + 2, 1);
      return;
    }
    if (wrapPending) {
      wrapPending = false;
      ScrollUp();
    }
    ScrollUp();
    x = 0;
  }

  void StepCursorBack() {
    if (wrapPending) {
      wrapPending = false;
      x = columns - 1;
      y = rows - 1;
    } else if (x > 0) {
      --x;
    } else {
      MoveCursor(y, columns);  // on the top row, row 0 keeps the row
    }
  }

  void ForceCursorVisible() {
    if (cursorVisible) return;
    deviceCursor = {cursorSize, true};
    restorePending = true;
  }

  void RestoreCursor() {
    if (!restorePending) return;
    deviceCursor = {cursorSize, cursorVisible};
    restorePending = false;
  }

  // The user resizes the terminal: what fits stays at the top-left, new
  // cells are blank light grey on black, the cursor is kept inside.
  void Resize(int newColumns, int newRows) {
    newColumns = newColumns < 1 ? 1 : newColumns;
    newRows = newRows < 1 ? 1 : newRows;
    std::vector<Cell> resized(static_cast<std::size_t>(newColumns * newRows), Cell{0x20, 0x07});
    for (int row = 0; row < rows && row < newRows; ++row) {
      for (int column = 0; column < columns && column < newColumns; ++column) {
        resized[static_cast<std::size_t>(row * newColumns + column)] = At(column, row);
      }
    }
    cells = std::move(resized);
    columns = windowColumns = newColumns;
    rows = windowRows = newRows;
    if (x >= columns) x = columns - 1;
    if (y >= rows) y = rows - 1;
  }
};

void CheckAgreement(const Model& model, console::MemoryDevice& device,
                    const console::ConsoleScreen& screen) {
  Require(device.BufferSize() == CellSize{model.columns, model.rows}, "buffer size");
  for (int row = 0; row < model.rows; ++row) {
    for (int column = 0; column < model.columns; ++column) {
      const Cell expected = model.cells[static_cast<std::size_t>(row * model.columns + column)];
      Require(device.CellAt(row + 1, column + 1) == expected, "cell differs from the model");
    }
  }
  Require(device.CursorColumn() == model.x + 1 && device.CursorRow() == model.y + 1, "cursor position");
  Require(screen.Foreground() == model.foreground && screen.Background() == model.background, "colours");
  Require(screen.WrapPending() == model.wrapPending, "pending scroll");
  Require(device.TextAttribute() == model.textAttribute, "stream attribute");
  Require(device.Cursor() == model.deviceCursor, "cursor look on the device");
  Require(screen.Appearance() == CursorAppearance{model.cursorSize, model.cursorVisible},
          "remembered cursor look");
}

std::string TextOf(Input& input) {
  const std::size_t length = input.Byte() % 48;
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char>(input.Byte()));
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  Model model;
  model.columns = 1 + input.Byte() % 12;
  model.rows = 1 + input.Byte() % 6;
  model.windowColumns = 1 + input.Byte() % model.columns;
  model.windowRows = 1 + input.Byte() % model.rows;
  model.cells.assign(static_cast<std::size_t>(model.columns * model.rows), Cell{0x20, 0x07});
  const int cursorSize = input.Byte() % 101;
  const std::uint8_t cursorFlags = input.Byte();
  const CursorAppearance initialCursor{cursorSize, (cursorFlags & 1) != 0};
  const bool cursorUnreadable = (cursorFlags & 2) != 0;

  console::MemoryDevice device({model.columns, model.rows}, {model.windowColumns, model.windowRows});
  device.SetCursorAppearance(initialCursor);
  if (cursorUnreadable) device.MakeCursorUnreadable();
  model.deviceCursor = initialCursor;
  if (!cursorUnreadable && initialCursor.size != 0) {
    model.cursorSize = initialCursor.size;
    model.cursorVisible = initialCursor.visible;
  } else {
    model.deviceCursor = {10, true};
  }

  console::ConsoleScreen screen(device);
  CheckAgreement(model, device, screen);

  for (int operations = 0; !input.AtEnd() && operations < 2000; ++operations) {
    switch (input.Byte() % 10) {
      case 0: {
        const std::int64_t windowCells = std::int64_t{model.windowColumns} * model.windowRows;
        const std::int32_t fg = input.Argument();
        const std::int32_t bg = input.Argument();
        const std::int32_t count =
            input.Argument({windowCells, windowCells + 1, model.columns * model.rows});
        screen.SetColors(fg, bg, count);
        model.SetColors(fg, bg, count);
        break;
      }
      case 1:
        screen.ClearScreen();
        model.ClearScreen();
        break;
      case 2: {
        const std::int32_t row = input.Argument({model.rows, model.rows + 1});
        const std::int32_t column = input.Argument({model.columns, model.columns + 1});
        screen.MoveCursor(row, column);
        model.MoveCursor(row, column);
        break;
      }
      case 3: {
        const std::string text = TextOf(input);
        screen.WriteText(text);
        model.WriteText(text);
        break;
      }
      case 4:
        screen.NewLine();
        model.NewLine();
        break;
      case 5:
        screen.StepCursorBack();
        model.StepCursorBack();
        break;
      case 6:
        screen.ForceCursorVisible();
        model.ForceCursorVisible();
        break;
      case 7:
        screen.RestoreCursor();
        model.RestoreCursor();
        break;
      case 8: {
        const int columns = input.Byte() % 13;  // 0 asks for less than one cell
        const int rows = input.Byte() % 7;
        device.Resize(columns, rows);
        model.Resize(columns, rows);
        break;
      }
      case 9:
        // Text that exactly fills what is left of the buffer: the deferred
        // scroll is the rule most easily got wrong.
        {
          const int left = (model.rows - model.y) * model.columns - model.x;
          const std::string text(static_cast<std::size_t>(left), static_cast<char>(input.Byte()));
          screen.WriteText(text);
          model.WriteText(text);
        }
        break;
    }
    CheckAgreement(model, device, screen);
  }
  return 0;
}
