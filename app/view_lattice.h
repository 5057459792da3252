// The explorer's views lie on a lattice, so that the start points of views
// around each other are the very same doubles and a trial computed for one
// view is the answer for all of them (app/trial_cache.h).
//
// On each axis a view's points are (j + i) h, i = 0 .. S - 1, with the step
// h = k 2^e, k a whole number from 16 to 64 and j a whole number. Its bounds
// X0 = j h and X1 = (j + S - 1) h are doubles, and the start grid's formula
// X0 + (X1 - X0) i / (S - 1) is then exact at every stage in extended
// precision (X1 - X0 = (S - 1) h, times i, divided by S - 1, plus X0 are all
// whole multiples of 2^e with few significant bits), and so is its rounding
// to a double while |j + i| k stays below 2^53. So:
//   - a pan moves j by a whole number: the points the views share are the same;
//   - a zoom in by 2 halves h (e - 1) and keeps every other point of the old
//     view (a quarter of the new view's points, those at even offsets);
//   - a zoom out by 2 doubles h (e + 1): every point of the new view within
//     the old one is an old point (a quarter of the new view);
//   - back and Home return to views already shown: all their points.
// The first view is the smallest such view around the region asked for, so
// it may reach a little beyond it (its printed command says where).
#pragma once

#include <cstdint>
#include <optional>

#include "app/start_grid.h"

namespace app {

// One axis of a lattice view: its points (first + i) step, step = k 2^exponent.
struct LatticeAxis {
  std::int64_t k = 16;
  int exponent = 0;
  std::int64_t first = 0;

  bool operator==(const LatticeAxis&) const = default;
  double Step() const;
  // Point i of the axis, exactly.
  double Point(std::int64_t i) const;
};

struct LatticeView {
  LatticeAxis x;
  LatticeAxis y;
  int side = 2;  // S: points per axis

  bool operator==(const LatticeView&) const = default;
  // The region whose S x S start grid has exactly these points.
  MapRegion Region() const;
  StartGrid Grid() const { return {side, Region()}; }
};

// The smallest lattice view of `side` x `side` points around `wanted`,
// centred on it as nearly as the lattice allows (two points around 0 cannot
// cover it: they lie centred within a step of it).
LatticeView LatticeAround(const MapRegion& wanted, int side);

// The view moved by `columns` and `rows` quarters of its width and height
// (a quarter rounded down to whole points; rows count upwards).
std::optional<LatticeView> PannedView(const LatticeView& view, int columns, int rows);

// The view zoomed by 2 per notch (in for notches > 0, out for < 0) about the
// pixel (column, pixelRow), pixel row 0 at the top: that pixel keeps its point
// when zooming in, and nearly (within half a new step) when zooming out.
std::optional<LatticeView> ZoomedView(const LatticeView& view, int column, int pixelRow, int notches);

// The view centred on the pixel (column, pixelRow) and zoomed by the power of
// two nearest to side / width: a dragged square of `width` pixels.
std::optional<LatticeView> ViewInto(const LatticeView& view, int column, int pixelRow, int width);

}  // namespace app
