// The order in which an explorer's view fills its points, coarse to fine:
// the points of every 8th row and column first, each painted as the 8 x 8
// block it starts, then the 4 x 4, 2 x 2 blocks, then every point, so that
// a picture is there at once and sharpens.
#pragma once

#include <cstdint>
#include <vector>

namespace app {

// The widest block a point paints.
inline constexpr int largestBlock = 8;

// Every point (row * side + column) of a side x side grid, in the order a
// view fills them: rows and columns divisible by 8 first, then by 4, by 2,
// then the rest; each pass row by row upwards, each row from the left.
std::vector<std::int32_t> CoarseToFineOrder(int side);

// The block a point paints when its pass comes: 8, 4, 2 or 1 points wide,
// the largest of those that divides both its column and its row.
int BlockSide(int column, int row);

}  // namespace app
