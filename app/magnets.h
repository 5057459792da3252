// The magnets as the runs and pictures show them: their colours, shared by
// their markers and by the start-point map, and the markers themselves.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "app/pendulum.h"
#include "app/start_grid.h"
#include "graphics/color.h"

namespace app {

// Entry k is the colour of magnet k: 1 red, 2 green (0, 191, 0), 3 blue,
// then orange, magenta, cyan, brown and pink for magnets 4 to 8 of a
// pendulum of the user's. Entry 0 (no magnet) is black and never drawn.
inline constexpr std::array<graphics::ColorRef, largestMagnetCount + 1> magnetColors{
    graphics::ComposeRgb(0, 0, 0),     graphics::ComposeRgb(255, 0, 0),   graphics::ComposeRgb(0, 191, 0),
    graphics::ComposeRgb(0, 0, 255),   graphics::ComposeRgb(255, 128, 0), graphics::ComposeRgb(204, 0, 204),
    graphics::ComposeRgb(0, 204, 204), graphics::ComposeRgb(128, 64, 0),  graphics::ComposeRgb(255, 128, 192)};

// The markers' outline colour.
inline constexpr graphics::ColorRef markerOutline = graphics::ComposeRgb(255, 255, 0);

// How far the runs' markers reach from their magnet on each axis, in units.
inline constexpr double windowMarkerReach = 3;

// Draws the magnet markers on the current target: each the ellipse in the
// box of windowMarkerReach units around the magnet, yellow outline, filled
// with the magnet's colour, in the order magnet 1, 2, 3, ... The runs draw
// them right before every model step, so they stay on top of whatever the
// runs paint. Without magnets named: the form's three.
void DrawMagnetMarkers();
void DrawMagnetMarkers(std::span<const MagnetPlace> magnets);

// The markers in a picture with a pixel per start point (the `--grid`
// pictures and the explorer's views): each a disc of `markerRadius` pixels
// around the point nearest to its magnet, filled with its colour inside a
// ring of one pixel in the outline colour; the magnets in their order, so a
// later one lies over an earlier one. `paint` is called for each pixel of
// the grid a marker covers, its row counted from the bottom as the grid's.
inline constexpr int markerRadius = 4;
using PaintPoint = std::function<void(int column, int row, graphics::ColorRef color)>;
void PaintMarkers(const StartGrid& grid, std::span<const MagnetPlace> magnets, const PaintPoint& paint);

}  // namespace app
