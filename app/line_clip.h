// A line segment cut to a square: the part of a path that can be drawn, so
// that lines never reach coordinates the pixel conversion cannot hold.
#pragma once

#include <optional>

namespace app {

// A segment from (ax, ay) to (bx, by).
struct Segment {
  double ax, ay, bx, by;
};

// The part of `s` inside [low, high] x [low, high] (Liang and Barsky's
// clipping: the segment's parameter narrowed by each of the four edges);
// nothing when no part lies inside or the arithmetic overflows.
std::optional<Segment> Clipped(Segment s, double low, double high);

}  // namespace app
