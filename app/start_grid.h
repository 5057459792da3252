// The start points of a map: a grid of points spread evenly over a region of
// the plane, and the mapping between its columns and rows and model units.
// The map window, `magpend map --grid` and the explorer's views all use it.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/numeric.h"

namespace app {

// The map window's grid: 111 x 111 start points, in steps of 2.
inline constexpr int gridSide = 111;
inline constexpr int gridTrials = gridSide * gridSide;

// The part of the plane a map covers: x from x0 to x1, y from y0 to y1
// (model units, x0 < x1 and y0 < y1). The map window's is -110 to 110.
struct MapRegion {
  double x0 = -110;
  double x1 = 110;
  double y0 = -110;
  double y1 = 110;

  bool operator==(const MapRegion&) const = default;
};

// The region as the command line's --region takes it, X0:X1:Y0:Y1, each
// number in its shortest text that reads back to the same double.
std::string RegionText(const MapRegion& region);

// The start points: side x side points (or side x height) spread evenly
// over the region, its edges included. Row 0 is the bottom row (y = y0), and
// each row runs from the left (x = x0). Side 111 over the default region is
// the map window's grid, in steps of 2.
struct StartGrid {
  int side = gridSide;  // points per row, and per column unless height is set; at least 2
  MapRegion region;
  int height = 0;  // points per column of a grid that is not square (at least 2); 0: side

  int Width() const { return side; }
  int Height() const { return height == 0 ? side : height; }
  // Column i: x0 + (x1 - x0) i / (Width() - 1), computed in Real and rounded
  // once to a double (so the default region gives -110 + 220 i / (side - 1)).
  double X(int column) const;
  // Row j likewise from y0 to y1, over Height() points.
  double Y(int row) const;

  // And back: the place of x between the columns and of y between the rows,
  // fractions allowed, in Real and not rounded: (x - x0) / ((x1 - x0) /
  // (Width() - 1)), the step first (the explorer draws a trial's path with
  // them, so that its pixels stay those of every earlier build).
  runtime::Real ColumnAt(double x) const;
  runtime::Real RowAt(double y) const;

  // The column and row whose points lie nearest to x and y (rounded to the
  // nearest, in doubles); far outside the grid, -1 or side.
  std::int64_t NearestColumn(double x) const;
  std::int64_t NearestRow(double y) const;
};

}  // namespace app
