#include "app/view_lattice.h"

#include <algorithm>
#include <cmath>

namespace app {

namespace {

// Within these bounds every point and bound of a view is an exact double,
// far from the denormals and from overflow.
constexpr double largestIndex = 0x1p53;
constexpr int smallestExponent = -1000;
constexpr int largestExponent = 960;

bool Exact(const LatticeAxis& axis, int side) {
  const double last = static_cast<double>(axis.first) + side - 1;
  const double reach = std::max(std::fabs(static_cast<double>(axis.first)), std::fabs(last)) * axis.k;
  return reach < largestIndex && axis.exponent >= smallestExponent && axis.exponent <= largestExponent;
}

std::optional<LatticeView> IfExact(const LatticeView& view) {
  if (!Exact(view.x, view.side) || !Exact(view.y, view.side)) return std::nullopt;
  return view;
}

// floor(a / 2) for whole numbers of either sign.
std::int64_t HalfDown(std::int64_t a) { return a >= 0 ? a / 2 : -((-a + 1) / 2); }

// The axis of `side` points around lo .. hi, its step at least (hi - lo) / (side - 1).
LatticeAxis AxisAround(double lo, double hi, int side) {
  const double wanted = (hi - lo) / (side - 1);
  LatticeAxis axis;
  axis.exponent = std::ilogb(wanted) - 4;
  axis.k = static_cast<std::int64_t>(std::ceil(std::ldexp(wanted, -axis.exponent)));
  const auto centred = [&](const LatticeAxis& on) {
    return static_cast<std::int64_t>(std::floor(((lo + hi) / 2) / on.Step() - (side - 1) / 2.0 + 0.5));
  };
  // The view centred as nearly as the lattice lets it, else from lo up; a
  // step larger by one k at a time until one of them covers lo .. hi. (Two
  // points around 0 never can: then the centred one of the first step.)
  const LatticeAxis smallest = axis;
  for (; axis.k <= 64; ++axis.k) {
    for (const std::int64_t first : {centred(axis), static_cast<std::int64_t>(std::floor(lo / axis.Step()))}) {
      axis.first = first;
      if (axis.Point(0) <= lo && axis.Point(side - 1) >= hi) return axis;
    }
  }
  axis = smallest;
  axis.first = centred(axis);
  return axis;
}

// One notch in (finer) or out (coarser) about point `at` of the axis.
LatticeAxis ZoomedIn(LatticeAxis axis, int at) {
  axis.first = 2 * axis.first + at;
  --axis.exponent;
  return axis;
}
LatticeAxis ZoomedOut(LatticeAxis axis, int at) {
  axis.first = HalfDown(axis.first + at) - at;
  ++axis.exponent;
  return axis;
}

}  // namespace

double LatticeAxis::Step() const { return std::ldexp(static_cast<double>(k), exponent); }

double LatticeAxis::Point(std::int64_t i) const { return static_cast<double>(first + i) * Step(); }

MapRegion LatticeView::Region() const { return {x.Point(0), x.Point(side - 1), y.Point(0), y.Point(side - 1)}; }

LatticeView LatticeAround(const MapRegion& wanted, int side) {
  return {AxisAround(wanted.x0, wanted.x1, side), AxisAround(wanted.y0, wanted.y1, side), side};
}

std::optional<LatticeView> PannedView(const LatticeView& view, int columns, int rows) {
  const std::int64_t quarter = (view.side - 1) / 4;
  LatticeView panned = view;
  panned.x.first += columns * quarter;
  panned.y.first += rows * quarter;
  return IfExact(panned);
}

std::optional<LatticeView> ZoomedView(const LatticeView& view, int column, int pixelRow, int notches) {
  const int row = view.side - 1 - std::clamp(pixelRow, 0, view.side - 1);
  column = std::clamp(column, 0, view.side - 1);
  LatticeView zoomed = view;
  for (int notch = 0; notch < std::abs(notches); ++notch) {
    zoomed.x = notches > 0 ? ZoomedIn(zoomed.x, column) : ZoomedOut(zoomed.x, column);
    zoomed.y = notches > 0 ? ZoomedIn(zoomed.y, row) : ZoomedOut(zoomed.y, row);
    if (!IfExact(zoomed)) return std::nullopt;
  }
  return zoomed;
}

std::optional<LatticeView> ViewInto(const LatticeView& view, int column, int pixelRow, int width) {
  const int centre = (view.side - 1) / 2;
  LatticeView centred = view;
  centred.x.first += column - centre;
  centred.y.first += (view.side - 1 - pixelRow) - centre;
  const int notches = static_cast<int>(std::lround(std::log2(static_cast<double>(view.side) / std::max(width, 1))));
  if (!IfExact(centred)) return std::nullopt;
  return ZoomedView(centred, centre, view.side - 1 - centre, notches);
}

}  // namespace app
