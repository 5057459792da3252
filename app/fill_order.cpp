#include "app/fill_order.h"

namespace app {

std::vector<std::int32_t> CoarseToFineOrder(int side) {
  std::vector<std::int32_t> order;
  order.reserve(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
  for (int block = largestBlock; block >= 1; block /= 2) {
    for (int row = 0; row < side; row += block) {
      for (int column = 0; column < side; column += block) {
        if (BlockSide(column, row) == block) order.push_back(row * side + column);
      }
    }
  }
  return order;
}

int BlockSide(int column, int row) {
  int block = largestBlock;
  while (column % block != 0 || row % block != 0) block /= 2;
  return block;
}

}  // namespace app
