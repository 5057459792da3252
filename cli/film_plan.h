// A film as numbers: a zoom's two keyframes, or a sweep's view and the
// values it runs through, and the frame count; the region of the plane each
// frame shows, and the swept value of each frame. Frame k is the picture of one
// `magpend map --grid WxH --region X0:X1:Y0:Y1` command, whose bounds are
// the doubles FrameRegion computes; printed with 17 digits they read back
// to the same doubles, so that command makes the very frame.
//
// How the zoom moves: the width (model units from the first column's points
// to the last's) changes by the same factor from each frame to the next,
//   w(k) = w0 (w1 / w0)^(k / (N - 1)),
// and the centre moves with the same weight as the width,
//   c(k) = c0 + (c1 - c0) (w(k) - w0) / (w1 - w0),
// so that the centre is an affine function of the width. Then one point of
// the plane stays at the same place on the screen in every frame (the
// centre of the similarity that maps the first frame onto the last), and
// the film looks like a steady zoom into that point: zooming from a wide
// view into a small one around its target keeps the target still. Equal
// widths make a pan: the centre moves linearly, k / (N - 1). The first and
// last frame are the keyframes exactly. The factor's power is the C
// library's pow, so another C library may give a last bit of a middle
// frame's bounds otherwise; the printed command reproduces a frame
// anywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/map_scan.h"

namespace cli {

// A frame's centre and width, model units.
struct Keyframe {
  double x = 0;
  double y = 0;
  double width = 220;  // above 0

  bool operator==(const Keyframe&) const = default;
};

struct FilmPlan {
  Keyframe from;                 // the first frame
  Keyframe to;                   // the last frame
  std::int32_t pixelsWide = 0;   // the frames' size, one pixel per start
  std::int32_t pixelsHigh = 0;   // point (each at least 2)
  std::int32_t frameCount = 1;   // at least 1 (one frame: the first keyframe)
};

// A sweep: one view (from = to), and one of the pendulum's values moving
// linearly from `first` (frame 0) to `last` (the last frame), both exact.
enum class SweptValue {
  none,            // a zoom
  g,               // the pendulum coefficient
  m,               // the magnets' strength
  friction,        // the pendulum's friction
  height,          // the magnets' depth below the lowest point
  magnetX,         // a magnet's place
  magnetY,
  magnetStrength,  // a magnet's strength factor
};
struct Sweep {
  SweptValue value = SweptValue::none;
  double first = 0;
  double last = 0;
  int magnet = 0;  // magnetX, magnetY, magnetStrength: which magnet, 0 the first

  bool operator==(const Sweep&) const = default;
};

// The sweep's name as --sweep takes it: g, m, friction, height, magnetK.x,
// magnetK.y or magnetK.strength (K from 1).
std::string SweptName(const Sweep& sweep);

// The swept value of frame `frame` of `frameCount`: first + (last - first)
// k / (N - 1), with the first and the last frame exactly first and last.
double SweptValueOf(const Sweep& sweep, std::int32_t frame, std::int32_t frameCount);

// NAME:A:B with NAME one of SweptName's and A, B finite, above 0 for g, m
// and a strength, at least 0 for friction and height; nothing otherwise.
std::optional<Sweep> ReadSweep(const std::string& text);

// The region frame `frame` (0 to frameCount - 1) shows: the width and centre
// above, and the height that keeps the points' spacing the same across and
// up: width (pixelsHigh - 1) / (pixelsWide - 1).
app::MapRegion FrameRegion(const FilmPlan& plan, std::int32_t frame);

// The first frame whose bounds are no region as doubles (a width too small
// for its centre, or bounds beyond the doubles' range), or nothing.
std::optional<std::int32_t> FirstDegenerateFrame(const FilmPlan& plan);

// CX:CY:W, three finite numbers with W > 0; nothing otherwise.
std::optional<Keyframe> ReadKeyframe(const std::string& text);

}  // namespace cli
