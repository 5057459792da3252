#include "tests/support/memory_device.h"

namespace console {

MemoryDevice::MemoryDevice(int columns, int rows) : MemoryDevice({columns, rows}, {columns, rows}) {}

MemoryDevice::MemoryDevice(CellSize buffer, CellSize window) : GridDevice(buffer), window_(window) {
  cursor_ = {25, true};
}

std::string MemoryDevice::Characters(int row, int column, int count) const {
  const std::string characters = grid_.RowCharacters(row - 1);
  return characters.substr(static_cast<std::size_t>(column - 1),
                           count < 0 ? std::string::npos : static_cast<std::size_t>(count));
}

void MemoryDevice::WriteRowPiece(CellPosition at, std::string_view characters,
                                 std::uint8_t attribute) {
  ++rowWrites_;
  GridDevice::WriteRowPiece(at, characters, attribute);
}

void MemoryDevice::ScrollUp(Cell fill) {
  ++scrolls_;
  GridDevice::ScrollUp(fill);
}

std::optional<CursorAppearance> MemoryDevice::ReadCursorAppearance() {
  if (!cursorReadable_) return std::nullopt;
  return cursor_;
}

void MemoryDevice::Resize(int columns, int rows) {
  grid_.Resize({columns, rows});
  window_ = grid_.Size();
}

}  // namespace console
