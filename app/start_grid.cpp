#include "app/start_grid.h"

#include <algorithm>
#include <cmath>

#include "app/number_text.h"
#include "runtime/numeric.h"

namespace app {

std::string RegionText(const MapRegion& region) {
  return ShortestText(region.x0) + ":" + ShortestText(region.x1) + ":" + ShortestText(region.y0) + ":" +
         ShortestText(region.y1);
}

namespace {

// Point i of `side` from `first` to `last`, rounded once.
double EvenlySpread(double first, double last, int i, int side) {
  const runtime::Real width = runtime::Real(last) - runtime::Real(first);
  return static_cast<double>(runtime::Real(first) + width * i / (side - 1));
}

// Where `value` lies between `side` points from `first` to `last`, counted
// in steps between them.
runtime::Real PlaceBetween(double first, double last, double value, int side) {
  const runtime::Real step = (runtime::Real(last) - runtime::Real(first)) / (side - 1);
  return (runtime::Real(value) - runtime::Real(first)) / step;
}

}  // namespace

double StartGrid::X(int column) const { return EvenlySpread(region.x0, region.x1, column, side); }
double StartGrid::Y(int row) const { return EvenlySpread(region.y0, region.y1, row, Height()); }

runtime::Real StartGrid::ColumnAt(double x) const { return PlaceBetween(region.x0, region.x1, x, side); }
runtime::Real StartGrid::RowAt(double y) const { return PlaceBetween(region.y0, region.y1, y, Height()); }

namespace {

// The index of `side` points from `first` to `last` nearest to `value`,
// kept within one beyond either end.
std::int64_t NearestIndex(double first, double last, double value, int side) {
  const double index = std::nearbyint((value - first) * (side - 1) / (last - first));
  return static_cast<std::int64_t>(std::clamp(index, -1.0, static_cast<double>(side)));
}

}  // namespace

std::int64_t StartGrid::NearestColumn(double x) const { return NearestIndex(region.x0, region.x1, x, side); }
std::int64_t StartGrid::NearestRow(double y) const { return NearestIndex(region.y0, region.y1, y, Height()); }

}  // namespace app
