#include "console/memory_device.h"

namespace console {

MemoryDevice::MemoryDevice(CellSize buffer, std::optional<CellSize> window)
    : grid_(buffer), window_(window.value_or(grid_.Size())) {}

void MemoryDevice::WriteRowPiece(CellPosition at, std::string_view characters,
                                 std::uint8_t attribute) {
  ++rowWrites_;
  grid_.WriteRowPiece(at, characters, attribute);
}

void MemoryDevice::FillCells(CellPosition from, int count, Cell cell) {
  grid_.FillCells(from, count, cell);
}

void MemoryDevice::FillAttributes(CellPosition from, int count, std::uint8_t attribute) {
  grid_.FillAttributes(from, count, attribute);
}

void MemoryDevice::ScrollUp(Cell fill) {
  ++scrolls_;
  grid_.ScrollUp(fill);
}

std::optional<CursorAppearance> MemoryDevice::ReadCursorAppearance() {
  if (!cursorReadable_) return std::nullopt;
  return cursor_;
}

void MemoryDevice::Resize(CellSize size) {
  grid_.Resize(size);
  window_ = grid_.Size();
}

}  // namespace console
